#include "ostrelcomm/download/ftpprotocol.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithCode(const std::string& line) {
  return line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
}

// A decimal number of at most 5 digits at text; 0 when there is none or it is longer.
bool ReadSmallNumber(const char*& text, uint32_t& value) {
  const char* p = text;
  value = 0;
  int digits = 0;
  while (IsDigit(*p)) {
    if (++digits > 5) return false;
    value = value * 10 + static_cast<uint32_t>(*p++ - '0');
  }
  if (!digits) return false;
  text = p;
  return true;
}

void SkipBlanks(const char*& text) {
  while (*text == ' ' || *text == '\t') ++text;
}

}  // namespace

int32_t CFtpReplyReader::Feed(const char* data, uint32_t size, std::deque<SFtpReply>& out) {
  if (m_Spoilt) return 0;
  for (uint32_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\r' || c == '\n') {
      if (!m_Line.empty()) TakeLine(out);
      continue;
    }
    if (m_Line.size() >= FTP_MAX_LINE) {
      m_Spoilt = true;
      return 0;
    }
    m_Line += c;
  }
  return 1;
}

void CFtpReplyReader::Reset() {
  m_Line.clear();
  m_Reply = SFtpReply{};
  m_InMulti = false;
  m_Spoilt = false;
}

void CFtpReplyReader::AddLine(const std::string& line) {
  ++m_Reply.m_Lines;
  const size_t room = FTP_MAX_REPLY_TEXT - m_Reply.m_Text.size();
  if (m_Reply.m_Lines > 1) {
    if (room <= line.size()) return;
    m_Reply.m_Text += '\n';
  }
  m_Reply.m_Text += line;
}

void CFtpReplyReader::TakeLine(std::deque<SFtpReply>& out) {
  if (!m_InMulti) {
    m_Reply = SFtpReply{};
    m_Reply.m_Code = xFtpReplyCode(m_Line.c_str());
    AddLine(m_Line);
    if (StartsWithCode(m_Line) && m_Line.size() > 3 && m_Line[3] == '-') {
      std::memcpy(m_MultiCode, m_Line.data(), 3);
      m_InMulti = true;
    } else {
      out.push_back(std::move(m_Reply));
      m_Reply = SFtpReply{};
    }
  } else {
    AddLine(m_Line);
    if (StartsWithCode(m_Line) && std::memcmp(m_Line.data(), m_MultiCode, 3) == 0 &&
        (m_Line.size() == 3 || m_Line[3] == ' ')) {
      m_InMulti = false;
      out.push_back(std::move(m_Reply));
      m_Reply = SFtpReply{};
    }
  }
  m_Line.clear();
}

int32_t xFtpReplyCode(const char* text) {
  if (!text) return 0;
  int32_t code = 0;
  for (int digits = 0; IsDigit(*text) && digits < 9; ++digits) code = code * 10 + (*text++ - '0');
  return code;
}

int32_t xFtpIsSafeArgument(const char* text) {
  return text && !std::strchr(text, '\r') && !std::strchr(text, '\n') ? 1 : 0;
}

int32_t xFtpCommandLine(const char* word, const char* argument, std::string& out) {
  out.clear();
  if (!xFtpIsSafeArgument(word) || (argument && !xFtpIsSafeArgument(argument))) return 0;
  out = word;
  if (argument) {
    out += ' ';
    out += argument;
  }
  out += "\r\n";
  return 1;
}

int32_t xFtpParsePassiveReply(const char* text, uint32_t& ip, uint16_t& port) {
  if (!text) return 0;
  const char* p = std::strchr(text, '(');
  if (p) {
    ++p;
  } else {
    // Some servers leave the parentheses out: the numbers follow the code and its text.
    p = text;
    while (IsDigit(*p)) ++p;
    while (*p && !IsDigit(*p)) ++p;
  }
  uint32_t n[6];
  for (int i = 0; i < 6; ++i) {
    SkipBlanks(p);
    if (!ReadSmallNumber(p, n[i]) || n[i] > 255) return 0;
    SkipBlanks(p);
    if (i < 5 && *p++ != ',') return 0;
  }
  const uint32_t number = n[4] << 8 | n[5];
  if (!number) return 0;
  ip = n[0] << 24 | n[1] << 16 | n[2] << 8 | n[3];
  port = static_cast<uint16_t>(number);
  return 1;
}

std::string xFtpPortArgument(uint32_t ip, uint16_t port) {
  char text[32];
  std::snprintf(text, sizeof text, "%u,%u,%u,%u,%u,%u", ip >> 24, ip >> 16 & 255, ip >> 8 & 255, ip & 255,
                static_cast<unsigned>(port >> 8), static_cast<unsigned>(port & 255));
  return text;
}

std::string xFtpDottedAddress(uint32_t ip) {
  char text[20];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, ip >> 16 & 255, ip >> 8 & 255, ip & 255);
  return text;
}

int32_t xFtpFindReplySize(const char* text, uint32_t& size) {
  if (!text) return 0;
  for (const char* open = std::strchr(text, '('); open; open = std::strchr(open + 1, '(')) {
    const char* close = std::strchr(open + 1, ')');
    if (!close) return 0;
    const size_t length = static_cast<size_t>(close - open - 1);
    if (length < 1 || length > 62) continue;
    const std::string group(open + 1, length);
    if (group.find("bytes") == std::string::npos && group.find("Bytes") == std::string::npos) continue;
    if (!IsDigit(group[0])) continue;
    uint64_t value = 0;
    for (size_t i = 0; i < group.size() && IsDigit(group[i]); ++i) {
      value = value * 10 + static_cast<uint64_t>(group[i] - '0');
      if (value > UINT32_MAX) return 0;
    }
    size = static_cast<uint32_t>(value);
    return 1;
  }
  return 0;
}
