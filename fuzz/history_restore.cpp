// A table's saved state from the database: the history must come back whole or be refused,
// never read past the store, and a restored history stores itself back to the bytes it read.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/widgets/historyled.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first two bytes pick the entries and symbols the game's Create gave.
  if (size < 2) return 0;
  const uint32_t entries = data[0] % 16 + 1, symbols = data[1] % 8 + 1;
  data += 2;
  size -= 2;
  CServerHistoryLed led;
  if (!led.Create(entries, symbols)) abort();
  std::vector<uint32_t> before;
  for (uint32_t i = 0; i < entries; ++i) before.push_back(led.GetEntry(i));
  // A copy of exactly the store's size, so that a read past it is a read past the allocation.
  std::vector<uint8_t> store(data, data + size);
  size_t used = 99;
  if (!led.RestoreState(store.data(), store.size(), used)) {
    for (uint32_t i = 0; i < entries; ++i)
      if (led.GetEntry(i) != before[i]) abort();
    if (used != 0) abort();
    return 0;
  }
  if (used != 4 * size_t(entries) || used > size) abort();
  std::vector<uint8_t> again;
  led.StoreState(again);
  if (again != std::vector<uint8_t>(store.begin(), store.begin() + long(used))) abort();
  return 0;
}
