// KCBL text arrives from files and from every node packet. Imports the input as it stands (no
// NUL behind it), walks and reads what came in, and writes it back with a line length taken from
// the first byte; the writer must never pass the size it is given. A text that reads whole
// writes back: what is written reads as the same items, and writes as the same text again.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/base/money.h"
#include "ostrel/kcbl/kcbl.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void ReadValues(CKCBL& k) {
  const int32_t n = k.GetNumStrings();
  for (int32_t i = 0; i < n && i < 8; ++i) {
    int32_t l;
    uint32_t u;
    double d;
    int32_t count = 0;
    TKCBLMoney m;
    k.GetLong(i, &l);
    k.GetULong(i, &u);
    k.GetDouble(i, &d);
    k.GetBool(i, &l);
    k.GetMoney(i, &m);
    if (k.GetNumArrayItems(i, &count) && count <= 64) {
      int32_t longs[64];
      TKCBLMoney amounts[64];
      k.GetLongArray(i, longs, count);
      k.GetMoneyArray(i, amounts, count);
    }
  }
  char text[16];
  int32_t l;
  k.GetItem(nullptr, KSTRING, 15, text, KLONG, &l, KEND);
}

template <class T>
void Append(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// The items of the current chunk and below, byte for byte: depth, block, each value's kind,
// place and element count.
void Dump(CKCBL& k, int32_t depth, std::string& out) {
  for (bool more = k.FirstItem(); more; more = k.NextItem(0)) {
    const TKCBLKeyword* it = k.GetCurKeyword();
    Append(out, depth);
    Append(out, it->m_Size);
    out.append(it->m_pData, it->m_Size);
    Append(out, it->m_NumStrings);
    for (uint32_t i = 0; i < it->m_NumStrings; ++i) {
      Append(out, it->m_pValues[i].m_Kind);
      Append(out, it->m_pValues[i].m_Offset);
      Append(out, it->m_pValues[i].m_Count);
    }
    Append(out, it->m_pChunk != nullptr);
    if (it->m_pChunk && k.EnterChunk()) {
      Dump(k, depth + 1, out);
      k.ExitChunk();
    }
  }
}

std::string Dump(CKCBL& k) {
  std::string out;
  k.MainChunk();
  Dump(k, 0, out);
  return out;
}

std::string Export(CKCBL& k) {
  int32_t len = 0;
  Check(k.ExportSize(&len) == 1);
  std::string out(static_cast<size_t>(len) + 1, '\0');
  Check(k.Export(out.data(), len + 1, &len, 0) == 1);
  out.resize(static_cast<size_t>(len));
  return out;
}

// A text of nothing but closing lines holds no item; written, it is the empty text, which
// reads as one blank line as it always has.
void RoundTrip(CKCBL& k, int32_t maxLine) {
  const std::string items = Dump(k);
  if (items.empty()) return;
  const std::string text = Export(k);
  CKCBL again;
  again.SetMaxLineLength(maxLine);
  Check(again.Import(text.c_str(), static_cast<int32_t>(text.size())) == 1);
  Check(Dump(again) == items);
  Check(Export(again) == text);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  CKCBL k;
  const int32_t maxLine = size ? data[0] % 48 : 0;
  k.SetMaxLineLength(maxLine);
  if (k.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) RoundTrip(k, maxLine);

  k.MainChunk();
  k.FirstItem();
  for (int steps = 0; steps < 20000 && k.ItemExists(); ++steps) {
    ReadValues(k);
    k.NextItem(1);
  }

  int32_t len = 0;
  if (k.ExportSize(&len)) {
    std::vector<char> out(static_cast<size_t>(len) + 2, '#');
    int32_t got = 0;
    Check(k.Export(out.data(), len + 1, &got, 0) == 1 && got == len && out[len] == 0 && out[len + 1] == '#');
    if (len > 0) {
      out.assign(out.size(), '#');
      Check(k.Export(out.data(), len, &got, 0) == 0 && got == -1 && out[len] == '#');
    }
    CKCBL again;
    again.Import(out.data(), len);
  }

  k.MainChunk();
  if (k.FirstItem() && k.GetKeyword()) {
    const char* first = k.GetKeyword();
    char keyword[32];
    std::strncpy(keyword, first, sizeof keyword - 1);
    keyword[sizeof keyword - 1] = 0;
    k.NextItem(0);
    k.FindItem(keyword, k.GetString(0));
    k.ReplaceItem(nullptr, KLONG, 1, KEND);
    k.KillItem();
  }
  return 0;
}
