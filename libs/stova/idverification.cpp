#include "stova/idverification.h"

#include "ostrel/base/dates.h"
#include "stova/fieldtext.h"

namespace {
bool IsBlank(const char* text) {
  for (; *text; ++text)
    if (*text != ' ' && *text != '\t') return false;
  return true;
}

// A "YYYYMMDD" text of eight digits naming a real day.
bool ReadDate(const char* text, BDate& date) {
  for (int i = 0; i < 8; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  if (text[8] != '\0' || !date.SetDate(text)) return false;
  return date.m_Date.year > 0 && VerifyDate(&date.m_Date);
}
}  // namespace

BTable_cust_id_verification::BTable_cust_id_verification()
    : m_Type(IDVER_TYPE_NONE), m_Number{}, m_PlaceOfIssue{}, m_ExpireDate{}, m_ServerDate{} {}

void BTable_cust_id_verification::SetNumber(const char* number) { StovaCopyField(m_Number, number); }
void BTable_cust_id_verification::SetPlaceOfIssue(const char* place) { StovaCopyField(m_PlaceOfIssue, place); }
void BTable_cust_id_verification::SetExpireDate(const char* date) { StovaCopyField(m_ExpireDate, date); }
void BTable_cust_id_verification::SetServerDate(const char* date) { StovaCopyField(m_ServerDate, date); }

bool BTable_cust_id_verification::bIsValid() const {
  if (m_Type < 0 || m_Type >= IDVER_TYPE_COUNT) return false;
  if (IsBlank(m_Number) || IsBlank(m_PlaceOfIssue)) return false;
  BDate expiry("00000000");
  if (!ReadDate(m_ExpireDate, expiry)) return false;
  BDate server("00000000");
  if (!ReadDate(m_ServerDate, server)) return true;
  return !(expiry < server);
}
