// Two services beside the node system that use the links in raw mode: the application-server
// client, which exchanges text documents whose body is one angle-bracket element over a socket
// (optionally under TLS), and the cluster lookup, which asks a cluster server which host serves a
// service, with KCBL records as the payload of raw packets.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"
#include "ostrelcomm/socket.h"

class CKCBL;

inline constexpr uint32_t APPSERVER_BUFFER_SIZE = 1024;
inline constexpr uint32_t APPSERVER_BUFFER_GROWTH = 512;
inline constexpr uint32_t APPSERVER_MAX_DOCUMENT = 102400;
inline constexpr uint32_t APPSERVER_MAX_ROOT_NAME = 256;

// Looks for the one element of a document: the root is the first "<" not followed by "!" or
// "?", its name runs to white space, "/" or ">"; the document is complete once "</name>" stands
// after the root's opening tag (or the opening tag closes itself). root, when already known from
// an earlier look, is used; else it is set to a new copy (xFree) once the opening tag is whole.
// 1 when complete.
int32_t xAppServerDocumentComplete(const char* text, uint32_t size, char*& root);

class CAppServerCommClient {
 public:
  CAppServerCommClient() = default;
  virtual ~CAppServerCommClient();
  CAppServerCommClient(const CAppServerCommClient&) = delete;
  CAppServerCommClient& operator=(const CAppServerCommClient&) = delete;

  int32_t Init(int32_t wait, int32_t debugCopy, int32_t waitTime);
  // Adopts an accepted socket (this object owns it from now on, also when it fails).
  int32_t Attach(int sock, int32_t encrypted, const char* keyFile);
  int32_t Connect(const char* host, uint32_t port, int32_t encrypted);
  int32_t PrepareBuffers();
  // 1 while all is well (complete tells whether a whole document is in); 0 when not connected,
  // the connection failed, or 102400 bytes came without a complete document.
  int32_t ReceiveData(int32_t& complete);
  int32_t EntirePacketReceived();
  const char* GetPacket() const { return m_pReceive ? m_pReceive : ""; }
  int32_t SetSendBuffer(const void* data, uint32_t size);
  int32_t SendData(int32_t& complete);
  int32_t Exit();
  void StateDump();

  int32_t SetService(const char* name);
  const char* GetService() const { return m_pService ? m_pService : ""; }
  char* GetReceiveBuffer() { return m_pReceive; }
  uint32_t GetReceivedSize() const { return m_Received; }
  uint8_t* GetSendBuffer() { return m_pSend; }
  uint32_t GetSendSize() const { return m_SendSize; }
  int32_t IsConnected() const { return m_Connected; }
  int GetSocket() const { return m_Socket; }
  const char* GetRootName() const { return m_pRootName; }

 private:
  int32_t JoinWaitList();
  void FreeBuffers();

  int32_t m_Wait = 0;
  int32_t m_DebugCopy = 0;
  int32_t m_WaitTime = 0;
  char* m_pService = nullptr;
  int32_t m_StartCount = 0;
  int m_Socket = -1;
  int m_Connected = 0;
  SCryptData m_Crypt;
  CSockWait* m_pWaitEntry = nullptr;
  CLList m_WaitList;
  char* m_pReceive = nullptr;
  uint32_t m_ReceiveCapacity = 0;
  uint32_t m_Received = 0;
  uint32_t m_LastChecked = 0;
  uint8_t* m_pSend = nullptr;
  uint32_t m_SendCapacity = 0;
  uint32_t m_SendSize = 0;
  uint32_t m_Sent = 0;
  uint32_t m_ElementStart = 0;
  uint32_t m_ElementEnd = 0;
  char* m_pRootName = nullptr;
};

// One variable of a cluster reply.
class CClusterServerServiceVariable {
 public:
  CClusterServerServiceVariable() = default;
  ~CClusterServerServiceVariable();
  CClusterServerServiceVariable(const CClusterServerServiceVariable&) = delete;
  CClusterServerServiceVariable& operator=(const CClusterServerServiceVariable&) = delete;
  int32_t SetVariable(const char* name, const char* value);
  int32_t IsVariable(const char* name) const;
  const char* GetVariable() const { return m_pValue ? m_pValue : ""; }
  const char* GetName() const { return m_pName ? m_pName : ""; }

 private:
  char* m_pName = nullptr;
  char* m_pValue = nullptr;
};

inline constexpr uint32_t CLUSTER_LINK_REUSE_MS = 120000;
inline constexpr uint32_t CLUSTER_STEP_TIMEOUT_MS = 5000;

// The variables are appended to the caller's list (CClusterServerServiceVariable*), which the
// caller frees with xClusterSystem_FreeVariables. server is a new text (xFree).
int32_t xClusterSystem_GetServer(const char* clusterHost, uint32_t clusterPort, const char* service, char*& server,
                                 CLList& variables);
int32_t xClusterSystem_GetProxyServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                      char*& server, uint32_t& port, int32_t& crypt);
int32_t xClusterSystem_GetCasinoServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                       char*& server, uint32_t& port);
int32_t xClusterSystem_GetChatServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                     char*& server, uint32_t& port);
int32_t xClusterSystem_GetCashierServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                        char*& server, uint32_t& port);
int32_t xClusterSystem_ExecuteFile(const char* clusterHost, uint32_t clusterPort, const char* text1,
                                   const char* text2, const char* text3, int32_t& result);
void xClusterSystem_Closedown();
void xClusterSystem_FreeVariables(CLList& variables);
// The value of the named variable of the list; null when it is not there.
const char* xClusterSystem_FindVariable(CLList& variables, const char* name);
// Reads a reply record: "clustercommandreply" with the answer name and the result, and (when
// variables is given) every "servicevariable" name and value. 0 when the answer or result is
// missing; result is a new text (xFree).
int32_t xClusterSystem_ParseReply(CKCBL& reply, const char* answer, char*& result, CLList* variables);
// Connections the shared cluster link has made so far (tests, diagnostics).
uint32_t xClusterSystem_ConnectCount();
