// The server table's state store: one growing block of bytes that the table and the game append
// their state to for a save, and read back in the same order when the game is restored.
#include <cstring>
#include <new>
#include <stdexcept>

#include "common/tables/servertablebase.h"
#include "common/tables/statebytes.h"
#include "ostrel/system/debug.h"

namespace {
// Runs an append; a store that cannot grow marks the save failed.
template <class Append>
int32_t Grow(int32_t& failed, Append append) {
  if (failed) return 0;
  try {
    append();
  } catch (const std::bad_alloc&) {
    failed = 1;
    xprintf("CServerTableBase: the state store cannot grow");
    return 0;
  } catch (const std::length_error&) {
    failed = 1;
    return 0;
  }
  return 1;
}
}  // namespace

int32_t CServerTableBase::InitVarStore(uint32_t size) {
  FreeVarStore();
  return Grow(m_VarStoreFailed, [&] { m_VarStore.reserve(size); });
}

void CServerTableBase::FreeVarStore() {
  std::vector<uint8_t>().swap(m_VarStore);
  m_VarStoreRead = 0;
  m_VarStoreShort = 0;
  m_VarStoreFailed = 0;
}

int32_t CServerTableBase::SSAddLong(uint32_t value) {
  return Grow(m_VarStoreFailed, [&] { xStatePutLong(m_VarStore, value); });
}

int32_t CServerTableBase::SSAddDouble(double value) {
  return Grow(m_VarStoreFailed, [&] { xStatePutDouble(m_VarStore, value); });
}

int32_t CServerTableBase::SSAddString(const char* text) {
  if (!text) text = "";
  return SSAddBytes(text, strlen(text) + 1);
}

int32_t CServerTableBase::SSAddMoney(const TMoney& value) {
  const CString text = value.GetString();
  if (text.Length() == 0) {
    m_VarStoreFailed = 1;
    return 0;
  }
  return SSAddString(static_cast<const char*>(text));
}

int32_t CServerTableBase::SSAddBytes(const void* data, size_t size) {
  if (!size) return m_VarStoreFailed ? 0 : 1;
  if (!data) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  return Grow(m_VarStoreFailed, [&] { m_VarStore.insert(m_VarStore.end(), bytes, bytes + size); });
}

int32_t CServerTableBase::SSSkip(size_t n) {
  if (n > SSBytesLeft()) {
    m_VarStoreShort = 1;
    return 0;
  }
  m_VarStoreRead += n;
  return 1;
}

int32_t CServerTableBase::SSGetLong() {
  if (SSBytesLeft() < 4) {
    m_VarStoreShort = 1;
    return 0;
  }
  const uint32_t value = xStateGetLong(SSReadPointer());
  m_VarStoreRead += 4;
  return static_cast<int32_t>(value);
}

double CServerTableBase::SSGetDouble() {
  if (SSBytesLeft() < 8) {
    m_VarStoreShort = 1;
    return 0.0;
  }
  const double value = xStateGetDouble(SSReadPointer());
  m_VarStoreRead += 8;
  return value;
}

const char* CServerTableBase::SSGetString() {
  const size_t left = SSBytesLeft();
  const auto* text = reinterpret_cast<const char*>(SSReadPointer());
  const void* nul = left ? memchr(text, 0, left) : nullptr;
  if (!nul) {
    m_VarStoreShort = 1;
    return nullptr;
  }
  m_VarStoreRead += static_cast<size_t>(static_cast<const char*>(nul) - text) + 1;
  return text;
}

CTableBase::TMoney CServerTableBase::SSGetMoney() {
  TMoney value;
  const char* text = SSGetString();
  if (!text) {
    value.SetError(1);
    return value;
  }
  value = text;
  return value;
}
