// Fonts described by an item of a resource script's "Data" chunk: the characters are cells of
// one picture, grouped in character sets.
//
// The item's keyword is the font's name; value 0 names the picture, 1 is the character spacing,
// 2 the line spacing, and from value 3 on every four values are a set: its characters (a
// string), x (-1 for 0), y and the cell width. Character k of a set is the cell at
// (x + k * cell width, y), as high as the picture below y.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/containers/point.h"
#include "ostrel/graphics/bitmap.h"

class CKCBL;

class CBitmapFont {
 public:
  CBitmapFont() = default;
  ~CBitmapFont() { Destroy(); }
  CBitmapFont(const CBitmapFont&) = delete;
  CBitmapFont& operator=(const CBitmapFont&) = delete;

  // Reads the item name from the "Data" chunk of a resource script (a CResData, or any keyword
  // data with such a chunk; its current chunk is kept) and loads the picture. 0 when the chunk,
  // the item, a value or the picture is missing, a spacing is beyond +-32767, or a set's cells
  // do not lie inside the picture.
  int32_t Create(const char* name, CKCBL* script, uint32_t orientation);
  // Draws text into target from pos on: code 10 starts a new line, lower by the line spacing
  // plus extraLineSpacing; each character comes from the first set that holds it, with the
  // picture's first pixel as colour key; characters of no set are skipped. 0 without a font or
  // target.
  int32_t Print(CBitmapBase* target, TPoint pos, int32_t extraLineSpacing, const char* text);
  // Stored only: the drawing does not use it.
  void SetPrintOrientation(uint32_t orientation) { m_Orientation = orientation; }
  uint32_t GetPrintOrientation() const { return m_Orientation; }
  // Frees the sets and the picture.
  int32_t Destroy();

  int32_t NumSets() const { return static_cast<int32_t>(m_Sets.size()); }

 private:
  struct TCharSet {
    std::string chars;
    int32_t x, y, width;
  };
  bool SetsInsidePicture() const;

  CBitmap m_Picture;
  std::vector<TCharSet> m_Sets;
  int32_t m_CharSpacing = 0;
  int32_t m_LineSpacing = 0;
  uint32_t m_Orientation = 0;
};
