// Window messages between two real processes: this test program and the peer program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "ostrel/system/frameloop.h"
#include "ostrel/system/otherwindows.h"
#include "ostrel/system/winmsg.h"
#include "platform/clock/clock.h"
#include "platform/display/display.h"
#include "platform/ipc/windowlink.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"
#include "support/runtimefixture.h"

namespace {
std::string Title(const char* role) { return "Vorrin Test " + std::to_string(getpid()) + " " + role; }

class CClientSide : public CWinMsg {
 public:
  intptr_t WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    m_Seen.push_back({message, wParam, lParam});
    return 70 + static_cast<intptr_t>(wParam);
  }
  std::vector<TPlatformMessage> m_Seen;
};

// This process with its main window open under a title of its own, as the client would be.
// Sends that are answered never look at the clock; the tests that wait for none set their own.
class OtherWindows : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    xSetMainWindowTitle(m_Own.c_str());
    RegisterWinMsg(&m_Client, XMSG_CASINO_INSTALLER);
  }

  void StartPeer(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"window", m_Peer, m_Own};
    args.insert(args.end(), extra.begin(), extra.end());
    ASSERT_TRUE(m_Process.StartProgram("sysservices_child", args));
    ASSERT_TRUE(m_Process.WaitFor("ready"));
  }

  // Runs frames until the client side has seen n messages (or ten seconds have passed).
  void PumpUntilSeen(size_t n) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m_Client.m_Seen.size() < n && std::chrono::steady_clock::now() < end) {
      xHandler();
      usleep(1000);
    }
  }

  std::string m_Own = Title("Client");
  std::string m_Peer = Title("Installer");
  CClientSide m_Client;
  CSpawnedChild m_Process;
};

uint32_t g_SteppingNow = 0;
uint32_t SteppingClock() { return g_SteppingNow += 250; }
}  // namespace

TEST_F(OtherWindows, SendWaitsWhileThePeerAnswersWithASendOfItsOwn) {
  StartPeer();
  intptr_t result = 0;
  ASSERT_EQ(xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 1, 42, &result), 1);
  EXPECT_EQ(result, 1042);
  // The peer's progress report reached us while we waited, and it got our answer.
  ASSERT_EQ(m_Client.m_Seen.size(), 1u);
  EXPECT_EQ(m_Client.m_Seen[0].message, XMSG_CASINO_INSTALLER);
  EXPECT_EQ(m_Client.m_Seen[0].wParam, 2u);
  EXPECT_EQ(m_Client.m_Seen[0].lParam, 42);
  EXPECT_TRUE(m_Process.WaitFor("got 32769 1 42"));
  EXPECT_TRUE(m_Process.WaitFor("nested 1 72"));

  ASSERT_EQ(xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 6, 0, &result), 1);
  EXPECT_EQ(result, 600);
  EXPECT_TRUE(m_Process.WaitFor("bye"));
  EXPECT_EQ(m_Process.Wait(), 0);
  EXPECT_EQ(xFindWindow(m_Peer.c_str()), 0);
  EXPECT_EQ(xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 6, 0), 0);
}

TEST_F(OtherWindows, MessagesFromThePeerArriveInTheFramePump) {
  StartPeer({"send", "32769", "3", "-5"});
  PumpUntilSeen(1);
  ASSERT_EQ(m_Client.m_Seen.size(), 1u);
  EXPECT_EQ(m_Client.m_Seen[0].wParam, 3u);
  // lParam travels as the signed 32-bit value it was sent as.
  EXPECT_EQ(m_Client.m_Seen[0].lParam, -5);
  EXPECT_TRUE(m_Process.WaitFor("sent 1 73"));
  xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 6, 0);
}

TEST_F(OtherWindows, FindRaiseAndMinimiseReachTheOtherProgram) {
  StartPeer();
  EXPECT_EQ(xFindWindow(m_Peer.c_str()), 1);
  std::string shouted = m_Peer;
  for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(xFindWindow(shouted.c_str()), 1) << "titles are found without regard to case";
  EXPECT_EQ(xFindWindow(Title("Nobody").c_str()), 0);
  EXPECT_EQ(xFindWindow(nullptr), 0);

  EXPECT_EQ(xSetWindowMiniMized(m_Peer.c_str()), 1);
  EXPECT_TRUE(m_Process.WaitFor("minimised"));
  EXPECT_EQ(xSetForegroundWindow(m_Peer.c_str()), 1);
  EXPECT_TRUE(m_Process.WaitFor("raised"));
  EXPECT_EQ(xSetForegroundWindow(Title("Nobody").c_str()), 0);
  EXPECT_EQ(xSetWindowMiniMized(Title("Nobody").c_str()), 0);
  xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 6, 0);
}

// Programs of another desktop session (a runtime folder of their own, as each test of a parallel
// run has) do not see each other's windows, even under the same title.
TEST_F(OtherWindows, AWindowOfAnotherSessionIsNotFound) {
  CTempDir session;
  const char* own = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = own ? own : "";
  setenv("XDG_RUNTIME_DIR", session.Path().c_str(), 1);
  const bool started = m_Process.StartProgram("sysservices_child", {"window", m_Peer, m_Own});
  if (own)
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(started);
  ASSERT_TRUE(m_Process.WaitFor("ready"));
  EXPECT_EQ(xFindWindow(m_Peer.c_str()), 0);
  m_Process.Kill(SIGTERM);
}

TEST_F(OtherWindows, SendToAHungProgramGivesUpAfterTheTimeOut) {
  ASSERT_TRUE(m_Process.StartProgram("sysservices_child", {"hang", m_Peer}));
  ASSERT_TRUE(m_Process.WaitFor("ready"));
  EXPECT_EQ(xFindWindow(m_Peer.c_str()), 1);
  // Every reading of the clock moves it on by a quarter second.
  g_SteppingNow = 0;
  PlatformSetClock(SteppingClock);
  intptr_t result = 99;
  const int32_t sent = xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 1, 1, &result);
  const uint32_t waited = g_SteppingNow;
  PlatformSetClock(nullptr);
  EXPECT_EQ(sent, 0);
  EXPECT_EQ(result, 99);
  EXPECT_GE(waited, XSENDMESSAGE_TIMEOUT_MS);
  EXPECT_LE(waited, XSENDMESSAGE_TIMEOUT_MS + 1000);
}

TEST_F(OtherWindows, APeerThatDiesWhileWeWaitEndsTheWait) {
  ASSERT_TRUE(m_Process.StartProgram("sysservices_child", {"hang", m_Peer}));
  ASSERT_TRUE(m_Process.WaitFor("ready"));
  // A clock that never moves: only the peer's end can stop the wait.
  PlatformSetClock([] { return 5u; });
  const pid_t peer = m_Process.Pid();
  const pid_t killer = fork();
  ASSERT_GE(killer, 0);
  if (killer == 0) {
    usleep(200000);
    kill(peer, SIGKILL);
    _exit(0);
  }
  const int32_t sent = xSendMessageToApplication(m_Peer.c_str(), XMSG_CASINO_INSTALLER, 1, 1);
  PlatformSetClock(nullptr);
  EXPECT_EQ(sent, 0);
  waitpid(killer, nullptr, 0);
}

TEST_F(OtherWindows, SendingToTheOwnWindowCallsTheOwnReceivers) {
  intptr_t result = 0;
  ASSERT_EQ(xSendMessageToApplication(m_Own.c_str(), XMSG_CASINO_INSTALLER, 4, 9, &result), 1);
  EXPECT_EQ(result, 74);
  ASSERT_EQ(m_Client.m_Seen.size(), 1u);
  EXPECT_EQ(m_Client.m_Seen[0].lParam, 9);
  // Minimising oneself by title happens at the next frame.
  EXPECT_EQ(xSetWindowMiniMized(m_Own.c_str()), 1);
  EXPECT_FALSE(PlatformDisplay()->IsWindowMinimized());
  xHandler();
  EXPECT_TRUE(PlatformDisplay()->IsWindowMinimized());
}

TEST_F(OtherWindows, ANewTitleIsFoundAndTheOldOneIsNot) {
  const std::string renamed = Title("Renamed");
  xSetMainWindowTitle(renamed.c_str());
  EXPECT_EQ(xFindWindow(renamed.c_str()), 1);
  EXPECT_EQ(xFindWindow(m_Own.c_str()), 0);
  intptr_t result = 0;
  EXPECT_EQ(xSendMessageToApplication(renamed.c_str(), XMSG_CASINO_INSTALLER, 5, 0, &result), 1);
  EXPECT_EQ(result, 75);
  xExit();
  EXPECT_EQ(xFindWindow(renamed.c_str()), 0) << "the link closes with the window";
}

TEST(WindowRequests, OnlyWellFormedRequestsDecode) {
  uint8_t wire[XWINREQ_SIZE];
  PlatformEncodeWindowRequest({XWINREQ_MESSAGE, 32769, -1, 0x7FFFFFFF}, wire);
  TWindowRequest r{};
  ASSERT_TRUE(PlatformDecodeWindowRequest(wire, sizeof wire, r));
  EXPECT_EQ(r.m_Message, 32769u);
  EXPECT_EQ(r.m_WParam, -1);
  EXPECT_EQ(r.m_LParam, 0x7FFFFFFF);
  EXPECT_FALSE(PlatformDecodeWindowRequest(wire, sizeof wire - 1, r));
  EXPECT_FALSE(PlatformDecodeWindowRequest(nullptr, 0, r));
  for (uint32_t kind : {0u, 4u}) {
    PlatformEncodeWindowRequest({kind, 1, 0, 0}, wire);
    EXPECT_FALSE(PlatformDecodeWindowRequest(wire, sizeof wire, r)) << kind;
  }
  PlatformEncodeWindowRequest({XWINREQ_RAISE, 1, 0, 0}, wire);
  wire[0] ^= 1;
  EXPECT_FALSE(PlatformDecodeWindowRequest(wire, sizeof wire, r));
}
