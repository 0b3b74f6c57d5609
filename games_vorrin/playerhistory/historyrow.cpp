#include "historyrow.h"

#include <utility>

#include "historydraw.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"

namespace {
// Font coordinates are 16-bit.
bool FitsShort(int64_t v) { return v >= INT16_MIN && v <= INT16_MAX; }
}  // namespace

CHistoryRow::~CHistoryRow() {
  // The group stays whole without this row's links.
  if (m_pPrevious && m_pPrevious->m_pNext == this) m_pPrevious->m_pNext = nullptr;
  if (m_pNext && m_pNext->m_pPrevious == this) m_pNext->m_pPrevious = nullptr;
  m_Records.KillAll();
}

void CHistoryRow::AddCell(const char* text, CBitmap* bitmap, int32_t width) {
  THistoryCell cell;
  if (text) {
    cell.m_Text = text;
  } else if (bitmap) {
    cell.m_pBitmap = bitmap;
    if (width == -1) width = bitmap->m_Width;
  }
  cell.m_Width = width;
  m_Cells.push_back(std::move(cell));
}

const THistoryCell* CHistoryRow::GetCell(int32_t i) const {
  return i >= 0 && i < NumCells() ? &m_Cells[static_cast<size_t>(i)] : nullptr;
}

THistoryRecord* CHistoryRow::FirstRecord() const {
  CNode* n = m_Records.HeadNode();
  return n ? static_cast<THistoryRecord*>(n->m_pData) : nullptr;
}

void CHistoryRow::FollowRow(CHistoryRow* above) {
  if (!above) return;
  // A row above that already follows this one would close a ring.
  for (const CHistoryRow* r = above; r; r = r->m_pPrevious)
    if (r == this) return;
  // Previous and next stay each other's inverse.
  if (m_pPrevious) m_pPrevious->m_pNext = nullptr;
  if (above->m_pNext) above->m_pNext->m_pPrevious = nullptr;
  m_pPrevious = above;
  above->m_pNext = this;
}

const CHistoryRow* CHistoryRow::GroupFirst() const {
  const CHistoryRow* r = this;
  while (r->m_pPrevious) r = r->m_pPrevious;
  return r;
}

void CHistoryRow::Unselect() {
  m_Selected = false;
  for (CHistoryRow* r = m_pPrevious; r; r = r->m_pPrevious) r->m_Selected = false;
  for (CHistoryRow* r = m_pNext; r; r = r->m_pNext) r->m_Selected = false;
}

void CHistoryRow::SetBackground(const TRGBA& colour) {
  m_Background = colour;
  m_HasBackground = true;
}

const THistoryCell& CHistoryRow::Shown(size_t column, int32_t flags) const {
  const THistoryCell& own = m_Cells[column];
  if (!(flags & HISTORYROW_FIRST_DRAWN) || !own.IsEmpty()) return own;
  const CHistoryRow* first = GroupFirst();
  return column < first->m_Cells.size() ? first->m_Cells[column] : own;
}

void CHistoryRow::Draw(CBitmap* target, int64_t x, int64_t y, int32_t flags) const {
  if (m_Cells.empty() || !target) return;
  const SHistoryGridLook& look = xHistoryGridLook();
  const int64_t h = m_Height;
  xHistoryVLine(target, x, y, y + h, look.m_Grid);
  for (size_t i = 0; i < m_Cells.size(); ++i) {
    const int64_t w = m_Cells[i].m_Width;
    if (m_Selected)
      xHistoryFillRect(target, x + 1, y, x + w + 1, y + h, look.m_Select);
    else if (m_HasBackground)
      xHistoryFillRect(target, x + 1, y, x + w + 1, y + h, m_Background);

    const THistoryCell& cell = Shown(i, flags);
    if (!cell.m_Text.empty()) {
      xHistoryHLine(target, x, x + w, y, look.m_Grid);
      CFont* font = look.m_pFont;
      const int64_t m = h / 2 - (font ? font->GetHeight() : 0) / 2 + 1;
      const int64_t tx = x + m, ty = y + m, tw = w - m, th = h - m;
      if (font && tw > 0 && th > 0 && FitsShort(tx + 1) && FitsShort(ty) && FitsShort(tw) && FitsShort(th)) {
        const auto s = [](int64_t v) { return static_cast<int16_t>(v); };
        font->Text(target, cell.m_Text.c_str(), s(tx), s(ty), s(tw), s(th), &look.m_Font, nullptr, TEXT_SINGLELINE);
        if (m_Header)
          font->Text(target, cell.m_Text.c_str(), s(tx + 1), s(ty), s(tw), s(th), &look.m_Font, nullptr,
                     TEXT_SINGLELINE);
      }
    } else if (cell.m_pBitmap) {
      xHistoryHLine(target, x, x + w, y, look.m_Grid);
      xHistoryBlit(target, cell.m_pBitmap, x + 1, y + 1);
    } else if (flags & HISTORYROW_FIRST_DRAWN) {
      xHistoryHLine(target, x, x + w, y, look.m_Grid);
    }
    if ((flags & HISTORYROW_LAST_DRAWN) || !m_pNext) xHistoryHLine(target, x, x + w, y + h, look.m_Grid);
    x += w;
    xHistoryVLine(target, x, y, y + h, look.m_Grid);
  }
}
