#include "ftpfixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ostrel/base/types.h"

void FtpClientTest::SetUp() {
  m_Client.LogEnable();
  ASSERT_EQ(m_Client.Startup(), 1);
  m_Client.SetBlockingConnectOff();
}

void FtpClientTest::ConnectTo(uint16_t port) {
  ASSERT_EQ(m_Client.Connect("127.0.0.1", port), 1) << ErrorText();
}

EFtpRun FtpClientTest::Run(uint32_t advanceMs, int maxSteps) {
  for (int i = 0; i < maxSteps; ++i) {
    if (!m_Client.Update()) return EFtpRun::Failed;
    if (m_Client.IsWaitingForUserCommands() && !m_Client.IsUserCommands()) return EFtpRun::Idle;
    m_Clock.Advance(advanceMs);
    // The servers run in other processes: give them a moment between frames.
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return EFtpRun::Stuck;
}

bool FtpClientTest::RunTo(int32_t state, uint32_t advanceMs, int maxSteps) {
  for (int i = 0; i < maxSteps; ++i) {
    if (m_Client.GetState() == state) return true;
    if (!m_Client.Update()) return false;
    m_Clock.Advance(advanceMs);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return m_Client.GetState() == state;
}

std::vector<SFtpNote> FtpClientTest::TakeNotes() {
  return TakeDownloadNotes(m_Client);
}

int FtpClientTest::FullLogCount(const std::string& text) const {
  const std::string log = FullLog();
  int count = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
  return count;
}

bool FtpClientTest::Fetch(const std::string& remote, const std::string& content, uint32_t advanceMs) {
  if (!m_Client.RetrieveFile(Local(remote).c_str(), remote.c_str())) return false;
  if (Run(advanceMs) != EFtpRun::Idle) return false;
  return ReadWholeFile(Local(remote)) == content;
}

uint16_t DeadLoopbackPort() { return FreeLoopbackPort(); }

CSilentListener::CSilentListener(uint32_t address, uint16_t port) {
  m_Socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  socklen_t length = sizeof sa;
  if (m_Socket >= 0 && bind(m_Socket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 &&
      listen(m_Socket, 8) == 0 && getsockname(m_Socket, reinterpret_cast<sockaddr*>(&sa), &length) == 0)
    m_Port = ntohs(sa.sin_port);
}

int CSilentListener::TakeConnections() {
  int count = 0;
  if (m_Socket >= 0) fcntl(m_Socket, F_SETFL, fcntl(m_Socket, F_GETFL) | O_NONBLOCK);
  for (int fd; m_Socket >= 0 && (fd = accept4(m_Socket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0; ++count)
    close(fd);
  return count;
}

CSilentListener::~CSilentListener() {
  if (m_Socket >= 0) close(m_Socket);
}
