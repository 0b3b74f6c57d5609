// The limits scripts of the blackjack tables as the module reads them for the in-process server
// table: the authored scripts, and scripts that lack or garble a key.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "limitsscript.h"
#include "ostrel/resources/resdata.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int32_t ReadText(const std::string& text, SKavoLimits& limits) {
  CResData script;
  if (!script.Import(text.c_str())) return -1;
  return ReadLimitsScript(script, limits);
}

std::string Script(const std::string& items) { return "{ = Data\n" + items + "}\n"; }

const char* const kRequired = "BETLIMITS = { 5, 500, 25, 2500, 100, 5000 }\nTIMELIMITS = { 20, 30 }\n";

TEST(KavoLimitsScript, AuthoredScriptsGiveTheirTables) {
  struct SCase {
    const char* m_File;
    int32_t m_MinLevel1;
    std::vector<uint32_t> m_Doubles;
  } const cases[] = {{"kavo_limits.xrs", 5, {}}, {"kavo_ss_limits.xrs", 5, {}}, {"kavo_onedeck_limits.xrs", 5, {10, 11}}};
  for (const SCase& c : cases) {
    SKavoLimits limits;
    ASSERT_EQ(ReadText(ReadFile(std::string(VORRIN_KAVO_DATA) + "/" + c.m_File), limits), 1) << c.m_File;
    EXPECT_EQ(limits.m_BetLimits[0], c.m_MinLevel1) << c.m_File;
    EXPECT_GT(limits.m_BetLimits[1], limits.m_BetLimits[0]) << c.m_File;
    EXPECT_GT(limits.m_TimeLimits[0], 0) << c.m_File;
    EXPECT_EQ(limits.m_ValidDoubleSums, c.m_Doubles) << c.m_File;
  }
}

TEST(KavoLimitsScript, OptionalKeysAbsentGiveAnEmptyDoubleListAndBothRulesOff) {
  SKavoLimits limits;
  limits.m_TripleSevenEnabled = limits.m_DrawOnSoft17 = 1;
  limits.m_ValidDoubleSums = {9};
  ASSERT_EQ(ReadText(Script(kRequired), limits), 1);
  const int32_t bets[] = {5, 500, 25, 2500, 100, 5000};
  for (int32_t i = 0; i < KAVO_BETLIMITS; ++i) EXPECT_EQ(limits.m_BetLimits[i], bets[i]) << i;
  EXPECT_EQ(limits.m_TimeLimits[0], 20);
  EXPECT_EQ(limits.m_TimeLimits[1], 30);
  EXPECT_TRUE(limits.m_ValidDoubleSums.empty());
  EXPECT_EQ(limits.m_TripleSevenEnabled, 0);
  EXPECT_EQ(limits.m_DrawOnSoft17, 0);
}

TEST(KavoLimitsScript, RulesAndDoubleSumsAreRead) {
  SKavoLimits limits;
  ASSERT_EQ(ReadText(Script(std::string(kRequired) +
                            "VALIDDOUBLESUMSCOUNT = 3\nVALIDDOUBLESUMS = { 9, 10, 11 }\nTRIPLESEVENENABLED = TRUE\n"
                            "DRAWONSOFT17 = 1\n"),
                     limits),
            1);
  EXPECT_EQ(limits.m_ValidDoubleSums, (std::vector<uint32_t>{9, 10, 11}));
  EXPECT_EQ(limits.m_TripleSevenEnabled, 1);
  EXPECT_EQ(limits.m_DrawOnSoft17, 1);
}

TEST(KavoLimitsScript, BadScriptsAreRefused) {
  struct SCase {
    const char* m_What;
    std::string m_Text;
  } const cases[] = {
      {"no bet limits", Script("TIMELIMITS = { 20, 30 }\n")},
      {"no time limits", Script("BETLIMITS = { 5, 500, 25, 2500, 100, 5000 }\n")},
      {"five bet limits", Script("BETLIMITS = { 5, 500, 25, 2500, 100 }\nTIMELIMITS = { 20, 30 }\n")},
      {"seven bet limits", Script("BETLIMITS = { 5, 500, 25, 2500, 100, 5000, 1 }\nTIMELIMITS = { 20, 30 }\n")},
      {"one time limit", Script("BETLIMITS = { 5, 500, 25, 2500, 100, 5000 }\nTIMELIMITS = { 20 }\n")},
      {"bet limits not numbers", Script("BETLIMITS = { a, b, c, d, e, f }\nTIMELIMITS = { 20, 30 }\n")},
      {"a count without its list", Script(std::string(kRequired) + "VALIDDOUBLESUMSCOUNT = 2\n")},
      {"a count above its list", Script(std::string(kRequired) + "VALIDDOUBLESUMSCOUNT = 3\nVALIDDOUBLESUMS = { 10, 11 }\n")},
      {"a count below its list", Script(std::string(kRequired) + "VALIDDOUBLESUMSCOUNT = 1\nVALIDDOUBLESUMS = { 10, 11 }\n")},
      {"a count above 32", Script(std::string(kRequired) + "VALIDDOUBLESUMSCOUNT = 33\nVALIDDOUBLESUMS = { 10 }\n")},
      {"a count of four billion", Script(std::string(kRequired) + "VALIDDOUBLESUMSCOUNT = 4294967295\n")},
      {"no data chunk", "{ = Other\nBETLIMITS = { 5, 500, 25, 2500, 100, 5000 }\n}\n"},
  };
  for (const SCase& c : cases) {
    SKavoLimits limits;
    EXPECT_EQ(ReadText(c.m_Text, limits), 0) << c.m_What;
  }
}

TEST(KavoLimitsScript, AMissingFileIsRefused) {
  SKavoLimits limits;
  EXPECT_EQ(LoadLimitsScript("xrs/no_such_limits.xrs", limits), 0);
  EXPECT_EQ(LoadLimitsScript(nullptr, limits), 0);
}

TEST(KavoLimitsScript, TheServerTableGetsTheValues) {
  SKavoLimits limits;
  ASSERT_EQ(ReadText(Script(std::string(kRequired) + "VALIDDOUBLESUMSCOUNT = 2\nVALIDDOUBLESUMS = { 10, 11 }\n"
                                                     "TRIPLESEVENENABLED = 1\nDRAWONSOFT17 = 1\n"),
                     limits),
            1);
  CBlackJackServerTable table;
  const uint32_t old[] = {4, 5, 6};
  table.SetValidDoubleSums(3, old);
  ApplyLimits(limits, table);
  EXPECT_EQ(table.GetValidDoubleSums(), (std::vector<uint32_t>{10, 11}));
  EXPECT_EQ(table.GetTripleSevenEnabled(), 1);
  EXPECT_EQ(table.GetDrawOnSoft17(), 1);
  for (int32_t i = 0; i < KAVO_BETLIMITS; ++i) EXPECT_EQ(table.GetBetLimit(i), limits.m_BetLimits[i]) << i;
  for (int32_t i = 0; i < KAVO_TIMELIMITS; ++i) EXPECT_EQ(table.GetTimeLimit(i), limits.m_TimeLimits[i]) << i;
}

}  // namespace
