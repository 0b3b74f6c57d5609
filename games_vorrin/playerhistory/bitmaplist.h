// The bitmaps a round view makes for itself (card pictures, control faces, cell pictures): made
// in the screen's format and deleted with the list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CBitmap;
class CBitmapBase;

// The longest side of a bitmap the list makes.
inline constexpr int32_t BITMAPLIST_MAX_SIDE = 4096;

class CBitmapList {
 public:
  CBitmapList();
  ~CBitmapList();
  CBitmapList(const CBitmapList&) = delete;
  CBitmapList& operator=(const CBitmapList&) = delete;

  // A w x h bitmap of 24 bits (red, green and blue at shifts 0, 8 and 16) converted to the
  // screen's format when there is a screen; null, nothing kept, for a side below 1 or above
  // BITMAPLIST_MAX_SIDE or when it cannot be made.
  CBitmap* Create(int32_t w, int32_t h);
  // The same, holding a copy of the w x h area at (x, y) of source (taken before the conversion,
  // so any source depth the copy reads serves).
  CBitmap* CreateCopy(CBitmapBase* source, int32_t x, int32_t y, int32_t w, int32_t h);
  // Takes one bitmap out of the list without deleting it; null deletes them all.
  void Free(CBitmap* bitmap);
  int32_t GetCount() const { return static_cast<int32_t>(m_Bitmaps.size()); }

 private:
  std::vector<std::unique_ptr<CBitmap>> m_Bitmaps;
};
