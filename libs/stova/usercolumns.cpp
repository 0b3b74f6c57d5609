#include "stova/usercolumns.h"

#include "stova/connimpl.h"
#include "stova/fieldtext.h"

namespace {
// Every text field of the record, in column order.
template <typename Record, typename Visit>
void ForEachText(Record& u, Visit visit) {
  visit(u.m_UserName);
  visit(u.m_Password);
  visit(u.m_FirstName);
  visit(u.m_MiddleName);
  visit(u.m_LastName);
  visit(u.m_Address1);
  visit(u.m_Address2);
  visit(u.m_Address3);
  visit(u.m_Address4);
  visit(u.m_PostalCode);
  visit(u.m_City);
  visit(u.m_State);
  visit(u.m_Country);
  visit(u.m_Contact1);
  visit(u.m_Contact2);
  visit(u.m_Nickname);
  visit(u.m_BirthDate);
  visit(u.m_FreeText);
}

template <typename Record, typename Visit>
void ForEachLong(Record& u, Visit visit) {
  visit(u.m_Gender);
  visit(u.m_AgeShown);
  visit(u.m_IconIndex);
  visit(u.m_YesNo);
  visit(u.m_IconValue);
  visit(u.m_IconFlags);
}
}  // namespace

void c2stovaUser::Clear() {
  m_MemberNumber = 0;
  ForEachText(*this, [](auto& field) { std::memset(field, 0, sizeof field); });
  ForEachLong(*this, [](int32_t& v) { v = 0; });
  m_ReservedTableId = 0;
  m_Cash = TStovaMoney();
}

void c2stovaTable::Clear() {
  int32_t* longs = Longs();
  for (int i = 0; i < STOVA_TABLE_LONGS; ++i) longs[i] = 0;
}

void StovaBindUserFields(CStovaQuery& query, const c2stovaUser& user) {
  ForEachText(user, [&](const auto& field) { query.Bind(StovaFieldText(field)); });
  ForEachLong(user, [&](int32_t v) { query.Bind(v); });
}

bool StovaReadUserFields(const CStovaQuery& query, int first, c2stovaUser& user) {
  int column = first;
  ForEachText(user, [&](auto& field) { StovaCopyField(field, query.Text(column++)); });
  ForEachLong(user, [&](int32_t& v) { v = static_cast<int32_t>(query.Int(column++)); });
  user.m_ReservedTableId = static_cast<uint32_t>(query.Int(column++));
  return StovaReadMoney(query, column, user.m_Cash);
}
