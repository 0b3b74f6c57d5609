#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "dialogstage.h"
#include "support/png.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"

namespace {
const std::string kViewer = VORRIN_DIALOGVIEW;
const std::string kSample = std::string(VORRIN_TOOLS_SOURCE_DIR) + "/dialogview/samples/login.xrs";
const std::string kGallery = std::string(VORRIN_TOOLS_SOURCE_DIR) + "/gallery/gallery.xrs";

int RunViewer(const std::vector<std::string>& args, std::string* output = nullptr) {
  CSpawnedChild child;
  if (!child.StartSystemProgram(kViewer, args)) return -1;
  child.CloseInput();
  std::string all;
  for (std::string line = child.ReadLine(); line != "<eof>"; line = child.ReadLine()) all += line + "\n";
  if (output) *output = all;
  return child.Wait();
}

uint32_t Pixel(const TRgbImage& image, int x, int y) {
  const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
  return static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
}

struct SSizeRow {
  std::vector<std::string> m_Args;
  int m_Width, m_Height;
};
}  // namespace

TEST(DialogView, DrawsTheSampleHeadlessAtTheSizeItsWindowAndMarginGive) {
  CTempDir dir;
  const std::string png = dir.File("out.png");
  // The sample window is 340 x 200; its rectangle is one pixel larger on each side.
  const SSizeRow rows[] = {
      {{kSample, "--png", png}, 342 + 16, 202 + 16},
      {{kSample, "IDD_LOGIN", "--margin", "0", "--png", png}, 342, 202},
      {{kSample, "600", "--margin", "-1", "--size", "640x480", "--png", png}, 640, 480},
  };
  for (const SSizeRow& row : rows) {
    ASSERT_EQ(RunViewer(row.m_Args), 0) << row.m_Args[1];
    TRgbImage image;
    ASSERT_TRUE(ReadPng(png, &image));
    EXPECT_EQ(image.width, row.m_Width);
    EXPECT_EQ(image.height, row.m_Height);
  }
  // The last one is the whole screen: the centred window's frame face (the base pack's baize)
  // stands in the middle, and nothing is drawn in the corner.
  TRgbImage image;
  ASSERT_TRUE(ReadPng(png, &image));
  EXPECT_EQ(Pixel(image, 320 - 150, 240 + 20), 0x12382Au);
  EXPECT_EQ(Pixel(image, 2, 2), 0u);
}

TEST(DialogView, ProgressValuesAndTheGalleryWindows) {
  CTempDir dir;
  const std::string empty = dir.File("empty.png"), full = dir.File("full.png");
  ASSERT_EQ(RunViewer({kSample, "--margin", "0", "--png", empty}), 0);
  ASSERT_EQ(RunViewer({kSample, "--margin", "0", "--value", "IDC_PROGRESS=100", "--png", full}), 0);
  TRgbImage a, b;
  ASSERT_TRUE(ReadPng(empty, &a));
  ASSERT_TRUE(ReadPng(full, &b));
  // The bar (client 16, 116, 304 x 12, below the 16-pixel title bar and inside the 2-pixel border).
  const int x = 1 + 2 + 16 + 150, y = 1 + 2 + 16 + 116 + 6;
  EXPECT_NE(Pixel(a, x, y), Pixel(b, x, y));
  EXPECT_EQ(Pixel(b, x, y), 0xD4AF37u);  // the sample's gold bar
  std::string listed;
  ASSERT_EQ(RunViewer({kGallery, "--list"}, &listed), 0);
  EXPECT_EQ(listed,
            "IDD_BUTTONS\nIDD_TEXT\nIDD_PROGRESS\nIDD_CONTAINER\nIDD_LINKS\nIDD_SLIDERS\nIDD_TIMERS\nIDD_EDITS\nIDD_CHAT\n"
            "IDD_TOGGLES\nIDD_MENUS\nIDD_LISTS\n");
  // Every window of the gallery builds, alone and all together.
  ASSERT_EQ(RunViewer({kGallery, "IDD_PROGRESS", "--png", full}), 0);
  ASSERT_EQ(RunViewer({kGallery, "--size", "1280x860", "--png", full}), 0);
}

// The gallery's windows of sliders, time-outs, ticker and chat, drawn with and without values.
class GalleryValues : public testing::Test {
 protected:
  TRgbImage Draw(const std::string& window, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {kGallery, window, "--size", "1280x860", "--margin", "0", "--png", m_Png};
    args.insert(args.end(), extra.begin(), extra.end());
    TRgbImage image;
    EXPECT_EQ(RunViewer(args), 0) << window;
    EXPECT_TRUE(ReadPng(m_Png, &image));
    return image;
  }
  // Pixels of the client rectangle (x, y, w, h) that match.
  template <typename F>
  static int Count(const TRgbImage& image, int x, int y, int w, int h, F match) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += match(Pixel(image, kClientX + i, kClientY + j)) ? 1 : 0;
    return n;
  }
  static uint32_t At(const TRgbImage& image, int x, int y) { return Pixel(image, kClientX + x, kClientY + y); }

  // The client origin: the rectangle's pixel, the 2-pixel border and the 16-pixel title bar.
  static constexpr int kClientX = 1 + 2, kClientY = 1 + 2 + 16;
  CTempDir m_Dir;
  const std::string m_Png = m_Dir.File("out.png");
};

TEST_F(GalleryValues, TimeOutsSlidersAndTickersTakeTheirValues) {
  constexpr uint32_t kIvory = 0xFAFAF5, kPie = 0x1A5C3E, kThumb = 0x2E845E, kTrack = 0x5C4616;
  // The last dial has run out (nothing left, its face shows); at 0 all of it is left (the look's
  // green pie).
  // A point in its top-right quarter: dial at (216, 28), centre (24, 24).
  const TRgbImage timers = Draw("IDD_TIMERS");
  EXPECT_EQ(At(timers, 216 + 30, 28 + 18), kIvory);
  EXPECT_EQ(At(Draw("IDD_TIMERS", {"--value", "IDT_NONE=0"}), 216 + 30, 28 + 18), kPie);
  // The ticker (10, 104, 254 x 20) moved its gold text in over its padding; 40 steps more move
  // it on, and nothing else.
  const auto gold = [](uint32_t p) { return (p >> 16) > 200 && ((p >> 8) & 0xFF) > 160 && (p & 0xFF) < 160; };
  EXPECT_GT(Count(timers, 10, 104, 254, 20, gold), 100);
  const TRgbImage moved = Draw("IDD_TIMERS", {"--value", "IDT_TICKER=40"});
  int inside = 0, outside = 0;
  for (int y = 0; y < timers.height; ++y)
    for (int x = 0; x < timers.width; ++x) {
      const bool ticker = x >= kClientX + 10 && x < kClientX + 264 && y >= kClientY + 104 && y < kClientY + 124;
      (ticker ? inside : outside) += Pixel(timers, x, y) != Pixel(moved, x, y) ? 1 : 0;
    }
  EXPECT_GT(inside, 100);
  EXPECT_EQ(outside, 0);
  // The middle horizontal slider (16, 166, 240 x 16) at 40 of 0 to 81: its thumb covers x 114 to
  // 155; at 0 the track shows there.
  EXPECT_EQ(At(Draw("IDD_SLIDERS"), 134, 174), kThumb);
  EXPECT_EQ(At(Draw("IDD_SLIDERS", {"--value", "IDH_PART=0"}), 134, 174), kTrack);
}

TEST_F(GalleryValues, CheckBoxesAndGroupsTakeTheirValues) {
  // A gold check mark inside the box's gold-edged frame (14 x 14): "Sound effects" at (12, 12).
  // The group's radio buttons, "Medium" at (176, 62) and "High" at (176, 86), are round: a gold
  // dot in the middle of the chosen one.
  const auto gold = [](uint32_t p) { return (p >> 16) > 200 && ((p >> 8) & 0xFF) > 160 && (p & 0xFF) < 160; };
  const TRgbImage script = Draw("IDD_TOGGLES");
  EXPECT_GT(Count(script, 14, 14, 10, 10, gold), 10);
  EXPECT_GT(Count(script, 181, 67, 4, 4, gold), 12);
  EXPECT_EQ(Count(script, 181, 91, 4, 4, gold), 0);
  const TRgbImage changed = Draw("IDD_TOGGLES", {"--value", "IDX_SOUND=0", "--value", "IDX_STAKES=IDX_HIGH"});
  EXPECT_EQ(Count(changed, 14, 14, 10, 10, gold), 0);
  EXPECT_EQ(Count(changed, 181, 67, 4, 4, gold), 0);
  EXPECT_GT(Count(changed, 181, 91, 4, 4, gold), 12);
}

// Radio buttons are round, with a dot when chosen, in each of the base pack's four states; a
// check box stays square.
TEST_F(GalleryValues, RadioButtonsAreRound) {
  const TRgbImage toggles = Draw("IDD_TOGGLES");
  const uint32_t background = At(toggles, 176 + 20, 86 + 7);  // beside the group, the baize
  const auto near = [](uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 24) return false;
    return true;
  };
  for (int y : {62, 86}) {
    // The corners of the box are the window's, the middle of each edge the ring's.
    for (const auto& [dx, dy] : {std::pair{0, 0}, {13, 0}, {0, 13}, {13, 13}})
      EXPECT_TRUE(near(At(toggles, 176 + dx, y + dy), background)) << y << " corner " << dx << "," << dy;
    EXPECT_FALSE(near(At(toggles, 176 + 7, y + 1), background)) << y;
  }
  // The check box's corner is its frame.
  EXPECT_FALSE(near(At(toggles, 12, 12), background));
}

// The slider's thumb stands out from its track: a list box's scroll bar shows where it is.
TEST_F(GalleryValues, ScrollThumbsContrastWithTheirTrack) {
  const auto luma = [](uint32_t p) {
    return 0.299 * (p >> 16) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
  };
  // The list (12, 28, 280 x 120) has its scroll bar at the right edge, 16 wide: the thumb at the
  // top (the first rows show), the track at the bottom above the down arrow.
  const TRgbImage lists = Draw("IDD_LISTS");
  const uint32_t thumb = At(lists, 12 + 280 - 8, 28 + 30), track = At(lists, 12 + 280 - 8, 28 + 120 - 24);
  EXPECT_GT(std::abs(luma(thumb) - luma(track)), 25.0) << std::hex << thumb << " on " << track;
}

// The time-out pies are the look's green, and their arcs are smoothed against the ivory dial.
TEST_F(GalleryValues, TimeOutPiesAreSmooth) {
  const TRgbImage timers = Draw("IDD_TIMERS");
  int blended = 0, black = 0;
  // The first dial (8, 28, 48 x 48), all of its time left: the pie of radius 19 about (24, 24).
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      const uint32_t p = At(timers, 8 + x, 28 + y);
      const double d = std::hypot(x + 0.5 - 24, y + 0.5 - 24);
      if (p == 0) ++black;
      if (d > 18 && d < 20 && p != 0x1A5C3E && p != 0xFAFAF5 && ((p >> 8) & 0xFF) > 0x5C && ((p >> 8) & 0xFF) < 0xFA) ++blended;
    }
  EXPECT_EQ(black, 0);
  EXPECT_GT(blended, 60);
}

TEST_F(GalleryValues, ListBoxesLightTheSelectedRow) {
  // The list (12, 28, rows of 20 inside a 1-pixel edge) lights its selected row with its
  // highlight picture (a plain tile: the thumb's pressed face); the script selects the third row.
  // A point right of the text.
  constexpr uint32_t kLit = 0x1E6244;
  EXPECT_EQ(At(Draw("IDD_LISTS"), 12 + 262, 28 + 1 + 2 * 20 + 10), kLit);
  const TRgbImage first = Draw("IDD_LISTS", {"--value", "IDI_TABLES=1"});
  EXPECT_EQ(At(first, 12 + 262, 28 + 1 + 10), kLit);
  EXPECT_NE(At(first, 12 + 262, 28 + 1 + 2 * 20 + 10), kLit);
}

TEST_F(GalleryValues, ChatLinesKeepTheirColours) {
  // The pane (10, 10, 298 x 150 less its scroll bar) shows the last lines of the "Data" chunk:
  // the dealer's in blue, the slow-connection warning in red.
  const TRgbImage chat = Draw("IDD_CHAT");
  const auto blue = [](uint32_t p) { return (p & 0xFF) > 200 && (p >> 16) < 170; };
  const auto red = [](uint32_t p) { return (p >> 16) > 220 && ((p >> 8) & 0xFF) < 170 && (p & 0xFF) < 160; };
  EXPECT_GT(Count(chat, 10, 10, 285, 150, blue), 50);
  EXPECT_GT(Count(chat, 10, 10, 285, 150, red), 50);
}

TEST(DialogView, FailuresWriteNoPicture) {
  CTempDir dir;
  const std::string png = dir.File("out.png");
  // A line for a control that is no multi-line edit.
  WriteWholeFile(dir.File("lines.xrs"), "{ = Defines\n  DLG = 5\n  BOX = 6\n}\n{ = Window, DLG\n"
                                        "  Create = \"x\", 0, 0, 100, 100, 0\n  { = Progress, BOX\n"
                                        "    Create = 1, 1, 50, 10, 0\n  }\n}\n{ = Data\n  Line = BOX, \"hi\"\n}\n");
  WriteWholeFile(dir.File("broken.xrs"), "{ = Defines\n  DLG = 5\n}\n{ = Window, DLG\n  Create = \"x\", 0, 0, 10\n}\n");
  const std::vector<std::string> failures[] = {
      {kSample, "IDD_NOPE", "--png", png},
      {kSample, "--value", "IDC_HELP=5", "--png", png},  // no value to set
      {kGallery, "IDD_EDITS", "--size", "1280x860", "--value", "IDE_NAME=5", "--png", png},
      {kGallery, "IDD_TIMERS", "--size", "1280x860", "--value", "IDT_TICKER=-1", "--png", png},
      {kGallery, "IDD_TOGGLES", "--size", "1280x860", "--value", "IDX_STAKES=IDX_SOUND", "--png", png},
      {kGallery, "IDD_LISTS", "--size", "1280x860", "--value", "IDI_CURRENCY=5", "--png", png},
      {dir.File("lines.xrs"), "--png", png},
      {kSample, "--value", "IDC_PROGRESS", "--png", png},
      {dir.File("missing.xrs"), "--png", png},
      {dir.File("broken.xrs"), "--png", png},
      {kSample, "--size", "10x10", "--png", png},
      {kSample, "--bogus"},
      {},
  };
  for (const auto& args : failures) {
    EXPECT_NE(RunViewer(args), 0) << (args.empty() ? "" : args.back());
    EXPECT_EQ(ReadWholeFile(png), "");
  }
}

namespace {
// 0x00RRGGBB of a pixel of the stage's screen.
uint32_t StagePixel(const CDialogStage& stage, int32_t x, int32_t y) {
  TRgbImage image;
  if (!stage.Capture(&image, -1)) return 0xFFFFFFFF;
  return Pixel(image, x, y);
}
}  // namespace

TEST(DialogStage, AMovedWindowLeavesNoTrailBehind) {
  CDialogStage stage;
  ASSERT_TRUE(stage.Start(800, 600, true)) << stage.Error();
  ASSERT_TRUE(stage.Load(VORRIN_DIST_DIR, kSample)) << stage.Error();
  ASSERT_TRUE(stage.Open({})) << stage.Error();
  for (int i = 0; i < 3; ++i) stage.Frame();
  CDialog& dialog = *stage.Dialogs().front();
  const CRect before = dialog.GetRect();
  const uint32_t corner = StagePixel(stage, before.left + 2, before.top + 2);
  ASSERT_NE(corner, 0u) << "the window is drawn";
  // Moved right by half its width: its old left half lies bare.
  const int32_t shift = (before.right - before.left) / 2;
  dialog.SetPos(before.left + shift, before.top);
  for (int i = 0; i < 2; ++i) stage.Frame();
  const CRect after = dialog.GetRect();
  ASSERT_GT(after.left, before.left + shift / 2);
  for (int32_t y = before.top; y <= before.bottom; y += 7)
    for (int32_t x = before.left; x < after.left; x += 5) ASSERT_EQ(StagePixel(stage, x, y), 0u) << x << "," << y;
  EXPECT_EQ(StagePixel(stage, after.left + 2, after.top + 2), corner) << "the window stands drawn at its new place";
}
