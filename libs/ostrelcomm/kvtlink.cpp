#include "ostrelcomm/kvtlink.h"

#include <openssl/rand.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "ostrel/crypto/blowfish.h"
#include "ostrel/system/clock.h"
#include "ostrelcomm/commlib.h"

const uint8_t kKvtIdMarker[KVT_MARKER_SIZE] = {'K',  'V',  'T',  'I',  'D',  0x8A, 0x5B, 0x65,
                                               0xF8, 0xDA, 0x90, 0x23, 0x21, 0xED, 0x7A, 0x3D};
const uint8_t kKvtAckMarker[KVT_MARKER_SIZE] = {'K',  'V',  'T',  'A',  'C',  'K',  0x17, 0x9F,
                                                0x79, 0x2D, 0xDB, 0x5D, 0xBF, 0x42, 0x8F, 0x67};
const uint8_t kKvtNackMarker[KVT_MARKER_SIZE] = {'K',  'V',  'T',  'N',  'A',  'C',  'K',  0x74,
                                                 0x3E, 0x8B, 0xB6, 0x82, 0xD3, 0x2A, 0x91, 0x78};

namespace {

constexpr uint32_t kFrameCapacity = KVT_HEADER_SIZE + KVT_MAX_PAYLOAD + 8;

uint32_t LoadBig(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void StoreBig(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

// The first count bytes agree with the marker.
bool IsPrefixOf(const uint8_t* bytes, uint32_t count, const uint8_t* marker) {
  return std::memcmp(bytes, marker, count) == 0;
}

}  // namespace

void xKvtEncipherCbc(const CBlowfish& cipher, uint32_t chain[2], uint8_t* data, uint32_t size) {
  uint32_t l = chain[0], r = chain[1];
  for (uint32_t i = 0; i + 8 <= size; i += 8) {
    l ^= LoadBig(data + i);
    r ^= LoadBig(data + i + 4);
    cipher.Encrypt(&l, &r);
    StoreBig(data + i, l);
    StoreBig(data + i + 4, r);
  }
  chain[0] = l;
  chain[1] = r;
}

void xKvtDecipherCbc(const CBlowfish& cipher, uint32_t chain[2], uint8_t* data, uint32_t size) {
  for (uint32_t i = 0; i + 8 <= size; i += 8) {
    const uint32_t cl = LoadBig(data + i), cr = LoadBig(data + i + 4);
    uint32_t l = cl, r = cr;
    cipher.Decrypt(&l, &r);
    StoreBig(data + i, l ^ chain[0]);
    StoreBig(data + i + 4, r ^ chain[1]);
    chain[0] = cl;
    chain[1] = cr;
  }
}

int32_t xSetClientKVTEncryption(SCryptData* crypt, int32_t enable) {
  if (!crypt || !crypt->m_Started) return 0;
  crypt->m_KvtMode = 0;
  auto* link = new (std::nothrow) CKvtLink(0, 1, enable);
  if (!link) return xCommError("xSetClientKVTEncryption: out of memory");
  delete crypt->m_pKvtLink;
  crypt->m_pKvtLink = link;
  crypt->m_KvtFlag = 0;
  return 1;
}

int32_t xSetServerKVTEncryption(SCryptData* crypt, int32_t mode) {
  if (!crypt || !crypt->m_Started) return 0;
  auto* link = new (std::nothrow) CKvtLink(1, mode, 1);
  if (!link) return xCommError("xSetServerKVTEncryption: out of memory");
  crypt->m_KvtMode = mode;
  delete crypt->m_pKvtLink;
  crypt->m_pKvtLink = link;
  crypt->m_KvtFlag = 0;
  return 1;
}

CKvtLink::CKvtLink(int32_t server, int32_t mode, int32_t enabled)
    : m_State(server ? KVT_SERVER_START : KVT_CLIENT_START),
      m_StartTime(xGetTime()),
      m_Enabled(enabled),
      m_Mode(mode) {}

CKvtLink::~CKvtLink() { std::memset(m_SessionKey, 0, sizeof m_SessionKey); }

void CKvtLink::OnConnected() { m_StartTime = xGetTime(); }

int32_t CKvtLink::IsFinished() const {
  return m_State == KVT_NONE || (m_State == KVT_FINISHED && m_HandshakeOutSent == m_HandshakeOutSize);
}

void CKvtLink::QueueHandshake(const uint8_t* data, uint32_t size) {
  std::memcpy(m_HandshakeOut, data, size);
  m_HandshakeOutSize = size;
  m_HandshakeOutSent = 0;
}

int32_t CKvtLink::FlushHandshake(int sock) {
  while (m_HandshakeOutSent < m_HandshakeOutSize) {
    const ssize_t n = send(sock, m_HandshakeOut + m_HandshakeOutSent, m_HandshakeOutSize - m_HandshakeOutSent,
                           MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      m_HandshakeOutSent += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && WouldBlock(errno)) return 1;
    return xCommError("CKvtLink::Handshake: send failed: %s", std::strerror(errno));
  }
  return 1;
}

void CKvtLink::Finish(int32_t enabled) {
  m_State = KVT_FINISHED;
  m_Enabled = enabled;
}

int32_t CKvtLink::Key(const uint8_t key[KVT_KEY_SIZE]) {
  std::memcpy(m_SessionKey, key, KVT_KEY_SIZE);
  m_pCipher = std::make_unique<CBlowfish>();
  m_pRecv = std::make_unique<uint8_t[]>(KVT_MAX_PAYLOAD);
  m_pFrame = std::make_unique<uint8_t[]>(kFrameCapacity);
  return m_pCipher->Init(m_SessionKey, KVT_KEY_SIZE);
}

int32_t CKvtLink::MakeSessionKey(uint8_t key[KVT_KEY_SIZE]) {
  // A key from the clock-seeded generator could be guessed; only the TLS library's generator will do.
  if (RAND_bytes(key, KVT_KEY_SIZE) == 1) return 1;
  return xCommError("CKvtLink::Handshake: no random session key to be had");
}

int32_t CKvtLink::Peek(int sock, uint8_t* buffer) {
  const ssize_t n = recv(sock, buffer, KVT_MARKER_SIZE, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return static_cast<int32_t>(n);
  if (n < 0 && WouldBlock(errno)) return 0;
  if (n == 0) return xCommError("CKvtLink::Handshake: the peer closed the connection") - 1;
  return xCommError("CKvtLink::Handshake: recv failed: %s", std::strerror(errno)) - 1;
}

int32_t CKvtLink::Consume(int sock, uint32_t size) {
  uint8_t scratch[KVT_MARKER_SIZE];
  // The bytes were seen by a peek, so they are all there.
  const ssize_t n = recv(sock, scratch, size, MSG_DONTWAIT);
  if (n == static_cast<ssize_t>(size)) return 1;
  return xCommError("CKvtLink::Handshake: recv of a peeked marker failed");
}

// Each step: 1 when the state moved on (try the next one now), 0 to wait, -1 on error.
int32_t CKvtLink::ServerStart(int sock) {
  uint8_t seen[KVT_MARKER_SIZE];
  const int32_t n = Peek(sock, seen);
  if (n <= 0) return n;
  // A marker cut into several segments is waited for; anything that cannot become one is data.
  if (!IsPrefixOf(seen, static_cast<uint32_t>(n), kKvtIdMarker)) {
    Finish(0);
    return 1;
  }
  if (n < static_cast<int32_t>(KVT_MARKER_SIZE)) return 0;
  if (!Consume(sock, KVT_MARKER_SIZE)) return -1;
  m_State = KVT_SERVER_ANSWER;
  return 1;
}

int32_t CKvtLink::ServerAnswer() {
  if (m_Mode != 1) {
    QueueHandshake(kKvtNackMarker, KVT_MARKER_SIZE);
    Finish(0);
    return 1;
  }
  uint8_t answer[KVT_MARKER_SIZE + KVT_KEY_SIZE];
  std::memcpy(answer, kKvtAckMarker, KVT_MARKER_SIZE);
  if (!MakeSessionKey(answer + KVT_MARKER_SIZE) || !Key(answer + KVT_MARKER_SIZE)) return -1;
  QueueHandshake(answer, sizeof answer);
  std::memset(answer, 0, sizeof answer);
  Finish(1);
  return 1;
}

int32_t CKvtLink::ClientAnswer(int sock) {
  uint8_t seen[KVT_MARKER_SIZE];
  const int32_t n = Peek(sock, seen);
  if (n <= 0) return n;
  const uint32_t count = static_cast<uint32_t>(n);
  const bool ack = IsPrefixOf(seen, count, kKvtAckMarker);
  const bool nack = IsPrefixOf(seen, count, kKvtNackMarker);
  if (!ack && !nack) {
    Finish(0);
    return 1;
  }
  if (count < KVT_MARKER_SIZE) return 0;
  if (!Consume(sock, KVT_MARKER_SIZE)) return -1;
  if (nack)
    Finish(0);
  else
    m_State = KVT_CLIENT_WAIT_KEY;
  return 1;
}

int32_t CKvtLink::ClientKey(int sock) {
  uint8_t key[KVT_KEY_SIZE];
  const int32_t n = Peek(sock, key);
  if (n < static_cast<int32_t>(KVT_KEY_SIZE)) return n < 0 ? -1 : 0;
  if (!Consume(sock, KVT_KEY_SIZE) || !Key(key)) return -1;
  std::memset(key, 0, sizeof key);
  Finish(1);
  return 1;
}

int32_t CKvtLink::Handshake(int sock) {
  if (m_State == KVT_NONE) return 0;
  if (!FlushHandshake(sock)) return -1;
  for (;;) {
    if (m_State == KVT_FINISHED) return FlushHandshake(sock) ? 0 : -1;
    if (!m_Enabled) {
      Finish(0);
      continue;
    }
    if (xTimeDiff(m_StartTime, xGetTime()) >= KVT_HANDSHAKE_WINDOW_MS) {
      // After the ACK the server enciphers already, and a marker half sent would stay in the
      // stream: going plain then would garble the data, so the connection ends instead.
      if (m_State == KVT_CLIENT_WAIT_KEY || m_HandshakeOutSent != m_HandshakeOutSize)
        return xCommError("CKvtLink::Handshake: the handshake did not finish in time") - 1;
      Finish(0);
      continue;
    }
    int32_t step = 0;
    switch (m_State) {
      case KVT_CLIENT_START:
        QueueHandshake(kKvtIdMarker, KVT_MARKER_SIZE);
        m_State = KVT_CLIENT_WAIT_ANSWER;
        step = FlushHandshake(sock) ? 1 : -1;
        break;
      case KVT_CLIENT_WAIT_ANSWER:
        step = ClientAnswer(sock);
        break;
      case KVT_CLIENT_WAIT_KEY:
        step = ClientKey(sock);
        break;
      case KVT_SERVER_START:
        step = ServerStart(sock);
        break;
      case KVT_SERVER_ANSWER:
        step = ServerAnswer();
        break;
      default:
        return xCommError("CKvtLink::Handshake: unknown state %d", m_State) - 1;
    }
    if (step <= 0) return step;
  }
}

int32_t CKvtLink::Write(int sock, const void* data, uint32_t size) {
  if (!m_pCipher) return xCommError("CKvtLink::Write: the link is not keyed") - 1;
  if (m_FrameSize == 0) {
    if (size == 0) return -2;
    const uint32_t payload = std::min(size, KVT_MAX_PAYLOAD);
    const uint32_t pad = KvtPadCount(payload);
    uint8_t* frame = m_pFrame.get();
    StoreBig(frame, payload);
    StoreBig(frame + 4, pad);
    std::memcpy(frame + KVT_HEADER_SIZE, data, payload);
    std::memset(frame + KVT_HEADER_SIZE + payload, 0, pad);
    m_FrameSize = KVT_HEADER_SIZE + payload + pad;
    m_FrameSent = 0;
    m_FramePayload = payload;
    xKvtEncipherCbc(*m_pCipher, m_SendChain, frame, m_FrameSize);
  }
  while (m_FrameSent < m_FrameSize) {
    const ssize_t n = send(sock, m_pFrame.get() + m_FrameSent, m_FrameSize - m_FrameSent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      m_FrameSent += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && WouldBlock(errno)) return -2;
    return xCommError("CKvtLink::Write: send failed: %s", std::strerror(errno)) - 1;
  }
  m_FrameSize = 0;
  return static_cast<int32_t>(m_FramePayload);
}

int32_t CKvtLink::ReadHeader(int sock) {
  const ssize_t n = recv(sock, m_Header + m_HeaderFill, KVT_HEADER_SIZE - m_HeaderFill, MSG_DONTWAIT);
  if (n == 0) return 0;
  if (n < 0) {
    if (WouldBlock(errno)) return -2;
    return xCommError("CKvtLink::Read: recv failed: %s", std::strerror(errno)) - 1;
  }
  m_HeaderFill += static_cast<uint32_t>(n);
  if (m_HeaderFill < KVT_HEADER_SIZE) return 1;
  m_HeaderFill = 0;
  xKvtDecipherCbc(*m_pCipher, m_RecvChain, m_Header, KVT_HEADER_SIZE);
  const uint32_t payload = LoadBig(m_Header), pad = LoadBig(m_Header + 4);
  // A header like that is corruption or an attack; the stream cannot be trusted past it.
  if (payload > KVT_MAX_PAYLOAD || pad != KvtPadCount(payload))
    return xCommError("CKvtLink::Read: bad frame header (payload %u, pad %u)", payload, pad) - 1;
  m_BodyLeft = payload + pad;
  m_PayloadLeft = payload;
  return 1;
}

int32_t CKvtLink::ReadBody(int sock) {
  uint8_t* buffer = m_pRecv.get();
  // The incomplete block left behind the last plain bytes moves to the front.
  std::memmove(buffer, buffer + m_PlainEnd, m_Carried);
  m_PlainPos = m_PlainEnd = 0;
  const uint32_t room = std::min(m_BodyLeft, KVT_MAX_PAYLOAD - m_Carried);
  const ssize_t n = recv(sock, buffer + m_Carried, room, MSG_DONTWAIT);
  if (n == 0) return 0;
  if (n < 0) {
    if (WouldBlock(errno)) return -2;
    return xCommError("CKvtLink::Read: recv failed: %s", std::strerror(errno)) - 1;
  }
  m_BodyLeft -= static_cast<uint32_t>(n);
  const uint32_t total = m_Carried + static_cast<uint32_t>(n);
  const uint32_t blocks = total / 8 * 8;
  xKvtDecipherCbc(*m_pCipher, m_RecvChain, buffer, blocks);
  // The pad bytes end the body; they are deciphered for the chain and dropped.
  m_PlainEnd = std::min(blocks, m_PayloadLeft);
  m_PayloadLeft -= m_PlainEnd;
  m_Carried = total - blocks;
  if (m_Carried) std::memmove(buffer + m_PlainEnd, buffer + blocks, m_Carried);
  return 1;
}

int32_t CKvtLink::Read(int sock, void* buffer, uint32_t size) {
  if (!m_pCipher) return xCommError("CKvtLink::Read: the link is not keyed") - 1;
  if (size == 0) return -2;
  for (;;) {
    if (m_PlainPos < m_PlainEnd) {
      const uint32_t n = std::min(size, m_PlainEnd - m_PlainPos);
      std::memcpy(buffer, m_pRecv.get() + m_PlainPos, n);
      m_PlainPos += n;
      return static_cast<int32_t>(n);
    }
    const int32_t r = (m_BodyLeft == 0 && m_Carried == 0) ? ReadHeader(sock) : ReadBody(sock);
    if (r != 1) return r;
  }
}
