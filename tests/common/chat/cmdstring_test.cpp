// The command string codec: every record kind written and read back, the room rule, the end
// record, and the reader's bounds.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "chatfixture.h"
#include "common/chat/cmdstring.h"

namespace {

std::string Bytes(const CCmdString& cmd) { return std::string(reinterpret_cast<const char*>(cmd.GetData()), cmd.GetLength()); }

// The records as "code", "code/style/text" or "code=value"; "|" between them.
std::string Read(const uint8_t* data, uint32_t size) {
  CCmdReader reader(data, size);
  SCmdRecord r;
  std::string out;
  while (reader.Next(r)) {
    if (!out.empty()) out += "|";
    out += std::to_string(r.m_Code);
    if (r.m_Code == CHATCMD_VALUE) out += "=" + std::to_string(r.m_Value);
    if (r.m_Code == CHATCMD_LINE || r.m_Code == CHATCMD_SKIPBYTE) out += "/" + std::to_string(r.m_Style);
    if (r.m_pText) out += "/" + std::string(r.m_pText, r.m_TextLength);
  }
  return out;
}
std::string Read(const std::string& bytes) {
  return Read(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

struct SRecordRow {
  const char* m_Name;
  std::function<int32_t(CCmdString&)> m_Write;
  const char* m_Hex;
  const char* m_Read;
};

TEST(CmdString, EveryRecordKindIsWrittenAndReadBack) {
  const SRecordRow rows[] = {
      {"value", [](CCmdString& c) { return c.AddValueCmd(0x01020304); }, "1001020304", "16=16909060"},
      {"text", [](CCmdString& c) { return c.AddTextRecord(CHATCMD_TEXT, "hi there"); }, "11686920746865726500",
       "17/hi there"},
      {"chat line", [](CCmdString& c) { return c.AddTextCmd(5, "<Al> yo"); }, "80053c416c3e20796f00", "128/5/<Al> yo"},
      {"line head and its text", [](CCmdString& c) { return c.AddCommand(CHATCMD_LINE, 9) && c.AddString("%d!", 42); },
       "8009343221" "00", "128/9/42!"},
      {"skipped byte", [](CCmdString& c) { return c.AddCommand(CHATCMD_SKIPBYTE, 7) && c.AddCommand(CHATCMD_SKIPBYTE); },
       "8181", "129/129"},
      {"user list", [](CCmdString& c) { return c.AddTextRecord(CHATCMD_USERLIST, "Al\x02" "Bo\x03vip"); },
       "82416c02426f0376697000", "130/Al\x02" "Bo\x03vip"},
      {"more users", [](CCmdString& c) { return c.AddTextRecord(CHATCMD_USERLISTMORE, "Cy"); }, "83437900", "131/Cy"},
      {"joined", [](CCmdString& c) { return c.AddTextRecord(CHATCMD_USERJOINED, "Di"); }, "84446900", "132/Di"},
      {"left", [](CCmdString& c) { return c.AddTextRecord(CHATCMD_USERLEFT, "Ed"); }, "85456400", "133/Ed"},
      {"code without payload", [](CCmdString& c) { return c.AddCommand(200) && c.AddCommand(1); }, "c801", "200|1"},
  };
  for (const SRecordRow& row : rows) {
    CCmdString cmd;
    ASSERT_EQ(row.m_Write(cmd), 1) << row.m_Name;
    EXPECT_EQ(Hex(Bytes(cmd)), row.m_Hex) << row.m_Name;
    EXPECT_EQ(Read(cmd.GetData(), cmd.GetLength()), row.m_Read) << row.m_Name;
  }
}

TEST(CmdString, TheEndRecordIsAppendedOnceAndEndsReading) {
  CCmdString cmd;
  ASSERT_EQ(cmd.AddValueCmd(0), 1);
  ASSERT_EQ(cmd.AddTextRecord(CHATCMD_TEXT, "a"), 1);
  const uint32_t onTheWire = cmd.GetLength();
  EXPECT_EQ(onTheWire, 8u);
  cmd.GetCmdString();
  cmd.GetCmdString();
  EXPECT_EQ(cmd.GetLength(), onTheWire + 1);
  EXPECT_EQ(cmd.GetData()[onTheWire], CHATCMD_END);
  EXPECT_EQ(cmd.IsTerminated(), 1);
  // A closed string takes nothing more.
  EXPECT_EQ(cmd.AddCommand(CHATCMD_SKIPBYTE), 0);
  EXPECT_EQ(cmd.GetLength(), onTheWire + 1);
  // Records behind an end record are not read.
  EXPECT_EQ(Read(std::string("\x11" "a\0\0\x11" "b\0", 7)), "17/a");
}

// haveSpace keeps one byte for the end record: a record fits while used + its size < 1024.
TEST(CmdString, TheRecordThatJustFitsAndTheOneThatDoesNot) {
  const std::string fill(1000, 'x');
  CCmdString cmd;
  ASSERT_EQ(cmd.AddTextRecord(CHATCMD_TEXT, fill.c_str()), 1);  // 1002 bytes
  EXPECT_EQ(cmd.GetLength(), 1002u);
  // 1 + 19 + 1 = 21 bytes would make 1023: it fits; one more character would not.
  CCmdString full = cmd;
  EXPECT_EQ(full.haveSpace(21), 1);
  EXPECT_EQ(full.haveSpace(22), 0);
  EXPECT_EQ(full.AddTextRecord(CHATCMD_TEXT, std::string(20, 'y').c_str()), 0);
  EXPECT_EQ(full.GetLength(), 1002u);  // nothing of it written
  EXPECT_EQ(full.AddTextRecord(CHATCMD_TEXT, std::string(19, 'y').c_str()), 1);
  EXPECT_EQ(full.GetLength(), 1023u);
  full.GetCmdString();
  EXPECT_EQ(full.GetLength(), 1024u);
  EXPECT_EQ(full.GetData()[1023], CHATCMD_END);

  // Each writer refuses whole.
  CCmdString edge = cmd;
  ASSERT_EQ(edge.AddTextRecord(CHATCMD_TEXT, std::string(16, 'z').c_str()), 1);  // 1020
  EXPECT_EQ(edge.AddValueCmd(7), 0);            // 5 bytes: 1025
  EXPECT_EQ(edge.AddTextCmd(1, "ab"), 0);       // 5 bytes
  EXPECT_EQ(edge.AddString("%s", "abc"), 0);    // 4 bytes: 1024
  EXPECT_EQ(edge.AddString("%s", "ab"), 1);     // 3 bytes: 1023
  EXPECT_EQ(edge.GetLength(), 1023u);
  EXPECT_EQ(edge.AddCommand(CHATCMD_LINE, 1), 0);
  EXPECT_EQ(edge.GetLength(), 1023u);
}

TEST(CmdString, SetCmdStringWithSizesZeroFullAndAboveTheBuffer) {
  const std::string full(1024, '\x81');
  CCmdString cmd;
  ASSERT_EQ(cmd.SetCmdString("ab", 2), 1);
  EXPECT_EQ(cmd.SetCmdString(nullptr, 0), 1);  // a size below 1 empties it
  EXPECT_EQ(cmd.GetLength(), 0u);
  EXPECT_EQ(cmd.SetCmdString(full.data(), 1025), 0);
  EXPECT_EQ(cmd.GetLength(), 0u);
  EXPECT_EQ(cmd.SetCmdString(full.data(), 1024), 1);
  EXPECT_EQ(cmd.GetLength(), 1024u);
  // The length grows by the size, but never past the buffer.
  EXPECT_EQ(cmd.SetCmdString("a", 1), 0);
  EXPECT_EQ(cmd.GetLength(), 1024u);
  // No room for the end record: the string stays as it came.
  cmd.GetCmdString();
  EXPECT_EQ(cmd.GetLength(), 1024u);
  EXPECT_EQ(cmd.IsTerminated(), 0);

  CCmdString parts;
  ASSERT_EQ(parts.SetCmdString("\x11" "ab", 3), 1);
  ASSERT_EQ(parts.SetCmdString("c\0", 2), 1);
  EXPECT_EQ(Read(parts.GetData(), parts.GetLength()), "17/abc");
  EXPECT_EQ(parts.SetCmdString(full.data(), 1020), 0);  // 5 + 1020 would pass 1024
  EXPECT_EQ(parts.SetCmdString(full.data(), 1019), 1);
  EXPECT_EQ(parts.SetCmdString(full.data(), -5), 1);
  EXPECT_EQ(parts.GetLength(), 0u);
}

// Received strings are read within their length: texts end at the end of the data, cut fixed
// payloads drop the rest.
TEST(CmdString, TheReaderNeverReadsPastTheData) {
  struct SRow {
    const char* m_Name;
    std::string m_Bytes;
    const char* m_Read;
  };
  const SRow rows[] = {
      {"empty", "", ""},
      {"text without its NUL", std::string("\x11" "abc"), "17/abc"},
      {"line without its NUL", std::string("\x80\x02" "hey"), "128/2/hey"},
      {"line without its style", std::string("\x81\x05\x80"), "129/5"},
      {"line with style but no text", std::string("\x80\x03"), "128/3/"},
      {"value shorter than 4 bytes", std::string("\x11" "a\0\x10\x01\x02\x03", 6), "17/a"},
      {"value of exactly 4 bytes", std::string("\x10\0\0\x01\x00", 5), "16=256"},
      {"skipped byte missing", std::string("\x85" "x\0\x81", 4), "133/x"},
      {"user list without a NUL", std::string("\x82" "Al\x02" "Bo"), "130/Al\x02" "Bo"},
      {"user list as the last byte", std::string("\x82"), "130/"},
      {"unknown codes", std::string("\x07\xff\x11" "z\0", 5), "7|255|17/z"},
  };
  for (const SRow& row : rows) EXPECT_EQ(Read(row.m_Bytes), row.m_Read) << row.m_Name;
}

}  // namespace
