// One coloured copy of a font's picture: the area the cells cover, in the screen's format. Text
// is drawn from it with the colour key. Into targets of the copy's own format it draws what a
// keyed blit of the cell writes, faster: whole cells as blends under a mask of their non-key
// bytes, cut ones from the runs of non-key pixels of each row.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"

class CScreenBase;

class CFontColor {
 public:
  // A bitmap or the screen buffer, made ready for the glyphs of one text.
  struct STarget {
    CBitmapBase* bitmap;  // or null for the screen
    CScreenBase* screen;
    uint8_t* pixels;
    int32_t pitch;
    CRect clip;  // inside the pixels; empty when nothing may be drawn
    bool sameFormat;
  };

  // chars and height are the owning font's; the copy reads the cells from them.
  CFontColor(const TFontChar* chars, int32_t height) : m_pChars(chars), m_CharHeight(height) {}
  CFontColor(const CFontColor&) = delete;
  CFontColor& operator=(const CFontColor&) = delete;

  // Marks the target changed.
  STarget Prepare(CBitmapBase* target);
  // The screen buffer inside the screen's clip; the caller releases the buffer afterwards.
  STarget Prepare(CScreenBase* screen);
  // Draws w by h pixels of the cell of code at (x, y) with colour-key transparency, inside the
  // target's clip rectangle. Screens get no clear area here.
  void DrawGlyph(const STarget& target, uint8_t code, int32_t x, int32_t y, int32_t w, int32_t h);

  int16_t m_Left = 0, m_Top = 0;  // of the area in the font picture
  CBitmap m_Bitmap;
  TRGBA m_Colour{0, 0, 0, 0};

 private:
  struct TRun {
    uint16_t row, start, length;
  };
  // The box of a cell's non-key pixels and their masks, one byte per pixel byte.
  struct TInk {
    uint32_t at;  // into m_Masks; kNoMasks: the cell lies (partly) outside the copy
    uint16_t left, top, width, height;
  };
  static constexpr uint32_t kNoMasks = 0xFFFFFFFFu;
  static constexpr uint32_t kNotMade = 0xFFFFFFFEu;

  // Finds the non-key runs of every cell; false when the copy's depth has none to offer.
  bool MakeRuns();
  // The ink of one cell, made on its first draw.
  const TInk& MakeInk(uint8_t code);
  bool SameFormat(int32_t bits, int32_t bytesPerPixel, const TPixelFormat& format) const;
  void MakeRunsOnce();
  bool Opaque(const uint8_t* pixel) const;
  void DrawRuns(const STarget& t, uint8_t code, int32_t x, int32_t y, int32_t w, int32_t h);

  const TFontChar* m_pChars;
  int32_t m_CharHeight;
  bool m_RunsMade = false;
  bool m_HasRuns = false;
  std::vector<TRun> m_Runs;
  uint32_t m_First[FONT_CODES + 1] = {};  // runs of code c: m_First[c] .. m_First[c + 1]
  std::vector<uint8_t> m_Masks;  // per ink row: 0xFF under each non-key byte
  TInk m_Ink[FONT_CODES];
};
