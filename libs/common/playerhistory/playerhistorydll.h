// The play-history viewer module ("quillet") loaded into the client: its three entry points bound
// under the module contract and forwarded.
#pragma once

#include <cstdint>

#include "ostrel/system/dynlib.h"

class CCommNode;

// The module's entry points, exported with C linkage.
using TPlayerHistoryInit = int32_t (*)(CCommNode* node, int32_t playerId, int32_t gameId);
using TPlayerHistoryHandler = int32_t (*)();
using TPlayerHistoryExit = int32_t (*)();

// Windows adds ".dll" to a name without one; the platform layer takes the name as it stands.
inline constexpr const char* PLAYERHISTORY_MODULE = "quillet.dll";
inline constexpr const char* PLAYERHISTORY_ENTRY_INIT = "Init";
inline constexpr const char* PLAYERHISTORY_ENTRY_HANDLER = "Handler";
inline constexpr const char* PLAYERHISTORY_ENTRY_EXIT = "Exit";

class CPlayerHistoryDll : public CDynamicLibrary {
 public:
  // The module's name, as CDynamicLibrary::Load takes it (kept, not copied).
  explicit CPlayerHistoryDll(const char* moduleName = PLAYERHISTORY_MODULE) : m_pModuleName(moduleName) {}
  // Exit.
  ~CPlayerHistoryDll() override;

  // True while a module is held.
  int Loaded() override;
  // 1 when the module is loaded with its three entry points bound; 0, with nothing left loaded,
  // when it cannot be loaded, fails the module contract or lacks an entry point.
  int32_t LoadDll();
  // Loads the module when needed and calls its Init; 0 when it cannot be loaded.
  virtual int32_t Init(CCommNode* node, int32_t playerId, int32_t gameId);
  // The module's Handler; 0 when not bound.
  virtual int32_t Handler();
  // The module's Exit when bound (0 when not), then the entry points are cleared and the module
  // unloaded in any case.
  virtual int32_t Exit();

 private:
  void Unbind();

  const char* m_pModuleName;
  TPlayerHistoryInit m_pInit = nullptr;
  TPlayerHistoryHandler m_pHandler = nullptr;
  TPlayerHistoryExit m_pExit = nullptr;
};
