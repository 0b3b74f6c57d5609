// The records on their own: module equality and copies, a file's presence flags, the on-disk
// queries through the registered callbacks, and the callback table itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fvmodule.h"
#include "updatertest.h"

TEST(FVModule, EqualityNeedsBothNamesAndTheirCase) {
  CFVModule a, b;
  EXPECT_FALSE(a == b);  // no names
  ASSERT_EQ(a.SetModName("Poker"), 1);
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(b == a);
  ASSERT_EQ(b.SetModName("poker"), 1);
  EXPECT_FALSE(a == b);
  ASSERT_EQ(b.SetModName("Poker"), 1);
  EXPECT_TRUE(a == b);
  b.SetModMode(2);
  EXPECT_TRUE(a == b);
}

TEST(FVModule, CopyTakesEverythingButTheFiles) {
  FVersion_SetQuietCallbacks();
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  ASSERT_EQ(h.FindModule("Client"), 1);
  h.CurrModule_SetValidState(1);
  const CFVModule copy(*h.CurrModule());
  EXPECT_TRUE(copy == *h.CurrModule());
  EXPECT_STREQ(copy.GetModName(), "Client");
  EXPECT_STREQ(copy.GetModDesc(), "The casino client and its libraries");
  EXPECT_STREQ(copy.GetModClassName(), "client");
  EXPECT_STREQ(copy.GetModPackedFileName(), "modules/Client.bos");
  EXPECT_NE(copy.GetModName(), h.CurrModule_GetName());  // its own text
  EXPECT_EQ(copy.GetModPackedFileSize(), 52000);
  EXPECT_EQ(copy.GetModPackedFileCRC(), 305419896u);
  EXPECT_EQ(copy.GetModMode(), 1);
  EXPECT_EQ(copy.GetModForcedDownload(), 1);
  EXPECT_EQ(copy.GetModValidState(), 1);
  EXPECT_EQ(copy.GetNumNormFiles(), 0);
  EXPECT_EQ(copy.GetNumIndFiles(), 0);
  EXPECT_EQ(h.CurrModule()->GetNumNormFiles(), 3);
}

TEST(FVModule, PackedSizeSetterStoresOnlyPositiveSizes) {
  CFVModule m;
  EXPECT_EQ(m.GetModPackedFileSize(), -1);
  EXPECT_FALSE(m.HasPackage());
  for (int32_t size : {0, -1, -5}) {
    m.SetModPackedFileSize(size);
    EXPECT_EQ(m.GetModPackedFileSize(), -1);
  }
  m.SetModPackedFileSize(7);
  EXPECT_EQ(m.GetModPackedFileSize(), 7);
  EXPECT_TRUE(m.HasPackage());
}

TEST(FVNormFile, NameSettersRefuseWhileTheirFlagIsNotOne) {
  CFVNormFile f;
  EXPECT_EQ(f.SetNormName("a"), 0);
  EXPECT_EQ(f.SetPackedName("a.zpk"), 0);
  f.SetNormNameState(2);
  EXPECT_EQ(f.SetNormName("a"), 0);
  f.SetNormNameState(1);
  EXPECT_EQ(f.SetNormName(nullptr), 0);
  EXPECT_EQ(f.SetNormName("a"), 1);
  EXPECT_STREQ(f.GetNormName(), "a");
  f.SetPackedNameState(1);
  EXPECT_EQ(f.SetPackedName("a.zpk"), 1);
  EXPECT_STREQ(f.GetPackedName(), "a.zpk");
}

namespace {
std::vector<std::string> s_Asked;
int32_t Exists(const char* name) {
  s_Asked.push_back(std::string("exists ") + name);
  return 1;
}
int32_t Crc(const char* name, uint32_t* crc) {
  s_Asked.push_back(std::string("crc ") + name);
  *crc = 0xC0FFEE;
  return 1;
}
int32_t Size(const char* name, uint32_t* size) {
  s_Asked.push_back(std::string("size ") + name);
  *size = 1234;
  return 7;
}
int32_t Fails(const char*, uint32_t*) { return 0; }
}  // namespace

TEST(FVNormFile, DiskQueriesGoThroughTheCallbacks) {
  FVersion_SetCallBack_FileExists(nullptr);
  FVersion_SetCallBack_FileCalcCRC(nullptr);
  FVersion_SetCallBack_FileFileSize(nullptr);
  CFVModuleHandler h;
  ASSERT_EQ(h.AddModule("M", nullptr, nullptr, nullptr, -1, 0, 1, 0), 1);
  ASSERT_EQ(h.AddNormalFile("M", 1, "plain.dll", 0, 0, 0, 0, 0, "ignored.zpk", 0, 0, 0, 0), 1);
  ASSERT_EQ(h.FindModule("M"), 1);
  ASSERT_EQ(h.FindFile("plain.dll"), 1);
  uint32_t value = 0;
  // Nothing registered: 0 without asking.
  EXPECT_EQ(h.NormalFile_RealFile_ExistsNormName(), 0);
  EXPECT_EQ(h.NormalFile_RealFile_GetNormCRC(&value), 0);
  EXPECT_EQ(h.NormalFile_RealFile_GetNormFileSize(&value), 0);
  FVersion_SetCallBack_FileExists(Exists);
  FVersion_SetCallBack_FileCalcCRC(Crc);
  FVersion_SetCallBack_FileFileSize(Size);
  EXPECT_EQ(h.NormalFile_RealFile_ExistsNormName(), 1);
  EXPECT_EQ(h.NormalFile_RealFile_GetNormCRC(&value), 1);
  EXPECT_EQ(value, 0xC0FFEEu);
  EXPECT_EQ(h.NormalFile_RealFile_GetNormFileSize(&value), 1);
  EXPECT_EQ(value, 1234u);
  // The packed name is not present (flag 0): nothing is asked.
  EXPECT_EQ(h.NormalFile_Realfile_ExistsPackedName(), 0);
  EXPECT_EQ(h.NormalFile_Realfile_GetPackedCRC(&value), 0);
  EXPECT_EQ(h.NormalFile_Realfile_GetPackedFileSize(&value), 0);
  ASSERT_EQ(h.NormalFile_SetPackedNameState(1), 1);
  EXPECT_EQ(h.NormalFile_Realfile_ExistsPackedName(), 0);  // a flag without a name
  ASSERT_EQ(h.NormalFile_SetPackedName("packed.zpk"), 1);
  EXPECT_EQ(h.NormalFile_Realfile_ExistsPackedName(), 1);
  EXPECT_EQ(h.NormalFile_Realfile_GetPackedCRC(&value), 1);
  EXPECT_EQ(h.NormalFile_Realfile_GetPackedFileSize(&value), 1);
  EXPECT_EQ(s_Asked, (std::vector<std::string>{"exists plain.dll", "crc plain.dll", "size plain.dll",
                                               "exists packed.zpk", "crc packed.zpk", "size packed.zpk"}));
  FVersion_SetCallBack_FileCalcCRC(Fails);
  EXPECT_EQ(h.NormalFile_RealFile_GetNormCRC(&value), 0);
  EXPECT_EQ(h.NormalFile_RealFile_GetNormCRC(nullptr), 0);
}

namespace {
void Box(const char*, const char*) {}
}  // namespace

// In a process of its own (the other tests of this program register callbacks).
TEST(FVersionCallbacks, AllNullAtStart) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const SFVersionCallbacks none{};
        std::_Exit(std::memcmp(&FVersion_Callbacks(), &none, sizeof none) == 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(FVersionCallbacks, EachRequiredOneCounts) {
  const SFVersionCallbacks& c = FVersion_Callbacks();
  for (const SCallbackClearer& clear : kRequiredCallbacks) clear.m_Clear();
  CFVModuleHandler h;
  EXPECT_EQ(h.ValidateCallbacks(), 0);
  FVersion_SetQuietCallbacks();
  EXPECT_EQ(h.ValidateCallbacks(), 1);
  FVersion_SetCallback_MessageBox(nullptr);
  EXPECT_EQ(h.ValidateCallbacks(), 1);  // the message box is optional
  FVersion_SetCallback_MessageBox(Box);
  EXPECT_EQ(c.m_MessageBox, Box);
  for (const SCallbackClearer& clear : kRequiredCallbacks) {
    clear.m_Clear();
    EXPECT_EQ(h.ValidateCallbacks(), 0) << clear.m_pName;
    EXPECT_EQ(FVersion_RequiredCallbacksSet(), 0) << clear.m_pName;
    FVersion_SetQuietCallbacks();
    EXPECT_EQ(h.ValidateCallbacks(), 1);
  }
}
