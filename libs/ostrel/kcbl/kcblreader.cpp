#include "ostrel/kcbl/kcblreader.h"

#include <array>
#include <cstring>

namespace {
enum : uint8_t { kStore, kSpace, kLineEnd, kQuote, kSep, kSemi, kOpen, kClose, kBad };

constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = (c > 32 && c < 127) ? kStore : kBad;
  t[' '] = t['\t'] = kSpace;
  t['\r'] = t['\n'] = kLineEnd;
  t['"'] = kQuote;
  t[','] = t['='] = kSep;
  t[';'] = kSemi;
  t['{'] = kOpen;
  t['}'] = kClose;
  return t;
}
constexpr std::array<uint8_t, 256> kClass = MakeClasses();

// Inside quotes everything is taken as it is except these.
constexpr std::array<bool, 256> MakeQuoteStops() {
  std::array<bool, 256> t{};
  t['"'] = t['\\'] = t['\r'] = t['\n'] = true;
  return t;
}
constexpr std::array<bool, 256> kQuoteStop = MakeQuoteStops();

constexpr char kRawMark[] = "ASCIIDATA";

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }
}  // namespace

CKCBLReader::CKCBLReader(const char* text, size_t length, CKCBLBuffer& buffer)
    : m_p(reinterpret_cast<const unsigned char*>(text)), m_End(m_p + length), m_Buf(buffer) {}

// Room for everything one physical line from `from` can produce: each input byte gives at most
// one output byte, plus a few for the value that a comment ends and the item's end bytes.
bool CKCBLReader::Reserve(const unsigned char* from, size_t extra) {
  const void* lf = std::memchr(from, '\n', static_cast<size_t>(m_End - from));
  const size_t line = (lf ? static_cast<const unsigned char*>(lf) : m_End) - from;
  const size_t used = m_o - m_Buf.Data();
  if (!m_Buf.Reserve(used + line + extra + 16)) return false;
  m_o = m_Buf.Data() + used;
  return true;
}

const unsigned char* CKCBLReader::NextSignificant(const unsigned char* p) {
  if (p >= m_SkipFrom && p <= m_SkipTo) return m_SkipTo;
  const unsigned char* q = p;
  while (q < m_End && (IsBlank(*q) || IsLineEnd(*q))) ++q;
  m_SkipFrom = p;
  m_SkipTo = q;
  return q;
}

void CKCBLReader::StartValue(uint8_t kind) {
  m_Buf.m_Values.push_back(SKCBLValue{static_cast<uint32_t>(m_o - m_Buf.Data()), 0, kind});
  m_ValueAny = m_ValueQuoted = false;
}

// Ends the keyword or the plain value in progress.
void CKCBLReader::EndString() { *m_o++ = 0; }

void CKCBLReader::CloseArray(bool moreFollow) {
  if (m_BracePending) m_o[-1] = 0;  // the "}" closed the array, it is not text
  else *m_o++ = 0;
  if (moreFollow) *m_o++ = static_cast<char>(KCBL_ARRAY_END);
  m_Buf.m_Values.back().m_Count = m_ArrayAny ? m_Separators + 1 : 0;
  m_InArray = m_BracePending = false;
}

void CKCBLReader::CopyToLineEnd() {
  const unsigned char* s = m_p;
  while (m_p < m_End && !IsLineEnd(*m_p)) ++m_p;
  std::memcpy(m_o, s, m_p - s);
  m_o += m_p - s;
}

bool CKCBLReader::ReadQuoted() {
  // Locals: stores through the char cursor could otherwise alias the members.
  const unsigned char* p = m_p + 1;
  const unsigned char* const end = m_End;
  char* o = m_o;
  bool ok = false;
  for (;;) {
    while (p < end && !kQuoteStop[*p]) *o++ = static_cast<char>(*p++);
    if (p == end) break;
    const unsigned char c = *p;
    if (c == '"') {
      ++p;
      ok = true;
      break;
    }
    if (c != '\\' || p + 1 == end || IsLineEnd(p[1])) break;  // a line end in quotes
    const unsigned char e = p[1];
    *o++ = static_cast<char>(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e);
    p += 2;
  }
  m_p = p;
  m_o = o;
  return ok;
}

// The raw text of a "[" line runs from behind its line end to the line that has "]" after at most
// indent blanks and tabs; it becomes one more value.
bool CKCBLReader::ReadRaw(uint32_t indent, const unsigned char* lineEnd) {
  const unsigned char* s = lineEnd;
  if (s == m_End) return false;
  if (*s == '\r' && s + 1 < m_End && s[1] == '\n') s += 2;  // one line end, whatever its form
  else ++s;
  const unsigned char* raw = s;
  for (;;) {
    const unsigned char* t = s;
    uint32_t blanks = 0;
    while (t < m_End && blanks <= indent && IsBlank(*t)) ++t, ++blanks;
    if (blanks <= indent && t < m_End && *t == ']') break;
    while (t < m_End && !IsLineEnd(*t)) {
      if (kClass[*t] == kBad) return false;
      ++t;
    }
    if (t == m_End) return false;  // never closed
    s = t + 1;
  }
  const size_t n = s - raw;
  const size_t used = m_o - m_Buf.Data();
  if (!m_Buf.Reserve(used + n + 2)) return false;
  m_o = m_Buf.Data() + used;
  StartValue(KCBLV_TEXT);
  std::memcpy(m_o, raw, n);
  m_o += n;
  *m_o++ = 0;
  m_p = s;
  return true;
}

int32_t CKCBLReader::ReadLine(SKCBLItemParts* parts) {
  m_Buf.m_Values.clear();
  const unsigned char* lineStart = m_p;
  while (m_p < m_End && IsBlank(*m_p)) ++m_p;
  const uint32_t indent = static_cast<uint32_t>(m_p - lineStart);
  const bool rawLine = m_p < m_End && *m_p == '[';
  m_o = m_Buf.Data();
  if (!Reserve(m_p, 0)) return 0;

  m_InArray = m_BracePending = m_ArrayAny = m_ValueAny = m_ValueQuoted = false;
  m_Separators = 0;
  bool keyword = true, comment = false;
  int lastSig = -1;
  const unsigned char* lineEnd = nullptr;

  while (!lineEnd) {
    if (m_p == m_End) {
      lineEnd = m_End;
      break;
    }
    const unsigned char c = *m_p;
    switch (kClass[c]) {
      case kStore: {
        const unsigned char* p = m_p;
        const unsigned char* const end = m_End;
        char* o = m_o;
        unsigned char b = c;
        do {
          *o++ = static_cast<char>(b);
          ++p;
        } while (p < end && kClass[b = *p] == kStore);
        m_p = p;
        m_o = o;
        lastSig = p[-1];
        m_BracePending = false;
        m_ValueAny = m_ArrayAny = true;
        break;
      }
      case kSpace: {
        const unsigned char* p = m_p + 1;
        while (p < m_End && IsBlank(*p)) ++p;
        m_p = p;
        break;
      }
      case kQuote:
        if (!ReadQuoted()) return 0;
        lastSig = '"';
        m_BracePending = false;
        m_ValueAny = m_ValueQuoted = m_ArrayAny = true;
        break;
      case kSep:
        if (keyword) {
          EndString();
          keyword = false;
          StartValue(KCBLV_TEXT);
        } else if (m_InArray && m_BracePending) {
          CloseArray(true);
          StartValue(KCBLV_TEXT);
        } else if (m_InArray) {
          *m_o++ = 0;
          ++m_Separators;
          m_ArrayAny = true;
        } else {
          EndString();
          StartValue(KCBLV_TEXT);
        }
        lastSig = c;
        ++m_p;
        break;
      case kSemi:
        if (keyword) {  // a comment line, or a comment that joins the keyword
          CopyToLineEnd();
          lineEnd = m_p;
        } else if (lastSig == ',') {  // dropped; the line goes on after the comma
          while (m_p < m_End && !IsLineEnd(*m_p)) ++m_p;
          if (m_p < m_End) {
            m_p = NextSignificant(m_p);
            if (!Reserve(m_p, 0)) return 0;
          }
        } else {
          if (m_InArray) CloseArray(true);
          else EndString();
          StartValue(KCBLV_COMMENT);
          comment = true;
          CopyToLineEnd();
          lineEnd = m_p;
        }
        break;
      case kOpen:
        if (keyword) {
          *m_o++ = '{';
        } else if (m_InArray) {
          if (m_BracePending) m_BracePending = false, m_ArrayAny = true;  // that "}" was text
        } else if (!m_ValueAny) {
          *m_o++ = static_cast<char>(KCBL_ARRAY_MARK);
          m_Buf.m_Values.back().m_Kind = KCBLV_ARRAY;
          m_InArray = true;
          m_ArrayAny = m_BracePending = false;
          m_Separators = 0;
        } else {
          return 0;  // "{" in the middle of a bare value
        }
        lastSig = c;
        ++m_p;
        break;
      case kClose:
        if (m_InArray) {
          if (m_BracePending) m_ArrayAny = true;  // the earlier "}" stays text
          m_BracePending = true;
        }
        m_ValueAny = true;
        *m_o++ = '}';
        lastSig = c;
        ++m_p;
        break;
      case kLineEnd: {
        // The line goes on after a comma, or when the next text is a quoted part of the value in
        // progress. A raw-data header never takes a quoted line: that is the raw text.
        const unsigned char* q = NextSignificant(m_p);
        if (lastSig == ',' || (q < m_End && *q == '"' && (!rawLine || lastSig == '"'))) {
          m_p = q;
          if (!Reserve(m_p, 0)) return 0;
        } else {
          lineEnd = m_p;
        }
        break;
      }
      default:
        return 0;
    }
  }

  if (keyword || comment) EndString();
  else if (m_InArray) CloseArray(false);
  else EndString();

  if (rawLine) {
    const auto& vals = m_Buf.m_Values;
    if (vals.empty() || vals.back().m_Kind != KCBLV_TEXT || m_ValueQuoted ||
        std::strncmp(m_Buf.Data() + vals.back().m_Offset, kRawMark, sizeof kRawMark - 1) != 0)
      return 0;
    if (!ReadRaw(indent, lineEnd)) return 0;
  } else {
    m_p = lineEnd;
  }
  *m_o++ = static_cast<char>(KCBL_ITEM_END);

  if (m_p < m_End && *m_p == '\r') ++m_p;
  if (m_p < m_End && *m_p == '\n') ++m_p;

  parts->m_pBlock = m_Buf.Data();
  parts->m_Size = static_cast<uint32_t>(m_o - m_Buf.Data());
  parts->m_pValues = m_Buf.m_Values.data();
  parts->m_NumStrings = static_cast<uint32_t>(m_Buf.m_Values.size());
  return 1;
}
