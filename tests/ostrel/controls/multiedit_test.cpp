#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"
#include "support/guiharness.h"
#include "editkeys.h"

namespace {
constexpr uint16_t kBS = XKEY_BSPACE, kDel = XKEY_DELETE, kEnter = XKEY_ENTER, kLeft = XKEY_LEFT,
                   kRight = XKEY_RIGHT, kUp = XKEY_UP, kDown = XKEY_DOWN;

class MultiEdit : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    m_pFont = xGuiLoadFont((std::string(VORRIN_TEST_DATA_DIR) + "/resources/test.xbf").c_str());
    ASSERT_NE(m_pFont, nullptr);
    WC().SetDefaultFont(m_pFont);
    m_Char = m_pFont->GetTextWidth("a", -1, -1, 0);
    m_Space = m_pFont->GetTextWidth(" ", -1, -1, 0);
    m_Advance = m_pFont->GetLineAdvance();
    ASSERT_GT(m_Char, 0);
    ASSERT_EQ(m_Space, m_Char);  // the test font's space is as wide as its letters
    m_Window.Create(1, "", 100, 100, 400, 300, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    Events().clear();
  }
  void TearDown() override {
    WC().SetDefaultFont(nullptr);
    xGuiDeleteFont(m_pFont);
    CGuiTest::TearDown();
  }
  static void Focus(CControlBase& c) { EditFocus(c); }
  static void Press(CControlBase& c, uint16_t code) { EditPress(c, code); }
  template <class T>
  static void Type(CControlBase& c, const T& keys) {
    EditType(c, keys);
  }
  static std::vector<std::string> Lines(CMultiEdit& m) {
    std::vector<std::string> lines;
    for (int32_t i = 1; i <= m.GetNumRows(); ++i) lines.emplace_back(m.GetTextOnLine(i));
    return lines;
  }
  // A field of that many lines whose text area is width pixels wide.
  void Make(CMultiEdit& m, const char* text, int32_t width, int32_t lines, int32_t lineSize, uint32_t flags) {
    const int32_t w = width + ((flags & CNTRL_EDITVSLIDER) ? 13 : 0);
    const int32_t h = lines * m_Advance + ((flags & CNTRL_EDITHSLIDER) ? 13 : 0);
    ASSERT_EQ(m.Create(9, text, 10, 10, w, h, lineSize, flags), 1);
    m_Window.AddCntrl(&m, ADDCNTRL_LAST);
  }

  CWindow m_Window;
  CFont* m_pFont = nullptr;
  int32_t m_Char = 0, m_Space = 0, m_Advance = 0;
};

using TLines = std::vector<std::string>;
}  // namespace

TEST_F(MultiEdit, LongTextIsWrappedIntoLinesAtTheFieldWidth) {
  // "aaa bbb " stays narrower than the width, "aaa bbb c" does not.
  const int32_t width = 8 * m_Char + 1;
  struct SCase {
    const char* m_Name;
    const char* m_Text;
    uint32_t m_Flags;
    int32_t m_LineSize;
    TLines m_Lines;
  };
  const SCase cases[] = {
      {"at the last space", "aaa bbb ccc", CNTRL_EDITVSLIDER, 64, {"aaa bbb", "ccc"}},
      {"without word wrap", "aaa bbb ccc", CNTRL_EDITVSLIDER | CNTRL_NOWORDWRAP, 64, {"aaa bbb ", "ccc"}},
      {"a word longer than the line", "abcdefghijk", CNTRL_EDITVSLIDER, 64, {"abcdefgh", "ijk"}},
      {"new lines", "a\nb", CNTRL_EDITVSLIDER, 64, {"a", "b"}},
      {"a new line at the end", "a\n", CNTRL_EDITVSLIDER, 64, {"a", ""}},
      {"at the line size", "abcdefghij", CNTRL_EDITVSLIDER | CNTRL_EDITHSLIDER, 4, {"abc", "def", "ghi", "j"}},
      {"no width limit with a horizontal bar", "aaa bbb ccc ddd", CNTRL_EDITVSLIDER | CNTRL_EDITHSLIDER, 64,
       {"aaa bbb ccc ddd"}},
      {"the line size cuts a wrapped line too", "aaaaaa", CNTRL_EDITVSLIDER, 3, {"aa", "aa", "aa"}},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    CMultiEdit m;
    Make(m, c.m_Text, width, 5, c.m_LineSize, c.m_Flags);
    EXPECT_EQ(Lines(m), c.m_Lines);
    EXPECT_EQ(m.GetNumAddedRows(), static_cast<int32_t>(c.m_Lines.size()));
    m_Window.RemoveCntrl(&m);
  }
  // Two letters with a new line between them come back each followed by "\n".
  CMultiEdit m;
  Make(m, "a\nb", width, 5, 64, CNTRL_EDITVSLIDER);
  char* text = nullptr;
  ASSERT_EQ(m.GetTextBuffer(text), 1);
  EXPECT_STREQ(text, "a\nb\n");
  xFree(text);
  // A character wider than the whole line still takes a line of its own.
  CMultiEdit narrow;
  Make(narrow, "abc", m_Char / 2, 5, 64, CNTRL_EDITVSLIDER);
  EXPECT_EQ(Lines(narrow), (TLines{"a", "b", "c"}));
  // An empty text is one empty line.
  CMultiEdit empty;
  Make(empty, "", width, 5, 64, 0);
  EXPECT_EQ(Lines(empty), (TLines{""}));
}

TEST_F(MultiEdit, AFieldWithoutScrollBarTakesOnlyItsVisibleLines) {
  CMultiEdit m;
  Make(m, "", 200, 3, 64, 0);
  EXPECT_EQ(m.GetVisibleLines(), 3);
  EXPECT_EQ(m.SetTextBuffer("1\n2\n3", 0), 1);
  EXPECT_EQ(m.SetTextBuffer("4", 1), 0);
  EXPECT_EQ(m.GetNumRows(), 3);
  Focus(m);
  Press(m, kEnter);
  EXPECT_EQ(m.GetNumRows(), 3);
  EXPECT_EQ(m.SetTextBuffer("a\nb\nc\nd", 0), 0);
  EXPECT_EQ(Lines(m), (TLines{"a", "b", "c"}));
  // Line numbers from 1; 0 and beyond the last have nothing.
  EXPECT_EQ(m.GetTextOnLine(0), nullptr);
  EXPECT_EQ(m.GetTextOnLine(4), nullptr);
  EXPECT_EQ(m.SetTextOnLine(4, "x"), 0);
  TRGBA red(255, 0, 0, 0);
  EXPECT_EQ(m.SetTextColorOnLine(2, &red), 1);
  EXPECT_EQ(m.SetTextColorOnLine(0, &red), 0);
  // A text longer than the line buffer is cut to it.
  EXPECT_EQ(m.SetTextOnLine(1, std::string(1000, 'x').c_str()), 1);
  EXPECT_EQ(std::string(m.GetTextOnLine(1)), std::string(63, 'x'));
  EXPECT_EQ(m.SetLine(3, 0), 0);
  EXPECT_EQ(m.SetLine(-1, 0), 0);
  EXPECT_EQ(m.KillText(), 1);
  EXPECT_EQ(m.GetNumRows(), 0);
  // Typing into an emptied field starts a line.
  Type(m, "hi");
  EXPECT_EQ(Lines(m), (TLines{"hi"}));
}

TEST_F(MultiEdit, KeysSplitJoinAndMoveOverLines) {
  struct SCase {
    const char* m_Name;
    const char* m_Text;
    uint32_t m_Flags;
    int32_t m_LineSize;
    std::vector<uint16_t> m_Keys;
    TLines m_Lines;
    int32_t m_Line, m_Caret;
  };
  const uint32_t v = CNTRL_EDITVSLIDER;
  const SCase cases[] = {
      {"typing", "", v, 64, {'a', 'b'}, {"ab"}, 0, 2},
      {"enter splits at the caret", "abcd", v, 64, {kRight, kRight, kEnter}, {"ab", "cd"}, 1, 0},
      {"enter at 0 inserts a line before", "ab", v, 64, {kEnter}, {"", "ab"}, 1, 0},
      {"backspace at 0 joins with the line above", "ab\ncd", v, 64, {kDown, kBS}, {"abcd"}, 0, 2},
      {"delete at the end joins the next line", "ab\ncd", v, 64, {kRight, kRight, kDel}, {"abcd"}, 0, 2},
      {"backspace at the start of the first line", "ab", v, 64, {kBS}, {"ab"}, 0, 0},
      {"delete at the end of the last line", "ab\ncd", v, 64, {kDown, kRight, kRight, kDel}, {"ab", "cd"}, 1, 2},
      {"a join that does not fit is refused", "abc\ndef", v, 5, {kDown, kBS}, {"abc", "def"}, 1, 0},
      {"a full line refuses more", "abc", v, 4, {kDown, kRight, kRight, kRight, 'x'}, {"abc"}, 0, 3},
      {"left at 0 goes to the end of the line above", "ab\ncd", v, 64, {kDown, kLeft}, {"ab", "cd"}, 0, 2},
      {"left stops at 0 first", "ab\ncd", v, 64, {kDown, kRight, kLeft}, {"ab", "cd"}, 1, 0},
      {"right at the end goes to the next line", "ab\ncd", v, 64, {kRight, kRight, kRight}, {"ab", "cd"}, 1, 0},
      {"up and down clamp the caret", "abcd\nx", v, 64, {kRight, kRight, kRight, kDown, kUp}, {"abcd", "x"}, 0, 1},
      {"keys without a character type nothing", "", v, 64,
       {XKEY_TAB, XKEY_HOME, XKEY_INSERT, XKEY_SHIFT, XKEY_F1, 5}, {""}, 0, 0},
      {"read-only moves but does not edit", "ab\ncd", v | CNTRL_READONLY, 64, {kDown, kBS, kEnter, 'x', kRight},
       {"ab", "cd"}, 1, 1},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    CMultiEdit m;
    Make(m, c.m_Text, 300, 5, c.m_LineSize, c.m_Flags);
    Focus(m);
    Type(m, c.m_Keys);
    EXPECT_EQ(Lines(m), c.m_Lines);
    EXPECT_EQ(m.GetCaretLine(), c.m_Line);
    EXPECT_EQ(m.GetCaretPos(), c.m_Caret);
    m_Window.RemoveCntrl(&m);
  }
  // Without a horizontal bar a line keeps within the width (no caret bitmap here).
  CMultiEdit m;
  Make(m, "", 3 * m_Char, 5, 64, 0);
  Focus(m);
  Events().clear();
  Type(m, "abcdef");
  EXPECT_EQ(Lines(m), (TLines{"abc"}));
  // Typed characters reach the window as key messages; refused ones do not.
  EXPECT_EQ(EventsOf(GUIMSG_KEY).size(), 3u);
}

TEST_F(MultiEdit, AppendedLinesKeepTheViewOnTheNewestAndScrollBarsMoveIt) {
  CMultiEdit m;
  Make(m, "", 300, 3, 64, CNTRL_EDITVSLIDER | CNTRL_EDITHSLIDER);
  ASSERT_NE(m.GetVerticalBar(), nullptr);
  ASSERT_NE(m.GetHorizontalBar(), nullptr);
  EXPECT_EQ(m.GetVerticalBar()->GetID(), 100);
  EXPECT_EQ(m.GetHorizontalBar()->GetID(), 200);
  EXPECT_EQ(m.GetHorizontalBar()->IsHorizontal(), 1);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(m.AddNewLine(("line " + std::to_string(i)).c_str()), 1);
  EXPECT_EQ(m.GetNumRows(), 11);  // the empty first line and ten more
  EXPECT_EQ(m.GetUpperLineNr(), 11 - 3);
  EXPECT_EQ(m.GetCaretLine(), 10);
  int32_t minimum = 0, maximum = 0, page = 0;
  m.GetVerticalBar()->GetRange(minimum, maximum, page);
  EXPECT_EQ(maximum, 11 - 1 + 3);
  EXPECT_EQ(page, 3);
  EXPECT_EQ(m.GetVerticalBar()->GetValue(), m.GetUpperLineNr() + 1);
  // Chat panes drop their oldest line.
  EXPECT_EQ(m.DeleteFirstLine(), 1);
  EXPECT_EQ(m.GetNumRows(), 10);
  EXPECT_STREQ(m.GetTextOnLine(1), "line 1");
  EXPECT_EQ(m.GetUpperLineNr(), 10 - 3);
  // The vertical bar scrolls the view; the caret stays on its line.
  m.GetVerticalBar()->SetValue(1);
  m.GuiMsgHandler(GUIMSG_SLIDER, 1, 100, 9, nullptr);
  EXPECT_EQ(m.GetUpperLineNr(), 0);
  EXPECT_EQ(m.GetCaretLine(), 9);
  // The horizontal one moves every line sideways.
  m.GetHorizontalBar()->SetValue(3);
  m.GuiMsgHandler(GUIMSG_SLIDER, 1, 200, 9, nullptr);
  EXPECT_EQ(m.GetHorizontalOffset(), 2);
  // Messages of other sliders are not the field's.
  EXPECT_EQ(m.GuiMsgHandler(GUIMSG_SLIDER, 1, 300, 9, nullptr), 0);
  // A key brings the caret back into view.
  Focus(m);
  Press(m, kLeft);
  EXPECT_EQ(m.GetCaretRow(), 2);
  // The bar's buttons reach it through the field.
  const int32_t before = m.GetVerticalBar()->GetValue();
  m.GuiMsgHandler(GUIMSG_HELD, 1, 100 + 10000, 9, nullptr);
  m_Clock.Advance(200);
  m.GuiMsgHandler(GUIMSG_HELD, 1, 100 + 10000, 9, nullptr);
  EXPECT_EQ(m.GetVerticalBar()->GetValue(), before - 1);
}

TEST_F(MultiEdit, ServerSizedTextsAreCutAtTheRowLimit) {
  CMultiEdit m;
  Make(m, "", 300, 5, 16, CNTRL_EDITVSLIDER | CNTRL_EDITHSLIDER);
  std::string big(MULTIEDIT_MAX_ROWS * 15 + 100, 'z');
  EXPECT_EQ(m.SetTextBuffer(big.c_str(), 0), 0);
  EXPECT_EQ(m.GetNumRows(), MULTIEDIT_MAX_ROWS);
  EXPECT_EQ(std::string(m.GetTextOnLine(MULTIEDIT_MAX_ROWS)), std::string(15, 'z'));
  EXPECT_EQ(m.AddNewLine("more"), 0);
  char* text = nullptr;
  ASSERT_EQ(m.GetTextBuffer(text), 1);
  EXPECT_EQ(std::string(text).size(), static_cast<size_t>(MULTIEDIT_MAX_ROWS) * 16);
  xFree(text);
}

TEST_F(MultiEdit, ClicksPlaceTheCaretOnTheLineUnderThePointer) {
  CMultiEdit m;
  Make(m, "abc\ndefg", 300, 4, 64, 0);
  // Text starts 2 pixels inside the field.
  Click(100 + 10 + 2 + 2 * m_Char + 1, 100 + 10 + 2 + m_Advance + 1);
  EXPECT_EQ(m.IsFocused(), 1);
  EXPECT_EQ(m.GetCaretLine(), 1);
  EXPECT_EQ(m.GetCaretPos(), 2);
  EXPECT_EQ(EventsOf(GUIMSG_HELD), (std::vector<std::pair<int32_t, int32_t>>{{1, 9}}));
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{1, 9}}));
  // Below the last line: the last line; beyond its end: its end.
  Click(100 + 200, 100 + 10 + 3 * m_Advance + 3);
  EXPECT_EQ(m.GetCaretLine(), 1);
  EXPECT_EQ(m.GetCaretPos(), 4);
  Type(m, "h");
  EXPECT_STREQ(m.GetTextOnLine(2), "defgh");
  Click(390, 290);
  EXPECT_EQ(m.IsFocused(), 0);
}
