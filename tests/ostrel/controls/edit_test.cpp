#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/controls/edit.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"
#include "support/guiharness.h"
#include "editkeys.h"

namespace {
constexpr uint16_t kBS = XKEY_BSPACE, kDel = XKEY_DELETE, kHome = XKEY_HOME, kEnd = XKEY_END, kLeft = XKEY_LEFT,
                   kRight = XKEY_RIGHT, kUp = XKEY_UP, kDown = XKEY_DOWN;

// A window at (100, 100) without title bar, so control coordinates are window coordinates.
class Edit : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    m_Window.Create(1, "", 100, 100, 300, 200, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    Events().clear();
  }
  void TearDown() override {
    if (m_pFont) {
      WC().SetDefaultFont(nullptr);
      xGuiDeleteFont(m_pFont);
    }
    CGuiTest::TearDown();
  }
  // The test font: every character a cell 6 wide and 10 high, 1 apart; lines 12 apart.
  CFont* Font() {
    if (!m_pFont) m_pFont = xGuiLoadFont((std::string(VORRIN_TEST_DATA_DIR) + "/resources/test.xbf").c_str());
    return m_pFont;
  }
  static void Focus(CControlBase& c) { EditFocus(c); }
  static void Press(CControlBase& c, uint16_t code) { EditPress(c, code); }
  template <class T>
  static void Type(CControlBase& c, const T& keys) {
    EditType(c, keys);
  }
  static std::vector<uint16_t> Keys(const std::string& text) { return {text.begin(), text.end()}; }

  CWindow m_Window;
  CFont* m_pFont = nullptr;
};

struct SKeyRow {
  const char* m_Name;
  uint32_t m_Flags;
  int32_t m_MaxLength;
  const char* m_Valid;
  const char* m_Text;
  std::vector<uint16_t> m_Keys;
  const char* m_Expected;
  int32_t m_Caret;
};

std::vector<uint16_t> Cat(std::initializer_list<std::vector<uint16_t>> parts) {
  std::vector<uint16_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
std::vector<uint16_t> S(const char* text) { return {text, text + std::strlen(text)}; }
}  // namespace

TEST_F(Edit, KeysEditTheTextThroughItsFilters) {
  const SKeyRow rows[] = {
      {"plain typing", 0, 20, nullptr, "", S("abc"), "abc", 3},
      {"maximum length", 0, 3, nullptr, "", S("abcdef"), "abc", 3},
      {"full field still deletes", 0, 3, nullptr, "abc", Cat({{kEnd, kBS}, S("xy")}), "abx", 3},
      {"numeric", CNTRL_NUMERIC, 20, nullptr, "", S("a1b2 3."), "123", 3},
      {"valid characters", 0, 20, "0123456789.", "", S("1.5x,2"), "1.52", 4},
      {"trim left refuses a leading space", CNTRL_TRIMLEFT, 20, nullptr, "", S(" a b"), "a b", 3},
      {"trim right refuses a trailing space", CNTRL_TRIMRIGHT, 20, nullptr, "", Cat({S("ab "), {kLeft}, S(" ")}), "a b",
       2},
      {"trim left strips on delete at 0", CNTRL_TRIMLEFT, 20, nullptr, "a  b", {kDel}, "b", 0},
      {"trim right strips on delete at end", CNTRL_TRIMRIGHT, 20, nullptr, "ab  c", {kEnd, kBS}, "ab", 2},
      {"read-only", CNTRL_READONLY, 20, nullptr, "xyz", Cat({S("a"), {kBS, kDel, kEnd, kRight, kHome}}), "xyz", 1},
      {"home and end", 0, 20, nullptr, "", Cat({S("abc"), {kHome}, S("x"), {kEnd}, S("y")}), "xabcy", 5},
      {"left and right", 0, 20, nullptr, "", Cat({S("ac"), {kLeft}, S("b"), {kRight, kRight}, S("d")}), "abcd", 4},
      {"backspace at 0 and delete at the end do nothing", 0, 20, nullptr, "ab", {kBS, kEnd, kDel}, "ab", 2},
      {"backspace and delete", 0, 20, nullptr, "abcd", {kRight, kRight, kBS, kDel}, "ad", 1},
      {"keys without a character", 0, 20, nullptr, "",
       {XKEY_ENTER, XKEY_TAB, XKEY_SHIFT, kUp, kDown, XKEY_F1, 5, 31, 300, XKEY_PASTE}, "", 0},
      {"password keeps the real text", CNTRL_PASSWORD, 20, nullptr, "", S("pw1"), "pw1", 3},
      {"a case flag formats what is typed", CNTRL_UPPERCASE, 20, nullptr, "", S("abC"), "ABC", 3},
      {"Windows-1252 letters", 0, 20, nullptr, "", {0xE9, 0xFC, 0xFF}, "\xE9\xFC\xFF", 3},
  };
  for (const SKeyRow& row : rows) {
    SCOPED_TRACE(row.m_Name);
    CEdit e;
    ASSERT_EQ(e.Create(7, row.m_Text, 10, 10, 100, 20, row.m_MaxLength, row.m_Flags), 1);
    if (row.m_Valid) e.SetValidCharacters(row.m_Valid);
    m_Window.AddCntrl(&e, ADDCNTRL_LAST);
    Focus(e);
    ASSERT_EQ(e.GetState(), XGUI_HIGHLIGHT);
    Type(e, row.m_Keys);
    EXPECT_STREQ(e.GetTextBuffer(0), row.m_Expected);
    EXPECT_EQ(e.GetCaretPos(), row.m_Caret);
    EXPECT_GE(e.GetTextBufferSize(), row.m_MaxLength + 1);
    m_Window.RemoveCntrl(&e);
  }
}

TEST_F(Edit, TheWindowHearsEveryOtherKeyAndEveryChange) {
  CEdit e;
  e.Create(7, "ab", 10, 10, 100, 20, 3, 0);
  m_Window.AddCntrl(&e, ADDCNTRL_LAST);
  // Keys are taken only highlighted and focused.
  Press(e, 'x');
  EXPECT_TRUE(Events().empty());
  Focus(e);
  Press(e, kEnd);
  Events().clear();
  Type(e, Cat({S("c"), S("d"), {XKEY_ENTER, kLeft, kBS}}));
  const std::vector<SGuiEvent> expected = {
      {GUIMSG_KEY, 1, 7, 'c' | XKEYF_PRESSED << 16, nullptr},
      {GUIMSG_TEXTCHANGED, 1, 7, 0, nullptr},
      {GUIMSG_KEY, 1, 7, 'd' | XKEYF_PRESSED << 16, nullptr},  // refused: the field is full
      {GUIMSG_KEY, 1, 7, XKEY_ENTER | XKEYF_PRESSED << 16, nullptr},
      {GUIMSG_TEXTCHANGED, 1, 7, 0, nullptr},
  };
  EXPECT_EQ(Events(), expected);
  EXPECT_STREQ(e.GetTextBuffer(0), "ac");
  // A released key and a read-only field send nothing.
  Events().clear();
  TQueueChar up{'z', 0};
  e.GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &up);
  e.SetFlag(CNTRL_READONLY);
  Press(e, 'z');
  EXPECT_TRUE(Events().empty());
}

TEST_F(Edit, TheFieldOwnsABufferForItsWholeMaximumLength) {
  // The caller's text is copied: typing never writes into it.
  static const char kCallers[] = "abc";
  CEdit e;
  e.Create(7, kCallers, 10, 10, 100, 20, 40, 0);
  EXPECT_NE(e.GetTextBuffer(0), kCallers);
  EXPECT_EQ(e.IsBufferOwned(), 1);
  EXPECT_EQ(e.GetTextBufferSize(), 41);
  m_Window.AddCntrl(&e, ADDCNTRL_LAST);
  Focus(e);
  Type(e, Cat({{kEnd}, S(std::string(60, 'x').c_str())}));
  EXPECT_EQ(e.GetTextLength(), 40);
  EXPECT_STREQ(kCallers, "abc");
  // A smaller buffer asked for still holds the maximum length.
  ASSERT_NE(e.AllocBuffer(2), nullptr);
  EXPECT_EQ(e.GetTextBufferSize(), 41);
  EXPECT_EQ(e.GetCaretPos(), 0);
  EXPECT_EQ(e.AllocBuffer(0), nullptr);
  Type(e, std::string(50, 'y'));
  EXPECT_EQ(e.GetTextLength(), 40);
  // A server-sized text is kept whole; the field then refuses typing but still deletes.
  const std::string big(200000, 'q');
  e.SetText(big.c_str());
  EXPECT_EQ(e.GetTextLength(), 200000);
  EXPECT_GE(e.GetTextBufferSize(), 200001);
  Type(e, Cat({{kEnd}, S("z"), {kBS}}));
  EXPECT_EQ(e.GetTextLength(), 199999);
  // A shorter text pulls the caret back inside before the next edit.
  e.SetText("ab");
  EXPECT_EQ(e.GetCaretPos(), 2);
  Type(e, "c");
  EXPECT_STREQ(e.GetTextBuffer(0), "abc");
  // SetText with a part of its own text, and with none.
  e.SetText(e.GetTextBuffer(0) + 1);
  EXPECT_STREQ(e.GetTextBuffer(0), "bc");
  e.SetText(nullptr);
  EXPECT_STREQ(e.GetTextBuffer(0), "");
  EXPECT_EQ(e.ClearBuf(), 1);
  EXPECT_EQ(e.GetCaretPos(), 0);
}

TEST_F(Edit, APasteReplacesTheTextAndTheCaretComesBackInside) {
  CEdit e;
  e.Create(7, "", 10, 10, 100, 20, 8, 0);
  m_Window.AddCntrl(&e, ADDCNTRL_LAST);
  Click(115, 115);
  ASSERT_EQ(m_Window.GetFocus(), &e);
  ASSERT_TRUE(m_Window.IsActive());
  Focus(e);
  Type(e, "abcdefgh");
  // The window cuts the clipboard to the buffer size minus one.
  WC().SendMessage(GUIMSG_PASTE, 1, 0, 0, const_cast<char*>("0123456789abcdef"));
  EXPECT_STREQ(e.GetTextBuffer(0), "01234567");
  WC().SendMessage(GUIMSG_PASTE, 1, 0, 0, const_cast<char*>("xy"));
  EXPECT_STREQ(e.GetTextBuffer(0), "xy");
  Type(e, "z");  // the caret stood at 8
  EXPECT_STREQ(e.GetTextBuffer(0), "xyz");
  EXPECT_EQ(e.GetCaretPos(), 3);
}

TEST_F(Edit, TheOneLineViewFollowsTheCaret) {
  ASSERT_NE(Font(), nullptr);
  CBitmap caret;
  caret.CreateRGB(2, 10, 24, 8, 8, 8, 16, 8, 0, 0);
  WC().SetDefaultCaret(&caret);
  CEdit e;
  e.Create(7, "", 10, 10, 50, 20, 100, 0);
  e.SetFont(Font(), nullptr);
  const int32_t w = Font()->GetTextWidth("a", -1, -1, 0);
  ASSERT_GT(w, 0);
  m_Window.AddCntrl(&e, ADDCNTRL_LAST);
  Focus(e);
  Type(e, std::string(20, 'a'));
  // The text up to the caret and the caret fit the field.
  const int32_t shown = (50 - 2) / w;
  EXPECT_EQ(e.GetFirstVisible(), 20 - shown);
  Press(e, kHome);
  EXPECT_EQ(e.GetFirstVisible(), 0);
  Press(e, kEnd);
  EXPECT_EQ(e.GetFirstVisible(), 20 - shown);
  for (int i = 0; i < 20 - shown + 1; ++i) Press(e, kLeft);
  EXPECT_EQ(e.GetFirstVisible(), e.GetCaretPos());
  // A password field measures stars.
  CEdit p;
  p.Create(8, "", 10, 40, 50, 20, 100, CNTRL_PASSWORD);
  p.SetFont(Font(), nullptr);
  m_Window.AddCntrl(&p, ADDCNTRL_LAST);
  Focus(p);
  Type(p, std::string(20, ' '));
  const int32_t star = Font()->GetTextWidth("*", -1, -1, 0);
  ASSERT_GT(star, 0);
  EXPECT_EQ(p.GetFirstVisible(), 20 - (50 - 2) / star);
  WC().SetDefaultCaret(nullptr);
}

TEST_F(Edit, ClicksPlaceTheCaretAndMoveTheFocus) {
  ASSERT_NE(Font(), nullptr);
  const int32_t w = Font()->GetTextWidth("a", -1, -1, 0);
  CEdit a, b;
  a.Create(7, "abcdef", 10, 10, 100, 20, 20, 0);
  b.Create(8, "", 10, 40, 100, 20, 20, CNTRL_MULTILINE);
  a.SetFont(Font(), nullptr);
  m_Window.AddCntrl(&a, ADDCNTRL_LAST);
  m_Window.AddCntrl(&b, ADDCNTRL_LAST);
  // The text starts 2 pixels inside: a click on the third character puts the caret before it.
  Click(100 + 10 + 2 + 2 * w + 1, 115);
  EXPECT_EQ(a.IsFocused(), 1);
  EXPECT_EQ(a.GetState(), XGUI_HIGHLIGHT);
  EXPECT_EQ(a.GetCaretPos(), 2);
  EXPECT_EQ(EventsOf(GUIMSG_HELD), (std::vector<std::pair<int32_t, int32_t>>{{1, 7}}));
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{1, 7}}));
  // Beyond the end of the text: the caret at the end.
  Click(100 + 100, 115);
  EXPECT_EQ(a.GetCaretPos(), 6);
  // A click on the other field moves the focus there.
  Click(150, 145);
  EXPECT_EQ(b.IsFocused(), 1);
  EXPECT_EQ(a.IsFocused(), 0);
  EXPECT_EQ(a.GetState(), XGUI_RELEASED);
  // A click outside both takes it away.
  Click(250, 250);
  EXPECT_EQ(b.IsFocused(), 0);
  // Disabled and hidden fields take nothing and stay as they are.
  a.SetState(XGUI_HIDDEN);
  Click(115, 115);
  EXPECT_EQ(a.GetState(), XGUI_HIDDEN);
  EXPECT_EQ(a.IsFocused(), 0);
  Focus(b);
  EXPECT_EQ(a.GetState(), XGUI_HIDDEN);
  a.SetState(XGUI_DISABLED);
  EXPECT_EQ(a.GuiMsgHandler(GUIMSG_MOUSE, 15, 15, 1, nullptr), 0);
}

TEST_F(Edit, TheCaretBlinksWhileFocused) {
  CEdit e;
  e.Create(7, "", 10, 10, 100, 20, 20, 0);
  m_Window.AddCntrl(&e, ADDCNTRL_LAST);
  Focus(e);
  Frame();
  const int32_t before = e.IsCaretShown();
  m_Clock.Advance(EDIT_CARET_PERIOD);
  Frame();
  EXPECT_NE(e.IsCaretShown(), before);
  m_Clock.Advance(EDIT_CARET_PERIOD);
  Frame();
  EXPECT_EQ(e.IsCaretShown(), before);
}

TEST_F(Edit, MultiLineFieldsWrapMoveByLinesAndScroll) {
  ASSERT_NE(Font(), nullptr);
  const int32_t w = Font()->GetTextWidth("a", -1, -1, 0);
  const int32_t advance = Font()->GetLineAdvance();
  ASSERT_GT(w, 0);
  ASSERT_GT(advance, 0);
  WC().SetDefaultFont(Font());
  // Room for 3 lines; each line holds 4 words of 1 letter but not 5.
  const int32_t width = 13 + 8 * w + 4, height = 3 * advance + 2;
  CEdit e;
  e.Create(7, "", 10, 10, width, height, 1000, CNTRL_MULTILINE);
  m_Window.AddCntrl(&e, ADDCNTRL_LAST);
  ASSERT_NE(e.GetScrollBar(), nullptr);
  EXPECT_EQ(e.GetScrollReserve(), 0);
  Focus(e);
  // Enter and Tab are never inserted.
  Type(e, Keys("a\rb\tc"));
  EXPECT_STREQ(e.GetTextBuffer(0), "abc");
  e.SetText("");
  Type(e, "a b c d e f g h i j k l m n o p q r s t u v w x y z a b c d e f g h i j k l m n o p");
  EXPECT_GT(e.GetLineCount(), 3);
  EXPECT_EQ(e.GetScrollReserve(), 13);
  EXPECT_EQ(e.GetCaretLine(), 3);  // the view followed the caret down
  EXPECT_GT(e.GetTopLine(), 1);
  int32_t minimum = 0, maximum = 0, page = 0;
  e.GetScrollBar()->GetRange(minimum, maximum, page);
  EXPECT_EQ(maximum, e.GetLineCount());
  EXPECT_EQ(page, 3);
  EXPECT_EQ(e.GetScrollBar()->GetValue(), e.GetTopLine());
  // Up keeps the column; at the top visible line the view scrolls.
  const int32_t caret = e.GetCaretPos();
  const int32_t top = e.GetTopLine();
  Press(e, kUp);
  EXPECT_LT(e.GetCaretPos(), caret);
  EXPECT_EQ(e.GetCaretLine(), 2);
  Press(e, kUp);
  Press(e, kUp);
  EXPECT_EQ(e.GetCaretLine(), 1);
  EXPECT_EQ(e.GetTopLine(), top - 1);
  Press(e, kDown);
  EXPECT_EQ(e.GetCaretLine(), 2);
  EXPECT_EQ(e.GetCaretY(), advance);
  // The scroll bar moves the view; the next key brings back the view that showed the caret.
  const int32_t shownTop = e.GetTopLine();
  e.GetScrollBar()->SetValue(1);
  e.GuiMsgHandler(GUIMSG_SLIDER, 1, 7, 7, nullptr);
  EXPECT_EQ(e.GetTopLine(), 1);
  EXPECT_EQ(e.GetFirstVisible(), 0);
  ASSERT_GT(shownTop, 3);
  EXPECT_GT(e.GetCaretX(), width);  // out of sight
  Press(e, kRight);
  EXPECT_GE(e.GetTopLine(), shownTop - 1);
  EXPECT_LE(e.GetCaretLine(), 3);
  // Home and End reach the ends of the whole text.
  Press(e, kHome);
  EXPECT_EQ(e.GetTopLine(), 1);
  EXPECT_EQ(e.GetCaretLine(), 1);
  EXPECT_EQ(e.KeyUp(1), 0);
  Press(e, kEnd);
  EXPECT_EQ(e.GetCaretPos(), e.GetTextLength());
  EXPECT_EQ(e.KeyDown(1), 0);
  // A click below the last line puts the caret at the end.
  e.SetText("a b");
  Press(e, kHome);
  Click(100 + 12, 100 + 10 + height - 2);
  EXPECT_EQ(e.GetCaretPos(), 3);
  WC().SetDefaultFont(nullptr);
}

TEST_F(Edit, LinesBreakWhereTheFontBreaksThem) {
  ASSERT_NE(Font(), nullptr);
  CEditMetrics metrics;
  metrics.Use(Font());
  // Words, runs of spaces and new lines of many lengths, at many widths; the font's own line
  // lookup is the reference.
  uint32_t seed = 12345;
  auto next = [&](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const uint32_t parts = 1 + next(30);
    for (uint32_t p = 0; p < parts; ++p) {
      const uint32_t kind = next(10);
      if (kind < 6)
        text.append(1 + next(12), static_cast<char>('a' + next(26)));
      else if (kind < 9)
        text.append(1 + next(3), ' ');
      else
        text.push_back('\n');
    }
    const int32_t width = static_cast<int32_t>(5 + next(120));
    std::vector<int32_t> starts;
    metrics.Wrap(text.c_str(), static_cast<int32_t>(text.size()), width, starts);
    std::vector<int32_t> expected;
    TTextInfo info{};
    for (int32_t line = 1; Font()->GetLineIndex(text.c_str(), static_cast<int16_t>(width), -1, line, &info, 0); ++line)
      expected.push_back(info.firstIndex);
    EXPECT_EQ(starts, expected) << "\"" << text << "\" at " << width;
  }
}

namespace {
// On a screen: the window at (20, 20), so a control at (10, 10) starts at (30, 30).
class EditDrawing : public Edit {
 protected:
  void SetUp() override {
    Edit::SetUp();
    StartScreen(320, 240);
    m_Window.SetPos(20, 20);
    ASSERT_NE(Font(), nullptr);
    m_Caret.CreateRGB(2, 10, 24, 8, 8, 8, 16, 8, 0, 0);
    const TRGBA red(255, 0, 0, 0);
    m_Caret.Fill(&red);
    WC().SetDefaultCaret(&m_Caret);
    WC().SetDefaultFont(Font());
  }
  void TearDown() override {
    WC().SetDefaultCaret(nullptr);
    Edit::TearDown();
  }
  CBitmap m_Caret;
};
constexpr uint32_t kFace = 0xBEBEBE;  // button set 1, entry 2
constexpr uint32_t kInk = 0x0AC81E;
}  // namespace

TEST_F(EditDrawing, TextLinesAndTheCaretAreDrawnInsideTheField) {
  const int32_t w = Font()->GetTextWidth("a", -1, -1, 0), advance = Font()->GetLineAdvance();
  CEdit one, multi;
  one.Create(7, "ab", 10, 10, 100, 16, 20, 0);
  multi.Create(8, "a\nb", 10, 40, 100, 3 * advance, 20, CNTRL_MULTILINE);
  for (CEdit* e : {&one, &multi}) {
    e->SetTextColor(TRGBA(10, 200, 30, 0));
    m_Window.AddCntrl(e, ADDCNTRL_LAST);
  }
  m_Window.ShowWindow();
  Frame();
  // Text from 2 pixels inside the field.
  EXPECT_EQ(ScreenPixel(30 + 1, 30 + 1), kFace);
  EXPECT_EQ(ScreenPixel(30 + 2, 30 + 2), kInk);
  EXPECT_EQ(ScreenPixel(30 + 2 + 2 * w, 30 + 2), kFace);
  // The second line one line advance lower.
  EXPECT_EQ(ScreenPixel(30 + 2, 60 + 2), kInk);
  EXPECT_EQ(ScreenPixel(30 + 2, 60 + 2 + advance), kInk);
  EXPECT_EQ(ScreenPixel(30 + 2 + w, 60 + 2), kFace);
  // The focused field shows its caret in the blink's on phase, after the text.
  Focus(one);
  Press(one, kEnd);
  while (!one.IsCaretShown()) {
    m_Clock.Advance(EDIT_CARET_PERIOD);
    Frame();
  }
  Frame();
  EXPECT_EQ(ScreenPixel(30 + 2 + 2 * w + 1, 30 + 3), 0xFF0000u);
  // A hidden field leaves its place to what lies below.
  one.SetState(XGUI_HIDDEN);
  Frame();
  EXPECT_NE(ScreenPixel(30 + 2, 30 + 2), kInk);
}
