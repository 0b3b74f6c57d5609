// A connected pair of remote links on 127.0.0.1 in one process, plain, under TLS or under the KVT
// link, with the library started on globals of its own for the pair's life.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/kvtlink.h"
#include "ostrelcomm/tls.h"

namespace commbench {

// A socket listening on 127.0.0.1 on a port of the system's choice; -1 when none can be had.
inline int ListenLoopback(uint16_t& port, int backlog) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof sa;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, backlog) != 0) return -1;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
  port = ntohs(sa.sin_port);
  return fd;
}

inline std::vector<uint8_t> Pattern(size_t n) {
  std::mt19937 gen(9);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(gen());
  return v;
}

// A throwaway self-signed certificate and key, written beside each other in /tmp.
struct SCertificate {
  SCertificate() {
    char folder[] = "/tmp/links-crypto-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    dir = folder;
    cert = dir + "/cert.pem";
    key = dir + "/key.pem";
    EVP_PKEY* pkey = EVP_EC_gen("P-256");
    X509* x = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
    X509_gmtime_adj(X509_getm_notBefore(x), 0);
    X509_gmtime_adj(X509_getm_notAfter(x), 86400);
    X509_set_pubkey(x, pkey);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1, -1,
                               0);
    X509_set_issuer_name(x, name);
    X509_sign(x, pkey, EVP_sha256());
    FILE* f = std::fopen(cert.c_str(), "w");
    PEM_write_X509(f, x);
    std::fclose(f);
    f = std::fopen(key.c_str(), "w");
    PEM_write_PrivateKey(f, pkey, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(f);
    X509_free(x);
    EVP_PKEY_free(pkey);
  }
  ~SCertificate() {
    std::remove(cert.c_str());
    std::remove(key.c_str());
    std::remove(dir.c_str());
  }
  std::string dir, cert, key;
};

enum class EKind { kPlain, kTls, kKvt };

// The library started, and a connected pair of remote links of one kind.
class CLinkPair {
 public:
  explicit CLinkPair(EKind kind) : m_Globals(0) {
    glb = &m_Globals;
    sglb = &m_SysGlobals;
    xCommStartup(glb, sglb);
    m_Server.SetPortA(0);
    m_Server.SetCallbackFunction(Accept, this, 0);
    m_Server.Startup();
    m_Client.SetPacketTypes(1, 0);
    m_Client.Startup();
    if (kind == EKind::kTls) {
      m_Server.SetEncryption(1, m_Cert.cert.c_str(), m_Cert.key.c_str());
      m_Client.SetEncryption(1);
    } else if (kind == EKind::kKvt) {
      xSetServerKVTEncryption(m_Server.GetCryptData(), 1);
      xSetClientKVTEncryption(m_Client.GetCryptData(), 1);
    }
    m_Server.StartListen();
    m_Server.NonBlockedStartListenHandler();
    m_Client.SetRemoteLocation("127.0.0.1", m_Server.GetPortA());
    m_Client.Connect();
    for (int i = 0; i < 1000 && !(m_Client.IsConnected() && m_pAccepted); ++i) {
      m_Server.BlockedHandler(10);
      if (!m_Client.IsConnected()) m_Client.BlockedConnectHandler(10);
    }
    // A first packet gets any handshake out of the way.
    if (!Move(std::vector<uint8_t>(1), 1)) m_Broken = true;
  }
  ~CLinkPair() {
    m_Client.Disconnect();
    m_pAccepted.reset();
    m_Client.Closedown();
    m_Server.Closedown();
    xCommClosedown();
    delete glb->m_pNodeList;
    glb = nullptr;
    sglb = nullptr;
  }
  bool Broken() const { return m_Broken; }
  CCommRemoteClient& Client() { return m_Client; }
  CCommRemoteClient* Accepted() { return m_pAccepted.get(); }
  const char* Cipher() { return xGetSocketCipherName(m_Client.GetCryptData()); }

  // Sends count packets of the payload and runs both links until all arrived.
  bool Move(const std::vector<uint8_t>& payload, int count) {
    if (!m_pAccepted) return false;
    for (int i = 0; i < count; ++i)
      if (!m_Client.SendRawData(payload.data(), static_cast<uint32_t>(payload.size()))) return false;
    int arrived = 0;
    for (int turn = 0; turn < 10000000 && arrived < count; ++turn) {
      if (!m_Client.NonBlockedHandler() || !m_pAccepted->NonBlockedHandler()) return false;
      void* data;
      uint32_t size;
      while (m_pAccepted->RecvRawData(data, size)) {
        xFree(data);
        ++arrived;
      }
    }
    return arrived == count;
  }

 private:
  static int32_t Accept(CCommBaseServer* server, void* user, int32_t) {
    auto* self = static_cast<CLinkPair*>(user);
    auto link = std::make_unique<CCommRemoteClient>();
    link->SetPacketTypes(1, 0);
    link->Startup();
    if (!link->SetConnectFromServer(static_cast<CCommRemoteServer*>(server))) return 0;
    self->m_pAccepted = std::move(link);
    return 1;
  }

  SGlobals m_Globals;
  SSysGlobals m_SysGlobals;
  SCertificate m_Cert;
  CCommRemoteServer m_Server;
  CCommRemoteClient m_Client;
  std::unique_ptr<CCommRemoteClient> m_pAccepted;
  bool m_Broken = false;
};

}  // namespace commbench
