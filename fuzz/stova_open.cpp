// The local database file is outside input: a damaged or foreign "c2user.stova" may lie in the
// working folder. The input becomes that file; every call a table or the local user process
// makes must fail cleanly or work, and a file that Init refuses must stay as it was.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "ostrel/containers/llist.h"
#include "stova/stova.h"

namespace {
std::string Folder() {
  static std::string folder = [] {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/stova-fuzz-XXXXXX");
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}

std::string ReadFile(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Drain(CStovaConn& db) {
  c2stovaError e;
  while (db.GetLastStovaError(e))
    if (strnlen(e.m_Text, sizeof e.m_Text) == sizeof e.m_Text) std::abort();
}

template <typename Row>
void Free(CLList& rows) {
  for (rows.First(); rows.Exists(); rows.Next()) delete static_cast<Row*>(rows.Get());
  rows.KillAll();
}

void Exercise(CStovaConn& db) {
  uint32_t id = 0, flag = 0;
  int32_t ok = 0, count = 0;
  db.GetUserId("vorrin", id, ok);
  db.GetUserIdNick("Lucky", id, ok);
  for (uint32_t member = 1; member <= 3; ++member) {
    c2stovaUser* user = nullptr;
    db.GetUserInfo(member, user, ok);
    delete user;
    TStovaMoney cash;
    db.GetUserCash(member, cash, ok);
    db.DecIncUserCash(member, TStovaMoney(1), 50, TStovaMoney(2), 54, ok);
    SPlayerProtectionLimitStatus status;
    db.PlayerProtectionGetLimitStatus(member, status, ok);
    uint8_t* data = nullptr;
    uint32_t size = 0;
    db.CountUserRaw(member, "varStore", count, ok);
    db.ReadRaw(member, "varStore", 0, data, size, ok);
    delete[] data;
    CLList rows;
    db.PlayerHistoryGetPlayerSessions(member, 0, 0, 0, 50, &rows, count);
    Free<SPlayerHistorySessionRow>(rows);
  }
  c2stovaTable table;
  db.GetTableInfo(5001, &table, ok);
  db.SetTableUser(5001, 1, 1);
  db.PlayerHistoryGetFlag(5001, flag, ok);
  for (int32_t session = 1; session <= 2; ++session) {
    CLList rows;
    db.PlayerHistoryGetPlayerSessionData(session, 0, 50, &rows, count);
    Free<SPlayerHistoryDataRow>(rows);
  }
  Drain(db);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The library opens the file in the working folder; libFuzzer's own paths may be relative, so
  // the working folder is changed only for the input's life.
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd) || chdir(Folder().c_str()) != 0) std::abort();
  unlink("c2user.stova-journal");
  {
    std::ofstream out("c2user.stova", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::string before(reinterpret_cast<const char*>(data), size);
  CStovaConn db;
  if (db.Init()) {
    Exercise(db);
  } else {
    Drain(db);
    if (ReadFile("c2user.stova") != before) std::abort();
  }
  db.Exit();
  unlink("c2user.stova");
  if (chdir(cwd) != 0) std::abort();
  return 0;
}
