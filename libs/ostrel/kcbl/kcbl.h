// Keyword/chunk data: a tree of keyword items that reads and writes itself as text. The same
// text is the configuration file, the resource script and the payload of every node packet.
//
// Every operation works on the current chunk and its cursor (the current item). Results are 1
// for success and 0 for failure unless noted. Texts handed out point into the items and stay
// valid until the item is deleted; they must not be written to.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/kcbl/kcblarena.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/kcbl/kcbltree.h"

class CKCBLBuffer;

inline constexpr int32_t KCBL_DEFAULT_LINE_LENGTH = 1000000;

class CKCBL {
 public:
  CKCBL();
  // Reads a text file whole and imports it (no unscrambling here).
  virtual int32_t Load(const char* fileName);
  virtual ~CKCBL();
  CKCBL(const CKCBL&) = delete;
  CKCBL& operator=(const CKCBL&) = delete;

  // Cursor.
  int32_t MainChunk();
  int32_t FirstItem();
  // descend 0: the next item of the chunk. Otherwise one step of a depth-first walk: enters a
  // sub-chunk, else steps on; at a chunk's end climbs out past its opening item and returns 0.
  int32_t NextItem(int32_t descend);
  int32_t ItemExists();
  int32_t ItemType();  // 2 opens a sub-chunk, 1 another item, 0 none
  int32_t EnterChunk();
  // From the top chunk, with restart mode switched on: the chunk whose name (first value) is
  // name, without regard to case.
  int32_t EnterChunk(const char* name);
  int32_t ExitChunk();
  int32_t PushChunk();
  int32_t PopChunk();
  // Searches the current chunk from the current item for keyword with the given first values
  // (null ones are skipped; the others match values 0, 1, 2 in order), without regard to case.
  // With restart mode on it wraps once to the chunk's first item.
  int32_t FindItem(const char* keyword, const char* value0 = nullptr, const char* value1 = nullptr,
                   const char* value2 = nullptr);
  int32_t FindSubChunk(const char* value0, const char* value1 = nullptr, const char* value2 = nullptr);
  int32_t FindRawdata(const char* value0, const char* value1 = nullptr, const char* value2 = nullptr);
  int32_t GetRawdata() { return 1; }
  // Returns the mode that was set before.
  int32_t RestartMode(int32_t on);
  int32_t GetRestartMode() const { return m_RestartMode; }

  // The current item.
  char* GetKeyword();
  TKCBLKeyword* GetCurKeyword();
  int32_t GetNumStrings();
  char* GetString(int32_t n);
  int32_t IsComment();
  int32_t GetDataType(int32_t n);  // 0 no item, 1 comment, 2 text or missing, 3 array
  // Deletes the current item with everything below it; the cursor goes to the item before.
  int32_t KillItem();
  void Free();

  // Whole text. Import reads length bytes or up to a NUL, whichever comes first; a negative
  // length reads up to the NUL.
  int32_t Import(const char* text, int32_t length);
  // Writes the text and its NUL into buffer, never at or beyond buffer + size; with measureOnly
  // or a null buffer only measures. *length gets the text's length; -1 on failure. No data (or
  // size 0) gives an empty text of length 1.
  int32_t Export(char* buffer, int32_t size, int32_t* length, int32_t measureOnly);
  int32_t ExportSize(int32_t* length);
  int32_t Save(const char* fileName);
  void SetMaxLineLength(int32_t n);

  // Typed items (tags in kcbltags.h).
  template <class... A>
    requires KCBLNewList<A...>
  int32_t NewItem(const char* keyword, const A&... list) {
    const SKCBLWord words[] = {kcbl_detail::Word(list)...};
    return NewItemWords(keyword, words);
  }
  template <class... A>
    requires KCBLNewList<A...>
  int32_t NewChunk(const A&... list) {
    const SKCBLWord words[] = {kcbl_detail::Word(list)...};
    return NewItemWords("{", words);
  }
  // Replaces the item found by keyword (null: the current item) by a new one with its keyword.
  template <class... A>
    requires KCBLNewList<A...>
  int32_t ReplaceItem(const char* keyword, const A&... list) {
    const SKCBLWord words[] = {kcbl_detail::Word(list)...};
    return ReplaceItemWords(keyword, words);
  }
  // Reads value 0, 1, ... of the item found by keyword (null: the current item).
  template <class... A>
    requires KCBLGetList<A...>
  int32_t GetItem(const char* keyword, const A&... list) {
    const SKCBLWord words[] = {kcbl_detail::Word(list)...};
    return GetItemWords(keyword, words);
  }

  // Value n of the current item. Numbers are read as scanf reads them: leading white space
  // skipped, the rest ignored. Longs are 32 bits: a number of more than 32 bits fails, one that
  // fits wraps ("-1" read unsigned is 0xFFFFFFFF).
  int32_t GetLong(int32_t n, int32_t* value);
  int32_t GetULong(int32_t n, uint32_t* value);
  int32_t GetFloat(int32_t n, float* value);
  int32_t GetDouble(int32_t n, double* value);
  int32_t GetBool(int32_t n, int32_t* value);  // TRUE/YES/1, FALSE/NO/0, any case
  // 1 whenever the value exists; the amount's error flag tells whether it parsed.
  int32_t GetMoney(int32_t n, TKCBLMoney* value);
  int32_t GetBoolArray(int32_t n, int32_t* values, int32_t count);
  int32_t GetLongArray(int32_t n, int32_t* values, int32_t count);
  int32_t GetULongArray(int32_t n, uint32_t* values, int32_t count);
  int32_t GetDoubleArray(int32_t n, double* values, int32_t count);
  int32_t GetMoneyArray(int32_t n, TKCBLMoney* values, int32_t count);
  int32_t GetNumArrayItems(int32_t n, int32_t* count);
  // Value 0 of the item found by keyword, as a new copy (xFree) in place of *text.
  int32_t GetString(const char* keyword, char** text);

  void SetFloatPrecision(int32_t n);
  void SetDoublePrecision(int32_t n);
  void SetMoneyPrecision(int32_t n);
  const char* GetFloatFormat() const { return m_FloatFormat; }
  const char* GetDoubleFormat() const { return m_DoubleFormat; }
  int32_t GetMoneyPrecision() const { return m_MoneyPrecision; }

 private:
  template <size_t N>
  int32_t NewItemWords(const char* keyword, const SKCBLWord (&words)[N]) {
    return NewItemList(keyword, words, N);
  }
  template <size_t N>
  int32_t ReplaceItemWords(const char* keyword, const SKCBLWord (&words)[N]) {
    return ReplaceItemList(keyword, words, N);
  }
  template <size_t N>
  int32_t GetItemWords(const char* keyword, const SKCBLWord (&words)[N]) {
    return GetItemList(keyword, words, N);
  }
  int32_t NewItemList(const char* keyword, const SKCBLWord* words, size_t n);
  int32_t ReplaceItemList(const char* keyword, const SKCBLWord* words, size_t n);
  int32_t GetItemList(const char* keyword, const SKCBLWord* words, size_t n);
  // Builds an item from a list into parts held by the work buffer; 0 on a bad list, and, when
  // checkKeyword is set, on a keyword that would not read back.
  int32_t BuildItem(const char* keyword, const SKCBLWord* words, size_t n, bool checkKeyword,
                    SKCBLItemParts* parts);
  // Stores parts as a new item after `after` in the current chunk (a "{" item gets its chunk,
  // which becomes current); the item becomes current. Null when it cannot be made.
  TKCBLKeyword* InsertItem(const SKCBLItemParts& parts, TKCBLKeyword* after);
  // The current item's value n when it is an array of at least count elements.
  const char* ArrayStart(int32_t n, int32_t count);
  // Empties the tree and gives its storage back.
  void Clear();
  // Drops chunk-stack entries that lie in the sub-tree of chunk, which is about to go.
  void ForgetChunks(const TKCBLChunk* chunk);
  // The current item unless it is missing or the placeholder.
  TKCBLKeyword* RealItem();
  CKCBLBuffer& Work();

  TKCBLChunk m_Top;
  TKCBLChunk* m_pCurChunk;
  std::vector<TKCBLChunk*> m_ChunkStack;
  int32_t m_HasData = 0;
  int32_t m_MaxLineLength = KCBL_DEFAULT_LINE_LENGTH;
  int32_t m_RestartMode = 1;
  char m_FloatFormat[8];
  char m_DoubleFormat[8];
  int32_t m_DoublePrecision = -1;  // -1: the format's default
  int32_t m_MoneyPrecision = 10;
  CKCBLBuffer* m_pWork = nullptr;
  // Imported items live in the arena; items made one by one come from the heap, and while there
  // are any, freeing walks the tree.
  CKCBLArena m_Arena;
  bool m_HeapItems = false;
};
