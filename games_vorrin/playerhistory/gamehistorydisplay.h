// The base of every round view of the play history, and of the session list: the rows of the
// grid, a factory dialog for the controls that show a picked round, and the record parser, in
// that order. It reads the game's history script ("COLUMNDATA", "COLUMNSTR" or "COLUMNBMP",
// "NUMBEROFROWSTODRAW", the "GameDialog" section), builds rows cell by cell, keeps the controls
// it adds to the play-history window and the bitmaps it makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "bitmaplist.h"
#include "gamehistory.h"
#include "historyrowlist.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/rgba.h"

class CBitmap;
class CControlBase;
class CHistoryRow;
class CLList;
class CResData;
class GamestxtCFVModule;
struct TGuiCtrl;

// A history script path: 99 characters and the NUL.
inline constexpr size_t HISTORY_PATH_SIZE = 100;
// What a history script may ask for; beyond these the script is refused.
inline constexpr int32_t HISTORY_MAX_COLUMNS = 256;
inline constexpr int32_t HISTORY_MAX_COLUMN_WIDTH = 4096;
inline constexpr int32_t HISTORY_MAX_ROW_HEIGHT = 1000;
// Rows to draw beyond this are cut to it (no window shows more).
inline constexpr int32_t HISTORY_MAX_ROWS_TO_DRAW = 1000;
// The section of a history script with the round's controls.
inline constexpr const char* HISTORY_CONTROLS_SECTION = "GameDialog";
// The string of the window's script with the currency pattern.
inline constexpr int32_t HISTORY_CURRENCY_STRING = 1510;
// How controls join the play-history window.
inline constexpr int32_t HISTORY_ADD_CONTROL = 16384;
// Control flags of a control drawn from a bitmap of the view (a bitmap, keyed).
inline constexpr uint32_t HISTORY_BITMAP_CONTROL_FLAGS = 260;

// The key colour of the views' bitmaps: what ClearBitmap fills with is not drawn.
inline const TRGBA HISTORY_KEY_COLOUR{0, 255, 0, 0};

class CGameHistoryDisplay : public CHistoryRowList, public CDialog, public CGameHistory {
 public:
  // The window's script (borrowed; string 1510 becomes the currency) and the games-list entry of
  // the view's game (its id and history path are copied; null: none).
  CGameHistoryDisplay(CResData* res, GamestxtCFVModule* game);
  // Removes and deletes the controls (the window is redrawn), then the local script, the
  // bitmaps and the rows.
  ~CGameHistoryDisplay() override;

  // The header row made from the history script: null when the script or its "COLUMNDATA" is
  // missing or asks for what cannot be drawn.
  virtual CHistoryRow* ReadGameColumnData();
  // Adds a cell to the row being built (made on the first cell): a text cell (a copy; null: an
  // empty cell) or, without text, a bitmap cell, as wide as the next column. 0 when there are no
  // columns or every column is filled.
  virtual int32_t AddCell(const char* text, CBitmap* bitmap);
  // The row being built, handed over with the row background when the window's script gives
  // one; null when no cell was added.
  virtual CHistoryRow* EndRow();
  // 1 when the row being built has a cell in every column.
  virtual int32_t IsRowComplete();
  // The view's controls added to the window and its pictures made; 1 on success.
  virtual int32_t InitGraphics(CDialog* host) = 0;
  // Shows the round of the picked row (its records) in the view's controls.
  virtual void ShowRound(CBitmap* target, int32_t x, int32_t y, CLList& records) = 0;
  // A window event the window itself does not handle.
  virtual void HandleControl(int32_t event, int32_t a, int32_t controlId, int32_t b);
  virtual int32_t GetGameId();
  virtual const char* GetHistoryResPath();

  // Loads the history script once and reads "NUMBEROFROWSTODRAW"; 1 when it is loaded.
  int32_t LoadResDataLocal();
  // Builds the controls of the script's section (null: "GameDialog") and adds them to host; a
  // control the script describes badly is left out. 0 without the script or the section.
  int32_t LoadControls(CDialog* host, const char* section);
  // Adds a control the view made itself (its record taken over) to the window, kept like a
  // loaded one; 0 before LoadControls has given a window.
  int32_t AddOwnControl(TGuiCtrl* record);
  CControlBase* FindControl(int32_t id);
  // The state of the control, or of every control for id -1.
  void SetControlState(int32_t id, int32_t state);
  // Takes the control (every control for id -1, the window then redrawn) out of the window and
  // deletes it.
  void RemoveControls(int32_t id);
  // A w x h bitmap of the view as the control's face in every state, the control sized to it;
  // 0 for a null control or when the bitmap cannot be made.
  int32_t SetControlBitmap(CControlBase* control, int32_t w, int32_t h);
  static void ClearBitmap(CBitmap* bitmap);
  static void ClearPixel(CBitmap* bitmap);

  int32_t GetRowsToDraw() const { return m_RowsToDraw; }
  int32_t GetRowHeight() const { return m_RowHeight; }
  int32_t GetColumnCount() const { return static_cast<int32_t>(m_ColumnWidths.size()); }
  CResData* GetResources() const { return m_pRes; }
  CResData* GetLocalResources() const { return m_pLocalRes.get(); }
  CDialog* GetHost() const { return m_pHost; }
  CBitmapList& GetBitmaps() { return m_Bitmaps; }

 private:
  // "COLUMNDATA" of the local data chunk into the column widths; false when it is missing or
  // out of bounds.
  bool ReadColumnData();
  // The header's cells from "COLUMNBMP" or "COLUMNSTR" of the local data chunk.
  void AddHeaderCells();

  CResData* m_pRes;
  std::unique_ptr<CResData> m_pLocalRes;
  std::unique_ptr<CHistoryRow> m_pCurrentRow;
  size_t m_ColumnIndex = 0;
  int32_t m_RowHeight = 0;
  std::vector<int32_t> m_ColumnWidths;
  std::vector<TGuiCtrl*> m_Controls;  // owned, with their controls
  CDialog* m_pHost = nullptr;
  CBitmapList m_Bitmaps;
  int32_t m_GameId = 0;
  char m_HistoryPath[HISTORY_PATH_SIZE] = {};
  int32_t m_RowsToDraw = 0;
  TRGBA m_RowBackground{0, 0, 0, 0};
  bool m_HasRowBackground = false;
};
