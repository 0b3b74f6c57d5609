// A dialog whose check boxes and group boxes stand for options: a control whose id is an option
// id shows that option (a check box a bool, checked or not; a group box a long, the id of its
// selected radio button) and writes it back on OK.
#pragma once

#include <cstdint>

#include "ostrel/dialogs/dialog.h"

class COptions;
class CResData;

class COptionsDlg : public CDialog {
 public:
  // Makes an option set on the script and owns it (load it through GetOptions).
  explicit COptionsDlg(CResData* res);
  // Works on the caller's option set, which must outlive the dialog.
  explicit COptionsDlg(COptions* options);
  ~COptionsDlg() override;

  // Creates the dialog of that id from the option set's script (shown; flags is not used) and
  // shows the options in it. A null callback means WinCallback with the dialog as user value; a
  // null user means the dialog. 0 when the dialog cannot be created.
  int32_t ShowWin(int32_t dialogId, int32_t okId, int32_t cancelId, TWinCallback callback, int32_t flags,
                  void* user);
  // The default callback: OK writes the controls into the options and closes, cancel closes.
  static void WinCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  // Writes every bound control into its option. A group box without a selection, and a check
  // box neither checked nor unchecked (disabled, hidden), leave their option; the walk stops at
  // the first long option that cannot be written (0 then).
  int32_t GetDlgState();
  // Drops the options in memory and destroys the dialog; 1.
  int32_t ExitWin();
  // Reads the file again and shows it in every bound control; 1.
  int32_t Reset();
  // 1 while neither OK nor cancel closed the dialog.
  int32_t UpdateWin();
  // 0 when the dialog has no control of that id.
  int32_t SetCntrlState(int32_t id, int32_t state);

  COptions* GetOptions() const { return m_pOptions; }
  int32_t IsClosed() const { return m_Closed; }

 private:
  // The options into the bound controls.
  void ShowOptions();

  COptions* m_pOptions;
  COptions* m_pOwnOptions = nullptr;
  int32_t m_Closed = 0;
  int32_t m_OkId = 0;
  int32_t m_CancelId = 0;
};
