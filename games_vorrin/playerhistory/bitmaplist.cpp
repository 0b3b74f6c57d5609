#include "bitmaplist.h"

#include <algorithm>
#include <new>

#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/bitmap.h"

CBitmapList::CBitmapList() = default;
CBitmapList::~CBitmapList() = default;

CBitmap* CBitmapList::Create(int32_t w, int32_t h) { return CreateCopy(nullptr, 0, 0, w, h); }

CBitmap* CBitmapList::CreateCopy(CBitmapBase* source, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (w < 1 || h < 1 || w > BITMAPLIST_MAX_SIDE || h > BITMAPLIST_MAX_SIDE) return nullptr;
  std::unique_ptr<CBitmap> bitmap(new (std::nothrow) CBitmap);
  if (!bitmap || !bitmap->CreateRGB(w, h, 24, 8, 8, 8, 0, 8, 16, 1)) return nullptr;
  if (source) bitmap->Blt(source, x, y, 0, 0, w, h, 0, 1, 0);
  // Without a screen (tests, tools) the bitmap keeps its 24 bits.
  int32_t screenWidth = 0, screenHeight = 0;
  if (xGuiScreenSize(&screenWidth, &screenHeight) && !xGuiMakeScreenFormat(bitmap.get(), 1)) return nullptr;
  m_Bitmaps.push_back(std::move(bitmap));
  return m_Bitmaps.back().get();
}

void CBitmapList::Free(CBitmap* bitmap) {
  if (!bitmap) {
    m_Bitmaps.clear();
    return;
  }
  auto it = std::find_if(m_Bitmaps.begin(), m_Bitmaps.end(), [bitmap](const auto& b) { return b.get() == bitmap; });
  if (it == m_Bitmaps.end()) return;
  it->release();
  m_Bitmaps.erase(it);
}
