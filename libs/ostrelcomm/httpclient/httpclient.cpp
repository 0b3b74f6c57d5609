#include "ostrelcomm/httpclient/httpclient.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/clock.h"
#include "ostrelcomm/httpclient/httprequesttext.h"
#include "ostrelcomm/socketwait.h"

namespace {

constexpr const char* kSource = "httpclient";
// Reads one header step may make before it waits for the next frame.
constexpr int kHeaderReadsPerStep = 8;

bool IsReconnectCode(int32_t code) {
  return code == DOWNLOAD_ERR_DISCONNECTED || code == DOWNLOAD_ERR_CONNECT ||
         code == DOWNLOAD_ERR_CONNECT_TIMEOUT || code == DOWNLOAD_ERR_TIMEOUT;
}

// The step a failure happened in, for the log line.
const char* StepName(int32_t state) {
  switch (state) {
    case HTTPSTATE_CONNECT:
    case HTTPSTATE_RECONNECT: return "CHTTPClient::StateConnect";
    case HTTPSTATE_CONNECTING: return "CHTTPClient::StateConnecting";
    case HTTPSTATE_NEXTREQUEST: return "CHTTPClient::StateNextRequest";
    case HTTPSTATE_SENDREQUEST: return "CHTTPClient::StateSendRequest";
    case HTTPSTATE_READHEADER: return "CHTTPClient::StateGetHeader";
    case HTTPSTATE_READBODY: return "CHTTPClient::StateGetData";
    default: return "CHTTPClient::Update";
  }
}

// Takes the first item of a list of owned pointers off the list.
template <typename T>
T* TakeFirst(CLList& list) {
  if (!list.First()) return nullptr;
  auto* item = static_cast<T*>(list.Get());
  list.Delete(1);
  return item;
}

template <typename T>
void DeleteAll(CLList& list) {
  while (T* item = TakeFirst<T>(list)) delete item;
}

int32_t SetText(std::string& slot, const char* text) {
  try {
    slot = text ? text : "";
  } catch (const std::bad_alloc&) {
    slot.clear();
    return DOWNLOAD_ERR_MEMORY;
  }
  return 1;
}

}  // namespace

#define HTTP_FAIL(code, ...) Fail(code, __VA_ARGS__ __VA_OPT__(,) __LINE__)

CHTTPClient::CHTTPClient() : m_pBuffer(new uint8_t[HTTP_RECEIVE_BUFFER_SIZE]) {}

CHTTPClient::~CHTTPClient() {
  xSockWaitForget(this);
  CloseSocket();
  if (m_Started) xClosedownSockets(m_SocketCount, &m_Crypt);
  delete m_pCurrent;
  DeleteAll<SRequest>(m_Pending);
  // Every request with a note is also on the finished list, which owns it.
  m_Notes.KillAll();
  DeleteAll<SRequest>(m_Finished);
  delete[] m_pBuffer;
}

// ---- connection ----

int32_t CHTTPClient::Startup() {
  if (m_Started) return 1;
  if (!xStartupSockets(m_SocketCount, 1, &m_Crypt)) {
    m_LastError = xDownloadReportError(DOWNLOAD_ERR_CONNECT, "xStatupSockets failed", "CHTTPClient::Startup",
                                       kSource, __LINE__);
    return 0;
  }
  m_Started = 1;
  return 1;
}

void CHTTPClient::Closedown() {
  CloseSocket();
  if (m_Started) xClosedownSockets(m_SocketCount, &m_Crypt);
  m_Started = 0;
}

int32_t CHTTPClient::Connect(const char* host, uint16_t port) {
  if (!host || !*host || !xHTTPIsSafeText(host)) return 0;
  if (SetText(m_Host, host) != 1) return 0;
  // A file under way is fetched again over the new connection.
  if (m_pCurrent) {
    m_Pending.InsertFirst(m_pCurrent);
    m_pCurrent = nullptr;
  }
  m_File.Close();
  m_HasHost = 1;
  m_Port = port;
  SetState(HTTPSTATE_CONNECT);
  return 1;
}

int32_t CHTTPClient::Reconnect() {
  SetState(HTTPSTATE_RECONNECT);
  return Update();
}

int32_t CHTTPClient::Disconnect() {
  if (m_pCurrent) {
    m_Pending.InsertFirst(m_pCurrent);
    m_pCurrent = nullptr;
  }
  m_File.Close();
  CloseSocket();
  SetState(HTTPSTATE_NOCONNECTION);
  return 1;
}

void CHTTPClient::CloseSocket() {
  if (m_Socket >= 0) {
    if (m_Crypt.m_Started) xDisconnectSocket(m_Socket, m_Connected, &m_Crypt);
    else xCloseSocket(m_Socket);
  }
  m_Socket = -1;
  m_Connected = 0;
  m_BufferStart = m_BufferEnd = 0;
  m_RepliesOnConnection = 0;
}

// ---- requests ----

int32_t CHTTPClient::RetrieveFile(const char* local, const char* remote) {
  if (!local || !remote || !*local || !*remote || !xHTTPIsSafeText(remote))
    return xDownloadReportError(DOWNLOAD_ERR_PARAMETERS, nullptr, "CHTTPClient::RetrieveFile", kSource, __LINE__);
  auto* request = new (std::nothrow) SRequest;
  if (!request || SetText(request->m_Local, local) != 1 || SetText(request->m_Remote, remote) != 1 ||
      !m_Pending.InsertLast(request)) {
    delete request;
    return xDownloadReportError(DOWNLOAD_ERR_MEMORY, nullptr, "CHTTPClient::RetrieveFile", kSource, __LINE__);
  }
  request->m_StartPosition = m_NextStartPosition;
  request->m_ExpectedSize = m_NextExpectedSize;
  m_NextStartPosition = 0;
  m_NextExpectedSize = 0;
  // A transfer or connect under way takes the new request when it is done.
  if (m_State == HTTPSTATE_IDLE || m_State == HTTPSTATE_NOCONNECTION) SetState(HTTPSTATE_NEXTREQUEST);
  return 1;
}

int32_t CHTTPClient::SetDownloadStartPosition(uint32_t position) {
  m_NextStartPosition = position;
  return 1;
}

int32_t CHTTPClient::SetLoginName(const char* name) { return SetText(m_Login, name); }
int32_t CHTTPClient::SetLoginPassword(const char* password) { return SetText(m_Password, password); }

void CHTTPClient::SetAppLogCallback(TDownloadAppLogFunc callback, void* user) {
  m_pAppLog = callback;
  m_pAppLogUser = user;
}

int32_t CHTTPClient::IsDownloading() {
  return (m_State >= HTTPSTATE_SENDREQUEST && m_State <= HTTPSTATE_READBODY) || m_Pending.GetNumNodes() > 0;
}

int32_t CHTTPClient::IsWaitingForUserCommands() {
  return m_State == HTTPSTATE_IDLE && m_Pending.GetNumNodes() == 0;
}

int32_t CHTTPClient::IsUserCommands() { return !IsWaitingForUserCommands(); }

int32_t CHTTPClient::IsDownloadedNote() { return m_Notes.GetNumNodes() > 0; }

int32_t CHTTPClient::GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local,
                                       char*& remote) {
  if (!m_Notes.First()) {
    LogString("No downloaded notes exists");
    return 0;
  }
  const auto* request = static_cast<const SRequest*>(m_Notes.Get());
  local = xStrdup(request->m_Local.c_str());
  remote = xStrdup(request->m_Remote.c_str());
  if (!local || !remote) {
    xFree(local);
    xFree(remote);
    local = remote = nullptr;
    return 0;
  }
  time = request->m_DownloadTime;
  hasSize = 1;
  size = request->m_FileSize;
  m_Notes.Delete(1);
  return 1;
}

int32_t CHTTPClient::GetDownloadHasFileSize() { return m_HaveHeader ? m_HeaderReader.Header().m_HasLength : 0; }

uint32_t CHTTPClient::GetDownloadFileSize() { return m_HaveHeader ? m_HeaderReader.Header().m_ContentLength : 0; }

const char* CHTTPClient::GetDownloadLocalFileName() { return m_pCurrent ? m_pCurrent->m_Local.c_str() : nullptr; }

const char* CHTTPClient::GetDownloadRemoteFileName() { return m_pCurrent ? m_pCurrent->m_Remote.c_str() : nullptr; }

// ---- logs ----

void CHTTPClient::LogApp(const char* format, ...) {
  if (!m_pAppLog || !format) return;
  va_list args;
  va_start(args, format);
  std::string text = xFormatText(format, args);
  va_end(args);
  m_pAppLog(text.data(), m_pAppLogUser);
}

void CHTTPClient::Log(const char* format, ...) {
  if (!GetLogSwitch() && !m_pAppLog) return;
  va_list args;
  va_start(args, format);
  const std::string text = xFormatText(format, args);
  va_end(args);
  LogString("%s", text.c_str());
  LogApp("%s", text.c_str());
}

// ---- the state machine ----

void CHTTPClient::SetState(int32_t state) {
  m_State = state;
  m_StateTime = xGetTime();
}

int32_t CHTTPClient::Fail(int32_t code, const char* message, int line) {
  m_LastError = code;
  m_pErrorMessage = message;
  m_ErrorLine = line;
  return code;
}

int32_t CHTTPClient::Fail(int32_t code, int line) { return Fail(code, nullptr, line); }

int32_t CHTTPClient::Update() {
  m_pErrorMessage = nullptr;
  const int32_t failedState = m_State;
  const int32_t code = Step();
  int32_t result = 1;
  if (code < 0) {
    xDownloadReportError(code, m_pErrorMessage, StepName(failedState), kSource, m_ErrorLine);
    result = Failed(code);
  }
  WatchSocket();
  return result;
}

void CHTTPClient::WatchSocket() {
  xSockWaitForget(this);
  if (m_Socket < 0 || !xDownloadFrameWaitsOnSockets()) return;
  // Only states that wait on the socket: an idle connection that the server closed stays
  // readable, and would end every frame at once.
  switch (m_State) {
    case HTTPSTATE_CONNECTING:
    case HTTPSTATE_SENDREQUEST:
      xSockWaitWatch(this, m_Socket, 0, 1);
      break;
    case HTTPSTATE_READHEADER:
    case HTTPSTATE_READBODY:
      xSockWaitWatch(this, m_Socket, 1, 0);
      break;
    default:
      break;
  }
}

int32_t CHTTPClient::Failed(int32_t code) {
  if (IsReconnectCode(code)) {
    // The file keeps what came; the request goes out again over a new connection.
    m_File.Close();
    CloseSocket();
    m_ResendAfterConnect = m_pCurrent != nullptr;
    SetState(HTTPSTATE_RECONNECT);
    return 1;
  }
  switch (code) {
    case DOWNLOAD_ERR_RECONNECTS:  // stays, and says so at every step
    case DOWNLOAD_ERR_UNAUTHORIZED:
      break;
    case DOWNLOAD_ERR_PARAMETERS:  // no server to go to: wait for Connect
      SetState(HTTPSTATE_NOCONNECTION);
      break;
    default:
      // The connection is in no known state after a bad reply or a local failure.
      m_File.Close();
      CloseSocket();
      DropCurrent();
      SetState(HTTPSTATE_NOCONNECTION);
      break;
  }
  return 0;
}

int32_t CHTTPClient::Step() {
  switch (m_State) {
    case HTTPSTATE_NOCONNECTION:
      if (m_HasHost) SetState(HTTPSTATE_CONNECT);
      return 0;
    case HTTPSTATE_CONNECT: return StateConnect(0);
    case HTTPSTATE_CONNECTING: return StateConnecting();
    case HTTPSTATE_NEXTREQUEST: return StateNextRequest();
    case HTTPSTATE_RECONNECT: return StateConnect(1);
    case HTTPSTATE_SENDREQUEST: return StateSendRequest();
    case HTTPSTATE_READHEADER: return StateReadHeader();
    case HTTPSTATE_READBODY: return StateReadBody();
    case HTTPSTATE_FILEDONE: return StateFileDone();
    default: return 0;  // idle, refused
  }
}

int32_t CHTTPClient::StateConnect(int32_t reconnect) {
  if (!m_HasHost) return HTTP_FAIL(DOWNLOAD_ERR_PARAMETERS);
  if (reconnect) {
    if (m_ReconnectAllowance <= 0) return HTTP_FAIL(DOWNLOAD_ERR_RECONNECTS);
    --m_ReconnectAllowance;
    Log("[CHTTPClient::StateConnect] --- Reconnecting to: %s:%d", m_Host.c_str(), m_Port);
  } else {
    m_ReconnectAllowance = HTTP_RECONNECT_ALLOWANCE;
    m_ResendAfterConnect = 0;
    Log("[CHTTPClient::StateConnect] --- Connecting to: %s:%d", m_Host.c_str(), m_Port);
  }
  CloseSocket();
  if (!xConnectSocket(m_Host.c_str(), m_Port, nullptr, 0, m_Socket, nullptr, &m_Crypt))
    return HTTP_FAIL(DOWNLOAD_ERR_CONNECT, xGetSocketErrorText());
  SetState(HTTPSTATE_CONNECTING);
  return 0;
}

int32_t CHTTPClient::StateConnecting() {
  if (!xNonBlockedConnectHandler(m_Host.c_str(), m_Port, nullptr, 0, m_Socket, m_Connected, &m_Crypt))
    return HTTP_FAIL(DOWNLOAD_ERR_CONNECT);
  if (m_Connected) {
    Log("[CHTTPClient::StateConnecting] --- Connected to: %s:%d", m_Host.c_str(), m_Port);
    if (m_ResendAfterConnect && m_pCurrent) {
      m_RequestText.clear();
      SetState(HTTPSTATE_SENDREQUEST);
    } else {
      SetState(m_Pending.GetNumNodes() ? HTTPSTATE_NEXTREQUEST : HTTPSTATE_IDLE);
    }
    m_ResendAfterConnect = 0;
    return 0;
  }
  if (xTimeDiff(m_StateTime, xGetTime()) > m_ConnectTimeout) return HTTP_FAIL(DOWNLOAD_ERR_CONNECT_TIMEOUT);
  return 0;
}

int32_t CHTTPClient::StateNextRequest() {
  if (!m_Pending.GetNumNodes()) {
    SetState(HTTPSTATE_IDLE);
    return 0;
  }
  if (m_Socket < 0 || !m_Connected) {
    SetState(HTTPSTATE_CONNECT);
    return 0;
  }
  // A kept connection that the server closed while it was idle, or on which it sent something
  // unasked, carries no further request.
  if (m_RepliesOnConnection > 0 && (Buffered() > 0 || Receive() != 0)) {
    Log("[CHTTPClient::StateNextRequest] --- Connection closed by server");
    CloseSocket();
    SetState(HTTPSTATE_CONNECT);
    return 0;
  }
  m_pCurrent = TakeFirst<SRequest>(m_Pending);
  // A range is asked for only when the local file holds the bytes before it.
  uint32_t localSize = 0;
  if (m_pCurrent->m_StartPosition &&
      (!xFileSize(m_pCurrent->m_Local.c_str(), &localSize) || localSize < m_pCurrent->m_StartPosition)) {
    Log("[CHTTPClient::StateNextRequest] --- Local file shorter than %lu: getting all of it",
        static_cast<unsigned long>(m_pCurrent->m_StartPosition));
    m_pCurrent->m_StartPosition = 0;
  }
  m_RequestText.clear();
  SetState(HTTPSTATE_SENDREQUEST);
  return 0;
}

int32_t CHTTPClient::StateSendRequest() {
  const uint32_t now = xGetTime();
  if (m_RequestText.empty()) {
    SHTTPGetRequest request;
    request.m_pPath = m_pCurrent->m_Remote.c_str();
    request.m_pHost = m_Host.c_str();
    request.m_Port = m_Port;
    request.m_KeepAlive = m_KeepAlive;
    if (!m_Login.empty() && !m_Password.empty()) {
      request.m_pLogin = m_Login.c_str();
      request.m_pPassword = m_Password.c_str();
    }
    request.m_StartPosition = m_pCurrent->m_StartPosition;
    const int32_t built = xHTTPBuildGetRequest(request, m_RequestText);
    if (built != 1) return HTTP_FAIL(built);
    m_RequestSent = 0;
    m_LastSendTime = now;
    m_Progress.Start();  // every attempt counts its file from nothing
  }
  const uint32_t before = m_RequestSent;
  uint32_t noRead = 0;
  const int32_t r = xSocketHandler(m_Socket, m_Connected, nullptr, noRead, 0, m_RequestText.data(), m_RequestSent,
                                   static_cast<uint32_t>(m_RequestText.size()), &m_Crypt);
  // On a connection that has carried replies, a failed send means the server has gone.
  if (!r) return HTTP_FAIL(m_RepliesOnConnection ? DOWNLOAD_ERR_DISCONNECTED : DOWNLOAD_ERR_SOCKET_WRITE);
  if (!m_Connected) return HTTP_FAIL(DOWNLOAD_ERR_DISCONNECTED);
  if (m_RequestSent > before) m_LastSendTime = now;
  if (m_RequestSent >= m_RequestText.size()) {
    m_HeaderReader.Reset();
    m_HaveHeader = 0;
    SetState(HTTPSTATE_READHEADER);
    return 0;
  }
  if (xTimeDiff(m_LastSendTime, now) > m_DataTimeout) {
    Log("[CHTTPClient::StateSendRequest] --- Timeout");
    return HTTP_FAIL(DOWNLOAD_ERR_TIMEOUT);
  }
  return 0;
}

int32_t CHTTPClient::Receive() {
  if (m_Socket < 0 || !m_Connected) return DOWNLOAD_ERR_DISCONNECTED;
  if (m_BufferStart == m_BufferEnd) {
    m_BufferStart = m_BufferEnd = 0;
  } else if (m_BufferEnd == HTTP_RECEIVE_BUFFER_SIZE && m_BufferStart > 0) {
    std::memmove(m_pBuffer, m_pBuffer + m_BufferStart, Buffered());
    m_BufferEnd -= m_BufferStart;
    m_BufferStart = 0;
  }
  uint32_t fill = m_BufferEnd;
  uint32_t noWrite = 0;
  const int32_t r =
      xSocketHandler(m_Socket, m_Connected, m_pBuffer, fill, HTTP_RECEIVE_BUFFER_SIZE, nullptr, noWrite, 0, &m_Crypt);
  const uint32_t got = fill - m_BufferEnd;
  m_BufferEnd = fill;
  if (!r) return DOWNLOAD_ERR_SOCKET_READ;
  if (got) return static_cast<int32_t>(got);
  return m_Connected ? 0 : DOWNLOAD_ERR_DISCONNECTED;
}

int32_t CHTTPClient::StateReadHeader() {
  for (int reads = 0;;) {
    if (Buffered()) {
      uint32_t used = 0;
      const int32_t r = m_HeaderReader.Feed(m_pBuffer + m_BufferStart, Buffered(), used);
      m_BufferStart += used;
      if (r < 0) return HTTP_FAIL(DOWNLOAD_ERR_PARSE, m_HeaderReader.ErrorText());
      if (r == 1) {
        const int32_t taken = TakeHeader();
        if (taken <= 0) return taken;
        continue;  // an interim reply: the real one follows
      }
    }
    if (reads++ == kHeaderReadsPerStep) break;
    const int32_t n = Receive();
    if (n < 0) return HTTP_FAIL(n);
    if (n == 0) break;
  }
  if (xTimeDiff(m_StateTime, xGetTime()) > m_DataTimeout) return HTTP_FAIL(DOWNLOAD_ERR_TIMEOUT);
  return 0;
}

// 0 when the reply was taken, 1 for an interim reply, negative on failure.
int32_t CHTTPClient::TakeHeader() {
  const SHTTPResponseHeader& h = m_HeaderReader.Header();
  if (h.m_Status >= 100 && h.m_Status < 200) {
    m_HeaderReader.Reset();
    return 1;
  }
  m_HaveHeader = 1;
  ++m_RepliesOnConnection;
  m_KeepAlive = h.m_KeepAlive;
  switch (h.m_Status) {
    case 200:
      return StartBody(EBodyUse::File);
    case 206: {
      const uint32_t start = m_pCurrent->m_StartPosition;
      const bool lengthFits = !h.m_HasLength || uint64_t{h.m_ContentLength} == uint64_t{h.m_LastByte} - h.m_FirstByte + 1;
      if (h.m_Partial && start && h.m_FirstByte == start && lengthFits) return StartBody(EBodyUse::File);
      if (start) {
        Log("[CHTTPClient::StateGetHeader] --- Range not as asked for: getting all of %s", m_pCurrent->m_Remote.c_str());
        m_pCurrent->m_StartPosition = 0;
        return StartBody(EBodyUse::DiscardAndRepeat);
      }
      break;  // a part that was never asked for
    }
    case 401:
      CloseSocket();
      SetState(HTTPSTATE_REFUSED);
      return HTTP_FAIL(DOWNLOAD_ERR_UNAUTHORIZED);
    case 404:
      Log("[CHTTPClient::StateGetHeader] --- File not found: %s", m_pCurrent->m_Remote.c_str());
      return StartBody(EBodyUse::Discard);
    default:
      break;
  }
  m_LastError = xDownloadReportError(DOWNLOAD_ERR_UNKNOWN, "Unknown response received", StepName(m_State), kSource,
                                     __LINE__);
  return StartBody(EBodyUse::Discard);
}

int32_t CHTTPClient::StartBody(EBodyUse use) {
  const SHTTPResponseHeader& h = m_HeaderReader.Header();
  m_BodyUse = use;
  EHTTPBody kind = EHTTPBody::Length;
  uint32_t length = 0;
  if (h.m_Status == 204 || h.m_Status == 304) {
    length = 0;
  } else if (h.m_Chunked) {
    kind = EHTTPBody::Chunked;
  } else if (h.m_HasLength) {
    length = h.m_ContentLength;
  } else {
    // Only the server's close ends this body, so the connection cannot carry another.
    kind = EHTTPBody::UntilClose;
    m_KeepAlive = 0;
  }
  m_BodyReader.Start(kind, length);
  m_LastDataTime = xGetTime();
  SetState(HTTPSTATE_READBODY);
  if (use != EBodyUse::File) {
    // A long error page is not worth reading: the connection goes instead.
    if (kind == EHTTPBody::Length && length > HTTP_MAX_DISCARDED_BODY) {
      CloseSocket();
      m_KeepAlive = 0;
      return FinishBody();
    }
    return 0;
  }
  m_Progress.Start();
  return OpenLocalFile();
}

int32_t CHTTPClient::OpenLocalFile() {
  const SHTTPResponseHeader& h = m_HeaderReader.Header();
  const char* local = m_pCurrent->m_Local.c_str();
  int32_t opened;
  if (h.m_Status == 206) {
    Log("[CHTTPClient::InitGetData] --- Getting partial data: %lu-%lu/%lu", static_cast<unsigned long>(h.m_FirstByte),
        static_cast<unsigned long>(h.m_LastByte), static_cast<unsigned long>(h.m_TotalLength));
    opened = m_File.Resume(local, h.m_FirstByte);
  } else {
    if (h.m_HasLength && !h.m_Chunked)
      Log("[CHTTPClient::InitGetData] --- Getting data. Length: %lu", static_cast<unsigned long>(h.m_ContentLength));
    else
      Log("[CHTTPClient::InitGetData] --- Getting data. Unknown length");
    opened = m_File.Create(local);
  }
  return opened ? 0 : HTTP_FAIL(DOWNLOAD_ERR_FILE_WRITE);
}

int32_t CHTTPClient::StateReadBody() {
  const uint32_t stepStart = xGetTime();
  uint64_t readThisStep = 0;
  for (;;) {
    while (Buffered() && !m_BodyReader.IsDone()) {
      uint32_t used = 0, offset = 0, size = 0;
      const int32_t r = m_BodyReader.Take(m_pBuffer + m_BufferStart, Buffered(), used, offset, size);
      const uint8_t* data = m_pBuffer + m_BufferStart + offset;
      m_BufferStart += used;
      if (r < 0) return HTTP_FAIL(DOWNLOAD_ERR_PARSE, m_BodyReader.ErrorText());
      if (!size) continue;
      if (m_BodyUse == EBodyUse::File) {
        if (!m_File.Write(data, size)) return HTTP_FAIL(DOWNLOAD_ERR_FILE_WRITE);
        m_Progress.Add(size);
      } else if (m_BodyReader.GetDataBytes() > HTTP_MAX_DISCARDED_BODY) {
        CloseSocket();
        m_KeepAlive = 0;
        return FinishBody();
      }
    }
    if (m_BodyReader.IsDone()) return FinishBody();
    if (readThisStep >= DOWNLOAD_STEP_BYTE_BUDGET || xTimeDiff(stepStart, xGetTime()) >= DOWNLOAD_STEP_TIME_BUDGET_MS) break;
    const int32_t n = Receive();
    if (n == DOWNLOAD_ERR_DISCONNECTED) {
      if (m_BodyReader.Closed()) return FinishBody();
      Log("[CHTTPClient::StateGetData] --- Connection closed after %lu bytes",
          static_cast<unsigned long>(m_BodyReader.GetDataBytes()));
      return HTTP_FAIL(DOWNLOAD_ERR_DISCONNECTED);
    }
    if (n < 0) return HTTP_FAIL(n);
    if (n == 0) break;
    readThisStep += static_cast<uint32_t>(n);
  }
  const uint32_t now = xGetTime();
  if (readThisStep) {
    m_LastDataTime = now;
  } else if (xTimeDiff(m_LastDataTime, now) > m_DataTimeout) {
    m_File.Close();
    return HTTP_FAIL(DOWNLOAD_ERR_TIMEOUT);
  }
  return 0;
}

int32_t CHTTPClient::FinishBody() {
  switch (m_BodyUse) {
    case EBodyUse::File:
      return FinishFile();
    case EBodyUse::Discard:
      DropCurrent();
      break;
    case EBodyUse::DiscardAndRepeat:
      m_Pending.InsertFirst(m_pCurrent);
      m_pCurrent = nullptr;
      break;
  }
  SetState(HTTPSTATE_FILEDONE);
  return 0;
}

int32_t CHTTPClient::FinishFile() {
  if (!m_File.Close()) return HTTP_FAIL(DOWNLOAD_ERR_FILE_WRITE);
  const SHTTPResponseHeader& h = m_HeaderReader.Header();
  const uint32_t elapsed = m_Progress.GetElapsed();
  const uint32_t bytes = m_Progress.GetBytes();
  Log("[CHTTPClient::StateGetData] --- File download complete: %.2fKb/s",
      static_cast<double>(bytes) / (elapsed ? elapsed : 1) * 0.9765625);
  m_pCurrent->m_DownloadTime = elapsed;
  m_pCurrent->m_FileSize = (h.m_Status == 206 ? h.m_FirstByte : 0) + bytes;
  if (!m_Finished.InsertLast(m_pCurrent)) {
    DropCurrent();
    return HTTP_FAIL(DOWNLOAD_ERR_MEMORY);
  }
  if (!m_Notes.InsertLast(m_pCurrent)) {
    m_pCurrent = nullptr;
    return HTTP_FAIL(DOWNLOAD_ERR_MEMORY);
  }
  m_pCurrent = nullptr;
  m_ReconnectAllowance = HTTP_RECONNECT_ALLOWANCE;
  SetState(HTTPSTATE_FILEDONE);
  return 0;
}

void CHTTPClient::DropCurrent() {
  delete m_pCurrent;
  m_pCurrent = nullptr;
  m_ReconnectAllowance = HTTP_RECONNECT_ALLOWANCE;
}

int32_t CHTTPClient::StateFileDone() {
  if (!m_KeepAlive) CloseSocket();
  SetState(HTTPSTATE_NEXTREQUEST);
  return 0;
}
