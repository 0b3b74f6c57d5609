// One video mode as the screens list it.
#pragma once

#include <cstdint>

#include "ostrel/graphics/pixelformat.h"

inline constexpr int32_t VMODE_NAME_SIZE = 128;

// Window kinds of a mode.
inline constexpr int32_t VMODE_FULLSCREEN = 0;  // exclusive full screen
inline constexpr int32_t VMODE_WINDOW = 1;
inline constexpr int32_t VMODE_DESKTOP = 2;     // a window over the whole desktop, picture centred

struct SVmode {
  int32_t Width;
  int32_t Pitch;  // bytes per line of the screen buffer
  int32_t Height;
  int32_t BytesPerPixel;
  int32_t BitsPerPixel;
  int32_t RedBits, GreenBits, BlueBits;
  int32_t RedShift, GreenShift, BlueShift;
  int32_t Indexed;  // 1 for palette modes
  int32_t WindowKind;
  int32_t ModeId;
  char Name[VMODE_NAME_SIZE];

  TPixelFormat Format() const { return {RedBits, GreenBits, BlueBits, RedShift, GreenShift, BlueShift}; }
};
