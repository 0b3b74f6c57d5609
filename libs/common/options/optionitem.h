// One choice of a settings screen: a control (usually a check box copied from a template) and
// the description shown while the mouse is over it.
#pragma once

#include <cstdint>

#include "ostrel/base/cstring.h"
#include "ostrel/controls/guitypes.h"

class COptionItem {
 public:
  COptionItem() = default;
  // Destroy.
  virtual ~COptionItem();
  COptionItem(const COptionItem&) = delete;
  COptionItem& operator=(const COptionItem&) = delete;

  // Takes the record and its control over (an earlier one is destroyed first); 0 for none.
  virtual int32_t Create(TGuiCtrl* record, const CString& text);
  // Takes the control off its dialog, deletes it and its record, empties the text; 1.
  virtual int32_t Destroy();
  // 1 while the control is checked (state 6).
  virtual int32_t IsSelected();
  virtual TGuiCtrl* GetCtrl();

  const CString& GetText() const { return m_Text; }

 private:
  TGuiCtrl* m_pCtrl = nullptr;
  CString m_Text;
};

// Deletes a record and its control that the caller owns. When the control's window is a dialog
// that lists the record, the dialog lets go of both first, so it never reaches them again.
void xDeleteOwnedGuiCtrl(TGuiCtrl* record);
