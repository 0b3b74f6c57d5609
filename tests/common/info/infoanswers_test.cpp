// The readers of the info server's answers, each handed the packet in a heap block of exactly its
// size (so a read past it shows under the sanitizers), and the expansion of the file map.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/info/infoanswers.h"
#include "support/tempdir.h"

namespace {

// The packet in a block of its own size.
struct SPacket {
  explicit SPacket(const std::string& bytes) : m_Size(bytes.size()), m_pData(new char[bytes.size() ? bytes.size() : 1]) {
    std::memcpy(m_pData.get(), bytes.data(), bytes.size());
  }
  size_t m_Size;
  std::unique_ptr<char[]> m_pData;
};

int32_t ParseInfo(const std::string& bytes, SInfoAnswer* out) {
  SPacket p(bytes);
  return xParseInfoAnswer(p.m_pData.get(), p.m_Size, out);
}

const std::string kPairs = "Casino = 10.1.2.3,7000;Chat = chat.example,7001;Cashier = 10.1.2.5,7002";

TEST(InfoAnswer, ReadsThePairsTheProxyConfigurationAndTheTail) {
  struct SCase {
    const char* m_pName;
    std::string m_Text;
    const char* m_pCashierPort;
    const char* m_pProxy;
    const char* m_pUpdate;  // null: none
    const char* m_pLogin;
  };
  const SCase cases[] = {
      {"pairs only", kPairs, "7002", "", nullptr, nullptr},
      {"pairs with NUL", kPairs + std::string(1, '\0') + "([ignored])normalconf=lmessage=x", "7002", "", nullptr, nullptr},
      {"closing semicolon", kPairs + ";", "7002", "", nullptr, nullptr},
      {"configuration", kPairs + "([a=b;c,d])", "7002", "a=b;c,d", nullptr, nullptr},
      {"whole tail", kPairs + "([cfg])x normalconf=updatemessage=New version,lmessage=Hello there", "7002", "cfg",
       "New version", "Hello there"},
      {"login message first", kPairs + "([cfg])normalconf=lmessage=Hi,updatemessage=Up", "7002", "cfg", "Up", "Hi"},
      {"blanks after the signs", kPairs + "([cfg])normalconf = updatemessage = Up, lmessage = Hi", "7002", "cfg", "Up",
       "Hi"},
      {"tail without normalconf", kPairs + "([cfg])updatemessage=Up,lmessage=Hi", "7002", "cfg", nullptr, nullptr},
      {"normalconf without sign", kPairs + "([cfg])normalconf", "7002", "cfg", nullptr, nullptr},
      {"update message only", kPairs + "([cfg])normalconf=updatemessage=Up", "7002", "cfg", "Up", nullptr},
      {"empty configuration", kPairs + "([])", "7002", "", nullptr, nullptr},
      {"configuration of 255", kPairs + "([" + std::string(255, 'c') + "])", "7002", nullptr, nullptr, nullptr},
      {"configuration of 256 dropped", kPairs + "([" + std::string(256, 'c') + "])normalconf=lmessage=Hi", "7002", "",
       nullptr, "Hi"},
      {"unclosed configuration", kPairs + "([open", "7002", "", nullptr, nullptr},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_pName);
    SInfoAnswer a;
    ASSERT_EQ(ParseInfo(c.m_Text, &a), 1);
    EXPECT_STREQ(a.m_CasinoIp, "10.1.2.3");
    EXPECT_STREQ(a.m_CasinoPort, "7000");
    EXPECT_STREQ(a.m_ChatIp, "chat.example");
    EXPECT_STREQ(a.m_ChatPort, "7001");
    EXPECT_STREQ(a.m_CashierIp, "10.1.2.5");
    EXPECT_STREQ(a.m_CashierPort, c.m_pCashierPort);
    EXPECT_EQ(a.m_ProxyConfig, std::string(c.m_pProxy ? c.m_pProxy : std::string(255, 'c')));
    EXPECT_EQ(a.m_HasUpdateMessage, c.m_pUpdate != nullptr);
    if (c.m_pUpdate) EXPECT_EQ(a.m_UpdateMessage, c.m_pUpdate);
    EXPECT_EQ(a.m_HasLoginMessage, c.m_pLogin != nullptr);
    if (c.m_pLogin) EXPECT_EQ(a.m_LoginMessage, c.m_pLogin);
  }
}

TEST(InfoAnswer, MessagesAreCutTo1024Characters) {
  SInfoAnswer a;
  ASSERT_EQ(ParseInfo(kPairs + "([c])normalconf=updatemessage=" + std::string(3000, 'u') + ",lmessage=" +
                          std::string(1025, 'l'),
                      &a),
            1);
  EXPECT_EQ(a.m_UpdateMessage, std::string(INFO_MESSAGE_MAX, 'u'));
  EXPECT_EQ(a.m_LoginMessage, std::string(INFO_MESSAGE_MAX, 'l'));
}

TEST(InfoAnswer, BadAnswersAreNoAnswerAndLeaveNothing) {
  const std::string f100(100, 'f');
  const std::string cases[] = {
      "",
      "=",
      "C = ",
      "C = 1,2;x",                                  // first value of 5 characters
      "Casino = 1,2",                               // no ";"
      "Casino 10.1.2.3,7000;Chat 10.1.2.4,7001;Cashier 10.1.2.5,7002",
      "Casino = 10.1.2.3:7000;Chat = 10.1.2.4:7001;Cashier = 10.1.2.5:7002",
      "Casino = 10.1.2.3,7000;Chat = 10.1.2.4,7001",  // no cashier
      "Casino = 10.1.2.3,7000;Chat = 10.1.2.4,7001;Cashier = 10.1.2.5",
      "Casino = 10.1.2.3,7000;Chat = 10.1.2.4,7001;Cashier =",
      "Casino = " + f100 + ",1;Chat = b,2;Cashier = c,3",
      "Casino = a," + f100 + ";Chat = b,2;Cashier = c,3",
      "Casino = a,1;Chat = " + f100 + ",2;Cashier = c,3",
      "Casino = a,1;Chat = b," + f100 + ";Cashier = c,3",
      "Casino = a,1;Chat = b,2;Cashier = " + f100 + ",3",
      "Casino = a,1;Chat = b,2;Cashier = c," + f100,
      "Casino = a,1;Chat = b,2;Cashier = c," + f100 + "([cfg])",
      "([Casino = a,1;Chat = b,2;Cashier = c,3])",
      std::string("Casino = a,1;\0Chat = b,2;Cashier = c,3", 39),
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    SInfoAnswer a;
    std::memset(a.m_CasinoIp, 'x', sizeof a.m_CasinoIp);
    EXPECT_EQ(ParseInfo(text, &a), 0);
    EXPECT_STREQ(a.m_CasinoIp, "");
    EXPECT_STREQ(a.m_CashierPort, "");
    EXPECT_STREQ(a.m_ProxyConfig, "");
    EXPECT_FALSE(a.m_HasLoginMessage);
  }
  EXPECT_EQ(xParseInfoAnswer(nullptr, 10, nullptr), 0);
  SInfoAnswer a;
  EXPECT_EQ(xParseInfoAnswer(nullptr, 10, &a), 0);
}

TEST(InfoAnswer, FieldsOf99CharactersFit) {
  const std::string f99(99, 'f');
  SInfoAnswer a;
  ASSERT_EQ(ParseInfo("Casino = " + f99 + "," + f99 + ";Chat = " + f99 + "," + f99 + ";Cashier = " + f99 + "," + f99, &a), 1);
  for (const char* field : {a.m_CasinoIp, a.m_CasinoPort, a.m_ChatIp, a.m_ChatPort, a.m_CashierIp, a.m_CashierPort})
    EXPECT_EQ(field, f99);
}

TEST(FileSizeAnswer, SkipOrADecimalSizeUpToTheCap) {
  struct SCase {
    std::string m_Text;
    int32_t m_Result;
    uint32_t m_Size;
  };
  const SCase cases[] = {
      {"Skip", INFO_FILESIZE_SKIP, 0},
      {std::string("Skip\0", 5), INFO_FILESIZE_SKIP, 0},
      {"Filesize = 0", INFO_FILESIZE_GIVEN, 0},
      {"Filesize = 12345", INFO_FILESIZE_GIVEN, 12345},
      {std::string("Filesize = 12\0junk", 18), INFO_FILESIZE_GIVEN, 12},
      {"Filesize = 12\r\n", INFO_FILESIZE_GIVEN, 12},
      {"Filesize = 0000000016777216", INFO_FILESIZE_GIVEN, 16777216},
      {"Filesize = 16777217", INFO_FILESIZE_NONE, 0},
      {"Filesize = 4294967296", INFO_FILESIZE_NONE, 0},
      {"Filesize = 99999999999999999999999999", INFO_FILESIZE_NONE, 0},
      {"Filesize = -5", INFO_FILESIZE_NONE, 0},
      {"Filesize = +5", INFO_FILESIZE_NONE, 0},
      {"Filesize = 0x10", INFO_FILESIZE_NONE, 0},
      {"Filesize = 5 6", INFO_FILESIZE_NONE, 0},
      {"Filesize = abc", INFO_FILESIZE_NONE, 0},
      {"Filesize = ", INFO_FILESIZE_NONE, 0},
      {"Filesize =12", INFO_FILESIZE_NONE, 0},
      {"Filesize 12", INFO_FILESIZE_NONE, 0},
      {"filesize = 12", INFO_FILESIZE_NONE, 0},
      {"Filesiz", INFO_FILESIZE_NONE, 0},
      {"Ski", INFO_FILESIZE_NONE, 0},
      {"", INFO_FILESIZE_NONE, 0},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Text);
    SPacket p(c.m_Text);
    uint32_t size = 777;
    EXPECT_EQ(xParseFileSizeAnswer(p.m_pData.get(), p.m_Size, &size), c.m_Result);
    EXPECT_EQ(size, c.m_Result == INFO_FILESIZE_GIVEN ? c.m_Size : 777u);
  }
}

TEST(ConnectionAnswer, AcceptedOrRefusedWithItsText) {
  struct SCase {
    std::string m_Text;
    int32_t m_Result;
    std::string m_Refusal;
  };
  const SCase cases[] = {
      {"Connection = Accepted", INFO_CONNECTION_ACCEPTED, ""},
      {" = Accepted", INFO_CONNECTION_ACCEPTED, ""},
      {"Connection = Refused = Closed for maintenance", INFO_CONNECTION_REFUSED, "Closed for maintenance"},
      {"Connection = Refused = ", INFO_CONNECTION_REFUSED, ""},
      {"Connection = Refused", INFO_CONNECTION_REFUSED, ""},
      {"Connection = Refused = " + std::string(2000, 'r'), INFO_CONNECTION_REFUSED, std::string(1024, 'r')},
      {std::string("Connection = Refused = Busy\0tail", 32), INFO_CONNECTION_REFUSED, "Busy"},
      {"Accepted", INFO_CONNECTION_NONE, ""},
      {"Connection=Accepted", INFO_CONNECTION_NONE, ""},
      {"Connection = accepted", INFO_CONNECTION_NONE, ""},
      {"Connection = Maybe", INFO_CONNECTION_NONE, ""},
      {"", INFO_CONNECTION_NONE, ""},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Text);
    SPacket p(c.m_Text);
    std::string refusal = "unchanged";
    EXPECT_EQ(xParseConnectionAnswer(p.m_pData.get(), p.m_Size, &refusal), c.m_Result);
    if (c.m_Result == INFO_CONNECTION_REFUSED) EXPECT_EQ(refusal, c.m_Refusal);
  }
}

// tests/tools/lzss_model.py compress on the bytes.
std::string ModelCompress(const std::string& bytes) {
  CTempDir dir;
  WriteWholeFile(dir.File("in"), bytes);
  const std::string cmd = "python3 " VORRIN_TEST_TOOLS_DIR "/lzss_model.py compress " + dir.File("in") + " " + dir.File("out");
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  return ReadWholeFile(dir.File("out"));
}

int32_t Expand(const std::string& coded, uint32_t announced, std::vector<char>* text) {
  SPacket p(coded);
  return xExpandFileMap(p.m_pData.get(), static_cast<uint32_t>(p.m_Size), announced, text);
}

// Codes tokens most significant bit first, as the coder does.
class CBits {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      m_Acc = static_cast<uint8_t>(m_Acc << 1 | ((value >> i) & 1));
      if (++m_Count == 8) {
        m_Out += static_cast<char>(m_Acc);
        m_Acc = 0;
        m_Count = 0;
      }
    }
  }
  std::string Finish() {
    if (m_Count) m_Out += static_cast<char>(m_Acc << (8 - m_Count));
    m_Count = 0;
    return m_Out;
  }

 private:
  std::string m_Out;
  uint8_t m_Acc = 0;
  int m_Count = 0;
};

TEST(FileMapData, ExpandsWhatTheReferenceModelCoded) {
  std::string list;
  for (int i = 0; i < 300; ++i) list += "{ = File\n    Name = \"file" + std::to_string(i % 91) + ".dat\"\n}\n";
  for (const std::string& text : {list, std::string("x"), std::string()}) {
    const std::string coded = ModelCompress(text);
    std::vector<char> out;
    ASSERT_EQ(Expand(coded, static_cast<uint32_t>(coded.size()), &out), 1);
    ASSERT_EQ(out.size(), text.size() + 1);
    EXPECT_EQ(std::string(out.data(), text.size()), text);
    EXPECT_EQ(out.back(), '\0');
  }
}

TEST(FileMapData, WrongLengthsBrokenStreamsAndOversizedListsFail) {
  const std::string coded = ModelCompress(std::string(5000, 'm') + "module list");
  std::vector<char> out(3, 'x');
  EXPECT_EQ(Expand(coded, static_cast<uint32_t>(coded.size()) + 1, &out), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(Expand(coded, static_cast<uint32_t>(coded.size()) - 1, &out), 0);
  // The end mark cut off.
  EXPECT_EQ(Expand(coded.substr(0, coded.size() - 2), static_cast<uint32_t>(coded.size()) - 2, &out), 0);
  EXPECT_EQ(Expand(std::string(1, '\0'), 1, &out), 0);
  EXPECT_EQ(Expand("", 0, &out), 0);
  EXPECT_EQ(Expand(std::string(100, '\xff'), 100, &out), 0);
  EXPECT_EQ(xExpandFileMap(nullptr, 10, 10, &out), 0);
  EXPECT_EQ(xExpandFileMap(coded.data(), static_cast<uint32_t>(coded.size()), static_cast<uint32_t>(coded.size()), nullptr), 0);

  // One literal, then matches of 17 bytes: 8.5 MB of code that would expand to 68 MB.
  CBits bits;
  bits.Put(1, 1);
  bits.Put('a', 8);
  for (int i = 0; i < 4000000; ++i) {
    bits.Put(0, 1);
    bits.Put(1, 12);
    bits.Put(15, 4);
  }
  bits.Put(0, 13);
  const std::string bomb = bits.Finish();
  ASSERT_LE(bomb.size(), INFO_FILEMAP_MAX_PACKED);
  EXPECT_EQ(Expand(bomb, static_cast<uint32_t>(bomb.size()), &out), 0);
  EXPECT_TRUE(out.empty());
}

}  // namespace
