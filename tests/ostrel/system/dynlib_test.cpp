#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "ostrel/system/debug.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/globals.h"
#include "platform/modules/modules.h"
#include "support/runtimefixture.h"

namespace {

static_assert(!std::is_copy_constructible_v<CDynamicLibrary>);
static_assert(!std::is_copy_assignable_v<CDynamicLibrary>);

// The test modules are built beside the test program, so "X.dll" finds them as a module would.
class DynamicLibrary : public CRuntimeTest {
 protected:
  template <class TFn>
  static TFn Entry(CDynamicLibrary& lib, const char* name) {
    return reinterpret_cast<TFn>(lib.GetSymbol(name));
  }
  // The diagnostics of one call.
  template <class TCall>
  static std::string Diagnostics(TCall call) {
    xSetDiagnostics(1);
    ::testing::internal::CaptureStderr();
    call();
    std::string text = ::testing::internal::GetCapturedStderr();
    xSetDiagnostics(0);
    return text;
  }
  // 1 while some handle of this process keeps the module loaded.
  static bool InProcess(const char* module) {
    void* h = dlopen(PlatformModulePath(module).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
  }
};

TEST_F(DynamicLibrary, TheContractHandsTheModuleTheHostsBlocks) {
  CDynamicLibrary lib;
  EXPECT_EQ(lib.Load("contractmodule.dll", 1), 1);
  EXPECT_EQ(lib.Loaded(), 1);
  ASSERT_NE(lib.GetSymbol("ContractModuleCalls"), nullptr);
  EXPECT_EQ(Entry<int (*)()>(lib, "ContractModuleCalls")(), 1);
  EXPECT_EQ(Entry<SGlobals* (*)()>(lib, "ContractModuleGlobals")(), glb);
  EXPECT_EQ(Entry<SSysGlobals* (*)()>(lib, "ContractModuleSysGlobals")(), sglb);
  EXPECT_EQ(lib.Close(), 1);
  EXPECT_EQ(lib.Loaded(), 0);
}

TEST_F(DynamicLibrary, OnlyFlagOneAppliesTheContract) {
  struct SCase {
    const char* module;
    uint32_t flags;
    int loads;
  } cases[] = {
      {"plainmodule.dll", 1, 0},  {"plainmodule.dll", 0, 1},    {"plainmodule.dll", 3, 1},
      {"PlainModule.DLL", 0, 1},  {"contractmodule.so", 0, 1}, {"contractmodule.dll", 2, 1},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(std::string(c.module) + " flags " + std::to_string(c.flags));
    CDynamicLibrary lib;
    std::string text = Diagnostics([&] { EXPECT_EQ(lib.Load(c.module, c.flags), c.loads); });
    // Loaded even when the contract failed, until Close.
    EXPECT_EQ(lib.Loaded(), 1);
    EXPECT_EQ(text.find("CDynamicLibrary::Load: Function 'DynamicInheritOstrel' not exported.") !=
                  std::string::npos,
              c.loads == 0);
    EXPECT_EQ(lib.Close(), 1);
    EXPECT_EQ(lib.Loaded(), 0);
  }
}

TEST_F(DynamicLibrary, AModuleThatRefusesItsHostFailsTheLoad) {
  CDynamicLibrary control;
  ASSERT_EQ(control.Load("contractmodule.dll", 0), 1);
  Entry<void (*)(int)>(control, "ContractModuleSetResult")(0);
  CDynamicLibrary lib;
  EXPECT_EQ(lib.Load("contractmodule.dll", 1), 0);
  EXPECT_EQ(lib.Loaded(), 1);
  EXPECT_EQ(Entry<int (*)()>(control, "ContractModuleCalls")(), 1);
}

TEST_F(DynamicLibrary, SymbolsAreFoundOnlyWhenExported) {
  CDynamicLibrary lib;
  EXPECT_EQ(lib.GetSymbol("PlainModuleAnswer"), nullptr);
  ASSERT_EQ(lib.Load(PlatformModulePath("plainmodule.dll").c_str(), 0), 1);
  auto answer = Entry<int (*)()>(lib, "PlainModuleAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(lib.GetSymbol("DynamicInheritOstrel"), nullptr);
  EXPECT_EQ(lib.GetSymbol(nullptr), nullptr);
  EXPECT_EQ(lib.GetSymbol(""), nullptr);
  EXPECT_EQ(lib.Close(), 1);
  EXPECT_EQ(lib.Close(), 1);
  EXPECT_EQ(lib.GetSymbol("PlainModuleAnswer"), nullptr);
}

TEST_F(DynamicLibrary, MissingLibrariesFailWithTheirName) {
  CDynamicLibrary lib;
  EXPECT_EQ(lib.Load(nullptr, 0), 0);
  EXPECT_EQ(lib.Load("", 1), 0);
  std::string text = Diagnostics([&] { EXPECT_EQ(lib.Load("nosuchmodule.dll", 0), 0); });
  EXPECT_NE(text.find("CDynamicLibrary::Load: Error loading library (nosuchmodule.dll)."), std::string::npos);
  EXPECT_EQ(lib.Loaded(), 0);
  EXPECT_EQ(lib.Close(), 1);
}

TEST_F(DynamicLibrary, LoadingAgainReleasesTheLibraryHeldBefore) {
  ASSERT_FALSE(InProcess("plainmodule.dll"));
  {
    CDynamicLibrary lib;
    ASSERT_EQ(lib.Load("plainmodule.dll", 0), 1);
    EXPECT_TRUE(InProcess("plainmodule.dll"));
    ASSERT_EQ(lib.Load("contractmodule.dll", 1), 1);
    EXPECT_FALSE(InProcess("plainmodule.dll"));
    EXPECT_TRUE(InProcess("contractmodule.dll"));
  }
  EXPECT_FALSE(InProcess("contractmodule.dll"));
}

}  // namespace
