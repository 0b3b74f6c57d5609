// The server-message record the main client fills from the server's "Msg" and "Waitlist"
// packets and hands to the game modules, whose client table shows it and acts on its action. One
// declaration for the client and the modules, since both read the same bytes.
#pragma once

#include <cstdint>

inline constexpr int32_t SERVERMSG_TITLE_SIZE = 1000;
inline constexpr int32_t SERVERMSG_MESSAGE_SIZE = 1024;
inline constexpr int32_t SERVERMSG_ACTION_SIZE = 1002;

// The kind of a waitlist offer, and of one that was taken.
inline constexpr uint8_t SERVERMSG_KIND_WAITLIST = 4;
inline constexpr uint8_t SERVERMSG_KIND_TAKEN = 0;
// The icon of a waitlist offer.
inline constexpr uint8_t SERVERMSG_ICON_WAITLIST = 2;

// "New": stored and not shown yet; shown.
inline constexpr uint32_t SERVERMSG_NEW = 1000;
inline constexpr uint32_t SERVERMSG_SHOWN = 1;

// The actions, behind a flag character in the action text (a waitlist offer's stands first).
inline constexpr const char* SERVERMSG_ACTION_NONE = "NONE:";
inline constexpr const char* SERVERMSG_ACTION_QUIT = "QUIT:";
inline constexpr const char* SERVERMSG_ACTION_URL = "URL:";
inline constexpr const char* SERVERMSG_ACTION_POLL = "POLL:";
inline constexpr const char* SERVERMSG_ACTION_WAITLIST = "WAITLIST:";

struct TServerMsg {
  uint8_t m_Kind = 0;
  uint8_t m_Icon = 0;
  char m_Title[SERVERMSG_TITLE_SIZE] = {};
  char m_Message[SERVERMSG_MESSAGE_SIZE] = {};
  char m_Action[SERVERMSG_ACTION_SIZE] = {};
  uint32_t m_New = 0;
  uint32_t m_QuitRequest = 0;
  uint32_t m_WaitlistTable = 0;
  uint32_t m_MessageId = 0;
  // What became of it: 0 open, 2 closed, 3 done.
  uint32_t m_State = 0;
};
