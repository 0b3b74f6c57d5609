// libcommon.so is one shared library in the install folder, found through $ORIGIN: the client and
// every game module of a process then share its one copy of the process-wide state.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <filesystem>
#include <string>

#include "common/info/messagelog.h"

namespace {
TEST(CommonLibrary, IsTheSharedCopyOfTheInstallFolderWithOriginPath) {
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&WriteMessageLog), &info), 0);
  const std::string path = info.dli_fname;
  EXPECT_TRUE(std::filesystem::equivalent(path, std::string(VORRIN_DIST_DIR) + "/libcommon.so")) << path;

  // Its own dynamic section names the folder it lies in for the libraries below it.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  link_map* map = nullptr;
  ASSERT_EQ(dlinfo(handle, RTLD_DI_LINKMAP, &map), 0);
  const char* strings = nullptr;
  ElfW(Xword) runpath = 0;
  bool hasRunpath = false;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d) {
    if (d->d_tag == DT_STRTAB) strings = reinterpret_cast<const char*>(d->d_un.d_ptr);
    if (d->d_tag == DT_RUNPATH || d->d_tag == DT_RPATH) {
      runpath = d->d_un.d_val;
      hasRunpath = true;
    }
  }
  ASSERT_TRUE(hasRunpath);
  ASSERT_NE(strings, nullptr);
  EXPECT_EQ(std::string(strings + runpath), "$ORIGIN");
  // The second open is the same copy.
  void* again = dlopen("libcommon.so", RTLD_NOW);
  EXPECT_EQ(again, handle);
  dlclose(again);
  dlclose(handle);
}
}  // namespace
