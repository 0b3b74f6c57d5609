// 256 colours with a searchable index range and a name; finds the nearest entry for a colour.
#pragma once

#include <cstdint>

#include "ostrel/graphics/rgba.h"

inline constexpr int32_t PALETTE_SIZE = 256;

class CPalette {
 public:
  // A grey ramp (entry i is i, i, i; alpha not set) named ".pal", searchable 0 to 255.
  CPalette();
  virtual ~CPalette();
  CPalette(const CPalette&) = delete;
  CPalette& operator=(const CPalette&) = delete;

  // Copies the search bounds, the entries and the name; 0 when other is null or the name cannot
  // be copied.
  int32_t Clone(const CPalette* other);
  // A ".pal" file: a 24-byte header, then 256 records of red, green, blue and one ignored byte
  // (alpha stays). The file name becomes the palette's name. 0 when the file cannot be opened or
  // ends early; the entries read so far stay.
  int32_t Load(const char* fileName);
  // Red, green, blue and alpha of 256 pointed-to colours.
  int32_t SetPalette(TRGBA* const* colours);
  // Red, green and blue of one entry; indexes outside the palette are ignored. Always 1.
  int32_t SetIndex(const TRGBA* colour, int32_t index);
  // Red, green and blue of the entry (alpha untouched) and 1; 0, 0, 0 and 0 outside the palette.
  int32_t GetIndex(TRGBA* colour, int32_t index) const;

  // The nearest entry by squared distance, searched from the first searchable index up to, but
  // not including, the last one; the lower index wins a tie. The first index when the first is
  // not below the last.
  int32_t FindMatch(const TRGBA* colour) const;
  // The nearest entry of first .. last inclusive other than FindMatch's; the first searchable
  // index when there is none.
  int32_t FindSecondBest(const TRGBA* colour) const;

  const char* GetName() const { return m_pName; }
  // Takes a copy; 0 when it cannot be made (the old name stays).
  int32_t SetName(const char* name);
  const TRGBA& Entry(int32_t index) const { return m_Entries[index]; }

  uint8_t m_FirstIndex = 0;
  uint8_t m_LastIndex = 255;
  TRGBA m_Entries[PALETTE_SIZE];

 private:
  char* m_pName = nullptr;  // from xStrdup
};

// The grey ramp of a new palette, for indexed pixels that have no palette of their own.
const CPalette& xGreyPalette();
