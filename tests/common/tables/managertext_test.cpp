// The manager's plain texts: built byte for byte, and split back into command and data strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tables/managertext.h"

namespace {

const std::string kSep = "\xA3";
const std::string kNul(1, '\0');

struct SBuildCase {
  const char* m_pCommand;
  std::vector<const char*> m_Strings;
  std::string m_Bytes;
};

TEST(ManagerText, BuildTable) {
  const SBuildCase kCases[] = {
      {"StovaStatTrig", {}, "StovaStatTrig" + kSep + kNul},
      {"UserLeft", {"4711"}, "UserLeft" + kSep + "4711" + kSep + kNul},
      {"AnnounceJPWin", {"4711", "1500.0000000000", "7"},
       "AnnounceJPWin" + kSep + "4711" + kSep + "1500.0000000000" + kSep + "7" + kSep + kNul},
      {"RequestAnswer", {"4711", "", "1"}, "RequestAnswer" + kSep + "4711" + kSep + kSep + "1" + kSep + kNul},
      {"", {}, kSep + kNul},
  };
  for (const SBuildCase& c : kCases) {
    SCOPED_TRACE(c.m_pCommand);
    std::string text = "old";
    ASSERT_EQ(BuildManagerText(c.m_pCommand, c.m_Strings.data(), c.m_Strings.size(), text), 1);
    EXPECT_EQ(text, c.m_Bytes);
  }
  std::string text = "old";
  const char* withNull[] = {"a", nullptr};
  EXPECT_EQ(BuildManagerText(nullptr, nullptr, 0, text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(BuildManagerText("UserLeft", withNull, 2, text), 0);
  EXPECT_EQ(BuildManagerText("UserLeft", nullptr, 1, text), 0);
  const std::string big(MANAGER_TEXT_MAX, 'x');
  const char* bigString[] = {big.c_str()};
  EXPECT_EQ(BuildManagerText("ServerMsg", bigString, 1, text), 0);
}

struct SSplitCase {
  const char* m_pName;
  std::string m_Bytes;
  int32_t m_Code;
  std::string m_Command;
  std::vector<std::string> m_Strings;
};

TEST(ManagerText, SplitTable) {
  const SSplitCase kCases[] = {
      {"permission", "RequestPermission" + kSep + "4711" + kSep + "12" + kSep + "let me in" + kSep + kNul,
       MANAGER_MSG_REQUESTPERMISSION, "RequestPermission", {"4711", "12", "let me in"}},
      {"crashed user", "RemoveCrashedUser" + kSep + "9" + kSep + kNul, MANAGER_MSG_REMOVECRASHEDUSER,
       "RemoveCrashedUser", {"9"}},
      {"server message", "ServerMsg" + kSep + "Closing in 5 minutes" + kSep + kNul, MANAGER_MSG_SERVERMSG,
       "ServerMsg", {"Closing in 5 minutes"}},
      {"answer", "RequestAnswer" + kSep + kNul, MANAGER_MSG_REQUESTANSWER, "RequestAnswer", {}},
      {"pending", "RequestPending" + kSep + "1" + kSep + kNul, MANAGER_MSG_REQUESTPENDING, "RequestPending", {"1"}},
      {"created", "ProcessCreated" + kSep + kNul, MANAGER_MSG_PROCESSCREATED, "ProcessCreated", {}},
      {"reconnect created", "ReconnectCreated" + kSep + kNul, MANAGER_MSG_RECONNECTCREATED, "ReconnectCreated", {}},
      {"quit", "UserQuit" + kSep + "77" + kSep + kNul, MANAGER_MSG_USERQUIT, "UserQuit", {"77"}},
      {"waitlist", "WaitlistCancel" + kSep + "78" + kSep + kNul, MANAGER_MSG_WAITLISTCANCEL, "WaitlistCancel", {"78"}},
      // The bare texts arrive without a separator.
      {"reply with id", "ReplyWithID" + kNul, MANAGER_MSG_REPLYWITHID, "ReplyWithID", {}},
      {"die", "DieYouBastard" + kNul, MANAGER_MSG_DIEYOUBASTARD, "DieYouBastard", {}},
      {"incoming", "IncomingClient" + kNul, MANAGER_MSG_INCOMINGCLIENT, "IncomingClient", {}},
      // An empty piece ends the cutting.
      {"empty piece", "UserQuit" + kSep + "1" + kSep + kSep + "2" + kSep + kNul, MANAGER_MSG_USERQUIT, "UserQuit", {"1"}},
      {"empty first piece", "UserQuit" + kSep + kSep + "2" + kSep + kNul, MANAGER_MSG_USERQUIT, "UserQuit", {}},
      {"last piece without separator", "UserQuit" + kSep + "5" + kNul, MANAGER_MSG_USERQUIT, "UserQuit", {"5"}},
      // The text ends at its NUL; what follows is not read.
      {"bytes after the nul", "UserQuit" + kSep + "5" + kSep + kNul + "6" + kSep, MANAGER_MSG_USERQUIT, "UserQuit",
       {"5"}},
      // The whole leading word is the command.
      {"longer word", "ServerMsgs" + kSep + "x" + kSep + kNul, MANAGER_MSG_UNKNOWN, "ServerMsgs", {"x"}},
      {"case", "userquit" + kNul, MANAGER_MSG_UNKNOWN, "userquit", {}},
      {"unknown", "Hello" + kSep + "a" + kSep + kNul, MANAGER_MSG_UNKNOWN, "Hello", {"a"}},
      {"empty", kNul, MANAGER_MSG_UNKNOWN, "", {}},
  };
  for (const SSplitCase& c : kCases) {
    SCOPED_TRACE(c.m_pName);
    SManagerText message;
    ASSERT_EQ(SplitManagerText(c.m_Bytes.data(), static_cast<uint32_t>(c.m_Bytes.size()), message), 1);
    EXPECT_EQ(message.m_Code, c.m_Code);
    EXPECT_EQ(message.m_Command, c.m_Command);
    EXPECT_EQ(message.m_Strings, c.m_Strings);
  }
}

TEST(ManagerText, TextsWithoutANulOrOverTheCapAreRefused) {
  SManagerText message;
  message.m_Code = MANAGER_MSG_USERQUIT;
  const std::string noNul = "UserQuit" + kSep + "5" + kSep;
  EXPECT_EQ(SplitManagerText(noNul.data(), static_cast<uint32_t>(noNul.size()), message), 0);
  EXPECT_EQ(message.m_Code, MANAGER_MSG_UNKNOWN);
  EXPECT_EQ(SplitManagerText(nullptr, 5, message), 0);
  EXPECT_EQ(SplitManagerText("", 0, message), 0);
  std::string big(MANAGER_TEXT_MAX + 1, 'x');
  big.back() = '\0';
  EXPECT_EQ(SplitManagerText(big.data(), static_cast<uint32_t>(big.size()), message), 0);
  big.resize(MANAGER_TEXT_MAX);
  big.back() = '\0';
  EXPECT_EQ(SplitManagerText(big.data(), static_cast<uint32_t>(big.size()), message), 1);
}

// What one side builds the other splits back.
TEST(ManagerText, BuiltTextsSplitBack) {
  const char* strings[] = {"4711", "12", "Seat 3, please"};
  std::string text;
  ASSERT_EQ(BuildManagerText(MANAGER_CMD_REQUESTPERMISSION, strings, 3, text), 1);
  SManagerText message;
  ASSERT_EQ(SplitManagerText(text.data(), static_cast<uint32_t>(text.size()), message), 1);
  EXPECT_EQ(message.m_Code, MANAGER_MSG_REQUESTPERMISSION);
  EXPECT_EQ(message.m_Strings, (std::vector<std::string>{"4711", "12", "Seat 3, please"}));
}

}  // namespace
