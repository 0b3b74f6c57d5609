// Sprites on the bus: save, draw and restore, the animation modes, and the invariant that they
// never leave trails however they move, hide and show.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "ostrel/graphics/sprite.h"
#include "ostrel/input/cursorsprite.h"
#include "ostrel/input/mouse.h"
#include "screentest.h"

namespace {
constexpr int32_t kW = 96, kH = 64;

class Sprite : public CScreenTest {
 protected:
  void Begin(int32_t bits) {
    Start(kW, kH, bits);
    ASSERT_EQ(S().SetPersistentMode(1), 1);
    if (bits == 8) {
      // A palette with colours, shown by the display too.
      CPalette pal;
      pal.SetName("");  // no inverse-table cache file
      for (int i = 0; i < 256; ++i)
        pal.m_Entries[i] = TRGBA(static_cast<uint8_t>(i & 0xE0), static_cast<uint8_t>((i << 3) & 0xE0),
                                 static_cast<uint8_t>((i << 6) & 0xC0));
      S().SetPalette(&pal);
      S().SetSystemPalette();
    }
    // The persistent picture: a pattern, shown after one frame.
    CBitmap back;
    Paint(back, kW, kH, [](int32_t x, int32_t y) {
      return TRGBA(static_cast<uint8_t>(x * 2), static_cast<uint8_t>(y * 3), static_cast<uint8_t>((x ^ y) * 4));
    });
    S().MakeScreenBitmap(&back, 0);
    ASSERT_EQ(S().DrawBitmapPersistent(&back, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    Frame();
    Frame();
  }
  static void Frame() {
    S().FlipPage();
    S().ClearBuffer();
  }
  // A strip of n frames of w by h, frame i filled with its own colour, with a magenta key
  // corner in the strip's first pixel and a magenta hole in each frame's middle.
  void Strip(int32_t n, int32_t w, int32_t h) {
    Paint(m_Strip, n * w, h, [&](int32_t x, int32_t y) {
      if ((x == 0 && y == 0) || (x % w == w / 2 && y == h / 2)) return TRGBA(255, 0, 255);
      const int32_t f = x / w;
      return TRGBA(static_cast<uint8_t>(40 + f * 50), static_cast<uint8_t>(250 - f * 40), 90);
    });
    S().MakeScreenFormat(&m_Strip, 0);
  }
  CBitmap m_Strip;
};

struct SAnimCase {
  const char* name;
  int32_t mode, frames, delay;
  std::vector<int32_t> shown;
  int32_t statusAfter;
};

TEST_F(Sprite, AnimationModes) {
  Begin(24);
  const SAnimCase cases[] = {
      {"loop", SPRITE_ANIM_LOOP, 4, 0, {0, 1, 2, 3, 0, 1, 2}, SPRITE_FORWARD},
      {"once", SPRITE_ANIM_ONCE, 3, 0, {0, 1, 2, 2, 2}, SPRITE_STOPPED},
      {"once and back to the first", SPRITE_ANIM_ONCE_RESET, 3, 0, {0, 1, 2, 0, 0}, SPRITE_STOPPED},
      {"back and forth", SPRITE_ANIM_PINGPONG, 3, 0, {0, 1, 2, 1, 0, 1, 2, 1}, SPRITE_BACKWARD},
      {"back and forth once", SPRITE_ANIM_PINGPONG_ONCE, 3, 0, {0, 1, 2, 1, 0, 0, 0}, SPRITE_STOPPED},
      // The first step comes at once, then one every delay + 1 drawn frames.
      {"delay 2", SPRITE_ANIM_LOOP, 3, 2, {0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 1}, SPRITE_FORWARD},
      {"one frame back and forth", SPRITE_ANIM_PINGPONG, 1, 0, {0, 0, 0, 0}, SPRITE_FORWARD},
      {"unknown mode", 32, 3, 0, {0, 0, 0}, SPRITE_FORWARD},
  };
  for (const SAnimCase& c : cases) {
    SCOPED_TRACE(c.name);
    Strip(c.frames, 8, 8);
    CSprite sprite;
    ASSERT_EQ(sprite.Create(&m_Strip, nullptr, 8, 8, 5, 5, c.mode, c.delay, BLT_MODE_KEY), 1);
    EXPECT_EQ(sprite.GetNumFrames(), c.frames);
    std::vector<int32_t> shown;
    for (size_t i = 0; i < c.shown.size(); ++i) {
      shown.push_back(sprite.GetCurrentFrame());
      Frame();
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(sprite.GetAnimationStatus(), c.statusAfter);
  }
}

TEST_F(Sprite, CreateRulesAndSetters) {
  Begin(16);
  Strip(3, 8, 8);
  CSprite s;
  EXPECT_EQ(s.Create(nullptr, nullptr, 8, 8, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(s.Create(&m_Strip, nullptr, 0, -1, 1, 2, SPRITE_ANIM_LOOP, 0, 0), 1);  // the whole strip
  EXPECT_EQ(s.GetWidth(), 24);
  EXPECT_EQ(s.GetHeight(), 8);
  EXPECT_EQ(s.GetNumFrames(), 1);
  EXPECT_EQ(s.GetBaseFlags(), SPRITE_ANIM_LOOP | SPRITE_VISIBLE);
  const TPoint frames[] = {{16, 0}, {0, 0}, {8, -1}, {8, 0}};
  ASSERT_EQ(s.Create(&m_Strip, frames, 8, 8, 1, 2, 0, 5, 0), 1);
  EXPECT_EQ(s.GetNumFrames(), 2);  // up to the first -1
  EXPECT_EQ(s.GetFrameDelay(), 5);
  s.SetCurrentFrame(2);  // out of range: ignored
  EXPECT_EQ(s.GetCurrentFrame(), 0);
  s.SetCurrentFrame(1);
  EXPECT_EQ(s.GetCurrentFrame(), 1);
  s.SetFrameDelay(0);
  EXPECT_EQ(s.GetFrameDelay(), 5);
  s.SetAnimationStatus(3);
  EXPECT_EQ(s.GetAnimationStatus(), SPRITE_FORWARD);
  s.SetRelativePosition(3, 4);
  EXPECT_EQ(s.GetPositionX(), 4);
  EXPECT_EQ(s.GetPositionY(), 6);
  EXPECT_EQ(s.CheckBaseFlag(SPRITE_CLIP | SPRITE_LATE), 0);
  s.SetSpriteClipArea(CRect(0, 0, 5, 5));
  EXPECT_EQ(s.CheckBaseFlag(SPRITE_CLIP | SPRITE_LATE), 1);
}

TEST_F(Sprite, DrawsItsFrameWithKeyAndPutsBackWhatWasUnder) {
  Begin(24);
  Strip(2, 8, 8);
  const uint32_t under = ScreenPixel(14, 14);
  CSprite s;
  ASSERT_EQ(s.Create(&m_Strip, nullptr, 8, 8, 10, 10, 0, 0, BLT_MODE_KEY), 1);
  s.SetCurrentFrame(1);
  S().FlipPage();
  EXPECT_EQ(ScreenPixel(10, 10), 0x5AD25Au);  // frame 1
  EXPECT_EQ(ScreenPixel(14, 14), under);      // the key's hole
  EXPECT_EQ(FirstPresentedMismatch(), -1);
  S().ClearBuffer();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

TEST_F(Sprite, HiddenSpriteIsNeitherSavedNorDrawn) {
  Begin(24);
  Strip(1, 8, 8);
  CSprite s;
  ASSERT_EQ(s.Create(&m_Strip, nullptr, 8, 8, 10, 10, 0, 0, 0), 1);
  Frame();
  s.ClearBaseFlag(SPRITE_VISIBLE);
  S().FlipPage();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  S().ClearBuffer();
  // Nothing to put back: no area is added for it.
  EXPECT_EQ(S().LayerAreas().Count(0), 0);
}

TEST_F(Sprite, FrameIndexAtTheFrameCountIsBeyondTheFrames) {
  Begin(24);
  Strip(1, 8, 8);
  CSprite s;
  // Frames wider than the strip: none at all, so frame 0 is already beyond them.
  ASSERT_EQ(s.Create(&m_Strip, nullptr, 9, 8, 10, 10, SPRITE_ANIM_LOOP, 0, 0), 1);
  EXPECT_EQ(s.GetNumFrames(), 0);
  S().FlipPage();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  S().ClearBuffer();
}

TEST_F(Sprite, SizeAndOwnClipLimitTheDrawing) {
  Begin(24);
  Strip(1, 8, 8);
  CSprite s;
  ASSERT_EQ(s.Create(&m_Strip, nullptr, 8, 8, 10, 10, 0, 0, 0), 1);
  s.SetSize(4, 20);  // taller than the frame: the frame's height
  S().FlipPage();
  EXPECT_EQ(ScreenPixel(13, 17), 0x28FA5Au);
  EXPECT_NE(ScreenPixel(14, 10), 0x28FA5Au);
  EXPECT_NE(ScreenPixel(13, 18), 0x28FA5Au);
  S().ClearBuffer();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  s.SetSize(8, 8);
  s.SetSpriteClipArea(CRect(12, 12, 13, 13));
  S().SetClip(0, 0, 50, 50);
  S().FlipPage();
  EXPECT_EQ(ScreenPixel(12, 12), 0x28FA5Au);
  EXPECT_NE(ScreenPixel(11, 12), 0x28FA5Au);
  EXPECT_NE(ScreenPixel(14, 13), 0x28FA5Au);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(0, 0, 50, 50))));
  EXPECT_EQ(S().GetClipDepth(), 0);
  S().ClearBuffer();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

TEST_F(Sprite, LateSpriteStaysOutOfTheGreyCopy) {
  Begin(24);
  Strip(1, 8, 8);
  CSprite normal, late;
  ASSERT_EQ(normal.Create(&m_Strip, nullptr, 8, 8, 10, 10, 0, 0, 0), 1);
  ASSERT_EQ(late.Create(&m_Strip, nullptr, 8, 8, 40, 10, SPRITE_LATE, 0, 0), 1);
  S().SetScreenToPersistentGrey();
  S().FlipPage();
  const uint32_t grey = (0x28 + 0xFA + 0x5A) / 6;
  EXPECT_EQ(PersistentPixel(12, 12), grey << 16 | grey << 8 | grey);  // the normal one, greyed
  EXPECT_NE(PersistentPixel(42, 12), grey << 16 | grey << 8 | grey);
  EXPECT_EQ(ScreenPixel(42, 12), 0x28FA5Au);  // the late one in colour on the screen
  S().ClearBuffer();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

TEST_F(Sprite, FreedWhileOnTheScreenPutsTheBackgroundBack) {
  Begin(24);
  Strip(1, 8, 8);
  auto s = std::make_unique<CSprite>();
  ASSERT_EQ(s->Create(&m_Strip, nullptr, 8, 8, 10, 10, 0, 0, 0), 1);
  s->SetBaseFlag(SPRITE_LATE);  // changed after the registration
  S().FlipPage();
  s.reset();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  Frame();  // no receiver left behind
  EXPECT_EQ(FirstPresentedMismatch(), -1);
}

TEST_F(Sprite, FlipWithoutClearLeavesNoCopyOfItself) {
  Begin(24);
  Strip(1, 8, 8);
  CSprite s;
  ASSERT_EQ(s.Create(&m_Strip, nullptr, 8, 8, 10, 10, 0, 0, 0), 1);
  S().FlipPage();
  s.SetPosition(30, 30);
  S().FlipPage();  // no clear between: the first frame is put back before saving
  S().ClearBuffer();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

TEST_F(Sprite, MouseCursorsAreSprites) {
  Begin(24);
  Strip(2, 8, 8);
  CMouse& mouse = *glb->m_pMouse;
  mouse.IsFullScreen(1);
  mouse.SetPos(20, 20);
  const uint32_t id = mouse.AllocCursor(&m_Strip, nullptr, 8, 8, 0, 0);
  ASSERT_EQ(id, 1u);
  mouse.SetCursor(id, 1);
  S().FlipPage();
  EXPECT_EQ(ScreenPixel(21, 21), 0x5AD25Au);
  S().ClearBuffer();
  mouse.SetCursor(id + 5, 0);  // another id: this one hides
  Frame();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  EXPECT_EQ(mouse.AllocCursor("missing.bmp", nullptr, 8, 8, 0, 0), 0u);
  EXPECT_EQ(mouse.FreeCursor(id), 1);
}

// Hundreds of frames of moves, hides, shows, frame and size changes, with transient and
// persistent drawing between them: what the window shows is the screen buffer after each flip,
// the screen buffer is the persistent picture after each clear, and with everything hidden the
// window shows the persistent picture.
class NoTrails : public Sprite, public ::testing::WithParamInterface<int32_t> {};

TEST_P(NoTrails, OverHundredsOfFrames) {
  Begin(GetParam());
  Strip(4, 12, 10);
  CBitmap spot;
  Paint(spot, 6, 6, [](int32_t x, int32_t y) { return TRGBA(static_cast<uint8_t>(x * 40), 20, static_cast<uint8_t>(y * 40)); });
  S().MakeScreenFormat(&spot, 0);
  std::mt19937 rng(20240611u + static_cast<uint32_t>(GetParam()));
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
  std::vector<std::unique_ptr<CSprite>> sprites;
  for (int32_t i = 0; i < 10; ++i) {
    auto s = std::make_unique<CSprite>();
    const int32_t flags = (i % 3 == 0 ? SPRITE_LATE : 0) | (i % 2 ? SPRITE_ANIM_LOOP : SPRITE_ANIM_PINGPONG);
    ASSERT_EQ(s->Create(&m_Strip, nullptr, 12, 10, pick(-10, kW), pick(-10, kH), flags, i % 4, i % 2 ? BLT_MODE_KEY : 0),
              1);
    if (i == 7) s->SetSpriteClipArea(CRect(20, 10, 70, 50));
    sprites.push_back(std::move(s));
  }
  for (int32_t frame = 0; frame < 400; ++frame) {
    for (auto& s : sprites) {
      switch (pick(0, 9)) {
        case 0: s->ClearBaseFlag(SPRITE_VISIBLE); break;
        case 1: s->SetBaseFlag(SPRITE_VISIBLE); break;
        case 2: s->SetPosition(pick(-15, kW + 5), pick(-15, kH + 5)); break;
        case 3: s->SetSize(pick(0, 14), pick(0, 12)); break;
        case 4: s->SetCurrentFrame(pick(0, 3)); break;
        default: s->SetRelativePosition(pick(-3, 3), pick(-3, 3)); break;
      }
    }
    if (frame % 7 == 0) S().DrawBitmapScreen(&spot, 0, 0, pick(-3, kW), pick(-3, kH), -1, -1, 0, 0);
    if (frame % 29 == 0) S().DrawBitmapPersistent(&spot, 0, 0, pick(-3, kW), pick(-3, kH), -1, -1, 0, 0);
    if (frame % 53 == 0) {
      // One sprite goes and a new one comes.
      sprites[frame % 10] = std::make_unique<CSprite>();
      ASSERT_EQ(sprites[frame % 10]->Create(&m_Strip, nullptr, 12, 10, pick(0, kW), pick(0, kH), SPRITE_ANIM_LOOP, 0,
                                            BLT_MODE_KEY),
                1);
    }
    S().FlipPage();
    ASSERT_EQ(FirstPresentedMismatch(), -1) << "frame " << frame;
    S().ClearBuffer();
    ASSERT_EQ(FirstPersistentMismatch(), -1) << "frame " << frame;
  }
  for (auto& s : sprites) s->ClearBaseFlag(SPRITE_VISIBLE);
  Frame();
  S().FlipPage();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  EXPECT_EQ(FirstPresentedMismatch(), -1);
}

INSTANTIATE_TEST_SUITE_P(Depths, NoTrails, ::testing::Values(8, 16, 24),
                         [](const ::testing::TestParamInfo<int32_t>& i) { return std::to_string(i.param) + "bit"; });
}  // namespace
