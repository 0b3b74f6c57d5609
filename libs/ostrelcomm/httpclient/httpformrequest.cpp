#include "ostrelcomm/httpclient/httpformrequest.h"

#include <cstdio>
#include <cstring>

#include "ostrel/base/xstring.h"
#include "ostrelcomm/tls.h"

namespace {

bool IsAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = xToLowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

CHTTPRequest::CHTTPRequest() : m_Answer(new char[HTTP_FORM_ANSWER_SIZE]) { m_Answer[0] = 0; }

CHTTPRequest::~CHTTPRequest() {
  Disconnect();
  if (m_Crypt.m_Started) xClosedownSockets(m_SocketCount, &m_Crypt);
  delete[] m_Answer;
}

int32_t CHTTPRequest::Connect(const char* url, int32_t encrypted) {
  Disconnect();
  if (!url) return 0;
  const size_t hostLength = std::strcspn(url, "/\\");
  m_Host.assign(url, hostLength);
  uint32_t port = encrypted ? 443 : 80;
  std::string host = m_Host;
  if (const size_t colon = host.find(':'); colon != std::string::npos) {
    unsigned given = 0;
    if (std::sscanf(host.c_str() + colon + 1, "%u", &given) != 1 || given == 0 || given > 65535) return 0;
    port = given;
    host.resize(colon);
  }
  if (host.empty()) return 0;
  if (!m_Crypt.m_Started && !xStartupSockets(m_SocketCount, 1, &m_Crypt)) return 0;
  // The TLS of the links; a plain request after an encrypted one goes out plain.
  if (encrypted) {
    if (!xSetClientEncryption(&m_Crypt)) return 0;
  } else {
    xClearEncryption(&m_Crypt);
  }
  if (!xConnectSocket(host.c_str(), port, nullptr, 0, m_Socket, nullptr, &m_Crypt)) return 0;
  if (!xBlockedConnectHandler(host.c_str(), port, nullptr, 0, m_Socket, m_Connected, HTTP_FORM_CONNECT_MS, &m_Crypt) ||
      !m_Connected) {
    Disconnect();
    return 0;
  }
  return 1;
}

void CHTTPRequest::Disconnect() {
  if (m_Socket >= 0) {
    if (m_Crypt.m_Started) xDisconnectSocket(m_Socket, m_Connected, &m_Crypt);
    else xCloseSocket(m_Socket);
  }
  m_Socket = -1;
  m_Connected = 0;
}

int32_t CHTTPRequest::SetValue(const char* name, const char* value) {
  if (!name || !value) return 0;
  m_Pairs.push_back(SPair{name, value});
  return 1;
}

const char* CHTTPRequest::GetValue(const char* name) const {
  if (!name) return nullptr;
  for (const SPair& pair : m_Pairs)
    if (pair.m_Name == name) return pair.m_Value.c_str();
  return nullptr;
}

int32_t CHTTPRequest::DeleteValue(const char* name) {
  if (!name) return 0;
  for (auto it = m_Pairs.begin(); it != m_Pairs.end(); ++it) {
    if (it->m_Name == name) {
      m_Pairs.erase(it);
      return 1;
    }
  }
  return 0;
}

void CHTTPRequest::DeleteAllValues() { m_Pairs.clear(); }

std::string CHTTPRequest::PairText() const {
  std::string text;
  for (const SPair& pair : m_Pairs) {
    if (!text.empty()) text += '&';
    text += pair.m_Name;
    text += '=';
    text += pair.m_Value;
  }
  return UrlEncode(text);
}

int32_t CHTTPRequest::CalculateRequestLength() const { return static_cast<int32_t>(PairText().size()); }

int32_t CHTTPRequest::SendRequest(const char* text) {
  if (!text || m_Socket < 0 || !m_Connected) return 0;
  const std::string message = text + PairText();
  uint32_t sent = 0;
  uint32_t noRead = 0;
  const auto size = static_cast<uint32_t>(message.size());
  while (sent < size) {
    const uint32_t before = sent;
    if (!xBlockedHandler(m_Socket, m_Connected, nullptr, noRead, 0, message.data(), sent, size, &m_Crypt) ||
        m_Socket < 0 || sent == before)
      return 0;
  }
  return WaitAnswer() && ParseData() ? 1 : 0;
}

int32_t CHTTPRequest::WaitAnswer() {
  m_AnswerSize = 0;
  m_Answer[0] = 0;
  const uint32_t limit = HTTP_FORM_ANSWER_SIZE - 1;
  uint32_t noWrite = 0;
  for (int32_t quiet = 0; quiet < HTTP_FORM_WAIT_ROUNDS;) {
    if (m_Socket < 0) return 1;  // the server closed: the answer is whole
    if (m_AnswerSize >= limit) return 0;
    const uint32_t before = m_AnswerSize;
    const int32_t r =
        xBlockedHandler(m_Socket, m_Connected, m_Answer, m_AnswerSize, limit, nullptr, noWrite, 0, &m_Crypt, 1000);
    m_Answer[m_AnswerSize] = 0;
    if (!r) return 1;  // reading failed: take what came
    if (m_AnswerSize == before && m_Socket >= 0) ++quiet;
  }
  return 0;
}

int32_t CHTTPRequest::ParseData() {
  if (!m_AnswerSize) return 0;
  const std::string answer(m_Answer, m_AnswerSize);
  const size_t blank = answer.find("\r\n\r\n");
  if (blank == std::string::npos) return 0;
  size_t start = blank + 4;
  while (start < answer.size() && std::strchr(" \t\r\n", answer[start])) ++start;
  // Split first and decode each part, so an encoded "&" or "=" stays inside its value.
  while (start < answer.size()) {
    size_t end = answer.find('&', start);
    if (end == std::string::npos) end = answer.size();
    const std::string part = answer.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    const size_t equals = part.find('=');
    const std::string name = UrlDecode(part.substr(0, equals));
    const std::string value = equals == std::string::npos ? std::string() : UrlDecode(part.substr(equals + 1));
    SetValue(name.c_str(), value.c_str());
  }
  return 1;
}

std::string CHTTPRequest::UrlEncode(const std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (IsAsciiAlnum(c) || c == '=' || c == '&') {
      out += c;
    } else if (c == ' ') {
      out += '+';
    } else {
      const auto b = static_cast<uint8_t>(c);
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string CHTTPRequest::UrlDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}
