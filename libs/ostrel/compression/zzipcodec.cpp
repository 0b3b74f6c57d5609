#include "ostrel/compression/zzipcodec.h"

#include <bit>
#include <cstring>

#include "ostrel/compression/zzipbwt.h"
#include "ostrel/compression/zzipfilters.h"
#include "ostrel/compression/zzipstreams.h"

namespace {
constexpr uint32_t kStoredHead = 14;
constexpr uint32_t kCodedHead = 31;  // with the two stream lengths

int32_t g_LastError = ZZIP_OK;

int32_t Fail(int32_t error) {
  g_LastError = error;
  return 0;
}
int32_t Done() {
  g_LastError = ZZIP_OK;
  return 1;
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void Put32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
void PutHead(uint8_t* p, uint32_t n, uint32_t check, uint16_t flags) {
  Put32(p, n);
  Put32(p + 4, check);
  p[8] = static_cast<uint8_t>(flags);
  p[9] = static_cast<uint8_t>(flags >> 8);
}

uint16_t ModeOf(uint16_t flags) { return (flags & ZZIP_MODE_MASK) >> ZZIP_MODE_SHIFT; }

enum class ECoded { Yes, NoGain, NoMemory };

// Large blocks are first tried on a few samples spread over them: when none of the samples
// shrinks noticeably the block is stored without sorting it whole (random or already packed data).
constexpr uint32_t kSampleFrom = 1u << 20;
constexpr uint32_t kSamples = 8;
constexpr uint32_t kSampleLen = 32u << 10;

bool SamplesShrink(const uint8_t* block, uint32_t n) {
  TZZipArray<uint8_t> sorted(kSampleLen), coded(2 * kSampleLen);
  if (!sorted || !coded) return true;  // cannot tell: code the block
  const uint32_t room = kSampleLen - kSampleLen / 32;
  for (uint32_t i = 0; i < kSamples; ++i) {
    const uint8_t* sample = block + uint64_t{n - kSampleLen} * i / (kSamples - 1);
    uint32_t primary = 0;
    SZZipStreams res;
    if (!ZZipBlockSort(sample, kSampleLen, sorted.Get(), &primary)) return true;
    if (ZZipEncodeStreams(sorted.Get(), kSampleLen, ZZipChooseParam(kSampleLen, 0), coded.Get(), room,
                          coded.Get() + room, room, res) != 0 &&
        res.literalLen + res.symbolLen < room)
      return true;
  }
  return false;
}

// Codes the block behind the header unless that would not make it shorter.
ECoded Code(uint8_t* block, uint32_t n, uint32_t check, int32_t filters, uint32_t* packedLen) {
  if (filters == ZZIP_FILTERS_AUTO && n >= kSampleFrom && !SamplesShrink(block, n)) return ECoded::NoGain;
  uint16_t flags = filters == ZZIP_FILTERS_AUTO ? ZZipChooseFilters(block, n)
                                                 : static_cast<uint16_t>(filters) & ZZIP_KNOWN_FLAGS;
  // The run filter lengthens runs of exactly 7; it is used only where it shortens the block.
  if ((flags & ZZIP_FLAG_RUNS) && ZZipRunsLength(block, n) >= n) flags &= ~ZZIP_FLAG_RUNS;
  const uint16_t mode = ModeOf(flags);
  const uint8_t* src = block;
  uint32_t m = n;
  TZZipArray<uint8_t> filtered;
  if (flags) {
    if (!filtered.Reset(n)) return ECoded::NoMemory;
    if (flags & ZZIP_FLAG_RUNS)
      m = ZZipRunsEncode(block, n, filtered.Get());
    else
      std::memcpy(filtered.Get(), block, n);
    if (mode == ZZIP_MODE_CALLS) ZZipCallsEncode(filtered.Get(), m);
    if (mode == ZZIP_MODE_CALLS || mode == ZZIP_MODE_REVERSED) ZZipReverse(filtered.Get(), m);
    src = filtered.Get();
  }

  TZZipArray<uint8_t> sorted(m);
  uint32_t primary = 0;
  if (!sorted || !ZZipBlockSort(src, m, sorted.Get(), &primary)) return ECoded::NoMemory;
  filtered.Reset(0);

  // Either stream reaching the data's length means no gain, so that is all the room they get.
  TZZipArray<uint8_t> streams(size_t{n} * 2);
  if (!streams) return ECoded::NoMemory;
  const uint8_t param = ZZipChooseParam(m, 0);
  SZZipStreams res;
  const int32_t coded = ZZipEncodeStreams(sorted.Get(), m, param, streams.Get(), n, streams.Get() + n, n, res);
  if (coded < 0) return ECoded::NoMemory;
  if (coded == 0) return ECoded::NoGain;
  const uint64_t total = uint64_t{kCodedHead} + res.literalLen + res.symbolLen;
  if (total >= uint64_t{kStoredHead} + n) return ECoded::NoGain;

  PutHead(block, n, check, flags);
  Put32(block + 10, m);
  Put32(block + 14, res.literals);
  Put32(block + 18, primary);
  block[22] = param;
  const uint32_t a = static_cast<uint32_t>(res.literalLen), b = static_cast<uint32_t>(res.symbolLen);
  Put32(block + 23, a);
  std::memcpy(block + 27, streams.Get(), a);
  Put32(block + 27 + a, b);
  std::memcpy(block + 31 + a, streams.Get() + n, b);
  *packedLen = static_cast<uint32_t>(total);
  return ECoded::Yes;
}

// Expands the coded block in place (room bytes, at least n). Besides the block it takes the rows
// the inverse sort walks, four bytes per byte, and little more.
int32_t ExpandCoded(uint8_t* block, uint32_t len, uint32_t room, uint32_t n, uint16_t flags) {
  const uint16_t mode = ModeOf(flags);
  if (len < kCodedHead || (flags & ~ZZIP_KNOWN_FLAGS) ||
      (mode != 0 && mode != ZZIP_MODE_REVERSED && mode != ZZIP_MODE_CALLS))
    return Fail(ZZIP_ERR_ARG);
  const uint32_t m = Get32(block + 10), k = Get32(block + 14), primary = Get32(block + 18);
  const uint8_t param = block[22];
  const uint32_t a = Get32(block + 23);
  if (uint64_t{a} + kCodedHead > len) return Fail(ZZIP_ERR_ARG);
  const uint32_t b = Get32(block + 27 + a);
  if (uint64_t{a} + b + kCodedHead != len) return Fail(ZZIP_ERR_ARG);
  // Only the run filter changes the length, and only ever shortens.
  if (m == 0 || m > n || ((flags & ZZIP_FLAG_RUNS) == 0 && m != n) || k > m || primary < 1 || primary > m)
    return Fail(ZZIP_ERR_ARG);

  TZZipArray<uint32_t> rows(size_t{m} + 1);
  if (!rows) return Fail(ZZIP_ERR_MEMORY);
  uint32_t counts[256];
  // The literals wait behind the packed streams where the block has room for them.
  uint8_t* const literalArea = uint64_t{len} + k + 1 <= room ? block + len : nullptr;
  const int32_t decoded =
      ZZipDecodeStreams(block + 27, a, block + 31 + a, b, m, k, param, literalArea, primary, rows.Get(), counts);
  if (decoded <= 0) return Fail(decoded < 0 ? ZZIP_ERR_MEMORY : ZZIP_ERR_CHECK);

  // The packed streams are used up: the block is the walk's work area, and the text comes back
  // in the rows' memory. A primary index that no sort can have written leaves rows unwalked.
  const int32_t unsorted = ZZipBlockUnsortRows(rows.Get(), m, primary, counts, block, room);
  if (unsorted <= 0) return Fail(unsorted < 0 ? ZZIP_ERR_MEMORY : ZZIP_ERR_CHECK);
  uint8_t* const text = reinterpret_cast<uint8_t*>(rows.Get());
  const bool reversed = mode == ZZIP_MODE_CALLS || mode == ZZIP_MODE_REVERSED;
  if (flags & ZZIP_FLAG_RUNS) {
    if (reversed) ZZipReverse(text, m);
    if (mode == ZZIP_MODE_CALLS) ZZipCallsDecode(text, m);
    if (!ZZipRunsDecode(text, m, block, n)) return Fail(ZZIP_ERR_CHECK);
    return 1;
  }
  if (reversed)
    ZZipReverseCopy(text, m, block);
  else
    std::memcpy(block, text, m);
  if (mode == ZZIP_MODE_CALLS) ZZipCallsDecode(block, m);
  return 1;
}
}  // namespace

int32_t ZZipBlockCodec::LastError() { return g_LastError; }
int32_t ZZipBlockCodec::Refuse(int32_t error) { return Fail(error); }

void ZZipBlockCodec::SetMemoryHooks(TZZipAllocFunc alloc, TZZipReallocFunc realloc, TZZipFreeFunc free) {
  ZZipSetMemoryHooks(alloc, realloc, free);
}

uint32_t ZZipBlockCodec::CheckValue(const uint8_t* data, uint32_t n) {
  // Byte i ends up in byte (i - n) mod 4 of the register: XOR the data as little-endian words
  // and turn the result into place.
  uint64_t acc = 0;
  uint32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, data + i, 8);
    acc ^= w;
  }
  uint8_t tail[8] = {};
  if (n > i) std::memcpy(tail, data + i, n - i);
  uint64_t w;
  std::memcpy(&w, tail, 8);
  acc ^= w;
  uint32_t x = static_cast<uint32_t>(acc) ^ static_cast<uint32_t>(acc >> 32);
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap32(x);
  const int turn = static_cast<int>(n & 3) * 8;
  if (turn) x = x >> turn | x << (32 - turn);
  return ~x;
}

int32_t ZZipBlockCodec::Compress(uint8_t* block, uint32_t n, uint32_t* packedLen, int32_t filters) {
  if (!block || n == 0 || n > ZZIP_MAX_BLOCK) return Fail(ZZIP_ERR_ARG);
  const uint32_t check = CheckValue(block, n);
  if (n > ZZIP_STORE_UP_TO) {
    const ECoded coded = Code(block, n, check, filters, packedLen);
    if (coded == ECoded::NoMemory) return Fail(ZZIP_ERR_MEMORY);
    if (coded == ECoded::Yes) return Done();
  }
  std::memmove(block + kStoredHead, block, n);
  PutHead(block, n, check, ZZIP_FLAG_STORED);
  Put32(block + 10, n);
  *packedLen = n + kStoredHead;
  return Done();
}

uint32_t ZZipBlockCodec::UnpackedLength(const uint8_t* block) { return Get32(block); }

int32_t ZZipBlockCodec::Expand(uint8_t* block, uint32_t len, uint32_t room, uint32_t* unpackedLen) {
  if (!block || len < kStoredHead) return Fail(ZZIP_ERR_ARG);
  const uint32_t n = Get32(block), check = Get32(block + 4);
  const uint16_t flags = static_cast<uint16_t>(block[8] | block[9] << 8);
  if (n == 0 || n > ZZIP_MAX_BLOCK || n > room) return Fail(ZZIP_ERR_ARG);
  if (flags & ZZIP_FLAG_STORED) {
    if (Get32(block + 10) != n || uint64_t{n} + kStoredHead != len) return Fail(ZZIP_ERR_ARG);
    std::memmove(block, block + kStoredHead, n);
  } else if (!ExpandCoded(block, len, room, n, flags)) {
    return 0;
  }
  if (CheckValue(block, n) != check) return Fail(ZZIP_ERR_CHECK);
  *unpackedLen = n;
  return Done();
}
