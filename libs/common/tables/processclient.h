// The link of a table-server (or user) process to its manager process: plain texts over a raw
// link. The process announces itself with its id and port, hears of users who quit, crashed or
// want to join, and reports connected, leaving and crashed users, seat and state changes and
// join answers. The server table creates it in manager mode and ticks it once per tick.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/tables/managertext.h"

class CCommRemoteClient;

// The object name of the link.
inline constexpr const char* PROCESSCLIENT_OBJNAME = "TableProcessToServer";
// How long Initialize waits for the connection.
inline constexpr int32_t PROCESSCLIENT_CONNECT_MS = 2000;
// How long the destructor lets the link flush.
inline constexpr uint32_t PROCESSCLIENT_FLUSH_MS = 5000;
// Room of the id text: "TableProcessID:" and the largest id and port with the NUL.
inline constexpr size_t PROCESSCLIENT_ID_TEXT_SIZE = 48;
// Process types of Initialize.
inline constexpr int32_t PROCESSCLIENT_USERPROCESS = 0;
inline constexpr int32_t PROCESSCLIENT_TABLEPROCESS = 1;
// The module texts of the link's log lines.
inline constexpr const char* PROCESSCLIENT_LOG_RAWTEXT = "Data: %.*s";

class CProcessClient {
 public:
  // Running, no message pending.
  CProcessClient();
  // Lets the link flush for at most PROCESSCLIENT_FLUSH_MS, then disconnects and deletes it.
  ~CProcessClient();
  CProcessClient(const CProcessClient&) = delete;
  CProcessClient& operator=(const CProcessClient&) = delete;

  // The manager's address (the host is kept, not copied).
  void SetManagerIPPort(const char* host, int32_t port);
  // Logs the link's traffic to the file (null: the library's default); 0 when out of memory.
  int32_t SetCommLog(int32_t on, const char* fileName);
  // Connects to the manager (waiting PROCESSCLIENT_CONNECT_MS at most) and sends the id text.
  // 0 without host or port, for a type other than the two, or when a step of the link fails.
  int32_t Initialize(int32_t processId, int32_t type, int32_t logValue, uint16_t listenPort);

  // One step: a lost link stops the running flag; otherwise at most one received text is taken:
  // a message with a code becomes the pending message when none is pending (else it is
  // dropped); "ReplyWithID" sends the id again, "DieYouBastard" stops the running flag,
  // "IncomingClient" sets the incoming-client flag. Other texts and texts without their NUL or
  // over the codec's cap are dropped.
  void Ticker();
  // The pending message's code, which is cleared (-1 when none).
  int32_t PacketPending();
  // The next data string of the last pending message; null past the last.
  const char* GetDataString();

  // Appends a copy of the text to the strings of the next SendData; 0 for a null text.
  int32_t AddDataString(const char* text);
  // Sends the command and the strings added since the last send as one text; the strings are
  // dropped in any case. 0 for a null command, a text over the codec's cap or a failed send.
  int32_t SendData(const char* command);

  void UserDisconnected() { m_IncomingClient = 0; }
  int32_t ManagerAgrees() const { return m_IncomingClient; }
  int32_t AllowRunning() const { return m_Running; }
  CCommRemoteClient* GetLink() const { return m_pLink; }

  // The most recently constructed link that still exists, or null.
  static CProcessClient* GetCurrent();

 private:
  int32_t SendId();
  static int32_t SendHook(struct SXPacket* packet, struct SXPacketCNode* nodePacket, int32_t& deliver);
  static int32_t RecvHook(struct SXPacket* packet, struct SXPacketCNode* nodePacket, int32_t& deliver);
  static void LogPacket(const char* moduleFormat, struct SXPacket* packet, struct SXPacketCNode* nodePacket);

  CCommRemoteClient* m_pLink = nullptr;
  int32_t m_Spare[2] = {};
  uint32_t m_ManagerPort = 0;
  int32_t m_IncomingClient = 0;
  uint32_t m_ProcessId = 0;
  int32_t m_ProcessType = 0;
  int32_t m_Running = 1;
  int32_t m_LogValue = 0;
  int32_t m_PendingCode = MANAGER_MSG_UNKNOWN;
  std::vector<std::string> m_PendingStrings;
  size_t m_NextString = 0;
  std::vector<std::string> m_OutStrings;
  const char* m_pManagerHost = nullptr;
  int32_t m_Log = 0;
  std::string m_LogFileName;
  bool m_LogFileNameSet = false;
  uint16_t m_ListenPort = 0;
};
