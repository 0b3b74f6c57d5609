// What an info server answers reaches the client as raw packets; the first byte chooses the reader
// (mod 4: 0 the info answer, 1 the file-map size, 2 the connection verdict, 3 the file-map data
// announced at its own length), the rest is the packet, in a heap block of exactly its size.
// Whatever came, every field stays NUL-ended inside its room and every bound holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/info/infoanswers.h"

namespace {
void CheckField(const char* field, size_t room) {
  if (!std::memchr(field, 0, room)) abort();
}

void CheckInfo(const char* packet, size_t size) {
  SInfoAnswer answer;
  const int32_t ok = xParseInfoAnswer(packet, size, &answer);
  for (const char* field : {answer.m_CasinoIp, answer.m_CasinoPort, answer.m_ChatIp, answer.m_ChatPort,
                            answer.m_CashierIp, answer.m_CashierPort})
    CheckField(field, INFO_FIELD_SIZE);
  CheckField(answer.m_ProxyConfig, INFO_PROXY_CONFIG_SIZE);
  if (answer.m_UpdateMessage.size() > INFO_MESSAGE_MAX || answer.m_LoginMessage.size() > INFO_MESSAGE_MAX) abort();
  if (!ok && (answer.m_CasinoIp[0] || answer.m_HasLoginMessage || answer.m_HasUpdateMessage)) abort();
}

void CheckFileSize(const char* packet, size_t size) {
  uint32_t fileSize = 0;
  if (xParseFileSizeAnswer(packet, size, &fileSize) == INFO_FILESIZE_GIVEN && fileSize > INFO_FILEMAP_MAX_PACKED) abort();
}

void CheckConnection(const char* packet, size_t size) {
  std::string refusal;
  if (xParseConnectionAnswer(packet, size, &refusal) == INFO_CONNECTION_REFUSED && refusal.size() > INFO_MESSAGE_MAX)
    abort();
}

void CheckFileMap(const char* packet, size_t size) {
  std::vector<char> text;
  const auto n = static_cast<uint32_t>(size);
  const int32_t ok = xExpandFileMap(packet, n, n, &text);
  if (ok && (text.empty() || text.back() != '\0' || text.size() > size_t{INFO_FILEMAP_MAX_EXPANDED} + 1)) abort();
  if (!ok && !text.empty()) abort();
  // A length other than the one announced never passes.
  if (n && xExpandFileMap(packet, n, n - 1, &text)) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 20)) return 0;
  const size_t length = size - 1;
  std::unique_ptr<char[]> packet(new char[length ? length : 1]);
  std::memcpy(packet.get(), data + 1, length);
  switch (data[0] % 4) {
    case 0:
      CheckInfo(packet.get(), length);
      break;
    case 1:
      CheckFileSize(packet.get(), length);
      break;
    case 2:
      CheckConnection(packet.get(), length);
      break;
    default:
      CheckFileMap(packet.get(), length);
  }
  return 0;
}
