// Renders one TrueType face with FreeType into the system's XBF font file.
//
//   makefont --ttf FILE --height PIXELS --out FILE.xbf [--spacing PIXELS] [--advance PIXELS]
//
// The XBF file is a chunk file: the root chunk "XIFF" holds the chunk "XBF", which holds, in this
// order, "HEADER", "LETTER DATA" and "FONT BITMAP". A chunk is its name, a zero byte, a 32-bit size
// and that many bytes of data. Every number of the file (chunk sizes and header and record words)
// is LITTLE-ENDIAN; the font loader opens the file in that order.
//
//   HEADER       version byte 1; character height, letter spacing, line advance (16 bits each)
//   LETTER DATA  255 records for codes 0..254: x, y, width (16 bits each), type, amount (bytes)
//   FONT BITMAP  an 8-bit grey BMP; glyph coverage 0..255 in every channel, background 0
//
// Codes are Windows-1252 bytes. Code 0 ends the text (type 1), 10 is a new line (type 3, amount
// the line advance), 9 and 32 are word spaces (type 103), every other code is an ordinary
// character (type 0) whose cell is its glyph; codes without a glyph get an empty cell.
//
// The face is scaled so that its ascender and descender span --height pixels (the font's nominal
// size, the number in its file name). Accents on capitals and the ends of '|' and '_' reach beyond
// them, so the cell (the character height of the file) is as tall as the ink of the whole
// character set: the nominal span, grown by the pixels that ink passes it above and below. Cells
// lie in rows with a blank pixel around each, and the picture's first pixel is always background:
// it is the colour key the font draws with. The line advance is at least the cell height.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text/cp1252.h"

namespace {

constexpr int kCodes = 255;  // records 0..254; code 255 has none
constexpr int kPictureWidth = 512;
constexpr uint8_t kOrdinary = 0, kEndOfText = 1, kNewLine = 3, kWordSpace = 103;

struct SRecord {
  uint16_t x = 0, y = 0, width = 0;
  uint8_t type = kOrdinary, amount = 0;
};

// A rendered glyph as FreeType gives it: its coverage and where it lies around the pen.
struct SInk {
  int left = 0, top = 0;  // from the pen on the baseline; top counts upwards
  int width = 0, rows = 0, advance = 0;
  std::vector<uint8_t> coverage;  // width x rows
};

struct SGlyph {
  int width = 0;                   // cell width
  std::vector<uint8_t> coverage;   // width x cell height
};

struct SOptions {
  std::string ttf, out;
  int height = 0, spacing = 0, advance = -1;
};

[[noreturn]] void Fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "makefont: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  std::exit(1);
}

int ParseInt(const char* text, int low, int high) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (!end || *end || v < low || v > high) Fail("bad number", text);
  return static_cast<int>(v);
}

SOptions ParseArgs(int argc, char** argv) {
  SOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) Fail("missing value for", a);
    const char* v = argv[++i];
    if (a == "--ttf") o.ttf = v;
    else if (a == "--out") o.out = v;
    else if (a == "--height") o.height = ParseInt(v, 4, 200);
    else if (a == "--spacing") o.spacing = ParseInt(v, 0, 32);
    else if (a == "--advance") o.advance = ParseInt(v, 1, 254);
    else Fail("unknown option", a);
  }
  if (o.ttf.empty() || o.out.empty() || !o.height)
    Fail("usage", "makefont --ttf FILE --height PIXELS --out FILE [--spacing N] [--advance N]");
  return o;
}

class CFace {
 public:
  CFace(const std::string& path, int height) {
    if (FT_Init_FreeType(&m_Lib)) Fail("FreeType does not start");
    if (FT_New_Face(m_Lib, path.c_str(), 0, &m_Face)) Fail("cannot read the face", path);
    // Scale so that ascender + descender fill the cell exactly (26.6 fixed point).
    const long units = m_Face->ascender - m_Face->descender;
    if (units <= 0 || m_Face->units_per_EM == 0) Fail("face without vertical metrics", path);
    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(
        std::floor(64.0 * height * m_Face->units_per_EM / static_cast<double>(units)));
    if (FT_Set_Char_Size(m_Face, 0, size, 72, 72)) Fail("cannot scale the face", path);
    m_Baseline = static_cast<int>(
        std::lround(static_cast<double>(m_Face->ascender) * size / 64.0 / m_Face->units_per_EM));
  }
  ~CFace() {
    FT_Done_Face(m_Face);
    FT_Done_FreeType(m_Lib);
  }
  CFace(const CFace&) = delete;
  CFace& operator=(const CFace&) = delete;

  // The advance of a character in whole pixels; -1 when the face has no glyph for it.
  int Advance(uint32_t codePoint) {
    if (!Load(codePoint, FT_LOAD_TARGET_LIGHT)) return -1;
    return static_cast<int>((m_Face->glyph->advance.x + 32) >> 6);
  }

  // The nominal baseline: pixels from the top of the nominal span down to the baseline.
  int Baseline() const { return m_Baseline; }

  bool Render(uint32_t codePoint, SInk& ink) {
    if (!Load(codePoint, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) return false;
    const FT_GlyphSlot slot = m_Face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.width > 0) Fail("glyph not in grey levels");
    ink.left = slot->bitmap_left;
    ink.top = slot->bitmap_top;
    ink.width = static_cast<int>(bm.width);
    ink.rows = static_cast<int>(bm.rows);
    ink.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    ink.coverage.assign(static_cast<size_t>(ink.width) * ink.rows, 0);
    for (int r = 0; r < ink.rows; ++r)
      std::memcpy(&ink.coverage[static_cast<size_t>(r) * ink.width], bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch,
                  static_cast<size_t>(ink.width));
    return true;
  }

 private:
  bool Load(uint32_t codePoint, FT_Int32 flags) {
    const FT_UInt index = FT_Get_Char_Index(m_Face, codePoint);
    return index != 0 && FT_Load_Glyph(m_Face, index, flags) == 0;
  }

  FT_Library m_Lib = nullptr;
  FT_Face m_Face = nullptr;
  int m_Baseline = 0;
};

// The glyph in a cell as wide as its advance and cellHeight high, its baseline `baseline` rows
// down; a glyph that would stick out of the cell on the left is moved right, and the cell widened
// on the right, so no ink is lost.
SGlyph PlaceInCell(const SInk& ink, int baseline, int cellHeight) {
  SGlyph g;
  const int left = std::max(0, ink.left);
  g.width = std::max(ink.advance, left + ink.width);
  g.coverage.assign(static_cast<size_t>(g.width) * cellHeight, 0);
  const int top = baseline - ink.top;
  for (int r = 0; r < ink.rows; ++r) {
    const int y = top + r;
    if (y < 0 || y >= cellHeight) Fail("ink outside its cell");
    std::memcpy(&g.coverage[static_cast<size_t>(y) * g.width + left], &ink.coverage[static_cast<size_t>(r) * ink.width],
                static_cast<size_t>(ink.width));
  }
  return g;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// An 8-bit BMP with a grey palette, rows bottom-up, each padded to 4 bytes.
std::vector<uint8_t> MakeBmp(const std::vector<uint8_t>& pixels, int width, int height) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) + 3) & ~3u;
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + rowBytes * height);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);  // no compression
  Put32(out, rowBytes * height);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 256);
  Put32(out, 0);
  for (int i = 0; i < 256; ++i) {
    for (int c = 0; c < 3; ++c) out.push_back(static_cast<uint8_t>(i));
    out.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = pixels.data() + static_cast<size_t>(y) * width;
    out.insert(out.end(), row, row + width);
    out.resize(out.size() + (rowBytes - width), 0);
  }
  return out;
}

void PutChunk(std::vector<uint8_t>& out, const char* name, const std::vector<uint8_t>& data) {
  out.insert(out.end(), name, name + std::strlen(name) + 1);
  Put32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

int main(int argc, char** argv) {
  const SOptions opt = ParseArgs(argc, argv);
  CFace face(opt.ttf, opt.height);

  // The ink of the whole character set decides the cell: from the highest accent to the lowest
  // descender, and never less than the nominal span.
  std::vector<SInk> inks(kCodes);
  std::vector<bool> present(kCodes, false);
  int above = face.Baseline(), below = opt.height - face.Baseline();
  for (int code = 33; code < kCodes; ++code) {
    const uint32_t cp = code == 0xA0 ? ' ' : PlatformCp1252ToUnicode(static_cast<uint8_t>(code));
    present[code] = face.Render(cp, inks[code]);
    if (!present[code] || inks[code].rows == 0) continue;
    above = std::max(above, inks[code].top);
    below = std::max(below, inks[code].rows - inks[code].top);
  }
  const int h = above + below;
  if (h > 254) Fail("ink taller than a font cell may be");
  const int advance = opt.advance >= 0 ? opt.advance : std::min(std::max(opt.height + 2, h), 254);
  std::vector<SGlyph> glyphs(kCodes);
  for (int code = 33; code < kCodes; ++code)
    if (present[code]) glyphs[code] = PlaceInCell(inks[code], above, h);

  SRecord records[kCodes];
  const int space = std::max(1, face.Advance(' '));
  records[0].type = kEndOfText;
  records[10].type = kNewLine;
  records[10].amount = static_cast<uint8_t>(advance);
  records[9].type = kWordSpace;
  records[9].amount = static_cast<uint8_t>(std::min(4 * space, 254));
  records[32].type = kWordSpace;
  records[32].amount = static_cast<uint8_t>(std::min(space, 254));

  // Cells in rows, one blank pixel around each; (0, 0) stays background.
  int x = 1, y = 1;
  for (int code = 33; code < kCodes; ++code) {
    const SGlyph& g = glyphs[code];
    if (g.width == 0) continue;
    if (g.width > kPictureWidth - 2) Fail("glyph wider than the picture");
    if (x + g.width + 1 > kPictureWidth) {
      x = 1;
      y += h + 1;
    }
    records[code].x = static_cast<uint16_t>(x);
    records[code].y = static_cast<uint16_t>(y);
    records[code].width = static_cast<uint16_t>(g.width);
    x += g.width + 1;
  }
  const int pictureHeight = y + h + 1;
  if (pictureHeight > 65535) Fail("picture too tall");
  std::vector<uint8_t> picture(static_cast<size_t>(kPictureWidth) * pictureHeight, 0);
  for (int code = 33; code < kCodes; ++code) {
    const SGlyph& g = glyphs[code];
    for (int r = 0; r < h && g.width; ++r)
      std::memcpy(&picture[static_cast<size_t>(records[code].y + r) * kPictureWidth + records[code].x],
                  &g.coverage[static_cast<size_t>(r) * g.width], g.width);
  }

  std::vector<uint8_t> header{1};
  Put16(header, h);
  Put16(header, opt.spacing);
  Put16(header, advance);
  std::vector<uint8_t> letters;
  for (const SRecord& r : records) {
    Put16(letters, r.x);
    Put16(letters, r.y);
    Put16(letters, r.width);
    letters.push_back(r.type);
    letters.push_back(r.amount);
  }
  std::vector<uint8_t> xbf, root, file;
  PutChunk(xbf, "HEADER", header);
  PutChunk(xbf, "LETTER DATA", letters);
  PutChunk(xbf, "FONT BITMAP", MakeBmp(picture, kPictureWidth, pictureHeight));
  PutChunk(root, "XBF", xbf);
  PutChunk(file, "XIFF", root);

  // Written beside the target and renamed, so an interrupted build never leaves half a font.
  const std::string temp = opt.out + ".tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) Fail("cannot create", temp);
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  if (std::fclose(f) != 0 || !ok) Fail("cannot write", temp);
  if (std::rename(temp.c_str(), opt.out.c_str()) != 0) Fail("cannot rename to", opt.out);
  return 0;
}
