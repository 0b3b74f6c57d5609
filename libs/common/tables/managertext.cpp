#include "common/tables/managertext.h"

#include <cstring>

namespace {
struct SCommandCode {
  const char* m_pWord;
  int32_t m_Code;
};

constexpr SCommandCode kCommands[] = {
    {MANAGER_CMD_REQUESTPERMISSION, MANAGER_MSG_REQUESTPERMISSION},
    {MANAGER_CMD_REMOVECRASHEDUSER, MANAGER_MSG_REMOVECRASHEDUSER},
    {MANAGER_CMD_SERVERMSG, MANAGER_MSG_SERVERMSG},
    {MANAGER_CMD_REQUESTANSWER, MANAGER_MSG_REQUESTANSWER},
    {MANAGER_CMD_REQUESTPENDING, MANAGER_MSG_REQUESTPENDING},
    {MANAGER_CMD_PROCESSCREATED, MANAGER_MSG_PROCESSCREATED},
    {MANAGER_CMD_RECONNECTCREATED, MANAGER_MSG_RECONNECTCREATED},
    {MANAGER_CMD_USERQUIT, MANAGER_MSG_USERQUIT},
    {MANAGER_CMD_WAITLISTCANCEL, MANAGER_MSG_WAITLISTCANCEL},
    {MANAGER_CMD_REPLYWITHID, MANAGER_MSG_REPLYWITHID},
    {MANAGER_CMD_DIEYOUBASTARD, MANAGER_MSG_DIEYOUBASTARD},
    {MANAGER_CMD_INCOMINGCLIENT, MANAGER_MSG_INCOMINGCLIENT},
};

constexpr char kSeparator = static_cast<char>(MANAGER_SEPARATOR);
}  // namespace

int32_t ManagerMessageCode(const char* command, size_t length) {
  if (!command) return MANAGER_MSG_UNKNOWN;
  for (const SCommandCode& c : kCommands)
    if (strlen(c.m_pWord) == length && memcmp(c.m_pWord, command, length) == 0) return c.m_Code;
  return MANAGER_MSG_UNKNOWN;
}

int32_t BuildManagerText(const char* command, const char* const* strings, size_t count, std::string& text) {
  text.clear();
  if (!command || (count && !strings)) return 0;
  size_t total = strlen(command) + 2;
  for (size_t i = 0; i < count; ++i) {
    if (!strings[i]) return 0;
    total += strlen(strings[i]) + 1;
  }
  if (total > MANAGER_TEXT_MAX) return 0;
  text.reserve(total);
  text += command;
  text += kSeparator;
  for (size_t i = 0; i < count; ++i) {
    text += strings[i];
    text += kSeparator;
  }
  text += '\0';
  return 1;
}

int32_t SplitManagerText(const void* data, uint32_t size, SManagerText& message) {
  message = SManagerText();
  if (!data || size == 0 || size > MANAGER_TEXT_MAX) return 0;
  const auto* text = static_cast<const char*>(data);
  const auto* end = static_cast<const char*>(memchr(text, '\0', size));
  if (!end) return 0;

  const char* word = text;
  const char* wordEnd = word;
  while (wordEnd < end && *wordEnd != kSeparator) ++wordEnd;
  message.m_Command.assign(word, wordEnd);
  message.m_Code = ManagerMessageCode(word, static_cast<size_t>(wordEnd - word));
  if (wordEnd == end) return 1;  // a bare command

  for (const char* piece = wordEnd + 1; piece < end;) {
    const char* pieceEnd = piece;
    while (pieceEnd < end && *pieceEnd != kSeparator) ++pieceEnd;
    if (pieceEnd == piece) break;
    message.m_Strings.emplace_back(piece, pieceEnd);
    piece = pieceEnd + 1;
  }
  return 1;
}
