// Measuring the offset between the server's millisecond clock and ours, so that time stamps the
// server sends (deadlines, time-outs) can be read on the local clock. The client node asks once
// ("RequestTime"), the server node of the same id and name answers with its clock
// ("RequestTimeAnswer"), and the client confirms ("Done"). Both are polled once a frame through
// Handler(). All clock arithmetic wraps in 32 bits, like the clock.
#pragma once

#include <cstdint>
#include <string>

#include "ostrelcomm/commnode.h"

// What the two ends share: naming that remembers it was done, and the last error text.
class CTimeDiffNode : public CCommNode {
 public:
  int32_t SetId(uint32_t id);
  int32_t SetName(const char* name);
  int32_t SetName(const char* base, const char* suffix);
  int32_t SetName(const char* base, uint32_t a, uint32_t b, uint32_t c);
  int32_t SetName(const char* base, const char* suffix, uint32_t a, uint32_t b, uint32_t c);
  int32_t SetObjName(const char* name);
  int32_t SetObjName(const char* base, const char* suffix);
  int32_t SetObjName(const char* base, uint32_t n);
  int32_t SetObjName(const char* base, const char* suffix, uint32_t n);
  // The last error, or null.
  const char* GetErrorMsg() const { return m_ErrorMsg.empty() ? nullptr : m_ErrorMsg.c_str(); }

 protected:
  explicit CTimeDiffNode(const char* className) : m_pClassName(className) {}
  // Stores "<class>::<text>" and returns 0.
  int32_t Fail(const char* text);
  int32_t Named(int32_t ok);
  int32_t ObjNamed(int32_t ok);
  // Starts the node as the given type; the texts name what was missing.
  int32_t InitNode(uint32_t type, int32_t log);
  // Sends a record holding the one item; on failure the record is cleared and the send closed.
  int32_t SendItem(const char* keyword, const int32_t* value);
  void ResetNode();

  const char* m_pClassName;
  int32_t m_IdSet = 0;
  int32_t m_NameSet = 0;
  int32_t m_State = 0;
  std::string m_ErrorMsg;
};

class CTimeDiffServer : public CTimeDiffNode {
 public:
  CTimeDiffServer();
  ~CTimeDiffServer() override;

  // Starts the node as CNODE_SERVER with its log on or off; state 1.
  int32_t Init(int32_t log);
  // One step: answers the request (state 1), waits for "Done" (state 2). 0 on failure.
  int32_t Handler();
  void Exit();
  int32_t IsClientDone() const { return m_ClientDone; }
  // 1 once more than 30000 ms have passed since construction.
  int32_t ReachedTimeout() const;

 private:
  int32_t m_ClientDone = 0;
  uint32_t m_CreationTime;
};

class CTimeDiffClient : public CTimeDiffNode {
 public:
  CTimeDiffClient();
  ~CTimeDiffClient() override;

  // Starts the node as CNODE_CLIENT with its log on or off; state 1.
  int32_t Init(int32_t log);
  // One step: asks (state 1), waits at most 751 calls for the answer (state 2), confirms
  // (state 3). 0 on failure.
  int32_t Handler();
  void Exit();
  int32_t IsClientDone() const { return m_Done; }
  // Milliseconds from the server's time stamp to now on the local clock (negative for a stamp
  // still ahead); before a measurement the stamp is taken as local.
  int32_t GetTimeDiff(uint32_t serverTime) const;

  // 0 none, 1 the server is ahead, 2 behind or equal.
  int32_t GetSign() const { return m_Sign; }
  uint32_t GetOffset() const { return m_Offset; }

 private:
  int32_t m_Polls = 0;
  uint32_t m_RequestTime = 0;
  uint32_t m_ServerTime = 0;
  uint32_t m_Offset = 0;
  int32_t m_Sign = 0;
  int32_t m_Done = 0;
};
