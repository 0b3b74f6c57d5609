// The cashier's application object: it reads the module's command line and its main resource
// script, keeps what the connection and the login need, and drives the cashier once per frame
// through its run states (Run).
#pragma once

#include <cstdint>

#include "cashierproxy.h"
#include "commandline.h"
#include "shared/application.h"

class CCashierWindow;
class CCommNode;
class CCommRemoteClient;
class CConnection;
class CDialog;
class CFont;
class CLogin;
class CResData;

inline constexpr const char* CASHIER_MAIN_SCRIPT = "xrs/cashier_main.xrs";
inline constexpr const char* CASHIER_DEBUG_OPTIONS = "cashierclient_debugoptions.cfg";
inline constexpr int32_t CASHIER_STR_NAME = 20054;
inline constexpr int32_t CASHIER_STR_DEFAULT_PREFIX = 20800;
// Ticker calls that the connection and the login wait for an answer, unless the main script's
// "NETWORKMAXTIMEOUT" says otherwise.
inline constexpr const char* CASHIER_NETWORK_TIMEOUT_KEY = "NETWORKMAXTIMEOUT";
inline constexpr uint32_t CASHIER_NETWORK_TIMEOUT_DEFAULT = 2000;
// The cashier counts its waits in frames of this length.
inline constexpr int32_t CASHIER_FRAME_TIME = 20;

// Run states.
enum : int32_t {
  CASHIER_RUN_START = 1,
  CASHIER_RUN_CONNECT = 2,
  CASHIER_RUN_CONNECTING = 3,
  CASHIER_RUN_CONNECTED = 5,
  CASHIER_RUN_NOCONNECTION = 6,
  CASHIER_RUN_LOGIN = 7,
  CASHIER_RUN_LOGGEDIN = 8,
  CASHIER_RUN_OPENWINDOW = 9,
  CASHIER_RUN_WINDOW = 10,
  CASHIER_RUN_CLOSEWINDOW = 11,
  CASHIER_RUN_LEAVE = 12,
  CASHIER_RUN_LEAVEWAIT = 13,
  CASHIER_RUN_QUIT = 14,
};

class CCashierClientApp : public CApplication {
 public:
  // Switches the runtime's debug output off and reads the cashier's debug options file.
  CCashierClientApp(int32_t logFlag, int32_t argc, char** argv);
  // Exit, unless it has run.
  ~CCashierClientApp() override;

  // 1 when the cashier is ready to run; 0 after a failure, which is reported.
  int32_t Initialize() override;
  // Frees what Initialize and the run made and gives the window manager its default font back; 1.
  int32_t Exit() override;
  // One frame of the runtime, then Run; 1 while the cashier goes on.
  int32_t Ticker() override;
  // One step of the run states; 0 once the cashier has ended.
  int32_t Run() override;

  // The callback of the status and leave windows: the close box asks to leave.
  static void CloseBoxHandler(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

  const char* GetHost() const { return m_Arguments.m_Host.c_str(); }
  int32_t GetPort() const { return m_Arguments.m_Port; }
  const TCashierProxy& GetCashierProxy() const { return m_CashierProxy; }
  const TCashierProxy& GetProcessProxy() const { return m_ProcessProxy; }
  int32_t HasCredentials() const { return m_HasCredentials; }
  const char* GetUserName() const { return m_Arguments.m_UserName.c_str(); }
  const char* GetPassword() const { return m_Arguments.m_Password.c_str(); }
  const char* GetPrefix() const { return m_Arguments.m_Prefix.c_str(); }
  int32_t GetLogFlag() const { return m_LogFlag; }
  int32_t GetRunState() const { return m_RunState; }
  void SetRunState(int32_t state) { m_RunState = state; }
  int32_t IsInitialized() const { return m_Initialized; }
  CResData* GetResData() const { return m_pResData; }
  CLogin* GetLogin() const { return m_pLogin; }

 protected:
  int32_t ShowPendingMessage(const TPendingMessage& message) override;
  void CloseAnsweredMessageWindows() override;

  CDialog* m_pStatusWindow = nullptr;
  CCashierWindow* m_pCashierWindow = nullptr;
  CLogin* m_pLogin = nullptr;
  CConnection* m_pConnection = nullptr;
  CCommRemoteClient* m_pLink = nullptr;  // the connection's
  CCommNode* m_pNode = nullptr;          // the connection's
  int32_t m_LeaveAnswer = 0;
  CResData* m_pResData = nullptr;
  int32_t m_Connected = 0;
  int32_t m_RunState = 0;
  int32_t m_Initialized = 0;
  int32_t m_Exited = 0;
  TCashierArguments m_Arguments;
  TCashierProxy m_CashierProxy;
  TCashierProxy m_ProcessProxy;
  int32_t m_HasCredentials = 0;
  int32_t m_LogFlag;

 private:
  void SaveDefaultFont();
  void RestoreDefaultFont();
  // Steps 10 and 11 of Initialize: the main script and what is read from it.
  void LoadMainScript();
  void ReadNetworkTimeout();

  CFont* m_pSavedFont = nullptr;
  int32_t m_FontSaved = 0;
};

// The module's application, or null.
CCashierClientApp* CashierClientApp();
// The ticker calls the connection and the login wait for an answer.
uint32_t CashierNetworkMaxTimeout();
