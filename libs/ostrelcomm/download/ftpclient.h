// The FTP download client: logs in, switches to binary transfers and fetches queued files one
// after the other over a passive or a normal (active) data connection, resuming at a start
// position, with time-outs in every state, bounded reconnects and data-connection retries, notes
// of finished files and fault injection for tests. Driven only by Update, once a frame.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "ostrelcomm/download/downloadclient.h"
#include "ostrelcomm/download/downloadsupport.h"
#include "ostrelcomm/download/ftpfaults.h"
#include "ostrelcomm/download/ftplog.h"
#include "ostrelcomm/download/ftpprotocol.h"
#include "ostrelcomm/socket.h"

// States of CFtpClient.
inline constexpr int32_t FTPCONNECTING = 1;
inline constexpr int32_t FTPWAITINGFORLOGIN = 2;
inline constexpr int32_t FTPSENDLOGIN = 3;
inline constexpr int32_t FTPWAITLOGINANSWER = 4;
inline constexpr int32_t FTPSTARTUPINIT = 5;
inline constexpr int32_t FTPSENDPASSWORD = 6;
inline constexpr int32_t FTPWAITPASSWORDANSWER = 7;
inline constexpr int32_t FTPWAITFORTYPEANSWER = 8;
inline constexpr int32_t FTPWAITFORUSERCOMMANDS = 9;
inline constexpr int32_t FTPDOWNLOADINIT = 13;
inline constexpr int32_t FTPPASVDOWNLOADWAITPASVANSWER = 14;
inline constexpr int32_t FTPPASVDOWNLOADCONNECTING = 15;
inline constexpr int32_t FTPPASVDOWNLOADWAITRECVFILE = 16;
inline constexpr int32_t FTPNORMDOWNLOADWAITPORTANSWER = 17;
inline constexpr int32_t FTPNORMDOWNLOADSENDRECVFILE = 18;
inline constexpr int32_t FTPNORMDOWNLOADWAITRECVFILE = 19;
inline constexpr int32_t FTPNORMDOWNLOADWAITINCOMINGCONNECT = 20;
inline constexpr int32_t FTPDOWNLOADSTART = 21;
inline constexpr int32_t FTPDOWNLOADDOWNLOADING = 22;
inline constexpr int32_t FTPDOWNLOADEND = 23;
inline constexpr int32_t FTPNORMDOWNLOADSENDRESTARTPOS = 25;
inline constexpr int32_t FTPNORMDOWNLOADWAITRESTARTPOS = 26;
inline constexpr int32_t FTPPASVDOWNLOADSENDRESTARTPOS = 27;
inline constexpr int32_t FTPPASVDOWNLOADWAITRESTARTPOS = 28;
inline constexpr int32_t FTPERROR = 29;
inline constexpr int32_t FTPPAUSE = 250;

// Reconnects allowed between two completed downloads.
inline constexpr int32_t FTP_MAX_RECONNECTS = 2;
// Data-connection retries allowed for one file; every third one changes the transfer mode.
inline constexpr int32_t FTP_MAX_DATA_RETRIES = 7;
inline constexpr int32_t FTP_MAX_CONNECT_TRIES = 2;
inline constexpr uint32_t FTP_STATE_TIMEOUT_MS = 20000;
inline constexpr uint32_t FTP_GREETING_TIMEOUT_MS = 30000;
inline constexpr uint32_t FTP_PAUSE_MS = 25;
// A file of at most this size gets no quarter messages.
inline constexpr uint32_t FTP_QUARTERS_MIN_SIZE = 512;
// Replies read ahead of the states; the command connection is not read while this many wait.
inline constexpr size_t FTP_MAX_QUEUED_REPLIES = 16;

// A login callback: sets text to a name or password (which the client copies) and returns
// non-zero, or returns 0 to give up the login.
using TFtpLoginFunc = int32_t (*)(char*& text, void* user);

struct SFtpFile {
  std::string m_Local;
  std::string m_Remote;
};

// One queued request of the owner.
struct SFtpUserCommand {
  int32_t m_Type = 0;  // FTP_USER_RETRIEVE
  int32_t m_Id = 0;
  std::string m_Text;
  SFtpFile m_File;
  uint32_t m_StartPosition = 0;
  uint32_t m_ExpectedSize = 0;
};
inline constexpr int32_t FTP_USER_RETRIEVE = 1;

class CFtpClient : public CDownloadClient {
 public:
  CFtpClient();
  ~CFtpClient() override;

  int32_t Startup() override;
  void Closedown() override;
  int32_t IsDownloadedNote() override { return m_Notes.empty() ? 0 : 1; }
  int32_t GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local,
                            char*& remote) override;
  using CDownloadClient::Connect;
  int32_t Connect(const char* host, uint16_t port) override;
  int32_t Reconnect() override;
  int32_t Disconnect() override;
  void SetBlockingConnectOn() override { m_BlockingConnect = 1; }
  void SetBlockingConnectOff() override { m_BlockingConnect = 0; }
  int32_t Update() override;
  int32_t IsDownloading() override { return m_State == FTPDOWNLOADDOWNLOADING; }
  int32_t IsWaitingForUserCommands() override { return m_State == FTPWAITFORUSERCOMMANDS; }
  int32_t IsUserCommands() override { return m_pCurrent || !m_UserCommands.empty(); }
  int32_t RetrieveFile(const char* local, const char* remote) override;
  void SetNormalMode() override;
  void SetPassiveMode() override;
  int32_t SetLoginName(const char* name) override;
  int32_t SetLoginPassword(const char* password) override;
  void SetAppLogCallback(TDownloadAppLogFunc callback, void* user) override;
  int32_t GetDownloadHasFileSize() override { return m_HasSize; }
  uint32_t GetDownloadFileSize() override { return m_Size; }
  uint32_t GetDownloadBytesTransfered() override;
  int32_t GetDownloadSpeed() override { return m_Progress.GetSpeed(); }
  const char* GetDownloadLocalFileName() override;
  const char* GetDownloadRemoteFileName() override;
  const char* GetStateString() override { return m_StateText.c_str(); }
  void LogDelete() override { CFtpLog::Delete(); }
  void LogEnable() override { m_Log.Enable(); }
  void LogDisable() override { m_Log.Disable(); }
  void SetDownloadSize(uint32_t size) override { m_NextExpectedSize = size; }
  int32_t SetDownloadStartPosition(uint32_t position) override;
  int32_t GetDownloadStartPosition() override;

  void DebugStopConnect(int32_t n) override { m_Faults.StopConnect(n); }
  void DebugStopFileConnect(int32_t n) override { m_Faults.StopFileConnect(n); }
  void DebugStopLogin(int32_t n) override { m_Faults.StopLogin(n); }
  void DebugStopPassword(int32_t n) override { m_Faults.StopPassword(n); }
  void DebugStopPort(int32_t n) override { m_Faults.StopPort(n); }
  void DebugStopRecv(int32_t n) override { m_Faults.StopRecv(n); }
  void DebugStopFileSize(int32_t n) override { m_Faults.StopFileSize(n); }
  void DebugMessupKey(char key) override { m_Faults.MessupKey(key); }
  void DebugStopFileDownloadTime(int32_t n, uint32_t ms) override {
    m_Faults.StopFileDownloadTime(n, ms, m_Completed);
  }
  void DebugAlwaysStopFileSize() override { m_Faults.AlwaysStopFileSize(); }
  void DebugAlwaysStopPassive() override { m_Faults.AlwaysStopPassive(); }
  void DebugAlwaysStopNormal() override { m_Faults.AlwaysStopNormal(); }
  void DebugAlwaysStopSite(const char* site) override { m_Faults.AlwaysStopSite(site); }
  // Where the debug switches send connections that are to fail (port 0: the port meant).
  void DebugSetDeadSite(const char* host, uint16_t port) { m_Faults.SetDeadSite(host, port); }

  void SetLoginNameCallback(TFtpLoginFunc callback, void* user);
  void SetLoginPasswordCallback(TFtpLoginFunc callback, void* user);
  void SetLoginNameErrorCallback(TFtpLoginFunc callback, void* user);
  void SetLoginPasswordErrorCallback(TFtpLoginFunc callback, void* user);
  int32_t SendFile(const char*, const char*) { return 0; }

  // The text of the last failure; operation (when given) names the operation it happened in.
  const char* FtpGetErrorTxt(const char** operation = nullptr) const;
  // Formats the text and hands it to the application log callback, when one is set.
  void LogApp(const char* format, ...) __attribute__((format(printf, 2, 3)));

  int32_t GetState() const { return m_State; }
  int32_t IsPassiveMode() const { return m_Passive; }
  int32_t GetReconnectCount() const { return m_Reconnects; }
  int32_t GetDataRetryCount() const { return m_DataRetries; }
  int32_t GetCompletedCount() const { return static_cast<int32_t>(m_Completed); }

 private:
  // One Update's work; Update then has the frame loop's socket wait watch the sockets in use.
  int32_t Advance();
  void WatchSockets();
  struct SLoginCallback {
    TFtpLoginFunc m_pFunc = nullptr;
    void* m_pUser = nullptr;
  };

  // Pumps the command connection: 1 when it is up, 0 when it has closed, -1 after a failure.
  int32_t PumpCommand();
  int32_t Step();
  int32_t StepConnecting();
  int32_t StepGreeting(const SFtpReply& r);
  int32_t StepSendLogin(bool password);
  int32_t StepLoginAnswer(const SFtpReply& r);
  int32_t StepPasswordAnswer(const SFtpReply& r);
  int32_t StepTypeAnswer(const SFtpReply& r);
  int32_t StepNextCommand();
  int32_t StepDownloadInit();
  int32_t StepPassiveAnswer(const SFtpReply& r);
  int32_t StepRestartAnswer(const SFtpReply& r, int32_t next);
  int32_t StepDataConnecting();
  int32_t StepFileAnswer(const SFtpReply& r);
  int32_t StepPortAnswer(const SFtpReply& r);
  int32_t StepIncomingConnect();
  int32_t StepDownloadStart();
  int32_t StepDownloading();
  int32_t StepDownloadEnd();
  // Takes the server's connection to the listening socket when one has come: 1 when the data
  // connection is up, 0 while none has, -1 on failure.
  int32_t AcceptData();
  // The reply that ended the download, or an error reply that ends it.
  int32_t TransferReply(const SFtpReply& r);

  int32_t SendCommand(const char* word, const char* argument = nullptr);
  bool TakeReply(SFtpReply& reply);
  // A login callback's answer copied into slot; false when it gave up or gave nothing usable.
  bool AskCallback(const SLoginCallback& callback, std::string& slot);
  // A failure of the reply: texts of the codes that end the operation, else "Invalid ftp reply".
  int32_t ReplyFailure(const SFtpReply& r, bool withText);
  // Gives up: keeps the text, logs it, state FTPERROR; 0.
  int32_t Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Keeps the text and logs it for an operation; 0.
  int32_t Error(const char* operation, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Trouble with the data connection: at most FTP_MAX_DATA_RETRIES retries over a new
  // connection, every third in the other mode.
  int32_t RetryData(const char* why);
  int32_t ReconnectStep(const char* why);
  // counted: whether it uses up one of the reconnects between completed downloads.
  int32_t DoReconnect(bool counted);
  int32_t StartConnect();
  void Clear();
  void CloseData();
  void SetState(int32_t state);
  void UpdateStateText();
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void LogUser(const char* format, ...) __attribute__((format(printf, 2, 3)));
  uint32_t TimeInState() const;

  // The socket layer.
  int32_t m_Started = 0;
  int32_t m_SocketCount = 0;
  SCryptData m_Crypt;
  int m_CmdSocket = -1;
  int m_CmdConnected = 0;
  int m_ListenSocket = -1;
  int m_ListenRunning = 0;
  int m_DataSocket = -1;
  int m_DataConnected = 0;
  int32_t m_DataConnecting = 0;

  // The server and where the current connect goes.
  std::string m_Host;
  uint16_t m_Port = 21;
  int32_t m_HasHost = 0;
  std::string m_ConnectHost;
  uint16_t m_ConnectPort = 0;
  uint32_t m_ServerIp = 0;  // the command connection's far end
  uint32_t m_DataIp = 0;
  uint16_t m_DataPort = 0;

  std::string m_Login;
  int32_t m_HasLogin = 0;
  std::string m_Password;
  int32_t m_HasPassword = 0;
  SLoginCallback m_NameCallback, m_PasswordCallback, m_NameErrorCallback, m_PasswordErrorCallback;
  TDownloadAppLogFunc m_pAppLog = nullptr;
  void* m_pAppLogUser = nullptr;

  // Queues.
  std::deque<std::string> m_SendQueue;
  std::string m_Out;
  uint32_t m_OutSent = 0;
  CFtpReplyReader m_Reader;
  std::deque<SFtpReply> m_Replies;
  std::deque<SFtpUserCommand> m_UserCommands;
  std::unique_ptr<SFtpUserCommand> m_pCurrent;

  // State.
  int32_t m_State = 0;
  uint32_t m_StateTime = 0;
  std::string m_StateText;
  int32_t m_Passive = 1;
  int32_t m_BlockingConnect = 1;
  int32_t m_ConnectTries = 0;
  int32_t m_DataRetries = 0;
  int32_t m_Reconnects = 0;
  uint32_t m_Completed = 0;

  // The current transfer.
  uint32_t m_StartPosition = 0;
  int32_t m_HasSize = 0;
  uint32_t m_Size = 0;
  CDownloadProgress m_Progress;
  uint32_t m_LastDataTime = 0;
  int32_t m_Quarters = 0;
  int32_t m_TransferReplied = 0;
  int32_t m_DataClosed = 0;
  int32_t m_RecvChecked = 0;
  int32_t m_PortChecked = 0;
  CDownloadFile m_File;
  uint8_t* m_pBuffer;
  uint32_t m_NextStartPosition = 0;
  uint32_t m_NextExpectedSize = 0;

  std::deque<std::unique_ptr<CDownloadedNote>> m_Notes;
  CFtpFaults m_Faults;
  CFtpLog m_Log;
  std::string m_ErrorText;
  std::string m_ErrorOperation;
  int32_t m_Destroyed = 0;
};
