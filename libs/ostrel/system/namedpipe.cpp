#include "ostrel/system/namedpipe.h"

#include <cstring>

#include "ostrel/system/waitdeadline.h"
#include "platform/os/localsocket.h"
#include "platform/os/runtimedir.h"

// On the wire, numbers are little-endian 32-bit words. A request is one word, its number; an
// answer is the request's number, the length and then the data, one message in all.
namespace {

constexpr uint32_t kHeader = 8;
constexpr size_t kMaxClients = 64;

void PutWord(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetWord(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

CNamedPipe::~CNamedPipe() { Close(); }

std::string CNamedPipe::SocketPath(const char* name) {
  if (!name || !name[0]) return {};
  if (name[0] == '/') return std::strlen(name) <= PlatformLocalPathMax() ? name : std::string();
  return PlatformRuntimeObjectPath(name, ".pipe", PlatformLocalPathMax());
}

int CNamedPipe::Create(const char* name, uint32_t timeout) {
  Close();
  m_Path = SocketPath(name);
  if (m_Path.empty()) return 0;
  m_hListen = PlatformLocalListen(m_Path.c_str());
  if (m_hListen < 0) {
    m_Path.clear();
    return 0;
  }
  m_Timeout = timeout;
  return 1;
}

int CNamedPipe::Open(const char* name, uint32_t timeout) {
  Close();
  std::string path = SocketPath(name);
  if (path.empty()) return 0;
  m_hConn = PlatformLocalConnect(path.c_str());
  if (m_hConn < 0) return 0;
  m_Timeout = timeout;
  m_Seq = 0;
  return 1;
}

int CNamedPipe::Close() {
  for (int fd : m_Clients) PlatformLocalClose(fd);
  m_Clients.clear();
  m_hAsker = -1;
  m_NextClient = 0;
  if (m_hListen >= 0) PlatformLocalUnlisten(m_hListen, m_Path.c_str());
  m_hListen = -1;
  m_Path.clear();
  PlatformLocalClose(m_hConn);
  m_hConn = -1;
  return 1;
}

void CNamedPipe::DropClient(size_t index) {
  if (m_Clients[index] == m_hAsker) m_hAsker = -1;
  PlatformLocalClose(m_Clients[index]);
  m_Clients.erase(m_Clients.begin() + static_cast<std::ptrdiff_t>(index));
}

int CNamedPipe::ClientReading() {
  if (m_hListen < 0) return 0;
  m_hAsker = -1;
  CWaitDeadline deadline(m_Timeout);
  for (;;) {
    // Clients take turns from the one after the last that was served.
    std::vector<int> fds{m_hListen};
    const size_t n = m_Clients.size();
    for (size_t i = 0; i < n; ++i) fds.push_back(m_Clients[(m_NextClient + i) % n]);
    int ready = PlatformWaitReadable(fds.data(), static_cast<int>(fds.size()), deadline.Left());
    if (ready < 0) return 0;
    if (ready == 0) {
      for (int fd; (fd = PlatformLocalAccept(m_hListen)) >= 0;) {
        if (m_Clients.size() < kMaxClients)
          m_Clients.push_back(fd);
        else
          PlatformLocalClose(fd);
      }
      continue;
    }
    const size_t index = (m_NextClient + static_cast<size_t>(ready) - 1) % n;
    uint8_t request[4];
    int64_t got = PlatformLocalReceive(m_Clients[index], request, sizeof request);
    if (got == -2) continue;
    if (got != static_cast<int64_t>(sizeof request)) {
      DropClient(index);
      m_NextClient = 0;
      continue;
    }
    m_hAsker = m_Clients[index];
    m_AskerSeq = GetWord(request);
    m_NextClient = index + 1;
    return 1;
  }
}

int CNamedPipe::Write(const void* data, uint32_t size) {
  if (m_hListen < 0 || m_hAsker < 0 || size > NAMEDPIPE_MAX_DATA || (!data && size)) return 0;
  uint8_t block[kHeader + NAMEDPIPE_MAX_DATA];
  PutWord(block, m_AskerSeq);
  PutWord(block + 4, size);
  if (size) std::memcpy(block + kHeader, data, size);
  const int asker = m_hAsker;
  m_hAsker = -1;
  if (PlatformLocalSend(asker, block, kHeader + size)) return 1;
  // A client that does not take its answers is gone or stuck; it loses its connection.
  for (size_t i = 0; i < m_Clients.size(); ++i)
    if (m_Clients[i] == asker) DropClient(i);
  return 0;
}

int CNamedPipe::Read(void* buffer, uint32_t size, uint32_t& got) {
  if (m_hConn < 0 || (!buffer && size)) return 0;
  uint8_t request[4];
  const uint32_t seq = ++m_Seq;
  PutWord(request, seq);
  if (!PlatformLocalSend(m_hConn, request, sizeof request)) {
    PlatformLocalClose(m_hConn);
    m_hConn = -1;
    return 0;
  }
  CWaitDeadline deadline(m_Timeout);
  uint8_t block[kHeader + NAMEDPIPE_MAX_DATA];
  for (;;) {
    if (PlatformWaitReadable(&m_hConn, 1, deadline.Left()) < 0) return 0;
    int64_t n = PlatformLocalReceive(m_hConn, block, sizeof block);
    if (n == -2) continue;
    // Hung up, or a message that is no answer (cut, short, or a length beyond the block).
    if (n < kHeader || n > static_cast<int64_t>(sizeof block) || GetWord(block + 4) != n - kHeader) {
      PlatformLocalClose(m_hConn);
      m_hConn = -1;
      return 0;
    }
    if (GetWord(block) != seq) continue;  // the late answer to an earlier request
    const uint32_t length = GetWord(block + 4);
    if (length > size) return 0;
    if (length) std::memcpy(buffer, block + kHeader, length);
    got = length;
    return 1;
  }
}
