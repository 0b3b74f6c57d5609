// The four panels that slide up over the table, the user list, the request box, the help pages
// and the panel's timers.
#include <algorithm>
#include <cstring>
#include <string>

#include "common/chat/chatclient.h"
#include "common/options/optionsdlg.h"
#include "common/widgets/panel.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/mouse.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/shell.h"

namespace {

constexpr int32_t USERLIST_NAME_X = 15;
constexpr int32_t USERLIST_MARK_X = 1;
// The longest name drawn; the rest is cut (the list's width cuts it further).
constexpr size_t USERLIST_MAX_NAME = 64;
// A heading buffer must hold more than this to be written.
constexpr int32_t USERLIST_HEADING_MIN = 22;
const TRGBA USERLIST_BACK{12, 36, 24, 0};
const TRGBA USERLIST_TEXT{236, 230, 200, 0};
const TRGBA USERLIST_MARK{230, 70, 60, 0};

// The name of a user-list entry: up to the byte 3 that may carry more behind it, cut short.
std::string UserName(const char* entry) {
  if (!entry) return {};
  const char* end = std::strchr(entry, 3);
  const size_t length = end ? size_t(end - entry) : std::strlen(entry);
  return std::string(entry, std::min(length, USERLIST_MAX_NAME));
}

// The heading pattern with its two numbers. The pattern comes from a script: it is used only when
// it holds exactly two "%ld" and no other '%', else the fallback.
std::string Heading(const char* pattern, const char* fallback, int32_t table, int32_t users) {
  auto fill = [&](const char* p, std::string& out) {
    const int32_t numbers[2] = {table, users};
    int32_t used = 0;
    for (; *p; ++p) {
      if (*p != '%') {
        out += *p;
        continue;
      }
      if (std::strncmp(p, "%ld", 3) != 0 || used == 2) return false;
      out += std::to_string(numbers[used++]);
      p += 2;
    }
    return used == 2;
  };
  std::string out;
  if (pattern && fill(pattern, out)) return out;
  out.clear();
  fill(fallback, out);
  return out;
}

void CopyCut(char* buffer, int32_t size, const std::string& text) {
  if (!buffer || size <= 0) return;
  const size_t n = std::min(text.size(), size_t(size) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

// ---- sliding panels ----

int32_t CPanel::SlidePanel(CDialog* dialog, PANELSTATE state, int32_t openY, CDialog* opener, int32_t openerId,
                           int32_t& isOpen) {
  if (!dialog) return 0;
  if (state == PANEL_OPEN && !isOpen) {
    MoveWindow(dialog, m_ClosedX, openY, m_RequestFrames);
    if (opener) SetState(opener, openerId, XGUI_DISABLED);
    SetState(dialog, PANEL_CTRL_CLOSE, XGUI_RELEASED);
    isOpen = 1;
    if (m_pTable) m_pTable->RightUpCallback();
    return 1;
  }
  if (state == PANEL_CLOSE && isOpen) {
    MoveWindow(dialog, m_ClosedX, m_ClosedY, m_RequestFrames);
    if (opener) SetState(opener, openerId, XGUI_RELEASED);
    SetState(dialog, PANEL_CTRL_CLOSE, XGUI_DISABLED);
    isOpen = 0;
    // A panel clicked while open came to the front; closed, it slides under the user list's head.
    if (m_pUserList && dialog != m_pUserList) m_pUserList->ToFront();
    return 1;
  }
  return 0;
}

void CPanel::switchOptions(PANELSTATE state) {
  if (!m_pOptionsDlg || !m_OptionsShown) return;
  // The choices made in the dialog go into the options before it slides away.
  if (state == PANEL_CLOSE && m_OptionsOpen) m_pOptionsDlg->GetDlgState();
  const int32_t wasOpen = m_OptionsOpen;
  SlidePanel(m_pOptionsDlg, state, m_OptionsUpY, m_pButtons, PANEL_CTRL_OPTIONS, m_OptionsOpen);
  if (wasOpen && !m_OptionsOpen && m_pTable) m_pTable->OptionsChanged();
}

void CPanel::switchHelp(PANELSTATE state) {
  SlidePanel(m_pHelp, state, m_HelpUpY, m_pButtons, PANEL_CTRL_HELP, m_HelpOpen);
}

void CPanel::switchFKeys(PANELSTATE state) { SlidePanel(m_pFKeys, state, m_FKeysUpY, nullptr, 0, m_FKeysOpen); }

void CPanel::switchUserList(PANELSTATE state) {
  // At a local table the list's own button stays disabled.
  const bool remote = m_pTable && m_pTable->IsPanelTableRemote();
  if (SlidePanel(m_pUserList, state, m_UserListUpY, remote ? m_pUserList : nullptr, PANEL_CTRL_OPEN_USERLIST,
                 m_UserListOpen) &&
      m_UserListOpen)
    UpdateUserList();
}

int32_t CPanel::SwitchHelpAndOptions(PANELS open) {
  if (open != PANEL_OPTIONS) switchOptions(PANEL_CLOSE);
  if (open != PANEL_HELP) switchHelp(PANEL_CLOSE);
  if (open != PANEL_FKEYS) switchFKeys(PANEL_CLOSE);
  if (open != PANEL_USERLIST) switchUserList(PANEL_CLOSE);
  switch (open) {
    case PANEL_OPTIONS: switchOptions(PANEL_OPEN); break;
    case PANEL_HELP: switchHelp(PANEL_OPEN); break;
    case PANEL_FKEYS: switchFKeys(PANEL_OPEN); break;
    case PANEL_USERLIST: switchUserList(PANEL_OPEN); break;
  }
  return 1;
}

int32_t CPanel::IsPanelOpen(PANELS p) const {
  switch (p) {
    case PANEL_OPTIONS: return m_OptionsOpen;
    case PANEL_HELP: return m_HelpOpen;
    case PANEL_FKEYS: return m_FKeysOpen;
    case PANEL_USERLIST: return m_UserListOpen;
  }
  return 0;
}

// ---- user list ----

void CPanel::UpdateUserList() {
  if (!m_pUserList || !m_pTable) return;
  WriteUserList();
  CControlBase* title = m_pUserList->GetCtrl(PANEL_CTRL_USERLIST_TITLE);
  CChatClient* chat = m_pTable->GetPanelChatClient();
  if (!title || !chat || title->GetTextBufferSize() <= USERLIST_HEADING_MIN) return;
  CLList* users = chat->GetUserList(0);
  const int32_t count = users ? users->GetNumNodes() : 0;
  const int32_t number = m_pTable->GetPanelTableId() % 1000;
  const std::string heading =
      number >= 400 ? Heading(m_pPanelRes->GetResString(PANEL_STR_VIP_TABLE_USERS), "VIP Table %ld Users %ld",
                              number - 399, count)
                    : Heading(m_pPanelRes->GetResString(PANEL_STR_TABLE_USERS), "Table %ld Users %ld", number, count);
  CopyCut(title->GetTextBuffer(0), title->GetTextBufferSize(), heading);
  title->FormatText();
  title->Validate();
}

void CPanel::WriteUserList() {
  if (!m_pUserList || !m_pUserListBm) return;
  CBitmap& canvas = *m_pUserListBm;
  canvas.Fill(&USERLIST_BACK);
  auto* slider = dynamic_cast<CSlider*>(m_pUserList->GetCtrl(PANEL_CTRL_USERLIST_SLIDER));
  CChatClient* chat = m_pTable ? m_pTable->GetPanelChatClient() : nullptr;
  CLList* users = chat ? chat->GetUserList(0) : nullptr;
  const int32_t count = users ? users->GetNumNodes() : 0;
  CFont* font = m_pPanelRes ? m_pPanelRes->GetFont("mainFont") : nullptr;
  const int32_t offset = slider ? slider->GetValue() : 0;
  int32_t y = 1 - PANEL_USERLIST_LINE * offset;
  for (CNode* n = users ? users->HeadNode() : nullptr; n && font; n = n->m_pNext, y += PANEL_USERLIST_LINE) {
    if (y + PANEL_USERLIST_LINE <= 0) continue;
    const std::string name = UserName(static_cast<const char*>(n->m_pData));
    if (chat->IsIgnored(name.c_str()))
      font->Text(&canvas, "X", USERLIST_MARK_X, int16_t(y), int16_t(USERLIST_NAME_X - USERLIST_MARK_X),
                 PANEL_USERLIST_LINE, &USERLIST_MARK, nullptr, 0);
    font->Text(&canvas, name.c_str(), USERLIST_NAME_X, int16_t(y), int16_t(canvas.m_Width - USERLIST_NAME_X),
               PANEL_USERLIST_LINE, &USERLIST_TEXT, nullptr, 0);
    if (y > canvas.m_Height) break;  // one line past the bottom
  }
  canvas.m_Changed = 1;
  if (slider) {
    slider->SetRange(0, count + 1, m_VisibleLines);
    slider->SetState(count + 1 >= m_VisibleLines ? XGUI_RELEASED : XGUI_DISABLED);
  }
  if (CControlBase* area = m_pUserList->GetCtrl(PANEL_CTRL_USERLIST_AREA)) area->Validate();
}

void CPanel::HandleIgnore() {
  CControlBase* area = m_pUserList ? m_pUserList->GetCtrl(PANEL_CTRL_USERLIST_AREA) : nullptr;
  CMouse* mouse = glb ? glb->m_pMouse : nullptr;
  CChatClient* chat = m_pTable ? m_pTable->GetPanelChatClient() : nullptr;
  CLList* users = chat ? chat->GetUserList(0) : nullptr;
  if (!area || !mouse || !users) return;
  int32_t x = 0, y = 0;
  uint8_t buttons = 0;
  mouse->GetState(&x, &y, &buttons);
  const CRect r = area->ScreenRect();
  if (!r.IsPntInRect(x, y)) return;
  auto* slider = dynamic_cast<CSlider*>(m_pUserList->GetCtrl(PANEL_CTRL_USERLIST_SLIDER));
  const int32_t inside = y - r.top;
  int32_t top = 1 - PANEL_USERLIST_LINE * (slider ? slider->GetValue() : 0);
  for (CNode* n = users->HeadNode(); n; n = n->m_pNext, top += PANEL_USERLIST_LINE) {
    if (inside < top || inside >= top + PANEL_USERLIST_LINE) continue;
    const std::string name = UserName(static_cast<const char*>(n->m_pData));
    if (name.empty()) return;
    if (chat->IsIgnored(name.c_str()))
      chat->UnIgnore(name.c_str());
    else
      chat->Ignore(name.c_str());
    WriteUserList();
    return;
  }
}

// ---- request box, help pages ----

void CPanel::ShowRequestDialog(const char* heading, const char* text) {
  if (!m_pRequest) return;
  if (CControlBase* title = m_pRequest->GetCtrl(PANEL_CTRL_REQUEST_HEADING)) {
    const std::string whole = std::string(heading ? heading : "") +
                              (m_pPanelRes ? m_pPanelRes->GetResString(PANEL_STR_REQUEST_HEADING, "") : "");
    const int32_t size = title->GetTextBufferSize();
    // The heading and its tail go in together or the heading goes in alone, cut.
    CopyCut(title->GetTextBuffer(0), size,
            whole.size() < size_t(std::max(size, 0)) ? whole : std::string(heading ? heading : ""));
    title->FormatText();
    title->Validate();
  }
  if (CControlBase* body = m_pRequest->GetCtrl(PANEL_CTRL_REQUEST_TEXT)) {
    CopyCut(body->GetTextBuffer(0), body->GetTextBufferSize(), text ? text : "");
    body->FormatText();
    body->Validate();
  }
  MoveWindow(m_pRequest, m_RequestShownX, m_RequestShownY, m_RequestFrames);
  RemoveTimer(PANEL_TIMER_REQUEST);
  AddTimer(PANEL_TIMER_REQUEST);
}

int32_t CPanel::ShowHelp(const char* url) {
  if (!url) return 0;
  if (xShowURL(url)) return 1;
  if (m_pTable) {
    const char* why = m_pTable->GetHelpErrText();
    const std::string text = std::string(why ? why : "") + url;
    m_pTable->ShowServerMsg("Failed to find browser", text.c_str(), 0, "NONE:", nullptr, nullptr);
  }
  return 0;
}

// ---- timers ----

void CPanel::TimerHandler(uint32_t period) {
  switch (period) {
    case PANEL_TIMER_DOTS:
      if (m_pAutoplay && GetState(m_pAutoplay, PANEL_CTRL_AUTO_STOP) != XGUI_DISABLED)
        SetAutoplayDots((m_DotFrame + 1) % PANEL_DOT_FRAMES);
      break;
    case PANEL_TIMER_USERLIST: UpdateUserList(); break;
    case PANEL_TIMER_REQUEST: {
      RemoveTimer(PANEL_TIMER_REQUEST);
      int32_t x = 0, y = 0;
      if (!m_pRequest || !m_pRequest->GetPos(x, y) || y != m_RequestShownY) break;
      MoveWindow(m_pRequest, x, PANEL_REQUEST_HIDDEN_Y, m_RequestFrames);
      if (m_pTable) m_pTable->SendRequestAnswer(0);
      break;
    }
    default: break;
  }
}
