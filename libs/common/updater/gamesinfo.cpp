// Reading a game description file ("games.xrs", "install.par"): one chunk per game whose first
// value is Game, with optional keys. "games.xrs" comes from the server, and its values name the
// library a game loads and the scripts it reads, so an entry naming an unsafe file is dropped.
#include <cstring>
#include <new>
#include <string>

#include "common/updater/fvnames.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "ostrel/base/xstring.h"
#include "ostrel/resources/resdata.h"

namespace {
constexpr char kGameChunk[] = "Game";

// Value 0 of the chunk's first item with that keyword (any case); null when there is none.
const char* Text(CResData& r, const char* keyword) {
  r.FirstItem();
  return r.FindItem(keyword) ? r.GetString(0) : nullptr;
}

// A text value cut to its longest length; absent stays absent.
struct SText {
  bool m_Given = false;
  std::string m_Value;

  void Read(CResData& r, const char* keyword, int32_t longest) {
    const char* text = Text(r, keyword);
    m_Given = text != nullptr;
    if (m_Given) m_Value.assign(text, strnlen(text, static_cast<size_t>(longest)));
  }
  const char* Get() const { return m_Given ? m_Value.c_str() : nullptr; }
};

struct SNumber {
  bool m_Given = false;
  int32_t m_Value = 0;

  void Read(CResData& r, const char* keyword) {
    r.FirstItem();
    m_Given = r.FindItem(keyword) && r.GetLong(0, &m_Value);
  }
};

struct SGameValues {
  SText m_Name, m_Module, m_ResPath, m_LimitPath, m_Description, m_ShowName, m_SubmenuId, m_HistoryPath;
  SNumber m_Id, m_Order, m_DefaultInst;

  void Read(CResData& r) {
    m_Name.Read(r, "name", GAMESTXT_NAME_LENGTH);
    m_Module.Read(r, "module", GAMESTXT_MODULE_LENGTH);
    m_Id.Read(r, "id");
    m_ResPath.Read(r, "respath", GAMESTXT_PATH_LENGTH);
    m_LimitPath.Read(r, "limitpath", GAMESTXT_PATH_LENGTH);
    m_Order.Read(r, "order");
    m_DefaultInst.Read(r, "default_inst");
    m_Description.Read(r, "Description", GAMESTXT_TEXT_LENGTH);
    m_ShowName.Read(r, "Showname", GAMESTXT_TEXT_LENGTH);
    m_SubmenuId.Read(r, "submenuid", GAMESTXT_PATH_LENGTH);
    m_HistoryPath.Read(r, "historypath", GAMESTXT_PATH_LENGTH);
  }
};

// An empty value names no file at all.
bool SafePath(const SText& t) { return !t.m_Given || t.m_Value.empty() || FVersion_IsSafeListName(t.Get()); }
bool PlainFileName(const SText& t) { return SafePath(t) && t.m_Value.find_first_of("/\\") == std::string::npos; }

// Only the values that the file's kind takes are judged.
bool Safe(const SGameValues& v, int32_t descriptionOnly) {
  if (!SafePath(v.m_HistoryPath)) return false;
  return descriptionOnly || (PlainFileName(v.m_Module) && SafePath(v.m_ResPath) && SafePath(v.m_LimitPath));
}

// The values into the entry; 0 when memory runs out.
int32_t Apply(const SGameValues& v, int32_t descriptionOnly, GamestxtCFVModule& game) {
  int32_t ok = 1;
  if (!descriptionOnly) {
    if (v.m_Module.m_Given) ok &= game.SetDllmodule(v.m_Module.Get());
    if (v.m_Id.m_Given) game.SetGameid(v.m_Id.m_Value);
    if (v.m_ResPath.m_Given) ok &= game.SetRespath(v.m_ResPath.Get());
    if (v.m_LimitPath.m_Given) ok &= game.SetLimitpath(v.m_LimitPath.Get());
  }
  if (v.m_Order.m_Given) game.SetOrder(v.m_Order.m_Value);
  if (v.m_DefaultInst.m_Given) game.SetDefaultInst(v.m_DefaultInst.m_Value);
  if (v.m_Description.m_Given && !v.m_Description.m_Value.empty()) ok &= game.SetModDesc(v.m_Description.Get());
  if (v.m_ShowName.m_Given) ok &= game.SetShowName(v.m_ShowName.Get());
  if (v.m_SubmenuId.m_Given) ok &= game.SetSubmenuid(v.m_SubmenuId.Get());
  if (v.m_HistoryPath.m_Given) ok &= game.SetHistoryPath(v.m_HistoryPath.Get());
  return ok;
}
}  // namespace

int32_t CGames::AddGameInfo(const char* fileName, int32_t handlerGiven, int32_t descriptionOnly) {
  CResData r;
  if (!fileName || !r.Load(fileName)) return 0;
  r.MainChunk();
  for (int32_t more = r.FirstItem(); more; more = r.NextItem(0)) {
    if (r.ItemType() != 2 || !r.GetString(0) || xStricmp(r.GetString(0), kGameChunk) != 0) continue;
    SGameValues v;
    r.PushChunk();
    r.EnterChunk();
    v.Read(r);
    r.PopChunk();
    if (!v.m_Name.m_Given) continue;

    GamestxtCFVModule* game = Find(v.m_Name.Get());
    const bool isNew = !game;
    if (isNew) {
      if (handlerGiven) continue;
      game = new (std::nothrow) GamestxtCFVModule;
      if (!game) return 0;
      if (!game->SetModName(v.m_Name.Get())) {
        delete game;
        return 0;
      }
    }
    if (!Safe(v, descriptionOnly)) {
      if (isNew) delete game;
      else Remove(game, 1);
      continue;
    }
    if (!Apply(v, descriptionOnly, *game)) {
      if (isNew) delete game;
      return 0;
    }
    if (isNew) Add(game);
  }
  return 1;
}
