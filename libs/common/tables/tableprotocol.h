// The words of the table protocol: the KCBL records that the client and server halves of a game
// table exchange over the table's nodes, and the plain texts between a table server and the
// manager process. Keywords are compared without regard to case by the KCBL search; they are
// written exactly as they stand here.
//
// Value types, as the typed items write them: long = KLONG (32-bit signed), ulong = KULONG,
// money = KMONEY (CHugeFixedPoint<10,10>), string = KSTRING. A marker is an item without values.
#pragma once

#include <cstdint>

// ---- node names: game name + suffix, then "_" and the decimal table id unless it is 0 ----

inline constexpr const char* TABLE_NODE_PLAYER = ":playerNode";
inline constexpr const char* TABLE_NODE_TABLE = "";  // the table node and the reconnect node
inline constexpr const char* TABLE_NODE_SLOTSTATUS = ":slotStatusNode";
inline constexpr const char* TABLE_NODE_SLOTALLOC = ":slotAllocNode";
inline constexpr const char* TABLE_NODE_PLAYERHISTORY = ":playerhistoryRequestNode";
inline constexpr const char* TABLE_NODE_TIMEDIFF = ":timeDiff";
// Object names: game name + the half's sub-type.
inline constexpr const char* TABLE_SUBTYPE_CLIENT = "Client";
inline constexpr const char* TABLE_SUBTYPE_SERVER = "Server";
// The object name of every link a table accepts from a user process.
inline constexpr const char* TABLE_LINK_OBJNAME = "GameToUserProcess";

// ---- chunk forms: values (string message name, long player id, long seat) ----

inline constexpr const char* TABLE_CHUNK_PLAYERDATA = "PlayerData";
inline constexpr const char* TABLE_CHUNK_PRIVATEPLAYERDATA = "PrivatePlayerData";
// The private chunk of every player-node message (player id = addressee, 0 = everybody).
inline constexpr const char* TABLE_CHUNK_PLNODE = "PlNode";
// Clients address their own requests with their player id and this seat.
inline constexpr int32_t TABLE_CLIENT_CHUNK_SEAT = 0;

// ---- slot-allocation node, client -> server ----

inline constexpr const char* TABLE_MSG_ALLOCATESLOT = "AllocateSlot";       // private chunk
inline constexpr const char* TABLE_MSG_RESERVESLOT = "ReserveSlot";         // private chunk
inline constexpr const char* TABLE_MSG_DEALLOCATESLOTREQ = "DeAllocateSlot";  // private chunk
inline constexpr const char* TABLE_MSG_REQUESTRECONNECT = "RequestReconnect";  // marker + "Id"
inline constexpr const char* TABLE_MSG_REQUESTTIMEDIFF = "RequestTimeDiff";    // marker + "Id"
inline constexpr const char* TABLE_MSG_REQUESTANSWER = "RequestAnswer";        // long request id, long answer

// ---- slot-allocation node, server -> client ----

inline constexpr const char* TABLE_MSG_ALLOCATESLOTANSWER = "AllocateSlotAnswer";  // "Slot" "Id" "Answer" "TableType"
inline constexpr const char* TABLE_MSG_RESERVESLOTANSWER = "ReserveSlotAnswer";    // "Slot" "Id" "Answer"
inline constexpr const char* TABLE_MSG_DEALLOCATESLOT = "DeallocateSlot";          // "Slot" "Id" "Reason"
inline constexpr const char* TABLE_MSG_EXIT = "Exit";                              // marker + "Id"
inline constexpr const char* TABLE_MSG_REQUESTRECONNECTANSWER = "RequestReconnectAnswer";  // "Id" "Answer"
inline constexpr const char* TABLE_MSG_REQUESTTIMEDIFFANSWER = "RequestTimeDiffAnswer";  // "Id" "Answer" "TableType"
inline constexpr const char* TABLE_MSG_JOINREQUEST = "JoinRequest";  // private chunk: "RequestId" "Name" "Reason"
inline constexpr const char* TABLE_MSG_TABLEID = "TableId";          // long

// ---- items of the seat messages ----

inline constexpr const char* TABLE_ITEM_SLOT = "Slot";
inline constexpr const char* TABLE_ITEM_ID = "Id";
inline constexpr const char* TABLE_ITEM_ANSWER = "Answer";
// Written as a ulong, read back as a long (3 and 4 are practice tables).
inline constexpr const char* TABLE_ITEM_TABLETYPE = "TableType";
inline constexpr const char* TABLE_ITEM_REASON = "Reason";  // long in "DeallocateSlot", string in "JoinRequest"
inline constexpr const char* TABLE_ITEM_REQUESTID = "RequestId";
inline constexpr const char* TABLE_ITEM_NAME = "Name";
inline constexpr int32_t TABLE_JOINREQUEST_NAME_MAX = 100;
inline constexpr int32_t TABLE_JOINREQUEST_REASON_MAX = 1000;

// "Slot" of "AllocateSlot": any free seat; of "DeAllocateSlot": leave the table.
inline constexpr int32_t TABLE_SLOT_ANY = -1;
inline constexpr int32_t TABLE_SLOT_LEAVE = -1;

// "Answer": 1 granted, anything else refused (the server sends 0).
inline constexpr int32_t TABLE_ANSWER_REFUSED = 0;
inline constexpr int32_t TABLE_ANSWER_GRANTED = 1;
// The client's own allocation answer once refused.
inline constexpr int32_t TABLE_ANSWER_OWN_REFUSED = -1;

// Results of allocating a seat (CTableBase::AllocateSlot, CPlayerConnection::AllocateConnection);
// the server sends TABLE_ALLOC_RESERVED as 1.
inline constexpr int32_t TABLE_ALLOC_REFUSED = 0;
inline constexpr int32_t TABLE_ALLOC_GRANTED = 1;
inline constexpr int32_t TABLE_ALLOC_RESERVED = 2;

// "Reason" of "DeallocateSlot".
inline constexpr int32_t TABLE_REASON_NORMAL = 0;     // left, timed out, bet time missed
inline constexpr int32_t TABLE_REASON_CRASHED = 1;    // crashed or reconnecting: the seat is kept
inline constexpr int32_t TABLE_REASON_CANCELLED = 2;  // reservation cancelled by the manager

// Table types of the table record; a new table starts at TABLE_TYPE_NEW.
inline constexpr int32_t TABLE_TYPE_PRACTICE = 3;
inline constexpr int32_t TABLE_TYPE_PRACTICE_PRIVATE = 4;
inline constexpr int32_t TABLE_TYPE_NEW = 6;

// ---- table node, server -> all clients ----

inline constexpr const char* TABLE_MSG_CHANGECLIENTSTATE = "ChangeClientState";  // long
inline constexpr const char* TABLE_MSG_CHANGEGAMESTATE = "ChangeGameState";      // long
inline constexpr const char* TABLE_MSG_COMMAND = "Command";                      // string
inline constexpr const char* TABLE_COMMAND_NEWROUND = "NewRound";
inline constexpr const char* TABLE_ITEM_TIMEOUT = "TimeOut";        // long: bet time in s
inline constexpr const char* TABLE_ITEM_SERVERTIME = "ServerTime";  // long: server clock in ms
inline constexpr const char* TABLE_MSG_HELLO = "Hello";             // long player id
inline constexpr const char* TABLE_MSG_QUIT = "Quit";               // marker

// ---- table node, client -> server ----

inline constexpr const char* TABLE_MSG_PRESENTATIONDONE = "PresentationDone";  // marker + "UserID"
inline constexpr const char* TABLE_ITEM_USERID = "UserID";
// Reconnect node -> client at the end of a replay; echoed on the table node in restore mode.
inline constexpr const char* TABLE_MSG_RECONNECTEND = "ReconnectEnd";
// Reconnect node, restore mode: marker, then one "S" per seat (joined, bet, second seat, holder).
inline constexpr const char* TABLE_MSG_PLAYERSEATS = "PlayerSeats";
inline constexpr const char* TABLE_ITEM_SEAT = "S";

// Client states of "ChangeClientState" (0 before the first round).
inline constexpr int32_t TABLE_CLIENTSTATE_NONE = 0;
inline constexpr int32_t TABLE_CLIENTSTATE_WAITING = 1;
inline constexpr int32_t TABLE_CLIENTSTATE_BETTING = 2;
inline constexpr int32_t TABLE_CLIENTSTATE_PLAYING = 3;
inline constexpr int32_t TABLE_CLIENTSTATE_GAME = 4;

// ---- slot-status node, server -> all clients ----

inline constexpr const char* TABLE_MSG_SLOTALLOCSTATUS = "SlotAllocStatus";  // marker
inline constexpr const char* TABLE_ITEM_SLOTSTATUS = "SlotStatus";           // long per seat, in order
// Seat status values; any other value is the id of the user the seat is reserved for.
inline constexpr int32_t TABLE_SLOTSTATUS_UNKNOWN = -1;  // the client has not heard yet
inline constexpr int32_t TABLE_SLOTSTATUS_FREE = 0;
inline constexpr int32_t TABLE_SLOTSTATUS_HELD = 1;

// ---- player node: sub-messages inside a "PlNode" chunk ----

inline constexpr const char* TABLE_PL_PERSONALLIMITSTATUS = "PersonalLimitStatus";  // marker
inline constexpr const char* TABLE_ITEM_LOSSPERDAY = "LossPerDay";                  // money
inline constexpr const char* TABLE_ITEM_LOSSPERWEEK = "LossPerWeek";
inline constexpr const char* TABLE_ITEM_LOSSPERMONTH = "LossPerMonth";
inline constexpr const char* TABLE_ITEM_LOSSTHISDAY = "LossThisDay";
inline constexpr const char* TABLE_ITEM_LOSSTHISWEEK = "LossThisWeek";
inline constexpr const char* TABLE_ITEM_LOSSTHISMONTH = "LossThisMonth";
inline constexpr const char* TABLE_ITEM_MAXSESSIONTIME = "MaxSessionTime";  // long ms, -1 none
inline constexpr const char* TABLE_ITEM_SELFEXCLUSION = "SelfExclusion";    // long, non-zero excluded
inline constexpr int32_t TABLE_MAXSESSIONTIME_NONE = -1;
inline constexpr const char* TABLE_PL_SERVERMSG = "ServerMsg";  // string, also a plain item
inline constexpr int32_t TABLE_SERVERMSG_MAX = 1000;
inline constexpr const char* TABLE_PL_MONEY = "M";        // marker, then one "D" money per seat
inline constexpr const char* TABLE_PL_MONEYONE = "MJ";    // marker, then "D" long seat, money
inline constexpr const char* TABLE_PL_THINK = "T";        // marker, then one "D" long per seat
inline constexpr const char* TABLE_PL_PLAYERIDS = "PI";   // marker, then one "D" long per seat
inline constexpr const char* TABLE_PL_ICON = "IC";        // marker, then "D" seat, icon, flags, name
inline constexpr const char* TABLE_PL_DATA = "D";
// Icon flags: the seat is its holder's second seat.
inline constexpr int32_t TABLE_ICONFLAG_SECONDSEAT = 4;
inline constexpr int32_t TABLE_USERNAME_MAX = 30;

// ---- player node: other private chunks ----

inline constexpr const char* TABLE_CHUNK_GAMESPEC = "GameSpec";  // server -> player
inline constexpr const char* TABLE_ITEM_MAXIDLE = "maxIdle";     // long
inline constexpr const char* TABLE_ITEM_MONEY = "Money";         // money
inline constexpr const char* TABLE_CHUNK_GETFORPRACTICEMONEY = "GetForPracticeMoney";  // client -> server
inline constexpr const char* TABLE_CHUNK_PRACTICEMONEY = "PracticeMoney";              // server -> client
inline constexpr const char* TABLE_CHUNK_SETFORPRACTICEMONEY = "SetForPracticeMoney";  // client -> server
inline constexpr const char* TABLE_ITEM_PRACTICEMONEY = "PracticeMoney";               // money

// ---- table node: the per-player button and balance chunks of CTableBase ----

inline constexpr const char* TABLE_CHUNK_ENABLEBUTTON = "EnableButton";  // private chunk
inline constexpr const char* TABLE_ITEM_ENABLEBUTTON = "EnableButton";   // long
inline constexpr const char* TABLE_CHUNK_ACCOUNTSUM = "AccountSum";      // private chunk
inline constexpr const char* TABLE_ITEM_ACCOUNTSUM = "AccountSum";       // money

// ---- play-history request node ----

inline constexpr const char* TABLE_MSG_PLAYERHISTORY = "PlayerHistory";

// ---- manager link: raw texts; command, 0xA3, each data string and 0xA3, then a NUL ----

inline constexpr unsigned char MANAGER_SEPARATOR = 0xA3;
// The longest manager text a table takes, NUL included.
inline constexpr uint32_t MANAGER_TEXT_MAX = 64 * 1024;

// Table server -> manager. The two id texts carry no separator (at most 30 bytes with the NUL).
inline constexpr const char* MANAGER_TABLEPROCESSID_FORMAT = "TableProcessID:%ld:%hu";
inline constexpr const char* MANAGER_USERPROCESSID_FORMAT = "UserProcessID:%ld:%hu";
inline constexpr uint32_t MANAGER_ID_TEXT_MAX = 30;
inline constexpr const char* MANAGER_CMD_STOVASTATTRIG = "StovaStatTrig";
inline constexpr const char* MANAGER_CMD_STOVASEATTRIG = "StovaSeatTrig";
inline constexpr const char* MANAGER_CMD_USERCONNECTED = "UserConnected";  // user id "%lu"
inline constexpr const char* MANAGER_CMD_USERLEFT = "UserLeft";            // user id
inline constexpr const char* MANAGER_CMD_USERCRASHED = "UserCrashed";      // user id
inline constexpr const char* MANAGER_CMD_ANNOUNCEJPWIN = "AnnounceJPWin";  // player "%ld", amount, table "%ld"
// Both ways: user id "%lu", request number "%ld", "1" or "0" (to the manager).
inline constexpr const char* MANAGER_CMD_REQUESTANSWER = "RequestAnswer";

// Manager -> table server: the messages that carry data, by their codes.
inline constexpr const char* MANAGER_CMD_REQUESTPERMISSION = "RequestPermission";  // user, number, reason
inline constexpr const char* MANAGER_CMD_REMOVECRASHEDUSER = "RemoveCrashedUser";  // user
inline constexpr const char* MANAGER_CMD_SERVERMSG = "ServerMsg";                  // text
inline constexpr const char* MANAGER_CMD_REQUESTPENDING = "RequestPending";
inline constexpr const char* MANAGER_CMD_PROCESSCREATED = "ProcessCreated";
inline constexpr const char* MANAGER_CMD_RECONNECTCREATED = "ReconnectCreated";
inline constexpr const char* MANAGER_CMD_USERQUIT = "UserQuit";              // user
inline constexpr const char* MANAGER_CMD_WAITLISTCANCEL = "WaitlistCancel";  // user
// Manager -> table server: the bare texts.
inline constexpr const char* MANAGER_CMD_REPLYWITHID = "ReplyWithID";        // send the id again
inline constexpr const char* MANAGER_CMD_DIEYOUBASTARD = "DieYouBastard";    // end the process
inline constexpr const char* MANAGER_CMD_INCOMINGCLIENT = "IncomingClient";  // a client is on its way

// Codes of the manager's messages. 0 to 8 are the pending-message codes of the manager link; the
// bare texts follow, and a text whose command is none of these has MANAGER_MSG_UNKNOWN.
enum EManagerMessage : int32_t {
  MANAGER_MSG_UNKNOWN = -1,
  MANAGER_MSG_REQUESTPERMISSION = 0,
  MANAGER_MSG_REMOVECRASHEDUSER = 1,
  MANAGER_MSG_SERVERMSG = 2,
  MANAGER_MSG_REQUESTANSWER = 3,
  MANAGER_MSG_REQUESTPENDING = 4,
  MANAGER_MSG_PROCESSCREATED = 5,
  MANAGER_MSG_RECONNECTCREATED = 6,
  MANAGER_MSG_USERQUIT = 7,
  MANAGER_MSG_WAITLISTCANCEL = 8,
  MANAGER_MSG_REPLYWITHID = 9,
  MANAGER_MSG_DIEYOUBASTARD = 10,
  MANAGER_MSG_INCOMINGCLIENT = 11,
};
// The codes that become the manager link's pending message.
inline constexpr int32_t MANAGER_MSG_LAST_PENDING = MANAGER_MSG_WAITLISTCANCEL;
