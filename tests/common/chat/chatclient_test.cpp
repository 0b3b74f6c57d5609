// The chat client against the fake chat server of tests/tools, a Python process on 127.0.0.1
// that reads the client's packets with its own decoder of the records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chatfixture.h"
#include "common/chat/cmdstring.h"
#include "ostrel/base/types.h"
#include "ostrelcomm/commtcp.h"
#include "support/httppeers.h"
#include "support/tempdir.h"

namespace {

using Lines = std::vector<std::string>;

std::string Line(uint8_t style, const std::string& text) {
  return std::string(1, '\x80') + static_cast<char>(style) + text + std::string(1, '\0');
}
std::string TextRecord(uint8_t code, const std::string& text) { return static_cast<char>(code) + text + std::string(1, '\0'); }

// The hex of a command string as the client sends it: the value 0, then the text.
std::string SentText(const std::string& text) { return "1000000000" + Hex("\x11" + text + std::string(1, '\0')); }

class ChatClient : public CChatTest {
 protected:
  // Sends the line as typed and waits for the server to report what reached it.
  void SendAndSee(const char* text, int32_t fromProgram) {
    const size_t before = m_Server.Seen("raw ").size();
    ASSERT_EQ(m_pClient->SendText(text, fromProgram), 1);
    ASSERT_TRUE(m_Server.WaitFor("raw ", before + 1, [&] { Tick(); }));
  }
  std::string LastRaw() { return m_Server.Seen("raw ").back(); }
};

TEST_F(ChatClient, ConnectSendsItsThreeTextsAndJoinsTheLobby) {
  ConnectToServer();
  const Lines raw = m_Server.Seen("raw ");
  ASSERT_EQ(raw.size(), 2u);
  // "/connect " and the three texts, each between two bytes 1, a blank between them.
  EXPECT_EQ(raw[0], "1000000000" "11" "2f636f6e6e65637420" "01426f6201" "20" "016d656d62657201" "20" "0101" "00");
  EXPECT_EQ(raw[1], SentText("/join Lobby"));
  // The server's decoder reads the same two records.
  EXPECT_EQ(m_Server.Seen("records ")[1], "16:00000000 17:" + Hex("/join Lobby"));
  // The start lines come first, with the client's style; then the server's line with its own.
  ASSERT_TRUE(TickUntil([&] { return m_pClient->NumDisplayLines() >= 3; }));
  EXPECT_EQ(TakeLines(), (Lines{"1:Chat client v1.0 initialized...", "1:", "2:Now talking in Lobby"}));
  EXPECT_EQ(Users(), (Lines{"Bob", "Dealer\x03host"}));
  EXPECT_NE(m_pClient->GetUserList(1), nullptr);
  EXPECT_EQ(m_pClient->GetUserList(1), nullptr);  // unchanged since
}

// The server's decoder, written from the record table in Python, reads what the codec writes.
TEST_F(ChatClient, TheServersDecoderReadsEveryRecordKindTheCodecWrites) {
  ConnectToServer();
  CCmdString cmd;
  ASSERT_EQ(cmd.AddValueCmd(0xA1B2C3D4), 1);
  ASSERT_EQ(cmd.AddTextRecord(CHATCMD_TEXT, "text"), 1);
  ASSERT_EQ(cmd.AddTextCmd(7, "<Al> hi"), 1);
  ASSERT_EQ(cmd.AddCommand(CHATCMD_LINE, 8) && cmd.AddString("n=%d", 5), 1);
  ASSERT_EQ(cmd.AddCommand(CHATCMD_SKIPBYTE) && cmd.AddCommand(42), 1);
  for (uint8_t code : {CHATCMD_USERLIST, CHATCMD_USERLISTMORE, CHATCMD_USERJOINED, CHATCMD_USERLEFT})
    ASSERT_EQ(cmd.AddTextRecord(code, "Al\x02" "Bo\x03x"), 1);
  ASSERT_EQ(cmd.AddCommand(99), 1);
  const uint32_t size = cmd.GetLength();
  // With the end record, as a closed string would go; the decoder stops there.
  ASSERT_EQ(m_pClient->GetComm()->SendRawData(cmd.GetCmdString(), size + 1), 1);
  ASSERT_TRUE(m_Server.WaitFor("records ", 3, [&] { Tick(); }));
  const std::string names = Hex("Al\x02" "Bo\x03x");
  EXPECT_EQ(m_Server.Seen("records ")[2], "16:a1b2c3d4 17:" + Hex("text") + " 128:07" + Hex("<Al> hi") + " 128:08" +
                                              Hex("n=5") + " 129:2a 130:" + names + " 131:" + names + " 132:" + names +
                                              " 133:" + names + " 99");
}

TEST_F(ChatClient, ConnectJoinsTheChannelGivenAndReportsItsStates) {
  ASSERT_TRUE(m_Server.Start());
  // Not started: nothing to connect.
  EXPECT_EQ(m_pClient->Connect(1, "a", "b", "c", 1, 0, "Poker"), 0);
  ASSERT_EQ(m_pClient->Startup("127.0.0.1", m_Server.Port(), 0, 0, nullptr, 0), 1);
  EXPECT_EQ(m_pClient->GetComm()->GetObjName(), std::string(CHAT_LINK_NAME));
  EXPECT_EQ(m_pClient->GetComm()->GetAcceptRaw(), 1);
  EXPECT_EQ(m_pClient->GetComm()->GetAcceptNode(), 0);
  EXPECT_EQ(m_pClient->GetComm()->GetPingClient(), 0);
  EXPECT_EQ(m_pClient->GetComm()->GetPingServer(), 1);
  int32_t result = 2;
  ASSERT_TRUE(TickUntil([&] { return (result = m_pClient->Connect(1, nullptr, "b", "c", 1, 0, "Poker")) != 2; }));
  EXPECT_EQ(result, 0);  // connected, but no first text
  EXPECT_EQ(m_pClient->Connect(1, "a", nullptr, nullptr, 1, 1, "Poker"), 1);
  ASSERT_TRUE(m_Server.WaitFor("raw ", 2, [&] { Tick(); }));
  EXPECT_EQ(m_Server.Seen("raw ")[0], SentText("/connect \x01" "a\x01 \x01\x01 \x01\x01"));
  EXPECT_EQ(m_Server.Seen("raw ")[1], SentText("/join Poker"));
  // Without the join flag only the connect goes out.
  EXPECT_EQ(m_pClient->Connect(1, "x", "y", "z", 0, 1, nullptr), 1);
  m_Server.Drain(200, [&] { Tick(); });
  EXPECT_EQ(m_Server.Seen("raw ").size(), 3u);
}

// Through the library's forwarding proxy, run as a process: plainly, and under TLS to the proxy.
TEST_F(ChatClient, TheProxyCarriesTheChatPlainOrUnderTls) {
  CTempDir dir;
  const std::string cert = dir.File("cert.pem"), key = dir.File("key.pem");
  RunForOutput({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-subj",
                "/CN=localhost", "-days", "2", "-keyout", key, "-out", cert});
  ASSERT_FALSE(ReadWholeFile(cert).empty());
  for (const int32_t tls : {0, 1}) {
    SCOPED_TRACE(tls ? "under TLS" : "plain");
    CFakeChatServer server;
    ASSERT_TRUE(server.Start());
    const std::string port = std::to_string(server.Port());
    std::vector<std::string> args = {"-rule", "127.0.0.1", port, port, "0"};
    if (tls) args.insert(args.end(), {"-in", cert, key});
    CSpawnedChild proxy;
    ASSERT_TRUE(proxy.StartProgram("proxypeer", args));
    const std::string listening = proxy.ReadLine();
    ASSERT_EQ(listening.rfind("port ", 0), 0u) << listening;
    const int32_t proxyPort = std::stoi(listening.substr(5));

    CChatClient client(nullptr, nullptr);
    ASSERT_EQ(client.Startup("127.0.0.1", server.Port(), 1, tls, "127.0.0.1", proxyPort), 1);
    EXPECT_EQ(client.GetComm()->GetEncryption(), tls);
    int32_t result = 2;
    ASSERT_TRUE(RunUntil([&] { return (result = client.Connect(1, "Cy", "m", "", 1, 0, nullptr)) != 2; },
                         [&] { client.Ticker(); }));
    ASSERT_EQ(result, 1);
    ASSERT_TRUE(server.WaitFor("raw ", 2, [&] { client.Ticker(); }));
    EXPECT_EQ(server.Seen("raw ")[1], SentText("/join Lobby"));
    // And back: the server's answer to the join.
    ASSERT_TRUE(RunUntil([&] { return client.GetUserList(0)->GetNumNodes() == 2; }, [&] { client.Ticker(); }));
    proxy.CloseInput();
    EXPECT_EQ(proxy.Wait(), 0);
  }
  // A proxy that cannot be reached fails the start.
  CChatClient client(nullptr, nullptr);
  EXPECT_EQ(client.Startup("127.0.0.1", 80, 1, 0, "127.0.0.1", 0), 0);
}

TEST_F(ChatClient, AConnectionRefusedEndsInZero) {
  // Refused at once by the socket, or when the connection is looked at.
  if (m_pClient->Startup("127.0.0.1", FreeLoopbackPort(), 0, 0, nullptr, 0)) {
    int32_t result = 2;
    ASSERT_TRUE(TickUntil([&] { return (result = m_pClient->Connect(1, "a", "b", "c", 1, 0, nullptr)) != 2; }));
    EXPECT_EQ(result, 0);
  }
  EXPECT_EQ(m_pClient->IsConnected(), 0);
  EXPECT_EQ(m_pClient->Ticker(), 0);
  // Bad addresses are refused before any link is made.
  EXPECT_EQ(m_pClient->Startup(nullptr, 80, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(m_pClient->Startup("127.0.0.1", 0, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(m_pClient->Startup("127.0.0.1", 65536, 0, 0, nullptr, 0), 0);
}

TEST_F(ChatClient, LinesKeepTheirStyleAndUserListRecordsEndTheirString) {
  ConnectToServer();
  TakeLines();
  Receive(Line(3, "three") + Line(0, "zero") + Line(200, "two hundred") + std::string("\x81\x09", 2) + Line(4, "four"));
  EXPECT_EQ(TakeLines(), (Lines{"3:three", "0:zero", "200:two hundred", "4:four"}));

  // 130: a new list, names between bytes 2, extras behind byte 3; what follows is not read.
  Receive(TextRecord(CHATCMD_USERLIST, "Al\x03vip\x02" "Bo\x02\x02\x03nameless\x02" "Cy") + Line(1, "after the list"));
  EXPECT_EQ(Users(), (Lines{"Al\x03vip", "Bo", "Cy"}));
  EXPECT_EQ(TakeLines(), Lines{});
  EXPECT_NE(m_pClient->GetUserList(1), nullptr);
  // 131 appends.
  Receive(TextRecord(CHATCMD_USERLISTMORE, "Di\x02" "Ed\x03" "away"));
  EXPECT_EQ(Users(), (Lines{"Al\x03vip", "Bo", "Cy", "Di", "Ed\x03" "away"}));
  EXPECT_NE(m_pClient->GetUserList(1), nullptr);
  // 132 adds no name listed already, even with other extras; the record behind it is not read.
  Receive(TextRecord(CHATCMD_USERJOINED, "Al\x03other") + TextRecord(CHATCMD_USERJOINED, "Fay"));
  EXPECT_EQ(Users().size(), 5u);
  EXPECT_EQ(m_pClient->GetUserList(1), nullptr);  // nothing changed
  Receive(TextRecord(CHATCMD_USERJOINED, "Fay\x03new"));
  EXPECT_EQ(Users().back(), "Fay\x03new");
  // 133 takes the entry of that name away, extras or not.
  Receive(TextRecord(CHATCMD_USERLEFT, "Al"));
  Receive(TextRecord(CHATCMD_USERLEFT, "Ed\x03" "away"));
  Receive(TextRecord(CHATCMD_USERLEFT, "Nobody"));
  EXPECT_EQ(Users(), (Lines{"Bo", "Cy", "Di", "Fay\x03new"}));
  EXPECT_NE(m_pClient->GetUserList(1), nullptr);
  // A new list replaces the old.
  Receive(TextRecord(CHATCMD_USERLIST, "Zed"));
  EXPECT_EQ(Users(), Lines{"Zed"});
}

TEST_F(ChatClient, UserNamesAreComparedWithinTheirFortyNineCharacters) {
  ConnectToServer();
  const std::string name49(49, 'n');
  Receive(TextRecord(CHATCMD_USERLIST, name49 + "A"));
  // Alike in the first 49 characters: the same name.
  Receive(TextRecord(CHATCMD_USERJOINED, name49 + "B"));
  EXPECT_EQ(Users(), Lines{name49 + "A"});
  Receive(TextRecord(CHATCMD_USERJOINED, std::string(48, 'n')));
  EXPECT_EQ(Users().size(), 2u);
  Receive(TextRecord(CHATCMD_USERLEFT, name49 + "Z"));
  EXPECT_EQ(Users(), Lines{std::string(48, 'n')});
}

// Ignoring matches the whole sender name; an ignored line goes alone.
TEST_F(ChatClient, TheIgnoreTable) {
  ConnectToServer();
  TakeLines();
  for (const char* name : {"/ignore Al", "/ignore \"Bo Bo\""}) ASSERT_EQ(m_pClient->SendText(name, 0), 1);
  TakeLines();
  struct SRow {
    const char* m_Line;
    bool m_Shown;
  };
  const SRow rows[] = {
      {"\x03" "Al\x04 hi", false},  {"<Al> hi", false},         {"\x03" "Alice\x04 hi", true},
      {"<Alice> hi", true},         {"<Al hi", true},           {"\x03" "Al> hi", true},
      {"Al: hi", true},             {"<Bo Bo> hi", false},      {"<Bo> hi", true},
      {"<al> hi", true},            {"\x03" "Al", true},        {"", true},
  };
  std::string packet;
  Lines expected;
  for (const SRow& row : rows) {
    packet += Line(1, row.m_Line);
    if (row.m_Shown) expected.push_back(std::string("1:") + row.m_Line);
  }
  Receive(packet);
  EXPECT_EQ(TakeLines(), expected);
  // With ignore all on, every line shows, and typed text stays home.
  EXPECT_EQ(m_pClient->IgnoreAll(1), 0);
  Receive(Line(1, "<Al> hello"));
  EXPECT_EQ(TakeLines(), Lines{"1:<Al> hello"});
  EXPECT_EQ(m_pClient->SendText("hello", 0), 0);
  EXPECT_EQ(TakeLines(), Lines{"1:Ignore all is active."});
  EXPECT_EQ(m_pClient->IgnoreAll(0), 1);
  EXPECT_EQ(m_pClient->NumQueued(), 0);
}

TEST_F(ChatClient, IgnoreAndUnignoreFromTheProgramTellTheServer) {
  ConnectToServer();
  m_pClient->GetUserList(1);
  EXPECT_EQ(m_pClient->Ignore("Al"), 1);
  EXPECT_EQ(m_pClient->Ignore("Al"), 0);
  EXPECT_EQ(m_pClient->IsIgnored("Al"), 1);
  EXPECT_EQ(m_pClient->IsIgnored("Alice"), 0);
  EXPECT_NE(m_pClient->GetUserList(1), nullptr);  // the panel redraws its marks
  EXPECT_EQ(m_pClient->UnIgnore("Bo"), 0);
  EXPECT_EQ(m_pClient->UnIgnore("Al"), 1);
  EXPECT_EQ(m_pClient->IsIgnored("Al"), 0);
  ASSERT_TRUE(m_Server.WaitFor("raw ", 4, [&] { Tick(); }));
  const Lines raw = m_Server.Seen("raw ");
  EXPECT_EQ(raw[2], SentText("/ignore Al"));
  EXPECT_EQ(raw[3], SentText("/unignore Al"));
}

TEST_F(ChatClient, LocalCommandsShowTheirTextsAndSendNothing) {
  // The formats come from a script: only their "%s" is filled.
  m_pClient = std::make_unique<CChatClient>("Now ignoring %s (%d%%).", "No longer ignoring %s.");
  ASSERT_TRUE(m_Server.Start());
  ASSERT_EQ(m_pClient->Startup("127.0.0.1", m_Server.Port(), 0, 0, nullptr, 0), 1);
  ASSERT_TRUE(TickUntil([&] { return m_pClient->Connect(7, "Bob", "", "", 0, 0, nullptr) != 2; }));
  ASSERT_TRUE(m_Server.WaitFor("raw ", 1, [&] { Tick(); }));
  TakeLines();

  struct SRow {
    std::string m_Typed;
    Lines m_Shown;
  };
  const std::string cut(CHAT_MAX_COMMAND_NAME, 'L');
  const std::vector<SRow> rows = {
      {"/ignore Al", {"1:Now ignoring Al (%d%%)."}},
      {"/IGNORE Al", {"1:\"Al\" is allready in the ignore list"}},
      {"/ignore \"Bo Bo\" extra", {"1:Now ignoring Bo Bo (%d%%)."}},
      {"/ignore " + std::string(40, 'L'), {"1:Now ignoring " + cut + " (%d%%)."}},
      {"/ignore", {}},
      {"/ignore \"\"", {}},
      {"/listignores", {"1:People on the ignore list", "1:", "1: Al", "1: Bo Bo", "1: " + cut, "1:", "1:Total : 3", "1:"}},
      {"/unignore Al", {"1:No longer ignoring Al."}},
      {"/unignore Al", {"1:Unable to find \"Al\""}},
      {"/unignore", {}},
      {"/ignoreCy", {}},
      {"/savelog", {"1:Unable to save log file"}},
      {"/savelog /no/such/folder/x.txt", {"1:Unable to save log file"}},
  };
  for (const SRow& row : rows) {
    EXPECT_EQ(m_pClient->SendText(row.m_Typed.c_str(), 0), 1) << row.m_Typed;
    EXPECT_EQ(TakeLines(), row.m_Shown) << row.m_Typed;
  }
  EXPECT_EQ(m_pClient->NumIgnored(), 2);

  // savelog writes the display lines not yet taken to the file the player names.
  CTempDir dir;
  CWorkingDir here(dir.Path());
  Receive(Line(2, "first") + Line(5, "second"));
  std::string expected;
  for (int32_t i = 0; i < m_pClient->NumDisplayLines(); ++i) expected += std::string(m_pClient->GetDisplayLine(i)) + "\n";
  ASSERT_EQ(m_pClient->SendText("/SaveLog \"my chat.log\"", 0), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("my chat.log")), expected);
  EXPECT_EQ(expected.rfind("first\nsecond\n", 0), 0u);
  EXPECT_EQ(TakeLines(), (Lines{"2:first", "5:second", "1:Log file saved to \"my chat.log\""}));
  // Nothing of all this went to the server.
  m_Server.Drain(200, [&] { Tick(); });
  EXPECT_EQ(m_Server.Seen("raw ").size(), 1u);
}

TEST_F(ChatClient, TypedSlashesBecomeBlanksAndTheProgramsCommandsGoOutUnchanged) {
  ConnectToServer();
  SendAndSee("/x marks", 0);
  EXPECT_EQ(LastRaw(), SentText(" x marks"));
  SendAndSee("/", 0);
  EXPECT_EQ(LastRaw(), SentText(" "));
  SendAndSee("/join Poker", 1);
  EXPECT_EQ(LastRaw(), SentText("/join Poker"));
  SendAndSee("plain words", 0);
  EXPECT_EQ(LastRaw(), SentText("plain words"));
  EXPECT_EQ(m_pClient->SendText("", 0), 0);
  EXPECT_EQ(m_pClient->SendText(nullptr, 0), 0);
  // The value record carries the client's four bytes, most significant first.
  m_pClient->SetLineValue(0x01020304);
  SendAndSee("v", 0);
  EXPECT_EQ(LastRaw(), "1001020304" + Hex("\x11v" + std::string(1, '\0')));
  // A line longer than a command string holds is refused whole.
  m_pClient->SetLineValue(0);
  EXPECT_EQ(m_pClient->SendText(std::string(1017, 'w').c_str(), 0), 0);
  SendAndSee(std::string(1016, 'w').c_str(), 0);
  EXPECT_EQ(LastRaw().size(), 2u * 1023);
}

TEST_F(ChatClient, AChannelOfFiftyOneCharactersIsRefused) {
  ConnectToServer();
  m_pClient->GetUserList(1);
  EXPECT_EQ(m_pClient->ChangeChannel(std::string(51, 'c').c_str()), 0);
  EXPECT_EQ(m_pClient->ChangeChannel(""), 0);
  EXPECT_EQ(m_pClient->ChangeChannel(nullptr), 0);
  EXPECT_EQ(m_pClient->GetUserList(1), nullptr);
  EXPECT_EQ(m_pClient->ChangeChannel(std::string(50, 'c').c_str()), 1);
  // The list of the old channel is gone at once.
  EXPECT_EQ(m_pClient->GetUserList(0)->GetNumNodes(), 0);
  EXPECT_NE(m_pClient->GetUserList(1), nullptr);
  ASSERT_TRUE(m_Server.WaitFor("raw ", 3, [&] { Tick(); }));
  EXPECT_EQ(m_Server.Seen("raw ")[2], SentText("/join " + std::string(50, 'c')));
  // The server's answer brings the new list.
  ASSERT_TRUE(TickUntil([&] { return m_pClient->GetUserList(0)->GetNumNodes() == 2; }));
}

TEST_F(ChatClient, TheHundredAndFirstLineAndTheTwentyFirstHistoryEntryPushOutTheOldest) {
  ConnectToServer();
  TakeLines();
  std::string lines;
  for (int i = 1; i <= 101; ++i) lines += Line(1, std::to_string(i));
  m_Server.SendRaw(lines);
  ASSERT_TRUE(TickUntil([&] { return m_pClient->NumDisplayLines() == CHAT_MAX_DISPLAY_LINES; }));
  EXPECT_STREQ(m_pClient->GetDisplayLine(0), "2");
  EXPECT_STREQ(m_pClient->GetDisplayLine(99), "101");

  // Every line taken goes into the history, which keeps the last 20.
  EXPECT_EQ(TakeLines().size(), 100u);
  EXPECT_STREQ(m_pClient->GetPrevHistory(), "101");
  EXPECT_STREQ(m_pClient->GetPrevHistory(), "100");
  EXPECT_STREQ(m_pClient->GetNextHistory(), "101");
  EXPECT_STREQ(m_pClient->GetNextHistory(), "101");  // stops at the newest
  for (int i = 0; i < 30; ++i) m_pClient->GetPrevHistory();
  EXPECT_STREQ(m_pClient->GetPrevHistory(), "82");  // stops at the oldest
  m_pClient->ClearAllData();
  EXPECT_EQ(m_pClient->GetPrevHistory(), nullptr);
  EXPECT_EQ(m_pClient->GetNextHistory(), nullptr);
}

TEST_F(ChatClient, OnePacketIsTakenEachFrame) {
  ConnectToServer();
  TakeLines();
  m_Server.SendRaw(Line(1, "one"));
  m_Server.SendRaw(Line(1, "two"));
  // Both wait in the link before the ticker runs.
  CCommRemoteClient* link = m_pClient->GetComm();
  ASSERT_TRUE(RunUntil([&] { return link->NumRecvQuePackets() == 2; }, [&] { link->NonBlockedHandler(); }));
  m_pClient->Ticker();
  EXPECT_EQ(TakeLines(), Lines{"1:one"});
  m_pClient->Ticker();
  EXPECT_EQ(TakeLines(), Lines{"1:two"});
}

// Packets the server should never send: each is bounded by its own length.
TEST_F(ChatClient, TheMalformedPacketTable) {
  ConnectToServer();
  TakeLines();
  struct SRow {
    const char* m_Name;
    std::string m_Bytes;
    Lines m_Shown;
    Lines m_Users;
  };
  const std::string big(1000, 'B');
  const std::vector<SRow> rows = {
      {"empty", "", {}, {"Bob", "Dealer\x03host"}},
      {"above 1024 bytes", Line(1, std::string(1030, 'x')), {}, {"Bob", "Dealer\x03host"}},
      {"exactly 1024 bytes", Line(1, std::string(1021, 'y')), {"1:" + std::string(1021, 'y')}, {"Bob", "Dealer\x03host"}},
      {"no end record and no NUL", std::string("\x80\x01" "tail"), {"1:tail"}, {"Bob", "Dealer\x03host"}},
      {"unknown codes around a line", std::string("\x05\x7f") + Line(1, "kept") + "\x99", {"1:kept"}, {"Bob", "Dealer\x03host"}},
      {"value of three bytes", Line(1, "before") + std::string("\x10\x01\x02\x03", 4), {"1:before"}, {"Bob", "Dealer\x03host"}},
      {"line cut before its style", Line(1, "a") + "\x80", {"1:a"}, {"Bob", "Dealer\x03host"}},
      {"user list without a NUL", std::string("\x82" "Al\x02" "Bo"), {}, {"Al", "Bo"}},
      {"joined name of 1000 characters", std::string("\x84") + big + std::string(1, '\0'), {}, {"Al", "Bo", big}},
      {"joined name without a NUL", std::string("\x84" "Cy"), {}, {"Al", "Bo", big, "Cy"}},
      {"left name without a NUL", std::string("\x85" "Bo"), {}, {"Al", big, "Cy"}},
      {"records behind an end record", std::string("\x11" "t\0\0", 4) + Line(1, "hidden"), {}, {"Al", big, "Cy"}},
  };
  for (const SRow& row : rows) {
    Receive(row.m_Bytes);
    EXPECT_EQ(TakeLines(), row.m_Shown) << row.m_Name;
    EXPECT_EQ(Users(), row.m_Users) << row.m_Name;
  }
  EXPECT_EQ(m_pClient->IsConnected(), 1);
}

TEST_F(ChatClient, ALostConnectionStopsTheTickerAndKeepsWhatWasQueued) {
  ConnectToServer();
  m_Server.Order("close");
  ASSERT_TRUE(TickUntil([&] { return !m_pClient->IsConnected(); }));
  EXPECT_EQ(m_pClient->Ticker(), 0);
  EXPECT_EQ(m_pClient->SendText("later", 0), 1);
  EXPECT_EQ(m_pClient->NumQueued(), 1);
  EXPECT_EQ(m_pClient->Connect(1, "a", "b", "c", 1, 1, nullptr), 0);
}

TEST_F(ChatClient, ClearAllDataDropsLinesQueuesAndHistoryButNotTheLists) {
  ConnectToServer();
  ASSERT_EQ(m_pClient->SendText("/ignore Al", 0), 1);
  m_pClient->SendText("queued", 0);
  char* line = m_pClient->GetNewLine();
  xFree(line);
  EXPECT_GT(m_pClient->NumDisplayLines(), 0);
  EXPECT_EQ(m_pClient->NumQueued(), 1);
  m_pClient->ClearAllData();
  EXPECT_EQ(m_pClient->NumDisplayLines(), 0);
  EXPECT_EQ(m_pClient->NumQueued(), 0);
  EXPECT_EQ(m_pClient->GetPrevHistory(), nullptr);
  EXPECT_EQ(m_pClient->GetNewLine(), nullptr);
  EXPECT_EQ(m_pClient->IsIgnored("Al"), 1);
  EXPECT_EQ(Users().size(), 2u);
}

}  // namespace
