#include "ostrel/graphics/dib.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "ostrel/graphics/palette.h"

namespace {
constexpr uint32_t kMaxHeaderSize = 124;
constexpr int64_t kMaxBits = INT32_MAX;

int64_t PitchOf(int64_t width, int32_t bits) { return ((width * bits + 31) / 32) * 4; }

uint32_t EntriesFor(const TDibHeader* h) {
  if (h->Size == DIB_HEADER_SIZE && h->ClrUsed) return h->ClrUsed;
  switch (h->BitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

TDibHeader* NewInfo(size_t bytes) {
  auto* block = static_cast<TDibHeader*>(::operator new(bytes, std::nothrow));
  if (block) std::memset(static_cast<void*>(block), 0, bytes);
  return block;
}
}  // namespace

void CDib::Exit() {
  ::operator delete(m_pInfo);
  m_pInfo = nullptr;
  if (m_OwnsBits) delete[] m_pBits;
  m_pBits = nullptr;
  m_OwnsBits = false;
}

int32_t CDib::Create(int32_t width, int32_t height, int32_t bits) {
  Exit();
  if (width <= 0 || height <= 0) return 0;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
  const int64_t size = PitchOf(width, bits) * height;
  if (size > kMaxBits) return 0;
  const uint32_t colours = bits < 24 ? 1u << bits : 0;
  m_pInfo = NewInfo(DIB_HEADER_SIZE + colours * sizeof(TDibColour));
  m_pBits = new (std::nothrow) uint8_t[static_cast<size_t>(size)]();
  if (!m_pInfo || !m_pBits) {
    m_pLastError = "Out of memory";
    delete[] m_pBits;
    m_pBits = nullptr;
    Exit();
    return 0;
  }
  m_OwnsBits = true;
  m_pInfo->Size = DIB_HEADER_SIZE;
  m_pInfo->Width = width;
  m_pInfo->Height = -height;
  m_pInfo->Planes = 1;
  m_pInfo->BitCount = static_cast<uint16_t>(bits);
  m_pInfo->Compression = DIB_RGB;
  m_pInfo->SizeImage = static_cast<uint32_t>(size);
  m_pInfo->ClrUsed = colours;
  return 1;
}

int32_t CDib::Create(const TDibHeader* info, uint8_t* bits) {
  if (!info || info->Size < DIB_HEADER_SIZE || info->Size > kMaxHeaderSize) return 0;
  const uint32_t colours = EntriesFor(info);
  if (colours > 65536) return 0;
  const size_t bytes = info->Size + static_cast<size_t>(colours) * sizeof(TDibColour);
  TDibHeader* copy = NewInfo(bytes);
  if (!copy) {
    m_pLastError = "Out of memory";
    return 0;
  }
  std::memcpy(static_cast<void*>(copy), info, bytes);
  Exit();
  m_pInfo = copy;
  m_pBits = bits;
  m_OwnsBits = false;
  return 1;
}

int32_t CDib::GetWidth() const { return m_pInfo ? m_pInfo->Width : 0; }

int32_t CDib::GetHeight() const { return m_pInfo ? std::abs(m_pInfo->Height) : 0; }

int32_t CDib::GetNumColorEntries() const {
  return m_pInfo ? static_cast<int32_t>(EntriesFor(m_pInfo)) : 0;
}

TDibColour* CDib::GetColTabAddress() const {
  if (!m_pInfo) return nullptr;
  return reinterpret_cast<TDibColour*>(reinterpret_cast<uint8_t*>(m_pInfo) + m_pInfo->Size);
}

int32_t CDib::GetPitch() const {
  return m_pInfo ? static_cast<int32_t>(PitchOf(m_pInfo->Width, m_pInfo->BitCount)) : 0;
}

int32_t CDIBPal::Create(const CDib* dib) {
  Exit();
  if (!dib || !dib->GetInfo()) return 0;
  const int32_t n = dib->GetNumColorEntries();
  if (n <= 0) return 0;
  const TDibColour* table = dib->GetColTabAddress();
  m_NumEntries = n < DIBPAL_MAX_ENTRIES ? n : DIBPAL_MAX_ENTRIES;
  for (int32_t i = 0; i < m_NumEntries; ++i)
    m_Entries[i] = TRGBA(table[i].Red, table[i].Green, table[i].Blue, 0);
  return 1;
}

int32_t CDIBPal::Create(const CPalette* palette) {
  Exit();
  if (!palette) return 0;
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    const TRGBA& e = palette->Entry(i);
    m_Entries[i] = TRGBA(e.r, e.g, e.b, 0);
  }
  m_NumEntries = PALETTE_SIZE;
  return 1;
}

int32_t CDIBPal::SetSysPalColors(void*) { return 0; }
