// Control sprites on the table dialog: frames from a table up to its -1 pair or across the strip,
// the current frame clipped out of the coin strip (pixel probes), moves, and bit 7 of the base
// flags.
#include "common/widgets/controlsprite.h"

#include <gtest/gtest.h>

#include <vector>

#include "tablewidgets.h"

namespace {
using namespace widgetpictures;

constexpr int32_t kX = 100, kY = 100;
// The coin strip's five frames, then the end.
const TPoint kCoinFrames[] = {{0, 0}, {16, 0}, {32, 0}, {0, 16}, {16, 16}, {-1, -1}};

std::vector<std::pair<int32_t, int32_t>> Frames(const CControlSprite& s) {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int32_t k = 0; k < s.GetNumFrames(); ++k) out.push_back({s.GetFrame(k).x, s.GetFrame(k).y});
  return out;
}

class ControlSprite : public CTableWidgetTest {
 protected:
  void SetUp() override {
    CTableWidgetTest::SetUp();
    ASSERT_EQ(LoadScript(WidgetsScript()), 1);
    OpenTable();
  }
  void Place(const TPoint* frames) {
    ASSERT_EQ(m_Sprite.Create(Bm("CoinStrip"), frames, 16, 16, kX, kY, 0, 0, 0), 1);
    m_pTable->AddCntrl(&m_Sprite, ADDCNTRL_LAST);
    // Added to a window that shows already: drawn once it asks to be.
    m_Sprite.Validate();
    Settle();
  }
  // The coin frame shown with the sprite's corner at (x, y); -1 for none.
  static int32_t ShownAt(int32_t x, int32_t y) {
    for (int k = 0; k < 5; ++k)
      if (Seen(x + 8, y + 8) == Coin(k)) return k;
    return -1;
  }

  CControlSprite m_Sprite;  // outlives the table, which lets go of it when it closes
};
}  // namespace

TEST_F(ControlSprite, FramesComeFromATableUpToItsFirstPairHoldingMinusOne) {
  const struct {
    std::vector<TPoint> table;
    std::vector<std::pair<int32_t, int32_t>> frames;
  } rows[] = {
      {{{32, 0}, {0, 16}, {16, 16}, {-1, 5}, {0, 0}}, {{32, 0}, {0, 16}, {16, 16}}},
      {{{0, 0}, {5, -1}, {16, 0}}, {{0, 0}}},
      {{{-1, -1}}, {}},
  };
  for (const auto& row : rows) {
    CControlSprite sprite;
    EXPECT_EQ(sprite.Create(Bm("CoinStrip"), row.table.data(), 16, 16, kX, kY, 0, 0, 0), row.frames.empty() ? 0 : 1);
    EXPECT_EQ(Frames(sprite), row.frames);
  }
}

TEST_F(ControlSprite, WithoutATableTheFramesCrossTheStripByWidth) {
  const struct {
    int32_t width;
    std::vector<std::pair<int32_t, int32_t>> frames;
  } rows[] = {
      {16, {{0, 0}, {16, 0}, {32, 0}}},
      {20, {{0, 0}, {20, 0}}},
      {48, {{0, 0}}},
      {49, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    CControlSprite sprite;
    EXPECT_EQ(sprite.Create(Bm("CoinStrip"), nullptr, row.width, 16, kX, kY, 0, 0, 0), row.frames.empty() ? 0 : 1);
    EXPECT_EQ(Frames(sprite), row.frames);
  }
  CControlSprite sprite;
  EXPECT_EQ(sprite.Create(nullptr, kCoinFrames, 16, 16, kX, kY, 0, 0, 0), 0);
  EXPECT_EQ(sprite.Create(Bm("CoinStrip"), kCoinFrames, 0, 16, kX, kY, 0, 0, 0), 0);
  EXPECT_EQ(sprite.Create(Bm("CoinStrip"), kCoinFrames, 16, -3, kX, kY, 0, 0, 0), 0);
}

TEST_F(ControlSprite, TheCurrentFrameIsClippedOutOfTheStrip) {
  Place(kCoinFrames);
  EXPECT_EQ(ShownAt(kX, kY), 0);
  for (int32_t k : {3, 1, 4, 2}) {
    m_Sprite.SetCurrentFrame(k);
    Settle();
    EXPECT_EQ(m_Sprite.GetCurrentFrame(), k);
    EXPECT_EQ(ShownAt(kX, kY), k);
    // Only the frame: the next frame's coin to the right is not drawn beside it.
    EXPECT_NE(Seen(kX + 16 + 8, kY + 8), Coin(k + 1 < 5 ? k + 1 : 0));
  }
  // See-through on the strip's magenta.
  EXPECT_NE(Seen(kX, kY), kKey);
  // A frame beyond the table does nothing.
  for (int32_t k : {5, -1, 1000}) {
    m_Sprite.SetCurrentFrame(k);
    Settle();
    EXPECT_EQ(m_Sprite.GetCurrentFrame(), 2);
    EXPECT_EQ(ShownAt(kX, kY), 2);
  }
}

TEST_F(ControlSprite, ItMovesAndIsRedrawnAtItsNewPlace) {
  Place(kCoinFrames);
  m_Sprite.SetCurrentFrame(3);
  m_Sprite.SetPosition(140, 20);
  Settle();
  EXPECT_EQ(m_Sprite.GetPositionX(), 140);
  EXPECT_EQ(m_Sprite.GetPositionY(), 20);
  EXPECT_EQ(ShownAt(140, 20), 3);
  // The old place shows the felt again.
  EXPECT_EQ(Seen(kX + 8, kY + 8), Felt(kX + 8, kY + 8));
}

TEST_F(ControlSprite, Bit7OfTheBaseFlagShowsAndHides) {
  Place(kCoinFrames);
  const struct {
    bool set;
    int32_t bits;
    int32_t state;
  } steps[] = {
      {false, 0x80, XGUI_HIDDEN},  {true, 0x7F, XGUI_HIDDEN},    {true, 0x100, XGUI_HIDDEN},
      {true, 0x180, XGUI_RELEASED}, {false, 0x7F, XGUI_RELEASED}, {false, ~0x80, XGUI_RELEASED},
      {false, 0xFF, XGUI_HIDDEN},  {true, CONTROLSPRITE_VISIBLE, XGUI_RELEASED},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << (step.set ? "set " : "clear ") << step.bits);
    if (step.set)
      m_Sprite.SetBaseFlag(step.bits);
    else
      m_Sprite.ClearBaseFlag(step.bits);
    Settle();
    EXPECT_EQ(m_Sprite.GetState(), step.state);
    EXPECT_EQ(ShownAt(kX, kY), step.state == XGUI_HIDDEN ? -1 : 0);
    if (step.state == XGUI_HIDDEN) EXPECT_EQ(Seen(kX + 8, kY + 8), Felt(kX + 8, kY + 8));
  }
}
