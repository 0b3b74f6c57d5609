// The identity document a member shows: its type, number, place of issue and expiry, and the
// server's date against which the expiry is judged.
#pragma once

#include <cstddef>
#include <cstdint>

// Document types: entry n + 1 of the dialog's type list is type n.
inline constexpr int32_t IDVER_TYPE_NONE = -1;
inline constexpr int32_t IDVER_TYPE_PASSPORT = 0;
inline constexpr int32_t IDVER_TYPE_IDENTITY_CARD = 1;
inline constexpr int32_t IDVER_TYPE_DRIVING_LICENCE = 2;
inline constexpr int32_t IDVER_TYPE_COUNT = 3;

inline constexpr size_t IDVER_NUMBER_SIZE = 41;
inline constexpr size_t IDVER_PLACE_SIZE = 51;
// Dates are "YYYYMMDD" as the date class writes them; room for any text it writes.
inline constexpr size_t IDVER_DATE_SIZE = 20;

class BTable_cust_id_verification {
 public:
  BTable_cust_id_verification();
  virtual ~BTable_cust_id_verification() = default;

  int32_t nGetTypeOfVerification() const { return m_Type; }
  const char* sGetNumber() const { return m_Number; }
  const char* sGetPlaceOfIssue() const { return m_PlaceOfIssue; }
  const char* sGetExpireDate() const { return m_ExpireDate; }
  const char* sGetServerDate() const { return m_ServerDate; }

  // Texts are cut to their fields; a null text empties the field.
  void SetTypeOfVerification(int32_t type) { m_Type = type; }
  void SetNumber(const char* number);
  void SetPlaceOfIssue(const char* place);
  void SetExpireDate(const char* date);
  void SetServerDate(const char* date);

  // A known type, a number and a place of issue that are not blank, and an expiry that is a real
  // calendar date and, when the server date is a real date, not before it.
  virtual bool bIsValid() const;

 private:
  int32_t m_Type;
  char m_Number[IDVER_NUMBER_SIZE];
  char m_PlaceOfIssue[IDVER_PLACE_SIZE];
  char m_ExpireDate[IDVER_DATE_SIZE];
  char m_ServerDate[IDVER_DATE_SIZE];
};
