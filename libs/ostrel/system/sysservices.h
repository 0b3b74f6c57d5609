// Small process services shared by the loop and the programs.
#pragma once

#include <cstdint>

// The user-wants-to-quit flag of the globals (0 while there are none).
uint8_t xDoUserWantToQuit();
void xSetUserWantToQuit(uint8_t on);
