// The request/answer channel on a local socket. A server Creates it under a name and answers
// each request with one Write; any number of clients Open it, and each Read asks for one answer
// and waits for it. Names that start with '/' are socket paths; others live in the runtime
// folder. Every request carries a number that its answer repeats, so an answer that comes too
// late for its request is dropped and never taken for the answer to the next one. Each client
// has a connection of its own, so no lock between clients is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/system/namedpipebase.h"

// Room for the answer's data, as in the shared block of 1024 bytes behind a 4-byte length.
inline constexpr uint32_t NAMEDPIPE_BLOCK = 1024;
inline constexpr uint32_t NAMEDPIPE_MAX_DATA = NAMEDPIPE_BLOCK - 4;

class CNamedPipe : public CNamedPipeBase {
 public:
  CNamedPipe() = default;
  ~CNamedPipe() override;
  CNamedPipe(const CNamedPipe&) = delete;
  CNamedPipe& operator=(const CNamedPipe&) = delete;

  // Server: 0 for a null or empty name, or when a live server has the name already.
  int Create(const char* name, uint32_t timeout) override;
  // Client: 0 when no server listens under the name.
  int Open(const char* name, uint32_t timeout) override;
  int Close() override;
  // Server: answers the request that ClientReading took; 0 above 1020 bytes, without a pending
  // request, or when the client cannot take it.
  int Write(const void* data, uint32_t size) override;
  // Client: 1 with got set when an answer of at most size bytes came within the timeout; a
  // larger answer gives 0 and leaves got as it was.
  int Read(void* buffer, uint32_t size, uint32_t& got) override;
  // Server: waits up to the timeout for a request of any client; 1 when one came.
  int ClientReading() override;

  // The socket path a channel name stands for (empty when it has none).
  static std::string SocketPath(const char* name);

 private:
  void DropClient(size_t index);

  int m_hListen = -1;
  int m_hConn = -1;
  std::string m_Path;
  uint32_t m_Timeout = 0;
  // Client side: the number of the last request.
  uint32_t m_Seq = 0;
  // Server side: the clients, and the one whose request waits for its answer.
  std::vector<int> m_Clients;
  int m_hAsker = -1;
  uint32_t m_AskerSeq = 0;
  size_t m_NextClient = 0;
};
