#include "ostrel/graphics/slideshow.h"

#include <algorithm>
#include <new>
#include <string>

#include "ostrel/controls/controlbase.h"
#include "ostrel/crypto/random.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"

namespace {
constexpr int32_t kSlideValues = 6;
constexpr int32_t kEffectValues = 4;
// More frames than any mask could hold; keeps the frame counter far from overflowing.
constexpr int32_t kMaxSteps = 65535;
// The key colour of the transitions: covered parts of a picture.
const TRGBA kGreen(0, 255, 0);

// min when the bounds are equal, else min plus a draw below the difference (the bounds in either
// order).
uint32_t RandomLong(uint32_t min, uint32_t max) {
  if (min == max) return min;
  if (max < min) std::swap(min, max);
  return min + xRand(max - min);
}

// The Data chunk entered with restart mode on, left as it was found.
class CDataChunk {
 public:
  explicit CDataChunk(CResData& res) : m_Res(res) {
    m_Entered = res.EnterDataChunk() != 0;
    m_Restart = res.RestartMode(1);
  }
  ~CDataChunk() {
    m_Res.RestartMode(m_Restart);
    if (m_Entered) m_Res.ExitDataChunk();
  }
  CDataChunk(const CDataChunk&) = delete;
  CDataChunk& operator=(const CDataChunk&) = delete;
  bool Entered() const { return m_Entered; }
  // The item as the current one; false when the name is empty or there is none.
  bool Find(const char* name) const { return name && *name && m_Res.FindItem(name); }

 private:
  CResData& m_Res;
  bool m_Entered;
  int32_t m_Restart;
};
}  // namespace

CSlideShow::CSlideShow() = default;

CSlideShow::~CSlideShow() { Release(); }

void CSlideShow::Release() {
  RemoveAllTimers();
  m_EffectRunning = false;
  for (auto& e : m_Entries)
    if (e->m_OwnsBitmap) delete e->m_pBitmap;
  m_Entries.clear();
  m_Effects.clear();
  m_WorkA.Free();
  m_WorkB.Free();
  m_pSelected = m_pPrevSelected = m_pCurrent = m_pPrevious = nullptr;
  m_Phase = m_Step = m_Start = m_Direction = 0;
  m_Delay = 0;
  m_OneShot = m_OverPrevious = 0;
  ++m_Generation;
}

void CSlideShow::Attach(CControlBase* control, TSlideShowCallback callback, void* user) {
  m_pControl = control;
  m_CreationFlags = 0;
  m_Width = m_Height = 0;
  if (control) {
    m_CreationFlags = control->GetFlags();
    control->GetSize(m_Width, m_Height);
  }
  m_pCallback = user ? callback : nullptr;
  m_pUser = user;
}

// ---- building ----

int32_t CSlideShow::Create(CControlBase* control, CResData* res, const char* name, TSlideShowCallback callback,
                           void* user) {
  Release();
  Attach(control, callback, user);
  if (!res) return 0;
  bool ok = false;
  {
    CDataChunk data(*res);
    if (data.Entered() && data.Find(name)) {
      int32_t oneShot = 0;
      const char* slides = res->GetString(1);
      const char* effects = res->GetString(2);
      // The names are copied: finding another item moves the cursor off this one.
      const std::string slidesName = slides ? slides : "", effectsName = effects ? effects : "";
      ok = res->GetBool(0, &oneShot) && slides && effects;
      m_OneShot = oneShot ? 1 : 0;
      if (ok && !effectsName.empty()) ok = data.Find(effectsName.c_str()) && ReadEffects(*res);
      if (ok) ok = data.Find(slidesName.c_str()) && ReadSlides(*res);
    }
  }
  AssignEffects();
  ResetToFirst();
  if (!m_Entries.empty() && !MakeWorkBitmaps()) ok = false;
  return ok ? 1 : 0;
}

int32_t CSlideShow::CreateEmpty(CControlBase* control, CResData* res, const char* name, TSlideShowCallback callback,
                                void* user) {
  Release();
  Attach(control, callback, user);
  m_OneShot = 1;
  if (!res) return 0;
  bool ok = false;
  {
    CDataChunk data(*res);
    ok = data.Entered() && data.Find(name) && ReadEffects(*res);
  }
  if (!m_Effects.empty() && !MakeWorkBitmaps()) ok = false;
  return ok ? 1 : 0;
}

int32_t CSlideShow::CreateForControl(CControlBase* control, int32_t oneShot, TSlideShowCallback callback,
                                     void* user) {
  Release();
  Attach(control, callback, user);
  m_OneShot = oneShot ? 1 : 0;
  return control ? 1 : 0;
}

bool CSlideShow::ReadEffects(CResData& res) {
  const int32_t values = res.GetNumStrings();
  for (int32_t first = 0; first + kEffectValues <= values; first += kEffectValues) {
    int32_t maskIndex = 0, perRow = 0, steps = 0;
    uint32_t period = 0;
    if (!res.GetLong(first, &maskIndex) || !res.GetLong(first + 1, &perRow) || !res.GetLong(first + 2, &steps) ||
        !res.GetULong(first + 3, &period))
      return false;
    const TBitmapRes* mask = res.GetBitmapRes(maskIndex);
    if (!mask || !mask->m_pBitmap) return false;
    if (AddEffect(mask->m_pBitmap, perRow, steps, period) < 0) return false;
  }
  return true;
}

bool CSlideShow::ReadSlides(CResData& res) {
  const int32_t values = res.GetNumStrings();
  for (int32_t first = 0; first + kSlideValues <= values; first += kSlideValues) {
    auto entry = std::make_unique<TSlideEntry>();
    const char* picture = res.GetString(first + 2);
    if (!res.GetULong(first, &entry->m_FirstMin) || !res.GetULong(first + 1, &entry->m_FirstMax) || !picture ||
        !res.GetULong(first + 3, &entry->m_SecondMin) || !res.GetULong(first + 4, &entry->m_SecondMax) ||
        !res.GetLong(first + 5, &entry->m_EffectIndex))
      return false;
    entry->m_pBitmap = res.GetBm(picture, nullptr, nullptr);
    if (!entry->m_pBitmap) return false;
    entry->m_OwnsBitmap = 0;
    entry->m_pEffect = nullptr;
    m_Entries.push_back(std::move(entry));
  }
  return true;
}

int32_t CSlideShow::AddEffect(CBitmap* mask, int32_t framesPerRow, int32_t steps, uint32_t period) {
  auto* effect = new (std::nothrow) TSlideEffect{mask, framesPerRow, std::clamp(steps, 0, kMaxSteps), xClampTimerPeriod(period)};
  if (!effect) return -1;
  m_Effects.emplace_back(effect);
  AssignEffects();
  return static_cast<int32_t>(m_Effects.size()) - 1;
}

int32_t CSlideShow::AddEntry(uint32_t firstMin, uint32_t firstMax, uint32_t secondMin, uint32_t secondMax,
                             CBitmap* picture, int32_t effect) {
  if (!picture) return 0;
  auto* entry = new (std::nothrow) TSlideEntry{1, firstMin, firstMax, picture, secondMin, secondMax, effect, nullptr};
  if (!entry) return 0;
  m_Entries.emplace_back(entry);
  AssignEffects();
  // A show made empty gets its current slide and work pictures with its first slide.
  if (!m_pCurrent) ResetToFirst();
  if (!MakeWorkBitmaps()) return 0;
  return 1;
}

void CSlideShow::AssignEffects() {
  for (auto& e : m_Entries) {
    const bool known = e->m_EffectIndex >= 0 && e->m_EffectIndex < static_cast<int32_t>(m_Effects.size());
    e->m_pEffect = known ? m_Effects[static_cast<size_t>(e->m_EffectIndex)].get() : nullptr;
  }
}

bool CSlideShow::MakeWorkBitmaps() {
  // A control without an area shows nothing; there is nothing to make for it.
  if (m_Width < 1 || m_Height < 1) return true;
  if (m_WorkA.m_pData && m_WorkB.m_pData) return true;
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  for (CBitmap* work : {&m_WorkA, &m_WorkB}) {
    if (!work->CreateRGB(m_Width, m_Height, 24, 8, 8, 8, 16, 8, 0, 0)) return false;
    if (screen && screen->GetActiveMode()) screen->MakeScreenFormat(work, 0);
  }
  return true;
}

void CSlideShow::ResetToFirst() {
  m_pPrevious = m_pPrevSelected = nullptr;
  m_pCurrent = m_pSelected = m_Entries.empty() ? nullptr : m_Entries.front().get();
  if (m_pCurrent) m_Delay = xClampTimerPeriod(RandomLong(m_pCurrent->m_FirstMin, m_pCurrent->m_FirstMax));
}

// ---- the list ----

TSlideEntry* CSlideShow::EntryAt(int32_t n) const {
  return n >= 0 && n < GetNumOfSlides() ? m_Entries[static_cast<size_t>(n)].get() : nullptr;
}

int32_t CSlideShow::IndexOf(const TSlideEntry* entry) const {
  for (size_t i = 0; i < m_Entries.size(); ++i)
    if (m_Entries[i].get() == entry) return static_cast<int32_t>(i);
  return -1;
}

TSlideEntry* CSlideShow::NextOf(const TSlideEntry* entry) const {
  if (m_Entries.empty()) return nullptr;
  const int32_t i = IndexOf(entry);
  return EntryAt(i < 0 ? 0 : (i + 1) % GetNumOfSlides());
}

int32_t CSlideShow::GetCurrentSlideNr() const { return IndexOf(m_pSelected); }

CBitmap* CSlideShow::GetEntryBitmap(int32_t n) {
  const TSlideEntry* e = EntryAt(n);
  return e ? e->m_pBitmap : nullptr;
}

void CSlideShow::Next() {
  if (m_Entries.empty()) return;
  m_pPrevSelected = m_pSelected;
  m_pSelected = NextOf(m_pSelected);
}

void CSlideShow::Prev() {
  if (m_Entries.empty()) return;
  m_pPrevSelected = m_pSelected;
  const int32_t i = IndexOf(m_pSelected);
  m_pSelected = EntryAt(i <= 0 ? GetNumOfSlides() - 1 : i - 1);
}

int32_t CSlideShow::Goto(int32_t n) {
  TSlideEntry* target = EntryAt(n);
  if (!target) return 0;
  // What is on show now is what the next exchange replaces.
  const bool hidden = !m_pControl || m_pControl->GetState() == XGUI_HIDDEN;
  m_pPrevSelected = hidden ? nullptr : m_pCurrent;
  m_pSelected = target;
  return 1;
}

int32_t CSlideShow::RemoveCurrentEntry(int32_t deletePicture) {
  const int32_t i = IndexOf(m_pSelected);
  if (i < 0) return 0;
  TSlideEntry* gone = m_pSelected;
  if (gone == m_pCurrent) {
    // The control must not keep showing a picture that goes, nor the show play a slide that did.
    RemoveAllTimers();
    m_EffectRunning = false;
    if (m_pControl && deletePicture && gone->m_OwnsBitmap) {
      HideControl();
      m_pControl->SetBitmap(nullptr, nullptr, nullptr, nullptr);
    }
  }
  if (deletePicture && gone->m_OwnsBitmap) delete gone->m_pBitmap;
  TSlideEntry* after = GetNumOfSlides() > 1 ? NextOf(gone) : nullptr;
  if (m_pPrevious == gone) m_pPrevious = nullptr;
  if (m_pPrevSelected == gone) m_pPrevSelected = nullptr;
  if (m_pCurrent == gone) m_pCurrent = after;
  m_Entries.erase(m_Entries.begin() + i);
  // The cursor's new entry: the one that took the removed one's place (the first past the end).
  m_pSelected = m_Entries.empty() ? nullptr : EntryAt(i < GetNumOfSlides() ? i : 0);
  return 1;
}

// ---- playing ----

bool CSlideShow::Rewind() {
  if (!m_pCurrent || m_OverPrevious) return false;
  StopEffectTimer();
  RemoveAllTimers();
  ++m_Generation;
  m_Step = 0;
  m_Phase = SLIDE_PHASE_SHOWING;
  return true;
}

void CSlideShow::Start() {
  if (Rewind()) TimerHandler(m_Delay);
}

void CSlideShow::Start(uint32_t ms) {
  if (!Rewind()) return;
  m_Delay = xClampTimerPeriod(ms);
  AddTimer(m_Delay);
}

void CSlideShow::Stop() {
  RemoveAllTimers();
  m_EffectRunning = false;
  ++m_Generation;
  ResetToFirst();
}

void CSlideShow::StopAndHide() {
  if (m_pCurrent) {
    HideControl();
    RestoreFlags();
    m_OverPrevious = 0;
  }
  Stop();
}

void CSlideShow::Exchange() {
  ++m_Generation;
  // A transition still running would go on drawing over this one.
  StopEffectTimer();
  m_pPrevious = m_pPrevSelected;
  m_pCurrent = m_pSelected;
  if (!m_pCurrent) return;
  if (!m_pCurrent->m_pEffect) {
    if (m_pControl) m_pControl->RemoveFlag(CNTRL_BMTRANS);
    ShowPicture(m_pCurrent->m_pBitmap);
    Tell(0);
    m_OverPrevious = 1;
    return;
  }
  RestoreFlags();
  m_Step = 0;
  StartEffect(1);
}

void CSlideShow::RemovePicture(int32_t animate) {
  ++m_Generation;
  // A transition still running would bring the picture back.
  StopEffectTimer();
  m_OverPrevious = 0;
  if (animate && m_pCurrent && m_pCurrent->m_pEffect) {
    m_Step = m_pCurrent->m_pEffect->m_Steps;
    StartEffect(-1);
    return;
  }
  HideControl();
  Tell(1);
}

// ---- the control ----

void CSlideShow::ShowPicture(CBitmap* picture) {
  if (!m_pControl) return;
  m_pControl->SetBitmap(picture, picture, picture, picture);
  m_pControl->SetState(XGUI_RELEASED);
  m_pControl->Validate();
}

void CSlideShow::HideControl() {
  if (!m_pControl) return;
  m_pControl->SetState(XGUI_HIDDEN);
  m_pControl->Validate();
}

void CSlideShow::RestoreFlags() {
  if (!m_pControl) return;
  m_pControl->RemoveFlag(~m_CreationFlags);
  m_pControl->SetFlag(m_CreationFlags);
}

void CSlideShow::Tell(uint32_t hiding) {
  if (m_pCallback) m_pCallback(m_pUser, m_pControl, hiding);
}

// ---- the timer step ----

void CSlideShow::StartEffect(int32_t direction) {
  const TSlideEffect& effect = *m_pCurrent->m_pEffect;
  StopEffectTimer();
  m_Direction = direction;
  // Forward runs frames 0 to steps, backward steps down to 0.
  m_Start = direction > 0 ? effect.m_Steps : 0;
  m_EffectPeriod = effect.m_Period;
  m_EffectRunning = AddTimer(m_EffectPeriod) != 0;
}

void CSlideShow::StopEffectTimer() {
  if (m_EffectRunning) RemoveTimer(m_EffectPeriod);
  m_EffectRunning = false;
}

void CSlideShow::EffectStep() {
  const TSlideEffect& effect = *m_pCurrent->m_pEffect;
  const int32_t w = m_Width, h = m_Height;
  if (!m_WorkA.m_pData || !m_WorkB.m_pData) {
    m_Step += m_Direction;
    return;
  }
  // A picture smaller than the control leaves the rest uncovered by anything: the key colour.
  m_WorkA.Fill(&kGreen);
  m_WorkA.Blt(m_pCurrent->m_pBitmap, 0, 0, 0, 0, w, h, BLT_MODE_COPY, 0, 0);
  if (effect.m_pMask && effect.m_FramesPerRow > 0) {
    // The frame's corner in 64 bits: a frame past the mask's end draws nothing.
    const int64_t x = static_cast<int64_t>(m_Step % effect.m_FramesPerRow) * w;
    const int64_t y = static_cast<int64_t>(m_Step / effect.m_FramesPerRow) * h;
    if (x < effect.m_pMask->m_Width && y < effect.m_pMask->m_Height)
      m_WorkA.Blt(effect.m_pMask, static_cast<int32_t>(x), static_cast<int32_t>(y), 0, 0, w, h, BLT_MODE_KEY, 0, 0);
  }
  if (m_pPrevious && m_pPrevious->m_pBitmap && m_OverPrevious) {
    m_WorkB.Blt(m_pPrevious->m_pBitmap, 0, 0, 0, 0, w, h, BLT_MODE_COPY, 0, 0);
  } else {
    m_WorkB.Fill(&kGreen);
  }
  if (!(m_CreationFlags & CNTRL_BMTRANS) && !m_OverPrevious)
    m_WorkB.Blt(m_pCurrent->m_pBitmap, 0, 0, 0, 0, w, h, BLT_MODE_COPY, 0, 0);
  m_WorkA.PutPixel(0, 0, &kGreen);
  m_WorkB.Blt(&m_WorkA, 0, 0, 0, 0, w, h, m_OverPrevious ? BLT_MODE_KEY : BLT_MODE_COPY, 0, 0);
  if (m_OverPrevious && m_pControl) m_pControl->RemoveFlag(CNTRL_BMTRANS);
  ShowPicture(&m_WorkB);
  m_Step += m_Direction;
}

void CSlideShow::TimerHandler(uint32_t period) {
  if (!m_pCurrent) {
    RemoveTimer(period);
    return;
  }
  bool effectEnded = false;
  if (m_EffectRunning && m_pCurrent->m_pEffect) {
    const bool passed = m_Direction > 0 ? m_Step > m_Start : m_Step < m_Start;
    if (!passed) {
      EffectStep();
      return;
    }
    StopEffectTimer();
    m_Step = 0;
    const uint32_t hiding = m_Direction < 0 ? 1 : 0;
    const uint32_t generation = m_Generation;
    Tell(hiding);
    if (generation != m_Generation) return;  // the owner took the show elsewhere
    if (m_OneShot) {
      if (hiding) {
        HideControl();
      } else {
        m_OverPrevious = 1;
      }
      return;
    }
    effectEnded = true;
  } else {
    StopEffectTimer();
    RemoveTimer(period);
  }
  if (m_Phase == SLIDE_PHASE_SHOWING) {
    PhaseShowing(effectEnded);
  } else if (m_Phase == SLIDE_PHASE_SHOWN) {
    PhaseShown(effectEnded);
  }
}

void CSlideShow::PhaseShowing(bool effectEnded) {
  if (effectEnded || !m_pCurrent->m_pEffect) {
    const bool showNow = !effectEnded;
    if (showNow && !m_Effects.empty() && m_pControl) m_pControl->RemoveFlag(CNTRL_BMTRANS);
    m_Delay = xClampTimerPeriod(RandomLong(m_pCurrent->m_SecondMin, m_pCurrent->m_SecondMax));
    m_Phase = SLIDE_PHASE_SHOWN;
    AddTimer(m_Delay);
    if (showNow) ShowPicture(m_pCurrent->m_pBitmap);
    return;
  }
  StartEffect(1);
}

void CSlideShow::PhaseShown(bool effectEnded) {
  TSlideEntry* next = NextOf(m_pCurrent);
  const bool nextAtOnce = next->m_FirstMin == 0 && next->m_FirstMax == 0;
  if (!effectEnded && m_pCurrent->m_pEffect && !nextAtOnce) {
    // The slide goes the way it came.
    m_Step = m_pCurrent->m_pEffect->m_Steps;
    StartEffect(-1);
    return;
  }
  m_pPrevious = m_pCurrent;
  m_pCurrent = next;
  uint32_t delay = RandomLong(m_pCurrent->m_FirstMin, m_pCurrent->m_FirstMax);
  if (delay == 0) {
    // No pause: the next slide comes over the one still shown.
    delay = 1;
    m_OverPrevious = 1;
  } else {
    HideControl();
    RestoreFlags();
    m_OverPrevious = 0;
  }
  m_Delay = xClampTimerPeriod(delay);
  m_Phase = SLIDE_PHASE_SHOWING;
  AddTimer(m_Delay);
}
