// Small helpers shared by the links and the nodes: formatted heap names and the append-only logs.
#pragma once

#include <cstdint>
#include <cstdio>

// A new text (freed with xFree) formatted like printf; null when memory runs out.
char* xCommFormatName(const char* format, ...) __attribute__((format(printf, 1, 2)));

// 1 when a is exactly the bLength bytes at b (names inside packets need not end where they stop).
bool xCommSameName(const char* a, const char* b, uint32_t bLength);

// Opens the log file for appending through the path resolver; null when it does not open.
FILE* xCommOpenLog(const char* fileName);
// Writes size bytes of data to the log.
void xCommLogBytes(FILE* f, const void* data, uint32_t size);
