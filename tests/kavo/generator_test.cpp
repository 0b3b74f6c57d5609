// The table's generators as the build runs them: the same bytes twice, a scene the client would
// mis-click on refused with the reason, the tree's scripts as the build stages them, and the
// dealer's rule on the felt as the limits script sets it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ostrel/resources/resdata.h"
#include "support/tempdir.h"

namespace {
const char* const kScripts[] = {"kavo_main.xrs", "kavo_ss_main.xrs", "kavo_onedeck_main.xrs"};

// Runs a command line; its exit status, with what it said on stderr in *said.
int RunCommand(const std::string& command, std::string* said = nullptr) {
  CTempDir dir;
  const int rc = std::system((command + " 2> " + dir.File("stderr")).c_str());
  if (said) *said = ReadWholeFile(dir.File("stderr"));
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string Layout(const std::string& scene, const std::string& out) {
  return std::string(VORRIN_KAVOLAYOUT) + " --scene " + scene + " --data " + VORRIN_KAVO_DATA + " --out " + out +
         " --views " + out + "/views.json";
}

std::string Scene() { return ReadWholeFile(std::string(VORRIN_KAVO_TOOLS) + "/scene.json"); }

TEST(KavoGenerator, LaysOutAndPaintsTheSameBytesAsTheBuild) {
  CTempDir out;
  ASSERT_EQ(RunCommand(Layout(std::string(VORRIN_KAVO_TOOLS) + "/scene.json", out.Path())), 0);
  const std::string dist = VORRIN_DIST_DIR;
  for (const char* s : kScripts)
    EXPECT_EQ(ReadWholeFile(out.File(std::string("xrs/") + s)), ReadWholeFile(dist + "/xrs/" + s)) << s;
  for (const char* t : {"kavo", "kavo_ss", "kavo_onedeck"})
    for (int v = 0; v < 5; ++v) {
      const std::string map = std::string("pictures/kavo/") + t + "_spots" + std::to_string(v) + ".bmp";
      EXPECT_EQ(ReadWholeFile(out.File(map)), ReadWholeFile(dist + "/" + map)) << map;
    }
  EXPECT_EQ(ReadWholeFile(out.File("views.json")), ReadWholeFile(VORRIN_KAVO_VIEWS));
  // A view of the side-bet table and the small pictures, painted again: byte for byte the build's.
  const std::vector<std::string> pictures = {"kavo_ss_table3.bmp", "cards.bmp", "back.bmp", "smallchips.bmp",
                                             "icons.bmp", "light.bmp", "kavo_onedeck_popup2.bmp"};
  std::string only;
  for (const std::string& p : pictures) only += " " + p;
  ASSERT_EQ(RunCommand(std::string(VORRIN_PYTHON) + " " + VORRIN_KAVO_TOOLS + "/makekavo.py --views " + VORRIN_KAVO_VIEWS +
                " --out " + out.File("painted") + " --only" + only),
            0);
  for (const std::string& p : pictures) {
    const std::string again = ReadWholeFile(out.File("painted/" + p));
    EXPECT_FALSE(again.empty()) << p;
    EXPECT_TRUE(again == ReadWholeFile(dist + "/pictures/kavo/" + p)) << p;
  }
}

TEST(KavoGenerator, TheTreeHoldsTheScriptsAsTheBuildStagesThem) {
  for (const char* s : kScripts)
    EXPECT_EQ(ReadWholeFile(std::string(VORRIN_KAVO_DATA) + "/" + s), ReadWholeFile(std::string(VORRIN_DIST_DIR) + "/xrs/" + s))
        << s << ": run kavolayout with --update (the build's command line and --update) and commit data/xrs";
}

// Each case changes one thing of the real scene; the layout tool must refuse it, naming the fault.
struct SBadScene {
  const char* What;
  const char* From;
  const char* To;
  const char* Said;
};
const SBadScene kBadScenes[] = {
    {"overlapping bet spots", "\"circleRadius\": 0.085", "\"circleRadius\": 0.2", "overlap"},
    {"a side-bet spot on the bet spot", "\"sideBetRadius\": 0.635", "\"sideBetRadius\": 0.7", "the side-bet spot of seat 1 overlap"},
    {"spots off the picture", "\"hfov\": 60.0", "\"hfov\": 25.0", "falls off the picture"},
    {"a spot under a control", "\"infoButton\": [8, 8, 26, 26]", "\"infoButton\": [300, 380, 200, 120]",
     "hides under the table-information button"},
    {"a spot under the panel", "\"panelAreas\": [", "\"panelAreas\": [[0, 300, 800, 300], ", "hides under the control panel"},
    {"a hand on a bet spot", "\"handRadius\": 0.525", "\"handRadius\": 0.76", "lies on the bet spot"},
    {"no seats", "\"angles\": [46, 23, 0, -23, -46]", "\"angles\": [46, 23, 0]", "\"seats.angles\" needs 5 numbers"},
};

class KavoBadScene : public ::testing::TestWithParam<SBadScene> {};

TEST_P(KavoBadScene, IsRefusedWithItsReason) {
  const SBadScene& c = GetParam();
  std::string scene = Scene();
  const size_t at = scene.find(c.From);
  ASSERT_NE(at, std::string::npos) << c.From;
  scene.replace(at, std::string(c.From).size(), c.To);
  CTempDir dir;
  WriteWholeFile(dir.File("scene.json"), scene);
  std::string said;
  EXPECT_EQ(RunCommand(Layout(dir.File("scene.json"), dir.File("out")), &said), 1) << c.What;
  EXPECT_NE(said.find(c.Said), std::string::npos) << c.What << ": " << said;
  // Nothing is staged from a refused scene.
  EXPECT_TRUE(ReadWholeFile(dir.File("out/xrs/kavo_main.xrs")).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, KavoBadScene, ::testing::ValuesIn(kBadScenes));

// The felt says what the limits script makes the dealer do. The limits scripts are written apart
// from this table's data; until they are in the tree there is nothing to compare.
TEST(KavoGenerator, TheFeltPrintsTheDealerRuleOfTheLimitsScript) {
  const std::string scene = Scene();
  struct STable {
    const char* Limits;
    const char* Name;
  } tables[] = {{"kavo_limits.xrs", "\"kavo\""}, {"kavo_ss_limits.xrs", "\"kavo_ss\""}, {"kavo_onedeck_limits.xrs", "\"kavo_onedeck\""}};
  int checked = 0;
  for (const STable& t : tables) {
    const std::string path = std::string(VORRIN_KAVO_DATA) + "/" + t.Limits;
    const std::string text = ReadWholeFile(path);
    if (text.empty()) continue;
    CResData limits;
    ASSERT_EQ(limits.Import(text.c_str()), 1) << path;
    ASSERT_EQ(limits.EnterDataChunk(), 1);
    int32_t soft17 = 0;
    limits.GetItem("DRAWONSOFT17", KBOOL, &soft17, KEND);  // missing: the dealer stands
    const size_t at = scene.find("\"name\": " + std::string(t.Name));
    ASSERT_NE(at, std::string::npos);
    const size_t rule = scene.find("\"dealerRule\"", at);
    const std::string said = scene.substr(rule, scene.find(',', rule) - rule);
    EXPECT_NE(said.find(soft17 ? "DEALER HITS SOFT 17" : "DEALER STANDS ON ALL 17s"), std::string::npos) << t.Limits;
    ++checked;
  }
  if (!checked) GTEST_SKIP() << "no limits script in data/xrs yet";
}
}  // namespace
