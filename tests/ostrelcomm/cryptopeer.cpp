#include "cryptopeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "rawpeer.h"
#include "support/spawnedchild.h"

namespace {

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

// ---- reference cipher ----

struct CRefBlowfishCbc::SImpl {
  EVP_CIPHER_CTX* m_pContext = nullptr;
  EVP_CIPHER* m_pCipher = nullptr;
};

CRefBlowfishCbc::CRefBlowfishCbc(const uint8_t* key, size_t keySize, bool encrypt) : m_p(new SImpl) {
  // Blowfish lives in the legacy provider; the default one stays for everything else.
  static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
  static OSSL_PROVIDER* deflt = OSSL_PROVIDER_load(nullptr, "default");
  if (!legacy || !deflt) throw std::runtime_error("the legacy provider is missing");
  m_p->m_pCipher = EVP_CIPHER_fetch(nullptr, "BF-CBC", nullptr);
  m_p->m_pContext = EVP_CIPHER_CTX_new();
  const uint8_t iv[8] = {};
  if (!m_p->m_pCipher || !m_p->m_pContext ||
      EVP_CipherInit_ex2(m_p->m_pContext, m_p->m_pCipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr) != 1 ||
      EVP_CIPHER_CTX_set_key_length(m_p->m_pContext, static_cast<int>(keySize)) != 1 ||
      EVP_CipherInit_ex2(m_p->m_pContext, nullptr, key, iv, encrypt ? 1 : 0, nullptr) != 1 ||
      EVP_CIPHER_CTX_set_padding(m_p->m_pContext, 0) != 1)
    throw std::runtime_error("BF-CBC cannot be set up");
}

CRefBlowfishCbc::~CRefBlowfishCbc() {
  EVP_CIPHER_CTX_free(m_p->m_pContext);
  EVP_CIPHER_free(m_p->m_pCipher);
}

Bytes CRefBlowfishCbc::Run(const Bytes& data) {
  Bytes out(data.size() + 8);
  int length = 0;
  if (EVP_CipherUpdate(m_p->m_pContext, out.data(), &length, data.data(), static_cast<int>(data.size())) != 1)
    throw std::runtime_error("BF-CBC failed");
  out.resize(static_cast<size_t>(length));
  return out;
}

// ---- sockets ----

SSocketPair::SSocketPair() {
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fd) != 0) throw std::runtime_error("socketpair");
  SetNonBlocking(fd[0]);
  SetNonBlocking(fd[1]);
}

SSocketPair::~SSocketPair() {
  Close(0);
  Close(1);
}

void SSocketPair::Close(int side) {
  if (fd[side] >= 0) close(fd[side]);
  fd[side] = -1;
}

void SSocketPair::SetSmallBuffers() {
  const int size = 4096;
  for (int s : fd) {
    setsockopt(s, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  }
}

void WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (size) {
    const ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
    if (n > 0) {
      p += n;
      size -= static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd w{fd, POLLOUT, 0};
      poll(&w, 1, 1000);
    } else {
      throw std::runtime_error("WriteAll failed");
    }
  }
}

void WriteAll(int fd, const Bytes& data) { WriteAll(fd, data.data(), data.size()); }

Bytes ReadAvailable(int fd) {
  Bytes out;
  uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) break;
    out.insert(out.end(), buffer, buffer + n);
  }
  return out;
}

Bytes ReadExactly(int fd, size_t size, int ms) {
  Bytes out;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (out.size() < size && std::chrono::steady_clock::now() < end) {
    uint8_t buffer[65536];
    const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, size - out.size()), MSG_DONTWAIT);
    if (n > 0) {
      out.insert(out.end(), buffer, buffer + n);
    } else if (n == 0) {
      break;
    } else {
      pollfd r{fd, POLLIN, 0};
      poll(&r, 1, 50);
    }
  }
  return out;
}

bool WaitForListener(uint16_t port, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    // Binding fails once a listener holds the port; no connection is used up to find out.
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool taken = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno == EADDRINUSE;
    close(s);
    if (taken) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// ---- relay ----

struct CSegmentRelay::SImpl {
  int m_Listener = -1;
  uint16_t m_Target = 0;
  size_t m_Segment = 1;
  int m_Stop[2] = {-1, -1};
  std::thread m_Thread;
  std::mutex m_Lock;
  Bytes m_Upstream;

  void Run();
};

CSegmentRelay::CSegmentRelay(uint16_t target, size_t segment) : m_p(new SImpl) {
  m_p->m_Target = target;
  m_p->m_Segment = segment;
  m_p->m_Listener = RawListen(m_Port);
  if (pipe2(m_p->m_Stop, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  m_p->m_Thread = std::thread([this] { m_p->Run(); });
}

CSegmentRelay::~CSegmentRelay() {
  const char stop = 1;
  if (write(m_p->m_Stop[1], &stop, 1) != 1) std::abort();
  m_p->m_Thread.join();
  close(m_p->m_Stop[0]);
  close(m_p->m_Stop[1]);
  if (m_p->m_Listener >= 0) close(m_p->m_Listener);
}

Bytes CSegmentRelay::Upstream() {
  std::lock_guard<std::mutex> lock(m_p->m_Lock);
  return m_p->m_Upstream;
}

void CSegmentRelay::SImpl::Run() {
  pollfd wait[2] = {{m_Listener, POLLIN, 0}, {m_Stop[0], POLLIN, 0}};
  if (poll(wait, 2, 60000) <= 0 || !(wait[0].revents & POLLIN)) return;
  int fd[2] = {accept4(m_Listener, nullptr, nullptr, SOCK_CLOEXEC), RawConnect(m_Target)};
  if (fd[0] < 0 || fd[1] < 0) {
    for (int f : fd)
      if (f >= 0) close(f);
    return;
  }
  const int on = 1;
  for (int f : fd) {
    setsockopt(f, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SetNonBlocking(f);
  }
  // Direction d carries bytes read from fd[d] to fd[1 - d].
  Bytes pending[2];
  size_t sent[2] = {0, 0};
  bool ended[2] = {false, false}, passedOn[2] = {false, false};
  constexpr size_t kWindow = 1 << 18;
  bool failed = false;
  for (;;) {
    pollfd p[3] = {{fd[0], 0, 0}, {fd[1], 0, 0}, {m_Stop[0], POLLIN, 0}};
    for (int d = 0; d < 2; ++d) {
      if (!ended[d] && pending[d].size() - sent[d] < kWindow) p[d].events |= POLLIN;
      if (sent[d] < pending[d].size()) p[1 - d].events |= POLLOUT;
    }
    if (poll(p, 3, 1000) < 0 && errno != EINTR) break;
    if (p[2].revents) break;
    for (int d = 0; d < 2 && !failed; ++d) {
      if (!ended[d] && (p[d].revents & (POLLIN | POLLHUP | POLLERR))) {
        uint8_t buffer[65536];
        const ssize_t n = recv(fd[d], buffer, sizeof buffer, 0);
        if (n > 0) {
          pending[d].insert(pending[d].end(), buffer, buffer + n);
          if (d == 0) {
            std::lock_guard<std::mutex> lock(m_Lock);
            m_Upstream.insert(m_Upstream.end(), buffer, buffer + n);
          }
        } else if (n == 0) {
          ended[d] = true;
        } else if (errno != EAGAIN && errno != EINTR) {
          failed = true;
        }
      }
      // One send per segment, so that each goes out as a segment of its own.
      while (!failed && sent[d] < pending[d].size()) {
        const size_t size = std::min(m_Segment, pending[d].size() - sent[d]);
        const ssize_t n = send(fd[1 - d], pending[d].data() + sent[d], size, MSG_NOSIGNAL);
        if (n > 0) {
          sent[d] += static_cast<size_t>(n);
        } else {
          if (errno != EAGAIN && errno != EINTR) failed = true;
          break;
        }
      }
      if (sent[d] == pending[d].size()) {
        pending[d].clear();
        sent[d] = 0;
        if (ended[d] && !passedOn[d]) {
          shutdown(fd[1 - d], SHUT_WR);
          passedOn[d] = true;
        }
      }
    }
    if (failed || (passedOn[0] && passedOn[1])) break;
  }
  for (int f : fd) {
    // An error on one side resets the other rather than ending it in order.
    if (failed) {
      const linger reset{1, 0};
      setsockopt(f, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    close(f);
  }
}
// ---- programs ----

int RunProgram(const std::vector<std::string>& args) {
  CSpawnedChild child;
  if (args.empty() || !child.StartSystemProgram(args[0], std::vector<std::string>(args.begin() + 1, args.end())))
    return -1;
  child.CloseInput();
  return child.Wait();
}

// ---- certificates ----

CTestCertificate::CTestCertificate() {
  const std::vector<std::string> ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1"};
  std::vector<std::string> req = {"openssl", "req",         "-x509", "-nodes",        "-keyout", Key(),
                                  "-out",    Certificate(), "-subj", "/CN=localhost", "-days",   "2"};
  req.insert(req.begin() + 3, ec.begin(), ec.end());
  m_Made = RunProgram(req) == 0 && RunProgram({"openssl", "genpkey", "-algorithm", "EC", "-pkeyopt",
                                               "ec_paramgen_curve:prime256v1", "-out", OtherKey()}) == 0;
}

std::string CTestCertificate::EncryptedKey(const std::string& passPhrase) {
  const std::string path = m_Dir.File("encrypted" + std::to_string(++m_Encrypted) + ".pem");
  if (RunProgram({"openssl", "pkey", "-in", Key(), "-aes128", "-passout", "pass:" + passPhrase, "-out", path}) != 0)
    return "";
  return path;
}
