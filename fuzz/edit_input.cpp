// What players type, what they paste and what servers send reaches the edit controls. The
// input configures a one-line or multi-line edit and a multi-line pane, then is read as a
// stream of steps: keys, pastes, texts set, lines appended or replaced, clicks, scrolling and
// drawing, so every step meets every state the others leave.
#include <cstdint>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
CFont* g_pFont = nullptr;

bool MakeGlobals() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  if (xCreateGlobals() != 1) return false;
  // Characters of several widths, one wider than a narrow line.
  static CBitmap picture;
  picture.CreateRGB(200, 10, 24, 8, 8, 8, 16, 8, 0, 0);
  static const TCharData chars[] = {{0, 0, 4}, {4, 0, 6}, {10, 0, 9}, {19, 0, 60}, {79, 0, 2}, {0xFFFF, 0, 0xFFFF}};
  static CFont font;
  if (font.SetFont(&picture, chars, 'a', 10, 1)) g_pFont = &font;
  return true;
}

void Ignore(int32_t, int32_t, int32_t, int32_t, void*) {}

class CReader {
 public:
  CReader(const uint8_t* data, size_t size) : m_p(data), m_End(data + size) {}
  bool More() const { return m_p < m_End; }
  uint8_t Byte() { return m_p < m_End ? *m_p++ : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  // A text of up to 255 bytes, or a long one of a repeated byte.
  std::string Text() {
    const uint8_t n = Byte();
    if (n == 255) return std::string(static_cast<size_t>(Word()) * 4, static_cast<char>(Byte()));
    std::string s;
    for (uint8_t i = 0; i < n && More(); ++i) s.push_back(static_cast<char>(Byte()));
    return s;
  }

 private:
  const uint8_t* m_p;
  const uint8_t* m_End;
};

void Key(CControlBase& c, uint16_t code, bool press) {
  TQueueChar key{code, press ? uint32_t{XKEYF_PRESSED} : 0u};
  c.GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &key);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = MakeGlobals();
  if (!ready || size > (1u << 16)) return 0;
  CReader in(data, size);
  CWindow window;
  window.Create(1, "", 0, 0, 400, 300, 0);
  if (CWinCtrl* wc = xWinCtrl()) wc->AddWindow(&window, Ignore, nullptr);
  window.GuiMsgHandler(GUIMSG_ACTIVATE, 1, 0, 1, nullptr);
  static const uint32_t kFlags[] = {CNTRL_NUMERIC,  CNTRL_TRIMLEFT, CNTRL_TRIMRIGHT, CNTRL_READONLY,
                                    CNTRL_PASSWORD, CNTRL_UPPERCASE, CNTRL_MULTILINE, CNTRL_EXTRUDED};
  uint32_t flags = 0;
  const uint8_t pick = in.Byte();
  for (int i = 0; i < 8; ++i)
    if (pick & (1 << i)) flags |= kFlags[i];
  const int32_t maxLength = in.Byte();
  const int32_t width = in.Byte(), height = in.Byte();
  CEdit edit;
  edit.Create(2, in.Text().c_str(), 5, 5, width, height, maxLength, flags);
  if (g_pFont) edit.SetFont(g_pFont, nullptr);
  const std::string valid = in.Text();
  if (!valid.empty()) edit.SetValidCharacters(valid.c_str());
  uint32_t paneFlags = 0;
  const uint8_t panePick = in.Byte();
  if (panePick & 1) paneFlags |= CNTRL_EDITVSLIDER;
  if (panePick & 2) paneFlags |= CNTRL_EDITHSLIDER;
  if (panePick & 4) paneFlags |= CNTRL_NOWORDWRAP;
  if (panePick & 8) paneFlags |= CNTRL_READONLY;
  CMultiEdit pane;
  pane.Create(3, in.Text().c_str(), 5, 80, in.Byte(), in.Byte(), in.Byte(), paneFlags);
  if (g_pFont) pane.SetFont(g_pFont, nullptr);
  window.AddCntrl(&edit, ADDCNTRL_LAST);
  window.AddCntrl(&pane, ADDCNTRL_LAST);
  CControlBase* focus = &edit;
  window.SetFocus(focus);
  while (in.More()) {
    switch (in.Byte() % 14) {
      case 0: Key(*focus, in.Byte(), true); break;
      case 1: Key(*focus, in.Word(), in.Byte() & 1); break;
      case 2: {
        const std::string text = in.Text();
        window.GuiMsgHandler(GUIMSG_PASTE, 1, 0, 0, const_cast<char*>(text.c_str()));
        break;
      }
      case 3: edit.SetText(in.Text().c_str()); break;
      case 4: pane.AddNewLine(in.Text().c_str()); break;
      case 5: pane.SetTextBuffer(in.Text().c_str(), in.Byte() & 1); break;
      case 6: {
        const int32_t line = in.Byte();
        pane.SetTextOnLine(line, in.Text().c_str());
        break;
      }
      case 7: pane.DeleteFirstLine(); break;
      case 8: {
        const int32_t x = in.Byte(), y = in.Byte(), down = in.Byte() & 1;
        window.GuiMsgHandler(GUIMSG_MOUSE, x, y, down, nullptr);
        break;
      }
      case 9: {
        const int32_t id = in.Byte() & 1 ? 100 : 200;
        focus->GuiMsgHandler(GUIMSG_SLIDER, 1, focus == &edit ? 2 : id, 0, nullptr);
        break;
      }
      case 10:
        focus = focus == &edit ? static_cast<CControlBase*>(&pane) : &edit;
        window.SetFocus(focus);
        break;
      case 11: edit.SetCaretPos(static_cast<int16_t>(in.Word())); break;
      case 12:
        edit.Draw(0, 0, 0);
        pane.Draw(0, 0, 0);
        break;
      case 13: {
        char* text = nullptr;
        if (pane.GetTextBuffer(text)) xFree(text);
        pane.SetLine(in.Byte(), in.Byte() & 1);
        break;
      }
    }
  }
  window.RemoveAllCntrl();
  if (CWinCtrl* wc = xWinCtrl()) wc->RemoveWindow(&window);
  return 0;
}
