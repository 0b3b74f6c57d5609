// The KVT link reads handshake bytes and frames from whoever connected. Byte 0 picks the side (bit
// 0: server) and whether the rest is sent as is or first enciphered as the keyed peer would
// (bit 1: the client side receives the ACK and a fixed key, then the rest enciphered); byte 1
// sets the read size. The link runs its handshake and reads until the stream ends.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "ostrel/crypto/blowfish.h"
#include "ostrelcomm/kvtlink.h"

namespace {

constexpr uint8_t kKey[KVT_KEY_SIZE] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr size_t kMaxInput = 32768;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > kMaxInput) return 0;
  const bool server = data[0] & 1, enciphered = data[0] & 2;
  const uint32_t readSize = 1 + data[1] * 67u;
  std::vector<uint8_t> stream;
  if (enciphered) {
    stream.assign(kKvtAckMarker, kKvtAckMarker + KVT_MARKER_SIZE);
    stream.insert(stream.end(), kKey, kKey + KVT_KEY_SIZE);
    std::vector<uint8_t> body(data + 2, data + size);
    body.resize((body.size() + 7) / 8 * 8, 0);
    CBlowfish bf;
    bf.Init(kKey, KVT_KEY_SIZE);
    uint32_t chain[2] = {0, 0};
    xKvtEncipherCbc(bf, chain, body.data(), static_cast<uint32_t>(body.size()));
    stream.insert(stream.end(), body.begin(), body.end());
  } else {
    stream.assign(data + 2, data + size);
  }

  int fd[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fd) != 0) return 0;
  const int bufferSize = 1 << 20;
  setsockopt(fd[1], SOL_SOCKET, SO_SNDBUF, &bufferSize, sizeof bufferSize);
  setsockopt(fd[0], SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);
  size_t written = 0;
  while (written < stream.size()) {
    const ssize_t n = send(fd[1], stream.data() + written, stream.size() - written, MSG_NOSIGNAL);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  shutdown(fd[1], SHUT_WR);

  CKvtLink link(server && !enciphered, 1, 1);
  for (int i = 0; i < 64 && !link.IsFinished(); ++i)
    if (link.Handshake(fd[0]) < 0) break;
  if (link.IsFinished() && link.IsEnabled()) {
    std::vector<uint8_t> buffer(readSize);
    for (int i = 0; i < 100000; ++i) {
      const int32_t n = link.Read(fd[0], buffer.data(), readSize);
      if (n <= 0) break;
      if (static_cast<uint32_t>(n) > readSize) __builtin_trap();
    }
    const uint8_t reply[40] = {};
    link.Write(fd[0], reply, sizeof reply);
  }
  close(fd[0]);
  close(fd[1]);
  return 0;
}
