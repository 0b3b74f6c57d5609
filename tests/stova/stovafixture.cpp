#include "stovafixture.h"

#include <stdlib.h>
#include <unistd.h>

#include "support/spawnedchild.h"

namespace {
// Every commit waits for the disk; the suite's thousands of commits keep their folders in memory
// where the system has a memory file system. What a commit guarantees against a killed process
// does not depend on it.
struct SMemoryTempFolder {
  SMemoryTempFolder() {
    if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
  }
} g_MemoryTempFolder;
}  // namespace

std::vector<c2stovaError> DrainErrors(CStovaConnBase& db) {
  std::vector<c2stovaError> errors;
  c2stovaError e;
  while (db.GetLastStovaError(e)) errors.push_back(e);
  return errors;
}

c2stovaUser MakeUser(const char* name, const char* nickname) {
  c2stovaUser u;
  std::snprintf(u.m_UserName, sizeof u.m_UserName, "%s", name);
  std::snprintf(u.m_Nickname, sizeof u.m_Nickname, "%s", nickname);
  std::snprintf(u.m_Password, sizeof u.m_Password, "pw-%s", name);
  return u;
}

TStovaMoney Money(const char* text) {
  TStovaMoney m;
  EXPECT_EQ(TStovaMoney::Translate(text, m), 1) << text;
  return m;
}

std::string MoneyText(const TStovaMoney& value) { return static_cast<const char*>(value.GetString()); }

std::string RunProgram(const std::string& program, const std::vector<std::string>& args) {
  CSpawnedChild child;
  if (!child.StartSystemProgram(program, args)) return "<not started>";
  std::string line = child.ReadLine();
  child.Wait();
  return line;
}

StovaTest::StovaTest() {
  EXPECT_EQ(m_Db.Init(), 1);
  ExpectNoErrors();
}

StovaTest::~StovaTest() { m_Db.Exit(); }

uint32_t StovaTest::Create(const char* name, const char* nickname) {
  c2stovaUser u = MakeUser(name, nickname);
  uint32_t id = 0;
  int32_t ok = 0;
  EXPECT_EQ(m_Db.CreateUser(&u, id, "", "", "", "", "", "EN", "", ok), 1);
  EXPECT_EQ(ok, 1);
  ExpectNoErrors();
  return id;
}

void StovaTest::ExpectNoErrors() {
  for (const c2stovaError& e : DrainErrors(m_Db)) ADD_FAILURE() << "unexpected error record: " << e.GetText();
}
