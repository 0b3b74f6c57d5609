// The chat box of a game table: a dialog with three rows (a name and a text each), a slider to
// scroll back through the last 20 entries and a field to type into. Lines come in through
// UpdateChat; Enter in the field sends the typed line through the chat client.
//
// The rows stack upwards: row 1 (name 407, text 404), the lowest, shows the newest entry shown,
// rows 2 and 3 (408/405, 409/406) the ones before it. The slider (440) stands at its range end
// while the newest entries show.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "ostrel/system/timers.h"

class CChatClient;
class CClientTableBase;
class CDialog;
class CResData;
class CTranslateMessage;

enum : int32_t {
  CHATBOX_WINDOW = 3304,
  CHATBOX_INPUT = 402,
  CHATBOX_TEXT1 = 404,
  CHATBOX_TEXT2 = 405,
  CHATBOX_TEXT3 = 406,
  CHATBOX_NAME1 = 407,
  CHATBOX_NAME2 = 408,
  CHATBOX_NAME3 = 409,
  CHATBOX_FORREAL = 417,
  CHATBOX_AUTOPLAY = 432,
  CHATBOX_SLIDER = 440,
};

inline constexpr int32_t CHATBOX_ROWS = 3;
inline constexpr int32_t CHATBOX_MAX_ENTRIES = 20;
// The longest sender name read from the front of a line.
inline constexpr size_t CHATBOX_MAX_NAME = 1024;
inline constexpr int32_t CHATBOX_KEY_ENTER = 13;

// What the two buttons of the chat box ask of the table it sits on. The client table fills them
// in: 417 plays on for real money, 432 puts the autoplay panel away (and tells the game).
struct SChatTableCalls {
  void (*m_pRestartToForReal)(CClientTableBase* table) = nullptr;
  void (*m_pSwitchAutoplayOff)(CClientTableBase* table) = nullptr;
};

class CChatDisplay : public CTimer {
 public:
  CChatDisplay();
  // The chat box holds no timer; the slot stays for the table's own use.
  void TimerHandler(uint32_t period) override;
  ~CChatDisplay() override;

  // Builds the dialog from the section (with ChatCallback), hides the slider and loads the
  // translator when "xrs/message.xrs" loads. The dialog, or null when it cannot be made. The
  // script, chat client and table are not owned.
  CDialog* Init(CResData* res, int32_t dialogId, CChatClient* chat, CClientTableBase* table);
  // Takes the dialog down and frees the entries and the translator; 1.
  int32_t Exit();
  // A chat line: translated, its sender's name taken off the front, split in two when wider than
  // the text row, the entries put in front of the others and the rows shown from the newest.
  void UpdateChat(const char* line);
  // Rows 1 to 3 from the entry at offset (0 the newest); rows without an entry show empty.
  void DisplayChatLines(int32_t offset);
  // Drops every entry, hides the slider and empties the rows.
  void ClearChatHistory();
  static void ChatCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

  void SetTableCalls(const SChatTableCalls& calls) { m_TableCalls = calls; }
  // When set, the two table buttons go to the hook (the control panel's) and not to the table calls.
  using TButtonHook = void (*)(int32_t controlId, void* user);
  void SetButtonHook(TButtonHook hook, void* user) {
    m_pButtonHook = hook;
    m_pButtonHookUser = user;
  }
  CDialog* GetDialog() const { return m_pDialog; }
  int32_t NumEntries() const { return static_cast<int32_t>(m_Entries.size()); }
  // Entry i from the newest; empty texts past the end.
  const std::string& EntryName(int32_t i) const;
  const std::string& EntryText(int32_t i) const;
  int32_t HasTranslator() const { return m_pTranslator != nullptr; }

 private:
  struct SEntry {
    std::string m_Name;
    std::string m_Text;
  };

  void OnKey(int32_t controlId, int32_t value);
  void OnCommand(int32_t windowId, int32_t controlId);
  void OnSlider(int32_t windowId, int32_t controlId);
  // Where the text row must be cut so its first part fits: npos when it fits whole.
  size_t SplitPoint(const std::string& text) const;
  void AddEntry(std::string name, std::string text);
  void UpdateSlider();

  // Entries, the newest first. A deque keeps each entry where it is while others come and go,
  // so the rows can show their texts without copies.
  std::deque<SEntry> m_Entries;
  std::unique_ptr<CTranslateMessage> m_pTranslator;
  CClientTableBase* m_pTable = nullptr;
  CDialog* m_pDialog = nullptr;
  CChatClient* m_pChat = nullptr;
  SChatTableCalls m_TableCalls;
  TButtonHook m_pButtonHook = nullptr;
  void* m_pButtonHookUser = nullptr;
};
