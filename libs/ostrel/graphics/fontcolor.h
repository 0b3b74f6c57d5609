// One coloured copy of a font's picture: the area the cells cover, in the screen's format. Text
// is drawn from it with the colour key; into targets of the copy's own format it draws from the
// runs of non-key pixels of each cell, which is what a keyed blit of the cell writes.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"

class CFontColor {
 public:
  int16_t m_Left = 0, m_Top = 0;  // of the area in the font picture
  CBitmap m_Bitmap;
  TRGBA m_Colour{0, 0, 0, 0};

  // chars and height are the owning font's; the copy reads the cells from them.
  CFontColor(const TFontChar* chars, int32_t height) : m_pChars(chars), m_CharHeight(height) {}
  CFontColor(const CFontColor&) = delete;
  CFontColor& operator=(const CFontColor&) = delete;

  // Draws w by h pixels of the cell of code at (x, y) into target with colour-key transparency,
  // inside the target's clip rectangle.
  void DrawGlyph(CBitmapBase* target, uint8_t code, int32_t x, int32_t y, int32_t w, int32_t h);
  // The runs are made again on the next draw (the pixels changed).
  void Forget() { m_RunsMade = false; }

 private:
  struct TRun {
    uint16_t row, start, length;
  };
  // Finds the non-key runs of every cell; false when the copy's depth has none to offer.
  bool MakeRuns();
  bool SameFormat(const CBitmapBase& target) const;

  const TFontChar* m_pChars;
  int32_t m_CharHeight;
  std::vector<TRun> m_Runs;
  uint32_t m_First[FONT_CODES + 1] = {};  // runs of code c: m_First[c] .. m_First[c + 1]
  bool m_RunsMade = false;
  bool m_HasRuns = false;
};
