// The grid of one play-history reply: the view that lays its records out (the session list, or
// the round view of the records' game type) with every record's rows in display order, and the
// status line that goes with it. The window deletes its old view before and takes the new one
// after, with its own redraw and paging around.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CDialog;
class CGameHistoryDisplay;
class CGameInfo;
class CLList;
class CResData;
struct THistoryRecord;

// Strings of the window's script: the status line over a session list, and over no data.
inline constexpr int32_t HISTORY_STRING_SESSIONS = 1500;
inline constexpr int32_t HISTORY_STRING_NO_DATA = 1501;

class CHistoryGrid {
 public:
  // The window (it takes the views' controls), its script and its games information, all
  // borrowed.
  CHistoryGrid(CDialog* window, CResData* res, CGameInfo* info);
  ~CHistoryGrid();
  CHistoryGrid(const CHistoryGrid&) = delete;
  CHistoryGrid& operator=(const CHistoryGrid&) = delete;

  // Lays out the records (THistoryRecord*, borrowed, in reply order). For a session list one
  // CGameSessionsHistory takes them all. Otherwise each record goes to the view of its game type:
  // the view made last while the type stays, a new one (made, its controls and pictures loaded,
  // its header read) when the type changes, the rows of the earlier view going with it; a type
  // without a view leaves none. 1 with the view (or none) and the status text; 0, nothing left,
  // when a view cannot be made or loaded or a record cannot be read.
  int32_t Build(CLList& records, int32_t sessionList, int32_t openedTableType);

  // The view that Build made (null when none), handed over.
  std::unique_ptr<CGameHistoryDisplay> TakeView();
  const std::string& GetStatusText() const { return m_Status; }

 private:
  // The view for a record of the game type; true when the view (or none) is in place, false on a
  // failure.
  bool SwitchView(int32_t type);
  // The view's rows of one record (null: its header rows); false when it cannot read them.
  bool AddRecordRows(THistoryRecord* record);
  void SetStatus(int32_t openedTableType);

  CDialog* m_pWindow;
  CResData* m_pRes;
  CGameInfo* m_pInfo;
  std::unique_ptr<CGameHistoryDisplay> m_pView;
  std::string m_Status;
};
