#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ostrel/base/cstring.h"
#include "ostrel/base/money.h"
#include "ostrel/system/debug.h"
#include "support/tables.h"
#include "support/tempdir.h"

using Money = CHugeFixedPoint<10, 10>;

namespace {

Money M(const char* text) {
  Money m;
  EXPECT_EQ(Money::Translate(text, m), 1) << text;
  return m;
}

std::string Str(const Money& m, int32_t intWidth = -1, int32_t decWidth = -1) {
  char text[64];
  Money::Print(m, text, intWidth, decWidth);
  return text;
}

double ParseDouble(const std::string& s) {
  double d = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), d);
  EXPECT_EQ(r.ec, std::errc()) << s;
  return d;
}

// The decimal-module table of tests/tools/money_oracle.py, the rows of one operation.
std::vector<TTableRow> Oracle(const std::string& op) {
  static const std::vector<TTableRow> all = ReadTable(VORRIN_TEST_DATA_DIR "/money/oracle.txt");
  std::vector<TTableRow> rows;
  for (auto& row : all)
    if (row[0] == op) rows.push_back(row);
  return rows;
}

}  // namespace

TEST(MoneyOracle, AddSubtractMultiply) {
  int n = 0;
  for (const char* op : {"add", "sub", "mul"}) {
    for (auto& c : Oracle(op)) {
      Money a = M(c[1].c_str()), b = M(c[2].c_str());
      Money r = c[0] == "add" ? a + b : c[0] == "sub" ? a - b : a * b;
      EXPECT_EQ(Str(r), c[3]) << c[0] << " " << c[1] << " " << c[2];
      EXPECT_EQ(r.m_Error, std::stoi(c[4])) << c[0] << " " << c[1] << " " << c[2];
      // The compound forms agree with the binary ones.
      Money in(a);
      if (c[0] == "add") in += b;
      else if (c[0] == "sub") in -= b;
      else in *= b;
      EXPECT_EQ(Str(in), c[3]);
      ++n;
    }
  }
  EXPECT_GT(n, 1500);
}

TEST(MoneyOracle, Compare) {
  int n = 0;
  for (auto& c : Oracle("cmp")) {
    Money a = M(c[1].c_str()), b = M(c[2].c_str());
    int want = std::stoi(c[3]);
    EXPECT_EQ(Money::Compare(a, b), want) << c[1] << " " << c[2];
    EXPECT_EQ(a < b, want < 0);
    EXPECT_EQ(a <= b, want <= 0);
    EXPECT_EQ(a > b, want > 0);
    EXPECT_EQ(a >= b, want >= 0);
    EXPECT_EQ(a == b, want == 0);
    EXPECT_EQ(a != b, want != 0);
    ++n;
  }
  EXPECT_GT(n, 500);
}

TEST(MoneyOracle, DivideByDouble) {
  int n = 0;
  for (auto& c : Oracle("div")) {
    Money a = M(c[1].c_str());
    Money q = a / ParseDouble(c[2]);
    EXPECT_EQ(Str(q), c[3]) << c[1] << " / " << c[2];
    EXPECT_EQ(q.m_Error, std::stoi(c[4])) << c[1] << " / " << c[2];
    ++n;
  }
  EXPECT_GT(n, 100);
}

TEST(MoneyOracle, Translate) {
  int n = 0;
  for (auto& c : Oracle("tr")) {
    std::string text = FromHex(c[1]);
    Money m;
    m.m_Error = 0;
    EXPECT_EQ(Money::Translate(text.c_str(), m), std::stoi(c[2])) << "'" << text << "'";
    EXPECT_EQ(Str(m), c[3]) << "'" << text << "'";
    EXPECT_EQ(m.m_Error, 0);  // Translate leaves the flag alone
    Money assigned;
    assigned = text.c_str();
    EXPECT_EQ(assigned.m_Error, 1 - std::stoi(c[2]));
    ++n;
  }
  EXPECT_GT(n, 200);
}

TEST(MoneyOracle, FromDouble) {
  int n = 0;
  for (auto& c : Oracle("fd")) {
    Money m;
    EXPECT_EQ(m.FromDouble(ParseDouble(c[1])), std::stoi(c[2])) << c[1];
    EXPECT_EQ(Str(m), c[3]) << c[1];
    ++n;
  }
  EXPECT_GT(n, 200);
}

TEST(MoneyOracle, Print) {
  int n = 0;
  for (auto& c : Oracle("print")) {
    Money m = M(c[1].c_str());
    int32_t iw = std::stoi(c[2]), dw = std::stoi(c[3]);
    EXPECT_EQ(Str(m, iw, dw), c[4]) << c[1] << " " << iw << " " << dw;
    EXPECT_EQ(std::string(m.GetString(iw, dw)), c[4]);
    EXPECT_LE(c[4].size() + 1, Money::PrintSize(iw, dw));
    ++n;
  }
  EXPECT_GT(n, 500);
}

TEST(Money, DigitLayoutSignAndFlag) {
  Money m = M("12.5");
  const uint8_t want[20] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 5};
  EXPECT_EQ(memcmp(m.m_Digits, want, 20), 0);
  EXPECT_EQ(m.m_Sign, 0);
  EXPECT_EQ(M("-0.75").m_Sign, HFP_NEGATIVE);
  EXPECT_EQ(offsetof(Money, m_Sign), 20u);

  Money f(-2147483647 - 1);  // the most negative long has a 64-bit magnitude
  EXPECT_EQ(Str(f), "-2147483648.0000000000");
  f.FromLong(2147483647);
  EXPECT_EQ(Str(f), "2147483647.0000000000");

  Money copy;
  Money flagged("junk");
  copy = flagged;
  EXPECT_EQ(copy.m_Error, 1);
}

TEST(Money, ArithmeticEdges) {
  struct {
    const char* a;
    char op;
    const char* b;
    const char* want;
    int32_t error;
  } cases[] = {
      {"0.3", '-', "0.5", "-0.2000000000", 0},
      {"-0.2", '+', "0.2", "0.0000000000", 0},
      {"1.5", '*', "1.5", "2.2500000000", 0},
      {"0.0000000001", '*', "0.5", "0.0000000000", 0},
      {"-0.0000000001", '*', "0.5", "0.0000000000", 0},  // truncation toward zero, no "-0"
      {"100000", '*', "100000", "0.0000000000", 1},      // wraps, and says so
      {"9999999999.9999999999", '+', "0.0000000001", "0.0000000000", 1},
      {"-9999999999.9999999999", '-', "0.0000000001", "0.0000000000", 1},
      {"0.5", '*', "2000000000", "1000000000.0000000000", 0},  // no carry lost in a row
      {"0", '*', "-5", "0.0000000000", 0},
      {"-3", '*', "-0.5", "1.5000000000", 0},
      {"9999999999", '*', "0.9999999999", "9999999998.0000000001", 0},
  };
  for (auto& c : cases) {
    Money a = M(c.a), b = M(c.b);
    Money r = c.op == '+' ? a + b : c.op == '-' ? a - b : a * b;
    EXPECT_EQ(Str(r), c.want) << c.a << c.op << c.b;
    EXPECT_EQ(r.m_Error, c.error) << c.a << c.op << c.b;
    EXPECT_FALSE(r.IsZero() && r.m_Sign) << c.a << c.op << c.b;
  }
}

// A double never turns into a long behind the caller's back (nor does a 64-bit long).
template <class T, class V>
concept AddsTo = requires(T m, V v) { m += v; };
template <class T, class V>
concept SubtractsFrom = requires(T m, V v) { m - v; };
template <class T, class V>
concept ComparesWith = requires(T m, V v) { m < v; m == v; };
static_assert(!AddsTo<Money, double> && !AddsTo<Money, int64_t> && AddsTo<Money, int32_t>);
static_assert(!SubtractsFrom<Money, double> && SubtractsFrom<Money, int32_t>);
static_assert(!ComparesWith<Money, double> && ComparesWith<Money, int32_t>);

TEST(Money, LongOperands) {
  Money m = M("10.25");
  EXPECT_EQ(Str(m + 5), "15.2500000000");
  EXPECT_EQ(Str(m - 11), "-0.7500000000");
  EXPECT_EQ(Str(m * -4), "-41.0000000000");
  Money n = M("1");
  n -= -2147483647 - 1;  // negating the most negative long must not overflow
  EXPECT_EQ(Str(n), "2147483649.0000000000");
  n += 1;
  EXPECT_EQ(Str(n), "2147483650.0000000000");
  EXPECT_EQ(n.m_Error, 0);

  EXPECT_TRUE(M("-1") < 0);
  EXPECT_FALSE(M("0") < -1);
  EXPECT_TRUE(M("-2") < -1);
  EXPECT_TRUE(M("-2") <= -2);
  EXPECT_FALSE(M("-1.5") <= -2);
  EXPECT_TRUE(M("3.0000000001") != 3);
  EXPECT_FALSE(M("3") != 3);
  EXPECT_TRUE(M("3") == 3);
  EXPECT_TRUE(M("3.5") > 3);
  EXPECT_TRUE(M("3") >= 3);
}

// A zero is one value whatever sign it came with.
TEST(Money, ZeroHasNoSign) {
  Money z;
  const char* zeros[] = {"-0", "-0.0", "-0000", "-.0000000000", " -0.00000000000001"};
  for (const char* text : zeros) {
    Money m = M(text);
    EXPECT_EQ(m.m_Sign, 0) << text;
    EXPECT_EQ(Str(m), "0.0000000000") << text;
    EXPECT_FALSE(m < z) << text;
    EXPECT_FALSE(m != 0) << text;
    EXPECT_TRUE(m <= 0) << text;
  }
  Money d;
  d.FromDouble(-1e-12);
  EXPECT_EQ(Str(d), "0.0000000000");
  EXPECT_EQ(Str(-z), "0.0000000000");
  // A raw negative zero (fields set by hand) still behaves as zero.
  Money raw;
  raw.m_Sign = HFP_NEGATIVE;
  EXPECT_EQ(Str(raw), "0.0000000000");
  EXPECT_TRUE(raw == z);
  EXPECT_FALSE(raw < 0);
}

TEST(Money, TranslateRefusesWhatIsNoNumber) {
  const char* bad[] = {nullptr, "", " \t", "-", "-.", ".", "+5", "12a", "12345678901",
                       "1.12345678901x", "1,5", "0x10", "12 ", "--1", "1e3", "nan"};
  for (const char* text : bad) {
    Money m = M("77");
    EXPECT_EQ(Money::Translate(text, m), 0) << (text ? text : "(null)");
    EXPECT_TRUE(m.IsZero()) << (text ? text : "(null)");  // never a partial value
    EXPECT_EQ(m.m_Sign, 0);
  }
  // Partial input before the failing character leaves nothing behind either.
  Money p = M("5");
  EXPECT_EQ(Money::Translate("-123x.75", p), 0);
  EXPECT_TRUE(p.IsZero());
  // Leading zeros beyond ten places are not digits that get lost.
  EXPECT_EQ(Str(M("000001234567890.5")), "1234567890.5000000000");
  EXPECT_EQ(Str(M("1.123456789012")), "1.1234567890");
}

TEST(Money, TranslateNamesTheOffendingCharacter) {
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  Money m;
  EXPECT_EQ(Money::Translate("12a", m), 0);
  std::string said = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  EXPECT_NE(said.find("CRITICAL ERROR: CHugeFixedPoint::Translate(): szBuf contains invalid "
                      "characters (ASCII '97')!"),
            std::string::npos)
      << said;
}

TEST(Money, FromDoubleCases) {
  Money m;
  EXPECT_EQ(m.FromDouble(0.1), 1);
  EXPECT_EQ(Str(m), "0.1000000000");
  EXPECT_EQ(m.FromDouble(2.0 / 3.0), 1);
  EXPECT_EQ(Str(m), "0.6666666666");
  for (double bad : {1e10, -1e15, 1e300, 1e308, -1.7976931348623157e308, std::nan(""),
                     1.0 / 0.0, -1.0 / 0.0}) {
    m = M("5");
    EXPECT_EQ(m.FromDouble(bad), 0) << bad;
    EXPECT_TRUE(m.IsZero()) << bad;
  }
}

// Below 10^4 a double holds every amount closer than half the eleventh decimal, so the trip
// through a double gives every amount back. (Above that the eleven-decimal text shows the
// double's own error, e.g. 317850994.72 reads back as 317850994.7200000286, as everywhere else.)
TEST(Money, FromDoubleRoundTrip) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 20000; ++i) {
    int intDigits = static_cast<int>(rng() % 5);
    int decDigits = static_cast<int>(rng() % 11);
    std::string text = rng() % 2 ? "-" : "";
    for (int k = 0; k < intDigits; ++k) text += static_cast<char>('0' + rng() % 10);
    text += ".";
    for (int k = 0; k < decDigits; ++k) text += static_cast<char>('0' + rng() % 10);
    if (intDigits + decDigits == 0) text += "0";
    Money m = M(text.c_str());
    Money back;
    ASSERT_EQ(back.FromDouble(ParseDouble(Str(m))), 1) << text;
    ASSERT_EQ(Str(back), Str(m)) << text;
  }
}

TEST(Money, DivisionFailuresAreVisible) {
  Money m = M("10");
  Money q = m / 0.0;
  EXPECT_EQ(q.m_Error, 1);
  EXPECT_TRUE(q.IsZero());
  EXPECT_EQ((m / std::nan("")).m_Error, 1);
  EXPECT_EQ((M("9999999999") / 0.5).m_Error, 1);  // quotient beyond ten digits
  Money ok = m / 4.0;
  EXPECT_EQ(Str(ok), "2.5000000000");
  EXPECT_EQ(ok.m_Error, 0);
  // Division no longer washes out an earlier failure.
  Money flagged = M("10");
  flagged.m_Error = 1;
  flagged /= 2.0;
  EXPECT_EQ(Str(flagged), "5.0000000000");
  EXPECT_EQ(flagged.m_Error, 1);
}

TEST(Money, ErrorFlagTravels) {
  Money good = M("1"), bad = M("2");
  bad.m_Error = 1;
  EXPECT_EQ((good + bad).m_Error, 1);
  EXPECT_EQ((good - bad).m_Error, 1);
  EXPECT_EQ((good * bad).m_Error, 1);
  EXPECT_EQ((bad + good).m_Error, 1);  // the left operand keeps its own
  EXPECT_EQ((good + good).m_Error, 0);
  EXPECT_EQ((good * std::nan("")).m_Error, 1);
  EXPECT_EQ((good * 1e12).m_Error, 1);
  Money x = good * 2.5;
  EXPECT_EQ(Str(x), "2.5000000000");
  EXPECT_EQ(x.m_Error, 0);
}

TEST(Money, PrintCases) {
  struct {
    const char* value;
    int32_t iw, dw;
    const char* want;
    int32_t result;
  } cases[] = {
      {"-5", 12, 2, "          -5.00", 1},
      {"5", 12, 2, "           5.00", 1},
      {"12345", 3, 0, "345", 0},  // high digits cut: said by the result
      {"0.5", 3, 2, "   0.50", 1},
      {"-3", 2, 0, " -3", 1},
      {"7.9", 0, 1, "0.9", 0},
      {"-0.1", 0, 1, "-0.1", 1},
      {"12.5", -1, -1, "12.5000000000", 1},
      {"-0.25", -1, -1, "-0.2500000000", 1},
      {"0", -1, -1, "0.0000000000", 1},
      {"7.9", -1, 0, "7", 1},
      {"1.23456789012", -1, 25, "1.2345678901", 1},  // more than ten decimals: ten
      {"1.5", -7, -3, "1.5000000000", 1},           // any negative width is natural
  };
  for (auto& c : cases) {
    char text[64];
    EXPECT_EQ(Money::Print(M(c.value), text, c.iw, c.dw), c.result) << c.value;
    EXPECT_STREQ(text, c.want) << c.value << " " << c.iw << " " << c.dw;
  }
  EXPECT_EQ(std::string(M("7.9").GetString(-1, 0)), "7");
}

TEST(Money, PrintNeverOverrunsTheBuffer) {
  Money m = M("-1234567890.0987654321");
  char text[40];
  memset(text, 'x', sizeof text);
  EXPECT_EQ(Money::Print(m, text, 10, -1, -1), 0);  // "-1234567890.0987654321" needs 23
  EXPECT_STREQ(text, "");
  EXPECT_EQ(text[10], 'x');
  EXPECT_EQ(Money::Print(m, text, 23, -1, -1), 1);
  EXPECT_STREQ(text, "-1234567890.0987654321");
  EXPECT_EQ(Money::Print(m, static_cast<char*>(nullptr), 10, -1, -1), 0);
  EXPECT_EQ(Money::Print(m, text, 0, -1, -1), 0);

  // Wide fields: the exact length, and the working buffer of GetString copes.
  std::string wide(m.GetString(300, 2));
  EXPECT_EQ(wide.size(), 303u);
  EXPECT_EQ(wide.substr(289), "-1234567890.09");
  EXPECT_EQ(wide.find_first_not_of(" "), 289u);
  EXPECT_GE(Money::PrintSize(300, 2), wide.size() + 1);
  EXPECT_EQ(std::string(m.GetString(2000000000, 2)), "");  // refused, not overrun
}

TEST(Money, CStringReadsAndWrites) {
  CString s("Balance: ");
  s << M("-12.5");
  EXPECT_EQ(std::string(s), "Balance: -12.5000000000");
  Money m;
  CString("  42.125") >> m;
  EXPECT_EQ(Str(m), "42.1250000000");
  EXPECT_EQ(m.m_Error, 0);
  CString("42,125") >> m;
  EXPECT_EQ(m.m_Error, 1);
  EXPECT_TRUE(m.IsZero());
  CString("7") >> m;
  EXPECT_EQ(m.m_Error, 0);
}

// Number formatting never follows the process locale: a comma locale changes nothing.
TEST(Money, IndependentOfTheProcessLocale) {
  CTempDir dir;
  std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE";
  setenv("LOCPATH", dir.Path().c_str(), 1);
  std::string old = setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
  char probe[16];
  snprintf(probe, sizeof probe, "%.1f", 1.5);
  EXPECT_STREQ(probe, "1,5");  // the locale is really in force

  Money m;
  EXPECT_EQ(m.FromDouble(1234.5), 1);
  EXPECT_EQ(Str(m), "1234.5000000000");
  EXPECT_EQ(Str(M("10") / 4.0), "2.5000000000");
  EXPECT_EQ(Str(M("2") * 0.25), "0.5000000000");

  setlocale(LC_NUMERIC, old.c_str());
  unsetenv("LOCPATH");
}
