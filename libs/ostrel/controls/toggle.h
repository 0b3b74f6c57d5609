// What check boxes and radio buttons share: a small box with a caption static beside it, or,
// without caption width, the look of a push button that carries its own text; states 6 checked
// and 7 not checked.
#pragma once

#include "ostrel/controls/controlbase.h"

class CStatic;

class CToggleBase : public CControlBase {
 public:
  CToggleBase() = default;
  ~CToggleBase() override;

  void TimerHandler(uint32_t period) override;
  int32_t SetTextColor(TRGBA colour) override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t ClearClipListIndex() override;

  CStatic* GetCaption() const { return m_pCaption; }
  int32_t GetCaptionOffset() const { return m_CaptionOffset; }
  int32_t IsToggled() const { return m_Toggled; }

 protected:
  // The steps common to both Creates.
  void CreateToggle(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                    int32_t captionOffset, int16_t hotKey, uint32_t flags);
  // The box and the caption text count; without a caption the rectangle.
  void ComputeMouseArea();
  // The colour set of a state: 4 the disabled set, 6 the pressed one, else the normal one.
  TCntrlColor* ToggleColors() const;
  // The bitmap of a state; the checked state falls back to the check mark.
  CBitmap* ToggleBitmap(bool checkFallback) const;
  // Mouse arming shared by both kinds: TRACK_ bits. The button goes up over the control to arm
  // it; a press then counts once, however the pointer moves while the button stays down.
  enum : int32_t { TRACK_INSIDE = 1, TRACK_PRESS = 2, TRACK_RELEASE = 4 };
  int32_t TrackMouse(int32_t a, int32_t b, int32_t c);
  // The hot key of a key message; 0 for other keys.
  int32_t IsHotKey(void* d, bool& down) const;
  void DrawBox(int32_t sx, int32_t sy);
  // The round look of a radio button: the look's picture of the state centred in the box. false
  // when there is no such picture (the button then draws the square box).
  bool DrawRoundBox(int32_t sx, int32_t sy);
  void DrawButtonLook(int32_t sx, int32_t sy);

  CBitmap* m_pCheck = nullptr;
  int32_t m_CaptionOffset = 0;
  int32_t m_Toggled = 0;
  int32_t m_NoCaption = 1;
  CStatic* m_pCaption = nullptr;
  int32_t m_ValidateCaption = 0;  // the radio button validates its caption before drawing it
  CBitmap* const* m_pRound = nullptr;  // the radio button's round pictures of the look, or null
};
