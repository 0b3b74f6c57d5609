// The chat client of the lobby and the game tables: one raw TCP link to the chat server. Typed
// lines and the client's own commands go out as command strings; what the server sends becomes
// display lines (a style byte and a text) and the user list. The ignore list, the display lines
// and the history of lines read live here; the owner steps the client once a frame with Ticker.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "ostrel/containers/llist.h"

class CCmdString;
class CCommRemoteClient;

inline constexpr int32_t CHAT_MAX_DISPLAY_LINES = 100;
inline constexpr int32_t CHAT_MAX_HISTORY = 20;
// The longest name (or file name) a typed command takes; longer ones are cut.
inline constexpr size_t CHAT_MAX_COMMAND_NAME = 29;
// The longest channel name.
inline constexpr size_t CHAT_MAX_CHANNEL = 50;
// A user-list entry's name, the part before its extra text, compared within this many characters.
inline constexpr size_t CHAT_MAX_USER_NAME = 49;
// The style of the client's own lines.
inline constexpr uint8_t CHAT_STYLE_CLIENT = 1;

inline constexpr const char* CHAT_LINK_NAME = "ChatClientCommToServer";
inline constexpr const char* CHAT_LINK_LOG = "C:\\LOG.LOG";
inline constexpr const char* CHAT_DEFAULT_CHANNEL = "Lobby";

class CChatClient {
 public:
  // The two messages shown when a name is put on the ignore list and taken off it; each holds one
  // "%s" for the name (the texts are copied; null takes the client's own wording).
  CChatClient(const char* ignoreAddedFormat, const char* ignoreRemovedFormat);
  ~CChatClient();
  CChatClient(const CChatClient&) = delete;
  CChatClient& operator=(const CChatClient&) = delete;

  // Makes the link (raw packets only, answering no pings but pinging the server) and begins to
  // connect, through the forwarding proxy when useProxy is 1 and then under TLS when
  // proxyEncrypted is 1. 1 when the connection is under way; then the two start lines are shown.
  int32_t Startup(const char* host, int32_t port, int32_t useProxy, int32_t proxyEncrypted, const char* proxyHost,
                  int32_t proxyPort);
  // Unless alreadyConnected, looks once at the connection in progress: 2 while it is still being
  // made. 0 when the link is not connected or a is null. Else sends "/connect " with a, b and c,
  // each between two bytes 1 and separated by a blank, and with join set "/join " and the
  // channel ("Lobby" when none); 1. The player id is not sent.
  int32_t Connect(int32_t playerId, const char* a, const char* b, const char* c, int32_t join,
                  int32_t alreadyConnected, const char* channel);
  // Once a frame while connected: takes at most one raw packet, reads every received string,
  // sends the queued ones oldest first and runs the link. 1 while the link is connected.
  int32_t Ticker();
  // A channel of 1 to 50 characters is joined (and the user list cleared): 1. Else 0.
  int32_t ChangeChannel(const char* name);
  // A typed line (fromProgram 0) or a line of the program (1): local commands are carried out
  // here; other text goes out as a value and a text record. 1 when something was done.
  int32_t SendText(const char* text, int32_t fromProgram);
  // The oldest display line's text (freed with xFree), taken off the display lines and put into
  // the history; its style byte into *style when asked. Null when there is none.
  char* GetNewLine(uint8_t* style = nullptr);
  // Steps through the history (older, newer), stopping at its ends; null while it is empty.
  const char* GetPrevHistory();
  const char* GetNextHistory();
  // The user list (texts; a name may carry extra text behind a byte 3). With onlyIfChanged set,
  // null unless it changed since the last such call, which clears the mark.
  CLList* GetUserList(int32_t onlyIfChanged);
  int32_t IsIgnored(const char* name) const;
  // Puts the name on the ignore list and sends "/ignore <name>"; 0 when it was there.
  int32_t Ignore(const char* name);
  // Takes the name off and sends "/unignore <name>"; 0 when it was not there.
  int32_t UnIgnore(const char* name);
  // The previous flag. While set, typed text is not sent.
  int32_t IgnoreAll(int32_t flag);
  // Frees the display lines, the received and queued command strings and the history.
  void ClearAllData();

  // A raw packet as the ticker takes it from the link: empty ones and ones above a command
  // string's size are dropped; 1 when it was read.
  int32_t ReceivePacket(const void* data, uint32_t size);

  int32_t IsConnected() const;
  CCommRemoteClient* GetComm() const { return m_pComm.get(); }
  // The four-byte value sent before every text (0 as built).
  void SetLineValue(uint32_t value) { m_LineValue = value; }
  uint32_t GetLineValue() const { return m_LineValue; }
  int32_t NumDisplayLines() const { return static_cast<int32_t>(m_DisplayLines.size()); }
  // Display line i from the oldest without taking it; null past the end.
  const char* GetDisplayLine(int32_t i, uint8_t* style = nullptr) const;
  int32_t NumQueued() const { return static_cast<int32_t>(m_Outgoing.size()); }
  int32_t NumIgnored() const { return static_cast<int32_t>(m_Ignored.size()); }
  int32_t GetIgnoreAll() const { return m_IgnoreAll; }

 private:
  struct SDisplayLine {
    uint8_t m_Style;
    std::string m_Text;
  };

  // The local commands (savelog, ignore, unignore, listignores); 1 when text was one of them.
  int32_t LocalCommand(const char* text);
  void SaveLog(const std::string& file);
  void IgnoreCommand(const std::string& name);
  void UnignoreCommand(const std::string& name);
  void ListIgnores();
  // A value record and a text record, queued for the ticker; 0 when they do not fit.
  int32_t QueueCommand(const std::string& text);
  void ShowLine(uint8_t style, const std::string& text);
  void ShowFormatted(const std::string& format, const std::string& name);
  void AddHistory(const std::string& text);

  // Received strings: each read record by record.
  void ReadReceived();
  void ReadCmdString(const CCmdString& cmd);
  // 1 when a chat line comes from a name on the ignore list.
  int32_t FromIgnored(const char* text, uint32_t length) const;
  void AddUsers(const char* names, uint32_t length);
  void AddUser(const char* entry, size_t length);
  void UserJoined(const char* name, uint32_t length);
  void UserLeft(const char* name, uint32_t length);
  void ClearUsers();
  // The entry whose name (the part before a byte 3) equals key, or null.
  CNode* FindUser(const std::string& key) const;
  void SendQueued();

  std::unique_ptr<CCommRemoteClient> m_pComm;
  int32_t m_IgnoreAll = 0;
  std::deque<std::string> m_Ignored;
  std::deque<SDisplayLine> m_DisplayLines;
  std::deque<std::unique_ptr<CCmdString>> m_Received;
  std::deque<std::string> m_History;
  uint32_t m_LineValue = 0;
  std::deque<std::unique_ptr<CCmdString>> m_Outgoing;
  CLList m_Users;  // texts (xFree)
  int32_t m_UsersChanged = 0;
  int32_t m_Port = 0;
  std::string m_IgnoreAddedFormat;
  std::string m_IgnoreRemovedFormat;
  // Where the history steps stand: 0 is the oldest entry, the size stands past the newest.
  size_t m_HistoryPos = 0;
};
