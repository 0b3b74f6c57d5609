#include "ostrelcomm/tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <signal.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/kvtlink.h"
#include "ostrelcomm/socket.h"

namespace {

bool g_Initialised = false;
char g_Password[TLS_MAX_PASSWORD];
bool g_PasswordSet = false;

// Every error OpenSSL queued, oldest first, to the sink.
void ReportErrors(const char* where) {
  unsigned long code;
  bool any = false;
  while ((code = ERR_get_error()) != 0) {
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    xCommError("%s: %s", where, text);
    any = true;
  }
  if (!any) xCommError("%s: failed", where);
}

// Hands OpenSSL the stored pass phrase; never asks on the terminal, where nobody would answer.
int PasswordCallback(char* buffer, int size, int, void*) {
  if (!g_PasswordSet || size <= 0) return 0;
  const size_t length = std::strlen(g_Password);
  if (length >= static_cast<size_t>(size)) return 0;
  std::memcpy(buffer, g_Password, length + 1);
  return static_cast<int>(length);
}

int32_t Classify(ssl_st* connection, int result, const char* where) {
  if (result > 0) return result;
  const int error = SSL_get_error(connection, result);
  switch (error) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
    case SSL_ERROR_WANT_X509_LOOKUP:
      return 0;
    case SSL_ERROR_ZERO_RETURN:
      return TLS_PEER_CLOSED;
    case SSL_ERROR_SYSCALL:
      if (ERR_peek_error() == 0) {
        xCommError("%s: socket error: %s", where, errno ? std::strerror(errno) : "connection lost");
        return TLS_FAILED;
      }
      [[fallthrough]];
    default:
      ReportErrors(where);
      return TLS_FAILED;
  }
}

int ClampSize(uint32_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace

int32_t xTlsInit() {
  if (g_Initialised) return 1;
  if (OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr) != 1) {
    ReportErrors("xTlsInit");
    return 0;
  }
  // OpenSSL writes to the socket with write(), and alerts go out to peers that are already gone.
  signal(SIGPIPE, SIG_IGN);
  g_Initialised = true;
  return 1;
}

ssl_ctx_st* xTlsCreateContext(int32_t server, const char* certificateFile, const char* keyFile, const char* where) {
  if (!xTlsInit()) return nullptr;
  ERR_clear_error();
  SSL_CTX* context = SSL_CTX_new(server ? TLS_server_method() : TLS_client_method());
  if (!context) {
    ReportErrors(where);
    return nullptr;
  }
  SSL_CTX_set_dh_auto(context, 1);
  SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  SSL_CTX_set_default_passwd_cb(context, PasswordCallback);
  if (server) {
    if (!certificateFile || !keyFile || SSL_CTX_use_certificate_chain_file(context, certificateFile) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, keyFile, SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(context) != 1) {
      ReportErrors(where);
      SSL_CTX_free(context);
      return nullptr;
    }
  }
  return context;
}

void xTlsFreeContext(ssl_ctx_st* context) {
  if (context) SSL_CTX_free(context);
}

ssl_st* xTlsCreateConnection(ssl_ctx_st* context, int sock, int32_t acceptState) {
  if (!context || sock < 0) return nullptr;
  ERR_clear_error();
  SSL* connection = SSL_new(context);
  if (!connection || SSL_set_fd(connection, sock) != 1) {
    ReportErrors(acceptState ? "xTlsCreateConnection (accept)" : "xTlsCreateConnection (connect)");
    if (connection) SSL_free(connection);
    return nullptr;
  }
  if (acceptState)
    SSL_set_accept_state(connection);
  else
    SSL_set_connect_state(connection);
  return connection;
}

void xTlsFreeConnection(ssl_st* connection) {
  if (connection) SSL_free(connection);
}

int32_t xTlsWrite(ssl_st* connection, const void* data, uint32_t size) {
  if (!connection) return TLS_FAILED;
  if (size == 0) return 0;
  ERR_clear_error();
  errno = 0;
  return Classify(connection, SSL_write(connection, data, ClampSize(size)), "xTlsWrite");
}

int32_t xTlsRead(ssl_st* connection, void* buffer, uint32_t size) {
  if (!connection) return TLS_FAILED;
  if (size == 0) return 0;
  ERR_clear_error();
  errno = 0;
  return Classify(connection, SSL_read(connection, buffer, ClampSize(size)), "xTlsRead");
}

int32_t xTlsHasPending(const ssl_st* connection) { return connection && SSL_has_pending(connection) ? 1 : 0; }

const char* xTlsCipherName(const ssl_st* connection) {
  if (!connection) return "(NONE)";
  return SSL_CIPHER_get_name(SSL_get_current_cipher(connection));
}

void xTlsShutdown(ssl_st* connection) {
  if (!connection) return;
  ERR_clear_error();
  // A handshake that never finished has no session to close; OpenSSL would only complain.
  if (SSL_is_init_finished(connection)) SSL_shutdown(connection);
  ERR_clear_error();
}

// ---- TLS on a socket's SCryptData ----

namespace {

void DropTls(SCryptData* crypt) {
  xTlsFreeConnection(crypt->m_pTls);
  crypt->m_pTls = nullptr;
  xTlsFreeContext(crypt->m_pTlsContext);
  crypt->m_pTlsContext = nullptr;
}

int32_t CopyName(char*& slot, const char* name) {
  char* copy = name ? xStrdup(name) : nullptr;
  if (name && !copy) return 0;
  xFree(slot);
  slot = copy;
  return 1;
}

}  // namespace

int32_t xSetEncryption(SCryptData* crypt, const char* certificateFile, const char* keyFile, int32_t server) {
  if (!crypt || !crypt->m_Started) return 0;
  crypt->m_Kind = SOCKET_CRYPT_TLS;
  if (server ? (!certificateFile || !keyFile) : (certificateFile || keyFile))
    return xCommError("xSetEncryption: a %s takes %s", server ? "server" : "client",
                      server ? "a certificate file and a key file" : "no files");
  if (!CopyName(crypt->m_pCertificateFile, certificateFile) || !CopyName(crypt->m_pKeyFile, keyFile))
    return xCommError("xSetEncryption: out of memory");
  DropTls(crypt);
  crypt->m_pTlsContext = xTlsCreateContext(server, certificateFile, keyFile, "xSetEncryption");
  return crypt->m_pTlsContext ? 1 : 0;
}

int32_t xSetClientEncryption(SCryptData* crypt) { return xSetEncryption(crypt, nullptr, nullptr, 0); }

int32_t xSetServerEncryption(SCryptData* crypt, const char* certificateFile, const char* keyFile) {
  return xSetEncryption(crypt, certificateFile, keyFile, 1);
}

void xClearEncryption(SCryptData* crypt) {
  if (!crypt) return;
  DropTls(crypt);
  CopyName(crypt->m_pCertificateFile, nullptr);
  CopyName(crypt->m_pKeyFile, nullptr);
  crypt->m_Kind = 0;
}

int32_t xMakeGivenServerSocketEncrypted(int sock, const char* certificateFile, const char* keyFile, SCryptData* crypt) {
  if (sock < 0 || !xSetServerEncryption(crypt, certificateFile, keyFile)) return 0;
  if (crypt->m_KvtMode && !xSetServerKVTEncryption(crypt, crypt->m_KvtMode)) return 0;
  crypt->m_pTls = xTlsCreateConnection(crypt->m_pTlsContext, sock, 1);
  return crypt->m_pTls ? 1 : 0;
}

const char* xGetSocketCipherName(const SCryptData* crypt) { return xTlsCipherName(crypt ? crypt->m_pTls : nullptr); }

int32_t xSetCertPassword(const char* password) {
  if (!password || std::strlen(password) >= TLS_MAX_PASSWORD) return 0;
  std::strcpy(g_Password, password);
  g_PasswordSet = true;
  return 1;
}

int32_t xGetCertPasswordFromStdIn() {
  std::fputs("Enter the pass phrase of the certificate's private key: ", stdout);
  std::fflush(stdout);
  char line[256];
  if (!std::fgets(line, sizeof line, stdin)) return 1;
  line[std::strcspn(line, "\r\n")] = 0;
  xSetCertPassword(line);
  std::memset(line, 0, sizeof line);
  return 1;
}

void xClearCertPassword() {
  std::memset(g_Password, 0, sizeof g_Password);
  g_PasswordSet = false;
}
