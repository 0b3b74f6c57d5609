#include "historyrecord.h"

#include <cstring>
#include <new>

int32_t THistoryRecord::SetRoundText(const char* text, size_t length) {
  char* copy = new (std::nothrow) char[length + 1];
  if (!copy) return 0;
  if (length) std::memcpy(copy, text, length);
  copy[length] = '\0';
  delete[] m_pData;
  m_pData = copy;
  return 1;
}

void THistoryRecord::SetName(const char* name) {
  const size_t n = name ? strnlen(name, HISTORY_NAME_SIZE - 1) : 0;
  if (n) std::memcpy(m_Name, name, n);
  m_Name[n] = '\0';
}
