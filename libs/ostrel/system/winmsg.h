// Receivers of the main window's messages, and the window procedure that calls them.
#pragma once

#include <cstdint>

#include "ostrel/system/globals.h"

class CWinMsg {
 public:
  CWinMsg() = default;
  CWinMsg(const CWinMsg&) = delete;
  CWinMsg& operator=(const CWinMsg&) = delete;
  virtual intptr_t WinMsgHandler(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  virtual ~CWinMsg();
};

// 1 when registered or already registered; 0 only when memory runs out.
int32_t RegisterWinMsg(CWinMsg* receiver, uint32_t message);
void UnRegisterWinMsg(CWinMsg* receiver, uint32_t message);
void UnRegisterWinMsgAll(CWinMsg* receiver);

// Calls every receiver of the message in registration order; the result is the first non-zero
// one. Closing the window only sets the quit flag.
class CLList;
// Frees the receiver list with its entries (at xExit).
void xDeleteWinMsgEntries(CLList*& list);

intptr_t SystemWindowProc(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
