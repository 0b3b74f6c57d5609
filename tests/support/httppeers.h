// Real HTTP servers on 127.0.0.1 for the HTTP client's tests: nginx with its own prefix and
// configuration, and the Python fault server of tests/tools. Each test starts its own and stops it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/tempdir.h"

// A server program run as a child process, its output and errors going to a file.
class CPeerProcess {
 public:
  CPeerProcess() = default;
  ~CPeerProcess() { Stop(); }
  CPeerProcess(const CPeerProcess&) = delete;
  CPeerProcess& operator=(const CPeerProcess&) = delete;

  // argv[0] is looked up on PATH.
  bool Start(const std::vector<std::string>& argv, const std::string& outputFile);
  bool Running();
  // SIGTERM, and SIGKILL when it has not ended after a few seconds.
  void Stop();

 private:
  pid_t m_Pid = -1;
};

// Standard output of a program run to its end; empty when it failed.
std::string RunForOutput(const std::vector<std::string>& argv);
// A port on 127.0.0.1 that nobody listened on a moment ago.
uint16_t FreeLoopbackPort();
// Waits (real time, a few seconds at most) until something accepts connections on the port.
bool WaitForPort(uint16_t port, CPeerProcess& process);

// nginx serving the folder Www() on a free port, with Basic authorisation on "/secret/" and an
// access log that names each request's connection.
class CNginxPeer {
 public:
  static constexpr const char* kLogin = "player";
  static constexpr const char* kPassword = "s3cret pass:word";

  // Files to serve are written below Www() before or after Start. With tls, it serves HTTPS only,
  // under a self-signed certificate for "localhost" made for this start.
  bool Start(bool tls = false);
  void Stop() { m_Process.Stop(); }
  uint16_t Port() const { return m_Port; }
  std::string Www() const { return m_Dir.File("www"); }
  // "connection requests status request-line" for each request served so far.
  std::vector<std::string> AccessLog() const;

 private:
  CTempDir m_Dir;
  CPeerProcess m_Process;
  uint16_t m_Port = 0;
};

// tests/tools/http_fault_server.py serving the folder Files().
class CFaultServer {
 public:
  bool Start();
  uint16_t Port() const { return m_Port; }
  std::string Files() const { return m_Dir.File("files"); }
  // The "request TARGET RANGE" lines it has printed.
  std::vector<std::string> Requests() const;

 private:
  CTempDir m_Dir;
  CPeerProcess m_Process;
  uint16_t m_Port = 0;
};

// Bytes that do not repeat in any short stretch, the same for the same seed.
std::string TestContent(size_t size, uint32_t seed);
