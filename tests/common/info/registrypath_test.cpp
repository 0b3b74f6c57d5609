// The casino's registry path from the shipped "xrs/common.xrs", with the buffer cases, and the
// library's version banner.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "common/info/commonversion.h"
#include "common/info/registrypath.h"
#include "ostrel/system/debug.h"
#include "support/tempdir.h"

namespace {
// The script as the build stages it.
const std::string kShippedScript = std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/common.xrs";
const std::string kPath = "Software\\Casino\\Vorrin Casino";

class RegistryPath : public ::testing::Test {
 protected:
  void SetUp() override {
    xForgetCasinoRegistryPath();
    std::filesystem::create_directory(m_Dir.File("xrs"));
  }
  void TearDown() override { xForgetCasinoRegistryPath(); }
  void Ship() { std::filesystem::copy_file(kShippedScript, m_Dir.File(COMMON_SCRIPT_FILE)); }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
};
}  // namespace

TEST_F(RegistryPath, TheBufferMustHoldThePathAndItsZero) {
  Ship();
  char buffer[64];
  const struct {
    const char* m_pWhy;
    char* m_pBuffer;
    uint32_t m_Size;
    int32_t m_Result;
    const char* m_pText;
  } cases[] = {
      {"no buffer", nullptr, sizeof buffer, 0, nullptr},
      {"size 0", buffer, 0, 0, "untouched"},
      {"room for the path without its zero", buffer, static_cast<uint32_t>(kPath.size()), 0, ""},
      {"room for the path and its zero", buffer, static_cast<uint32_t>(kPath.size() + 1), 1, kPath.c_str()},
      {"more room", buffer, sizeof buffer, 1, kPath.c_str()},
  };
  for (const auto& c : cases) {
    std::snprintf(buffer, sizeof buffer, "untouched");
    EXPECT_EQ(xGetCasinoRegistryPath(c.m_pBuffer, c.m_Size), c.m_Result) << c.m_pWhy;
    if (c.m_pText) {
      EXPECT_STREQ(buffer, c.m_pText) << c.m_pWhy;
    }
  }
}

TEST_F(RegistryPath, BuiltOnceFromTheScript) {
  char buffer[300];
  EXPECT_EQ(xGetCasinoRegistryPath(buffer, sizeof buffer), 0) << "no script";
  EXPECT_STREQ(buffer, "");
  WriteWholeFile(m_Dir.File(COMMON_SCRIPT_FILE), "{ = Strings\n TITLE = 10000, \"Setup\"\n}\n");
  EXPECT_EQ(xGetCasinoRegistryPath(buffer, sizeof buffer), 0) << "no string 10001";
  std::filesystem::remove(m_Dir.File(COMMON_SCRIPT_FILE));
  Ship();
  ASSERT_EQ(xGetCasinoRegistryPath(buffer, sizeof buffer), 1);
  EXPECT_EQ(buffer, kPath);
  std::filesystem::remove(m_Dir.File(COMMON_SCRIPT_FILE));
  EXPECT_EQ(xGetCasinoRegistryPath(buffer, sizeof buffer), 1) << "kept";
  EXPECT_EQ(buffer, kPath);
  xForgetCasinoRegistryPath();
  EXPECT_EQ(xGetCasinoRegistryPath(buffer, sizeof buffer), 0);
}

TEST(CommonVersion, TheDatabaseBannerThenTheLibrarys) {
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  xShowVersionInfoCommonlib();
  const std::string text = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  const std::regex lines(
      "Version Info: Stova [^\n]*\n"
      "Version Info: Commonlib v3\\.0 \\((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] [0-9]{4}, "
      "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\)\n");
  EXPECT_TRUE(std::regex_match(text, lines)) << text;
}
