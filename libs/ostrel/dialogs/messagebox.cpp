#include "ostrel/dialogs/messagebox.h"

#include <algorithm>

#include "ostrel/controls/button.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/frame.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keycodes.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kUnbounded = 65535;
constexpr int32_t kOkId = 1;
const TRGBA kBoxTextColour{1, 0, 0, 0};

bool g_BoxOpen = false;

int32_t TextWidth(int32_t size) { return size & 0xFFFF; }
int32_t TextHeight(int32_t size) { return (size >> 16) & 0xFFFF; }

int32_t Measure(const char* text) {
  CWinCtrl* wc = xWinCtrl();
  if (!wc || !text) return 0;
  return xGuiTextSize(wc->GetDefaultFont(), text, kUnbounded, kUnbounded, 0);
}

void BoxCallback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  auto* result = static_cast<int32_t*>(user);
  if (event != GUIMSG_COMMAND) return;
  if (controlId == kOkId)
    *result = 1;
  else if (controlId == XCNTRL_CLOSE)
    *result = 2;
}
}  // namespace

void xMessageBoxSize(const char* caption, const char* text, int32_t* width, int32_t* height) {
  const int32_t textSize = Measure(text);
  int32_t w = std::max(TextWidth(textSize), TextWidth(Measure(caption))) + 20;
  if (w > 640) w = 630;
  w = std::max(w, 100);
  int32_t h = TextHeight(textSize) + 65;
  if (h > 480) h = 470;
  if (width) *width = w;
  if (height) *height = h;
}

int32_t xMessageBox(const char* caption, const char* text, uint32_t flags) {
  CWinCtrl* wc = xWinCtrl();
  if (!wc || !glb->m_pDefaultWindow || !glb->m_pStockStatic || !glb->m_pStockButton) return 0;
  // One box at a time: a second would rebuild the window the first is still showing.
  if (g_BoxOpen) return 0;
  g_BoxOpen = true;
  CWindow* window = glb->m_pDefaultWindow;
  CStatic* label = glb->m_pStockStatic;
  CButton* ok = glb->m_pStockButton;

  int32_t width = 0, height = 0;
  xMessageBoxSize(caption, text, &width, &height);
  const int32_t okSize = Measure("OK");
  const int32_t buttonWidth = TextWidth(okSize) + 40;
  const int32_t buttonHeight = TextHeight(okSize) + 6;

  window->Create(0, caption, 0, 0, width, height,
                 flags | XWIN_TITLEBAR | XWIN_FRAME | XWIN_MODAL | XWIN_DRAG | XWIN_CENTER | XWIN_BORDER);
  if (CFrame* frame = window->GetFrame()) frame->SetAlpha(50);
  if (CTitlebar* titlebar = window->GetTitlebar()) {
    if (CStatic* captionStatic = titlebar->GetCaption()) {
      captionStatic->RemoveFlag(captionStatic->GetFlags());
      captionStatic->SetFlag(CNTRL_TRANSPARENT);
    }
  }
  label->Create(text, 6, 6, width - 12, height - 50, 0);
  label->RemoveFlag(label->GetFlags());
  label->SetFlag(CNTRL_TRANSPARENT);
  ok->Create(kOkId, "OK", (width - buttonWidth) / 2, height - buttonHeight - 25, buttonWidth, buttonHeight, XKEY_ENTER,
             CNTRL_EXTRUDED | CNTRL_CENTERH | CNTRL_CENTERV | CNTRL_BUTTONBORDER);
  label->SetTextColor(kBoxTextColour);
  ok->SetTextColor(kBoxTextColour);
  window->AddCntrl(label, ADDCNTRL_LAST);
  window->AddCntrl(ok, ADDCNTRL_LAST);

  int32_t result = 0;
  wc->AddWindow(window, BoxCallback, &result);
  window->ShowWindow();
  while (result == 0) {
    if (xHandler() != 0) break;
  }
  wc->RemoveWindow(window);
  window->Destroy();
  label->Destroy();
  ok->Destroy();
  wc->Validate();
  g_BoxOpen = false;
  xHandler();
  return result == 1 ? 1 : 0;
}
