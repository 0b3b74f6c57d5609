#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

namespace {
const std::string kDataDir = std::string(VORRIN_TEST_DATA_DIR) + "/resources";

// The formulas of tests/tools/make_resource_fixtures.py.
TRGBA SheetPixel(int x, int y) {
  return TRGBA(static_cast<uint8_t>(x * 4 % 256), static_cast<uint8_t>(y * 8 % 256), static_cast<uint8_t>((x + y) * 2 % 256), 0);
}
TRGBA AnimPixel(int frame) {
  return TRGBA(static_cast<uint8_t>(frame * 30), static_cast<uint8_t>(255 - frame * 30), 7, 0);
}

TRGBA PixelOf(const CBitmap* b, int x, int y) {
  TRGBA c(0, 0, 0, 0);
  EXPECT_EQ(b->GetPixel(x, y, &c), 1);
  c.a = 0;
  return c;
}

class ResData : public CGuiTest {
 protected:
  CWorkingDir m_Here{kDataDir};
};

// Everything a script yields through the lookups, as text, for comparing two loads.
std::string Digest(CResData& res) {
  std::string out;
  for (int32_t id : {0, 100, 101, 106, 200, 201, 202, 300, 301, 1002, 999}) {
    const char* name = res.GetResName(id);
    const char* text = res.GetResString(id);
    out += std::to_string(id) + ":" + (name ? name : "-") + ":" + (text ? text : "-") + ":" +
           std::to_string(res.GetResValue(id)) + "\n";
  }
  for (int32_t i = 0; i < res.NumBitmaps(); ++i) {
    const TBitmapRes* b = res.GetBitmapRes(i);
    out += std::string(b->m_Name) + ":" + b->m_FileName + ":" + std::to_string(b->m_pBitmap->m_Width) + "x" +
           std::to_string(b->m_pBitmap->m_Height);
    for (int y = 0; y < b->m_pBitmap->m_Height; ++y)
      for (int x = 0; x < b->m_pBitmap->m_Width; ++x) {
        TRGBA c = PixelOf(b->m_pBitmap, x, y);
        out += std::to_string(c.r + c.g * 256 + c.b * 65536) + ",";
      }
    out += "\n";
  }
  for (const char* table : {"Panel", "Mixed", "Short", "black"}) {
    for (int32_t i = 0; i < 9; ++i) {
      TRGBA c(0, 0, 0, 0);
      out += res.GetCol(table, &c, i) ? std::to_string(c.r) + "." + std::to_string(c.g) + "." + std::to_string(c.b) + "." +
                                            std::to_string(c.a) + " "
                                      : "x ";
    }
    out += "\n";
  }
  for (const char* font : {"main", "SECOND"}) {
    CFont* f = res.GetFont(font);
    out += f ? std::to_string(f->GetTextSize("OK go", 100, 100, 0)) + "\n" : "no font\n";
  }
  TCntrlAnim* spin = res.GetAnimByName("spin");
  out += spin ? std::to_string(spin->NumFrames()) + "/" + std::to_string(spin->m_Delay) : "no anim";
  return out;
}
}  // namespace

TEST_F(ResData, TheTestScriptLoadsEverySection) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  // Defines: the six built-in ones first, then the script's.
  EXPECT_EQ(res.NumDefines(), 6 + 5);
  int32_t id = -1;
  EXPECT_EQ(res.GetResId("idd_main", &id), 1);
  EXPECT_EQ(id, 100);
  EXPECT_EQ(res.GetResId("XCNTRL_CLOSE", &id), 1);
  EXPECT_EQ(id, 1002);
  EXPECT_EQ(res.GetResId("IDL_NONE", &id), 1);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(res.GetResId("NOPE", &id), 0);
  EXPECT_STREQ(res.GetResName(101), "IDC_OK");
  EXPECT_EQ(res.GetResName(12345), nullptr);
  // Strings by id and by exact name.
  EXPECT_STREQ(res.GetResString(200), "Hello, world");
  EXPECT_STREQ(res.GetResString(201), "Plain");
  EXPECT_STREQ(res.GetResString(202), "She said \"hi\"\tthen left");
  EXPECT_EQ(res.GetResString(203), nullptr);
  EXPECT_STREQ(res.GetResString(203, "fallback"), "fallback");
  EXPECT_STREQ(res.GetResString("STR_PLAIN", "fallback"), "Plain");
  EXPECT_STREQ(res.GetResString("str_plain", "fallback"), "fallback");
  // Values.
  EXPECT_EQ(res.GetResValue(300), 42);
  EXPECT_EQ(res.GetResValue(301), -7);
  EXPECT_EQ(res.GetResValue(302), 0);
}

TEST_F(ResData, FontsAreLoadedAndFoundWithoutRegardToCase) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  CFont* main = res.GetFont("MAIN");
  ASSERT_NE(main, nullptr);
  EXPECT_NE(res.GetFont("Second"), main);
  EXPECT_EQ(res.GetFont("Third"), nullptr);
  // The test font: cells 6 wide, 1 pixel apart, 10 high.
  EXPECT_EQ(main->GetTextSize("OK", 100, 100, 0), (10 << 16) | 14);
  // "Fonts" stays in the keyword data; the Defaults' font is this one.
  EXPECT_EQ(res.EnterChunk("Fonts"), 1);
  EXPECT_EQ(xWinCtrl()->GetDefaultFont(), main);
  ASSERT_EQ(res.EnterDataChunk(), 1);
  ASSERT_EQ(res.FindItem("Greeting"), 1);
  EXPECT_EQ(res.GetFont(0), nullptr);  // "Hello from Data" names no font
}

TEST_F(ResData, BitmapsAreCutFromTheirPicturesAndSheets) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  ASSERT_EQ(res.NumBitmaps(), 4);
  int32_t w = 0, h = 0;
  CBitmap* corner = res.GetBm("corner", &w, &h);
  ASSERT_NE(corner, nullptr);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 8);
  for (auto [x, y] : {std::pair{0, 0}, {15, 7}, {3, 5}}) {
    TRGBA want = SheetPixel(8 + x, 4 + y);
    EXPECT_EQ(PixelOf(corner, x, y), want) << x << "," << y;
  }
  // w = -1: the whole picture, whatever x and y say.
  CBitmap* whole = res.GetBm("Whole", &w, &h);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 32);
  EXPECT_EQ(PixelOf(whole, 0, 0), SheetPixel(0, 0));
  EXPECT_EQ(PixelOf(whole, 63, 31), SheetPixel(63, 31));
  // A sheet: one picture, several bitmaps.
  CBitmap* b = res.GetBm("SheetB", &w, &h);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(PixelOf(b, 1, 2), SheetPixel(61, 30));
  EXPECT_STREQ(res.GetBitmapRes(2)->m_FileName, "sheet.bmp");
  EXPECT_EQ(res.GetBm("Missing", &w, &h), nullptr);
}

TEST_F(ResData, AnimationsHoldTheirFramesRowByRow) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  TCntrlAnim* spin = res.GetAnimByName("Spin");
  ASSERT_NE(spin, nullptr);
  ASSERT_EQ(spin->NumFrames(), 8);
  EXPECT_EQ(spin->m_Delay, 50u);
  EXPECT_EQ(spin->m_pSource, nullptr);  // the frames are copies: the picture is gone
  for (int frame = 0; frame < 8; ++frame) EXPECT_EQ(PixelOf(spin->m_Frames[frame], 3, 3), AnimPixel(frame)) << frame;
}

TEST_F(ResData, ColourTablesAndControlColourSets) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  TRGBA c(9, 9, 9, 9);
  EXPECT_EQ(res.GetCol("black", &c, 0), 1);
  EXPECT_EQ(c, TRGBA(1, 1, 1, 0));
  EXPECT_EQ(res.GetCol("Mixed", &c, 0), 1);
  EXPECT_EQ(c, TRGBA(1, 1, 1, 0));
  EXPECT_EQ(res.GetCol("Mixed", &c, 1), 1);
  EXPECT_EQ(c, TRGBA(10, 20, 30, 40));
  EXPECT_EQ(res.GetCol("MIXED", &c, 2), 1);
  EXPECT_EQ(c, TRGBA(80, 80, 80, 0));
  EXPECT_EQ(res.GetCol("Mixed", &c, 3), 0);
  EXPECT_EQ(res.GetCol("Nothing", &c, 0), 0);
  TCntrlColor* panel = res.GetCntrlColorByName("Panel");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->m_Col[1], TRGBA(250, 250, 250, 0));
  EXPECT_EQ(panel->m_Col[7], TRGBA(1, 1, 1, 0));
  EXPECT_EQ(res.GetCntrlColorByName("panel"), panel);  // built once, then kept
  EXPECT_EQ(res.GetCntrlColorByName("Short"), nullptr);  // fewer than eight entries
}

TEST_F(ResData, DefaultsReachTheWindowManager) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  CWinCtrl* wc = xWinCtrl();
  TCntrlColor* panel = res.GetCntrlColorByName("Panel");
  EXPECT_EQ(wc->GetDefaultButton()[0], panel);
  EXPECT_EQ(wc->GetDefaultTitlebar()[3], panel);
  EXPECT_EQ(wc->GetDefaultFrame()[2], panel);  // "Static" sets the frame's defaults
  EXPECT_EQ(wc->GetDefaultClose()[0], res.GetBm("SheetA", nullptr, nullptr));
  EXPECT_EQ(wc->GetDefaultClose()[1], res.GetBm("SheetB", nullptr, nullptr));
  EXPECT_EQ(wc->GetDefaultArrowDown()[1], res.GetBm("SheetA", nullptr, nullptr));
  EXPECT_EQ(wc->GetDefaultDrop()[3], res.GetBm("SheetB", nullptr, nullptr));
  EXPECT_EQ(wc->GetDefaultCaret(), res.GetBm("Corner", nullptr, nullptr));
  EXPECT_EQ(wc->GetDefaultCheck(), res.GetBm("Whole", nullptr, nullptr));
}

TEST_F(ResData, SectionsLeaveTheKeywordDataButDataAndDialogsStay) {
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  for (const char* gone : {"Defines", "Strings", "Values", "Palette", "Bitmaps", "Animations", "Colors"})
    EXPECT_EQ(res.EnterChunk(gone), 0) << gone;
  EXPECT_EQ(res.EnterChunk("Defaults"), 1);
  ASSERT_EQ(res.EnterDataChunk(), 1);
  ASSERT_EQ(res.FindItem("Greeting"), 1);
  EXPECT_STREQ(res.GetString(0), "Hello from Data");
  ASSERT_EQ(res.FindItem("Flags"), 1);
  uint32_t flags = 0;
  EXPECT_EQ(res.GetResFlags(0, &flags), 1);
  EXPECT_EQ(flags, 5u);
  EXPECT_EQ(res.ExitDataChunk(), 1);
  res.MainChunk();
  EXPECT_EQ(res.FindItem("{", "Window", "IDD_MAIN"), 1);
}

TEST_F(ResData, TheScrambledCopyGivesTheSameLookups) {
  CResData plain, scrambled;
  ASSERT_EQ(plain.Load("test.xrs"), 1);
  ASSERT_EQ(scrambled.Load("test_scrambled.xrs"), 1);
  EXPECT_EQ(Digest(scrambled), Digest(plain));
  EXPECT_STREQ(scrambled.GetResString(200), "Hello, world");
}

TEST_F(ResData, LoadFailsForMissingAndMalformedScripts) {
  CResData res;
  EXPECT_EQ(res.Load("no such file.xrs"), 0);
  CTempDir dir;
  WriteWholeFile(dir.File("bad.xrs"), "{ = Strings\n  A = 1, \"open\n}\n");
  EXPECT_EQ(res.Load(dir.File("bad.xrs").c_str()), 0);
  EXPECT_EQ(res.GetResString(1), nullptr);
  // A scrambled file too short to hold any text is an empty script.
  std::string marker = "XICRYPTEDFILE";
  for (char& ch : marker) ch = static_cast<char>(ch ^ 0x6B);
  WriteWholeFile(dir.File("empty.xrs"), marker);
  EXPECT_EQ(res.Load(dir.File("empty.xrs").c_str()), 1);
  EXPECT_EQ(res.NumDefines(), 0);
}

TEST_F(ResData, BuiltInDefinesComeOnlyWithADefinesChunk) {
  CResData res;
  ASSERT_EQ(res.Import("{ = Strings\n  A = 1, a\n}\n"), 1);
  EXPECT_EQ(res.NumDefines(), 0);
  EXPECT_EQ(res.NumColorTables(), 6);
  ASSERT_EQ(res.Import("{ = Defines\n}\n"), 1);
  EXPECT_EQ(res.NumDefines(), 6);
  EXPECT_STREQ(res.GetResName(1002), "XCNTRL_CLOSE");
}

TEST_F(ResData, AFailingItemEndsItsSectionOnly) {
  CResData res;
  const std::string script =
      "{ = Defines\n  A = 1\n  ThisDefineNameIsLongerThan31Chars = 2\n  B = 3\n}\n"
      "{ = Strings\n  S1 = 10, one\n  S2 = 11\n  S3 = 12, three\n}\n"
      "{ = Values\n  V1 = 20, x\n  V2 = 21, 5\n}\n"
      "{ = Colors\n  Ok = \"1 2 3 4\"\n  Bad = \"1 2 3\"\n  Late = white\n}\n";
  ASSERT_EQ(res.Import(script.c_str()), 1);
  int32_t id = 0;
  EXPECT_EQ(res.GetResId("A", &id), 1);
  EXPECT_EQ(res.GetResId("B", &id), 0);
  EXPECT_STREQ(res.GetResString(10), "one");
  EXPECT_EQ(res.GetResString(12), nullptr);
  EXPECT_EQ(res.GetResValue(21), 0);
  TRGBA c(0, 0, 0, 0);
  EXPECT_EQ(res.GetCol("Ok", &c, 0), 1);
  EXPECT_EQ(c, TRGBA(1, 2, 3, 4));
  EXPECT_EQ(res.GetCol("Late", &c, 0), 0);
}

// A picture or font item without a usable name or file says why, ends its section and leaves the
// items before it loaded.
TEST_F(ResData, PictureAndFontItemsWithoutNameOrFileEndTheirSection) {
  struct SRow {
    const char* m_Section;
    const char* m_Early;
    const char* m_Bad;
    const char* m_Late;
    const char* m_Said;
  };
  const char* kLong = "ThisPictureNameIsLongerThan31Chars";
  const std::string longBitmap = std::string(kLong) + " = sheet.bmp, 0, 0, 4, 4";
  const std::string longAnim = std::string(kLong) + " = anim.bmp, 50, 0, 0, 8, 8, 4, 2, 0";
  const std::string longSheet = "{ = sheet.bmp\n    " + std::string(kLong) + " = 0, 0, 4, 4\n  }";
  const std::string nameTooBig = "Bitmap define name to big : \"" + std::string(kLong) + "\"";
  const SRow rows[] = {
      {"Bitmaps", "Early = sheet.bmp, 0, 0, 4, 4", longBitmap.c_str(), "Late = sheet.bmp, 0, 0, 4, 4",
       nameTooBig.c_str()},
      {"Bitmaps", "Early = sheet.bmp, 0, 0, 4, 4", "NoFile", "Late = sheet.bmp, 0, 0, 4, 4", "fname is invalid"},
      {"Bitmaps", "Early = sheet.bmp, 0, 0, 4, 4", longSheet.c_str(), "Late = sheet.bmp, 0, 0, 4, 4",
       nameTooBig.c_str()},
      {"Animations", "Early = anim.bmp, 50, 0, 0, 8, 8, 4, 2, 0", longAnim.c_str(),
       "Late = anim.bmp, 50, 0, 0, 8, 8, 4, 2, 0", nameTooBig.c_str()},
      {"Animations", "Early = anim.bmp, 50, 0, 0, 8, 8, 4, 2, 0", "NoFile", "Late = anim.bmp, 50, 0, 0, 8, 8, 4, 2, 0",
       "fname is invalid"},
      {"Fonts", "Early = test.xbf", "NoFile", "Late = test.xbf", "fname is invalid"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.m_Bad);
    CResData res;
    const std::string script = std::string("{ = ") + row.m_Section + "\n  " + row.m_Early + "\n  " + row.m_Bad +
                               "\n  " + row.m_Late + "\n}\n";
    xSetDiagnostics(1);
    testing::internal::CaptureStderr();
    const int32_t imported = res.Import(script.c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    xSetDiagnostics(0);
    ASSERT_EQ(imported, 1);
    EXPECT_NE(said.find(row.m_Said), std::string::npos) << said;
    const std::string section = row.m_Section;
    int32_t w = 0, h = 0;
    auto loaded = [&](const char* name) {
      if (section == "Bitmaps") return res.GetBm(name, &w, &h) != nullptr;
      if (section == "Animations") return res.GetAnimByName(name) != nullptr;
      return res.GetFont(name) != nullptr;
    };
    EXPECT_TRUE(loaded("Early"));
    EXPECT_FALSE(loaded("Late"));
    EXPECT_FALSE(loaded(kLong));
  }
}

TEST_F(ResData, GetColorReadsNumbersOrATableEntry) {
  CResData res;
  ASSERT_EQ(res.Import("{ = Data\n"
                       "  C = black, \"10, 20 30,40\", \" ,7 8 9 10\", \"1 2 300 4\", \"1 2\", red\n"
                       "}\n"),
            1);
  ASSERT_EQ(res.EnterDataChunk(), 1);
  ASSERT_EQ(res.FindItem("C"), 1);
  TRGBA c(0, 0, 0, 0);
  EXPECT_EQ(res.GetColor(0, &c, 0), 1);
  EXPECT_EQ(c, TRGBA(1, 1, 1, 0));
  EXPECT_EQ(res.GetColor(1, &c, 0), 1);
  EXPECT_EQ(c, TRGBA(10, 20, 30, 40));
  EXPECT_EQ(res.GetColor(2, &c, 0), 1);
  EXPECT_EQ(c, TRGBA(7, 8, 9, 10));
  EXPECT_EQ(res.GetColor(3, &c, 0), 0);  // 300 is no channel value
  EXPECT_EQ(res.GetColor(4, &c, 0), 0);  // too few numbers
  EXPECT_EQ(res.GetColor(5, &c, 1), 0);  // "red" has one entry
  EXPECT_EQ(res.GetColor(6, &c, 0), 0);  // no such value
}

TEST_F(ResData, FlagListsAndKeyNamesOfTheCurrentItem) {
  CResData res;
  ASSERT_EQ(res.Import("{ = Data\n"
                       "  F = XWIN_TITLEBAR|XWIN_CLOSE, 0, \"\", \"cntrl_extruded  | \t CNTRL_TABSTOP\", XWIN_NOPE, "
                       "\"XWIN_MODAL|\", \"|XWIN_MODAL\", 0x40, XGUI_HIDDEN, \"ANIM_LOOP ANIM_PINGPONG\"\n"
                       "  K = XKEY_ENTER, xkey_f24, XKEY_NP0, NULL, XKEY_TILDE, XKEY_F25, XKEY_F0, XKEY_NP10, "
                       "XKEY_Z, XKEY_, ENTER\n"
                       "}\n"),
            1);
  ASSERT_EQ(res.EnterDataChunk(), 1);
  ASSERT_EQ(res.FindItem("F"), 1);
  struct SFlagCase {
    int32_t n;
    int32_t ok;
    uint32_t flags;
  };
  for (const SFlagCase& t : std::vector<SFlagCase>{{0, 1, 5},
                                                    {1, 1, 0},
                                                    {2, 1, 0},
                                                    {3, 1, 0x8001},
                                                    {4, 0, 0},
                                                    {5, 0, 0},
                                                    {6, 0, 0},
                                                    {7, 1, 0},
                                                    {8, 1, 5},
                                                    {9, 1, 6},
                                                    {10, 0, 0}}) {
    uint32_t flags = 0xDEAD;
    EXPECT_EQ(res.GetResFlags(t.n, &flags), t.ok) << t.n;
    if (t.ok) {
      EXPECT_EQ(flags, t.flags) << t.n;
    }
  }
  ASSERT_EQ(res.FindItem("K"), 1);
  const int32_t want[] = {13, 322, 285, 0, 115, -1, -1, -1, 90, -1, -1};
  for (int32_t n = 0; n < 11; ++n) {
    int16_t key = -5;
    EXPECT_EQ(res.GetHotkey(n, &key), want[n] >= 0 ? 1 : 0) << n;
    if (want[n] >= 0) {
      EXPECT_EQ(key, want[n]) << n;
    }
  }
}

TEST_F(ResData, OnAPaletteScreenThePaletteSectionSetsTheScreensPalette) {
  StartScreen(320, 240, 8);
  CResData res;
  ASSERT_EQ(res.Load("test.xrs"), 1);
  const CPalette* palette = glb->m_pCurrentScreen->GetPalette();
  EXPECT_STREQ(palette->GetName(), "pal8");
  EXPECT_EQ(palette->Entry(5), TRGBA(5, 250, 3, palette->Entry(5).a));
  // Bitmaps are made for the screen of the moment: 8 bits here.
  EXPECT_EQ(res.GetBm("Corner", nullptr, nullptr)->m_BitsPerPixel, 8);
}

TEST_F(ResData, FreedScriptsStopBeingTheWindowManagersDefaults) {
  CWinCtrl* wc = xWinCtrl();
  TCntrlColor* builtInButton = wc->GetDefaultButton()[1];
  {
    CResData res;
    ASSERT_EQ(res.Load("test.xrs"), 1);
    ASSERT_NE(wc->GetDefaultFont(), nullptr);
    ASSERT_NE(wc->GetDefaultButton()[1], builtInButton);
  }
  EXPECT_EQ(wc->GetDefaultFont(), nullptr);
  EXPECT_EQ(wc->GetDefaultClose()[0], nullptr);
  EXPECT_EQ(wc->GetDefaultCaret(), nullptr);
  EXPECT_EQ(wc->GetDefaultButton()[1], builtInButton);
  wc->RemapDefaults();  // touches nothing that is gone
}
