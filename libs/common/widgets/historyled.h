// History lights: the outcomes of a table's last rounds as a row of lit symbols. The server half
// keeps the list, adds it to every round's data and saves it with the table's state; the client
// half takes it from the round data and draws the symbols into a static control of the table
// dialog, over a clean copy of the table background.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CBitmap;
class CCommNode;
class CControlBase;
class CDialog;
class CResData;
class CServerTableBase;

// The round data's item: an unsigned long array, newest entry first.
inline constexpr const char* HISTORYLED_ITEM = "WinHistoryArray";
// The data chunk's sub-chunk of the client's keys.
inline constexpr const char* HISTORYLED_CHUNK = "HistoryLed";
// Largest count a script may give for entries, symbols, symbol positions or player positions.
inline constexpr uint32_t HISTORYLED_MAX_COUNT = 1024;

// The list of recent symbols; entry 0 is the newest.
class CHistoryLed {
 public:
  CHistoryLed() = default;
  virtual ~CHistoryLed();
  CHistoryLed(const CHistoryLed&) = delete;
  CHistoryLed& operator=(const CHistoryLed&) = delete;

  // Every entry becomes symbols - 1 (the symbol of "nothing yet"). 0, with no history, for no
  // entries or no symbols, or a count above HISTORYLED_MAX_COUNT.
  virtual int32_t Create(uint32_t entries, uint32_t symbols);
  // Frees the history and zeroes both counts.
  virtual int32_t Destroy();

  uint32_t GetNumHistory() const { return m_NumHistory; }
  uint32_t GetNumSymbols() const { return m_NumSymbols; }
  // Entry i (0 the newest); symbols - 1 ... as stored. 0 beyond the history.
  uint32_t GetEntry(uint32_t i) const { return i < m_NumHistory ? m_History[i] : 0; }

 protected:
  // 0 when the symbol is not below the number of symbols; else every entry moves one place
  // towards the end (the oldest falls off), the symbol becomes entry 0, and 1.
  int32_t UpdateWinHistory(uint32_t symbol);

  uint32_t m_NumHistory = 0;
  uint32_t m_NumSymbols = 0;
  std::vector<uint32_t> m_History;
};

class CServerHistoryLed : public CHistoryLed {
 public:
  // Updates the history and adds "WinHistoryArray" to the node's outgoing record. A symbol not
  // below the number of symbols changes nothing, adds nothing and gives 1; 0 only when the item
  // cannot be added (no node, no history).
  int32_t AddSymbolToHistory(uint32_t symbol, CCommNode* node);

  // The history appended to the table's state store (StoreState's bytes); read back from the
  // store (RestoreState from its unread bytes, which it then steps over). 0 without a table, when
  // the store cannot grow, or when RestoreState refuses (the history then stays as it was).
  int32_t StoreHistory(CServerTableBase* table);
  int32_t RestoreHistory(CServerTableBase* table);

  // Every entry in order, in the state store's encoding (each a long: 4 bytes, little-endian),
  // appended to out.
  void StoreState(std::vector<uint8_t>& out) const;
  // Reads the entries back in the same order from the front of a state store of size bytes;
  // used gets the bytes read. 0, with the history as it was and used 0, when the store holds
  // fewer than one long per entry or a symbol not below the number of symbols.
  int32_t RestoreState(const uint8_t* data, size_t size, size_t& used);
};

class CClientHistoryLed : public CHistoryLed {
 public:
  // Layouts of the "Layout" key.
  static constexpr uint32_t LAYOUT_VERTICAL = 0;
  static constexpr uint32_t LAYOUT_HORIZONTAL = 1;

  CClientHistoryLed() = default;
  ~CClientHistoryLed() override;

  using CHistoryLed::Create;
  // 1 at once when created already. Reads the "HistoryLed" sub-chunk of the script's data chunk,
  // makes the history of NumHistory entries and NumSymbols symbols, finds the symbols bitmap and
  // prepares the static control StaticId of the dialog: a drawing bitmap and a clean copy of its
  // size, both filled with the background's pixels under the control (the background covers the
  // dialog from its top-left corner), the control disabled with the drawing as its four looks.
  // 0 on the first failure, said in the diagnostics, with nothing kept. Items of a sub-chunk
  // beyond NumSymbols (or NumPlayerPositions) are ignored; the sizes of SymbolSizes are height,
  // width. Neither the dialog, the script nor the background is owned.
  int32_t Create(CDialog* dialog, CResData* res, CBitmap* background);
  // Frees the history, the positions and both bitmaps; the control keeps no look of ours. The
  // lights go (Destroy or delete) before the dialog object that holds the control.
  int32_t Destroy() override;

  // 0 when not created or the position is not below NumPlayerPositions. Else the control moves to
  // that player position (given like the dialog's own control positions), the clean copy takes
  // the background under it, the drawing is cleared and the control redrawn; 1.
  int32_t SetShowPosition(uint32_t position, CBitmap* background);
  // Reads "WinHistoryArray" from the node's received record. 1 when the item is absent or read:
  // at most NumHistory entries are taken from it, and entries beyond a shorter array keep their
  // symbols. 0, with the history as it was, when the item is no array of unsigned longs.
  int32_t ProcessIncomingData(CCommNode* node);
  // The clean copy, then every entry's symbol at each of its positions, and the control redrawn.
  // Symbols not below NumSymbols and source areas outside the symbols bitmap are skipped.
  void ShowHistory();

  int32_t IsCreated() const { return m_Created; }
  uint32_t GetLayout() const { return m_Layout; }
  CControlBase* GetControl() const;
  const CBitmap* GetDrawing() const { return m_pDrawing; }

 private:
  struct SPoint {
    int32_t x, y;
  };
  // The keys of the sub-chunk; 0 with the diagnostic on the first one missing.
  int32_t GetData(CResData* res);
  int32_t GetCount(CResData* res, const char* key, uint32_t& value);
  int32_t GetPairs(CResData* res, const char* key, int32_t* values, int32_t count);
  // count items of the sub-chunk key, each an array of per longs, into out (count * per).
  int32_t GetSubChunk(CResData* res, const char* key, uint32_t count, int32_t per, std::vector<int32_t>& out);
  int32_t PrepareControl(CBitmap* background);
  // The background under the control into the clean copy, and the clean copy over the drawing.
  void TakeBackground(CBitmap* background);
  void FreeBitmaps();

  uint32_t m_NumSymbolPositions = 0;
  uint32_t m_NumPlayerPositions = 0;
  // Per symbol, NumSymbolPositions (x, y) pairs in the symbols bitmap.
  std::vector<int32_t> m_SymbolPositions;
  // Per symbol its height and width.
  std::vector<int32_t> m_SymbolSizes;
  std::vector<int32_t> m_PlayerPositions;
  int32_t m_SymbolSpaces[2] = {};
  uint32_t m_StaticId = 0;
  uint32_t m_Layout = LAYOUT_VERTICAL;
  CDialog* m_pDialog = nullptr;
  std::string m_SymbolsBitmapName;
  CBitmap* m_pSymbols = nullptr;  // the script's
  CBitmap* m_pDrawing = nullptr;  // owned
  CBitmap* m_pClean = nullptr;    // owned
  int32_t m_Created = 0;
};
