// FTP replies come from any server the client is pointed at. The bytes are fed to the reply reader
// in pieces whose sizes the input's first byte picks, and every reply that comes out is searched
// for a passive address and a file size, as the client does with them. Then the same bytes are
// the whole answer of a server on loopback to a client in normal mode (which only listens, so no
// reply can send it anywhere), stepped a bounded number of times.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <deque>

#include "ostrelcomm/download/ftpclient.h"
#include "ostrelcomm/download/ftpprotocol.h"

namespace {

void FeedReader(uint32_t piece, const char* text, uint32_t length) {
  CFtpReplyReader reader;
  std::deque<SFtpReply> replies;
  for (uint32_t at = 0; at < length; at += piece) {
    const uint32_t n = length - at < piece ? length - at : piece;
    if (!reader.Feed(text + at, n, replies)) reader.Reset();
    while (!replies.empty()) {
      const SFtpReply& reply = replies.front();
      uint32_t ip = 0, fileSize = 0;
      uint16_t port = 0;
      if (reply.m_Code == 227 && xFtpParsePassiveReply(reply.m_Text.c_str(), ip, port)) {
        (void)xFtpPortArgument(ip, port);
        (void)xFtpDottedAddress(ip);
      }
      (void)xFtpFindReplySize(reply.m_Text.c_str(), fileSize);
      (void)reply.FirstLine();
      replies.pop_front();
    }
  }
}

int g_Listener = -1;
uint16_t g_Port = 0;

bool Listen() {
  if (g_Listener >= 0) return true;
  g_Listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof sa;
  if (g_Listener < 0 || bind(g_Listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      listen(g_Listener, 16) != 0 || getsockname(g_Listener, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
    return false;
  g_Port = ntohs(sa.sin_port);
  return true;
}

void FeedClient(const char* text, uint32_t length) {
  if (!Listen()) return;
  CFtpClient client;
  if (!client.Startup()) return;
  client.SetBlockingConnectOff();
  client.SetNormalMode();
  client.DebugSetDeadSite("127.0.0.1", g_Port);
  if (!client.Connect("127.0.0.1", g_Port)) return;
  client.SetLoginName("anonymous");
  client.SetLoginPassword("guest@");
  client.RetrieveFile("fuzz_ftp_reply.out", "file.bin");
  const int server = accept4(g_Listener, nullptr, nullptr, SOCK_CLOEXEC);
  if (server < 0) return;
  for (uint32_t at = 0; at < length;) {
    const ssize_t n = write(server, text + at, length - at);
    if (n <= 0) break;
    at += static_cast<uint32_t>(n);
  }
  for (int i = 0; i < 64 && client.Update(); ++i) {
  }
  close(server);
  // Connections made by reconnects are never served; they go with the input.
  fcntl(g_Listener, F_SETFL, O_NONBLOCK);
  for (int pending; (pending = accept4(g_Listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) close(pending);
  fcntl(g_Listener, F_SETFL, 0);
  unlink("fuzz_ftp_reply.out");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 65536) return 0;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const uint32_t length = static_cast<uint32_t>(size - 1);
  FeedReader(1u + data[0] % 64u, text, length);
  FeedClient(text, length);
  return 0;
}
