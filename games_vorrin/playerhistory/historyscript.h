// The data chunk of a history script, entered for the life of the object.
#pragma once

#include <cstdint>

#include "ostrel/resources/resdata.h"

class CHistoryDataChunk {
 public:
  explicit CHistoryDataChunk(CResData* res) : m_pRes(res), m_In(res && res->EnterDataChunk()) {}
  ~CHistoryDataChunk() {
    if (m_In) m_pRes->ExitDataChunk();
  }
  CHistoryDataChunk(const CHistoryDataChunk&) = delete;
  CHistoryDataChunk& operator=(const CHistoryDataChunk&) = delete;

  bool In() const { return m_In; }
  // The cursor on the chunk's item of that name, searched from the chunk's start.
  bool Find(const char* keyword) {
    if (!m_In) return false;
    m_pRes->FirstItem();
    return m_pRes->FindItem(keyword) != 0;
  }
  // Value 0 of the item as a long; false when the item or the number is missing.
  bool FindLong(const char* keyword, int32_t& value) { return Find(keyword) && m_pRes->GetLong(0, &value); }

 private:
  CResData* m_pRes;
  bool m_In;
};
