#include "casino/xml/xmltokenizer.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Position of the first c in [from, end) of text; end when there is none.
uint32_t FindByte(const char* text, uint32_t from, uint32_t end, char c) {
  if (from >= end) return end;
  const void* hit = std::memchr(text + from, c, end - from);
  return hit ? static_cast<uint32_t>(static_cast<const char*>(hit) - text) : end;
}
}  // namespace

bool CXmlTokenizer::Next() {
  const uint32_t open = FindByte(m_pText, m_Pos, m_Length, '<');
  if (open == m_Length || !ScanTag(open)) return false;
  if (m_bEmptyElement) {
    m_ContentStart = m_TagClose + 1;
    m_ContentLength = 0;
    m_ClosingTag = m_ContentStart;
    m_Pos = m_ContentStart;
    return true;
  }
  m_ClosingTag = FindClosingTag(m_TagClose + 1);
  if (m_ClosingTag == kNone) return false;
  m_ContentStart = m_TagClose + 1;
  m_ContentLength = m_ClosingTag - m_ContentStart;
  m_Pos = m_ClosingTag + m_NameLength + 3;
  return true;
}

bool CXmlTokenizer::HasChildren() const {
  return m_ContentLength && std::memchr(m_pText + m_ContentStart, '<', m_ContentLength);
}

// The name runs from after '<' to the first blank, or to the '>' (to the '/' of "/>"); the
// attribute text is the rest of the tag after that blank.
bool CXmlTokenizer::ScanTag(uint32_t open) {
  const uint32_t close = FindByte(m_pText, open + 1, m_Length, '>');
  if (close == m_Length) return false;
  m_TagOpen = open;
  m_TagClose = close;
  m_bEmptyElement = close > open + 1 && m_pText[close - 1] == '/';
  const uint32_t inner = m_bEmptyElement ? close - 1 : close;
  uint32_t blank = open + 1;
  while (blank < close && !IsBlank(m_pText[blank])) ++blank;
  m_NameStart = open + 1;
  if (blank < close) {
    m_NameLength = blank - m_NameStart;
    m_AttrStart = blank + 1;
  } else {
    m_NameLength = inner - m_NameStart;
    m_AttrStart = inner;
  }
  m_AttrLength = inner - m_AttrStart;
  return true;
}

// The first "</name>" from `from` on that is not taken by an element of the same name opened
// in between, so that an element nested in one of its own name closes at its own tag.
uint32_t CXmlTokenizer::FindClosingTag(uint32_t from) const {
  const uint32_t n = m_NameLength;
  uint32_t open = 0;
  uint32_t nextClose = 0;  // the first '>' after the tag looked at, kept across the walk
  for (uint32_t at = NextCandidate(from); at != m_Length; at = NextCandidate(at + 1)) {
    if (m_Length - at >= n + 3 && m_pText[at + n + 2] == '>' && m_pText[at + 1] == '/' &&
        std::memcmp(m_pText + at + 2, m_pText + m_NameStart, n) == 0) {
      if (open == 0) return at;
      --open;
      at += n + 2;
    } else if (IsOpeningOfSameName(at, nextClose)) {
      ++open;
    }
  }
  return kNone;
}

// The first '<' at or after `from` that may start the closing tag or an opening tag of the
// current name, m_Length when there is none. A content holds many tags of other names: sixteen
// bytes at a time, only a '<' with "/" after it and '>' where the closing tag would end, or with
// the name's first byte after it and a blank or '>' where the name would end, is handed on.
uint32_t CXmlTokenizer::NextCandidate(uint32_t from) const {
  const uint32_t n = m_NameLength;
#if defined(__SSE2__)
  if (n > 0) {
    const __m128i lt = _mm_set1_epi8('<'), slash = _mm_set1_epi8('/'), gt = _mm_set1_epi8('>');
    const __m128i first = _mm_set1_epi8(m_pText[m_NameStart]);
    const __m128i space = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; static_cast<uint64_t>(from) + n + 2 + 16 <= m_Length; from += 16) {
      const char* p = m_pText + from;
      const auto load = [](const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
      const __m128i opening = load(p), second = load(p + 1), nameEnd = load(p + n + 1), closeEnd = load(p + n + 2);
      const __m128i closing = _mm_and_si128(_mm_cmpeq_epi8(second, slash), _mm_cmpeq_epi8(closeEnd, gt));
      const __m128i ended = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(nameEnd, gt), _mm_cmpeq_epi8(nameEnd, space)),
                                         _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(nameEnd, tab), _mm_cmpeq_epi8(nameEnd, cr)),
                                                      _mm_cmpeq_epi8(nameEnd, lf)));
      const __m128i named = _mm_and_si128(_mm_cmpeq_epi8(second, first), ended);
      const int mask = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(opening, lt), _mm_or_si128(closing, named)));
      if (mask) return from + static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
#endif
  return FindByte(m_pText, from, m_Length, '<');
}

// Whether the tag at `at` opens an element named as the current one, as ScanTag would read it:
// same name, not an empty element, and a '>' to end it. Decided from the bytes after the name
// and the next '>' alone, so that a long tag is never scanned twice.
bool CXmlTokenizer::IsOpeningOfSameName(uint32_t at, uint32_t& nextClose) const {
  // "<name/>" is empty and "<name/x" another name: only a blank or '>' can follow the name.
  const uint32_t n = m_NameLength;
  if (m_Length - at < n + 2) return false;
  const char after = m_pText[at + n + 1];
  if ((after != '>' && !IsBlank(after)) || std::memcmp(m_pText + at + 1, m_pText + m_NameStart, n) != 0) return false;
  if (after == '>') return n == 0 || m_pText[at + n] != '/';  // "<x/>" would be the empty "x"
  if (nextClose != m_Length && nextClose <= at) nextClose = FindByte(m_pText, at + 1, m_Length, '>');
  return nextClose != m_Length && m_pText[nextClose - 1] != '/';
}
