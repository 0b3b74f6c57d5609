// Calendar values: the plain record and the date/time classes with their orderings.
#pragma once

#include <cstddef>
#include <cstdint>

struct TDate {
  int16_t second;
  int16_t minute;
  int16_t hour;
  int16_t day;        // 1-31
  int16_t month;      // 1-12
  int16_t year;       // full year
  int16_t weekday;    // 0 Sunday .. 6 Saturday
  int16_t dayOfYear;  // 0 = 1 January
};

// Local time of the system clock; a null record does nothing.
void GetCurrentDate(TDate* date);
// 1 when month and day form a real calendar date (year used only for leap years).
int32_t VerifyDate(const TDate* date);

class BDateTime {
 public:
  BDateTime();
  virtual ~BDateTime() = default;
  virtual bool operator<(const BDateTime& other) const;

  TDate m_Date;
};

class BDate : public BDateTime {
 public:
  BDate();                          // now, local time
  explicit BDate(const char* text);  // YYYYMMDD
  using BDateTime::operator<;
  virtual int32_t bIsValid() const;
  // 0 and no change when text is null or shorter than 8 characters.
  virtual int32_t SetDate(const char* text);
  virtual bool operator<(const BDate& other) const;
  // "%4d%02d%02d"; out must hold BDATE_TEXT_SIZE bytes.
  void GetDate(char* out) const;
};

// Room for the text of any 16-bit year, month and day.
inline constexpr size_t BDATE_TEXT_SIZE = 20;

class BTime : public BDateTime {
 public:
  bool operator<(const BDateTime& other) const override;
};
