#include "ostrel/controls/editmetrics.h"

#include <algorithm>

#include "ostrel/graphics/font.h"

void CEditMetrics::Use(CFont* font) {
  for (int32_t c = 0; c < 256; ++c) {
    m_Width[c] = 0;
    m_Kind[c] = kChar;
  }
  m_Advance = 1;
  m_Height = 0;
  if (!font) {
    m_Kind['\n'] = kNewLine;
    return;
  }
  for (int32_t c = 1; c < FONT_CODES; ++c) {
    const TFontChar& r = font->GetChar(static_cast<uint8_t>(c));
    if (r.type == FONT_CHAR) {
      m_Width[c] = r.width + font->GetSpacing();
    } else if (r.type == FONT_RIGHT) {
      m_Kind[c] = kSpace;
      m_Width[c] = r.amount == FONT_AMOUNT_NEXT ? 0 : r.amount;
    } else if (r.type == FONT_NEWLINE) {
      m_Kind[c] = kNewLine;
    }
  }
  m_Advance = std::max(1, font->GetLineAdvance());
  m_Height = font->GetHeight();
}

int64_t CEditMetrics::Width(const char* text, int32_t from, int32_t to) const {
  int64_t w = 0;
  for (int32_t i = from; i < to; ++i) w += m_Width[static_cast<uint8_t>(text[i])];
  return w;
}

void CEditMetrics::Wrap(const char* text, int32_t length, int32_t width, std::vector<int32_t>& starts) const {
  starts.assign(1, 0);
  const auto* t = reinterpret_cast<const uint8_t*>(text);
  int64_t pen = 0;
  bool fresh = true;
  int32_t i = 0;
  while (i < length) {
    const uint8_t c = t[i];
    if (m_Kind[c] == kNewLine) {
      starts.push_back(++i);
      pen = 0;
      fresh = true;
      continue;
    }
    if (m_Kind[c] == kSpace) {
      pen += m_Width[c];
      fresh = false;
      ++i;
      continue;
    }
    int32_t end = i;
    int64_t x = 0, extent = 0;
    while (end < length && m_Kind[t[end]] == kChar) {
      x += m_Width[t[end++]];
      extent = std::max(extent, x);
    }
    if (pen + extent > width && !fresh) {
      // The word starts the next line; next time round it is placed whether it fits or not.
      starts.push_back(i);
      pen = 0;
      fresh = true;
      continue;
    }
    pen += x;
    fresh = false;
    i = end;
  }
}
