#include "install/engine/downloadhook.h"

#include <cstdio>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/fversiondownloaditem.h"
#include "install/engine/downloadpackedmodule.h"
#include "install/engine/installerstate.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/frameloop.h"

namespace {
// Controls show their own buffer, which the script sizes; a text the control borrowed would not
// outlive this frame.
void ShowText(CDialog& dialog, int32_t id, const char* text) {
  char* buffer = dialog.GetTextBuffer(id, 0);
  const int32_t size = dialog.GetTextBufferSize(id);
  if (!buffer || size <= 0) return;
  std::snprintf(buffer, static_cast<size_t>(size), "%s", text ? text : "");
  if (CControlBase* control = dialog.GetCtrl(id)) control->Validate();
}

void OnDialog(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  if (event == GUIMSG_COMMAND && controlId == BHOOK_CANCEL && user) *static_cast<int32_t*>(user) = 1;
}

// The progress dialog, when the resources hold it; without it the download runs unseen.
class CHookDialog {
 public:
  CHookDialog(uint64_t total, int32_t* stop) {
    CResData* res = BGetInstallerResources();
    if (!res || !m_Dialog.Create(res, BHOOK_DIALOG, OnDialog, 0, stop)) return;
    m_Open = true;
    // The bar's range is 32-bit: large totals are shown in larger units.
    while ((total >> m_Shift) > 0x7FFFFFFF) ++m_Shift;
    if (TGuiCtrl* bar = m_Dialog.GetGuiCtrl(BHOOK_PROGRESS); bar && bar->m_Type == GUICTRL_PROGRESS)
      static_cast<CProgress*>(bar->m_pCntrl)->SetRange(0, static_cast<int32_t>(total >> m_Shift));
    m_Dialog.SetValue(BHOOK_PROGRESS, 0);
    ShowText(m_Dialog, BHOOK_TEXT, res->GetResString(BHOOK_TEXT_STRING, ""));
  }
  ~CHookDialog() {
    if (m_Open) m_Dialog.Destroy();
  }
  CHookDialog(const CHookDialog&) = delete;
  CHookDialog& operator=(const CHookDialog&) = delete;

  void Show(BDownLoadPackedModule& set) {
    if (!m_Open) return;
    char rate[64];
    BFormatRate(set.GetRate(), rate, sizeof rate);
    ShowText(m_Dialog, BHOOK_RATE, rate);
    ShowText(m_Dialog, BHOOK_FILE, set.GetCurrentFile());
    if (*set.GetCurrentSite()) ShowText(m_Dialog, BHOOK_SITE, set.GetCurrentSite());
    m_Dialog.SetValue(BHOOK_PROGRESS, static_cast<int32_t>(set.GetBytesDone() >> m_Shift));
  }

 private:
  CDialog m_Dialog;
  bool m_Open = false;
  int m_Shift = 0;
};
}  // namespace

int32_t BInstallerDownloadHook(CLList* items, CLList* sites, int32_t* stop) {
  int32_t cancelled = 0;
  int32_t* flag = stop ? stop : &cancelled;
  CFVModuleHandler handler;
  for (CNode* n = sites ? sites->HeadNode() : nullptr; n; n = n->m_pNext) {
    const auto* site = static_cast<const SFVFtpSite*>(n->m_pData);
    if (!site || !handler.AddFtpSite(site->m_pSiteName, site->m_pLoginName, site->m_pPassword, site->m_pSubDir,
                                     site->m_ConnectTimeout, site->m_DataTimeout))
      return 0;
  }
  BDownLoadPackedModule set(&handler);
  for (CNode* n = items ? items->HeadNode() : nullptr; n; n = n->m_pNext)
    set.AddItem(static_cast<const SFVersionDownloadItem*>(n->m_pData));
  const bool nothingToFetch = set.GetItemCount() == 0;
  {
    CHookDialog dialog(set.GetTotalBytes(), flag);
    while (!*flag) {
      set.Step();
      if (!set.IsRunning()) break;
      dialog.Show(set);
      xHandler();
    }
  }
  const bool cancelledNow = *flag != 0;
  if (cancelledNow) set.Cancel();
  const bool finished = nothingToFetch || (set.GetState() == BDOWNLOAD_FINISHED && set.GetError() == BDOWNLOAD_OK);
  if (!cancelledNow && finished) return 1;
  BSetRestartFlag(INSTALLER_RESTART_FAILED);
  *flag = 1;
  return 0;
}
