#include "ostrel/compression/zzipbwt.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "ostrel/compression/zzipmemory.h"
#include "ostrel/compression/zzipsais.h"

namespace {
// ---- the inverse ----
//
// The text is a walk through the rows: from the primary row, each step emits the row's first byte
// and moves on to the row of the text one byte further on; next[row] holds that row above 8 bits
// of the byte. On large blocks every step is a cache miss that the following one waits for, so
// the walk is cut into pieces that are walked side by side: each row whose number is a multiple
// of 2^shift starts a piece, and so does the primary row; a piece ends where it reaches the start
// of another. Their bytes go into chunks of a scratch area as they come; chaining the pieces from
// the primary row then gives their order, in which the chunks are copied out.
//
// next is one-to-one and never leads to the primary row, so every walk from a piece start ends on
// another start (row 0, the end mark's, counts as one) and no two pieces share a row: together
// they take at most n steps, whatever the block holds.

constexpr uint32_t kLanes = 32;  // pieces walked at once: enough cache misses in flight
constexpr uint32_t kChunk = 128;

template <class TEntry>
class CInverse {
 public:
  CInverse(const TEntry* next, uint32_t n, uint32_t primary) : m_pNext(next), m_N(n), m_Primary(primary) {
    const int bits = std::bit_width(n);
    // Pieces of about a thousand rows on large blocks: many more than lanes, so that all stay busy
    // nearly to the end.
    m_Shift = bits > 18 ? 10 : bits > 8 ? bits - 8 : 0;
    m_Mask = (1u << m_Shift) - 1;
    m_Pieces = (n >> m_Shift) + 1;
    // Each piece wastes at most the rest of its last chunk and one chunk taken eagerly.
    m_Chunks = n / kChunk + 2 * m_Pieces + 1;
  }

  bool Run(uint8_t* out) {
    if (!m_Len.Reset(m_Pieces) || !m_End.Reset(m_Pieces) || !m_First.Reset(m_Pieces) || !m_Link.Reset(m_Chunks) ||
        !m_Scratch.Reset(size_t{m_Chunks} * kChunk))
      return false;
    Walk();
    const uint32_t placed = CopyOut(out);
    // Only a damaged block leaves a shorter text: zeros fill it, and the check value fails.
    if (placed < m_N) std::memset(out + placed, 0, m_N - placed);
    return true;
  }

 private:
  // A piece being walked: its row, where its next byte goes in the scratch area, its length so far.
  struct SLane {
    uint32_t row, piece, at, len;
  };

  bool IsStart(uint32_t row) const { return (row & m_Mask) == 0; }
  uint32_t PrimaryPiece() const { return IsStart(m_Primary) ? m_Primary >> m_Shift : 0; }

  uint32_t NewChunk() { return m_Used++ * kChunk; }

  // Puts the next piece into the lane; false when none is left. Piece 0 starts at the primary
  // row, unless that row starts a piece of its own number.
  bool Begin(SLane& lane) {
    if (m_NextPiece == 0 && PrimaryPiece() != 0) ++m_NextPiece;
    if (m_NextPiece >= m_Pieces) return false;
    const uint32_t piece = m_NextPiece++;
    lane = {piece ? piece << m_Shift : m_Primary, piece, NewChunk(), 0};
    m_First[piece] = lane.at;
    return true;
  }

  // One step; true when the piece is done.
  [[gnu::always_inline]] bool Step(SLane& lane) {
    const TEntry e = m_pNext[lane.row];
    const uint32_t r = static_cast<uint32_t>(e >> 8);
    // Asked for now, needed when the lanes come round again: a load would hold up the
    // processor's window while it waits, a prefetch does not.
    __builtin_prefetch(m_pNext + r);
    m_Scratch[lane.at++] = static_cast<uint8_t>(e);
    ++lane.len;
    lane.row = r;
    if ((lane.at & (kChunk - 1)) == 0) {
      const uint32_t chunk = NewChunk();
      m_Link[lane.at / kChunk - 1] = chunk;
      lane.at = chunk;
    }
    if (!IsStart(r)) return false;
    m_Len[lane.piece] = lane.len;
    m_End[lane.piece] = r;
    return true;
  }

  // Walks every piece to its end, kLanes at a time.
  void Walk() {
    SLane lanes[kLanes];
    uint32_t active = 0;
    while (active < kLanes && Begin(lanes[active])) ++active;
    while (active) {
      for (uint32_t l = 0; l < active; ++l) {
        if (!Step(lanes[l]) || Begin(lanes[l])) continue;
        lanes[l--] = lanes[--active];  // the last lane takes over this one's place
      }
    }
  }

  // Follows the pieces from the primary row's to the end mark's row, copying each out; the
  // length of the text so placed. (The walk from the primary row meets no row twice, so neither
  // does this chain meet a piece twice.)
  uint32_t CopyOut(uint8_t* out) {
    uint32_t at = 0, piece = PrimaryPiece();
    for (;;) {
      uint32_t chunk = m_First[piece];
      for (uint32_t left = m_Len[piece]; left;) {
        const uint32_t take = left < kChunk ? left : kChunk;
        std::memcpy(out + at, m_Scratch.Get() + chunk, take);
        at += take;
        left -= take;
        if (left) chunk = m_Link[chunk / kChunk];
      }
      const uint32_t end = m_End[piece];
      if (end == 0) break;
      piece = end >> m_Shift;
    }
    return at;
  }

  const TEntry* m_pNext;
  uint32_t m_N, m_Primary;
  int m_Shift;
  uint32_t m_Mask, m_Pieces, m_Chunks;
  uint32_t m_NextPiece = 0, m_Used = 0;
  TZZipArray<uint32_t> m_Len, m_End, m_First, m_Link;
  TZZipArray<uint8_t> m_Scratch;
};

// Builds next[] from the sorted block and walks it. Row r's last byte is l[r] before the primary
// row and l[r - 1] after it; the primary row's is the end mark. The row of c followed by the text
// of row r is the next free row of bucket c, in the order of r.
template <class TEntry>
bool Unsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out) {
  TZZipArray<TEntry> next(static_cast<size_t>(n) + 1);
  if (!next) return false;
  uint32_t start[256];
  uint32_t sum = 1;  // row 0 starts with the end mark
  for (int c = 0; c < 256; ++c) {
    start[c] = sum;
    sum += counts[c];
  }
  auto link = [&](uint32_t r, uint8_t c) { next[start[c]++] = static_cast<TEntry>(r) << 8 | c; };
  for (uint32_t r = 0; r < primary; ++r) link(r, l[r]);
  for (uint32_t r = primary + 1; r <= n; ++r) link(r, l[r - 1]);
  next[0] = 0;  // the end mark's row: never walked from
  return CInverse<TEntry>(next.Get(), n, primary).Run(out);
}
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

bool ZZipBlockUnsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out) {
  if (primary < 1 || primary > n) return false;
  uint64_t total = 0;
  for (int c = 0; c < 256; ++c) total += counts[c];
  if (total != n) return false;
  return n < (1u << 24) ? Unsort<uint32_t>(l, n, primary, counts, out) : Unsort<uint64_t>(l, n, primary, counts, out);
}
