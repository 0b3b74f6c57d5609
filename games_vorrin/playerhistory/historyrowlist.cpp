#include "historyrowlist.h"

#include <algorithm>
#include <unordered_set>

#include "historyrow.h"
#include "ostrel/containers/llist.h"

CHistoryRowList::~CHistoryRowList() {
  for (CHistoryRow* row : m_Rows) delete row;
}

int32_t CHistoryRowList::AddRow(CHistoryRow* row) {
  if (!row) return 0;
  row->SetNumber(GetNumRows());
  m_Rows.push_back(row);
  if (!m_pHeader) m_pHeader = row;
  return 1;
}

void CHistoryRowList::AddRows(CLList& rows) {
  for (CNode* n = rows.HeadNode(); n; n = n->m_pNext) AddRow(static_cast<CHistoryRow*>(n->m_pData));
  rows.KillAll();
}

CHistoryRow* CHistoryRowList::GetRow(int32_t n) const {
  return n >= 0 && n < GetNumRows() ? m_Rows[static_cast<size_t>(n)] : nullptr;
}

void CHistoryRowList::SortForDisplay() {
  std::vector<std::vector<CHistoryRow*>> groups;
  std::unordered_set<const CHistoryRow*> placed;
  if (m_pHeader) placed.insert(m_pHeader);
  const std::unordered_set<const CHistoryRow*> ours(m_Rows.begin(), m_Rows.end());
  // A group runs from a row without a previous row down its chain; a row the chains do not reach
  // (its previous row is not in the list) stands as a group of its own.
  for (int pass = 0; pass < 2; ++pass) {
    for (CHistoryRow* row : m_Rows) {
      if (placed.count(row) || (pass == 0 && row->GetPreviousRow())) continue;
      std::vector<CHistoryRow*>& group = groups.emplace_back();
      for (CHistoryRow* r = row; r && ours.count(r) && !placed.count(r); r = r->GetNextRow()) {
        group.push_back(r);
        placed.insert(r);
      }
    }
  }
  std::vector<CHistoryRow*> sorted;
  sorted.reserve(m_Rows.size());
  if (m_pHeader) sorted.push_back(m_pHeader);
  for (auto g = groups.rbegin(); g != groups.rend(); ++g) sorted.insert(sorted.end(), g->begin(), g->end());
  m_Rows = std::move(sorted);
  for (size_t i = 0; i < m_Rows.size(); ++i) m_Rows[i]->SetNumber(static_cast<int32_t>(i));
}

void CHistoryRowList::DrawRows(CBitmap* target, int32_t x, int32_t y, int32_t count, int32_t first) const {
  if (!m_pHeader) return;
  int64_t top = y;
  m_pHeader->Draw(target, x, top, 0);
  top += m_pHeader->GetHeight();
  int64_t remaining = int64_t{count} - 1;
  bool afterEmpty = true;  // the first row below the header
  for (int64_t n = std::max<int64_t>(first, 0) + 1; remaining > 0 && n < GetNumRows(); ++n, --remaining) {
    const CHistoryRow* row = m_Rows[static_cast<size_t>(n)];
    int32_t flags = afterEmpty ? HISTORYROW_FIRST_DRAWN : 0;
    if (remaining == 1 || n == GetNumRows() - 1) flags |= HISTORYROW_LAST_DRAWN;
    row->Draw(target, x, top, flags);
    top += row->GetHeight();
    afterEmpty = row->NumCells() == 0;
  }
}
