#include "casino/mainclient/progressbar.h"

#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/dialog.h"

CProgress* xProgressBar(CDialog* dialog, int32_t controlId) {
  TGuiCtrl* record = dialog ? dialog->GetGuiCtrl(controlId) : nullptr;
  return record && record->m_Type == GUICTRL_PROGRESS ? static_cast<CProgress*>(record->m_pCntrl) : nullptr;
}
