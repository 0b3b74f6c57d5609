#include "ostrel/base/dates.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
// -1, 0 or 1 from the first field that differs, compared as signed 16-bit values.
int CompareFields(const int16_t* const* a, const int16_t* const* b, int count) {
  for (int i = 0; i < count; ++i) {
    if (*a[i] != *b[i]) return *a[i] < *b[i] ? -1 : 1;
  }
  return 0;
}

int16_t FieldOf(const char* text, int width) {
  char field[5] = {};
  std::memcpy(field, text, static_cast<size_t>(width));
  return static_cast<int16_t>(std::atoi(field));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
}  // namespace

void GetCurrentDate(TDate* date) {
  if (!date) return;
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  date->second = static_cast<int16_t>(local.tm_sec);
  date->minute = static_cast<int16_t>(local.tm_min);
  date->hour = static_cast<int16_t>(local.tm_hour);
  date->day = static_cast<int16_t>(local.tm_mday);
  date->month = static_cast<int16_t>(local.tm_mon + 1);
  date->year = static_cast<int16_t>(local.tm_year + 1900);
  date->weekday = static_cast<int16_t>(local.tm_wday);
  date->dayOfYear = static_cast<int16_t>(local.tm_yday);
}

int32_t VerifyDate(const TDate* date) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (!date || date->month < 1 || date->month > 12) return 0;
  int days = kDays[date->month - 1];
  if (date->month == 2 && IsLeapYear(date->year)) days = 29;
  return (date->day >= 1 && date->day <= days) ? 1 : 0;
}

BDateTime::BDateTime() : m_Date{} {}

bool BDateTime::operator<(const BDateTime& other) const {
  const int16_t* a[] = {&m_Date.year, &m_Date.month, &m_Date.day, &m_Date.hour, &m_Date.minute, &m_Date.second};
  const TDate& o = other.m_Date;
  const int16_t* b[] = {&o.year, &o.month, &o.day, &o.hour, &o.minute, &o.second};
  return CompareFields(a, b, 6) < 0;
}

BDate::BDate() { GetCurrentDate(&m_Date); }

BDate::BDate(const char* text) { SetDate(text); }

int32_t BDate::bIsValid() const { return (m_Date.year && m_Date.month && m_Date.day) ? 1 : 0; }

int32_t BDate::SetDate(const char* text) {
  if (!text || strnlen(text, 8) < 8) return 0;
  m_Date.year = FieldOf(text, 4);
  m_Date.month = FieldOf(text + 4, 2);
  m_Date.day = FieldOf(text + 6, 2);
  return 1;
}

bool BDate::operator<(const BDate& other) const {
  const int16_t* a[] = {&m_Date.year, &m_Date.month, &m_Date.day};
  const TDate& o = other.m_Date;
  const int16_t* b[] = {&o.year, &o.month, &o.day};
  return CompareFields(a, b, 3) < 0;
}

void BDate::GetDate(char* out) const {
  std::snprintf(out, BDATE_TEXT_SIZE, "%4d%02d%02d", m_Date.year, m_Date.month, m_Date.day);
}

bool BTime::operator<(const BDateTime& other) const {
  const int16_t* a[] = {&m_Date.hour, &m_Date.minute, &m_Date.second};
  const TDate& o = other.m_Date;
  const int16_t* b[] = {&o.hour, &o.minute, &o.second};
  return CompareFields(a, b, 3) < 0;
}
