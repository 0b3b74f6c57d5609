#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ostrel/system/msgsys.h"
#include "support/runtimefixture.h"

namespace {
std::vector<std::string> g_Calls;

class CNamedReceiver : public CMsgSys {
 public:
  explicit CNamedReceiver(std::string name) : m_Name(std::move(name)) {}
  int32_t MsgHandler(uint32_t message, TMsgParam a, TMsgParam b) override {
    g_Calls.push_back(m_Name + ":" + std::to_string(message) + ":" + std::to_string(a) + ":" + std::to_string(b));
    if (m_OnCall) m_OnCall();
    return 0;
  }
  std::string m_Name;
  std::function<void()> m_OnCall;
};

class MessageBus : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    g_Calls.clear();
  }
};
}  // namespace

TEST_F(MessageBus, HighestPriorityFirstAndEqualPrioritiesInRegistrationOrder) {
  CNamedReceiver a("a"), b("b"), c("c");
  xRegisterMsgHandler(&a, 2, 100);
  xRegisterMsgHandler(&b, 2, -102);
  xRegisterMsgHandler(&c, 2, 100);
  xRegisterMsgHandler(&a, 3, -104);
  EXPECT_EQ(xSendMsg(2, 0, 0), 1);
  EXPECT_EQ(g_Calls, (std::vector<std::string>{"a:2:0:0", "c:2:0:0", "b:2:0:0"}));
  g_Calls.clear();
  EXPECT_EQ(xSendMsg(3, 4, -5), 1);
  EXPECT_EQ(g_Calls, (std::vector<std::string>{"a:3:4:-5"}));
  EXPECT_EQ(xSendMsg(9, 0, 0), 0);
}

TEST_F(MessageBus, ExactTripleRegistersOnce) {
  CNamedReceiver a("a");
  EXPECT_EQ(xRegisterMsgHandler(&a, 2, 5), 1);
  EXPECT_EQ(xRegisterMsgHandler(&a, 2, 5), 1);
  EXPECT_EQ(xRegisterMsgHandler(&a, 2, 6), 1);
  xSendMsg(2, 0, 0);
  EXPECT_EQ(g_Calls.size(), 2u);
}

TEST_F(MessageBus, RemovalByPriorityOrAnyPriority) {
  // Message 7: the window manager keeps its own receivers on 2 and 3.
  CNamedReceiver a("a");
  xRegisterMsgHandler(&a, 7, 5);
  xRegisterMsgHandler(&a, 7, 7);
  xRemoveMsgHandler(&a, 7, 6);  // no such entry
  xSendMsg(7, 0, 0);
  EXPECT_EQ(g_Calls.size(), 2u);
  xRemoveMsgHandler(&a, 7, -1);  // one entry, whatever its priority
  g_Calls.clear();
  xSendMsg(7, 0, 0);
  EXPECT_EQ(g_Calls.size(), 1u);
  xRemoveMsgHandlers(&a);
  g_Calls.clear();
  EXPECT_EQ(xSendMsg(7, 0, 0), 0);
}

TEST_F(MessageBus, ReceiversMayChangeTheBusWhileItDelivers) {
  CNamedReceiver first("first"), second("second"), late("late");
  auto* doomed = new CNamedReceiver("doomed");
  xRegisterMsgHandler(&first, 2, 10);
  xRegisterMsgHandler(doomed, 2, 5);
  xRegisterMsgHandler(&second, 2, 1);
  first.m_OnCall = [&] {
    delete doomed;                          // removes a receiver still ahead in this walk
    xRemoveMsgHandlers(&first);             // and itself
    xRegisterMsgHandler(&late, 2, 20);      // added during the walk: waits for the next send
    xRegisterMsgHandler(&first, 2, 10);     // re-registered: also waits
  };
  xSendMsg(2, 0, 0);
  EXPECT_EQ(g_Calls, (std::vector<std::string>{"first:2:0:0", "second:2:0:0"}));
  first.m_OnCall = nullptr;
  g_Calls.clear();
  xSendMsg(2, 0, 0);
  EXPECT_EQ(g_Calls, (std::vector<std::string>{"late:2:0:0", "first:2:0:0", "second:2:0:0"}));
}

TEST_F(MessageBus, DestroyedReceiversLeaveTheBus) {
  {
    CNamedReceiver scoped("scoped");
    xRegisterMsgHandler(&scoped, 7, 0);
  }
  EXPECT_EQ(xSendMsg(7, 0, 0), 0);
}
