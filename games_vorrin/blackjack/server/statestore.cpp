#include "statestore.h"

#include <cstring>

namespace {
// Longest money text: sign, ten digits, point, ten decimals.
constexpr int32_t kMoneyTextMax = 32;
}  // namespace

void CKavoStateWriter::AddLong(int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) m_Out.push_back(static_cast<uint8_t>(bits >> shift));
}

void CKavoStateWriter::AddMoney(const CHugeFixedPoint<10, 10>& value) {
  char text[kMoneyTextMax + 1];
  CHugeFixedPoint<10, 10>::Print(value, text, -1, 10);
  const int32_t length = static_cast<int32_t>(strlen(text));
  AddLong(value.GetError());
  AddLong(length);
  m_Out.insert(m_Out.end(), text, text + length);
}

int32_t CKavoStateReader::GetLong(int32_t& value) {
  value = 0;
  if (!m_Ok || m_Size - m_Pos < 4) return m_Ok = 0;
  uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = bits << 8 | m_pData[m_Pos + static_cast<size_t>(i)];
  m_Pos += 4;
  value = static_cast<int32_t>(bits);
  return 1;
}

int32_t CKavoStateReader::GetMoney(CHugeFixedPoint<10, 10>& value) {
  value = CHugeFixedPoint<10, 10>();
  int32_t error = 0, length = 0;
  if (!GetLong(error) || !GetLong(length)) return 0;
  if (length <= 0 || length > kMoneyTextMax || m_Size - m_Pos < static_cast<size_t>(length)) return m_Ok = 0;
  char text[kMoneyTextMax + 1];
  memcpy(text, m_pData + m_Pos, static_cast<size_t>(length));
  text[length] = 0;
  m_Pos += static_cast<size_t>(length);
  if (!CHugeFixedPoint<10, 10>::Translate(text, value)) return m_Ok = 0;
  value.SetError(error);
  return 1;
}

void CKavoStateReader::Skip(size_t bytes) {
  if (bytes > m_Size - m_Pos) {
    m_Ok = 0;
    m_Pos = m_Size;
    return;
  }
  m_Pos += bytes;
}
