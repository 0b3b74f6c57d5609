#include "ostrelcomm/commtext.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "platform/files/resolver.h"

char* xCommFormatName(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  char* text = nullptr;
  if (n >= 0) text = static_cast<char*>(::operator new(static_cast<size_t>(n) + 1, std::nothrow));
  if (text) std::vsnprintf(text, static_cast<size_t>(n) + 1, format, again);
  va_end(again);
  return text;
}

FILE* xCommOpenLog(const char* fileName) { return PlatformOpenFile(fileName, "ab"); }

void xCommLogBytes(FILE* f, const void* data, uint32_t size) {
  if (data && size) std::fwrite(data, 1, size, f);
}

bool xCommSameName(const char* a, const char* b, uint32_t bLength) {
  return a && b && std::strlen(a) == bLength && std::memcmp(a, b, bLength) == 0;
}
