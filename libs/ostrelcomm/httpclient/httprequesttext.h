// The text of the HTTP client's GET requests.
#pragma once

#include <cstdint>
#include <string>

// 1 when the text may go into a request line or header field: no CR and no LF.
int32_t xHTTPIsSafeText(const char* text);

// The request target for a remote path: a leading "/" when it has none, and every byte that may
// not stand in a path percent-encoded (blanks, controls, bytes above 127, "#", a "%" that does
// not start an escape already). 0 for a null path or one with CR or LF.
int32_t xHTTPEncodeTarget(const char* path, std::string& out);

struct SHTTPGetRequest {
  const char* m_pPath = nullptr;
  const char* m_pHost = nullptr;
  uint16_t m_Port = 80;
  int32_t m_KeepAlive = 1;
  const char* m_pLogin = nullptr;     // both login and password, or no authorisation
  const char* m_pPassword = nullptr;
  uint32_t m_StartPosition = 0;       // not 0: a range from there to the end
};

// 1 with the whole request in out; DOWNLOAD_ERR_PARAMETERS for a missing or unsafe path or host,
// DOWNLOAD_ERR_MEMORY when the authorisation cannot be encoded.
int32_t xHTTPBuildGetRequest(const SHTTPGetRequest& request, std::string& out);
