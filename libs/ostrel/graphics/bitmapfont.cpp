#include "ostrel/graphics/bitmapfont.h"

#include <cstring>
#include <limits>

#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/debug.h"

namespace {
// Spacings have the 16-bit range of CFont's; anything beyond is a broken or hostile script.
constexpr int32_t kMaxSpacing = 32767;

bool Fits32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}
}  // namespace

int32_t CBitmapFont::Destroy() {
  m_Sets.clear();
  m_Picture.Free();
  m_CharSpacing = m_LineSpacing = 0;
  return 1;
}

int32_t CBitmapFont::Create(const char* name, CKCBL* script, uint32_t orientation) {
  Destroy();
  m_Orientation = orientation;
  if (!name || !script) return 0;
  script->PushChunk();
  const bool found = script->EnterChunk("Data") && script->FindItem(name);
  int32_t ok = found ? 1 : 0;
  const char* picture = found ? script->GetString(0) : nullptr;
  const std::string file = picture ? picture : "";
  if (!picture || !script->GetLong(1, &m_CharSpacing) || !script->GetLong(2, &m_LineSpacing))
    ok = 0;
  for (int32_t n = 3; ok && n + 3 < script->GetNumStrings(); n += 4) {
    const char* chars = script->GetString(n);
    TCharSet set{chars ? chars : "", 0, 0, 0};
    if (!script->GetLong(n + 1, &set.x) || !script->GetLong(n + 2, &set.y) ||
        !script->GetLong(n + 3, &set.width) || set.width < 0)
      ok = 0;
    if (set.x == -1) set.x = 0;
    m_Sets.push_back(set);
  }
  script->PopChunk();
  if (ok && (m_CharSpacing < -kMaxSpacing || m_CharSpacing > kMaxSpacing || m_LineSpacing < -kMaxSpacing ||
             m_LineSpacing > kMaxSpacing))
    ok = 0;
  if (!ok || !m_Picture.Load(file.c_str(), 0) || !SetsInsidePicture()) {
    xprintf("CBitmapFont::Create: the font \"%s\" is missing or incomplete", name);
    Destroy();
    return 0;
  }
  return 1;
}

// Every cell of every set lies inside the picture: x + characters x width at most its width.
bool CBitmapFont::SetsInsidePicture() const {
  for (const TCharSet& set : m_Sets) {
    const int64_t right = int64_t{set.x} + static_cast<int64_t>(set.chars.size()) * set.width;
    if (set.x < 0 || set.y < 0 || set.y >= m_Picture.m_Height || right > m_Picture.m_Width) return false;
  }
  return true;
}

int32_t CBitmapFont::Print(CBitmapBase* target, TPoint pos, int32_t extraLineSpacing,
                           const char* text) {
  if (!target || !text || !m_Picture.m_pData) return 0;
  // The pen may run far off any target on a long text; it is followed in 64 bits and a cell is
  // drawn only where its corner is a 32-bit position.
  int64_t x = pos.x, y = pos.y;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') {
      x = pos.x;
      y += int64_t{m_LineSpacing} + extraLineSpacing;
      continue;
    }
    for (const TCharSet& set : m_Sets) {
      const char* at = std::strchr(set.chars.c_str(), *p);
      if (!at) continue;
      const auto k = static_cast<int32_t>(at - set.chars.c_str());
      const int32_t height = m_Picture.m_Height - set.y;
      if (set.width > 0 && Fits32(x) && Fits32(y))  // -1 would mean the whole picture to Blt
        target->Blt(&m_Picture, set.x + k * set.width, set.y, static_cast<int32_t>(x), static_cast<int32_t>(y),
                    set.width, height, BLT_MODE_KEY, 0, 0);
      x += int64_t{set.width} + m_CharSpacing;
      break;
    }
  }
  return 1;
}
