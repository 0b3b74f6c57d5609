// The database library's hot calls (a balance read, a booking, a settlement of two bookings, a
// seat) against a direct loop over the sqlite3 C API that runs the same statements on a file of
// the same schema, with the same journal, sync and lock settings, in the same run.
//
// Each case runs 5 repetitions, interleaved at random; the ratio table compares their medians. The machine's load
// (/proc/loadavg) is printed before and after. Files live in $TMPDIR (a disk folder by default:
// what a player's machine has).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ratioreporter.h"
#include "stova/stova.h"

namespace {
std::string g_Folder;
std::string DirectFile() { return g_Folder + "/direct.stova"; }

const TStovaMoney& Amount() {
  static const TStovaMoney amount("0.25");
  return amount;
}

// Our side: the library on c2user.stova in the folder.
struct SOurs {
  CStovaConn db;
  uint32_t id = 1;
  SOurs() {
    std::filesystem::current_path(g_Folder);
    if (!db.Init()) std::abort();
  }
};
SOurs& Ours() {
  static SOurs ours;
  return ours;
}

// The direct side: one handle, the statements prepared once, the same settings as the library.
struct SDirect {
  sqlite3* db = nullptr;
  sqlite3_stmt *read = nullptr, *write = nullptr, *book = nullptr, *seat = nullptr, *begin = nullptr, *commit = nullptr;
  SDirect() {
    if (sqlite3_open_v2(DirectFile().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) std::abort();
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; PRAGMA foreign_keys = OFF;", nullptr, nullptr,
                 nullptr);
    Prepare("SELECT cash FROM users WHERE id = ?1", read);
    Prepare("UPDATE users SET cash = ?2 WHERE id = ?1", write);
    Prepare("INSERT INTO bookings (user_id, amount, type, value, time, balance) VALUES (?1, ?2, ?3, ?4, ?5, ?6)", book);
    Prepare("INSERT OR REPLACE INTO table_seats (table_id, seat, user_id) VALUES (?1, ?2, ?3)", seat);
    Prepare("BEGIN IMMEDIATE", begin);
    Prepare("COMMIT", commit);
  }
  void Prepare(const char* sql, sqlite3_stmt*& s) {
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) std::abort();
  }
  static void Run(sqlite3_stmt* s) {
    if (sqlite3_step(s) != SQLITE_DONE) std::abort();
    sqlite3_reset(s);
  }
  TStovaMoney Cash(int id) {
    sqlite3_bind_int64(read, 1, id);
    if (sqlite3_step(read) != SQLITE_ROW) std::abort();
    TStovaMoney cash;
    TStovaMoney::Translate(reinterpret_cast<const char*>(sqlite3_column_text(read, 0)), cash);
    sqlite3_reset(read);
    return cash;
  }
  void Book(int id, const TStovaMoney& amount, int type, const TStovaMoney& balance) {
    char a[48], b[48];
    TStovaMoney::Print(amount, a, -1, -1);
    TStovaMoney::Print(balance, b, -1, -1);
    sqlite3_bind_int64(book, 1, id);
    sqlite3_bind_text(book, 2, a, -1, SQLITE_STATIC);
    sqlite3_bind_int64(book, 3, type);
    sqlite3_bind_int64(book, 4, 0);
    sqlite3_bind_int64(book, 5, time(nullptr));
    sqlite3_bind_text(book, 6, b, -1, SQLITE_STATIC);
    Run(book);
  }
  void SetCash(int id, const TStovaMoney& cash) {
    char c[48];
    TStovaMoney::Print(cash, c, -1, -1);
    sqlite3_bind_int64(write, 1, id);
    sqlite3_bind_text(write, 2, c, -1, SQLITE_STATIC);
    Run(write);
  }
};
SDirect& Direct() {
  static SDirect direct;
  return direct;
}

void PrintLoad(const char* when) {
  std::ifstream in("/proc/loadavg");
  std::string load;
  std::getline(in, load);
  std::printf("load (%s): %s\n", when, load.c_str());
}

// Makes the library's database with one member and a copy of it for the direct loop.
void MakeFiles() {
  char pattern[] = "/tmp/stova-bench-XXXXXX";
  if (const char* tmp = std::getenv("TMPDIR")) {
    g_Folder = std::string(tmp) + "/stova-bench-XXXXXX";
  } else {
    g_Folder = pattern;
  }
  if (!mkdtemp(g_Folder.data())) std::abort();
  std::filesystem::current_path(g_Folder);
  CStovaConn db;
  c2stovaUser u;
  std::snprintf(u.m_UserName, sizeof u.m_UserName, "vorrin");
  u.m_Cash = TStovaMoney(5000);
  uint32_t id = 0;
  int32_t ok = 0;
  if (!db.Init() || !db.CreateUser(&u, id, "", "", "", "", "", "EN", "", ok) || id != 1) std::abort();
  db.Exit();
  std::filesystem::copy_file(g_Folder + "/c2user.stova", DirectFile());
}

void GetUserCashOurs(benchmark::State& state) {
  SOurs& o = Ours();
  TStovaMoney cash;
  int32_t ok = 0;
  for (auto _ : state) {
    o.db.GetUserCash(o.id, cash, ok);
    benchmark::DoNotOptimize(cash);
  }
}
void GetUserCashDirect(benchmark::State& state) {
  SDirect& d = Direct();
  for (auto _ : state) benchmark::DoNotOptimize(d.Cash(1));
}

void IncUserCashOurs(benchmark::State& state) {
  SOurs& o = Ours();
  int32_t ok = 0;
  for (auto _ : state) o.db.IncUserCash(o.id, Amount(), 54, ok, 1);
}
void IncUserCashDirect(benchmark::State& state) {
  SDirect& d = Direct();
  for (auto _ : state) {
    SDirect::Run(d.begin);
    const TStovaMoney balance = d.Cash(1) + Amount();
    d.SetCash(1, balance);
    d.Book(1, Amount(), 54, balance);
    SDirect::Run(d.commit);
  }
}

void DecIncUserCashOurs(benchmark::State& state) {
  SOurs& o = Ours();
  int32_t ok = 0;
  for (auto _ : state) o.db.DecIncUserCash(o.id, Amount(), 50, Amount(), 54, ok);
}
void DecIncUserCashDirect(benchmark::State& state) {
  SDirect& d = Direct();
  for (auto _ : state) {
    SDirect::Run(d.begin);
    const TStovaMoney before = d.Cash(1);
    const TStovaMoney mid = before - Amount();
    const TStovaMoney after = mid + Amount();
    d.SetCash(1, after);
    d.Book(1, -Amount(), 50, mid);
    d.Book(1, Amount(), 54, after);
    SDirect::Run(d.commit);
  }
}

void SetTableUserOurs(benchmark::State& state) {
  SOurs& o = Ours();
  int seat = 0;
  for (auto _ : state) o.db.SetTableUser(5001, seat++ & 7, o.id);
}
void SetTableUserDirect(benchmark::State& state) {
  SDirect& d = Direct();
  int seat = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(d.seat, 1, 5001);
    sqlite3_bind_int64(d.seat, 2, seat++ & 7);
    sqlite3_bind_int64(d.seat, 3, 1);
    SDirect::Run(d.seat);
  }
}

void Register() {
  struct SCase {
    const char* name;
    void (*ours)(benchmark::State&);
    void (*direct)(benchmark::State&);
  };
  const SCase cases[] = {
      {"GetUserCash", GetUserCashOurs, GetUserCashDirect},
      {"IncUserCash", IncUserCashOurs, IncUserCashDirect},
      {"DecIncUserCash", DecIncUserCashOurs, DecIncUserCashDirect},
      {"SetTableUser", SetTableUserOurs, SetTableUserDirect},
  };
  for (const SCase& c : cases) {
    const std::string name = c.name;
    benchmark::RegisterBenchmark((name + "/ostrel_stova").c_str(), c.ours)
        ->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark((name + "/sqlite3").c_str(), c.direct)->Unit(benchmark::kMicrosecond)->UseRealTime();
  }
}
}  // namespace

int main(int argc, char** argv) {
  MakeFiles();
  Register();
  // Five repetitions of each case by default, interleaved at random so a burst of disk load
  // falls on both sides; arguments given later override them.
  std::vector<char*> args(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=5", aggregates[] = "--benchmark_report_aggregates_only=true",
       interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, {repetitions, aggregates, interleave});
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  PrintLoad("before");
  CRatioReporter reporter("sqlite3", "<= 1.2");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintLoad("after");
  benchmark::Shutdown();
  std::filesystem::current_path("/");
  std::error_code ec;
  std::filesystem::remove_all(g_Folder, ec);
  return 0;
}
