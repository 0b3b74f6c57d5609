#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  EXPECT_EQ(listed, "IDD_BUTTONS\nIDD_TEXT\nIDD_PROGRESS\nIDD_CONTAINER\nIDD_LINKS\nIDD_SLIDERS\nIDD_TIMERS\nIDD_EDITS\nIDD_CHAT\n");
  // Every window of the gallery builds, alone and all together.
  ASSERT_EQ(RunViewer({kGallery, "IDD_PROGRESS", "--png", full}), 0);
  ASSERT_EQ(RunViewer({kGallery, "--size", "1280x720", "--png", full}), 0);
}

TEST(DialogView, FailuresWriteNoPicture) {
  CTempDir dir;
  const std::string png = dir.File("out.png");
  WriteWholeFile(dir.File("broken.xrs"), "{ = Defines\n  DLG = 5\n}\n{ = Window, DLG\n  Create = \"x\", 0, 0, 10\n}\n");
  const std::vector<std::string> failures[] = {
      {kSample, "IDD_NOPE", "--png", png},
      {kSample, "--value", "IDC_HELP=5", "--png", png},  // not a progress bar
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
