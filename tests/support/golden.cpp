#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

void ExpectGolden(const std::string& golden, const TRgbImage& actual) {
  if (std::getenv("VORRIN_UPDATE_GOLDEN")) {
    ASSERT_TRUE(WritePng(golden, actual)) << golden;
  }
  TRgbImage expected;
  ASSERT_TRUE(ReadPng(golden, &expected)) << golden;
  EXPECT_EQ(expected.width, actual.width);
  EXPECT_EQ(expected.height, actual.height);
  if (expected.rgb == actual.rgb) return;
  const std::string out = std::string(VORRIN_DIST_DIR) + "/../tests/" +
                          std::filesystem::path(golden).stem().string() + "_actual.png";
  WritePng(out, actual);
  ADD_FAILURE() << "the picture differs from " << golden << "; this run drew " << out;
}
