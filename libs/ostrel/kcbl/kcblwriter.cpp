#include "ostrel/kcbl/kcblwriter.h"

#include <array>
#include <cstring>

namespace {
constexpr std::array<bool, 256> MakeBare() {
  std::array<bool, 256> t{};
  for (int c = 33; c < 127; ++c) t[c] = true;
  for (char c : {',', '{', '}', '"', ';', '='}) t[static_cast<unsigned char>(c)] = false;
  return t;
}
constexpr std::array<bool, 256> kBare = MakeBare();

// The second byte of an escape pair, 0 for bytes written as they are.
constexpr std::array<char, 256> MakeEscapes() {
  std::array<char, 256> t{};
  t['\t'] = 't';
  t['\n'] = 'n';
  t['\r'] = 'r';
  t['"'] = '"';
  t['\\'] = '\\';
  return t;
}
constexpr std::array<char, 256> kEscape = MakeEscapes();

constexpr char kRawMark[] = "ASCIIDATA";

// Counts only.
class CCountSink {
 public:
  void Put(char) { ++m_Pos; }
  void Put(const char*, size_t n) { m_Pos += n; }
  void Fill(char, size_t n) { m_Pos += n; }
  size_t Pos() const { return m_Pos; }
  bool Ok() const { return true; }

 private:
  size_t m_Pos = 0;
};

// Writes into a caller's buffer and refuses anything beyond its end.
class CBufferSink {
 public:
  CBufferSink(char* buf, size_t cap) : m_pBuf(buf), m_Cap(cap) {}
  void Put(char c) {
    if (m_Pos < m_Cap) m_pBuf[m_Pos++] = c;
    else m_Full = true;
  }
  void Put(const char* p, size_t n) {
    if (n <= m_Cap - m_Pos) {
      std::memcpy(m_pBuf + m_Pos, p, n);
      m_Pos += n;
    } else {
      m_Full = true;
    }
  }
  void Fill(char c, size_t n) {
    if (n <= m_Cap - m_Pos) {
      std::memset(m_pBuf + m_Pos, c, n);
      m_Pos += n;
    } else {
      m_Full = true;
    }
  }
  size_t Pos() const { return m_Pos; }
  bool Ok() const { return !m_Full; }

 private:
  char* m_pBuf;
  size_t m_Cap;
  size_t m_Pos = 0;
  bool m_Full = false;
};

bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

// A raw text reads back when it ends with a line end, holds only bytes the reader takes, and has
// no line that the reader would take for the closing "]" of a "[" line indented by indent.
bool RawTextReadsBack(const char* raw, size_t indent) {
  const auto* s = reinterpret_cast<const unsigned char*>(raw);
  if (!*s) return true;
  for (;;) {
    const unsigned char* t = s;
    size_t blanks = 0;
    while (blanks <= indent && (*t == ' ' || *t == '\t')) ++t, ++blanks;
    if (blanks <= indent && *t == ']') return false;
    while (*t && !IsLineEnd(*t)) {
      if (*t != '\t' && (*t < 32 || *t > 126)) return false;
      ++t;
    }
    if (!*t) return false;  // no line end at the end
    s = t + 1;
    if (!*s) return true;
  }
}

template <class Sink>
class CWriter {
 public:
  CWriter(Sink& sink, int32_t maxLine) : m_Sink(sink), m_MaxLine(maxLine) {}

  bool Tree(const TKCBLChunk* top) {
    const TKCBLChunk* c = top;
    const TKCBLKeyword* it = top->First();
    for (;;) {
      if (!it) {
        if (c == top) return true;
        m_Sink.Fill(' ', static_cast<size_t>(c->m_Depth - 1) * 4);
        m_Sink.Put("}\n", 2);
        it = c->m_pOwner->m_pNext;
        c = c->m_pParent;
        continue;
      }
      if (!Item(it, c->m_Depth) || !m_Sink.Ok()) return false;
      if (it->m_pChunk) {
        c = it->m_pChunk;
        it = c->First();
      } else {
        it = it->m_pNext;
      }
    }
  }

 private:
  bool Item(const TKCBLKeyword* it, int32_t depth) {
    const size_t indent = static_cast<size_t>(depth) * 4;
    m_ItemStart = m_LineStart = m_Sink.Pos();
    m_Sink.Fill(' ', indent);
    const char* kw = it->Keyword();
    m_Sink.Put(kw, it->KeywordLength());
    const uint32_t n = it->m_NumStrings;
    const bool raw = kw[0] == '[';
    if (raw && !RawReadsBack(it, indent)) return false;
    const uint32_t nv = raw ? n - 1 : n;
    m_Max = m_MaxLine;
    m_ValueCol = 0;
    if (nv && it->Kind(0) != KCBLV_COMMENT) {
      m_Sink.Put(" = ", 3);
      m_ValueCol = m_Sink.Pos() - m_LineStart;
      if (m_Max < static_cast<int64_t>(m_ValueCol) + 3) m_Max = static_cast<int64_t>(m_ValueCol) + 3;
    }
    for (uint32_t i = 0; i < nv; ++i) {
      const char* v = it->Value(i);
      const uint8_t kind = it->Kind(i);
      if (kind == KCBLV_COMMENT) {
        const bool more = i + 1 < nv;
        if (more) m_Sink.Put(", ", 2);
        m_Sink.Put("\t\t", 2);
        m_Sink.Put(v, it->TextLength(i));
        if (more) {
          m_Sink.Put('\n');
          m_LineStart = m_Sink.Pos();
          m_Sink.Put('\t');
        }
        continue;
      }
      if (i > 0 && it->Kind(i - 1) != KCBLV_COMMENT) m_Sink.Put(", ", 2);
      if (kind == KCBLV_ARRAY) {
        Array(v + 1, it->m_pValues[i].m_Count);
        continue;
      }
      const size_t len = it->TextLength(i);
      const int64_t room = m_Max - static_cast<int64_t>(m_Sink.Pos() - m_ItemStart);
      // The raw-data header must stay bare, or the reader would not know the line.
      if (xKCBLBareText(v, len) && ((raw && i + 1 == nv) || static_cast<int64_t>(len) <= room))
        m_Sink.Put(v, len);
      else
        Quoted(v, len, true);
    }
    if (raw) {
      const char* text = it->Value(n - 1);
      m_Sink.Put('\n');
      m_Sink.Put(text, it->TextLength(n - 1));
      if (indent > 4) m_Sink.Fill(' ', indent - 4);
      m_Sink.Put(']');
    }
    m_Sink.Put('\n');
    return true;
  }

  bool RawReadsBack(const TKCBLKeyword* it, size_t indent) {
    const uint32_t n = it->m_NumStrings;
    if (n < 2 || it->Kind(n - 2) != KCBLV_TEXT || it->Kind(n - 1) != KCBLV_TEXT) return false;
    const char* head = it->Value(n - 2);
    if (std::strncmp(head, kRawMark, sizeof kRawMark - 1) != 0 || !xKCBLBareText(head, std::strlen(head)))
      return false;
    return RawTextReadsBack(it->Value(n - 1), indent);
  }

  // Elements stand bare when they can; others are quoted whole, never split.
  void Array(const char* p, uint32_t count) {
    m_Sink.Put("{ ", 2);
    for (uint32_t e = 0; e < count; ++e) {
      if (e) m_Sink.Put(", ", 2);
      const size_t len = std::strlen(p);
      if (xKCBLBareText(p, len)) m_Sink.Put(p, len);
      else Quoted(p, len, false);
      p += len + 1;
    }
    m_Sink.Put('}');
  }

  // Escaped in quotes; with split, a line that grows past the maximum less 2 is closed and the
  // rest goes on in a new quote on the next line, at the column where the values began.
  void Quoted(const char* v, size_t len, bool split) {
    m_Sink.Put('"');
    size_t i = 0;
    while (i < len) {
      const char esc = kEscape[static_cast<unsigned char>(v[i])];
      if (esc) {
        const char pair[2] = {'\\', esc};
        m_Sink.Put(pair, 2);
        ++i;
      } else {
        // Plain bytes up to the next escape or the first one that crosses the limit.
        size_t run = 1;
        if (split) {
          const int64_t col = static_cast<int64_t>(m_Sink.Pos() - m_LineStart);
          const int64_t fit = m_Max - 1 - col;
          const size_t most = fit > 1 ? static_cast<size_t>(fit) : 1;
          while (run < most && i + run < len && !kEscape[static_cast<unsigned char>(v[i + run])]) ++run;
        } else {
          while (i + run < len && !kEscape[static_cast<unsigned char>(v[i + run])]) ++run;
        }
        m_Sink.Put(v + i, run);
        i += run;
      }
      if (split && i < len && static_cast<int64_t>(m_Sink.Pos() - m_LineStart) > m_Max - 2) {
        m_Sink.Put("\"\n", 2);
        m_LineStart = m_Sink.Pos();
        m_Sink.Fill(' ', m_ValueCol);
        m_Sink.Put('"');
      }
    }
    m_Sink.Put('"');
  }

  Sink& m_Sink;
  const int64_t m_MaxLine;
  int64_t m_Max = 0;  // for the item being written
  size_t m_ItemStart = 0;
  size_t m_LineStart = 0;
  size_t m_ValueCol = 0;
};
}  // namespace

bool xKCBLBareText(const char* text, size_t length) {
  if (!length) return false;
  for (size_t i = 0; i < length; ++i)
    if (!kBare[static_cast<unsigned char>(text[i])]) return false;
  return true;
}

int32_t xKCBLWriteText(const TKCBLChunk* top, int32_t maxLine, char* buffer, size_t size, size_t* length) {
  if (!buffer) {
    CCountSink sink;
    if (!CWriter<CCountSink>(sink, maxLine).Tree(top)) return 0;
    *length = sink.Pos();
    return 1;
  }
  if (!size) return 0;
  CBufferSink sink(buffer, size - 1);
  if (!CWriter<CBufferSink>(sink, maxLine).Tree(top) || !sink.Ok()) return 0;
  *length = sink.Pos();
  return 1;
}
