#include "common/widgets/panel.h"

#include <cstdio>
#include <cstring>

#include "common/chat/chatdisplay.h"
#include "common/tables/clienttablebase.h"
#include "common/widgets/dlgmove.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"

CPanel::CPanel() = default;

CPanel::~CPanel() { RemoveAllTimers(); }

int32_t CPanel::Exit() {
  RemoveAllTimers();
  return 1;
}

void CPanel::UpdateChat(char* line) {
  if (m_pChatDisplay && line) m_pChatDisplay->UpdateChat(line);
}

void CPanel::SetPlayerIsSeated(bool seated) { m_PlayerSeated = seated ? 1 : 0; }

void CPanel::ShowRequestDialog(const char* heading, const char* text) {
  CDialog* box = m_pRequest;
  if (!box) return;
  if (char* buffer = box->GetTextBuffer(PANEL_CTRL_REQUEST_HEADING, 0)) {
    const int32_t size = box->GetTextBufferSize(PANEL_CTRL_REQUEST_HEADING);
    const char* tail = m_pPanelRes ? m_pPanelRes->GetResString(PANEL_STR_REQUEST_HEADING, "") : "";
    const size_t need = std::strlen(heading ? heading : "") + std::strlen(tail) + 1;
    if (size > 0 && need <= static_cast<size_t>(size))
      snprintf(buffer, static_cast<size_t>(size), "%s%s", heading ? heading : "", tail);
  }
  if (char* buffer = box->GetTextBuffer(PANEL_CTRL_REQUEST_TEXT, 0)) {
    const int32_t size = box->GetTextBufferSize(PANEL_CTRL_REQUEST_TEXT);
    if (size > 0) snprintf(buffer, static_cast<size_t>(size), "%s", text ? text : "");
  }
  if (m_pDlgMove) m_pDlgMove->MoveWindow(box, m_RequestShownX, m_RequestShownY, m_RequestFrames);
  RemoveTimer(PANEL_REQUEST_TIMEOUT_MS);
  AddTimer(PANEL_REQUEST_TIMEOUT_MS);
}

void CPanel::TimerHandler(uint32_t period) {
  if (period != PANEL_REQUEST_TIMEOUT_MS) return;
  RemoveTimer(PANEL_REQUEST_TIMEOUT_MS);
  if (!m_pRequest) return;
  int32_t x = 0, y = 0;
  m_pRequest->GetPos(x, y);
  if (y != m_RequestShownY) return;
  if (m_pDlgMove) m_pDlgMove->MoveWindow(m_pRequest, x, PANEL_REQUEST_HIDDEN_Y, m_RequestFrames);
  if (m_pTable) m_pTable->SendRequestAnswer(0);
}
