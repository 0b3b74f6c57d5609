#include "shared/application.h"

#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "shared/exception.h"

CApplication* CApplication::s_pInstance = nullptr;

CApplication::CApplication(int32_t argc, char** argv) : m_Argc(argc), m_Argv(argv) {
  if (s_pInstance)
    throw CException("CApplication::CApplication()", "An instance of this object already exists (Singleton).");
  if (!xCommDllSetGlobals(glb, sglb))
    throw CException("CApplication::CApplication()",
                     "Failed to set globals for communication dll [xCommDllSetGlobals()].");
  s_pInstance = this;
}

CApplication::~CApplication() {
  if (s_pInstance == this) s_pInstance = nullptr;
}

void CApplication::SetPendingMessage(const TPendingMessage& message) {
  m_PendingMessage = message;
  m_PendingMessage.m_Title[PENDINGMSG_TITLE_SIZE - 1] = 0;
  m_PendingMessage.m_Text[PENDINGMSG_TEXT_SIZE - 1] = 0;
  m_PendingMessage.m_Pending = 1;
}

void CApplication::TimerHandler(uint32_t) {
  if (m_PendingMessage.m_Pending && ShowPendingMessage(m_PendingMessage)) m_PendingMessage.m_Pending = 0;
  CloseAnsweredMessageWindows();
}
