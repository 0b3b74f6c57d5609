#include "common/info/infoanswers.h"

#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "ostrel/compression/lzss.h"

namespace {
constexpr size_t kNone = std::string_view::npos;
// The first value of the address pairs and everything behind it: shorter is no answer.
constexpr size_t kMinAnswerRest = 8;

// The text of a packet: up to its first NUL or its end.
std::string_view TextOf(const char* data, size_t size) {
  if (!data) return {};
  const void* nul = std::memchr(data, 0, size);
  return {data, nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : size};
}

bool CopyField(std::string_view value, char* field, size_t fieldSize) {
  if (value.size() >= fieldSize) return false;
  std::memcpy(field, value.data(), value.size());
  field[value.size()] = '\0';
  return true;
}

// Where the value behind the next "=" from pos starts: the "= " is passed over.
size_t ValueStart(std::string_view text, size_t pos) {
  const size_t eq = text.find('=', pos);
  if (eq == kNone || eq + 2 > text.size()) return kNone;
  return eq + 2;
}

// One "key = address,port" pair from pos. The port ends at the next ";" or, unless it must have
// one, at the end; *next is where the following pair begins (the end when none does).
bool ReadPair(std::string_view text, size_t pos, bool needSemicolon, char* address, char* port, size_t* next) {
  const size_t value = ValueStart(text, pos);
  if (value == kNone) return false;
  const size_t comma = text.find(',', value);
  if (comma == kNone) return false;
  size_t end = text.find(';', comma + 1);
  if (end == kNone) {
    if (needSemicolon) return false;
    end = text.size();
  }
  *next = end < text.size() ? end + 1 : end;
  return CopyField(text.substr(value, comma - value), address, INFO_FIELD_SIZE) &&
         CopyField(text.substr(comma + 1, end - comma - 1), port, INFO_FIELD_SIZE);
}

// The value behind key and the "=" that follows it, up to the next "," or the end, leading blanks
// passed over and cut to INFO_MESSAGE_MAX characters.
bool TailValue(std::string_view tail, std::string_view key, std::string* out) {
  const size_t at = tail.find(key);
  if (at == kNone) return false;
  const size_t eq = tail.find('=', at + key.size());
  if (eq == kNone) return false;
  size_t from = eq + 1;
  while (from < tail.size() && tail[from] == ' ') ++from;
  size_t to = tail.find(',', from);
  if (to == kNone) to = tail.size();
  out->assign(tail.substr(from, std::min(to - from, INFO_MESSAGE_MAX)));
  return true;
}

void ReadTail(std::string_view tail, SInfoAnswer* out) {
  const size_t conf = tail.find("normalconf");
  if (conf == kNone) return;
  const size_t eq = tail.find('=', conf + std::strlen("normalconf"));
  if (eq == kNone) return;
  tail.remove_prefix(eq + 1);
  out->m_HasUpdateMessage = TailValue(tail, "updatemessage", &out->m_UpdateMessage);
  out->m_HasLoginMessage = TailValue(tail, "lmessage", &out->m_LoginMessage);
}

void Clear(SInfoAnswer* out) {
  std::memset(out->m_CasinoIp, 0, sizeof out->m_CasinoIp);
  std::memset(out->m_CasinoPort, 0, sizeof out->m_CasinoPort);
  std::memset(out->m_ChatIp, 0, sizeof out->m_ChatIp);
  std::memset(out->m_ChatPort, 0, sizeof out->m_ChatPort);
  std::memset(out->m_CashierIp, 0, sizeof out->m_CashierIp);
  std::memset(out->m_CashierPort, 0, sizeof out->m_CashierPort);
  std::memset(out->m_ProxyConfig, 0, sizeof out->m_ProxyConfig);
  out->m_HasUpdateMessage = out->m_HasLoginMessage = false;
  out->m_UpdateMessage.clear();
  out->m_LoginMessage.clear();
}

bool ParsePairs(std::string_view text, SInfoAnswer* out) {
  const size_t first = ValueStart(text, 0);
  if (first == kNone || text.size() - first < kMinAnswerRest) return false;
  // The pairs stop where the proxy configuration begins, so the cashier's port never runs into it.
  const std::string_view pairs = text.substr(0, text.find("(["));
  size_t next = 0;
  return ReadPair(pairs, 0, true, out->m_CasinoIp, out->m_CasinoPort, &next) &&
         ReadPair(pairs, next, false, out->m_ChatIp, out->m_ChatPort, &next) &&
         ReadPair(pairs, next, false, out->m_CashierIp, out->m_CashierPort, &next);
}
}  // namespace

int32_t xParseInfoAnswer(const char* data, size_t size, SInfoAnswer* out) {
  if (!out) return 0;
  Clear(out);
  const std::string_view text = TextOf(data, size);
  if (!ParsePairs(text, out)) {
    Clear(out);
    return 0;
  }
  const size_t open = text.find("([");
  const size_t close = open == kNone ? kNone : text.find("])", open + 2);
  if (close != kNone) {
    // Too long a configuration is dropped; the addresses still count.
    CopyField(text.substr(open + 2, close - open - 2), out->m_ProxyConfig, INFO_PROXY_CONFIG_SIZE);
    ReadTail(text.substr(close + 2), out);
  }
  return 1;
}

int32_t xParseFileSizeAnswer(const char* data, size_t size, uint32_t* fileSize) {
  const std::string_view text = TextOf(data, size);
  if (text.starts_with("Skip")) return INFO_FILESIZE_SKIP;
  constexpr std::string_view kPrefix = "Filesize = ";
  if (!fileSize || !text.starts_with(kPrefix)) return INFO_FILESIZE_NONE;
  size_t i = kPrefix.size();
  uint64_t value = 0;
  const size_t digits = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    if (value > INFO_FILEMAP_MAX_PACKED) return INFO_FILESIZE_NONE;
  }
  if (i == digits) return INFO_FILESIZE_NONE;
  for (; i < text.size(); ++i)
    if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n') return INFO_FILESIZE_NONE;
  *fileSize = static_cast<uint32_t>(value);
  return INFO_FILESIZE_GIVEN;
}

int32_t xParseConnectionAnswer(const char* data, size_t size, std::string* refusal) {
  std::string_view text = TextOf(data, size);
  const size_t eq = text.find(" = ");
  if (eq == kNone) return INFO_CONNECTION_NONE;
  text.remove_prefix(eq + 3);
  if (text.starts_with("Accepted")) return INFO_CONNECTION_ACCEPTED;
  if (!text.starts_with("Refused")) return INFO_CONNECTION_NONE;
  text.remove_prefix(std::strlen("Refused"));
  if (refusal) {
    refusal->clear();
    if (text.starts_with(" = ")) refusal->assign(text.substr(3, INFO_MESSAGE_MAX));
  }
  return INFO_CONNECTION_REFUSED;
}

int32_t xExpandFileMap(const void* data, uint32_t size, uint32_t announced, std::vector<char>* text) {
  if (!text) return 0;
  text->clear();
  if (!data || size != announced || size < 2 || size > INFO_FILEMAP_MAX_PACKED) return 0;
  // The coder's window and tree are too large for the stack of a deep caller.
  std::unique_ptr<CLzss> lzss(new (std::nothrow) CLzss);
  if (!lzss) return 0;
  // First only counted: a stream without its end mark fails here, before anything is allocated.
  uint32_t length = 0;
  if (!lzss->ExpandBuffer(data, size, nullptr, &length) || length > INFO_FILEMAP_MAX_EXPANDED) return 0;
  try {
    text->assign(static_cast<size_t>(length) + 1, '\0');
  } catch (const std::bad_alloc&) {
    return 0;
  }
  uint32_t room = length;
  if (!lzss->ExpandBuffer(data, size, text->data(), &room) || room != length) {
    text->clear();
    return 0;
  }
  return 1;
}
