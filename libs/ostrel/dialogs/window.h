// Windows: rectangles drawn on the one screen. CWindowBase keeps a window's place, flags,
// controls (not owned), focus and activation and turns the window manager's input into control
// messages; CWindow adds the title bar and the frame (owned) and the drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ostrel/containers/rect.h"
#include "ostrel/resources/resflags.h"

class CControlBase;
class CFrame;
class CTitlebar;

inline constexpr int32_t TITLEBAR_HEIGHT = 16;
// AddCntrl flags: 0x2000 puts the control first in the list.
inline constexpr int32_t ADDCNTRL_FIRST = 0x2000;
inline constexpr int32_t ADDCNTRL_LAST = 0x4000;
// The window-relative position of a mouse outside the window.
inline constexpr int32_t GUI_MOUSE_OUTSIDE = -100000;

class CWindowBase {
 public:
  CWindowBase();
  // Leaves the window manager when it is still registered.
  virtual ~CWindowBase();
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;

  // Every control to state 2 (on) or 4.
  virtual int32_t Enable(int32_t on);
  virtual int32_t ShowWindow();
  virtual int32_t HideWindow();
  virtual int32_t Draw(int32_t mode);
  virtual int32_t Validate();
  virtual int32_t Validate(CRect* area, int32_t index);
  virtual int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d);
  // Empties the control list, clears id and flags.
  virtual int32_t Destroy();

  // With XWIN_CENTER the window is centred on the active screen mode.
  int32_t Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
  int32_t SetPos(int32_t x, int32_t y);
  int32_t SetSize(int32_t width, int32_t height);
  int32_t GetPos(int32_t& x, int32_t& y) const;
  int32_t GetSize(int32_t& width, int32_t& height) const;
  int32_t GetID() const { return m_Id; }
  // Re-parents every control to the new id.
  int32_t SetID(int32_t id);
  int32_t SetFlag(uint32_t flags);
  int32_t RemoveFlag(uint32_t flags);
  uint32_t GetFlags() const { return m_Flags; }

  // Moves the control into the client area (below the title bar, inside a bordered frame), puts
  // it first with ADDCNTRL_FIRST, else last, and parents it.
  int32_t AddCntrl(CControlBase* control, int32_t addFlags);
  // How far AddCntrl moves a control: below the title bar and inside a bordered frame.
  void ClientOffset(int32_t& dx, int32_t& dy) const;
  // 1 when it was in the list.
  int32_t RemoveCntrl(CControlBase* control);
  int32_t RemoveAllCntrl();
  int32_t CntrlFirst();
  int32_t CntrlNext();
  int32_t CntrlExists();
  int32_t NumCntrls() const { return static_cast<int32_t>(m_Controls.size()); }
  // The control at the cursor.
  CControlBase* GetCntrl();
  // The control with that id in the list, or null.
  CControlBase* FindCntrl(int32_t id);

  // Sends message 17 to every control: c 1 to the new focus, 0 to the others.
  int32_t SetFocus(CControlBase* control);
  CControlBase* GetFocus() const { return m_pFocus; }
  CControlBase* GetCntrlUnderMouse() const { return m_pUnderMouse; }
  int32_t StaticWindowCntrls(int32_t on);
  int32_t ToFront();

  int32_t IsActive() const { return m_Active; }
  int32_t IsHidden() const { return (m_Flags & XWIN_HIDDEN) != 0; }
  const CRect& GetRect() const { return m_WinRect; }
  CTitlebar* GetTitlebar() const { return m_pTitlebar; }
  CFrame* GetFrame() const { return m_pFrame; }

 protected:
  // The key routing of message 0 (Tab, Enter, focus).
  void RouteKey(int32_t a, int32_t b, int32_t c, void* key);
  int32_t RouteMouse(int32_t x, int32_t y, int32_t button);
  void Activate(int32_t activeId, int32_t on);
  void Paste(const char* text);
  // The first control after index from that can take the focus, or -1.
  int32_t NextTabStop(size_t from) const;
  void UpdateRect();

  int32_t m_Width = 0;
  int32_t m_Height = 0;
  int32_t m_Id = 0;
  uint32_t m_Flags = 0;
  int32_t m_GrabX = 0;
  int32_t m_GrabY = 0;
  int32_t m_StaticCntrls = 0;
  CRect m_WinRect;
  int32_t m_X = 0;
  int32_t m_Y = 0;
  int32_t m_Active = 0;
  CControlBase* m_pFocus = nullptr;
  CControlBase* m_pUnderMouse = nullptr;
  std::vector<CControlBase*> m_Controls;
  size_t m_Cursor = 0;
  // Made and owned by CWindow; routed to by the base.
  CTitlebar* m_pTitlebar = nullptr;
  CFrame* m_pFrame = nullptr;
};

class CWindow : public CWindowBase {
 public:
  CWindow() = default;
  ~CWindow() override;

  // The window with a title bar (XWIN_TITLEBAR, close box with XWIN_CLOSE) and a frame
  // (XWIN_FRAME) as the flags ask.
  int32_t Create(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                 uint32_t flags);
  int32_t Draw(int32_t mode) override;
  int32_t Validate() override;
  int32_t Validate(CRect* area, int32_t index) override;
  // Deletes frame and title bar, then the base's Destroy.
  int32_t Destroy() override;

 private:
  void DrawPart(CControlBase* control, int32_t mode);
};
