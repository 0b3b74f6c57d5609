#include "ostrelcomm/download/ftpprotocol.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ostrelcomm/download/ftpfaults.h"
#include "ostrelcomm/download/ftplog.h"
#include "support/tempdir.h"

namespace {

struct SExpect {
  int32_t m_Code;
  std::string m_Text;
  uint32_t m_Lines;
};

std::vector<SExpect> ReadAll(const std::string& bytes, uint32_t piece) {
  CFtpReplyReader reader;
  std::deque<SFtpReply> out;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const std::string part = bytes.substr(at, piece);
    EXPECT_EQ(reader.Feed(part.data(), static_cast<uint32_t>(part.size()), out), 1);
  }
  std::vector<SExpect> replies;
  for (const SFtpReply& r : out) replies.push_back({r.m_Code, r.m_Text, r.m_Lines});
  return replies;
}

struct SReplyCase {
  const char* m_pName;
  std::string m_Bytes;
  std::vector<SExpect> m_Replies;
};

TEST(FtpReplyReader, GroupsLinesIntoReplies) {
  const SReplyCase cases[] = {
      {"single", "220 Ready\r\n", {{220, "220 Ready", 1}}},
      {"bare line feeds and carriage returns", "220 a\n331 b\r230 c\r\n", {{220, "220 a", 1}, {331, "331 b", 1}, {230, "230 c", 1}}},
      {"empty lines skipped", "\r\n\r\n220 a\r\n\r\n\n", {{220, "220 a", 1}}},
      {"multi-line", "220-Welcome\r\n220-to the site\r\nplain text line\r\n 220 indented\r\n220 Ready\r\n",
       {{220, "220-Welcome\n220-to the site\nplain text line\n 220 indented\n220 Ready", 5}}},
      {"other codes inside", "230-Hello\r\n150 not the end\r\n230-still\r\n230 done\r\n200 next\r\n",
       {{230, "230-Hello\n150 not the end\n230-still\n230 done", 4}, {200, "200 next", 1}}},
      {"end line with the code alone", "220-a\r\n220\r\n", {{220, "220-a\n220", 2}}},
      {"end line with an empty text", "220-a\r\n220 \r\n", {{220, "220-a\n220 ", 2}}},
      {"code without a text", "200\r\n", {{200, "200", 1}}},
      {"no code", "hello\r\n", {{0, "hello", 1}}},
      {"long number", "12345678901 x\r\n", {{123456789, "12345678901 x", 1}}},
      {"unended line is kept", "220 a\r\n331 half", {{220, "220 a", 1}}},
  };
  for (const SReplyCase& c : cases) {
    for (uint32_t piece : {1u, 3u, 4096u}) {
      const std::vector<SExpect> got = ReadAll(c.m_Bytes, piece);
      ASSERT_EQ(got.size(), c.m_Replies.size()) << c.m_pName << " in pieces of " << piece;
      for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].m_Code, c.m_Replies[i].m_Code) << c.m_pName;
        EXPECT_EQ(got[i].m_Text, c.m_Replies[i].m_Text) << c.m_pName;
        EXPECT_EQ(got[i].m_Lines, c.m_Replies[i].m_Lines) << c.m_pName;
      }
    }
  }
}

TEST(FtpReplyReader, LineLengthIsBounded) {
  CFtpReplyReader reader;
  std::deque<SFtpReply> out;
  const std::string longest = "200 " + std::string(FTP_MAX_LINE - 4, 'x') + "\r\n";
  EXPECT_EQ(reader.Feed(longest.data(), static_cast<uint32_t>(longest.size()), out), 1);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].m_Text.size(), FTP_MAX_LINE);
  const std::string tooLong = "200 " + std::string(FTP_MAX_LINE - 3, 'x');
  EXPECT_EQ(reader.Feed(tooLong.data(), static_cast<uint32_t>(tooLong.size()), out), 0);
  EXPECT_EQ(reader.Feed("\r\n", 2, out), 0) << "stays spoilt";
  reader.Reset();
  EXPECT_EQ(reader.Feed("221 Bye\r\n", 9, out), 1);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1].m_Code, 221);
}

TEST(FtpReplyReader, LongRepliesKeepTheirStartAndCountEveryLine) {
  std::string bytes = "220-first\r\n";
  const std::string middle = std::string(1000, 'm') + "\r\n";
  for (int i = 0; i < 100; ++i) bytes += middle;
  bytes += "220 end\r\n";
  CFtpReplyReader reader;
  std::deque<SFtpReply> out;
  EXPECT_TRUE(reader.IsInReply() == 0);
  ASSERT_EQ(reader.Feed(bytes.data(), static_cast<uint32_t>(bytes.size()) - 9, out), 1);
  EXPECT_EQ(reader.IsInReply(), 1);
  ASSERT_EQ(reader.Feed(bytes.data() + bytes.size() - 9, 9, out), 1);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].m_Lines, 102u);
  EXPECT_LE(out[0].m_Text.size(), FTP_MAX_REPLY_TEXT);
  EXPECT_EQ(out[0].FirstLine(), "220-first");
  EXPECT_EQ(reader.IsInReply(), 0);
}

TEST(FtpCommands, LinesAndUnsafeArguments) {
  std::string line;
  ASSERT_EQ(xFtpCommandLine("USER", "anonymous", line), 1);
  EXPECT_EQ(line, "USER anonymous\r\n");
  ASSERT_EQ(xFtpCommandLine("TYPE", "I", line), 1);
  EXPECT_EQ(line, "TYPE I\r\n");
  ASSERT_EQ(xFtpCommandLine("PASV", nullptr, line), 1);
  EXPECT_EQ(line, "PASV\r\n");
  ASSERT_EQ(xFtpCommandLine("RETR", "dir/a file.bin", line), 1);
  EXPECT_EQ(line, "RETR dir/a file.bin\r\n");
  for (const char* bad : {"a\r\nDELE b", "a\nb", "a\r"}) {
    EXPECT_EQ(xFtpCommandLine("RETR", bad, line), 0) << bad;
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(xFtpIsSafeArgument(bad), 0);
  }
  EXPECT_EQ(xFtpIsSafeArgument(nullptr), 0);
  EXPECT_EQ(xFtpIsSafeArgument(""), 1);
}

TEST(FtpAddresses, PassiveReplies) {
  struct SCase {
    const char* m_pText;
    int32_t m_Ok;
    uint32_t m_Ip;
    uint16_t m_Port;
  };
  const SCase cases[] = {
      {"227 Entering Passive Mode (127,0,0,1,195,80).", 1, 0x7F000001, 50000},
      {"227 Entering Passive Mode (10, 1, 2, 3, 0, 21)", 1, 0x0A010203, 21},
      {"227 Entering Passive Mode 192,168,0,9,4,1", 1, 0xC0A80009, 1025},
      {"227 =255,255,255,255,255,255", 1, 0xFFFFFFFF, 65535},
      {"227 (127,0,0,1,0,0)", 0, 0, 0},
      {"227 (256,0,0,1,4,1)", 0, 0, 0},
      {"227 (127,0,0,1,4,256)", 0, 0, 0},
      {"227 (127,0,0,1,4)", 0, 0, 0},
      {"227 (127,0,0,1,4,)", 0, 0, 0},
      {"227 (127,0,0,-1,4,1)", 0, 0, 0},
      {"227 (127;0;0;1;4;1)", 0, 0, 0},
      {"227 (4294967423,0,0,1,4,1)", 0, 0, 0},
      {"227 (00000127,0,0,1,4,1)", 0, 0, 0},
      {"227 Entering Passive Mode", 0, 0, 0},
      {"", 0, 0, 0},
  };
  for (const SCase& c : cases) {
    uint32_t ip = 0;
    uint16_t port = 0;
    EXPECT_EQ(xFtpParsePassiveReply(c.m_pText, ip, port), c.m_Ok) << c.m_pText;
    if (c.m_Ok) {
      EXPECT_EQ(ip, c.m_Ip) << c.m_pText;
      EXPECT_EQ(port, c.m_Port) << c.m_pText;
    }
  }
  uint32_t ip = 0;
  uint16_t port = 0;
  EXPECT_EQ(xFtpParsePassiveReply(nullptr, ip, port), 0);
}

TEST(FtpAddresses, PortArgumentAndDottedAddress) {
  EXPECT_EQ(xFtpPortArgument(0x7F000001, 50000), "127,0,0,1,195,80");
  EXPECT_EQ(xFtpPortArgument(0xFFFFFFFF, 65535), "255,255,255,255,255,255");
  EXPECT_EQ(xFtpPortArgument(0, 1), "0,0,0,0,0,1");
  EXPECT_EQ(xFtpDottedAddress(0xC0A80009), "192.168.0.9");
  // The argument reads back as the same address.
  uint32_t ip = 0;
  uint16_t port = 0;
  ASSERT_EQ(xFtpParsePassiveReply(("227 (" + xFtpPortArgument(0x0A000002, 2121) + ")").c_str(), ip, port), 1);
  EXPECT_EQ(ip, 0x0A000002u);
  EXPECT_EQ(port, 2121);
}

TEST(FtpReplySize, FirstParenthesisedGroupWithBytes) {
  struct SCase {
    const char* m_pText;
    int32_t m_Found;
    uint32_t m_Size;
  };
  const SCase cases[] = {
      {"150 Opening BINARY mode data connection for a.bin (100000 bytes).", 1, 100000},
      {"150 Opening (x) for (a) file (42 Bytes)", 1, 42},
      {"150 Opening data connection for f(1).bin (77 bytes)", 1, 77},
      {"150 (bytes 12) (13 bytes)", 1, 13},
      {"150 (4294967295 bytes)", 1, 4294967295u},
      {"150 (4294967296 bytes)", 0, 0},
      {"150 File status okay. About to open data connection.", 0, 0},
      {"150 (12 octets)", 0, 0},
      {"150 (12 bytes", 0, 0},
      {"150 () (5 bytes)", 1, 5},
      {"150 (1234567890123456789012345678901234567890123456789012345 bytes)", 0, 0},
      {"150 (12345678901234567890123456789012345678901234567890123456789 bytes)", 0, 0},
  };
  for (const SCase& c : cases) {
    uint32_t size = 0;
    const int32_t found = xFtpFindReplySize(c.m_pText, size);
    EXPECT_EQ(found, c.m_Found) << c.m_pText;
    if (found) {
      EXPECT_EQ(size, c.m_Size) << c.m_pText;
    }
  }
}

TEST(FtpResume, StartPositionRoundsDownToWholeBlocks) {
  EXPECT_EQ(xFtpRoundStartPosition(5000), 4096u);
  EXPECT_EQ(xFtpRoundStartPosition(4096), 4096u);
  EXPECT_EQ(xFtpRoundStartPosition(4095), 0u);
  EXPECT_EQ(xFtpRoundStartPosition(0), 0u);
  EXPECT_EQ(xFtpRoundStartPosition(0xFFFFFFFFu), 0xFFFFF000u);
}

TEST(FtpLog, ThreeFilesWhileSwitchedOn) {
  CTempDir dir;
  CWorkingDir work(dir.Path());
  CFtpLog log;
  log.Line("not written");
  log.Sent("x", 1);
  log.Received("y", 1);
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_FULL)).empty());
  log.Enable();
  EXPECT_EQ(log.IsOn(), 1);
  log.Line("first");
  log.Line(std::string(20000, 'z'));
  log.Sent("USER a\r\n", 8);
  log.Sent("PASS b\r\n", 8);
  log.Received("220 hi\r\n", 8);
  EXPECT_EQ(ReadWholeFile(dir.File(FTP_LOG_FULL)), "first\n" + std::string(20000, 'z') + "\n");
  EXPECT_EQ(ReadWholeFile(dir.File(FTP_LOG_SEND)), "USER a\r\nPASS b\r\n");
  EXPECT_EQ(ReadWholeFile(dir.File(FTP_LOG_RECV)), "220 hi\r\n");
  log.Disable();
  log.Line("off");
  EXPECT_EQ(ReadWholeFile(dir.File(FTP_LOG_FULL)).find("off"), std::string::npos);
  CFtpLog::Delete();
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_FULL)).empty());
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_SEND)).empty());
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_RECV)).empty());
}

// Command lines as the client sends them, in pieces when the socket takes only part: the
// password never reaches the raw log.
TEST(FtpLog, CommandLinesHideThePassword) {
  CTempDir dir;
  CWorkingDir work(dir.Path());
  CFtpLog log;
  log.Enable();
  const std::string user = "USER player\r\n", pass = "PASS s3cret pass\r\n", rest = "REST 4096\r\n";
  log.SentLine(user, 0, 4);
  log.SentLine(user, 4, static_cast<uint32_t>(user.size()));
  log.SentLine(pass, 0, 7);
  log.SentLine(pass, 7, static_cast<uint32_t>(pass.size()));
  log.SentLine(rest, 0, static_cast<uint32_t>(rest.size()));
  log.SentLine(rest, 3, 3);
  EXPECT_EQ(ReadWholeFile(dir.File(FTP_LOG_SEND)), "USER player\r\nPASS ****\r\nREST 4096\r\n");
  CFtpLog::Delete();
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_FULL)).empty());
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_SEND)).empty());
  EXPECT_TRUE(ReadWholeFile(dir.File(FTP_LOG_RECV)).empty());
}

TEST(FtpFaults, CountsAreUsedUpOneOccasionAtATime) {
  CFtpFaults f;
  EXPECT_FALSE(f.TakeConnect("host"));
  f.StopConnect(2);
  EXPECT_TRUE(f.TakeConnect("host"));
  EXPECT_TRUE(f.TakeConnect("host"));
  EXPECT_FALSE(f.TakeConnect("host"));
  f.AlwaysStopSite("Ftp.Example");
  EXPECT_TRUE(f.TakeConnect("ftp.example"));
  EXPECT_TRUE(f.TakeConnect("FTP.EXAMPLE"));
  EXPECT_FALSE(f.TakeConnect("other"));
  f.AlwaysStopSite(nullptr);
  EXPECT_FALSE(f.TakeConnect("ftp.example"));

  f.StopFileConnect(1);
  EXPECT_TRUE(f.TakeFileConnect(true));
  EXPECT_FALSE(f.TakeFileConnect(false));
  f.AlwaysStopNormal();
  EXPECT_TRUE(f.TakeFileConnect(false));
  EXPECT_TRUE(f.TakeFileConnect(false));
  EXPECT_FALSE(f.TakeFileConnect(true));
  f.AlwaysStopPassive();
  EXPECT_TRUE(f.TakeFileConnect(true));

  f.StopFileSize(1);
  EXPECT_TRUE(f.TakeFileSize());
  EXPECT_FALSE(f.TakeFileSize());
  f.AlwaysStopFileSize();
  EXPECT_TRUE(f.TakeFileSize());
  EXPECT_TRUE(f.TakeFileSize());

  f.StopLogin(1);
  f.StopPassword(1);
  f.StopPort(1);
  f.StopRecv(1);
  EXPECT_TRUE(f.TakeLogin());
  EXPECT_FALSE(f.TakeLogin());
  EXPECT_TRUE(f.TakePassword());
  EXPECT_TRUE(f.TakePort());
  EXPECT_TRUE(f.TakeRecv());
  EXPECT_FALSE(f.TakeRecv());

  f.MessupKey('k');
  EXPECT_EQ(f.GetMessupKey(), 'k');
}

TEST(FtpFaults, DownloadTimeStopFiresOnceForTheArmedDownload) {
  CFtpFaults f;
  EXPECT_FALSE(f.TakeDownloadTime(0, 100000));
  f.StopFileDownloadTime(1, 500, 3);  // armed for the download after the fourth completed one
  EXPECT_FALSE(f.TakeDownloadTime(3, 1000));
  EXPECT_FALSE(f.TakeDownloadTime(4, 499));
  EXPECT_TRUE(f.TakeDownloadTime(4, 500));
  EXPECT_FALSE(f.TakeDownloadTime(4, 5000));
}

TEST(FtpFaults, DeadSiteIsASetting) {
  CFtpFaults f;
  EXPECT_EQ(f.DeadHost(), FTP_DEAD_SITE_HOST);
  EXPECT_EQ(f.DeadPort(21), 21);
  EXPECT_EQ(f.WrongDataPort(5000), 5001);
  EXPECT_EQ(f.WrongDataPort(65535), 65534);
  f.SetDeadSite("127.0.0.1", 40000);
  EXPECT_EQ(f.DeadHost(), "127.0.0.1");
  EXPECT_EQ(f.DeadPort(21), 40000);
  EXPECT_EQ(f.WrongDataPort(5000), 40000);
  f.SetDeadSite(nullptr, 0);
  EXPECT_EQ(f.DeadHost(), FTP_DEAD_SITE_HOST);
}

}  // namespace
