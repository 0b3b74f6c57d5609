// "modstatus.lst": one status number per module, in the order the modules were added
// (modstatus = "name", status). The client, the installer, the updater and the play-history module
// all read and change it, so every change takes the file as it stands on disk first, under a lock
// that the processes share, and replaces it atomically: a status another program wrote meanwhile
// is never lost.
#pragma once

#include <cstdint>

#include "ostrel/kcbl/kcbl.h"

class CGames;
class GamestxtCFVModule;

inline constexpr char MODSTATUS_FILE[] = "modstatus.lst";
inline constexpr char MODSTATUS_KEYWORD[] = "modstatus";

// Statuses; any one but 0 counts as installed.
enum : int32_t {
  MODSTATUS_NOT_INSTALLED = 0,
  MODSTATUS_INSTALLED = 1,
  MODSTATUS_UPDATE_NEEDED = 2,
  MODSTATUS_INSTALL_ASKED = 3,  // set from 0 when the player asks for the game
  MODSTATUS_UPDATE_ASKED = 4,   // set from 2 in the same way
};
// The status of an item whose status is not a number.
inline constexpr int32_t MODSTATUS_INVALID = -1;

class CKCBLModStatus : public CKCBL {
 public:
  // 1 when the file exists and loads.
  int32_t LoadFile();
  // The status of the module whose name matches exactly (case-sensitive), as loaded;
  // MODSTATUS_INVALID when that status is not a number. A module the file does not know is added
  // with 0 and the file saved at once; the result is then 0.
  int32_t GetFlagForThisModule(const char* name);
  // Replaces the module's status or appends it, and saves; the save's result.
  int32_t SetFlagForThisModule(const char* name, int32_t status);
  // A change that depends on the status, decided on the file as it stands on disk in one step
  // under the lock: when the module's status there is from (a module the file does not list
  // counts as 0), it becomes to, the file is replaced and the answer is 1. Otherwise, and when the
  // file is missing or does not read, the answer is 0 and nothing is written. The data loaded
  // here are the file's either way.
  int32_t ChangeFlagIf(const char* name, int32_t from, int32_t to);

  // Over the entries of a games list, each stopping at the first entry without a module name:
  // 1 when every forced entry is installed.
  int32_t bAllForcedModuleIsInstalled(CGames* list);
  // 1 when every entry is installed.
  int32_t bAllGameIsInstalled(CGames* list);
  // 0 as soon as a forced entry is not installed; else 1 when a non-forced entry is installed.
  int32_t bOneGameIsInstalled(CGames* list);
  // The first entry that is not installed; null when none.
  GamestxtCFVModule* pGetNotInstalled(CGames* list);

 private:
  // The cursor on the module's item; 0 (the cursor past the end) when there is none.
  int32_t FindModule(const char* name);
  // The file as it is on disk now, when it exists and reads (true); else the data stay as they
  // are.
  bool Reread();
  // Clears the file's read-only flag and replaces it with the data.
  int32_t Store();
};
