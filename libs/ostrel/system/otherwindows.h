// The main windows of other programs of this user, found by their titles without regard to ASCII
// case; and the link through which this program's own main window is found. Each returns 1 when
// the window was found (and, for a send, answered), else 0.
#pragma once

#include <cstdint>

int32_t xFindWindow(const char* name);
// Brings the window to the front; the other program does it at its next frame.
int32_t xSetForegroundWindow(const char* name);
int32_t xSetWindowMiniMized(const char* name);

// How long a send waits for the receiver: a program that hangs is given up on.
inline constexpr uint32_t XSENDMESSAGE_TIMEOUT_MS = 5000;
// Sends a window message and waits for the receiver's result (into *result when given). While
// it waits, messages sent to this program are served, so the receiver may answer with a send
// from inside its handler.
int32_t xSendMessageToApplication(const char* name, uint32_t message, int32_t wParam, int32_t lParam,
                                  intptr_t* result = nullptr);

// Gives the main window a new title; from then on other programs find it by that title.
void xSetMainWindowTitle(const char* title);

// The loop's side: xInit opens the link under the window's title, xHandler serves it and xExit
// closes it. Requests reach the window-message receivers (SystemWindowProc) on this thread.
int32_t xOpenWindowLink(const char* title);
void xServeWindowLink();
void xCloseWindowLink();
