// Character widths and word-wrapped lines for the edit controls. Indexes are 32-bit and widths
// are summed in 64 bits, so a text of any length a control holds is measured whole (the font's
// own layout reports 16-bit indexes and sizes).
#pragma once

#include <cstdint>
#include <vector>

class CFont;

class CEditMetrics {
 public:
  // Takes the widths of the font (none: every character 0 wide, lines 1 pixel apart).
  void Use(CFont* font);
  int32_t Width(uint8_t c) const { return m_Width[c]; }
  // The width of text[from, to).
  int64_t Width(const char* text, int32_t from, int32_t to) const;
  // At least 1, so that heights can be divided by it.
  int32_t LineAdvance() const { return m_Advance; }
  int32_t FontHeight() const { return m_Height; }
  bool IsNewLine(uint8_t c) const { return m_Kind[c] == kNewLine; }
  bool IsSpace(uint8_t c) const { return m_Kind[c] == kSpace; }
  // The first character of each line of text[0, length) laid out as the font does: lines break
  // at word spaces and new-line codes; a word that does not fit starts a new line, one that does
  // not fit even alone stays on its line. starts[0] is 0; there is always one line.
  void Wrap(const char* text, int32_t length, int32_t width, std::vector<int32_t>& starts) const;

 private:
  enum : uint8_t { kChar, kSpace, kNewLine };
  int32_t m_Width[256] = {};
  uint8_t m_Kind[256] = {};
  int32_t m_Advance = 1;
  int32_t m_Height = 0;
};
