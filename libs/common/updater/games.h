// The games list: one entry per game, joined from the module status file, the description files
// "games.xrs" and "install.par" and, when given, the module list. The lobby menus and the updater
// work from it.
//
// The list owns its entries and keeps them sorted (GamestxtCFVModule::operator<): a new entry goes
// before the first entry it is less than, and one equal to a listed entry is destroyed instead.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

class CFVModuleHandler;
class GamestxtCFVModule;

inline constexpr char GAMES_FILE[] = "games.xrs";
inline constexpr char GAMES_INSTALL_FILE[] = "install.par";

class CGames {
 public:
  CGames() = default;
  CGames(const CGames&) = delete;
  CGames& operator=(const CGames&) = delete;
  ~CGames() { KillAll(); }

  // Builds the list anew: the modules of the status file, what "games.xrs" and "install.par" say
  // of them, and, with a handler, only the modules it lists (with a package when packageNeeded is
  // set), with their packages, descriptions, forced flags and download items. Missing files are
  // skipped. 1; 0 when memory runs out.
  int32_t ReadGames(CFVModuleHandler* handler, int32_t packageNeeded);
  // Reads one description file into the entries. Without a handler a game the list lacks is
  // added; descriptionOnly takes only order, default_inst, Description, Showname, submenuid and
  // historypath. A game whose values name an unsafe file (a module that is not a plain file name;
  // a path that is absolute, has a drive prefix, a ".." component or a control character) is
  // dropped. The order is left to the caller (ReadGames sorts after the join). 1 when the file
  // loaded.
  int32_t AddGameInfo(const char* fileName, int32_t handlerGiven, int32_t descriptionOnly);

  // Sorted insertion, taking the entry over. 0 when an equal entry is listed or memory runs out:
  // the entry is destroyed then.
  int32_t Add(GamestxtCFVModule* entry);
  // Takes the entry out of the list, destroying it when deleteEntry is set; 0 when not listed.
  int32_t Remove(GamestxtCFVModule* entry, int32_t deleteEntry);
  // Destroys every entry.
  void KillAll();

  // The entry of that module name (case-sensitive) / of that non-zero game id; null when none.
  GamestxtCFVModule* Find(const char* name) const;
  GamestxtCFVModule* FindByGameId(int32_t id) const;

  // Walking the list; the cursor is the list's own.
  int32_t GetNumNodes() const { return m_List.GetNumNodes(); }
  int16_t First() { return m_List.First(); }
  int16_t Last() { return m_List.Last(); }
  int16_t Next() { return m_List.Next(); }
  int16_t Prev() { return m_List.Prev(); }
  int16_t Exists() const { return m_List.Exists(); }
  GamestxtCFVModule* Get() const { return static_cast<GamestxtCFVModule*>(m_List.Get()); }
  // Entry n counting from 0; null past the end.
  GamestxtCFVModule* Get(int32_t n) { return static_cast<GamestxtCFVModule*>(m_List.Get(n)); }
  int16_t Push() { return m_List.Push(); }
  int16_t Pop() { return m_List.Pop(); }
  // For walks that must not move the cursor.
  CNode* HeadNode() const { return m_List.HeadNode(); }

 private:
  enum EInsert { INSERT_FAILED, INSERT_EQUAL, INSERT_ADDED };
  // Add with the reason; the entry is destroyed unless it was added.
  EInsert Insert(GamestxtCFVModule* entry);
  // Every entry inserted again, so the order holds after the join.
  int32_t Sort();
  int32_t JoinModuleList(CFVModuleHandler& handler, int32_t packageNeeded);

  CLList m_List;  // GamestxtCFVModule*, owned
};
