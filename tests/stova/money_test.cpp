// Money: exact decimal balances with a booking per change, checked against Python's decimal
// module and read back by the sqlite3 tool; failed changes and killed processes change nothing.
#include <signal.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "stovafixture.h"
#include "support/spawnedchild.h"

namespace {
const std::string kTools = VORRIN_TEST_TOOLS_DIR;
const std::string kData = VORRIN_TEST_DATA_DIR;

class StovaMoney : public StovaTest {
 protected:
  StovaMoney() : m_Id(Create("vorrin")) {}

  std::string Balance() {
    TStovaMoney cash;
    int32_t ok = 0;
    EXPECT_EQ(m_Db.GetUserCash(m_Id, cash, ok), 1);
    EXPECT_EQ(ok, 1);
    return MoneyText(cash);
  }
  std::string Sql(const std::string& query) { return RunProgram("sqlite3", {DbPath(), query}); }
  // "<balance> <sum of bookings> <count> <consistent> <equal>" as Python reads the file.
  std::string Python(const std::string& expected = "") {
    std::vector<std::string> args{kTools + "/stova_read_cash.py", DbPath(), std::to_string(m_Id)};
    if (!expected.empty()) args.push_back(expected);
    return RunProgram("python3", args);
  }

  uint32_t m_Id;
};

TEST_F(StovaMoney, PointOnePlusPointTwoBooksExactlyPointThree) {
  int32_t ok = 0;
  ASSERT_EQ(m_Db.IncUserCash(m_Id, Money("0.1"), 50, ok, 11), 1);
  ASSERT_EQ(ok, 1);
  ASSERT_EQ(m_Db.IncUserCash(m_Id, Money("0.2"), 54, ok, 12), 1);
  EXPECT_EQ(Balance(), "0.3000000000");
  EXPECT_EQ(Sql("SELECT cash FROM users WHERE id = 1;"), "0.3000000000");
  EXPECT_EQ(Sql("SELECT amount || ' ' || type || ' ' || value || ' ' || balance FROM bookings ORDER BY id DESC LIMIT 1;"),
            "0.2000000000 54 12 0.3000000000");
  EXPECT_EQ(Python("0.3"), "0.3000000000 0.3000000000 2 1 1");
}

TEST_F(StovaMoney, RandomSequencesMatchPythonsDecimal) {
  std::ifstream table(kData + "/stova/money_ops.txt");
  ASSERT_TRUE(table.good());
  std::string line;
  int steps = 0, refusals = 0;
  uint32_t member = m_Id;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string op;
    in >> op;
    if (op == "new") {
      member = Create(("seq" + line.substr(4)).c_str());
      continue;
    }
    std::string a, b, arrow, expectedBalance;
    int32_t expectedOk = 0;
    in >> a;
    if (op == "decinc") in >> b;
    in >> arrow >> expectedOk >> expectedBalance;
    int32_t ok = -1, result = -1;
    if (op == "set") result = m_Db.SetUserCash(member, Money(a.c_str()), ok);
    if (op == "inc") result = m_Db.IncUserCash(member, Money(a.c_str()), 1, ok, 0);
    if (op == "decinc") result = m_Db.DecIncUserCash(member, Money(a.c_str()), 50, Money(b.c_str()), 54, ok);
    ASSERT_EQ(result, expectedOk) << line;
    ASSERT_EQ(ok, expectedOk) << line;
    const auto errors = DrainErrors(m_Db);
    ASSERT_EQ(errors.size(), expectedOk ? 0u : 1u) << line;
    if (!expectedOk) {
      EXPECT_EQ(errors[0].m_Code, STOVA_ERR_OVERFLOW) << errors[0].GetText();
      ++refusals;
    }
    TStovaMoney cash;
    ASSERT_EQ(m_Db.GetUserCash(member, cash, ok), 1);
    ASSERT_EQ(MoneyText(cash), expectedBalance) << line;
    ++steps;
  }
  EXPECT_GT(steps, 2000);
  EXPECT_GT(refusals, 10);
  // The last sequence's log, read by Python, adds up to its balance.
  m_Id = member;
  const std::string python = Python();
  EXPECT_EQ(python.substr(python.size() - 3), "1 1") << python;
}

TEST_F(StovaMoney, DecIncBooksBothAmountsInOneChange) {
  int32_t ok = 0;
  ASSERT_EQ(m_Db.SetUserCash(m_Id, Money("100"), ok), 1);
  ASSERT_EQ(m_Db.DecIncUserCash(m_Id, Money("10"), 50, Money("25.5"), 54, ok), 1);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(Balance(), "115.5000000000");
  EXPECT_EQ(Sql("SELECT group_concat(amount || ':' || type || ':' || balance, ' ') FROM bookings;"),
            "100.0000000000:-1:100.0000000000 -10.0000000000:50:90.0000000000 25.5000000000:54:115.5000000000");
}

TEST_F(StovaMoney, PracticeMoneyIsTheBalanceGetUserCashReads) {
  int32_t ok = 0;
  ASSERT_EQ(m_Db.PracticeSetUserCash(m_Id, Money("750.25"), ok), 1);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(Balance(), "750.2500000000");
  EXPECT_EQ(Sql("SELECT type FROM bookings;"), std::to_string(STOVA_BOOKING_PRACTICE));
}

TEST_F(StovaMoney, FailedChangesLeaveBalanceAndLogAsTheyWere) {
  int32_t ok = 0;
  ASSERT_EQ(m_Db.SetUserCash(m_Id, Money("9999999999"), ok), 1);
  const std::string file = ReadWholeFile(DbPath());
  TStovaMoney flagged = Money("1");
  flagged.SetError(1);
  struct {
    const char* name;
    std::function<int32_t(int32_t&)> call;
    int32_t code;
  } cases[] = {
      {"overflowing increment", [&](int32_t& f) { return m_Db.IncUserCash(m_Id, Money("1"), 0, f, 0); }, STOVA_ERR_OVERFLOW},
      {"overflowing credit", [&](int32_t& f) { return m_Db.DecIncUserCash(m_Id, Money("0.5"), 50, Money("2"), 54, f); },
       STOVA_ERR_OVERFLOW},
      {"flagged amount", [&](int32_t& f) { return m_Db.IncUserCash(m_Id, flagged, 0, f, 0); }, STOVA_ERR_OVERFLOW},
      {"flagged balance", [&](int32_t& f) { return m_Db.SetUserCash(m_Id, flagged, f); }, STOVA_ERR_OVERFLOW},
      {"difference out of range", [&](int32_t& f) { return m_Db.SetUserCash(m_Id, Money("-9999999999"), f); },
       STOVA_ERR_OVERFLOW},
      {"missing member", [&](int32_t& f) { return m_Db.IncUserCash(4242, Money("1"), 0, f, 0); }, STOVA_ERR_NOT_FOUND},
      {"missing member set", [&](int32_t& f) { return m_Db.SetUserCash(4242, Money("1"), f); }, STOVA_ERR_NOT_FOUND},
      {"missing member practice", [&](int32_t& f) { return m_Db.PracticeSetUserCash(4242, Money("1"), f); },
       STOVA_ERR_NOT_FOUND},
      {"negative id", [&](int32_t& f) { return m_Db.IncUserCash(0xFFFFFFFFu, Money("1"), 0, f, 0); }, STOVA_ERR_ARGUMENT},
  };
  for (auto& c : cases) {
    int32_t flag = -1;
    EXPECT_EQ(c.call(flag), 0) << c.name;
    EXPECT_EQ(flag, 0) << c.name;
    const auto errors = DrainErrors(m_Db);
    ASSERT_EQ(errors.size(), 1u) << c.name;
    EXPECT_EQ(errors[0].m_Code, c.code) << c.name << ": " << errors[0].GetText();
  }
  EXPECT_EQ(Balance(), "9999999999.0000000000");
  EXPECT_EQ(ReadWholeFile(DbPath()), file) << "not one byte of the file changed";
  TStovaMoney cash;
  EXPECT_EQ(m_Db.GetUserCash(4242, cash, ok), 1);
  EXPECT_EQ(ok, 0) << "reading a missing member finds nothing";
}

TEST_F(StovaMoney, ADamagedCashTextIsReportedNotReadAsZero) {
  RunProgram("sqlite3", {DbPath(), "UPDATE users SET cash = 'lots' WHERE id = 1;"});
  TStovaMoney cash;
  int32_t ok = 1;
  EXPECT_EQ(m_Db.GetUserCash(m_Id, cash, ok), 0);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(m_Db.IncUserCash(m_Id, Money("1"), 0, ok, 0), 0);
  const auto errors = DrainErrors(m_Db);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].m_Code, STOVA_ERR_DAMAGED_VALUE);
  EXPECT_EQ(Sql("SELECT cash FROM users;"), "lots");
}

TEST_F(StovaMoney, ChangesInsideACallerTransactionCommitOrRollBackTogether) {
  int32_t ok = 0;
  ASSERT_EQ(m_Db.BeginTransaction(), 1);
  EXPECT_EQ(m_Db.BeginTransaction(), 0) << "transactions do not nest";
  EXPECT_EQ(DrainErrors(m_Db).size(), 1u);
  ASSERT_EQ(m_Db.IncUserCash(m_Id, Money("5"), 0, ok, 0), 1);
  EXPECT_EQ(m_Db.IncUserCash(m_Id, Money("9999999999"), 0, ok, 0), 0) << "a failed change inside undoes only itself";
  DrainErrors(m_Db);
  ASSERT_EQ(m_Db.IncUserCash(m_Id, Money("2"), 0, ok, 0), 1);
  EXPECT_EQ(Balance(), "7.0000000000");
  ASSERT_EQ(m_Db.EndTransaction(0), 1);
  EXPECT_EQ(Balance(), "0.0000000000");
  EXPECT_EQ(Sql("SELECT COUNT(*) FROM bookings;"), "0");

  ASSERT_EQ(m_Db.BeginTransaction(), 1);
  ASSERT_EQ(m_Db.IncUserCash(m_Id, Money("5"), 0, ok, 0), 1);
  ASSERT_EQ(m_Db.EndTransaction(1), 1);
  EXPECT_EQ(Balance(), "5.0000000000");
  EXPECT_EQ(m_Db.EndTransaction(1), 0);
  EXPECT_EQ(DrainErrors(m_Db)[0].m_Code, STOVA_ERR_TRANSACTION);
}

class StovaKilled : public StovaMoney {
 protected:
  void SetUp() override {
    int32_t ok = 0;
    ASSERT_EQ(m_Db.SetUserCash(m_Id, Money("100"), ok), 1);
    m_Db.Exit();
    ASSERT_TRUE(m_Child.StartProgram("stova_child", {m_Dir.Path()}));
    ASSERT_EQ(m_Child.ReadLine(), "ready");
  }
  // Reopens the database after the child is gone; the balance and the log must agree.
  void ExpectConsistent() {
    ASSERT_EQ(m_Db.Init(), 1);
    ExpectNoErrors();
    const std::string python = Python();
    EXPECT_EQ(python.substr(python.size() - 3), "1 1") << python;
    EXPECT_EQ(Sql("PRAGMA integrity_check;"), "ok");
  }

  CSpawnedChild m_Child;
};

TEST_F(StovaKilled, InsideAnOpenMoneyTransactionTheOldBalanceStays) {
  m_Child.WriteLine("hold 1 0.01");
  ASSERT_EQ(m_Child.ReadLine(), "inside");
  m_Child.Kill(SIGKILL);
  ExpectConsistent();
  EXPECT_EQ(Balance(), "100.0000000000");
  EXPECT_EQ(Sql("SELECT COUNT(*) FROM bookings;"), "1");
}

TEST_F(StovaKilled, InTheMiddleOfManyBookingsNoneIsHalfDone) {
  m_Child.WriteLine("inc 1 0.01 100000");
  int seen = 0;
  for (std::string line = m_Child.ReadLine(); seen < 40; line = m_Child.ReadLine()) {
    ASSERT_EQ(line.rfind("booked ", 0), 0u) << line;
    seen = std::stoi(line.substr(7));
  }
  m_Child.Kill(SIGKILL);
  ExpectConsistent();
  int32_t bookings = std::stoi(Sql("SELECT COUNT(*) - 1 FROM bookings;"));
  EXPECT_GE(bookings, seen);
  TStovaMoney expected = Money("100");
  for (int i = 0; i < bookings; ++i) expected += Money("0.01");
  EXPECT_EQ(Balance(), MoneyText(expected));
}
}  // namespace
