// The installer's single work engine: modules and files to download, packages from the
// installation source, the download set, unpacking into the install folder (the working folder)
// and the deletion of removed games. The main dialog steps it once a frame with Handler. Work
// added while a round runs is collected and merged in at the next round.
//
// Every failure is thrown as a BException (install/engine/bexception.h); whatever is thrown,
// every list is cleared and the engine stands in state 1 before the exception leaves.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "install/engine/downloadpackedmodule.h"

class CFVModuleHandler;
class GamestxtCFVModule;
struct SFVersionDownloadItem;

// States.
enum : int32_t {
  BINSTALLER_IDLE = 0,
  BINSTALLER_SORT = 1,
  BINSTALLER_SOURCE = 2,
  BINSTALLER_QUEUE = 3,
  BINSTALLER_DOWNLOAD = 4,
  BINSTALLER_UNPACK = 5,
  BINSTALLER_DELETE = 6,
  BINSTALLER_CANCELLED = 7,
};

// Bits of the installer's option word that the engine reads.
inline constexpr int32_t BINSTALLER_KEEP_DELETED_FILES = 0x2;  // "DISABLE_DELETCASINOFILE"
inline constexpr int32_t BINSTALLER_NO_SOURCE = 0x40;          // "DISABLE_INSTALLFROMCD"

// The module list that deletion reads and writes back.
inline constexpr char BINSTALLER_FILEMAP[] = "filemap.lst";

class BInstaller {
 public:
  // Only one may exist; a second throws. handler: the server's module list, whose FTP sites the
  // downloads use; it stays the caller's.
  BInstaller(CFVModuleHandler* handler, int32_t options);
  ~BInstaller();
  BInstaller(const BInstaller&) = delete;
  BInstaller& operator=(const BInstaller&) = delete;

  // Copies into the right list; 0 for what any list holds already.
  int32_t AddDownloadItem(const SFVersionDownloadItem* item);
  int32_t AddDownloadModule(const GamestxtCFVModule* module);
  int32_t AddDeleteModule(const GamestxtCFVModule* module);

  // One step.
  void Handler();
  // The download set cancelled, every list cleared, state 1.
  void Cancel();

  int32_t GetState() const { return m_State; }
  int32_t IsBusy() const { return m_State != BINSTALLER_IDLE ? 1 : 0; }
  uint64_t GetTotalBytes() const { return m_pDownload->GetTotalBytes(); }
  // While unpacking, the bytes of the packages unpacked so far.
  uint64_t GetBytesDone() const;
  int32_t GetRate() { return m_pDownload->GetRate(); }
  // The download set, for the display.
  const BDownLoadPackedModule& GetDownload() const { return *m_pDownload; }

  // Deletes the files of the delete list that "filemap.lst" records (unless option 0x2), takes
  // them out of it, writes it back and gives each module status 0.
  void DeleteModuleFiles();

 private:
  using TModules = std::vector<std::unique_ptr<GamestxtCFVModule>>;
  using TItems = std::vector<std::unique_ptr<SFVersionDownloadItem>>;

  void Step();
  void Sort();
  void TrySource();
  // Every download module copied from the installation source.
  bool CopyFromSource();
  void Queue();
  void Download();
  void Unpack();
  void UnpackItems();
  void ExtractModules();
  void Delete();
  void ClearAll();
  bool Listed(const GamestxtCFVModule& module) const;
  bool Listed(const SFVersionDownloadItem& item) const;
  bool Collecting() const { return m_State >= BINSTALLER_SOURCE; }

  int32_t m_State = BINSTALLER_IDLE;
  int32_t m_Options;
  std::unique_ptr<BDownLoadPackedModule> m_pDownload;
  TModules m_DeleteModules;
  TModules m_DownloadModules;
  TItems m_DownloadItems;
  // What is added while a round runs, merged in at the next state 1.
  TModules m_NewModules;
  TItems m_NewItems;
};

// The text the set's error is shown with; null for none (0).
const char* BDownloadErrorText(int32_t error);
