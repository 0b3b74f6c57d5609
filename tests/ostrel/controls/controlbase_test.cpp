#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/containers/llist.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/crypto/random.h"
#include "ostrel/graphics/bitmap.h"
#include "support/runtimefixture.h"

namespace {
// A source bitmap for reference-mode animations (the frames only point into it).
CBitmap g_Source;
CBitmap* Source() { return &g_Source; }

class ControlBase : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    g_Source.CreateRGB(64, 64, 24, 8, 8, 8, 16, 8, 0, 0);
  }
  void TearDown() override {
    g_Source.Free();
    CRuntimeTest::TearDown();
  }
};

std::vector<int32_t> Frames(CControlBase& c, TCntrlAnim* anim, int steps) {
  std::vector<int32_t> seen;
  for (int i = 0; i < steps; ++i) {
    c.TimerHandler(anim->m_Delay);
    seen.push_back(anim->m_Current);
  }
  return seen;
}
}  // namespace

TEST_F(ControlBase, SetStateKeepsTheStateToReturnToAfterDisabling) {
  CControlBase c;
  EXPECT_EQ(c.GetState(), XGUI_RELEASED);
  EXPECT_EQ(c.SetState(XGUI_RELEASED), 0);
  struct SCase {
    int32_t before;
    int32_t afterEnable;
  };
  for (SCase t : {SCase{XGUI_HIGHLIGHT, XGUI_HIGHLIGHT}, SCase{XGUI_PRESSED, XGUI_RELEASED},
                  SCase{XGUI_HIDDEN, XGUI_RELEASED}, SCase{XGUI_RELEASED, XGUI_RELEASED}}) {
    CControlBase k;
    if (t.before != XGUI_RELEASED) {
      EXPECT_EQ(k.SetState(t.before), 1);
    }
    EXPECT_EQ(k.SetState(XGUI_DISABLED), 1);
    EXPECT_EQ(k.GetState(), XGUI_DISABLED);
    k.SetState(XGUI_RELEASED);
    EXPECT_EQ(k.GetState(), t.afterEnable) << t.before;
  }
  // Another state in between forgets the saved one.
  CControlBase k;
  k.SetState(XGUI_HIGHLIGHT);
  k.SetState(XGUI_DISABLED);
  k.SetState(XGUI_PRESSED);
  k.SetState(XGUI_RELEASED);
  EXPECT_EQ(k.GetState(), XGUI_RELEASED);
}

TEST_F(ControlBase, TheMd5FormIsTheDigestOfTheTypedText) {
  CControlBase c;
  c.SetFlag(CNTRL_MD5);
  char text[] = "abc";
  c.SetText(text);
  EXPECT_STREQ(c.GetTextBuffer(0), "900150983cd24fb0d6963f7d28e17f72");  // RFC 1321
  EXPECT_STREQ(c.GetUnHashedBuffer(0), "abc");
  EXPECT_EQ(c.GetTextLength(), 3);
  c.SetText("");
  EXPECT_STREQ(c.GetTextBuffer(0), "d41d8cd98f00b204e9800998ecf8427e");
  c.RemoveFlag(CNTRL_MD5);
  EXPECT_STREQ(c.GetTextBuffer(0), "");
}

TEST_F(ControlBase, FormatTextConvertsCaseInACopyOfABorrowedText) {
  struct SCase {
    uint32_t flags;
    const char* in;
    const char* out;
  };
  for (SCase t : {SCase{CNTRL_INITIALCAPITAL, "hELLO", "Hello"}, SCase{CNTRL_INITIALCAPITAL, "1ABC", "1abc"},
                  SCase{CNTRL_INITIALCAPITAL, "{ABC", "{abc"}, SCase{CNTRL_INITIALCAPITAL, "\xe9T\xc9", "\xe9t\xc9"},
                  SCase{CNTRL_UPPERCASE, "mIx3d\xe9", "MIX3D\xe9"}, SCase{CNTRL_LOWERCASE, "MiX\xc9", "mix\xc9"},
                  SCase{CNTRL_UPPERCASE | CNTRL_INITIALCAPITAL, "aBC", "Abc"}, SCase{0, "KeeP", "KeeP"}}) {
    CControlBase c;
    c.SetFlag(t.flags);
    std::string caller = t.in;
    c.SetText(caller.c_str());
    EXPECT_STREQ(c.GetTextBuffer(0), t.out) << t.in;
    EXPECT_EQ(caller, t.in);  // the caller's text is left alone
    EXPECT_EQ(c.IsBufferOwned(), t.flags ? 1 : 0);
  }
}

TEST_F(ControlBase, BuffersOwnedOrBorrowedAndCopied) {
  CControlBase a;
  char* buffer = a.AllocBuffer(8);
  ASSERT_NE(buffer, nullptr);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(a.GetTextBufferSize(), 8);
  std::strcpy(buffer, "abc");
  EXPECT_EQ(a.AllocBuffer(0), nullptr);
  EXPECT_EQ(a.AllocBuffer(CNTRL_MAX_BUFFER + 1), nullptr);
  EXPECT_STREQ(a.GetTextBuffer(0), "abc");  // a refused size leaves the text
  CControlBase b;
  ASSERT_EQ(b.Copy(&a), 1);
  EXPECT_EQ(b.GetTextBufferSize(), 8);
  EXPECT_STREQ(b.GetTextBuffer(0), "abc");
  EXPECT_NE(b.GetTextBuffer(0), a.GetTextBuffer(0));
  // A borrowed text is copied with its terminator.
  CControlBase c;
  c.SetText("xyz");
  c.SetSize(30, 10);
  c.SetFlag(CNTRL_EXTRUDED);
  c.SetState(XGUI_HIGHLIGHT);
  CControlBase d;
  ASSERT_EQ(d.Copy(&c), 1);
  EXPECT_STREQ(d.GetTextBuffer(0), "xyz");
  EXPECT_EQ(d.GetTextBufferSize(), 4);
  EXPECT_EQ(d.GetFlags(), static_cast<uint32_t>(CNTRL_EXTRUDED));
  EXPECT_EQ(d.GetState(), XGUI_HIGHLIGHT);
  int32_t w = 0, h = 0;
  d.GetSize(w, h);
  EXPECT_EQ(w, 30);
  EXPECT_EQ(d.Copy(&d), 0);
}

TEST_F(ControlBase, ClipListMergesForAlphaAndWhenFull) {
  CControlBase c;
  c.SetPos(10, 10);
  c.SetSize(100, 50);
  CRect outside(200, 200, 210, 210);
  EXPECT_EQ(c.Validate(&outside, 0), 0);
  CRect a(0, 0, 20, 20), b(50, 40, 300, 300);
  EXPECT_EQ(c.Validate(&a, 0), 1);
  EXPECT_EQ(c.Validate(&b, 0), 1);
  ASSERT_EQ(c.GetClipCount(), 2);
  EXPECT_EQ(c.GetClipRect(0).left, 10);
  EXPECT_EQ(c.GetClipRect(0).right, 20);
  EXPECT_EQ(c.GetClipRect(1).left, 50);
  EXPECT_EQ(c.GetClipRect(1).right, 109);
  EXPECT_EQ(c.GetClipRect(1).bottom, 59);
  c.ClearClipListIndex();
  // Alpha controls unite overlapping parts.
  c.SetFlag(CNTRL_ALPHA);
  CRect p(10, 10, 30, 30), q(20, 20, 40, 40), r(80, 10, 90, 20);
  c.Validate(&p, 0);
  c.Validate(&q, 0);
  c.Validate(&r, 0);
  ASSERT_EQ(c.GetClipCount(), 2);
  EXPECT_EQ(c.GetClipRect(0).right, 40);
  c.RemoveFlag(CNTRL_ALPHA);
  c.ClearClipListIndex();
  // A full list becomes one rectangle around everything.
  for (int i = 0; i < CNTRL_CLIP_SIZE; ++i) {
    CRect one(10 + i % 50, 10 + i / 50, 10 + i % 50, 10 + i / 50);
    c.Validate(&one, 0);
  }
  EXPECT_EQ(c.GetClipCount(), CNTRL_CLIP_SIZE);
  CRect last(100, 55, 105, 58);
  c.Validate(&last, 0);
  ASSERT_EQ(c.GetClipCount(), 1);
  const CRect& all = c.GetClipRect(0);
  EXPECT_EQ(all.left, 10);
  EXPECT_EQ(all.top, 10);
  EXPECT_EQ(all.right, 105);
  EXPECT_EQ(all.bottom, 58);
}

TEST_F(ControlBase, AnimationsAreCutRowByRow) {
  struct SCase {
    int32_t count, columns, rows, frames;
  };
  for (SCase t : {SCase{0, 4, 2, 8}, SCase{5, 4, 0, 5}, SCase{3, 0, 0, 3}, SCase{0, 0, 3, 0}, SCase{0, 4, 0, 0}}) {
    TCntrlAnim* anim = xCreateCntrlAnim(Source(), 8, 6, t.count, t.columns, t.rows, 0, 0);
    if (!t.frames) {
      EXPECT_EQ(anim, nullptr);
      continue;
    }
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->NumFrames(), t.frames);
    EXPECT_EQ(anim->m_Delay, 20u);
    delete anim;
  }
  TCntrlAnim* two = xCreateCntrlAnim(Source(), 8, 6, 5, 4, 0, 0, 0);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->m_Rects[3].left, 24);
  EXPECT_EQ(two->m_Rects[3].top, 0);
  EXPECT_EQ(two->m_Rects[4].left, 0);
  EXPECT_EQ(two->m_Rects[4].top, 6);
  EXPECT_EQ(two->m_Rects[4].right, 7);
  delete two;
  // Copies: a bitmap of its own per frame.
  TCntrlAnim* copies = xCreateCntrlAnim(Source(), 8, 6, 0, 2, 1, 1, 0);
  ASSERT_NE(copies, nullptr);
  EXPECT_EQ(copies->m_pSource, nullptr);
  ASSERT_EQ(copies->NumFrames(), 2);
  EXPECT_EQ(copies->m_Frames[1]->m_Width, 8);
  delete copies;
  EXPECT_EQ(xCreateCntrlAnim(nullptr, 8, 6, 2, 2, 1, 1, 0), nullptr);
}

TEST_F(ControlBase, FrameAnimationsStepByTheirPlayMode) {
  struct SCase {
    int32_t mode;
    std::vector<int32_t> frames;
  };
  for (const SCase& t : {SCase{ANIM_ONCE, {1, 2, 3, 3, 3}}, SCase{ANIM_LOOP, {1, 2, 3, 0, 1}},
                         SCase{ANIM_PINGPONG, {1, 2, 3, 3, 2, 1, 0, 1}}, SCase{ANIM_BACKLOOP, {3, 2, 1, 0, 3}},
                         SCase{7, {0, 0, 0}}}) {
    TCntrlAnim* anim = xCreateCntrlAnim(Source(), 4, 4, 4, 4, 1, 0, 0);
    anim->m_Delay = 40;
    CControlBase c;
    ASSERT_EQ(c.SetAnimBitmap(anim, 2, t.mode), 1);
    EXPECT_TRUE(c.GetFlags() & CNTRL_ANIMNORMAL);
    EXPECT_EQ(Frames(c, anim, static_cast<int>(t.frames.size())), t.frames) << t.mode;
    EXPECT_EQ(c.GetLook().m_pCurFrame, &anim->m_Rects[static_cast<size_t>(anim->m_Current)]);
    // Another period, or another state's slot, does not step it.
    const int32_t now = anim->m_Current;
    c.TimerHandler(41);
    c.SetState(XGUI_HIGHLIGHT);
    c.TimerHandler(40);
    EXPECT_EQ(anim->m_Current, now);
    c.Destroy();
    delete anim;
  }
}

TEST_F(ControlBase, SetFrameRateChangesTheFlaggedAnimations) {
  TCntrlAnim* a = xCreateCntrlAnim(Source(), 4, 4, 2, 2, 1, 0, 0);
  TCntrlAnim* b = xCreateCntrlAnim(Source(), 4, 4, 2, 2, 1, 0, 0);
  CControlBase c;
  c.SetAnimBitmap(a, 2, ANIM_LOOP);
  c.SetAnimBitmap(b, 3, ANIM_LOOP);
  EXPECT_EQ(c.SetFrameRate(1, 70), 1);
  EXPECT_EQ(a->m_Delay, 20u);
  EXPECT_EQ(b->m_Delay, 70u);
  EXPECT_EQ(c.SetFrameRate(2, 30), 1);
  EXPECT_EQ(a->m_Delay, 30u);
  EXPECT_EQ(b->m_Delay, 30u);
  c.SetFlag(CNTRL_ANIMPRESSED);  // flagged without an animation
  EXPECT_EQ(c.SetFrameRate(2, 50), 0);
  EXPECT_EQ(c.SetFrameRate(3, 60), 1);
  EXPECT_EQ(b->m_Delay, 60u);
  EXPECT_EQ(c.SetFrameRate(9, 60), 0);
  c.Destroy();
  delete a;
  delete b;
}

namespace {
uint32_t g_RandValue = 0;
int FixedRand(uint32_t& out) {
  out = g_RandValue;
  return 1;
}
}  // namespace

TEST_F(ControlBase, AnAnimationLineEndingInEndPlaysOnceAndLeavesTheSlot) {
  xSetRandSource(&FixedRand);
  TCntrlAnim* blink = xCreateCntrlAnim(Source(), 4, 4, 3, 3, 1, 0, 0);
  blink->m_Delay = 20;
  CControlBase c;
  ASSERT_EQ(c.SetAnimLine(2, "Blink", 100, 100, blink, 0, 0, "End"), 1);
  CLList* lines = c.GetLook().m_pLines[LOOK_NORMAL];
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->GetNumNodes(), 1);
  // Waits its 100 ms before the animation starts.
  c.TimerHandler(20);
  EXPECT_EQ(c.GetLook().m_pAnims[LOOK_NORMAL], nullptr);
  m_Clock.Advance(100);
  c.TimerHandler(20);
  EXPECT_EQ(c.GetLook().m_pAnims[LOOK_NORMAL], nullptr);
  m_Clock.Advance(1);
  c.TimerHandler(20);  // starts; the same tick also steps the frame
  EXPECT_EQ(c.GetLook().m_pAnims[LOOK_NORMAL], blink);
  EXPECT_TRUE(c.GetFlags() & CNTRL_ANIMNORMAL);
  int ticks = 0;
  while (c.GetLook().m_pAnims[LOOK_NORMAL] && ticks < 20) {
    c.TimerHandler(20);
    ++ticks;
  }
  EXPECT_LT(ticks, 20);
  EXPECT_FALSE(c.GetFlags() & CNTRL_ANIMNORMAL);
  EXPECT_EQ(lines->GetNumNodes(), 0);
  EXPECT_EQ(c.GetLook().m_pCurLine[LOOK_NORMAL], nullptr);
  xSetRandSource(nullptr);
  delete blink;
}

TEST_F(ControlBase, AnimationLinesFollowTheirSuccessorsAtRandom) {
  xSetRandSource(&FixedRand);
  CControlBase c;
  ASSERT_EQ(c.SetAnimLine(2, "A", 0, 0, nullptr, 10, 20, "B", "End"), 1);
  ASSERT_EQ(c.SetAnimLine(2, "B", 0, 0, nullptr, 0, 0, "A"), 1);
  // Draws give: the wait after A (10 + 4 % 10 = 14), then successor 0 of A's two ("B").
  g_RandValue = 4;
  c.TimerHandler(20);
  TAnimLine* line = c.GetLook().m_pCurLine[LOOK_NORMAL];
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line->m_Name, "A");
  EXPECT_EQ(line->m_Wait, 14u);
  m_Clock.Advance(15);
  g_RandValue = 0;
  c.TimerHandler(20);
  line = c.GetLook().m_pCurLine[LOOK_NORMAL];
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line->m_Name, "B");
  // B goes back to A, which now draws its second successor, "End".
  c.TimerHandler(20);
  EXPECT_STREQ(c.GetLook().m_pCurLine[LOOK_NORMAL]->m_Name, "A");
  g_RandValue = 1;
  for (int i = 0; i < 5; ++i) {
    m_Clock.Advance(30);
    c.TimerHandler(20);
  }
  EXPECT_EQ(c.GetLook().m_pCurLine[LOOK_NORMAL], nullptr);
  EXPECT_EQ(c.GetLook().m_pLines[LOOK_NORMAL]->GetNumNodes(), 0);
  EXPECT_EQ(c.SetAnimLine(7, "X", 0, 0, nullptr, 0, 0, "End"), 0);
  xSetRandSource(nullptr);
}
