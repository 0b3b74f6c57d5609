// A shoe of cards for the server half of a card game: for each card value, how many copies are
// left; draws are uniform over every card left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ostrel/containers/llist.h"

class CServerTableBase;

class CDeck {
 public:
  CDeck() = default;
  virtual ~CDeck();
  CDeck(const CDeck&) = delete;
  CDeck& operator=(const CDeck&) = delete;

  // Copies of each of the values 0 .. values - 1, then Shuffle. 0 (and an empty shoe) for a
  // negative count or a shoe of more than 2^31 - 1 cards.
  virtual int32_t Init(int32_t copies, int32_t values);
  // Deletes every entry.
  virtual int32_t Exit();
  // Refills the shoe: one entry (value, copies) per value in ascending order.
  virtual int32_t Shuffle();
  // One copy more of a value; 0 when the value is not one of the shoe's or the shoe is full.
  virtual int32_t AddCard(int32_t value);
  // A card drawn uniformly among all left and taken out; -1 when none is left or the machine's
  // random source failed for this draw.
  virtual int32_t GetCard();
  // The shoe appended to the table's state store (StoreState's bytes); read back from the store
  // (RestoreState from its unread bytes, which it then steps over). 0 without a table, when the
  // store cannot grow, or when RestoreState refuses (the shoe is then empty).
  virtual int32_t Store(CServerTableBase* table);
  virtual int32_t ReStore(CServerTableBase* table);
  // One copy less; 0 when the value is not below the number of values or none of it is left.
  virtual int32_t RemoveCard(uint32_t value);

  // Kept as the entries change, not counted: every draw asks for it.
  int32_t GetNumCardsLeft() const { return m_NumCards; }
  int32_t GetCopies() const { return m_Copies; }
  int32_t GetNumValues() const { return m_NumValues; }
  // -1 between Init and its Shuffle.
  int32_t GetNumEntries() const { return m_NumEntries; }
  // Copies left of one value (0 when none).
  int32_t GetCopiesLeft(int32_t value) const;

  // The shoe in the state store's encoding (each number 4 bytes, little-endian), appended to out:
  // copies per value, number of entries, then value and copies left of every entry in list order.
  // The number of values is not stored; it stays as Init set it.
  void StoreState(std::vector<uint8_t>& out) const;
  // Rebuilds the shoe from the front of a state store of size bytes; used gets the bytes read.
  // An entry count of 0 or below gives an empty shoe. 0, with the shoe left empty and used 0,
  // when the store is short, holds more entries than values or than its bytes can carry, a value
  // outside the shoe, a value twice, a negative count, or copies that would refill the shoe
  // beyond 2^31 - 1 cards (or hold that many now).
  int32_t RestoreState(const uint8_t* data, size_t size, size_t& used);

 private:
  struct SEntry {
    int32_t m_Value;
    int32_t m_Count;
  };

  SEntry* FindEntry(int32_t value) const;
  int32_t AppendEntry(int32_t value, int32_t count);
  // One copy less of the entry under the list's cursor; the entry goes at 0.
  void TakeAtCursor(SEntry* e);
  // An empty shoe and the reason to the diagnostics; 0.
  int32_t Refuse(const char* why);

  int32_t m_Copies = 0;
  int32_t m_NumValues = 0;
  int32_t m_NumEntries = -1;
  int32_t m_NumCards = 0;  // the sum of the entries' copies
  CLList m_Entries;  // owned SEntry records, removed when their count reaches 0
  // Each value's entry (null: none left), so that a card given back finds it at once; empty for
  // a shoe of more values than a card game has, which walks the list instead.
  std::vector<SEntry*> m_ByValue;
};
