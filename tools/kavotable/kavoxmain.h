// The blackjack module's entry as a host calls it once the module is loaded.
#pragma once

#include <cstdint>

class CChatClient;
class CCommRemoteClient;
class CMilesMusic;
struct TServerMsg;

// player id, table id, chat, user-process link, user name, music, server message, start seat,
// (not read), flags word; the module's answer 0 to 3.
using TKavoXMain = int32_t (*)(int32_t, int32_t, CChatClient*, CCommRemoteClient*, char*, CMilesMusic*, TServerMsg*,
                               int32_t, int32_t, int32_t);
