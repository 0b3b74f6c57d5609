#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ostrel/system/appname.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/startuplog.h"
#include "support/tempdir.h"

namespace {
// name|TAG|Www Mmm dd hh:mm:ss yyyy|file=NAME|pid=N|message
const std::regex kWithName(R"(^([^|]*)\|([A-Z ]+)\|\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}\|file=([^|]*)\|pid=(\d+)\|(.*)$)");
const std::regex kWithoutName(R"(^([A-Z ]+)\|\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}\|file=([^|]*)\|pid=(\d+)\|(.*)$)");

class StartupLog : public ::testing::Test {
 protected:
  void SetUp() override { xLogStartupClearMarks(); }
  std::vector<std::string> Log() const { return SplitLines(ReadWholeFile(m_Dir.File("startup.log"))); }
  CTempDir m_Dir;
  CWorkingDir m_InDir{m_Dir.Path()};
};
}  // namespace

TEST_F(StartupLog, LinesHaveTheFixedLayout) {
  xLogStartupProcessStarted();  // before the globals: no application field
  glb = new SGlobals(1);
  SetFileName("casino.exe");
  SetApplicationName("Vorrin Casino");
  xLogStartupInfo("loaded %d of %s", 3, "xrs");
  SetApplicationName("");
  xLogStartupSuccess();
  xLogStartupProcessExit();
  delete glb;
  glb = nullptr;

  const auto lines = Log();
  ASSERT_EQ(lines.size(), 6u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, kWithoutName)) << lines[0];
  EXPECT_EQ(m[1], "STARTED");
  EXPECT_EQ(m[2], "NoName");
  EXPECT_EQ(m[3], std::to_string(getpid()));
  EXPECT_EQ(m[4], "Process started.");

  const struct {
    const char* name;
    const char* tag;
    const char* message;
  } expected[] = {{"Vorrin Casino", "INIT", "Process init."},
                  {"Vorrin Casino", "INFO", "loaded 3 of xrs"},
                  {"NONAME", "INIT", "Process init."},
                  {"NONAME", "STARTUP DONE", "Process has initiated and is now running."},
                  {"NONAME", "EXIT", "Process exit."}};
  for (size_t i = 0; i < 5; ++i) {
    ASSERT_TRUE(std::regex_match(lines[i + 1], m, kWithName)) << lines[i + 1];
    EXPECT_EQ(m[1], expected[i].name);
    EXPECT_EQ(m[2], expected[i].tag);
    EXPECT_EQ(m[3], "casino.exe");
    EXPECT_EQ(m[5], expected[i].message);
  }
}

TEST_F(StartupLog, ErrorWithoutSuccessNamesBoth) {
  EXPECT_EQ(xLogStartupError("failed: %s", "x"), 0);
  xLogStartupProcessExit();
  const auto lines = Log();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("ERROR|"), std::string::npos);
  EXPECT_NE(lines[0].find("|failed: x"), std::string::npos);
  EXPECT_NE(lines[1].find("|Process exit. StartupSuccess was not called and there was atleast one error."),
            std::string::npos);
}

TEST_F(StartupLog, ExitWithoutAnythingElse) {
  xLogStartupProcessExit();
  EXPECT_NE(Log().at(0).find("|Process exit. StartupSuccess was not called."), std::string::npos);
}

TEST_F(StartupLog, SuccessThenErrorSaysSo) {
  xLogStartupSuccess();
  xLogStartupError("late");
  xLogStartupProcessExit();
  EXPECT_NE(Log().at(2).find("|Process exit, there was atleast one error."), std::string::npos);
}

TEST_F(StartupLog, LongMessagesAreCutNotOverflowed) {
  const std::string huge(50000, 'y');
  xLogStartupInfo("%s", huge.c_str());
  const auto lines = Log();
  ASSERT_EQ(lines.size(), 1u);
  const size_t bar = lines[0].rfind('|');
  EXPECT_EQ(lines[0].size() - bar - 1, 10 * 1024 - 1u);
}

TEST_F(StartupLog, TwoProcessesAppendingAtOnceWriteWholeLines) {
  constexpr int kLinesEach = 300;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      for (int i = 0; i < kLinesEach; ++i) {
        const std::string body(static_cast<size_t>(100 + (i * 37 + c * 11) % 8000), static_cast<char>('a' + c));
        xLogStartupInfo("%d:%s", i, body.c_str());
      }
      _exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const auto lines = Log();
  ASSERT_EQ(lines.size(), 2u * kLinesEach);
  for (const auto& line : lines) {
    // INFO|time|file=..|pid=N|i:aaaa... with one letter throughout the body.
    ASSERT_EQ(line.rfind("INFO|", 0), 0u) << line.substr(0, 120);
    const size_t colon = line.find(':', line.find("|pid="));
    ASSERT_NE(colon, std::string::npos);
    const std::string letters = line.substr(colon + 1);
    ASSERT_GE(letters.size(), 100u);
    ASSERT_EQ(letters.find_first_not_of(letters[0]), std::string::npos) << line.substr(0, 120);
  }
}

TEST_F(StartupLog, DeleteRemovesTheLog) {
  xLogStartupInfo("x");
  xLogStartupDelete();
  EXPECT_TRUE(Log().empty());
}
