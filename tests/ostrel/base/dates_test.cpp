#include <gtest/gtest.h>

#include <ctime>

#include "ostrel/base/dates.h"

namespace {
TDate Date(int year, int month, int day) {
  TDate d{};
  d.year = static_cast<int16_t>(year);
  d.month = static_cast<int16_t>(month);
  d.day = static_cast<int16_t>(day);
  return d;
}
}  // namespace

TEST(Dates, VerifyAcrossLeapYears) {
  struct Case {
    int year, month, day;
    int32_t valid;
  } cases[] = {
      {2000, 2, 29, 1}, {2004, 2, 29, 1}, {1900, 2, 29, 0}, {2003, 2, 29, 0}, {2100, 2, 29, 0},
      {2400, 2, 29, 1}, {2003, 2, 28, 1}, {2003, 0, 1, 0},  {2003, 13, 1, 0}, {2003, 4, 31, 0},
      {2003, 4, 30, 1}, {2003, 12, 31, 1}, {2003, 1, 0, 0}, {2003, 1, 32, 0}, {-4, 2, 29, 1},
  };
  for (const auto& c : cases) {
    const TDate d = Date(c.year, c.month, c.day);
    EXPECT_EQ(VerifyDate(&d), c.valid) << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(VerifyDate(nullptr), 0);
}

TEST(Dates, CurrentDateMatchesLocalTime) {
  TDate d{};
  const time_t before = time(nullptr);
  GetCurrentDate(&d);
  tm local{};
  localtime_r(&before, &local);
  EXPECT_EQ(d.year, local.tm_year + 1900);
  EXPECT_EQ(d.month, local.tm_mon + 1);
  EXPECT_EQ(VerifyDate(&d), 1);
  EXPECT_GE(d.weekday, 0);
  EXPECT_LE(d.weekday, 6);
  GetCurrentDate(nullptr);
}

TEST(Dates, TextFormRoundTrips) {
  BDate d("20031224");
  EXPECT_EQ(d.m_Date.year, 2003);
  EXPECT_EQ(d.m_Date.month, 12);
  EXPECT_EQ(d.m_Date.day, 24);
  EXPECT_EQ(d.bIsValid(), 1);
  EXPECT_EQ(d.SetDate("2003122"), 0);
  EXPECT_EQ(d.SetDate(nullptr), 0);
  EXPECT_EQ(d.m_Date.day, 24);

  d.m_Date = Date(2003, 7, 4);
  char text[BDATE_TEXT_SIZE];
  d.GetDate(text);
  EXPECT_STREQ(text, "20030704");
  BDate back(text);
  EXPECT_FALSE(back < d);
  EXPECT_FALSE(d < back);

  d.m_Date = Date(99, 1, 2);
  d.GetDate(text);
  EXPECT_STREQ(text, "  990102");
  d.m_Date = Date(-32768, -32768, -32768);
  d.GetDate(text);  // the widest 16-bit values still fit
  EXPECT_STREQ(text, "-32768-32768-32768");

  EXPECT_EQ(BDate("00001224").bIsValid(), 0);
  EXPECT_EQ(BDate("2003x224").m_Date.month, 0);  // fields are read as atoi reads them
}

TEST(Dates, Orderings) {
  BDateTime a, b;
  a.m_Date = Date(2003, 5, 5);
  b.m_Date = a.m_Date;
  EXPECT_FALSE(a < b);
  EXPECT_FALSE(b < a);
  b.m_Date.second = 1;
  EXPECT_TRUE(a < b);
  EXPECT_FALSE(b < a);
  b.m_Date.second = -1;  // signed comparison
  EXPECT_TRUE(b < a);

  BDate d1("20030505"), d2("20030505");
  d1.m_Date.hour = 1;
  d2.m_Date.hour = 23;
  EXPECT_FALSE(d1 < d2);
  EXPECT_FALSE(d2 < d1);
  d2.m_Date.year = 2004;
  EXPECT_TRUE(d1 < d2);

  BTime t1, t2;
  t1.m_Date = Date(2005, 1, 1);
  t2.m_Date = Date(2001, 1, 1);
  t1.m_Date.hour = 3;
  t2.m_Date.hour = 4;
  EXPECT_TRUE(t1 < t2);  // the date is not looked at
}
