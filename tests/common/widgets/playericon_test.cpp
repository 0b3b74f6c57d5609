// Player icons on the table dialog: the cell cut from the icon strip for rows 0 and 1 and the
// row-2 overflow (pixel probes against the strip's own colours), the chequer pattern, the fifth
// control's rule, think bubbles with the process-wide switch, play modes, names and the join
// button, with control states changed only when they differ.
#include "common/widgets/playericon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "tablewidgets.h"

namespace {
using namespace widgetpictures;

constexpr int32_t kPictureX = 180, kPictureY = 120;  // the picture control, 22 by 26

// A static that counts the state changes asked of it.
class CCountingStatic : public CStatic {
 public:
  int32_t SetState(int32_t s) override {
    ++m_Changes;
    return CStatic::SetState(s);
  }
  int32_t m_Changes = 0;
};

class PlayerIcon : public CTableWidgetTest {
 protected:
  void SetUp() override {
    CTableWidgetTest::SetUp();
    ASSERT_EQ(LoadScript(WidgetsScript()), 1);
    OpenTable();
    CPlayerIcon::SetGlobalBubbleVisible(1);
    Init(m_Icon, 1);
  }
  void TearDown() override {
    // Before the dialog: the icon takes its picture back from the picture control.
    m_pIconOwner.reset();
    CTableWidgetTest::TearDown();
  }
  void Init(CPlayerIcon& icon, int32_t joinAllowed) {
    ASSERT_EQ(icon.Init(Ctrl(IDS_BUBBLE), Ctrl(IDS_PICTURE), Ctrl(IDS_THIRD), Ctrl(IDS_NAME), Ctrl(IDS_CASH),
                        Ctrl(IDB_JOIN), joinAllowed),
              1);
    ASSERT_EQ(icon.InitIconBitmap(Bm("Icons"), kCellW, kCellH, 4, 3, 0, 0), 1);
  }
  // A pixel of the picture as the screen shows it.
  static uint32_t Shown(int32_t x, int32_t y) { return Seen(kPictureX + x, kPictureY + y); }
  int32_t State(int32_t id) { return Ctrl(id)->GetState(); }

  std::unique_ptr<CPlayerIcon> m_pIconOwner = std::make_unique<CPlayerIcon>();
  CPlayerIcon& m_Icon = *m_pIconOwner;
};
}  // namespace

TEST_F(PlayerIcon, TheCellIsCutFromItsRowOrFromRowTwo) {
  const struct {
    int32_t kind, number;
    int32_t row, n;
  } table[] = {
      {0, 0, 0, 0}, {0, 3, 0, 3}, {0, 4, 2, 0}, {0, 8, 2, 4},  // beyond row 0's four: row 2
      {1, 0, 1, 0}, {1, 2, 1, 2}, {1, 4, 2, 0},                // row 1 measures by row 0's count
      {4, 2, 0, 2}, {4, 3, 2, 0}, {4, 7, 2, 4},                // chequered: by row 1's three
      {5, 4, 2, 0},                                            // chequered row 1: by row 0's count
  };
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << "kind " << row.kind << " number " << row.number);
    ASSERT_EQ(m_Icon.SetIcon(row.kind, row.number, 0), 1);
    EXPECT_EQ(m_Icon.GetRow(), row.row);
    EXPECT_EQ(m_Icon.GetNumber(), row.n);
    Settle();
    // The head's middle is on an even pixel, so a chequered icon keeps it.
    EXPECT_EQ(Shown(10, 8), IconFigure(row.row, row.n));
    EXPECT_EQ(Shown(0, 0), IconBack(row.row, row.n));
    EXPECT_EQ(Shown(18, 22), IconBack(row.row, row.n));
    // The picture is the control's size; beyond the cell it holds nothing.
    EXPECT_EQ(Shown(20, 2), 0u);
    EXPECT_EQ(Shown(4, 24), 0u);
  }
}

TEST_F(PlayerIcon, AChequeredIconTakesItsFirstPixelOnEveryOddPixel) {
  ASSERT_EQ(m_Icon.SetIcon(CPlayerIcon::ICON_CHEQUERED | 1, 1, 0), 1);
  EXPECT_EQ(m_Icon.IsChequered(), 1);
  Settle();
  const uint32_t back = IconBack(1, 1), figure = IconFigure(1, 1);
  for (int32_t y = 6; y < 11; ++y)
    for (int32_t x = 8; x < 13; ++x) EXPECT_EQ(Shown(x, y), (x + y) % 2 ? back : figure) << x << "," << y;
  // Over the whole picture, the empty part beyond the cell too.
  EXPECT_EQ(Shown(21, 0), back);
  EXPECT_EQ(Shown(20, 0), 0u);
  EXPECT_EQ(Shown(0, 25), back);
  // Not chequered again: the figure whole.
  ASSERT_EQ(m_Icon.SetIcon(1, 1, 0), 1);
  Settle();
  EXPECT_EQ(Shown(9, 8), figure);
}

TEST_F(PlayerIcon, ChequeredOrHighlightedWithoutJoiningHidesTheFifthControl) {
  const struct {
    int32_t joinAllowed, kind, highlight;
    bool hidden;
  } table[] = {
      {1, 0, 0, false}, {1, 0, 1, false}, {0, 0, 0, false}, {0, 0, 1, true},
      {1, 4, 0, true},  {0, 5, 0, true},  {1, 5, 1, true},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << row.joinAllowed << " " << row.kind << " " << row.highlight);
    Ctrl(IDS_CASH)->SetState(XGUI_RELEASED);
    CPlayerIcon icon;
    Init(icon, row.joinAllowed);
    ASSERT_EQ(icon.SetIcon(row.kind, 1, row.highlight), 1);
    EXPECT_EQ(State(IDS_CASH), row.hidden ? XGUI_HIDDEN : XGUI_RELEASED);
    // Playing keeps it hidden by the same rule.
    ASSERT_EQ(icon.SetPlayMode(1), 1);
    EXPECT_EQ(State(IDS_CASH), row.hidden ? XGUI_HIDDEN : XGUI_RELEASED);
    EXPECT_EQ(State(IDS_PICTURE), XGUI_RELEASED);
  }
}

TEST_F(PlayerIcon, ACellOutsideTheStripDrawsNothing) {
  ASSERT_EQ(m_Icon.SetIcon(0, 1, 0), 1);
  ASSERT_NE(Ctrl(IDS_PICTURE)->GetLook().m_pBitmaps[LOOK_NORMAL], nullptr);
  // Row 2 holds five cells in a strip five wide; row 3 lies below the strip.
  for (const auto& [kind, number] : {std::pair{0, 9}, std::pair{0, -1}, std::pair{3, 0}, std::pair{4, 8}}) {
    SCOPED_TRACE(testing::Message() << kind << " " << number);
    ASSERT_EQ(m_Icon.SetIcon(0, 1, 0), 1);
    EXPECT_EQ(m_Icon.SetIcon(kind, number, 0), 0);
    EXPECT_EQ(m_Icon.GetPicture(), nullptr);
    for (CBitmap* look : Ctrl(IDS_PICTURE)->GetLook().m_pBitmaps) EXPECT_EQ(look, nullptr);
    Settle();
    EXPECT_NE(Shown(10, 8), IconFigure(0, 1));
  }
  CPlayerIcon bare;
  EXPECT_EQ(bare.SetIcon(0, 0, 0), 0);
  EXPECT_EQ(bare.InitIconBitmap(nullptr, kCellW, kCellH, 4, 3, 0, 0), 0);
  EXPECT_EQ(bare.InitIconBitmap(Bm("Icons"), 0, kCellH, 4, 3, 0, 0), 0);
}

TEST_F(PlayerIcon, BubblesFollowTheProcessWideSwitchAndANewIconShowsThemAgain) {
  m_Icon.SetBubble(1);
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_RELEASED);
  m_Icon.SetBubble(0);
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_HIDDEN);
  m_Icon.SetBubble(2);
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_RELEASED);

  CPlayerIcon::SetGlobalBubbleVisible(0);
  m_Icon.UpdateBubbleFromGlobal();
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_HIDDEN);
  // Kept while bubbles are off, not shown.
  m_Icon.SetBubble(1);
  EXPECT_EQ(m_Icon.GetBubble(), 1);
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_HIDDEN);

  CPlayerIcon another;
  EXPECT_EQ(CPlayerIcon::GetGlobalBubbleVisible(), 1);
  m_Icon.UpdateBubbleFromGlobal();
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_RELEASED);
  m_Icon.SetBubble(0);
  m_Icon.UpdateBubbleFromGlobal();
  EXPECT_EQ(State(IDS_BUBBLE), XGUI_HIDDEN);
}

TEST_F(PlayerIcon, PlayModesShowAndHideTheSeatsControls) {
  ASSERT_EQ(m_Icon.SetIcon(0, 2, 0), 1);
  ASSERT_EQ(m_Icon.SetPlayMode(0), 1);
  for (int32_t id : {IDS_PICTURE, IDS_THIRD, IDS_NAME, IDS_CASH}) EXPECT_EQ(State(id), XGUI_HIDDEN) << id;
  Settle();
  EXPECT_NE(Shown(10, 8), IconFigure(0, 2));
  ASSERT_EQ(m_Icon.SetPlayMode(-1), 1);  // nothing changes
  for (int32_t id : {IDS_PICTURE, IDS_THIRD, IDS_NAME, IDS_CASH}) EXPECT_EQ(State(id), XGUI_HIDDEN) << id;
  ASSERT_EQ(m_Icon.SetPlayMode(3), 1);
  for (int32_t id : {IDS_PICTURE, IDS_THIRD, IDS_NAME, IDS_CASH}) EXPECT_EQ(State(id), XGUI_RELEASED) << id;
  Settle();
  EXPECT_EQ(Shown(10, 8), IconFigure(0, 2));

  CPlayerIcon partial;
  partial.Init(Ctrl(IDS_BUBBLE), Ctrl(IDS_PICTURE), nullptr, Ctrl(IDS_NAME), Ctrl(IDS_CASH), nullptr, 1);
  EXPECT_EQ(partial.SetPlayMode(1), 0);
}

TEST_F(PlayerIcon, StatesChangeOnlyWhenTheyDiffer) {
  CCountingStatic bubble, picture, third, name, fifth;
  for (CCountingStatic* s : {&bubble, &picture, &third, &name, &fifth}) s->Create("", 0, 0, 22, 26, 0);
  CPlayerIcon icon;
  icon.Init(&bubble, &picture, &third, &name, &fifth, nullptr, 0);
  ASSERT_EQ(icon.SetPlayMode(1), 1);  // shown already
  icon.SetBubble(1);
  icon.UpdateBubbleFromGlobal();
  for (CCountingStatic* s : {&bubble, &picture, &third, &name, &fifth}) EXPECT_EQ(s->m_Changes, 0);
  ASSERT_EQ(icon.SetPlayMode(0), 1);
  ASSERT_EQ(icon.SetPlayMode(0), 1);
  for (CCountingStatic* s : {&picture, &third, &name, &fifth}) EXPECT_EQ(s->m_Changes, 1);
  // Highlighted without joining: the fifth stays hidden through a play mode.
  ASSERT_EQ(icon.InitIconBitmap(Bm("Icons"), kCellW, kCellH, 4, 3, 0, 0), 1);
  ASSERT_EQ(icon.SetIcon(0, 0, 1), 1);
  ASSERT_EQ(icon.SetPlayMode(1), 1);
  EXPECT_EQ(fifth.m_Changes, 1);
  EXPECT_EQ(fifth.GetState(), XGUI_HIDDEN);
  EXPECT_EQ(picture.m_Changes, 2);
}

TEST_F(PlayerIcon, TheNameIsCutToItsBuffer) {
  EXPECT_EQ(m_Icon.SetName("Anastasia"), 1);
  EXPECT_STREQ(Ctrl(IDS_NAME)->GetTextBuffer(0), "Anastas");
  EXPECT_EQ(m_Icon.SetName("Bo"), 1);
  EXPECT_STREQ(Ctrl(IDS_NAME)->GetTextBuffer(0), "Bo");
  EXPECT_EQ(m_Icon.SetName(nullptr), 1);
  EXPECT_STREQ(Ctrl(IDS_NAME)->GetTextBuffer(0), "");
  // A control without a buffer of its own keeps its text.
  CPlayerIcon other;
  other.Init(nullptr, nullptr, nullptr, Ctrl(IDS_THIRD), nullptr, nullptr, 1);
  EXPECT_EQ(other.SetName("Anastasia"), 0);
  CPlayerIcon none;
  EXPECT_EQ(none.SetName("x"), 0);
}

TEST_F(PlayerIcon, TheJoinButtonIsDisabledAndEnabledAgain) {
  EXPECT_EQ(State(IDB_JOIN), XGUI_RELEASED);
  m_Icon.HideJoinButton();
  EXPECT_EQ(State(IDB_JOIN), XGUI_DISABLED);
  m_Icon.ShowJoinButton(1);
  EXPECT_EQ(State(IDB_JOIN), XGUI_RELEASED);
  m_Icon.ShowJoinButton(0);
  EXPECT_EQ(State(IDB_JOIN), XGUI_DISABLED);
  // Only a disabled button is enabled: a hidden one stays hidden.
  Ctrl(IDB_JOIN)->SetState(XGUI_HIDDEN);
  m_Icon.ShowJoinButton(1);
  EXPECT_EQ(State(IDB_JOIN), XGUI_HIDDEN);

  CCountingStatic spare;
  spare.Create("", 0, 0, 10, 10, 0);
  m_Icon.SetJoinButton(nullptr);  // ignored: the dialog's button is still the one disabled
  m_Icon.HideJoinButton();
  EXPECT_EQ(State(IDB_JOIN), XGUI_DISABLED);
  m_Icon.SetJoinButton(&spare);
  m_Icon.HideJoinButton();
  m_Icon.HideJoinButton();
  EXPECT_EQ(spare.GetState(), XGUI_DISABLED);
  EXPECT_EQ(spare.m_Changes, 1);
  EXPECT_EQ(m_Icon.GetIconCtrl(), Ctrl(IDS_PICTURE));
}
