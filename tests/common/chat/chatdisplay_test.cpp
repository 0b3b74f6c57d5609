// The table's chat box on the headless GUI harness, over the chat box script of tests/data/chat
// with the test font (every character 6 pixels wide, 1 apart) as the toolkit's default.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "chatfixture.h"
#include "common/chat/chatdisplay.h"
#include "ostrel/controls/button.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/font.h"
#include "ostrel/resources/resdata.h"
#include "platform/display/keys.h"
#include "support/tempdir.h"

namespace {

using Rows = std::vector<std::string>;

class ChatDisplay : public CChatTest {
 protected:
  void SetUp() override {
    CChatTest::SetUp();
    m_pFont = xGuiLoadFont((std::string(VORRIN_TEST_DATA_DIR) + "/resources/test.xbf").c_str());
    ASSERT_NE(m_pFont, nullptr);
    WC().SetDefaultFont(m_pFont);
    ASSERT_EQ(m_Res.Load((std::string(VORRIN_TEST_DATA_DIR) + "/chat/chatbox.xrs").c_str()), 1);
    StartScreen(640, 480);
    CSlider::ms_lTimeWhenPressed = -1;
  }
  void TearDown() override {
    m_Display.Exit();
    WC().SetDefaultFont(nullptr);
    xGuiDeleteFont(m_pFont);
    CChatTest::TearDown();
  }
  CDialog* Init(CChatClient* chat = nullptr) {
    CDialog* dialog = m_Display.Init(&m_Res, CHATBOX_WINDOW, chat, Table());
    Frame();
    return dialog;
  }
  // The table is only handed back to its calls: any address stands for it.
  CClientTableBase* Table() { return reinterpret_cast<CClientTableBase*>(&m_TableStandIn); }
  std::string Shown(int32_t id) {
    const char* text = m_Display.GetDialog()->GetTextBuffer(id, 0);
    return text ? text : "";
  }
  // The three rows from the top as "name|text".
  Rows Screen() {
    return {Shown(CHATBOX_NAME3) + "|" + Shown(CHATBOX_TEXT3), Shown(CHATBOX_NAME2) + "|" + Shown(CHATBOX_TEXT2),
            Shown(CHATBOX_NAME1) + "|" + Shown(CHATBOX_TEXT1)};
  }
  CSlider* Slider() { return static_cast<CSlider*>(m_Display.GetDialog()->GetCtrl(CHATBOX_SLIDER)); }
  void ClickControl(int32_t id) {
    const CRect r = m_Display.GetDialog()->GetCtrl(id)->ScreenRect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // A slider arrow held for one step.
  void StepArrow(CControlBase* arrow) {
    Slider()->SetScrollWaitTime(0);
    const CRect r = arrow->ScreenRect();
    const int32_t x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    MoveTo(x, y);
    Press(x, y);  // the press starts the timing; the next frame held steps
    m_Clock.Advance(20);
    Frame();
    Release(x, y);
  }

  CFont* m_pFont = nullptr;
  CResData m_Res;
  CChatDisplay m_Display;
  int m_TableStandIn = 0;
};

TEST_F(ChatDisplay, InitHidesTheSliderAndLoadsTheTranslatorWhenItsDataLoads) {
  CTempDir dir;
  CWorkingDir here(dir.Path());
  ASSERT_NE(Init(), nullptr);
  EXPECT_EQ(m_Display.GetDialog()->GetID(), CHATBOX_WINDOW);
  EXPECT_EQ(Slider()->GetState(), XGUI_HIDDEN);
  EXPECT_EQ(m_Display.HasTranslator(), 0);
  // Untranslated, the tagged line is wider than the row: it comes in two entries.
  m_Display.UpdateChat("Closing<MESSAGEID>1207</MESSAGEID>");
  ASSERT_EQ(m_Display.NumEntries(), 2);
  EXPECT_EQ(m_Display.EntryText(1) + m_Display.EntryText(0), "Closing<MESSAGEID>1207</MESSAGEID>");

  mkdir(dir.File("xrs").c_str(), 0755);
  WriteWholeFile(dir.File("xrs/message.xrs"), "{ = Strings\n    MSG_CLOSING = 1207, \"Closing soon.\"\n}\n");
  ASSERT_NE(Init(), nullptr);
  EXPECT_EQ(m_Display.NumEntries(), 0);
  EXPECT_EQ(m_Display.HasTranslator(), 1);
  m_Display.UpdateChat("Closing<MESSAGEID>1207</MESSAGEID>");
  m_Display.UpdateChat("Gone<MESSAGEID>99</MESSAGEID>");
  EXPECT_EQ(m_Display.EntryText(1), "Closing soon.");
  EXPECT_EQ(m_Display.EntryText(0), "Gone");

  // A section the script does not have makes no dialog.
  CChatDisplay other;
  EXPECT_EQ(other.Init(&m_Res, 3305, nullptr, nullptr), nullptr);
  EXPECT_EQ(other.Init(nullptr, CHATBOX_WINDOW, nullptr, nullptr), nullptr);
}

TEST_F(ChatDisplay, NamesAreTakenInBothForms) {
  ASSERT_NE(Init(), nullptr);
  struct SRow {
    std::string m_Line, m_Name, m_Text;
  };
  const std::string name1024(1024, 'n');
  const std::vector<SRow> rows = {
      {"\x03" "Bob\x04" "hello", "Bob", "hello"},
      {"<Al> hi there", "Al", " hi there"},
      {"plain text", "", "plain text"},
      {"<no end", "", "<no end"},
      {"\x03" "no end", "", "\x03" "no end"},
      {"\x03\x04" "nameless", "", "nameless"},
      {"<" + name1024 + ">x", name1024, "x"},
      {"<" + name1024 + "n>x", "", "<" + name1024 + "n>x"},
      {"", "", ""},
  };
  for (const SRow& row : rows) {
    const int32_t before = m_Display.NumEntries();
    m_Display.UpdateChat(row.m_Line.c_str());
    // A text wider than the row comes in two entries; the line's first part is the older.
    const int32_t first = m_Display.NumEntries() - before - 1;
    EXPECT_EQ(m_Display.EntryName(first), row.m_Name) << row.m_Line.substr(0, 20);
    if (first == 0)
      EXPECT_EQ(m_Display.EntryText(0), row.m_Text) << row.m_Line.substr(0, 20);
    else
      EXPECT_EQ(row.m_Text.rfind(m_Display.EntryText(first), 0), 0u) << row.m_Line.substr(0, 20);
  }
  const int32_t entries = m_Display.NumEntries();
  m_Display.UpdateChat(nullptr);
  EXPECT_EQ(m_Display.NumEntries(), entries);
}

TEST_F(ChatDisplay, ALineWiderThanTheTextRowIsSplitIntoTwoEntries) {
  ASSERT_NE(Init(), nullptr);
  // The row is 140 pixels wide; a character takes 7: four words of four fit, five do not.
  ASSERT_LE(m_pFont->GetTextWidth("aaaa bbbb cccc dddd", -1, -1, 0), 140);
  ASSERT_GT(m_pFont->GetTextWidth("aaaa bbbb cccc dddd eeee", -1, -1, 0), 140);
  m_Display.UpdateChat("<Al>aaaa bbbb cccc dddd eeee ffff");
  ASSERT_EQ(m_Display.NumEntries(), 2);
  // The rest stands in front: it shows in the row below the first part.
  EXPECT_EQ(Screen(), (Rows{"|", "Al|aaaa bbbb cccc dddd", "|eeee ffff"}));
  // A text that fits stays whole; one word wider than the row is cut where it stops fitting.
  m_Display.UpdateChat("<Bo>aaaa bbbb cccc dddd");
  EXPECT_EQ(m_Display.NumEntries(), 3);
  m_Display.UpdateChat(std::string(30, 'x').c_str());
  EXPECT_EQ(m_Display.EntryText(1), std::string(20, 'x'));
  EXPECT_EQ(m_Display.EntryText(0), std::string(10, 'x'));
}

TEST_F(ChatDisplay, ThreeRowsNewestFirstAndTheSliderFromTheFourthEntry) {
  ASSERT_NE(Init(), nullptr);
  m_Display.UpdateChat("<A>one");
  EXPECT_EQ(Screen(), (Rows{"|", "|", "A|one"}));
  m_Display.UpdateChat("<B>two");
  m_Display.UpdateChat("\x03" "C\x04three");
  EXPECT_EQ(Screen(), (Rows{"A|one", "B|two", "C|three"}));
  EXPECT_EQ(Slider()->GetState(), XGUI_HIDDEN);

  m_Display.UpdateChat("<D>four");
  Frame();
  EXPECT_EQ(Screen(), (Rows{"B|two", "C|three", "D|four"}));
  ASSERT_NE(Slider()->GetState(), XGUI_HIDDEN);
  int32_t minimum = 0, maximum = 0, page = 0;
  Slider()->GetRange(minimum, maximum, page);
  EXPECT_EQ(minimum, 0);
  EXPECT_EQ(maximum, 3);
  EXPECT_EQ(page, CHATBOX_ROWS);
  EXPECT_EQ(Slider()->GetValue(), Slider()->GetLargestValue());

  // The slider's up arrow scrolls back by one entry, the down arrow forward again.
  StepArrow(Slider()->GetUpButton());
  EXPECT_EQ(Screen(), (Rows{"A|one", "B|two", "C|three"}));
  StepArrow(Slider()->GetUpButton());
  EXPECT_EQ(Screen(), (Rows{"A|one", "B|two", "C|three"}));  // the oldest end
  StepArrow(Slider()->GetDownButton());
  EXPECT_EQ(Screen(), (Rows{"B|two", "C|three", "D|four"}));

  // A new line brings the newest rows back.
  StepArrow(Slider()->GetUpButton());
  m_Display.UpdateChat("<E>five");
  EXPECT_EQ(Screen(), (Rows{"C|three", "D|four", "E|five"}));
  EXPECT_EQ(Slider()->GetValue(), Slider()->GetLargestValue());

  // Twenty entries are kept, the newest.
  for (int i = 6; i <= 30; ++i) m_Display.UpdateChat(("<N>" + std::to_string(i)).c_str());
  EXPECT_EQ(m_Display.NumEntries(), CHATBOX_MAX_ENTRIES);
  EXPECT_EQ(m_Display.EntryText(CHATBOX_MAX_ENTRIES - 1), "11");
  m_Display.DisplayChatLines(CHATBOX_MAX_ENTRIES - 2);
  EXPECT_EQ(Screen(), (Rows{"|", "N|11", "N|12"}));
  m_Display.DisplayChatLines(-4);
  EXPECT_EQ(Screen(), (Rows{"N|28", "N|29", "N|30"}));

  m_Display.ClearChatHistory();
  EXPECT_EQ(m_Display.NumEntries(), 0);
  EXPECT_EQ(Screen(), (Rows{"|", "|", "|"}));
  EXPECT_EQ(Slider()->GetState(), XGUI_HIDDEN);
}

TEST_F(ChatDisplay, EnterSendsTheFieldThroughTheChatClientAndClearsIt) {
  ConnectToServer();
  ASSERT_NE(Init(m_pClient.get()), nullptr);
  ClickControl(CHATBOX_INPUT);
  for (uint32_t key : std::initializer_list<uint32_t>{XVK_OEM_2, XVK_A + ('x' - 'a'), XVK_SPACE, XVK_A + ('h' - 'a'), XVK_A + ('i' - 'a')}) Key(key);
  auto* field = static_cast<CEdit*>(m_Display.GetDialog()->GetCtrl(CHATBOX_INPUT));
  ASSERT_STREQ(field->GetTextBuffer(0), "/x hi");
  Key(XVK_RETURN);
  EXPECT_STREQ(field->GetTextBuffer(0), "");
  EXPECT_EQ(field->GetCaretPos(), 0);
  // Typed by the player: the slash went out as a blank.
  ASSERT_TRUE(m_Server.WaitFor("records ", 3, [&] { Tick(); }));
  EXPECT_EQ(m_Server.Seen("records ")[2], "16:00000000 17:" + Hex(" x hi"));
  // Other keys only type.
  Key(XVK_A);
  EXPECT_STREQ(field->GetTextBuffer(0), "a");
  EXPECT_EQ(m_pClient->NumQueued(), 0);
}

TEST_F(ChatDisplay, TheTwoButtonsReachTheTableThroughItsCalls) {
  static std::vector<std::pair<std::string, CClientTableBase*>> s_Calls;
  s_Calls.clear();
  ASSERT_NE(Init(), nullptr);
  // Without the table's calls the buttons do nothing.
  ClickControl(CHATBOX_FORREAL);
  SChatTableCalls calls;
  calls.m_pRestartToForReal = [](CClientTableBase* table) { s_Calls.push_back({"for real", table}); };
  calls.m_pSwitchAutoplayOff = [](CClientTableBase* table) { s_Calls.push_back({"autoplay off", table}); };
  m_Display.SetTableCalls(calls);
  ClickControl(CHATBOX_FORREAL);
  ClickControl(CHATBOX_AUTOPLAY);
  ASSERT_EQ(s_Calls.size(), 2u);
  EXPECT_EQ(s_Calls[0], std::make_pair(std::string("for real"), Table()));
  EXPECT_EQ(s_Calls[1], std::make_pair(std::string("autoplay off"), Table()));
  // Commands count only from the chat box's own window.
  CChatDisplay::ChatCallback(GUIMSG_COMMAND, 3310, CHATBOX_FORREAL, 0, &m_Display);
  EXPECT_EQ(s_Calls.size(), 2u);
  CChatDisplay::ChatCallback(GUIMSG_COMMAND, CHATBOX_WINDOW, CHATBOX_AUTOPLAY, 0, &m_Display);
  EXPECT_EQ(s_Calls.size(), 3u);
}

TEST_F(ChatDisplay, ExitTakesTheDialogDown) {
  ASSERT_NE(Init(), nullptr);
  m_Display.UpdateChat("<A>one");
  CDialog* dialog = m_Display.GetDialog();
  EXPECT_EQ(WC().IsRegistered(dialog), 1);
  EXPECT_EQ(m_Display.Exit(), 1);
  EXPECT_EQ(m_Display.GetDialog(), nullptr);
  EXPECT_EQ(m_Display.NumEntries(), 0);
  // With no dialog every call is harmless.
  m_Display.UpdateChat("<A>two");
  m_Display.DisplayChatLines(0);
  m_Display.ClearChatHistory();
  CChatDisplay::ChatCallback(GUIMSG_KEY, CHATBOX_WINDOW, CHATBOX_INPUT, CHATBOX_KEY_ENTER, &m_Display);
  EXPECT_EQ(m_Display.Exit(), 1);
}

}  // namespace
