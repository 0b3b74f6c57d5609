#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/input/cursorsprite.h"
#include "ostrel/input/mouse.h"
#include "platform/display/headless.h"
#include "support/runtimefixture.h"

namespace {
// Sprites and pictures as the graphics side will give them, recorded.
class CFakeSprite : public CCursorSprite {
 public:
  CFakeSprite(int32_t x, int32_t y) : m_X(x), m_Y(y) { ++s_Live; }
  ~CFakeSprite() override { --s_Live; }
  void Show(int32_t on) override { m_Shown = on != 0; }
  void SetFrame(int32_t frame) override { m_Frame = frame; }
  void StopAnim() override { m_Running = false; }
  void StartAnim(int32_t flags, float delay) override {
    m_Running = true;
    m_AnimFlags = flags;
    m_Delay = delay;
  }
  void SetPosition(int32_t x, int32_t y) override {
    m_X = x;
    m_Y = y;
  }
  bool m_Shown = true;  // a new sprite is visible
  bool m_Running = true;
  int32_t m_Frame = 0, m_AnimFlags = 0, m_X, m_Y;
  float m_Delay = 0;
  static int s_Live;
};
int CFakeSprite::s_Live = 0;

char g_Pictures[4];
CBitmap* Picture(int i) { return reinterpret_cast<CBitmap*>(&g_Pictures[i]); }
std::vector<CFakeSprite*> g_Made;
std::vector<CBitmap*> g_Deleted;
bool g_CreateFails = false;

CCursorSprite* Create(CBitmap*, TPoint*, int32_t, int32_t, int32_t x, int32_t y) {
  if (g_CreateFails) return nullptr;
  g_Made.push_back(new CFakeSprite(x, y));
  return g_Made.back();
}
CBitmap* Load(const char* file) { return std::string(file) == "arrow.bmp" ? Picture(1) : nullptr; }
void Delete(CBitmap* b) { g_Deleted.push_back(b); }
const TCursorPictures kPictures{&Create, &Load, &Delete};

std::vector<std::vector<int32_t>> g_Updates;
void OnUpdate(int32_t x, int32_t y, int32_t buttons) { g_Updates.push_back({x, y, buttons}); }

class Mouse : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    d().SetWindowPos(100, 50);
    d().SetWindowSize(640, 480);
    g_Made.clear();
    g_Deleted.clear();
    g_Updates.clear();
    g_CreateFails = false;
  }
  void TearDown() override {
    CRuntimeTest::TearDown();
    xSetCursorPictures(nullptr);
    EXPECT_EQ(CFakeSprite::s_Live, 0);
  }
  static CHeadlessDisplay& d() { return *PlatformHeadless(); }
  static CMouse& M() { return *glb->m_pMouse; }
  // The first move after start only wakes the mouse.
  void Wake() {
    d().QueueMouseMove(0, 0);
    xHandler();
  }
  std::vector<int32_t> State() {
    int32_t x = 0, y = 0;
    uint8_t b = 0;
    M().GetState(&x, &y, &b);
    return {x, y, b};
  }
  int32_t Buttons() {
    int32_t b = -1;
    M().GetBtnState(&b);
    return b;
  }
};
}  // namespace

TEST_F(Mouse, StartsInTheMiddleAndIgnoresTheFirstMove) {
  EXPECT_EQ(State(), (std::vector<int32_t>{320, 240, 0}));
  d().QueueMouseMove(10, 20);
  xHandler();
  EXPECT_EQ(State(), (std::vector<int32_t>{320, 240, 0}));
  d().QueueMouseMove(30, 40);
  xHandler();
  EXPECT_EQ(State(), (std::vector<int32_t>{30, 40, 0}));
  // The picture's place inside the window counts off.
  M().SetMouseAdd(5, 6);
  d().QueueMouseMove(30, 40);
  xHandler();
  EXPECT_EQ(State(), (std::vector<int32_t>{25, 34, 0}));
  // The point that relative mode holds the pointer at is an ordinary point without it.
  M().SetMouseAdd(0, 0);
  d().QueueMouseMove(320, 240);
  xHandler();
  EXPECT_EQ(State(), (std::vector<int32_t>{320, 240, 0}));
  d().QueueMouseMove(-20, 700);
  xHandler();
  EXPECT_EQ(State(), (std::vector<int32_t>{-20, 700, 0}));
}

TEST_F(Mouse, PressedAndReleasedBitsAreReportedOnce) {
  Wake();
  M().SetUpdateCallback(&OnUpdate);
  d().QueueMouseButton(XMOUSE_LEFT, true, 5, 6);
  d().QueueMouseButton(XMOUSE_LEFT, false, 5, 6);
  xHandler();
  EXPECT_EQ(Buttons(), 0x10100);
  EXPECT_EQ(Buttons(), 0);
  EXPECT_EQ(g_Updates, (std::vector<std::vector<int32_t>>{{5, 6, 0x101}, {5, 6, 0x10100}}));

  d().QueueMouseButton(XMOUSE_RIGHT, true, 5, 6);
  xHandler();
  EXPECT_EQ(State()[2], 0x02);
  EXPECT_EQ(Buttons(), 0x202);
  EXPECT_EQ(Buttons(), 0x002);
  // The middle button is seen through the key flags of the next message.
  d().QueueMouseButton(XMOUSE_MIDDLE, true, 5, 6);
  d().QueueMouseButton(XMOUSE_RIGHT, false, 5, 6);
  xHandler();
  EXPECT_EQ(Buttons(), 0x20404);
  d().QueueMouseButton(XMOUSE_MIDDLE, false, 5, 6);
  d().QueueMouseMove(5, 6);
  xHandler();
  EXPECT_EQ(Buttons(), 0x40000);
  EXPECT_EQ(Buttons(), 0);
}

TEST_F(Mouse, RelativeModeWarpsBackAndIgnoresTheWarpsOwnMove) {
  Wake();
  M().NeedDelta(1);
  d().QueueMouseMove(330, 250);  // 10 right of and 10 below the centre
  xHandler();                    // the warp's own move is taken in the same pump
  int32_t px = 0, py = 0;
  d().GetPointerPos(px, py);
  EXPECT_EQ(px, 420);
  EXPECT_EQ(py, 290);
  EXPECT_EQ(d().Pending(), 0u);
  int32_t dx = 0, dy = 0;
  uint8_t b = 1;
  M().GetDelta(&dx, &dy, &b);
  EXPECT_EQ(dx, 10);
  EXPECT_EQ(dy, 10);
  EXPECT_EQ(b, 0);
  M().GetDelta(&dx, &dy, nullptr);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(State(), (std::vector<int32_t>{330, 250, 0}));
  d().QueueMouseMove(300, 245);
  xHandler();
  M().GetDelta(&dx, &dy, nullptr);
  EXPECT_EQ(dx, -20);
  EXPECT_EQ(dy, 5);
  M().SetPos(1, 2);
  M().GetDelta(&dx, &dy, nullptr);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(State(), (std::vector<int32_t>{1, 2, 0}));
}

TEST_F(Mouse, ActivationCentresThePointerInRelativeOrOwnCursorMode) {
  Wake();  // the pointer stands at the window's corner
  int32_t x = 0, y = 0;
  Post(XMSG_ACTIVATEAPP, 1);
  xHandler();
  d().GetPointerPos(x, y);
  EXPECT_EQ(x, 100);
  for (int mode = 0; mode < 2; ++mode) {
    M().NeedDelta(mode == 0);
    M().IsFullScreen(mode == 1);
    d().WarpPointer(0, 0);
    Post(XMSG_ACTIVATEAPP, 0);
    xHandler();
    d().GetPointerPos(x, y);
    EXPECT_EQ(x, 0);
    Post(XMSG_ACTIVATEAPP, 1);
    xHandler();
    d().GetPointerPos(x, y);
    EXPECT_EQ(x, 420);  // the window's (320, 240)
    EXPECT_EQ(y, 290);
  }
  int32_t dx = 0, dy = 0;
  M().GetDelta(&dx, &dy, nullptr);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
}

TEST_F(Mouse, CursorIdsSwitchSystemCursors) {
  EXPECT_EQ(M().Init(), 1);
  EXPECT_TRUE(d().IsPointerShown());
  EXPECT_EQ(M().GetFlags() & XMOUSE_OWNCURSOR, 0u);
  struct {
    uint32_t id;
    EDisplayCursor cursor;
  } cases[] = {{2, EDisplayCursor::TextBeam}, {3, EDisplayCursor::Hand}, {1, EDisplayCursor::Arrow},
               {3, EDisplayCursor::Hand},     {0, EDisplayCursor::Arrow}, {77, EDisplayCursor::Arrow}};
  for (const auto& c : cases) {
    M().ClearSetCursorCalled();
    M().SetCursor(c.id, 0);
    EXPECT_EQ(d().GetSystemCursor(), c.cursor) << c.id;
    EXPECT_EQ(M().SetCursorCalled(), 1);
  }
  // Without a hand cursor on the system the finger is the arrow.
  delete glb->m_pMouse;
  d().SetCursorAvailable(EDisplayCursor::Hand, false);
  glb->m_pMouse = new CMouse;
  M().SetFingerResourceId(102);
  M().SetCursor(2, 0);
  M().SetCursor(3, 0);
  EXPECT_EQ(d().GetSystemCursor(), EDisplayCursor::Arrow);
  EXPECT_EQ(M().GetFingerCursor(), EDisplayCursor::Arrow);
}

TEST_F(Mouse, InitWithoutAMouseFails) {
  d().SetMousePresent(false);
  EXPECT_EQ(M().Init(), 0);
}

TEST_F(Mouse, OwnCursorsAreSpritesSwitchedById) {
  xSetCursorPictures(nullptr);
  EXPECT_EQ(M().AllocCursor(Picture(0), nullptr, 16, 16, 1, 2), 0u);  // no sprites
  xSetCursorPictures(&kPictures);
  M().IsFullScreen(1);
  EXPECT_EQ(M().AllocCursor(static_cast<CBitmap*>(nullptr), nullptr, 16, 16, 0, 0), 0u);
  ASSERT_EQ(M().AllocCursor(Picture(0), nullptr, 16, 16, 0, 0), 1u);
  ASSERT_EQ(M().AllocCursor(Picture(0), nullptr, 16, 16, 0, 8), 2u);
  EXPECT_EQ(M().GetCurrentCursor(), 1u);
  EXPECT_EQ(g_Made[0]->m_X, 320);  // made at the mouse position
  d().SetSystemCursor(EDisplayCursor::TextBeam);
  M().SetCursor(2, 3);
  EXPECT_FALSE(g_Made[0]->m_Shown);
  EXPECT_TRUE(g_Made[1]->m_Shown);
  EXPECT_EQ(g_Made[1]->m_Frame, 3);
  EXPECT_FALSE(g_Made[1]->m_Running);
  EXPECT_EQ(M().GetCurrentCursor(), 2u);
  EXPECT_EQ(d().GetSystemCursor(), EDisplayCursor::TextBeam);  // the system cursor is left alone
  M().StartAnim(1, 64, 0.25f);
  EXPECT_TRUE(g_Made[0]->m_Shown);
  EXPECT_FALSE(g_Made[1]->m_Shown);
  EXPECT_TRUE(g_Made[0]->m_Running);
  EXPECT_EQ(g_Made[0]->m_AnimFlags, 64);
  EXPECT_FLOAT_EQ(g_Made[0]->m_Delay, 0.25f);
  M().StopAnim();
  EXPECT_FALSE(g_Made[0]->m_Running);
  // The timer of full-screen use moves the current cursor to the pointer.
  M().SetUpdateCallback(&OnUpdate);
  d().WarpPointer(12, 13);
  M().TimerHandler(20);
  EXPECT_EQ(g_Made[0]->m_X, 12);
  EXPECT_EQ(g_Made[0]->m_Y, 13);
  EXPECT_EQ(State(), (std::vector<int32_t>{12, 13, 0}));
  EXPECT_EQ(g_Updates.size(), 1u);

  EXPECT_EQ(M().FreeCursor(1), 1);
  EXPECT_EQ(M().FreeCursor(1), 0);
  EXPECT_EQ(M().GetCurrentCursor(), 0u);
  EXPECT_EQ(CFakeSprite::s_Live, 1);
  M().Exit();
  EXPECT_EQ(CFakeSprite::s_Live, 0);
}

TEST_F(Mouse, WithoutOwnCursorsNoSpriteShows) {
  xSetCursorPictures(&kPictures);
  ASSERT_EQ(M().AllocCursor(Picture(0), nullptr, 16, 16, 0, 0), 1u);
  ASSERT_EQ(M().AllocCursor(Picture(0), nullptr, 16, 16, 0, 0), 2u);
  EXPECT_FALSE(g_Made[0]->m_Shown);
  EXPECT_FALSE(g_Made[1]->m_Shown);
  M().SetCursor(2, 0);
  EXPECT_FALSE(g_Made[1]->m_Shown);
  EXPECT_EQ(M().GetCurrentCursor(), 1u);
  M().TimerHandler(20);  // the follow timer has nothing to do in a window
  EXPECT_EQ(g_Made[0]->m_X, 320);
}

TEST_F(Mouse, CursorsFromFilesKeepTheirPicture) {
  xSetCursorPictures(&kPictures);
  EXPECT_EQ(M().AllocCursor("missing.bmp", nullptr, 0, 0, 0, 0), 0u);
  g_CreateFails = true;
  EXPECT_EQ(M().AllocCursor("arrow.bmp", nullptr, 0, 0, 0, 0), 0u);
  EXPECT_EQ(g_Deleted, (std::vector<CBitmap*>{Picture(1)}));
  g_CreateFails = false;
  const uint32_t id = M().AllocCursor("arrow.bmp", nullptr, 0, 0, 0, 0);
  ASSERT_EQ(id, 1u);
  EXPECT_EQ(g_Deleted.size(), 1u);
  EXPECT_EQ(M().FreeCursor(id), 1);
  EXPECT_EQ(g_Deleted.size(), 2u);
  M().AllocCursor("arrow.bmp", nullptr, 0, 0, 0, 0);
  delete glb->m_pMouse;  // the destructor frees the cursors and their pictures
  glb->m_pMouse = nullptr;
  EXPECT_EQ(g_Deleted.size(), 3u);
}

TEST_F(Mouse, DeltaHandlersAndSensitivity) {
  int32_t id = 0;
  EXPECT_EQ(M().GetDeltaHandler(nullptr), 0);
  EXPECT_EQ(M().GetDeltaHandler(&id), 1);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(M().GetDeltaHandler(&id), 2);
  EXPECT_FLOAT_EQ(M().GetSensitivity(), 1.0f);
  M().SetSensitivity(2.5f);
  EXPECT_FLOAT_EQ(M().GetSensitivity(), 2.5f);
  M().Exit();
  EXPECT_EQ(M().GetDeltaHandler(&id), 3);
}
