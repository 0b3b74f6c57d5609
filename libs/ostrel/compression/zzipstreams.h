// The two coded streams of a sorted block. Each byte's move-to-front value becomes a symbol of the
// symbol stream (0, 1, or 2 for "the next literal"); values of 2 or more also go, in order, to the
// literal stream.
//
// Symbols: 14 adaptive three-count models chosen by the three previous symbols, with a run state
// that favours zeros inside long runs.
// Literals: v - 2 = (2^b - 1) + r, 0 <= r < 2^b: the bucket b (0..7) with one adaptive model, then
// r with the model of bucket b. The coder parameter byte sets how these models adapt:
//   bits 0-2  log2 of the bucket model's increment
//   bits 3-5  log2 of the offset models' increment
//   bits 6-7  s: every model halves its frequencies once their total exceeds 1024 << s
#pragma once

#include <cstddef>
#include <cstdint>

struct SZZipStreams {
  uint32_t literals = 0;  // values in the literal stream
  size_t literalLen = 0;  // coded bytes of each stream
  size_t symbolLen = 0;
};

// Codes the sorted block (m bytes). 1, 0 when either stream does not fit its room, -1 when no
// work area could be had.
int32_t ZZipEncodeStreams(const uint8_t* block, uint32_t m, uint8_t param, uint8_t* literalOut, size_t literalRoom,
                          uint8_t* symbolOut, size_t symbolRoom, SZZipStreams& result);

// Decodes the m bytes of the sorted block into the rows the inverse block sort walks (see
// ZZipBlockUnsortRows; primary is the row left out) and counts each byte value into counts.
// literalArea holds the k + 1 bytes the literals need on the way, or is null to have them taken
// from the hooks. 1; 0 for a literal out of range or a literal count other than k; -1 when no
// work area could be had.
int32_t ZZipDecodeStreams(const uint8_t* literalIn, size_t literalLen, const uint8_t* symbolIn, size_t symbolLen,
                          uint32_t m, uint32_t k, uint8_t param, uint8_t* literalArea, uint32_t primary,
                          uint32_t* rows, uint32_t counts[256]);

// Keeps the coders to their build for any x86-64 even where the processor offers more (for tests:
// both builds must give the same).
void ZZipKeepToPlainX86(bool keep);

// The parameter the compressor uses for a sorted block of m bytes with k literals.
uint8_t ZZipChooseParam(uint32_t m, uint32_t k);
