// The windows over the screen's persistent layer, frame after frame: what the window manager
// draws (texts, statics, plates, buttons, a framed dialog) stays in the screen buffer and on the
// display after every frame, a changed text shows at once and alone, idle frames draw and show
// nothing, and no window drawing reaches the persistent layer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/globals.h"
#include "platform/display/headless.h"
#include "support/guiharness.h"

namespace {
constexpr int32_t kW = 240, kH = 160;
const TRGBA kWhite(255, 255, 255, 0);

// A static that counts its draws.
class CCountedStatic : public CStatic {
 public:
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override {
    ++m_Draws;
    return CStatic::Draw(x, y, mode);
  }
  int32_t m_Draws = 0;
};

struct SBox {
  int32_t x, y, w, h;
};

// A table window without frame over the whole screen, as the game tables have it, and a framed
// dialog with a title bar in front of it; the persistent layer holds a striped picture.
class PersistentFrames : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(kW, kH);
    m_pFont = xGuiLoadFont((std::string(VORRIN_DIST_DIR) + "/fonts/sans13.xbf").c_str());
    ASSERT_NE(m_pFont, nullptr);
    ASSERT_EQ(Screen().SetPersistentMode(1), 1);
    // Colour by line only: equal controls side by side look the same. Never as bright as ink.
    ASSERT_EQ(m_Felt.CreateRGB(kW, kH, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const TRGBA c(static_cast<uint8_t>(20 + y % 7 * 9), static_cast<uint8_t>(60 + y % 50 * 2),
                      static_cast<uint8_t>(40 + y * 3 % 90), 0);
        m_Felt.PutPixel(x, y, &c);
      }
    Screen().MakeScreenFormat(&m_Felt, 0);
    Screen().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0);
    Frame();
    m_Persistent = PersistentBytes();

    // A name plate: keyed (magenta corner), a dark bar inside.
    ASSERT_EQ(m_Plate.CreateRGB(80, 24, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    const TRGBA key(255, 0, 255, 0), bar(30, 30, 30, 0);
    for (int32_t y = 0; y < 24; ++y)
      for (int32_t x = 0; x < 80; ++x) m_Plate.PutPixel(x, y, (x < 2 || y < 2 || x > 77 || y > 21) ? &key : &bar);
    Screen().MakeScreenFormat(&m_Plate, 0);

    m_Table.Create(1, "", 0, 0, kW, kH, 0);
    Add(m_Table, m_Left, "88", kLeft, CNTRL_TRANSPARENT | CNTRL_CENTERV | CNTRL_NOWORDWRAP);
    Add(m_Table, m_Right, "17", kRight, CNTRL_TRANSPARENT | CNTRL_CENTERV | CNTRL_NOWORDWRAP);
    Add(m_Table, m_Tag, "", kTag, CNTRL_TRANSPARENT | CNTRL_HASBITMAP | CNTRL_BMTRANS);
    m_Tag.SetBitmap(&m_Plate, &m_Plate, &m_Plate, &m_Plate);
    Add(m_Table, m_Name, "Marta", kName, CNTRL_TRANSPARENT | CNTRL_CENTERH | CNTRL_CENTERV | CNTRL_NOWORDWRAP);
    Add(m_Table, m_Cash, "Cash", kCash, CNTRL_CENTERV);
    m_Deal.Create(7, "Deal", kDeal.x, kDeal.y, kDeal.w, kDeal.h, 0, CNTRL_EXTRUDED | CNTRL_CENTERH | CNTRL_CENTERV);
    Look(m_Deal);
    m_Table.AddCntrl(&m_Deal, ADDCNTRL_LAST);
    WC().AddWindow(&m_Table, &Record, nullptr);

    m_Dialog.Create(2, "Info", kDialog.x, kDialog.y, kDialog.w, kDialog.h, XWIN_TITLEBAR | XWIN_FRAME);
    Add(m_Dialog, m_Note, "Hi", kNote, CNTRL_TRANSPARENT);
    WC().AddWindow(&m_Dialog, &Record, nullptr);
    if (CControlBase* caption = m_Dialog.GetTitlebar() ? m_Dialog.GetTitlebar()->GetCaption() : nullptr)
      caption->SetFont(m_pFont, nullptr);
    m_Table.ShowWindow();
    m_Dialog.ShowWindow();
  }
  void TearDown() override {
    WC().RemoveWindow(&m_Dialog);
    WC().RemoveWindow(&m_Table);
    xGuiDeleteFont(m_pFont);
    CGuiTest::TearDown();
  }

  void Look(CControlBase& c) {
    c.SetFont(m_pFont, nullptr);
    c.SetTextColor(kWhite);
  }
  void Add(CWindow& w, CStatic& s, const char* text, const SBox& b, uint32_t flags) {
    s.Create(text, b.x, b.y, b.w, b.h, flags);
    Look(s);
    w.AddCntrl(&s, ADDCNTRL_LAST);
  }

  static CDibScreen& Screen() { return *sglb->m_pDibScreen; }
  // The screen buffer, or what the window shows, as 0x00RRGGBB, line by line.
  static std::vector<uint32_t> Buffer(const SBox& b) {
    std::vector<uint32_t> out;
    for (int32_t y = b.y; y < b.y + b.h; ++y)
      for (int32_t x = b.x; x < b.x + b.w; ++x) out.push_back(ScreenPixel(x, y));
    return out;
  }
  static std::vector<uint32_t> Shown(const SBox& b) {
    std::vector<uint32_t> out;
    for (int32_t y = b.y; y < b.y + b.h; ++y)
      for (int32_t x = b.x; x < b.x + b.w; ++x) out.push_back(Display().Pixel(x + Screen().GetOffsetX(), y + Screen().GetOffsetY()));
    return out;
  }
  static int32_t Ink(const SBox& b) {
    int32_t n = 0;
    for (uint32_t p : Buffer(b)) n += (p >> 16) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200;
    return n;
  }
  static std::vector<uint8_t> PersistentBytes() {
    const CBitmap* p = Screen().GetPersistentBitmap();
    return std::vector<uint8_t>(p->m_pData, p->m_pData + static_cast<size_t>(p->m_Pitch) * p->m_Height);
  }
  static int32_t Areas() {
    return Screen().ClearAreas().Count(0) + Screen().ShadowAreas().Count(0) + Screen().PersistentClearAreas().Count(0);
  }

  static constexpr SBox kWhole{0, 0, kW, kH};
  static constexpr SBox kLeft{10, 20, 60, 18}, kRight{110, 20, 60, 18};
  static constexpr SBox kTag{10, 60, 80, 24}, kName{12, 63, 76, 18}, kCash{110, 60, 80, 20};
  static constexpr SBox kDeal{10, 100, 70, 24};
  static constexpr SBox kDialog{120, 95, 100, 50}, kNote{6, 6, 60, 18};

  CFont* m_pFont = nullptr;
  CBitmap m_Felt, m_Plate;
  std::vector<uint8_t> m_Persistent;
  CWindow m_Table, m_Dialog;
  CCountedStatic m_Left, m_Right, m_Tag, m_Name, m_Cash, m_Note;
  CButton m_Deal;
};

TEST_F(PersistentFrames, EveryFrameKeepsWhatTheWindowsDrew) {
  std::vector<std::vector<uint32_t>> buffers, shown;
  for (int32_t f = 0; f < 40; ++f) {
    Frame();
    buffers.push_back(Buffer(kWhole));
    shown.push_back(Shown(kWhole));
  }
  // The texts are there: on the felt, on the plate, on a face, on a button, in the dialog and
  // its title bar (white ink; nothing else here is that bright).
  const SBox note{kDialog.x + 1 + kNote.x, kDialog.y + 1 + TITLEBAR_HEIGHT + kNote.y, kNote.w, kNote.h};
  const SBox caption{kDialog.x, kDialog.y, kDialog.w, TITLEBAR_HEIGHT};
  for (const SBox& b : {kLeft, kRight, kName, kCash, kDeal, note, caption}) {
    SCOPED_TRACE(testing::Message() << b.x << "," << b.y);
    EXPECT_GT(Ink(b), 10);
  }
  for (int32_t f = 0; f < 40; ++f) {
    SCOPED_TRACE(f);
    EXPECT_TRUE(buffers[f] == buffers.back());
    EXPECT_TRUE(shown[f] == buffers[f]);
  }
}

TEST_F(PersistentFrames, AChangedTextShowsAtOnceAndIsDrawnOnce) {
  for (int32_t f = 0; f < 3; ++f) Frame();
  // Each text changed between frames, as a table sets cash and hand values: the left one to
  // the right one's text, which then must look the same from the first frame on.
  m_Left.SetText("17");
  m_Left.m_Draws = m_Right.m_Draws = 0;
  const SBox rightAsLeft{kRight.x, kRight.y, kLeft.w, kLeft.h};
  for (int32_t f = 0; f < 5; ++f) {
    SCOPED_TRACE(f);
    Frame();
    EXPECT_TRUE(Buffer(kLeft) == Buffer(rightAsLeft));
    EXPECT_TRUE(Shown(kLeft) == Buffer(rightAsLeft));
  }
  EXPECT_EQ(m_Left.m_Draws, 1);
  EXPECT_EQ(m_Right.m_Draws, 0);
  // Back to a longer text and to none.
  m_Left.SetText("1888");
  Frame();
  const int32_t longer = Ink(kLeft);
  m_Left.SetText("");
  Frame();
  EXPECT_GT(longer, Ink(kRight));
  EXPECT_EQ(Ink(kLeft), 0);
  EXPECT_TRUE(Buffer(kLeft) == Shown(kLeft));
}

TEST_F(PersistentFrames, IdleFramesDrawAndShowNothing) {
  for (int32_t f = 0; f < 3; ++f) Frame();
  for (CCountedStatic* s : {&m_Left, &m_Right, &m_Tag, &m_Name, &m_Cash, &m_Note}) s->m_Draws = 0;
  Display().ClearPresented();
  for (int32_t f = 0; f < 20; ++f) {
    Frame();
    EXPECT_EQ(Areas(), 0);
  }
  EXPECT_TRUE(Display().Presented().empty());
  for (CCountedStatic* s : {&m_Left, &m_Right, &m_Tag, &m_Name, &m_Cash, &m_Note}) EXPECT_EQ(s->m_Draws, 0);
}

TEST_F(PersistentFrames, WindowsNeverDrawIntoThePersistentLayer) {
  for (int32_t f = 0; f < 3; ++f) Frame();
  m_Name.SetText("Lucky Lou");
  m_Cash.SetText("$880.50");
  m_Deal.SetState(XGUI_DISABLED);
  Frame();
  // Hidden, the dialog leaves the persistent picture where the table has nothing.
  m_Dialog.HideWindow();
  Frame();
  const SBox bare{kDialog.x + 40, kDialog.y + 10, 50, 30};
  std::vector<uint32_t> felt;
  for (int32_t y = bare.y; y < bare.y + bare.h; ++y)
    for (int32_t x = bare.x; x < bare.x + bare.w; ++x) {
      TRGBA c;
      m_Felt.GetPixel(x, y, &c);
      felt.push_back(static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b);
    }
  EXPECT_TRUE(Buffer(bare) == felt);
  m_Dialog.ShowWindow();
  m_Dialog.SetPos(20, 40);
  for (int32_t f = 0; f < 10; ++f) Frame();
  EXPECT_GT(Ink(kCash), 10);
  EXPECT_TRUE(PersistentBytes() == m_Persistent);
  EXPECT_EQ(Screen().PersistentClearAreas().Count(0), 0);
}
}  // namespace
