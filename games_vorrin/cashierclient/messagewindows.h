// The cashier's two message windows (module-wide, at most one of each): the first tells the player
// about the cashier's own road, the second shows the server's messages. Each closes once its button
// was pressed, at the application's next timer tick.
#pragma once

#include <cstdint>

// 1 when the window shows the title, the text and icon number icon of the icon strip.
int32_t ShowMessageWindow(const char* title, const char* text, int32_t icon);
int32_t ShowServerMessageWindow(const char* title, const char* text, int32_t icon);
// 1 while the first window exists.
int32_t IsMessageWindowOpen();
// Destroys each window whose button was pressed.
void CloseAnsweredMessageWindows();
