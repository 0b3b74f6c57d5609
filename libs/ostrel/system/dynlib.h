// Shared libraries loaded at run time, and the module contract: every module of the system
// exports
//   extern "C" int DynamicInheritOstrel(SGlobals* g, SSysGlobals* s) { return xInheritOstrel(g, s); }
// which the host calls (Load with flag 1) before any other entry point, so that the module works
// on the host's two process-wide blocks.
#pragma once

#include <cstdint>

struct SGlobals;
struct SSysGlobals;

using TDynamicInheritOstrel = int (*)(SGlobals* g, SSysGlobals* s);

inline constexpr uint32_t DYNLIB_INHERIT_OSTREL = 1;

class CDynamicLibraryBase {
 public:
  virtual ~CDynamicLibraryBase() = default;
  virtual int Load(const char* path, uint32_t flags) = 0;
  virtual int Loaded() = 0;
  virtual int Close() = 0;
  virtual void* GetSymbol(const char* name) = 0;
};

class CDynamicLibrary : public CDynamicLibraryBase {
 public:
  CDynamicLibrary() = default;
  ~CDynamicLibrary() override;
  // A copy would unload the library a second time.
  CDynamicLibrary(const CDynamicLibrary&) = delete;
  CDynamicLibrary& operator=(const CDynamicLibrary&) = delete;

  // Loads path ("X.dll" is the module X.so; without a folder, in the program folder), closing
  // the library held before. Flags exactly 1 applies the module contract. When the contract
  // fails the library stays loaded until Close.
  int Load(const char* path, uint32_t flags) override;
  int Loaded() override;
  // 1 also when nothing was loaded; the handle is gone afterwards whatever the system says.
  int Close() override;
  // Null when nothing is loaded or the name is null, empty or not exported.
  void* GetSymbol(const char* name) override;

 protected:
  void* m_hModule = nullptr;
};

// The contract's body for a module: takes the host's blocks as its own; 1.
int xInheritOstrel(SGlobals* g, SSysGlobals* s);
