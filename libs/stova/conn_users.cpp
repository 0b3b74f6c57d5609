// Members: finding them by name or nickname, logging in, reading, writing and creating them.
#include "stova/connimpl.h"
#include "stova/fieldtext.h"
#include "stova/stovaconn.h"
#include "stova/usercolumns.h"

namespace {
// Looks a text up with a statement that yields one id; SQLITE_ROW, SQLITE_DONE or the failure.
int FindId(CStovaDatabase& db, EStovaStatement statement, std::string_view text, uint32_t& id) {
  CStovaQuery q(db.Statement(statement));
  q.Bind(text);
  const int rc = q.Step();
  if (rc == SQLITE_ROW) id = static_cast<uint32_t>(q.Int(0));
  return rc;
}
}  // namespace

int32_t CStovaConn::ValidId(uint32_t id, const char* what, const char* kind) {
  if (StovaValidId(id)) return 1;
  return Fail(STOVA_ERR_ARGUMENT, "%s: %ld is not a %s id", what, static_cast<long>(static_cast<int32_t>(id)), kind);
}

int32_t CStovaConn::UserExists(uint32_t id, bool& exists) {
  CStovaQuery q(m_pDb->Statement(STMT_USER_EXISTS));
  q.Bind(id);
  const int rc = q.Step();
  exists = rc == SQLITE_ROW;
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

int32_t CStovaConn::ReadUserRow(uint32_t id, c2stovaUser& user, bool& found) {
  CStovaQuery q(m_pDb->Statement(STMT_USER_READ));
  q.Bind(id);
  const int rc = q.Step();
  found = rc == SQLITE_ROW;
  if (rc == SQLITE_DONE) return 1;
  if (rc != SQLITE_ROW) return FailEngine("GetUserInfo");
  user.Clear();
  user.m_MemberNumber = id;
  if (!StovaReadUserFields(q, 0, user))
    return Fail(STOVA_ERR_DAMAGED_VALUE, "GetUserInfo: member %u has a cash text that is not money", id);
  return 1;
}

int32_t CStovaConn::NameFree(const char* what, uint32_t exceptId, bool nickname, std::string_view text) {
  CStovaQuery q(m_pDb->Statement(nickname ? STMT_NICK_TAKEN : STMT_NAME_TAKEN));
  q.Bind(text).Bind(exceptId);
  const int rc = q.Step();
  if (rc == SQLITE_DONE) return 1;
  if (rc != SQLITE_ROW) return FailEngine(what);
  return Fail(STOVA_ERR_DUPLICATE, "%s: the %s \"%.*s\" is taken", what, nickname ? "nickname" : "user name",
              static_cast<int>(text.size()), text.data());
}

int32_t CStovaConn::FindMember(const char* what, EStovaStatement statement, const char* text, size_t width,
                               uint32_t& id, int32_t& found) {
  id = 0;
  found = 0;
  if (!text) return Fail(STOVA_ERR_ARGUMENT, "%s: no name", what);
  if (!IsOpen()) return 0;
  const int rc = FindId(*m_pDb, statement, StovaCutText(text, width), id);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return FailEngine(what);
  found = rc == SQLITE_ROW;
  return 1;
}

int32_t CStovaConn::GetUserId(const char* userName, uint32_t& id, int32_t& found) {
  return FindMember("GetUserId", STMT_USER_ID_BY_NAME, userName, STOVA_USERNAME_SIZE, id, found);
}

int32_t CStovaConn::GetUserIdNick(const char* nickname, uint32_t& id, int32_t& found) {
  return FindMember("GetUserIdNick", STMT_USER_ID_BY_NICK, nickname, STOVA_NICKNAME_SIZE, id, found);
}

int32_t CStovaConn::UserLogin(const char* userName, const char* password, const char*, const char*, const char*,
                              const char*, int32_t, uint32_t& id, uint32_t&, const char*, const char*, const char*,
                              const char*, const char*, int32_t& result) {
  result = 0;
  if (!userName || !password) return Fail(STOVA_ERR_ARGUMENT, "UserLogin: no user name or password");
  if (!IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_USER_LOGIN));
  q.Bind(StovaCutText(userName, STOVA_USERNAME_SIZE));
  const int rc = q.Step();
  if (rc == SQLITE_DONE) return 1;
  if (rc != SQLITE_ROW) return FailEngine("UserLogin");
  if (q.Text(1) != StovaCutText(password, STOVA_PASSWORD_SIZE)) return 1;
  id = static_cast<uint32_t>(q.Int(0));
  result = 1;
  return 1;
}

int32_t CStovaConn::GetUserInfo(uint32_t id, c2stovaUser*& user, int32_t& found, const char*) {
  found = 0;
  if (!ValidId(id, "GetUserInfo", "member") || !IsOpen()) return 0;
  c2stovaUser read;
  bool exists = false;
  if (!ReadUserRow(id, read, exists)) return 0;
  if (!exists) return 1;
  if (user)
    *user = read;
  else
    user = new c2stovaUser(read);
  found = 1;
  return 1;
}

int32_t CStovaConn::UpdateUserInfo(uint32_t id, const c2stovaUser* user, const char*, const char*, const char*,
                                   int32_t& ok) {
  ok = 0;
  if (!user) return Fail(STOVA_ERR_ARGUMENT, "UpdateUserInfo: no record");
  if (!ValidId(id, "UpdateUserInfo", "member") || !IsOpen()) return 0;
  if (StovaFieldText(user->m_UserName).empty()) return Fail(STOVA_ERR_ARGUMENT, "UpdateUserInfo: empty user name");
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("UpdateUserInfo");
  bool exists = false;
  if (!UserExists(id, exists)) return FailEngine("UpdateUserInfo");
  if (!exists) return Fail(STOVA_ERR_NOT_FOUND, "UpdateUserInfo: no member %u", id);
  if (!NameFree("UpdateUserInfo", id, false, StovaFieldText(user->m_UserName)) ||
      !NameFree("UpdateUserInfo", id, true, StovaFieldText(user->m_Nickname)))
    return 0;
  CStovaQuery q(m_pDb->Statement(STMT_USER_UPDATE));
  q.Bind(id);
  StovaBindUserFields(q, *user);
  if (q.Step() != SQLITE_DONE || !txn.Commit()) return FailEngine("UpdateUserInfo");
  ok = 1;
  return 1;
}

int32_t CStovaConn::CreateUser(const c2stovaUser* user, uint32_t& id, const char*, const char*, const char*,
                               const char*, const char*, const char* languageCode, const char*, int32_t& ok) {
  ok = 0;
  if (!user) return Fail(STOVA_ERR_ARGUMENT, "CreateUser: no record");
  if (id != 0 && !ValidId(id, "CreateUser", "member")) return 0;
  if (!IsOpen()) return 0;
  if (StovaFieldText(user->m_UserName).empty()) return Fail(STOVA_ERR_ARGUMENT, "CreateUser: empty user name");
  if (user->m_Cash.GetError()) return Fail(STOVA_ERR_OVERFLOW, "CreateUser: the opening balance carries the error flag");
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("CreateUser");
  uint32_t newId = id;
  if (newId == 0) {
    CStovaQuery next(m_pDb->Statement(STMT_USER_NEXT_ID));
    if (next.Step() != SQLITE_ROW) return FailEngine("CreateUser");
    const int64_t n = next.Int(0);
    if (n > 0x7FFFFFFF) return Fail(STOVA_ERR_ARGUMENT, "CreateUser: no member number left");
    newId = static_cast<uint32_t>(n);
  } else {
    bool exists = false;
    if (!UserExists(newId, exists)) return FailEngine("CreateUser");
    if (exists) return Fail(STOVA_ERR_DUPLICATE, "CreateUser: member number %u is taken", newId);
  }
  if (!NameFree("CreateUser", 0, false, StovaFieldText(user->m_UserName)) ||
      !NameFree("CreateUser", 0, true, StovaFieldText(user->m_Nickname)))
    return 0;
  const SStovaMoneyText cash(user->m_Cash);
  const int64_t now = StovaNow();
  {
    CStovaQuery q(m_pDb->Statement(STMT_USER_INSERT));
    q.Bind(newId);
    StovaBindUserFields(q, *user);
    q.Bind(cash.View()).Bind(StovaCutText(languageCode, 16)).Bind(now);
    if (q.Step() != SQLITE_DONE) return FailEngine("CreateUser");
  }
  if (!user->m_Cash.IsZero()) {
    CStovaQuery b(m_pDb->Statement(STMT_BOOKING_INSERT));
    b.Bind(newId).Bind(cash.View()).Bind(STOVA_BOOKING_OPENING).Bind(0).Bind(now).Bind(cash.View());
    if (b.Step() != SQLITE_DONE) return FailEngine("CreateUser");
  }
  if (!txn.Commit()) return FailEngine("CreateUser");
  id = newId;
  ok = 1;
  return 1;
}
