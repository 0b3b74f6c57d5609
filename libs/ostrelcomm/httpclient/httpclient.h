// The HTTP/1.1 download client: queued files fetched with GET over one connection that stays open
// between files while the server allows it, resumed with a byte range, with Basic authorisation
// when a login is set. Driven by Update once a frame; nothing blocks.
#pragma once

#include <cstdint>
#include <string>

#include "ostrel/containers/llist.h"
#include "ostrelcomm/download/downloadclient.h"
#include "ostrelcomm/download/downloadsupport.h"
#include "ostrelcomm/httpclient/httpresponse.h"
#include "ostrelcomm/socket.h"

// States of CHTTPClient.
inline constexpr int32_t HTTPSTATE_NOCONNECTION = 1;
inline constexpr int32_t HTTPSTATE_CONNECT = 3;
inline constexpr int32_t HTTPSTATE_CONNECTING = 4;
inline constexpr int32_t HTTPSTATE_IDLE = 5;
inline constexpr int32_t HTTPSTATE_NEXTREQUEST = 6;
inline constexpr int32_t HTTPSTATE_RECONNECT = 7;
inline constexpr int32_t HTTPSTATE_SENDREQUEST = 8;
inline constexpr int32_t HTTPSTATE_READHEADER = 9;
inline constexpr int32_t HTTPSTATE_READBODY = 10;
inline constexpr int32_t HTTPSTATE_FILEDONE = 11;
inline constexpr int32_t HTTPSTATE_REFUSED = 12;

// Reconnects allowed for one request; a finished file gives them back.
inline constexpr int32_t HTTP_RECONNECT_ALLOWANCE = 2;
inline constexpr uint32_t HTTP_RECEIVE_BUFFER_SIZE = 65536;
// An error reply's body is read off up to this size so the connection can carry on; a larger one
// ends the connection instead.
inline constexpr uint32_t HTTP_MAX_DISCARDED_BODY = 65536;

class CHTTPClient : public CDownloadClient {
 public:
  CHTTPClient();
  ~CHTTPClient() override;

  int32_t Startup() override;
  void Closedown() override;
  int32_t IsDownloadedNote() override;
  int32_t GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local,
                            char*& remote) override;
  uint16_t DefaultPort() override { return 80; }
  using CDownloadClient::Connect;
  int32_t Connect(const char* host, uint16_t port) override;
  int32_t Reconnect() override;
  int32_t Disconnect() override;
  int32_t Update() override;
  int32_t IsDownloading() override;
  int32_t IsWaitingForUserCommands() override;
  int32_t IsUserCommands() override;
  int32_t RetrieveFile(const char* local, const char* remote) override;
  void SetNormalMode() override {}
  void SetPassiveMode() override {}
  int32_t SetLoginName(const char* name) override;
  int32_t SetLoginPassword(const char* password) override;
  void SetAppLogCallback(TDownloadAppLogFunc callback, void* user) override;
  int32_t GetDownloadHasFileSize() override;
  uint32_t GetDownloadFileSize() override;
  uint32_t GetDownloadBytesTransfered() override { return m_Progress.GetBytes(); }
  int32_t GetDownloadSpeed() override { return m_Progress.GetSpeed(); }
  const char* GetDownloadLocalFileName() override;
  const char* GetDownloadRemoteFileName() override;
  const char* GetStateString() override { return nullptr; }
  void SetDownloadSize(uint32_t size) override { m_NextExpectedSize = size; }
  int32_t SetDownloadStartPosition(uint32_t position) override;
  int32_t GetDownloadStartPosition() override { return static_cast<int32_t>(m_NextStartPosition); }

  // Formats the text and hands it to the application log callback, when one is set.
  void LogApp(const char* format, ...) __attribute__((format(printf, 2, 3)));

  int32_t GetState() const { return m_State; }
  const std::string& GetHost() const { return m_Host; }
  uint16_t GetPort() const { return m_Port; }
  // The code of the last failure a step met; DOWNLOAD_OK before any.
  int32_t GetLastErrorCode() const { return m_LastError; }
  int32_t GetReconnectAllowance() const { return m_ReconnectAllowance; }
  int32_t GetKeepAlive() const { return m_KeepAlive; }
  int32_t GetPendingCount() const { return m_Pending.GetNumNodes(); }

 private:
  struct SRequest {
    std::string m_Remote;
    std::string m_Local;
    uint32_t m_FileSize = 0;
    uint32_t m_DownloadTime = 0;
    uint32_t m_StartPosition = 0;
    uint32_t m_ExpectedSize = 0;
  };
  // What the body of the current reply is for.
  enum class EBodyUse : uint8_t { File, Discard, DiscardAndRepeat };

  int32_t Step();
  int32_t StateConnect(int32_t reconnect);
  int32_t StateConnecting();
  int32_t StateNextRequest();
  int32_t StateSendRequest();
  int32_t StateReadHeader();
  int32_t StateReadBody();
  int32_t StateFileDone();
  int32_t TakeHeader();
  int32_t StartBody(EBodyUse use);
  int32_t OpenLocalFile();
  int32_t FinishBody();
  int32_t FinishFile();
  // One read into the receive buffer: the bytes read, 0 when none were waiting,
  // DOWNLOAD_ERR_DISCONNECTED when the server closed, DOWNLOAD_ERR_SOCKET_READ on an error.
  int32_t Receive();
  // Steps that failed: set the state that follows and say whether Update goes on.
  int32_t Failed(int32_t code);
  // Notes the failure (with the source line for the log) and gives the code back.
  int32_t Fail(int32_t code, const char* message, int line);
  int32_t Fail(int32_t code, int line);
  void CloseSocket();
  // Has the frame loop's socket wait watch the socket for what the state waits on.
  void WatchSocket();
  void DropCurrent();
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void SetState(int32_t state);
  uint32_t Buffered() const { return m_BufferEnd - m_BufferStart; }

  // Connection.
  int m_Socket = -1;
  int m_Connected = 0;
  int32_t m_SocketCount = 0;
  int32_t m_Started = 0;
  SCryptData m_Crypt;
  uint8_t* m_pBuffer;
  uint32_t m_BufferStart = 0;
  uint32_t m_BufferEnd = 0;
  int32_t m_State = HTTPSTATE_NOCONNECTION;
  uint32_t m_StateTime = 0;
  std::string m_Host;
  int32_t m_HasHost = 0;
  uint16_t m_Port = 80;
  std::string m_Login;
  std::string m_Password;
  int32_t m_KeepAlive = 1;
  int32_t m_ReconnectAllowance = 0;
  int32_t m_ResendAfterConnect = 0;
  int32_t m_RepliesOnConnection = 0;

  // Requests.
  CLList m_Pending;
  CLList m_Finished;
  CLList m_Notes;
  SRequest* m_pCurrent = nullptr;
  std::string m_RequestText;
  uint32_t m_RequestSent = 0;
  uint32_t m_LastSendTime = 0;
  CHTTPHeaderReader m_HeaderReader;
  int32_t m_HaveHeader = 0;
  CHTTPBodyReader m_BodyReader;
  EBodyUse m_BodyUse = EBodyUse::File;
  uint32_t m_LastDataTime = 0;
  CDownloadProgress m_Progress;
  uint32_t m_NextStartPosition = 0;
  uint32_t m_NextExpectedSize = 0;
  CDownloadFile m_File;

  TDownloadAppLogFunc m_pAppLog = nullptr;
  void* m_pAppLogUser = nullptr;
  int32_t m_LastError = DOWNLOAD_OK;
  const char* m_pErrorMessage = nullptr;
  int m_ErrorLine = 0;
};
