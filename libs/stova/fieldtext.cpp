#include "stova/fieldtext.h"

void StovaCopyField(char* field, size_t size, std::string_view text) {
  if (size == 0) return;
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  if (n) std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, size - n);
}

std::string_view StovaCutText(const char* text, size_t size) {
  if (!text) return {};
  return std::string_view(text, strnlen(text, size - 1));
}
