#include "ostrel/kcbl/kcblwriter.h"

#include <algorithm>
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

// Bytes that the reader takes as they are in a keyword: braces are text there. A ";" starts a
// comment that joins the keyword up to the line end.
constexpr std::array<bool, 256> MakeKeywordBare() {
  std::array<bool, 256> t{};
  for (int c = 33; c < 127; ++c) t[c] = true;
  for (char c : {',', '"', ';', '='}) t[static_cast<unsigned char>(c)] = false;
  return t;
}
constexpr std::array<bool, 256> kKeywordBare = MakeKeywordBare();

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

bool HasLineEnd(const char* p, size_t n) { return std::memchr(p, '\n', n) || std::memchr(p, '\r', n); }

// The deepest indentation (at most want) at which a "[" line still has its raw text read back
// whole: the text ends with a line end, holds only bytes the reader takes, and no line of it
// has "]" after that many blanks and tabs or fewer (the reader would take it for the closing
// line). -1 when there is none.
int64_t RawIndent(const char* raw, int64_t want) {
  const auto* s = reinterpret_cast<const unsigned char*>(raw);
  if (!*s) return want;
  for (;;) {
    const unsigned char* t = s;
    while (*t == ' ' || *t == '\t') ++t;
    if (*t == ']') want = std::min<int64_t>(want, t - s - 1);
    while (*t && !IsLineEnd(*t)) {
      if (*t != '\t' && (*t < 32 || *t > 126)) return -1;
      ++t;
    }
    if (!*t) return -1;  // no line end at the end
    s = t + 1;
    if (!*s) return want;
  }
}

// How an item's line starts.
enum class EStart {
  Bare,     // with the keyword's first byte as it is
  Raw,      // a raw-data item, "[" first
  Comment,  // a comment line: the keyword as it is, to the line end
  Quoted,   // with a quote: only where no line before it takes the quote for its own
  Never,    // no line reads back as this keyword
};

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
        it = c->m_pOwner->m_pNext;
        m_Sink.Fill(' ', static_cast<size_t>(c->m_Depth - 1) * 4);
        m_Sink.Put('}');
        EndLine(false, it);
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
  static EStart Start(const TKCBLKeyword* it) {
    const char* kw = it->Keyword();
    const size_t len = it->KeywordLength();
    if (!len) return EStart::Bare;
    const auto c = static_cast<unsigned char>(kw[0]);
    // A line with "[" first is raw data; an item that is no such data can still start with a
    // quoted "[" (the reader makes one from that).
    if (c == '[') return RawIndent(it, 0) >= 0 ? EStart::Raw : EStart::Quoted;
    // A line whose keyword comes out with these first closes a chunk or is passed over.
    if (c == '}' || c == ']') return EStart::Never;
    if (c == ';' && !it->m_NumStrings && !HasLineEnd(kw, len)) return EStart::Comment;
    return kKeywordBare[c] ? EStart::Bare : EStart::Quoted;
  }

  // Ends the physical line. A closing line (a chunk's "}", a raw item's "]") takes an empty
  // comment when the item after it must start with a quote: the reader would add the quoted text
  // to the closing line otherwise. An item's own line cannot take one.
  void EndLine(bool inComment, const TKCBLKeyword* afterClosing = nullptr) {
    if (!inComment && afterClosing && Start(afterClosing) == EStart::Quoted) {
      m_Sink.Put("\t\t;", 3);
      inComment = true;
    }
    m_Sink.Put('\n');
    m_AfterComment = inComment;
  }

  bool Item(const TKCBLKeyword* it, int32_t depth) {
    const EStart start = Start(it);
    if (start == EStart::Never || (start == EStart::Quoted && !m_AfterComment)) return false;
    const bool raw = start == EStart::Raw;
    int64_t indent = static_cast<int64_t>(depth) * 4;
    if (raw && (indent = RawIndent(it, indent)) < 0) return false;
    m_ItemStart = m_LineStart = m_Sink.Pos();
    m_Sink.Fill(' ', static_cast<size_t>(indent));
    const uint32_t n = it->m_NumStrings;
    const uint32_t nv = raw ? n - 1 : n;
    bool inComment = true;
    if (start == EStart::Comment) m_Sink.Put(it->Keyword(), it->KeywordLength());
    else inComment = Keyword(it->Keyword(), it->KeywordLength(), nv, start == EStart::Quoted);
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
      inComment = kind == KCBLV_COMMENT;
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
      // The raw-data header stays bare (RawIndent has seen that it can), or the reader would not
      // know the line.
      if ((raw && i + 1 == nv) || (xKCBLBareText(v, len) && static_cast<int64_t>(len) <= room))
        m_Sink.Put(v, len);
      else
        Quoted(v, len, true);
    }
    if (raw) {
      const char* text = it->Value(n - 1);
      m_Sink.Put('\n');
      m_Sink.Put(text, it->TextLength(n - 1));
      if (indent > 4) m_Sink.Fill(' ', static_cast<size_t>(indent - 4));
      m_Sink.Put(']');
      EndLine(false, it->m_pNext);
      return true;
    }
    EndLine(inComment);
    return true;
  }

  // The indentation for a raw item: its own where its text reads back there, else less.
  static int64_t RawIndent(const TKCBLKeyword* it, int64_t indent) {
    const uint32_t n = it->m_NumStrings;
    if (n < 2 || it->Kind(n - 2) != KCBLV_TEXT || it->Kind(n - 1) != KCBLV_TEXT) return -1;
    const char* head = it->Value(n - 2);
    if (std::strncmp(head, kRawMark, sizeof kRawMark - 1) != 0) return -1;
    // Bare, as it must stand; outside an array a "}" is text there too.
    for (const char* p = head; *p; ++p)
      if (!kBare[static_cast<unsigned char>(*p)] && *p != '}') return -1;
    return ::RawIndent(it->Value(n - 1), indent);
  }

  // The keyword, bare where the reader takes its bytes as they are, quoted in between. Without
  // values to follow, a ";" with no line end after it and the rest of the keyword stand as they
  // are (the reader joins such a comment to the keyword); the line then ends in a comment, and
  // that is the result. With quoteFirst the first byte is quoted whatever it is.
  bool Keyword(const char* kw, size_t len, uint32_t values, bool quoteFirst) {
    size_t tail = len;
    if (!values) {
      size_t from = len;
      while (from > 0 && !IsLineEnd(static_cast<unsigned char>(kw[from - 1]))) --from;
      const void* semi = std::memchr(kw + from, ';', len - from);
      if (semi) tail = static_cast<size_t>(static_cast<const char*>(semi) - kw);
    }
    for (size_t i = 0; i < tail;) {
      size_t run = 0;
      const bool bare = kKeywordBare[static_cast<unsigned char>(kw[i])] && !(i == 0 && quoteFirst);
      while (i + run < tail && kKeywordBare[static_cast<unsigned char>(kw[i + run])] == bare) ++run;
      run = std::max<size_t>(run, 1);
      if (bare) m_Sink.Put(kw + i, run);
      else Quoted(kw + i, run, false);
      i += run;
    }
    m_Sink.Put(kw + tail, len - tail);
    return tail < len;
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
  bool m_AfterComment = true;  // the last line ended in a comment, or there is none yet
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
