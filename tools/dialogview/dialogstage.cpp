#include "dialogstage.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/controls/combobox.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/controls/scrolltext.h"
#include "ostrel/controls/slider.h"
#include "ostrel/controls/timeout.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"
#include "platform/display/pixels.h"
#include "support/png.h"

namespace {
void NoEvents(int32_t, int32_t, int32_t, int32_t, void*) {}

// A path that still means the same file after the working folder changes.
std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char* here = xGetWorkingDirectory();
  std::string out = here ? std::string(here) + "/" + path : path;
  xFree(here);
  return out;
}
}  // namespace

CDialogStage::~CDialogStage() {
  m_Dialogs.clear();
  m_Script.Free();
  m_Base.Free();
  if (!m_Started) return;
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
  PlatformSetDisplay(nullptr);
}

bool CDialogStage::Fail(std::string why) {
  m_Error = std::move(why);
  return false;
}

bool CDialogStage::Start(int32_t width, int32_t height, bool headless) {
  if (headless) PlatformSetDisplay(PlatformHeadlessDisplay());
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  m_Started = true;
  if (!xCreateGlobals() || !xInit()) return Fail("the runtime did not start");
  CDibScreen* screen = sglb->m_pDibScreen;
  if (!screen || !screen->AddWindowVideoMode(width, height, 24, -1) ||
      !screen->InitModeRez(width, height, 24, VMODE_WINDOW))
    return Fail("no " + std::to_string(width) + "x" + std::to_string(height) + " window mode");
  glb->m_pCurrentScreen = screen;
  if (!screen->SetScreenWindowProperties(0, -1, -1)) return Fail("the screen window did not open");
  TPlatformMessage m;
  while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  if (!headless) {
    xShowSystemWindow();
    SetMinimumFrameTime(16);  // a person watches: about 60 frames a second is plenty
  }
  return true;
}

bool CDialogStage::Load(const std::string& dist, const std::string& script) {
  if (!xLoadBaseResData(&m_Base, dist.c_str())) return Fail("no base pack in " + dist);
  const std::string path = Absolute(script);
  char* old = xGetWorkingDirectory();
  const bool entered = xSetWorkingDirectory(dist.c_str()) == 1;
  const bool loaded = entered && m_Script.Load(path.c_str()) == 1;
  if (old) xSetWorkingDirectory(old);
  xFree(old);
  return loaded || Fail("the script " + script + " did not load");
}

std::vector<std::string> CDialogStage::WindowNames() {
  std::vector<std::string> names;
  m_Script.MainChunk();
  for (int32_t more = m_Script.FirstItem(); more; more = m_Script.NextItem(0)) {
    const char* key = m_Script.GetKeyword();
    const char* kind = m_Script.GetString(0);
    const char* name = m_Script.GetString(1);
    if (key && kind && name && xStrcmp(key, "{") == 0 && xStricmp(kind, "Window") == 0) names.push_back(name);
  }
  m_Script.MainChunk();
  return names;
}

bool CDialogStage::Open(const std::vector<std::string>& wanted) {
  const std::vector<std::string> names = wanted.empty() ? WindowNames() : wanted;
  if (names.empty()) return Fail("the script has no window section");
  for (const std::string& name : names) {
    int32_t id = 0;
    if (!IdOf(name, &id)) return Fail("no define " + name);
    auto dialog = std::make_unique<CDialog>();
    if (!dialog->Create(&m_Script, id, NoEvents, 0, nullptr)) return Fail("the dialog " + name + " did not build");
    m_Dialogs.push_back(std::move(dialog));
  }
  return true;
}

bool CDialogStage::IdOf(const std::string& name, int32_t* id) {
  char* end = nullptr;
  const long number = std::strtol(name.c_str(), &end, 10);
  if (!name.empty() && *end == '\0' && number >= INT32_MIN && number <= INT32_MAX) {
    *id = static_cast<int32_t>(number);
    return true;
  }
  return m_Script.GetResId(name.c_str(), id) == 1;
}

TGuiCtrl* CDialogStage::Find(int32_t id) {
  for (const auto& d : m_Dialogs)
    if (TGuiCtrl* r = d->GetGuiCtrl(id)) return r;
  return nullptr;
}

bool CDialogStage::SetValue(const std::string& assignment, bool mustExist) {
  const size_t eq = assignment.find('=');
  int32_t id = 0, value = 0;
  if (eq == std::string::npos || !IdOf(assignment.substr(0, eq), &id) || !IdOf(assignment.substr(eq + 1), &value))
    return Fail("not ID=N: " + assignment);
  TGuiCtrl* r = Find(id);
  const std::string what = "no control with a value: " + assignment.substr(0, eq);
  if (!r) return !mustExist || Fail(what);
  switch (r->m_Type) {
    case GUICTRL_PROGRESS:
      for (const auto& d : m_Dialogs)
        if (d->SetValue(id, value)) return true;
      return false;
    case GUICTRL_SLIDER: {
      auto* slider = static_cast<CSlider*>(r->m_pCntrl);
      slider->SetValue(value);
      slider->Validate();
      return true;
    }
    case GUICTRL_TIMEOUT:
      return static_cast<CTimeout*>(r->m_pCntrl)->SetValue(value) == 1;
    case GUICTRL_SCROLLTEXT: {
      // Its own timer's steps, so pauses and the end of the text count as they would on screen.
      auto* marquee = static_cast<CScrollText*>(r->m_pCntrl);
      if (value < 0 || value > 100000) return Fail("steps out of 0 to 100000: " + assignment);
      if (!marquee->IsScrolling()) return Fail("the scrolling text " + assignment.substr(0, eq) + " has no Delay");
      for (int32_t n = 0; n < value && marquee->IsScrolling(); ++n) marquee->TimerHandler(marquee->GetPeriod());
      return true;
    }
    case GUICTRL_CHECKBOX:
      r->m_pCntrl->SetState(value ? XGUI_CHECKED : XGUI_UNCHECKED);
      return true;
    case GUICTRL_LISTBOX:
    case GUICTRL_COMBOBOX:
      // N is the entry to select, from 1.
      if (value < 1 || value > (r->m_Type == GUICTRL_LISTBOX ? static_cast<CListbox*>(r->m_pCntrl)->GetNumRows()
                                                              : static_cast<CCombobox*>(r->m_pCntrl)->GetNumEntries()))
        return Fail("no entry " + assignment.substr(eq + 1) + " in " + assignment.substr(0, eq));
      if (r->m_Type == GUICTRL_LISTBOX)
        static_cast<CListbox*>(r->m_pCntrl)->SetSelected(value, 0);
      else
        r->m_pCntrl->SetSelected(value);
      return true;
    case GUICTRL_GROUPBOX:
      // N names the radio button to choose.
      return r->m_pCntrl->SetSelected(value) == 1 || Fail("no radio button " + assignment.substr(eq + 1) + " in the group");
    default:
      return Fail(what);
  }
}

bool CDialogStage::AddLine(const char* control, const char* text) {
  int32_t id = 0;
  if (!control || !text || !IdOf(control, &id)) return Fail("a Line item needs a control and a text");
  TGuiCtrl* r = Find(id);
  if (!r) return true;
  if (r->m_Type != GUICTRL_MULTIEDIT) return Fail(std::string("no multi-line edit ") + control);
  TRGBA* colour = nullptr;
  if (m_Script.GetNumStrings() > 2) {
    TRGBA c{};
    if (!m_Script.GetColor(2, &c, 0)) return Fail(std::string("no colour for the line of ") + control);
    colour = &m_LineColours.emplace_back(c);
  }
  auto* pane = static_cast<CMultiEdit*>(r->m_pCntrl);
  const int32_t before = pane->GetNumRows();
  if (!pane->AddNewLine(text)) return Fail(std::string("the multi-line edit ") + control + " is full");
  for (int32_t line = before + 1; colour && line <= pane->GetNumRows(); ++line) pane->SetTextColorOnLine(line, colour);
  return true;
}

bool CDialogStage::ApplyDataValues() {
  if (!m_Script.EnterDataChunk()) return true;
  bool ok = true;
  for (int32_t more = m_Script.FirstItem(); more && ok; more = m_Script.NextItem(0)) {
    const char* key = m_Script.GetKeyword();
    if (m_Script.IsComment() || !key) continue;
    if (xStricmp(key, "Line") == 0) {
      ok = AddLine(m_Script.GetString(0), m_Script.GetString(1));
      continue;
    }
    if (xStricmp(key, "Value") != 0) continue;
    const char* control = m_Script.GetString(0);
    const char* value = m_Script.GetString(1);
    ok = control && value && SetValue(std::string(control) + "=" + value, false);
  }
  m_Script.ExitDataChunk();
  m_Script.MainChunk();
  return ok;
}

void CDialogStage::Freeze() {
  for (const auto& d : m_Dialogs) d->StaticWindowCntrls(1);
}

int32_t CDialogStage::Frame() {
  RepaintUncovered();
  return xHandler();
}

void CDialogStage::RepaintUncovered() {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  if (!screen) return;
  m_LastRects.resize(m_Dialogs.size());
  for (size_t i = 0; i < m_Dialogs.size(); ++i) {
    CRect before = m_LastRects[i];
    const CRect now = m_Dialogs[i]->GetRect();
    m_LastRects[i] = now;
    if (before.IsNull() || before.IsEqual(&now)) continue;
    screen->FillRect(before.left, before.top, before.right - before.left + 1, before.bottom - before.top + 1,
                     TRGBA(0, 0, 0));
    screen->AddShadowArea(before.left, before.top, before.right + 1, before.bottom + 1);
    for (const auto& d : m_Dialogs) {
      CRect other = d->GetRect(), overlap;
      if (overlap.Intersect(&other, &before)) d->Validate();
    }
  }
}

bool CDialogStage::Capture(TRgbImage* image, int32_t margin) const {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  const SVmode* mode = screen ? screen->GetActiveMode() : nullptr;
  if (!mode || !image) return false;
  int32_t left = 0, top = 0, right = mode->Width, bottom = mode->Height;
  if (margin >= 0 && !m_Dialogs.empty()) {
    left = top = INT32_MAX;
    right = bottom = INT32_MIN;
    for (const auto& d : m_Dialogs) {
      const CRect& r = d->GetRect();
      left = std::min(left, r.left - margin);
      top = std::min(top, r.top - margin);
      right = std::max(right, r.right + 1 + margin);
      bottom = std::max(bottom, r.bottom + 1 + margin);
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, mode->Width);
    bottom = std::min(bottom, mode->Height);
  }
  if (right <= left || bottom <= top) return false;
  image->width = right - left;
  image->height = bottom - top;
  image->rgb.assign(static_cast<size_t>(image->width) * image->height * 3, 0);
  const uint8_t* pixels = screen->LockScreenBuffer();
  if (!pixels) return false;
  std::vector<uint32_t> row(image->width);
  for (int32_t y = 0; y < image->height; ++y) {
    PlatformPixelsToXrgb(pixels + static_cast<int64_t>(top + y) * mode->Pitch + left * 3, EPixelFormat::Bgr24, nullptr,
                         image->width, row.data());
    uint8_t* out = &image->rgb[static_cast<size_t>(y) * image->width * 3];
    for (int32_t x = 0; x < image->width; ++x) {
      out[x * 3] = static_cast<uint8_t>(row[x] >> 16);
      out[x * 3 + 1] = static_cast<uint8_t>(row[x] >> 8);
      out[x * 3 + 2] = static_cast<uint8_t>(row[x]);
    }
  }
  return true;
}
