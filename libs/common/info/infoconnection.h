// The info connection: before the client logs in it asks an info server, over a short raw TCP
// link, whether the casino takes a connection now, where the casino, chat and cashier servers are,
// and whether its copy of the server's module list ("srvmap.lst") is current. The info servers
// and the time-outs come from "xrs/filemap.xrs"; when one server fails the caller moves on to the
// next with SetNextserver.
//
// Each request is a loop of passes inside the call: one frame of the core loop (xHandler) a pass,
// so the program keeps drawing and the player may quit. Time-outs count passes, not milliseconds:
// a wait fails on the pass that takes its counter past the time-out (the info answer's wait: on
// the pass that reaches it). Once done, a request returns when its counter exceeds MIN_TIMEOUT.
// The link needs the communication library started (xCommStartup).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/info/infoanswers.h"

class CCommRemoteClient;
class CResData;

inline constexpr const char* INFO_SCRIPT_FILE = "xrs/filemap.xrs";
inline constexpr const char* INFO_SERVER_MAP_FILE = "srvmap.lst";
// The key that ends the connection and info requests' loops (F11).
inline constexpr uint16_t INFO_ABORT_KEY = 309;

// Time-outs in passes, as "xrs/filemap.xrs" leaves them when it names none.
inline constexpr uint32_t IC_CONNECT_TIMEOUT_DEFAULT = 2000;
inline constexpr uint32_t RCF_TIMEOUT_DEFAULT = 4000;
inline constexpr uint32_t RCFS_TIMEOUT_DEFAULT = 2000;
inline constexpr uint32_t RCC_TIMEOUT_DEFAULT = 400;
inline constexpr uint32_t RCI_TIMEOUT_DEFAULT = 2000;
inline constexpr uint32_t MIN_TIMEOUT_DEFAULT = 30;

// Resource strings of "xrs/filemap.xrs": the first info server, then the error texts.
enum : int32_t {
  IC_STR_ADDRESS = 10000,
  IC_STR_CASINO = 10001,
  IC_STR_PORT = 10002,
  IC_STR_PROXY = 10003,
  IC_STR_PROXY_CRYPT = 10004,
  IC_STR_PROXY_ADDRESS = 10005,
  IC_STR_PROXY_PORT = 10006,
  IC_STR_CONNECT_FAILED = 10007,
  IC_STR_NO_CONNECTION_ANSWER = 10008,
  IC_STR_NO_FILEMAP = 10009,
  IC_STR_NO_INFO = 10010,
};
inline constexpr const char* IC_CONNECT_FAILED_TEXT = "Unable to connect. Please try again later...";

// Request states.
enum : int32_t {
  IC_STATE_CONNECT = 1,
  IC_STATE_CONNECTING = 2,
  IC_STATE_SEND_CONNECTION = 3,
  IC_STATE_SEND_FILEMAP = 4,
  IC_STATE_SEND_INFO = 5,
  IC_STATE_WAIT_CONNECTION = 6,
  IC_STATE_WAIT_INFO = 7,
  IC_STATE_WAIT_FILEMAP_SIZE = 8,
  IC_STATE_WAIT_FILEMAP_DATA = 9,
  IC_STATE_CLOSE = 10,
  IC_STATE_REFUSED = 11,
  IC_STATE_FAILED = 12,  // close the link and return 0
  IC_STATE_DONE = 13,    // wait until the pass counter exceeds MIN_TIMEOUT, then return 1
};

// One info server, built from seven texts.
class IpServerConnection {
 public:
  // Ports are decimal (anything else, or above 65535, gives 0, which no connection takes); a flag
  // is on for "TRUE" in any case or "1". Null texts count as empty.
  IpServerConnection(const char* address, const char* casinoName, const char* port, const char* proxyFlag,
                     const char* proxyAddress, const char* proxyCryptFlag, const char* proxyPort);
  virtual ~IpServerConnection();

  const char* GetAddress() const { return m_Address.c_str(); }
  const char* GetCasinoName() const { return m_CasinoName.c_str(); }
  int32_t GetPort() const { return m_Port; }
  int32_t GetProxyFlag() const { return m_ProxyFlag; }
  const char* GetProxyAddress() const { return m_ProxyAddress.c_str(); }
  // The link to the proxy runs under the communication library's encryption.
  int32_t GetProxyCryptFlag() const { return m_ProxyCryptFlag; }
  int32_t GetProxyPort() const { return m_ProxyPort; }

  static int32_t ParseFlag(const char* text);
  static int32_t ParsePort(const char* text);

 private:
  // Copies: the texts often live in a script that goes before the server does.
  std::string m_Address;
  std::string m_CasinoName;
  int32_t m_Port;
  int32_t m_ProxyFlag;
  std::string m_ProxyAddress;
  int32_t m_ProxyCryptFlag;
  int32_t m_ProxyPort;
};

// What a request's caller hears while the request waits.
class IInfoConnectionProgress {
 public:
  virtual ~IInfoConnectionProgress() = default;
  // When a request starts (current 0) and on every pass that waits: the time-out of the wait and
  // the passes counted towards it.
  virtual void Progress(int32_t total, int32_t current) = 0;
  // Just before the connection request is sent.
  virtual void Done() = 0;
};

class CInfoConnection {
 public:
  CInfoConnection();
  // Closes the link and flushes.
  virtual ~CInfoConnection();
  CInfoConnection(const CInfoConnection&) = delete;
  CInfoConnection& operator=(const CInfoConnection&) = delete;

  // The first call (after construction or Flush) loads "xrs/filemap.xrs", reads the time-outs and
  // lists the servers: the one of strings 10000-10006 when all seven exist, then every
  // "FileMapServers" item "server" of at least seven values, in file order; the first becomes
  // current. Each later call moves to the next. 1 while a server is current; 0 once the list is
  // exhausted (it is freed; later calls stay 0 until Flush), when the script is missing, and at
  // once while a refusal text is kept.
  int32_t SetNextserver();

  // Opens the link to the current server and asks "RequestConnection = <casino>". 1 when accepted
  // (the link stays open), and also when the player quits or presses key 309 during the wait.
  // A refusal keeps the server's text and stops the rotation until Flush.
  int32_t RequestCasinoConnection(IInfoConnectionProgress* progress);
  // On the open link: "RequestInfo = <casino>{proxy}"; 1 with the answer fields filled (the link
  // stays open). Quit or key 309 end it with 0.
  int32_t RequestCasinoConnectInfo(IInfoConnectionProgress* progress);
  // On the open link: "RequestFileMap = <CRC-32 of srvmap.lst>" ("RequestFileMap" when the file
  // cannot be read). "Skip" leaves the file as it is; a new list replaces it whole. The link is
  // closed at the end. Quit ends it with 0.
  int32_t RequestCasinoFilemap(IInfoConnectionProgress* progress);

  // The answer fields of the last info request (empty before one).
  const char* GetCasinoIp() const { return m_Answer.m_CasinoIp; }
  const char* GetCasinoPort() const { return m_Answer.m_CasinoPort; }
  const char* GetChatIp() const { return m_Answer.m_ChatIp; }
  const char* GetChatPort() const { return m_Answer.m_ChatPort; }
  const char* GetCashierIp() const { return m_Answer.m_CashierIp; }
  const char* GetCashierPort() const { return m_Answer.m_CashierPort; }
  const char* GetProxyConfig() const { return m_Answer.m_ProxyConfig; }
  // The "updatemessage" of the last info answer; null when it had none.
  const char* GetUpdateMessage() const { return m_Answer.m_HasUpdateMessage ? m_Answer.m_UpdateMessage.c_str() : nullptr; }

  // The current server (null or 0 when there is none).
  const char* GetFilemapServerIP() const;
  const char* GetCasinoName() const;
  int32_t GetFilemapServerPort() const;
  int32_t GetProxyFlag() const;
  const char* GetProxyIP() const;
  int32_t GetProxyCryptFlag() const;
  int32_t GetProxyPort() const;
  int32_t NumServers() const { return static_cast<int32_t>(m_Servers.size()); }

  // The server's refusal text when there is one, else the error text of the last failure, or null.
  const char* GetErrorMessage() const;
  void SetIcState(int32_t state) { m_IcState = state; }
  int32_t GetIcState() const { return m_IcState; }
  int32_t GetConnectFailed() const { return m_ConnectFailed; }

  // Frees the file-map buffer, the refusal text, the server list and its position, the loaded
  // script and the last reply: the next SetNextserver starts from the first server again.
  void Flush();

 protected:
  // Shows a message to the player at once (the login message, a lost server): a modal message box.
  virtual void ShowMessage(const char* caption, const char* text);

 private:
  // What one request's loop does besides its states.
  struct SRequestRules {
    int32_t m_FirstState;
    int32_t m_NoServerText;  // the error text when no server is current
    int32_t m_WatchKey;      // key 309 ends the loop
    int32_t m_AbortResult;   // the result when the player quits (or presses the key)
  };

  int32_t InitConnect();
  // 1 connected, 2 still connecting, 0 failed.
  int32_t Connect();
  void DisConnect();
  // 0 nothing yet, 1 an answer was taken, -1 the link is lost; RCCpoll 2 for a refusal.
  int32_t RCCpoll();
  int32_t RCIpoll();
  int32_t RCFSpoll();
  int32_t RCFpoll();

  int32_t RunRequest(const SRequestRules& rules, IInfoConnectionProgress* progress);
  // One pass of the state machine; 1 while the request goes on.
  int32_t Step(IInfoConnectionProgress* progress, int32_t* result);
  // Counts a waiting pass against timeout and tells the caller; true when the counter is beyond it
  // (at it, with atTimeout).
  bool Wait(IInfoConnectionProgress* progress, uint32_t timeout, bool atTimeout = false);
  uint32_t CurrentTimeout() const;
  // Takes the next raw packet of the link (kept as the last reply): 1 taken, 0 none, -1 lost.
  int32_t TakeReply();
  int32_t SendText(const std::string& text);
  void StepConnecting(IInfoConnectionProgress* progress);
  void StepFileMapSize(IInfoConnectionProgress* progress);
  void StepFileMapData(IInfoConnectionProgress* progress);
  // The server went away during the info request: the player is told at once.
  void LostInfoLink();
  void Fail(int32_t textId);
  void SetErrorText(int32_t textId);
  int32_t LoadServers();
  void ReadTimeouts();
  void AddResourceServer();
  void AddScriptServers();
  const IpServerConnection* Current() const;
  void FreeReply();
  void FreeFileMap();

  uint32_t m_ConnectTimeout = IC_CONNECT_TIMEOUT_DEFAULT;
  uint32_t m_FileMapTimeout = RCF_TIMEOUT_DEFAULT;
  uint32_t m_FileSizeTimeout = RCFS_TIMEOUT_DEFAULT;
  uint32_t m_ConnectionTimeout = RCC_TIMEOUT_DEFAULT;
  uint32_t m_InfoTimeout = RCI_TIMEOUT_DEFAULT;
  uint32_t m_MinTimeout = MIN_TIMEOUT_DEFAULT;
  // The last raw packet received (xFree) and its size.
  void* m_pReply = nullptr;
  uint32_t m_ReplySize = 0;
  std::vector<std::unique_ptr<IpServerConnection>> m_Servers;
  size_t m_Position = 0;
  std::unique_ptr<CResData> m_pScript;
  std::unique_ptr<std::string> m_pRefusal;
  // A copy, so it outlives the script that Flush frees.
  std::string m_ErrorText;
  int32_t m_HasError = 0;
  int32_t m_ConnectFailed = 0;
  int32_t m_IcState = 0;
  uint32_t m_Counter = 0;
  std::unique_ptr<CCommRemoteClient> m_pComm;
  std::vector<char> m_FileMap;
  uint32_t m_FileMapSize = 0;
  SInfoAnswer m_Answer{};
};
