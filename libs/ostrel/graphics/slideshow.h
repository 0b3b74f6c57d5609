// A slide show on one control: each picture appears (at once, or uncovered step by step through
// the frames of a mask), stays for a random time, goes (at once, or covered again), and the next
// follows after a random pause. The pictures and effects come from an item of a resource script's
// "Data" chunk or from the program. Everything runs on the show's object timers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/system/timers.h"

class CControlBase;
class CResData;

// Told when a transition has ended: hiding is 1 after a picture was covered, 0 after one was
// uncovered (or shown at once by Exchange, or taken away by RemovePicture without an effect).
using TSlideShowCallback = void (*)(void* user, CControlBase* control, uint32_t hiding);

// A mask whose frames, each the control's size, lie in rows of framesPerRow; frames 0 to steps
// are drawn in turn, one every period milliseconds.
struct TSlideEffect {
  CBitmap* m_pMask;  // not owned: the resource's or the program's
  int32_t m_FramesPerRow;
  int32_t m_Steps;
  uint32_t m_Period;
};

struct TSlideEntry {
  int32_t m_OwnsBitmap;  // set for pictures the program added
  uint32_t m_FirstMin, m_FirstMax;    // the hidden pause before the slide, milliseconds
  CBitmap* m_pBitmap;
  uint32_t m_SecondMin, m_SecondMax;  // how long it stays shown
  int32_t m_EffectIndex;              // -1: none
  TSlideEffect* m_pEffect;            // the effect of that index, when there is one
};

// Phases of the show.
inline constexpr int32_t SLIDE_PHASE_SHOWING = 2;
inline constexpr int32_t SLIDE_PHASE_SHOWN = 3;

class CSlideShow : public CTimer {
 public:
  CSlideShow();
  ~CSlideShow() override;

  // Reads the show of the Data item name: a one-shot flag, the name of the slides item and the
  // name of the effects item (may be empty); slides are six values each (first range, picture
  // name, second range, effect index), effects four (mask by its index among the resource's
  // bitmaps, frames per row, steps, period). Reading stops at the first incomplete group. The
  // callback is kept only with a user value. 0 when an item, value or picture is missing or
  // memory is short; what was read until then stays.
  int32_t Create(CControlBase* control, CResData* res, const char* name, TSlideShowCallback callback, void* user);
  // A one-shot show without slides: only the effects item name is read.
  int32_t CreateEmpty(CControlBase* control, CResData* res, const char* name, TSlideShowCallback callback,
                      void* user);
  // A show of the program's own: the control only; slides and effects are added.
  int32_t CreateForControl(CControlBase* control, int32_t oneShot, TSlideShowCallback callback, void* user);
  // Appends a slide that owns its picture; the first slide added to an empty show becomes the
  // current one. 0 without a picture or when memory is short.
  int32_t AddEntry(uint32_t firstMin, uint32_t firstMax, uint32_t secondMin, uint32_t secondMax, CBitmap* picture,
                   int32_t effect);
  // Appends an effect (the mask stays the caller's); its index, -1 when memory is short.
  int32_t AddEffect(CBitmap* mask, int32_t framesPerRow, int32_t steps, uint32_t period);

  // From the current slide, unless a one-shot picture is up: at once, or after ms milliseconds.
  void Start();
  void Start(uint32_t ms);
  // Every timer off; the first slide current and selected again.
  void Stop();
  void StopAndHide();

  // The selection, for showing chosen slides by hand.
  void Next();
  void Prev();
  // 0 when there are fewer than n + 1 slides.
  int32_t Goto(int32_t n);
  // The selected slide replaces the one that was selected before, at once or through its effect.
  void Exchange();
  // The picture goes: covered through the current slide's effect when animate is set and it has
  // one, else at once.
  void RemovePicture(int32_t animate);
  // Removes the selected slide (deleting its picture when asked and owned); 0 when none.
  int32_t RemoveCurrentEntry(int32_t deletePicture);
  CBitmap* GetEntryBitmap(int32_t n);
  int32_t GetNumOfSlides() const { return static_cast<int32_t>(m_Entries.size()); }
  // The selected slide's index; -1 when none.
  int32_t GetCurrentSlideNr() const;

  void TimerHandler(uint32_t period) override;

  // For the owner's and tests' eyes.
  int32_t GetPhase() const { return m_Phase; }
  int32_t GetStep() const { return m_Step; }
  uint32_t GetDelay() const { return m_Delay; }
  int32_t IsOverPrevious() const { return m_OverPrevious; }
  int32_t IsOneShot() const { return m_OneShot; }
  int32_t IsEffectRunning() const { return m_EffectRunning ? 1 : 0; }
  // Index of the playing slide; -1 when none.
  int32_t GetPlayingSlideNr() const { return IndexOf(m_pCurrent); }
  int32_t GetNumOfEffects() const { return static_cast<int32_t>(m_Effects.size()); }
  const CBitmap& GetWorkBitmap() const { return m_WorkB; }

 private:
  // Everything held goes: timers, slides (owned pictures deleted), effects, work bitmaps.
  void Release();
  // Control, its flags and size, and the callback.
  void Attach(CControlBase* control, TSlideShowCallback callback, void* user);
  // The current item's groups of values.
  bool ReadEffects(CResData& res);
  bool ReadSlides(CResData& res);
  void AssignEffects();
  // The two pictures of the control's size that transitions are made in; false without memory.
  bool MakeWorkBitmaps();
  // The slide after entry, wrapping; null in an empty show.
  TSlideEntry* NextOf(const TSlideEntry* entry) const;
  TSlideEntry* EntryAt(int32_t n) const;
  int32_t IndexOf(const TSlideEntry* entry) const;
  // The first slide current and selected, its pause drawn.
  void ResetToFirst();

  // Timers off, step 0, phase showing; false without a current slide or with a one-shot
  // picture up.
  bool Rewind();
  void ShowPicture(CBitmap* picture);
  void HideControl();
  void RestoreFlags();
  void StartEffect(int32_t direction);
  void StopEffectTimer();
  void EffectStep();
  void PhaseShowing(bool effectEnded);
  void PhaseShown(bool effectEnded);
  void Tell(uint32_t hiding);

  CControlBase* m_pControl = nullptr;
  uint32_t m_CreationFlags = 0;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  std::vector<std::unique_ptr<TSlideEntry>> m_Entries;
  std::vector<std::unique_ptr<TSlideEffect>> m_Effects;
  TSlideEntry* m_pSelected = nullptr;
  TSlideEntry* m_pPrevSelected = nullptr;
  TSlideEntry* m_pCurrent = nullptr;
  TSlideEntry* m_pPrevious = nullptr;
  CBitmap m_WorkA;
  CBitmap m_WorkB;
  uint32_t m_Delay = 0;
  int32_t m_Phase = 0;
  int32_t m_Step = 0;
  int32_t m_Start = 0;
  int32_t m_Direction = 0;
  uint32_t m_EffectPeriod = 0;
  bool m_EffectRunning = false;
  int32_t m_OneShot = 0;
  int32_t m_OverPrevious = 0;
  TSlideShowCallback m_pCallback = nullptr;
  void* m_pUser = nullptr;
  // Counts the operations that take the show elsewhere; a callback that used one ends the step.
  uint32_t m_Generation = 0;
};
