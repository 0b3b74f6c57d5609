// The cashier protocol: raw texts on real links, the readers of the entry server's and the
// process's raw messages (each over exactly the packet's bytes, so that the sanitizers see any read
// past it), and cashier packets built on one node and read on another.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cashierfixture.h"
#include "cashierpacket.h"
#include "cashierrequests.h"
#include "ostrel/base/types.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"
#include "rawmessages.h"
#include "shared/pendingmessage.h"

namespace {

using namespace std::string_literals;

// The bytes in a block of exactly their size.
class CExactBytes {
 public:
  explicit CExactBytes(const std::string& bytes) : m_Size(bytes.size()), m_pData(new uint8_t[bytes.size() ? bytes.size() : 1]) {
    std::memcpy(m_pData.get(), bytes.data(), bytes.size());
  }
  const void* Data() const { return m_Size ? m_pData.get() : nullptr; }
  uint32_t Size() const { return static_cast<uint32_t>(m_Size); }

 private:
  size_t m_Size;
  std::unique_ptr<uint8_t[]> m_pData;
};

struct SMsg {
  int32_t m_Read;
  uint8_t m_Code, m_Icon;
  std::string m_Title, m_Text;
};

SMsg ReadMsg(const std::string& bytes) {
  const CExactBytes exact(bytes);
  TPendingMessage message;
  std::strcpy(message.m_Title, "untouched");
  SMsg got{ParseServerMsg(exact.Data(), exact.Size(), message), message.m_Code, message.m_Icon, message.m_Title,
           message.m_Text};
  EXPECT_EQ(message.m_Pending, 0) << "the reader does not flag the message";
  return got;
}

const std::string kUnreadable = CASHIER_MSG_UNREADABLE;

TEST(CashierRawMessages, MsgPackets) {
  struct {
    const char* m_Case;
    std::string m_Bytes;
    SMsg m_Expected;
  } const rows[] = {
      {"whole", "Msg\x07\x03Title\x01XHello\0"s, {1, 7, 2, "Title", "Hello"}},
      {"the text runs to the end", "Msg\x07\x01T\x01XHello"s, {1, 7, 0, "T", "Hello"}},
      {"no title mark", "Msg\x07\x03Title only"s, {1, 7, 2, "Title only", kUnreadable}},
      {"the mark ends it", "Msg\x07\x03T\x01"s, {1, 7, 2, "T", kUnreadable}},
      {"the skipped byte ends it", "Msg\x07\x03T\x01X"s, {1, 7, 2, "T", ""}},
      {"an empty title", "Msg\x00\x02\x01Xtext"s, {1, 0, 1, "", "text"}},
      {"icon byte 0", "Msg\x01\x00T\x01Xt"s, {1, 1, 0, "T", "t"}},
      {"icon byte 10 is the last icon", "Msg\x01\x0aT\x01Xt"s, {1, 1, 9, "T", "t"}},
      {"icon byte 11", "Msg\x01\x0bT\x01Xt"s, {1, 1, 0, "T", "t"}},
      {"icon byte 255", "Msg\x01\xffT\x01Xt"s, {1, 1, 0, "T", "t"}},
      {"a zero ends the title", "Msg\x01\x01Ti\0tle\x01Xtext"s, {1, 1, 0, "Ti", "text"}},
      {"only the word", "Msg"s, {1, 0, 0, "", kUnreadable}},
      {"the code alone", "Msg\x05"s, {1, 5, 0, "", kUnreadable}},
      {"not a message", "Ms"s, {0, 0, 0, "untouched", ""}},
      {"another case", "msg\x01\x01T\x01Xt"s, {0, 0, 0, "untouched", ""}},
      {"empty", ""s, {0, 0, 0, "untouched", ""}},
  };
  for (const auto& row : rows) {
    const SMsg got = ReadMsg(row.m_Bytes);
    EXPECT_EQ(got.m_Read, row.m_Expected.m_Read) << row.m_Case;
    EXPECT_EQ(got.m_Code, row.m_Expected.m_Code) << row.m_Case;
    EXPECT_EQ(got.m_Icon, row.m_Expected.m_Icon) << row.m_Case;
    EXPECT_EQ(got.m_Title, row.m_Expected.m_Title) << row.m_Case;
    EXPECT_EQ(got.m_Text, row.m_Expected.m_Text) << row.m_Case;
  }
}

TEST(CashierRawMessages, LongTitlesAndTextsAreCutToTheirFields) {
  const std::string title(5000, 'T'), text(5000, 'x');
  const SMsg got = ReadMsg("Msg\x01\x02"s + title + "\x01" + "-" + text);
  EXPECT_EQ(got.m_Title, title.substr(0, PENDINGMSG_TITLE_SIZE - 1));
  EXPECT_EQ(got.m_Text, text.substr(0, PENDINGMSG_TEXT_SIZE - 1));
  const SMsg noMark = ReadMsg("Msg\x01\x02"s + title);
  EXPECT_EQ(noMark.m_Title.size(), 999u);
  EXPECT_EQ(noMark.m_Text, kUnreadable);
}

TEST(CashierRawMessages, AMsgCutAnywhereReadsOnlyWhatItHas) {
  const std::string whole = "Msg\x07\x03Title\x01XHello"s;
  const size_t mark = whole.find('\x01', 5);
  for (size_t n = 0; n <= whole.size(); ++n) {
    const SMsg got = ReadMsg(whole.substr(0, n));
    if (n < 3) {
      EXPECT_EQ(got.m_Read, 0) << n;
      continue;
    }
    EXPECT_EQ(got.m_Read, 1) << n;
    EXPECT_EQ(got.m_Title, whole.substr(5, std::min(n, mark) - std::min<size_t>(n, 5))) << n;
    EXPECT_EQ(got.m_Text, n < mark + 2 ? kUnreadable : whole.substr(mark + 2, n - mark - 2)) << n;
  }
}

TEST(CashierRawMessages, CashierServerReplies) {
  struct {
    std::string m_Reply;
    int32_t m_Read;
    std::string m_Host;
    int32_t m_Port;
  } const rows[] = {
      {"CashierServer=cash.example:9000", 1, "cash.example", 9000},
      {"CashierServer = 127.0.0.1:9000", 1, "127.0.0.1", 9000},
      {"CashierServer=h:80\0"s, 1, "h", 80},
      {"CashierServer=h:80\r\n", 1, "h", 80},
      {"CashierServer=h:80\0garbage=x:99"s, 1, "h", 80},
      {"CashierServer=a=b:c:81", 1, "b:c", 81},
      {"CashierServer host=h:65535", 1, "h", 65535},
      // "=" then ":" and one digit: an empty host.
      {"CashierServer=:5", 1, "", 5},
      {"CashierServer=:9", 1, "", 9},
      {"CashierServer=" + std::string(255, 'h') + ":80", 1, std::string(255, 'h'), 80},
      // Refused: the cashier waits on for a usable reply.
      {"CashierServer=:0", 0, "", 0},
      {"CashierServer=:", 0, "", 0},
      {"CashierServer=h:", 0, "", 0},
      {"CashierServer=h", 0, "", 0},
      {"CashierServer:80=h", 0, "", 0},
      {"CashierServer", 0, "", 0},
      {"CashierServer=h:65536", 0, "", 0},
      {"CashierServer=h:123456789012", 0, "", 0},
      {"CashierServer=h:80x", 0, "", 0},
      {"CashierServer=h:-80", 0, "", 0},
      {"CashierServer=" + std::string(300, 'h') + ":80", 0, "", 0},
      {"Yes=h:80", 0, "", 0},
      {"", 0, "", 0},
  };
  for (const auto& row : rows) {
    const CExactBytes exact(row.m_Reply);
    std::string host = "untouched";
    int32_t port = -7;
    EXPECT_EQ(ParseCashierServerReply(exact.Data(), exact.Size(), host, port), row.m_Read) << row.m_Reply;
    EXPECT_EQ(host, row.m_Read ? row.m_Host : "untouched") << row.m_Reply;
    EXPECT_EQ(port, row.m_Read ? row.m_Port : -7) << row.m_Reply;
  }
}

TEST(CashierRawMessages, OnlyTheExactPingIsAKeepAlive) {
  EXPECT_EQ(IsRawPing(CExactBytes("Ping\0"s).Data(), 5), 1);
  for (const std::string& other : {"Ping"s, "Ping\0x"s, "Pong\0"s, "ping\0"s, "PingPong\0"s, "Ping!"s, ""s}) {
    const CExactBytes exact(other);
    EXPECT_EQ(IsRawPing(exact.Data(), exact.Size()), 0) << other;
  }
  const CExactBytes yes("YesPlease"), ye("Ye");
  EXPECT_EQ(RawBegins(yes.Data(), yes.Size(), CASHIER_RAW_YES), 1);
  EXPECT_EQ(RawBegins(ye.Data(), ye.Size(), CASHIER_RAW_YES), 0);
  const CExactBytes echo("PingPong\0"s);
  EXPECT_EQ(RawBegins(echo.Data(), echo.Size(), CASHIER_RAW_PINGPONG), 1);
}

// The library started in the runtime's process.
class CashierProtocol : public CCashierTest {
 protected:
  void SetUp() override {
    CCashierTest::SetUp();
    ASSERT_EQ(xCommStartup(glb, sglb), 1);
  }
  void TearDown() override {
    xCommClosedown();
    CCashierTest::TearDown();
  }
};

// A client link on 127.0.0.1 and the server's side of it, both taking raw packets.
struct SRawLinks {
  static int32_t Accept(CCommBaseServer* server, void* user, int32_t) {
    auto* links = static_cast<SRawLinks*>(user);
    links->m_pAccepted = std::make_unique<CCommRemoteClient>();
    links->m_pAccepted->SetPacketTypes(1, 0);
    links->m_pAccepted->Startup();
    return links->m_pAccepted->SetConnectFromServer(static_cast<CCommRemoteServer*>(server));
  }
  bool Connect() {
    m_Client.SetPacketTypes(1, 0);
    m_Server.SetPortA(0);
    m_Server.SetCallbackFunction(Accept, this, 0);
    if (!m_Server.Startup() || !m_Server.StartListen() || !m_Server.NonBlockedStartListenHandler()) return false;
    m_Client.SetRemoteLocation("127.0.0.1", m_Server.GetPortA());
    if (!m_Client.Startup() || !m_Client.Connect()) return false;
    for (int i = 0; i < 100 && !(m_Client.IsConnected() && m_pAccepted); ++i) {
      m_Server.BlockedHandler(100);
      if (!m_Client.IsConnected() && !m_Client.BlockedConnectHandler(100)) return false;
    }
    return m_pAccepted && m_pAccepted->IsConnected();
  }
  // The next raw packet that reaches the server's side, within a few seconds.
  std::string Receive() {
    for (int i = 0; i < 2000; ++i) {
      m_Client.BlockedHandler(1);
      m_pAccepted->BlockedHandler(1);
      void* data = nullptr;
      uint32_t size = 0;
      if (m_pAccepted->RecvRawData(data, size)) {
        std::string bytes(static_cast<char*>(data), size);
        xFree(data);
        return bytes;
      }
    }
    return "<none>";
  }
  ~SRawLinks() {
    m_Client.Disconnect();
    if (m_pAccepted) m_pAccepted->Disconnect();
  }

  CCommRemoteClient m_Client;
  CCommRemoteServer m_Server;
  std::unique_ptr<CCommRemoteClient> m_pAccepted;
};

TEST_F(CashierProtocol, RawTextsGoWithTheirZeroByte) {
  SRawLinks links;
  ASSERT_TRUE(links.Connect());
  const struct {
    const char* m_Text;
    std::string m_Bytes;
  } golden[] = {
      {CASHIER_RAW_MAYENTER, "MayEnter\0"s},         {CASHIER_RAW_REQUESTSERVER, "RequestCashierServer\0"s},
      {CASHIER_RAW_PINGPONG, "PingPong\0"s},         {CASHIER_RAW_REQUESTNODE, "RequestNode\0"s},
      {CASHIER_RAW_PING, "Ping\0"s},
  };
  for (const auto& g : golden) {
    ASSERT_EQ(SendRawText(&links.m_Client, g.m_Text), 1) << g.m_Text;
    const std::string got = links.Receive();
    EXPECT_EQ(got, g.m_Bytes) << g.m_Text;
    if (std::string(g.m_Text) == CASHIER_RAW_PING) {
      EXPECT_EQ(IsRawPing(got.data(), static_cast<uint32_t>(got.size())), 1);
    }
  }
  EXPECT_EQ(SendRawText(nullptr, CASHIER_RAW_PING), 0);
  EXPECT_EQ(SendRawText(&links.m_Client, nullptr), 0);
}

// The cashier's node and the process's, which meet inside one process.
struct SNodes {
  SNodes() {
    for (auto [node, type] : {std::pair{&m_Cashier, CNODE_CLIENT}, std::pair{&m_Process, CNODE_SERVER}}) {
      node->SetId(4711);
      node->SetName("CashierCommNode");
      EXPECT_EQ(node->InitCommNode(type), 1);
    }
  }
  // The next payload that reached the process's node, as text.
  std::string Take() {
    void* data = nullptr;
    uint32_t size = 0;
    if (!m_Process.RecvPacket(data, size)) return "<none>";
    std::string text(static_cast<char*>(data), size);
    xFree(data);
    m_Process.RecvFree();
    return text;
  }
  // The keywords of the current chunk of what the process's node read.
  std::vector<std::string> Keywords() {
    std::vector<std::string> keywords;
    CKCBL& record = m_Process.m_RecvKCBL;
    for (int32_t more = record.FirstItem(); more && record.ItemExists(); more = record.NextItem(0))
      if (!record.IsComment() && record.GetKeyword()) keywords.push_back(record.GetKeyword());
    return keywords;
  }
  CCommNode m_Cashier, m_Process;
};

const char kStartupPacket[] =
    "{ = PrivatePlayerData, Cashier, 42, 0\n"
    "    ReqTextCodes\n"
    "    ReqCardTypes\n"
    "    ReqReggedCreditcards\n"
    "    ReqReggedWirebanks\n"
    "    ReqTransferInfo\n"
    "    ReqOverrides\n"
    "    ReqWireBankCountries = \"\"\n"
    "    ReqGlobalCollectAccounts\n"
    "}\n";

TEST_F(CashierProtocol, ACashierPacketIsBuiltOnOneNodeAndReadOnTheOther) {
  SNodes nodes;
  for (int copy = 0; copy < 2; ++copy) {
    ASSERT_EQ(BeginCashierPacket(&nodes.m_Cashier, 42), 1);
    ASSERT_EQ(AddStartupRequests(nodes.m_Cashier), 1);
    ASSERT_EQ(SendCashierPacket(&nodes.m_Cashier), 1);
  }
  EXPECT_EQ(nodes.Take(), kStartupPacket);

  ASSERT_EQ(OpenCashierPacket(&nodes.m_Process, 1), 1);
  EXPECT_EQ(nodes.Keywords(),
            (std::vector<std::string>{"ReqTextCodes", "ReqCardTypes", "ReqReggedCreditcards", "ReqReggedWirebanks",
                                      "ReqTransferInfo", "ReqOverrides", "ReqWireBankCountries",
                                      "ReqGlobalCollectAccounts"}));
  CKCBL& record = nodes.m_Process.m_RecvKCBL;
  char countries[8] = "x";
  EXPECT_EQ(record.GetItem("ReqWireBankCountries", KSTRING, 7, countries, KEND), 1);
  EXPECT_STREQ(countries, "");
  EXPECT_EQ(CloseCashierPacket(&nodes.m_Process, 1), 1);
  EXPECT_EQ(nodes.m_Process.IsDataAvailable(), 0);
  EXPECT_EQ(OpenCashierPacket(&nodes.m_Process, 1), 0) << "nothing waits";
}

TEST_F(CashierProtocol, RequestsWithValuesAndPlainItems) {
  SNodes nodes;
  ASSERT_EQ(BeginCashierPacket(&nodes.m_Cashier, -1), 1);
  ASSERT_EQ(AddTextDataRequest(nodes.m_Cashier, "IDW_DEPOSIT"), 1);
  ASSERT_EQ(SendCashierPacket(&nodes.m_Cashier), 1);
  EXPECT_EQ(nodes.Take(), "{ = PrivatePlayerData, Cashier, -1, 0\n    ReqTextData = IDW_DEPOSIT\n}\n");

  ASSERT_EQ(BeginCashierPacket(&nodes.m_Cashier, 7), 1);
  ASSERT_EQ(AddLogRequest(nodes.m_Cashier, 3, 30), 1);
  ASSERT_EQ(SendCashierPacket(&nodes.m_Cashier), 1);
  EXPECT_EQ(nodes.Take(), "{ = PrivatePlayerData, Cashier, 7, 0\n    ReqLog = 3, 30\n}\n");

  ASSERT_EQ(nodes.m_Cashier.SendInit(), 1);
  ASSERT_EQ(AddLoginRequest(nodes.m_Cashier, "john smith", "pa ss", "10.1.2.3"), 1);
  ASSERT_EQ(nodes.m_Cashier.SendKCBLPacket(), 1);
  EXPECT_EQ(nodes.Take(), "Login = \"john smith\", \"pa ss\", 10.1.2.3\n");

  ASSERT_EQ(nodes.m_Cashier.SendInit(), 1);
  ASSERT_EQ(AddCashierRequest(nodes.m_Cashier, CASHIER_REQ_QUIT), 1);
  ASSERT_EQ(nodes.m_Cashier.SendKCBLPacket(), 1);
  EXPECT_EQ(nodes.Take(), "CashierQuit\n");
}

TEST_F(CashierProtocol, ARecordWithoutTheChunkIsReadAtItsTopLevel) {
  SNodes nodes;
  ASSERT_EQ(nodes.m_Cashier.SendInit(), 1);
  ASSERT_EQ(nodes.m_Cashier.NewItem("Login", KLONG, 1, KEND), 1);
  ASSERT_EQ(nodes.m_Cashier.NewItem("Success", KLONG, 99, KEND), 1);
  ASSERT_EQ(nodes.m_Cashier.NewChunk(KSTRING, "PrivatePlayerData", KSTRING, "Other", KEND), 1);
  ASSERT_EQ(nodes.m_Cashier.NewItem("Inside", KEND), 1);
  ASSERT_EQ(nodes.m_Cashier.ExitChunk(), 1);
  ASSERT_EQ(nodes.m_Cashier.SendKCBLPacket(), 1);

  ASSERT_EQ(OpenCashierPacket(&nodes.m_Process, 1), 1);
  EXPECT_STREQ(nodes.m_Process.m_RecvKCBL.GetKeyword(), "Login") << "the cursor stands on the first item";
  EXPECT_EQ(nodes.Keywords(), (std::vector<std::string>{"Login", "Success", "{"}));
  EXPECT_EQ(CloseCashierPacket(&nodes.m_Process, 1), 1);

  // A record the caller took itself is entered as it stands.
  ASSERT_EQ(BeginCashierPacket(&nodes.m_Cashier, 5), 1);
  ASSERT_EQ(AddCashierRequest(nodes.m_Cashier, "ReqOverrides"), 1);
  ASSERT_EQ(SendCashierPacket(&nodes.m_Cashier), 1);
  ASSERT_EQ(nodes.m_Process.RecvKCBLPacket(), 1);
  ASSERT_EQ(OpenCashierPacket(&nodes.m_Process, 0), 1);
  EXPECT_EQ(nodes.Keywords(), std::vector<std::string>{"ReqOverrides"});
  EXPECT_EQ(CloseCashierPacket(&nodes.m_Process, 0), 1);
  EXPECT_EQ(nodes.Keywords(), std::vector<std::string>{"{"}) << "back at the top";
  nodes.m_Process.RecvKCBLFree();
}

TEST_F(CashierProtocol, WithoutANodeOrAnOpenChunkNothingIsSent) {
  EXPECT_EQ(BeginCashierPacket(nullptr, 1), 0);
  EXPECT_EQ(SendCashierPacket(nullptr), 0);
  EXPECT_EQ(OpenCashierPacket(nullptr, 1), 0);
  EXPECT_EQ(CloseCashierPacket(nullptr, 1), 1);
  SNodes nodes;
  ASSERT_EQ(nodes.m_Cashier.SendInit(), 1);
  ASSERT_EQ(AddCashierRequest(nodes.m_Cashier, "ReqOverrides"), 1);
  EXPECT_EQ(SendCashierPacket(&nodes.m_Cashier), 0) << "no cashier chunk was opened";
  EXPECT_EQ(nodes.m_Process.IsDataAvailable(), 0);
}

}  // namespace
