// Width and text conventions shared by every library and module.
//
// The system was born on a 32-bit runtime: its "long" is 32 bits. Every quantity that is stored in
// files, sent on the wire, hashed, enciphered or compared against a 32-bit sentinel is therefore an
// int32_t/uint32_t here, and wraps in 32 bits. Message parameters that may carry a pointer are
// intptr_t. Text is single-byte Windows-1252 throughout; conversion to and from UTF-8 happens only
// at the edges (display, clipboard, desktop).
#pragma once

#include <cstddef>
#include <cstdint>

using TMsgParam = intptr_t;

// 0xFFFFFFFF, "none" for sizes, counts and periods.
inline constexpr uint32_t XNONE32 = 0xFFFFFFFFu;

// Releases a block taken with the ordinary object allocation (::operator new), such as texts from
// xStrdup or list data released by KillAllData. No destructor runs.
inline void xFree(void* p) { ::operator delete(p); }
