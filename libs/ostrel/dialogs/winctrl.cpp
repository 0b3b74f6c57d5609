#include "ostrel/dialogs/winctrl.h"

#include <algorithm>
#include <new>

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/input/mouse.h"
#include "ostrel/system/globals.h"

namespace {
struct SBuiltInSet {
  uint8_t m_Col[8][3];
};

// The eight built-in colour sets: button normal, pressed, highlighted, disabled; frame; title
// bar normal and disabled; title bar pressed and highlighted; the fourth group.
constexpr SBuiltInSet kBuiltIn[8] = {
    {{{80, 80, 80}, {250, 250, 250}, {190, 190, 190}, {32, 32, 32}, {255, 255, 255}, {125, 125, 125}, {0, 0, 0}, {1, 1, 1}}},
    {{{80, 80, 80}, {32, 32, 32}, {190, 190, 190}, {250, 250, 250}, {0, 0, 0}, {125, 125, 125}, {255, 255, 255}, {1, 1, 1}}},
    {{{80, 80, 80}, {255, 255, 255}, {210, 210, 210}, {52, 52, 52}, {255, 255, 255}, {155, 155, 155}, {32, 32, 32}, {1, 1, 1}}},
    {{{80, 80, 80}, {80, 80, 80}, {80, 80, 80}, {80, 80, 80}, {80, 80, 80}, {80, 80, 80}, {80, 80, 80}, {80, 80, 80}}},
    {{{0, 0, 0}, {205, 205, 205}, {192, 192, 192}, {0, 0, 0}, {220, 220, 220}, {70, 70, 70}, {0, 0, 0}, {1, 1, 1}}},
    {{{0, 0, 0}, {0, 0, 90}, {205, 205, 205}, {0, 0, 0}, {190, 190, 190}, {250, 250, 250}, {0, 0, 0}, {1, 1, 1}}},
    {{{32, 32, 32}, {0, 0, 128}, {240, 240, 240}, {0, 0, 0}, {190, 190, 190}, {250, 250, 250}, {0, 0, 0}, {1, 1, 1}}},
    {{{0, 0, 160}, {205, 205, 205}, {140, 140, 140}, {0, 0, 0}, {220, 220, 220}, {70, 70, 70}, {0, 0, 0}, {1, 1, 1}}},
};

void Assign4(TCntrlColor** to, TCntrlColor* a, TCntrlColor* b, TCntrlColor* c, TCntrlColor* d) {
  to[0] = a;
  to[1] = b;
  to[2] = c;
  to[3] = d;
}

void Assign4(CBitmap** to, CBitmap* a, CBitmap* b, CBitmap* c, CBitmap* d) {
  to[0] = a;
  to[1] = b;
  to[2] = c;
  to[3] = d;
}

bool Visible(const CWindowBase* w) { return !w->IsHidden(); }
}  // namespace

CWinCtrl* xWinCtrl() { return glb ? glb->m_pWinCtrl : nullptr; }

CGuiWalk::CGuiWalk() : m_pWinCtrl(xWinCtrl()) {
  if (m_pWinCtrl) m_pWinCtrl->BeginWalk();
}

CGuiWalk::~CGuiWalk() {
  if (m_pWinCtrl) m_pWinCtrl->EndWalk();
}

CWinCtrl::CWinCtrl() {
  for (int32_t i = 0; i < 8; ++i)
    for (int32_t e = 0; e < 8; ++e)
      m_BuiltIn[i].m_Col[e] = TRGBA(kBuiltIn[i].m_Col[e][0], kBuiltIn[i].m_Col[e][1], kBuiltIn[i].m_Col[e][2], 0);
  Assign4(m_pButtonColors, &m_BuiltIn[0], &m_BuiltIn[1], &m_BuiltIn[2], &m_BuiltIn[3]);
  Assign4(m_pFrameColors, &m_BuiltIn[4], &m_BuiltIn[4], &m_BuiltIn[4], &m_BuiltIn[4]);
  Assign4(m_pTitlebarColors, &m_BuiltIn[5], &m_BuiltIn[6], &m_BuiltIn[6], &m_BuiltIn[5]);
  Assign4(m_pFourthColors, &m_BuiltIn[7], &m_BuiltIn[7], &m_BuiltIn[7], &m_BuiltIn[7]);
}

CWinCtrl::~CWinCtrl() {
  // The windows stay their owners'; they only lose their entries.
  for (TWinEntry* e : m_Windows) delete e;
  m_Windows.clear();
  xRemoveMsgHandlers(this);
}

int32_t CWinCtrl::Create() {
  if (!m_Registered) {
    xRegisterMsgHandler(this, XMSG_BUS_DRAW, BUSPRI_WINCTRL_DRAW);
    xRegisterMsgHandler(this, XMSG_BUS_CLEAR, BUSPRI_WINCTRL_INPUT);
    m_Registered = true;
  }
  return 1;
}

// --- Walks ---

void CWinCtrl::EndWalk() {
  if (m_WalkDepth > 0) --m_WalkDepth;
  if (m_WalkDepth > 0) return;
  Sweep();
  // Each batch runs outside any walk; what its callbacks queue runs after it.
  while (!m_Deferred.empty()) {
    std::vector<SDeferred> batch;
    batch.swap(m_Deferred);
    for (const SDeferred& d : batch) {
      TWinEntry* entry = EntryOf(d.m_pWindow);
      // A window removed meanwhile hears nothing more.
      if (!entry || entry->m_pCallback != d.m_pCallback) continue;
      d.m_pCallback(d.m_Msg, d.m_WindowId, d.m_ControlId, d.m_Value, d.m_pUser);
    }
  }
}

void CWinCtrl::Sweep() {
  if (m_WalkDepth > 0) return;
  auto removed = [](TWinEntry* e) {
    if (!e->m_Removed) return false;
    delete e;
    return true;
  };
  m_Windows.erase(std::remove_if(m_Windows.begin(), m_Windows.end(), removed), m_Windows.end());
  if (m_Cursor > m_Windows.size()) m_Cursor = m_Windows.size();
}

std::vector<TWinEntry*> CWinCtrl::Snapshot() const {
  std::vector<TWinEntry*> live;
  for (TWinEntry* e : m_Windows)
    if (!e->m_Removed) live.push_back(e);
  return live;
}

void CWinCtrl::CallBack(TWinEntry* entry, int32_t msg, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  if (!entry->m_pCallback) return;
  void* u = user ? user : entry->m_pUser;
  if (m_WalkDepth > 0) {
    m_Deferred.push_back({entry->m_pWindow, entry->m_pCallback, msg, windowId, controlId, value, u});
    return;
  }
  entry->m_pCallback(msg, windowId, controlId, value, u);
}

// --- The list ---

TWinEntry* CWinCtrl::EntryOf(const CWindowBase* window) const {
  for (TWinEntry* e : m_Windows)
    if (!e->m_Removed && e->m_pWindow == window) return e;
  return nullptr;
}

TWinEntry* CWinCtrl::EntryOfId(int32_t id) const {
  for (TWinEntry* e : m_Windows)
    if (!e->m_Removed && e->m_pWindow->GetID() == id) return e;
  return nullptr;
}

int32_t CWinCtrl::IndexOf(const TWinEntry* entry) const {
  auto it = std::find(m_Windows.begin(), m_Windows.end(), entry);
  return it == m_Windows.end() ? -1 : static_cast<int32_t>(it - m_Windows.begin());
}

void CWinCtrl::MoveTo(TWinEntry* entry, size_t index) {
  const int32_t from = IndexOf(entry);
  if (from < 0) return;
  m_Windows.erase(m_Windows.begin() + from);
  index = std::min(index, m_Windows.size());
  m_Windows.insert(m_Windows.begin() + static_cast<std::ptrdiff_t>(index), entry);
}

int32_t CWinCtrl::First() {
  m_Cursor = 0;
  while (m_Cursor < m_Windows.size() && m_Windows[m_Cursor]->m_Removed) ++m_Cursor;
  return Exists();
}

int32_t CWinCtrl::Next() {
  if (m_Cursor < m_Windows.size()) ++m_Cursor;
  while (m_Cursor < m_Windows.size() && m_Windows[m_Cursor]->m_Removed) ++m_Cursor;
  return Exists();
}

int32_t CWinCtrl::Exists() { return m_Cursor < m_Windows.size() ? 1 : 0; }

CWindowBase* CWinCtrl::GetWindow() { return Exists() ? m_Windows[m_Cursor]->m_pWindow : nullptr; }

int32_t CWinCtrl::NumWindows() const {
  return static_cast<int32_t>(std::count_if(m_Windows.begin(), m_Windows.end(), [](TWinEntry* e) { return !e->m_Removed; }));
}

CWindowBase* CWinCtrl::GetWindowAt(int32_t n) const {
  for (TWinEntry* e : m_Windows) {
    if (e->m_Removed) continue;
    if (n-- == 0) return e->m_pWindow;
  }
  return nullptr;
}

CWindowBase* CWinCtrl::FindWindow(int32_t id) const {
  TWinEntry* e = EntryOfId(id);
  return e ? e->m_pWindow : nullptr;
}

int32_t CWinCtrl::IsRegistered(const CWindowBase* window) const { return EntryOf(window) ? 1 : 0; }

CWindowBase* CWinCtrl::GetTopmostWindowAtPoint(int32_t x, int32_t y) {
  for (TWinEntry* e : m_Windows) {
    if (e->m_Removed || !Visible(e->m_pWindow)) continue;
    if (e->m_pWindow->GetRect().IsPntInRect(x, y)) return e->m_pWindow;
  }
  return nullptr;
}

void CWinCtrl::PrintWinList() {
  for (TWinEntry* e : m_Windows) (void)e;
}

// --- Z-order and activation ---

void CWinCtrl::ActivateAll(int32_t id, int32_t on, bool ownId) {
  CGuiWalk walk;
  for (TWinEntry* e : Snapshot()) {
    if (e->m_Removed) continue;
    CWindowBase* w = e->m_pWindow;
    w->GuiMsgHandler(GUIMSG_ACTIVATE, ownId ? w->GetID() : id, 0, on, nullptr);
  }
}

int32_t CWinCtrl::AddWindow(CWindowBase* window, TWinCallback callback, void* user) {
  if (!window) return 0;
  if (EntryOf(window)) RemoveWindow(window);
  auto* entry = new (std::nothrow) TWinEntry{window, callback, user, false};
  if (!entry) return 0;
  const uint32_t flags = window->GetFlags();
  size_t at = m_Windows.size();
  if (flags & XWIN_ZORDERFIRST) {
    at = 0;
  } else if (!(flags & XWIN_ZORDER)) {
    // Behind the modal windows.
    for (size_t i = 0; i < m_Windows.size(); ++i) {
      if (m_Windows[i]->m_Removed) continue;
      if (!(m_Windows[i]->m_pWindow->GetFlags() & XWIN_MODAL)) {
        at = i;
        break;
      }
    }
  } else {
    at = 0;
    for (size_t i = m_Windows.size(); i-- > 0;) {
      if (m_Windows[i]->m_Removed) continue;
      const uint32_t f = m_Windows[i]->m_pWindow->GetFlags();
      if (f & (XWIN_ZORDERFIRST | XWIN_ZORDER)) {
        at = i + 1;
        break;
      }
      if (f & XWIN_ZORDERLAST) {
        at = (flags & XWIN_ZORDERLAST) ? i : i + 1;
        break;
      }
    }
  }
  m_Windows.insert(m_Windows.begin() + static_cast<std::ptrdiff_t>(at), entry);
  {
    CGuiWalk walk;
    ActivateAll(0, 0, true);
    if (!(flags & XWIN_ZORDER) && !entry->m_Removed) ToFront(entry);
  }
  return 1;
}

int32_t CWinCtrl::ToFront(int32_t id) {
  TWinEntry* entry = EntryOfId(id);
  return entry ? ToFront(entry) : 0;
}

int32_t CWinCtrl::ToFront(TWinEntry* entry) {
  CGuiWalk walk;
  const uint32_t flags = entry->m_pWindow->GetFlags();
  if (!(flags & XWIN_ALWAYSLAST)) {
    if (!(flags & XWIN_ZORDER)) {
      MoveTo(entry, 0);
    } else {
      // To the front of its layer: just behind the nearest ZORDERFIRST window before it.
      size_t start = 0;
      for (int32_t i = IndexOf(entry) - 1; i >= 0; --i) {
        TWinEntry* e = m_Windows[static_cast<size_t>(i)];
        if (!e->m_Removed && (e->m_pWindow->GetFlags() & XWIN_ZORDERFIRST)) {
          start = static_cast<size_t>(i) + 1;
          break;
        }
      }
      MoveTo(entry, start);
    }
  }
  for (TWinEntry* e : m_Windows) {
    if (!e->m_Removed && (e->m_pWindow->GetFlags() & XWIN_ALWAYSLAST)) {
      MoveTo(e, m_Windows.size());
      break;
    }
  }
  // Modal windows stay in front of every other: the rearmost one that stands behind a
  // non-modal window goes to the front, until none does.
  for (;;) {
    bool seenPlain = false;
    TWinEntry* misplaced = nullptr;
    for (TWinEntry* e : m_Windows) {
      if (e->m_Removed) continue;
      if (!(e->m_pWindow->GetFlags() & XWIN_MODAL))
        seenPlain = true;
      else if (seenPlain)
        misplaced = e;
    }
    if (!misplaced) break;
    MoveTo(misplaced, 0);
  }
  ActivateAll(entry->m_pWindow->GetID(), 1, false);
  return 1;
}

int32_t CWinCtrl::RemoveEntry(TWinEntry* entry) {
  xGuiAddClearAreaGui(entry->m_pWindow->GetRect());
  entry->m_Removed = true;
  Sweep();
  for (TWinEntry* e : m_Windows) {
    if (e->m_Removed) continue;
    if (!(e->m_pWindow->GetFlags() & (XWIN_ZORDER | XWIN_ZORDERFIRST))) {
      ToFront(e);
      break;
    }
  }
  return 1;
}

int32_t CWinCtrl::RemoveWindow(int32_t id) {
  TWinEntry* entry = EntryOfId(id);
  return entry ? RemoveEntry(entry) : 0;
}

int32_t CWinCtrl::RemoveWindow(CWindowBase* window) {
  TWinEntry* entry = EntryOf(window);
  return entry ? RemoveEntry(entry) : 0;
}

int32_t CWinCtrl::RemoveAll() {
  for (TWinEntry* e : m_Windows) e->m_Removed = true;
  Sweep();
  return 1;
}

// --- Messages ---

int32_t CWinCtrl::SendMessage(int32_t msg, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  if (msg == GUIMSG_PASTE) {
    for (TWinEntry* e : Snapshot()) {
      if (e->m_pWindow->IsActive()) {
        e->m_pWindow->GuiMsgHandler(msg, windowId, controlId, value, user);
        return 1;
      }
    }
  }
  if (msg == GUIMSG_TOFRONT) ToFront(windowId);
  if (value != 0 && msg != GUIMSG_KEY) {
    TWinEntry* entry = EntryOfId(windowId);
    if (!entry) return 0;
    entry->m_pWindow->GuiMsgHandler(msg, windowId, controlId, value, user);
    return 1;
  }
  for (TWinEntry* e : m_Windows) {
    if (e->m_Removed || !e->m_pCallback || e->m_pWindow->GetID() != windowId) continue;
    CallBack(e, msg, windowId, controlId, value, user);
    return 1;
  }
  return 0;
}

// --- Drawing and input on the bus ---

int32_t CWinCtrl::Validate() {
  CGuiWalk walk;
  const std::vector<TWinEntry*> live = Snapshot();
  for (auto it = live.rbegin(); it != live.rend(); ++it)
    if (!(*it)->m_Removed && Visible((*it)->m_pWindow)) (*it)->m_pWindow->Validate();
  return 1;
}

int32_t CWinCtrl::Validate(CRect* area, int32_t index) {
  CGuiWalk walk;
  int32_t met = 0;
  const std::vector<TWinEntry*> live = Snapshot();
  for (auto it = live.rbegin(); it != live.rend(); ++it)
    if (!(*it)->m_Removed && Visible((*it)->m_pWindow) && (*it)->m_pWindow->Validate(area, index)) met = 1;
  return met;
}

void CWinCtrl::Draw() {
  CGuiWalk walk;
  xGuiScreenValidate();
  const int32_t mode = xGuiDrawMode();
  const std::vector<TWinEntry*> live = Snapshot();
  for (auto it = live.rbegin(); it != live.rend(); ++it)
    if (!(*it)->m_Removed && Visible((*it)->m_pWindow)) (*it)->m_pWindow->Draw(mode);
}

void CWinCtrl::Input() {
  CMouse* mouse = glb ? glb->m_pMouse : nullptr;
  if (NumWindows() == 0 || !mouse) return;
  CGuiWalk walk;
  int32_t x = 0, y = 0;
  uint8_t buttons = 0;
  mouse->GetState(&x, &y, &buttons);
  const int32_t down = buttons & 1;
  int32_t sw = 0, sh = 0;
  const bool onScreen = !xGuiScreenSize(&sw, &sh) || (x >= 0 && y >= 0 && x < sw && y < sh);
  if (!onScreen) {
    mouse->SetCursor(m_DefaultCursor, 0);
    Keyboard();
    return;
  }
  auto cursorOf = [&](CWindowBase* w) {
    CControlBase* c = w->GetCntrlUnderMouse();
    return c ? c->GetCursor() : m_DefaultCursor;
  };
  const std::vector<TWinEntry*> live = Snapshot();
  CWindowBase* front = live.empty() ? nullptr : live.front()->m_pWindow;
  if (front && (front->GetFlags() & XWIN_MODAL) && Visible(front)) {
    front->GuiMsgHandler(GUIMSG_MOUSE, x, y, down, nullptr);
    if (!live.front()->m_Removed && front->GetCntrlUnderMouse()) mouse->SetCursor(cursorOf(front), 0);
  } else {
    bool taken = false;
    for (TWinEntry* e : live) {
      if (e->m_Removed || !Visible(e->m_pWindow)) continue;
      CWindowBase* w = e->m_pWindow;
      if (!w->GuiMsgHandler(GUIMSG_MOUSE, x, y, down, nullptr)) continue;
      taken = true;
      if (e->m_Removed) break;
      if (!mouse->SetCursorCalled()) mouse->SetCursor(cursorOf(w), 0);
      if (down && !(w->GetFlags() & XWIN_NOCLICKTOFRONT)) {
        const std::vector<TWinEntry*> now = Snapshot();
        if (!now.empty() && now.front() != e)
          ToFront(e);
        else
          w->GuiMsgHandler(GUIMSG_ACTIVATE, w->GetID(), 0, 1, nullptr);
      }
      break;
    }
    if (!taken) {
      mouse->SetCursor(m_DefaultCursor, 0);
      if (down) {
        for (TWinEntry* e : Snapshot()) {
          if (e->m_Removed) continue;
          e->m_pWindow->GuiMsgHandler(GUIMSG_ACTIVATE, e->m_pWindow->GetID(), 0, 0, nullptr);
        }
      }
    }
  }
  mouse->ClearSetCursorCalled();
  Keyboard();
}

void CWinCtrl::Keyboard() {
  CKeyboard* keyboard = glb ? glb->m_pKeyboard : nullptr;
  if (!keyboard || !keyboard->IsKeyWaiting()) return;
  TQueueChar key{};
  if (!keyboard->GetNext(&key)) return;
  CGuiWalk walk;
  const std::vector<TWinEntry*> live = Snapshot();
  if (live.empty()) return;
  TWinEntry* frontEntry = live.front();
  CWindowBase* front = frontEntry->m_pWindow;
  bool frontHadKey = false;
  if (Visible(front) && front->IsActive()) {
    front->GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &key);
    frontHadKey = true;
  }
  if (frontEntry->m_Removed || front->GetFocus()) return;
  for (TWinEntry* e : live) {
    if (e->m_Removed || !Visible(e->m_pWindow)) continue;
    if (!(e->m_pWindow->GetFlags() & XWIN_HIGHLIGHTIFINACTIVE)) continue;
    if (e == frontEntry && frontHadKey) continue;
    e->m_pWindow->GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &key);
  }
}

int32_t CWinCtrl::MsgHandler(uint32_t message, TMsgParam, TMsgParam) {
  if (message == XMSG_BUS_DRAW)
    Draw();
  else if (message == XMSG_BUS_CLEAR)
    Input();
  return 1;
}

// --- Defaults ---

void CWinCtrl::SetDefaultFrame(TCntrlColor* n, TCntrlColor* p, TCntrlColor* h, TCntrlColor* d) {
  Assign4(m_pFrameColors, n, p, h, d);
}
void CWinCtrl::SetDefaultTitlebar(TCntrlColor* n, TCntrlColor* p, TCntrlColor* h, TCntrlColor* d) {
  Assign4(m_pTitlebarColors, n, p, h, d);
}
void CWinCtrl::SetDefaultButton(TCntrlColor* n, TCntrlColor* p, TCntrlColor* h, TCntrlColor* d) {
  Assign4(m_pButtonColors, n, p, h, d);
}
void CWinCtrl::SetDefaultClose(CBitmap* n, CBitmap* p, CBitmap* h, CBitmap* d) { Assign4(m_pClose, n, p, h, d); }
void CWinCtrl::SetDefaultDrop(CBitmap* n, CBitmap* p, CBitmap* h, CBitmap* d) { Assign4(m_pDrop, n, p, h, d); }
void CWinCtrl::SetDefaultArrowUp(CBitmap* n, CBitmap* p, CBitmap* h, CBitmap* d) { Assign4(m_pArrowUp, n, p, h, d); }
void CWinCtrl::SetDefaultArrowDown(CBitmap* n, CBitmap* p, CBitmap* h, CBitmap* d) {
  Assign4(m_pArrowDown, n, p, h, d);
}

void CWinCtrl::SetDefaultRadio(CBitmap* n, CBitmap* p, CBitmap* h, CBitmap* d) { Assign4(m_pRadio, n, p, h, d); }

void CWinCtrl::SetDefaultThumb(CBitmap* n, CBitmap* p, CBitmap* h, CBitmap* d) { Assign4(m_pThumb, n, p, h, d); }

void CWinCtrl::SetDefaultTimeout(TCntrlColor* n, TCntrlColor* p, TCntrlColor* h, TCntrlColor* d) {
  Assign4(m_pTimeoutColors, n, p, h, d);
}

void CWinCtrl::SetupColors(TCntrlColor* set, const TRGBA* const colours[8]) {
  if (!set || !colours) return;
  for (int32_t i = 0; i < 8; ++i)
    if (colours[i]) set->m_Col[i] = *colours[i];
}

void CWinCtrl::MakeCol(int32_t r, int32_t g, int32_t b, int32_t a, TRGBA& colour) {
  colour.Set(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), static_cast<uint8_t>(a));
}

void CWinCtrl::RemapDefaults() {
  std::vector<CBitmap*> all{m_pDefaultCaret, m_pDefaultCheck};
  for (CBitmap* const* group : {m_pClose, m_pDrop, m_pArrowUp, m_pArrowDown, m_pRadio, m_pThumb})
    for (int32_t i = 0; i < 4; ++i) all.push_back(group[i]);
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  for (CBitmap* b : all)
    if (b) xGuiMakeScreenFormat(b, 1);
}

void CWinCtrl::ForgetDefault(const void* object) {
  if (!object) return;
  auto sets = [&](TCntrlColor** group, int32_t first, int32_t second, int32_t third, int32_t fourth) {
    const int32_t builtIn[4] = {first, second, third, fourth};
    for (int32_t i = 0; i < 4; ++i)
      if (group[i] == object) group[i] = &m_BuiltIn[builtIn[i]];
  };
  sets(m_pButtonColors, 0, 1, 2, 3);
  sets(m_pFrameColors, 4, 4, 4, 4);
  sets(m_pTitlebarColors, 5, 6, 6, 5);
  sets(m_pFourthColors, 7, 7, 7, 7);
  // A time-out set that goes away leaves the pies to the fourth group, all four together.
  for (TCntrlColor* set : m_pTimeoutColors)
    if (set == object) Assign4(m_pTimeoutColors, nullptr, nullptr, nullptr, nullptr);
  if (m_pDefaultFont == object) m_pDefaultFont = nullptr;
  if (m_pDefaultCaret == object) m_pDefaultCaret = nullptr;
  if (m_pDefaultCheck == object) m_pDefaultCheck = nullptr;
  for (CBitmap** group : {m_pClose, m_pDrop, m_pArrowUp, m_pArrowDown, m_pRadio, m_pThumb})
    for (int32_t i = 0; i < 4; ++i)
      if (group[i] == object) group[i] = nullptr;
}

void CWinCtrl::SetTemplate(int32_t kind, CControlBase* control) {
  if (kind >= 0 && kind < GUITEMPLATE_COUNT) m_pTemplates[kind] = control;
}

CControlBase* CWinCtrl::GetTemplate(int32_t kind) const {
  return kind >= 0 && kind < GUITEMPLATE_COUNT ? m_pTemplates[kind] : nullptr;
}

void CWinCtrl::ForgetTemplate(const CControlBase* control) {
  for (CControlBase*& t : m_pTemplates)
    if (t == control) t = nullptr;
}
