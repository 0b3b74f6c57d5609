#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/info/translatemessage.h"
#include "support/tempdir.h"

namespace {
const std::string kDataDir = std::string(VORRIN_TEST_DATA_DIR) + "/common";

class TranslateMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    CWorkingDir work(kDataDir);
    ASSERT_EQ(m_Messages.Load(), 1);
  }
  CTranslateMessage m_Messages;
};

struct STagRow {
  const char* m_Text;
  int32_t m_Result;
  const char* m_Shown;     // what *text reads afterwards
  const char* m_Original;  // what the original text reads afterwards
  bool m_Translated;       // *text points at the script's string
};

const STagRow kRows[] = {
    {"Hello table", 1, "Hello table", "Hello table", false},
    {"", 1, "", "", false},
    {"Closing<MESSAGEID>1207</MESSAGEID>", 1, "This table closes in five minutes.", "Closing", true},
    {"Bonus [MESSAGEID]42[/MESSAGEID]", 1, "Double bonus round!", "Bonus ", true},
    {"Top<MESSAGEID>2147483647</MESSAGEID>", 1, "The largest number there is.", "Top", true},
    // A number without a string leaves the text cut before its tag.
    {"Note<MESSAGEID>999</MESSAGEID>", 1, "Note", "Note", false},
    {"Zero<MESSAGEID>0</MESSAGEID>", 1, "Zero", "Zero", false},
    {"Empty<MESSAGEID></MESSAGEID>", 1, "Empty", "Empty", false},
    // Numbers that are not plain decimal, or overflow 32 bits, name no string.
    {"x<MESSAGEID>4a2</MESSAGEID>", 1, "x", "x", false},
    {"x<MESSAGEID>-42</MESSAGEID>", 1, "x", "x", false},
    {"x<MESSAGEID>+42</MESSAGEID>", 1, "x", "x", false},
    {"x<MESSAGEID> 42</MESSAGEID>", 1, "x", "x", false},
    {"x<MESSAGEID>0x2A</MESSAGEID>", 1, "x", "x", false},
    {"x<MESSAGEID>2147483648</MESSAGEID>", 1, "x", "x", false},
    {"x<MESSAGEID>4294967338</MESSAGEID>", 1, "x", "x", false},  // 2^32 + 42
    {"x<MESSAGEID>99999999999999999999999</MESSAGEID>", 1, "x", "x", false},
    // The tag at the very start, with or without a separator before it.
    {"<MESSAGEID>42</MESSAGEID>", 1, "Double bonus round!", "", true},
    {"MESSAGEID>42</MESSAGEID>", 1, "Double bonus round!", "", true},
    {"MESSAGEID/MESSAGEID", 1, "", "", false},
    {"MESSAGEID", 0, "MESSAGEID", "MESSAGEID", false},
    // No closing tag: nothing changes.
    {"Note<MESSAGEID>1207", 0, "Note<MESSAGEID>1207", "Note<MESSAGEID>1207", false},
    {"Note<MESSAGEID>1207</MESSAGE", 0, "Note<MESSAGEID>1207</MESSAGE", "Note<MESSAGEID>1207</MESSAGE", false},
    {"Note</MESSAGEID>", 0, "Note</MESSAGEID>", "Note</MESSAGEID>", false},
    // A closing tag without its closing character, and text after the tag.
    {"Note<MESSAGEID>42</MESSAGEID", 1, "Double bonus round!", "Note", true},
    {"Note<MESSAGEID>42</MESSAGEID> and more", 1, "Double bonus round!", "Note", true},
    // Nested and repeated tags: the first tag counts.
    {"x<MESSAGEID><MESSAGEID>42</MESSAGEID></MESSAGEID>", 1, "x", "x", false},
    {"a<MESSAGEID>42</MESSAGEID>b<MESSAGEID>1207</MESSAGEID>", 1, "Double bonus round!", "a", true},
    {"lowercase<messageid>42</messageid>", 1, "lowercase<messageid>42</messageid>",
     "lowercase<messageid>42</messageid>", false},
};

TEST_F(TranslateMessage, TaggedTextsFollowTheTagRules) {
  for (const STagRow& r : kRows) {
    SCOPED_TRACE(r.m_Text);
    // Exactly as long as the text, so any write outside it shows under the sanitizer.
    std::vector<char> storage(r.m_Text, r.m_Text + strlen(r.m_Text) + 1);
    char* text = storage.data();
    EXPECT_EQ(m_Messages.TranslateMessage(&text), r.m_Result);
    EXPECT_STREQ(text, r.m_Shown);
    EXPECT_STREQ(storage.data(), r.m_Original);
    EXPECT_EQ(text != storage.data(), r.m_Translated);
  }
}

TEST_F(TranslateMessage, NullTextsAreRefused) {
  EXPECT_EQ(m_Messages.TranslateMessage(nullptr), 0);
  char* none = nullptr;
  EXPECT_EQ(m_Messages.TranslateMessage(&none), 0);
  EXPECT_EQ(none, nullptr);
}

TEST(TranslateMessageWithoutScript, TagsAreStillCut) {
  CTranslateMessage empty;
  char text[] = "Closing<MESSAGEID>1207</MESSAGEID>";
  char* p = text;
  EXPECT_EQ(empty.TranslateMessage(&p), 1);
  EXPECT_EQ(p, text);
  EXPECT_STREQ(text, "Closing");
}

// Every table and chat box loads the shipped script at start; its string table is there, empty,
// for the operator's numbers.
TEST(ShippedMessageScript, LoadsFromTheInstallFolder) {
  CWorkingDir work(VORRIN_DIST_DIR);
  CTranslateMessage messages;
  ASSERT_EQ(messages.Load(), 1);
  EXPECT_EQ(messages.NumStrings(), 0);
  CWorkingDir elsewhere(kDataDir + "/..");
  EXPECT_EQ(CTranslateMessage().Load(), 0);
}
}  // namespace
