#include "ostrel/graphics/palette.h"

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"

namespace {
constexpr char kDefaultName[] = ".pal";
constexpr int32_t kHeaderSize = 24;
// Above the largest possible distance (3 * 255 * 255), so the first candidate always wins.
constexpr int32_t kNoDistance = 196608;

inline int32_t Distance(const TRGBA& e, const TRGBA& c) {
  const int32_t dr = e.r - c.r, dg = e.g - c.g, db = e.b - c.b;
  return dr * dr + dg * dg + db * db;
}

// The nearest of entries [first, end) other than skip, lower index first; -1 when none is left.
int32_t Nearest(const TRGBA* entries, int32_t first, int32_t end, int32_t skip, const TRGBA& c) {
  int32_t best = kNoDistance, found = -1;
  for (int32_t i = first; i < end; ++i) {
    if (i == skip) continue;
    const int32_t d = Distance(entries[i], c);
    if (d < best) {
      best = d;
      found = i;
      if (d == 0) break;  // nothing comes closer, and later ties lose
    }
  }
  return found;
}
}  // namespace

CPalette::CPalette() {
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    m_Entries[i].r = m_Entries[i].g = m_Entries[i].b = static_cast<uint8_t>(i);
    m_Entries[i].a = 0;
  }
  m_pName = xStrdup(kDefaultName);
}

CPalette::~CPalette() { xFree(m_pName); }

int32_t CPalette::SetName(const char* name) {
  if (!name) return 0;
  char* copy = xStrdup(name);
  if (!copy) return 0;
  xFree(m_pName);
  m_pName = copy;
  return 1;
}

int32_t CPalette::Clone(const CPalette* other) {
  if (!other) return 0;
  if (other == this) return 1;
  if (!SetName(other->m_pName ? other->m_pName : kDefaultName)) return 0;
  m_FirstIndex = other->m_FirstIndex;
  m_LastIndex = other->m_LastIndex;
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) m_Entries[i] = other->m_Entries[i];
  return 1;
}

int32_t CPalette::Load(const char* fileName) {
  CFile file;
  if (!file.Open(fileName, XFILE_READ)) return 0;
  SetName(fileName);
  if (!file.Seek(kHeaderSize, XSEEK_BOUNDSTART)) return 0;
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    uint8_t rec[4];
    if (!file.Read(rec, sizeof rec)) return 0;
    m_Entries[i].r = rec[0];
    m_Entries[i].g = rec[1];
    m_Entries[i].b = rec[2];
  }
  return 1;
}

int32_t CPalette::SetPalette(TRGBA* const* colours) {
  if (!colours) return 0;
  for (int32_t i = 0; i < PALETTE_SIZE; ++i)
    if (colours[i]) m_Entries[i] = *colours[i];
  return 1;
}

int32_t CPalette::SetIndex(const TRGBA* colour, int32_t index) {
  if (colour && index >= 0 && index < PALETTE_SIZE) {
    m_Entries[index].r = colour->r;
    m_Entries[index].g = colour->g;
    m_Entries[index].b = colour->b;
  }
  return 1;
}

int32_t CPalette::GetIndex(TRGBA* colour, int32_t index) const {
  if (!colour) return 0;
  if (index < 0 || index >= PALETTE_SIZE) {
    colour->Set(0, 0, 0, 0);
    return 0;
  }
  colour->r = m_Entries[index].r;
  colour->g = m_Entries[index].g;
  colour->b = m_Entries[index].b;
  return 1;
}

int32_t CPalette::FindMatch(const TRGBA* colour) const {
  if (m_FirstIndex >= m_LastIndex || !colour) return m_FirstIndex;
  return Nearest(m_Entries, m_FirstIndex, m_LastIndex, -1, *colour);
}

int32_t CPalette::FindSecondBest(const TRGBA* colour) const {
  if (m_FirstIndex > m_LastIndex || !colour) return m_FirstIndex;
  const int32_t found =
      Nearest(m_Entries, m_FirstIndex, m_LastIndex + 1, FindMatch(colour), *colour);
  return found < 0 ? m_FirstIndex : found;
}

const CPalette& xGreyPalette() {
  static const CPalette grey;
  return grey;
}
