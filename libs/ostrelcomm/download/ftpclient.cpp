#include "ostrelcomm/download/ftpclient.h"
#include "ostrelcomm/socketwait.h"

#include <cstdarg>
#include <initializer_list>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/containers/llist.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {

constexpr uint32_t kDataBufferSize = 262144;
constexpr uint32_t kCommandReadSize = 4096;
// Reads of the command connection one pump makes at most.
constexpr int kCommandReadsPerPump = 4;

struct SStateInfo {
  int32_t m_State;
  const char* m_pName;
  const char* m_pDoing;  // for the time-out message
  const char* m_pText;   // shown to the user
};

constexpr SStateInfo kStates[] = {
    {FTPCONNECTING, "FTPCONNECTING", "connect", "Connecting..."},
    {FTPWAITINGFORLOGIN, "FTPWAITINGFORLOGIN", "wait for login", "Waiting for server..."},
    {FTPSENDLOGIN, "FTPSENDLOGIN", "send login", "Logging in..."},
    {FTPWAITLOGINANSWER, "FTPWAITLOGINANSWER", "get login answer", "Logging in..."},
    {FTPSTARTUPINIT, "FTPSTARTUPINIT", "set binary mode", "Logging in..."},
    {FTPSENDPASSWORD, "FTPSENDPASSWORD", "send password", "Logging in..."},
    {FTPWAITPASSWORDANSWER, "FTPWAITPASSWORDANSWER", "get password answer", "Logging in..."},
    {FTPWAITFORTYPEANSWER, "FTPWAITFORTYPEANSWER", "get type answer", "Logging in..."},
    {FTPWAITFORUSERCOMMANDS, "FTPWAITFORUSERCOMMANDS", "wait for user commands", "Ready."},
    {FTPDOWNLOADINIT, "FTPDOWNLOADINIT", "open data connection", "Opening data connection..."},
    {FTPPASVDOWNLOADWAITPASVANSWER, "FTPPASVDOWNLOADWAITPASVANSWER", "get passive answer",
     "Opening data connection..."},
    {FTPPASVDOWNLOADCONNECTING, "FTPPASVDOWNLOADCONNECTING", "connect data port", "Opening data connection..."},
    {FTPPASVDOWNLOADWAITRECVFILE, "FTPPASVDOWNLOADWAITRECVFILE", "get file answer", "Requesting file..."},
    {FTPNORMDOWNLOADWAITPORTANSWER, "FTPNORMDOWNLOADWAITPORTANSWER", "get port answer",
     "Opening data connection..."},
    {FTPNORMDOWNLOADSENDRECVFILE, "FTPNORMDOWNLOADSENDRECVFILE", "send file request", "Requesting file..."},
    {FTPNORMDOWNLOADWAITRECVFILE, "FTPNORMDOWNLOADWAITRECVFILE", "get file answer", "Requesting file..."},
    {FTPNORMDOWNLOADWAITINCOMINGCONNECT, "FTPNORMDOWNLOADWAITINCOMINGCONNECT", "wait for data connection",
     "Requesting file..."},
    {FTPDOWNLOADSTART, "FTPDOWNLOADSTART", "start download", "Downloading..."},
    {FTPDOWNLOADDOWNLOADING, "FTPDOWNLOADDOWNLOADING", "download", "Downloading..."},
    {FTPDOWNLOADEND, "FTPDOWNLOADEND", "end download", "Downloading..."},
    {FTPNORMDOWNLOADSENDRESTARTPOS, "FTPNORMDOWNLOADSENDRESTARTPOS", "send restart position", "Requesting file..."},
    {FTPNORMDOWNLOADWAITRESTARTPOS, "FTPNORMDOWNLOADWAITRESTARTPOS", "get restart answer", "Requesting file..."},
    {FTPPASVDOWNLOADSENDRESTARTPOS, "FTPPASVDOWNLOADSENDRESTARTPOS", "send restart position", "Requesting file..."},
    {FTPPASVDOWNLOADWAITRESTARTPOS, "FTPPASVDOWNLOADWAITRESTARTPOS", "get restart answer", "Requesting file..."},
    {FTPERROR, "FTPERROR", "", "Error..."},
    {FTPPAUSE, "FTPPAUSE", "", "Downloading...Wait..."},
};

const SStateInfo* StateInfo(int32_t state) {
  for (const SStateInfo& s : kStates)
    if (s.m_State == state) return &s;
  return nullptr;
}

// The texts of the replies that end an operation.
const char* ReplyErrorText(int32_t code) {
  switch (code) {
    case 120: return "Ftp error(120): Server is not available.";
    case 332: return "Ftp error(332): Unable to handle account request.";
    case 421: return "Ftp error(421): Service not available.";
    case 425: return "Ftp error(425): Can't open data connection.";
    case 426: return "Ftp error(426): Connection closed; transfer aborted.";
    case 450: return "Ftp error(450): File unavailable (file busy).";
    case 451: return "Ftp error(451): Requested action aborted: local error in processing.";
    case 500: return "Ftp error(500): Syntax error, command unrecognized.";
    case 501: return "Ftp error(501): Syntax error in parameters or arguments.";
    case 503: return "Ftp error(503): Bad sequence.";
    case 504: return "Ftp error(504): Command not implemented.";
    case 530: return "Ftp error(530): Not logged in.";
    case 550: return "Ftp error(550): File unavailable (file not found).";
    default: return nullptr;
  }
}

bool IsOneOf(int32_t code, std::initializer_list<int32_t> codes) {
  for (int32_t c : codes)
    if (c == code) return true;
  return false;
}

std::string Format(const char* format, va_list args) { return xFormatText(format, args); }

std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Text(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = xFormatText(format, args);
  va_end(args);
  return text;
}

// States reached in one Update at most, and those that end the chain: the download reads in its
// own steps, connects and pauses take their time.
constexpr int kChainedSteps = 12;
bool Chains(int32_t state) {
  return state != 0 && state != FTPCONNECTING && state != FTPDOWNLOADDOWNLOADING && state != FTPERROR &&
         state != FTPPAUSE;
}

constexpr const char* kAcceptFailed = "Unable to accept the data connection. Retrying the operation.";

}  // namespace

CFtpClient::CFtpClient() : m_pBuffer(new uint8_t[kDataBufferSize]) { Log("FTP object created."); }

CFtpClient::~CFtpClient() {
  xSockWaitForget(this);
  Log("FTP object deleted.");
  Clear();
  Closedown();
  m_Destroyed = 1;
  delete[] m_pBuffer;
}

// ---- logs and errors ----

void CFtpClient::Log(const char* format, ...) {
  if (!m_Log.IsOn()) return;
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  m_Log.Line(text);
}

void CFtpClient::LogApp(const char* format, ...) {
  if (!m_pAppLog || !format) return;
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  m_pAppLog(text.data(), m_pAppLogUser);
}

void CFtpClient::LogUser(const char* format, ...) {
  if (!m_Log.IsOn() && !m_pAppLog) return;
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  m_Log.Line(text);
  LogApp("%s", text.c_str());
}

int32_t CFtpClient::Error(const char* operation, const char* format, ...) {
  va_list args;
  va_start(args, format);
  m_ErrorText = Format(format, args);
  va_end(args);
  m_ErrorOperation = operation;
  Log("Ftp error: (%s): %s", operation, m_ErrorText.c_str());
  return 0;
}

int32_t CFtpClient::Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  m_ErrorText = Format(format, args);
  va_end(args);
  m_ErrorOperation = "Update";
  Log("Ftp error: (Update): %s", m_ErrorText.c_str());
  LogApp("%s", m_ErrorText.c_str());
  SetState(FTPERROR);
  UpdateStateText();
  return 0;
}

const char* CFtpClient::FtpGetErrorTxt(const char** operation) const {
  if (operation) *operation = m_ErrorOperation.c_str();
  return m_ErrorText.c_str();
}

void CFtpClient::SetAppLogCallback(TDownloadAppLogFunc callback, void* user) {
  m_pAppLog = callback;
  m_pAppLogUser = user;
}

void CFtpClient::SetLoginNameCallback(TFtpLoginFunc callback, void* user) { m_NameCallback = {callback, user}; }
void CFtpClient::SetLoginPasswordCallback(TFtpLoginFunc callback, void* user) {
  m_PasswordCallback = {callback, user};
}
void CFtpClient::SetLoginNameErrorCallback(TFtpLoginFunc callback, void* user) {
  m_NameErrorCallback = {callback, user};
}
void CFtpClient::SetLoginPasswordErrorCallback(TFtpLoginFunc callback, void* user) {
  m_PasswordErrorCallback = {callback, user};
}

// ---- start, connect, reconnect ----

int32_t CFtpClient::Startup() {
  Log("[Startup: Function begin]");
  int32_t result = 1;
  if (m_Started) {
    result = Error("Startup", "Startup is already called.");
  } else if (!xStartupSockets(m_SocketCount, 1, &m_Crypt)) {
    result = Error("Startup", "Unable to start the socket layer.");
  } else {
    m_Started = 1;
  }
  Log("[Startup: Function end]");
  return result;
}

void CFtpClient::Closedown() {
  Log("[Closedown: Function begin]");
  CloseData();
  if (m_Started) {
    if (m_CmdSocket >= 0) xDisconnectSocket(m_CmdSocket, m_CmdConnected, &m_Crypt);
    xClosedownSockets(m_SocketCount, &m_Crypt);
  }
  m_CmdSocket = -1;
  m_CmdConnected = 0;
  m_Started = 0;
  Log("[Closedown: Function end]");
}

int32_t CFtpClient::Connect(const char* host, uint16_t port) {
  if (m_Destroyed) return Error("Connect", "Object is destroyed.");
  if (!m_Started) return Error("Connect", "Startup has not been called.");
  if (m_State != 0) return Error("Connect", "Connect must be the first function to call.");
  if (!host || !*host) return Error("Connect", "Hostname is NULL (invalid).");
  Log("[Connect: Function begin]");
  if (m_Host != host) m_Host = host;
  m_Port = port;
  m_HasHost = 1;
  const int32_t result = StartConnect();
  Log("[Connect: Function end]");
  return result;
}

int32_t CFtpClient::StartConnect() {
  for (m_ConnectTries = 1;; ++m_ConnectTries) {
    if (m_ConnectTries > FTP_MAX_CONNECT_TRIES) return Error("Connect", "Unable to connect. Maximum retries reached.");
    m_ConnectHost = m_Host;
    m_ConnectPort = m_Port;
    if (m_Faults.TakeConnect(m_Host.c_str())) {
      m_ConnectHost = m_Faults.DeadHost();
      m_ConnectPort = m_Faults.DeadPort(m_Port);
      Log("Debugging: StopConnect: Connecting to %s:%lu instead of %s:%lu", m_ConnectHost.c_str(),
          static_cast<unsigned long>(m_ConnectPort), m_Host.c_str(), static_cast<unsigned long>(m_Port));
    }
    Log("Trying to connect to %s:%lu (try %ld)", m_ConnectHost.c_str(), static_cast<unsigned long>(m_ConnectPort),
        static_cast<long>(m_ConnectTries));
    if (xConnectSocket(m_ConnectHost.c_str(), m_ConnectPort, nullptr, 0, m_CmdSocket, nullptr, &m_Crypt)) break;
    Log("Unable to connect to %s:%lu. %s", m_ConnectHost.c_str(), static_cast<unsigned long>(m_ConnectPort),
        xGetSocketErrorText());
  }
  m_CmdConnected = 0;
  SetState(FTPCONNECTING);
  UpdateStateText();
  if (!m_BlockingConnect) return 1;
  // The frame loop keeps running while the connection is made.
  for (;;) {
    if (!xNonBlockedConnectHandler(m_ConnectHost.c_str(), m_ConnectPort, nullptr, 0, m_CmdSocket, m_CmdConnected,
                                   &m_Crypt))
      break;
    if (m_CmdConnected) return 1;
    if (TimeInState() > m_ConnectTimeout) break;
    if (glb)
      xHandler();
    else
      xSleep(1);
  }
  xCloseSocket(m_CmdSocket);
  m_CmdConnected = 0;
  SetState(0);
  return Error("Connect", "Unable to connect to %s:%lu.", m_ConnectHost.c_str(),
               static_cast<unsigned long>(m_ConnectPort));
}

void CFtpClient::CloseData() {
  if (m_Started) {
    if (m_DataSocket >= 0) xDisconnectSocket(m_DataSocket, m_DataConnected, &m_Crypt);
    if (m_ListenSocket >= 0) xStopListenSocket(m_ListenSocket, m_ListenRunning, &m_Crypt);
  }
  m_DataSocket = -1;
  m_DataConnected = 0;
  m_DataConnecting = 0;
  m_ListenSocket = -1;
  m_ListenRunning = 0;
}

void CFtpClient::Clear() {
  CloseData();
  if (m_Started && m_CmdSocket >= 0) xDisconnectSocket(m_CmdSocket, m_CmdConnected, &m_Crypt);
  m_CmdSocket = -1;
  m_CmdConnected = 0;
  m_File.Close();
  m_SendQueue.clear();
  m_Out.clear();
  m_OutSent = 0;
  m_Reader.Reset();
  m_Replies.clear();
  m_UserCommands.clear();
  m_pCurrent.reset();
  m_StartPosition = 0;
  m_HasSize = 0;
  m_Size = 0;
  m_Progress = CDownloadProgress{};
  m_Quarters = 0;
  m_TransferReplied = 0;
  m_DataClosed = 0;
  m_State = 0;
  m_StateText.clear();
}

int32_t CFtpClient::DoReconnect(bool counted) {
  Log("Reconnecting.");
  // What was asked for survives the reconnect, the file under way first.
  std::deque<SFtpUserCommand> saved = std::move(m_UserCommands);
  if (m_pCurrent) saved.push_front(std::move(*m_pCurrent));
  Clear();
  m_UserCommands = std::move(saved);
  if (counted && m_Reconnects >= FTP_MAX_RECONNECTS)
    return Error("Reconnect", "Maximum reconnects without a successful download reached. Giving up.");
  if (!m_HasHost) return Error("Reconnect", "Connect has not been called.");
  if (!Connect(m_Host.c_str(), m_Port)) return 0;
  if (counted) ++m_Reconnects;
  return 1;
}

int32_t CFtpClient::Reconnect() {
  Log("[Reconnect: Function begin]");
  const int32_t result = DoReconnect(true);
  Log("[Reconnect: Function end]");
  return result;
}

int32_t CFtpClient::Disconnect() {
  Log("[Disconnect: Function begin]");
  Clear();
  Log("[Disconnect: Function end]");
  return 1;
}

// Time-outs and lost connections.
int32_t CFtpClient::ReconnectStep(const char* why) {
  if (why) LogUser("%s", why);
  if (DoReconnect(true)) return 1;
  return Fail("Unable to reconnect. %s", m_ErrorText.c_str());
}

int32_t CFtpClient::RetryData(const char* why) {
  if (m_DataRetries >= FTP_MAX_DATA_RETRIES)
    return Fail("Unable to connect to server. Maximum number of retries reached. Giving up.");
  ++m_DataRetries;
  LogUser("%s", why);
  if (m_DataRetries % 3 == 0) {
    m_Passive = !m_Passive;
    LogUser(m_Passive ? "Having problems connecting to server. Changing to passive mode."
                      : "Having problems connecting to server. Changing to normal mode.");
  }
  if (DoReconnect(false)) return 1;
  return Fail("Unable to reconnect. %s", m_ErrorText.c_str());
}

// ---- settings and queries ----

int32_t CFtpClient::SetLoginName(const char* name) {
  if (m_State == 0) return Error("SetLoginName", "Connect must be called before Login.");
  if (name && !xFtpIsSafeArgument(name)) return Error("SetLoginName", "Login name holds a line break.");
  m_HasLogin = name != nullptr;
  m_Login = name ? name : "";
  return 1;
}

int32_t CFtpClient::SetLoginPassword(const char* password) {
  if (m_State == 0) return Error("SetLoginPassword", "Connect must be called before Login.");
  if (password && !xFtpIsSafeArgument(password))
    return Error("SetLoginPassword", "Password holds a line break.");
  m_HasPassword = password != nullptr;
  m_Password = password ? password : "";
  return 1;
}

void CFtpClient::SetNormalMode() { m_Passive = 0; }
void CFtpClient::SetPassiveMode() { m_Passive = 1; }

int32_t CFtpClient::SetDownloadStartPosition(uint32_t position) {
  m_NextStartPosition = xFtpRoundStartPosition(position);
  return 1;
}

int32_t CFtpClient::GetDownloadStartPosition() {
  return static_cast<int32_t>(m_pCurrent ? m_pCurrent->m_StartPosition : m_NextStartPosition);
}

int32_t CFtpClient::RetrieveFile(const char* local, const char* remote) {
  if (!local || !remote || !*local || !*remote) return Error("RetrieveFile", "Bad parameters.");
  if (!xFtpIsSafeArgument(remote)) return Error("RetrieveFile", "Remote file name holds a line break.");
  SFtpUserCommand command;
  command.m_Type = FTP_USER_RETRIEVE;
  command.m_Id = static_cast<int32_t>(m_UserCommands.size());
  command.m_File.m_Local = local;
  command.m_File.m_Remote = remote;
  // Each file keeps the position and size set for it; the next file starts from nothing.
  command.m_StartPosition = m_NextStartPosition;
  command.m_ExpectedSize = m_NextExpectedSize;
  m_NextStartPosition = 0;
  m_NextExpectedSize = 0;
  m_UserCommands.push_back(std::move(command));
  Log("User wants a file (local: %s remote: %s).", local, remote);
  return 1;
}

int32_t CFtpClient::GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local,
                                      char*& remote) {
  if (m_Notes.empty()) return Error("GetDownloadedNote", "No downloaded notes exists");
  const CDownloadedNote& note = *m_Notes.front();
  char* l = note.GetLocalFileName();
  char* r = note.GetRemoteFileName();
  if (!l || !r) {
    xFree(l);
    xFree(r);
    return Error("GetDownloadedNote", "Out of memory.");
  }
  time = note.GetDownloadTime();
  hasSize = note.GetFileSizeExists();
  size = note.GetFileSize();
  local = l;
  remote = r;
  m_Notes.pop_front();
  return 1;
}

uint32_t CFtpClient::GetDownloadBytesTransfered() {
  const uint32_t bytes = m_StartPosition + m_Progress.GetBytes();
  return m_HasSize && bytes > m_Size ? m_Size : bytes;
}

const char* CFtpClient::GetDownloadLocalFileName() { return m_pCurrent ? m_pCurrent->m_File.m_Local.c_str() : ""; }
const char* CFtpClient::GetDownloadRemoteFileName() {
  return m_pCurrent ? m_pCurrent->m_File.m_Remote.c_str() : "";
}

// ---- the command connection ----

int32_t CFtpClient::SendCommand(const char* word, const char* argument) {
  std::string line;
  if (!xFtpCommandLine(word, argument, line)) return Fail("Command %s holds a line break.", word);
  m_SendQueue.push_back(std::move(line));
  return 1;
}

bool CFtpClient::TakeReply(SFtpReply& reply) {
  if (m_Replies.empty()) return false;
  reply = std::move(m_Replies.front());
  m_Replies.pop_front();
  return true;
}

int32_t CFtpClient::PumpCommand() {
  if (m_CmdSocket < 0 || !m_CmdConnected) return 0;
  for (;;) {
    if (m_Out.empty()) {
      if (m_SendQueue.empty()) break;
      m_Out = std::move(m_SendQueue.front());
      m_SendQueue.pop_front();
      m_OutSent = 0;
    }
    const uint32_t before = m_OutSent;
    uint32_t noRead = 0;
    if (!xSocketHandler(m_CmdSocket, m_CmdConnected, nullptr, noRead, 0, m_Out.data(), m_OutSent,
                        static_cast<uint32_t>(m_Out.size()), &m_Crypt) ||
        !m_CmdConnected)
      return 0;
    m_Log.SentLine(m_Out, before, m_OutSent);
    if (m_OutSent < m_Out.size()) break;  // the rest goes at the next pump
    m_Out.clear();
  }
  char buffer[kCommandReadSize];
  for (int reads = 0; reads < kCommandReadsPerPump && m_Replies.size() < FTP_MAX_QUEUED_REPLIES; ++reads) {
    uint32_t fill = 0;
    uint32_t noWrite = 0;
    if (!xSocketHandler(m_CmdSocket, m_CmdConnected, buffer, fill, sizeof buffer, nullptr, noWrite, 0, &m_Crypt))
      return 0;
    m_Log.Received(buffer, fill);
    if (!m_Reader.Feed(buffer, fill, m_Replies)) {
      Fail("Out of bounds when trying to receive data on command socket.");
      return -1;
    }
    if (!m_CmdConnected) return 0;
    if (fill < sizeof buffer) break;
  }
  return 1;
}

// ---- the state machine ----

void CFtpClient::SetState(int32_t state) {
  // A state entered anew, even the one it was in, starts its time-out from now.
  m_State = state;
  m_StateTime = xGetTime();
}

uint32_t CFtpClient::TimeInState() const { return xTimeDiff(m_StateTime, xGetTime()); }

void CFtpClient::UpdateStateText() {
  const SStateInfo* info = StateInfo(m_State);
  const char* text = info ? info->m_pText : "";
  if (m_StateText != text) {
    m_StateText = text;
    if (*text) Log("%s", text);
  }
}

int32_t CFtpClient::Update() {
  const int32_t result = Advance();
  WatchSockets();
  return result;
}

void CFtpClient::WatchSockets() {
  xSockWaitForget(this);
  if (m_Destroyed || !xDownloadFrameWaitsOnSockets()) return;
  if (m_State == FTPCONNECTING) {
    xSockWaitWatch(this, m_CmdSocket, 0, 1);
    return;
  }
  // Idle, the frame loop keeps its pace: nothing is awaited from the server.
  if (m_State == FTPWAITFORUSERCOMMANDS || m_State == FTPPAUSE || m_State == FTPERROR) return;
  if (m_CmdConnected) xSockWaitWatch(this, m_CmdSocket, 1, 0);
  if (m_DataSocket >= 0 && !m_DataClosed) xSockWaitWatch(this, m_DataSocket, m_DataConnected, !m_DataConnected);
  if (m_ListenSocket >= 0) xSockWaitWatch(this, m_ListenSocket, 1, 0);
}

int32_t CFtpClient::Advance() {
  if (m_Destroyed) return Error("Update", "Object is destroyed.");
  if (!m_Started) return Error("Update", "Startup has not been called.");
  if (m_State == 0) return Error("Update", "Connect has not been called.");
  if (m_State == FTPERROR) return 0;
  if (m_State != FTPCONNECTING) {
    const int32_t pumped = PumpCommand();
    if (pumped < 0) return 0;
    // Replies that came before the close are still heard: a last "421" says more than the close.
    if (pumped == 0 && m_Replies.empty()) return ReconnectStep("Command connection closed.");
  }
  UpdateStateText();

  // Time-outs; the data states count theirs as data-connection trouble, the download its
  // silence only.
  uint32_t limit = FTP_STATE_TIMEOUT_MS;
  switch (m_State) {
    case FTPCONNECTING: limit = m_ConnectTimeout; break;
    case FTPWAITINGFORLOGIN: limit = FTP_GREETING_TIMEOUT_MS; break;
    case FTPWAITFORUSERCOMMANDS:
    case FTPDOWNLOADDOWNLOADING:
    case FTPPAUSE: limit = 0; break;
    default: break;
  }
  const uint32_t spent = TimeInState();
  if (limit && spent > limit) {
    if (m_State == FTPPASVDOWNLOADCONNECTING || m_State == FTPNORMDOWNLOADWAITINCOMINGCONNECT)
      return RetryData("Unable to connect dataport (timeout). Retrying the operation.");
    const SStateInfo* info = StateInfo(m_State);
    const std::string why = Text("Timeout while trying to %s (%lu) [%s].", info ? info->m_pDoing : "",
                                         static_cast<unsigned long>(spent / 1000), info ? info->m_pName : "");
    return ReconnectStep(why.c_str());
  }
  // Steps that end at once lead straight into the next state, so a login or the opening of a
  // transfer does not cost a frame for every command; each state still takes at most one reply.
  int32_t result = Step();
  for (int chained = 0; result == 1 && chained < kChainedSteps && Chains(m_State); ++chained) {
    const int32_t state = m_State;
    if (PumpCommand() != 1) break;
    UpdateStateText();
    result = Step();
    if (m_State == state) break;
  }
  UpdateStateText();
  return result;
}

int32_t CFtpClient::Step() {
  SFtpReply r;
  switch (m_State) {
    case FTPCONNECTING: return StepConnecting();
    case FTPWAITINGFORLOGIN: return TakeReply(r) ? StepGreeting(r) : 1;
    case FTPSENDLOGIN: return StepSendLogin(false);
    case FTPWAITLOGINANSWER: return TakeReply(r) ? StepLoginAnswer(r) : 1;
    case FTPSTARTUPINIT:
      if (!SendCommand("TYPE", "I")) return 0;
      SetState(FTPWAITFORTYPEANSWER);
      return 1;
    case FTPSENDPASSWORD: return StepSendLogin(true);
    case FTPWAITPASSWORDANSWER: return TakeReply(r) ? StepPasswordAnswer(r) : 1;
    case FTPWAITFORTYPEANSWER: return TakeReply(r) ? StepTypeAnswer(r) : 1;
    case FTPWAITFORUSERCOMMANDS: return StepNextCommand();
    case FTPDOWNLOADINIT: return StepDownloadInit();
    case FTPPASVDOWNLOADWAITPASVANSWER: return TakeReply(r) ? StepPassiveAnswer(r) : 1;
    case FTPPASVDOWNLOADSENDRESTARTPOS:
    case FTPNORMDOWNLOADSENDRESTARTPOS: {
      const std::string position = std::to_string(m_StartPosition);
      if (!SendCommand("REST", position.c_str())) return 0;
      SetState(m_State == FTPPASVDOWNLOADSENDRESTARTPOS ? FTPPASVDOWNLOADWAITRESTARTPOS
                                                        : FTPNORMDOWNLOADWAITRESTARTPOS);
      return 1;
    }
    case FTPPASVDOWNLOADWAITRESTARTPOS:
      return TakeReply(r) ? StepRestartAnswer(r, FTPPASVDOWNLOADCONNECTING) : 1;
    case FTPNORMDOWNLOADWAITRESTARTPOS: {
      if (AcceptData() < 0) return RetryData(kAcceptFailed);
      return TakeReply(r) ? StepRestartAnswer(r, FTPNORMDOWNLOADSENDRECVFILE) : 1;
    }
    case FTPPASVDOWNLOADCONNECTING: return StepDataConnecting();
    case FTPPASVDOWNLOADWAITRECVFILE: return TakeReply(r) ? StepFileAnswer(r) : 1;
    case FTPNORMDOWNLOADWAITPORTANSWER: {
      if (!m_PortChecked) {
        m_PortChecked = 1;
        if (m_Faults.TakePort()) {
          Log("Debugging: StopPort: closing the command connection.");
          xDisconnectSocket(m_CmdSocket, m_CmdConnected, &m_Crypt);
          return 1;
        }
      }
      if (AcceptData() < 0) return RetryData(kAcceptFailed);
      return TakeReply(r) ? StepPortAnswer(r) : 1;
    }
    case FTPNORMDOWNLOADSENDRECVFILE:
      if (AcceptData() < 0) return RetryData(kAcceptFailed);
      if (!SendCommand("RETR", m_pCurrent->m_File.m_Remote.c_str())) return 0;
      SetState(FTPNORMDOWNLOADWAITRECVFILE);
      return 1;
    case FTPNORMDOWNLOADWAITRECVFILE:
      if (AcceptData() < 0) return RetryData(kAcceptFailed);
      return TakeReply(r) ? StepFileAnswer(r) : 1;
    case FTPNORMDOWNLOADWAITINCOMINGCONNECT: return StepIncomingConnect();
    case FTPDOWNLOADSTART: return StepDownloadStart();
    case FTPDOWNLOADDOWNLOADING: return StepDownloading();
    case FTPDOWNLOADEND: return StepDownloadEnd();
    case FTPERROR: return 0;
    case FTPPAUSE:
      if (TimeInState() >= FTP_PAUSE_MS) SetState(FTPWAITFORUSERCOMMANDS);
      return 1;
    default: return 1;
  }
}

int32_t CFtpClient::ReplyFailure(const SFtpReply& r, bool withText) {
  if (const char* text = ReplyErrorText(r.m_Code)) return Fail("%s", text);
  if (withText) return Fail("Invalid ftp reply(%ld): %s.", static_cast<long>(r.m_Code), r.FirstLine().c_str());
  return Fail("Invalid ftp reply(%ld).", static_cast<long>(r.m_Code));
}

// ---- login ----

int32_t CFtpClient::StepConnecting() {
  if (!xNonBlockedConnectHandler(m_ConnectHost.c_str(), m_ConnectPort, nullptr, 0, m_CmdSocket, m_CmdConnected,
                                 &m_Crypt)) {
    const std::string why = Text("Unable to connect to %s:%lu.", m_ConnectHost.c_str(),
                                         static_cast<unsigned long>(m_ConnectPort));
    return ReconnectStep(why.c_str());
  }
  if (!m_CmdConnected) return 1;
  uint16_t unusedPort = 0;
  xGetRemoteSocketIpPort(m_CmdSocket, m_ServerIp, unusedPort);
  Log("Connected to %s:%lu.", m_ConnectHost.c_str(), static_cast<unsigned long>(m_ConnectPort));
  SetState(FTPWAITINGFORLOGIN);
  return 1;
}

int32_t CFtpClient::StepGreeting(const SFtpReply& r) {
  if (r.m_Code == 220) {
    Log("Ready to login received.");
    SetState(FTPSENDLOGIN);
    return 1;
  }
  return ReplyFailure(r, false);
}

bool CFtpClient::AskCallback(const SLoginCallback& callback, std::string& slot) {
  char* text = nullptr;
  if (!callback.m_pFunc(text, callback.m_pUser) || !text) return false;
  if (!xFtpIsSafeArgument(text)) {
    Log("The login callback gave a text with a line break.");
    return false;
  }
  slot = text;
  return true;
}

int32_t CFtpClient::StepSendLogin(bool password) {
  std::string& value = password ? m_Password : m_Login;
  int32_t& has = password ? m_HasPassword : m_HasLogin;
  if (!has) {
    const SLoginCallback& callback = password ? m_PasswordCallback : m_NameCallback;
    Log(password ? "User must specify a password, calling callback."
                 : "User must specify a loginname, calling callback.");
    if (!callback.m_pFunc)
      return Fail(password ? "Unable to login: Password must be specified."
                           : "Unable to login: Username must be specified.");
    if (!AskCallback(callback, value)) return Fail("User don't want to login.");
    has = 1;
  }
  if (password ? m_Faults.TakePassword() : m_Faults.TakeLogin()) {
    Log(password ? "Debugging: StopPassword: not sending PASS." : "Debugging: StopLogin: not sending USER.");
  } else if (!SendCommand(password ? "PASS" : "USER", value.c_str())) {
    return 0;
  }
  SetState(password ? FTPWAITPASSWORDANSWER : FTPWAITLOGINANSWER);
  return 1;
}

int32_t CFtpClient::StepLoginAnswer(const SFtpReply& r) {
  switch (r.m_Code) {
    case 230:
      Log("User logged in, proceed.");
      SetState(FTPSTARTUPINIT);
      return 1;
    case 331:
      Log("User logged in, needs password.");
      SetState(FTPSENDPASSWORD);
      return 1;
    case 530:
      Log("User must specify a correct loginname, calling callback.");
      if (!m_NameErrorCallback.m_pFunc || !AskCallback(m_NameErrorCallback, m_Login))
        return Fail("Unable to login: The login name was refused.");
      m_HasLogin = 1;
      SetState(FTPSENDLOGIN);
      return 1;
    default:
      return ReplyFailure(r, false);
  }
}

int32_t CFtpClient::StepPasswordAnswer(const SFtpReply& r) {
  switch (r.m_Code) {
    case 230:
      Log("User logged in, proceed.");
      SetState(FTPSTARTUPINIT);
      return 1;
    case 202:
      Log("Password is unimplemented in this server so we just skip it.");
      SetState(FTPSTARTUPINIT);
      return 1;
    case 530:
      Log("User must specify a correct password, calling callback.");
      if (!m_PasswordErrorCallback.m_pFunc || !AskCallback(m_PasswordErrorCallback, m_Password))
        return Fail("Unable to login: The password was refused.");
      m_HasPassword = 1;
      SetState(FTPSENDLOGIN);
      return 1;
    default:
      return ReplyFailure(r, false);
  }
}

int32_t CFtpClient::StepTypeAnswer(const SFtpReply& r) {
  if (r.m_Code != 200) return ReplyFailure(r, false);
  Log("Type command ok, proceed.");
  SetState(FTPWAITFORUSERCOMMANDS);
  return 1;
}

// ---- downloads ----

int32_t CFtpClient::StepNextCommand() {
  if (m_UserCommands.empty()) return 1;
  m_pCurrent = std::make_unique<SFtpUserCommand>(std::move(m_UserCommands.front()));
  m_UserCommands.pop_front();
  m_StartPosition = m_pCurrent->m_StartPosition;
  // Resuming needs the bytes before the start position in the local file.
  uint32_t localSize = 0;
  if (m_StartPosition &&
      (!xFileSize(m_pCurrent->m_File.m_Local.c_str(), &localSize) || localSize < m_StartPosition)) {
    Log("Local file shorter than %lu: getting all of %s.", static_cast<unsigned long>(m_StartPosition),
        m_pCurrent->m_File.m_Remote.c_str());
    m_StartPosition = 0;
    m_pCurrent->m_StartPosition = 0;
  }
  SetState(FTPDOWNLOADINIT);
  return 1;
}

int32_t CFtpClient::StepDownloadInit() {
  CloseData();
  m_HasSize = 0;
  m_Size = 0;
  m_TransferReplied = 0;
  m_DataClosed = 0;
  m_RecvChecked = 0;
  m_PortChecked = 0;
  m_Quarters = 0;
  m_Progress = CDownloadProgress{};
  m_StartPosition = m_pCurrent->m_StartPosition;
  if (m_Passive) {
    if (!SendCommand("PASV")) return 0;
    SetState(FTPPASVDOWNLOADWAITPASVANSWER);
    return 1;
  }
  // The server is told the address it reached us on: the machine's first address may be one
  // the server cannot reach, or one it refuses because it is not the command connection's.
  uint32_t ip = 0;
  uint16_t unusedPort = 0;
  if (!xGetLocalSocketIpPort(m_CmdSocket, ip, unusedPort) || !ip) return Fail("Unable to get local IP");
  if (!xStartListenSocket(0, m_ListenSocket, nullptr, &m_Crypt, ip)) return Fail("Unable to listen");
  m_ListenRunning = 1;
  uint32_t listenIp = 0;
  uint16_t port = 0;
  if (!xGetLocalSocketIpPort(m_ListenSocket, listenIp, port)) return Fail("Unable to listen");
  if (m_Faults.TakeFileConnect(false)) {
    const uint16_t wrong = m_Faults.WrongDataPort(port);
    Log("Debugging: StopFileConnect: announcing port %u instead of %u", wrong, port);
    port = wrong;
  }
  if (!SendCommand("PORT", xFtpPortArgument(ip, port).c_str())) return 0;
  SetState(FTPNORMDOWNLOADWAITPORTANSWER);
  return 1;
}

int32_t CFtpClient::StepPassiveAnswer(const SFtpReply& r) {
  switch (r.m_Code) {
    case 227: {
      uint32_t ip = 0;
      uint16_t port = 0;
      if (!xFtpParsePassiveReply(r.m_Text.c_str(), ip, port)) {
        LogUser("Passive mode: Unable to get serverport, changing to normal mode.");
        m_Passive = 0;
        SetState(FTPDOWNLOADINIT);
        return 1;
      }
      // Only the port is taken from the reply: the data connection goes to the host we hold the
      // command connection with, so a server cannot aim us at another host.
      if (ip && ip != m_ServerIp)
        Log("Passive mode: the reply names %s; connecting to %s instead.", xFtpDottedAddress(ip).c_str(),
            xFtpDottedAddress(m_ServerIp).c_str());
      m_DataIp = m_ServerIp;
      m_DataPort = port;
      SetState(m_StartPosition ? FTPPASVDOWNLOADSENDRESTARTPOS : FTPPASVDOWNLOADCONNECTING);
      return 1;
    }
    case 502:
      LogUser("Passive mode not implemented on this server. Changing to normal mode.");
      m_Passive = 0;
      SetState(FTPDOWNLOADINIT);
      return 1;
    default:
      return ReplyFailure(r, false);
  }
}

int32_t CFtpClient::StepRestartAnswer(const SFtpReply& r, int32_t next) {
  switch (r.m_Code) {
    case 350:
      SetState(next);
      return 1;
    case 502:
    case 504:
      // A server that cannot resume sends the whole file.
      LogUser("Resuming is not supported by the server: getting all of %s.", m_pCurrent->m_File.m_Remote.c_str());
      m_StartPosition = 0;
      m_pCurrent->m_StartPosition = 0;
      SetState(next);
      return 1;
    case 450:
    case 550:
      return Fail("%s (file: %s)", ReplyErrorText(r.m_Code), m_pCurrent->m_File.m_Remote.c_str());
    default:
      return ReplyFailure(r, true);
  }
}

int32_t CFtpClient::StepDataConnecting() {
  if (!m_DataConnecting) {
    uint16_t port = m_DataPort;
    if (m_Faults.TakeFileConnect(true)) {
      port = m_Faults.WrongDataPort(m_DataPort);
      Log("Debugging: StopFileConnect: connecting to port %u instead of %u", port, m_DataPort);
    }
    const std::string host = xFtpDottedAddress(m_DataIp);
    Log("Connecting dataport %s:%u.", host.c_str(), port);
    if (!xConnectSocket(host.c_str(), port, nullptr, 0, m_DataSocket, nullptr, &m_Crypt))
      return RetryData("Unable to connect dataport (connect). Retrying the operation.");
    m_DataConnecting = 1;
    m_DataConnected = 0;
    return 1;
  }
  const std::string host = xFtpDottedAddress(m_DataIp);
  if (!xNonBlockedConnectHandler(host.c_str(), m_DataPort, nullptr, 0, m_DataSocket, m_DataConnected, &m_Crypt))
    return RetryData("Unable to connect dataport (connecting). Retrying the operation.");
  if (!m_DataConnected) return 1;
  m_DataConnecting = 0;
  if (!SendCommand("RETR", m_pCurrent->m_File.m_Remote.c_str())) return 0;
  SetState(FTPPASVDOWNLOADWAITRECVFILE);
  return 1;
}

int32_t CFtpClient::AcceptData() {
  if (m_DataConnected) return 1;
  if (m_ListenSocket < 0) return 0;
  int accepted = 0;
  int sock = -1;
  if (!xNonBlockedListenHandler(m_ListenSocket, sock, nullptr, m_ListenRunning, accepted, &m_Crypt)) return -1;
  if (!accepted) return 0;
  // Only the server may hand us the file.
  uint32_t ip = 0;
  uint16_t port = 0;
  if (!xGetRemoteSocketIpPort(sock, ip, port) || ip != m_ServerIp) {
    Log("Data connection from %s refused: not the server's address.", xFtpDottedAddress(ip).c_str());
    xCloseSocket(sock);
    return 0;
  }
  m_DataSocket = sock;
  m_DataConnected = 1;
  xStopListenSocket(m_ListenSocket, m_ListenRunning, &m_Crypt);
  Log("Data socket connected. Starting to download.");
  return 1;
}

int32_t CFtpClient::StepPortAnswer(const SFtpReply& r) {
  if (r.m_Code != 200) return ReplyFailure(r, false);
  Log("Port command ok. Going to send 'recv' command.");
  SetState(m_StartPosition ? FTPNORMDOWNLOADSENDRESTARTPOS : FTPNORMDOWNLOADSENDRECVFILE);
  return 1;
}

int32_t CFtpClient::StepFileAnswer(const SFtpReply& r) {
  switch (r.m_Code) {
    case 125:
    case 150: {
      uint32_t size = 0;
      if (m_Faults.TakeFileSize()) {
        Log("Debugging: StopFileSize: ignoring the size.");
      } else if (xFtpFindReplySize(r.m_Text.c_str(), size)) {
        m_HasSize = 1;
        m_Size = size;
      }
      if (m_HasSize)
        Log("Going to receive file: Got filesize %lu", static_cast<unsigned long>(m_Size));
      else
        Log("Going to receive file: Didn't find any filesize, trying without it");
      if (m_State == FTPPASVDOWNLOADWAITRECVFILE || m_DataConnected)
        SetState(FTPDOWNLOADSTART);
      else
        SetState(FTPNORMDOWNLOADWAITINCOMINGCONNECT);
      return 1;
    }
    case 425:
      return RetryData("The server could not open the data connection. Retrying the operation.");
    case 450:
    case 550:
      return Fail("%s (file: %s)", ReplyErrorText(r.m_Code), m_pCurrent->m_File.m_Remote.c_str());
    default:
      return ReplyFailure(r, true);
  }
}

int32_t CFtpClient::StepIncomingConnect() {
  // The server may have sent the file and its reply before we took the connection: the reply
  // waits for the download, unless it says the server could not connect.
  if (!m_Replies.empty() && IsOneOf(m_Replies.front().m_Code, {425, 426})) {
    m_Replies.pop_front();
    return RetryData("Unable to connect dataport (incoming). Retrying the operation.");
  }
  const int32_t accepted = AcceptData();
  if (accepted < 0) return RetryData(kAcceptFailed);
  if (accepted) SetState(FTPDOWNLOADSTART);
  return 1;
}

int32_t CFtpClient::StepDownloadStart() {
  const char* local = m_pCurrent->m_File.m_Local.c_str();
  if (xFileExists(local)) xRemoveReadOnly(local);
  const int32_t opened = m_StartPosition ? m_File.Resume(local, m_StartPosition) : m_File.Create(local);
  if (!opened) return Fail("Unable to open local file.");
  m_Progress.Start();
  m_LastDataTime = xGetTime();
  SetState(FTPDOWNLOADDOWNLOADING);
  return 1;
}

int32_t CFtpClient::TransferReply(const SFtpReply& r) {
  switch (r.m_Code) {
    case 226:
    case 250:
      m_TransferReplied = 1;
      return 1;
    case 550:
      return Fail("Ftp error(550): Requested action not taken. File unavailable (not found or access error) "
                  "(file: %s).",
                  m_pCurrent->m_File.m_Remote.c_str());
    default:
      if (ReplyErrorText(r.m_Code)) return ReplyFailure(r, false);
      Log("Reply ignored while downloading: %s", r.FirstLine().c_str());
      return 1;
  }
}

int32_t CFtpClient::StepDownloading() {
  const uint32_t stepStart = xGetTime();
  if (!m_RecvChecked) {
    m_RecvChecked = 1;
    if (m_Faults.TakeRecv()) {
      Log("Debugging: StopRecv: closing the command connection.");
      xDisconnectSocket(m_CmdSocket, m_CmdConnected, &m_Crypt);
      return 1;
    }
  }
  if (m_Faults.TakeDownloadTime(m_Completed, m_Progress.GetElapsed())) {
    Log("Debugging: StopFileDownloadTime: closing the data connection.");
    return RetryData("Data connection stopped. Retrying the operation.");
  }
  uint64_t readThisStep = 0;
  // While the step's time lasts, it waits for more data rather than leave the frame idle: the
  // server fills the socket only as fast as we drain it.
  CSockWait wait;
  CLList waitList;
  waitList.InsertLast(&wait);
  while (!m_DataClosed) {
    uint32_t fill = 0;
    uint32_t noWrite = 0;
    const int32_t ok = xSocketHandler(m_DataSocket, m_DataConnected, m_pBuffer, fill, kDataBufferSize, nullptr,
                                      noWrite, 0, &m_Crypt);
    if (fill) {
      if (!m_File.Write(m_pBuffer, fill))
        return Fail("Error downloading file %s. Unable to write to disk.", m_pCurrent->m_File.m_Local.c_str());
      m_Progress.Add(fill);
      readThisStep += fill;
    }
    if (!ok || !m_DataConnected) {
      m_DataClosed = 1;
      xCloseSocket(m_DataSocket);
      m_DataConnected = 0;
      break;
    }
    const uint32_t spent = xTimeDiff(stepStart, xGetTime());
    if (readThisStep >= DOWNLOAD_STEP_BYTE_BUDGET || spent >= DOWNLOAD_STEP_TIME_BUDGET_MS) break;
    if (!fill) {
      // The frame loop's wait wakes the next step when more comes.
      if (xDownloadFrameWaitsOnSockets()) break;
      wait.m_Socket = m_DataSocket;
      wait.m_ReadInterest = 1;
      xWaitTimeOrSocketsLowLevel(static_cast<int32_t>(DOWNLOAD_STEP_TIME_BUDGET_MS - spent), &waitList);
      if (!wait.m_Readable) break;
    }
  }
  const uint32_t now = xGetTime();
  if (readThisStep) m_LastDataTime = now;
  if (m_HasSize && m_Size > FTP_QUARTERS_MIN_SIZE) {
    const uint64_t bytes = uint64_t{m_StartPosition} + m_Progress.GetBytes();
    while (m_Quarters < 4 && bytes * 4 >= uint64_t{m_Size} * static_cast<uint32_t>(m_Quarters + 1)) {
      ++m_Quarters;
      if (m_Quarters < 4)
        LogUser("Downloading: %d%%", m_Quarters * 25);
      else
        LogUser("Downloading: 100%% (finished downloading)");
    }
  }
  SFtpReply r;
  if (!m_TransferReplied && TakeReply(r) && !TransferReply(r)) return 0;

  const uint64_t have = uint64_t{m_StartPosition} + m_Progress.GetBytes();
  if (m_DataClosed && m_HasSize && have < m_Size) {
    return RetryData("Data connection closed before we got the whole file, we don't have the whole file. "
                     "Retrying the operation.");
  }
  if (m_DataClosed && m_TransferReplied) {
    SetState(FTPDOWNLOADEND);
    return 1;
  }
  if (xTimeDiff(m_LastDataTime, now) > m_DataTimeout) {
    if (m_TransferReplied) return RetryData("The data connection stays open after the transfer. Retrying the operation.");
    const std::string why = Text("Timeout while trying to download (%lu) [FTPDOWNLOADDOWNLOADING].",
                                         static_cast<unsigned long>(xTimeDiff(m_LastDataTime, now) / 1000));
    return ReconnectStep(why.c_str());
  }
  return 1;
}

int32_t CFtpClient::StepDownloadEnd() {
  if (!m_File.Close())
    return Fail("Error downloading file %s. Unable to write to disk.", m_pCurrent->m_File.m_Local.c_str());
  auto note = std::make_unique<CDownloadedNote>();
  note->SetDownloadTime(m_Progress.GetElapsed());
  const uint32_t bytes = m_StartPosition + m_Progress.GetBytes();
  note->SetFileSizeExists(m_HasSize);
  note->SetFileSize(m_HasSize ? m_Size : bytes);
  if (!note->SetLocalFileName(m_pCurrent->m_File.m_Local.c_str()) ||
      !note->SetRemoteFileName(m_pCurrent->m_File.m_Remote.c_str()))
    return Fail("Out of memory.");
  m_Notes.push_back(std::move(note));
  const uint32_t elapsed = m_Progress.GetElapsed();
  LogUser("Downloaded %s: %lu bytes in %lu ms.", m_pCurrent->m_File.m_Remote.c_str(), static_cast<unsigned long>(bytes),
          static_cast<unsigned long>(elapsed));
  CloseData();
  m_HasSize = 0;
  m_Size = 0;
  m_StartPosition = 0;
  m_Progress = CDownloadProgress{};
  ++m_Completed;
  m_Reconnects = 0;
  m_DataRetries = 0;
  m_pCurrent.reset();
  LogUser("Downloading: Completed. Waiting for new user commands.");
  SetState(FTPPAUSE);
  return 1;
}
