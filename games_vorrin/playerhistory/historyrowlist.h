// The rows of a grid: the header first, then the rows of the rounds. Rows are numbered by their
// place (0 = the header); once a reply is read they are put in display order, the last round
// first.
#pragma once

#include <cstdint>
#include <vector>

class CBitmap;
class CHistoryRow;
class CLList;

class CHistoryRowList {
 public:
  CHistoryRowList() = default;
  // Deletes every row.
  virtual ~CHistoryRowList();
  CHistoryRowList(const CHistoryRowList&) = delete;
  CHistoryRowList& operator=(const CHistoryRowList&) = delete;

  // Appends the row (taken over), numbered by the rows before it; the first row ever added is the
  // header. 0 for null.
  int32_t AddRow(CHistoryRow* row);
  // Takes over every row of rows (CHistoryRow*) in order; rows is left empty.
  void AddRows(CLList& rows);

  int32_t GetNumRows() const { return static_cast<int32_t>(m_Rows.size()); }
  CHistoryRow* GetHeaderRow() const { return m_pHeader; }
  // The row numbered n; null when there is none.
  CHistoryRow* GetRow(int32_t n) const;

  // The header first, then the groups of rows (a row without a previous row and the rows chained
  // below it) in reverse order, each group's rows kept in order; then numbered from 0.
  void SortForDisplay();

  // Draws the header at (x, y), then at most count - 1 rows from row first + 1 on, one below
  // the other; nothing but the header for count below 2.
  void DrawRows(CBitmap* target, int32_t x, int32_t y, int32_t count, int32_t first) const;

 private:
  std::vector<CHistoryRow*> m_Rows;  // owned
  CHistoryRow* m_pHeader = nullptr;
};
