#include "rawmessages.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "portnumber.h"
#include "ostrelcomm/commbase.h"
#include "shared/pendingmessage.h"

namespace {
constexpr uint8_t kTitleEnd = 1;
constexpr int32_t kIcons = 10;

std::string_view Bytes(const void* data, uint32_t size) {
  return data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankByte(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankByte(s.back())) s.remove_suffix(1);
  return s;
}

// Copies at most size - 1 bytes of the text, up to its first zero, and terminates it.
template <size_t N>
void CopyText(char (&field)[N], std::string_view text) {
  const size_t zero = text.find('\0');
  const size_t n = std::min({text.size(), zero, N - 1});
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

uint8_t IconOf(uint8_t stored) {
  const int32_t index = static_cast<int32_t>(stored) - 1;
  return index >= 0 && index < kIcons ? static_cast<uint8_t>(index) : 0;
}
}  // namespace

int32_t SendRawText(CCommBase* link, const char* text) {
  if (!link || !text) return 0;
  return link->SendRawData(text, static_cast<uint32_t>(std::strlen(text) + 1));
}

int32_t RawBegins(const void* data, uint32_t size, const char* text) {
  return text && Bytes(data, size).substr(0, std::strlen(text)) == text ? 1 : 0;
}

int32_t IsRawPing(const void* data, uint32_t size) {
  return Bytes(data, size) == std::string_view(CASHIER_RAW_PING, std::strlen(CASHIER_RAW_PING) + 1) ? 1 : 0;
}

int32_t ParseCashierServerReply(const void* data, uint32_t size, std::string& host, int32_t& port) {
  std::string_view text = Bytes(data, size);
  text = text.substr(0, text.find('\0'));
  if (text.substr(0, std::strlen(CASHIER_RAW_SERVER)) != CASHIER_RAW_SERVER) return 0;
  const size_t equals = text.rfind('='), colon = text.rfind(':');
  if (equals == std::string_view::npos || colon == std::string_view::npos || colon < equals) return 0;
  if (text.size() - equals < 3 || text.size() - colon < 2) return 0;
  const std::string_view name = Trim(text.substr(equals + 1, colon - equals - 1));
  const std::string_view number = text.substr(colon + 1);
  int32_t value = 0;
  if (name.size() > CASHIER_PROCESS_HOST_MAX || !ReadPortNumber(number.data(), number.size(), value)) return 0;
  host = name;
  port = value;
  return 1;
}

int32_t ParseServerMsg(const void* data, uint32_t size, TPendingMessage& message) {
  if (!RawBegins(data, size, CASHIER_RAW_MSG)) return 0;
  const std::string_view bytes = Bytes(data, size);
  message = TPendingMessage{};
  message.m_Code = bytes.size() > 3 ? static_cast<uint8_t>(bytes[3]) : 0;
  message.m_Icon = IconOf(bytes.size() > 4 ? static_cast<uint8_t>(bytes[4]) : 0);
  const std::string_view rest = bytes.substr(std::min<size_t>(5, bytes.size()));
  const size_t end = rest.find(static_cast<char>(kTitleEnd));
  CopyText(message.m_Title, rest.substr(0, end));
  // The title's end mark, then the skipped byte, must both be there for a text to follow.
  if (end == std::string_view::npos || rest.size() - end < 2)
    CopyText(message.m_Text, CASHIER_MSG_UNREADABLE);
  else
    CopyText(message.m_Text, rest.substr(end + 2));
  return 1;
}
