// The info connection's peers and surroundings: the fake info server of tests/tools as a process
// of its own, a resource script "xrs/filemap.xrs" written per test into a working folder of its
// own, a progress recorder that paces the passes, and a connection that records its messages.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/info/infoconnection.h"
#include "support/runtimefixture.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"

// tests/tools/fake_info_server.py: orders go to it as lines, its events come back as lines.
class CFakeInfoServer {
 public:
  // flags: "--proxy", "--tls".
  bool Start(const std::vector<std::string>& flags = {});
  uint16_t Port() const { return m_Port; }
  // Queues the answer to the next request of kind ("connection", "info", "filemap"): the steps as
  // the server takes them (hex bytes, "close", "map"). True once the server acknowledged it.
  bool On(const std::string& kind, const std::vector<std::string>& steps);
  bool Map(const std::string& path);
  void Order(const std::string& line) { m_Process.WriteLine(line); }
  // Events read so far that begin with prefix (without it), oldest first.
  std::vector<std::string> Seen(const std::string& prefix) const;
  // Reads events until one with the prefix has been seen count times (false after a few seconds).
  bool WaitFor(const std::string& prefix, size_t count = 1);
  // Reads what the server reported within ms.
  void Drain(int ms);

 private:
  bool ReadOne(int ms);

  CSpawnedChild m_Process;
  uint16_t m_Port = 0;
  std::vector<std::string> m_Events;
};

// Bytes as hex text, and a text as it goes on the wire (with its NUL) in hex.
std::string Hex(const std::string& bytes);
std::string Wire(const std::string& text);

// A resource script "xrs/filemap.xrs": the data chunk, the strings and the server chunk.
class CInfoScript {
 public:
  // Time-outs generous enough for any answer on loopback; tests that count passes set their own.
  CInfoScript();
  CInfoScript& Timeout(const std::string& key, uint32_t passes);
  CInfoScript& NoTimeout(const std::string& key);
  CInfoScript& String(int32_t id, const std::string& text);
  // The first server, as strings 10000-10006 (address, casino, port, proxy flag, proxy scrambling
  // flag, proxy address, proxy port).
  CInfoScript& FirstServer(const std::string& address, uint16_t port, const std::string& casino = "Vorrin");
  // A "server" item of the server chunk with these values as they stand.
  CInfoScript& Item(const std::vector<std::string>& values);
  CInfoScript& Server(const std::string& address, uint16_t port, const std::string& casino = "Vorrin");
  std::string Text() const;
  void Write(const std::string& path) const;

 private:
  std::map<std::string, uint32_t> m_Timeouts;
  std::map<int32_t, std::string> m_Strings;
  std::vector<std::vector<std::string>> m_Items;
};

struct SProgressCall {
  int32_t m_Total;
  int32_t m_Current;
  bool operator==(const SProgressCall& o) const { return m_Total == o.m_Total && m_Current == o.m_Current; }
};

// Records every call and sleeps a little on each, so that a pass takes real time as a frame would.
class CRecordingProgress : public IInfoConnectionProgress {
 public:
  void Progress(int32_t total, int32_t current) override;
  void Done() override;

  std::vector<SProgressCall> m_Calls;
  // The number of calls of Progress made when Done came (-1: it did not).
  int32_t m_DoneAt = -1;
  int32_t m_DoneCount = 0;
  // Called after each Progress with the number of calls so far.
  std::function<void(size_t)> m_OnPass;
};

class CRecordingInfoConnection : public CInfoConnection {
 public:
  std::vector<std::string> m_Messages;  // "caption|text"

 protected:
  void ShowMessage(const char* caption, const char* text) override;
};

// A process with the runtime and the communication library started, working in a fresh folder.
class CInfoTest : public CRuntimeTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  void WriteScript(const CInfoScript& script) { script.Write(m_Dir.File("xrs/filemap.xrs")); }
  std::string File(const std::string& name) const { return m_Dir.File(name); }
  // Starts the fake server (flags as for Start) and writes a script naming it as the only server.
  void StartServer(const std::vector<std::string>& flags = {});
  // Holds the next request's first waiting pass until the server has sent all its queued answer
  // to a request of kind, so that the answer counts against the time-out however busy the
  // machine is.
  void AwaitAnswerOnFirstWait(const std::string& kind);
  // The first server made current and connected with an answer "Accepted"; asserts success.
  void Connect();
  // The connection request again on the current server (the progress record starts afresh).
  void Reconnect();

  CTempDir m_Dir;
  std::unique_ptr<CWorkingDir> m_pWorkingDir;
  CFakeInfoServer m_Server;
  CInfoScript m_Script;
  CRecordingProgress m_Progress;
  std::unique_ptr<CRecordingInfoConnection> m_pInfo;
};

// A loopback port on which nothing listens (held bound for the life of the object).
class CClosedPort {
 public:
  CClosedPort();
  ~CClosedPort();
  uint16_t Port() const { return m_Port; }

 private:
  int m_Socket = -1;
  uint16_t m_Port = 0;
};
