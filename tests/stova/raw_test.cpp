// Raw records per member: written, replaced, counted, read, deleted; the size limit.
#include <cstring>

#include "stovafixture.h"

namespace {
class StovaRaw : public StovaTest {
 protected:
  StovaRaw() : m_Id(Create("vorrin")) {}

  // The record's bytes, or "<none>" when it is not there.
  std::string Read(const char* name, int32_t index) {
    uint8_t* data = reinterpret_cast<uint8_t*>(1);
    uint32_t size = 99;
    int32_t ok = -1;
    EXPECT_EQ(m_Db.ReadRaw(m_Id, name, index, data, size, ok), 1);
    if (!ok) {
      EXPECT_EQ(data, nullptr);
      EXPECT_EQ(size, 0u);
      return "<none>";
    }
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size == 0) {
      EXPECT_EQ(data, nullptr);
    }
    delete[] data;
    return bytes;
  }
  int32_t Count(const char* name) {
    int32_t count = -1, ok = 0;
    EXPECT_EQ(m_Db.CountUserRaw(m_Id, name, count, ok), 1);
    EXPECT_EQ(ok, 1);
    return count;
  }
  void Write(const char* name, int32_t index, const std::string& bytes) {
    int32_t ok = 0;
    ASSERT_EQ(m_Db.WriteRaw(m_Id, 5001, name, index, bytes.data(), static_cast<uint32_t>(bytes.size()), ok), 1);
    ASSERT_EQ(ok, 1);
  }

  uint32_t m_Id;
};

TEST_F(StovaRaw, RecordsOfZeroOneAndAMebibyteRoundTrip) {
  std::string big(1 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 2654435761u >> 24);
  const std::string sizes[] = {"", std::string(1, '\0'), big};
  for (int32_t i = 0; i < 3; ++i) Write("reconnectLog", i + 3, sizes[i]);
  EXPECT_EQ(Count("reconnectLog"), 3);
  EXPECT_EQ(Count("varStore"), 0);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(Read("reconnectLog", i + 3), sizes[i]) << i;

  Write("reconnectLog", 4, "replaced");
  EXPECT_EQ(Count("reconnectLog"), 3) << "a write of the same key replaces";
  EXPECT_EQ(Read("reconnectLog", 4), "replaced");

  int32_t ok = 0;
  ASSERT_EQ(m_Db.DeleteRaw(m_Id, "reconnectLog", 4, ok), 1);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(Read("reconnectLog", 4), "<none>");
  EXPECT_EQ(Count("reconnectLog"), 2);
  ASSERT_EQ(m_Db.DeleteRaw(m_Id, "reconnectLog", 4, ok), 1);
  EXPECT_EQ(ok, 0);
  ExpectNoErrors();
}

TEST_F(StovaRaw, TheCrashRecoverySaveWritesAsOneTransaction) {
  int32_t ok = 0;
  ASSERT_EQ(m_Db.BeginTransaction(), 1);
  Write("varStore", 0, "state");
  Write("tableId", 2, std::string("\x89\x13\0\0", 4));
  ASSERT_EQ(m_Db.EndTransaction(0), 1);
  EXPECT_EQ(Count("varStore"), 0) << "rolled back together";
  ASSERT_EQ(m_Db.BeginTransaction(), 1);
  Write("varStore", 0, "state");
  Write("tableId", 2, std::string("\x89\x13\0\0", 4));
  ASSERT_EQ(m_Db.EndTransaction(1), 1);
  EXPECT_EQ(Read("tableId", 2), std::string("\x89\x13\0\0", 4));
  (void)ok;
}

TEST_F(StovaRaw, BadArgumentsAreRefusedWithARecord) {
  static uint8_t byte = 0;
  const std::string longName(STOVA_RAW_NAME_SIZE, 'n');
  uint8_t* data = nullptr;
  uint32_t size = 0;
  int32_t ok = 1, count = 0;
  struct {
    const char* name;
    int32_t result;
    int32_t code;
  } cases[] = {
      {"above the size limit", m_Db.WriteRaw(m_Id, 0, "x", 0, &byte, STOVA_RAW_MAX_SIZE + 1, ok), STOVA_ERR_ARGUMENT},
      {"null data", m_Db.WriteRaw(m_Id, 0, "x", 0, nullptr, 5, ok), STOVA_ERR_ARGUMENT},
      {"null name", m_Db.WriteRaw(m_Id, 0, nullptr, 0, &byte, 1, ok), STOVA_ERR_ARGUMENT},
      {"long name", m_Db.WriteRaw(m_Id, 0, longName.c_str(), 0, &byte, 1, ok), STOVA_ERR_ARGUMENT},
      {"negative index", m_Db.ReadRaw(m_Id, "x", -1, data, size, ok), STOVA_ERR_ARGUMENT},
      {"bad member", m_Db.CountUserRaw(0, "x", count, ok), STOVA_ERR_ARGUMENT},
      {"missing member", m_Db.WriteRaw(4242, 0, "x", 0, &byte, 1, ok), STOVA_ERR_NOT_FOUND},
      {"null delete", m_Db.DeleteRaw(m_Id, nullptr, 0, ok), STOVA_ERR_ARGUMENT},
  };
  const auto errors = DrainErrors(m_Db);
  ASSERT_EQ(errors.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].result, 0) << cases[i].name;
    EXPECT_EQ(errors[i].m_Code, cases[i].code) << cases[i].name << ": " << errors[i].GetText();
  }
  EXPECT_EQ(data, nullptr);
  // Exactly the limit is allowed.
  std::string limit(STOVA_RAW_MAX_SIZE, 'L');
  Write("big", 0, limit);
  EXPECT_EQ(Read("big", 0).size(), STOVA_RAW_MAX_SIZE);
}
}  // namespace
