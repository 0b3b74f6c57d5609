#include "ostrelcomm/httpclient/httprequesttext.h"

#include <cstring>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/compression/base64.h"
#include "ostrelcomm/download/downloadclient.h"

namespace {

// Bytes a path may carry as they are (RFC 3986 pchar, "/" and "?").
bool StaysInPath(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c != 0 && std::strchr("-._~!$&'()*+,;=:@/?", c) != nullptr;
}

}  // namespace

int32_t xHTTPIsSafeText(const char* text) {
  return text && !std::strchr(text, '\r') && !std::strchr(text, '\n') ? 1 : 0;
}

int32_t xHTTPEncodeTarget(const char* path, std::string& out) {
  out.clear();
  if (!xHTTPIsSafeText(path)) return 0;
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (path[0] != '/') out += '/';
  for (const char* p = path; *p; ++p) {
    const char c = *p;
    // A remote name is a file's name, not a ready URL: a '%' in it is the byte itself.
    if (StaysInPath(c)) {
      out += c;
      continue;
    }
    const auto b = static_cast<uint8_t>(c);
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return 1;
}

int32_t xHTTPBuildGetRequest(const SHTTPGetRequest& request, std::string& out) {
  out.clear();
  std::string target;
  if (!xHTTPEncodeTarget(request.m_pPath, target) || !xHTTPIsSafeText(request.m_pHost) || !*request.m_pHost)
    return DOWNLOAD_ERR_PARAMETERS;
  out = "GET " + target + " HTTP/1.1\r\n";
  out += "Host: ";
  out += request.m_pHost;
  out += ':' + std::to_string(request.m_Port) + "\r\n";
  out += request.m_KeepAlive ? "Connection: Keep-Alive\r\n" : "Connection: Close\r\n";
  if (request.m_pLogin && request.m_pPassword) {
    const std::string credentials = std::string(request.m_pLogin) + ':' + request.m_pPassword;
    char* encoded = nullptr;
    int32_t encodedLength = 0;
    if (credentials.size() > INT32_MAX / 2 ||
        !CBase64::Encode(credentials.data(), static_cast<int32_t>(credentials.size()), encoded, encodedLength, 0)) {
      out.clear();
      return DOWNLOAD_ERR_MEMORY;
    }
    out += "Authorization: Basic ";
    out.append(encoded, static_cast<size_t>(encodedLength));
    out += "\r\n";
    xFree(encoded);
  }
  if (request.m_StartPosition) out += "Range: bytes=" + std::to_string(request.m_StartPosition) + "-\r\n";
  out += "\r\n";
  return 1;
}
