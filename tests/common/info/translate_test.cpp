#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/info/translate.h"

namespace {
using Money = CHugeFixedPoint<10, 10>;

struct SCurrRow {
  const char* m_Pattern;  // null: none set
  const char* m_Before;   // the buffer's text before the call
  const char* m_Format;
  const char* m_Amount;
  size_t m_Size;
  const char* m_Expected;
  int32_t m_Whole;
};

const SCurrRow kRows[] = {
    // No pattern: a dollar sign before the number.
    {nullptr, "", "%5.2f", "12.5", 64, "$12.50", 1},
    {nullptr, "", "%8.2f", "12.5", 64, "$   12.50", 1},
    {nullptr, "", "%.0f", "1234", 64, "$1234", 1},
    {nullptr, "", "%.2f", "-0.25", 64, "$-0.25", 1},
    {nullptr, "", "%6.2f", "9999999999.99", 64, "$9999999999.99", 1},
    {"EUR %s", "", "%5.2f", "12.5", 64, "EUR 12.50", 1},
    {"%s kr", "", "%.2f", "-3.25", 64, "-3.25 kr", 1},
    {"EUR %s", "", "%+08.3e", "1500", 64, "EUR +1.500e+03", 1},
    {"EUR %s", "", "%.2f%%", "7", 64, "EUR 7.00%", 1},
    // The buffer's text is kept, as text.
    {nullptr, "Win: ", "%.2f", "7", 64, "Win: $7.00", 1},
    {nullptr, "100% %s %n ", "%.2f", "1", 64, "100% %s %n $1.00", 1},
    {"EUR %s", "Player Wins: ", "%6.2f", "35", 64, "Player Wins: EUR  35.00", 1},
    // Patterns without exactly one "%s", or with another '%', count as none.
    {"EUR", "", "%.2f", "1", 64, "$1.00", 1},
    {"%s%s", "", "%.2f", "1", 64, "$1.00", 1},
    {"%d %s", "", "%.2f", "1", 64, "$1.00", 1},
    {"%s %%", "", "%.2f", "1", 64, "$1.00", 1},
    {"%s %n", "", "%.2f", "1", 64, "$1.00", 1},
    {"EUR %", "", "%.2f", "1", 64, "$1.00", 1},
    {"", "", "%.2f", "1", 64, "$1.00", 1},
    // Number formats that are not one floating conversion are taken as "%.2f".
    {nullptr, "", "%s", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%d", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%n", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%5.2f %5.2f", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%*f", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%.*f", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%Lf", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%lf", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%100f", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%.100f", "2.5", 64, "$2.50", 1},
    {nullptr, "", "%", "2.5", 64, "$2.50", 1},
    {nullptr, "", "no conversion", "2.5", 64, "$2.50", 1},
    {nullptr, "", nullptr, "2.5", 64, "$2.50", 1},
    // Cut to the buffer's size, terminator included.
    {nullptr, "", "%.2f", "12.5", 5, "$12.", 0},
    {nullptr, "", "%.2f", "12.5", 7, "$12.50", 1},
    {nullptr, "", "%.2f", "12.5", 6, "$12.5", 0},
    {"EUR %s", "Total ", "%.2f", "12.5", 9, "Total EU", 0},
    {nullptr, "Total ", "%.2f", "12.5", 4, "Tot", 0},
    {nullptr, "", "%.2f", "12.5", 1, "", 0},
};

TEST(CreateCurrStr, WritesTheAmountInThePatternBehindTheBuffersText) {
  for (const SCurrRow& r : kRows) {
    SCOPED_TRACE(std::string(r.m_Pattern ? r.m_Pattern : "(none)") + " | " + r.m_Before + " | " +
                 (r.m_Format ? r.m_Format : "(null)") + " | " + r.m_Amount + " | " + std::to_string(r.m_Size));
    CTranslate t;
    t.SetCurrency(r.m_Pattern);
    // Exactly the size asked for, on the heap, so a write past it shows under the sanitizer.
    std::string before(r.m_Before);
    std::unique_ptr<char[]> buffer(new char[r.m_Size]);
    const size_t keep = std::min(before.size(), r.m_Size - 1);
    memcpy(buffer.get(), before.data(), keep);
    buffer[keep] = '\0';
    EXPECT_EQ(t.CreateCurrStr(buffer.get(), r.m_Size, r.m_Format, Money(r.m_Amount)), r.m_Whole);
    EXPECT_STREQ(buffer.get(), r.m_Expected);
  }
}

TEST(CreateCurrStr, ABufferWithoutTerminatorIsReadOnlyToItsSize) {
  CTranslate t;
  char buffer[8];
  memset(buffer, 'A', sizeof buffer);
  EXPECT_EQ(t.CreateCurrStr(buffer, "%.2f", Money(1)), 0);
  EXPECT_STREQ(buffer, "AAAAAAA");
  EXPECT_EQ(t.CreateCurrStr(nullptr, 10, "%.2f", Money(1)), 0);
  EXPECT_EQ(t.CreateCurrStr(buffer, 0, "%.2f", Money(1)), 0);
}

TEST(CreateCurrStr, ThePatternIsKeptNotCopied) {
  char pattern[] = "EUR %s";
  CTranslate t;
  t.SetCurrency(pattern);
  EXPECT_EQ(t.GetCurrency(), pattern);
  pattern[0] = 'C';
  pattern[1] = 'H';
  pattern[2] = 'F';
  char out[32] = "";
  t.CreateCurrStr(out, "%.2f", Money("0.5"));
  EXPECT_STREQ(out, "CHF 0.50");
}
}  // namespace
