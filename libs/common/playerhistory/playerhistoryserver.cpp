#include "common/playerhistory/playerhistoryserver.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/compression/uuencode.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

namespace {
// Rows the database hands out; the server frees them with a plain delete.
template <class TRow>
class CRowList {
 public:
  CRowList() = default;
  ~CRowList() {
    for (m_List.First(); m_List.Exists(); m_List.Next()) delete static_cast<TRow*>(m_List.Get());
    m_List.KillAll();
  }
  CRowList(const CRowList&) = delete;
  CRowList& operator=(const CRowList&) = delete;
  CLList& List() { return m_List; }

 private:
  CLList m_List;
};

void AppendLong(std::string& out, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                         static_cast<char>(v >> 24)};
  out.append(bytes, 4);
}

// A text of a fixed-size field: up to its first NUL, never past the field.
void AppendField(std::string& out, const char* field, size_t size) {
  out.append(field, strnlen(field, size));
  out += '\0';
}

int32_t ScaleGameFilter(int32_t filter) {
  if (filter >= PLAYERHISTORY_FILTER_SCALED) return filter;
  return filter < 0 ? 0 : filter * 1000;
}

// The current item when it is the request, else the first request item of the record.
bool FindRequest(CKCBL& request) {
  const char* keyword = request.ItemExists() ? request.GetKeyword() : nullptr;
  if (keyword && xStricmp(keyword, PLAYERHISTORY_REQUEST) == 0) return true;
  request.MainChunk();
  request.FirstItem();
  return request.FindItem(PLAYERHISTORY_REQUEST) != 0;
}

// Values from..to of the current item as longs; false when one is missing or not a 32-bit number.
bool ReadLongs(CKCBL& request, int32_t from, int32_t* values, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (!request.GetLong(from + i, &values[i])) return false;
  return true;
}
}  // namespace

std::string PlayerHistoryPackSessionData(CLList& list, int32_t playerId, int32_t& rows) {
  std::string out;
  rows = 0;
  for (CNode* n = list.HeadNode(); n; n = n->m_pNext) {
    const auto* row = static_cast<const SPlayerHistoryDataRow*>(n->m_pData);
    if (!row || row->m_PlayerId != playerId) continue;
    for (int32_t value : {row->m_PlayerId, row->m_GameId, row->m_SessionId, row->m_Time, row->m_Kind, row->m_Value})
      AppendLong(out, value);
    AppendField(out, row->m_Name, sizeof row->m_Name);
    if (row->m_pData) out += row->m_pData;
    out += '\0';
    ++rows;
  }
  return out;
}

CPlayerHistoryServer::~CPlayerHistoryServer() = default;

int32_t CPlayerHistoryServer::Init(CStovaConn* db, CCommNode* replyNode) {
  m_pStova = db;
  m_pNode = replyNode;
  return 1;
}

int32_t CPlayerHistoryServer::HandleCmd(CKCBL* request, int32_t playerId) {
  if (!request || !FindRequest(*request)) return 1;
  const char* command = request->GetString(0);
  if (!command) return 1;
  const bool sessions = xStricmp(command, PLAYERHISTORY_GETSESSIONS) == 0;
  if (!sessions && xStricmp(command, PLAYERHISTORY_GETSESSIONDATA) != 0) return 1;

  if (playerId == PLAYERHISTORY_PLAYER_FROM_REQUEST && !request->GetLong(1, &playerId)) {
    xprintf(sessions ? "CPlayerHistoryServer::HandleCmd: Failed to get GetSessions parameters(cust id)."
                     : "CPlayerHistoryServer::HandleCmd: Failed to get GetPlrSessionData parameters(cust id).");
    return 0;
  }
  if (sessions) {
    int32_t v[4];  // filter, selection, first row, rows
    if (!ReadLongs(*request, 2, v, 4)) {
      xprintf("CPlayerHistoryServer::HandleCmd: Failed to get GetSessions parameters.");
      return 0;
    }
    const int32_t rows = v[3] > PLAYERHISTORY_MAX_SESSION_ROWS ? PLAYERHISTORY_MAX_SESSION_ROWS : v[3];
    return FetchSendSessions(playerId, ScaleGameFilter(v[0]), v[1], v[2] < 0 ? 0 : v[2], rows);
  }
  int32_t v[3];  // session, first row, rows
  if (!ReadLongs(*request, 2, v, 3)) {
    xprintf("CPlayerHistoryServer::HandleCmd: Failed to get GetPlrSessionData parameters.");
    return 0;
  }
  return FetchSendSessionData(playerId, v[0], v[1], v[2]);
}

int32_t CPlayerHistoryServer::FetchSendSessions(int32_t playerId, int32_t filter, int32_t selection,
                                                int32_t firstRow, int32_t rows) {
  if (!m_pStova) {
    xprintf("CPlayerHistoryServer::FetchSendSessions: No stova object!");
    return 0;
  }
  CRowList<SPlayerHistorySessionRow> list;
  if (rows < 1) return SendSessionList(playerId, list.List(), 0);
  int32_t count = -1;
  const int32_t result = m_pStova->PlayerHistoryGetPlayerSessions(static_cast<uint32_t>(playerId), filter, selection,
                                                                   firstRow, rows, &list.List(), count);
  if (!xStovaCallOk(m_pStova, result, count >= 0, "CPlayerHistoryServer::FetchSendSessions: Stova error:%s",
                    "CPlayerHistoryServer::FetchSendSessions: Stova call returned false"))
    return 0;
  return SendSessionList(playerId, list.List(), count);
}

int32_t CPlayerHistoryServer::FetchSendSessionData(int32_t playerId, int32_t session, int32_t firstRow,
                                                   int32_t rows) {
  if (!m_pStova) {
    xprintf("CPlayerHistoryServer::FetchSendSessionData: No stova object!");
    return 0;
  }
  CRowList<SPlayerHistoryDataRow> list;
  if (rows < 1) return SendResult(playerId, list.List(), 0);
  int32_t count = -1;
  const int32_t result = m_pStova->PlayerHistoryGetPlayerSessionData(session, firstRow, rows, &list.List(), count);
  if (!xStovaCallOk(m_pStova, result, count >= 0, "CPlayerHistoryServer::FetchSendSessionData: Stova error:%s",
                    "CPlayerHistoryServer::FetchSendSessions: Stova call returned false"))
    return 0;
  return SendResult(playerId, list.List(), count);
}

int32_t CPlayerHistoryServer::OpenReply(int32_t playerId, const char* who) {
  if (!m_pNode->SendInit()) {
    xprintf("CPlayerHistoryServer::%s: SendInit() failed.", who);
    return 0;
  }
  if (!m_pNode->NewChunk(KSTRING, PLAYERHISTORY_CHUNK_REPLY, KSTRING, PLAYERHISTORY_REQUEST, KLONG, playerId, KLONG,
                         0, KEND)) {
    xprintf("CPlayerHistoryServer::%s: SendEnterPrivatePlayerData(%d) failed.", who, playerId);
    m_pNode->Free();
    return 0;
  }
  return 1;
}

int32_t CPlayerHistoryServer::CloseReply(const char* who) {
  if (!m_pNode->ExitChunk()) {
    xprintf("CPlayerHistoryServer::%s: SendExitPrivatePlayerData() failed.", who);
    m_pNode->Free();
    return 0;
  }
  if (!m_pNode->SendKCBLPacket()) {
    xprintf("CPlayerHistoryServer::%s: SendKCBLPacket() failed.", who);
    return 0;
  }
  return 1;
}

int32_t CPlayerHistoryServer::SendSessionList(int32_t playerId, CLList& rows, int32_t count) {
  static const char kWho[] = "SendSessionList";
  if (!m_pNode) {
    xprintf("CPlayerHistoryServer::SendResult: No commnode!");
    return 0;
  }
  const uint32_t numRows = static_cast<uint32_t>(rows.GetNumNodes());
  if (!OpenReply(playerId, kWho)) return 0;
  if (!m_pNode->NewChunk(KSTRING, PLAYERHISTORY_CHUNK_SESSIONLIST, KULONG, numRows, KLONG, numRows ? count : 0,
                         KEND)) {
    xprintf("CPlayerHistoryServer::SendSessionList: Adding new chunk PhSessionList failed.");
    m_pNode->Free();
    return 0;
  }
  int32_t index = 0;
  for (CNode* n = rows.HeadNode(); n; n = n->m_pNext, ++index) {
    const auto* row = static_cast<const SPlayerHistorySessionRow*>(n->m_pData);
    char keyword[24];
    snprintf(keyword, sizeof keyword, "%s%d", PLAYERHISTORY_ITEM_ROW, index);
    char name[sizeof row->m_Name + 1] = {};
    memcpy(name, row->m_Name, sizeof row->m_Name);
    if (!m_pNode->NewItem(keyword, KLONG, row->m_PlayerId, KLONG, row->m_SessionId, KLONG, row->m_RoundCount, KLONG,
                          row->m_GameId, KSTRING, static_cast<const char*>(name), KLONG, row->m_TableType, KEND)) {
      xprintf("CPlayerHistoryServer::SendSessionList: Failed to add item %s", keyword);
      m_pNode->Free();
      return 0;
    }
  }
  return m_pNode->ExitChunk() && CloseReply(kWho);
}

int32_t CPlayerHistoryServer::SendResult(int32_t playerId, CLList& rows, int32_t count) {
  static const char kWho[] = "SendResult";
  if (!m_pNode) {
    xprintf("CPlayerHistoryServer::SendResult: No commnode!");
    return 0;
  }
  int32_t packed = 0;
  const std::string bytes = PlayerHistoryPackSessionData(rows, playerId, packed);
  std::unique_ptr<char[]> text;
  uint32_t textLength = 0;
  if (packed) {
    CLzss lzss;
    uint32_t codedLength = static_cast<uint32_t>(bytes.size());
    uint8_t* coded = lzss.CompressBuffer(bytes.data(), &codedLength);
    if (!coded) {
      xprintf("CPlayerHistoryServer::SendResult: Out of memory compressing %zu bytes!", bytes.size());
      return 0;
    }
    // The encoder's own size rule: a short input grows by far more than half.
    const int64_t room = UUEncodeSize(static_cast<int32_t>(codedLength)) + 1;
    text.reset(new (std::nothrow) char[static_cast<size_t>(room)]);
    if (!text) {
      xFree(coded);
      xprintf("CPlayerHistoryServer::SendResult: Out of memory allocating pSendBuffer!");
      return 0;
    }
    const int32_t written = UUEncode(coded, text.get(), static_cast<int32_t>(codedLength), static_cast<int32_t>(room));
    xFree(coded);
    if (written < 0) {
      xprintf("CPlayerHistoryServer::SendResult: UUEncode failed.");
      return 0;
    }
    text[written] = '\0';
    textLength = static_cast<uint32_t>(written) + 1;
  }
  // Rows of other players are not his: his count is what the database counted less those.
  const int32_t dropped = rows.GetNumNodes() - packed;
  const int32_t ownCount = packed ? (count - dropped > packed ? count - dropped : packed) : 0;

  if (!OpenReply(playerId, kWho)) return 0;
  if (!m_pNode->NewChunk(KSTRING, PLAYERHISTORY_CHUNK_SESSIONDATA, KULONG, textLength, KLONG, ownCount, KEND)) {
    xprintf("CPlayerHistoryServer::SendResult: Adding new chunk PhSessionData failed.");
    m_pNode->Free();
    return 0;
  }
  if (packed && !m_pNode->NewItem(PLAYERHISTORY_ITEM_DATA, KSTRING, static_cast<const char*>(text.get()), KEND)) {
    xprintf("CPlayerHistoryServer::SendResult: Failed to add item %s", PLAYERHISTORY_ITEM_DATA);
    m_pNode->Free();
    return 0;
  }
  return m_pNode->ExitChunk() && CloseReply(kWho);
}
