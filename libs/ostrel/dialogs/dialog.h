// A window whose title bar, frame and controls come from a "{ Window NAME }" section of a loaded
// resource script. The dialog owns its control records and their controls and reports what
// happens in it through the callback it registers with the window manager.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/controls/guitypes.h"
#include "ostrel/dialogs/window.h"

class CResData;
class CControlBase;

// Record type codes of the control kinds.
enum : int32_t {
  GUICTRL_STATIC = 0,
  GUICTRL_BUTTON = 1,
  GUICTRL_PROGRESS = 2,
  GUICTRL_GROUPBOX = 3,
  GUICTRL_RADIO = 4,
  GUICTRL_SLIDER = 5,
  GUICTRL_COMBOBOX = 6,
  GUICTRL_EDIT = 7,
  GUICTRL_CHECKBOX = 8,
  GUICTRL_SCROLLTEXT = 9,
  GUICTRL_TIMEOUT = 10,
  GUICTRL_LISTBOX = 11,
  GUICTRL_MULTIEDIT = 12,
  GUICTRL_URL = 13,
  GUICTRL_MENU = 14,
  GUICTRL_CONTAINER = 15,
};

// Create flag: build the dialog hidden.
inline constexpr int32_t DIALOG_HIDDEN = 1;

class CDialog : public CWindow {
 public:
  CDialog() = default;
  ~CDialog() override;

  // 1 when the section of that id was read whole and the dialog registered; 0 otherwise, with
  // no window left registered.
  int32_t Create(CResData* res, int32_t id, TWinCallback callback, int32_t flags, void* user);
  // 0 while the process globals are absent.
  int32_t Destroy() override;

  CControlBase* GetCtrl(int32_t id);
  TGuiCtrl* GetGuiCtrl(int32_t id);
  int32_t First();
  int32_t Exists();
  int32_t Next();
  TGuiCtrl* CurrentGuiCtrl() { return m_Cursor < m_Records.size() ? m_Records[m_Cursor] : nullptr; }
  int32_t SetText(int32_t id, const char* text);
  char* GetTextBuffer(int32_t id, int32_t validate);
  int32_t GetTextBufferSize(int32_t id);
  // The progress bar's value, clamped to its range.
  int32_t SetValue(int32_t id, int32_t value);
  int32_t AddGuiCtrl(TGuiCtrl* record, int32_t addFlags);
  // Makes the control that the chunk item at the script's cursor describes (as in a dialog
  // section, children included, names looked up in that script) and adds it to this dialog.
  // Its record, or null when the item describes none or cannot be read (nothing is kept then).
  TGuiCtrl* CreateGuiCtrl(CResData* res);
  // Takes a record out of the dialog and deletes it with its control (an entry of a list only
  // with its list); 0 when the dialog does not hold it. Delete a parent before its children.
  int32_t DeleteGuiCtrl(TGuiCtrl* record);
  int32_t RemoveGuiCntrl(TGuiCtrl* record);
  int32_t NumGuiCtrls() const { return static_cast<int32_t>(m_Records.size()); }

 private:
  // One item of the current chunk: 1 made a control (or nothing to make), 0 an error.
  // parent is the container that takes the control instead of the window.
  int32_t GetCntrl(CResData* res, CControlBase* parent);
  int32_t ReadControl(CResData* res, int32_t type, const char* name, CControlBase* control);
  int32_t ReadEdit(CResData* res, int32_t type, const char* name, CControlBase* control);
  int32_t GetCommon(CResData* res, CControlBase* control, const char* name, const char* kind);
  int32_t ReadChildren(CResData* res, CControlBase* parent);
  int32_t ReadTitlebarAndFrame(CResData* res);
  // The "{ word }" sub-chunk of a composite control, when present: "Flags" replaces the low
  // sixteen flag bits of the part, then its common keys of the kind.
  int32_t ReadPart(CResData* res, const char* word, CControlBase* part, const char* name, const char* flagsError,
                   const char* kind);
  // The sub-chunks of composite kinds (a toggle's caption, a slider's buttons).
  int32_t ReadKindParts(CResData* res, int32_t type, const char* name, CControlBase* control);
  // "Text" and "Delay" items of a scrolling text, in chunk order.
  int32_t ReadScrollItems(CResData* res, CControlBase* control);
  TGuiCtrl* FindGuiCtrl(int32_t id) const;
  void FreeRecords();
  // Deletes the records from index from on, with their controls.
  void FreeRecordsFrom(size_t from);
  // The record and its control, unless the control is a list's entry; the list stays as it is.
  void DeleteRecord(TGuiCtrl* record);
  void Place(TGuiCtrl* record, CControlBase* parent);

  std::vector<TGuiCtrl*> m_Records;
  // Entries of lists and combo boxes: theirs to delete, not ours.
  std::vector<const CControlBase*> m_ListEntries;
  size_t m_Cursor = 0;
};
