// What the chat client makes of the server's command strings: display lines and the user list.
// Every string is read within the length it arrived with.
#include <cstring>
#include <string>

#include "common/chat/chatclient.h"
#include "common/chat/cmdstring.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"

namespace {

// A user-list entry's name: the part before its extra text, compared within its longest length.
std::string UserKey(const char* entry, size_t length) {
  const void* extra = std::memchr(entry, CHAT_NAME_EXTRA, length);
  if (extra) length = static_cast<size_t>(static_cast<const char*>(extra) - entry);
  return std::string(entry, length < CHAT_MAX_USER_NAME ? length : CHAT_MAX_USER_NAME);
}

}  // namespace

int32_t CChatClient::ReceivePacket(const void* data, uint32_t size) {
  if (!data || size == 0 || size > CMDSTRING_SIZE) return 0;
  auto cmd = std::make_unique<CCmdString>();
  if (!cmd->SetCmdString(data, static_cast<int32_t>(size))) return 0;
  m_Received.push_back(std::move(cmd));
  ReadReceived();
  return 1;
}

void CChatClient::ReadReceived() {
  while (!m_Received.empty()) {
    const std::unique_ptr<CCmdString> cmd = std::move(m_Received.front());
    m_Received.pop_front();
    ReadCmdString(*cmd);
  }
}

void CChatClient::ReadCmdString(const CCmdString& cmd) {
  CCmdReader reader(cmd);
  SCmdRecord record;
  while (reader.Next(record)) {
    switch (record.m_Code) {
      case CHATCMD_LINE:
        // An ignored sender's line goes alone; the rest of its string is still read.
        if (m_IgnoreAll || !FromIgnored(record.m_pText, record.m_TextLength))
          ShowLine(record.m_Style, std::string(record.m_pText, record.m_TextLength));
        break;
      // A user-list record ends its string: what stands behind it is not read.
      case CHATCMD_USERLIST:
        ClearUsers();
        AddUsers(record.m_pText, record.m_TextLength);
        return;
      case CHATCMD_USERLISTMORE:
        AddUsers(record.m_pText, record.m_TextLength);
        return;
      case CHATCMD_USERJOINED:
        UserJoined(record.m_pText, record.m_TextLength);
        return;
      case CHATCMD_USERLEFT:
        UserLeft(record.m_pText, record.m_TextLength);
        return;
      default:
        break;
    }
  }
}

// A sender's name stands at the start of its line between byte 3 and byte 4, or between "<" and
// ">"; only the whole name counts, so ignoring "Al" leaves "Alice" shown.
int32_t CChatClient::FromIgnored(const char* text, uint32_t length) const {
  if (length < 2) return 0;
  const char end = text[0] == CHAT_NAME_START ? CHAT_NAME_END : text[0] == '<' ? '>' : 0;
  if (!end) return 0;
  for (const std::string& name : m_Ignored) {
    if (name.size() + 2 > length) continue;
    if (std::memcmp(text + 1, name.data(), name.size()) == 0 && text[1 + name.size()] == end) return 1;
  }
  return 0;
}

void CChatClient::AddUsers(const char* names, uint32_t length) {
  const char* p = names;
  const char* const stop = names + length;
  while (p < stop) {
    const void* separator = std::memchr(p, CHAT_NAME_SEPARATOR, static_cast<size_t>(stop - p));
    const char* end = separator ? static_cast<const char*>(separator) : stop;
    AddUser(p, static_cast<size_t>(end - p));
    p = end + (separator ? 1 : 0);
  }
}

void CChatClient::AddUser(const char* entry, size_t length) {
  // Nameless entries (nothing before the extra text) are left out.
  if (UserKey(entry, length).empty()) return;
  char* copy = xStrndup(entry, length);
  if (!copy) return;
  if (!m_Users.InsertLast(copy)) {
    xFree(copy);
    return;
  }
  m_UsersChanged = 1;
}

void CChatClient::UserJoined(const char* name, uint32_t length) {
  if (!FindUser(UserKey(name, length))) AddUser(name, length);
}

void CChatClient::UserLeft(const char* name, uint32_t length) {
  const std::string key = UserKey(name, length);
  CNode* node = key.empty() ? nullptr : FindUser(key);
  if (!node) return;
  void* entry = node->m_pData;
  m_Users.DeleteItem(entry);
  xFree(entry);
  m_UsersChanged = 1;
}

CNode* CChatClient::FindUser(const std::string& key) const {
  for (CNode* n = m_Users.HeadNode(); n; n = n->m_pNext) {
    const char* entry = static_cast<const char*>(n->m_pData);
    if (entry && UserKey(entry, xStrlen(entry)) == key) return n;
  }
  return nullptr;
}

void CChatClient::ClearUsers() {
  m_Users.KillAllData();
  m_UsersChanged = 1;
}
