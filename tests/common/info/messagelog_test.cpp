#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/info/messagelog.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"

namespace {
std::string Stamp(time_t t) {
  struct tm local {};
  localtime_r(&t, &local);
  char text[32];
  strftime(text, sizeof text, "%Y%m%d %H%M%S", &local);
  return text;
}

class MessageLog : public ::testing::Test {
 protected:
  std::string Log() const { return ReadWholeFile(m_Dir.File("messages.log")); }
  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
};

TEST_F(MessageLog, LinesCarryLocalDateTimeModuleAndMessage) {
  const time_t before = time(nullptr);
  WriteMessageLog("Blackjack", "Seat 3 joined");
  LogMessage(7, "Panel", "bet %d on seat %s at %.2f", 25, "2", 1.5);
  const time_t after = time(nullptr);

  const std::vector<std::string> lines = SplitLines(Log());
  ASSERT_EQ(lines.size(), 2u);
  const std::regex layout(R"(^(\d{8} \d{6}) ([^:]+): (.*)$)");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, layout)) << lines[0];
  EXPECT_EQ(m[2], "Blackjack");
  EXPECT_EQ(m[3], "Seat 3 joined");
  // The stamp is the local time of the write (the same layout sorts as text).
  EXPECT_GE(m[1].str(), Stamp(before));
  EXPECT_LE(m[1].str(), Stamp(after));
  ASSERT_TRUE(std::regex_match(lines[1], m, layout)) << lines[1];
  EXPECT_EQ(m[2], "Panel");
  EXPECT_EQ(m[3], "bet 25 on seat 2 at 1.50");
  EXPECT_EQ(Log().back(), '\n');
}

TEST_F(MessageLog, AMissingModuleIsUnknownAndTextIsNeverAFormat) {
  WriteMessageLog("", "empty name");
  WriteMessageLog(nullptr, "no name");
  LogMessage(0, "", "%s", "formatted");
  WriteMessageLog("Chat", "100% sure %s %n");
  WriteMessageLog("Chat", nullptr);
  const std::vector<std::string> lines = SplitLines(Log());
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d{8} \d{6} Unknown Module: empty name)"))) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\d{8} \d{6} Unknown Module: no name)"))) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(\d{8} \d{6} Unknown Module: formatted)"))) << lines[2];
  EXPECT_EQ(lines[3].substr(16), "Chat: 100% sure %s %n");
  EXPECT_EQ(lines[4].substr(16), "Chat: ");
}

TEST_F(MessageLog, LongMessagesAreCutAtTheRoomTheModuleLeaves) {
  const std::string big(20 * 1024, 'm');
  LogMessage(0, "Table", "%s", big.c_str());
  WriteMessageLog("Table", big.c_str());
  LogMessage(0, "", "%s", big.c_str());
  // A module name that takes the whole room leaves the message none.
  const std::string hugeName(MESSAGELOG_TEXT_ROOM + 10, 'n');
  WriteMessageLog(hugeName.c_str(), "lost");

  const std::vector<std::string> lines = SplitLines(Log());
  ASSERT_EQ(lines.size(), 4u);
  const std::string prefix = "Table: ";
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(lines[i].compare(16, prefix.size(), prefix), 0);
    EXPECT_EQ(lines[i].substr(16 + prefix.size()), std::string(MESSAGELOG_TEXT_ROOM - 5, 'm')) << i;
  }
  EXPECT_EQ(lines[2].substr(16), "Unknown Module: " + std::string(MESSAGELOG_TEXT_ROOM - 14, 'm'));
  EXPECT_EQ(lines[3].substr(16), hugeName + ": ");
}

TEST_F(MessageLog, LinesAreAppendedToAnExistingLogOfAnyCase) {
  WriteWholeFile(m_Dir.File("Messages.LOG"), "earlier line\n");
  WriteMessageLog("Lobby", "later line");
  const std::string log = ReadWholeFile(m_Dir.File("Messages.LOG"));
  EXPECT_EQ(log.substr(0, 13), "earlier line\n");
  EXPECT_EQ(log.substr(13 + 16), "Lobby: later line\n");
}

TEST_F(MessageLog, NothingIsWrittenWhenTheLogCannotBeOpened) {
  ASSERT_EQ(mkdir(m_Dir.File("messages.log").c_str(), 0755), 0);
  WriteMessageLog("Lobby", "nowhere to go");
  LogMessage(0, "Lobby", "nor %s", "here");
  struct stat st {};
  ASSERT_EQ(stat(m_Dir.File("messages.log").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

// Two programs log into one file at the same time, as the client and a game module's table
// server do; lines far longer than a stdio buffer show any split write.
TEST_F(MessageLog, TwoProcessesAppendingLeaveOnlyWholeLines) {
  constexpr int kLines = 1000;
  constexpr int kFiller = 5000;
  CSpawnedChild a, b;
  ASSERT_TRUE(a.StartProgram("messagelog_child", {"alpha", std::to_string(kLines), std::to_string(kFiller)}));
  ASSERT_TRUE(b.StartProgram("messagelog_child", {"omega", std::to_string(kLines), std::to_string(kFiller)}));
  ASSERT_EQ(a.ReadLine(), "ready");
  ASSERT_EQ(b.ReadLine(), "ready");
  a.WriteLine("go");
  b.WriteLine("go");
  EXPECT_EQ(a.ReadLine(), "done");
  EXPECT_EQ(b.ReadLine(), "done");
  EXPECT_EQ(a.Wait(), 0);
  EXPECT_EQ(b.Wait(), 0);

  const std::string log = Log();
  ASSERT_EQ(log.back(), '\n');
  const std::vector<std::string> lines = SplitLines(log);
  ASSERT_EQ(lines.size(), 2u * kLines);
  const std::regex layout(R"(^\d{8} \d{6} (alpha|omega): (alpha|omega) (\d+) ([ao]+)$)");
  int next[2] = {0, 0};
  for (const std::string& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, layout)) << line.substr(0, 80);
    const int who = m[1] == "alpha" ? 0 : 1;
    EXPECT_EQ(m[2], m[1]);
    EXPECT_EQ(m[4].str(), std::string(kFiller, who ? 'o' : 'a'));
    // Each program's lines arrive whole and in its own order.
    EXPECT_EQ(std::stoi(m[3]), next[who]++);
  }
  EXPECT_EQ(next[0], kLines);
  EXPECT_EQ(next[1], kLines);
}
}  // namespace
