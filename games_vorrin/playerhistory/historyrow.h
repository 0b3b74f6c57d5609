// One row of the play-history grid: its cells left to right, the records it shows, and its place
// in a group of rows that show one round together (a round of several hands).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/containers/llist.h"
#include "ostrel/graphics/rgba.h"

class CBitmap;
struct THistoryRecord;

// Row drawing flags: the first row drawn below the header (its empty cells take what the group's
// first row shows there), and the last row drawn (closed by a line below).
inline constexpr int32_t HISTORYROW_FIRST_DRAWN = 1;
inline constexpr int32_t HISTORYROW_LAST_DRAWN = 2;

struct THistoryCell {
  std::string m_Text;            // empty: no text
  CBitmap* m_pBitmap = nullptr;  // borrowed
  int32_t m_Width = 0;

  bool IsEmpty() const { return m_Text.empty() && !m_pBitmap; }
};

class CHistoryRow {
 public:
  explicit CHistoryRow(int32_t height) : m_Height(height) {}
  virtual ~CHistoryRow();
  CHistoryRow(const CHistoryRow&) = delete;
  CHistoryRow& operator=(const CHistoryRow&) = delete;

  // A text cell (null: empty) or, without text, a bitmap cell; a bitmap cell of width -1 takes
  // the bitmap's width.
  void AddCell(const char* text, CBitmap* bitmap, int32_t width);
  int32_t NumCells() const { return static_cast<int32_t>(m_Cells.size()); }
  // Cell i; null outside the row.
  const THistoryCell* GetCell(int32_t i) const;

  // The records the row shows (THistoryRecord*, borrowed).
  CLList& GetRecords() { return m_Records; }
  THistoryRecord* FirstRecord() const;

  // Chains the row below above, in above's group.
  void FollowRow(CHistoryRow* above);
  CHistoryRow* GetPreviousRow() const { return m_pPrevious; }
  CHistoryRow* GetNextRow() const { return m_pNext; }
  // The first row of the row's group (the row itself when it has no previous row).
  const CHistoryRow* GroupFirst() const;

  // Marks this row only; unmarking clears every row of its group.
  void Select() { m_Selected = true; }
  void Unselect();
  bool IsSelected() const { return m_Selected; }

  int32_t GetNumber() const { return m_Number; }
  void SetNumber(int32_t number) { m_Number = number; }
  int32_t GetHeight() const { return m_Height; }
  void SetBackground(const TRGBA& colour);
  bool HasBackground() const { return m_HasBackground; }
  const TRGBA& GetBackground() const { return m_Background; }
  void SetHeader() { m_Header = true; }
  bool IsHeader() const { return m_Header; }

  // Draws the row with its top left corner at (x, y) in the grid look (historydraw.h), every
  // pixel inside target.
  void Draw(CBitmap* target, int64_t x, int64_t y, int32_t flags) const;

 private:
  // What the cell shows: its own text or bitmap, or with HISTORYROW_FIRST_DRAWN for an empty cell
  // the same column of the group's first row.
  const THistoryCell& Shown(size_t column, int32_t flags) const;

  std::vector<THistoryCell> m_Cells;
  bool m_Selected = false;
  CLList m_Records;
  CHistoryRow* m_pPrevious = nullptr;
  CHistoryRow* m_pNext = nullptr;
  int32_t m_Number = 0;
  int32_t m_Height;
  TRGBA m_Background{0, 0, 0, 0};
  bool m_HasBackground = false;
  bool m_Header = false;
};
