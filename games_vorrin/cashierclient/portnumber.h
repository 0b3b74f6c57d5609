// A port number as the cashier takes it from its command line and from the entry server.
#pragma once

#include <cstddef>
#include <cstdint>

// White space as the C locale has it.
inline bool IsBlankByte(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Decimal digits with blanks around them only, and a value in 1..65535: 1 and the port; else 0 with
// port unchanged. Ports outside that range cannot be connected to, so they are refused at once.
int32_t ReadPortNumber(const char* text, size_t length, int32_t& port);
