// The bytes a blackjack table saves its round in, read back in the same order: longs as 4 bytes
// little-endian, money as its error flag (a long), the length of its text (a long) and the text.
// A reader that runs short, or meets a malformed amount, fails and stays failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ostrel/base/money.h"

class CKavoStateWriter {
 public:
  explicit CKavoStateWriter(std::vector<uint8_t>& out) : m_Out(out) {}
  void AddLong(int32_t value);
  void AddMoney(const CHugeFixedPoint<10, 10>& value);
  std::vector<uint8_t>& Bytes() { return m_Out; }

 private:
  std::vector<uint8_t>& m_Out;
};

class CKavoStateReader {
 public:
  CKavoStateReader(const uint8_t* data, size_t size) : m_pData(data), m_Size(size) {}
  // 0 (and the value 0) once the bytes are used up or malformed.
  int32_t GetLong(int32_t& value);
  int32_t GetMoney(CHugeFixedPoint<10, 10>& value);
  // The bytes not read yet, for a part that reads itself (the shoe).
  const uint8_t* Rest() const { return m_pData + m_Pos; }
  size_t RestSize() const { return m_Size - m_Pos; }
  void Skip(size_t bytes);
  int32_t Ok() const { return m_Ok; }

 private:
  const uint8_t* m_pData;
  size_t m_Size;
  size_t m_Pos = 0;
  int32_t m_Ok = 1;
};
