// The in-memory model of keyword/chunk data: items in chunks, chunks hung under "{" items.
//
// An item is one allocation: the header, a table of its values, then the block of texts
// (keyword NUL, each value NUL, an array as 0xFD, its elements each ended by NUL, then 0xFE when
// more values follow, and NUL 0xFF at the end). The table is what the library reads: it knows each
// value's kind and place, so a quoted text that happens to start with ";" or 0xFD, or an array
// element that holds 0xFE, is never taken for something else.
#pragma once

#include <cstddef>
#include <cstdint>

class CKCBLArena;

// Value kinds; the numbers are those GetDataType reports.
inline constexpr uint8_t KCBLV_COMMENT = 1;
inline constexpr uint8_t KCBLV_TEXT = 2;
inline constexpr uint8_t KCBLV_ARRAY = 3;

inline constexpr unsigned char KCBL_ARRAY_MARK = 0xFD;
inline constexpr unsigned char KCBL_ARRAY_END = 0xFE;
inline constexpr unsigned char KCBL_ITEM_END = 0xFF;

// Deepest chunk nesting that is read or built; deeper text fails the import.
inline constexpr int32_t KCBL_MAX_DEPTH = 256;

inline constexpr char KCBL_PLACEHOLDER[] = "; I don't exist";

struct TKCBLChunk;

struct SKCBLValue {
  uint32_t m_Offset;  // into the block
  uint32_t m_Count;   // elements of an array
  uint8_t m_Kind;
};

struct TKCBLKeyword {
  TKCBLKeyword* m_pNext;
  TKCBLKeyword* m_pPrev;
  TKCBLChunk* m_pChunk;  // the chunk this item opens, or null
  SKCBLValue* m_pValues;
  char* m_pData;         // the block; the keyword is its first text
  uint32_t m_NumStrings;
  uint32_t m_Size;       // bytes of the block
  bool m_InArena;        // freed with its arena, not alone

  char* Keyword() const { return m_pData; }
  char* Value(uint32_t n) const { return n < m_NumStrings ? m_pData + m_pValues[n].m_Offset : nullptr; }
  uint8_t Kind(uint32_t n) const { return m_pValues[n].m_Kind; }
  // Lengths without the NUL, from the offsets: every text ends with its NUL right before the
  // next value or, for the last one, before the block's 0xFF.
  uint32_t KeywordLength() const { return (m_NumStrings ? m_pValues[0].m_Offset : m_Size - 1) - 1; }
  uint32_t TextLength(uint32_t n) const {
    return (n + 1 < m_NumStrings ? m_pValues[n + 1].m_Offset : m_Size - 1) - m_pValues[n].m_Offset - 1;
  }
  // Element e of array value n; the caller checks n and e against the counts.
  const char* Element(uint32_t n, uint32_t e) const;
};

struct TKCBLChunk {
  TKCBLKeyword m_Placeholder;  // first in every chunk; never written, never deleted
  TKCBLKeyword* m_pLast;       // the placeholder while the chunk is empty
  TKCBLKeyword* m_pCur;        // null: the cursor stands past the end
  TKCBLChunk* m_pParent;
  TKCBLKeyword* m_pOwner;      // the "{" item, null for the top chunk
  int32_t m_Depth;             // 0 for the top chunk
  bool m_InArena;
  char m_PlaceholderText[sizeof KCBL_PLACEHOLDER + 1];

  TKCBLKeyword* First() const { return m_Placeholder.m_pNext; }
};

// A parsed or built item before it is stored: the block and its value table.
struct SKCBLItemParts {
  const char* m_pBlock;
  uint32_t m_Size;
  const SKCBLValue* m_pValues;
  uint32_t m_NumStrings;
};

// One allocation holding a copy of the parts, from the arena or, without one, from the heap;
// null when memory runs out or sizes overflow.
TKCBLKeyword* xKCBLNewKeyword(const SKCBLItemParts& parts, CKCBLArena* arena = nullptr);
// Frees the item and every chunk and item below it that came from the heap, without recursion.
void xKCBLFreeKeyword(TKCBLKeyword* item);

// A new empty chunk under owner (null for none); null when memory runs out.
TKCBLChunk* xKCBLNewChunk(TKCBLChunk* parent, TKCBLKeyword* owner, CKCBLArena* arena = nullptr);
// Makes an empty chunk of storage that the caller owns (the top chunk).
void xKCBLInitChunk(TKCBLChunk* chunk, TKCBLChunk* parent, TKCBLKeyword* owner);
// Frees every heap item of the chunk (and their sub-trees); the chunk itself stays, empty.
void xKCBLClearChunk(TKCBLChunk* chunk);
// Empties the chunk without a walk, when everything below it lives in an arena.
void xKCBLResetChunk(TKCBLChunk* chunk);

// Links item behind after (which is in chunk).
void xKCBLLinkAfter(TKCBLChunk* chunk, TKCBLKeyword* after, TKCBLKeyword* item);
// Unlinks item (never the placeholder) from chunk; the chunk's cursor is not touched.
void xKCBLUnlink(TKCBLChunk* chunk, TKCBLKeyword* item);

// 1 when the keyword opens a chunk ("{").
inline bool xKCBLIsChunkKeyword(const char* keyword) { return keyword[0] == '{' && keyword[1] == 0; }
