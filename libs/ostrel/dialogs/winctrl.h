// The window manager: one object in the process globals. It keeps the windows front first with
// their callbacks, draws them on bus message 2, routes the mouse and the keyboard on bus message
// 3, delivers GUI messages and holds the default looks.
//
// Callbacks may create, remove and destroy windows and their controls. While the window manager
// walks its windows or a window walks its controls, callbacks are queued and run when the
// outermost walk is over, and a removed window's entry is only marked and swept afterwards, so
// nothing that a walk still stands on is freed under it.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/containers/rect.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/system/msgsys.h"

class CWindowBase;

// Priorities of the window manager on the bus.
inline constexpr int32_t BUSPRI_WINCTRL_DRAW = 100;
inline constexpr int32_t BUSPRI_WINCTRL_INPUT = -104;

// Cursor ids the controls show (the mouse shows the arrow for any id it does not know).
inline constexpr uint32_t GUI_CURSOR_DEFAULT = 1;
inline constexpr uint32_t GUI_CURSOR_BUTTON = 3;
inline constexpr uint32_t GUI_CURSOR_TEXT = 2;

// Kinds of template controls (SetDefault).
enum : int32_t {
  GUITEMPLATE_TITLEBAR,
  GUITEMPLATE_FRAME,
  GUITEMPLATE_BUTTON,
  GUITEMPLATE_STATIC,
  GUITEMPLATE_OTHER,  // first of the kinds the later controls register
  GUITEMPLATE_COUNT = 16,
};

struct TWinEntry {
  CWindowBase* m_pWindow;
  TWinCallback m_pCallback;
  void* m_pUser;
  bool m_Removed;
};

class CWinCtrl : public CMsgSys {
 public:
  CWinCtrl();
  ~CWinCtrl() override;

  // Bus message 2 draws, 3 routes the input.
  int32_t MsgHandler(uint32_t message, TMsgParam a, TMsgParam b) override;

  // Registers on the bus and builds the built-in colour sets.
  int32_t Create();
  int32_t AddWindow(CWindowBase* window, TWinCallback callback, void* user);
  // 0 when no window has the id.
  int32_t RemoveWindow(int32_t id);
  // The entry of this window (the destructor of a window still registered calls it).
  int32_t RemoveWindow(CWindowBase* window);
  int32_t RemoveAll();
  int32_t ToFront(int32_t id);
  // Routes a GUI message: to the active window (23), to a window's control (a value), or to a
  // window's callback. 0 when there is no such window.
  int32_t SendMessage(int32_t msg, int32_t windowId, int32_t controlId, int32_t value, void* user);
  // The window list, front first, with a cursor.
  int32_t First();
  int32_t Next();
  int32_t Exists();
  CWindowBase* GetWindow();
  int32_t NumWindows() const;
  // The window at position n, front first (live windows only), or null.
  CWindowBase* GetWindowAt(int32_t n) const;
  CWindowBase* FindWindow(int32_t id) const;
  int32_t IsRegistered(const CWindowBase* window) const;
  // The live entry of a window, or null. Its callback and user value may be re-pointed (a
  // settings screen takes over a dialog's events so); a walk in progress then drops what it
  // queued for the old callback.
  TWinEntry* GetEntry(const CWindowBase* window) const { return EntryOf(window); }
  CWindowBase* GetTopmostWindowAtPoint(int32_t x, int32_t y);
  // Validate of every visible window, back to front.
  int32_t Validate();
  // The area to every visible window, back to front; 1 when one of them met it.
  int32_t Validate(CRect* area, int32_t index);
  void PrintWinList();

  // Defaults.
  void SetDefaultFrame(TCntrlColor* normal, TCntrlColor* pressed, TCntrlColor* highlighted, TCntrlColor* disabled);
  void SetDefaultTitlebar(TCntrlColor* normal, TCntrlColor* pressed, TCntrlColor* highlighted,
                          TCntrlColor* disabled);
  void SetDefaultButton(TCntrlColor* normal, TCntrlColor* pressed, TCntrlColor* highlighted, TCntrlColor* disabled);
  void SetDefaultFont(CFont* font) { m_pDefaultFont = font; }
  void SetDefaultCaret(CBitmap* bitmap) { m_pDefaultCaret = bitmap; }
  void SetDefaultCheck(CBitmap* bitmap) { m_pDefaultCheck = bitmap; }
  void SetDefaultClose(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled);
  void SetDefaultDrop(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled);
  void SetDefaultArrowUp(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled);
  void SetDefaultArrowDown(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled);
  // Radio buttons without pictures of their own: unchecked, checked, highlighted, disabled.
  void SetDefaultRadio(CBitmap* normal, CBitmap* checked, CBitmap* highlighted, CBitmap* disabled);
  // The face tiles of a slider's thumb, which fills no face of its own.
  void SetDefaultThumb(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled);
  // The time-out pies' colour sets; without them the fourth group's.
  void SetDefaultTimeout(TCntrlColor* normal, TCntrlColor* pressed, TCntrlColor* highlighted, TCntrlColor* disabled);
  static void SetupColors(TCntrlColor* set, const TRGBA* const colours[8]);
  static void MakeCol(int32_t r, int32_t g, int32_t b, int32_t a, TRGBA& colour);
  // Every default bitmap converted to the screen's format.
  void RemapDefaults();
  // An object that goes away (a resource script's font, bitmap or colour set) stops being a
  // default: colour sets fall back to the built-in ones, fonts and bitmaps to none.
  void ForgetDefault(const void* object);

  TCntrlColor* const* GetDefaultFrame() const { return m_pFrameColors; }
  TCntrlColor* const* GetDefaultTitlebar() const { return m_pTitlebarColors; }
  TCntrlColor* const* GetDefaultButton() const { return m_pButtonColors; }
  TCntrlColor* const* GetDefaultFourth() const { return m_pFourthColors; }
  CFont* GetDefaultFont() const { return m_pDefaultFont; }
  CBitmap* GetDefaultCaret() const { return m_pDefaultCaret; }
  CBitmap* GetDefaultCheck() const { return m_pDefaultCheck; }
  CBitmap* const* GetDefaultClose() const { return m_pClose; }
  CBitmap* const* GetDefaultDrop() const { return m_pDrop; }
  CBitmap* const* GetDefaultArrowUp() const { return m_pArrowUp; }
  CBitmap* const* GetDefaultArrowDown() const { return m_pArrowDown; }
  CBitmap* const* GetDefaultRadio() const { return m_pRadio; }
  CBitmap* const* GetDefaultThumb() const { return m_pThumb; }
  TCntrlColor* const* GetDefaultTimeout() const { return m_pTimeoutColors[0] ? m_pTimeoutColors : m_pFourthColors; }
  uint32_t GetDefaultCursor() const { return m_DefaultCursor; }
  uint32_t GetButtonCursor() const { return m_ButtonCursor; }

  // Template controls of SetDefault (not owned; a control that goes away leaves its place).
  void SetTemplate(int32_t kind, CControlBase* control);
  CControlBase* GetTemplate(int32_t kind) const;
  void ForgetTemplate(const CControlBase* control);

  // Walks: callbacks that arrive meanwhile wait until the outermost walk is over.
  void BeginWalk() { ++m_WalkDepth; }
  void EndWalk();
  int32_t InWalk() const { return m_WalkDepth > 0; }

 private:
  struct SDeferred {
    CWindowBase* m_pWindow;
    TWinCallback m_pCallback;
    int32_t m_Msg, m_WindowId, m_ControlId, m_Value;
    void* m_pUser;
  };

  TWinEntry* EntryOf(const CWindowBase* window) const;
  TWinEntry* EntryOfId(int32_t id) const;
  int32_t IndexOf(const TWinEntry* entry) const;
  void MoveTo(TWinEntry* entry, size_t index);
  int32_t ToFront(TWinEntry* entry);
  int32_t RemoveEntry(TWinEntry* entry);
  // Every live window gets message 11 with id and on.
  void ActivateAll(int32_t id, int32_t on, bool ownId);
  void CallBack(TWinEntry* entry, int32_t msg, int32_t windowId, int32_t controlId, int32_t value, void* user);
  void Sweep();
  void Draw();
  void Input();
  void Keyboard();
  // Live entries, front first, as they stand when called.
  std::vector<TWinEntry*> Snapshot() const;

  std::vector<TWinEntry*> m_Windows;
  size_t m_Cursor = 0;
  TCntrlColor* m_pFrameColors[4] = {};
  TCntrlColor* m_pTitlebarColors[4] = {};
  TCntrlColor* m_pButtonColors[4] = {};
  TCntrlColor* m_pFourthColors[4] = {};
  TCntrlColor m_BuiltIn[8] = {};
  CFont* m_pDefaultFont = nullptr;
  CBitmap* m_pDefaultCaret = nullptr;
  CBitmap* m_pDefaultCheck = nullptr;
  CBitmap* m_pClose[4] = {};
  CBitmap* m_pDrop[4] = {};
  CBitmap* m_pArrowUp[4] = {};
  CBitmap* m_pArrowDown[4] = {};
  CBitmap* m_pRadio[4] = {};
  CBitmap* m_pThumb[4] = {};
  TCntrlColor* m_pTimeoutColors[4] = {};
  CControlBase* m_pTemplates[GUITEMPLATE_COUNT] = {};
  uint32_t m_DefaultCursor = GUI_CURSOR_DEFAULT;
  uint32_t m_ButtonCursor = GUI_CURSOR_BUTTON;

  int32_t m_WalkDepth = 0;
  std::vector<SDeferred> m_Deferred;
  bool m_Registered = false;
};

// Opens a walk of the window manager for the scope (nothing without one). Code that calls into
// windows or controls from outside the window manager (timers, program calls) opens one first,
// so that a callback run meanwhile cannot free what that code still uses.
class CGuiWalk {
 public:
  CGuiWalk();
  ~CGuiWalk();
  CGuiWalk(const CGuiWalk&) = delete;
  CGuiWalk& operator=(const CGuiWalk&) = delete;

 private:
  CWinCtrl* m_pWinCtrl;
};

// The window manager of the process, or null.
CWinCtrl* xWinCtrl();
