#include "common/widgets/animationcontrol.h"

#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

namespace {
// The values of the item that Create reads, in item order from value 1.
enum : int32_t { kX, kY, kFrameWidth, kFrameHeight, kFrameCount, kFrameDelay, kDX, kDY, kNumbers };
constexpr int32_t kKeyedValue = 9;
constexpr int32_t kAboveValue = 10;

// Whether the dialog still holds the record (its Destroy deletes the records it holds). The
// dialog's cursor is left on the record it was on.
bool DialogHolds(CDialog* dialog, const TGuiCtrl* record) {
  const TGuiCtrl* cursor = dialog->CurrentGuiCtrl();
  bool held = false;
  for (int32_t more = dialog->First(); more && !held; more = dialog->Next()) held = dialog->CurrentGuiCtrl() == record;
  for (int32_t more = dialog->First(); more && dialog->CurrentGuiCtrl() != cursor;) more = dialog->Next();
  return held;
}
}  // namespace

CAnimationControl::~CAnimationControl() { Destroy(); }

int32_t CAnimationControl::Create(CResData* res, const char* name, CDialog* dialog, int32_t visible,
                                  TAnimEndCallback callback, void* user) {
  Destroy();
  if (!res || !name || !dialog) {
    xprintf("CAnimationControl::Create: No script, name or dialog.\n");
    return 0;
  }
  m_Name = name;
  m_pCallback = callback;
  m_pUser = user;
  m_pDialog = dialog;
  std::string stripName, aboveName;
  int32_t keyed = 0, count = 0;
  if (!ReadItem(res, stripName, aboveName, keyed, count)) {
    Destroy();
    return 0;
  }
  CBitmap* strip = res->GetBm(stripName.c_str(), nullptr, nullptr);
  if (!strip) {
    xprintf("CAnimationControl::Create: Couldn't get bitmap: %s\n", stripName.c_str());
    Destroy();
    return 0;
  }
  if (!BuildFrames(strip, count) || !AddStatic(keyed ? ANIMCTRL_FLAGS_KEYED : ANIMCTRL_FLAGS_PLAIN)) {
    Destroy();
    return 0;
  }
  if (!aboveName.empty()) RaiseAbove(res, aboveName.c_str());
  m_KeepVisible = visible ? 1 : 0;
  if (visible)
    DrawFrame();
  else
    ChangeState(XGUI_HIDDEN);
  return 1;
}

int32_t CAnimationControl::ReadItem(CResData* res, std::string& strip, std::string& above, int32_t& keyed,
                                    int32_t& count) {
  if (!res->EnterDataChunk()) {
    xprintf("CAnimationControl::Create: Could not enter datachunk.\n");
    return 0;
  }
  const int32_t restart = res->RestartMode(1);
  int32_t v[kNumbers] = {};
  const int32_t found = res->FindItem(m_Name.c_str());
  const char* stripName = found ? res->GetString(0) : nullptr;
  int32_t ok = stripName && std::strlen(stripName) < size_t(RES_FILENAME_SIZE);
  for (int32_t i = 0; ok && i < kNumbers; ++i) ok = res->GetLong(i + 1, &v[i]);
  ok = ok && res->GetBool(kKeyedValue, &keyed);
  if (ok) {
    strip = stripName;
    const char* aboveName = res->GetString(kAboveValue);
    above = aboveName ? aboveName : "";
  } else {
    xprintf(found ? "CAnimationControl::Create: Could not get %s item.\n"
                  : "CAnimationControl::Create: Could not find %s item.\n",
            m_Name.c_str());
  }
  res->RestartMode(restart);
  res->ExitDataChunk();
  if (!ok) return 0;
  if (v[kFrameWidth] <= 0 || v[kFrameHeight] <= 0 || v[kFrameCount] <= 0) {
    xprintf("CAnimationControl::Create: %s has no frame size or no frames.\n", m_Name.c_str());
    return 0;
  }
  m_X = m_OriginalX = v[kX];
  m_Y = m_OriginalY = v[kY];
  m_FrameWidth = v[kFrameWidth];
  m_FrameHeight = v[kFrameHeight];
  if (v[kFrameCount] > ANIMCTRL_MAX_FRAMES) {
    xprintf("CAnimationControl::Create: %s has more than %d frames.\n", m_Name.c_str(), ANIMCTRL_MAX_FRAMES);
    return 0;
  }
  count = v[kFrameCount];
  m_FrameDelay = xClampTimerPeriod(v[kFrameDelay]);
  m_DX = v[kDX];
  m_DY = v[kDY];
  return 1;
}

int32_t CAnimationControl::BuildFrames(CBitmap* strip, int32_t count) {
  const int32_t perRow = strip->m_Width / m_FrameWidth;
  const int32_t rows = strip->m_Height / m_FrameHeight;
  // The strip bounds the count before anything is allocated for it.
  if (perRow <= 0 || int64_t(perRow) * rows < count) {
    xprintf("CAnimationControl::Create: The strip of %s holds fewer than %d frames.\n", m_Name.c_str(), count);
    return 0;
  }
  m_Frames.resize(size_t(count));
  for (int32_t k = 0; k < GetNumFrames(); ++k)
    m_Frames[size_t(k)] = TPoint{m_FrameWidth * (k % perRow), m_FrameHeight * (k / perRow)};
  m_pStrip = strip;
  m_CurrentFrame = 0;
  return 1;
}

int32_t CAnimationControl::AddStatic(uint32_t flags) {
  auto* control = new (std::nothrow) CStatic;
  auto* record = new (std::nothrow) TGuiCtrl{GUICTRL_STATIC, XCNTRL_STATIC, control};
  if (!control || !record) {
    delete control;
    delete record;
    return 0;
  }
  control->Create("", m_X, m_Y, m_FrameWidth, m_FrameHeight, flags);
  control->SetBitmap(m_pStrip, m_pStrip, m_pStrip, m_pStrip);
  m_pStatic = control;
  m_pRecord = record;
  m_pDialog->AddGuiCtrl(record, 0);
  return 1;
}

void CAnimationControl::RaiseAbove(CResData* res, const char* name) {
  int32_t id = 0;
  TGuiCtrl* record = res->GetResId(name, &id) && id != -1 ? m_pDialog->GetGuiCtrl(id) : nullptr;
  if (!record || !record->m_pCntrl) {
    xprintf("CAnimationControl::Create: No control %s to keep above %s.\n", name, m_Name.c_str());
    return;
  }
  // Adding moves a control into the client area again: take that move back first.
  int32_t x = 0, y = 0, dx = 0, dy = 0;
  record->m_pCntrl->GetPos(x, y);
  m_pDialog->ClientOffset(dx, dy);
  m_pDialog->RemoveGuiCntrl(record);
  record->m_pCntrl->SetPos(x - dx, y - dy);
  m_pDialog->AddGuiCtrl(record, 0);
  record->m_pCntrl->Validate();
}

void CAnimationControl::Destroy() {
  Halt();
  if (m_pDialog && m_pRecord && DialogHolds(m_pDialog, m_pRecord)) {
    xGuiAddClearAreaGui(m_pStatic->ScreenRect());
    m_pDialog->RemoveGuiCntrl(m_pRecord);
    delete m_pStatic;
    delete m_pRecord;
  }
  m_pStatic = nullptr;
  m_pRecord = nullptr;
  m_pDialog = nullptr;
  m_pStrip = nullptr;
  m_Frames.clear();
  m_CurrentFrame = 0;
  m_StopAtFrame = -1;
  m_Reverse = 0;
  m_Name.clear();
}

// ---- running ----

void CAnimationControl::Start(ANIMSTYLE style, int32_t animate, int32_t startFrame) {
  if (m_Frames.empty()) return;
  if (style >= ANIMSTYLE_FORWARDBACK && style < ANIMSTYLE_KEEP) m_Style = style;
  m_Reverse = 0;
  Halt();
  if (!animate && m_Style != ANIMSTYLE_PINGPONG) {
    m_CurrentFrame = m_Style == ANIMSTYLE_FORWARD ? LastFrame() : 0;
    DrawFrame();
    Notify(ANIMSTATE_END);
    return;
  }
  m_CurrentFrame = m_Style == ANIMSTYLE_BACKWARD ? LastFrame() : 0;
  if (startFrame >= 0 && startFrame < GetNumFrames()) m_CurrentFrame = startFrame;
  m_Animating = 1;
  m_TimerPeriod = m_FrameDelay;
  AddTimer(m_TimerPeriod);
}

void CAnimationControl::TimerHandler(uint32_t) {
  if (!m_Animating || m_Frames.empty()) return;
  if (m_DX || m_DY) {
    m_X += m_DX;
    m_Y += m_DY;
    PlaceStatic();
  }
  DrawFrame();
  if (m_CurrentFrame == m_StopAtFrame) {
    m_StopAtFrame = -1;
    Finish(ANIMSTATE_END);
    return;
  }
  const int32_t last = LastFrame();
  switch (m_Style) {
    case ANIMSTYLE_FORWARDBACK:
    case ANIMSTYLE_FORWARD:
    case ANIMSTYLE_PINGPONG:
      m_CurrentFrame += m_Reverse ? -1 : 1;
      if (m_CurrentFrame > last) {
        m_CurrentFrame = last;
        if (m_Style == ANIMSTYLE_FORWARD) {
          Finish(ANIMSTATE_END);
          return;
        }
        m_Reverse = 1;
      } else if (m_Reverse && m_CurrentFrame <= 0) {
        m_CurrentFrame = 0;
        if (m_Style == ANIMSTYLE_PINGPONG) {
          m_Reverse = 0;
        } else {
          Finish(ANIMSTATE_END, last);
          return;
        }
      }
      break;
    case ANIMSTYLE_BACKWARD:
      if (m_CurrentFrame <= 0) {
        Finish(ANIMSTATE_END);
        return;
      }
      --m_CurrentFrame;
      break;
    case ANIMSTYLE_LOOP:
      m_CurrentFrame = (m_CurrentFrame + 1) % GetNumFrames();
      if (m_CurrentFrame == 0) {
        HideUnlessKept();
        Notify(ANIMSTATE_LOOP);
      }
      break;
    default:
      break;
  }
}

void CAnimationControl::Halt() {
  RemoveAllTimers();
  m_TimerPeriod = 0;
  m_Animating = 0;
}

void CAnimationControl::Finish(ANIMSTATE state, int32_t frameAfter) {
  // The frame this tick drew stays on show.
  Halt();
  if (frameAfter >= 0) m_CurrentFrame = frameAfter;
  HideUnlessKept();
  Notify(state);
}

void CAnimationControl::HideUnlessKept() {
  if (!m_KeepVisible) ChangeState(XGUI_HIDDEN);
}

void CAnimationControl::Notify(ANIMSTATE state) {
  // Last in every path: the callback may start the animation again or destroy it.
  if (m_pCallback) m_pCallback(m_pUser, this, state);
}

void CAnimationControl::Stop() {
  Halt();
  DrawFrame();
}

void CAnimationControl::StopAndHide() {
  Halt();
  ChangeState(XGUI_HIDDEN);
}

void CAnimationControl::StopAtFrame(int32_t frame) { m_StopAtFrame = frame; }

void CAnimationControl::StopAndShowFrame(uint32_t frame) {
  if (frame < uint32_t(GetNumFrames())) m_CurrentFrame = int32_t(frame);
  Stop();
}

void CAnimationControl::Hide() { ChangeState(XGUI_HIDDEN); }
void CAnimationControl::Show() { DrawFrame(); }

// ---- the static ----

void CAnimationControl::DrawFrame() {
  if (!m_pStatic || m_Frames.empty()) return;
  const TPoint& f = m_Frames[size_t(m_CurrentFrame)];
  CRect clip(f.x, f.y, f.x + m_FrameWidth - 1, f.y + m_FrameHeight - 1);
  m_pStatic->SetBkgClip(&clip);
  ChangeState(XGUI_RELEASED);
  m_pStatic->Validate();
}

void CAnimationControl::PlaceStatic() {
  if (!m_pStatic) return;
  int32_t dx = 0, dy = 0;
  m_pDialog->ClientOffset(dx, dy);
  xGuiAddClearAreaGui(m_pStatic->ScreenRect());
  m_pStatic->SetPos(m_X + dx, m_Y + dy);
  m_pStatic->Validate();
}

void CAnimationControl::ChangeState(int32_t state) {
  if (m_pStatic && m_pStatic->GetState() != state) m_pStatic->SetState(state);
}

void CAnimationControl::SetPos(int32_t x, int32_t y) {
  m_X = x;
  m_Y = y;
  PlaceStatic();
}

void CAnimationControl::GetPos(int32_t& x, int32_t& y) const {
  x = m_X;
  y = m_Y;
}

void CAnimationControl::SetFrameDelay(uint32_t ms) {
  m_FrameDelay = xClampTimerPeriod(ms);
  if (!m_Animating) return;
  RemoveTimer(m_TimerPeriod);
  m_TimerPeriod = m_FrameDelay;
  AddTimer(m_TimerPeriod);
}

void CAnimationControl::SetAnimationCtrlFlags(uint32_t flags) {
  if (!m_pStatic) return;
  m_pStatic->SetFlag(flags);
  m_pStatic->Validate();
}

void CAnimationControl::ClearAnimationCtrlFlags(uint32_t flags) {
  if (!m_pStatic) return;
  m_pStatic->RemoveFlag(flags);
  m_pStatic->Validate();
}

int32_t CAnimationControl::Is(const char* name) const {
  return name && !m_Name.empty() && xStricmp(name, m_Name.c_str()) == 0 ? 1 : 0;
}
