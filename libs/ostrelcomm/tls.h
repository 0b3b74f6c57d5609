// TLS under a link's socket, over OpenSSL: contexts for the client and server side, one connection
// per socket, and the mapping of OpenSSL's results onto the socket layer's (bytes moved, nothing
// now, the peer closed, failure). Every failure leaves OpenSSL's reason in the library's error
// sink.
#pragma once

#include <cstdint>

struct ssl_ctx_st;
struct ssl_st;
struct SCryptData;

// Results of a transfer besides the count of bytes moved (0: nothing now, try again later with the
// same buffer and size).
inline constexpr int32_t TLS_FAILED = -1;
inline constexpr int32_t TLS_PEER_CLOSED = -2;

// Pass phrases of at least this length are ignored.
inline constexpr uint32_t TLS_MAX_PASSWORD = 80;

// Once per process: the TLS library and its error texts. 1 when it stands.
int32_t xTlsInit();

// A context with the general-purpose TLS method of the side, automatic Diffie-Hellman groups,
// writes that may complete in part and a buffer that may move between retries, and a pass-phrase
// callback that never prompts. The server side loads the certificate chain file and the private
// key file (PEM) and checks that they belong together; the client side takes neither. Null on
// failure (the reason goes to the error sink, tagged with where).
ssl_ctx_st* xTlsCreateContext(int32_t server, const char* certificateFile, const char* keyFile, const char* where);
void xTlsFreeContext(ssl_ctx_st* context);

// A connection on the socket in connect state (client) or accept state (server); null on failure.
ssl_st* xTlsCreateConnection(ssl_ctx_st* context, int sock, int32_t acceptState);
void xTlsFreeConnection(ssl_st* connection);

// One SSL_write or SSL_read: the bytes moved, 0 when OpenSSL wants to read or write first,
// TLS_PEER_CLOSED when the peer ended the session with its close notice, TLS_FAILED on a
// protocol or socket error (also a peer that went away without the notice).
int32_t xTlsWrite(ssl_st* connection, const void* data, uint32_t size);
int32_t xTlsRead(ssl_st* connection, void* buffer, uint32_t size);
// 1 while OpenSSL holds received bytes that a read will hand out without the socket turning
// readable, so a wait on the socket must not block.
int32_t xTlsHasPending(const ssl_st* connection);
// The negotiated cipher's name, "(NONE)" before the handshake or without a connection.
const char* xTlsCipherName(const ssl_st* connection);
// Sends the close notice (once; does not wait for the peer's).
void xTlsShutdown(ssl_st* connection);

// ---- TLS on a socket's SCryptData ----
// Marks the SCryptData for TLS and gives it a fresh context: a client names neither file, a server
// both (copied into the SCryptData). 0 when the SCryptData is missing or not started, on the wrong
// files, or when the context cannot be made.
int32_t xSetEncryption(SCryptData* crypt, const char* certificateFile, const char* keyFile, int32_t server);
int32_t xSetClientEncryption(SCryptData* crypt);
int32_t xSetServerEncryption(SCryptData* crypt, const char* certificateFile, const char* keyFile);
// Back to plain: frees the TLS connection, the context and the file names.
void xClearEncryption(SCryptData* crypt);
// Makes an accepted socket a TLS server socket (in accept state), first giving it the KVT link's
// server object when the KVT mode is set. 0 on failure.
int32_t xMakeGivenServerSocketEncrypted(int sock, const char* certificateFile, const char* keyFile, SCryptData* crypt);
// The cipher of the socket's TLS connection, "(NONE)" when there is none or it is not up yet.
const char* xGetSocketCipherName(const SCryptData* crypt);

// Stores a copy of a pass phrase shorter than TLS_MAX_PASSWORD characters for encrypted private
// keys; longer ones are ignored. Returns 1 when stored.
int32_t xSetCertPassword(const char* password);
// Prompts on standard output, reads a line from standard input and stores it as above; 1.
int32_t xGetCertPasswordFromStdIn();
// Forgets the stored pass phrase.
void xClearCertPassword();
