#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ostrel/input/keyboard.h"
#include "ostrel/input/mouse.h"
#include "platform/display/headless.h"
#include "support/runtimefixture.h"

namespace {
using TKey = std::pair<uint16_t, uint32_t>;  // code, flags

class Keyboard : public CRuntimeTest {
 protected:
  CKeyboard& Kb() { return *glb->m_pKeyboard; }
  void Press(uint32_t vk) { PlatformHeadless()->QueueKey(vk, true); }
  void Release(uint32_t vk) { PlatformHeadless()->QueueKey(vk, false); }
  // Runs a frame, so the pump takes the queued keys through the hook.
  std::vector<TKey> Frame() {
    xHandler();
    return Take();
  }
  std::vector<TKey> Take() {
    std::vector<TKey> keys;
    TQueueChar c;
    while (Kb().GetNext(&c)) keys.emplace_back(c.m_Code, c.m_Flags);
    return keys;
  }
};

// A keyboard that records what it would paste.
class CPasteRecorder : public CKeyboard {
 public:
  void Paste(const char* text) override { m_Pasted.emplace_back(text); }
  std::vector<std::string> m_Pasted;
};
}  // namespace

TEST_F(Keyboard, InitMakesTheKeyboardAndTheMouse) {
  ASSERT_NE(glb->m_pKeyboard, nullptr);
  ASSERT_NE(glb->m_pMouse, nullptr);
  EXPECT_EQ(Kb().IsKeyWaiting(), 0);
  EXPECT_EQ(Kb().GetPressed(), 0);
  // The key messages are the keyboard's and answered 0.
  EXPECT_EQ(SystemWindowProc(sglb->m_hMainWnd, XMSG_KEYDOWN, XVK_A, 1), 0);
}

TEST_F(Keyboard, ShiftPairAndALetterWithShift) {
  Press(XVK_LSHIFT);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{XKEY_SHIFT, 0x21}, {XKEY_LSHIFT, 0x21}}));
  EXPECT_EQ(Kb().IsPressed(XKEY_SHIFT), 3);
  EXPECT_EQ(Kb().IsPressed(XKEY_SHIFT), 1);  // down, no longer newly pressed
  Press(XVK_A);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{'A', 33}}));
  Release(XVK_A);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{'A', 32}}));  // the character again, on release
  EXPECT_EQ(Kb().IsPressed(XKEY_A), 2);                 // pressed since last asked, up now
  EXPECT_EQ(Kb().GetPressed(), 2);                      // shift and left shift
  Release(XVK_LSHIFT);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{XKEY_LSHIFT, 0}, {XKEY_RSHIFT, 0}, {XKEY_SHIFT, 0}}));
  EXPECT_EQ(Kb().IsPressed(XKEY_SHIFT), 0);
  EXPECT_EQ(Kb().GetPressed(), 0);
}

TEST_F(Keyboard, TheOtherPairsAndTheirSides) {
  Press(XVK_RCONTROL);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{XKEY_CTRL, 0x05}, {XKEY_RCTRL, 0x05}}));
  Press(XVK_LMENU);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{XKEY_ALT, 0x0D}, {XKEY_LALT, 0x0D}}));
  Release(XVK_LMENU);
  Release(XVK_RCONTROL);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{XKEY_LALT, 0x04},
                                        {XKEY_RALT, 0x04},
                                        {XKEY_ALT, 0x04},
                                        {XKEY_LCTRL, 0},
                                        {XKEY_RCTRL, 0},
                                        {XKEY_CTRL, 0}}));
  EXPECT_EQ(Kb().GetPressed(), 0);
}

TEST_F(Keyboard, EitherCodeStaysDownWhileTheOtherSideIsHeld) {
  Press(XVK_LSHIFT);
  Press(XVK_RSHIFT);
  Release(XVK_LSHIFT);
  const auto keys = Frame();
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[2], (TKey{XKEY_RSHIFT, 0x61}));
  EXPECT_EQ(keys[3], (TKey{XKEY_LSHIFT, 0x40}));
  EXPECT_EQ(Kb().IsPressed(XKEY_SHIFT) & 1, 1);
  EXPECT_EQ(Kb().IsPressed(XKEY_LSHIFT) & 1, 0);
  EXPECT_EQ(Kb().IsPressed(XKEY_RSHIFT) & 1, 1);
  Release(XVK_RSHIFT);
  Frame();
  EXPECT_EQ(Kb().IsPressed(XKEY_SHIFT), 0);
  EXPECT_EQ(Kb().GetPressed(), 0);
}

TEST_F(Keyboard, SpecialKeysCharactersAndKeysWithoutACode) {
  struct {
    uint32_t vk;
    std::vector<TKey> pressed;
    uint16_t state;
  } cases[] = {
      {XVK_F1, {{XKEY_F1, 1}}, XKEY_F1},
      {XVK_F1 + 23, {{XKEY_F24, 1}}, XKEY_F24},
      {XVK_LEFT, {{XKEY_LEFT, 1}}, XKEY_LEFT},
      {XVK_DELETE, {{XKEY_DELETE, 1}}, XKEY_DELETE},
      {XVK_PRIOR, {{XKEY_PAGEUP, 1}}, XKEY_PAGEUP},
      {XVK_PAUSE, {{XKEY_BREAK, 1}}, XKEY_BREAK},
      {XVK_RETURN, {{XKEY_ENTER, 1}}, XKEY_ENTER},
      {XVK_ESCAPE, {{XKEY_ESC, 1}}, XKEY_ESC},
      {XVK_NUMPAD0 + 3, {{XKEY_NP0 + 3, 1}}, XKEY_NP0 + 3},  // num lock off: no character
      {XVK_DIVIDE, {{'/', 1}}, XKEY_NPDIVIDE},
      {XVK_0 + 4, {{'4', 1}}, '4'},
      {XVK_OEM_1, {{';', 1}}, 0},    // a character, but the key has no code
      {XVK_LWIN, {}, 0},              // neither
  };
  for (const auto& c : cases) {
    Press(c.vk);
    EXPECT_EQ(Frame(), c.pressed) << c.vk;
    if (c.state) {
      EXPECT_EQ(Kb().IsPressed(c.state), 3) << c.vk;
    }
    Release(c.vk);
    Frame();
    if (c.state) {
      EXPECT_EQ(Kb().IsPressed(c.state), 0) << c.vk;
    }
  }
  EXPECT_EQ(Kb().GetPressed(), 0);
}

TEST_F(Keyboard, AutoRepeatQueuesAgainButCountsOnce) {
  Press(XVK_A + 1);
  Press(XVK_A + 1);
  Press(XVK_A + 1);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{'b', 1}, {'b', 1}, {'b', 1}}));
  EXPECT_EQ(Kb().GetPressed(), 1);
  Release(XVK_A + 1);
  EXPECT_EQ(Frame(), (std::vector<TKey>{{'b', 0}}));
  EXPECT_EQ(Kb().GetPressed(), 0);
}

TEST_F(Keyboard, TheQueueHolds127) {
  for (int i = 1; i <= 128; ++i) Kb().AddKeyToQueue(static_cast<uint16_t>(i), 1, 0);
  Kb().AddKeyToQueue(0, 1, 0);  // ignored
  const auto keys = Take();
  ASSERT_EQ(keys.size(), 127u);
  for (int i = 0; i < 127; ++i) EXPECT_EQ(keys[i].first, i + 1);
  // And through the hook: 64 letters typed (128 entries) keep the first 127.
  for (int i = 0; i < 64; ++i) {
    Press(XVK_A + i % 26);
    Release(XVK_A + i % 26);
  }
  EXPECT_EQ(Frame().size(), 127u);
  EXPECT_EQ(Kb().GetNext(nullptr), 0);
}

TEST_F(Keyboard, ClearStateAndModifiersAdded) {
  Press(XVK_RMENU);
  Frame();
  Kb().AddKeyToQueue(300, 1, 1);
  Kb().AddKeyToQueue(301, 0x8000, 0);
  EXPECT_EQ(Take(), (std::vector<TKey>{{300, 0x11}, {301, 0x8000}}));
  Kb().SetKeyState(400, 1);  // beyond the table
  EXPECT_EQ(Kb().IsPressed(400), 0);
  EXPECT_EQ(Kb().GetPressed(), 2);
  Kb().AddKeyToQueue(5, 1, 0);
  Kb().Clear(2);
  EXPECT_EQ(Kb().GetPressed(), 0);
  EXPECT_EQ(Kb().IsPressed(XKEY_ALT), 0);
  EXPECT_EQ(Kb().IsKeyWaiting(), 1);
  Kb().Clear(1);
  EXPECT_EQ(Kb().IsKeyWaiting(), 0);
}

TEST_F(Keyboard, CtrlVPastesTheClipboard) {
  delete glb->m_pKeyboard;
  auto* kb = new CPasteRecorder;
  glb->m_pKeyboard = kb;
  Press(XVK_LCONTROL);
  Press(XVK_A + 21);
  Release(XVK_A + 21);
  Release(XVK_LCONTROL);
  Frame();
  EXPECT_TRUE(kb->m_Pasted.empty());  // nothing on the clipboard
  PlatformHeadless()->SetClipboardText("Lucky 7\xE9");
  Press(XVK_LCONTROL);
  Press(XVK_A + 21);
  const auto keys = Frame();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[2], (TKey{XKEY_PASTE, 0x03}));
  EXPECT_EQ(kb->m_Pasted, (std::vector<std::string>{"Lucky 7\xE9"}));
  Release(XVK_A + 21);  // the release queues 22 again and pastes again, as the press did
  Frame();
  EXPECT_EQ(kb->m_Pasted.size(), 2u);
}

TEST_F(Keyboard, PasteWithoutAWindowManagerDoesNothing) {
  PlatformHeadless()->SetClipboardText("text");
  Press(XVK_LCONTROL);
  Press(XVK_A + 21);
  EXPECT_EQ(Frame().back(), (TKey{XKEY_PASTE, 0x03}));
}

TEST_F(Keyboard, WithoutAKeyboardTheHookPassesNothingOn) {
  CKeyboard* kb = glb->m_pKeyboard;
  glb->m_pKeyboard = nullptr;
  Press(XVK_A);
  xHandler();
  EXPECT_EQ(CKeyboard::HookProc(XHC_ACTION, TPlatformKey{XVK_A, true, false, 'a', 1}), 0);
  glb->m_pKeyboard = kb;
  EXPECT_TRUE(Take().empty());
  // The look-only code changes nothing.
  EXPECT_EQ(CKeyboard::HookProc(XHC_NOREMOVE, TPlatformKey{XVK_A, true, false, 'a', 1}), 0);
  EXPECT_TRUE(Take().empty());
}

TEST_F(Keyboard, TheHookGoesWithTheKeyboard) {
  delete glb->m_pKeyboard;
  glb->m_pKeyboard = nullptr;
  auto* kb = new CKeyboard;
  Press(XVK_A);
  xHandler();
  TQueueChar c;
  EXPECT_EQ(kb->GetNext(&c), 0);  // the hook serves the process's keyboard only
  glb->m_pKeyboard = kb;
  Press(XVK_A);
  xHandler();
  EXPECT_EQ(kb->GetNext(&c), 1);
}
