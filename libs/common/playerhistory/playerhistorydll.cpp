#include "common/playerhistory/playerhistorydll.h"

#include "ostrel/system/debug.h"

CPlayerHistoryDll::~CPlayerHistoryDll() { Exit(); }

int CPlayerHistoryDll::Loaded() { return CDynamicLibrary::Loaded(); }

void CPlayerHistoryDll::Unbind() {
  m_pInit = nullptr;
  m_pHandler = nullptr;
  m_pExit = nullptr;
}

int32_t CPlayerHistoryDll::LoadDll() {
  if (Loaded() && m_pInit && m_pHandler && m_pExit) return 1;
  if (!Load(m_pModuleName, DYNLIB_INHERIT_OSTREL)) {
    xprintf("CPlayerHistoryDll::LoadDll: Unable to load %s", m_pModuleName);
    Close();
    return 0;
  }
  m_pInit = reinterpret_cast<TPlayerHistoryInit>(GetSymbol(PLAYERHISTORY_ENTRY_INIT));
  m_pHandler = reinterpret_cast<TPlayerHistoryHandler>(GetSymbol(PLAYERHISTORY_ENTRY_HANDLER));
  m_pExit = reinterpret_cast<TPlayerHistoryExit>(GetSymbol(PLAYERHISTORY_ENTRY_EXIT));
  if (m_pInit && m_pHandler && m_pExit) return 1;
  xprintf("CPlayerHistoryDll::LoadDll: %s lacks an entry point", m_pModuleName);
  Unbind();
  Close();
  return 0;
}

int32_t CPlayerHistoryDll::Init(CCommNode* node, int32_t playerId, int32_t gameId) {
  if (!LoadDll()) return 0;
  return m_pInit(node, playerId, gameId);
}

int32_t CPlayerHistoryDll::Handler() { return m_pHandler ? m_pHandler() : 0; }

int32_t CPlayerHistoryDll::Exit() {
  const int32_t result = m_pExit ? m_pExit() : 0;
  Unbind();
  Close();
  return result;
}
