#include "ostrel/compression/lzss.h"

#include <cstring>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/files/bitfile.h"
#include "ostrel/system/clock.h"

namespace {
constexpr int32_t kRoot = LZSS_WINDOW;
constexpr int32_t kMask = LZSS_WINDOW - 1;
constexpr int32_t kMinMatch = 2;
constexpr uint32_t kMaxCoded = 0xFFFFFFFFu;

// ---- sources and sinks of the encoder ----

struct SBufferSource {
  const uint8_t* p;
  const uint8_t* end;
  int Next() { return p < end ? *p++ : -1; }
};

struct SFileSource {
  CFile* f;
  int Next() {
    signed char c;
    return f->ReadByte(&c) ? static_cast<uint8_t>(c) : -1;
  }
};

// Bits into memory, counted past the capacity but never stored there.
struct SBufferBits {
  uint8_t* out;
  uint64_t cap;
  uint64_t count = 0;
  uint64_t acc = 0;
  int n = 0;
  void Emit(uint8_t b) {
    if (count < cap) out[count] = b;
    ++count;
  }
  void Put(uint32_t v, int bits) {
    acc = (acc << bits) | v;
    n += bits;
    while (n >= 8) {
      n -= 8;
      Emit(static_cast<uint8_t>(acc >> n));
    }
  }
  void Flush() {
    if (n) Emit(static_cast<uint8_t>(acc << (8 - n)));
    n = 0;
  }
};

struct SFileBits {
  CBitFile* f;
  bool ok = true;
  void Put(uint32_t v, int bits) {
    if (!f->WriteBits(v, bits)) ok = false;
  }
  void Flush() {
    if (!f->FlushBits()) ok = false;
  }
};

// ---- sources and sinks of the decoder ----

// Bits from memory; Get fails when the input is used up.
struct SBufferBitReader {
  const uint8_t* p;
  const uint8_t* end;
  uint64_t acc = 0;  // valid bits at the top
  int n = 0;
  void Refill() {
    if (end - p >= 8) {
      uint64_t v;
      std::memcpy(&v, p, 8);
      acc |= __builtin_bswap64(v) >> n;
      p += (63 - n) >> 3;
      n |= 56;
    } else {
      while (n <= 56 && p < end) {
        acc |= uint64_t{*p++} << (56 - n);
        n += 8;
      }
    }
  }
  uint32_t Take(int bits) {
    uint32_t v = static_cast<uint32_t>(acc >> (64 - bits));
    acc <<= bits;
    n -= bits;
    return v;
  }
  bool Get(int bits, uint32_t& v) {
    if (n < bits) Refill();
    if (n < bits) return false;
    v = Take(bits);
    return true;
  }
};

// Bits from a file; past its end they read as 0, which soon forms an end mark.
struct SFileBitReader {
  CBitFile* f;
  uint64_t bits = 0;
  bool Get(int count, uint32_t& v) {
    v = f->ReadBits(count);
    bits += static_cast<uint64_t>(count);
    return true;
  }
};

struct SCountingSink {
  uint8_t* out;
  uint64_t cap;
  uint64_t count;
  void Put(uint8_t c) {
    if (count < cap) out[count] = c;
    ++count;
  }
};

struct SFileSink {
  CFile* f;
  bool ok = true;
  uint8_t buf[4096] = {};
  uint32_t n = 0;
  void Put(uint8_t c) {
    buf[n++] = c;
    if (n == sizeof buf) Flush();
  }
  void Flush() {
    if (n && !f->Write(buf, n)) ok = false;
    n = 0;
  }
};
}  // namespace

CLzss::CLzss() {
  std::memset(m_Window, 0, sizeof m_Window);
  std::memset(m_Parent, 0, sizeof m_Parent);
  std::memset(m_Smaller, 0, sizeof m_Smaller);
  std::memset(m_Larger, 0, sizeof m_Larger);
}

CLzss::~CLzss() = default;

int32_t CLzss::SetCallback(TFileProgressFunc callback, int32_t interval) {
  m_pCallback = callback;
  m_Interval = interval;
  return 1;
}

void CLzss::Report(uint32_t done, uint32_t total, int32_t first) {
  if (!m_pCallback) return;
  m_LastReport = xGetTime();
  m_pCallback(static_cast<int32_t>(done), static_cast<int32_t>(total), first);
}

void CLzss::MaybeReport(uint32_t done, uint32_t total) {
  if (m_pCallback && xTimeDiff(m_LastReport, xGetTime()) > static_cast<uint32_t>(m_Interval))
    Report(done, total, 0);
}

// ---- the tree ----

namespace {
// Bytes the two strings share, at most LZSS_LOOKAHEAD; eight at a time.
inline int32_t CommonLength(const uint8_t* a, const uint8_t* b) {
  static_assert(LZSS_LOOKAHEAD == 17);
  for (int32_t i = 0; i < 16; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (uint64_t d = x ^ y) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      return i + __builtin_ctzll(d) / 8;
#else
      return i + __builtin_clzll(d) / 8;
#endif
    }
  }
  return a[16] == b[16] ? 17 : 16;
}
}  // namespace

void CLzss::SetWindow(int32_t pos, uint8_t c) {
  m_Window[pos] = c;
  if (pos < LZSS_LOOKAHEAD) m_Window[LZSS_WINDOW + pos] = c;
}

void CLzss::InitTree(int32_t node) {
  std::memset(m_Parent, 0, sizeof m_Parent);
  std::memset(m_Smaller, 0, sizeof m_Smaller);
  std::memset(m_Larger, 0, sizeof m_Larger);
  m_Larger[kRoot] = static_cast<int16_t>(node);
  m_Parent[node] = static_cast<int16_t>(kRoot);
}

// Puts the string at node into the tree and returns the longest match met on the way (the last
// node visited wins among equal lengths). A full-length match takes the old node's place.
int32_t CLzss::AddString(int32_t node, int32_t* matchPos) {
  if (node == 0) return 0;  // position 0 never starts a string
  int32_t test = m_Larger[kRoot];
  if (test == 0) {
    m_Larger[kRoot] = static_cast<int16_t>(node);
    m_Parent[node] = static_cast<int16_t>(kRoot);
    m_Smaller[node] = m_Larger[node] = 0;
    return 0;
  }
  int32_t best = 0;
  const uint8_t* a = m_Window + node;
  for (;;) {
    const uint8_t* b = m_Window + test;
    int32_t i = CommonLength(a, b);
    int32_t delta = i < LZSS_LOOKAHEAD ? a[i] - b[i] : 0;
    if (i >= best) {
      best = i;
      *matchPos = test;
      if (best >= LZSS_LOOKAHEAD) {
        ReplaceNode(test, node);
        return best;
      }
    }
    int16_t* child = delta >= 0 ? &m_Larger[test] : &m_Smaller[test];
    if (*child == 0) {
      *child = static_cast<int16_t>(node);
      m_Parent[node] = static_cast<int16_t>(test);
      m_Smaller[node] = m_Larger[node] = 0;
      return best;
    }
    test = *child;
  }
}

void CLzss::ContractNode(int32_t oldNode, int32_t newNode) {
  int32_t parent = m_Parent[oldNode];
  if (newNode) m_Parent[newNode] = static_cast<int16_t>(parent);
  if (m_Larger[parent] == oldNode) m_Larger[parent] = static_cast<int16_t>(newNode);
  else m_Smaller[parent] = static_cast<int16_t>(newNode);
  m_Parent[oldNode] = 0;
}

void CLzss::ReplaceNode(int32_t oldNode, int32_t newNode) {
  int32_t parent = m_Parent[oldNode];
  if (m_Smaller[parent] == oldNode) m_Smaller[parent] = static_cast<int16_t>(newNode);
  else m_Larger[parent] = static_cast<int16_t>(newNode);
  m_Parent[newNode] = m_Parent[oldNode];
  m_Smaller[newNode] = m_Smaller[oldNode];
  m_Larger[newNode] = m_Larger[oldNode];
  if (m_Smaller[newNode]) m_Parent[m_Smaller[newNode]] = static_cast<int16_t>(newNode);
  if (m_Larger[newNode]) m_Parent[m_Larger[newNode]] = static_cast<int16_t>(newNode);
  m_Parent[oldNode] = 0;
}

void CLzss::DeleteString(int32_t node) {
  if (m_Parent[node] == 0) return;  // not in the tree
  if (m_Larger[node] == 0) {
    ContractNode(node, m_Smaller[node]);
  } else if (m_Smaller[node] == 0) {
    ContractNode(node, m_Larger[node]);
  } else {
    int32_t repl = m_Smaller[node];
    while (m_Larger[repl]) repl = m_Larger[repl];
    DeleteString(repl);
    ReplaceNode(node, repl);
  }
}

// ---- coding ----

template <class TSource, class TSink>
void CLzss::Encode(TSource& src, TSink& sink, uint32_t total) {
  std::memset(m_Window, 0, sizeof m_Window);
  Report(0, total, 1);
  uint32_t read = 0;
  int32_t cur = 1;
  int32_t look = 0;
  for (; look < LZSS_LOOKAHEAD; ++look) {
    int c = src.Next();
    if (c < 0) break;
    SetWindow(cur + look, static_cast<uint8_t>(c));
    ++read;
  }
  InitTree(cur);
  int32_t matchLen = 0;
  int32_t matchPos = 0;
  while (look > 0) {
    if (matchLen > look) matchLen = look;
    int32_t step;
    if (matchLen < kMinMatch) {
      step = 1;
      sink.Put(0x100u | m_Window[cur], 9);
    } else {
      step = matchLen;
      sink.Put(static_cast<uint32_t>(matchPos) << 4 | static_cast<uint32_t>(matchLen - kMinMatch), 17);
    }
    for (int32_t i = 0; i < step; ++i) {
      int32_t slot = (cur + LZSS_LOOKAHEAD) & kMask;
      DeleteString(slot);
      int c = src.Next();
      if (c < 0) {
        --look;
      } else {
        SetWindow(slot, static_cast<uint8_t>(c));
        ++read;
      }
      cur = (cur + 1) & kMask;
      if (look) matchLen = AddString(cur, &matchPos);
    }
    MaybeReport(read, total);
  }
  Report(total, total, 0);
  sink.Put(0, 13);
  sink.Flush();
}

// Window-based expansion; cur is the window position the next byte goes to.
template <class TBits, class TSink>
bool CLzss::Decode(TBits& bits, TSink& sink, uint32_t cur) {
  for (;;) {
    uint32_t flag, v;
    if (!bits.Get(1, flag)) return false;
    if (flag) {
      if (!bits.Get(8, v)) return false;
      uint8_t c = static_cast<uint8_t>(v);
      sink.Put(c);
      m_Window[cur] = c;
      cur = (cur + 1) & kMask;
      continue;
    }
    uint32_t pos, len;
    if (!bits.Get(12, pos)) return false;
    if (pos == 0) return true;
    if (!bits.Get(4, len)) return false;
    len += kMinMatch;
    for (uint32_t i = 0; i < len; ++i) {
      uint8_t c = m_Window[(pos + i) & kMask];
      sink.Put(c);
      m_Window[cur] = c;
      cur = (cur + 1) & kMask;
    }
  }
}

uint8_t* CLzss::CompressBuf(const void* buf, uint32_t* len, uint32_t capacity) {
  if (!len || (!buf && *len)) return nullptr;
  const uint8_t* in = static_cast<const uint8_t*>(buf);
  SBufferSource src{in, in + *len};
  uint8_t* out = capacity ? static_cast<uint8_t*>(::operator new(capacity)) : nullptr;
  SBufferBits sink{out, capacity};
  Encode(src, sink, *len);
  *len = sink.count > kMaxCoded ? kMaxCoded : static_cast<uint32_t>(sink.count);
  if (out && sink.count > capacity) {
    xFree(out);
    return nullptr;
  }
  return out;
}

uint8_t* CLzss::CompressBuffer(const void* buf, uint32_t* len) {
  if (!len) return nullptr;
  if (*len == 0 || !buf) {
    *len = 0;
    return nullptr;
  }
  // One pass into a block of the worst case (every byte a literal), then the exact copy.
  uint64_t worst = (uint64_t{*len} * 9 + 13 + 7) / 8;
  if (worst > kMaxCoded) {
    *len = 0;
    return nullptr;
  }
  std::vector<uint8_t> tmp(worst);
  const uint8_t* in = static_cast<const uint8_t*>(buf);
  SBufferSource src{in, in + *len};
  SBufferBits sink{tmp.data(), worst};
  Encode(src, sink, *len);
  uint8_t* out = static_cast<uint8_t*>(::operator new(sink.count));
  std::memcpy(out, tmp.data(), sink.count);
  *len = static_cast<uint32_t>(sink.count);
  return out;
}

int32_t CLzss::ExpandBuffer(const void* in, uint32_t inLen, void* out, uint32_t* len) {
  if (!len || (!in && inLen)) return 0;
  const uint8_t* src = static_cast<const uint8_t*>(in);
  uint8_t* dst = static_cast<uint8_t*>(out);
  const uint64_t cap = dst ? *len : 0;
  SBufferBitReader bits{src, src + inLen};
  uint64_t k = 0;  // bytes produced; byte k lies at window position (1 + k) mod 4096

  // Straight into the output while any token still fits: a match reads the bytes it repeats
  // from the output itself (the window before the first pass is all zeros).
  while (k + LZSS_LOOKAHEAD <= cap) {
    if (bits.n < 17) bits.Refill();
    if (bits.n < 1) return *len = static_cast<uint32_t>(k), 0;
    if (bits.Take(1)) {
      if (bits.n < 8) return *len = static_cast<uint32_t>(k), 0;
      dst[k++] = static_cast<uint8_t>(bits.Take(8));
      continue;
    }
    if (bits.n < 12) return *len = static_cast<uint32_t>(k), 0;
    uint32_t pos = bits.Take(12);
    if (pos == 0) {
      *len = static_cast<uint32_t>(k);
      return 1;
    }
    if (bits.n < 4) return *len = static_cast<uint32_t>(k), 0;
    uint32_t n = bits.Take(4) + kMinMatch;
    uint32_t dist = ((1 + k) - pos) & kMask;
    if (dist == 0) dist = LZSS_WINDOW;
    if (k >= dist) {
      const uint8_t* from = dst + (k - dist);
      uint8_t* to = dst + k;
      if (dist >= n) std::memcpy(to, from, n);
      else
        for (uint32_t i = 0; i < n; ++i) to[i] = from[i];
    } else {
      for (uint32_t i = 0; i < n; ++i) {
        int64_t s = static_cast<int64_t>(k) - dist + i;
        dst[k + i] = s < 0 ? 0 : dst[s];
      }
    }
    k += n;
  }

  // Near the end of the room, or only counting: go on with the window.
  std::memset(m_Window, 0, LZSS_WINDOW);
  for (uint64_t j = k > LZSS_WINDOW ? k - LZSS_WINDOW : 0; j < k; ++j) m_Window[(1 + j) & kMask] = dst[j];
  SCountingSink sink{dst, cap, k};
  bool ended = Decode(bits, sink, static_cast<uint32_t>((1 + k) & kMask));
  if (sink.count > kMaxCoded) {
    *len = kMaxCoded;
    return 0;
  }
  *len = static_cast<uint32_t>(sink.count);
  if (!ended) return 0;
  return sink.count <= cap || cap == 0 ? 1 : 0;
}

int32_t CLzss::CompressFile(CFile* in, CBitFile* out) {
  if (!in || !out) return 0;
  uint32_t total = 0;
  in->GetSize(&total);
  SFileSource src{in};
  SFileBits sink{out};
  Encode(src, sink, total);
  return sink.ok ? 1 : 0;
}

int32_t CLzss::ExpandFile(CBitFile* in, CFile* out) {
  if (!in || !out) return 0;
  uint32_t total = 0;
  in->GetSize(&total);
  std::memset(m_Window, 0, LZSS_WINDOW);
  Report(0, total, 1);
  SFileBitReader bits{in};
  SFileSink sink{out};
  // Progress goes by the bits read; report between tokens, as often as the interval allows.
  struct SReporting {
    SFileBitReader& bits;
    CLzss& self;
    uint32_t total;
    bool Get(int n, uint32_t& v) {
      self.MaybeReport(static_cast<uint32_t>(bits.bits / 8), total);
      return bits.Get(n, v);
    }
  } reporting{bits, *this, total};
  Decode(reporting, sink, 1);
  sink.Flush();
  Report(total, total, 0);
  return sink.ok ? 1 : 0;
}

int32_t CLzss::Compress(const char* inPath, const char* outPath) {
  CFile in;
  CBitFile out;
  if (!in.Open(inPath, XFILE_READ) || !out.Open(outPath, XFILE_WRITE | XFILE_MAKEDIRS)) return 0;
  return CompressFile(&in, &out) && out.Close() ? 1 : 0;
}

int32_t CLzss::Expand(const char* inPath, const char* outPath) {
  CBitFile in;
  CFile out;
  if (!in.Open(inPath, XFILE_READ) || !out.Open(outPath, XFILE_WRITE)) return 0;
  return ExpandFile(&in, &out) && out.Close() ? 1 : 0;
}
