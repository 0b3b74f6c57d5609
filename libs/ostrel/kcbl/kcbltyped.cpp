// Typed items: records built from and read into lists of plain values.
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "ostrel/base/money.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/kcbl/kcblbuffer.h"
#include "ostrel/kcbl/kcblnumbers.h"
#include "ostrel/system/debug.h"

namespace {
constexpr std::array<bool, 256> MakeKeywordBytes() {
  std::array<bool, 256> t{};
  for (int c = 33; c < 127; ++c) t[c] = true;
  for (char c : {',', '=', '{', ';', '"'}) t[static_cast<unsigned char>(c)] = false;
  return t;
}
constexpr std::array<bool, 256> kKeywordByte = MakeKeywordBytes();

// A keyword that the writer writes as it is and the reader gives back unchanged: a comment line
// (any text but a line end), "{" and "[", or printable text without the bytes that end or open
// something, not starting with the bytes that close a chunk or raw data.
bool KeywordReadsBack(const char* k) {
  if (k[0] == ';') return !std::strpbrk(k, "\r\n");
  if (xKCBLIsChunkKeyword(k) || (k[0] == '[' && !k[1])) return true;
  if (k[0] == '}' || k[0] == ']' || k[0] == '[') return false;
  for (const char* p = k; *p; ++p)
    if (!kKeywordByte[static_cast<unsigned char>(*p)]) return false;
  return true;
}

// As the amount's own assignment from text: a text that is no amount leaves zero and the flag.
void ParseMoney(const char* text, TKCBLMoney* amount) {
  if (!TKCBLMoney::Translate(text, *amount)) amount->SetError(1);
}

constexpr uint64_t kMaxBlock = 0x7FFFFFF0u;

// Appends to the work buffer's block, refusing blocks that outgrow 32-bit sizes.
class CBlockBuilder {
 public:
  explicit CBlockBuilder(CKCBLBuffer& b) : m_B(b) {}
  bool Room(uint64_t n) { return n <= kMaxBlock - m_Used && m_B.Reserve(static_cast<size_t>(m_Used + n)); }
  char* At() { return m_B.Data() + m_Used; }
  void Advance(size_t n) { m_Used += n; }
  bool Put(const char* p, size_t n) {
    if (!Room(n)) return false;
    std::memcpy(At(), p, n);
    m_Used += n;
    return true;
  }
  bool Byte(char c) { return Put(&c, 1); }
  uint32_t Used() const { return static_cast<uint32_t>(m_Used); }

 private:
  CKCBLBuffer& m_B;
  uint64_t m_Used = 0;
};
}  // namespace

int32_t CKCBL::BuildItem(const char* keyword, const SKCBLWord* w, size_t n, bool checkKeyword,
                         SKCBLItemParts* parts) {
  if (!keyword) return 0;
  if (checkKeyword && !KeywordReadsBack(keyword)) {
    xprintf("Keyword \"%s\" cannot be written as KCBL text\n", keyword);
    return 0;
  }
  CKCBLBuffer& work = Work();
  auto& values = work.m_Values;
  values.clear();
  CBlockBuilder b(work);
  if (!b.Put(keyword, std::strlen(keyword) + 1)) return 0;

  // Writes one number's text and its NUL.
  auto number = [&](uint32_t tag, const SKCBLWord& v) -> bool {
    char text[KCBL_DOUBLE_TEXT];
    size_t len = 0;
    switch (tag) {
      case KBOOL:
        return b.Put(v.m_Int ? "TRUE" : "FALSE", v.m_Int ? 5 : 6);
      case KLONG:
        len = std::to_chars(text, text + 16, static_cast<int32_t>(static_cast<uint32_t>(v.m_Int))).ptr - text;
        break;
      case KULONG:
        len = std::to_chars(text, text + 16, static_cast<uint32_t>(v.m_Int)).ptr - text;
        break;
      case KDOUBLE:
        len = xKCBLFormatDouble(v.m_Double, m_DoublePrecision, text);
        break;
      case KMONEY: {
        if (!v.m_Ptr) return false;
        const size_t need = TKCBLMoney::PrintSize(-1, m_MoneyPrecision);
        if (!b.Room(need)) return false;
        TKCBLMoney::Print(*static_cast<const TKCBLMoney*>(v.m_Ptr), b.At(), need, -1, m_MoneyPrecision);
        b.Advance(std::strlen(b.At()) + 1);
        return true;
      }
    }
    text[len++] = 0;
    return b.Put(text, len);
  };

  bool ended = false;
  size_t i = 0;
  while (i < n && !ended) {
    const uint32_t tag = w[i++].m_Tag;
    SKCBLValue value{b.Used(), 0, KCBLV_TEXT};
    bool ok = true;
    switch (tag) {
      case KEND:
        ended = true;
        continue;
      case KBOOL:
      case KLONG:
      case KULONG:
      case KDOUBLE:
      case KMONEY:
        ok = number(tag, w[i++]);
        break;
      case KSTRING: {
        const auto* s = static_cast<const char*>(w[i++].m_Ptr);
        if (!s) {
          xprintf("Tried to add NULL string in keyword \"%s\"\n", keyword);
          return 0;
        }
        // A text starting with ";" is a comment, as in the text; one that holds a line end could
        // not be written as one and stays a quoted text.
        if (s[0] == ';' && !std::strpbrk(s, "\r\n")) value.m_Kind = KCBLV_COMMENT;
        ok = b.Put(s, std::strlen(s) + 1);
        break;
      }
      case KBOOLARRAY:
      case KLONGARRAY:
      case KULONGARRAY:
      case KDOUBLEARRAY:
      case KMONEYARRAY: {
        const int64_t count = w[i].m_Int;
        const void* p = w[i + 1].m_Ptr;
        i += 2;
        if (count < 0 || count > 0x7FFFFFFF || (count && !p)) return 0;
        value.m_Kind = KCBLV_ARRAY;
        value.m_Count = static_cast<uint32_t>(count);
        ok = b.Byte(static_cast<char>(KCBL_ARRAY_MARK));
        for (int64_t e = 0; ok && e < count; ++e) {
          SKCBLWord one{};
          uint32_t elementTag = KMONEY;
          switch (tag) {
            case KBOOLARRAY: elementTag = KBOOL, one.m_Int = static_cast<const int32_t*>(p)[e]; break;
            case KLONGARRAY: elementTag = KLONG, one.m_Int = static_cast<const int32_t*>(p)[e]; break;
            case KULONGARRAY: elementTag = KULONG, one.m_Int = static_cast<const uint32_t*>(p)[e]; break;
            case KDOUBLEARRAY: elementTag = KDOUBLE, one.m_Double = static_cast<const double*>(p)[e]; break;
            default: one.m_Ptr = static_cast<const TKCBLMoney*>(p) + e; break;
          }
          ok = number(elementTag, one);
        }
        if (ok && !count) ok = b.Byte(0);
        // The array's end mark only when more values follow.
        if (ok && i < n && w[i].m_Tag != KEND) ok = b.Byte(static_cast<char>(KCBL_ARRAY_END));
        break;
      }
      default:
        xprintf("Unknown data type (Missing KEND?) in keyword \"%s\"\n", keyword);
        return 0;
    }
    if (!ok) return 0;
    values.push_back(value);
  }
  if (!ended) {
    xprintf("Unknown data type (Missing KEND?) in keyword \"%s\"\n", keyword);
    return 0;
  }
  if (!b.Byte(static_cast<char>(KCBL_ITEM_END))) return 0;
  parts->m_pBlock = work.Data();
  parts->m_Size = b.Used();
  parts->m_pValues = values.data();
  parts->m_NumStrings = static_cast<uint32_t>(values.size());
  return 1;
}

TKCBLKeyword* CKCBL::InsertItem(const SKCBLItemParts& parts, TKCBLKeyword* after) {
  TKCBLChunk* c = m_pCurChunk;
  TKCBLKeyword* item = xKCBLNewKeyword(parts);
  if (!item) return nullptr;
  TKCBLChunk* sub = nullptr;
  if (xKCBLIsChunkKeyword(item->Keyword())) {
    sub = xKCBLNewChunk(c, item);
    if (!sub) {
      xKCBLFreeKeyword(item);
      return nullptr;
    }
    item->m_pChunk = sub;
  }
  xKCBLLinkAfter(c, after, item);
  c->m_pCur = item;
  m_HasData = 1;
  m_HeapItems = true;
  if (sub) m_pCurChunk = sub;
  return item;
}

int32_t CKCBL::NewItemList(const char* keyword, const SKCBLWord* words, size_t n) {
  if (keyword && xKCBLIsChunkKeyword(keyword) && m_pCurChunk->m_Depth >= KCBL_MAX_DEPTH) return 0;
  SKCBLItemParts parts;
  if (!BuildItem(keyword, words, n, true, &parts)) return 0;
  TKCBLChunk* c = m_pCurChunk;
  return InsertItem(parts, c->m_pCur ? c->m_pCur : c->m_pLast) ? 1 : 0;
}

int32_t CKCBL::ReplaceItemList(const char* keyword, const SKCBLWord* words, size_t n) {
  if (keyword && !FindItem(keyword)) return 0;
  TKCBLKeyword* old = RealItem();
  if (!old) return 0;
  // The new item is made first, so that a failure leaves the data as they were.
  SKCBLItemParts parts;
  if (!BuildItem(old->Keyword(), words, n, false, &parts)) return 0;
  TKCBLChunk* c = m_pCurChunk;
  if (!InsertItem(parts, old)) return 0;
  if (old->m_pChunk) ForgetChunks(old->m_pChunk);
  xKCBLUnlink(c, old);
  xKCBLFreeKeyword(old);
  return 1;
}

int32_t CKCBL::GetItemList(const char* keyword, const SKCBLWord* w, size_t n) {
  if (keyword ? !FindItem(keyword) : !RealItem()) return 0;
  int32_t v = 0;
  for (size_t i = 0; i < n; ++v) {
    const uint32_t tag = w[i++].m_Tag;
    void* out = i < n ? const_cast<void*>(w[i].m_Ptr) : nullptr;
    int32_t ok = 0;
    switch (tag) {
      case KEND:
        return 1;
      case KBOOL: ok = GetBool(v, static_cast<int32_t*>(out)); ++i; break;
      case KLONG: ok = GetLong(v, static_cast<int32_t*>(out)); ++i; break;
      case KULONG: ok = GetULong(v, static_cast<uint32_t*>(out)); ++i; break;
      case KDOUBLE: ok = GetDouble(v, static_cast<double*>(out)); ++i; break;
      case KMONEY: ok = GetMoney(v, static_cast<TKCBLMoney*>(out)); ++i; break;
      case KSTRING:
      case KBOOLARRAY:
      case KLONGARRAY:
      case KULONGARRAY:
      case KDOUBLEARRAY:
      case KMONEYARRAY: {
        const auto limit = static_cast<uint64_t>(w[i].m_Int);
        out = const_cast<void*>(w[i + 1].m_Ptr);
        i += 2;
        if (limit > 65535) return 0;
        const auto count = static_cast<int32_t>(limit);
        switch (tag) {
          case KSTRING: {
            const char* s = GetString(v);
            const size_t len = s ? std::strlen(s) : 0;
            ok = s && out && len <= limit;
            if (ok) std::memcpy(out, s, len + 1);
            break;
          }
          case KBOOLARRAY: ok = GetBoolArray(v, static_cast<int32_t*>(out), count); break;
          case KLONGARRAY: ok = GetLongArray(v, static_cast<int32_t*>(out), count); break;
          case KULONGARRAY: ok = GetULongArray(v, static_cast<uint32_t*>(out), count); break;
          case KDOUBLEARRAY: ok = GetDoubleArray(v, static_cast<double*>(out), count); break;
          default: ok = GetMoneyArray(v, static_cast<TKCBLMoney*>(out), count); break;
        }
        break;
      }
      default:
        xprintf("Unknown data type (Missing KEND?) in keyword \"%s\"\n", keyword ? keyword : GetKeyword());
        return 0;
    }
    if (!ok) return 0;
  }
  return 0;  // the list lacked its end
}

int32_t CKCBL::GetLong(int32_t n, int32_t* value) { return xKCBLParseLong(GetString(n), value); }
int32_t CKCBL::GetULong(int32_t n, uint32_t* value) { return xKCBLParseULong(GetString(n), value); }
int32_t CKCBL::GetFloat(int32_t n, float* value) { return xKCBLParseFloat(GetString(n), value); }
int32_t CKCBL::GetDouble(int32_t n, double* value) { return xKCBLParseDouble(GetString(n), value); }
int32_t CKCBL::GetBool(int32_t n, int32_t* value) { return xKCBLParseBool(GetString(n), value); }

int32_t CKCBL::GetMoney(int32_t n, TKCBLMoney* value) {
  const char* s = GetString(n);
  if (!s || !value) return 0;
  ParseMoney(s, value);
  return 1;
}

const char* CKCBL::ArrayStart(int32_t n, int32_t count) {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  if (!cur || n < 0 || count < 0 || static_cast<uint32_t>(n) >= cur->m_NumStrings) return nullptr;
  const SKCBLValue& v = cur->m_pValues[n];
  if (v.m_Kind != KCBLV_ARRAY || v.m_Count < static_cast<uint32_t>(count)) return nullptr;
  return cur->m_pData + v.m_Offset + 1;
}

namespace {
// Reads count elements from p (each ended by NUL) with parse.
template <class T, class F>
int32_t ReadElements(const char* p, T* values, int32_t count, F parse) {
  if (!p || (!values && count)) return 0;
  for (int32_t e = 0; e < count; ++e) {
    if (!parse(p, values + e)) return 0;
    p += std::strlen(p) + 1;
  }
  return 1;
}
}  // namespace

int32_t CKCBL::GetBoolArray(int32_t n, int32_t* values, int32_t count) {
  return ReadElements(ArrayStart(n, count), values, count, xKCBLParseBool);
}
int32_t CKCBL::GetLongArray(int32_t n, int32_t* values, int32_t count) {
  return ReadElements(ArrayStart(n, count), values, count, xKCBLParseLong);
}
int32_t CKCBL::GetULongArray(int32_t n, uint32_t* values, int32_t count) {
  return ReadElements(ArrayStart(n, count), values, count, xKCBLParseULong);
}
int32_t CKCBL::GetDoubleArray(int32_t n, double* values, int32_t count) {
  return ReadElements(ArrayStart(n, count), values, count, xKCBLParseDouble);
}
int32_t CKCBL::GetMoneyArray(int32_t n, TKCBLMoney* values, int32_t count) {
  const char* p = ArrayStart(n, count);
  if (!p || (!values && count)) return 0;
  for (int32_t e = 0; e < count; ++e, p += std::strlen(p) + 1) ParseMoney(p, values + e);
  return 1;
}

int32_t CKCBL::GetNumArrayItems(int32_t n, int32_t* count) {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  if (!cur || !count || n < 0 || static_cast<uint32_t>(n) >= cur->m_NumStrings) return 0;
  const SKCBLValue& v = cur->m_pValues[n];
  if (v.m_Kind != KCBLV_ARRAY) return 0;
  *count = static_cast<int32_t>(v.m_Count);
  return 1;
}

int32_t CKCBL::GetString(const char* keyword, char** text) {
  if (!keyword || !text || !FindItem(keyword)) return 0;
  const char* s = GetString(0);
  char* copy = s ? xStrdup(s) : nullptr;
  if (!copy) return 0;
  xFree(*text);
  *text = copy;
  return 1;
}

void CKCBL::SetFloatPrecision(int32_t n) {
  if (n > 10) n = 10;
  if (n < 0) std::strcpy(m_FloatFormat, "%f");
  else std::snprintf(m_FloatFormat, sizeof m_FloatFormat, "%%.%df", n);
}

void CKCBL::SetDoublePrecision(int32_t n) {
  if (n > 10) n = 10;
  m_DoublePrecision = n < 0 ? -1 : n;
  if (n < 0) std::strcpy(m_DoubleFormat, "%lf");
  else std::snprintf(m_DoubleFormat, sizeof m_DoubleFormat, "%%.%dlf", n);
}

void CKCBL::SetMoneyPrecision(int32_t n) { m_MoneyPrecision = n < 0 || n > 10 ? 10 : n; }
