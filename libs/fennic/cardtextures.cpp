#include "fennic/cardtextures.h"

#include "fennic/quaddraw.h"
#include "ostrel/screens/screenbase.h"

namespace {
// A 24-bit copy of the picture converted to the screen's format; null when it cannot be made.
std::unique_ptr<CBitmap> ScreenCopy(CScreenBase* screen, const CBitmap& picture) {
  auto copy = std::make_unique<CBitmap>();
  if (!copy->CreateRGB(picture.m_Width, picture.m_Height, 24, 8, 8, 8, 16, 8, 0, 0)) return nullptr;
  copy->Blt(const_cast<CBitmap*>(&picture), 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 0, 0);
  if (!screen->MakeScreenFormat(copy.get(), 0)) return nullptr;
  return copy;
}

// An empty bitmap of the same kind as the model.
bool CreateLike(CBitmap& b, const CBitmap& model, int32_t width, int32_t height) {
  if (model.m_BytesPerPixel == 1) return b.CreateIndex(width, height, 8, model.m_pPalette, 0) != 0;
  return b.CreateRGB(width, height, model.m_BitsPerPixel, model.m_RedBits, model.m_GreenBits, model.m_BlueBits,
                     model.m_RedShift, model.m_GreenShift, model.m_BlueShift, 0) != 0;
}

bool SameFormat(const TPixelFormat& a, const TPixelFormat& b) {
  return a.RedBits == b.RedBits && a.GreenBits == b.GreenBits && a.BlueBits == b.BlueBits &&
         a.RedShift == b.RedShift && a.GreenShift == b.GreenShift && a.BlueShift == b.BlueShift;
}
}  // namespace

bool CCardTextures::Prepare(CScreenBase* screen, const CBitmap& faces, const CBitmap& back, int32_t rows,
                            int32_t columns, int32_t cellWidth, int32_t cellHeight) {
  const SVmode* mode = screen ? screen->GetActiveMode() : nullptr;
  if (!mode) return false;
  if (m_Ready && m_BytesPerPixel == mode->BytesPerPixel && SameFormat(m_Format, mode->Format())) return true;
  Clear();
  std::unique_ptr<CBitmap> sheet = ScreenCopy(screen, faces), backCopy = ScreenCopy(screen, back);
  if (!sheet || !backCopy) return false;
  std::vector<std::unique_ptr<CBitmap>> cells;
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c) {
      auto cell = std::make_unique<CBitmap>();
      if (!CreateLike(*cell, *sheet, cellWidth, cellHeight)) return false;
      cell->Blt(sheet.get(), c * cellWidth, r * cellHeight, 0, 0, cellWidth, cellHeight, BLT_MODE_COPY, 0, 0);
      cells.push_back(std::move(cell));
    }
  m_Cells = std::move(cells);
  m_FaceKey = xFirstPixelKey(*sheet);
  m_BackKey = xFirstPixelKey(*backCopy);
  m_pBack = std::move(backCopy);
  m_Rows = rows;
  m_Columns = columns;
  m_BytesPerPixel = mode->BytesPerPixel;
  m_Format = mode->Format();
  m_Ready = true;
  return true;
}

void CCardTextures::Clear() {
  m_Cells.clear();
  m_pBack.reset();
  m_Rows = m_Columns = 0;
  m_Ready = false;
}

CBitmap* CCardTextures::Cell(int32_t row, int32_t column) const {
  if (row < 0 || row >= m_Rows || column < 0 || column >= m_Columns) return nullptr;
  return m_Cells[static_cast<size_t>(row * m_Columns + column)].get();
}
