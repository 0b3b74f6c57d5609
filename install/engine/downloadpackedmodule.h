// One set of packed files fetched with the communication library's download manager from the FTP
// (or HTTP) sites of a module list: partial files resumed, every file's CRC checked, the next site
// taken when a check fails, three rounds before the set gives up. Stepped once a frame by its
// owner; every transfer is the manager's.
//
// Every name is a server's: a packed name must be safe below the working folder, which is the
// install folder, and reach no link that leads out of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/engine/downloadrate.h"

class CFVModuleHandler;
struct SFVersionDownloadItem;
namespace DownloadManager {
class CDownloadManager;
}

// States.
enum : int32_t {
  BDOWNLOAD_IDLE = 0,
  BDOWNLOAD_START = 1,  // 2 and 3 are never set and run as 4
  BDOWNLOAD_DOWNLOADING = 4,
  BDOWNLOAD_FINISHED = 5,
  BDOWNLOAD_FAILED = 6,  // retry or give up
};

// Errors.
enum : int32_t {
  BDOWNLOAD_OK = 0,
  BDOWNLOAD_ERR_STATE = 1,
  BDOWNLOAD_ERR_NO_MANAGER = 2,
  BDOWNLOAD_ERR_TRANSFER = 9,
  BDOWNLOAD_ERR_CHECKSUM = 10,
  BDOWNLOAD_ERR_LOCAL_FILE = 11,
  BDOWNLOAD_ERR_ENTRY = 12,
};

// A packed CRC that is not checked.
inline constexpr uint32_t BDOWNLOAD_UNCHECKED = 0xFFFFFFFFu;
// Rounds of a set before it gives up.
inline constexpr int32_t BDOWNLOAD_ROUNDS = 3;

class BDownLoadPackedModule {
 public:
  // The handler's FTP sites are used; it stays the caller's.
  explicit BDownLoadPackedModule(CFVModuleHandler* handler);
  ~BDownLoadPackedModule();
  BDownLoadPackedModule(const BDownLoadPackedModule&) = delete;
  BDownLoadPackedModule& operator=(const BDownLoadPackedModule&) = delete;

  // Appends a copy; 0 for null and for a packed name the list holds already. An idle or finished
  // set is started (1), a finished one with the new work alone; while it runs the item waits for
  // the next round (0).
  int32_t AddItem(const SFVersionDownloadItem* item);
  // The package of a module the handler knows: its packed name, CRC and size as an item with
  // empty normal fields. 0 for a module that is unknown, has no package or is listed already;
  // else as AddItem.
  int32_t AddModule(const char* name);
  void Step();
  // 0 only when nothing was started or the set can be added to after a round.
  int32_t Cancel();

  int32_t IsRunning() const { return m_State != BDOWNLOAD_IDLE && m_State != BDOWNLOAD_FINISHED; }
  int32_t GetState() const { return m_State; }
  int32_t GetError() const { return m_Error; }
  // The packed name the error is about; "" when none.
  const char* GetErrorName() const { return m_ErrorName.c_str(); }
  // Complete files plus the current file, never past a known total.
  uint64_t GetBytesDone() const;
  uint64_t GetTotalBytes() const { return m_TotalBytes; }
  // From the samples (BDownloadRate::Rate).
  int32_t GetRate() { return m_Rate.Rate(); }
  // The manager's speed of the current file.
  int32_t GetCurrentRate() const { return m_CurrentRate; }
  // "" while there is no manager.
  const char* GetCurrentSite() const;
  const char* GetCurrentFile() const;
  int32_t GetItemCount() const { return static_cast<int32_t>(m_Items.size()); }
  int32_t GetRetryCount() const { return m_Retries; }

 private:
  // An item with the bytes of it that count as complete this round.
  struct SEntry {
    std::unique_ptr<SFVersionDownloadItem> m_pItem;
    uint64_t m_Counted = 0;
  };

  int32_t Append(std::unique_ptr<SFVersionDownloadItem> item);
  int32_t Start();
  SEntry* FindEntry(const char* packedName);
  void Tidy();
  void StartRound();
  // The item's local file measured and queued as it needs; false when the round cannot start.
  bool Prepare(SEntry& entry);
  void Queue(const char* name, uint32_t offset, uint32_t size);
  // Takes the file out of the manager and queues it anew from offset 0.
  void Requeue(const char* name);
  void StepDownloading();
  // The notes of finished files; false when the round ended.
  bool TakeNotes();
  void CheckAll();
  void Retry();
  void Fail(int32_t state, int32_t error, const char* name);
  void Count(SEntry& entry, uint64_t bytes);
  void Uncount(SEntry& entry);

  CFVModuleHandler* m_pHandler;
  std::unique_ptr<DownloadManager::CDownloadManager> m_pManager;
  std::vector<SEntry> m_Items;
  int32_t m_State = BDOWNLOAD_IDLE;
  int32_t m_Error = BDOWNLOAD_OK;
  std::string m_ErrorName;
  uint64_t m_CurrentBytes = 0;
  uint64_t m_CompleteBytes = 0;
  uint64_t m_TotalBytes = 0;
  int32_t m_CurrentRate = 0;
  int32_t m_Retries = 0;
  // Files handed to the manager this round; none: the manager has nothing to fetch.
  int32_t m_Queued = 0;
  BDownloadRate m_Rate;
};

// 1 for a packed size that tells the size: neither 0 nor 0xFFFFFFFF (a module list's -1).
int32_t BIsKnownPackedSize(uint32_t size);
