#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "casino/mainclient/checkedformat.h"

namespace {

struct SFormatRow {
  EValueKind m_Kind;
  const char* m_Format;
  size_t m_Size;
  const char* m_Expected;
  int32_t m_Whole;
};

// Each row formats the text "pay.zip", the integer -42 or the floating 3.14159, by kind.
const SFormatRow kRows[] = {
    // Formats that pass.
    {EValueKind::Text, "Downloading %s", 64, "Downloading pay.zip", 1},
    {EValueKind::Text, "%s", 64, "pay.zip", 1},
    {EValueKind::Text, "[%-10s]", 64, "[pay.zip   ]", 1},
    {EValueKind::Text, "[%10.3s]", 64, "[       pay]", 1},
    {EValueKind::Text, "100%% of %s", 64, "100% of pay.zip", 1},
    {EValueKind::Integer, "%d chips", 64, "-42 chips", 1},
    {EValueKind::Integer, "%+05d", 64, "-0042", 1},
    {EValueKind::Integer, "%i", 64, "-42", 1},
    {EValueKind::Integer, "%u", 64, "4294967254", 1},
    {EValueKind::Integer, "%#x", 64, "0xffffffd6", 1},
    {EValueKind::Integer, "%08X", 64, "FFFFFFD6", 1},
    {EValueKind::Integer, "%o", 64, "37777777726", 1},
    {EValueKind::Integer, "%20d|", 64, "                 -42|", 1},
    {EValueKind::Floating, "%.3f Kb/s", 64, "3.142 Kb/s", 1},
    {EValueKind::Floating, "%+08.2e", 64, "+3.14e+00", 1},
    {EValueKind::Floating, "%g%%", 64, "3.14159%", 1},
    // Foreign or unsound formats give the plain form.
    {EValueKind::Text, "%s%s", 64, "pay.zip", 1},
    {EValueKind::Text, "%n", 64, "pay.zip", 1},
    {EValueKind::Text, "%s %n", 64, "pay.zip", 1},
    {EValueKind::Text, "%x", 64, "pay.zip", 1},
    {EValueKind::Text, "%d", 64, "pay.zip", 1},
    {EValueKind::Text, "%*s", 64, "pay.zip", 1},
    {EValueKind::Text, "%.*s", 64, "pay.zip", 1},
    {EValueKind::Text, "%ls", 64, "pay.zip", 1},
    {EValueKind::Text, "%0s", 64, "pay.zip", 1},
    {EValueKind::Text, "%#s", 64, "pay.zip", 1},
    {EValueKind::Text, "%100s", 64, "pay.zip", 1},
    {EValueKind::Text, "Downloading %", 64, "pay.zip", 1},
    {EValueKind::Text, "%", 64, "pay.zip", 1},
    {EValueKind::Text, "no conversion", 64, "pay.zip", 1},
    {EValueKind::Text, "", 64, "pay.zip", 1},
    {EValueKind::Text, nullptr, 64, "pay.zip", 1},
    {EValueKind::Integer, "%s", 64, "-42", 1},
    {EValueKind::Integer, "%n", 64, "-42", 1},
    {EValueKind::Integer, "%d%d", 64, "-42", 1},
    {EValueKind::Integer, "%*d", 64, "-42", 1},
    {EValueKind::Integer, "%1000000d", 64, "-42", 1},
    {EValueKind::Integer, "%.100d", 64, "-42", 1},
    {EValueKind::Integer, "%ld", 64, "-42", 1},
    {EValueKind::Integer, "%lld", 64, "-42", 1},
    {EValueKind::Integer, "%#d", 64, "-42", 1},
    {EValueKind::Integer, "%f", 64, "-42", 1},
    {EValueKind::Integer, "%c", 64, "-42", 1},
    {EValueKind::Integer, "%p", 64, "-42", 1},
    {EValueKind::Integer, "%d %", 64, "-42", 1},
    {EValueKind::Floating, "%d", 64, "3.14", 1},
    {EValueKind::Floating, "%s", 64, "3.14", 1},
    {EValueKind::Floating, "%n", 64, "3.14", 1},
    {EValueKind::Floating, "%f%f", 64, "3.14", 1},
    {EValueKind::Floating, "%*f", 64, "3.14", 1},
    {EValueKind::Floating, "%Lf", 64, "3.14", 1},
    {EValueKind::Floating, "%1000000f", 64, "3.14", 1},
    {EValueKind::Floating, "%.2f %", 64, "3.14", 1},
    // Cut at the buffer, terminator included, whichever form was used.
    {EValueKind::Text, "Downloading %s", 12, "Downloading", 0},
    {EValueKind::Text, "Downloading %s", 20, "Downloading pay.zip", 1},
    {EValueKind::Text, "Downloading %s", 19, "Downloading pay.zi", 0},
    {EValueKind::Text, "%s%s", 4, "pay", 0},
    {EValueKind::Text, "%n", 1, "", 0},
    {EValueKind::Integer, "%1000000d", 3, "-4", 0},
    {EValueKind::Integer, "%99d", 10, "         ", 0},
    {EValueKind::Floating, "%*f", 3, "3.", 0},
};

int32_t FormatByKind(const SFormatRow& row, char* buffer) {
  switch (row.m_Kind) {
    case EValueKind::Text:
      return xCheckedFormatText(buffer, row.m_Size, row.m_Format, "pay.zip");
    case EValueKind::Integer:
      return xCheckedFormatInteger(buffer, row.m_Size, row.m_Format, -42);
    case EValueKind::Floating:
      return xCheckedFormatFloating(buffer, row.m_Size, row.m_Format, 3.14159);
  }
  return -1;
}

TEST(CheckedFormat, TableOfFormats) {
  for (const SFormatRow& row : kRows) {
    SCOPED_TRACE(std::string("format \"") + (row.m_Format ? row.m_Format : "(null)") + "\" size " +
                 std::to_string(row.m_Size));
    // A guard after the stated size shows that nothing is written past it.
    std::string buffer(row.m_Size + 8, '#');
    EXPECT_EQ(FormatByKind(row, buffer.data()), row.m_Whole);
    EXPECT_STREQ(buffer.c_str(), row.m_Expected);
    EXPECT_EQ(buffer.substr(row.m_Size), std::string(8, '#'));
  }
}

TEST(CheckedFormat, TheCheckAloneNamesOneConversionOfTheKind) {
  EXPECT_EQ(xIsOneValueFormat("Download of %s failed", EValueKind::Text), 1);
  EXPECT_EQ(xIsOneValueFormat("Download of %s failed", EValueKind::Integer), 0);
  EXPECT_EQ(xIsOneValueFormat("%d", EValueKind::Integer), 1);
  EXPECT_EQ(xIsOneValueFormat("%%", EValueKind::Integer), 0);
  EXPECT_EQ(xIsOneValueFormat("%5.2f", EValueKind::Floating), 1);
  EXPECT_EQ(xIsOneValueFormat(nullptr, EValueKind::Floating), 0);
}

TEST(CheckedFormat, NullTextIsEmptyAndNoBufferWritesNothing) {
  char buffer[16];
  EXPECT_EQ(xCheckedFormatText(buffer, "<%s>", nullptr), 1);
  EXPECT_STREQ(buffer, "<>");
  EXPECT_EQ(xCheckedFormatText(nullptr, 16, "%s", "x"), 0);
  buffer[0] = 'k';
  EXPECT_EQ(xCheckedFormatInteger(buffer, 0, "%d", 1), 0);
  EXPECT_EQ(buffer[0], 'k');
}

}  // namespace
