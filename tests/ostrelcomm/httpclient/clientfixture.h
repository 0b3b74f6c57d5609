// An HTTP client started in a fresh working folder with the download log on, driven step by step
// on a test clock.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrelcomm/httpclient/httpclient.h"
#include "support/tempdir.h"
#include "support/testclock.h"
#include "support/downloadnotes.h"

using SNote = SDownloadNote;

// How a run ended.
enum class ERun { Idle, Failed, Stuck };

class HTTPClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Updates until the client is idle with nothing queued, or an Update fails, or maxSteps have
  // run. The test clock moves on by advanceMs after every step.
  ERun Run(uint32_t advanceMs = 0, int maxSteps = 20000);
  ERun Run(CHTTPClient& client, uint32_t advanceMs = 0, int maxSteps = 20000);
  // Every note waiting, oldest first.
  std::vector<SNote> TakeNotes(CHTTPClient& client);
  std::vector<SNote> TakeNotes() { return TakeNotes(m_Client); }
  // The texts of the download log's lines.
  std::vector<std::string> LogLines() const;
  // How many log lines hold the text.
  int LogCount(const std::string& text) const;
  std::string Local(const std::string& name) const { return m_Dir.File(name); }

  CTestClock m_Clock{1000};
  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
  CHTTPClient m_Client;
};
