#include "ostrelcomm/timediff.h"

#include "ostrel/system/clock.h"
#include "ostrelcomm/commlib.h"

namespace {

constexpr uint32_t kServerTimeout = 30000;
constexpr int32_t kMaxPolls = 750;

enum : int32_t { TDS_INVALID = 0, TDS_WAITREQUEST = 1, TDS_WAITDONE = 2, TDS_FINISHED = 3 };
enum : int32_t { TDC_INVALID = 0, TDC_REQUEST = 1, TDC_WAITREQANSWER = 2, TDC_ANSWERED = 3, TDC_FINISHED = 4 };

}  // namespace

// ---- shared ----

int32_t CTimeDiffNode::Fail(const char* text) {
  m_ErrorMsg = std::string(m_pClassName) + "::" + text;
  xCommError("%s", m_ErrorMsg.c_str());
  return 0;
}

int32_t CTimeDiffNode::Named(int32_t ok) {
  if (!ok) return Fail("SetName:Node.SetName:Function failed");
  m_NameSet = 1;
  return 1;
}

int32_t CTimeDiffNode::ObjNamed(int32_t ok) { return ok ? 1 : Fail("SetObjName:Node.SetObjName:Function failed"); }

int32_t CTimeDiffNode::SetId(uint32_t id) {
  CCommNode::SetId(id);
  m_IdSet = 1;
  return 1;
}

int32_t CTimeDiffNode::SetName(const char* name) { return Named(CCommNode::SetName(name)); }
int32_t CTimeDiffNode::SetName(const char* base, const char* suffix) {
  return Named(CCommNode::SetName(base, suffix));
}
int32_t CTimeDiffNode::SetName(const char* base, uint32_t a, uint32_t b, uint32_t c) {
  return Named(CCommNode::SetName(base, a, b, c));
}
int32_t CTimeDiffNode::SetName(const char* base, const char* suffix, uint32_t a, uint32_t b, uint32_t c) {
  return Named(CCommNode::SetName(base, suffix, a, b, c));
}
int32_t CTimeDiffNode::SetObjName(const char* name) { return ObjNamed(CCommNode::SetObjName(name)); }
int32_t CTimeDiffNode::SetObjName(const char* base, const char* suffix) {
  return ObjNamed(CCommNode::SetObjName(base, suffix));
}
int32_t CTimeDiffNode::SetObjName(const char* base, uint32_t n) { return ObjNamed(CCommNode::SetObjName(base, n)); }
int32_t CTimeDiffNode::SetObjName(const char* base, const char* suffix, uint32_t n) {
  return ObjNamed(CCommNode::SetObjName(base, suffix, n));
}

int32_t CTimeDiffNode::InitNode(uint32_t type, int32_t log) {
  if (!m_NameSet) return Fail("Init:name has not been initialized");
  if (!m_IdSet) return Fail("Init: id has not been initialized");
  if (!InitCommNode(type)) return Fail("Init: InitCommNode: Function failed");
  SetLog(log);
  m_State = 1;
  return 1;
}

int32_t CTimeDiffNode::SendItem(const char* keyword, const int32_t* value) {
  if (!SendInit()) return Fail("Handler:SendInit:Function failed");
  if (!(value ? NewItem(keyword, KLONG, *value, KEND) : NewItem(keyword, KEND))) {
    Free();
    CloseSend();
    return Fail("Handler:NewItem:Function failed");
  }
  if (!SendKCBLPacket()) return Fail("Handler:SendKCBLPacket:Function failed");
  return 1;
}

void CTimeDiffNode::ResetNode() {
  m_IdSet = 0;
  m_NameSet = 0;
  m_State = 0;
  ExitCommNode();
}

// ---- server ----

CTimeDiffServer::CTimeDiffServer() : CTimeDiffNode("CTimeDiffServer"), m_CreationTime(xGetTime()) {}

CTimeDiffServer::~CTimeDiffServer() { Exit(); }

int32_t CTimeDiffServer::Init(int32_t log) { return InitNode(CNODE_SERVER, log); }

void CTimeDiffServer::Exit() {
  m_ClientDone = 0;
  ResetNode();
}

int32_t CTimeDiffServer::ReachedTimeout() const { return xTimeDiff(m_CreationTime, xGetTime()) > kServerTimeout; }

// Every record read is freed, and one that is not the expected step is passed over, so that a
// stray record neither blocks the node nor ends the exchange.
int32_t CTimeDiffServer::Handler() {
  if (!m_IdSet || !m_NameSet) return Fail("Handler:The timediffserver is not initialized");
  switch (m_State) {
    case TDS_INVALID:
      return Fail("Handler:The server is in an invalid state");
    case TDS_WAITREQUEST: {
      if (!IsDataAvailable()) return 1;
      if (!RecvKCBLPacket()) return Fail("Handler:RecvKCBLPacket:Function failed");
      if (!m_RecvKCBL.FindItem("RequestTime")) {
        RecvKCBLFree();
        xCommError("CTimeDiffServer::Handler:FindItem (RequestTime):Function failed");
        return 1;
      }
      RecvKCBLFree();
      const auto now = static_cast<int32_t>(xGetTime());
      if (!SendItem("RequestTimeAnswer", &now)) return 0;
      m_State = TDS_WAITDONE;
      return 1;
    }
    case TDS_WAITDONE: {
      if (!IsDataAvailable()) return 1;
      if (!RecvKCBLPacket()) return Fail("Handler:RecvKCBLPacket:Function failed");
      const int32_t done = m_RecvKCBL.FindItem("Done");
      RecvKCBLFree();
      if (!done) {
        xCommError("CTimeDiffServer::Handler:FindItem (Done):Function failed");
        return 1;
      }
      m_ClientDone = 1;
      m_State = TDS_FINISHED;
      return 1;
    }
    case TDS_FINISHED:
      return 1;
    default:
      m_State = TDS_INVALID;
      return 1;
  }
}

// ---- client ----

CTimeDiffClient::CTimeDiffClient() : CTimeDiffNode("CTimeDiffClient") {}

CTimeDiffClient::~CTimeDiffClient() { Exit(); }

int32_t CTimeDiffClient::Init(int32_t log) { return InitNode(CNODE_CLIENT, log); }

void CTimeDiffClient::Exit() {
  m_Done = 0;
  ResetNode();
}

int32_t CTimeDiffClient::Handler() {
  if (!m_IdSet || !m_NameSet) return Fail("Handler:The timediffserver is not initialized");
  switch (m_State) {
    case TDC_INVALID:
      return Fail("Handler:The client is in an invalid state");
    case TDC_REQUEST:
      if (!SendItem("RequestTime", nullptr)) return 0;
      m_Polls = 0;
      m_RequestTime = xGetTime();
      m_State = TDC_WAITREQANSWER;
      return 1;
    case TDC_WAITREQANSWER: {
      if (m_Polls > kMaxPolls) return Fail("Handler:TDC_WAITREQANSWER:Timed out!");
      ++m_Polls;
      if (!IsDataAvailable()) return 1;
      if (!RecvKCBLPacket()) return Fail("Handler:RecvKCBLPacket:Function failed");
      if (!m_RecvKCBL.FindItem("RequestTimeAnswer")) {
        RecvKCBLFree();
        xCommError("CTimeDiffClient::Handler:FindItem (RequestTimeAnswer):Function failed");
        return 1;
      }
      int32_t answer;
      const int32_t read = m_RecvKCBL.GetLong(0, &answer);
      RecvKCBLFree();
      if (!read) return Fail("Handler:GetLong:Function failed");
      // The server time now: its answer plus the whole round trip.
      const uint32_t now = xGetTime();
      m_ServerTime = static_cast<uint32_t>(answer) + (now - m_RequestTime);
      if (static_cast<int32_t>(m_ServerTime - now) <= 0) {
        m_Sign = 2;
        m_Offset = now - m_ServerTime;
      } else {
        m_Sign = 1;
        m_Offset = m_ServerTime - now;
      }
      m_State = TDC_ANSWERED;
      return 1;
    }
    case TDC_ANSWERED:
      if (!SendItem("Done", nullptr)) return 0;
      m_Done = 1;
      m_State = TDC_FINISHED;
      return 1;
    case TDC_FINISHED:
      return 1;
    default:
      m_State = TDC_INVALID;
      return 1;
  }
}

int32_t CTimeDiffClient::GetTimeDiff(uint32_t serverTime) const {
  uint32_t local = serverTime;
  if (m_Sign == 1) local = serverTime - m_Offset;
  if (m_Sign == 2) local = serverTime + m_Offset;
  return static_cast<int32_t>(xGetTime() - local);
}
