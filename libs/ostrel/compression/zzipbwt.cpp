#include "ostrel/compression/zzipbwt.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "ostrel/compression/zzipmemory.h"
#include "ostrel/compression/zzipsais.h"

namespace {
// ---- the inverse ----
//
// The rows are the end mark's (row 0) and the suffixes' in order; the sorted block holds each
// row's last byte but the primary row's, which is the end mark. links[i] describes the block's
// i-th byte, of row i before the primary row and of row i + 1 after it: the byte c, above 8 bits
// the number of earlier rows ending in c. The row of the text one byte back is then the row of c
// followed by this row's text: the first of the rows starting with c, plus that number.
//
// Walking back from row 0 gives the text from its last byte to its first, ending on the primary
// row. On large blocks every step is a cache miss that the following one waits for, so the walk
// is cut into pieces that are walked side by side: each row whose number is a multiple of
// 2^shift starts a piece (row 0 the first), except the primary row; a piece ends where it reaches
// the start of another or the primary row. Their bytes go into chunks of a scratch area as they
// come, each chunk filled from its end so that it reads forwards; chaining the pieces from row 0
// then gives their order, in which the chunks are copied out from the end of the output.
//
// Steps are one-to-one and never lead to row 0 nor from the primary row, so the walk from row 0
// meets no row twice, and a walk from another start ends on a start (perhaps its own): together
// they take at most n steps, whatever the block holds.

constexpr uint32_t kLanes = 64;  // pieces walked at once: enough cache misses in flight
constexpr uint32_t kChunk = 128;

template <class TEntry>
class CInverse {
 public:
  CInverse(const TEntry* links, uint32_t n, uint32_t primary, const uint32_t counts[256])
      : m_pLinks(links), m_N(n), m_Primary(primary) {
    uint32_t sum = 1;  // row 0 starts with the end mark
    for (int c = 0; c < 256; ++c) {
      m_First[c] = sum;
      sum += counts[c];
    }
    const int bits = std::bit_width(n);
    // Pieces of about a thousand rows on large blocks: many more than lanes, so that all stay busy
    // nearly to the end.
    m_Shift = bits > 18 ? 10 : bits > 8 ? bits - 8 : 0;
    m_Mask = (1u << m_Shift) - 1;
    m_Pieces = (n >> m_Shift) + 1;
    // Each piece wastes at most the rest of its last chunk and one chunk taken eagerly.
    m_Chunks = n / kChunk + 2 * m_Pieces + 1;
  }

  // 1, 0 when the walk from row 0 ends before it has passed every row, -1 without work areas.
  int32_t Run(uint8_t* out) {
    if (!m_Len.Reset(m_Pieces) || !m_End.Reset(m_Pieces) || !m_Head.Reset(m_Pieces) || !m_Link.Reset(m_Chunks) ||
        !m_Scratch.Reset(size_t{m_Chunks} * kChunk))
      return -1;
    Walk();
    return CopyOut(out) == 0;
  }

 private:
  // A piece being walked: its row's entry, where its next byte goes in the scratch area (one past
  // it), its length so far.
  struct SLane {
    uint32_t index, piece, at, len;
  };

  bool Ends(uint32_t row) const { return (row & m_Mask) == 0 || row == m_Primary; }
  // The entry of a row other than the primary one.
  uint32_t IndexOf(uint32_t row) const { return row - (row > m_Primary); }

  // A fresh chunk, as the place one past its end.
  uint32_t NewChunk() { return ++m_Used * kChunk; }

  // Puts the next piece into the lane; false when none is left.
  bool Begin(SLane& lane) {
    if (m_NextPiece < m_Pieces && m_NextPiece << m_Shift == m_Primary) ++m_NextPiece;
    if (m_NextPiece >= m_Pieces) return false;
    const uint32_t piece = m_NextPiece++, row = piece << m_Shift;
    lane = {IndexOf(row), piece, NewChunk(), 0};
    m_Head[piece] = lane.at;
    return true;
  }

  // One step; true when the piece is done.
  [[gnu::always_inline]] bool Step(SLane& lane) {
    const TEntry e = m_pLinks[lane.index];
    const uint8_t c = static_cast<uint8_t>(e);
    const uint32_t r = m_First[c] + static_cast<uint32_t>(e >> 8);
    const uint32_t index = IndexOf(r);
    // Asked for now, needed when the lanes come round again: a load would hold up the
    // processor's window while it waits, a prefetch does not. Into the second-level cache: it
    // keeps more misses in flight than the first.
    __builtin_prefetch(m_pLinks + index, 0, 1);
    m_Scratch[--lane.at] = c;
    ++lane.len;
    lane.index = index;
    if ((lane.at & (kChunk - 1)) == 0) {
      const uint32_t chunk = NewChunk();
      m_Link[lane.at / kChunk] = chunk;
      lane.at = chunk;
    }
    if (!Ends(r)) return false;
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

  // Follows the pieces from row 0's to the primary row, copying each out backwards from the end
  // of the output; what is left unfilled at the front.
  uint32_t CopyOut(uint8_t* out) {
    uint32_t at = m_N, piece = 0;
    for (;;) {
      uint32_t chunk = m_Head[piece];
      for (uint32_t left = m_Len[piece]; left;) {
        const uint32_t take = left < kChunk ? left : kChunk;
        at -= take;
        std::memcpy(out + at, m_Scratch.Get() + chunk - take, take);
        left -= take;
        if (left) chunk = m_Link[(chunk - kChunk) / kChunk];
      }
      const uint32_t end = m_End[piece];
      if (end == m_Primary) break;
      piece = end >> m_Shift;
    }
    return at;
  }

  const TEntry* m_pLinks;
  uint32_t m_N, m_Primary;
  uint32_t m_First[256];
  int m_Shift;
  uint32_t m_Mask, m_Pieces, m_Chunks;
  uint32_t m_NextPiece = 0, m_Used = 0;
  TZZipArray<uint32_t> m_Len, m_End, m_Head, m_Link;
  TZZipArray<uint8_t> m_Scratch;
};

// Builds the links from the sorted block and walks them.
template <class TEntry>
int32_t Unsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out) {
  TZZipArray<TEntry> links(n);
  if (!links) return -1;
  TEntry seen[256] = {};
  for (uint32_t i = 0; i < n; ++i) links[i] = seen[l[i]]++ << 8 | l[i];
  return CInverse<TEntry>(links.Get(), n, primary, counts).Run(out);
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
  return n < (1u << 24) ? Unsort<uint32_t>(l, n, primary, counts, out) : Unsort<uint64_t>(l, n, primary, counts, out);
}

int32_t ZZipBlockUnsortLinks(const uint32_t* links, uint32_t n, uint32_t primary, const uint32_t counts[256],
                             uint8_t* out) {
  if (n >= ZZIP_MAX_LINKED || !CountsFit(n, primary, counts)) return 0;
  return CInverse<uint32_t>(links, n, primary, counts).Run(out);
}
