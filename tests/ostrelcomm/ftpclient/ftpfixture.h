// An FTP client started in a fresh working folder with its logs on, driven step by step on a test
// clock against real servers on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrelcomm/download/ftpclient.h"
#include "support/ftppeers.h"
#include "support/tempdir.h"
#include "support/testclock.h"
#include "support/downloadnotes.h"

using SFtpNote = SDownloadNote;

enum class EFtpRun { Idle, Failed, Stuck };

class FtpClientTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Updates until the client is logged in and idle with nothing queued, or an Update fails, or
  // maxSteps have run. The test clock moves on by advanceMs after every step.
  EFtpRun Run(uint32_t advanceMs = 1, int maxSteps = 20000);
  // Updates until the state is reached (true) or an Update fails or maxSteps have run.
  bool RunTo(int32_t state, uint32_t advanceMs = 1, int maxSteps = 20000);
  std::vector<SFtpNote> TakeNotes();
  std::string Local(const std::string& name) const { return m_Dir.File(name); }
  std::string FullLog() const { return ReadWholeFile(m_Dir.File(FTP_LOG_FULL)); }
  int FullLogCount(const std::string& text) const;
  std::string ErrorText() const { return m_Client.FtpGetErrorTxt(); }
  // Connects to 127.0.0.1 on port, without blocking.
  void ConnectTo(uint16_t port);
  // Runs one download of remote into a local file of the same name; true when it came whole
  // and equal to the content.
  bool Fetch(const std::string& remote, const std::string& content, uint32_t advanceMs = 1);

  CTestClock m_Clock{1000};
  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
  CFtpClient m_Client;
};

// A port on 127.0.0.1 where nothing listens, for dead sites and wrong data ports.
uint16_t DeadLoopbackPort();

// A socket on 127.0.0.1 that listens but never accepts, reads or writes: connections to it are
// made and then hear nothing.
class CSilentListener {
 public:
  // address in host order (127.0.0.1 unless given); port 0: one the system picks.
  explicit CSilentListener(uint32_t address = 0x7F000001u, uint16_t port = 0);
  ~CSilentListener();
  CSilentListener(const CSilentListener&) = delete;
  CSilentListener& operator=(const CSilentListener&) = delete;
  uint16_t Port() const { return m_Port; }
  // How many connections have come in so far (each is taken and closed).
  int TakeConnections();

 private:
  int m_Socket = -1;
  uint16_t m_Port = 0;
};
