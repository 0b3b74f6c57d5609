// One game of the games list: a module of the module list (its name, package, description and
// forced flag) with what the game description files add, and the files the updater fetches for it.
#pragma once

#include <cstdint>

#include "common/updater/fvmodule.h"
#include "ostrel/containers/llist.h"

struct SFVersionDownloadItem;

// Longest texts that a description file gives ("games.xrs", "install.par"); longer ones are cut.
inline constexpr int32_t GAMESTXT_NAME_LENGTH = 50;
inline constexpr int32_t GAMESTXT_MODULE_LENGTH = 50;
inline constexpr int32_t GAMESTXT_PATH_LENGTH = 256;  // respath, limitpath, submenuid, historypath
inline constexpr int32_t GAMESTXT_TEXT_LENGTH = 250;  // Description, Showname

class GamestxtCFVModule : public CFVModule {
 public:
  GamestxtCFVModule() = default;
  // Every field, with copies of the download items. A text that cannot be copied stays null.
  GamestxtCFVModule(const GamestxtCFVModule& other);
  GamestxtCFVModule& operator=(const GamestxtCFVModule&) = delete;
  ~GamestxtCFVModule() override;

  // Equal module names, or both game ids non-zero and equal.
  bool operator==(const GamestxtCFVModule& other) const;
  // The list's order: forced modules first; then by order, 0 before every other and smaller
  // first; equal orders by module name (byte order; equal names count as less).
  bool operator<(const GamestxtCFVModule& other) const;

  int32_t GetDefaultInst() const { return m_DefaultInst; }
  void SetDefaultInst(int32_t value) { m_DefaultInst = value; }
  int32_t GetOrder() const { return m_Order; }
  void SetOrder(int32_t order) { m_Order = order; }
  int32_t GetGameid() const { return m_GameId; }
  void SetGameid(int32_t id) { m_GameId = id; }

  // Texts are owned copies; a setter gives 0, the text kept, when memory runs out, and null
  // clears. The show name falls back to the module name.
  const char* GetShowName() const { return m_pShowName ? m_pShowName : GetModName(); }
  int32_t SetShowName(const char* text);
  // The library the game loads; null when it has none.
  const char* GetDllmodule() const { return m_pDllModule; }
  int32_t SetDllmodule(const char* name);
  const char* GetRespath() const { return m_pResPath; }
  int32_t SetRespath(const char* path);
  const char* GetLimitpath() const { return m_pLimitPath; }
  int32_t SetLimitpath(const char* path);
  const char* GetSubmenuid() const { return m_pSubmenuId; }
  int32_t SetSubmenuid(const char* text);
  const char* GetHistoryPath() const { return m_pHistoryPath; }
  int32_t SetHistoryPath(const char* path);

  // The files the updater fetches for the game (SFVersionDownloadItem*, owned): one per normal
  // file, and one per indirect file, which starts with its name only.
  CLList* GetDownloadItems() { return &m_NormItems; }
  CLList* GetIndirectItems() { return &m_IndItems; }
  // Appends a copy; 0 when memory runs out.
  int32_t AddDownloadItem(const SFVersionDownloadItem& item);
  int32_t AddIndirectItem(const char* name);
  // The first indirect item of that name (case-sensitive); null when none.
  SFVersionDownloadItem* FindIndirectItem(const char* name);

 private:
  static int32_t AppendCopy(CLList& list, const SFVersionDownloadItem& item);

  CLList m_NormItems;  // SFVersionDownloadItem*
  CLList m_IndItems;   // SFVersionDownloadItem*, names only until an INDIRECT module fills them
  int32_t m_Order = 0;
  int32_t m_DefaultInst = 1;
  char* m_pShowName = nullptr;
  char* m_pDllModule = nullptr;
  int32_t m_GameId = 0;
  char* m_pResPath = nullptr;
  char* m_pLimitPath = nullptr;
  char* m_pSubmenuId = nullptr;
  char* m_pHistoryPath = nullptr;
};
