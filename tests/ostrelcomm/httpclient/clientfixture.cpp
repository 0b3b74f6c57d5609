#include "clientfixture.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "ostrel/base/types.h"

void HTTPClientTest::SetUp() {
  CDownloadClient::SetLogSwitch(1);
  ASSERT_EQ(m_Client.Startup(), 1);
}

void HTTPClientTest::TearDown() { CDownloadClient::SetLogSwitch(0); }

ERun HTTPClientTest::Run(uint32_t advanceMs, int maxSteps) { return Run(m_Client, advanceMs, maxSteps); }

ERun HTTPClientTest::Run(CHTTPClient& client, uint32_t advanceMs, int maxSteps) {
  for (int i = 0; i < maxSteps; ++i) {
    if (!client.Update()) return ERun::Failed;
    if (client.IsWaitingForUserCommands()) return ERun::Idle;
    m_Clock.Advance(advanceMs);
    // The servers run in other processes: give them a moment between frames.
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return ERun::Stuck;
}

std::vector<SNote> HTTPClientTest::TakeNotes(CHTTPClient& client) {
  return TakeDownloadNotes(client);
}

std::vector<std::string> HTTPClientTest::LogLines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadWholeFile(m_Dir.File(DOWNLOAD_LOG_NAME)));
  for (std::string line; std::getline(in, line);) {
    // "%6.2f  text": the text stands behind the seconds and two blanks.
    const size_t text = line.find("  ", line.find_first_not_of(' '));
    lines.push_back(text == std::string::npos ? line : line.substr(text + 2));
  }
  return lines;
}

int HTTPClientTest::LogCount(const std::string& text) const {
  int count = 0;
  for (const std::string& line : LogLines())
    if (line.find(text) != std::string::npos) ++count;
  return count;
}
