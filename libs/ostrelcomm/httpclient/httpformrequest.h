// Small name=value form requests over one blocking connection (optionally under TLS): the caller
// writes the request head, the pairs follow URL-encoded, and the pairs of the answer's body are
// added to the same list.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "ostrelcomm/socket.h"

inline constexpr uint32_t HTTP_FORM_ANSWER_SIZE = 40000;
// Quiet seconds WaitAnswer waits for the server to finish its answer.
inline constexpr int32_t HTTP_FORM_WAIT_ROUNDS = 14;
inline constexpr int32_t HTTP_FORM_CONNECT_MS = 10000;

class CHTTPRequest {
 public:
  CHTTPRequest();
  ~CHTTPRequest();
  CHTTPRequest(const CHTTPRequest&) = delete;
  CHTTPRequest& operator=(const CHTTPRequest&) = delete;

  // The host is the url up to its first "/" or "\"; port 443 under TLS, else 80, unless the host
  // names one after ":". Waits up to HTTP_FORM_CONNECT_MS; 1 when connected.
  int32_t Connect(const char* url, int32_t encrypted);
  void Disconnect();
  int32_t IsConnected() const { return m_Connected; }

  // Both required; appends a pair.
  int32_t SetValue(const char* name, const char* value);
  // The first pair of that name, or null.
  const char* GetValue(const char* name) const;
  int32_t DeleteValue(const char* name);
  void DeleteAllValues();

  // Sends text followed by the URL-encoded pairs, waits for the answer and adds its pairs; 1 on
  // success.
  int32_t SendRequest(const char* text);
  // Reads the answer until the server closes the connection: 1 then, 0 when it stays open through
  // HTTP_FORM_WAIT_ROUNDS quiet seconds or the answer outgrows the buffer.
  int32_t WaitAnswer();
  // Adds the name=value pairs of the answer's body; 0 without an answer or without a body.
  int32_t ParseData();
  // The length of the URL-encoded pair text.
  int32_t CalculateRequestLength() const;

  // Letters and digits, "=" and "&" stay, a blank becomes "+", any other byte "%" and two lowercase
  // hex digits.
  static std::string UrlEncode(const std::string& text);
  // "+" becomes a blank and "%" with two hex digits that byte; everything else stays.
  static std::string UrlDecode(const std::string& text);

  const char* GetAnswer() const { return m_Answer; }
  uint32_t GetAnswerSize() const { return m_AnswerSize; }

 private:
  struct SPair {
    std::string m_Name;
    std::string m_Value;
  };
  std::string PairText() const;

  int m_Connected = 0;
  int m_Socket = -1;
  int32_t m_SocketCount = 0;
  SCryptData m_Crypt;
  char* m_Answer;
  uint32_t m_AnswerSize = 0;
  std::string m_Host;
  std::list<SPair> m_Pairs;
};
