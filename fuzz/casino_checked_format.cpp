// Formats for one value come from resource scripts and servers. Input: the format, then after a
// zero byte the text value; the last byte picks the kind and the buffer's size. The result must
// end inside the buffer, and a format that fails the check must give exactly the plain form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "casino/mainclient/checkedformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const uint8_t control = data[size - 1];
  const auto kind = static_cast<EValueKind>(control % 3);
  const size_t bufferSize = control / 3 % 80 + 1;
  const std::string all(reinterpret_cast<const char*>(data), size - 1);
  const size_t split = std::min(all.find('\0'), all.size());
  const std::string format = all.substr(0, split);
  const std::string text = split < all.size() ? all.substr(split + 1) : std::string();
  const int32_t number = static_cast<int32_t>(text.size() * 2654435761u);

  std::unique_ptr<char[]> buffer(new char[bufferSize]);
  std::unique_ptr<char[]> plain(new char[bufferSize]);
  int32_t whole = 0;
  switch (kind) {
    case EValueKind::Text:
      whole = xCheckedFormatText(buffer.get(), bufferSize, format.c_str(), text.c_str());
      snprintf(plain.get(), bufferSize, "%s", text.c_str());
      break;
    case EValueKind::Integer:
      whole = xCheckedFormatInteger(buffer.get(), bufferSize, format.c_str(), number);
      snprintf(plain.get(), bufferSize, "%d", number);
      break;
    case EValueKind::Floating:
      whole = xCheckedFormatFloating(buffer.get(), bufferSize, format.c_str(), number / 7.0);
      snprintf(plain.get(), bufferSize, "%.2f", number / 7.0);
      break;
  }
  if (strnlen(buffer.get(), bufferSize) == bufferSize) abort();
  if (whole != 0 && whole != 1) abort();
  if (!xIsOneValueFormat(format.c_str(), kind) && strcmp(buffer.get(), plain.get()) != 0) abort();
  return 0;
}
