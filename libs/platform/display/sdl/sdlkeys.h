// SDL's key events in the virtual keys of the key messages.
#pragma once

#include <SDL.h>

#include <cstdint>

// 0 for a key that has none. Letters follow the layout (the key that types "a" is A, wherever it
// sits), the other keys their place on a US keyboard; the keypad follows num lock.
uint32_t SdlVirtualKey(const SDL_Keysym& keysym);
