// The client half of a game table, the part that runs in the player's program inside the game
// module: it measures the time difference to the table server, reconnects to a running game,
// asks for seats, follows the server's table protocol, drives the per-frame round machine that
// calls the game's operations, shows server, maximum-round and deposit messages, runs the
// practice-money dialog, checks the player's loss limits, session time and self-exclusion, and
// opens the play-history window.
//
// The game builds one table (InitTable, then its set-up) and calls ClientHandler once a frame
// until it returns 0 or WantExit is true. Its round: client states 1 waiting -> 2 betting ->
// 3 playing (or 4, the game's own) -> 1. The framework's dialogs and texts come from its own
// script (TABLECOMMON_SCRIPT), never from the game's, whose window numbers are its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/tables/servermsg.h"
#include "common/tables/tablebase.h"
#include "common/widgets/panel.h"
#include "common/widgets/scrollhandler.h"
#include "ostrelcomm/commnode.h"

class CBitmap;
class CChatClient;
class CClientCreateTable;
class CCommRemoteClient;
class CDialog;
class CForFunDlg;
class CMilesMusic;
class COptions;
class CPanel;
class CPlayerHistoryDll;
class CResData;
class CTimeDiffClient;
class CTranslateMessage;

// The framework's own resource script, in the program folder.
inline constexpr const char* TABLECOMMON_SCRIPT = "xrs/tablecommon.xrs";

// Dialog sections and controls of the framework's script.
enum : int32_t {
  TABLEDLG_SERVERMSG = 10,
  TABLEDLG_SERVERMSG_ICON = 11,
  TABLEDLG_SERVERMSG_TEXT = 12,
  TABLEDLG_SERVERMSG_TITLE = 14,
  TABLEDLG_SERVERMSG_ACTION = 30,
  TABLEDLG_MAXROUND = 20,
  TABLEDLG_DEPOSIT = 21,
  TABLEDLG_OK = 101,
  TABLEDLG_CANCEL = 106,
  TABLEDLG_FORFUN_REQUEST = 200,
  TABLEDLG_FORFUN_ANSWER = 300,
  TABLEDLG_FORFUN_CHOSEN = 350,
};
// Strings of the framework's script.
enum : int32_t {
  TABLESTR_LIMIT_TITLE = 13300,
  TABLESTR_LIMIT_LOSS = 13301,
  TABLESTR_LIMIT_SESSION = 13302,
  TABLESTR_LIMIT_EXCLUDED = 13303,
};
// The bitmap of the server-message icons: ten 48 x 48 icons side by side.
inline constexpr const char* TABLE_ICON_STRIP = "iconBm";
inline constexpr int32_t TABLE_ICON_SIZE = 48;
inline constexpr int32_t TABLE_ICON_COUNT = 10;

// Defaults and limits.
inline constexpr int32_t CLIENTTABLE_TIMEDIFF_ANSWER_MS = 30000;
inline constexpr int32_t CLIENTTABLE_DEPOSIT_DELAY_MS = 30000;
inline constexpr int32_t CLIENTTABLE_MAXROUND_LIMIT = 5;
inline constexpr int32_t CLIENTTABLE_MAXIDLE_DEFAULT = 5;
inline constexpr int32_t CLIENTTABLE_LIMIT_MESSAGE_MAX = 512;

// Exit steps: 0 time difference and reconnect, 1 leaving, 2 practice-money answer, 3 done.
inline constexpr int32_t CLIENTEXIT_JOINING = 0;
inline constexpr int32_t CLIENTEXIT_LEAVING = 1;
inline constexpr int32_t CLIENTEXIT_FORFUN = 2;
inline constexpr int32_t CLIENTEXIT_DONE = 3;

// Results of the maximum-round and deposit dialogs.
inline constexpr int32_t CLIENTMSG_RESULT_NONE = 0;
inline constexpr int32_t CLIENTMSG_RESULT_OK = 1;
inline constexpr int32_t CLIENTMSG_RESULT_CANCEL = 2;

// The message box the protection checks show (caption, text); xMessageBox unless replaced.
using TClientMsgBoxFunc = int32_t (*)(const char* caption, const char* text);
// The dialog callback of the server-message dialog.
using TClientDlgCallback = void (*)(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

class CClientTableBase : public CTableBase, public CPanelTable {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  CClientTableBase();
  ~CClientTableBase() override;

  // ---- slots 1 to 12 ----
  // realMoney: 1 for a real-money table.
  int32_t Init(int32_t realMoney, int32_t b, int32_t c) override;
  int32_t Exit() override;
  const char* GetTableSubType() override { return TABLE_SUBTYPE_CLIENT; }
  int32_t CreatePlayer(int32_t seat, int32_t playerId) override;
  int32_t DeletePlayer(int32_t seat) override;
  uint32_t GetNodeType() override;

  // ---- slots 13 to 74 ----
  virtual int32_t InitClientGame() = 0;
  virtual int32_t ExitClientGame() = 0;
  virtual int32_t GameOp15() { return 1; }
  virtual int32_t GameOp16() { return 1; }
  virtual int32_t GameOp17() { return 1; }
  virtual int32_t GameOp18() { return 1; }
  virtual int32_t GameOp19() { return 1; }
  virtual int32_t GameOp20() { return 1; }
  virtual const char* GetHelpURL() { return ""; }
  virtual const char* GetNewsURL() { return ""; }
  virtual const char* GetFKeyHelpURL() { return ""; }
  virtual const char* GetHelpErrText() { return ""; }
  virtual const char* GetLiveSupportURL() { return ""; }
  virtual int32_t ExitGame();
  virtual int32_t WantExit() { return m_ExitStep == CLIENTEXIT_DONE; }
  virtual int32_t WantRestart() { return m_WantRestart; }
  virtual int32_t WantCashier() { return m_WantCashier; }
  virtual int32_t WantTable() { return m_WantTable; }
  virtual int32_t SetRoundTimer(int32_t lengthMs, int32_t elapsedMs) = 0;
  virtual int32_t PlayerDataReceived() = 0;
  virtual int32_t CheckAllocStatusData();
  virtual int32_t GetPlayerMoneyCallback(int32_t seat) { (void)seat; return 1; }
  virtual int32_t GetCustomDataCallback() { return 1; }
  virtual int32_t GameStateHandler() = 0;
  virtual int32_t IdleHandler() = 0;
  virtual int32_t PlayHandler() = 0;
  virtual int32_t BetDone() = 0;
  virtual int32_t SetOldBet() { return 1; }
  virtual int32_t GameSpecReceived() = 0;
  virtual int32_t PlayerLeftSlot(int32_t seat, int32_t playerId) = 0;
  virtual int32_t SlotAllocated(int32_t seat, int32_t playerId, int32_t answer) = 0;
  virtual int32_t HandleReserve(int32_t seat, int32_t playerId, int32_t answer);
  virtual int32_t ReconnectFinished() = 0;
  virtual int32_t BetHandler() = 0;
  virtual int32_t BettingHandler() = 0;
  virtual int32_t ShowTimeLeft(int32_t ms) = 0;
  virtual int32_t SeatRequestDone() = 0;
  virtual int32_t ChooseSeat() = 0;
  virtual int32_t UpdateSeats() = 0;
  virtual int32_t SetRoundActive(int32_t on) = 0;
  virtual void RightUpCallback() {}
  virtual int32_t GameOp54() { return 1; }
  virtual TMoney GetClientPlayerTotalBet() { return TMoney(); }
  virtual void NewChatMsg(char* line);
  virtual int32_t IsNotRoundBased() { return 0; }
  virtual int32_t OptionsChanged();
  virtual void PlayClickSound() = 0;
  virtual int32_t DestroyServerMsg();
  virtual int32_t CheckServerMsg();
  virtual int32_t ShowServerMsg(const char* title, const char* text, uint8_t icon, const char* action,
                                const char* spare1, const char* spare2);
  virtual void SetMaxRoundMsgData(int32_t limit) { m_MaxRoundLimit = limit; }
  virtual int32_t ShowMaxRoundMsg();
  virtual int32_t DestroyMaxRoundMsg();
  virtual void SetDepositMsgData(int32_t delayMs) { m_DepositDelay = delayMs; }
  virtual int32_t ShowDepositMsg();
  virtual int32_t DestroyDepositMsg();
  virtual int32_t RestartToForReal();
  virtual void SetBotParams(int32_t a, int32_t b, int32_t c, int32_t d);
  virtual void StartAutoplay(uint32_t rounds) { (void)rounds; }
  virtual int32_t NextAutoplayRound() { return 0; }
  virtual void StopAutoplay() {}
  virtual void ValidateAutoplayButtons() {}
  // The chat box's autoplay button: the game's own operation.
  void ChatAutoplayPressed() override {}
  // Where the table stands, as its control panel asks.
  const char* GetPanelGameName() override { return GetGameName(); }
  CChatClient* GetPanelChatClient() override { return m_pChat; }
  int32_t GetPanelTableId() override { return static_cast<int32_t>(GetTableId()); }
  int32_t IsPanelTableRemote() override { return m_pLink != nullptr; }

  // ---- the frame ----
  // One frame of the table; 0 ends it.
  int32_t ClientHandler();
  // "DeAllocateSlot" -1: the player leaves; the table ends once its link has flushed.
  int32_t SendLeaveMsg();

  // ---- set-up ----
  void SetPlayerId(int32_t id) { m_PlayerId = id; }
  int32_t GetPlayerId() const { return m_PlayerId; }
  void SetUserName(const char* name) { m_UserName = name ? name : ""; }
  const char* GetUserNameA() const { return m_UserName.c_str(); }
  void SetChatObj(CChatClient* chat) { m_pChat = chat; }
  CChatClient* GetChatObj() const { return m_pChat; }
  void SetCommObj(CCommRemoteClient* link) { m_pLink = link; }
  CCommRemoteClient* GetCommObj() const { return m_pLink; }
  void SetMusicObj(CMilesMusic* music) { m_pMusic = music; }
  void SetServerMsgPointer(TServerMsg* msg) { m_pServerMsg = msg; }
  TServerMsg* GetServerMsgPointer() const { return m_pServerMsg; }
  void SetCreateMode(int32_t on) { m_CreateMode = on; }
  int32_t GetCreateMode() const { return m_CreateMode; }
  int32_t SetLogFileName(const char* name);
  void SetLogStatus(int32_t on);
  void SetBotMode(int32_t on) { m_BotMode = on; }
  void SetMsgBoxCallback(TClientDlgCallback callback) { m_pMsgBoxCallback = callback; }
  void SetStartSlotPos(int32_t pos) { m_StartSlotPos = pos; }
  int32_t GetStartSlotPos() const { return m_StartSlotPos; }
  void SetPacketCallbackRecv(TCommNodeHook hook) { m_pGameRecvHook = hook; }
  // The options the music switch is read from and saved to (not owned).
  void SetOptionsObj(COptions* options) { m_pOptions = options; }
  // The box of the protection messages (null: xMessageBox), for every client table.
  static void SetMessageBoxFunc(TClientMsgBoxFunc box);

  // ---- seat wishes: the seat number + 1, 0 none; only when no wish is pending ----
  int32_t SetWantToAllocSlot(int32_t n);
  int32_t SetWantToReserveSlot(int32_t n);

  // ---- queries ----
  int32_t HaveSlot() const;
  // The own seat or -1; fills seats (GetNumSlots entries, owned by the caller) with 0/1 per seat.
  int32_t GetIndex(int32_t* seats = nullptr) const;
  TMoney GetCash();
  int32_t CheckCash(const TMoney& amount);
  int32_t IsAllowedToBet() const;
  int32_t IsReconnecting() const { return m_Reconnecting; }
  int32_t AllocStatusDataAvailable() const;
  void SetCurrentChip(int32_t value) { m_CurrentChip = value; }
  int32_t GetCurrentChip() const { return m_CurrentChip; }
  void BeginAnimation() { m_Animation = 1; }
  void EndAnimation() { m_Animation = 0; }
  int32_t IsAnimationRunning() const { return m_Animation; }
  int32_t ServerMsgShowing() const { return m_pServerMsgDlg != nullptr; }
  void WantDestroyServerMsg() { m_WantDestroyServerMsg = 1; }
  int32_t WantToDestroyServerMsg() const { return m_WantDestroyServerMsg; }
  int32_t IsJoined() const { return m_Joined; }
  int32_t IsLeaving() const { return m_Leaving; }
  int32_t GetClientState() const { return m_ClientState; }
  int32_t GetGameState() const { return m_GameState; }
  int32_t GetExitStep() const { return m_ExitStep; }
  int32_t GetAllocStep() const { return m_AllocStep; }
  int32_t GetOwnAllocAnswer() const { return m_OwnAllocAnswer; }
  int32_t IsTimeDiffDone() const { return m_TimeDiffDone; }
  int32_t IsPracticeDone() const { return m_PracticeDone; }
  int32_t GetPracticeStep() const { return m_PracticeStep; }
  int32_t HavePlayerIds() const { return m_PlayerIdsReceived; }
  int32_t GetBetSent() const { return m_BetSent; }
  void SetBetSent(int32_t sent) { m_BetSent = sent; }
  int32_t GetSlotStatus(int32_t seat) const;
  int32_t GetThinkBubble(int32_t seat) const;
  TMoney GetSeatMoney(int32_t seat) const;
  int32_t GetIconValue(int32_t seat) const;
  int32_t GetIconFlags(int32_t seat) const;
  const char* GetSeatUserName(int32_t seat) const;
  int32_t GetMaxIdle() const { return m_MaxIdle; }
  const TMoney& GetRecordedBalance() const { return m_RecordedBalance; }
  int32_t GetRecordedBalanceKnown() const { return m_BalanceKnown; }
  int32_t IsRealMoney() const { return m_RealMoney; }
  CPanel* GetPanel() const { return m_pPanel; }
  CResData* GetCommonRes() const { return m_pCommonRes; }
  CForFunDlg* GetForFunDlg() const { return m_pForFun; }
  CDialog* GetServerMsgDlg() const { return m_pServerMsgDlg; }
  CDialog* GetMaxRoundDlg() const { return m_pMaxRoundDlg; }
  CDialog* GetDepositDlg() const { return m_pDepositDlg; }
  // The icon the server-message dialog shows, -1 none.
  int32_t GetServerMsgIconIndex() const { return m_ServerMsgIconIndex; }
  CTimeDiffClient* GetTimeDiffClient() const { return m_pTimeDiff; }
  int32_t GetMsgResult() const { return m_MsgResult; }
  int32_t GetMaxRoundCount() const { return m_MaxRoundCount; }
  // The request id of the join request shown, 0 none.
  int32_t GetShownRequestId() const { return m_RequestId; }
  int32_t NumHeldBack() const { return static_cast<int32_t>(m_HeldBack.size()); }
  CPlayerHistoryDll* GetPlayerHistory() const { return m_pPlayerHistory; }

  // ---- dialog helpers on a control; 0 when it is missing ----
  static int32_t DisableBtn(CDialog* dialog, int32_t id);
  static int32_t EnableBtn(CDialog* dialog, int32_t id);
  static int32_t HideBtn(CDialog* dialog, int32_t id);
  static int32_t SetTextBuffer(CDialog* dialog, int32_t id, const char* text);

  // ---- panel, requests, presentation ----
  int32_t ClientInitScroll();
  void ClientExitScroll();
  CScrollHandler& GetScrollHandler() { return m_Scroll; }
  int32_t ShowRequestBox(int32_t requestId, const char* name, const char* reason);
  int32_t SendRequestAnswer(int32_t answer);
  int32_t SendPresentationDone();
  int32_t CreatePlayerHistoryDialog();
  void ExitButtonPressed();
  // The dialog callback of the maximum-round and deposit dialogs.
  static void MaxRoundCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

  // ---- player protection ----
  void PlayerProtectionSetBet(const TMoney& bet) { m_StagedBet = bet; }
  void PlayerProtectionCommitBet();
  void PlayerProtectionResetBet() { m_StagedBet = TMoney(); }
  void PlayerProtectionSetWin(const TMoney& win) { m_StagedWin = win; }
  void PlayerProtectionCommitWin();
  void PlayerProtectionResetWin() { m_StagedWin = TMoney(); }
  TMoney PlayerProtectionGetWin() const { return m_StagedWin; }
  // 1 when the staged bet stays within the player's loss limits; else a box and message points
  // at its text.
  int32_t PlayerProtectionValidateBet(char*& message);
  // Real money at a table that is not a practice table: only such play counts against the limits.
  bool PlaysAgainstLimits() const;
  void PlayerProtectionUpdateSessionTime();
  int32_t PlayerProtectionCheckSessionTime();
  int32_t PlayerProtectionCheckSelfExclusion();
  void PlayerProtectionDisableSessionTime() { m_SessionTimeOn = 0; }
  void PlayerProtectionEnableSessionTime() { m_SessionTimeOn = 1; }

  // The limits of the program's client tables.
  struct SProtection {
    TMoney LossPerDay, LossPerWeek, LossPerMonth, LossThisDay, LossThisWeek, LossThisMonth;
    int32_t MaxSessionTime = TABLE_MAXSESSIONTIME_NONE;
    uint32_t SessionTime = 0;
    int32_t SelfExclusion = 0;
  };
  static SProtection& Protection();
  // The most recently constructed client table that still exists, or null.
  static CClientTableBase* GetCurrentClientTable();

 protected:
  // ---- the frame's steps ----
  int32_t CheckChangeState();
  int32_t CheckAllocationData();
  int32_t CheckPlayerStatusData();
  int32_t InitExitHandler();
  int32_t AllocRequestHandler();
  int32_t HandlePlayForPracticeMoney();
  int32_t RoundMachine();
  int32_t CheckMaxRound();
  void HandleMsgResult();

  // The player-node sub-messages inside the current chunk of the player node's record.
  int32_t GetPlayerStatusData(CKCBL& record);
  void ReadPersonalLimits(CKCBL& record);
  void ReadMoney(CKCBL& record);
  void ReadMoneyOne(CKCBL& record);
  void ReadSeatLongs(CKCBL& record, std::vector<int32_t>& into, bool playerIds);
  void ReadIcon(CKCBL& record);
  // One record of the table node; 1 when the framework took it.
  int32_t HandleTableRecord(CKCBL& record, int32_t& stop, int32_t& gameStateChanged);
  int32_t StartRound(CKCBL& record);
  void ReadPlayerSeats(CKCBL& record);
  void HandleAllocationRecord(CKCBL& record);
  int32_t SendSlotRequest(const char* name, int32_t slot);
  int32_t StartTimeDiff();
  int32_t StartReconnect();
  // The practice-money dialog on a section; throws the texts the game module catches.
  void OpenForFun(int32_t section);
  // "GetForPracticeMoney": the answer fills the dialog's amount.
  int32_t AskPracticeMoney();
  void ShowLimitBox(int32_t textId, const char* argument);
  void DeleteReconnectNode();
  void FreeHeldBack();

  // The receive hook of the table and reconnect nodes.
  static int32_t Dispatch(CCommNode* node, const void*& data, uint32_t& size, int32_t& deliver);
  int32_t DispatchRecord(CCommNode* node, const void* data, uint32_t size, int32_t& deliver);
  void DeliverToTableNode(const void* data, uint32_t size);
  static void ServerMsgCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

  // ---- members ----
  CScrollHandler m_Scroll;
  std::vector<int32_t> m_SlotStatus, m_Think, m_IconValue, m_IconFlags;
  std::vector<TMoney> m_Money;
  std::vector<std::string> m_SeatNames;
  CPanel* m_pPanel = nullptr;
  CTranslateMessage* m_pMessages = nullptr;
  CResData* m_pCommonRes = nullptr;
  CClientCreateTable* m_pCreator = nullptr;
  CTimeDiffClient* m_pTimeDiff = nullptr;
  CPlayerHistoryDll* m_pPlayerHistory = nullptr;
  CForFunDlg* m_pForFun = nullptr;
  CDialog* m_pServerMsgDlg = nullptr;
  CDialog* m_pMaxRoundDlg = nullptr;
  CDialog* m_pDepositDlg = nullptr;
  CBitmap* m_pServerMsgIcon = nullptr;
  int32_t m_ServerMsgIconIndex = -1;
  CChatClient* m_pChat = nullptr;
  CCommRemoteClient* m_pLink = nullptr;
  CMilesMusic* m_pMusic = nullptr;
  COptions* m_pOptions = nullptr;
  TServerMsg* m_pServerMsg = nullptr;
  TClientDlgCallback m_pMsgBoxCallback = nullptr;
  TCommNodeHook m_pGameRecvHook = nullptr;
  int32_t m_PlayerId = 0;
  std::string m_UserName;
  std::string m_LogFileName;
  int32_t m_LogStatus = 0;
  int32_t m_RealMoney = 0;
  int32_t m_CreateMode = 0;
  int32_t m_BotMode = 0;
  int32_t m_BotParams[4] = {};
  int32_t m_ClientState = TABLE_CLIENTSTATE_NONE;
  int32_t m_RoundShown = 0;
  int32_t m_GameState = 0;
  int32_t m_ExitStep = CLIENTEXIT_JOINING;
  int32_t m_AllocStep = 0;
  int32_t m_WantAllocSeat = 0;
  int32_t m_WantReserveSeat = 0;
  int32_t m_OwnAllocAnswer = 0;
  int32_t m_Leaving = 0;
  int32_t m_Joined = 0;
  int32_t m_Reconnecting = 0;
  int32_t m_Replaying = 0;
  struct SHeldBack {
    std::string m_Data;
    uint32_t m_Session;
  };
  std::vector<SHeldBack> m_HeldBack;
  int32_t m_TimeDiffRequested = 0;
  int32_t m_TimeDiffAnswered = 0;
  int32_t m_TimeDiffDone = 0;
  uint32_t m_TimeDiffRequestTime = 0;
  int32_t m_ReconnectRequested = 0;
  int32_t m_RequestId = 0;
  int32_t m_PracticeStep = 0;
  int32_t m_PracticeDone = 0;
  int32_t m_PracticeAmountKnown = 0;
  int32_t m_Animation = 0;
  int32_t m_PlayerIdsReceived = 0;
  int32_t m_WantRestart = 0;
  int32_t m_WantCashier = 0;
  int32_t m_WantTable = 0;
  int32_t m_CurrentChip = 0;
  int32_t m_StartSlotPos = -1;
  TMoney m_StagedBet;
  TMoney m_StagedWin;
  int32_t m_SessionTimeOn = 1;
  uint32_t m_LastSessionUpdate = 0;
  int32_t m_DepositDelay = CLIENTTABLE_DEPOSIT_DELAY_MS;
  int32_t m_MaxRoundCount = 0;
  int32_t m_MaxRoundLimit = CLIENTTABLE_MAXROUND_LIMIT;
  char m_LimitMessage[CLIENTTABLE_LIMIT_MESSAGE_MAX] = {};
  int32_t m_BetSent = 0;
  int32_t m_MsgResult = CLIENTMSG_RESULT_NONE;
  int32_t m_MaxIdle = CLIENTTABLE_MAXIDLE_DEFAULT;
  TMoney m_RecordedBalance;
  int32_t m_BalanceKnown = 0;
  uint32_t m_ReadyTime = 0;
  int32_t m_ReconnectEndSeen = 0;
  int32_t m_WantDestroyServerMsg = 0;
  int32_t m_ExitRoundInactive = 0;
  int32_t m_PlayerNodeData = 0;
  // The table-node record the framework left for the game in the last frame.
  int32_t m_LeftForGame = 0;
};
