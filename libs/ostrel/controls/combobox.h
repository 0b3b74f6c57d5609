// A one-line box that shows the selected entry, with a drop-down button (id + 10003) that opens
// a list of the entries below the box; the player picks one there. Entries are controls of their
// own, numbered from 1, owned by the combo box like its button and its scroll bar.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/controls/controlbase.h"

class CButton;
class CSlider;

inline constexpr int32_t COMBO_BUTTON_ID_OFFSET = 10003;

class CCombobox : public CControlBase {
 public:
  CCombobox() = default;
  ~CCombobox() override;
  CCombobox(const CCombobox&) = delete;
  CCombobox& operator=(const CCombobox&) = delete;

  using CControlBase::Create;
  int32_t Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t listHeight, int16_t hotKey,
                 uint32_t flags);
  // Takes over the entry and shows the first entry. Returns the entry's number, 0 for none.
  int32_t Add(CControlBase* entry);
  // A see-through static of the box's size holding a copy of the text.
  int32_t Add(const char* text);
  int32_t DeleteFirst();
  int32_t RemoveAll();
  CControlBase* GetSelectedControl() { return m_pShown; }
  int32_t GetNumEntries() const { return static_cast<int32_t>(m_Entries.size()); }
  // The entry of that number, or null.
  CControlBase* GetEntry(int32_t n) const;
  int32_t GetIndex() const { return m_Top; }
  int32_t GetHotEntry() const { return m_Hot; }
  int32_t IsOpen() const { return m_Open; }
  // Whether the entries do not fit into the list height.
  int32_t NeedsScrollBar() const;
  // The list area below the box (window coordinates).
  const CRect& GetListArea() const { return m_ListArea; }
  CButton* GetButton() const { return m_pButton; }
  CSlider* GetScrollBar() const { return m_pScrollBar; }
  int32_t HasFocus() const { return m_Focus; }
  TCntrlColor* GetCurrentColors() const { return m_pCurColors; }

  // Deletes scroll bar, button and every entry, then the base's.
  int32_t Destroy() override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t Validate() override;
  // The box with its list area.
  int32_t Validate(CRect* area, int32_t index) override;
  int32_t ClearClipListIndex() override;
  int32_t GetSelected() override { return m_Selected; }
  // A number that does not exist shows the first entry, selects 1 and answers 0.
  int32_t SetSelected(int32_t n) override;

 private:
  int32_t Mouse(int32_t a, int32_t b, int32_t c, void* d);
  // Messages 1 and 2 of the scroll bar's arrows and thumb.
  int32_t ScrollChildMessage(int32_t msg, int32_t a, int32_t b, int32_t c, void* d);
  void UpdateRange(int32_t page);
  int32_t ListPage() const;
  // Height of one entry in the opened list; never below 1.
  int32_t EntryStep() const;
  void Close();
  void TakeFocus();
  // The box and its list area on the screen.
  CRect ScreenArea() const;
  void PlaceParts();
  // The colour set of a control's current state.
  static TCntrlColor* ColorsOf(CControlBase* control);

  int32_t m_ListHeight = 0;
  int32_t m_ScrollWidth = 14;
  int32_t m_Selected = 1;
  CControlBase* m_pShown = nullptr;
  int32_t m_Open = 0;
  int32_t m_Top = 1;
  int32_t m_NeedsScroll = 0;
  int32_t m_Hot = 1;
  int32_t m_Pointer = 1;
  int32_t m_ListPressed = 0;
  int32_t m_Focus = 0;
  TCntrlColor* m_pCurColors = nullptr;
  std::vector<CControlBase*> m_Entries;
  CRect m_ListArea;
  CSlider* m_pScrollBar = nullptr;
  CButton* m_pButton = nullptr;
};
