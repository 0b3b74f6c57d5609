// The mouse of the toolkit: position, buttons with pressed-since and released-since bits,
// relative movement, and the cursor, either own sprite cursors (full screen) or the system's.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/system/msgsys.h"
#include "ostrel/system/timers.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"

class CBitmap;
class CCursorSprite;
struct TPoint;

using TMouseUpdateFunc = void (*)(int32_t x, int32_t y, int32_t buttons);

// Button word: down now, pressed since last read, released since last read.
enum : uint32_t {
  XMOUSE_LBUTTON = 0x01,
  XMOUSE_RBUTTON = 0x02,
  XMOUSE_MBUTTON = 0x04,
  XMOUSE_PRESSED_SHIFT = 8,    // a button's pressed-since bit is its down bit << 8
  XMOUSE_RELEASED_SHIFT = 16,  // and its released-since bit << 16
  XMOUSE_EVENT_BITS = 0x70700,
};

// Mouse flags.
enum : uint32_t { XMOUSE_NEEDDELTA = 0x01, XMOUSE_OWNCURSOR = 0x02 };

// System cursor ids of SetCursor without own cursors; any other id shows the arrow.
enum : uint32_t { XCURSOR_TEXTBEAM = 2, XCURSOR_FINGER = 3 };

struct TMouseCursor {
  uint32_t m_Id;
  CCursorSprite* m_pSprite;   // owned
  CBitmap* m_pOwnedBitmap;    // the picture loaded from a file for this cursor, else null
  int16_t m_A;
  int16_t m_B;
};

struct TDeltaHandler {
  int32_t m_Id;
  int32_t m_A;
  int32_t m_B;
};

class CMouseBase {
 public:
  CMouseBase();
  CMouseBase(const CMouseBase&) = delete;
  CMouseBase& operator=(const CMouseBase&) = delete;
  virtual int32_t Init() = 0;
  // Own cursors: the one with that id is shown and current (set to the frame when it is not 0,
  // not animating), all others hidden. Without: every sprite hidden. Either way the cursor-set
  // flag is raised.
  virtual void SetCursor(uint32_t id, int32_t frame);
  virtual ~CMouseBase();

  // A new cursor from the bitmap at the mouse position; the first becomes current. Its id, 0 on
  // failure.
  uint32_t AllocCursor(CBitmap* bitmap, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int16_t a, int16_t b);
  // The same from a picture file in the screen's format; the cursor keeps the picture.
  uint32_t AllocCursor(const char* file, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int16_t a, int16_t b);
  int32_t FreeCursor(uint32_t id);
  void FreeAllCursors();
  // Frees the cursors and the delta handlers.
  void Exit();
  int32_t SetCursorCalled() const { return m_CursorSet; }
  void ClearSetCursorCalled() { m_CursorSet = 0; }
  uint32_t GetCurrentCursor() const { return m_CurrentCursor; }
  int32_t GetNumCursors() const { return static_cast<int32_t>(m_Cursors.size()); }
  void StartAnim(uint32_t id, int32_t flags, float delay);
  void StopAnim();

  // Sets the position and zeroes the relative movement.
  void SetPos(int32_t x, int32_t y);
  // Position and the low byte of the button word; each pointer may be null.
  void GetState(int32_t* x, int32_t* y, uint8_t* buttons) const;
  // The whole button word, then the pressed and released bits are cleared.
  void GetBtnState(int32_t* buttons);
  // Relative movement and buttons, then the movement is zeroed.
  void GetDelta(int32_t* dx, int32_t* dy, uint8_t* buttons);
  // A new delta-handler record; its id (also into *id), 0 when id is null.
  int32_t GetDeltaHandler(int32_t* id);

  // Where the picture starts inside the window (the screen sets it).
  void SetMouseAdd(int32_t x, int32_t y) {
    m_AddX = x;
    m_AddY = y;
  }
  // The picture of pictureWidth by pictureHeight shown stretched to shownWidth by shownHeight
  // from the mouse offset on (the full-screen screen sets it): positions are mapped back into the
  // picture and kept inside it. Any size below 1 ends the mapping.
  void SetMouseScale(int32_t pictureWidth, int32_t pictureHeight, int32_t shownWidth, int32_t shownHeight);
  void SetUpdateCallback(TMouseUpdateFunc callback) { m_pUpdate = callback; }
  void IsFullScreen(int32_t on) { SetFlag(XMOUSE_OWNCURSOR, on); }
  void NeedDelta(int32_t on) { SetFlag(XMOUSE_NEEDDELTA, on); }
  void SetSensitivity(float s) { m_Sensitivity = s; }
  float GetSensitivity() const { return m_Sensitivity; }
  uint32_t GetFlags() const { return m_Flags; }

 protected:
  void SetFlag(uint32_t flag, int32_t on) { m_Flags = on ? (m_Flags | flag) : (m_Flags & ~flag); }
  TMouseCursor* FindCursor(uint32_t id);
  // A pointer position seen from the window's corner as a picture position: the mouse offset
  // taken off and, with a scale, mapped into the picture.
  void WindowToPicture(int32_t wx, int32_t wy, int32_t& x, int32_t& y) const;
  void FreeCursorRecord(TMouseCursor& c);

  std::vector<TMouseCursor> m_Cursors;
  uint32_t m_NextCursorId = 1;
  uint32_t m_CurrentCursor = 0;  // id, 0 none
  std::vector<TDeltaHandler> m_DeltaHandlers;
  int32_t m_NextDeltaId = 1;
  int32_t m_X = 320;
  int32_t m_Y = 240;
  int32_t m_DX = 0;
  int32_t m_DY = 0;
  uint32_t m_Buttons = 0;
  uint32_t m_PrevButtons = 0;
  uint8_t m_Down[3] = {};
  float m_Sensitivity = 1.0f;
  uint32_t m_Flags = 0;
  int32_t m_AddX = 0;
  int32_t m_AddY = 0;
  int32_t m_PictureWidth = 0, m_PictureHeight = 0;  // 0: no scale
  int32_t m_ShownWidth = 0, m_ShownHeight = 0;
  int32_t m_CursorSet = 0;
  TMouseUpdateFunc m_pUpdate = nullptr;
};

class CMouse : public CMouseBase, public CWinMsg, public CMsgSys, public CTimer {
 public:
  // Registers for the mouse, activation and set-cursor messages and looks up the system cursors.
  CMouse();
  ~CMouse() override;

  // 0 without a mouse. Own cursors (pointer hidden, a 20 ms timer following it) unless the
  // current screen shows a window mode.
  int32_t Init() override;
  void SetCursor(uint32_t id, int32_t frame) override;
  // Called once the program has given the display its finger picture for the hand cursor
  // (CDisplayBackend::SetCursorPicture): the finger becomes the hand where the arrow stood in.
  void SetFingerResourceId(uint16_t id);
  EDisplayCursor GetFingerCursor() const { return m_Finger; }

  intptr_t WinMsgHandler(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void TimerHandler(uint32_t period) override;

 private:
  void OnPointer(uintptr_t keyFlags);
  void WarpToCentre();

  EDisplayCursor m_Arrow = EDisplayCursor::Arrow;
  EDisplayCursor m_Finger = EDisplayCursor::Arrow;
  EDisplayCursor m_Beam = EDisplayCursor::Arrow;
  bool m_SeenFirstMove = false;
};
