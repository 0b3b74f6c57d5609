// A game's state store from the database: the shoe must come back whole or be refused, never read
// past the store, and a restored shoe must store itself back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/cards/deck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the number of values the game's Init gave.
  if (size < 1) return 0;
  const int32_t values = data[0];
  ++data;
  --size;
  CDeck deck;
  deck.Init(1, values);
  size_t used = 0;
  // A copy of exactly the store's size, so that a read past it is a read past the allocation.
  std::vector<uint8_t> store(data, data + size);
  if (!deck.RestoreState(store.data(), store.size(), used)) {
    if (used != 0 || deck.GetNumCardsLeft() != 0 || deck.GetNumEntries() != 0) abort();
    return 0;
  }
  if (used > size || used < 8 || deck.GetNumCardsLeft() < 0) abort();
  std::vector<uint8_t> again;
  deck.StoreState(again);
  // The kept count of cards left is the sum of the copies the shoe stores.
  int64_t listed = 0;
  for (size_t at = 12; at + 4 <= again.size(); at += 8)
    listed += static_cast<int32_t>(again[at] | again[at + 1] << 8 | again[at + 2] << 16 | uint32_t(again[at + 3]) << 24);
  if (listed != deck.GetNumCardsLeft()) abort();
  // Entries of zero copies are dropped and a count at or below 0 stays what it was: compare the
  // pairs only when the store held exactly what the shoe holds now.
  if (again.size() == used && std::vector<uint8_t>(store.begin() + 8, store.begin() + long(used)) !=
                                  std::vector<uint8_t>(again.begin() + 8, again.end()))
    abort();
  for (int32_t n = 0; n < 64 && deck.GetNumCardsLeft() > 0; ++n)
    if (deck.GetCard() >= values) abort();
  return 0;
}
