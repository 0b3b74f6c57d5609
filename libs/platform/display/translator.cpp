#include "platform/display/translator.h"

#include "platform/display/keyhook.h"

namespace {
bool IsLetter(uint32_t vk) { return vk >= XVK_A && vk < XVK_A + 26; }
bool IsDigit(uint32_t vk) { return vk >= XVK_0 && vk < XVK_0 + 10; }
bool IsNumpadDigit(uint32_t vk) { return vk >= XVK_NUMPAD0 && vk < XVK_NUMPAD0 + 10; }

uint32_t SideOf(uint32_t vk) {
  switch (vk) {
    case XVK_SHIFT: return XVK_LSHIFT;
    case XVK_CONTROL: return XVK_LCONTROL;
    case XVK_MENU: return XVK_LMENU;
    default: return vk;
  }
}

uint32_t GenericOf(uint32_t vk) {
  switch (vk) {
    case XVK_LSHIFT:
    case XVK_RSHIFT: return XVK_SHIFT;
    case XVK_LCONTROL:
    case XVK_RCONTROL: return XVK_CONTROL;
    case XVK_LMENU:
    case XVK_RMENU: return XVK_MENU;
    default: return vk;
  }
}

// The keys that sit on the extended part of the keyboard, flagged so in lParam.
bool IsExtended(uint32_t vk) {
  switch (vk) {
    case XVK_RCONTROL: case XVK_RMENU: case XVK_INSERT: case XVK_DELETE: case XVK_HOME: case XVK_END:
    case XVK_PRIOR: case XVK_NEXT: case XVK_LEFT: case XVK_UP: case XVK_RIGHT: case XVK_DOWN:
    case XVK_DIVIDE: case XVK_NUMLOCK: case XVK_SNAPSHOT: case XVK_LWIN: case XVK_RWIN: case XVK_APPS:
      return true;
    default:
      return false;
  }
}

bool IsLockKey(uint32_t vk) { return vk == XVK_CAPITAL || vk == XVK_NUMLOCK || vk == XVK_SCROLL; }

// Keys whose character does not depend on the layout or the modifiers.
uint8_t FixedCharacter(uint32_t vk) {
  switch (vk) {
    case XVK_BACK: return 8;
    case XVK_TAB: return 9;
    case XVK_RETURN: return 13;
    case XVK_ESCAPE: return 27;
    default: return 0;
  }
}

// With control held (and not alt): the control characters.
uint8_t ControlCharacter(uint32_t vk) {
  if (IsLetter(vk)) return static_cast<uint8_t>(vk - XVK_A + 1);
  switch (vk) {
    case XVK_OEM_4: return 27;
    case XVK_OEM_5: return 28;
    case XVK_OEM_6: return 29;
    case XVK_BACK: return 127;
    case XVK_RETURN: return 10;
    case XVK_ESCAPE: return 27;
    case XVK_SPACE: return 32;
    default: return 0;
  }
}

struct SOemKey {
  uint32_t vk;
  char plain;
  char shifted;
};

constexpr SOemKey kOemKeys[] = {
    {XVK_OEM_1, ';', ':'},      {XVK_OEM_PLUS, '=', '+'}, {XVK_OEM_COMMA, ',', '<'}, {XVK_OEM_MINUS, '-', '_'},
    {XVK_OEM_PERIOD, '.', '>'}, {XVK_OEM_2, '/', '?'},    {XVK_OEM_3, '`', '~'},     {XVK_OEM_4, '[', '{'},
    {XVK_OEM_5, '\\', '|'},     {XVK_OEM_6, ']', '}'},    {XVK_OEM_7, '\'', '"'},    {XVK_OEM_102, '\\', '|'},
};

constexpr char kShiftedDigits[] = ")!@#$%^&*(";
constexpr int32_t kMaxNotches = 0x7FFF / XWHEEL_DELTA;
}  // namespace

void CQueuedDisplay::PostMessage(const TPlatformMessage& message) {
  TRawEvent e{};
  e.kind = TRawEvent::Message;
  e.message = message;
  m_Raw.push_back(e);
}

void CQueuedDisplay::QueueKey(const TRawKey& key) {
  TRawEvent e{};
  e.kind = TRawEvent::Key;
  e.key = key;
  m_Raw.push_back(e);
}

void CQueuedDisplay::QueueText(const char* cp1252, size_t length) {
  if (!cp1252) return;
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<uint8_t>(cp1252[i]);
    if (c == 0) continue;
    TRawKey key{XVK_PACKET, true};
    key.text = c;
    QueueKey(key);
    key.down = false;
    QueueKey(key);
  }
}

void CQueuedDisplay::QueueMouseMove(int32_t x, int32_t y) {
  TRawEvent e{};
  e.kind = TRawEvent::MouseMove;
  e.x = x;
  e.y = y;
  m_Raw.push_back(e);
}

void CQueuedDisplay::QueueMouseButton(int32_t button, bool down, int32_t x, int32_t y) {
  if (button < XMOUSE_LEFT || button > XMOUSE_MIDDLE) return;
  TRawEvent e{};
  e.kind = TRawEvent::MouseButton;
  e.x = x;
  e.y = y;
  e.value = button;
  e.down = down;
  m_Raw.push_back(e);
}

void CQueuedDisplay::QueueMouseWheel(int32_t notches, int32_t x, int32_t y) {
  TRawEvent e{};
  e.kind = TRawEvent::MouseWheel;
  e.x = x;
  e.y = y;
  // The delta travels in 16 bits.
  e.value = notches < -kMaxNotches ? -kMaxNotches : notches > kMaxNotches ? kMaxNotches : notches;
  m_Raw.push_back(e);
}

void CQueuedDisplay::ClearQueue() {
  m_Raw.clear();
  m_Ready.clear();
}

void CQueuedDisplay::ResetInput() {
  ClearQueue();
  for (int i = 0; i < XVK_COUNT; ++i) {
    m_Down[i] = false;
    m_Toggled[i] = false;
    m_PressCharacter[i] = 0;
  }
  m_Buttons = 0;
  m_PointerX = 0;
  m_PointerY = 0;
}

bool CQueuedDisplay::PeekMessage(TPlatformMessage& out) {
  for (;;) {
    if (!m_Ready.empty()) {
      out = m_Ready.front();
      m_Ready.pop_front();
      return true;
    }
    if (m_Raw.empty()) PumpEvents();
    if (m_Raw.empty()) return false;
    // Off the queue before translating: the hook and receivers may queue more.
    const TRawEvent e = m_Raw.front();
    m_Raw.pop_front();
    Translate(e);
  }
}

bool CQueuedDisplay::IsKeyDown(uint32_t virtualKey) const {
  return virtualKey < XVK_COUNT && m_Down[virtualKey];
}

bool CQueuedDisplay::IsKeyToggled(uint32_t virtualKey) const {
  return virtualKey < XVK_COUNT && m_Toggled[virtualKey];
}

void CQueuedDisplay::GetPointerPos(int32_t& x, int32_t& y) const {
  x = m_PointerX;
  y = m_PointerY;
}

void CQueuedDisplay::Translate(const TRawEvent& e) {
  switch (e.kind) {
    case TRawEvent::Message: m_Ready.push_back(e.message); break;
    case TRawEvent::Key: TranslateKey(e.key); break;
    default: TranslatePointer(e); break;
  }
}

uint8_t CQueuedDisplay::LayoutCharacter(uint32_t vk) const {
  const bool shift = m_Down[XVK_SHIFT];
  if (IsLetter(vk)) {
    const bool upper = shift != m_Toggled[XVK_CAPITAL];
    return static_cast<uint8_t>(upper ? vk : vk - XVK_A + 'a');
  }
  if (IsDigit(vk)) return static_cast<uint8_t>(shift ? kShiftedDigits[vk - XVK_0] : vk);
  if (IsNumpadDigit(vk)) return m_Toggled[XVK_NUMLOCK] ? static_cast<uint8_t>('0' + vk - XVK_NUMPAD0) : 0;
  switch (vk) {
    case XVK_SPACE: return ' ';
    case XVK_MULTIPLY: return '*';
    case XVK_ADD: return '+';
    case XVK_SUBTRACT: return '-';
    case XVK_DIVIDE: return '/';
    case XVK_DECIMAL: return m_Toggled[XVK_NUMLOCK] ? '.' : 0;
    default: break;
  }
  for (const SOemKey& k : kOemKeys) {
    if (k.vk == vk) return static_cast<uint8_t>(shift ? k.shifted : k.plain);
  }
  return 0;
}

uint8_t CQueuedDisplay::Character(const TRawKey& key) const {
  const uint32_t vk = key.virtualKey;
  const bool ctrl = m_Down[XVK_CONTROL];
  const bool alt = m_Down[XVK_MENU];
  if (vk == XVK_PACKET) return key.text > 0 ? static_cast<uint8_t>(key.text) : m_PressCharacter[vk];
  if (ctrl && !alt) return ControlCharacter(vk);
  if (const uint8_t fixed = FixedCharacter(vk)) return fixed;
  if (key.text >= 0) return static_cast<uint8_t>(key.text);
  if (key.text == XKEYTEXT_ASPRESSED) {
    const uint8_t pressed = m_PressCharacter[vk];
    // A letter typed as itself follows shift and caps lock at release, as the layout would.
    const bool plainLetter = IsLetter(vk) && (pressed == vk || pressed == vk - XVK_A + 'a');
    if (!plainLetter) return pressed;
  }
  if (ctrl) return 0;  // control with alt: the US layout has nothing there
  return LayoutCharacter(vk);
}

void CQueuedDisplay::TranslateKey(const TRawKey& raw) {
  if (raw.virtualKey == 0 || raw.virtualKey >= XVK_COUNT) return;
  TRawKey key = raw;
  const uint32_t side = SideOf(key.virtualKey);
  const uint32_t generic = GenericOf(side);
  key.virtualKey = side;
  const bool wasDown = m_Down[side];
  // Alt makes system keys; it is judged with the alt key itself still down on its release.
  const bool altBefore = m_Down[XVK_MENU];

  m_Down[side] = key.down;
  if (generic != side) {
    const uint32_t left = generic == XVK_SHIFT ? XVK_LSHIFT : generic == XVK_CONTROL ? XVK_LCONTROL : XVK_LMENU;
    m_Down[generic] = m_Down[left] || m_Down[left + 1];
  }
  if (key.down && !wasDown && IsLockKey(side)) m_Toggled[side] = !m_Toggled[side];
  if (key.capsLock >= 0) m_Toggled[XVK_CAPITAL] = key.capsLock != 0;
  if (key.numLock >= 0) m_Toggled[XVK_NUMLOCK] = key.numLock != 0;

  const bool alt = key.down ? m_Down[XVK_MENU] : altBefore;
  const bool system = (alt && !m_Down[XVK_CONTROL]) || generic == XVK_F10;
  const bool repeat = key.down && (key.repeat || wasDown);

  const uint8_t character = Character(key);
  if (key.down) m_PressCharacter[side] = character;

  uint32_t lParam = 1;
  if (IsExtended(side)) lParam |= XKF_EXTENDED;
  if (alt) lParam |= XKF_ALTDOWN;
  if (repeat || !key.down) lParam |= XKF_REPEAT;
  if (!key.down) lParam |= XKF_UP;

  const TPlatformKey hooked{generic, key.down, repeat, character, static_cast<intptr_t>(lParam)};
  if (PlatformRunKeyboardHooks(XHC_ACTION, hooked) != 0) return;

  const uint32_t message = key.down ? (system ? XMSG_SYSKEYDOWN : XMSG_KEYDOWN) : (system ? XMSG_SYSKEYUP : XMSG_KEYUP);
  m_Ready.push_back({message, generic, static_cast<intptr_t>(lParam)});
  if (key.down && character) m_Ready.push_back({system ? XMSG_SYSCHAR : XMSG_CHAR, character, static_cast<intptr_t>(lParam)});
}

uintptr_t CQueuedDisplay::MouseKeyFlags() const {
  uintptr_t flags = m_Buttons;
  if (m_Down[XVK_SHIFT]) flags |= XMK_SHIFT;
  if (m_Down[XVK_CONTROL]) flags |= XMK_CONTROL;
  return flags;
}

void CQueuedDisplay::TranslatePointer(const TRawEvent& e) {
  int32_t ox = 0, oy = 0;
  ClientOrigin(ox, oy);
  SetPointer(ox + e.x, oy + e.y);
  const intptr_t point = XMakePointParam(e.x, e.y);
  switch (e.kind) {
    case TRawEvent::MouseMove:
      m_Ready.push_back({XMSG_MOUSEMOVE, MouseKeyFlags(), point});
      break;
    case TRawEvent::MouseButton: {
      static constexpr uint32_t kBit[3] = {XMK_LBUTTON, XMK_RBUTTON, XMK_MBUTTON};
      static constexpr uint32_t kDown[3] = {XMSG_LBUTTONDOWN, XMSG_RBUTTONDOWN, XMSG_MBUTTONDOWN};
      static constexpr uint32_t kUp[3] = {XMSG_LBUTTONUP, XMSG_RBUTTONUP, XMSG_MBUTTONUP};
      if (e.down) {
        m_Buttons |= kBit[e.value];
      } else {
        m_Buttons &= ~kBit[e.value];
      }
      m_Ready.push_back({e.down ? kDown[e.value] : kUp[e.value], MouseKeyFlags(), point});
      break;
    }
    default: {
      // The wheel reports desktop coordinates, as it did on Windows.
      const uint32_t delta = static_cast<uint32_t>(e.value * XWHEEL_DELTA) & 0xFFFFu;
      m_Ready.push_back({XMSG_MOUSEWHEEL, (static_cast<uintptr_t>(delta) << 16) | MouseKeyFlags(),
                         XMakePointParam(m_PointerX, m_PointerY)});
      break;
    }
  }
}
