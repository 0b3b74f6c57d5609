// LZSS: a 4096-byte sliding window, a 17-byte look-ahead and a binary search tree over the
// window. The coded stream has no header and no length and ends with an end mark:
//   literal: bit 1, the byte in 8 bits
//   match:   bit 0, window position (1-4095) in 12 bits, length - 2 in 4 bits (lengths 2-17)
//   end:     bit 0, 12 zero bits; the last byte is padded with zero bits.
#pragma once

#include <cstdint>

#include "ostrel/files/file.h"

class CBitFile;

inline constexpr int32_t LZSS_WINDOW = 4096;
inline constexpr int32_t LZSS_LOOKAHEAD = 17;

class CLzss {
 public:
  CLzss();
  ~CLzss();
  CLzss(const CLzss&) = delete;
  CLzss& operator=(const CLzss&) = delete;

  // Progress reports: (0, total, 1) first, then (done, total, 0) whenever more than interval
  // milliseconds have passed since the last one, and (total, total, 0) at the end.
  int32_t SetCallback(TFileProgressFunc callback, int32_t interval);

  int32_t Compress(const char* inPath, const char* outPath);  // creates the output's folders
  int32_t Expand(const char* inPath, const char* outPath);
  int32_t CompressFile(CFile* in, CBitFile* out);
  // A short input simply ends the stream (past its end the bits read as 0).
  int32_t ExpandFile(CBitFile* in, CFile* out);

  // A new block of exactly the coded length (free it with xFree); *len in: the input length,
  // out: the coded length. Null and *len 0 for an empty input.
  uint8_t* CompressBuffer(const void* buf, uint32_t* len);
  // capacity 0 counts the coded length into *len and returns null. Otherwise codes into a new
  // block of capacity bytes; when the code does not fit, the block is freed, null is returned
  // and *len holds the length that would have been needed.
  uint8_t* CompressBuf(const void* buf, uint32_t* len, uint32_t capacity);
  // Expands inLen coded bytes into out; *len in: the room in out, out: the expanded length.
  // Never reads past inLen; a stream that ends before its end mark fails. A null out or a room
  // of 0 only counts (result 1). With too little room the excess is counted, not stored, and the
  // result is 0.
  int32_t ExpandBuffer(const void* in, uint32_t inLen, void* out, uint32_t* len);

 private:
  template <class TSource, class TSink>
  void Encode(TSource& src, TSink& sink, uint32_t total);
  template <class TBits, class TSink>
  bool Decode(TBits& bits, TSink& sink, uint32_t cur);

  void InitTree(int32_t node);
  int32_t AddString(int32_t node, int32_t* matchPos);
  void DeleteString(int32_t node);
  void ContractNode(int32_t oldNode, int32_t newNode);
  void ReplaceNode(int32_t oldNode, int32_t newNode);
  void SetWindow(int32_t pos, uint8_t c);
  void Report(uint32_t done, uint32_t total, int32_t first);
  void MaybeReport(uint32_t done, uint32_t total);

  // The first LZSS_LOOKAHEAD bytes are mirrored behind the end, so string compares need no wrap.
  uint8_t m_Window[LZSS_WINDOW + LZSS_LOOKAHEAD];
  // Links of the tree; node LZSS_WINDOW is the root, 0 means no link.
  int16_t m_Parent[LZSS_WINDOW + 1];
  int16_t m_Smaller[LZSS_WINDOW + 1];
  int16_t m_Larger[LZSS_WINDOW + 1];
  TFileProgressFunc m_pCallback = nullptr;
  int32_t m_Interval = 0;
  uint32_t m_LastReport = 0;
};
