// The answers a channel client reads come from another process. Input: the room of the client's
// buffer (2 bytes, little-endian), then messages, each a 2-byte little-endian length and its
// bytes, all queued on the connection before the client asks.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/system/namedpipe.h"
#include "platform/os/localsocket.h"

namespace {

struct SServer {
  std::string dir;
  std::string path;
  int listener = -1;
  SServer() {
    char name[] = "/tmp/fuzz-namedpipe-XXXXXX";
    if (!mkdtemp(name)) abort();
    dir = name;
    path = dir + "/answers";
    listener = PlatformLocalListen(path.c_str());
    if (listener < 0) abort();
  }
  ~SServer() {
    PlatformLocalUnlisten(listener, path.c_str());
    rmdir(dir.c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SServer server;
  if (size < 2 || size > 8192) return 0;
  const uint32_t room = data[0] | uint32_t(data[1]) << 8;
  std::vector<std::vector<uint8_t>> messages;
  for (size_t pos = 2; pos + 2 <= size && messages.size() < 16;) {
    size_t n = data[pos] | size_t(data[pos + 1]) << 8;
    pos += 2;
    if (n > size - pos) n = size - pos;
    if (n > 0) messages.emplace_back(data + pos, data + pos + n);
    pos += n;
  }

  CNamedPipe client;
  if (!client.Open(server.path.c_str(), 0)) abort();
  int conn = PlatformLocalAccept(server.listener);
  if (conn < 0) abort();
  for (const auto& m : messages) PlatformLocalSend(conn, m.data(), m.size());

  std::vector<uint8_t> buffer(room > NAMEDPIPE_MAX_DATA ? NAMEDPIPE_MAX_DATA : room);
  uint32_t got = 0xFFFFFFFF;
  if (client.Read(buffer.empty() ? nullptr : buffer.data(), static_cast<uint32_t>(buffer.size()), got)) {
    if (got > buffer.size()) abort();
  } else if (got != 0xFFFFFFFF) {
    abort();
  }
  PlatformLocalClose(conn);
  return 0;
}
