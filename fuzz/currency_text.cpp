// The currency pattern and the number format come from resource scripts of the install folder
// and of downloaded modules, the buffer's text often from a server. Input: pattern, format, amount
// and buffer text separated by zero bytes, the last byte the buffer's size. The result must end
// inside the buffer and start with the text that was there.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/info/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const size_t bufferSize = data[size - 1] % 64 + 1;
  const std::string all(reinterpret_cast<const char*>(data), size - 1);
  std::string parts[4];
  size_t at = 0;
  for (std::string& part : parts) {
    const size_t end = std::min(all.find('\0', at), all.size());
    if (at < all.size()) part = all.substr(at, end - at);
    at = end + 1;
  }
  CTranslate translate;
  translate.SetCurrency(parts[0].c_str());

  std::unique_ptr<char[]> buffer(new char[bufferSize]);
  const size_t keep = std::min(parts[3].size(), bufferSize - 1);
  memcpy(buffer.get(), parts[3].data(), keep);
  buffer[keep] = '\0';
  CHugeFixedPoint<10, 10> amount;
  CHugeFixedPoint<10, 10>::Translate(parts[2].c_str(), amount);

  const int32_t whole = translate.CreateCurrStr(buffer.get(), bufferSize, parts[1].c_str(), amount);
  const size_t length = strnlen(buffer.get(), bufferSize);
  if (length == bufferSize) abort();
  if (memcmp(buffer.get(), parts[3].data(), keep) != 0) abort();
  if (whole != 0 && whole != 1) abort();
  return 0;
}
