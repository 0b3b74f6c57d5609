// The generated fonts against FreeType itself: every character of the set, rendered by FreeType at
// the font's nominal size (the face's ascender to descender spanning the number in the file
// name), must reach the font whole. Drawn alone in white with our font, a character's pixels add
// up to FreeType's coverage; ink lost at a cell's edge shows as a smaller sum.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "platform/text/cp1252.h"
#include "support/runtimefixture.h"

namespace {

class CFreeTypeFace {
 public:
  CFreeTypeFace(const std::string& path, int nominalHeight) {
    m_Ok = FT_Init_FreeType(&m_Lib) == 0 && FT_New_Face(m_Lib, path.c_str(), 0, &m_Face) == 0;
    if (!m_Ok) return;
    const double units = static_cast<double>(m_Face->ascender - m_Face->descender);
    const auto size = static_cast<FT_F26Dot6>(std::floor(64.0 * nominalHeight * m_Face->units_per_EM / units));
    m_Ok = FT_Set_Char_Size(m_Face, 0, size, 72, 72) == 0;
  }
  ~CFreeTypeFace() {
    if (m_Face) FT_Done_Face(m_Face);
    if (m_Lib) FT_Done_FreeType(m_Lib);
  }
  CFreeTypeFace(const CFreeTypeFace&) = delete;
  CFreeTypeFace& operator=(const CFreeTypeFace&) = delete;
  bool Ok() const { return m_Ok; }

  // The sum of the character's coverage; -1 when the face has no glyph for it.
  int64_t Coverage(uint32_t codePoint) {
    const FT_UInt index = FT_Get_Char_Index(m_Face, codePoint);
    if (!index || FT_Load_Glyph(m_Face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) return -1;
    const FT_Bitmap& bm = m_Face->glyph->bitmap;
    int64_t sum = 0;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) sum += bm.buffer[static_cast<ptrdiff_t>(r) * bm.pitch + c];
    return sum;
  }

 private:
  FT_Library m_Lib = nullptr;
  FT_Face m_Face = nullptr;
  bool m_Ok = false;
};

class GeneratedFonts : public CRuntimeTest {
 protected:
  // The blue bytes of the character drawn alone in white on black, in a picture one cell high.
  static std::string Draw(CFont& font, uint8_t code) {
    CBitmap b;
    EXPECT_TRUE(b.CreateRGB(3 * font.GetHeight() + 8, font.GetHeight(), 24, 8, 8, 8, 16, 8, 0, 0));
    const char text[2] = {static_cast<char>(code), 0};
    const TRGBA white(255, 255, 255);
    font.Text(&b, text, 0, 0, static_cast<int16_t>(b.m_Width), static_cast<int16_t>(b.m_Height), &white, nullptr, 0);
    std::string blue;
    for (int y = 0; y < b.m_Height; ++y)
      for (int x = 0; x < b.m_Width; ++x) blue += static_cast<char>(b.m_pData[y * b.m_Pitch + 3 * x]);
    return blue;
  }
  static int64_t Ink(const std::string& blue) {
    int64_t sum = 0;
    for (const char c : blue) sum += static_cast<uint8_t>(c);
    return sum;
  }
  static std::string Stock(const std::string& name) { return std::string(VORRIN_DIST_DIR) + "/fonts/" + name; }
};

TEST_F(GeneratedFonts, EveryGlyphKeepsAllOfFreeTypesInk) {
  const struct {
    const char* style;
    const char* face;
  } styles[] = {{"sans", "DejaVuSans.ttf"}, {"sansbold", "DejaVuSans-Bold.ttf"}};
  int checked = 0;
  for (const auto& style : styles) {
    for (int height : {10, 11, 12, 13, 14, 16, 18, 20, 24}) {
      const std::string name = style.style + std::to_string(height) + ".xbf";
      SCOPED_TRACE(name);
      CFont font;
      ASSERT_EQ(font.Load(Stock(name).c_str()), 1);
      EXPECT_GE(font.GetHeight(), height);
      EXPECT_GE(font.GetLineAdvance(), font.GetHeight());
      CFreeTypeFace face(std::string(VORRIN_DEJAVU_DIR) + "/" + style.face, height);
      ASSERT_TRUE(face.Ok());
      int cut = 0;
      for (int code = 33; code < 255; ++code) {
        const uint32_t cp = code == 0xA0 ? ' ' : PlatformCp1252ToUnicode(static_cast<uint8_t>(code));
        const int64_t expected = face.Coverage(cp);
        if (expected < 0) continue;
        const int64_t drawn = Ink(Draw(font, static_cast<uint8_t>(code)));
        if (drawn != expected && ++cut <= 5)
          ADD_FAILURE() << "code " << code << ": drawn " << drawn << " of FreeType's " << expected;
        ++checked;
      }
      EXPECT_EQ(cut, 0);
    }
  }
  EXPECT_GT(checked, 18 * 200);
}

// With the tops of the accents whole, letters that differ only in their accent differ.
TEST_F(GeneratedFonts, AccentsTellLettersApart) {
  const std::pair<uint8_t, uint8_t> pairs[] = {{0xC9, 0xC8} /* E acute, grave */, {0xC1, 0xC0}, {0xC2, 0xC4},
                                               {0xD3, 0xD2}, {0xDA, 0xD9}, {0x8A, 'S'} /* S caron */,
                                               {0x8E, 'Z'}, {0x9F, 'Y'} /* Y diaeresis */};
  for (const char* name : {"sans16.xbf", "sansbold16.xbf", "sans10.xbf", "sansbold13.xbf"}) {
    CFont font;
    ASSERT_EQ(font.Load(Stock(name).c_str()), 1) << name;
    for (const auto& [a, b] : pairs) {
      EXPECT_NE(Draw(font, a), Draw(font, b))
          << name << ": codes " << int{a} << " and " << int{b} << " look the same";
    }
  }
}

}  // namespace
