// The identity document record: which records are valid.
#include <gtest/gtest.h>

#include <string>

#include "stova/idverification.h"

namespace {
struct SIdCase {
  const char* name;
  int32_t type;
  const char* number;
  const char* place;
  const char* expiry;
  const char* server;
  bool valid;
};

class StovaIdVerification : public ::testing::TestWithParam<SIdCase> {};

TEST_P(StovaIdVerification, ValidityFollowsTypeTextsAndDates) {
  const SIdCase& c = GetParam();
  BTable_cust_id_verification r;
  r.SetTypeOfVerification(c.type);
  r.SetNumber(c.number);
  r.SetPlaceOfIssue(c.place);
  r.SetExpireDate(c.expiry);
  r.SetServerDate(c.server);
  EXPECT_EQ(r.bIsValid(), c.valid);
  EXPECT_EQ(r.nGetTypeOfVerification(), c.type);
  EXPECT_STREQ(r.sGetExpireDate(), c.expiry ? c.expiry : "");
  EXPECT_STREQ(r.sGetServerDate(), c.server ? c.server : "");
}

INSTANTIATE_TEST_SUITE_P(
    Records, StovaIdVerification,
    ::testing::Values(SIdCase{"Passport", 0, "X123", "Stockholm", "20301231", "20240611", true},
                      SIdCase{"DrivingLicenceNoServerDate", 2, "D-9", "Oslo", "20240229", "", true},
                      SIdCase{"ExpiresOnTheServerDate", 1, "A", "B", "20240611", "20240611", true},
                      SIdCase{"Expired", 0, "X123", "Stockholm", "20240610", "20240611", false},
                      SIdCase{"UnknownType", 3, "X123", "Stockholm", "20301231", "", false},
                      SIdCase{"NoType", -1, "X123", "Stockholm", "20301231", "", false},
                      SIdCase{"BlankNumber", 0, "   ", "Stockholm", "20301231", "", false},
                      SIdCase{"NoPlace", 0, "X123", nullptr, "20301231", "", false},
                      SIdCase{"YearDashes", 0, "X123", "Stockholm", "   00101", "", false},
                      SIdCase{"NotADay", 0, "X123", "Stockholm", "20230229", "", false},
                      SIdCase{"MonthThirteen", 0, "X123", "Stockholm", "20231301", "", false},
                      SIdCase{"LongerText", 0, "X123", "Stockholm", "203012310", "", false},
                      SIdCase{"BadServerDateIsNoServerDate", 0, "X123", "Stockholm", "20301231", "----", true}),
    [](const ::testing::TestParamInfo<SIdCase>& info) { return std::string(info.param.name); });

TEST(StovaIdVerificationFields, TextsAreCutToTheirFields) {
  BTable_cust_id_verification r;
  EXPECT_FALSE(r.bIsValid()) << "a new record is not valid";
  EXPECT_EQ(r.nGetTypeOfVerification(), IDVER_TYPE_NONE);
  r.SetNumber(std::string(100, '7').c_str());
  r.SetPlaceOfIssue(std::string(100, 'p').c_str());
  EXPECT_EQ(std::string(r.sGetNumber()), std::string(IDVER_NUMBER_SIZE - 1, '7'));
  EXPECT_EQ(std::string(r.sGetPlaceOfIssue()), std::string(IDVER_PLACE_SIZE - 1, 'p'));
  r.SetNumber(nullptr);
  EXPECT_STREQ(r.sGetNumber(), "");
}
}  // namespace
