// Ids of the options that the library itself reads or defaults, and of the values they take.
// Their names, which "options.cfg" holds, come from the option-definition script "xrs/optdef.xrs".
#pragma once

#include <cstdint>

enum : int32_t {
  OPTION_DISPLAYMODE = 420000,         // long: OPTION_WINDOWMODE or OPTION_FULLSCREEN
  OPTION_MUSIC = 420010,               // bool: lobby and table music on
  OPTION_SOUND = 420011,               // bool: sound effects on
  OPTION_MUSICSOURCE = 420012,         // long: OPTION_MUSIC_BUILTIN or OPTION_MUSIC_OWNFILE
  OPTION_MUSIC_BUILTIN = 420013,
  OPTION_MUSIC_OWNFILE = 420014,
  OPTION_MUSICFILE = 420015,           // string: the player's own music
  OPTION_LASTUSER = 420016,            // string: the user name last logged in
  OPTION_JACKPOTLIST_OPEN = 420017,    // bool: the jackpot list starts open
  OPTION_JACKPOTLIST_OFFSET = 420018,  // long: the jackpot list's first scroll offset
  OPTION_WINDOWMODE = 420100,
  OPTION_FULLSCREEN = 420101,
};
