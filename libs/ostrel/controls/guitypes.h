// What every control, window and dialog shares: the colour set, the frame animation and the
// animation-script line of a control's look, the dialog's control record, the GUI message
// numbers and the control type codes.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/containers/rect.h"
#include "ostrel/graphics/rgba.h"
#include "ostrel/resources/resflags.h"

class CBitmap;
class CControlBase;
class CFont;
class CLList;

// GUI messages, passed between the window manager, windows, controls and the window callbacks.
enum : int32_t {
  GUIMSG_KEY = 0,           // d: the TQueueChar of the key
  GUIMSG_HELD = 1,          // a button held down
  GUIMSG_COMMAND = 2,       // clicked or activated
  GUIMSG_HIGHLIGHT = 3,     // the mouse entered a button
  GUIMSG_CHECKED = 6,
  GUIMSG_UNCHECKED = 7,
  GUIMSG_MOUSE = 8,         // a, b: position; c: 1 while the left button is down
  GUIMSG_DRAGSTART = 9,     // a, b: the grab point
  GUIMSG_DRAGEND = 10,
  GUIMSG_ACTIVATE = 11,     // a: the window that becomes active; c: 1 active, 0 inactive
  GUIMSG_RADIOCHOSEN = 13,
  GUIMSG_SLIDER = 14,
  GUIMSG_SELCHANGE = 15,
  GUIMSG_LISTEVENT = 16,
  GUIMSG_FOCUS = 17,        // c: 1 for the control that gets the focus
  GUIMSG_TOFRONT = 18,
  GUIMSG_ENABLE = 19,       // a: the window; c: 1 enable, else disable
  GUIMSG_LEAVE = 20,        // the mouse left a highlighted or held control
  GUIMSG_TEXTCHANGED = 21,
  GUIMSG_PASTE = 23,        // d: the text
  GUIMSG_MOUSEENTER = 24,
  GUIMSG_MOUSELEAVE = 25,
  GUIMSG_MENUOPEN = 26,
  GUIMSG_MENUCLOSE = 27,
};

// Control type codes of the dialog's records.
enum : int32_t {
  GUITYPE_STATIC = 0,
  GUITYPE_BUTTON = 1,
  GUITYPE_PROGRESS = 2,
  GUITYPE_GROUPBOX = 3,
  GUITYPE_RADIOBUTTON = 4,
  GUITYPE_SLIDER = 5,
  GUITYPE_COMBOBOX = 6,
  GUITYPE_EDIT = 7,
  GUITYPE_CHECKBOX = 8,
  GUITYPE_SCROLLTEXT = 9,
  GUITYPE_TIMEOUT = 10,
  GUITYPE_LISTBOX = 11,
  GUITYPE_MULTIEDIT = 12,
  GUITYPE_URL = 13,
  GUITYPE_MENU = 14,
  GUITYPE_CONTROLCONTAINER = 15,
};

// Ids the toolkit gives its own controls.
enum : int32_t {
  XCNTRL_TITLEBAR = 1001,
  XCNTRL_CLOSE = 1002,
  XCNTRL_FRAME = 1003,
  XCNTRL_STATIC = 1004,
};

// Look slots: normal, pressed, highlighted, disabled.
enum : int32_t { LOOK_NORMAL = 0, LOOK_PRESSED = 1, LOOK_HIGHLIGHT = 2, LOOK_DISABLED = 3, LOOK_SLOTS = 4 };

// The callback of a registered window: (event, window id, control id, value, user).
using TWinCallback = void (*)(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

using TPMode = int32_t;

// Eight colours whose use each control kind's drawing gives.
struct TCntrlColor {
  TRGBA m_Col[8];
};

// A frame animation: with a source bitmap the frames are rectangles inside it (not owned);
// without one each frame is a bitmap of its own (owned).
struct TCntrlAnim {
  TCntrlAnim() = default;
  ~TCntrlAnim();
  TCntrlAnim(const TCntrlAnim&) = delete;
  TCntrlAnim& operator=(const TCntrlAnim&) = delete;

  int32_t NumFrames() const {
    return static_cast<int32_t>(m_pSource ? m_Rects.size() : m_Frames.size());
  }
  int32_t IsLastFrame() const { return m_Current >= NumFrames() - 1; }

  std::vector<CBitmap*> m_Frames;
  std::vector<CRect> m_Rects;
  CBitmap* m_pSource = nullptr;
  uint32_t m_Delay = 20;
  int32_t m_Current = 0;
};

inline constexpr int32_t ANIMLINE_NAME_SIZE = 32;
inline constexpr int32_t ANIMLINE_MAX_SUCCESSORS = 5;

// One line of a control's animation script.
struct TAnimLine {
  TAnimLine();
  ~TAnimLine();
  TAnimLine(const TAnimLine&) = delete;
  TAnimLine& operator=(const TAnimLine&) = delete;

  char m_Name[ANIMLINE_NAME_SIZE];
  uint32_t m_MinBefore;
  uint32_t m_MaxBefore;
  TCntrlAnim* m_pAnim;  // not owned
  uint32_t m_MinAfter;
  uint32_t m_MaxAfter;
  int32_t m_Step;
  uint32_t m_WaitStart;
  uint32_t m_Wait;
  CLList* m_pSuccessors;  // names (xStrdup) of the lines that may follow
};

// How a control looks.
struct TCntrlLook {
  CBitmap* m_pBitmaps[LOOK_SLOTS] = {};
  TCntrlColor* m_pColors[LOOK_SLOTS] = {};
  TCntrlAnim* m_pAnims[LOOK_SLOTS] = {};
  TAnimLine* m_pCurLine[LOOK_SLOTS] = {};
  CLList* m_pLines[LOOK_SLOTS] = {};  // owned by the control
  TPMode m_PlayMode[3] = {ANIM_LOOP, ANIM_LOOP, ANIM_LOOP};
  int32_t m_Reverse[3] = {};
  int32_t m_BitmapX = 0;
  int32_t m_BitmapY = 0;
  int32_t m_Bevel = 0;
  int32_t m_Alpha = 25;
  TRGBA m_TextColor{255, 255, 255, 0};
  CFont* m_pFont = nullptr;
  CRect* m_pCurFrame = nullptr;
  CBitmap* m_pFrameSource = nullptr;
  CRect m_BkgClip;
};

// The dialog's record of one control.
struct TGuiCtrl {
  int32_t m_Type;
  int32_t m_Id;
  CControlBase* m_pCntrl;
};

// A frame animation cut from source: count frames (0: columns x rows; rows 0: as many as the
// count needs) of frameWidth by frameHeight, row by row. copy 1 gives each frame a bitmap of its
// own in the screen's format, blitted with bltMode; otherwise the frames are rectangles of the
// source. Null when there would be no frame or a frame cannot be made.
TCntrlAnim* xCreateCntrlAnim(CBitmap* source, int32_t frameWidth, int32_t frameHeight, int32_t count,
                             int32_t columns, int32_t rows, int32_t copy, int32_t bltMode);
