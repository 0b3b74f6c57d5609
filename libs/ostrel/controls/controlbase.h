// The base of every self-drawn control: a rectangle inside a window that the screen draws and
// the window feeds with input. It holds the flags, the state with its animations, the look, the
// text (owned or borrowed, with its MD5 form) and the dirty rectangles of the current frame.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/system/timers.h"

class CWindowBase;

inline constexpr int32_t CNTRL_CLIP_SIZE = 100;
inline constexpr int32_t CNTRL_MAX_BUFFER = 1 << 24;

class CControlBase : public CTimer {
 public:
  CControlBase();
  void TimerHandler(uint32_t period) override;
  ~CControlBase() override;

  virtual int32_t Create(int32_t id);
  // Removes the timers, clears the id, frees an owned text and the digest.
  virtual int32_t Destroy();
  // The other's look, flags, size, text (copied) and current state.
  virtual int32_t Copy(CControlBase* other);
  // Releases a hold by the hot key and sends the command.
  virtual int32_t LoseHotKey();
  virtual int32_t SetFont(CFont* font, const TRGBA* colour);
  virtual int32_t SetTextColor(TRGBA colour);
  virtual int32_t SetBitmap(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled);
  virtual int32_t SetColors(TCntrlColor* normal, TCntrlColor* pressed, TCntrlColor* highlighted,
                            TCntrlColor* disabled);
  virtual int32_t SetBevelSize(int32_t bevel);
  // Makes this control the window manager's template of its kind; the base has none.
  virtual int32_t SetDefault();
  virtual int32_t SetID(int32_t id);
  virtual int32_t GetID();
  virtual int32_t GetPos(int32_t& x, int32_t& y);
  virtual int32_t SetPos(int32_t x, int32_t y);
  virtual int32_t GetSize(int32_t& width, int32_t& height);
  virtual int32_t SetSize(int32_t width, int32_t height);
  virtual int32_t SetHotkey(int16_t key);
  virtual int16_t GetHotkey();
  virtual int32_t SetFlag(uint32_t flags);
  virtual uint32_t GetFlags();
  // 0 when windowId is null.
  virtual int32_t GetParent(int32_t* windowId, CWindowBase** window);
  virtual int32_t SetParent(int32_t windowId, CWindowBase* window);
  virtual int32_t RemoveFlag(uint32_t flags);
  // 0 not handled, 1 handled, 2 handled and no control below may see the mouse.
  virtual int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d);
  // Draws with the window's client origin at (x, y); mode selects the skip mark.
  virtual int32_t Draw(int32_t x, int32_t y, int32_t mode);
  // Applies the requested state.
  virtual int32_t Invalidate();
  // Asks for a full redraw.
  virtual int32_t Validate();
  // Adds the part of the control inside the area (screen coordinates) to the clip list.
  virtual int32_t Validate(CRect* area, int32_t index);
  // 0 when s is the current state already.
  virtual int32_t SetState(int32_t s);
  virtual int32_t GetState();
  virtual int32_t SetAlpha(int32_t alpha);
  // The id of a parent control that gets this control's messages; 0 for the window's callback.
  virtual int32_t SetCntrlMessagingSystem(int32_t parentId);
  virtual int32_t ClearClipListIndex();
  // Null draws the current animation frame.
  virtual int32_t DrawBitmap(CBitmap* bitmap, int32_t x, int32_t y);
  // Slot 1 pressed, 2 normal, 3 highlighted, 4 disabled.
  virtual int32_t SetAnimBitmap(TCntrlAnim* anim, int32_t slot, int32_t mode);
  virtual int32_t SetAnimLine(int32_t slot, const char* name, uint32_t minBefore, uint32_t maxBefore, TCntrlAnim* anim,
                              uint32_t minAfter, uint32_t maxAfter, const char* next1, const char* next2 = nullptr,
                              const char* next3 = nullptr, const char* next4 = nullptr,
                              const char* next5 = nullptr);
  virtual int32_t SetAnimLine_InsertNewAnimLine(CLList* successors, const char* name);
  // which 2: normal, pressed and highlighted; 1: pressed and highlighted; 3: highlighted.
  virtual int32_t SetFrameRate(int32_t which, int32_t delay);
  virtual int32_t GetTextBufferSize();
  // The text, or with CNTRL_MD5 its digest in lower-case hexadecimal.
  virtual char* GetTextBuffer(int32_t validate);
  virtual char* GetUnHashedBuffer(int32_t validate);
  virtual int32_t GetTextLength();
  // An owned, empty buffer of size bytes in place of the text; null when it cannot be had.
  virtual char* AllocBuffer(int32_t size);
  // Points at the caller's text, which must outlive its use; a case flag makes an owned copy.
  virtual int32_t SetText(const char* text);
  virtual int32_t FormatText();
  virtual int32_t GetSelected();
  virtual int32_t SetSelected(int32_t selected);
  virtual int32_t GetMouseArea(CRect* area);
  // One slot's animation script, at most five steps a call.
  virtual int32_t AnimLineHandler(CBitmap*& slotBitmap, TCntrlAnim*& slotAnim, TAnimLine*& line, CLList*& lines,
                                  TPMode& mode, uint32_t animFlag);
  virtual int32_t AnimLineHandlerAll();

  // The part of the bitmap to draw instead of the whole, cut to the control's size.
  void SetBkgClip(CRect* clip);
  CRect* GetBkgClip() { return &m_Look.m_BkgClip; }

  // For windows, the window manager and tests.
  TCntrlLook& GetLook() { return m_Look; }
  int32_t GetMessageTarget() const { return m_MessageTarget; }
  int32_t GetRequestedState() const { return m_RequestedState; }
  int32_t IsHover() const { return m_Hover; }
  void SetHover(int32_t on) { m_Hover = on; }
  int32_t GetPress() const { return m_Press; }
  int32_t NeedsDraw() const { return m_NeedsDraw; }
  int32_t IsBufferOwned() const { return m_BufferOwned; }
  int32_t GetClipCount() const { return m_ClipCount; }
  const CRect& GetClipRect(int32_t i) const { return m_ClipList[i]; }
  uint32_t GetCursor() const { return m_Cursor; }
  void SetCursor(uint32_t cursor) { m_Cursor = cursor; }
  void SetSkipMark(int32_t mode, int32_t on) {
    if (mode >= 0 && mode < 3) m_Skip[mode] = on;
  }
  // The control's rectangle on the screen (its window's position added).
  CRect ScreenRect() const;
  // The other's look (its animation scripts excepted); the template copy of new controls.
  void CopyLook(const CControlBase* other);

 protected:
  // Sends msg for this control: its window id, its id, its message target.
  int32_t Notify(int32_t msg);
  int32_t IsSkipped(int32_t mode) const { return mode >= 0 && mode < 3 && m_Skip[mode] == 1; }
  // The look slot of a state (1 pressed, 2 normal, 3 highlighted, 4 disabled); -1 for others.
  static int32_t SlotOfState(int32_t state);
  // The colour set and bitmap of the current state.
  TCntrlColor* StateColors() const;
  CBitmap* StateBitmap() const;
  int32_t WindowFlagsOr0() const;
  // The window manager's defaults for a kind: the colour sets, the default font, the cursor and,
  // when one is registered, the look of the kind's template (templateKind -1: none).
  void TakeDefaultLook(TCntrlColor* const* sets, bool buttonCursor, int32_t templateKind);
  // A frame animation of a slot: its flag, and the step to the next frame.
  static uint32_t AnimFlagOfSlot(int32_t slot);
  void StepAnimation(int32_t slot);
  void ShowFrame(int32_t slot);
  // Removes a timer period unless an animation of this control still needs it.
  void ReleaseTimer(uint32_t period);
  int32_t NeedsTimer(uint32_t period) const;
  void FreeText();
  void FreeLines();

  // Drawing shared by the control kinds; (sx, sy) is the control's top-left on the screen.
  // Fills with entry 2 of the set unless see-through; darken applies CNTRL_ALPHA's darkening.
  void FillFace(int32_t sx, int32_t sy, const TCntrlColor* set, bool darken);
  // Fill, raised bevel, bitmap and (withText) text of the current state, inside the pushed clip.
  void DrawButtonFace(int32_t sx, int32_t sy, bool withText);
  // The input of statics, frames, containers and progress bars: the mouse inside is taken and
  // the hot key returns the control to state 2. Disabled (and, unless takeWhenHidden, hidden)
  // controls take nothing.
  int32_t StaticInput(int32_t msg, int32_t a, int32_t b, void* d, bool takeWhenHidden);
  // The text with the alignment flags, clipped to the area.
  void DrawCntrlText(const CRect& area, bool singleLine);
  // Records the part of mine (screen coordinates) inside the area in the clip list; 0 when none.
  int32_t AddClip(CRect mine, const CRect& area);

  char* m_pText = nullptr;
  char* m_pHashedText = nullptr;
  int32_t m_Hover = 0;
  int32_t m_Id = 0;
  int32_t m_WindowId = 0;
  CWindowBase* m_pParent = nullptr;
  int32_t m_X = 0, m_Y = 0, m_Width = 0, m_Height = 0;
  int16_t m_HotKey = 0;
  uint32_t m_Flags = 0;
  CRect m_Rect;
  int32_t m_Press = 0;  // 0 free, 1 held by the mouse, 2 by the hot key
  int32_t m_WinHighlightsInactive = 0;
  int32_t m_BufferOwned = 0;
  int32_t m_BufferSize = 0;
  int32_t m_SavedState = XGUI_NOSAVEDSTATE;
  int32_t m_NeedsDraw = 0;
  TCntrlLook m_Look;
  int32_t m_MessageTarget = 0;
  int32_t m_State = XGUI_RELEASED;
  int32_t m_RequestedState = XGUI_RELEASED;
  int32_t m_Skip[3] = {};
  uint32_t m_Cursor;
  CRect m_ClipList[CNTRL_CLIP_SIZE];
  int32_t m_ClipCount = 0;
};
