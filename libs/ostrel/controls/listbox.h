// A list of rows, each a control of its own (as a rule a static made from a text), shown in a
// fixed rectangle with a vertical scroll bar that appears once the rows are higher than the box.
// One row is selected; rows are numbered from 1. The list box owns its rows and its scroll bar.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/controls/controlbase.h"

class CSlider;

inline constexpr int32_t LIST_SCROLLBAR_WIDTH = 14;

class CListbox : public CControlBase {
 public:
  CListbox() = default;
  ~CListbox() override;
  CListbox(const CListbox&) = delete;
  CListbox& operator=(const CListbox&) = delete;

  using CControlBase::Create;
  // 0 for a row height below 1 (nothing could be shown or hit in such rows).
  int32_t Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t rowHeight, uint32_t flags);
  // Takes over the row; the row's own position counts from the row's top-left corner. Returns
  // the row's number, 0 for no control.
  int32_t Add(CControlBase* row);
  // A static of the list box's size holding a copy of the text.
  int32_t Add(const char* text);
  int32_t RemoveAll();
  // 0 for a row that does not exist (changes nothing); else selects it, with moveScrollBar the
  // scroll bar (and so the rows shown) follows, and sends 15.
  int32_t SetSelected(int32_t row, int32_t moveScrollBar);
  // The entry under the list cursor: the first row after Add, RemoveAll and a refused
  // SetSelected.
  CControlBase* GetSelectedControl() { return m_pCurrent; }
  int32_t GetFieldHeight(int32_t& rowHeight);
  // The top row (the first shown).
  int32_t SetIndex(int32_t top);
  int32_t GetIndex() { return m_Top; }
  // Where rows are drawn from the box's left edge.
  int32_t SetOffset(int32_t offset);
  int32_t GetNumRows() const { return static_cast<int32_t>(m_Rows.size()); }
  // The row of that number, or null.
  CControlBase* GetRow(int32_t row) const;
  CSlider* GetScrollBar() const { return m_pScrollBar; }
  // Whether the rows together are higher than the box (the scroll bar shows).
  int32_t NeedsScrollBar() const;
  int32_t HasFocus() const { return m_Focus; }
  TCntrlColor* GetCurrentColors() const { return m_pCurColors; }

  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t Validate() override;
  int32_t Validate(CRect* area, int32_t index) override;
  int32_t ClearClipListIndex() override;
  int32_t GetSelected() override { return m_Selected; }

 private:
  int32_t Mouse(int32_t a, int32_t b, int32_t c, void* d);
  void UpdateRange();
  void TakeFocus();

  int32_t m_RowHeight = 1;
  int32_t m_ScrollWidth = LIST_SCROLLBAR_WIDTH;
  int32_t m_Selected = 1;
  int32_t m_Clicked = 0;
  int32_t m_Top = 1;
  CControlBase* m_pCurrent = nullptr;
  int32_t m_RowOffset = 1;
  int32_t m_Focus = 0;
  TCntrlColor* m_pCurColors = nullptr;
  std::vector<CControlBase*> m_Rows;
  CSlider* m_pScrollBar = nullptr;
};

// Shared by the list box and the combo box.
namespace listentries {
// Appends the entry with the owner's window; its number (the one it has when already there), 0
// for none.
int32_t Append(std::vector<CControlBase*>& entries, const CControlBase* owner, CControlBase* entry, int32_t windowId,
               CWindowBase* window);
// The entry of that number (from 1), or null.
CControlBase* At(const std::vector<CControlBase*>& entries, int32_t n);
// A static of that size (flags added) holding its own copy of the text; null for no text.
CControlBase* MakeTextEntry(const char* text, int32_t width, int32_t height, uint32_t flags);
// The number (from 1) of the first entry whose text begins with the key's letter, folded to
// upper case; 0 when none does.
int32_t FindByLetter(const std::vector<CControlBase*>& entries, const void* key);
// Draws the entry with its top-left corner at (ex, ey) of the window, then puts it back.
void DrawAt(CControlBase* entry, int32_t windowX, int32_t windowY, int32_t ex, int32_t ey, int32_t mode);
void DeleteAll(std::vector<CControlBase*>& entries);
}  // namespace listentries
