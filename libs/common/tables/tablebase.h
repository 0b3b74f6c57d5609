// The base of both halves of every game table (the client half CClientTableBase and the server
// half CServerTableBase): the seats, the table's nodes and their names, the round timer, the
// restore flags, the listening server that takes links from user processes, and the reading and
// writing of the per-player chunks of the table protocol. A game derives its two tables from the
// halves and supplies the pure operations. Everything runs on the program's one thread.
#pragma once

#include <cstdint>

#include "common/tables/playerconnection.h"
#include "common/tables/tableprotocol.h"
#include "ostrel/base/money.h"
#include "ostrel/containers/llist.h"
#include "stova/stovarecords.h"

class CCommBaseServer;
class CCommNode;
class CCommRemoteClient;
class CCommRemoteServer;
struct SXPacket;
struct SXPacketCNode;

// How long DeleteAllComms lets the accepted links flush.
inline constexpr uint32_t TABLE_FLUSH_MS = 5000;
// How long InitTable waits for the listening server to run.
inline constexpr uint32_t TABLE_LISTEN_START_MS = 5000;
// The module text of the link log's lines: packets sent and received, with the table id.
inline constexpr const char* TABLE_LINKLOG_SENT = "TableId >> %lu";
inline constexpr const char* TABLE_LINKLOG_RECEIVED = "TableId << %lu";
inline constexpr const char* TABLE_LINKLOG_TEXT = "Name: %s Id: %lu Session: %lu Data: %.*s";

// Restore steps of the server half.
inline constexpr int32_t TABLE_RESTORE_NONE = 0;
inline constexpr int32_t TABLE_RESTORE_WAIT_RECONNECTEND = 1;
inline constexpr int32_t TABLE_RESTORE_NOW = 2;

class CTableBase {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  // No seats and no nodes yet, table type TABLE_TYPE_NEW; the table becomes the current table.
  CTableBase();
  CTableBase(const CTableBase&) = delete;
  CTableBase& operator=(const CTableBase&) = delete;

  // ---- the twelve virtual slots, in order ----
  // The half's initialisation (InitTable's a, b, c); above 0 for success.
  virtual int32_t Init(int32_t a, int32_t b, int32_t c) = 0;
  virtual int32_t Exit() = 0;
  // The number of seats (the game's).
  virtual int32_t GetNumSlots() = 0;
  // The prefix of every node and object name (the game's).
  virtual const char* GetGameName() = 0;
  // TABLE_SUBTYPE_CLIENT or TABLE_SUBTYPE_SERVER.
  virtual const char* GetTableSubType() = 0;
  // A player took a seat; each half overrides and then calls CreateGamePlayer. 0 refuses the seat.
  virtual int32_t CreatePlayer(int32_t seat, int32_t playerId) = 0;
  // A seat was given up; each half overrides and then calls DeleteGamePlayer.
  virtual int32_t DeletePlayer(int32_t seat) = 0;
  // The game's own hooks; 0 from CreateGamePlayer refuses the seat.
  virtual int32_t CreateGamePlayer(int32_t seat, int32_t playerId) = 0;
  virtual int32_t DeleteGamePlayer(int32_t seat) = 0;
  // The type of every table node: CNODE_CLIENT in the client half, CNODE_SERVER in the server half.
  virtual uint32_t GetNodeType() = 0;
  // The game's hook at the start of a round.
  virtual int32_t NewRoundStarted() = 0;
  // The round time-out minus the ms since the timer started; negative once the time is out.
  virtual int32_t TimeLeft();

  // Frees what ExitTable did not (seats without DeletePlayer, nodes, links without flushing) and
  // stops being the current table. Declared after the twelve slots, which keep their order.
  virtual ~CTableBase();

  // The most recently constructed table that still exists, or null.
  static CTableBase* GetCurrentTable();

  // ---- life ----
  // Builds the seats, the listening server when b or c is not 0 (on port; 0 lets the system pick),
  // the player, table, slot-status, slot-allocation and play-history request nodes, then calls
  // Init (a, b, c); 1 when Init reports above 0. c goes with every line of the link log. A failure
  // leaves what was built for ExitTable.
  int32_t InitTable(int32_t tableId, int32_t a, int32_t b, int32_t c, int32_t port);
  // Gives up every held seat (DeletePlayer), deletes the seats, the player, table,
  // slot-allocation, slot-status and play-history request nodes, calls Exit, then DeleteAllComms.
  // Exit's result.
  int32_t ExitTable();
  // Gives up every held seat and deletes the seats.
  void DestroyPlayers();

  // ---- links from user processes ----
  // One accept step of the listening server (its failure: 0), then drops the links that are no
  // longer connected; 0 also when that drop leaves no link (the last user process has gone).
  int32_t TickComms();
  // Lets the accepted links flush for at most TABLE_FLUSH_MS, then deletes them and the server.
  void DeleteAllComms();
  // The listening server's port; 0 when the table does not listen.
  uint32_t GetListenPort() const;
  // Logs the accepted links' packets to their own log file (a null name: the library's default).
  int32_t SetLinkLog(int32_t on, const char* fileName);
  int32_t GetLinkLog() const { return m_LinkLog; }
  int32_t NumUserProcessLinks() const { return m_Links.GetNumNodes(); }
  // The listening server's accept callback: adopts the socket in a "GameToUserProcess" link of
  // node packets, logged through the table's link-log hooks. 0 when a step fails.
  static int32_t CServerCallback(CCommBaseServer* server, void* table, int32_t socket);

  // ---- seats ----
  // Seats the player (TABLE_ALLOC_GRANTED, or TABLE_ALLOC_RESERVED when the seat was reserved for
  // him) and calls CreatePlayer; a refusal there frees the seat again. The second-seat flag tells
  // whether he held another unreserved seat already. 0 for a seat outside the table.
  int32_t AllocateSlot(int32_t seat, int32_t playerId);
  // DeletePlayer, then frees the seat; nothing for a seat outside the table.
  void DeallocateSlot(int32_t seat);
  void ZeroPlayerBetFlags();
  // The seat's record, or null outside 0 .. seats - 1 (and before InitTable).
  CPlayerConnection* GetPlayerConnection(int32_t seat) const;
  // The number of seats built by InitTable.
  int32_t GetNumSeats() const { return m_NumSeats; }

  // ---- per-player chunks: values (string name, long player id, long seat) ----
  // Opens a "PlayerData" chunk in the node's outgoing record; its items follow until
  // SendExitPlayerData closes it.
  static int32_t SendEnterPlayerData(CCommNode* node, int32_t seat, int32_t playerId, const char* name);
  static int32_t SendExitPlayerData(CCommNode* node);
  static int32_t SendEnterPrivatePlayerData(CCommNode* node, int32_t seat, int32_t playerId, const char* name);
  static int32_t SendExitPrivatePlayerData(CCommNode* node);
  // Sets seat to -1 and looks, from the cursor of the node's received record, for the next
  // "PlayerData" chunk of that name: none gives 1 with seat -1; one whose player id or seat cannot
  // be read gives 0; else the chunk is entered (the result of entering). RecvExitPlayerData leaves
  // it and steps past it, so that the next call finds the next chunk.
  static int32_t RecvEnterPlayerData(CCommNode* node, int32_t& seat, int32_t& playerId, const char* name);
  static int32_t RecvExitPlayerData(CCommNode* node);
  static int32_t RecvEnterPrivatePlayerData(CCommNode* node, int32_t& seat, int32_t& playerId, const char* name);
  static int32_t RecvExitPrivatePlayerData(CCommNode* node);

  // Write in the table node's outgoing record (opened by the caller, who sends it) a private
  // chunk for the player: "EnableButton" with the long value, "AccountSum" with the amount.
  int32_t Server_SendEnableButton(int32_t seat, int32_t playerId, int32_t value);
  int32_t Server_SendAccountSum(int32_t seat, int32_t playerId, const TMoney& amount);
  // Read them from the table node's received record; 0 when the chunk is missing, its player id
  // or seat cannot be read, or the item is missing.
  int32_t Client_RecvEnableButton(int32_t& seat, int32_t& playerId, int32_t& value);
  int32_t Client_RecvAccountSum(int32_t& seat, int32_t& playerId, TMoney& amount);

  // ---- round timer ----
  // The round time-out; the round length too unless it is -1.
  void SetTimeoutTime(int32_t timeoutMs, int32_t roundLengthMs);
  void StartTimer();
  int32_t GetTimeoutTime() const { return m_TimeOut; }
  int32_t GetRoundLength() const { return m_RoundLength; }
  uint32_t GetTimerStart() const { return m_TimerStart; }

  // ---- restore after a crash ----
  // 1. On: restore step TABLE_RESTORE_NONE and restore pending; off: nothing pending.
  int32_t SetRestoreMode(int32_t on);
  int32_t GetRestoreMode() const { return m_RestoreMode; }
  int32_t GetRestoreStep() const { return m_RestoreStep; }
  void SetRestoreStep(int32_t step) { m_RestoreStep = step; }
  int32_t GetRestorePending() const { return m_RestorePending; }
  void SetRestorePending(int32_t pending) { m_RestorePending = pending; }
  // The game's switch that has a leaving player's game stored as after a crash.
  int32_t GetTestRemove() const { return m_TestRemove; }
  void SetTestRemove(int32_t on) { m_TestRemove = on; }

  // ---- the table ----
  uint32_t GetTableId() const { return m_TableId; }
  c2stovaTable& GetTableRecord() { return m_Table; }
  int32_t GetTableType() const { return m_Table.m_TableType; }
  void SetTableType(int32_t type) { m_Table.m_TableType = type; }
  // 1 on a practice table (types 3 and 4).
  int32_t GetIsPlayingForPractice() const;
  int32_t GetLogValue() const { return m_LogValue; }

  CCommNode* GetPlayerNode() const { return m_pPlayerNode; }
  CCommNode* GetTableNode() const { return m_pTableNode; }
  CCommNode* GetSlotStatusNode() const { return m_pSlotStatusNode; }
  CCommNode* GetSlotAllocNode() const { return m_pSlotAllocNode; }
  CCommNode* GetReconnectNode() const { return m_pReconnectNode; }
  CCommNode* GetPlayerHistoryRequestNode() const { return m_pPlayerHistoryRequestNode; }

  // ---- node names ----
  // Names a table node: id, game name + suffix + "_" and the table id (none for table id 0),
  // object name game name + sub-type. A template, so that nodes that name themselves their own
  // way (the time-difference nodes) are named through their own operations. 1/0.
  template <class Node>
  int32_t NameTableNode(Node& node, const char* suffix, uint32_t id) {
    return node.SetId(id) && node.SetName(GetGameName(), suffix ? suffix : "", m_TableId, 0, 0) &&
           node.SetObjName(GetGameName(), GetTableSubType());
  }
  // A new started table node (named as above, logging off, its received record searched without
  // wrapping, type GetNodeType); null when a step fails. The caller owns it: the halves make the
  // reconnect node (suffix TABLE_NODE_TABLE, id = the player id) this way.
  CCommNode* CreateTableNode(const char* suffix, uint32_t id);

 protected:
  // The seat's record; seats known to exist.
  CPlayerConnection& Seat(int32_t seat) const { return *m_ppPlayerConnections[seat]; }

  c2stovaTable m_Table;
  CCommNode* m_pPlayerNode = nullptr;
  CCommNode* m_pTableNode = nullptr;
  CCommNode* m_pSlotStatusNode = nullptr;
  CCommNode* m_pSlotAllocNode = nullptr;
  CCommNode* m_pReconnectNode = nullptr;  // made and deleted by the halves
  CCommNode* m_pPlayerHistoryRequestNode = nullptr;
  CPlayerConnection** m_ppPlayerConnections = nullptr;
  int32_t m_NumSeats = 0;
  uint32_t m_TableId = 0;
  int32_t m_TimeOut = 0;       // ms
  int32_t m_RoundLength = 0;   // ms
  uint32_t m_TimerStart = 0;   // clock ms
  int32_t m_RestoreMode = 0;
  int32_t m_RestoreStep = TABLE_RESTORE_NONE;
  int32_t m_RestorePending = 0;
  int32_t m_TestRemove = 0;
  CLList m_Links;  // CCommRemoteClient*, owned
  int32_t m_LogValue = 0;
  int32_t m_LinkLog = 0;
  char* m_pLinkLogFileName = nullptr;
  CCommRemoteServer* m_pServer = nullptr;

 private:
  int32_t StartListening(uint32_t port);
  int32_t CreateNodes();
  void DeleteNode(CCommNode*& node);
  // Deletes the links and the server without flushing.
  void FreeComms();
  // The link-log hooks of the accepted links.
  static int32_t LinkSendHook(SXPacket* packet, SXPacketCNode* nodePacket, int32_t& deliver);
  static int32_t LinkRecvHook(SXPacket* packet, SXPacketCNode* nodePacket, int32_t& deliver);
};
