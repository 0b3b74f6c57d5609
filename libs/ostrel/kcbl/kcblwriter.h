// Writes a keyword/chunk tree as text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/kcbl/kcbltree.h"

// Writes every item below top, depth first, with long quoted values split at maxLine. With a
// null buffer it only measures. 1 on success with the text's length (without NUL) in *length; 0
// when an item cannot be written so that it reads back (a raw-data item that is not well formed)
// or, when writing, when the text and its NUL do not fit in size bytes. Nothing is written at or
// beyond buffer + size; the NUL is the caller's.
int32_t xKCBLWriteText(const TKCBLChunk* top, int32_t maxLine, char* buffer, size_t size, size_t* length);

// 1 when the text can stand bare (unquoted) in a value: not empty and free of the bytes that the
// reader treats specially.
bool xKCBLBareText(const char* text, size_t length);
