#include "portnumber.h"

int32_t ReadPortNumber(const char* text, size_t length, int32_t& port) {
  if (!text) return 0;
  size_t i = 0;
  while (i < length && IsBlankByte(text[i])) ++i;
  int32_t value = 0;
  size_t digits = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
    if (value > 65535) return 0;
  }
  while (i < length && IsBlankByte(text[i])) ++i;
  if (!digits || i != length || value < 1) return 0;
  port = value;
  return 1;
}
