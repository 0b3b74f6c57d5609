#include "ostrel/compression/zzipbwt.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "ostrel/compression/zzipmemory.h"
#include "ostrel/compression/zzipsais.h"

namespace {
// ---- the inverse ----
//
// The rows are the end mark's (row 0) and the suffixes' in order; each row but the primary one
// ends in a byte c of the sorted block, and its entry holds c and, above 8 bits, the number of
// earlier rows ending in c. The row of the text one byte back is then the row of c followed by
// this row's text: the first of the rows starting with c, plus that number.
//
// Walking back from row 0 gives the text from its last byte to its first, ending on the primary
// row. Every step reads the entry of a row anywhere in the block: on large blocks a cache miss,
// which the step after it would wait for. So the walk is cut into pieces that are walked side by
// side, each lane's next entry asked for a round ahead: each row whose number is a multiple of
// 2^shift starts a piece (row 0 the first), except the primary row; a piece ends where it reaches
// the start of another or the primary row. A lane writes its pieces one after the other,
// backwards, into chunks of the scratch area, taking a fresh chunk when one is full, so that the
// bytes read forwards and no chunk is left part empty but the last of each lane. Chaining the
// pieces from row 0 then gives their order, in which they are copied out from the end of the
// output; the walk is whole when they fill it exactly.
//
// Steps are one-to-one and never lead to row 0 nor from the primary row, so the walk from row 0
// meets no row twice, and a walk from another start ends on a start (perhaps its own): together
// they take at most n steps, whatever the block holds.
//
// The counts above 8 bits wrap at 2^24. Only blocks of more than 2^24 bytes have a byte that
// often, and only one: its count is 2^24 more from the row where it wraps to 0 the second time.

constexpr uint32_t kLanes = 128;  // pieces walked at once: enough cache misses in flight
constexpr uint32_t kChunk = 128;
constexpr uint32_t kWrap = 1u << 24;

class CUnsortWalk {
 public:
  CUnsortWalk(const uint32_t* rows, uint32_t n, uint32_t primary, const uint32_t counts[256])
      : m_pRows(rows), m_N(n), m_Primary(primary) {
    uint32_t sum = 1;  // row 0 starts with the end mark
    for (int c = 0; c < 256; ++c) {
      m_First[c] = sum;
      sum += counts[c];
      if (counts[c] > kWrap) m_WrapByte = c;
    }
    const int bits = std::bit_width(n);
    // Pieces of about a thousand rows on large blocks: many more than lanes, so that all stay busy
    // nearly to the end.
    m_Shift = bits > 18 ? 10 : bits > 8 ? bits - 8 : 0;
    m_Mask = (1u << m_Shift) - 1;
    m_Pieces = (n >> m_Shift) + 1;
    // Each lane leaves at most its last chunk part empty, and one more taken as it ended.
    m_Chunks = n / kChunk + 2 * kLanes + 1;
  }

  // 1, 0 when the walk from row 0 ends before it has passed every row, -1 without work areas.
  int32_t Run(uint8_t* scratch, size_t room, uint8_t* out) {
    if (!Prepare(scratch, room)) return -1;
    if (m_WrapByte >= 0)
      Walk<true>();
    else
      Walk<false>();
    return !m_Overrun && CopyOut(out) == 0;
  }

 private:
  bool Prepare(uint8_t* scratch, size_t room) {
    // Chunks lie on multiples of their size, so that a lane sees the start of one by its address.
    const uintptr_t from = (reinterpret_cast<uintptr_t>(scratch) + kChunk - 1) & ~uintptr_t{kChunk - 1};
    const uintptr_t to = (reinterpret_cast<uintptr_t>(scratch) + room) & ~uintptr_t{kChunk - 1};
    m_pGrid = reinterpret_cast<uint8_t*>(from);
    m_GridChunks = to > from ? static_cast<uint32_t>(std::min<uintptr_t>((to - from) / kChunk, m_Chunks)) : 0;
    const uint32_t more = m_Chunks - m_GridChunks;
    if (!m_Extra.Reset(size_t{more + 1} * kChunk) || !m_Len.Reset(m_Pieces) || !m_End.Reset(m_Pieces) ||
        !m_Head.Reset(m_Pieces) || !m_Link.Reset(m_Chunks))
      return false;
    m_pExtra = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(m_Extra.Get()) + kChunk - 1) &
                                          ~uintptr_t{kChunk - 1});
    if (m_WrapByte >= 0) FindWrap();
    return true;
  }

  // The row from which the count of the most frequent byte has wrapped.
  void FindWrap() {
    uint32_t zeros = 0;
    m_WrapFrom = m_N + 1;
    for (uint32_t r = 0; r <= m_N; ++r) {
      if (r == m_Primary || m_pRows[r] != static_cast<uint32_t>(m_WrapByte)) continue;
      if (++zeros == 2) {
        m_WrapFrom = r;
        return;
      }
    }
  }

  uint8_t* Base(uint32_t chunk) const {
    return chunk < m_GridChunks ? m_pGrid + size_t{chunk} * kChunk
                                : m_pExtra + size_t{chunk - m_GridChunks} * kChunk;
  }

  // Every lane writes one byte a round, so all are at the same place in their chunks, and all
  // take a fresh chunk in the same round. false when the chunks are used up: the walk takes at
  // most n steps, so its rows are no block's.
  bool NewChunks(uint32_t active) {
    if (m_Chunks - m_Used < active) return !(m_Overrun = true);
    for (uint32_t l = 0; l < active; ++l) {
      const uint32_t chunk = m_Used++;
      m_Link[m_Chunk[l]] = chunk;
      m_Chunk[l] = chunk;
      m_pBase[l] = Base(chunk);
      // A piece begun as the last chunk filled starts in this one.
      if (m_HeadWaits[l]) m_Head[m_Piece[l]] = chunk * kChunk + kChunk;
      m_HeadWaits[l] = false;
    }
    return true;
  }

  // Puts the next piece into lane l, whose next byte goes just below place at in its chunk in
  // round `round`; false when no piece is left.
  bool Begin(uint32_t l, uint32_t at, uint32_t round) {
    if (m_NextPiece < m_Pieces && m_NextPiece << m_Shift == m_Primary) ++m_NextPiece;
    if (m_NextPiece >= m_Pieces) return false;
    const uint32_t piece = m_NextPiece++;
    m_Row[l] = piece << m_Shift;
    m_Piece[l] = piece;
    m_Start[l] = round;
    m_Head[piece] = m_Chunk[l] * kChunk + at;
    m_HeadWaits[l] = at == 0;
    return true;
  }

  template <bool kWrapped>
  void Walk() {
    uint32_t active = 0;
    for (; active < kLanes; ++active) {
      m_Chunk[active] = m_Used++;
      m_pBase[active] = Base(m_Chunk[active]);
      if (!Begin(active, kChunk, 0)) break;
    }
    for (uint32_t round = 0, at = kChunk; active; ++round) {
      if (at == 0) {
        if (!NewChunks(active)) return;
        at = kChunk;
      }
      --at;
      for (uint32_t l = 0; l < active; ++l) {
        const uint32_t e = m_pRows[m_Row[l]];
        const uint8_t c = static_cast<uint8_t>(e);
        uint32_t r = m_First[c] + (e >> 8);
        if constexpr (kWrapped) r += (c == m_WrapByte && m_Row[l] >= m_WrapFrom) ? kWrap : 0;
        // Asked for now, needed when the lanes come round again: a load would hold up the
        // processor's window while it waits, a prefetch does not. Into the second-level cache: it
        // keeps more misses in flight than the first.
        __builtin_prefetch(m_pRows + r, 0, 1);
        m_pBase[l][at] = c;
        m_Row[l] = r;
        if (((r & m_Mask) == 0) | (r == m_Primary)) [[unlikely]] {
          m_Len[m_Piece[l]] = round + 1 - m_Start[l];
          m_End[m_Piece[l]] = r;
          if (Begin(l, at, round + 1)) continue;
          // The last lane takes over this one's place.
          --active;
          m_Row[l] = m_Row[active];
          m_Piece[l] = m_Piece[active];
          m_Start[l] = m_Start[active];
          m_Chunk[l] = m_Chunk[active];
          m_pBase[l] = m_pBase[active];
          m_HeadWaits[l] = m_HeadWaits[active];
          --l;
        }
      }
    }
  }

  // Follows the pieces from row 0's to the primary row, copying each out backwards from the end
  // of the output; what is left unfilled at the front.
  uint32_t CopyOut(uint8_t* out) {
    uint32_t at = m_N, piece = 0;
    for (;;) {
      uint32_t place = m_Head[piece], left = m_Len[piece];
      if (left > at) return at;
      while (left) {
        const uint32_t chunk = (place - 1) / kChunk, held = place - chunk * kChunk;
        const uint32_t take = left < held ? left : held;
        at -= take;
        left -= take;
        std::memcpy(out + at, Base(chunk) + held - take, take);
        if (left) place = (m_Link[chunk] + 1) * kChunk;
      }
      const uint32_t end = m_End[piece];
      if (end == m_Primary) return at;
      piece = end >> m_Shift;
    }
  }

  const uint32_t* m_pRows;
  uint32_t m_N, m_Primary;
  uint32_t m_First[256];
  int m_WrapByte = -1;
  uint32_t m_WrapFrom = 0;
  int m_Shift;
  uint32_t m_Mask, m_Pieces, m_Chunks;
  uint32_t m_NextPiece = 0, m_Used = 0;
  bool m_Overrun = false;
  // The chunks: first those of the scratch area, then the rest.
  uint8_t* m_pGrid = nullptr;
  uint32_t m_GridChunks = 0;
  TZZipArray<uint8_t> m_Extra;
  uint8_t* m_pExtra = nullptr;
  // Per piece its first byte's place (one past it), length and end row; per chunk the next.
  TZZipArray<uint32_t> m_Len, m_End, m_Head, m_Link;
  // The lanes: row, piece, the round of its first byte, chunk.
  uint32_t m_Row[kLanes], m_Piece[kLanes], m_Start[kLanes], m_Chunk[kLanes];
  uint8_t* m_pBase[kLanes];
  bool m_HeadWaits[kLanes];
};
}  // namespace

bool ZZipBlockSort(const uint8_t* s, uint32_t n, uint8_t* out, uint32_t* primary) {
  *primary = 0;
  if (n == 0) return true;
  TZZipArray<int32_t> sa(n);
  int32_t zero = 0;
  if (!sa || !ZZipSuffixArrayBwt(s, sa.Get(), static_cast<int32_t>(n), out, &zero)) return false;
  // out[i] is the byte before the i-th suffix, but for the whole text's. The rows are the end
  // mark's (its last byte the text's last) and then the suffixes'; the whole text's is left out.
  std::memmove(out + 1, out, static_cast<size_t>(zero));
  out[0] = s[n - 1];
  *primary = static_cast<uint32_t>(zero) + 1;
  return true;
}

namespace {
bool CountsFit(uint32_t n, uint32_t primary, const uint32_t counts[256]) {
  if (primary < 1 || primary > n) return false;
  uint64_t total = 0;
  for (int c = 0; c < 256; ++c) total += counts[c];
  return total == n;
}
}  // namespace

int32_t ZZipBlockUnsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out) {
  if (!CountsFit(n, primary, counts)) return 0;
  TZZipArray<uint32_t> rows(size_t{n} + 1);
  if (!rows) return -1;
  uint32_t seen[256] = {};
  uint32_t* row = rows.Get();
  for (uint32_t i = 0; i < n; ++i) {
    if (i == primary) *row++ = 0;
    *row++ = seen[l[i]]++ << 8 | l[i];
  }
  if (n == primary) *row = 0;
  const int32_t done = ZZipBlockUnsortRows(rows.Get(), n, primary, counts, out, n);
  if (done == 1) std::memcpy(out, rows.Get(), n);
  return done;
}

int32_t ZZipBlockUnsortRows(uint32_t* rows, uint32_t n, uint32_t primary, const uint32_t counts[256],
                            uint8_t* scratch, size_t room) {
  if (!CountsFit(n, primary, counts)) return 0;
  // The rows are read only until the walk is done: then their memory takes the text.
  return CUnsortWalk(rows, n, primary, counts).Run(scratch, room, reinterpret_cast<uint8_t*>(rows));
}
