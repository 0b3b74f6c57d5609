#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "ostrel/system/cachedlog.h"
#include "ostrel/system/debug.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

// 2024-01-02 03:04:05 UTC.
constexpr time_t kStart = 1704164645;
const char kStamp[] = "20240102 030405";

// A log whose wall clock the test sets.
class CTestLog : public CCachedLog {
 public:
  ~CTestLog() override { Stop(); }
  time_t m_Now = kStart;

 protected:
  time_t LogTime() const override { return m_Now; }
};

class CachedLog : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  std::string Path() const { return m_Dir.File("server.log"); }
  std::string Rotated(const char* stamp) const { return Path() + "_" + stamp; }
  static bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }
  static std::string Line(const std::string& module, const std::string& message) {
    return std::string(kStamp) + " " + module + " " + message + "\n";
  }

  CTempDir m_Dir;
};

TEST_F(CachedLog, LinesCarryTimeModuleAndMessage) {
  CTestLog log;
  EXPECT_EQ(log.LogMessage(1, "Cashier", "lost"), 0);  // not set up
  EXPECT_EQ(log.Init(nullptr, 1000, 0, 0, 0), 0);
  ASSERT_EQ(log.Init(Path().c_str(), 1 << 20, 0, 0, 0), 1);
  EXPECT_EQ(log.Init(Path().c_str(), 1 << 20, 0, 0, 0), 0);
  EXPECT_EQ(log.LogMessage(3, "Cashier", "paid 5.00"), 1);
  EXPECT_EQ(log.LogMessage(0, nullptr, nullptr), 1);
  EXPECT_EQ(log.LogMessageF(7, "Table", "%d seats, %s", 7, "open"), 1);
  EXPECT_EQ(ReadWholeFile(Path()), Line("Cashier", "paid 5.00") + Line("Unknown Module", "No message.") +
                                       Line("Table", "7 seats, open"));
}

TEST_F(CachedLog, LongTextsAreCutToOneLine) {
  struct SCase {
    size_t module;
    size_t message;
    size_t messageKept;
  } cases[] = {{1, 2000, 1004}, {5, 1000, 1000}, {1005, 10, 0}, {1004, 10, 1}};
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.module);
    CTempDir dir;
    CTestLog log;
    ASSERT_EQ(log.Init(dir.File("a.log").c_str(), 1 << 20, 0, 0, 0), 1);
    const std::string module(c.module, 'm'), message(c.message, 'x');
    ASSERT_EQ(log.LogMessage(0, module.c_str(), message.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(dir.File("a.log")), Line(module, message.substr(0, c.messageKept)));
  }
  // A module name longer than the line: cut, and still one line.
  CTestLog log;
  ASSERT_EQ(log.Init(Path().c_str(), 1 << 20, 0, 0, 0), 1);
  const std::string module(3000, 'm');
  ASSERT_EQ(log.LogMessage(0, module.c_str(), "gone"), 1);
  const std::string text = ReadWholeFile(Path());
  ASSERT_EQ(text.size(), 1023u);
  EXPECT_EQ(text, std::string(kStamp) + " " + module.substr(0, 1006) + "\n");
}

TEST_F(CachedLog, TheCacheWritesWhenFullAndOnFlush) {
  const std::string line = Line("M", "0123456789");  // 29 bytes
  {
    CTestLog log;
    ASSERT_EQ(log.Init(Path().c_str(), 1 << 20, 64, 0, 0), 1);
    log.LogMessage(0, "M", "0123456789");
    log.LogMessage(0, "M", "0123456789");
    EXPECT_FALSE(Exists(Path()));
    log.LogMessage(0, "M", "0123456789");
    EXPECT_EQ(ReadWholeFile(Path()), (line + line + line).substr(0, 64));
    EXPECT_EQ(log.FlushCache(), 1);
    EXPECT_EQ(ReadWholeFile(Path()), line + line + line);
    log.LogMessage(0, "M", "0123456789");
  }
  EXPECT_EQ(ReadWholeFile(Path()), line + line + line + line);
}

TEST_F(CachedLog, AFullLogTakesNoMoreLines) {
  CTestLog log;
  ASSERT_EQ(log.Init(Path().c_str(), 100, 0, 0, 0), 1);
  const std::string line = Line("M", "0123456789");  // 29 bytes: 0, 29, 58, 87 are below 100
  for (int i = 0; i < 6; ++i) log.LogMessage(0, "M", "0123456789");
  EXPECT_EQ(ReadWholeFile(Path()), line + line + line + line);
}

TEST_F(CachedLog, TheWriteThatReachesTheLimitRotates) {
  CTestClock clock;
  CTestLog log;
  ASSERT_EQ(log.Init(Path().c_str(), 100, 0, 1, 0), 1);
  const std::string line = Line("M", "0123456789");
  for (int i = 0; i < 4; ++i) log.LogMessage(0, "M", "0123456789");
  EXPECT_FALSE(Exists(Path()));
  EXPECT_EQ(ReadWholeFile(Rotated("20240102030405")), line + line + line + line);
  log.LogMessage(0, "M", "0123456789");
  EXPECT_EQ(ReadWholeFile(Path()), line);
  EXPECT_EQ(clock.Slept(), 0u);

  // The next rotation falls in the same second: it waits for the next second's name.
  xSetDiagnostics(1);
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) log.LogMessage(0, "M", "0123456789");
  const std::string said = ::testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  EXPECT_NE(said.find("CCachedLog::Rotate: File " + Rotated("20240102030405") +
                      " exists. Waiting 1100 ms in order to get a new filename."),
            std::string::npos);
  EXPECT_EQ(clock.Slept(), 1100u);
  EXPECT_EQ(ReadWholeFile(Rotated("20240102030405")), line + line + line + line);
  EXPECT_EQ(ReadWholeFile(Rotated("20240102030406")), line + line + line + line);
  EXPECT_FALSE(Exists(Path()));
}

TEST_F(CachedLog, AFullLogLeftBehindIsRotatedBeforeTheNextLine) {
  WriteWholeFile(Path(), std::string(150, 'o') + "\n");
  CTestLog log;
  ASSERT_EQ(log.Init(Path().c_str(), 100, 0, 1, 0), 1);
  log.LogMessage(0, "M", "kept");
  EXPECT_EQ(ReadWholeFile(Rotated("20240102030405")), std::string(150, 'o') + "\n");
  EXPECT_EQ(ReadWholeFile(Path()), Line("M", "kept"));
}

class CompressedLog : public CachedLog {
 protected:
  // The worker ends by itself once the queue is empty.
  static bool Drained(CTestLog& log) {
    for (int i = 0; i < 30000 && log.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !log.Running();
  }
  // The file as Python's model of the coder expands it.
  std::string Expand(const std::string& packed) {
    const std::string out = m_Dir.File("expanded");
    const std::string cmd = "python3 " VORRIN_TEST_TOOLS_DIR "/lzss_model.py expand '" + packed + "' '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return "<failed>";
    return ReadWholeFile(out);
  }
};

TEST_F(CompressedLog, RotatedFilesEndUpCompressed) {
  CTestLog log;
  ASSERT_EQ(log.Init(Path().c_str(), 100, 0, 1, 1), 1);
  std::string first;
  // 34 bytes a line: the third reaches the limit.
  for (int i = 0; i < 3; ++i) {
    log.LogMessageF(0, "Compressor", "line %d", i);
    first += Line("Compressor", "line " + std::to_string(i));
  }
  ASSERT_TRUE(Drained(log));
  log.m_Now = kStart + 60;
  for (int i = 3; i < 6; ++i) log.LogMessageF(0, "Compressor", "line %d", i);
  ASSERT_TRUE(Drained(log));
  EXPECT_EQ(log.Stop(), 1);
  EXPECT_EQ(log.ExitCode(), 0);

  EXPECT_FALSE(Exists(Rotated("20240102030405")));
  EXPECT_EQ(Expand(Rotated("20240102030405") + ".lzss"), first);
  EXPECT_FALSE(Exists(Rotated("20240102030505")));
  EXPECT_TRUE(Exists(Rotated("20240102030505") + ".lzss"));
  EXPECT_FALSE(Exists(Path()));
}

TEST_F(CompressedLog, AFileThatCannotBeCompressedIsKept) {
  ASSERT_EQ(mkdir((Rotated("20240102030405") + ".lzss").c_str(), 0700), 0);
  CTestLog log;
  ASSERT_EQ(log.Init(Path().c_str(), 29, 0, 1, 1), 1);
  log.LogMessage(0, "M", "0123456789");
  ASSERT_TRUE(Drained(log));
  EXPECT_EQ(ReadWholeFile(Rotated("20240102030405")), Line("M", "0123456789"));
}

}  // namespace
