#include "ostrel/graphics/font.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/files/filehelpers.h"
#include "ostrel/files/xiff.h"
#include "ostrel/graphics/fontcolor.h"
#include "ostrel/graphics/fontscreen.h"
#include "ostrel/graphics/pictype.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"

namespace {
constexpr uint8_t kVersion = 1;
constexpr uint32_t kRecordBytes = 8;
// A font picture is a few hundred pixels each way; anything near this is no font.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 22;

// Reads one chunk's data whole: at the chunk's name inside the current chunk.
bool ReadChunk(CXIFF& f, const char* name, uint32_t fileSize, std::unique_ptr<uint8_t[]>& data,
               uint32_t& size) {
  if (!f.FindChunk(name, &size, 0) || size > fileSize || !f.EnterChunk()) return false;
  data.reset(new (std::nothrow) uint8_t[size ? size : 1]);
  const bool ok = data && f.Read(data.get(), size);
  f.ExitChunk();
  return ok;
}

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The picture's size from its BMP header, to refuse absurd pictures before decoding them.
bool PlausibleBmp(const uint8_t* data, uint32_t size) {
  if (size < 26) return false;
  const auto dword = [data](int at) {
    return static_cast<int32_t>(static_cast<uint32_t>(data[at]) | data[at + 1] << 8 |
                                data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24);
  };
  const int64_t w = dword(18), h = dword(22);
  return w > 0 && h > 0 && w * h <= kMaxPicturePixels;
}

// The picture is a whole BMP file inside the font file, read by the registered BMP type.
CPicType* BmpType() {
  return glb && glb->m_pPicTypeList ? glb->m_pPicTypeList->GetType("font.bmp") : nullptr;
}
}  // namespace

CFont::CFont() { ClearChars(); }

CFont::~CFont() { Free(); }

void CFont::ClearChars() {
  std::memset(m_Chars, 0, sizeof m_Chars);
  m_Height = m_Spacing = m_LineAdvance = 0;
  m_AdvanceStale = true;
}

void CFont::MakeAdvances() {
  // The terminator ends the text whatever its record says.
  for (int32_t c = 0; c < 256; ++c)
    m_Advance[c] = c > 0 && c < FONT_CODES && m_Chars[c].type == FONT_CHAR
                       ? m_Chars[c].width + m_Spacing
                       : -1;
  m_AdvanceStale = false;
}

int32_t CFont::Free() {
  m_Colors.clear();
  m_pDefault.reset();
  if (m_Loaded) delete m_pPicture;
  m_pPicture = nullptr;
  m_Loaded = 0;
  return 1;
}

int32_t CFont::Load(const char* fileName, int16_t) {
  Free();
  ClearChars();
  CPicType* bmpType = BmpType();
  uint32_t fileSize = 0;
  if (!bmpType || !fileName || !xFileSize(fileName, &fileSize)) return 0;
  CXIFF f;
  if (!f.Open(fileName, XFILE_READ | XFILE_LITTLE)) {
    xprintf("CFont::Load: %s is no chunk file", fileName);
    return 0;
  }
  std::unique_ptr<uint8_t[]> header, letters, bmp;
  uint32_t headerSize = 0, lettersSize = 0, bmpSize = 0;
  if (!f.FindChunk("XBF", nullptr, 0) || !f.EnterChunk() ||
      !ReadChunk(f, "HEADER", fileSize, header, headerSize) || headerSize < 7 ||
      !ReadChunk(f, "LETTER DATA", fileSize, letters, lettersSize) ||
      lettersSize < FONT_CODES * kRecordBytes ||
      !ReadChunk(f, "FONT BITMAP", fileSize, bmp, bmpSize)) {
    xprintf("CFont::Load: %s misses a chunk of the font", fileName);
    return 0;
  }
  f.Close();
  if (header[0] != kVersion || Word(header.get() + 1) == 0) {
    xprintf("CFont::Load: %s: version %d, height %d", fileName, header[0], Word(header.get() + 1));
    return 0;
  }
  m_Height = Word(header.get() + 1);
  m_Spacing = Word(header.get() + 3);
  m_LineAdvance = Word(header.get() + 5);
  for (int32_t i = 0; i < FONT_CODES; ++i) {
    const uint8_t* r = letters.get() + i * kRecordBytes;
    m_Chars[i] = {Word(r), Word(r + 2), Word(r + 4), r[6], r[7]};
  }
  m_AdvanceStale = true;
  m_pPicture = new (std::nothrow) CBitmap;
  m_Loaded = 1;  // the picture is ours from here on
  if (!m_pPicture || !PlausibleBmp(bmp.get(), bmpSize) ||
      !bmpType->LoadMemory(bmp.get(), bmpSize, m_pPicture, nullptr) || !CellsInsidePicture() ||
      !MakeDefaultColor()) {
    xprintf("CFont::Load: %s: the font picture is unusable", fileName);
    Free();
    ClearChars();
    return 0;
  }
  return 1;
}

int32_t CFont::CellsInsidePicture() const {
  if (!m_pPicture) return 0;
  for (const TFontChar& c : m_Chars)
    if (c.x + c.width > m_pPicture->m_Width || c.y + m_Height > m_pPicture->m_Height) return 0;
  return 1;
}

int32_t CFont::MakeDefaultColor() {
  CBitmap* p = m_pPicture;
  p->m_ClipRect.Set(0, 0, p->m_Width - 1, p->m_Height - 1);
  auto copy = std::make_unique<CFontColor>(m_Chars, m_Height);
  CBitmap& b = copy->m_Bitmap;
  if (!b.CreateRGB(p->m_Width, p->m_Height, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
  b.Blt(p, 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 1, 0);
  if (!xFontMakeScreenFormat(&b)) return 0;
  m_pDefault = std::move(copy);
  return 1;
}

int32_t CFont::SetFont(CBitmap* picture, const TCharData* chars, int16_t firstCode, int16_t height,
                       int16_t spacing) {
  Free();
  ClearChars();
  if (!picture || height < 1) return 0;
  m_pPicture = picture;
  m_Height = static_cast<uint16_t>(height);
  m_Spacing = static_cast<uint16_t>(spacing);
  if (chars)
    for (int32_t code = std::max<int32_t>(firstCode, 0); code < FONT_CODES; ++code, ++chars) {
      if (chars->width == 0xFFFF) break;
      m_Chars[code] = {chars->x, chars->y, chars->width, FONT_CHAR, 0};
    }
  m_AdvanceStale = true;
  SetDefaults();
  return MakeDefaultColor();
}

void CFont::SetDefaults() {
  // The amount is a byte, and 255 would read the next character: taller fonts get 254.
  const uint8_t lineAdvance = static_cast<uint8_t>(std::min<int32_t>(m_Height + 2, 254));
  SetBasic(10, FONT_NEWLINE, lineAdvance);
  SetBasic(32, FONT_RIGHT, 4);
  SetBasic(0, FONT_END, 0);
}

int32_t CFont::SetBasic(uint8_t code, uint8_t type, uint8_t amount) {
  if (code >= FONT_CODES || amount == FONT_AMOUNT_NEXT) return 0;
  m_Chars[code].type = type;
  m_Chars[code].amount = amount;
  m_AdvanceStale = true;
  if (type == FONT_NEWLINE) m_LineAdvance = amount;
  return 1;
}

int32_t CFont::SetCtrlCode(uint8_t code, uint8_t type) {
  if (code >= FONT_CODES) return 0;
  m_Chars[code].type = type;
  m_Chars[code].amount = FONT_AMOUNT_NEXT;
  m_AdvanceStale = true;
  return 1;
}

CFontColor* CFont::FindColor(const TRGBA& c) {
  for (const auto& copy : m_Colors)
    if (copy->m_Colour.r == c.r && copy->m_Colour.g == c.g && copy->m_Colour.b == c.b)
      return copy.get();
  return nullptr;
}

int32_t CFont::CreateColor(const TRGBA* colour) {
  if (!colour || !m_pPicture || !m_pPicture->m_pData) return 0;
  if (FindColor(*colour)) return 1;
  // The area every cell covers, kept inside the picture.
  int32_t left = m_pPicture->m_Width, top = m_pPicture->m_Height, right = 0, bottom = 0;
  for (const TFontChar& c : m_Chars) {
    left = std::min<int32_t>(left, c.x);
    top = std::min<int32_t>(top, c.y);
    right = std::max<int32_t>(right, c.x + c.width);
    bottom = std::max<int32_t>(bottom, c.y + m_Height);
  }
  right = std::min(right, m_pPicture->m_Width);
  bottom = std::min(bottom, m_pPicture->m_Height);
  if (right <= left || bottom <= top) return 0;
  auto copy = std::make_unique<CFontColor>(m_Chars, m_Height);
  copy->m_Left = static_cast<int16_t>(left);
  copy->m_Top = static_cast<int16_t>(top);
  copy->m_Colour = *colour;
  CBitmap& b = copy->m_Bitmap;
  if (!b.CreateRGB(right - left, bottom - top, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
  // Grey levels of the picture scale the colour; RGB24 stores red, green, blue in that order.
  for (int32_t y = top; y < bottom; ++y) {
    uint8_t* d = b.m_pData + static_cast<ptrdiff_t>(y - top) * b.m_Pitch;
    for (int32_t x = left; x < right; ++x, d += 3) {
      TRGBA px;
      m_pPicture->GetPixel(x, y, &px);
      d[0] = static_cast<uint8_t>(colour->r * px.b / 255);
      d[1] = static_cast<uint8_t>(colour->g * px.b / 255);
      d[2] = static_cast<uint8_t>(colour->b * px.b / 255);
    }
  }
  if (!xFontMakeColorForScreen(&b)) return 0;
  m_Colors.push_back(std::move(copy));
  return 1;
}
