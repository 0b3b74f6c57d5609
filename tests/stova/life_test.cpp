// Opening, creating and closing the database; the error queue; files that must stay untouched.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>

#include "ostrel/system/debug.h"
#include "stovafixture.h"

namespace {
// A database file made by SQLite itself, with the given statements.
void MakeSqliteFile(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  return names;
}
}  // namespace

TEST(StovaLife, InitAloneCreatesTheFileAndItsSchemaWithNoUser) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  {
    CStovaConn db;
    ASSERT_EQ(db.Init(), 1);
    EXPECT_EQ(db.Init(), 1) << "a second Init keeps the open database";
    uint32_t id = 77;
    int32_t found = 1;
    EXPECT_EQ(db.GetUserId("vorrin", id, found), 1);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(id, 0u);
  }  // destruction without Exit closes it
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"c2user.stova"}) << "no temporary or journal left";
  EXPECT_EQ(RunProgram("sqlite3", {dir.File("c2user.stova"), "PRAGMA user_version;"}), "1");
  EXPECT_EQ(RunProgram("sqlite3", {dir.File("c2user.stova"), "PRAGMA journal_mode;"}), "delete");
  EXPECT_EQ(RunProgram("sqlite3", {dir.File("c2user.stova"), "SELECT COUNT(*) FROM users;"}), "0");
}

TEST(StovaLife, ConnectAndUseSucceedWithAnyTextsAndChangeNothing) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  CStovaConn db;
  ASSERT_EQ(db.Init(), 1);
  struct {
    const char* source;
    const char* user;
    const char* password;
    const char* database;
  } cases[] = {{"", "", "", ""}, {"Local", "pelion4", "pelion4", "UserProcess"}, {nullptr, nullptr, nullptr, nullptr},
               {"srv'; DROP TABLE users; --", "u", "p", "d"}};
  for (const auto& c : cases) {
    EXPECT_EQ(db.Connect(c.source, c.user, c.password, c.database), 1);
    EXPECT_EQ(db.Use(c.database), 1);
  }
  EXPECT_EQ(db.Disconnect(), 1);
  EXPECT_TRUE(DrainErrors(db).empty());
  uint32_t id = 0;
  int32_t found = 0;
  EXPECT_EQ(db.GetUserId("x", id, found), 1) << "the database stays open after Disconnect";
  EXPECT_EQ(db.Exit(), 1);
  EXPECT_EQ(db.Exit(), 1);
}

TEST(StovaLife, CallsWithoutAnOpenDatabaseFailWithRecordsInOrder) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  CStovaConn db;
  uint32_t id = 0;
  int32_t flag = 1;
  TStovaMoney cash;
  EXPECT_EQ(db.Connect("", "", "", ""), 0);
  EXPECT_EQ(db.GetUserId("vorrin", id, flag), 0);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(db.GetUserCash(0, cash, flag), 0) << "a bad id is reported before the missing database";
  const std::vector<c2stovaError> errors = DrainErrors(db);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].m_Code, STOVA_ERR_NOT_OPEN);
  EXPECT_EQ(errors[1].m_Code, STOVA_ERR_NOT_OPEN);
  EXPECT_EQ(errors[2].m_Code, STOVA_ERR_ARGUMENT);
  EXPECT_NE(std::string(errors[2].GetText()).find("GetUserCash"), std::string::npos) << errors[2].GetText();
  c2stovaError none;
  EXPECT_EQ(db.GetLastStovaError(none), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c2user.stova"))) << "only Init creates the file";
}

TEST(StovaLife, TheErrorQueueIsBounded) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  CStovaConn db;
  uint32_t id = 0;
  int32_t found = 0;
  for (int i = 0; i < 1000; ++i) db.GetUserId("x", id, found);
  EXPECT_EQ(DrainErrors(db).size(), STOVA_MAX_QUEUED_ERRORS);
}

TEST(StovaLife, TheFileIsFoundWithoutRegardToCase) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  {
    CStovaConn db;
    ASSERT_EQ(db.Init(), 1);
  }
  std::filesystem::rename(dir.File("c2user.stova"), dir.File("C2User.STOVA"));
  CStovaConn db;
  ASSERT_EQ(db.Init(), 1);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"C2User.STOVA"});
}

struct SBadFile {
  const char* name;
  int32_t code;
  const char* says;
  // Makes the file at the path; valid holds a good database to start from.
  void (*make)(const std::string& path, const std::string& valid);
};

class StovaBadFile : public ::testing::TestWithParam<SBadFile> {};

TEST_P(StovaBadFile, InitFailsSaysWhyAndLeavesTheFileByteIdentical) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  std::string valid;
  {
    CStovaConn db;
    ASSERT_EQ(db.Init(), 1);
    c2stovaUser u = MakeUser("vorrin");
    uint32_t id = 0;
    int32_t ok = 0;
    ASSERT_EQ(db.CreateUser(&u, id, "", "", "", "", "", "", "", ok), 1);
    for (int i = 0; i < 300; ++i) db.PlayerHistoryInsert(id, 5001, i, 0, std::string(400, 'x').c_str(), "", "", "", ok);
  }
  valid = ReadWholeFile(dir.File("c2user.stova"));
  ASSERT_GT(valid.size(), 20000u);
  GetParam().make(dir.File("c2user.stova"), valid);
  const std::string before = ReadWholeFile(dir.File("c2user.stova"));
  const auto entriesBefore = FolderEntries(dir.Path());

  CStovaConn db;
  EXPECT_EQ(db.Init(), 0);
  const std::vector<c2stovaError> errors = DrainErrors(db);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].m_Code, GetParam().code) << errors[0].GetText();
  EXPECT_NE(std::string(errors[0].GetText()).find(GetParam().says), std::string::npos) << errors[0].GetText();
  uint32_t id = 0;
  int32_t found = 0;
  EXPECT_EQ(db.GetUserId("vorrin", id, found), 0) << "nothing is open";
  db.Exit();
  EXPECT_EQ(ReadWholeFile(dir.File("c2user.stova")), before);
  EXPECT_EQ(FolderEntries(dir.Path()), entriesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StovaBadFile,
    ::testing::Values(
        SBadFile{"Text", STOVA_ERR_NOT_A_DATABASE, "not a database",
                 [](const std::string& p, const std::string&) { WriteWholeFile(p, "user=vorrin\ncash=5000\n"); }},
        SBadFile{"Empty", STOVA_ERR_TRUNCATED, "truncated", [](const std::string& p, const std::string&) { WriteWholeFile(p, ""); }},
        SBadFile{"HalfHeader", STOVA_ERR_TRUNCATED, "truncated",
                 [](const std::string& p, const std::string& v) { WriteWholeFile(p, v.substr(0, 50)); }},
        SBadFile{"FirstPageOnly", STOVA_ERR_TRUNCATED, "truncated",
                 [](const std::string& p, const std::string& v) { WriteWholeFile(p, v.substr(0, 4096)); }},
        SBadFile{"CutMidPage", STOVA_ERR_TRUNCATED, "truncated",
                 [](const std::string& p, const std::string& v) { WriteWholeFile(p, v.substr(0, v.size() - 1000)); }},
        SBadFile{"GarbagePages", STOVA_ERR_NOT_A_DATABASE, "damaged",
                 [](const std::string& p, const std::string& v) {
                   std::string d = v;
                   for (size_t i = 8192; i < d.size(); ++i) d[i] = static_cast<char>(i * 7 + 3);
                   WriteWholeFile(p, d);
                 }},
        SBadFile{"NewerSchema", STOVA_ERR_NEWER_SCHEMA, "newer",
                 [](const std::string& p, const std::string&) {
                   std::filesystem::remove(p);
                   MakeSqliteFile(p, "CREATE TABLE users (id INTEGER PRIMARY KEY); PRAGMA user_version = 2;");
                 }},
        SBadFile{"ForeignDatabase", STOVA_ERR_NOT_A_DATABASE, "not a database of this library",
                 [](const std::string& p, const std::string&) {
                   std::filesystem::remove(p);
                   MakeSqliteFile(p, "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('keep me');");
                 }}),
    [](const ::testing::TestParamInfo<SBadFile>& info) { return std::string(info.param.name); });

TEST(StovaLife, AnEmptySqliteDatabaseGetsTheSchema) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  MakeSqliteFile(dir.File("c2user.stova"), "PRAGMA user_version = 0;");
  CStovaConn db;
  ASSERT_EQ(db.Init(), 1);
  EXPECT_EQ(RunProgram("sqlite3", {dir.File("c2user.stova"), "PRAGMA user_version;"}), "1");
}

TEST(StovaLife, VersionBannerGoesToTheDiagnostics) {
  testing::internal::CaptureStderr();
  xSetDiagnostics(1);
  xShowVersionInfoStova();
  xSetDiagnostics(0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Version Info: Stova"), std::string::npos);
}
