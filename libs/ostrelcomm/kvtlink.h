// The KVT link: the library's own enciphered stream on a TCP socket. A short handshake at the start
// of the connection (the client sends the ID marker, the server answers with the ACK marker and a
// 16-byte session key, or with the NACK marker), then every byte travels in Blowfish-CBC frames:
// an 8-byte header {payload length, pad count} (big-endian), the payload and zero pad bytes up to
// a multiple of 8, all of it enciphered with one chain per direction that runs on across frames.
//
// A peer that does not take part (no answer within the window, or something other than a marker)
// leaves the connection plain.
#pragma once

#include <cstdint>
#include <memory>

#include "ostrelcomm/socket.h"

class CBlowfish;

inline constexpr uint32_t KVT_MARKER_SIZE = 16;
inline constexpr uint32_t KVT_KEY_SIZE = 16;
inline constexpr uint32_t KVT_HEADER_SIZE = 8;
inline constexpr uint32_t KVT_MAX_PAYLOAD = 16384;
// From the link object's creation; a handshake not finished by then leaves the stream plain.
inline constexpr uint32_t KVT_HANDSHAKE_WINDOW_MS = 5001;

extern const uint8_t kKvtIdMarker[KVT_MARKER_SIZE];
extern const uint8_t kKvtAckMarker[KVT_MARKER_SIZE];
extern const uint8_t kKvtNackMarker[KVT_MARKER_SIZE];

// Pad bytes behind a payload of that length.
inline constexpr uint32_t KvtPadCount(uint32_t payload) { return (8 - payload % 8) % 8; }

enum EKvtState : int32_t {
  KVT_NONE = 0,
  KVT_CLIENT_START = 1,
  KVT_CLIENT_WAIT_ANSWER = 2,
  KVT_CLIENT_WAIT_KEY = 3,
  KVT_SERVER_START = 4,
  KVT_SERVER_ANSWER = 5,
  KVT_FINISHED = 6,
};

// Blowfish in CBC mode over 8-byte blocks read as two big-endian words. The chain value is the
// caller's and runs on from call to call.
void xKvtEncipherCbc(const CBlowfish& cipher, uint32_t chain[2], uint8_t* data, uint32_t size);
void xKvtDecipherCbc(const CBlowfish& cipher, uint32_t chain[2], uint8_t* data, uint32_t size);

// Switches the client side of the KVT link on (or off) for the socket's next connection: a fresh
// client link object, enabled as asked; the KVT mode is cleared. 0 without a started SCryptData.
int32_t xSetClientKVTEncryption(SCryptData* crypt, int32_t enable);
// The server side: stores the mode (1 grants the link, any other value answers with the NACK
// marker) for accepted sockets and gives the socket a fresh server link object. 0 without a
// started SCryptData.
int32_t xSetServerKVTEncryption(SCryptData* crypt, int32_t mode);

// One KVT link object per socket, owned by its SCryptData. Every call takes the socket (a
// non-blocking stream socket); the object keeps no socket of its own.
class CKvtLink : public CSocketFilter {
 public:
  // server 0: client side, state 1; server 1: server side, state 4 with the mode (1 grants the
  // link). The handshake window starts now.
  CKvtLink(int32_t server, int32_t mode, int32_t enabled);
  ~CKvtLink() override;
  CKvtLink(const CKvtLink&) = delete;
  CKvtLink& operator=(const CKvtLink&) = delete;

  // One handshake step: 0 to go on (IsFinished tells whether it is done), -1 on a socket error or
  // a peer that closed.
  int32_t Handshake(int sock) override;
  int32_t IsFinished() const override;
  // After the handshake: 1 when the link carries the stream, 0 when it stays plain.
  int32_t IsEnabled() const override { return m_Enabled; }
  // Sends one frame of up to KVT_MAX_PAYLOAD bytes of the data: the payload length once the
  // whole frame is out, -2 while part of it is still unsent (call again with the same data), -1
  // on a socket error.
  int32_t Write(int sock, const void* data, uint32_t size) override;
  // Plain bytes copied, -2 when none are ready, 0 when the peer closed, -1 on a socket error or a
  // frame header that cannot be right.
  int32_t Read(int sock, void* buffer, uint32_t size) override;
  // 1 while deciphered bytes wait to be read, so a wait on the socket must not block.
  int32_t HasPending() const override { return m_PlainPos < m_PlainEnd; }
  // An object made before its connection existed gets its whole window from the connection on.
  void OnConnected() override;

  int32_t GetState() const { return m_State; }
  int32_t GetMode() const { return m_Mode; }
  // The session key once keyed (tests and diagnostics); null before.
  const uint8_t* GetSessionKey() const { return m_pCipher ? m_SessionKey : nullptr; }

 private:
  // The session key the server sends; 0 when no key can be had.
  int32_t MakeSessionKey(uint8_t key[KVT_KEY_SIZE]);
  // Sends what is left of the handshake bytes; 0 on a socket error.
  int32_t FlushHandshake(int sock);
  void QueueHandshake(const uint8_t* data, uint32_t size);
  void Finish(int32_t enabled);
  int32_t Key(const uint8_t key[KVT_KEY_SIZE]);
  // Peeks at up to 16 bytes: the count (0 when none are there), -1 on error or a closed peer.
  int32_t Peek(int sock, uint8_t* buffer);
  int32_t Consume(int sock, uint32_t size);
  int32_t ServerStart(int sock);
  int32_t ServerAnswer();
  int32_t ClientAnswer(int sock);
  int32_t ClientKey(int sock);
  // Reads (more of) the next header: 1 when bytes came, -2 when none are there, 0 when the peer
  // closed, -1 on error.
  int32_t ReadHeader(int sock);
  // Reads body bytes and deciphers the complete blocks; results as ReadHeader.
  int32_t ReadBody(int sock);

  int32_t m_State = KVT_NONE;
  uint32_t m_StartTime = 0;
  int32_t m_Enabled = 0;
  int32_t m_Mode = 0;
  std::unique_ptr<CBlowfish> m_pCipher;
  uint8_t m_SessionKey[KVT_KEY_SIZE] = {};

  uint8_t m_HandshakeOut[KVT_MARKER_SIZE + KVT_KEY_SIZE] = {};
  uint32_t m_HandshakeOutSize = 0;
  uint32_t m_HandshakeOutSent = 0;

  // Receiving: the header as it arrives, then the body. The buffer holds deciphered bytes not yet
  // handed out [m_PlainPos, m_PlainEnd) and behind them an incomplete ciphertext block.
  uint8_t m_Header[KVT_HEADER_SIZE] = {};
  uint32_t m_HeaderFill = 0;
  uint32_t m_BodyLeft = 0;     // body bytes of the frame not yet received
  uint32_t m_PayloadLeft = 0;  // payload bytes of the frame not yet deciphered
  uint32_t m_PlainPos = 0;
  uint32_t m_PlainEnd = 0;
  uint32_t m_Carried = 0;
  uint32_t m_RecvChain[2] = {0, 0};
  std::unique_ptr<uint8_t[]> m_pRecv;

  // Sending: one frame at a time.
  uint32_t m_SendChain[2] = {0, 0};
  std::unique_ptr<uint8_t[]> m_pFrame;
  uint32_t m_FrameSize = 0;
  uint32_t m_FrameSent = 0;
  uint32_t m_FramePayload = 0;
};
