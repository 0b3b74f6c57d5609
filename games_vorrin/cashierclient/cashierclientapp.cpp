#include "cashierclientapp.h"

#include <new>

#include "connection.h"
#include "login.h"
#include "messagewindows.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "shared/exception.h"

namespace {
constexpr const char kInitialize[] = "CCashierClientApp::Initialize()";

CCashierClientApp* g_pCashierClientApp = nullptr;
uint32_t g_NetworkMaxTimeout = CASHIER_NETWORK_TIMEOUT_DEFAULT;
}  // namespace

CCashierClientApp* CashierClientApp() { return g_pCashierClientApp; }
uint32_t CashierNetworkMaxTimeout() { return g_NetworkMaxTimeout; }

CCashierClientApp::CCashierClientApp(int32_t logFlag, int32_t argc, char** argv)
    : CApplication(argc, argv), m_LogFlag(logFlag) {
  g_pCashierClientApp = this;
  xStartStdDebug(0);
  xSetDebugLevel(0);
  xGetDebugOptions(CASHIER_DEBUG_OPTIONS, nullptr);
}

CCashierClientApp::~CCashierClientApp() {
  if (!m_Exited) Exit();
  if (g_pCashierClientApp == this) g_pCashierClientApp = nullptr;
}

int32_t CCashierClientApp::Initialize() {
  try {
    AddTimer(APPLICATION_TIMER_PERIOD);
    if (m_Initialized) throw CException(kInitialize, "Already initialized");
    ReadCashierArguments(GetArgc(), GetArgv(), m_Arguments);
    m_HasCredentials = !m_Arguments.m_UserName.empty() && !m_Arguments.m_Password.empty();
    SaveDefaultFont();
    LoadMainScript();
    const char* proxies = m_Arguments.m_ProxyDescription.c_str();
    ReadCashierProxy(proxies, CASHIER_PROXY_ENTRY, m_CashierProxy);
    ReadCashierProxy(proxies, CASHIER_PROCESS_PROXY_ENTRY, m_ProcessProxy);
    delete m_pLogin;
    m_pLogin = new (std::nothrow) CLogin(m_Arguments.m_UserName.c_str(), m_Arguments.m_Password.c_str());
    if (!m_pLogin) throw CException(kInitialize, "Out of memory while creating the login object.");
    m_Exited = 0;
    m_Initialized = 1;
    if (glb && glb->m_StdDebugMode) m_LogFlag = 1;
    m_RunState = CASHIER_RUN_START;
    return 1;
  } catch (const CException& e) {
    e.Report();
    return 0;
  }
}

void CCashierClientApp::LoadMainScript() {
  delete m_pResData;
  m_pResData = new (std::nothrow) CResData;
  if (!m_pResData) throw CException(kInitialize, "Out of memory while creating a CResData object.");
  if (!m_pResData->Load(CASHIER_MAIN_SCRIPT)) throw CException(kInitialize, "Failed to load resource file");
  if (m_Arguments.m_Prefix.empty()) {
    m_Arguments.m_Prefix = m_pResData->GetResString(CASHIER_STR_DEFAULT_PREFIX, "");
    if (m_Arguments.m_Prefix.size() > CASHIER_PREFIX_MAX) m_Arguments.m_Prefix.resize(CASHIER_PREFIX_MAX);
  }
  ReadNetworkTimeout();
  SetName(m_pResData->GetResString(CASHIER_STR_NAME, ""));
  if (glb && glb->m_pCurrentScreen) glb->m_pCurrentScreen->SetSystemPalette();
  SetMinimumFrameTime(CASHIER_FRAME_TIME);
  SetUpdateTime(CASHIER_FRAME_TIME);
}

void CCashierClientApp::ReadNetworkTimeout() {
  g_NetworkMaxTimeout = CASHIER_NETWORK_TIMEOUT_DEFAULT;
  if (!m_pResData->EnterDataChunk()) return;
  uint32_t timeout = 0;
  if (m_pResData->GetItem(CASHIER_NETWORK_TIMEOUT_KEY, KULONG, &timeout, KEND)) g_NetworkMaxTimeout = timeout;
  m_pResData->ExitDataChunk();
}

void CCashierClientApp::SaveDefaultFont() {
  if (m_FontSaved || !glb || !glb->m_pWinCtrl) return;
  m_pSavedFont = glb->m_pWinCtrl->GetDefaultFont();
  m_FontSaved = 1;
}

void CCashierClientApp::RestoreDefaultFont() {
  if (!m_FontSaved) return;
  if (glb && glb->m_pWinCtrl) glb->m_pWinCtrl->SetDefaultFont(m_pSavedFont);
  m_FontSaved = 0;
}

int32_t CCashierClientApp::Exit() {
  // The window manager may still point at a font of the script: give it its own back first.
  RestoreDefaultFont();
  delete m_pResData;
  m_pResData = nullptr;
  delete m_pLogin;
  m_pLogin = nullptr;
  delete m_pConnection;
  m_pConnection = nullptr;
  m_pLink = nullptr;
  m_pNode = nullptr;
  m_Arguments.m_Host.clear();
  m_Arguments.m_ProxyDescription.clear();
  m_Arguments.m_UserName.clear();
  WipeText(m_Arguments.m_Password);
  m_Arguments.m_Prefix.clear();
  m_CashierProxy = TCashierProxy{};
  m_ProcessProxy = TCashierProxy{};
  m_Initialized = 0;
  m_Exited = 1;
  return 1;
}

int32_t CCashierClientApp::Ticker() {
  xHandler();
  return Run() ? 1 : 0;
}

void CCashierClientApp::CloseBoxHandler(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  if (event != GUIMSG_COMMAND || controlId != XCNTRL_CLOSE) return;
  CCashierClientApp* app = user ? static_cast<CCashierClientApp*>(user) : g_pCashierClientApp;
  if (!app) return;
  const int32_t state = app->m_RunState;
  if (state != CASHIER_RUN_LEAVE && state != CASHIER_RUN_LEAVEWAIT && state != CASHIER_RUN_QUIT)
    app->m_RunState = CASHIER_RUN_LEAVE;
}

int32_t CCashierClientApp::ShowPendingMessage(const TPendingMessage& message) {
  return ShowServerMessageWindow(message.m_Title, message.m_Text, message.m_Icon);
}

void CCashierClientApp::CloseAnsweredMessageWindows() { ::CloseAnsweredMessageWindows(); }
