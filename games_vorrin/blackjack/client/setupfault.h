// The one diagnostic a failed table set-up writes: what was missing or malformed, by name.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "ostrel/system/debug.h"

__attribute__((format(printf, 1, 2))) inline void xKavoSetupFault(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  xprintf("Blackjack table set-up: %s\n", text);
}
