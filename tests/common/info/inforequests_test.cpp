// The three requests against the fake info server on loopback: what goes on the wire, what the
// answers leave behind, the time-outs counted in passes, and how the player ends a wait.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "infofixture.h"
#include "ostrel/files/crc.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "platform/display/headless.h"
#include "platform/display/keys.h"

namespace {

const std::string kInfoAnswer =
    "Casino = 10.1.2.3,7000;Chat = chat.example,7001;Cashier = 10.1.2.5,7002"
    "([proxy.example:8080])normalconf=updatemessage=Version 2 is out,lmessage=Welcome back";

// A module list of some size, with the repetition a real one has.
std::string ModuleList(const std::string& tag) {
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "{ = Module\n    Name = \"game" + std::to_string(i % 17) + tag + "\"\n    Size = " + std::to_string(i * 7919) + "\n}\n";
  return text;
}

// tests/tools/crc32_bzip2.py on a file.
uint32_t PythonCrc(const std::string& path) {
  const std::string command = "python3 " VORRIN_TEST_TOOLS_DIR "/crc32_bzip2.py 0x04C11DB7 '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  unsigned value = 0;
  const bool read = pipe && fscanf(pipe, "%x", &value) == 1;
  if (pipe) pclose(pipe);
  EXPECT_TRUE(read) << command;
  return value;
}

uint32_t Crc(const std::string& bytes) {
  uint32_t crc = 0;
  xCalcCRC(bytes.data(), static_cast<uint32_t>(bytes.size()), &crc, XCRC_POLY);
  return crc;
}

// The entries of a folder.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

ino_t Inode(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The progress calls after the first one (the start of the request) as (total, current) pairs.
std::vector<SProgressCall> Tail(const std::vector<SProgressCall>& calls, size_t n) {
  return n <= calls.size() ? std::vector<SProgressCall>(calls.end() - static_cast<ptrdiff_t>(n), calls.end()) : calls;
}

std::vector<SProgressCall> Counting(int32_t total, int32_t from, int32_t to) {
  std::vector<SProgressCall> calls;
  for (int32_t i = from; i <= to; ++i) calls.push_back({total, i});
  return calls;
}

class InfoRequests : public CInfoTest {
 protected:
  // Serves list as the server's module list, from a file of the test folder.
  void ServeList(const std::string& list) {
    WriteWholeFile(File("served.lst"), list);
    ASSERT_TRUE(m_Server.Map(File("served.lst")));
  }
};

// ---- the connection request ----

TEST_F(InfoRequests, ConnectionRequestIsTheCasinoNameWithItsNulAndAcceptedLeavesTheLinkOpen) {
  StartServer();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Accepted")}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  ASSERT_TRUE(m_Server.WaitFor("request connection"));
  EXPECT_EQ(m_Server.Seen("raw "), std::vector<std::string>{Wire("RequestConnection = Vorrin")});
  EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_DONE);
  EXPECT_EQ(m_pInfo->GetErrorMessage(), nullptr);
  EXPECT_EQ(m_pInfo->GetConnectFailed(), 0);
  // The request starts at 0 of the connect time-out; Done comes once, once connected and MIN_TIMEOUT
  // (2 here) passes are over.
  ASSERT_FALSE(m_Progress.m_Calls.empty());
  EXPECT_EQ(m_Progress.m_Calls.front(), (SProgressCall{30000, 0}));
  EXPECT_EQ(m_Progress.m_DoneCount, 1);
  EXPECT_EQ(m_Progress.m_DoneAt, 4);
  m_Server.Drain(100);
  EXPECT_TRUE(m_Server.Seen("closed").empty());
}

TEST_F(InfoRequests, DefaultMinimumIsThirtyPassesBeforeTheRequestAndAfterTheAnswer) {
  ASSERT_TRUE(m_Server.Start());
  WriteScript(m_Script.NoTimeout("MIN_TIMEOUT").FirstServer("127.0.0.1", m_Server.Port()));
  Connect();
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Accepted")}));
  ASSERT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  // Start, 31 passes until the counter exceeds 30, Done; after the answer the counter restarted,
  // so the done state counts to 31 again.
  EXPECT_EQ(m_Progress.m_DoneAt, 32);
  for (int32_t i = 0; i < 32; ++i) EXPECT_EQ(m_Progress.m_Calls[i], (SProgressCall{30000, i}));
  EXPECT_EQ(m_Progress.m_Calls.back(), (SProgressCall{30, 31}));
}

TEST_F(InfoRequests, RefusalKeepsTheServersTextAndStopsTheRotationUntilFlush) {
  ASSERT_TRUE(m_Server.Start());
  WriteScript(m_Script.FirstServer("127.0.0.1", m_Server.Port()).Server("127.0.0.1", m_Server.Port()));
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Refused = Closed for maintenance until 6 pm")}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  ASSERT_NE(m_pInfo->GetErrorMessage(), nullptr);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "Closed for maintenance until 6 pm");
  EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_REFUSED);
  EXPECT_TRUE(m_Server.WaitFor("closed"));
  // A second server stands in the list, yet the rotation ends here.
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  m_pInfo->Flush();
  EXPECT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
}

TEST_F(InfoRequests, RefusalWithoutTextLeavesTheConnectErrorText) {
  StartServer();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Refused")}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "Unable to connect (test)");
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
}

TEST_F(InfoRequests, FailedConnectionMovesOnToTheNextServerAndAnExhaustedListGivesZero) {
  CClosedPort closed;
  ASSERT_NE(closed.Port(), 0);
  ASSERT_TRUE(m_Server.Start());
  WriteScript(m_Script.FirstServer("127.0.0.1", closed.Port()).Server("127.0.0.1", m_Server.Port()));

  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), closed.Port());
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  EXPECT_EQ(m_pInfo->GetConnectFailed(), 1);
  EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_FAILED);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "Unable to connect (test)");

  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), m_Server.Port());
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Accepted")}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  EXPECT_EQ(m_pInfo->GetConnectFailed(), 0);

  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  EXPECT_EQ(m_pInfo->GetFilemapServerIP(), nullptr);
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  m_pInfo->Flush();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), closed.Port());
}

TEST_F(InfoRequests, ServerThatClosesOrStaysSilentFailsTheConnectionRequestWithItsText) {
  StartServer();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_TRUE(m_Server.On("connection", {"close"}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "No connection answer (test)");

  // Silent, or answering with something that is no verdict: RCC_TIMEOUT passes, then failure.
  WriteScript(m_Script.Timeout("RCC_TIMEOUT", 7));
  m_pInfo->Flush();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  for (const std::vector<std::string>& steps : {std::vector<std::string>{}, {Wire("Connection = Maybe")}, {Wire("Accepted")}}) {
    m_Progress = CRecordingProgress();
    if (!steps.empty()) {
      ASSERT_TRUE(m_Server.On("connection", steps));
      AwaitAnswerOnFirstWait("connection");
    }
    EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
    EXPECT_STREQ(m_pInfo->GetErrorMessage(), "No connection answer (test)");
    EXPECT_EQ(Tail(m_Progress.m_Calls, 8), Counting(7, 1, 8));
    EXPECT_EQ(m_Progress.m_Calls.size(), static_cast<size_t>(m_Progress.m_DoneAt) + 8);
  }
}

// ---- the info request ----

TEST_F(InfoRequests, InfoRequestFillsTheAnswerFieldsAndShowsTheLoginMessage) {
  StartServer();
  Connect();
  ASSERT_TRUE(m_Server.On("info", {Wire(kInfoAnswer)}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 1);
  ASSERT_TRUE(m_Server.WaitFor("request info"));
  EXPECT_EQ(m_Server.Seen("raw ").back(), Wire("RequestInfo = Vorrin{proxy}"));
  EXPECT_STREQ(m_pInfo->GetCasinoIp(), "10.1.2.3");
  EXPECT_STREQ(m_pInfo->GetCasinoPort(), "7000");
  EXPECT_STREQ(m_pInfo->GetChatIp(), "chat.example");
  EXPECT_STREQ(m_pInfo->GetChatPort(), "7001");
  EXPECT_STREQ(m_pInfo->GetCashierIp(), "10.1.2.5");
  EXPECT_STREQ(m_pInfo->GetCashierPort(), "7002");
  EXPECT_STREQ(m_pInfo->GetProxyConfig(), "proxy.example:8080");
  ASSERT_NE(m_pInfo->GetUpdateMessage(), nullptr);
  EXPECT_STREQ(m_pInfo->GetUpdateMessage(), "Version 2 is out");
  EXPECT_EQ(m_pInfo->m_Messages, std::vector<std::string>{"Info|Welcome back"});
  EXPECT_EQ(m_Progress.m_Calls.front(), (SProgressCall{30000, 0}));
  // The link stays open for the file map.
  m_Server.Drain(100);
  EXPECT_TRUE(m_Server.Seen("closed").empty());
}

TEST_F(InfoRequests, BadInfoAnswersAreIgnoredUntilTheCountedTimeout) {
  const std::string longField(100, 'a');
  const std::string fitField(99, 'a');
  struct SCase {
    const char* m_pName;
    std::string m_Answer;
  };
  const SCase cases[] = {
      {"first value shorter than 8", "C = 1,2;x"},
      {"no equals sign", "Casino 10.1.2.3,7000;Chat 10.1.2.4,7001;Cashier 10.1.2.5,7002"},
      {"no comma", "Casino = 10.1.2.3:7000;Chat = 10.1.2.4:7001;Cashier = 10.1.2.5:7002"},
      {"no semicolon", "Casino = 10.1.2.3,7000 Chat = 10.1.2.4,7001 Cashier = 10.1.2.5,7002"},
      {"no cashier pair", "Casino = 10.1.2.3,7000;Chat = 10.1.2.4,7001"},
      {"chat without port", "Casino = 10.1.2.3,7000;Chat = 10.1.2.4;Cashier = 10.1.2.5,7002"},
      {"address of 100", "Casino = " + longField + ",7000;Chat = b,7001;Cashier = c,7002"},
      {"port of 100", "Casino = a,7000;Chat = b," + longField + ";Cashier = c,7002"},
      {"cashier port of 100", "Casino = a,7000;Chat = b,7001;Cashier = c," + longField},
      {"empty", ""},
  };
  ASSERT_TRUE(m_Server.Start());
  WriteScript(m_Script.Timeout("RCI_TIMEOUT", 9).FirstServer("127.0.0.1", m_Server.Port()));
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_pName);
    Reconnect();
    ASSERT_TRUE(m_Server.On("info", {Hex(c.m_Answer + std::string(1, '\0'))}));
    AwaitAnswerOnFirstWait("info");
    EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
    EXPECT_STREQ(m_pInfo->GetErrorMessage(), "No info (test)");
    EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_FAILED);
    EXPECT_EQ(m_Progress.m_Calls, Counting(9, 0, 9));
    EXPECT_STREQ(m_pInfo->GetCasinoIp(), "");
    EXPECT_TRUE(m_pInfo->m_Messages.empty());
  }
  // A field of 99 characters fits.
  Reconnect();
  ASSERT_TRUE(m_Server.On("info", {Wire("Casino = " + fitField + ",7000;Chat = b,7001;Cashier = c," + fitField)}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 1);
  EXPECT_EQ(m_pInfo->GetCasinoIp(), fitField);
  EXPECT_EQ(m_pInfo->GetCashierPort(), fitField);
}

TEST_F(InfoRequests, ProxyConfigurationOf256IsDroppedAndTheAddressesStillCount) {
  StartServer();
  Connect();
  const std::string answer = "Casino = 10.1.2.3,7000;Chat = 10.1.2.4,7001;Cashier = 10.1.2.5,7002([" + std::string(256, 'p') +
                             "])normalconf=updatemessage=New";
  ASSERT_TRUE(m_Server.On("info", {Wire(answer)}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 1);
  EXPECT_STREQ(m_pInfo->GetProxyConfig(), "");
  EXPECT_STREQ(m_pInfo->GetCashierPort(), "7002");
  EXPECT_STREQ(m_pInfo->GetUpdateMessage(), "New");
  EXPECT_TRUE(m_pInfo->m_Messages.empty());
}

TEST_F(InfoRequests, ServerThatClosesDuringTheInfoRequestIsReportedToThePlayer) {
  StartServer();
  Connect();
  ASSERT_TRUE(m_Server.On("info", {"close"}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
  EXPECT_EQ(m_pInfo->m_Messages, std::vector<std::string>{"Communication error|Server disconnected"});
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "No info (test)");
  // Without a link at all the request fails the same way, without waiting.
  m_pInfo->m_Messages.clear();
  m_Progress = CRecordingProgress();
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
  EXPECT_EQ(m_pInfo->m_Messages, std::vector<std::string>{"Communication error|Server disconnected"});
  EXPECT_EQ(m_Progress.m_Calls.size(), 1u);
}

// ---- the file-map request ----

TEST_F(InfoRequests, FileMapRequestNamesTheCrcOfTheLocalListAndSkipLeavesItByteIdentical) {
  StartServer();
  const std::string list = ModuleList("a");
  WriteWholeFile(File(INFO_SERVER_MAP_FILE), list);
  const ino_t before = Inode(File(INFO_SERVER_MAP_FILE));
  ServeList(list);
  Connect();
  ASSERT_TRUE(m_Server.On("filemap", {"map"}));
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 1);
  ASSERT_TRUE(m_Server.WaitFor("request filemap"));
  // The server computed the CRC with the committed script and found it the same, and so does the
  // script run on the file here.
  EXPECT_EQ(std::to_string(PythonCrc(File(INFO_SERVER_MAP_FILE))), std::to_string(Crc(list)));
  EXPECT_EQ(m_Server.Seen("request filemap "), std::vector<std::string>{std::to_string(Crc(list)) + " match"});
  EXPECT_EQ(m_Server.Seen("raw ").back(), Wire("RequestFileMap = " + std::to_string(Crc(list))));
  EXPECT_EQ(ReadWholeFile(File(INFO_SERVER_MAP_FILE)), list);
  EXPECT_EQ(Inode(File(INFO_SERVER_MAP_FILE)), before);
  EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_DONE);
  // The file-map request ends the link.
  EXPECT_TRUE(m_Server.WaitFor("closed"));
}

TEST_F(InfoRequests, NewFileMapCodedByTheReferenceModelReplacesTheLocalList) {
  StartServer();
  const std::string oldList = ModuleList("old");
  const std::string newList = ModuleList("new");
  WriteWholeFile(File(INFO_SERVER_MAP_FILE), oldList);
  ServeList(newList);
  Connect();
  ASSERT_TRUE(m_Server.On("filemap", {"map"}));
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 1);
  ASSERT_TRUE(m_Server.WaitFor("request filemap"));
  EXPECT_EQ(m_Server.Seen("request filemap "), std::vector<std::string>{std::to_string(Crc(oldList)) + " differs"});
  EXPECT_EQ(ReadWholeFile(File(INFO_SERVER_MAP_FILE)), newList);
  EXPECT_EQ(Entries(m_Dir.Path()), (std::set<std::string>{"xrs", "served.lst", INFO_SERVER_MAP_FILE}));
  EXPECT_TRUE(m_Server.WaitFor("closed"));
}

TEST_F(InfoRequests, WithoutALocalListTheRequestIsPlainAndTheListIsWrittenEvenWhenTheServerClosesAtOnce) {
  StartServer();
  const std::string list = ModuleList("fresh");
  ServeList(list);
  Connect();
  // The server sends the size and the data and closes straight away: what came first still counts.
  ASSERT_TRUE(m_Server.On("filemap", {"map", "close"}));
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 1);
  ASSERT_TRUE(m_Server.WaitFor("request filemap"));
  EXPECT_EQ(m_Server.Seen("request filemap "), std::vector<std::string>{"none"});
  EXPECT_EQ(m_Server.Seen("raw ").back(), Wire("RequestFileMap"));
  EXPECT_EQ(ReadWholeFile(File(INFO_SERVER_MAP_FILE)), list);
}

TEST_F(InfoRequests, BrokenFileMapTransfersFailAndLeaveTheLocalListAsItWas) {
  struct SCase {
    const char* m_pName;
    std::vector<std::string> m_Steps;
    bool m_TimesOut;  // the size answer is no answer: the wait runs to RCFS_TIMEOUT
  };
  const SCase cases[] = {
      {"size not a number", {Wire("Filesize = abc")}, true},
      {"negative size", {Wire("Filesize = -5")}, true},
      {"size above 16 MiB", {Wire("Filesize = 16777217")}, true},
      {"size of twenty digits", {Wire("Filesize = 99999999999999999999")}, true},
      {"no separator", {Wire("Filesize 12")}, true},
      {"text behind the size", {Wire("Filesize = 12 bytes")}, true},
      {"no answer", {}, true},
      {"size 1", {Wire("Filesize = 1"), Hex("\x01")}, false},
      {"size 0", {Wire("Filesize = 0"), "-"}, false},
      {"shorter than announced", {Wire("Filesize = 100"), Hex(std::string(50, '\x80'))}, false},
      {"longer than announced", {Wire("Filesize = 4"), Hex("abcdefgh")}, false},
      {"not LZSS", {Wire("Filesize = 10"), Hex(std::string(10, '\xff'))}, false},
      {"closed after the size", {Wire("Filesize = 10"), "close"}, false},
      {"closed at once", {"close"}, false},
  };
  ASSERT_TRUE(m_Server.Start());
  WriteScript(m_Script.Timeout("RCFS_TIMEOUT", 6).FirstServer("127.0.0.1", m_Server.Port()));
  const std::string list = ModuleList("kept");
  WriteWholeFile(File(INFO_SERVER_MAP_FILE), list);
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_pName);
    Reconnect();
    if (!c.m_Steps.empty()) {
      ASSERT_TRUE(m_Server.On("filemap", c.m_Steps));
      AwaitAnswerOnFirstWait("filemap");
    }
    EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 0);
    EXPECT_STREQ(m_pInfo->GetErrorMessage(), "No file map (test)");
    EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_FAILED);
    if (c.m_TimesOut) EXPECT_EQ(m_Progress.m_Calls, Counting(6, 0, 7));
    else EXPECT_LT(m_Progress.m_Calls.size(), 8u);
    EXPECT_EQ(ReadWholeFile(File(INFO_SERVER_MAP_FILE)), list);
    EXPECT_EQ(Entries(m_Dir.Path()), (std::set<std::string>{"xrs", INFO_SERVER_MAP_FILE}));
  }
}

TEST_F(InfoRequests, FileMapDataThatNeverComesFailsAfterTheDataTimeout) {
  ASSERT_TRUE(m_Server.Start());
  WriteScript(m_Script.Timeout("RCF_TIMEOUT", 5).FirstServer("127.0.0.1", m_Server.Port()));
  Connect();
  ASSERT_TRUE(m_Server.On("filemap", {Wire("Filesize = 100")}));
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 0);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "No file map (test)");
  EXPECT_EQ(Tail(m_Progress.m_Calls, 6), Counting(5, 1, 6));
  EXPECT_FALSE(std::filesystem::exists(File(INFO_SERVER_MAP_FILE)));
}

// ---- time-outs as the script leaves them ----

TEST_F(InfoRequests, MissingTimeoutsKeepTheirDefaults) {
  ASSERT_TRUE(m_Server.Start());
  for (const char* key : {"IC_CONNECT_TIMEOUT", "RCF_TIMEOUT", "RCFS_TIMEOUT", "RCC_TIMEOUT", "RCI_TIMEOUT", "MIN_TIMEOUT"})
    m_Script.NoTimeout(key);
  WriteScript(m_Script.FirstServer("127.0.0.1", m_Server.Port()));
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);

  // No answer to the connection: 400 passes beyond the start.
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  EXPECT_EQ(m_Progress.m_Calls.front(), (SProgressCall{2000, 0}));
  EXPECT_EQ(Tail(m_Progress.m_Calls, 401), Counting(400, 1, 401));

  Reconnect();
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
  EXPECT_EQ(m_Progress.m_Calls, Counting(2000, 0, 2000));

  Reconnect();
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 0);
  EXPECT_EQ(m_Progress.m_Calls, Counting(2000, 0, 2001));

  Reconnect();
  ASSERT_TRUE(m_Server.On("filemap", {Wire("Filesize = 10")}));
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 0);
  EXPECT_EQ(Tail(m_Progress.m_Calls, 4001), Counting(4000, 1, 4001));
}

// ---- the player ends a wait ----

enum class EAbort { Key, Quit };

class InfoAbort : public InfoRequests, public ::testing::WithParamInterface<EAbort> {
 protected:
  // From the fifth pass of the next request on, the key is down, or the player quits.
  void AbortOnFifthPass(EAbort how) {
    m_Progress.m_OnPass = [how](size_t n) {
      if (n != 5) return;
      if (how == EAbort::Key) PlatformHeadless()->QueueKey(XVK_F1 + 10, true);
      else xSetUserWantToQuit(1);
    };
  }
};

TEST_P(InfoAbort, EndsTheConnectionRequestWithOne) {
  StartServer();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  AbortOnFifthPass(GetParam());
  // The server never answers.
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  EXPECT_EQ(m_Progress.m_Calls.size(), 5u);
  EXPECT_EQ(m_pInfo->GetErrorMessage(), nullptr);
}

TEST_P(InfoAbort, EndsTheInfoRequestWithZeroAndClosesTheLink) {
  StartServer();
  Connect();
  AbortOnFifthPass(GetParam());
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
  EXPECT_EQ(m_Progress.m_Calls.size(), 5u);
  EXPECT_EQ(m_pInfo->GetIcState(), IC_STATE_FAILED);
  EXPECT_TRUE(m_Server.WaitFor("closed"));
}

INSTANTIATE_TEST_SUITE_P(KeyAndQuit, InfoAbort, ::testing::Values(EAbort::Key, EAbort::Quit),
                         [](const ::testing::TestParamInfo<EAbort>& info) {
                           return std::string(info.param == EAbort::Key ? "Key309" : "Quit");
                         });

TEST_F(InfoRequests, QuitEndsTheFileMapRequestButKey309DoesNot) {
  StartServer();
  const std::string list = ModuleList("k");
  ServeList(list);
  Connect();
  // The key is down from the first pass on: the file-map request does not look at it.
  PlatformHeadless()->QueueKey(XVK_F1 + 10, true);
  ASSERT_TRUE(m_Server.On("filemap", {"map"}));
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 1);
  EXPECT_EQ(ReadWholeFile(File(INFO_SERVER_MAP_FILE)), list);

  // Released, and its press taken, before the next connection request would see it.
  PlatformHeadless()->QueueKey(XVK_F1 + 10, false);
  xHandler();
  EXPECT_EQ(glb->m_pKeyboard->IsPressed(INFO_ABORT_KEY), 2);
  Reconnect();
  m_Progress.m_OnPass = [](size_t n) {
    if (n == 5) xSetUserWantToQuit(1);
  };
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 0);
  EXPECT_EQ(m_Progress.m_Calls.size(), 5u);
  EXPECT_EQ(ReadWholeFile(File(INFO_SERVER_MAP_FILE)), list);
}

// ---- the proxy hop ----

TEST_F(InfoRequests, ProxyFlagInAnyCaseOrOneGoesThroughTheProxyAndAnyOtherGoesDirect) {
  CFakeInfoServer proxy;
  ASSERT_TRUE(proxy.Start({"--proxy"}));
  ASSERT_TRUE(m_Server.Start());
  const std::string target = std::to_string(m_Server.Port());
  const std::pair<const char*, bool> flags[] = {{"TRUE", true}, {"true", true},  {"TrUe", true}, {"1", true},
                                                {"FALSE", false}, {"0", false}, {"yes", false}, {"on", false}};
  for (const auto& [flag, through] : flags) {
    m_Script.Item({"127.0.0.1", "Vorrin", target, flag, "127.0.0.1", "FALSE", std::to_string(proxy.Port())});
  }
  WriteScript(m_Script);
  size_t viaProxy = 0;
  size_t direct = 0;
  for (const auto& [flag, through] : flags) {
    SCOPED_TRACE(flag);
    ASSERT_EQ(m_pInfo->SetNextserver(), 1);
    EXPECT_EQ(m_pInfo->GetProxyFlag(), through ? 1 : 0);
    CFakeInfoServer& answering = through ? proxy : m_Server;
    ASSERT_TRUE(answering.On("connection", {Wire("Connection = Accepted")}));
    EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
    if (through) {
      ASSERT_TRUE(proxy.WaitFor("request connection", ++viaProxy));
      // The location header names the info server itself.
      EXPECT_EQ(proxy.Seen("proxy ").back(), "127.0.0.1 " + target);
    } else {
      ASSERT_TRUE(m_Server.WaitFor("request connection", ++direct));
    }
  }
  EXPECT_EQ(proxy.Seen("request connection").size(), 4u);
  EXPECT_EQ(m_Server.Seen("request connection").size(), 4u);
}

TEST_F(InfoRequests, ScramblingFlagRunsTheProxyLinkUnderEncryptionAndAReusedLinkDropsIt) {
  CFakeInfoServer proxy;
  ASSERT_TRUE(proxy.Start({"--proxy", "--tls"}));
  ASSERT_TRUE(m_Server.Start());
  const std::string target = std::to_string(m_Server.Port());
  m_Script.Item({"127.0.0.1", "Vorrin", target, "TRUE", "127.0.0.1", "true", std::to_string(proxy.Port())});
  // The scrambling flag alone, without the proxy, leaves a plain direct link.
  m_Script.Item({"127.0.0.1", "Vorrin", target, "FALSE", "127.0.0.1", "TRUE", std::to_string(proxy.Port())});
  WriteScript(m_Script);

  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->GetProxyCryptFlag(), 1);
  ASSERT_TRUE(proxy.On("connection", {Wire("Connection = Accepted")}));
  ASSERT_TRUE(proxy.On("info", {Wire(kInfoAnswer)}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 1);
  ASSERT_TRUE(proxy.WaitFor("request info"));
  EXPECT_EQ(proxy.Seen("proxy "), std::vector<std::string>{"127.0.0.1 " + target});
  EXPECT_EQ(proxy.Seen("tls").size(), 1u);
  EXPECT_STREQ(m_pInfo->GetChatIp(), "chat.example");

  // The same link object serves the next server, which wants neither proxy nor encryption.
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Accepted")}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  ASSERT_TRUE(m_Server.WaitFor("request connection"));
  EXPECT_EQ(m_Server.Seen("raw "), std::vector<std::string>{Wire("RequestConnection = Vorrin")});
}

// ---- lifetime ----

TEST_F(InfoRequests, DestructorClosesTheLinkAndRequestsWithoutProgressRun) {
  StartServer();
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Accepted")}));
  ASSERT_TRUE(m_Server.On("info", {Wire(kInfoAnswer)}));
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(nullptr), 1);
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(nullptr), 1);
  EXPECT_STREQ(m_pInfo->GetCasinoIp(), "10.1.2.3");
  m_pInfo.reset();
  EXPECT_TRUE(m_Server.WaitFor("closed"));
}

TEST_F(InfoRequests, ErrorTextOutlivesTheScriptThatFlushFrees) {
  CClosedPort closed;
  WriteScript(m_Script.FirstServer("127.0.0.1", closed.Port()));
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  m_pInfo->Flush();
  // Something else takes the freed memory.
  std::vector<std::string> noise(64, std::string(40, 'x'));
  ASSERT_NE(m_pInfo->GetErrorMessage(), nullptr);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), "Unable to connect (test)");
}

}  // namespace
