// The control panel at the foot of every game table: chip buttons, bet area, scrolling message
// line, chat, autoplay, coin denominations, four panels that slide up over the table (options,
// help, function keys, user list) and a request box that slides in from below, all small dialogs
// of one resource script. The client table creates one and owns it; the game module calls Init
// with its own script and then drives it. Button presses become calls on the table, through the
// CPanelTable interface the table implements.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/info/translate.h"
#include "ostrel/base/money.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/system/timers.h"

class CBitmap;
class CChatClient;
class CChatDisplay;
class CControlBase;
class CDialog;
class CDlgMove;
class CLList;
class COptionsDlg;
class CPanel;
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

// Controls of the sub-panels.
enum : int32_t {
  PANEL_CTRL_OPEN_USERLIST = 400,  // user list (3302)
  PANEL_CTRL_CLOSE = 401,          // user list, options, help, function keys
  PANEL_CTRL_HELP = 410,           // buttons bar (3303)
  PANEL_CTRL_OPTIONS = 411,
  PANEL_CTRL_EXIT = 412,
  PANEL_CTRL_BET1 = 413,  // bet area (3305)
  PANEL_CTRL_MESSAGELINE = 414,  // message line (3300)
  PANEL_CTRL_TOTALBET = 415,
  PANEL_CTRL_BET2 = 416,
  PANEL_CTRL_FORREAL = 417,     // chat (3304)
  PANEL_CTRL_HELP_PAGE2 = 427,  // help (3308)
  PANEL_CTRL_HELP_PAGE1 = 428,
  PANEL_CTRL_HELP_FKEYS = 429,
  PANEL_CTRL_USERLIST_TITLE = 430,
  PANEL_CTRL_SHOW_CHAT = 431,      // autoplay (3310)
  PANEL_CTRL_SHOW_AUTOPLAY = 432,  // chat (3304)
  PANEL_CTRL_AUTO_START = 433,
  PANEL_CTRL_AUTO_MINUS1 = 434,
  PANEL_CTRL_AUTO_PLUS1 = 435,
  PANEL_CTRL_AUTO_STOP = 436,
  PANEL_CTRL_AUTO_PLUS5 = 437,
  PANEL_CTRL_AUTO_PLUS10 = 438,
  PANEL_CTRL_AUTO_RESET = 439,
  PANEL_CTRL_HELP_HISTORY = 441,
  PANEL_CTRL_AUTO_RUNNING = 442,
  PANEL_CTRL_REQUEST_YES = 460,  // request box (3307)
  PANEL_CTRL_REQUEST_NO = 461,
  PANEL_CTRL_REQUEST_TEXT = 470,
  PANEL_CTRL_REQUEST_HEADING = 471,
  PANEL_CTRL_USERLIST_AREA = 480,
  PANEL_CTRL_USERLIST_SLIDER = 481,
  PANEL_CTRL_AUTO_UNITS = 482,
  PANEL_CTRL_AUTO_TENS = 483,
  PANEL_CTRL_AUTO_RUNNING2 = 484,
  PANEL_CTRL_AUTO_DOTS = 485,
  PANEL_CTRL_DENOM_PICTURE = 488,  // denomination (3311)
  PANEL_CTRL_DENOM_HIGHER = 489,
  PANEL_CTRL_DENOM_LOWER = 490,
  PANEL_CTRL_CHIP1 = 500,  // chips (3301): 500 to 504
};

inline constexpr int32_t PANEL_NUM_CHIPS = 5;
inline constexpr int32_t PANEL_REQUEST_HIDDEN_Y = 600;
inline constexpr int32_t PANEL_USERLIST_LINE = 15;
inline constexpr int32_t PANEL_MAX_AUTOPLAY_ROUNDS = 99;
inline constexpr int32_t PANEL_DOT_FRAMES = 6;  // frame 0 and the five steps
inline constexpr uint32_t PANEL_TIMER_DOTS = 200;
inline constexpr uint32_t PANEL_TIMER_USERLIST = 1000;
inline constexpr uint32_t PANEL_TIMER_REQUEST = 25000;

// Strings of the panel script, and the one of the game's script that names the panel script.
enum : int32_t {
  PANEL_STR_LOCAL_USERLIST = 10000,
  PANEL_STR_TABLE_USERS = 10001,
  PANEL_STR_VIP_TABLE_USERS = 10002,
  PANEL_STR_PANEL_SCRIPT = 11000,
  PANEL_STR_REQUEST_HEADING = 11001,
  PANEL_STR_CURRENCY = 11002,
};

enum PANELSTATE : int32_t { PANEL_OPEN = 0, PANEL_CLOSE = 1 };
enum PANELS : int32_t { PANEL_OPTIONS = 0, PANEL_HELP = 1, PANEL_FKEYS = 2, PANEL_USERLIST = 3 };

// What the panel asks of the table it sits on. The client table implements it; the names are the
// table's own, so a table that derives from this overrides them by declaring them.
class CPanelTable {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;
  virtual ~CPanelTable() = default;

  virtual TMoney GetCash() = 0;
  virtual int32_t CheckCash(const TMoney& amount) = 0;
  virtual int32_t GetCurrentChip() const = 0;
  virtual void SetCurrentChip(int32_t value) = 0;
  virtual int32_t SendRequestAnswer(int32_t answer) = 0;
  virtual void ExitButtonPressed() = 0;
  virtual int32_t CreatePlayerHistoryDialog() = 0;
  virtual int32_t ShowServerMsg(const char* title, const char* text, uint8_t icon, const char* action,
                                const char* spare1, const char* spare2) = 0;
  virtual int32_t OptionsChanged() = 0;
  virtual void StartAutoplay(uint32_t rounds) = 0;
  virtual void StopAutoplay() = 0;
  virtual void ValidateAutoplayButtons() = 0;
  virtual int32_t RestartToForReal() = 0;
  // The game's operations: the click sound, the notice that a sliding panel opened, the two
  // bet-area buttons, the chat box's autoplay button, and the help addresses and error text.
  virtual void PlayClickSound() = 0;
  virtual void RightUpCallback() = 0;
  virtual int32_t BetDone() = 0;
  virtual int32_t SetOldBet() = 0;
  virtual void ChatAutoplayPressed() = 0;
  virtual const char* GetHelpURL() = 0;
  virtual const char* GetFKeyHelpURL() = 0;
  virtual const char* GetHelpErrText() = 0;
  // Where the table stands: its game's name (the options' section), its chat client (may be
  // null), its id, and 1 when its server is remote.
  virtual const char* GetPanelGameName() = 0;
  virtual CChatClient* GetPanelChatClient() = 0;
  virtual int32_t GetPanelTableId() = 0;
  virtual int32_t IsPanelTableRemote() = 0;
};

// Seen first by every event of the sub-panels; 0 means the panel does nothing more with it.
using TPanelCallback = int32_t (*)(int32_t event, int32_t dialogId, int32_t controlId, int32_t value, CPanel* panel);

class CPanel : public CTimer {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  CPanel();
  void TimerHandler(uint32_t period) override;
  ~CPanel() override;

  // Builds the panel from the script named by string 11000 of the game's script. The extra list
  // holds pairs (dialog id, CDialog*) made from the game's script with callback, flags 0 and the
  // table's whole object (dynamic_cast<void*>) as user value. 0 at the first missing section, key, bitmap or allocation; what was
  // built stays for Exit.
  virtual int32_t Init(CResData* gameRes, CPanelTable* table, int32_t requestFrames, TWinCallback callback,
                       CLList* extraDialogs);
  virtual void UpdateChat(char* line);
  virtual void Hide();
  virtual void Show();
  virtual int32_t GetReturnValue() { return 1; }
  // Frees everything Init built; 1.
  int32_t Exit();

  // Chips.
  int32_t SetChipValues(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5);
  // The value of chip k (0 to 4) as money; 0 for any other k.
  TMoney GetChipValue(int32_t k) const;
  int32_t SetChips(int32_t set);
  void SetCurrentChip(int32_t k);
  void CheckChipButtons(int32_t max);
  void DisableChipButtons();
  void SelectChipFromLimits(int32_t low, int32_t high);
  void SetMultiplyCheckForCashValue(double m) { m_Multiplier = m; }
  double nGetMultiplyCheckForCashValue() const { return m_Multiplier; }
  void ShowTotalBet(const TMoney& amount);
  int32_t SwitchScrollAndBet(int32_t down);

  // Autoplay.
  void SetAutoplayNumRounds(int32_t n);
  int32_t GetAutoplayNumRounds() const { return m_pAutoplay ? m_AutoplayRounds : 1; }
  void SetAutoplayDots(int32_t n);
  void SetAutoplayButtonsState(int32_t state);
  void SetAutoplaySpinButtonState(int32_t state);
  void ShowDefaultPanel();
  void SetPlayerIsSeated(bool seated);
  int32_t IsPlayerSeated() const { return m_PlayerSeated; }
  void switchAutoplayPanel(int32_t chatUp);
  void HideChatAndAutoplay();
  void SetAutoplayDefaultRounds(int32_t n) { m_DefaultRounds = n; }
  int32_t GetAutoplayDefaultRounds() const { return m_DefaultRounds; }
  void SetStartAutoplaying(int32_t on) { m_StartAutoplaying = on; }
  int32_t StartAutoplaying() const { return m_StartAutoplaying; }

  // Coin denominations.
  void IncDenomination();
  void DecDenomination();
  void SetDenomination(int32_t i);
  void UpdateDenomination();
  void ShowDenomination();
  void HideDenomination();
  int32_t GetDenomination() const { return m_Denomination; }

  // Sliding panels.
  void switchOptions(PANELSTATE state);
  void switchHelp(PANELSTATE state);
  void switchFKeys(PANELSTATE state);
  void switchUserList(PANELSTATE state);
  int32_t SwitchHelpAndOptions(PANELS open);
  int32_t IsRightDlgUp() const { return m_UserListOpen || m_HelpOpen; }
  int32_t IsPanelOpen(PANELS p) const;
  int32_t MoveWindow(CDialog* dialog, int32_t x, int32_t y, int32_t frames);

  // User list, request box, help pages.
  void UpdateUserList();
  void WriteUserList();
  void HandleIgnore();
  void ShowRequestDialog(const char* heading, const char* text);
  int32_t ShowHelp(const char* url);

  void SetExternalCallback(TPanelCallback callback) { m_pExternalCallback = callback; }
  void SetClientTable(CPanelTable* table) { m_pTable = table; }
  CPanelTable* GetClientTable() const { return m_pTable; }

  // The sub-panels (null when not built) and what they show.
  CDialog* GetDialog(int32_t section) const;
  CDialog* GetMessageLineDialog() const { return m_pMessageLine; }
  CDialog* GetRequestDialog() const { return m_pRequest; }
  COptionsDlg* GetOptionsDlg() const { return m_pOptionsDlg; }
  CChatDisplay* GetChatDisplay() const { return m_pChatDisplay.get(); }
  CDlgMove* GetDlgMove() const { return m_pDlgMove.get(); }
  CBitmap* GetLowerLeftPanel() const { return m_pPanelLeftLowBm; }
  CBitmap* GetUserListBitmap() const { return m_pUserListBm.get(); }
  int32_t GetChipSet() const { return m_ChipSet; }
  int32_t GetChosenChip() const { return m_ChosenChip; }
  int32_t GetDotFrame() const { return m_DotFrame; }
  int32_t GetVisibleUserLines() const { return m_VisibleLines; }
  int32_t IsOptionsDlgCreated() const { return m_OptionsDlgCreated; }

  static void DialogCallback(int32_t event, int32_t dialogId, int32_t controlId, int32_t value, void* user);

 protected:
  // A panel of a game's own may build these two itself: the table writes to them.
  CDialog* m_pRequest = nullptr;
  CDialog* m_pMessageLine = nullptr;

 private:
  struct SChipLight {
    int32_t x, y, w, h;
  };

  // Init's steps.
  CDialog* MakeSection(int32_t section, bool required);
  int32_t MakeExtraDialogs(CLList* extraDialogs);
  int32_t MakeUserListBitmap();
  int32_t ReadData();
  int32_t ReadAutoplayData();
  int32_t LoadChipBitmaps();
  int32_t LoadDenominationBitmaps();
  void SetUpTablePlace();

  // The callback's parts, one per section.
  void OnEvent(int32_t event, int32_t dialogId, int32_t controlId, int32_t value);
  void OnChip(int32_t controlId);
  void OnUserList(int32_t controlId);
  void OnButtonsBar(int32_t controlId);
  void OnBetArea(int32_t controlId);
  void OnRequest(int32_t controlId);
  void OnHelp(int32_t controlId);
  void OnAutoplay(int32_t controlId);
  void OnChatButton(int32_t controlId);
  static void ChatButton(int32_t controlId, void* user);

  // Opens or closes one sliding panel: its dialog, open y, the button that opened it and its
  // open flag. Returns 1 when it moved.
  int32_t SlidePanel(CDialog* dialog, PANELSTATE state, int32_t openY, CDialog* opener, int32_t openerId,
                     int32_t& isOpen);
  void PaintLight(int32_t chip, bool lit);
  void PaintAllLightsClean();
  void RedrawSection(CDialog* dialog);
  void DrawDigit(int32_t controlId, int32_t digit);
  int32_t SetState(CDialog* dialog, int32_t controlId, int32_t state);
  int32_t GetState(CDialog* dialog, int32_t controlId) const;
  void Click();
  void SetAutoplayRounds(int32_t n);

  // One entry per (chip set, chip): normal, pressed, highlighted, disabled.
  std::unique_ptr<CBitmap*[]> m_pChipLooks[4];
  int32_t m_ChipSet = -1;
  int32_t m_NumChipSets = 0;
  int32_t m_OptionsDlgCreated = 0;
  CLList* m_pExtraDialogs = nullptr;
  int32_t m_ChosenChip = 1;
  CBitmap* m_pPanelLeftLowCopyBm = nullptr;
  CBitmap* m_pPanelLeftLowLightBm = nullptr;
  CBitmap* m_pPanelLeftLowBm = nullptr;
  SChipLight m_ChipLights[PANEL_NUM_CHIPS] = {};
  int32_t m_SwitchDownX = 0, m_SwitchDownY = 0, m_SwitchUpX = 0, m_SwitchUpY = 0, m_SwitchFrames = 1;
  int32_t m_AutoplayUpY = 600, m_AutoplayDownY = 600, m_AutoplayFrames = 1;
  double m_Multiplier = 1.0;
  std::unique_ptr<CDlgMove> m_pDlgMove;
  std::unique_ptr<CChatDisplay> m_pChatDisplay;
  std::unique_ptr<CBitmap> m_pUserListBm;
  int32_t m_VisibleLines = 1;
  CResData* m_pGameRes = nullptr;
  CTranslate m_Translate;
  std::string m_CurrencyPattern;
  int32_t m_DigitCellWidth = 0, m_DigitCellHeight = 0, m_DigitsSpare = 0;
  CBitmap* m_pDigitStrip = nullptr;
  std::unique_ptr<CBitmap> m_DigitCanvas[2];  // units, tens
  std::unique_ptr<CBitmap> m_pDotsFrame;
  CBitmap* m_pDotsDef = nullptr;
  CBitmap* m_pDotsFull = nullptr;
  std::unique_ptr<CBitmap*[]> m_pDenomBm;
  int32_t m_AutoplayRounds = 0;
  int32_t m_DefaultRounds = 1;
  int32_t m_DotFrame = 0;
  int32_t m_MinRounds = 2, m_MaxRounds = 50;
  int32_t m_AutoplayPanelDefault = 1;
  int32_t m_NumCoinValues = 0;
  int32_t m_Denomination = 0;
  int32_t m_DenominationShown = 0;
  uint8_t m_PlayerSeated = 0;
  int32_t m_StartAutoplaying = 0;

  CDialog* m_pBetArea = nullptr;
  CDialog* m_pChips = nullptr;
  CDialog* m_pUserList = nullptr;
  CDialog* m_pButtons = nullptr;
  CDialog* m_pHelp = nullptr;
  CDialog* m_pFKeys = nullptr;
  CDialog* m_pAutoplay = nullptr;
  CDialog* m_pDenomination = nullptr;
  CDialog* m_pChat = nullptr;  // the chat display's
  COptionsDlg* m_pOptionsDlg = nullptr;
  std::unique_ptr<CResData> m_pPanelRes;

  int32_t m_OptionsOpen = 0, m_UserListOpen = 0, m_HelpOpen = 0, m_FKeysOpen = 0;
  int32_t m_ChipValues[PANEL_NUM_CHIPS] = {};
  int32_t m_RequestFrames = 0;
  CPanelTable* m_pTable = nullptr;
  int32_t m_ChatYDisabled = 0;
  int32_t m_ClosedX = 0, m_ClosedY = 0;
  int32_t m_UserListUpY = 0, m_OptionsUpY = 0, m_HelpUpY = 0, m_FKeysUpY = 0;
  int32_t m_RequestShownX = 0, m_RequestShownY = 0;
  TPanelCallback m_pExternalCallback = nullptr;
  TWinCallback m_pExtraCallback = nullptr;
  int32_t m_OptionsShown = 0;
};
