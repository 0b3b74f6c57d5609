// One pass of the update driver (FVersion_ValidateFiles): the server's list against the installed
// list and the disk, for the games of a games list; with downloading on, the wanted files are
// fetched, unpacked and checked.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/modstatus.h"
#include "ostrel/containers/llist.h"

class CGames;
class GamestxtCFVModule;
struct SFVersionCallbacks;
struct SFVersionDownloadItem;

struct SFVPassSettings {
  const char* m_pServerList;
  const char* m_pInstalledList;
  int32_t m_Download;
  int32_t m_ListedOnly;
  int32_t m_DownloadAll;
  int32_t m_PackageKind;
  // The server's list as the caller has just read it from m_pServerList, or null: the pass
  // reads it itself.
  CFVModuleHandler* m_pServerRead;
};

class CFVUpdatePass {
 public:
  CFVUpdatePass(const SFVPassSettings& settings, CGames& games);
  ~CFVUpdatePass();
  CFVUpdatePass(const CFVUpdatePass&) = delete;
  CFVUpdatePass& operator=(const CFVUpdatePass&) = delete;

  // 1, or 0 when the pass failed; both lists are then left as they are on disk.
  int32_t Run();
  // Whether a file differed from the server's list (a second pass then records it).
  int32_t Changes() const { return m_Changes; }

 private:
  // One games-list entry during the pass.
  struct SGameStatus {
    GamestxtCFVModule* m_pGame;
    int32_t m_Current;
    int32_t m_New;
    bool m_UsesChanged;  // one of its files was wanted
  };
  // A module of the server's list with its files, taken before the check (the list itself does
  // not change during a pass).
  struct SModuleFiles {
    CFVModule* m_pModule;
    std::vector<const CFVNormFile*> m_Files;
  };
  // What is known of a file on disk.
  struct SDiskFile {
    bool m_HaveCRC = false;
    bool m_HaveSize = false;
    uint32_t m_CRC = 0;
    uint32_t m_Size = 0;
  };

  // Checking.
  int32_t MakeStatusRecords();
  int32_t ReadLists();
  int32_t TakeModules();
  int32_t AddMissingModules();
  int32_t Check();
  int32_t CheckModule(const SModuleFiles& module);
  int32_t CheckFile(CFVModule& module, CFVModule& installed, const CFVNormFile& file, bool& wanted);
  int32_t CompareWithInstalled(CFVModule& installed, const CFVNormFile& file, bool& changed, SDiskFile& disk);
  int32_t Register(CFVModule& module, CFVModule& installed, const CFVNormFile& file, const SDiskFile& disk);
  int32_t RemoveInstalled(CFVModule& installed, const CFVNormFile& record);
  int32_t Queue(const CFVNormFile& file);
  // The status records of the entries that list the file among their indirect files; null when
  // none does.
  const std::vector<size_t>* UsersOf(const char* file) const;
  void MarkChanged(SGameStatus& game);
  void MarkGame(const char* module);

  // Finishing.
  int32_t FinishWithoutDownload();
  int32_t Download();
  bool Fetch();
  int32_t Needed(CLList& needed);
  int32_t Unpack(bool& complete);
  int32_t UnpackItem(const SFVersionDownloadItem& item, const std::string& staging, bool& restart);
  void ShowFailureOnce();
  int32_t FlagInstalled();
  int32_t WriteBack();

  const SFVPassSettings m_Settings;
  CGames& m_Games;
  const SFVersionCallbacks& m_C;
  CFVModuleHandler m_ServerRead;
  CFVModuleHandler& m_Server;
  CFVModuleHandler m_Installed;
  CKCBLModStatus m_Status;
  std::vector<SGameStatus> m_Statuses;
  std::unordered_map<std::string, size_t> m_GameByName;               // exact module name
  std::unordered_map<std::string, std::vector<size_t>> m_UsersByFile;  // folded indirect file name
  std::vector<SModuleFiles> m_Modules;                                  // NORMAL, then INDIRECT
  // Folded indirect file name -> the NORMAL modules of the server's list that list it.
  std::unordered_map<std::string, std::vector<const char*>> m_ListedBy;
  std::vector<CFVModule*> m_InstalledNormal;
  CLList m_Items;  // SFVersionDownloadItem*, owned
  std::unordered_set<std::string> m_QueuedPackages;  // folded packed names
  int32_t m_Changes = 0;
  int32_t m_FullRestart = 0;
  bool m_Stopped = false;
};
