// Members: created, found in any case, logged in, read, updated and cut to their fields.
#include <cstring>

#include "stovafixture.h"

namespace {
using StovaUsers = StovaTest;

TEST_F(StovaUsers, NewIdsCountFromOneAndAGivenIdIsKept) {
  EXPECT_EQ(Create("vorrin"), 1u) << "the first player of a new database is 1";
  EXPECT_EQ(Create("second"), 2u);
  c2stovaUser u = MakeUser("customer");
  uint32_t id = 123456;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateUser(&u, id, "", "", "", "", "", "EN", "", ok), 1);
  EXPECT_EQ(id, 123456u);
  EXPECT_EQ(Create("after"), 123457u);

  c2stovaUser again = MakeUser("other");
  id = 2;
  EXPECT_EQ(m_Db.CreateUser(&again, id, "", "", "", "", "", "", "", ok), 0);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(id, 2u);
  const auto errors = DrainErrors(m_Db);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].m_Code, STOVA_ERR_DUPLICATE);
}

TEST_F(StovaUsers, NamesAndNicknamesAreUniqueWithoutRegardToAsciiCase) {
  const uint32_t vorrin = Create("Vorrin", "Lucky");
  struct {
    const char* name;
    const char* nick;
    bool created;
  } cases[] = {{"VORRIN", "", false}, {"vorrin", "x", false}, {"Other", "LUCKY", false},
               {"Other", "lucky2", true}, {"third", "", true}, {"fourth", "", true}};
  for (const auto& c : cases) {
    c2stovaUser u = MakeUser(c.name, c.nick);
    uint32_t id = 0;
    int32_t ok = 0;
    EXPECT_EQ(m_Db.CreateUser(&u, id, "", "", "", "", "", "", "", ok), c.created ? 1 : 0) << c.name << "/" << c.nick;
    EXPECT_EQ(ok, c.created ? 1 : 0);
    const auto errors = DrainErrors(m_Db);
    EXPECT_EQ(errors.size(), c.created ? 0u : 1u) << c.name;
    if (!c.created && !errors.empty()) {
      EXPECT_EQ(errors[0].m_Code, STOVA_ERR_DUPLICATE);
    }
  }
  for (const char* spelling : {"vorrin", "VORRIN", "vOrRiN"}) {
    uint32_t id = 0;
    int32_t found = 0;
    EXPECT_EQ(m_Db.GetUserId(spelling, id, found), 1);
    EXPECT_EQ(found, 1) << spelling;
    EXPECT_EQ(id, vorrin);
  }
  uint32_t id = 0;
  int32_t found = 0;
  EXPECT_EQ(m_Db.GetUserIdNick("lUCKY", id, found), 1);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(id, vorrin);
  EXPECT_EQ(m_Db.GetUserIdNick("", id, found), 1);
  EXPECT_EQ(found, 0) << "an empty nickname names nobody";
  EXPECT_EQ(id, 0u);
}

TEST_F(StovaUsers, LoginNeedsTheNameInAnyCaseAndTheExactPassword) {
  const uint32_t id = Create("vorrin");
  struct {
    const char* name;
    const char* password;
    int32_t result;
  } cases[] = {{"vorrin", "pw-vorrin", 1}, {"VORRIN", "pw-vorrin", 1}, {"vorrin", "PW-VORRIN", 0},
               {"vorrin", "", 0},          {"nobody", "pw-vorrin", 0}, {"vorrin", "pw-vorrin ", 0}};
  for (const auto& c : cases) {
    uint32_t got = 0xFFFFFFFF, customer = 42;
    int32_t result = -1;
    EXPECT_EQ(m_Db.UserLogin(c.name, c.password, "", "", "", "", 0, got, customer, "", "", "", "EUR", "EN", result), 1);
    EXPECT_EQ(result, c.result) << c.name << "/" << c.password;
    EXPECT_EQ(got, c.result ? id : 0xFFFFFFFF);
    EXPECT_EQ(customer, 42u);
  }
  ExpectNoErrors();
  uint32_t got = 0, customer = 0;
  int32_t result = 1;
  EXPECT_EQ(m_Db.UserLogin(nullptr, "x", "", "", "", "", 0, got, customer, "", "", "", "", "", result), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(DrainErrors(m_Db).size(), 1u);
}

TEST_F(StovaUsers, GetUserInfoFillsTheGivenRecordOrAllocatesOne) {
  c2stovaUser in = MakeUser("vorrin", "Lucky");
  std::strcpy(in.m_FirstName, "Ann");
  std::strcpy(in.m_Country, "SE");
  std::strcpy(in.m_Contact2, "ann@example.org");
  std::strcpy(in.m_BirthDate, "19800101");
  std::strcpy(in.m_FreeText, "O'Neil; \"quoted\"");
  in.m_Gender = 1;
  in.m_AgeShown = 44;
  in.m_IconIndex = 7;
  in.m_YesNo = 1;
  in.m_IconValue = 3;
  in.m_IconFlags = 4;
  in.m_Cash = Money("12.5");
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateUser(&in, id, "", "", "", "", "", "EN", "", ok), 1);

  c2stovaUser given;
  c2stovaUser* into = &given;
  int32_t found = 0;
  ASSERT_EQ(m_Db.GetUserInfo(id, into, found), 1);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(into, &given);
  c2stovaUser* allocated = nullptr;
  ASSERT_EQ(m_Db.GetUserInfo(id, allocated, found, nullptr), 1);
  ASSERT_NE(allocated, nullptr);
  for (const c2stovaUser* u : {static_cast<const c2stovaUser*>(&given), static_cast<const c2stovaUser*>(allocated)}) {
    EXPECT_EQ(u->m_MemberNumber, id);
    EXPECT_STREQ(u->m_UserName, "vorrin");
    EXPECT_STREQ(u->m_Password, "pw-vorrin");
    EXPECT_STREQ(u->m_FirstName, "Ann");
    EXPECT_STREQ(u->m_Country, "SE");
    EXPECT_STREQ(u->m_Contact2, "ann@example.org");
    EXPECT_STREQ(u->m_Nickname, "Lucky");
    EXPECT_STREQ(u->m_BirthDate, "19800101");
    EXPECT_STREQ(u->m_FreeText, "O'Neil; \"quoted\"");
    EXPECT_EQ(u->m_Gender, 1);
    EXPECT_EQ(u->m_AgeShown, 44);
    EXPECT_EQ(u->m_IconIndex, 7);
    EXPECT_EQ(u->m_YesNo, 1);
    EXPECT_EQ(u->m_IconValue, 3);
    EXPECT_EQ(u->m_IconFlags, 4);
    EXPECT_EQ(MoneyText(u->m_Cash), "12.5000000000") << "the opening balance";
  }
  delete allocated;

  c2stovaUser* none = nullptr;
  EXPECT_EQ(m_Db.GetUserInfo(999, none, found), 1);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(none, nullptr) << "nothing is allocated for a missing member";
  ExpectNoErrors();
  EXPECT_EQ(m_Db.GetUserInfo(0x80000000u, none, found), 0) << "a negative id";
  EXPECT_EQ(m_Db.GetUserInfo(0, none, found), 0);
  EXPECT_EQ(DrainErrors(m_Db).size(), 2u);
}

TEST_F(StovaUsers, TextsAreCutToTheirFields) {
  c2stovaUser u;
  // Fields filled to their last byte with no terminating zero: the database reads up to the
  // width it keeps and never past the field.
  std::memset(u.m_UserName, 'n', sizeof u.m_UserName);
  std::memset(u.m_Password, 'p', sizeof u.m_Password);
  std::memset(u.m_Address4, 'a', sizeof u.m_Address4);
  std::memset(u.m_State, 's', sizeof u.m_State);
  std::memset(u.m_FreeText, 'f', sizeof u.m_FreeText);
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateUser(&u, id, "", "", "", "", "", "", "", ok), 1);
  c2stovaUser read;
  c2stovaUser* p = &read;
  int32_t found = 0;
  ASSERT_EQ(m_Db.GetUserInfo(id, p, found), 1);
  EXPECT_EQ(std::string(read.m_UserName), std::string(20, 'n'));
  EXPECT_EQ(std::string(read.m_Password), std::string(32, 'p'));
  EXPECT_EQ(std::string(read.m_Address4), std::string(31, 'a'));
  EXPECT_EQ(std::string(read.m_State), std::string(2, 's'));
  EXPECT_EQ(std::string(read.m_FreeText), std::string(255, 'f'));

  // A longer name given to the lookups is cut the same way, so it finds the stored member.
  uint32_t got = 0;
  EXPECT_EQ(m_Db.GetUserId(std::string(40, 'N').c_str(), got, found), 1);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(got, id);
  uint32_t customer = 0;
  int32_t result = 0;
  EXPECT_EQ(m_Db.UserLogin(std::string(25, 'n').c_str(), std::string(40, 'p').c_str(), "", "", "", "", 0, got, customer, "",
                           "", "", "", "", result),
            1);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(RunProgram("sqlite3", {DbPath(), "SELECT length(name), length(password), length(free_text) FROM users;"}),
            "20|32|255");
}

TEST_F(StovaUsers, UpdateWritesTheDetailsButNeverTheCashOrMemberNumber) {
  const uint32_t id = Create("vorrin", "Lucky");
  const uint32_t other = Create("other", "Dice");
  int32_t ok = 0;
  ASSERT_EQ(m_Db.SetUserCash(id, Money("50"), ok), 1);

  c2stovaUser u = MakeUser("Renamed", "NewNick");
  u.m_MemberNumber = other;
  u.m_Cash = Money("999999");
  std::strcpy(u.m_City, "Malmo");
  ASSERT_EQ(m_Db.UpdateUserInfo(id, &u, "", "", "", ok), 1);
  EXPECT_EQ(ok, 1);
  c2stovaUser read;
  c2stovaUser* p = &read;
  int32_t found = 0;
  ASSERT_EQ(m_Db.GetUserInfo(id, p, found), 1);
  EXPECT_STREQ(read.m_UserName, "Renamed");
  EXPECT_STREQ(read.m_Nickname, "NewNick");
  EXPECT_STREQ(read.m_City, "Malmo");
  EXPECT_EQ(read.m_MemberNumber, id);
  EXPECT_EQ(MoneyText(read.m_Cash), "50.0000000000");

  struct {
    const char* name;
    const char* nick;
    uint32_t id;
    int32_t code;
  } refused[] = {{"OTHER", "", id, STOVA_ERR_DUPLICATE}, {"fine", "dice", id, STOVA_ERR_DUPLICATE},
                 {"", "", id, STOVA_ERR_ARGUMENT},      {"ghost", "", 4242, STOVA_ERR_NOT_FOUND}};
  for (const auto& r : refused) {
    c2stovaUser bad = MakeUser(r.name, r.nick);
    ok = 1;
    EXPECT_EQ(m_Db.UpdateUserInfo(r.id, &bad, "", "", "", ok), 0) << r.name;
    EXPECT_EQ(ok, 0);
    const auto errors = DrainErrors(m_Db);
    ASSERT_EQ(errors.size(), 1u) << r.name;
    EXPECT_EQ(errors[0].m_Code, r.code) << errors[0].GetText();
  }
  EXPECT_EQ(m_Db.UpdateUserInfo(id, nullptr, "", "", "", ok), 0);
  EXPECT_EQ(DrainErrors(m_Db).size(), 1u);
  // Keeping one's own name in another case is no clash.
  c2stovaUser same = MakeUser("RENAMED", "newnick");
  EXPECT_EQ(m_Db.UpdateUserInfo(id, &same, "", "", "", ok), 1);
}

TEST_F(StovaUsers, QuotesAndStatementTextInNamesAreStoredAsTheyAre) {
  const char* names[] = {"O'Neil", "x'); DROP TABLE users; --", "a\"b%_*"};
  for (const char* name : names) {
    const uint32_t id = Create(name);
    uint32_t got = 0;
    int32_t found = 0;
    EXPECT_EQ(m_Db.GetUserId(name, got, found), 1);
    EXPECT_EQ(found, 1) << name;
    EXPECT_EQ(got, id);
  }
  uint32_t got = 0;
  int32_t found = 0;
  EXPECT_EQ(m_Db.GetUserId("a\"b%%", got, found), 1);
  EXPECT_EQ(found, 0) << "wildcards match nothing";
  EXPECT_EQ(RunProgram("sqlite3", {DbPath(), "SELECT COUNT(*) FROM users;"}), "3");
}
}  // namespace
