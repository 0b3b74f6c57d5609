// A message from the server waiting to be shown to the player: the application's timer shows it
// in the module's message window as soon as one can be opened.
#pragma once

#include <cstdint>

inline constexpr int32_t PENDINGMSG_TITLE_SIZE = 1000;  // 999 characters and the zero byte
inline constexpr int32_t PENDINGMSG_TEXT_SIZE = 2026;   // 2025 characters and the zero byte

struct TPendingMessage {
  uint8_t m_Code = 0;  // the server's, kept as it came
  uint8_t m_Icon = 0;  // index into the message window's icon strip
  char m_Title[PENDINGMSG_TITLE_SIZE] = {};
  char m_Text[PENDINGMSG_TEXT_SIZE] = {};
  int32_t m_Pending = 0;
};
