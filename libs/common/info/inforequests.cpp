// The three requests: each a loop of passes over the request states, one frame of the core loop a
// pass, with time-outs counted in passes.
#include <cstring>
#include <new>

#include "common/info/infoconnection.h"
#include "ostrel/base/types.h"
#include "ostrel/files/crc.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "ostrelcomm/commtcp.h"
#include "platform/files/resolver.h"

namespace {
constexpr const char* kLostCaption = "Communication error";
constexpr const char* kLostText = "Server disconnected";
constexpr const char* kLoginMessageCaption = "Info";

bool AbortKeyPressed() { return glb && glb->m_pKeyboard && glb->m_pKeyboard->IsPressed(INFO_ABORT_KEY); }
}  // namespace

// ---- the requests ----

int32_t CInfoConnection::RequestCasinoConnection(IInfoConnectionProgress* progress) {
  m_ConnectFailed = 0;
  // Quit and key 309 end this wait with 1: the caller goes on and meets the quit itself.
  return RunRequest({IC_STATE_CONNECT, IC_STR_CONNECT_FAILED, 1, 1}, progress);
}

int32_t CInfoConnection::RequestCasinoConnectInfo(IInfoConnectionProgress* progress) {
  return RunRequest({IC_STATE_SEND_INFO, IC_STR_NO_INFO, 1, 0}, progress);
}

int32_t CInfoConnection::RequestCasinoFilemap(IInfoConnectionProgress* progress) {
  const int32_t result = RunRequest({IC_STATE_SEND_FILEMAP, IC_STR_NO_FILEMAP, 0, 0}, progress);
  FreeFileMap();
  // The file-map request ends the link whatever came of it.
  DisConnect();
  return result;
}

int32_t CInfoConnection::RunRequest(const SRequestRules& rules, IInfoConnectionProgress* progress) {
  if (!Current()) {
    SetErrorText(rules.m_NoServerText);
    return 0;
  }
  m_IcState = rules.m_FirstState;
  m_Counter = 0;
  if (progress) progress->Progress(static_cast<int32_t>(CurrentTimeout()), 0);
  for (;;) {
    bool abort = xDoUserWantToQuit() != 0;
    if (!abort) {
      xHandler();
      abort = rules.m_WatchKey && AbortKeyPressed();
    }
    if (abort) {
      if (!rules.m_AbortResult) {
        DisConnect();
        m_IcState = IC_STATE_FAILED;
      }
      return rules.m_AbortResult;
    }
    int32_t result = 0;
    if (!Step(progress, &result)) return result;
  }
}

uint32_t CInfoConnection::CurrentTimeout() const {
  switch (m_IcState) {
    case IC_STATE_CONNECT:
    case IC_STATE_CONNECTING:
      return m_ConnectTimeout;
    case IC_STATE_SEND_CONNECTION:
    case IC_STATE_WAIT_CONNECTION:
      return m_ConnectionTimeout;
    case IC_STATE_SEND_INFO:
    case IC_STATE_WAIT_INFO:
      return m_InfoTimeout;
    case IC_STATE_SEND_FILEMAP:
    case IC_STATE_WAIT_FILEMAP_SIZE:
      return m_FileSizeTimeout;
    case IC_STATE_WAIT_FILEMAP_DATA:
      return m_FileMapTimeout;
    default:
      return m_MinTimeout;
  }
}

bool CInfoConnection::Wait(IInfoConnectionProgress* progress, uint32_t timeout, bool atTimeout) {
  ++m_Counter;
  if (progress) progress->Progress(static_cast<int32_t>(timeout), static_cast<int32_t>(m_Counter));
  return atTimeout ? m_Counter >= timeout : m_Counter > timeout;
}

void CInfoConnection::Fail(int32_t textId) {
  SetErrorText(textId);
  m_IcState = IC_STATE_FAILED;
}

int32_t CInfoConnection::Step(IInfoConnectionProgress* progress, int32_t* result) {
  // States that need no wait lead on within the same pass.
  for (;;) {
    const int32_t state = m_IcState;
    switch (state) {
      case IC_STATE_CONNECT:
        m_Counter = 0;
        m_IcState = InitConnect() ? IC_STATE_CONNECTING : IC_STATE_FAILED;
        break;
      case IC_STATE_CONNECTING:
        StepConnecting(progress);
        break;
      case IC_STATE_SEND_CONNECTION:
        m_Counter = 0;
        if (!SendText(std::string("RequestConnection = ") + GetCasinoName())) Fail(IC_STR_CONNECT_FAILED);
        else m_IcState = IC_STATE_WAIT_CONNECTION;
        break;
      case IC_STATE_WAIT_CONNECTION:
        switch (RCCpoll()) {
          case 0:
            if (Wait(progress, m_ConnectionTimeout)) Fail(IC_STR_NO_CONNECTION_ANSWER);
            break;
          case 1:
            m_IcState = IC_STATE_DONE;
            break;
          case 2:
            m_IcState = IC_STATE_REFUSED;
            break;
          default:
            Fail(IC_STR_NO_CONNECTION_ANSWER);
        }
        break;
      case IC_STATE_SEND_INFO:
        m_Counter = 0;
        m_IcState = IC_STATE_WAIT_INFO;
        if (!SendText(std::string("RequestInfo = ") + GetCasinoName() + "{proxy}")) LostInfoLink();
        break;
      case IC_STATE_WAIT_INFO:
        switch (RCIpoll()) {
          case 0:
            if (Wait(progress, m_InfoTimeout, true)) Fail(IC_STR_NO_INFO);
            break;
          case 1:
            m_IcState = IC_STATE_DONE;
            break;
          default:
            LostInfoLink();
        }
        break;
      case IC_STATE_SEND_FILEMAP: {
        m_Counter = 0;
        uint32_t crc = 0;
        const std::string request = xCalcFileCrc(INFO_SERVER_MAP_FILE, &crc, XCRC_POLY)
                                        ? "RequestFileMap = " + std::to_string(crc)
                                        : std::string("RequestFileMap");
        if (!SendText(request)) Fail(IC_STR_NO_FILEMAP);
        else m_IcState = IC_STATE_WAIT_FILEMAP_SIZE;
        break;
      }
      case IC_STATE_WAIT_FILEMAP_SIZE:
        StepFileMapSize(progress);
        break;
      case IC_STATE_WAIT_FILEMAP_DATA:
        StepFileMapData(progress);
        break;
      case IC_STATE_CLOSE:
        DisConnect();
        m_IcState = IC_STATE_DONE;
        break;
      case IC_STATE_REFUSED:
        if (m_pRefusal && m_pRefusal->empty()) SetErrorText(IC_STR_CONNECT_FAILED);
        DisConnect();
        *result = 0;
        return 0;
      case IC_STATE_DONE:
        if (m_Counter > m_MinTimeout) {
          *result = 1;
          return 0;
        }
        Wait(progress, m_MinTimeout);
        return 1;
      default:
        // Failed, or a state no request starts from.
        if (state != IC_STATE_FAILED && !m_HasError) SetErrorText(IC_STR_CONNECT_FAILED);
        m_IcState = IC_STATE_FAILED;
        DisConnect();
        *result = 0;
        return 0;
    }
    // A state that waited keeps its place until the next pass; a send waits for the next pass too.
    const bool sent = state == IC_STATE_SEND_CONNECTION || state == IC_STATE_SEND_INFO || state == IC_STATE_SEND_FILEMAP;
    if (m_IcState == state || (sent && m_IcState != IC_STATE_FAILED)) return 1;
  }
}

void CInfoConnection::StepConnecting(IInfoConnectionProgress* progress) {
  switch (Connect()) {
    case 0:
      m_ConnectFailed = 1;
      Fail(IC_STR_CONNECT_FAILED);
      return;
    case 2:
      if (Wait(progress, m_ConnectTimeout)) {
        m_ConnectFailed = 1;
        Fail(IC_STR_CONNECT_FAILED);
      }
      return;
    default:
      // Connected: the player sees the step for at least MIN_TIMEOUT passes.
      if (m_Counter > m_MinTimeout) {
        if (progress) progress->Done();
        m_IcState = IC_STATE_SEND_CONNECTION;
      } else {
        Wait(progress, m_ConnectTimeout);
      }
  }
}

void CInfoConnection::StepFileMapSize(IInfoConnectionProgress* progress) {
  switch (RCFSpoll()) {
    case 0:
      if (Wait(progress, m_FileSizeTimeout)) Fail(IC_STR_NO_FILEMAP);
      return;
    case 1:
      m_IcState = IC_STATE_CLOSE;
      return;
    case 2:
      // A list of fewer than 2 bytes cannot be one: not even the end of an empty stream fits.
      if (m_FileMapSize < 2) {
        Fail(IC_STR_NO_FILEMAP);
        return;
      }
      m_Counter = 0;
      m_IcState = IC_STATE_WAIT_FILEMAP_DATA;
      return;
    default:
      Fail(IC_STR_NO_FILEMAP);
  }
}

void CInfoConnection::StepFileMapData(IInfoConnectionProgress* progress) {
  switch (RCFpoll()) {
    case 0:
      if (Wait(progress, m_FileMapTimeout)) Fail(IC_STR_NO_FILEMAP);
      return;
    case 1: {
      std::vector<char> list;
      if (!xExpandFileMap(m_FileMap.data(), static_cast<uint32_t>(m_FileMap.size()), m_FileMapSize, &list)) {
        Fail(IC_STR_NO_FILEMAP);
        return;
      }
      // Replaced whole or not at all: a failed write leaves the old list.
      if (!PlatformWriteFileReplacing(INFO_SERVER_MAP_FILE, list.data(), static_cast<uint32_t>(std::strlen(list.data())))) {
        Fail(IC_STR_NO_FILEMAP);
        return;
      }
      m_IcState = IC_STATE_CLOSE;
      return;
    }
    default:
      Fail(IC_STR_NO_FILEMAP);
  }
}

void CInfoConnection::LostInfoLink() {
  ShowMessage(kLostCaption, kLostText);
  Fail(IC_STR_NO_INFO);
}

// ---- the link's packets ----

int32_t CInfoConnection::SendText(const std::string& text) {
  if (!m_pComm || !m_pComm->IsConnected()) return 0;
  // The text goes with its NUL.
  if (!m_pComm->SendRawData(text.c_str(), static_cast<uint32_t>(text.size() + 1))) return 0;
  m_pComm->NonBlockedHandler();
  return 1;
}

int32_t CInfoConnection::TakeReply() {
  if (!m_pComm) return -1;
  m_pComm->NonBlockedHandler();
  void* data = nullptr;
  uint32_t size = 0;
  // What came before the server closed is read first.
  if (m_pComm->RecvRawData(data, size)) {
    FreeReply();
    m_pReply = data;
    m_ReplySize = size;
    return 1;
  }
  return m_pComm->IsConnected() ? 0 : -1;
}

int32_t CInfoConnection::RCCpoll() {
  const int32_t taken = TakeReply();
  if (taken <= 0) return taken;
  std::string refusal;
  switch (xParseConnectionAnswer(static_cast<const char*>(m_pReply), m_ReplySize, &refusal)) {
    case INFO_CONNECTION_ACCEPTED:
      return 1;
    case INFO_CONNECTION_REFUSED:
      m_pRefusal = std::make_unique<std::string>(std::move(refusal));
      return 2;
    default:
      return 0;
  }
}

int32_t CInfoConnection::RCIpoll() {
  const int32_t taken = TakeReply();
  if (taken <= 0) return taken;
  SInfoAnswer answer;
  if (!xParseInfoAnswer(static_cast<const char*>(m_pReply), m_ReplySize, &answer)) return 0;
  m_Answer = std::move(answer);
  if (m_Answer.m_HasLoginMessage) ShowMessage(kLoginMessageCaption, m_Answer.m_LoginMessage.c_str());
  return 1;
}

int32_t CInfoConnection::RCFSpoll() {
  const int32_t taken = TakeReply();
  if (taken <= 0) return taken;
  uint32_t size = 0;
  switch (xParseFileSizeAnswer(static_cast<const char*>(m_pReply), m_ReplySize, &size)) {
    case INFO_FILESIZE_SKIP:
      return 1;
    case INFO_FILESIZE_GIVEN:
      m_FileMapSize = size;
      return 2;
    default:
      return 0;
  }
}

int32_t CInfoConnection::RCFpoll() {
  const int32_t taken = TakeReply();
  if (taken <= 0) return taken;
  // One packet of exactly the announced length; anything else is a broken transfer.
  if (m_ReplySize != m_FileMapSize) return -1;
  try {
    m_FileMap.assign(static_cast<const char*>(m_pReply), static_cast<const char*>(m_pReply) + m_ReplySize);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  FreeReply();
  return 1;
}
