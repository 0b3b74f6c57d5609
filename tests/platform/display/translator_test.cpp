#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/display/headless.h"
#include "platform/display/keyhook.h"

namespace {
std::vector<TPlatformMessage> Drain(CDisplayBackend& d) {
  std::vector<TPlatformMessage> out;
  TPlatformMessage m;
  while (d.PeekMessage(m)) out.push_back(m);
  return out;
}

// Press and release, the messages of both.
std::vector<TPlatformMessage> Type(CHeadlessDisplay& d, uint32_t vk) {
  d.QueueKey(vk, true);
  d.QueueKey(vk, false);
  return Drain(d);
}

uint32_t Up(uint32_t lParam) { return lParam | XKF_REPEAT | XKF_UP; }

class Translator : public ::testing::Test {
 protected:
  void SetUp() override { d.OpenWindow("t", 100, 50, 640, 480); }
  CHeadlessDisplay d;
};

// What the hooks saw, newest hook first.
std::vector<std::string> g_HookLog;
TKeyboardHook g_Older = 0, g_Newer = 0;
intptr_t g_NewerResult = 0;

intptr_t OlderHook(int32_t code, const TPlatformKey& key) {
  g_HookLog.push_back("older " + std::to_string(key.virtualKey) + (key.down ? " down " : " up ") +
                      std::to_string(key.character));
  return PlatformCallNextKeyboardHook(g_Older, code, key);
}

intptr_t NewerHook(int32_t code, const TPlatformKey& key) {
  g_HookLog.push_back("newer " + std::to_string(key.virtualKey));
  const intptr_t next = PlatformCallNextKeyboardHook(g_Newer, code, key);
  return g_NewerResult ? g_NewerResult : next;
}
}  // namespace

TEST_F(Translator, KeysBecomeKeyAndCharacterMessages) {
  const auto m = Type(d, XVK_A);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].message, XMSG_KEYDOWN);
  EXPECT_EQ(m[0].wParam, XVK_A);
  EXPECT_EQ(m[0].lParam, 1);
  EXPECT_EQ(m[1].message, XMSG_CHAR);
  EXPECT_EQ(m[1].wParam, static_cast<uintptr_t>('a'));
  EXPECT_EQ(m[2].message, XMSG_KEYUP);
  EXPECT_EQ(static_cast<uint32_t>(m[2].lParam), Up(1));
  // A key without a character, and one on the extended part of the keyboard.
  const auto del = Type(d, XVK_DELETE);
  ASSERT_EQ(del.size(), 2u);
  EXPECT_EQ(del[0].lParam, static_cast<intptr_t>(1 | XKF_EXTENDED));
}

TEST_F(Translator, LayoutCharactersFollowShiftCapsLockAndNumLock) {
  struct {
    std::vector<uint32_t> held;
    uint32_t vk;
    int character;
  } cases[] = {
      {{}, XVK_A, 'a'},
      {{XVK_LSHIFT}, XVK_A, 'A'},
      {{XVK_RSHIFT}, XVK_0 + 1, '!'},
      {{}, XVK_0 + 7, '7'},
      {{}, XVK_OEM_1, ';'},
      {{XVK_LSHIFT}, XVK_OEM_7, '"'},
      {{}, XVK_SPACE, ' '},
      {{}, XVK_RETURN, 13},
      {{}, XVK_ESCAPE, 27},
      {{XVK_LSHIFT}, XVK_TAB, 9},
      {{}, XVK_BACK, 8},
      {{XVK_LCONTROL}, XVK_A, 1},
      {{XVK_RCONTROL, XVK_LSHIFT}, XVK_A + 25, 26},
      {{XVK_LCONTROL}, XVK_A + 21, 22},
      {{XVK_LCONTROL}, XVK_OEM_4, 27},
      {{XVK_LCONTROL}, XVK_0 + 1, 0},
      {{XVK_LCONTROL, XVK_LMENU}, XVK_A, 0},
      {{XVK_LMENU}, XVK_A, 'a'},
      {{}, XVK_NUMPAD0 + 5, 0},
      {{}, XVK_MULTIPLY, '*'},
      {{}, XVK_F1, 0},
  };
  for (const auto& c : cases) {
    for (uint32_t k : c.held) d.QueueKey(k, true);
    d.QueueKey(c.vk, true);
    const auto m = Drain(d);
    const bool hasChar = m.back().message == XMSG_CHAR || m.back().message == XMSG_SYSCHAR;
    EXPECT_EQ(hasChar ? static_cast<int>(m.back().wParam) : 0, c.character) << c.vk;
    d.QueueKey(c.vk, false);
    for (uint32_t k : c.held) d.QueueKey(k, false);
    Drain(d);
  }
  // Caps lock turns letters over, and shift turns them back.
  Type(d, XVK_CAPITAL);
  EXPECT_TRUE(d.IsKeyToggled(XVK_CAPITAL));
  EXPECT_EQ(Type(d, XVK_A)[1].wParam, static_cast<uintptr_t>('A'));
  d.QueueKey(XVK_LSHIFT, true);
  EXPECT_EQ(Type(d, XVK_A)[2].wParam, static_cast<uintptr_t>('a'));
  d.QueueKey(XVK_LSHIFT, false);
  Type(d, XVK_NUMLOCK);
  EXPECT_EQ(Type(d, XVK_NUMPAD0 + 5)[1].wParam, static_cast<uintptr_t>('5'));
}

TEST_F(Translator, TheHookSeesCharactersOnPressAndReleaseAndSidesInTheKeyState) {
  g_HookLog.clear();
  g_Older = PlatformSetKeyboardHook(OlderHook);
  d.QueueKey(XVK_RSHIFT, true);
  d.QueueKey(XVK_A, true);
  d.QueueKey(XVK_A, false);
  TPlatformMessage m;
  ASSERT_TRUE(d.PeekMessage(m));
  EXPECT_EQ(m.wParam, XVK_SHIFT);  // messages carry the generic key
  EXPECT_TRUE(d.IsKeyDown(XVK_RSHIFT));
  EXPECT_TRUE(d.IsKeyDown(XVK_SHIFT));
  EXPECT_FALSE(d.IsKeyDown(XVK_LSHIFT));
  Drain(d);
  EXPECT_EQ(g_HookLog, (std::vector<std::string>{"older 16 down 0", "older 65 down 65", "older 65 up 65"}));
  EXPECT_TRUE(PlatformUnhookKeyboard(g_Older));
  EXPECT_FALSE(PlatformUnhookKeyboard(g_Older));
}

TEST_F(Translator, HooksRunNewestFirstAndANonZeroResultSwallowsTheKey) {
  g_HookLog.clear();
  g_Older = PlatformSetKeyboardHook(OlderHook);
  g_Newer = PlatformSetKeyboardHook(NewerHook);
  g_NewerResult = 1;
  EXPECT_TRUE(Type(d, XVK_A).empty());
  EXPECT_EQ(g_HookLog, (std::vector<std::string>{"newer 65", "older 65 down 97", "newer 65", "older 65 up 97"}));
  g_NewerResult = 0;
  EXPECT_EQ(Type(d, XVK_A).size(), 3u);
  PlatformUnhookKeyboard(g_Newer);
  PlatformUnhookKeyboard(g_Older);
  EXPECT_EQ(PlatformRunKeyboardHooks(XHC_ACTION, TPlatformKey{XVK_A, true, false, 'a', 1}), 0);
}

TEST_F(Translator, RepeatAltAndSystemKeys) {
  d.QueueKey(XVK_A, true);
  TRawKey repeat{XVK_A, true};
  repeat.repeat = true;
  d.QueueKey(repeat);
  d.QueueKey(XVK_A, true);  // held without a release counts as a repeat too
  const auto m = Drain(d);
  ASSERT_EQ(m.size(), 6u);
  EXPECT_EQ(m[2].message, XMSG_KEYDOWN);
  EXPECT_EQ(m[2].lParam, static_cast<intptr_t>(1 | XKF_REPEAT));
  EXPECT_EQ(m[3].message, XMSG_CHAR);
  EXPECT_EQ(m[4].lParam, static_cast<intptr_t>(1 | XKF_REPEAT));
  Type(d, XVK_A);

  d.QueueKey(XVK_LMENU, true);
  d.QueueKey(XVK_A + 5, true);
  d.QueueKey(XVK_A + 5, false);
  d.QueueKey(XVK_LMENU, false);
  const auto alt = Drain(d);
  ASSERT_EQ(alt.size(), 5u);
  EXPECT_EQ(alt[0].message, XMSG_SYSKEYDOWN);
  EXPECT_EQ(alt[0].wParam, XVK_MENU);
  EXPECT_EQ(alt[1].message, XMSG_SYSKEYDOWN);
  EXPECT_EQ(alt[1].lParam, static_cast<intptr_t>(1 | XKF_ALTDOWN));
  EXPECT_EQ(alt[2].message, XMSG_SYSCHAR);
  EXPECT_EQ(alt[2].wParam, static_cast<uintptr_t>('f'));
  EXPECT_EQ(alt[3].message, XMSG_SYSKEYUP);
  EXPECT_EQ(alt[4].message, XMSG_SYSKEYUP);
  EXPECT_EQ(static_cast<uint32_t>(alt[4].lParam), Up(1 | XKF_ALTDOWN));
  EXPECT_EQ(Type(d, XVK_F10)[0].message, XMSG_SYSKEYDOWN);
  d.QueueKey(XVK_RCONTROL, true);
  d.QueueKey(XVK_RMENU, true);
  d.QueueKey(XVK_A, true);
  EXPECT_EQ(Drain(d).back().message, XMSG_KEYDOWN);  // control with alt is no system key
}

TEST_F(Translator, GivenTextIsTheCharacterAndReleaseRepeatsIt) {
  TRawKey press{XVK_OEM_7, true};
  press.text = 0xE9;  // the layout typed é
  d.QueueKey(press);
  TRawKey release{XVK_OEM_7, false};
  release.text = XKEYTEXT_ASPRESSED;
  d.QueueKey(release);
  std::vector<int> chars;
  g_HookLog.clear();
  g_Older = PlatformSetKeyboardHook(OlderHook);
  Drain(d);
  EXPECT_EQ(g_HookLog, (std::vector<std::string>{"older 222 down 233", "older 222 up 233"}));
  // A letter typed as itself follows shift again at its release.
  g_HookLog.clear();
  TRawKey a{XVK_A, true};
  a.text = 'A';
  TRawKey shift{XVK_LSHIFT, true};
  d.QueueKey(shift);
  d.QueueKey(a);
  shift.down = false;
  d.QueueKey(shift);
  a.down = false;
  a.text = XKEYTEXT_ASPRESSED;
  d.QueueKey(a);
  // Reported lock states replace the tracked ones.
  TRawKey caps{XVK_A, true};
  caps.text = 'A';
  caps.capsLock = 1;
  d.QueueKey(caps);
  caps.down = false;
  caps.text = XKEYTEXT_ASPRESSED;
  d.QueueKey(caps);
  Drain(d);
  PlatformUnhookKeyboard(g_Older);
  EXPECT_EQ(g_HookLog, (std::vector<std::string>{"older 16 down 0", "older 65 down 65", "older 16 up 0",
                                                 "older 65 up 97", "older 65 down 65", "older 65 up 65"}));
}

TEST_F(Translator, TextWithoutAKeyIsTypedAsPackets) {
  d.QueueText("\xE9\0x", 3);
  const auto m = Drain(d);
  ASSERT_EQ(m.size(), 6u);
  EXPECT_EQ(m[0].message, XMSG_KEYDOWN);
  EXPECT_EQ(m[0].wParam, XVK_PACKET);
  EXPECT_EQ(m[1].wParam, 0xE9u);
  EXPECT_EQ(m[2].message, XMSG_KEYUP);
  EXPECT_EQ(m[4].wParam, static_cast<uintptr_t>('x'));
}

TEST_F(Translator, PointerMessagesCarryClientPointsAndKeyFlags) {
  d.QueueMouseMove(10, 20);
  d.QueueKey(XVK_LCONTROL, true);
  d.QueueMouseButton(XMOUSE_LEFT, true, 11, 21);
  d.QueueMouseButton(XMOUSE_MIDDLE, true, 12, 22);
  d.QueueMouseButton(XMOUSE_LEFT, false, -3, 500);
  d.QueueMouseButton(XMOUSE_RIGHT, true, 1, 1);
  d.QueueMouseButton(7, true, 1, 1);  // no such button
  d.QueueMouseWheel(-2, 5, 6);
  d.QueueMouseWheel(100000, 5, 6);
  const auto m = Drain(d);
  ASSERT_EQ(m.size(), 8u);
  EXPECT_EQ(m[0].message, XMSG_MOUSEMOVE);
  EXPECT_EQ(m[0].wParam, 0u);
  EXPECT_EQ(m[0].lParam, XMakePointParam(10, 20));
  EXPECT_EQ(m[2].message, XMSG_LBUTTONDOWN);
  EXPECT_EQ(m[2].wParam, XMK_LBUTTON | XMK_CONTROL);
  EXPECT_EQ(m[3].message, XMSG_MBUTTONDOWN);
  EXPECT_EQ(m[3].wParam, XMK_LBUTTON | XMK_MBUTTON | XMK_CONTROL);
  EXPECT_EQ(m[4].message, XMSG_LBUTTONUP);
  EXPECT_EQ(m[4].wParam, XMK_MBUTTON | XMK_CONTROL);
  EXPECT_EQ(XPointParamX(m[4].lParam), -3);
  EXPECT_EQ(XPointParamY(m[4].lParam), 500);
  EXPECT_EQ(m[5].message, XMSG_RBUTTONDOWN);
  EXPECT_EQ(m[6].message, XMSG_MOUSEWHEEL);
  EXPECT_EQ(static_cast<int16_t>(m[6].wParam >> 16), -240);
  EXPECT_EQ(m[6].lParam, XMakePointParam(105, 56));  // desktop coordinates
  EXPECT_EQ(static_cast<int16_t>(m[7].wParam >> 16), 32760);
}

TEST_F(Translator, ThePointerStandsWhereTheMessageAtHandPutIt) {
  d.QueueMouseMove(1, 2);
  d.QueueMouseMove(30, 40);
  TPlatformMessage m;
  int32_t x = 0, y = 0;
  ASSERT_TRUE(d.PeekMessage(m));
  d.GetPointerPos(x, y);
  EXPECT_EQ(x, 101);
  EXPECT_EQ(y, 52);
  ASSERT_TRUE(d.PeekMessage(m));
  d.GetPointerPos(x, y);
  EXPECT_EQ(x, 130);
  EXPECT_EQ(y, 90);
}

TEST_F(Translator, PostedMessagesKeepTheirPlaceAmongInput) {
  d.QueueKey(XVK_F1, true);
  d.PostMessage({XMSG_QUIT, 3, 0});
  d.QueueMouseMove(0, 0);
  EXPECT_EQ(d.Pending(), 3u);
  const auto m = Drain(d);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[1].message, XMSG_QUIT);
  EXPECT_EQ(m[1].wParam, 3u);
  EXPECT_EQ(d.Pending(), 0u);
}
