// Whether an address that a server or a script sent may be handed to the desktop to open: only
// web pages and mail ("http:", "https:", "mailto:" in any case, followed by something), so that
// no text from outside starts a program or opens a file ("file:", "javascript:", a bare path,
// "-x" read as an option). Control characters anywhere refuse the address.
#pragma once

#include <cstdint>

int32_t xIsWebAddress(const char* address);
