#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ostrel/system/sysservices.h"
#include "ostrel/system/winmsg.h"
#include "support/runtimefixture.h"

namespace {
class CRecorder : public CWinMsg {
 public:
  explicit CRecorder(intptr_t result = 0) : m_Result(result) {}
  intptr_t WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    m_Seen.push_back({message, wParam, lParam});
    if (m_OnCall) m_OnCall();
    return m_Result;
  }
  std::vector<TPlatformMessage> m_Seen;
  intptr_t m_Result;
  std::function<void()> m_OnCall;
};

using WindowMessages = CRuntimeTest;
}  // namespace

TEST_F(WindowMessages, ReceiversRegisteredTwiceAreCalledOnce) {
  CRecorder r;
  EXPECT_EQ(RegisterWinMsg(&r, XMSG_KEYDOWN), 1);
  EXPECT_EQ(RegisterWinMsg(&r, XMSG_KEYDOWN), 1);
  Post(XMSG_KEYDOWN, 65, 0x1E0001);
  Post(XMSG_KEYUP, 65, 0);
  xHandler();
  ASSERT_EQ(r.m_Seen.size(), 1u);
  EXPECT_EQ(r.m_Seen[0].wParam, 65u);
  EXPECT_EQ(r.m_Seen[0].lParam, 0x1E0001);
}

TEST_F(WindowMessages, ResultIsTheFirstNonZeroAndEveryReceiverRuns) {
  CRecorder zero(0), five(5), nine(9);
  RegisterWinMsg(&zero, XMSG_CHAR);
  RegisterWinMsg(&five, XMSG_CHAR);
  RegisterWinMsg(&nine, XMSG_CHAR);
  EXPECT_EQ(SystemWindowProc(sglb->m_hMainWnd, XMSG_CHAR, 'a', 0), 5);
  EXPECT_EQ(nine.m_Seen.size(), 1u);
  EXPECT_EQ(SystemWindowProc(sglb->m_hMainWnd, XMSG_PAINT, 0, 0), 0);
}

TEST_F(WindowMessages, UnregisteringDuringDispatchIsSafe) {
  CRecorder first, second;
  auto* third = new CRecorder;
  RegisterWinMsg(&first, XMSG_MOUSEMOVE);
  RegisterWinMsg(&second, XMSG_MOUSEMOVE);
  RegisterWinMsg(third, XMSG_MOUSEMOVE);
  first.m_OnCall = [&] {
    UnRegisterWinMsgAll(&first);
    delete third;
    third = nullptr;
  };
  SystemWindowProc(nullptr, XMSG_MOUSEMOVE, 0, XMakePointParam(3, 4));
  EXPECT_EQ(first.m_Seen.size(), 1u);
  EXPECT_EQ(second.m_Seen.size(), 1u);
  SystemWindowProc(nullptr, XMSG_MOUSEMOVE, 0, 0);
  EXPECT_EQ(first.m_Seen.size(), 1u);
  EXPECT_EQ(second.m_Seen.size(), 2u);
}

TEST_F(WindowMessages, CloseSetsTheQuitFlagAndStillReachesReceivers) {
  CRecorder r;
  RegisterWinMsg(&r, XMSG_CLOSE);
  EXPECT_EQ(xDoUserWantToQuit(), 0);
  SystemWindowProc(sglb->m_hMainWnd, XMSG_CLOSE, 0, 0);
  EXPECT_EQ(xDoUserWantToQuit(), 1);
  EXPECT_EQ(r.m_Seen.size(), 1u);
}

TEST_F(WindowMessages, UnRegisterRemovesOnlyThatPair) {
  CRecorder r;
  RegisterWinMsg(&r, XMSG_KEYDOWN);
  RegisterWinMsg(&r, XMSG_KEYUP);
  UnRegisterWinMsg(&r, XMSG_KEYDOWN);
  SystemWindowProc(nullptr, XMSG_KEYDOWN, 0, 0);
  SystemWindowProc(nullptr, XMSG_KEYUP, 0, 0);
  ASSERT_EQ(r.m_Seen.size(), 1u);
  EXPECT_EQ(r.m_Seen[0].message, XMSG_KEYUP);
}
