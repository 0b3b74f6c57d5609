// The card pictures made ready for the screen: each cell of the face sheet and the back as a
// texture of their own in the screen's pixel format, so no card's texels reach into another's.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/pixelformat.h"

class CScreenBase;

class CCardTextures {
 public:
  // Made for the screen's active mode; again only when that mode's pixel format changed. false
  // without a mode or memory (then nothing is held).
  bool Prepare(CScreenBase* screen, const CBitmap& faces, const CBitmap& back, int32_t rows, int32_t columns,
               int32_t cellWidth, int32_t cellHeight);
  void Clear();

  // Null outside the sheet or before Prepare.
  CBitmap* Cell(int32_t row, int32_t column) const;
  CBitmap* Back() const { return m_pBack.get(); }
  // The transparent texel values: the sheet's first pixel, the back's first pixel.
  uint32_t FaceKey() const { return m_FaceKey; }
  uint32_t BackKey() const { return m_BackKey; }

 private:
  std::vector<std::unique_ptr<CBitmap>> m_Cells;
  std::unique_ptr<CBitmap> m_pBack;
  int32_t m_Rows = 0, m_Columns = 0;
  uint32_t m_FaceKey = 0, m_BackKey = 0;
  bool m_Ready = false;
  int32_t m_BytesPerPixel = 0;
  TPixelFormat m_Format{};
};
