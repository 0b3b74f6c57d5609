// Text layout: one walk over the text that measures, finds lines and draws alike; what it does
// with each character is the sink's business, so measuring costs no drawing checks.
//
// Lines break only at word spaces (type 103) and new-line codes. A word that does not fit goes to
// a new line; one that does not fit even alone on its line stays there, cut at the right edge.
// A line's width leaves out the spaces before a wrapped word, but keeps trailing spaces at the end
// of the text or before a new-line code (a caret after typed blanks must move).
#include <algorithm>
#include <climits>

#include "ostrel/graphics/font.h"
#include "ostrel/graphics/fontcolor.h"
#include "ostrel/graphics/fontscreen.h"
#include "ostrel/screens/screenbase.h"

namespace {

enum class EStep { End, NewLine, Space, Char, Move, Skip };

struct SStep {
  EStep kind;
  uint8_t code;
  int32_t amount;
  int32_t next;  // index of the element after this one
};

// A sink takes each glyph to draw (its cut size) and hears when a line is done.
struct SMeasureSink {
  void Glyph(uint8_t, int32_t, int32_t, int32_t, int32_t) {}
  void LineDone() {}
};

struct SBitmapSink {
  CFontColor* copy;
  CFontColor::STarget target;
  void Glyph(uint8_t code, int32_t x, int32_t y, int32_t w, int32_t h) {
    copy->DrawGlyph(target, code, x, y, w, h);
  }
  void LineDone() {}
};

// Glyphs go into the screen buffer; each line's drawn box becomes one clear area (none for the
// windows' text). (Cell by cell the area list would fill up on a paragraph and turn the whole
// screen into one area.)
struct SScreenSink {
  CFontColor* copy;
  CFontColor::STarget target;
  bool marksAreas;
  CRect line{0, 0, -1, -1};
  void Glyph(uint8_t code, int32_t x, int32_t y, int32_t w, int32_t h) {
    copy->DrawGlyph(target, code, x, y, w, h);
    const CRect& c = target.clip;
    const CRect drawn(std::max(x, c.left), std::max(y, c.top), std::min(x + w - 1, c.right),
                      std::min(y + h - 1, c.bottom));
    if (drawn.left > drawn.right || drawn.top > drawn.bottom) return;
    if (line.left > line.right) {
      line = drawn;
      return;
    }
    line.Set(std::min(line.left, drawn.left), std::min(line.top, drawn.top),
             std::max(line.right, drawn.right), std::max(line.bottom, drawn.bottom));
  }
  void LineDone() {
    if (marksAreas && line.left <= line.right) target.screen->AddClearArea(line.left, line.top, line.right, line.bottom);
    line.Set(0, 0, -1, -1);
  }
};

uint16_t Clamp16(int32_t v) { return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF)); }

}  // namespace

template <class Sink>
class CTextLayout {
 public:
  CTextLayout(const CFont& font, const uint8_t* text, int32_t x, int32_t y, int32_t width,
              int32_t height, int32_t flags, int32_t wantLine, Sink sink)
      : m_Font(font), m_Text(text), m_X(x), m_Y(y), m_Width(width), m_Height(height),
        m_BoundedW(width != TEXT_UNBOUNDED), m_BoundedH(height != TEXT_UNBOUNDED),
        m_Flags(flags), m_WantLine(wantLine), m_Sink(sink) {}

  void Run();

  int32_t m_PenX = 0, m_PenY = 0;
  int32_t m_TextWidth = 0, m_LastLineWidth = 0;
  int32_t m_FirstIndex = 0, m_LastIndex = 0;
  bool m_Found = false;

  int32_t TextHeight() const {
    const int32_t h = m_Bottom - m_Y;
    return m_BoundedH ? std::min(h, m_Height) : h;
  }

 private:
  SStep Decode(int32_t i) const;
  // The word from i: how far it reaches right of the pen, and where it ends.
  int32_t MeasureWord(int32_t i, int32_t* end) const;
  void PlaceWord(int32_t i, int32_t end, int32_t rightEdge);
  // 0 when the line would start below the box.
  bool StartLine(int32_t i);
  void EndLine(int32_t lastIndex, bool withTrailing);
  void NewLine(int32_t advance) {
    m_PenX = m_X;
    m_PenY += advance;
  }

  const CFont& m_Font;
  const uint8_t* m_Text;
  const int32_t m_X, m_Y, m_Width, m_Height;
  const bool m_BoundedW, m_BoundedH;
  const int32_t m_Flags, m_WantLine;
  Sink m_Sink;

  int32_t m_Bottom = 0;      // lowest character bottom so far
  int32_t m_Line = 0;
  int32_t m_LineFirst = 0;
  int32_t m_LineOrigin = 0;  // pen x where the line started, after alignment
  int32_t m_WordExtent = 0;  // right of the line origin, up to the last word
  int32_t m_AllExtent = 0;   // the same with spaces and movements
  bool m_Fresh = true;       // nothing placed on the line yet
};

template <class Sink>
SStep CTextLayout<Sink>::Decode(int32_t i) const {
  const uint8_t c = m_Text[i];
  if (c == 0) return {EStep::End, c, 0, i};
  if (c >= FONT_CODES) return {EStep::Skip, c, 0, i + 1};  // 255 has no record
  const TFontChar& r = m_Font.m_Chars[c];
  if (r.type == FONT_CHAR) return {EStep::Char, c, 0, i + 1};
  int32_t amount = r.amount, next = i + 1;
  if (amount == FONT_AMOUNT_NEXT) {
    if (m_Text[next] == 0) return {EStep::End, c, 0, i};  // no amount left: the text ends
    amount = m_Text[next++];
  }
  switch (r.type) {
    case FONT_END:
      return {EStep::End, c, 0, i};
    case FONT_NEWLINE:
      return {EStep::NewLine, c, amount, next};
    case FONT_RIGHT:
      return {EStep::Space, c, amount, next};
    case FONT_UP:
    case FONT_DOWN:
    case FONT_LEFT:
      return {EStep::Move, c, amount, next};
    default:
      return {EStep::Skip, c, 0, next};
  }
}

template <class Sink>
int32_t CTextLayout<Sink>::MeasureWord(int32_t i, int32_t* end) const {
  int32_t x = 0, extent = 0;
  for (;;) {
    const int32_t advance = m_Font.m_Advance[m_Text[i]];
    if (advance >= 0) {  // the common case: an ordinary character
      x += advance;
      extent = std::max(extent, x);
      ++i;
      continue;
    }
    const SStep s = Decode(i);
    if (s.kind == EStep::End || s.kind == EStep::NewLine || s.kind == EStep::Space) break;
    if (s.kind == EStep::Char) {
      x += m_Font.m_Chars[s.code].width + m_Font.m_Spacing;
      extent = std::max(extent, x);
    } else if (s.kind == EStep::Move && m_Font.m_Chars[s.code].type == FONT_LEFT) {
      x -= s.amount;
    }
    i = s.next;
  }
  *end = i;
  return extent;
}

template <class Sink>
void CTextLayout<Sink>::PlaceWord(int32_t i, int32_t end, int32_t rightEdge) {
  const int32_t h = m_Font.m_Height;
  const int64_t boxBottom = m_BoundedH ? int64_t{m_Y} + m_Height : INT32_MAX;
  int32_t cutH = static_cast<int32_t>(std::min<int64_t>(h, boxBottom - m_PenY));
  while (i < end) {
    const uint8_t code = m_Text[i];
    const int32_t advance = m_Font.m_Advance[code];
    if (advance >= 0) {
      const auto cutW = static_cast<int32_t>(
          std::min<int64_t>(m_Font.m_Chars[code].width, int64_t{rightEdge} - m_PenX));
      if (cutW > 0 && cutH > 0) m_Sink.Glyph(code, m_PenX, m_PenY, cutW, cutH);
      m_Bottom = std::max(m_Bottom, m_PenY + h);
      m_PenX += advance;
      m_WordExtent = std::max(m_WordExtent, m_PenX - m_LineOrigin);
      ++i;
      continue;
    }
    const SStep s = Decode(i);
    if (s.kind == EStep::Move) {
      switch (m_Font.m_Chars[s.code].type) {
        case FONT_UP:
          m_PenY -= s.amount;
          break;
        case FONT_DOWN:
          m_PenY += s.amount;
          break;
        default:
          m_PenX -= s.amount;
          break;
      }
      cutH = static_cast<int32_t>(std::min<int64_t>(h, boxBottom - m_PenY));
    }
    i = s.next;
  }
  m_AllExtent = std::max({m_AllExtent, m_WordExtent, m_PenX - m_LineOrigin});
  m_Fresh = false;
}

template <class Sink>
bool CTextLayout<Sink>::StartLine(int32_t i) {
  if (m_BoundedH && m_PenY >= m_Y + m_Height) return false;
  ++m_Line;
  m_LineFirst = i;
  m_Fresh = true;
  m_WordExtent = m_AllExtent = 0;
  m_Bottom = std::max(m_Bottom, m_PenY + m_Font.m_Height);
  m_LineOrigin = m_PenX;
  if (m_BoundedW && (m_Flags & (TEXT_RIGHT | TEXT_CENTER))) {
    CTextLayout<SMeasureSink> line(m_Font, m_Text + i, 0, 0, m_Width, TEXT_UNBOUNDED,
                                   TEXT_SINGLELINE | TEXT_MEASURE, 0, SMeasureSink{});
    line.Run();
    const int32_t room = m_Width - line.m_TextWidth;
    m_LineOrigin += (m_Flags & TEXT_RIGHT) ? room : room / 2;
    m_PenX = m_LineOrigin;
  }
  return true;
}

template <class Sink>
void CTextLayout<Sink>::EndLine(int32_t lastIndex, bool withTrailing) {
  int32_t w = withTrailing ? std::max(m_AllExtent, m_WordExtent) : m_WordExtent;
  if (m_BoundedW) w = std::min(w, m_Width);
  w = std::clamp(w, 0, 0xFFFF);
  m_TextWidth = std::max(m_TextWidth, w);
  m_LastLineWidth = w;
  m_Sink.LineDone();
  if (m_Line == m_WantLine) {
    m_Found = true;
    m_FirstIndex = m_LineFirst;
    m_LastIndex = lastIndex;
  }
}

template <class Sink>
void CTextLayout<Sink>::Run() {
  const bool single = (m_Flags & TEXT_SINGLELINE) != 0;
  m_PenX = m_X;
  m_PenY = m_Bottom = m_Y;
  if (!StartLine(0)) return;
  int32_t i = 0;
  for (;;) {
    const SStep s = Decode(i);
    if (s.kind == EStep::End) {
      EndLine(i, true);
      return;
    }
    if (s.kind == EStep::NewLine) {
      EndLine(i, true);
      if (single) return;
      NewLine(s.amount);
      i = s.next;
      if (!StartLine(i)) return;
      continue;
    }
    if (s.kind == EStep::Space) {
      m_PenX += s.amount;
      m_AllExtent = std::max(m_AllExtent, m_PenX - m_LineOrigin);
      m_Fresh = false;
      i = s.next;
      continue;
    }
    int32_t end = i;
    const int32_t extent = MeasureWord(i, &end);
    if (!m_BoundedW || int64_t{m_PenX} - m_LineOrigin + extent <= m_Width) {
      PlaceWord(i, end, INT32_MAX);
      i = end;
      continue;
    }
    if (!m_Fresh) {
      EndLine(i - 1, false);
      if (single) return;
      NewLine(m_Font.m_LineAdvance);
      if (!StartLine(i)) return;
      continue;
    }
    // Too wide even alone on its line: cut at the right edge.
    PlaceWord(i, end, m_LineOrigin + m_Width);
    i = end;
    if (single) {
      EndLine(end, false);
      return;
    }
  }
}

int32_t CFont::Layout(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t flags, int32_t wantLine, CFontColor* copy, CBitmapBase* target,
                      TTextInfo* info, int32_t* found) {
  const auto* t = reinterpret_cast<const uint8_t*>(text);
  if (m_AdvanceStale) MakeAdvances();
  const auto finish = [&](const auto& layout) {
    if (found) *found = layout.m_Found;
    const uint16_t w = Clamp16(layout.m_TextWidth), h = Clamp16(layout.TextHeight());
    if (info) {
      info->x = static_cast<int16_t>(layout.m_PenX);
      info->y = static_cast<int16_t>(layout.m_PenY);
      info->width = w;
      info->height = h;
      info->lastLineWidth = Clamp16(layout.m_LastLineWidth);
      info->firstIndex = layout.m_Found ? Clamp16(layout.m_FirstIndex) : 0;
      info->lastIndex = layout.m_Found ? Clamp16(layout.m_LastIndex) : 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(h) << 16 | w);
  };
  if (!copy || (flags & TEXT_MEASURE)) {
    CTextLayout<SMeasureSink> l(*this, t, x, y, width, height, flags, wantLine, {});
    l.Run();
    return finish(l);
  }
  if (target) {
    CTextLayout<SBitmapSink> l(*this, t, x, y, width, height, flags, wantLine,
                               {copy, copy->Prepare(target)});
    l.Run();
    return finish(l);
  }
  CScreenBase* screen = xFontScreen();
  if (!screen) return -1;
  CTextLayout<SScreenSink> l(*this, t, x, y, width, height, flags, wantLine,
                             {copy, copy->Prepare(screen), (flags & TEXT_GUI) == 0});
  l.Run();
  screen->ReleaseScreenBuffer();
  return finish(l);
}

int32_t CFont::Text(CBitmapBase* target, const char* text, int16_t x, int16_t y, int16_t width,
                    int16_t height, const TRGBA* colour, TTextInfo* info, int32_t flags) {
  if (!text || !*text) {
    if (info) *info = {x, y, 0, 0, 0, 0, 0};
    return 1;
  }
  if (!m_pDefault) return -1;
  int32_t screenW = 0, screenH = 0;
  if (!target) {
    CScreenBase* screen = xFontScreen();
    if (!screen) return -1;
    screen->GetScreenPos(nullptr, nullptr, &screenW, &screenH);
  }
  CFontColor* copy = m_pDefault.get();
  if (colour && CreateColor(colour)) copy = FindColor(*colour);
  int32_t w = static_cast<uint16_t>(width), h = static_cast<uint16_t>(height);
  if (width == -1) {
    w = target ? target->m_Width : screenW;
    flags |= TEXT_SINGLELINE;
  }
  if (height == -1) h = target ? target->m_Height : screenH;
  w = std::min(w, TEXT_UNBOUNDED - 1);
  h = std::min(h, TEXT_UNBOUNDED - 1);
  int32_t top = y;
  if (flags & TEXT_VCENTER) {
    const int32_t textHeight = static_cast<int32_t>(
        static_cast<uint32_t>(Layout(text, x, y, w, h, flags & ~TEXT_VCENTER, 0, nullptr,
                                     nullptr, nullptr, nullptr)) >> 16);
    if (h > textHeight) top += (h - textHeight) / 2;
  }
  return Layout(text, x, top, w, h, flags, 0, copy, target, info, nullptr);
}

int32_t CFont::GetTextSize(const char* text, int16_t width, int16_t height, int32_t flags) {
  if (!text) return 0;
  return Layout(text, 0, 0, static_cast<uint16_t>(width), static_cast<uint16_t>(height), flags, 0,
                nullptr, nullptr, nullptr, nullptr);
}

int32_t CFont::GetLineIndex(const char* text, int16_t width, int16_t height, int32_t line,
                            TTextInfo* info, int32_t flags) {
  int32_t found = 0;
  if (text && line >= 1)
    Layout(text, 0, 0, static_cast<uint16_t>(width), static_cast<uint16_t>(height), flags, line,
           nullptr, nullptr, info, &found);
  else if (info)
    *info = {0, 0, 0, 0, 0, 0, 0};
  return found ? 1 : 0;
}
