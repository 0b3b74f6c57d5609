// What the edit field and the multi-line edit share: focus and caret, the mouse (arming,
// presses reported as 1 and 2, focus taken and given up), the caret's blink, and the field's
// face with its text runs.
#pragma once

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/editmetrics.h"

struct TQueueChar;

inline constexpr uint32_t EDIT_CARET_PERIOD = 200;

// The value of a key message as windows hear it: the key code in the low half, its flags above.
int32_t xKeyEventValue(const TQueueChar& key);

class CEditBase : public CControlBase {
 public:
  // Flips the caret; a focused field redraws.
  void TimerHandler(uint32_t period) override;
  // State 2 also gives up the focus.
  int32_t SetState(int32_t s) override;

  int32_t IsFocused() const { return m_Focused; }
  int32_t IsCaretShown() const { return m_CaretShown; }

 protected:
  // The window manager's colour sets, font and caret, the text cursor, no focus, the caret timer.
  void TakeEditDefaults();
  // Message 8 over the field itself; a press places the caret with PlaceCaretAt.
  int32_t EditMouse(int32_t a, int32_t b, int32_t c);
  virtual void PlaceCaretAt(int32_t x, int32_t y) = 0;
  // The key of message 0 when the field takes keys (highlighted, focused, a press); else null.
  const TQueueChar* KeyTaken(void* d) const;
  // Message 8 goes to the scroll bars first (null ones skipped): 1 when one of them took it.
  int32_t BarsTakeMouse(CControlBase* first, CControlBase* second, int32_t a, int32_t b, int32_t c);
  // Message 17.
  void FocusMessage(int32_t c);
  // The end of messages 8 and 17: a change of focus redraws, the requested state is applied.
  void EndFocusMessage(bool mouse);
  // Message 0 for a key, with the key event as its value.
  void SendKeyMessage(const TQueueChar& key);
  // Fill, alpha, sunken frame and bitmap of the state; pushes the clip, narrowed to the text area
  // of width by height inside the frame (the caller pops it).
  void DrawFace(int32_t sx, int32_t sy, int32_t width, int32_t height);
  // text[from, to) (or as many stars) on one line at (x, y), as far as limit pixels reach.
  void DrawRun(const char* text, int32_t from, int32_t to, bool stars, int32_t x, int32_t y, int32_t limit,
               const TRGBA* colour);
  int32_t Inset() const { return (m_Flags & CNTRL_EXTRUDED) ? m_Look.m_Bevel : 0; }
  // Where text starts, window-relative.
  int32_t TextLeft() const { return m_X + Inset() + 2; }
  int32_t TextTop() const { return m_Y + Inset() + 2; }
  int32_t CaretWidth() const;
  void DrawCaret(int32_t x, int32_t y);

  int32_t m_Focused = 0;
  int32_t m_FocusRequested = 0;
  int32_t m_CaretShown = 0;
  CBitmap* m_pCaret = nullptr;
  TCntrlColor* m_pHoverColors = nullptr;
  CEditMetrics m_Metrics;
};
