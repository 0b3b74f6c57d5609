#include "ostrel/input/keyboard.h"

#include <string>

#include "ostrel/system/globals.h"
#include "ostrel/system/runtimeobjects.h"
#include "platform/display/display.h"

namespace {
// GUI message of the window manager that pastes into the focused control.
constexpr int32_t kGuiPaste = 23;

struct SModifierPair {
  uint16_t either;
  uint32_t leftKey;
  uint16_t left;
  uint32_t rightKey;
  uint16_t right;
};

// Tried in this order.
constexpr SModifierPair kPairs[3] = {
    {XKEY_ALT, XVK_LMENU, XKEY_LALT, XVK_RMENU, XKEY_RALT},
    {XKEY_CTRL, XVK_LCONTROL, XKEY_LCTRL, XVK_RCONTROL, XKEY_RCTRL},
    {XKEY_SHIFT, XVK_LSHIFT, XKEY_LSHIFT, XVK_RSHIFT, XKEY_RSHIFT},
};

// Virtual keys beyond this have no code.
constexpr uint32_t kLastCodedKey = 151;

uint32_t HeldModifiers() {
  static constexpr struct {
    uint32_t key;
    uint32_t flag;
  } kBits[6] = {{XVK_LCONTROL, XKEYF_LCTRL}, {XVK_RCONTROL, XKEYF_RCTRL}, {XVK_LMENU, XKEYF_LALT},
                {XVK_RMENU, XKEYF_RALT},     {XVK_LSHIFT, XKEYF_LSHIFT}, {XVK_RSHIFT, XKEYF_RSHIFT}};
  const CDisplayBackend* display = PlatformDisplay();
  uint32_t flags = 0;
  for (const auto& b : kBits) {
    if (display->IsKeyDown(b.key)) flags |= b.flag;
  }
  return flags;
}
}  // namespace

CKeyboardBase::CKeyboardBase() { Clear(3); }

CKeyboardBase::~CKeyboardBase() = default;

void CKeyboardBase::Clear(uint16_t what) {
  if (what & 1) {
    m_Head = 0;
    m_Tail = 0;
  }
  if (what & 2) {
    for (uint8_t& s : m_State) s = 0;
    m_NumPressed = 0;
  }
}

int32_t CKeyboardBase::IsKeyWaiting() { return m_Head != m_Tail ? 1 : 0; }

int32_t CKeyboardBase::GetNext(TQueueChar* out) {
  if (!out || m_Head == m_Tail) return 0;
  *out = m_Queue[m_Head];
  m_Head = (m_Head + 1) % KEYBOARD_QUEUE_SIZE;
  return 1;
}

int32_t CKeyboardBase::IsPressed(uint16_t code) {
  if (code >= XKEY_STATE_COUNT) return 0;
  const int32_t state = m_State[code] & 3;
  m_State[code] &= static_cast<uint8_t>(~2);
  return state;
}

int32_t CKeyboardBase::GetPressed() { return m_NumPressed; }

bool CKeyboardBase::Append(uint16_t code, uint32_t flags) {
  const int32_t next = (m_Tail + 1) % KEYBOARD_QUEUE_SIZE;
  if (next == m_Head) return false;
  m_Queue[m_Tail] = {code, flags & 0xFFFFu};
  m_Tail = next;
  return true;
}

CKeyboard::CKeyboard() {
  RegisterWinMsg(this, XMSG_KEYDOWN);
  RegisterWinMsg(this, XMSG_KEYUP);
  m_hHook = PlatformSetKeyboardHook(&CKeyboard::HookProc);
}

CKeyboard::~CKeyboard() {
  if (m_hHook) PlatformUnhookKeyboard(m_hHook);
}

intptr_t CKeyboard::WinMsgHandler(TWindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

void CKeyboard::AddKeyToQueue(uint16_t code, int16_t flags, int16_t addModifiers) {
  if (code == 0) return;
  uint32_t f = static_cast<uint16_t>(flags);
  if (addModifiers == 1) f |= HeldModifiers();
  if (!Append(code, f)) return;
  if (code != XKEY_PASTE) return;
  std::string text;
  if (PlatformDisplay()->GetClipboardText(text)) Paste(text.c_str());
}

void CKeyboard::Paste(const char* text) { xWindowManagerSendMessage(kGuiPaste, 0, 0, 0, const_cast<char*>(text)); }

void CKeyboard::SetKeyState(uint16_t code, int16_t down) {
  if (code == 0 || code >= XKEY_STATE_COUNT) return;
  uint8_t& s = m_State[code];
  if (down) {
    if (!(s & 1)) {
      s |= 3;
      ++m_NumPressed;
    }
  } else if (s & 1) {
    s &= static_cast<uint8_t>(~1);
    --m_NumPressed;
  }
}

intptr_t CKeyboard::HookProc(int32_t code, const TPlatformKey& key) {
  CKeyboard* keyboard = glb ? glb->m_pKeyboard : nullptr;
  if (!keyboard) return 0;
  if (code >= 0 && code != XHC_NOREMOVE) keyboard->HandleKey(key);
  return PlatformCallNextKeyboardHook(keyboard->m_hHook, code, key);
}

void CKeyboard::HandleKey(const TPlatformKey& key) {
  const int16_t pressed = key.down ? 1 : 0;
  const bool queuedCharacter = key.character != 0;
  if (queuedCharacter) AddKeyToQueue(key.character, pressed, 1);

  if (key.virtualKey > kLastCodedKey) return;
  uint16_t code = xKeyCodeOfVirtualKey(key.virtualKey);
  if (code == XKEY_NONE) return;

  const CDisplayBackend* display = PlatformDisplay();
  for (const SModifierPair& p : kPairs) {
    if (code != p.either) continue;
    const bool leftKey = display->IsKeyDown(p.leftKey);
    const bool rightKey = display->IsKeyDown(p.rightKey);
    if (key.down) {
      // The side just pressed is the one down that was not yet; with both sides held already
      // (auto-repeat) the left one, as before.
      if (leftKey && !IsDown(p.left)) {
        code = p.left;
      } else if (rightKey && !IsDown(p.right)) {
        code = p.right;
      } else if (leftKey) {
        code = p.left;
      } else if (rightKey) {
        code = p.right;
      }
    } else if (!leftKey && !rightKey) {
      AddKeyToQueue(p.left, 0, 1);
      AddKeyToQueue(p.right, 0, 1);
      SetKeyState(p.left, 0);
      SetKeyState(p.right, 0);
    } else if (IsDown(p.left) && !leftKey) {
      // One side let go while the other is held: that side is released, the pair stays down.
      code = p.left;
    } else if (IsDown(p.right) && !rightKey) {
      code = p.right;
    }
    SetKeyState(code, pressed);
    const bool side = IsDown(p.left) || IsDown(p.right);
    if (side && !IsDown(p.either)) {
      AddKeyToQueue(p.either, 1, 1);
      SetKeyState(p.either, 1);
    } else if (!side && IsDown(p.either)) {
      AddKeyToQueue(p.either, 0, 1);
      SetKeyState(p.either, 0);
    }
  }

  if (!queuedCharacter) AddKeyToQueue(code, pressed, 1);
  SetKeyState(code, pressed);
}
