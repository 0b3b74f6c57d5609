// Bitmap fonts of up to 255 characters cut from one grey picture, loaded from XBF chunk files.
// Text is laid out with word wrapping, alignment and in-text movement codes and drawn through a
// coloured copy of the picture per text colour, into a bitmap or onto the current screen; the
// same layout without drawing measures text and finds lines (the edit controls use it).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/rgba.h"

class CFontColor;

inline constexpr int32_t FONT_CODES = 255;  // records for codes 0..254; 255 has none

// Character types (the record's type byte).
inline constexpr uint8_t FONT_CHAR = 0;        // drawn; the pen moves right by width + spacing
inline constexpr uint8_t FONT_END = 1;         // end of text
inline constexpr uint8_t FONT_NEWLINE = 3;     // back to the line's left edge, down by the amount
inline constexpr uint8_t FONT_UP = 100;
inline constexpr uint8_t FONT_DOWN = 101;
inline constexpr uint8_t FONT_LEFT = 102;
inline constexpr uint8_t FONT_RIGHT = 103;     // a word space: lines break only here
// An amount of 255 takes the amount from the code of the next character, which is then skipped.
inline constexpr uint8_t FONT_AMOUNT_NEXT = 255;

// Text flags.
inline constexpr int32_t TEXT_SINGLELINE = 0x01;  // ends at the first new line or word that does not fit
inline constexpr int32_t TEXT_CENTER = 0x02;      // each line centred in the width
inline constexpr int32_t TEXT_VCENTER = 0x04;     // the text centred in the height
inline constexpr int32_t TEXT_RIGHT = 0x08;       // each line right-aligned
inline constexpr int32_t TEXT_MEASURE = 0x400;    // lay out without drawing
// Onto the screen without a clear area, as the windows draw their bitmaps: the window manager
// keeps its own areas, and a window's text marked for restoring would be wiped at every clear.
inline constexpr int32_t TEXT_GUI = 0x800;

// A width or height of 65535 (-1 as a short) is unbounded in measuring calls.
inline constexpr int32_t TEXT_UNBOUNDED = 0xFFFF;

// One character's cell in the font picture, as SetFont takes them; a width of 65535 ends a list.
struct TCharData {
  uint16_t x, y, width;
};

// One letter record: the cell (its height is the character height), type and amount.
struct TFontChar {
  uint16_t x, y, width;
  uint8_t type, amount;
};

// What a layout ends with. Text and GetTextSize leave the two indexes 0.
struct TTextInfo {
  int16_t x, y;             // the pen where the layout ended
  uint16_t width, height;   // of the whole text
  uint16_t lastLineWidth;
  uint16_t firstIndex;      // GetLineIndex: the line's first character
  uint16_t lastIndex;       // GetLineIndex: the character that ends the line
};

class CFont {
 public:
  CFont();
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // Reads an XBF file (numbers little-endian). 0, leaving no picture, when the BMP picture type is
  // missing, the file or a chunk is missing or short, the version is not 1, the height is 0, a
  // cell lies outside the picture, or a picture step fails.
  int32_t Load(const char* fileName, int16_t unused = 0);
  // A font over a picture the caller keeps: records from firstCode up taken from chars (up to a
  // width of 65535 or code 254), all others cleared, then the defaults: 0 ends the text, 10 is a
  // new line of height + 2, 32 a word space of 4. 0 without a picture or with a height below 1.
  int32_t SetFont(CBitmap* picture, const TCharData* chars, int16_t firstCode, int16_t height,
                  int16_t spacing);
  // 0 for code 255 and for an amount of 255; a new line also sets the line advance.
  int32_t SetBasic(uint8_t code, uint8_t type, uint8_t amount);
  // The code takes its amount from the next character of the text. 0 for code 255.
  int32_t SetCtrlCode(uint8_t code, uint8_t type);
  // The coloured copy for a colour (red, green and blue compared); 1 at once when it exists.
  int32_t CreateColor(const TRGBA* colour);

  // Lays out and draws text into target, or onto the current screen when target is null; a width
  // of -1 takes the target's and makes the text one line, a height of -1 the target's. The colour
  // picks the coloured copy (null: the picture's own grey). (height << 16) | width of the text,
  // 1 for an empty text, -1 when there is nothing to draw with or on.
  int32_t Text(CBitmapBase* target, const char* text, int16_t x, int16_t y, int16_t width,
               int16_t height, const TRGBA* colour, TTextInfo* info, int32_t flags);
  // The same layout without drawing: (height << 16) | width.
  int32_t GetTextSize(const char* text, int16_t width, int16_t height, int32_t flags);
  int32_t GetTextWidth(const char* text, int16_t width, int16_t height, int32_t flags) {
    return GetTextSize(text, width, height, flags) & 0xFFFF;
  }
  int32_t GetTextHeight(const char* text, int16_t width, int16_t height, int32_t flags) {
    return static_cast<int32_t>(static_cast<uint32_t>(GetTextSize(text, width, height, flags)) >> 16);
  }
  // Finds line number line (from 1) of the text laid out in the box: its first character and the
  // character that ends it (its new-line code, the space before a wrapped word, or the end of the
  // text). 1 when the text has that line; else 0 with both indexes 0.
  int32_t GetLineIndex(const char* text, int16_t width, int16_t height, int32_t line,
                       TTextInfo* info, int32_t flags);

  // Deletes the colour copies, the picture when the font loaded it, and the default copy.
  int32_t Free();

  int32_t GetHeight() const { return m_Height; }
  int32_t GetSpacing() const { return m_Spacing; }
  int32_t GetLineAdvance() const { return m_LineAdvance; }
  int32_t IsLoaded() const { return m_Loaded; }
  const TFontChar& GetChar(uint8_t code) const { return m_Chars[code < FONT_CODES ? code : 0]; }
  CBitmap* GetPicture() const { return m_pPicture; }
  int32_t NumColors() const { return static_cast<int32_t>(m_Colors.size()); }

 private:
  template <class Sink>
  friend class CTextLayout;

  // Clears the records and the three header words.
  void ClearChars();
  void MakeAdvances();
  void SetDefaults();
  // Every cell inside the picture; 0 when one is not.
  int32_t CellsInsidePicture() const;
  // The default copy: the whole picture in 24 bits, then in the screen's format.
  int32_t MakeDefaultColor();
  CFontColor* FindColor(const TRGBA& colour);
  // Lays the text out, drawing from copy into target (or onto the screen) unless copy is null or
  // flags measure. (height << 16) | width; info filled when given; *found tells whether line
  // wantLine was reached.
  int32_t Layout(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t flags, int32_t wantLine, CFontColor* copy, CBitmapBase* target,
                 TTextInfo* info, int32_t* found);

  uint16_t m_Height = 0;
  uint16_t m_Spacing = 0;
  uint16_t m_LineAdvance = 0;
  TFontChar m_Chars[FONT_CODES];
  // Width + spacing of each ordinary character, -1 for every other code (0 and 255 included); made
  // again before a layout whenever a record changed.
  int32_t m_Advance[256];
  bool m_AdvanceStale = true;
  CBitmap* m_pPicture = nullptr;  // owned when m_Loaded
  std::unique_ptr<CFontColor> m_pDefault;
  std::vector<std::unique_ptr<CFontColor>> m_Colors;
  int32_t m_Loaded = 0;
};
