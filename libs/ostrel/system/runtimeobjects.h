// The toolkit objects that the process globals hold (picture types, screens, window manager,
// stock controls, input devices, music). The frame loop creates, drives and frees them only
// through these calls, so the graphics side can grow without touching the loop.
#pragma once

#include <cstdint>

class CRect;

// Picture type list, screen list and window manager into glb; 0 when one cannot be made.
int32_t xCreateToolkitLists();
// Default window, stock static and stock button into glb.
void xCreateToolkitWindows();
// Frees what xCreateToolkitWindows made, in the order default window, static, button.
void xFreeToolkitWindows();
// Frees the screen list, the picture type list and the window manager, in that order.
void xFreeToolkitLists();

// The JPEG and BMP picture types, the two screens (into sglb) and the mouse and keyboard (into
// glb); 0 when one of them is missing.
int32_t xCreateSystemObjects();
// Drops each screen that is not available; lets the others collect their video modes.
void xProbeScreens();
void xDeleteSystemObjects();

// The window kind of the current screen's active mode (0 exclusive full screen, 1 window, 2 window
// over the whole desktop); -1 without a current screen or mode.
int32_t xCurrentScreenWindowKind();
// Hands a GUI message to the window manager (its SendMessage); 0 when there is none.
int32_t xWindowManagerSendMessage(int32_t message, int32_t windowId, int32_t controlId, int32_t value, void* user);
// The window manager redraws what of its windows lies in the area (its Validate(area, index));
// 1 when it drew something, 0 when it did not or there is none.
int32_t xWindowManagerValidateArea(CRect* area, int32_t index);
// The window manager redraws all its windows (its Validate()).
void xWindowManagerValidateAll();
// The window manager brings its default looks to the screen's new palette (its RemapDefaults).
void xWindowManagerRemapDefaults();

// Per-pass work on the current screen and the music player (each does nothing without one).
void xCurrentScreenFlipPage();
void xCurrentScreenClearBuffer();
void xMusicTicker();
// The current screen's active flag: 0 while the program's window is inactive; 1 without a screen.
int32_t xCurrentScreenActive();
