#include "ostrel/graphics/jpgpic.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/jpgkernels.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int kLookBits = 9;  // most codes resolve in one table lookup
constexpr int kLookSize = 1 << kLookBits;
constexpr int kMaxFrameComponents = 3;
constexpr int kMaxScanComponents = 4;
constexpr int kMaxBlocksPerMCU = 10;
constexpr int kTables = 4;
constexpr int kZigZagSize = 80;  // 64 and the 16 entries a corrupt run may overshoot into
constexpr uint32_t kMaxDimension = 65500;
constexpr int32_t kRowsPerCallback = 32;
constexpr int32_t kRowSlack = 32;  // vector loads and stores may pass a row's end by this much

constexpr uint8_t M_SOF0 = 0xC0, M_DHT = 0xC4, M_RST0 = 0xD0, M_SOI = 0xD8, M_EOI = 0xD9;
constexpr uint8_t M_SOS = 0xDA, M_DQT = 0xDB, M_DNL = 0xDC, M_DRI = 0xDD, M_APP0 = 0xE0;
constexpr uint8_t M_TEM = 0x01;

struct SHuffman {
  int32_t Defined = 0;
  uint8_t Symbols[256] = {};
  int32_t MaxCode[18] = {};  // largest code of each length, -1 for none; [17] stops the search
  int32_t ValOffset[17] = {};
  uint16_t Look[kLookSize] = {};  // (length << 8) | symbol; 0 for longer codes
  // AC tables: a run, size and value that fit the look-ahead whole, as
  // (value << 8) | (run << 4) | bits taken; 0 when they do not.
  int32_t FastAC[kLookSize] = {};
};

// The T.81 sign extension of an s-bit value.
int32_t Extend(int32_t v, int32_t s) { return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v; }

// Canonical codes from the counts; 0 for a set of lengths that overflows the code space (or
// uses an all-ones code).
int32_t Derive(SHuffman* h, const uint8_t* counts, int32_t isAC) {
  uint8_t sizes[257];
  uint32_t codes[256];
  int32_t n = 0;
  for (int32_t l = 1; l <= 16; ++l)
    for (int32_t i = 0; i < counts[l]; ++i) sizes[n++] = static_cast<uint8_t>(l);
  sizes[n] = 0;
  uint32_t code = 0;
  for (int32_t p = 0, si = n ? sizes[0] : 0; sizes[p]; ++si) {
    while (sizes[p] == si) codes[p++] = code++;
    if (code >= (1u << si)) return 0;
    code <<= 1;
  }
  for (int32_t l = 1, p = 0; l <= 16; ++l) {
    if (counts[l]) {
      h->ValOffset[l] = p - static_cast<int32_t>(codes[p]);
      p += counts[l];
      h->MaxCode[l] = static_cast<int32_t>(codes[p - 1]);
    } else {
      h->MaxCode[l] = -1;
    }
  }
  h->MaxCode[17] = 0xFFFFF;
  std::memset(h->Look, 0, sizeof h->Look);
  std::memset(h->FastAC, 0, sizeof h->FastAC);
  for (int32_t p = 0; p < n && sizes[p] <= kLookBits; ++p) {
    const int32_t l = sizes[p], first = static_cast<int32_t>(codes[p]) << (kLookBits - l);
    for (int32_t i = 0; i < 1 << (kLookBits - l); ++i)
      h->Look[first + i] = static_cast<uint16_t>(l << 8 | h->Symbols[p]);
  }
  if (isAC) {
    for (int32_t i = 0; i < kLookSize; ++i) {
      const int32_t e = h->Look[i], l = e >> 8, run = (e >> 4) & 15, s = e & 15;
      if (!e || !s || l + s > kLookBits) continue;
      const int32_t v = Extend((i >> (kLookBits - l - s)) & ((1 << s) - 1), s);
      h->FastAC[i] = v * 256 + (run << 4) + (l + s);
    }
  }
  h->Defined = 1;
  return 1;
}

// Entropy-coded data, most significant bit first. A marker stops the reading: it is kept, and
// zero bits are supplied from there on.
struct SBits {
  const uint8_t* P;
  const uint8_t* End;
  uint64_t Buf = 0;  // the next bits at the top
  int32_t Count = 0;
  uint8_t Marker = 0;

  uint32_t SlowByte() {
    if (P >= End) {
      Marker = M_EOI;
      return 0;
    }
    const uint32_t b = *P++;
    if (b != 0xFF) return b;
    while (P < End && *P == 0xFF) ++P;
    if (P < End && *P == 0) {
      ++P;
      return 0xFF;
    }
    Marker = P < End ? *P++ : M_EOI;
    return 0;
  }
  void Fill() {
    while (Count <= 56) {
      if (Marker) {
        Count = 64;
        return;
      }
      const uint32_t b = P < End && *P != 0xFF ? *P++ : SlowByte();
      Buf |= static_cast<uint64_t>(b) << (56 - Count);
      Count += 8;
    }
  }
  void Skip(int32_t n) {
    Buf <<= n;
    Count -= n;
  }
  // An s-bit value (1 to 15 bits) with its sign extended.
  int32_t Value(int32_t s) {
    const auto k = static_cast<int32_t>(Buf >> (64 - s));
    const auto positive = static_cast<int32_t>(static_cast<int64_t>(Buf) >> 63);
    Skip(s);
    return k + ((1 - (1 << s)) & ~positive);
  }
  int32_t Symbol(const SHuffman& h) {
    const uint32_t e = h.Look[Buf >> (64 - kLookBits)];
    if (e) {
      Skip(static_cast<int32_t>(e >> 8));
      return static_cast<int32_t>(e & 0xFF);
    }
    for (int32_t l = kLookBits + 1; l <= 16; ++l) {
      const auto code = static_cast<int32_t>(Buf >> (64 - l));
      if (code <= h.MaxCode[l]) {
        Skip(l);
        return h.Symbols[(code + h.ValOffset[l]) & 0xFF];
      }
    }
    Skip(16);
    return 0;
  }
  // Skips to the next marker in the data when none is pending yet.
  void FindMarker() {
    while (!Marker) SlowByte();
  }
};

// Dequantised coefficients of one block in natural order; 1 when an AC term was set.
inline int32_t DecodeBlock(SBits& bits, const SHuffman& dc, const SHuffman& ac, int32_t* pred,
                           const int16_t* q, const uint8_t* zz, int16_t* blk) {
  if (bits.Count < 32) bits.Fill();
  const int32_t s = bits.Symbol(dc);
  if (s) *pred = static_cast<int32_t>(static_cast<uint32_t>(*pred) + bits.Value(s));
  blk[0] = static_cast<int16_t>(static_cast<int16_t>(*pred) * q[0]);
  int32_t any = 0;
  for (int32_t k = 1; k < 64;) {
    if (bits.Count < 32) bits.Fill();
    const int32_t fast = ac.FastAC[bits.Buf >> (64 - kLookBits)];
    if (fast) {
      k += (fast >> 4) & 15;
      bits.Skip(fast & 15);
      blk[zz[k]] = static_cast<int16_t>((fast >> 8) * q[k]);
      ++k;
      any = 1;
      continue;
    }
    const int32_t rs = bits.Symbol(ac), run = rs >> 4, size = rs & 15;
    if (!size) {
      if (run != 15) break;
      k += 16;
      continue;
    }
    k += run;
    blk[zz[k]] = static_cast<int16_t>(bits.Value(size) * q[k]);
    ++k;
    any = 1;
  }
  return any;
}

struct SComponent {
  uint32_t Id = 0;
  int32_t H = 1, V = 1;       // sampling factors
  int32_t Tq = 0, Td = 0, Ta = 0;
  int32_t RH = 1, RV = 1;     // replication of each sample across and down
  int32_t Pred = 0;           // DC predictor
  int32_t Stride = 0;         // bytes per row of the band of decoded samples
  std::unique_ptr<uint8_t[]> Band;  // V x 8 rows of one MCU row
  std::unique_ptr<uint8_t[]> Wide;  // one row replicated to the MCU width
  int32_t WideRow = -1;             // the band row that Wide holds
  int16_t Q[kZigZagSize] = {};      // dequantisation in zig-zag order
};

struct SBlockPlace {
  int32_t Comp;
  int32_t Offset;  // from the MCU's corner in the component's band
};

// Bytes of entropy-coded data from p on: up to the first marker other than a restart, or the end.
uint64_t EntropyBytes(const uint8_t* p, const uint8_t* end) {
  for (const uint8_t* q = p;; ++q) {
    q = static_cast<const uint8_t*>(std::memchr(q, 0xFF, static_cast<size_t>(end - q)));
    if (!q) return static_cast<uint64_t>(end - p);
    const uint8_t* code = q + 1;
    while (code < end && *code == 0xFF) ++code;
    if (code == end) return static_cast<uint64_t>(end - p);
    if (*code != 0 && (*code < M_RST0 || *code >= M_RST0 + 8)) return static_cast<uint64_t>(q - p);
    q = code;
  }
}

uint8_t* AllocBytes(int64_t n) {
  if (n <= 0 || n > INT32_MAX) return nullptr;
  return new (std::nothrow) uint8_t[static_cast<size_t>(n)];
}
}  // namespace

struct CJPGPic::SState {
  uint32_t Width = 0, Height = 0;
  int32_t NumComponents = 0;
  int32_t RestartInterval = 0;
  int32_t FrameSeen = 0;
  SComponent Comp[kMaxFrameComponents];
  int32_t ScanComponents = 0;
  int32_t ScanComp[kMaxScanComponents] = {};
  int32_t Quant[kTables][64] = {};  // natural order
  int32_t QuantDefined[kTables] = {};
  SHuffman DC[kTables], AC[kTables];
  uint8_t ZigZag[kZigZagSize] = {};
  int32_t MaxH = 1, MaxV = 1, McusX = 0, McusY = 0;
  SBlockPlace Blocks[kMaxBlocksPerMCU] = {};
  int32_t NumBlocks = 0;
  SJpegColourTables Colour;
};

CJPGPic::CJPGPic() = default;
CJPGPic::~CJPGPic() = default;

int32_t CJPGPic::IsType(const char*, const char* extension) {
  return extension && xStricmp(extension, "jpg") == 0 ? 1 : 0;
}

int32_t CJPGPic::GetDesc(const char** extension, const char** description) {
  if (extension) *extension = "jpg";
  if (description) *description = "JPEG";
  return 1;
}

int32_t CJPGPic::Load(CBitmapBase* bitmap, void*) {
  xCallLoadDataCallback();
  if (!bitmap || !glb) return 0;
  m_pState.reset(new (std::nothrow) SState);
  if (!m_pState) return 0;
  for (int i = 0; i < kZigZagSize; ++i)
    m_pState->ZigZag[i] = static_cast<uint8_t>(std::min<uint16_t>(glb->m_ZigZag[i], 63));
  const int32_t result = ReadHeaders() && SetUp(bitmap) && Decode(bitmap);
  m_pState.reset();
  return result;
}

int32_t CJPGPic::Byte(uint32_t* value) {
  char b;
  if (!ReadByte(&b)) return 0;
  *value = static_cast<uint8_t>(b);
  return 1;
}

int32_t CJPGPic::Word(uint32_t* value) {
  int16_t w;
  if (!ReadWord(&w)) return 0;
  *value = static_cast<uint16_t>(w);
  return 1;
}

int32_t CJPGPic::NextMarker(uint8_t* code) {
  uint32_t b = 0;
  for (;;) {
    do {
      if (!Byte(&b)) return 0;
    } while (b != 0xFF);
    do {
      if (!Byte(&b)) return 0;
    } while (b == 0xFF);
    if (b) break;  // 0xFF 0x00 is data
  }
  *code = static_cast<uint8_t>(b);
  return 1;
}

// The length of the segment that starts here, less its own two bytes; 0 when it is below 2 or
// runs past the data.
int32_t CJPGPic::SegmentLength(uint32_t* length) {
  uint32_t l = 0;
  if (!Word(&l) || l < 2 || l - 2 > Remaining()) return 0;
  *length = l - 2;
  return 1;
}

int32_t CJPGPic::ReadJFIF(uint8_t code) {
  if (code < M_APP0 || code > M_APP0 + 15 || (code & 1)) return 0;
  uint32_t length = 0;
  if (!SegmentLength(&length) || length < 7) return 0;
  const uint32_t end = m_Pos + length;
  char id[5];
  uint32_t major = 0;
  if (!Read(id, sizeof id) || std::memcmp(id, "JFIF", 5) != 0 || !Byte(&major) || major != 1)
    return 0;
  return Seek(end, PIC_SEEK_SET);
}

int32_t CJPGPic::ReadHeaders() {
  uint8_t code = 0;
  if (!NextMarker(&code) || code != M_SOI) return 0;
  if (!NextMarker(&code) || !ReadJFIF(code)) return 0;
  for (int32_t frame = 0; !frame;)
    if (!NextMarker(&code) || !ReadTables(code, &frame)) return 0;
  for (;;) {
    if (!NextMarker(&code)) return 0;
    if (code == M_SOS) return ReadScan();
    int32_t frame = 0;
    if (!ReadTables(code, &frame) || frame) return 0;
  }
}

// One marker before the scan: tables are read, others skipped, frames other than baseline
// refused. frame becomes 1 after a baseline frame header.
int32_t CJPGPic::ReadTables(uint8_t code, int32_t* frame) {
  SState& st = *m_pState;
  if ((code >= M_RST0 && code < M_RST0 + 8) || code == M_TEM) return 1;  // no segment
  if (code == M_SOI || code == M_EOI || code == M_SOS) return 0;
  if (code == M_SOF0) {
    if (st.FrameSeen) return 0;
    *frame = 1;
    return ReadFrame();
  }
  uint32_t length = 0;
  if (!SegmentLength(&length)) return 0;
  const uint32_t end = m_Pos + length;
  switch (code) {
    case M_DHT:
      return ReadDHT(end);
    case M_DQT:
      return ReadDQT(end);
    case M_DRI:
    case M_DNL: {
      uint32_t v = 0;
      if (length != 2 || !Word(&v)) return 0;
      if (code == M_DRI) st.RestartInterval = static_cast<int32_t>(v);
      else st.Height = v;
      return 1;
    }
    default:
      // Every other frame type: progressive, lossless, hierarchical, arithmetic.
      if (code > M_SOF0 && code < 0xCF && code != 0xC8) return 0;
      return Seek(end, PIC_SEEK_SET);
  }
}

int32_t CJPGPic::ReadDQT(uint32_t end) {
  SState& st = *m_pState;
  while (m_Pos < end) {
    uint32_t pq = 0;
    if (!Byte(&pq) || (pq & 15) >= kTables) return 0;
    const uint32_t bytes = pq >> 4 ? 2 : 1;
    if (64 * bytes > end - m_Pos) return 0;
    int32_t* table = st.Quant[pq & 15];
    for (int32_t k = 0; k < 64; ++k) {
      uint32_t v = 0;
      if (!(bytes == 2 ? Word(&v) : Byte(&v))) return 0;
      table[st.ZigZag[k]] = static_cast<int32_t>(v);
    }
    st.QuantDefined[pq & 15] = 1;
  }
  return 1;
}

int32_t CJPGPic::ReadDHT(uint32_t end) {
  SState& st = *m_pState;
  while (m_Pos < end) {
    uint32_t tc = 0;
    uint8_t counts[17] = {};
    if (!Byte(&tc) || (tc & ~0x10u) >= kTables || end - m_Pos < 16 || !Read(counts + 1, 16))
      return 0;
    uint32_t total = 0;
    for (int32_t l = 1; l <= 16; ++l) total += counts[l];
    const int32_t isAC = (tc & 0x10) != 0;
    SHuffman& h = isAC ? st.AC[tc & 15] : st.DC[tc & 15];
    h.Defined = 0;
    if (total > 256 || total > end - m_Pos || !Read(h.Symbols, total)) return 0;
    // 8-bit samples need no DC difference beyond 11 bits and no AC value beyond 10.
    for (uint32_t i = 0; i < total; ++i)
      if (isAC ? (h.Symbols[i] & 15) > 10 : h.Symbols[i] > 11) return 0;
    if (!Derive(&h, counts, isAC)) return 0;
  }
  return 1;
}

int32_t CJPGPic::ReadFrame() {
  SState& st = *m_pState;
  uint32_t length = 0, precision = 0, height = 0, width = 0, n = 0;
  if (!SegmentLength(&length) || !Byte(&precision) || !Word(&height) || !Word(&width) ||
      !Byte(&n))
    return 0;
  if (precision != 8 || (n != 1 && n != 3) || length != 6 + 3 * n) return 0;
  if (height) st.Height = height;
  st.Width = width;
  st.NumComponents = static_cast<int32_t>(n);
  st.FrameSeen = 1;
  for (uint32_t i = 0; i < n; ++i) {
    SComponent& c = st.Comp[i];
    uint32_t hv = 0, tq = 0;
    if (!Byte(&c.Id) || !Byte(&hv) || !Byte(&tq) || tq >= kTables) return 0;
    c.H = static_cast<int32_t>(hv >> 4);
    c.V = static_cast<int32_t>(hv & 15);
    c.Tq = static_cast<int32_t>(tq);
    for (uint32_t j = 0; j < i; ++j)
      if (st.Comp[j].Id == c.Id) return 0;
  }
  return 1;
}

int32_t CJPGPic::ReadScan() {
  SState& st = *m_pState;
  uint32_t length = 0, n = 0;
  if (!SegmentLength(&length) || !Byte(&n)) return 0;
  if (n < 1 || n > kMaxScanComponents || length != 2 * n + 4) return 0;
  // The one scan that is decoded has to hold every component, each once.
  if (static_cast<int32_t>(n) != st.NumComponents) return 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t id = 0, tables = 0;
    if (!Byte(&id) || !Byte(&tables)) return 0;
    int32_t c = 0;
    while (c < st.NumComponents && st.Comp[c].Id != id) ++c;
    if (c == st.NumComponents) return 0;
    for (uint32_t j = 0; j < i; ++j)
      if (st.ScanComp[j] == c) return 0;
    SComponent& comp = st.Comp[c];
    comp.Td = static_cast<int32_t>(tables >> 4);
    comp.Ta = static_cast<int32_t>(tables & 15);
    if (comp.Td >= kTables || comp.Ta >= kTables || !st.DC[comp.Td].Defined ||
        !st.AC[comp.Ta].Defined || !st.QuantDefined[comp.Tq])
      return 0;
    st.ScanComp[i] = c;
  }
  st.ScanComponents = static_cast<int32_t>(n);
  uint32_t spectral = 0;
  return Word(&spectral) && Byte(&spectral);  // selection and approximation: baseline fixes them
}

int32_t CJPGPic::SetUp(CBitmapBase* bitmap) {
  SState& st = *m_pState;
  if (!st.Width || !st.Height || st.Width > kMaxDimension || st.Height > kMaxDimension) return 0;
  for (int32_t i = 0; i < st.NumComponents; ++i) {
    const SComponent& c = st.Comp[i];
    if (c.H < 1 || c.H > 4 || c.V < 1 || c.V > 4) return 0;
    st.MaxH = std::max(st.MaxH, c.H);
    st.MaxV = std::max(st.MaxV, c.V);
  }
  if (st.ScanComponents == 1) {
    // A scan of one component is not interleaved: its MCU is one block.
    st.Comp[0].H = st.Comp[0].V = st.MaxH = st.MaxV = 1;
  }
  st.NumBlocks = 0;
  for (int32_t i = 0; i < st.ScanComponents; ++i) {
    SComponent& c = st.Comp[st.ScanComp[i]];
    if (st.MaxH % c.H || st.MaxV % c.V) return 0;  // no integral replication
    c.RH = st.MaxH / c.H;
    c.RV = st.MaxV / c.V;
    if (st.NumBlocks + c.H * c.V > kMaxBlocksPerMCU) return 0;
    for (int32_t v = 0; v < c.V; ++v)
      for (int32_t h = 0; h < c.H; ++h) st.Blocks[st.NumBlocks++] = {st.ScanComp[i], 0};
  }
  const int32_t mcuWidth = 8 * st.MaxH, mcuHeight = 8 * st.MaxV;
  st.McusX = static_cast<int32_t>((st.Width + mcuWidth - 1) / mcuWidth);
  st.McusY = static_cast<int32_t>((st.Height + mcuHeight - 1) / mcuHeight);
  const auto w = static_cast<int32_t>(st.Width), h = static_cast<int32_t>(st.Height);
  if (!SizeAllowed(w, h)) return 0;
  // Every block takes at least two bits (a DC code and an end of block); past its data the
  // decoder would paint zeros. A scan too short for the picture's blocks is refused before the
  // picture is allocated, however large its header says it is.
  const uint64_t blocks = static_cast<uint64_t>(st.McusX) * static_cast<uint64_t>(st.McusY) *
                          static_cast<uint64_t>(st.NumBlocks);
  if (EntropyBytes(m_pImage + m_Pos, m_pImage + m_Size) * 8 < 2 * blocks) return 0;
  if (!bitmap->CreateRGB(w, h, 24, 8, 8, 8, 0, 8, 16, 0)) return 0;
  for (int32_t i = 0; i < st.NumComponents; ++i) {
    SComponent& c = st.Comp[i];
    c.Stride = st.McusX * c.H * 8;
    c.Band.reset(AllocBytes(static_cast<int64_t>(c.Stride) * c.V * 8 + kRowSlack));
    c.Wide.reset(AllocBytes(static_cast<int64_t>(st.McusX) * mcuWidth + kRowSlack));
    if (!c.Band || !c.Wide) return 0;
    std::memset(c.Band.get(), 0, static_cast<size_t>(c.Stride) * c.V * 8 + kRowSlack);
    const int32_t* quant = st.Quant[c.Tq];
    for (int32_t k = 0; k < kZigZagSize; ++k)
      c.Q[k] = static_cast<int16_t>(quant[st.ZigZag[k]]);
  }
  // An MCU holds a component's blocks row by row: their places in the component's band.
  for (int32_t b = 0, i = 0; i < st.ScanComponents; ++i) {
    const SComponent& c = st.Comp[st.ScanComp[i]];
    for (int32_t v = 0; v < c.V; ++v)
      for (int32_t hh = 0; hh < c.H; ++hh, ++b) st.Blocks[b].Offset = v * 8 * c.Stride + hh * 8;
  }
  if (st.NumComponents == 3) xJpegBuildColourTables(&st.Colour);
  return 1;
}

int32_t CJPGPic::Decode(CBitmapBase* bitmap) {
  SState& st = *m_pState;
  SBits bits;
  bits.P = m_pImage + m_Pos;
  bits.End = m_pImage + m_Size;
  alignas(16) int16_t blk[64] = {};
  int32_t restartsLeft = st.RestartInterval, nextRestart = 0, rowsSinceCall = 0;
  const int32_t width = bitmap->m_Width, height = bitmap->m_Height;
  const int32_t bandRows = 8 * st.MaxV;
  for (int32_t my = 0; my < st.McusY; ++my) {
    for (int32_t mx = 0; mx < st.McusX; ++mx) {
      if (st.RestartInterval) {
        if (!restartsLeft) {
          bits.Buf = 0;
          bits.Count = 0;
          bits.FindMarker();
          if (bits.Marker == M_RST0 + nextRestart) bits.Marker = 0;
          nextRestart = (nextRestart + 1) & 7;
          for (SComponent& c : st.Comp) c.Pred = 0;
          restartsLeft = st.RestartInterval;
        }
        --restartsLeft;
      }
      for (int32_t b = 0; b < st.NumBlocks; ++b) {
        SComponent& c = st.Comp[st.Blocks[b].Comp];
        uint8_t* out = c.Band.get() + mx * c.H * 8 + st.Blocks[b].Offset;
        if (DecodeBlock(bits, st.DC[c.Td], st.AC[c.Ta], &c.Pred, c.Q, st.ZigZag, blk)) {
          xJpegIdct(blk, out, c.Stride);
          std::memset(blk, 0, sizeof blk);
        } else {
          const uint8_t v = xJpegIdctDC(blk[0]);
          for (int32_t r = 0; r < 8; ++r) std::memset(out + r * c.Stride, v, 8);
          blk[0] = 0;
        }
      }
    }
    // The band's rows, replicated and converted.
    const int32_t top = my * bandRows, rows = std::min(bandRows, height - top);
    for (SComponent& c : st.Comp) c.WideRow = -1;
    for (int32_t r = 0; r < rows; ++r) {
      const uint8_t* line[kMaxFrameComponents] = {};
      for (int32_t i = 0; i < st.NumComponents; ++i) {
        SComponent& c = st.Comp[i];
        const int32_t src = r / c.RV;
        const uint8_t* row = c.Band.get() + src * c.Stride;
        if (c.RH > 1) {
          if (c.WideRow != src) xJpegReplicate(row, c.Wide.get(), width, c.RH);
          c.WideRow = src;
          row = c.Wide.get();
        }
        line[i] = row;
      }
      uint8_t* dst = bitmap->m_pData + static_cast<size_t>(top + r) * bitmap->m_Pitch;
      if (st.NumComponents == 3)
        xJpegYCbCrToBGR(line[0], line[1], line[2], dst, width, st.Colour);
      else
        xJpegGreyToBGR(line[0], dst, width);
    }
    rowsSinceCall += rows;
    if (rowsSinceCall > kRowsPerCallback) {
      xCallLoadDataCallback();
      rowsSinceCall = 0;
    }
  }
  bitmap->m_Changed = 1;
  return 1;
}
