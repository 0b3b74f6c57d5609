// What a chat server sends reaches the chat client as raw packets; each goes through
// ReceivePacket exactly as the client's ticker hands it over. The input is a list of steps:
//
//   0..3  LEN_HI LEN_LO BYTES   one packet of that length (cut at the input's end)
//   4     take the oldest display line        5     switch ignore all
//   6     NAME NUL  ignore the name            7     NAME NUL  stop ignoring it
//   8     read the user list if it changed     9     clear the data
//
// Every packet lies in a heap block of exactly its size, so a read past it shows. The client's
// bounds must hold whatever came: at most 100 display lines, no line longer than a packet, no
// nameless user-list entry.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/chat/chatclient.h"
#include "common/chat/cmdstring.h"
#include "ostrel/base/types.h"

namespace {

void CheckUsers(CLList* users) {
  for (CNode* n = users->HeadNode(); n; n = n->m_pNext) {
    const char* entry = static_cast<const char*>(n->m_pData);
    if (!entry || entry[0] == '\0' || entry[0] == CHAT_NAME_EXTRA) abort();
  }
}

std::string TakeName(const uint8_t*& p, const uint8_t* end) {
  const uint8_t* nul = static_cast<const uint8_t*>(memchr(p, 0, static_cast<size_t>(end - p)));
  const uint8_t* stop = nul ? nul : end;
  std::string name(reinterpret_cast<const char*>(p), static_cast<size_t>(stop - p));
  p = nul ? nul + 1 : end;
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  CChatClient client(nullptr, nullptr);
  const uint8_t* p = data;
  const uint8_t* const end = data + size;
  while (p < end) {
    const uint8_t op = *p++;
    switch (op % 10) {
      case 0:
      case 1:
      case 2:
      case 3: {
        size_t length = 0;
        if (end - p >= 2) length = static_cast<size_t>(p[0]) << 8 | p[1];
        p += end - p >= 2 ? 2 : end - p;
        length = std::min(length, static_cast<size_t>(end - p));
        std::unique_ptr<uint8_t[]> packet(new uint8_t[length ? length : 1]);
        memcpy(packet.get(), p, length);
        p += length;
        const int32_t read = client.ReceivePacket(packet.get(), static_cast<uint32_t>(length));
        if (read != (length > 0 && length <= CMDSTRING_SIZE ? 1 : 0)) abort();
        break;
      }
      case 4: {
        uint8_t style = 0;
        char* line = client.GetNewLine(&style);
        if (line && strlen(line) >= CMDSTRING_SIZE) abort();
        xFree(line);
        break;
      }
      case 5:
        client.IgnoreAll(!client.GetIgnoreAll());
        break;
      case 6:
        client.Ignore(TakeName(p, end).c_str());
        break;
      case 7:
        client.UnIgnore(TakeName(p, end).c_str());
        break;
      case 8:
        if (CLList* users = client.GetUserList(1)) CheckUsers(users);
        break;
      case 9:
        client.ClearAllData();
        break;
    }
    if (client.NumDisplayLines() > CHAT_MAX_DISPLAY_LINES) abort();
  }
  CheckUsers(client.GetUserList(0));
  return 0;
}
