// The cashier's login to the cashier server process. The application makes it in Initialize with
// the credentials of its command line (empty when none came); the login road itself, its window
// and the "Login" exchange, runs from the application's run state 7.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t LOGIN_TEXT_SIZE = 100;  // 99 characters and the zero byte

class CLogin {
 public:
  // Missing texts count as empty; longer ones are cut to 99 characters.
  CLogin(const char* userName, const char* password);
  // The password's bytes are zeroed before the memory goes.
  ~CLogin();
  CLogin(const CLogin&) = delete;
  CLogin& operator=(const CLogin&) = delete;

  const char* GetUserName() const { return m_UserName; }
  const char* GetPassword() const { return m_Password; }
  // The server's login value, -1 until a login succeeded.
  int32_t GetLoginValue() const { return m_LoginValue; }

 protected:
  char m_UserName[LOGIN_TEXT_SIZE] = {};
  char m_Password[LOGIN_TEXT_SIZE] = {};
  int32_t m_LoginValue = -1;
};
