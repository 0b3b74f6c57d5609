// The play-history module loader against stand-ins for the viewer module built beside the tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/playerhistory/playerhistorydll.h"
#include "ostrel/system/globals.h"

namespace {
using TLog = const char* (*)();

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
  }
  void TearDown() override {
    delete glb;
    delete sglb;
    glb = nullptr;
    sglb = nullptr;
  }
  static std::string Log(CPlayerHistoryDll& dll) {
    auto log = reinterpret_cast<TLog>(dll.GetSymbol("QuilletStubLog"));
    return log ? log() : "<no log>";
  }
};

TEST_F(LoaderTest, TheModuleIsBoundUnderTheContractAndItsEntryPointsForwarded) {
  CPlayerHistoryDll dll;
  auto* node = reinterpret_cast<CCommNode*>(0x1234);
  EXPECT_EQ(dll.Handler(), 0) << "nothing bound yet";
  EXPECT_EQ(dll.Init(node, 77, -1), 3);
  EXPECT_EQ(dll.Loaded(), 1);
  EXPECT_EQ(dll.LoadDll(), 1) << "loaded already";
  EXPECT_EQ(dll.Handler(), 4);
  char expected[96];
  snprintf(expected, sizeof expected, "contract;Init %p 77 -1;Handler;", static_cast<void*>(node));
  EXPECT_EQ(Log(dll), expected);
  EXPECT_EQ(dll.Exit(), 5);
  EXPECT_EQ(dll.Loaded(), 0);
  EXPECT_EQ(dll.Handler(), 0);
  EXPECT_EQ(dll.Exit(), 0) << "nothing bound";
}

TEST_F(LoaderTest, TheDestructorEndsALoadedModule) {
  auto* dll = new CPlayerHistoryDll;
  ASSERT_EQ(dll->LoadDll(), 1);
  EXPECT_EQ(Log(*dll), "contract;");
  delete dll;  // calls the module's Exit and unloads; a second load starts afresh
  CPlayerHistoryDll again;
  ASSERT_EQ(again.LoadDll(), 1);
  EXPECT_EQ(Log(again), "contract;");
}

TEST_F(LoaderTest, AModuleWithoutAnEntryPointOrRefusingTheContractLeavesNothingLoaded) {
  for (const char* name : {"quillet_nohandler.dll", "quillet_nocontract.dll", "quillet_missing.dll"}) {
    CPlayerHistoryDll dll(name);
    EXPECT_EQ(dll.LoadDll(), 0) << name;
    EXPECT_EQ(dll.Loaded(), 0) << name;
    EXPECT_EQ(dll.Init(nullptr, 1, 2), 0) << name;
    EXPECT_EQ(dll.Loaded(), 0) << name;
    EXPECT_EQ(dll.Handler(), 0) << name;
    EXPECT_EQ(dll.Exit(), 0) << name;
  }
}
}  // namespace
