// FTP replies come from any server the client is pointed at. The bytes are fed to the reply reader
// in pieces whose sizes the input's first byte picks, and every reply that comes out is searched
// for a passive address and a file size, as the client does with them.
#include <cstdint>
#include <deque>

#include "ostrelcomm/download/ftpprotocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t piece = 1u + data[0] % 64u;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const uint32_t length = static_cast<uint32_t>(size - 1);
  CFtpReplyReader reader;
  std::deque<SFtpReply> replies;
  for (uint32_t at = 0; at < length; at += piece) {
    const uint32_t n = length - at < piece ? length - at : piece;
    if (!reader.Feed(text + at, n, replies)) {
      reader.Reset();
    }
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
  return 0;
}
