// The download client base: error texts and the reporter, the download log, notes, time-outs,
// the factory and connecting by url.
#include "ostrelcomm/download/downloadclient.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "ostrel/base/types.h"
#include "ostrelcomm/download/downloadsupport.h"
#include "ostrelcomm/download/ftpclient.h"
#include "ostrelcomm/httpclient/httpclient.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

// A working folder for "download.log" with the log switched on; both undone at the end.
class DownloadLog : public ::testing::Test {
 protected:
  void SetUp() override { CDownloadClient::SetLogSwitch(1); }
  void TearDown() override { CDownloadClient::SetLogSwitch(0); }
  std::string Log() const { return ReadWholeFile(m_Dir.File(DOWNLOAD_LOG_NAME)); }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
};

// The text of each log line, without the time in front.
std::vector<std::string> LogTexts(const std::string& log) {
  std::vector<std::string> texts;
  const std::regex line(R"(( *\d+\.\d\d)  ([^\n]*)\n)");
  for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
    texts.push_back((*it)[2]);
  return texts;
}

// An HTTP client that keeps the base's default port, to see what Connect(url) passes on.
class CBasePortClient : public CHTTPClient {
 public:
  uint16_t DefaultPort() override { return CDownloadClient::DefaultPort(); }
};

}  // namespace

TEST(DownloadErrors, EveryCodeHasItsText) {
  const std::pair<int32_t, const char*> table[] = {
      {0, "No error"},
      {-1, "Error during startup"},
      {-2, "Could not connect to host"},
      {-3, "Bad parameters passed to method"},
      {-4, "Error found while parsing response"},
      {-5, "Socket disconnected while reading or writing"},
      {-6, "Maximum number of reconnects reached"},
      {-7, "Could not read from socket"},
      {-8, "Could not write to socket"},
      {-9, "Could not read from file"},
      {-10, "Could not write to file"},
      {-11, "Out of memory"},
      {-12, "Time-out occured while connecting to server"},
      {-13, "Time-out occured while executing network operation"},
      {-14, "Unauthorized request"},
      {-15, "Unknown error"},
  };
  for (const auto& [code, text] : table) EXPECT_STREQ(xDownloadErrorText(code), text) << code;
  for (int32_t code : {1, -16, 1000, INT32_MIN}) EXPECT_STREQ(xDownloadErrorText(code), "Unknown error") << code;
}

TEST_F(DownloadLog, ReporterWritesOneLineAndGivesTheCodeBack) {
  EXPECT_EQ(xDownloadReportError(-13, nullptr, "CHTTPClient::StateGetData", "httpclient", 412), -13);
  EXPECT_EQ(xDownloadReportError(-15, "Unknown response received", nullptr, "downloadmanager", 7), -15);
  const std::string long_extra(3000, 'x');
  EXPECT_EQ(xDownloadReportError(-4, nullptr, long_extra.c_str(), "httpclient", 1), -4);
  const auto texts = LogTexts(Log());
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0],
            "[CHTTPClient::StateGetData] --- Time-out occured while executing network operation    : httpclient(412)");
  EXPECT_EQ(texts[1], "Unknown response received    : downloadmanager(7)");
  EXPECT_EQ(texts[2], "[" + long_extra + "] --- Error found while parsing response    : httpclient(1)");
}

TEST_F(DownloadLog, LinesCarryTheSecondsSinceLoadAndStopWhenSwitchedOff) {
  CDownloadClient::LogString("first %d %s", 1, std::string(5000, 'y').c_str());
  CHTTPClient client;
  client.LogDisable();
  EXPECT_EQ(CDownloadClient::GetLogSwitch(), 0);
  CDownloadClient::LogString("not written");
  client.LogEnable();
  CDownloadClient::LogString("third");
  const std::string log = Log();
  EXPECT_TRUE(std::regex_match(log, std::regex(R"( *\d+\.\d\d  first 1 y{5000}\n *\d+\.\d\d  third\n)")))
      << log.substr(0, 80);
  client.LogDelete();
  EXPECT_EQ(ReadWholeFile(m_Dir.File(DOWNLOAD_LOG_NAME)), "");
}

TEST(DownloadLogOff, NothingIsWrittenByDefault) {
  CTempDir dir;
  CWorkingDir work(dir.Path());
  ASSERT_EQ(CDownloadClient::GetLogSwitch(), 0);
  xDownloadReportError(-2, nullptr, nullptr, "httpclient", 1);
  CDownloadClient::LogString("x");
  EXPECT_EQ(ReadWholeFile(dir.File(DOWNLOAD_LOG_NAME)), "");
}

TEST(DownloadedNote, KeepsFiguresAndHandsOutCopies) {
  char* local = nullptr;
  char* remote = nullptr;
  {
    CDownloadedNote note;
    EXPECT_EQ(note.GetDownloadTime(), 0u);
    EXPECT_EQ(note.GetFileSizeExists(), 0);
    EXPECT_EQ(note.GetFileSize(), 0u);
    EXPECT_EQ(note.GetLocalFileName(), nullptr);
    note.SetDownloadTime(1234);
    note.SetFileSizeExists(1);
    note.SetFileSize(0xFFFFFFFFu);
    EXPECT_EQ(note.SetLocalFileName("old"), 1);
    EXPECT_EQ(note.SetLocalFileName("games/kavo.so"), 1);
    EXPECT_EQ(note.SetRemoteFileName("/files/kavo.so"), 1);
    EXPECT_EQ(note.GetDownloadTime(), 1234u);
    EXPECT_EQ(note.GetFileSizeExists(), 1);
    EXPECT_EQ(note.GetFileSize(), 0xFFFFFFFFu);
    local = note.GetLocalFileName();
    remote = note.GetRemoteFileName();
    EXPECT_EQ(note.SetRemoteFileName(nullptr), 0);
    EXPECT_EQ(note.GetRemoteFileName(), nullptr);
  }
  ASSERT_TRUE(local && remote);
  EXPECT_STREQ(local, "games/kavo.so");
  EXPECT_STREQ(remote, "/files/kavo.so");
  xFree(local);
  xFree(remote);
}

TEST_F(DownloadLog, TimeoutsInSecondsWithDefaultsForNegatives) {
  CHTTPClient client;
  EXPECT_EQ(client.GetConnectTimeout(), DOWNLOAD_DEFAULT_TIMEOUT_MS);
  client.SetTimeouts(-1, 5);
  EXPECT_EQ(client.GetConnectTimeout(), 20000u);
  EXPECT_EQ(client.GetDataTimeout(), 5000u);
  client.SetTimeouts(0, 0);
  EXPECT_EQ(client.GetConnectTimeout(), 0u);
  EXPECT_EQ(client.GetDataTimeout(), 0u);
  client.SetTimeouts(7, -30);
  EXPECT_EQ(client.GetConnectTimeout(), 7000u);
  EXPECT_EQ(client.GetDataTimeout(), 20000u);
  const auto texts = LogTexts(Log());
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Setting Timeouts: connect=20000, data=5000");
  EXPECT_EQ(texts[1], "Setting Timeouts: connect=0, data=0");
}

TEST(DownloadConnect, UrlGivesHostAndPort) {
  struct {
    const char* url;
    const char* host;
    uint16_t basePort;  // with the base's default port
    uint16_t httpPort;  // with the HTTP client's
  } cases[] = {
      {"files.example.com", "files.example.com", 21, 80},
      {"files.example.com:2121", "files.example.com", 2121, 2121},
      {"ftp://mirror:2121", "mirror", 2121, 2121},
      {"http://web", "web", 21, 80},
      {"HTTP://web:8080", "web", 8080, 8080},
      {"edge:1", "edge", 1, 1},
      {"edge:65535", "edge", 65535, 65535},
      {"zeros:00080", "zeros", 80, 80},
  };
  for (const auto& c : cases) {
    CBasePortClient base;
    CHTTPClient http;
    EXPECT_EQ(base.Connect(c.url), 1) << c.url;
    EXPECT_EQ(http.Connect(c.url), 1) << c.url;
    EXPECT_EQ(base.GetHost(), std::string(c.host)) << c.url;
    EXPECT_EQ(base.GetPort(), c.basePort) << c.url;
    EXPECT_EQ(http.GetHost(), std::string(c.host)) << c.url;
    EXPECT_EQ(http.GetPort(), c.httpPort) << c.url;
    EXPECT_EQ(http.GetState(), HTTPSTATE_CONNECT) << c.url;
  }
  CHTTPClient http;
  EXPECT_EQ(http.Connect(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(http.Connect("http://"), 0);
  EXPECT_EQ(http.Connect("evil\r\nX-Injected: 1", 80), 0);
  EXPECT_EQ(http.GetState(), HTTPSTATE_NOCONNECTION);
}

// A port that does not fit 1-65535 is refused, never cut to 16 bits onto another port.
TEST(DownloadConnect, PortsOutsideTheRangeAreRefused) {
  const char* refused[] = {
      "http://host:65616",  // 80 + 65536
      "http://host:4294967376",  // 80 + 2^32
      "http://host:65536", "host:0", "host:", "host:notaport", "host:-1", "host:+80", "host: 80", "host:80x",
      "host:80/file.bin",
  };
  for (const char* url : refused) {
    CBasePortClient base;
    CHTTPClient http;
    EXPECT_EQ(base.Connect(url), 0) << url;
    EXPECT_EQ(http.Connect(url), 0) << url;
    EXPECT_EQ(http.GetState(), HTTPSTATE_NOCONNECTION) << url;
  }
}

TEST_F(DownloadLog, FactoryMakesClientsByTypeAndScheme) {
  struct {
    const char* url;
    bool http;
    bool ftp;
  } cases[] = {
      {"http://host", true, false}, {"HtTp://host:81", true, false}, {"ftp://host", false, true},
      {"FTP://host", false, true},  {"host", false, true},           {"gopher://host", false, false},
      {"https://host", false, false},
  };
  for (const auto& c : cases) {
    CDownloadClient* client = CDownloadClient::New(c.url);
    EXPECT_EQ(client != nullptr, c.http || c.ftp) << c.url;
    EXPECT_EQ(dynamic_cast<CHTTPClient*>(client) != nullptr, c.http) << c.url;
    EXPECT_EQ(dynamic_cast<CFtpClient*>(client) != nullptr, c.ftp) << c.url;
    if (client) {
      EXPECT_EQ(client->DefaultPort(), c.http ? 80 : 21) << c.url;
    }
    delete client;
  }
  EXPECT_EQ(CDownloadClient::New(2), nullptr);
  EXPECT_EQ(CDownloadClient::New(-1), nullptr);
  const auto texts = LogTexts(Log());
  auto count = [&texts](const std::string& t) { return std::count(texts.begin(), texts.end(), t); };
  EXPECT_EQ(count("Creating new CHTTPClient"), 2);
  EXPECT_EQ(count("Creating new CFTPClient"), 3);
  EXPECT_EQ(count("Unknown protocol encountered"), 4);
}

TEST(DownloadSupport, SpeedNeverDividesByZeroAndStaysIn32Bits) {
  EXPECT_EQ(xDownloadSpeed(0, 0), 0);
  EXPECT_EQ(xDownloadSpeed(500, 0), 500000);
  EXPECT_EQ(xDownloadSpeed(1000, 1000), 1000);
  EXPECT_EQ(xDownloadSpeed(4000000000u, 2000), 2000000000);
  EXPECT_EQ(xDownloadSpeed(4000000000u, 1), INT32_MAX);
  EXPECT_EQ(xDownloadSpeed(uint64_t{1} << 40, 3), INT32_MAX);
}

TEST(DownloadSupport, ProgressFollowsTheClock) {
  CTestClock clock(0xFFFFFF00u);  // across the wrap of the clock
  CDownloadProgress progress;
  progress.Start();
  progress.Add(1000);
  EXPECT_EQ(progress.GetSpeed(), 1000000);  // the first step, 0 ms in
  clock.Advance(0x200);
  progress.Add(23576);
  EXPECT_EQ(progress.GetBytes(), 24576u);
  EXPECT_EQ(progress.GetElapsed(), 0x200u);
  EXPECT_EQ(progress.GetSpeed(), 48000);
}

TEST(DownloadSupport, FileIsMadeAnewOrContinuedAtAPosition) {
  CTempDir dir;
  const std::string name = dir.File("sub/dir/file.bin");
  CDownloadFile file;
  ASSERT_EQ(file.Create(name.c_str()), 1);  // folders made
  EXPECT_EQ(file.Write("0123456789", 10), 1);
  EXPECT_EQ(file.Close(), 1);
  EXPECT_EQ(ReadWholeFile(name), "0123456789");

  ASSERT_EQ(file.Resume(name.c_str(), 4), 1);  // the stale tail goes
  EXPECT_EQ(file.Write("ab", 2), 1);
  EXPECT_EQ(file.Close(), 1);
  EXPECT_EQ(ReadWholeFile(name), "0123ab");

  ASSERT_EQ(file.Resume(name.c_str(), 6), 1);  // at the end exactly
  EXPECT_EQ(file.Write("Z", 1), 1);
  file.Close();
  EXPECT_EQ(ReadWholeFile(name), "0123abZ");

  EXPECT_EQ(file.Resume(name.c_str(), 8), 0);  // past the end: nothing to continue
  EXPECT_EQ(file.Resume(dir.File("missing").c_str(), 0), 0);
  EXPECT_EQ(ReadWholeFile(name), "0123abZ");

  ASSERT_EQ(file.Create(name.c_str()), 1);  // made anew: empty
  file.Close();
  EXPECT_EQ(ReadWholeFile(name), "");
}
