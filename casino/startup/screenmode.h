// The client's screen: 800 x 600, full screen or in a window.
#pragma once

#include <cstdint>

enum : int32_t { SCREENTYPE_WINDOW = 0, SCREENTYPE_FULLSCREEN = 1 };

inline constexpr int32_t CLIENT_SCREEN_WIDTH = 800;
inline constexpr int32_t CLIENT_SCREEN_HEIGHT = 600;

// 1 when the list of screens holds a screen of that type offering a mode of 24 bits, else one of
// 16 bits; that screen becomes the current one. 0 otherwise (the current screen unchanged).
int32_t FindScreenMode(int32_t type);

// The colour depth the current screen opens at: its own, at most 24 bits, 16 when it reports none.
int32_t ClientScreenDepth();

// Starts the current screen's 800 x 600 mode of that type at ClientScreenDepth; 1 when it runs.
int32_t OpenClientScreen(int32_t type);
