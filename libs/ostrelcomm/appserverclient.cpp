#include "ostrelcomm/appserverclient.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/socketwait.h"
#include "ostrelcomm/tls.h"

namespace {

// A name ends at white space, any control byte (a NUL too), or markup.
bool NameEnd(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '>' || c == '/' || c == '<'; }

}  // namespace

int32_t xAppServerDocumentComplete(const char* text, uint32_t size, char*& root) {
  if (!text) return 0;
  // The root element's opening tag.
  uint32_t open = 0;
  for (;;) {
    const void* lt = open < size ? std::memchr(text + open, '<', size - open) : nullptr;
    if (!lt) return 0;
    open = static_cast<uint32_t>(static_cast<const char*>(lt) - text);
    if (open + 1 >= size) return 0;
    const char next = text[open + 1];
    if (next != '!' && next != '?') break;
    ++open;
  }
  const void* gt = std::memchr(text + open, '>', size - open);
  if (!gt) return 0;
  const uint32_t close = static_cast<uint32_t>(static_cast<const char*>(gt) - text);
  if (!root) {
    uint32_t end = open + 1;
    while (end < close && !NameEnd(text[end])) ++end;
    const uint32_t length = end - open - 1;
    if (length == 0 || length > APPSERVER_MAX_ROOT_NAME) return 0;
    root = static_cast<char*>(::operator new(length + 1, std::nothrow));
    if (!root) return 0;
    std::memcpy(root, text + open + 1, length);
    root[length] = 0;
  }
  // <name/> is a whole document by itself.
  if (text[close - 1] == '/') return 1;
  const size_t nameLength = std::strlen(root);
  const size_t tagLength = nameLength + 3;
  if (size - close - 1 < tagLength) return 0;
  for (size_t at = size - tagLength; at > close; --at)
    if (text[at] == '<' && text[at + 1] == '/' && std::memcmp(text + at + 2, root, nameLength) == 0 &&
        text[at + 2 + nameLength] == '>')
      return 1;
  return 0;
}

// ---- CAppServerCommClient ----

CAppServerCommClient::~CAppServerCommClient() {
  Exit();
  xFree(m_pService);
}

int32_t CAppServerCommClient::SetService(const char* name) { return xStrReplace(m_pService, name); }

void CAppServerCommClient::FreeBuffers() {
  xFree(m_pReceive);
  xFree(m_pSend);
  xFree(m_pRootName);
  m_pReceive = nullptr;
  m_pSend = nullptr;
  m_pRootName = nullptr;
  m_ReceiveCapacity = m_SendCapacity = 0;
  m_Received = m_LastChecked = m_SendSize = m_Sent = 0;
  m_ElementStart = m_ElementEnd = 0;
}

int32_t CAppServerCommClient::PrepareBuffers() {
  FreeBuffers();
  m_pReceive = static_cast<char*>(::operator new(APPSERVER_BUFFER_SIZE + 1, std::nothrow));
  m_pSend = static_cast<uint8_t*>(::operator new(APPSERVER_BUFFER_SIZE, std::nothrow));
  if (!m_pReceive || !m_pSend) {
    FreeBuffers();
    return xCommError("CAppServerCommClient::PrepareBuffers: Out of memory");
  }
  m_pReceive[0] = 0;
  m_ReceiveCapacity = m_SendCapacity = APPSERVER_BUFFER_SIZE;
  return 1;
}

int32_t CAppServerCommClient::Init(int32_t wait, int32_t debugCopy, int32_t waitTime) {
  Exit();
  m_Wait = wait;
  m_DebugCopy = debugCopy;
  m_WaitTime = waitTime;
  return PrepareBuffers();
}

int32_t CAppServerCommClient::JoinWaitList() {
  if (!m_pWaitEntry) m_pWaitEntry = xAllocSockWait();
  if (!m_pWaitEntry) return 0;
  m_pWaitEntry->m_Socket = m_Socket;
  m_pWaitEntry->m_ReadInterest = 1;
  m_pWaitEntry->m_pOwner = this;
  return m_WaitList.IfNotInsertLast(m_pWaitEntry) ? 1 : 0;
}

int32_t CAppServerCommClient::Attach(int sock, int32_t encrypted, const char* keyFile) {
  if (sock < 0) return 0;
  if (!m_pReceive && !PrepareBuffers()) {
    xCloseSocket(sock);
    return 0;
  }
  if (!m_StartCount && !xStartupSockets(m_StartCount, 0, &m_Crypt)) {
    xCloseSocket(sock);
    return xCommError("CAppServerCommClient::Attach: xStartupSockets returned FALSE");
  }
  xCloseSocket(m_Socket);
  m_Socket = sock;
  m_Connected = 1;
  if (encrypted) {
    // One file holds both the certificate and the private key.
    if (!keyFile || !xFileExists(keyFile) || !xMakeGivenServerSocketEncrypted(m_Socket, keyFile, keyFile, &m_Crypt)) {
      xCloseSocket(m_Socket);
      m_Connected = 0;
      return xCommError("CAppServerCommClient::Attach: Unable to make the socket encrypted (%s)", keyFile ? keyFile : "");
    }
  }
  if (!xCheckConnectionUp(m_Socket, m_Connected, &m_Crypt) || !JoinWaitList()) {
    xCloseSocket(m_Socket);
    m_Connected = 0;
    return xCommError("CAppServerCommClient::Attach: the connection is not up");
  }
  return 1;
}

int32_t CAppServerCommClient::Connect(const char* host, uint32_t port, int32_t encrypted) {
  if (!host || !*host) return 0;
  if (!m_pReceive && !PrepareBuffers()) return 0;
  if (!m_StartCount && !xStartupSockets(m_StartCount, 1, &m_Crypt))
    return xCommError("CAppServerCommClient::Connect: xStartupSockets returned FALSE");
  if (encrypted ? !xSetClientEncryption(&m_Crypt) : (xClearEncryption(&m_Crypt), false))
    return xCommError("CAppServerCommClient::Connect: xSetClientEncryption returned FALSE");
  m_Connected = 0;
  if (!xConnectSocket(host, port, nullptr, 0, m_Socket, nullptr, &m_Crypt))
    return xCommError("CAppServerCommClient::Connect: %s", xGetSocketErrorText());
  if (!xBlockedConnectHandler(host, port, nullptr, 0, m_Socket, m_Connected, m_WaitTime, &m_Crypt) || !m_Connected) {
    xCloseSocket(m_Socket);
    m_Connected = 0;
    return xCommError("CAppServerCommClient::Connect: unable to connect to %s:%u", host, port);
  }
  return JoinWaitList();
}

int32_t CAppServerCommClient::ReceiveData(int32_t& complete) {
  complete = 0;
  if (!m_Connected || m_Socket < 0 || !m_pReceive) return 0;
  if (m_Received >= m_ReceiveCapacity) {
    // Full at the limit with no whole document: more waiting cannot help.
    if (m_ReceiveCapacity >= APPSERVER_MAX_DOCUMENT)
      return xCommError("CAppServerCommClient::ReceiveData: %u bytes without a complete document", m_Received);
    const uint32_t grown = std::min(m_ReceiveCapacity + APPSERVER_BUFFER_GROWTH, APPSERVER_MAX_DOCUMENT);
    auto* bigger = static_cast<char*>(::operator new(static_cast<size_t>(grown) + 1, std::nothrow));
    if (!bigger) return xCommError("CAppServerCommClient::ReceiveData: Out of memory");
    std::memcpy(bigger, m_pReceive, m_Received);
    xFree(m_pReceive);
    m_pReceive = bigger;
    m_ReceiveCapacity = grown;
  }
  if (m_Wait && !xSocketHasPending(&m_Crypt)) {
    if (m_pWaitEntry) m_pWaitEntry->m_Socket = m_Socket;
    xWaitTimeOrSocketsLowLevel(m_WaitTime, &m_WaitList);
  }
  uint32_t none = 0;
  const uint32_t before = m_Received;
  if (!xNonBlockedHandler(m_Socket, m_Connected, m_pReceive, m_Received, m_ReceiveCapacity, nullptr, none, 0, &m_Crypt))
    return 0;
  m_pReceive[m_Received] = 0;
  if (m_Received == before) return m_Connected && m_Socket >= 0;
  m_LastChecked = m_Received;
  if (EntirePacketReceived()) {
    complete = 1;
    return 1;
  }
  if (m_Received >= APPSERVER_MAX_DOCUMENT)
    return xCommError("CAppServerCommClient::ReceiveData: %u bytes without a complete document", m_Received);
  return 1;
}

int32_t CAppServerCommClient::EntirePacketReceived() {
  return m_pReceive ? xAppServerDocumentComplete(m_pReceive, m_Received, m_pRootName) : 0;
}

int32_t CAppServerCommClient::SetSendBuffer(const void* data, uint32_t size) {
  if ((!data && size) || size >= APPSERVER_MAX_DOCUMENT) return 0;
  if (size > m_SendCapacity || !m_pSend) {
    auto* bigger = static_cast<uint8_t*>(::operator new(size ? size : 1, std::nothrow));
    if (!bigger) return xCommError("CAppServerCommClient::SetSendBuffer: Out of memory");
    xFree(m_pSend);
    m_pSend = bigger;
    m_SendCapacity = size;
  }
  if (size) std::memcpy(m_pSend, data, size);
  m_SendSize = size;
  m_Sent = 0;
  return 1;
}

int32_t CAppServerCommClient::SendData(int32_t& complete) {
  complete = 0;
  if (!m_Connected || m_Socket < 0) return 0;
  uint32_t none = 0;
  if (m_Sent < m_SendSize &&
      !xNonBlockedHandler(m_Socket, m_Connected, nullptr, none, 0, m_pSend, m_Sent, m_SendSize, &m_Crypt))
    return 0;
  complete = m_Sent >= m_SendSize;
  return m_Socket >= 0 || complete;
}

int32_t CAppServerCommClient::Exit() {
  int32_t clean = 1;
  if (m_Socket >= 0) {
    if (m_StartCount)
      clean = xDisconnectSocket(m_Socket, m_Connected, &m_Crypt);
    xCloseSocket(m_Socket);
  }
  m_Connected = 0;
  if (m_StartCount) xClosedownSockets(m_StartCount, &m_Crypt);
  m_StartCount = 0;
  m_WaitList.KillAll();
  if (m_pWaitEntry) xFreeSockWait(m_pWaitEntry);
  m_pWaitEntry = nullptr;
  FreeBuffers();
  return clean;
}

void CAppServerCommClient::StateDump() {
  xprintf("CAppServerCommClient: service %s socket %d connected %d received %u of %u sent %u of %u root %s\n",
          GetService(), m_Socket, m_Connected, m_Received, m_ReceiveCapacity, m_Sent, m_SendSize,
          m_pRootName ? m_pRootName : "(none)");
  if (m_DebugCopy && m_pReceive) xprintf("%s\n", m_pReceive);
}
