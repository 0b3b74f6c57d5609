// The server half of a game table: seats players, runs the round cycle (new round, betting,
// play, presentation), keeps money, player-protection and icon data flowing to the clients,
// answers seat, reconnect and time-difference requests, writes seat changes to the database,
// logs play history and, run by a manager process, talks to it over the manager link. A game
// derives its server table from it and supplies the game's operations. For play for fun the
// client builds this table in its own process and calls ServerHandler once per frame before the
// client table's handler.
//
// Each tick's ServerHandler: the links, expired reservations, the manager link, the time
// differences, the client requests, seat requests, then (when not sleeping or dying, ready and
// the creator connected) one step of the table state machine:
//   0 idle -> 1 new round -> 2 betting -> 3 bets closed -> 4 play starts -> 5 game play
//   (-> 6 presentation -> 5) -> BeginNewRound -> 1 or 0
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/playerhistory/playerhistorylogger.h"
#include "common/playerhistory/playerhistoryserver.h"
#include "common/tables/tablebase.h"
#include "ostrelcomm/commnode.h"

class CProcessClient;
class CServerCreateTable;
class CStovaConn;
class CTimeDiffServer;
struct SPlayerProtectionLimitStatus;

// Presentation states of a seat.
inline constexpr int32_t CPSTATE_IDLE = 0;
inline constexpr int32_t CPSTATE_RUNNING = 1;
inline constexpr int32_t CPSTATE_NOCLIENT = 2;

// Table states of the state machine.
inline constexpr int32_t SERVERSTATE_IDLE = 0;
inline constexpr int32_t SERVERSTATE_NEWROUND = 1;
inline constexpr int32_t SERVERSTATE_BETTING = 2;
inline constexpr int32_t SERVERSTATE_BETSCLOSED = 3;
inline constexpr int32_t SERVERSTATE_STARTPLAY = 4;
inline constexpr int32_t SERVERSTATE_GAMEPLAY = 5;
inline constexpr int32_t SERVERSTATE_PRESENTATION = 6;

// The server table's configuration file in the working folder (manager mode), and its keys.
inline constexpr const char* SERVERTABLE_CONFIG_FILE = "games.cfg";
inline constexpr const char* SERVERTABLE_CFG_EXTRABETTIME = "serverextrabettime";
inline constexpr const char* SERVERTABLE_CFG_JOINDATATIME = "joindatatime";
inline constexpr const char* SERVERTABLE_CFG_CLIENTCREATETIMEOUT = "clientcreatetimeout";
inline constexpr const char* SERVERTABLE_CFG_WAITTODIETIMEOUT = "waittodietimeout";
inline constexpr const char* SERVERTABLE_CFG_LOGCOMMPROCESSCLIENT = "logcommprocessclient";
inline constexpr const char* SERVERTABLE_CFG_LOGCOMMCLIENT = "logcommclient";
inline constexpr const char* SERVERTABLE_CFG_PRESENTATIONWAIT = "clientpresentationwaittimeout";
// The largest number of seconds a configured time may hold.
inline constexpr int32_t SERVERTABLE_CFG_MAX_SECONDS = 24 * 60 * 60;

// Defaults (seconds unless said).
inline constexpr int32_t SERVERTABLE_DEFAULT_EXTRABETTIME = 10;
inline constexpr int32_t SERVERTABLE_DEFAULT_JOINDATATIME = 3;
inline constexpr int32_t SERVERTABLE_DEFAULT_CLIENTCREATETIMEOUT = 120;
inline constexpr int32_t SERVERTABLE_DEFAULT_WAITTODIETIMEOUT = 10;
inline constexpr int32_t SERVERTABLE_DEFAULT_PRESENTATIONWAIT_MS = 20000;
inline constexpr int32_t SERVERTABLE_DEFAULT_RESERVEDTIMEOUT_MS = 60000;
// How long a manager-run table without players waits before it sends its clients "Quit".
inline constexpr int32_t SERVERTABLE_IDLE_TIMEOUT_MS = 60000;
// Bet records one frame of the betting time reads at most; the rest wait for the next frame.
inline constexpr int32_t SERVERTABLE_BET_RECORDS_PER_FRAME = 64;
// The database texts of SetDatabase are cut to this many characters.
inline constexpr size_t SERVERTABLE_DBTEXT_MAX = 50;
// Join requests: the lengths of the queued name and reason.
inline constexpr size_t SERVERTABLE_JOIN_NAME_MAX = 50;
inline constexpr size_t SERVERTABLE_JOIN_REASON_MAX = 256;
// Players remembered after a reconnect, newest first.
inline constexpr size_t SERVERTABLE_RECONNECTED_KEPT = 64;
// Crash recovery: the raw records of a save and their indexes; the state store's first size for
// a save after a crash and for a test removal; the most packets, and bytes, a restore reads.
inline constexpr const char* SERVERTABLE_RAW_VARSTORE = "varStore";
inline constexpr const char* SERVERTABLE_RAW_PENDINGCASH = "pendingCash";
inline constexpr const char* SERVERTABLE_RAW_TABLEID = "tableId";
inline constexpr const char* SERVERTABLE_RAW_RECONNECTLOG = "reconnectLog";
inline constexpr int32_t SERVERTABLE_RAW_VARSTORE_INDEX = 0;
inline constexpr int32_t SERVERTABLE_RAW_PENDINGCASH_INDEX = 1;
inline constexpr int32_t SERVERTABLE_RAW_TABLEID_INDEX = 2;
inline constexpr int32_t SERVERTABLE_RAW_FIRSTPACKET = 3;
inline constexpr uint32_t SERVERTABLE_SAVE_STORE_SIZE = 20000;
inline constexpr uint32_t SERVERTABLE_TESTREMOVE_STORE_SIZE = 10000;
inline constexpr int32_t SERVERTABLE_RESTORE_MAX_PACKETS = 100000;
inline constexpr uint64_t SERVERTABLE_RESTORE_MAX_BYTES = 64u * 1024u * 1024u;

class CServerTableBase : public CTableBase {
 public:
  CServerTableBase();
  ~CServerTableBase() override;

  // ---- the first twelve slots (CTableBase) ----
  // processId 0: play for fun (no manager link, the table's record is deleted once read).
  int32_t Init(int32_t processId, int32_t arg2, int32_t logValue) override;
  // The order of the end: logger, user cache, "StovaStatTrig", creator, time differences,
  // packet store, arrays, manager link (ticked once), ExitServerGame, database, join queue,
  // presentation list. ExitServerGame's result.
  int32_t Exit() override;
  const char* GetTableSubType() override { return TABLE_SUBTYPE_SERVER; }
  // The seat's presentation entry becomes (idle, player); then the game's CreateGamePlayer.
  int32_t CreatePlayer(int32_t seat, int32_t playerId) override;
  // The seat's presentation entry goes; then the game's DeleteGamePlayer.
  int32_t DeletePlayer(int32_t seat) override;
  uint32_t GetNodeType() override { return CNODE_SERVER; }
  // While a restore is pending (not sleeping, not dying) the full time-out; otherwise the base
  // value, which also caps the wait of the next frame.
  int32_t TimeLeft() override;

  // ---- slots 13 to 42 ----
  virtual int32_t InitServerGame() = 0;
  virtual int32_t ExitServerGame() = 0;
  virtual int32_t BeginNewRound();
  virtual int32_t HasAllPlayersFinalFlag();
  virtual int32_t HasPlayerBet(int32_t seat);
  virtual int32_t SetBetFlag(int32_t seat, int32_t flag);
  virtual int32_t IsBetInSlot(int32_t seat);
  virtual int32_t ServerHandler();
  virtual int32_t GameHandler() = 0;
  virtual int32_t StartPlay() = 0;
  // A table-node record arrived while betting: received before the call, freed after it.
  virtual int32_t HandleBetPacket() = 0;
  virtual int32_t SendSlotStatusData();
  virtual int32_t SendAllocateSlot(int32_t seat, int32_t playerId);
  virtual int32_t SlotChanged(int32_t seat) = 0;
  virtual int32_t HavePlayers();
  virtual int32_t RemoveBetFlagForInvalidPlayers(int32_t seat);
  virtual int32_t AddCustomDataCallback(int32_t seat);
  virtual int32_t AddPlayerMoneyCallback(int32_t seat);
  virtual int32_t SendThinkBubbles(int32_t playerId);
  // Adds the game's items to the "GetGameSpecAddressee" player's "GameSpec" chunk.
  virtual int32_t AddGameSpecData() = 0;
  virtual int32_t StoreGame() = 0;
  virtual int32_t RestoreGame() = 0;
  virtual int32_t GetPendingCash(TMoney& amount, int32_t playerId) = 0;
  virtual int32_t DoReconnect(int32_t playerId);
  virtual int32_t IsPlayerInGame(int32_t playerId) = 0;
  virtual int32_t ReserveCallback(int32_t seat);
  virtual int32_t SendNewRoundData();
  virtual int32_t GetServerExtraBetTime();
  virtual int32_t ClientPresentationTimedOut(int32_t seat);
  virtual int32_t RestoreGameAlterationCallback();

  // The most recently constructed server table that still exists, or null.
  static CServerTableBase* GetCurrentServerTable();

  // ---- settings, before Init ----
  // Database server, user, password and database (each cut to SERVERTABLE_DBTEXT_MAX); the
  // value is kept for the game.
  void SetDatabase(const char* server, const char* user, const char* password, const char* database, int32_t value);
  // A connection to use instead of a new one (the table owns it); null restores the default.
  void SetStovaConnection(CStovaConn* db);
  void SetManagerIPPort(const char* host, int32_t port);
  void SetReserveId(int32_t playerId) { m_ReserveId = playerId; }
  void SetReservedTimeOut(int32_t ms) { m_ReservedTimeOut = ms; }
  void SetBetTimeout(int32_t seconds) { m_BetTime = seconds; }
  void SetMaxTimeOuts(int32_t rounds) { m_MaxMissedRounds = rounds; }
  void SetSaveReconnect(int32_t on) { m_SaveReconnect = on; }
  int32_t SetLogFileName(const char* name);
  // Packet logging of the player, table and slot-status nodes.
  void SetLogStatus(int32_t on);
  int32_t SetCommLogProcessClient(int32_t on, const char* fileName);
  int32_t SetCommLogClient(int32_t on, const char* fileName);
  void SetPacketCallbackSend(TCommNodeHook hook);
  void SetClientPresentationWaitTimeOut(int32_t seconds) { m_ClientPresentationWait = seconds * 1000; }
  // The table's owner (the player who may admit others).
  void SetTableOwner(int32_t playerId) { m_TableOwner = playerId; }
  void SetGameFlag(int32_t on) { m_GameFlag = on; }

  int32_t GetReserveId() const { return m_ReserveId; }
  int32_t GetMode() const { return m_Mode; }
  int32_t GetSaveReconnect() const { return m_SaveReconnect; }
  int32_t GetClientPresentationWaitTimeOut() const { return m_ClientPresentationWait; }
  int32_t GetTableOwner() const { return m_TableOwner; }
  int32_t GetState() const { return m_State; }
  void SetState(int32_t state) { m_State = state; }
  int32_t GetGameState() const { return m_GameState; }
  void SetGameState(int32_t state) { m_GameState = state; }
  // 1 when the table state or the game's state word changed since the tick began.
  int32_t HasChangedState() const { return m_State != m_PrevState || m_GameState != m_PrevGameState; }
  int32_t GetBetTimeout() const { return m_BetTime; }
  int32_t GetMaxTimeOuts() const { return m_MaxMissedRounds; }
  int32_t GetArg2() const { return m_Arg2; }
  int32_t GetDatabaseValue() const { return m_DatabaseValue; }
  int32_t GetGameSpecAddressee() const { return m_GameSpecAddressee; }
  int32_t IsSleeping() const { return m_Sleeping; }
  int32_t IsDieWaiting() const { return m_DieWait; }
  int32_t IsReady() const { return m_Ready; }
  int32_t IsCreatorConnected() const { return m_CreatorConnected; }
  // 1 while DoReconnect releases a player's seats, so the game can tell that release apart.
  int32_t IsReconnectRelease() const { return m_ReconnectRelease; }
  CStovaConn* GetStova() const { return m_pStova; }
  CProcessClient* GetProcessClient() const { return m_pProcessClient; }
  CServerCreateTable* GetTableCreator() const { return m_pTableCreator; }
  CPlayerHistoryLogger& GetPlayerHistoryLogger() { return m_PlayerHistory; }
  int32_t GetThinking(int32_t seat) const;
  int32_t GetIconValue(int32_t seat) const;
  int32_t GetIconFlags(int32_t seat) const;
  // The seat's presentation state and player (-1 none).
  int32_t GetPresentationState(int32_t seat) const;
  int32_t GetPresentationUser(int32_t seat) const;
  int32_t NumTimeDiffServers() const { return static_cast<int32_t>(m_TimeDiffServers.size()); }
  int32_t NumJoinRequests() const { return static_cast<int32_t>(m_JoinRequests.size()); }
  // The players who reconnected, newest first.
  const std::vector<int32_t>& GetReconnectedPlayers() const { return m_ReconnectedPlayers; }

  // ---- messages for the game ----
  int32_t SendChangeClientState(int32_t state);
  int32_t SendChangeClientStateReconnect(int32_t state, CCommNode* node);
  int32_t SendChangeGameState(int32_t state);
  // "M" (seat -1: every seat's balance) or "MJ" (one seat) to the addressee (0: everybody).
  int32_t SendMoneyData(int32_t seat, int32_t addressee);
  int32_t SendIconData(int32_t seat, int32_t addressee);
  int32_t SendPlayerIds(int32_t addressee);
  int32_t SendPersonalLimitStatus(int32_t playerId);
  int32_t SetThinking(int32_t seat);
  int32_t ClearThinking(int32_t seat);
  // The round handler is not called for ms; the table's time-out runs meanwhile.
  void ServerSleep(int32_t ms);
  // Every seat with a client starts its presentation; state 6.
  void SetTablePresentationStart();
  // Within the wait: done when no seat still presents. After it: every presenting seat is taken
  // as done (ClientPresentationTimedOut) and the presentation is done.
  int32_t IsTablePresentationDone();
  int32_t AnnounceJPWin(int32_t playerId, const TMoney& amount);
  int32_t PlayerTimeOut(int32_t seat);
  int32_t CrashUser(int32_t playerId);
  int32_t CrashAllUsers();
  int32_t SendQuitAllPlayers();
  // Manager mode: with players the idle time-out goes; without, one of
  // SERVERTABLE_IDLE_TIMEOUT_MS starts, and once it has run out the clients get "Quit".
  int32_t HandleIdleTimeout();
  void StartIdleTimeout(int32_t ms);
  void RemoveIdleTimeout() { m_IdleRunning = 0; }
  int32_t IdleTimeoutLeft() const;
  int32_t HaveIdleTimeout() const { return m_IdleRunning; }
  // Every seat of that seat's holder has a bet.
  int32_t HasPlayerBetInAllSlots(int32_t seat);
  // The player holds a seat that is not reserved.
  int32_t IsPlayerSeated(int32_t playerId);
  // "TableId" on the slot-allocation node: the table id, or 0 when flag is 0.
  int32_t SendTableId(int32_t flag);
  int32_t SendReserveSlot(int32_t seat, int32_t playerId);
  int32_t SendDeallocateSlot(int32_t seat, int32_t playerId, int32_t reason);
  int32_t SendExitSignal(int32_t playerId);
  int32_t WriteUserToStova(int32_t seat);
  // The user's reservation of this table is cleared in the database.
  int32_t RemoveReservedStatus(int32_t userId);
  // "StovaStatTrig" to the manager.
  int32_t SendJoinTableTrig();
  // Seat data changed: the manager hears of it within "joindatatime".
  void SendJoinTableData() { m_JoinDataPending = 1; }
  // "RequestAnswer" for the outstanding join request of user.
  int32_t SendRequestAnswer(int32_t userId, int32_t answer);

  // ---- packet store: copies of the table node's packets of the running round ----
  void StartPacketStore() { m_PacketStoreOn = 1; }
  void StopPacketStore() { m_PacketStoreOn = 0; }
  void ErasePackets();
  int32_t IsPacketStoreOn() const { return m_PacketStoreOn; }
  int32_t NumStoredPackets() const { return static_cast<int32_t>(m_PacketStore.size()); }
  const std::string& GetStoredPacket(int32_t index) const { return m_PacketStore[static_cast<size_t>(index)]; }
  // Appends a copy of a packet's data, as the table node's send hook does; 0 when out of memory.
  int32_t AddStoredPacket(const void* data, uint32_t size);
  // Each stored packet loses its "Hello" items and, as flagged, the "PlayerData" and
  // "PrivatePlayerData" chunks of the player (ForPlayer) or of everybody else (ExceptForPlayer);
  // a chunk whose player id cannot be read goes too. A packet that does not parse or is left
  // empty is dropped. The number of packets kept.
  int32_t ErasePacketsForPlayer(int32_t playerId, int32_t dropPlayerData, int32_t dropPrivateData);
  int32_t ErasePacketsExceptForPlayer(int32_t playerId, int32_t dropPlayerData, int32_t dropPrivateData);

  // ---- state store: the table's and the game's state, as one block of bytes for a save ----
  // An empty store with room for size bytes; it grows beyond them as the state needs.
  int32_t InitVarStore(uint32_t size);
  // Appends a long (4 bytes, little-endian), a double (8 bytes, little-endian), a string with
  // its NUL (null: the empty string), money as its text, or bytes as they are. 0 once the store
  // could not grow; the save that follows then fails.
  int32_t SSAddLong(uint32_t value);
  int32_t SSAddDouble(double value);
  int32_t SSAddString(const char* text);
  int32_t SSAddMoney(const TMoney& value);
  int32_t SSAddBytes(const void* data, size_t size);
  // Reads back in the order written. Past the end (nothing is consumed then): 0, 0.0, null,
  // and money with its error flag set; the store counts as short from then on.
  int32_t SSGetLong();
  double SSGetDouble();
  const char* SSGetString();
  TMoney SSGetMoney();
  // The bytes not yet read, and a step over n of them (0, and short, when fewer are left).
  const uint8_t* SSReadPointer() const { return m_VarStore.data() + m_VarStoreRead; }
  size_t SSBytesLeft() const { return m_VarStore.size() - m_VarStoreRead; }
  int32_t SSSkip(size_t n);
  // An object that writes itself with StoreState (bytes appended to a vector) and reads itself
  // with RestoreState (data, size, used), such as a deck or history lights: into the store, and
  // back from its unread bytes, which are then stepped over.
  template <class T>
  int32_t SSAddState(const T& object) {
    std::vector<uint8_t> bytes;
    object.StoreState(bytes);
    return SSAddBytes(bytes.data(), bytes.size());
  }
  template <class T>
  int32_t SSGetState(T& object) {
    size_t used = 0;
    return object.RestoreState(SSReadPointer(), SSBytesLeft(), used) ? SSSkip(used) : 0;
  }
  // Bytes written so far.
  size_t GetVarStoreSize() const { return m_VarStore.size(); }
  // 1 once a read ran past the end or an append failed.
  int32_t SSIsShort() const { return m_VarStoreShort; }
  int32_t SSAddFailed() const { return m_VarStoreFailed; }
  void FreeVarStore();

  // ---- crash recovery: saving a crashed player's game, restoring it on a new table ----
  // The raw records a save leaves per user: the state store, the stake not yet settled, the
  // table id, and the packet store from index SERVERTABLE_RAW_FIRSTPACKET on.
  // Saves the player's game for a later reconnect (not on a practice table, nor while this
  // table still restores a game): his earlier records are replaced by the new set in one
  // database transaction, so a failure leaves the earlier set whole.
  int32_t SaveForReconnect(int32_t playerId, uint32_t storeSize = SERVERTABLE_SAVE_STORE_SIZE);
  // A leaving player's game is saved as after a crash (with a smaller store), then his seats go
  // with reason 0.
  int32_t TestRemove(int32_t playerId);
  // The table's state, then the game's (StoreGame), into the state store.
  int32_t StoreServer();
  // The state store as "varStore" of the user (then freed); the reserve id's "varStore" read
  // into the state store.
  int32_t SaveVarStore(int32_t userId);
  int32_t LoadVarStore();
  int32_t SaveReconnectLog(int32_t userId);
  int32_t SavePendingCashAndTableId(int32_t userId);
  // The reserve id's stored packets into the packet store, filtered for him.
  int32_t LoadAndFilterReconnectLog();
  // The seats, their think and icon values, the table's values and the game's state from the
  // reserve id's "varStore"; 0 when it is missing or damaged.
  int32_t RestoreServerPlayerConnections();
  // The round timer and the table states, last in the store.
  int32_t RestoreServer();
  // Deletes the reserve id's records.
  int32_t DeleteRestore();
  // Empties every seat that another player holds, here only.
  int32_t DeallocateOtherPlayers(int32_t playerId);

 protected:
  // The steps of ServerHandler, in their order.
  int32_t HandleDieWait(int32_t linksLeft);
  void CheckReservations();
  int32_t HandleManagerLink();
  int32_t HandleTimeDiff();
  int32_t CheckForClientRequests();
  int32_t CheckWantAlloc();
  int32_t CheckForPlayerNodeMessage();
  int32_t HandlePlayerHistoryRequests();
  int32_t StateMachine();
  int32_t HandleProcessManagerPackets();
  int32_t PollRequestQueue();
  int32_t JoinTableDataHandler();
  // The table node's "PresentationDone" records.
  void CheckForPresentationDone();
  int32_t HasAllPlayersBet();

  int32_t WaitForReconnectEnd();

  // ---- the database ----
  // The player's record, from the cache or read and cached; null when not found or failed.
  c2stovaUser* GetCachedUser(int32_t playerId);
  void RemoveCachedUser(int32_t playerId);
  void FreeUserCache();

  // The step of SendAllocateSlot after the seat was given; 1 to answer granted.
  int32_t TakeSeat(int32_t seat, int32_t playerId, int32_t allocation);
  // Answers, then tells everybody about the seat.
  int32_t AnswerAllocation(int32_t seat, int32_t playerId, int32_t answer);
  void ReleaseSeat(int32_t seat);
  // The seat's holder leaves the play history's seat when he holds no other seat.
  void LogLeave(int32_t seat, int32_t playerId, int32_t reason);
  int32_t SendGameSpec(int32_t playerId);
  // The player-node data a newly connected player needs: money, think bubbles, ids, icons.
  int32_t SendPlayerNodeData(int32_t playerId);
  int32_t Reconnect(int32_t playerId);
  // "PlayerSeats" on the reconnect node: joined, bet, second seat and holder of every seat.
  int32_t SendPlayerSeats();
  int32_t RequestTimeDiff(int32_t playerId);
  // Opens a "PlNode" chunk for the addressee in the player node's record.
  int32_t OpenPlNode(int32_t addressee);
  int32_t ClosePlNode();
  // Sends the manager a command with data strings; 1 without a manager link.
  int32_t SendToManager(const char* command, std::initializer_list<const char*> strings);
  void SetPresentation(int32_t seat, int32_t state, int32_t user);
  static int32_t PacketStoreHook(CCommNode* node, const void*& data, uint32_t& size, int32_t& deliver);

  // ---- members ----
  int32_t m_SaveReconnect = 1;
  int32_t m_JoinDataPending = 0;
  int32_t m_ClientPresentationWait = SERVERTABLE_DEFAULT_PRESENTATIONWAIT_MS;
  uint32_t m_PresentationStart = 0;
  CStovaConn* m_pStova = nullptr;
  CStovaConn* m_pGivenStova = nullptr;
  CPlayerHistoryLogger m_PlayerHistory;
  CPlayerHistoryServer m_PlayerHistoryServer;
  CProcessClient* m_pProcessClient = nullptr;
  std::vector<int32_t> m_PresentationStates;  // per seat
  std::vector<int32_t> m_PresentationUsers;   // per seat, -1 none
  CLList m_UserCache;                         // c2stovaUser*, owned
  std::string m_DbServer, m_DbUser, m_DbPassword, m_DbName;
  int32_t m_DatabaseValue = 0;
  std::string m_LogFileName;
  int32_t m_LogStatus = 0;
  int32_t m_State = SERVERSTATE_IDLE;
  int32_t m_GameState = 0;
  int32_t m_PrevState = SERVERSTATE_IDLE;
  int32_t m_PrevGameState = 0;
  std::vector<int32_t> m_Thinking;    // per seat
  std::vector<int32_t> m_IconValue;   // per seat
  std::vector<int32_t> m_IconFlags;   // per seat
  int32_t m_BetTime = 0;              // s
  int32_t m_HalfTimeMark = 0;         // ms left
  int32_t m_HalfTimePassed = 0;
  int32_t m_Sleeping = 0;
  std::vector<std::string> m_PacketStore;
  int32_t m_PacketStoreOn = 0;
  std::vector<uint8_t> m_VarStore;
  size_t m_VarStoreRead = 0;
  int32_t m_VarStoreShort = 0;
  int32_t m_VarStoreFailed = 0;
  TCommNodeHook m_pGameSendHook = nullptr;
  std::vector<CTimeDiffServer*> m_TimeDiffServers;  // owned
  struct SJoinRequest {
    int32_t m_UserId;
    std::string m_RequestNumber;
    std::string m_Name;
    std::string m_Reason;
  };
  std::vector<SJoinRequest> m_JoinRequests;
  int32_t m_ReserveId = 0;
  CServerCreateTable* m_pTableCreator = nullptr;
  int32_t m_Mode = 0;
  int32_t m_OutstandingRequest = 0;  // the user whose join request the owner was asked about
  std::string m_RequestNumber;       // the manager's number of that request
  int32_t m_TableOwner = 0;
  int32_t m_MaxMissedRounds = 1;
  int32_t m_ReservedTimeOut = SERVERTABLE_DEFAULT_RESERVEDTIMEOUT_MS;
  int32_t m_Arg2 = 0;
  int32_t m_GameSpecAddressee = 0;
  int32_t m_CreatorConnected = 0;
  std::string m_ManagerHost;
  int32_t m_ManagerPort = 0;
  int32_t m_DieWait = 0;
  int32_t m_Ready = 1;
  int32_t m_GameFlag = 0;
  int32_t m_IdleRunning = 0;
  uint32_t m_IdleDeadline = 0;
  int32_t m_ReconnectRelease = 0;
  std::vector<int32_t> m_ReconnectedPlayers;
  int32_t m_ServerExtraBetTime = SERVERTABLE_DEFAULT_EXTRABETTIME;
  int32_t m_JoinDataTime = SERVERTABLE_DEFAULT_JOINDATATIME;
  int32_t m_ClientCreateTimeOut = SERVERTABLE_DEFAULT_CLIENTCREATETIMEOUT;
  int32_t m_WaitToDieTimeOut = SERVERTABLE_DEFAULT_WAITTODIETIMEOUT;
  int32_t m_LogCommProcessClient = 0;
  std::string m_LogCommProcessClientFile;
  int32_t m_LogCommClient = 0;
  std::string m_LogCommClientFile;

 private:
  // A saved game's records of the user go (in the caller's transaction).
  int32_t DeleteRestoreRecords(int32_t userId);
  // The parts of RestoreServerPlayerConnections, in the store's order.
  int32_t RestoreSeats();
  int32_t RestoreTableValues();
  int32_t ReadGlobalServerGameConfig();
  int32_t InitDatabase();
  int32_t InitManagerLink(int32_t processId, int32_t logValue);
};
