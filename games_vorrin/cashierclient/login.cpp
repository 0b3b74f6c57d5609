#include "login.h"

#include <cstring>

#include "ostrel/base/xstring.h"

namespace {
void CopyText(char (&field)[LOGIN_TEXT_SIZE], const char* text) {
  if (!text) text = "";
  const size_t n = strnlen(text, LOGIN_TEXT_SIZE - 1);
  xMemcpy(field, text, n);
  field[n] = 0;
}
}  // namespace

CLogin::CLogin(const char* userName, const char* password) {
  CopyText(m_UserName, userName);
  CopyText(m_Password, password);
}

CLogin::~CLogin() {
  volatile char* bytes = m_Password;
  for (size_t i = 0; i < LOGIN_TEXT_SIZE; ++i) bytes[i] = 0;
}
