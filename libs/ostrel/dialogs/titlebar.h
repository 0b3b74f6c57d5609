// The title bar of a window: a caption, an optional close box (id 1002) and the handle by which
// the window is dragged.
#pragma once

#include "ostrel/controls/controlbase.h"

class CButton;
class CStatic;

class CTitlebar : public CControlBase {
 public:
  using CControlBase::Create;
  CTitlebar() = default;
  ~CTitlebar() override;

  // Id 1001, state 3, bevel 1, at (0, 0); CNTRL_CLOSEBOX in flags makes the close box.
  int32_t Create(const char* caption, int32_t width, int32_t height, CWindowBase* window, uint32_t flags);
  int32_t Destroy() override;
  int32_t SetDefault() override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;

  CButton* GetCloseBox() const { return m_pClose; }
  CStatic* GetCaption() const { return m_pCaption; }
  int32_t IsDragging() const { return m_Press == 1; }

 private:
  // Close box at the right end, caption beside it.
  void PlaceParts();
  CButton* m_pClose = nullptr;
  CStatic* m_pCaption = nullptr;
  int32_t m_WasDown = 0;  // the mouse button was down at the last mouse message
};
