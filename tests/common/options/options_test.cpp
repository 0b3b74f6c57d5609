#include "common/options/options.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/options/optionids.h"
#include "ostrel/base/xstring.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {
const std::string kDataDir = std::string(VORRIN_TEST_DATA_DIR) + "/options";
const std::string kShippedScript = std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/optdef.xrs";

enum : int32_t {
  TEST_FLAG = 430001,
  TEST_COUNT = 430002,
  TEST_RATE = 430003,
  TEST_TEXT = 430004,
  TEST_CHOICE = 430005,
  UNNAMED = 439999,
};

// Where the first item of a name lies in a saved file: "top", the chunk path inside it such as
// "User:bob/Global", or "" when nowhere. Read with a plain record, not the options' own search.
void FindIn(CKCBL& kcbl, std::vector<std::string>& path, const char* name, std::string& out) {
  for (int32_t more = kcbl.FirstItem(); more && out.empty(); more = kcbl.NextItem(0)) {
    const char* keyword = kcbl.GetKeyword();
    if (std::string(keyword) == "{") {
      std::string label = kcbl.GetString(0) ? kcbl.GetString(0) : "";
      if (kcbl.GetString(1)) label += std::string(":") + kcbl.GetString(1);
      path.push_back(label);
      kcbl.PushChunk();
      if (kcbl.EnterChunk()) FindIn(kcbl, path, name, out);
      kcbl.PopChunk();
      path.pop_back();
    } else if (xStricmp(keyword, name) == 0) {
      for (const std::string& part : path) out += (out.empty() ? "" : "/") + part;
      if (out.empty()) out = "top";
    }
  }
}

std::string WhereIs(const std::string& file, const char* name) {
  CKCBL kcbl;
  if (!kcbl.Load(file.c_str())) return "unreadable";
  std::vector<std::string> path;
  std::string out;
  FindIn(kcbl, path, name, out);
  return out;
}

class Options : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    ASSERT_EQ(m_Res.Load((kDataDir + "/options.xrs").c_str()), 1);
  }
  std::string File() const { return m_Dir.File("options.cfg"); }
  void WriteFile(const std::string& text) const { WriteWholeFile(File(), text); }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
  CResData m_Res;
};
}  // namespace

namespace {
// The eight defaults Load adds, by the names the shipped script gives them.
TEST_F(Options, LoadAddsTheBuiltInDefaultsAtTheTopLevelOnceAndKeepsWhatThePlayerChanged) {
  COptions options(&m_Res);
  ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
  ASSERT_EQ(options.Save(), 1);
  for (const char* name : {"OPT_DISPLAYMODE", "OPT_MUSIC", "OPT_SOUND", "OPT_MUSICSOURCE", "OPT_MUSICFILE",
                           "OPT_LASTUSER", "OPT_JACKPOTLIST_OPEN", "OPT_JACKPOTLIST_OFFSET"})
    EXPECT_EQ(WhereIs(File(), name), "top") << name;
  int32_t value = -1;
  EXPECT_EQ(options.GetLong(OPTION_DISPLAYMODE, &value), 1);
  EXPECT_EQ(value, OPTION_WINDOWMODE);
  EXPECT_EQ(options.GetResId(OPTION_DISPLAYMODE, &value), 0);  // a long, not a name
  EXPECT_EQ(options.GetLong(OPTION_MUSICSOURCE, &value), 1);
  EXPECT_EQ(value, OPTION_MUSIC_BUILTIN);
  EXPECT_EQ(options.GetLong(OPTION_JACKPOTLIST_OFFSET, &value), 1);
  EXPECT_EQ(value, 0);
  for (int32_t id : {OPTION_MUSIC, OPTION_SOUND, OPTION_JACKPOTLIST_OPEN}) {
    value = -1;
    EXPECT_EQ(options.GetBool(id, &value), 1);
    EXPECT_EQ(value, 1) << id;
  }
  ASSERT_NE(options.GetString(OPTION_MUSICFILE), nullptr);
  EXPECT_STREQ(options.GetString(OPTION_MUSICFILE), ".\\");
  ASSERT_NE(options.GetString(OPTION_LASTUSER), nullptr);
  EXPECT_STREQ(options.GetString(OPTION_LASTUSER), "");

  // A changed value is never overwritten by its default, and no default is added twice.
  ASSERT_EQ(options.SetBool(OPTION_MUSIC, 0), 1);
  ASSERT_EQ(options.Save(), 1);
  COptions again(&m_Res);
  ASSERT_EQ(again.Load("Blackjack", "bob"), 1);
  EXPECT_EQ(again.GetBool(OPTION_MUSIC, &value), 1);
  EXPECT_EQ(value, 0);
  ASSERT_EQ(again.Save(), 1);
  const std::string text = ReadWholeFile(File());
  EXPECT_EQ(text.find("OPT_MUSIC ="), text.rfind("OPT_MUSIC ="));
}

// The shipped option-definition script names every id the library defaults.
TEST_F(Options, TheShippedDefinitionScriptNamesEveryDefaultAndItsValues) {
  CResData shipped;
  ASSERT_EQ(shipped.Load(kShippedScript.c_str()), 1);
  for (int32_t id : {OPTION_DISPLAYMODE, OPTION_MUSIC, OPTION_SOUND, OPTION_MUSICSOURCE, OPTION_MUSIC_BUILTIN,
                     OPTION_MUSIC_OWNFILE, OPTION_MUSICFILE, OPTION_LASTUSER, OPTION_JACKPOTLIST_OPEN,
                     OPTION_JACKPOTLIST_OFFSET, OPTION_WINDOWMODE, OPTION_FULLSCREEN})
    EXPECT_NE(shipped.GetResName(id), nullptr) << id;
  COptions options(&shipped);
  ASSERT_EQ(options.Load(nullptr, nullptr), 1);
  int32_t mode = 0;
  EXPECT_EQ(options.GetLong(OPTION_DISPLAYMODE, &mode), 1);
  EXPECT_EQ(mode, OPTION_WINDOWMODE);
}

struct SScopeRow {
  const char* m_Section;
  const char* m_User;
  int32_t m_Scope;
  int32_t m_Result;
  const char* m_Where;  // "" nowhere
};

// Each default setter against each scope: its result and where the item is written.
TEST_F(Options, DefaultsLandInTheChunkOfTheirScope) {
  const SScopeRow rows[] = {
      {"Blackjack", "bob", OPTSCOPE_TOP, 1, "top"},
      {"Blackjack", "bob", OPTSCOPE_GLOBAL, 1, "User:bob/Global"},
      {"Blackjack", "bob", OPTSCOPE_SECTION, 1, "User:bob/Blackjack"},
      // No section: its chunk is never searched, so nothing is put there or anywhere else.
      {nullptr, "bob", OPTSCOPE_SECTION, 0, ""},
      {"", "bob", OPTSCOPE_SECTION, 0, ""},
      // No user: there are no user chunks.
      {"Blackjack", nullptr, OPTSCOPE_GLOBAL, 0, ""},
      {"Blackjack", nullptr, OPTSCOPE_SECTION, 0, ""},
      {"Blackjack", nullptr, OPTSCOPE_TOP, 1, "top"},
      // The tables' panel: an empty user name is a user.
      {"Blackjack", "", OPTSCOPE_GLOBAL, 1, "User:/Global"},
      {"Blackjack", "", OPTSCOPE_SECTION, 1, "User:/Blackjack"},
      {"Blackjack", "bob", 3, 0, ""},
  };
  struct SSetter {
    const char* m_Name;
    int32_t m_Id;
    int32_t (*m_Set)(COptions&, int32_t scope);
  };
  const SSetter setters[] = {
      {"TEST_FLAG", TEST_FLAG, [](COptions& o, int32_t s) { return o.SetDefaultBool(TEST_FLAG, 1, s); }},
      {"TEST_COUNT", TEST_COUNT, [](COptions& o, int32_t s) { return o.SetDefaultLong(TEST_COUNT, 7, s); }},
      {"TEST_RATE", TEST_RATE, [](COptions& o, int32_t s) { return o.SetDefaultDouble(TEST_RATE, 1.5, s); }},
      {"TEST_TEXT", TEST_TEXT, [](COptions& o, int32_t s) { return o.SetDefaultString(TEST_TEXT, "x", s); }},
      {"TEST_CHOICE", TEST_CHOICE, [](COptions& o, int32_t s) { return o.SetDefaultResId(TEST_CHOICE, OPTION_FULLSCREEN, s); }},
  };
  for (const SScopeRow& row : rows) {
    std::remove(File().c_str());
    COptions options(&m_Res);
    ASSERT_EQ(options.Load(row.m_Section, row.m_User), 1);
    for (const SSetter& setter : setters) {
      const std::string what = std::string(setter.m_Name) + " section " + (row.m_Section ? row.m_Section : "null") +
                               " user " + (row.m_User ? row.m_User : "null") + " scope " +
                               std::to_string(row.m_Scope);
      EXPECT_EQ(setter.m_Set(options, row.m_Scope), row.m_Result) << what;
      ASSERT_EQ(options.Save(), 1);
      EXPECT_EQ(WhereIs(File(), setter.m_Name), row.m_Where) << what;
      // Whatever was added is found again; nothing else is.
      EXPECT_EQ(options.FindOption(setter.m_Id, nullptr), row.m_Result) << what;
    }
  }
}
}  // namespace

namespace {
const char kLayered[] =
    "TEST_COUNT = 1\n"
    "{ = User, bob\n"
    "  { = Global\n"
    "    TEST_COUNT = 2\n"
    "    TEST_RATE = 2.5\n"
    "    TEST_TEXT = global\n"
    "  }\n"
    "  { = Blackjack\n"
    "    TEST_RATE = 3.5\n"
    "    TEST_TEXT = section\n"
    "    TEST_FLAG = TRUE\n"
    "  }\n"
    "}\n";

struct SLookupRow {
  const char* m_Section;
  const char* m_User;
  int32_t m_Count;   // -1 absent
  float m_Rate;      // 0 absent
  const char* m_Text;  // null absent
  int32_t m_Flag;    // -1 absent
};

// The top level before "Global" before the section, which only counts when one is set.
TEST_F(Options, LookupsSearchTheTopLevelThenGlobalThenTheSectionWhenSet) {
  const SLookupRow rows[] = {
      {"Blackjack", "bob", 1, 2.5f, "global", 1},
      {nullptr, "bob", 1, 2.5f, "global", -1},
      {"", "bob", 1, 2.5f, "global", -1},
      {"Roulette", "bob", 1, 2.5f, "global", -1},
      {"Blackjack", "alice", 1, 0, nullptr, -1},
      {"Blackjack", "BOB", 1, 2.5f, "global", 1},  // chunk names match without regard to case
  };
  for (const SLookupRow& row : rows) {
    WriteFile(kLayered);
    COptions options(&m_Res);
    ASSERT_EQ(options.Load(row.m_Section, row.m_User), 1);
    const std::string what = std::string(row.m_Section ? row.m_Section : "null") + "/" + row.m_User;
    int32_t count = -1, flag = -1;
    float rate = 0;
    EXPECT_EQ(options.GetLong(TEST_COUNT, &count), row.m_Count != -1) << what;
    EXPECT_EQ(count, row.m_Count) << what;
    EXPECT_EQ(options.GetFloat(TEST_RATE, &rate), row.m_Rate != 0) << what;
    EXPECT_EQ(rate, row.m_Rate) << what;
    const char* text = options.GetString(TEST_TEXT);
    EXPECT_EQ(text ? std::string(text) : "absent", row.m_Text ? row.m_Text : "absent") << what;
    EXPECT_EQ(options.GetBool(TEST_FLAG, &flag), row.m_Flag != -1) << what;
    EXPECT_EQ(flag, row.m_Flag) << what;
  }
}

// A set replaces the value where the lookup finds it and nowhere else.
TEST_F(Options, SettersReplaceTheValueWhereItIsFound) {
  WriteFile(kLayered);
  COptions options(&m_Res);
  ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
  EXPECT_EQ(options.SetLong(TEST_COUNT, 7), 1);
  EXPECT_EQ(options.SetDouble(TEST_RATE, 0.25), 1);
  EXPECT_EQ(options.SetBool(TEST_FLAG, 0), 1);
  EXPECT_EQ(options.SetString(TEST_TEXT, "changed"), 1);
  ASSERT_EQ(options.Save(), 1);
  EXPECT_EQ(WhereIs(File(), "TEST_COUNT"), "top");
  EXPECT_EQ(WhereIs(File(), "TEST_FLAG"), "User:bob/Blackjack");
  const std::string text = ReadWholeFile(File());
  EXPECT_NE(text.find("TEST_COUNT = 7"), std::string::npos);
  EXPECT_NE(text.find("TEST_COUNT = 2"), std::string::npos);  // "Global" keeps its own
  EXPECT_NE(text.find("TEST_RATE = 0.25"), std::string::npos);
  EXPECT_NE(text.find("TEST_RATE = 3.5"), std::string::npos);
  EXPECT_NE(text.find("TEST_FLAG = FALSE"), std::string::npos);
  EXPECT_NE(text.find("TEST_TEXT = changed"), std::string::npos);
  EXPECT_NE(text.find("TEST_TEXT = section"), std::string::npos);
}

TEST_F(Options, ANegativeScopeAddsToTheChunkCurrentAtTheCall) {
  COptions options(&m_Res);
  ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
  ASSERT_EQ(options.MoveToChunk(OPTSCOPE_GLOBAL), 1);
  EXPECT_EQ(options.SetDefaultLong(TEST_COUNT, 5, -1), 1);
  ASSERT_EQ(options.MoveToChunk(OPTSCOPE_SECTION), 1);
  EXPECT_EQ(options.SetDefaultBool(TEST_FLAG, 1, -1), 1);
  ASSERT_EQ(options.MoveToChunk(OPTSCOPE_TOP), 1);
  EXPECT_EQ(options.SetDefaultString(TEST_TEXT, "t", -1), 1);
  ASSERT_EQ(options.Save(), 1);
  EXPECT_EQ(WhereIs(File(), "TEST_COUNT"), "User:bob/Global");
  EXPECT_EQ(WhereIs(File(), "TEST_FLAG"), "User:bob/Blackjack");
  EXPECT_EQ(WhereIs(File(), "TEST_TEXT"), "top");
  // The scopes' chunks, and the missing ones.
  COptions other(&m_Res);
  ASSERT_EQ(other.Load(nullptr, "carol"), 1);
  EXPECT_EQ(other.MoveToChunk(OPTSCOPE_SECTION), 0);
  EXPECT_EQ(other.MoveToChunk(OPTSCOPE_GLOBAL), 1);
  EXPECT_EQ(other.MoveToChunk(7), 0);
  COptions nobody(&m_Res);
  ASSERT_EQ(nobody.Load("Blackjack", nullptr), 1);
  EXPECT_EQ(nobody.MoveToChunk(OPTSCOPE_GLOBAL), 0);
  EXPECT_EQ(nobody.MoveToChunk(OPTSCOPE_TOP), 1);
}

// Once an option exists in any scope, no setter of any scope adds it again or changes it.
TEST_F(Options, ADefaultIsNeverAddedTwice) {
  for (int32_t first : {OPTSCOPE_TOP, OPTSCOPE_GLOBAL, OPTSCOPE_SECTION}) {
    std::remove(File().c_str());
    COptions options(&m_Res);
    ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
    ASSERT_EQ(options.SetDefaultBool(TEST_FLAG, 1, first), 1);
    ASSERT_EQ(options.SetDefaultLong(TEST_COUNT, 3, first), 1);
    for (int32_t again : {int32_t{OPTSCOPE_TOP}, int32_t{OPTSCOPE_GLOBAL}, int32_t{OPTSCOPE_SECTION}, -1}) {
      EXPECT_EQ(options.SetDefaultBool(TEST_FLAG, 0, again), 0) << first << " " << again;
      EXPECT_EQ(options.SetDefaultLong(TEST_COUNT, 4, again), 0) << first << " " << again;
    }
    int32_t flag = -1, count = -1;
    EXPECT_EQ(options.GetBool(TEST_FLAG, &flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(options.GetLong(TEST_COUNT, &count), 1);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(options.Save(), 1);
    const std::string text = ReadWholeFile(File());
    EXPECT_EQ(text.find("TEST_FLAG"), text.rfind("TEST_FLAG"));
  }
}

// Missing options and ids without a name fail softly; outputs stay as they were.
TEST_F(Options, MissingOptionsAndUnnamedIdsFailSoftly) {
  COptions options(&m_Res);
  ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
  for (int32_t id : {TEST_FLAG, UNNAMED}) {
    EXPECT_EQ(options.SetBool(id, 1), 0);
    EXPECT_EQ(options.SetLong(id, 1), 0);
    EXPECT_EQ(options.SetDouble(id, 1.0), 0);
    EXPECT_EQ(options.SetString(id, "x"), 0);
    EXPECT_EQ(options.SetResId(id, OPTION_FULLSCREEN), 0);
    int32_t value = 99;
    float real = 9.5f;
    EXPECT_EQ(options.GetBool(id, &value), 0);
    EXPECT_EQ(options.GetLong(id, &value), 0);
    EXPECT_EQ(options.GetResId(id, &value), 0);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(options.GetFloat(id, &real), 0);
    EXPECT_EQ(real, 9.5f);
    EXPECT_EQ(options.GetString(id), nullptr);
  }
  EXPECT_EQ(options.SetDefaultBool(UNNAMED, 1, OPTSCOPE_TOP), 0);
  // A resource id needs a name for its value too.
  ASSERT_EQ(options.SetDefaultResId(TEST_CHOICE, OPTION_FULLSCREEN, OPTSCOPE_TOP), 1);
  EXPECT_EQ(options.SetResId(TEST_CHOICE, UNNAMED), 0);
  EXPECT_EQ(options.SetDefaultResId(TEST_RATE, UNNAMED, OPTSCOPE_TOP), 0);
  int32_t choice = 0;
  EXPECT_EQ(options.GetResId(TEST_CHOICE, &choice), 1);
  EXPECT_EQ(choice, OPTION_FULLSCREEN);
  EXPECT_EQ(options.SetResId(TEST_CHOICE, OPTION_WINDOWMODE), 1);
  EXPECT_STREQ(options.GetString(TEST_CHOICE), "OPT_WINDOWMODE");

  // FindOption: found, not found, and an id without a name, which it says.
  const char* name = nullptr;
  EXPECT_EQ(options.FindOption(OPTION_MUSIC, &name), 1);
  EXPECT_STREQ(name, "OPT_MUSIC");
  EXPECT_EQ(options.FindOption(TEST_COUNT, &name), 0);
  EXPECT_STREQ(name, "TEST_COUNT");
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(options.FindOption(UNNAMED, &name), -1);
  const std::string said = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  EXPECT_EQ(name, nullptr);
  EXPECT_NE(said.find("Unable to find the name of option 439999"), std::string::npos) << said;
  // Without a naming script every id is unnamed.
  COptions unnamed(nullptr);
  ASSERT_EQ(unnamed.Load(nullptr, nullptr), 1);
  EXPECT_EQ(unnamed.FindOption(OPTION_MUSIC, nullptr), -1);
}
}  // namespace

namespace {
// Every type in every scope, with texts that need quoting, as the golden file holds them.
void FillEveryKind(COptions& options) {
  ASSERT_EQ(options.SetDefaultBool(TEST_FLAG, 0, OPTSCOPE_SECTION), 1);
  ASSERT_EQ(options.SetDefaultLong(TEST_COUNT, -42, OPTSCOPE_GLOBAL), 1);
  ASSERT_EQ(options.SetDefaultDouble(TEST_RATE, 0.125, OPTSCOPE_GLOBAL), 1);
  ASSERT_EQ(options.SetDefaultString(TEST_TEXT, "say \"hi\"; C:\\cards, {now}", OPTSCOPE_SECTION), 1);
  ASSERT_EQ(options.SetDefaultResId(TEST_CHOICE, OPTION_FULLSCREEN, OPTSCOPE_TOP), 1);
  ASSERT_EQ(options.SetBool(OPTION_MUSIC, 0), 1);
  ASSERT_EQ(options.SetString(OPTION_LASTUSER, "bob"), 1);
  ASSERT_EQ(options.SetLong(OPTION_DISPLAYMODE, OPTION_FULLSCREEN), 1);
}

TEST_F(Options, SaveThenLoadGivesTheSameValuesAndTheGoldenText) {
  COptions options(&m_Res);
  ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
  FillEveryKind(options);
  ASSERT_EQ(options.Save(), 1);
  EXPECT_EQ(ReadWholeFile(File()), ReadWholeFile(kDataDir + "/golden.cfg"));

  COptions again(&m_Res);
  ASSERT_EQ(again.Load("Blackjack", "bob"), 1);
  int32_t flag = -1, count = 0, choice = 0, music = -1, mode = 0;
  float rate = 0;
  EXPECT_EQ(again.GetBool(TEST_FLAG, &flag), 1);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(again.GetLong(TEST_COUNT, &count), 1);
  EXPECT_EQ(count, -42);
  EXPECT_EQ(again.GetFloat(TEST_RATE, &rate), 1);
  EXPECT_EQ(rate, 0.125f);
  ASSERT_NE(again.GetString(TEST_TEXT), nullptr);
  EXPECT_STREQ(again.GetString(TEST_TEXT), "say \"hi\"; C:\\cards, {now}");
  EXPECT_EQ(again.GetResId(TEST_CHOICE, &choice), 1);
  EXPECT_EQ(choice, OPTION_FULLSCREEN);
  EXPECT_EQ(again.GetBool(OPTION_MUSIC, &music), 1);
  EXPECT_EQ(music, 0);
  EXPECT_STREQ(again.GetString(OPTION_LASTUSER), "bob");
  EXPECT_EQ(again.GetLong(OPTION_DISPLAYMODE, &mode), 1);
  EXPECT_EQ(mode, OPTION_FULLSCREEN);
  // Nothing was added by the second Load: the text is the same once more.
  ASSERT_EQ(again.Save(), 1);
  EXPECT_EQ(ReadWholeFile(File()), ReadWholeFile(kDataDir + "/golden.cfg"));
}

TEST_F(Options, ResetReadsTheFileAgainForTheSameSectionAndUserAndExitDropsEverything) {
  COptions options(&m_Res);
  ASSERT_EQ(options.Load("Blackjack", "bob"), 1);
  FillEveryKind(options);
  ASSERT_EQ(options.Save(), 1);
  ASSERT_EQ(options.SetLong(TEST_COUNT, 99), 1);
  ASSERT_EQ(options.Reset(), 1);
  int32_t count = 0, flag = -1;
  EXPECT_EQ(options.GetLong(TEST_COUNT, &count), 1);
  EXPECT_EQ(count, -42);
  EXPECT_EQ(options.GetBool(TEST_FLAG, &flag), 1);  // still in "Blackjack" of "bob"
  EXPECT_STREQ(options.GetSection(), "Blackjack");
  EXPECT_STREQ(options.GetUser(), "bob");
  // A file changed behind the options' back is what Reset shows.
  WriteFile("TEST_COUNT = 5\n");
  ASSERT_EQ(options.Reset(), 1);
  EXPECT_EQ(options.GetLong(TEST_COUNT, &count), 1);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(options.GetBool(TEST_FLAG, &flag), 0);
  EXPECT_EQ(options.MoveToChunk(OPTSCOPE_SECTION), 1);  // made again
  EXPECT_EQ(options.Exit(), 1);
  EXPECT_EQ(options.GetLong(TEST_COUNT, &count), 0);
  EXPECT_EQ(options.GetLong(OPTION_DISPLAYMODE, &count), 0);
}

// Names longer than a hundred characters are cut; the cut name is the chunk's.
TEST_F(Options, LongSectionAndUserNamesAreCutToAHundredCharacters) {
  const std::string longName(150, 'n');
  COptions options(&m_Res);
  ASSERT_EQ(options.Load(longName.c_str(), longName.c_str()), 1);
  EXPECT_EQ(std::string(options.GetSection()), longName.substr(0, OPTIONS_NAME_LENGTH));
  ASSERT_EQ(options.SetDefaultLong(TEST_COUNT, 1, OPTSCOPE_SECTION), 1);
  ASSERT_EQ(options.Save(), 1);
  const std::string cut = longName.substr(0, OPTIONS_NAME_LENGTH);
  EXPECT_EQ(WhereIs(File(), "TEST_COUNT"), "User:" + cut + "/" + cut);
}

// The file is replaced whole or not at all: a save that cannot replace it leaves it.
TEST_F(Options, ASaveThatCannotReplaceTheFileFailsAndLeavesIt) {
  COptions options(&m_Res);
  ASSERT_EQ(options.Load(nullptr, "bob"), 1);
  ASSERT_EQ(mkdir(File().c_str(), 0755), 0);
  WriteWholeFile(File() + "/keep", "kept");
  EXPECT_EQ(options.Save(), 0);
  EXPECT_EQ(ReadWholeFile(File() + "/keep"), "kept");
}

struct SBadFile {
  const char* m_Name;
  std::string m_Text;
  const char* m_User;
  void (*m_Check)(COptions&);
};

// Damaged or hand-edited files read as absent or empty options, never more; Load never writes.
TEST_F(Options, DamagedFilesReadAsAbsentOptionsAndAreNotReplacedByLoad) {
  const SBadFile rows[] = {
      {"a line the reader refuses drops the whole file", "OPT_MUSIC = FALSE\nTEST_COUNT = 1{2\n", "bob",
       [](COptions& o) {
         int32_t v = 0;
         EXPECT_EQ(o.GetBool(OPTION_MUSIC, &v), 1);
         EXPECT_EQ(v, 1);  // the default, not the damaged file's value
         EXPECT_EQ(o.GetLong(TEST_COUNT, &v), 0);
       }},
      {"values of the wrong type",
       "OPT_MUSIC = maybe\nOPT_DISPLAYMODE = {1, 2}\nOPT_MUSICFILE = {a, b}\nTEST_RATE = fast\n"
       "TEST_CHOICE = NOT_A_NAME\nTEST_TEXT = ; only a comment\nTEST_COUNT\n",
       "bob",
       [](COptions& o) {
         int32_t v = -7;
         float f = 0;
         EXPECT_EQ(o.GetBool(OPTION_MUSIC, &v), 0);
         EXPECT_EQ(o.GetLong(OPTION_DISPLAYMODE, &v), 0);
         EXPECT_EQ(o.GetString(OPTION_MUSICFILE), nullptr);
         EXPECT_EQ(o.GetFloat(TEST_RATE, &f), 0);
         EXPECT_EQ(o.GetResId(TEST_CHOICE, &v), 0);
         ASSERT_NE(o.GetString(TEST_TEXT), nullptr);
         EXPECT_STREQ(o.GetString(TEST_TEXT), "");  // read as empty
         EXPECT_EQ(o.GetLong(TEST_COUNT, &v), 0);
         EXPECT_EQ(v, -7);
         // They exist: no default hides them, and a set mends them.
         EXPECT_EQ(o.SetDefaultBool(OPTION_MUSIC, 1, OPTSCOPE_TOP), 0);
         EXPECT_EQ(o.SetBool(OPTION_MUSIC, 1), 1);
         EXPECT_EQ(o.GetBool(OPTION_MUSIC, &v), 1);
         EXPECT_EQ(v, 1);
       }},
      {"a User chunk without a value is nobody's",
       "{ = User\n  { = Global\n    TEST_COUNT = 5\n  }\n}\n", "",
       [](COptions& o) {
         int32_t v = 0;
         EXPECT_EQ(o.GetLong(TEST_COUNT, &v), 0);
         EXPECT_EQ(o.MoveToChunk(OPTSCOPE_GLOBAL), 1);  // the empty user's own chunk was made
       }},
      {"duplicated chunks: the first counts",
       "{ = User, bob\n  { = Global\n    TEST_COUNT = 1\n  }\n  { = Global\n    TEST_COUNT = 3\n  }\n}\n"
       "{ = User, bob\n  { = Global\n    TEST_COUNT = 2\n  }\n}\n",
       "bob",
       [](COptions& o) {
         int32_t v = 0;
         EXPECT_EQ(o.GetLong(TEST_COUNT, &v), 1);
         EXPECT_EQ(v, 1);
       }},
      {"a chunk named like an option is no option", "{ = OPT_SOUND\n  OPT_SOUND = FALSE\n}\nOPT_SOUND\n", "bob",
       [](COptions& o) {
         int32_t v = 0;
         EXPECT_EQ(o.GetBool(OPTION_SOUND, &v), 0);
       }},
      {"chunks nested too deep", [] {
         std::string s;
         for (int i = 0; i < 300; ++i) s += "{ = a\n";
         return s;
       }(), "bob",
       [](COptions& o) {
         int32_t v = 0;
         EXPECT_EQ(o.GetBool(OPTION_SOUND, &v), 1);
       }},
      {"binary bytes", std::string("\xff\xfe\x00\x01OPT_MUSIC = \x80\x90\r\n{\n}}}\n[raw\n", 27), "bob",
       [](COptions& o) {
         int32_t v = 0;
         EXPECT_NE(o.GetLong(OPTION_DISPLAYMODE, &v), 2);
       }},
  };
  for (const SBadFile& row : rows) {
    SCOPED_TRACE(row.m_Name);
    WriteFile(row.m_Text);
    COptions options(&m_Res);
    EXPECT_EQ(options.Load("Blackjack", row.m_User), 1);
    row.m_Check(options);
    EXPECT_EQ(options.Reset(), 1);
    EXPECT_EQ(ReadWholeFile(File()), row.m_Text);
  }
}
}  // namespace
