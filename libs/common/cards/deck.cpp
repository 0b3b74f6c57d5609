#include "common/cards/deck.h"

#include <algorithm>
#include <limits>

#include "common/tables/servertablebase.h"
#include "common/tables/statebytes.h"
#include "ostrel/crypto/random.h"
#include "ostrel/system/debug.h"

namespace {
constexpr int64_t kMaxCards = std::numeric_limits<int32_t>::max();
constexpr int32_t kMaxIndexedValues = 4096;

void PutLong(std::vector<uint8_t>& out, int32_t v) { xStatePutLong(out, static_cast<uint32_t>(v)); }
int32_t GetLong(const uint8_t* p) { return static_cast<int32_t>(xStateGetLong(p)); }
}  // namespace

CDeck::~CDeck() { Exit(); }

int32_t CDeck::Init(int32_t copies, int32_t values) {
  Exit();
  if (copies < 0 || values < 0 || int64_t(copies) * values > kMaxCards) {
    m_Copies = m_NumValues = m_NumEntries = 0;
    m_ByValue.clear();
    return 0;
  }
  m_Copies = copies;
  m_NumValues = values;
  m_ByValue.assign(values <= kMaxIndexedValues ? static_cast<size_t>(values) : 0, nullptr);
  m_NumEntries = -1;
  return Shuffle();
}

int32_t CDeck::Exit() {
  for (int16_t ok = m_Entries.First(); ok; ok = m_Entries.Next()) delete static_cast<SEntry*>(m_Entries.Get());
  m_Entries.KillAll();
  std::fill(m_ByValue.begin(), m_ByValue.end(), nullptr);
  m_NumEntries = 0;
  m_NumCards = 0;
  return 1;
}

int32_t CDeck::Shuffle() {
  Exit();
  m_NumEntries = 0;
  if (m_Copies <= 0) return 1;
  for (int32_t value = 0; value < m_NumValues; ++value)
    if (!AppendEntry(value, m_Copies)) return 0;
  return 1;
}

int32_t CDeck::AddCard(int32_t value) {
  if (value < 0 || value >= m_NumValues || GetNumCardsLeft() >= kMaxCards) return 0;
  if (SEntry* e = FindEntry(value)) {
    ++e->m_Count;
    ++m_NumCards;
    return 1;
  }
  return AppendEntry(value, 1);
}

int32_t CDeck::GetCard() {
  const int32_t left = GetNumCardsLeft();
  if (left <= 0) return -1;
  int served = 0;
  int64_t r = xRand(static_cast<uint32_t>(left), &served, 1);
  if (!served) return -1;
  for (int16_t ok = m_Entries.First(); ok; ok = m_Entries.Next()) {
    SEntry* e = static_cast<SEntry*>(m_Entries.Get());
    r -= e->m_Count;
    if (r >= 0) continue;
    const int32_t value = e->m_Value;
    TakeAtCursor(e);
    return value;
  }
  return -1;
}

int32_t CDeck::RemoveCard(uint32_t value) {
  if (m_NumValues <= 0 || value >= static_cast<uint32_t>(m_NumValues)) return 0;
  for (int16_t ok = m_Entries.First(); ok; ok = m_Entries.Next()) {
    SEntry* e = static_cast<SEntry*>(m_Entries.Get());
    if (e->m_Value != static_cast<int32_t>(value)) continue;
    TakeAtCursor(e);
    return 1;
  }
  return 0;
}

void CDeck::TakeAtCursor(SEntry* e) {
  --m_NumCards;
  if (--e->m_Count > 0) return;
  if (!m_ByValue.empty()) m_ByValue[static_cast<size_t>(e->m_Value)] = nullptr;
  delete e;
  m_Entries.Delete(1);
  --m_NumEntries;
}

int32_t CDeck::GetCopiesLeft(int32_t value) const {
  const SEntry* e = FindEntry(value);
  return e ? e->m_Count : 0;
}

CDeck::SEntry* CDeck::FindEntry(int32_t value) const {
  if (value < 0 || value >= m_NumValues) return nullptr;
  if (!m_ByValue.empty()) return m_ByValue[static_cast<size_t>(value)];
  for (const CNode* n = m_Entries.HeadNode(); n; n = n->m_pNext) {
    SEntry* e = static_cast<SEntry*>(n->m_pData);
    if (e->m_Value == value) return e;
  }
  return nullptr;
}

int32_t CDeck::AppendEntry(int32_t value, int32_t count) {
  SEntry* e = new SEntry{value, count};
  if (!m_Entries.InsertLast(e)) {
    delete e;
    return 0;
  }
  if (!m_ByValue.empty()) m_ByValue[static_cast<size_t>(value)] = e;
  m_NumEntries = m_Entries.GetNumNodes();
  m_NumCards += count;
  return 1;
}

int32_t CDeck::Refuse(const char* why) {
  Exit();
  xprintf("CDeck::RestoreState: refused: %s\n", why);
  return 0;
}

void CDeck::StoreState(std::vector<uint8_t>& out) const {
  PutLong(out, m_Copies);
  PutLong(out, m_Entries.GetNumNodes());
  for (const CNode* n = m_Entries.HeadNode(); n; n = n->m_pNext) {
    const SEntry* e = static_cast<const SEntry*>(n->m_pData);
    PutLong(out, e->m_Value);
    PutLong(out, e->m_Count);
  }
}

int32_t CDeck::Store(CServerTableBase* table) { return table ? table->SSAddState(*this) : 0; }

int32_t CDeck::ReStore(CServerTableBase* table) { return table ? table->SSGetState(*this) : 0; }

int32_t CDeck::RestoreState(const uint8_t* data, size_t size, size_t& used) {
  Exit();
  used = 0;
  if (!data || size < 8) return Refuse("the store is short");
  const int32_t copies = GetLong(data);
  const int32_t entries = GetLong(data + 4);
  if (copies < 0 || int64_t(copies) * m_NumValues > kMaxCards) return Refuse("copies out of range");
  size_t at = 8;
  if (entries > 0) {
    if (entries > m_NumValues || static_cast<size_t>(entries) > (size - at) / 8)
      return Refuse("more entries than values or bytes");
    int64_t cards = 0;
    for (int32_t i = 0; i < entries; ++i, at += 8) {
      const int32_t value = GetLong(data + at), count = GetLong(data + at + 4);
      cards += count;
      if (value < 0 || value >= m_NumValues || count < 0 || cards > kMaxCards || FindEntry(value) ||
          (count > 0 && !AppendEntry(value, count)))
        return Refuse("a bad entry");
    }
  }
  m_Copies = copies;
  used = at;
  return 1;
}
