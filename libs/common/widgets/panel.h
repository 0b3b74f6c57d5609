// The control panel at the foot of every game table: chip buttons, bet area, scrolling message
// line, chat, autoplay, coin denominations, the sliding panels and the request box, all small
// dialogs of one resource script. The client table creates one when it initialises and owns it.
// Until Init has built the sub-panels every operation here does nothing, so a table can run (and
// be tested) with a panel that has no dialogs.
#pragma once

#include <cstdint>

#include "ostrel/system/timers.h"

class CBitmap;
class CChatDisplay;
class CClientTableBase;
class CDialog;
class CDlgMove;
class CLList;
class COptionsDlg;
class CResData;

// Sub-panel sections of the panel script.
enum : int32_t {
  PANEL_SECTION_MESSAGELINE = 3300,
  PANEL_SECTION_CHIPS = 3301,
  PANEL_SECTION_USERLIST = 3302,
  PANEL_SECTION_BUTTONS = 3303,
  PANEL_SECTION_CHAT = 3304,
  PANEL_SECTION_BETAREA = 3305,
  PANEL_SECTION_OPTIONS = 3306,
  PANEL_SECTION_REQUEST = 3307,
  PANEL_SECTION_HELP = 3308,
  PANEL_SECTION_FKEYS = 3309,
  PANEL_SECTION_AUTOPLAY = 3310,
  PANEL_SECTION_DENOMINATION = 3311,
};
// Controls the client table reaches through the panel.
enum : int32_t {
  PANEL_CTRL_MESSAGELINE = 414,
  PANEL_CTRL_REQUEST_TEXT = 470,
  PANEL_CTRL_REQUEST_HEADING = 471,
};
// The request box's hidden y, and how long an unanswered request waits before it is refused.
inline constexpr int32_t PANEL_REQUEST_HIDDEN_Y = 600;
inline constexpr uint32_t PANEL_REQUEST_TIMEOUT_MS = 25000;
// The string of the panel script appended to a request's heading.
inline constexpr int32_t PANEL_STR_REQUEST_HEADING = 11001;

class CPanel : public CTimer {
 public:
  CPanel();
  void TimerHandler(uint32_t period) override;
  ~CPanel() override;

  // Removes the timers and forgets the sub-panels; 1.
  int32_t Exit();
  // A chat line for the chat display; nothing without one.
  virtual void UpdateChat(char* line);
  void SetPlayerIsSeated(bool seated);
  int32_t IsPlayerSeated() const { return m_PlayerSeated; }
  // Heading (followed by string 11001 of the panel script when both fit) and text of the request
  // box, which slides to its shown place; an unanswered request is refused after 25 s. Nothing
  // without the request box.
  void ShowRequestDialog(const char* heading, const char* text);

  // The message-line sub-panel whose control 414 the table scrolls; null without dialogs.
  CDialog* GetMessageLineDialog() const { return m_pMessageLine; }
  CDialog* GetRequestDialog() const { return m_pRequest; }
  void SetClientTable(CClientTableBase* table) { m_pTable = table; }
  CClientTableBase* GetClientTable() const { return m_pTable; }

 protected:
  uint8_t m_PlayerSeated = 0;
  CDialog* m_pMessageLine = nullptr;
  CDialog* m_pRequest = nullptr;
  CChatDisplay* m_pChatDisplay = nullptr;
  CResData* m_pPanelRes = nullptr;
  CDlgMove* m_pDlgMove = nullptr;
  int32_t m_RequestFrames = 0;
  int32_t m_RequestShownX = 0;
  int32_t m_RequestShownY = 0;
  CClientTableBase* m_pTable = nullptr;
};
