#include <gtest/gtest.h>

#include <string>

#include "ostrel/base/types.h"
#include "ostrel/controls/button.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/folders.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

namespace {
// The install folder the build staged, with the pack, its pictures and the fonts.
const char* const kDist = VORRIN_DIST_DIR;

std::string Here() {
  char* here = xGetWorkingDirectory();
  std::string out = here ? here : "";
  xFree(here);
  return out;
}

uint32_t Rgb(const TRGBA& c) { return static_cast<uint32_t>(c.r) << 16 | c.g << 8 | c.b; }

class BasePack : public CGuiTest {
 protected:
  void Load() { ASSERT_EQ(xLoadBaseResData(&m_Res, kDist), 1); }
  TCntrlColor* Set(const char* name) {
    TCntrlColor* set = m_Res.GetCntrlColorByName(name);
    EXPECT_NE(set, nullptr) << name;
    return set;
  }
  CBitmap* Bm(const char* name) {
    CBitmap* b = m_Res.GetBm(name, nullptr, nullptr);
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  CResData m_Res;
};
}  // namespace

TEST_F(BasePack, LoadsFromTheInstallFolderAndKeepsTheWorkingFolder) {
  const std::string before = Here();
  Load();
  EXPECT_EQ(Here(), before);
  CResData other;
  CTempDir empty;
  EXPECT_EQ(xLoadBaseResData(&other, empty.Path().c_str()), 0);
  EXPECT_EQ(xLoadBaseResData(&other, (empty.Path() + "/missing").c_str()), 0);
  EXPECT_EQ(xLoadBaseResData(nullptr, kDist), 0);
  EXPECT_EQ(Here(), before);
}

TEST_F(BasePack, EveryDefaultOfTheWindowManagerComesFromThePack) {
  Load();
  const CWinCtrl& wc = WC();
  for (const char* font : {"Sans11", "Sans13", "SansBold13", "Sans16", "SansBold16", "SansBold20"})
    EXPECT_NE(m_Res.GetFont(font), nullptr) << font;
  EXPECT_EQ(wc.GetDefaultFont(), m_Res.GetFont("Sans13"));
  EXPECT_EQ(wc.GetDefaultCaret(), Bm("Caret"));
  EXPECT_EQ(wc.GetDefaultCheck(), Bm("CheckMark"));
  const char* const states[4] = {"Normal", "Pressed", "Highlight", "Disabled"};
  struct SGroup {
    CBitmap* const* m_Got;
    const char* m_Prefix;
  };
  for (const SGroup& g : {SGroup{wc.GetDefaultClose(), "Close"}, SGroup{wc.GetDefaultDrop(), "Drop"},
                          SGroup{wc.GetDefaultArrowUp(), "Up"}, SGroup{wc.GetDefaultArrowDown(), "Down"}})
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g.m_Got[i], Bm((std::string(g.m_Prefix) + states[i]).c_str())) << g.m_Prefix << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(wc.GetDefaultButton()[i], Set((std::string("Button") + states[i]).c_str()));
  TCntrlColor* const title[4] = {Set("TitleInactive"), Set("TitleActive"), Set("TitleActive"), Set("TitleDisabled")};
  TCntrlColor* const frame[4] = {Set("FrameNormal"), Set("FrameNormal"), Set("FrameNormal"), Set("FrameDisabled")};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(wc.GetDefaultTitlebar()[i], title[i]) << i;
    EXPECT_EQ(wc.GetDefaultFrame()[i], frame[i]) << i;
  }
}

TEST_F(BasePack, GlyphsLieOnTheColourKeyAndDifferByState) {
  Load();
  for (const char* name : {"CloseNormal", "DropNormal", "UpNormal", "DownNormal", "CheckMark"}) {
    CBitmap* b = Bm(name);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->m_Width, 12);
    ASSERT_EQ(b->m_Height, 12);
    TRGBA key, c;
    ASSERT_EQ(b->GetPixel(0, 0, &key), 1);
    EXPECT_EQ(Rgb(key), 0xFF00FFu) << name;
    int ink = 0;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x)
        if (b->GetPixel(x, y, &c) && Rgb(c) != 0xFF00FFu) ++ink;
    EXPECT_GT(ink, 10) << name;  // a glyph, and
    EXPECT_LT(ink, 100) << name;  // mostly see-through
  }
  TRGBA normal, disabled;
  ASSERT_EQ(Bm("CloseNormal")->GetPixel(6, 6, &normal), 1);
  ASSERT_EQ(Bm("CloseDisabled")->GetPixel(6, 6, &disabled), 1);
  EXPECT_NE(Rgb(normal), Rgb(disabled));
}

TEST_F(BasePack, DialogsBuiltAfterwardsDrawInThePacksLook) {
  StartScreen(320, 240);
  Load();
  // A program's own script without a "Defaults" section leaves the pack's defaults in place.
  CResData script;
  ASSERT_EQ(script.Import("{ = Defines\n  DLG = 500\n  IDC_OK = 101\n}\n"
                          "{ = Window, DLG\n  Create = \"Table\", 20, 20, 200, 120, XWIN_TITLEBAR|XWIN_FRAME|XWIN_CLOSE\n"
                          "  { = Button, IDC_OK\n    Create = \"OK\", 60, 60, 80, 24, XKEY_ENTER, CNTRL_EXTRUDED\n  }\n}\n"),
            1);
  CDialog dialog;
  ASSERT_EQ(dialog.Create(&script, 500, Record, 0, nullptr), 1);
  Frame();
  auto* ok = static_cast<CButton*>(dialog.GetCtrl(101));
  ASSERT_NE(ok, nullptr);
  TCntrlColor* button = Set("ButtonNormal");
  EXPECT_EQ(ok->GetLook().m_pColors[0], button);
  EXPECT_EQ(ok->GetLook().m_pFont, m_Res.GetFont("Sans13"));
  // Frame face, title bar face of the active window, then the button (client 60, 60 below the
  // 16-pixel title bar of the window at 20, 20): its gold top edge and its face.
  EXPECT_EQ(ScreenPixel(30, 120), Rgb(Set("FrameNormal")->m_Col[2]));
  EXPECT_EQ(ScreenPixel(100, 29), Rgb(Set("TitleActive")->m_Col[2]));
  const int32_t left = 20 + 60, top = 20 + 16 + 60;
  EXPECT_EQ(ScreenPixel(left + 20, top), Rgb(button->m_Col[1]));
  EXPECT_EQ(ScreenPixel(left + 2, top + 2), Rgb(button->m_Col[2]));
  dialog.Destroy();
}
