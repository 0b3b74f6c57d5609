// The client table's dialogs: the server message (dialog 10) and its action, the maximum-round
// (20) and deposit (21) messages, the request box, the message line, the play-history window and
// the options' music switch. All of them come from the framework's own script.
#include <cstring>
#include <new>
#include <string>

#include "common/chat/chatclient.h"
#include "common/options/optionids.h"
#include "common/options/options.h"
#include "common/playerhistory/playerhistorydll.h"
#include "common/tables/clienttablebase.h"
#include "common/widgets/panel.h"
#include "ostrel/base/xstring.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/scrolltext.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/shell.h"
#include "ostrelcomm/commnode.h"

namespace {
// The server's text with each "\n" pair (backslash and n) turned into CR LF.
std::string WithLineBreaks(const char* text) {
  std::string out;
  for (const char* p = text ? text : ""; *p; ++p) {
    if (p[0] == '\\' && p[1] == 'n') {
      out += "\r\n";
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

bool StartsWith(const char* text, const char* prefix) { return text && xStrnicmp(text, prefix, std::strlen(prefix)) == 0; }

// The action behind the flag character (a waitlist offer's stands first).
const char* ActionOf(const TServerMsg& msg) {
  if (StartsWith(msg.m_Action, SERVERMSG_ACTION_WAITLIST)) return msg.m_Action;
  return msg.m_Action[0] ? msg.m_Action + 1 : msg.m_Action;
}
}  // namespace

int32_t CClientTableBase::CheckServerMsg() {
  TServerMsg* msg = m_pServerMsg;
  if (!msg || msg->m_New != SERVERMSG_NEW) return 1;
  msg->m_New = SERVERMSG_SHOWN;
  msg->m_Title[sizeof msg->m_Title - 1] = 0;
  msg->m_Message[sizeof msg->m_Message - 1] = 0;
  msg->m_Action[sizeof msg->m_Action - 1] = 0;
  ShowServerMsg(msg->m_Title, msg->m_Message, msg->m_Icon, msg->m_Action, nullptr, nullptr);
  return 1;
}

void CClientTableBase::ServerMsgCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  auto* table = static_cast<CClientTableBase*>(user);
  if (!table) return;
  if (table->m_pMsgBoxCallback) {
    table->m_pMsgBoxCallback(event, windowId, controlId, value, user);
    return;
  }
  // A command from a button closes the message at the next frame.
  if (event == 2 && (controlId == TABLEDLG_OK || controlId == TABLEDLG_CANCEL || controlId == TABLEDLG_SERVERMSG_ACTION ||
                     controlId == 1002)) {
    table->PlayClickSound();
    table->WantDestroyServerMsg();
  }
}

int32_t CClientTableBase::ShowServerMsg(const char* title, const char* text, uint8_t icon, const char* action,
                                        const char*, const char*) {
  if (m_pServerMsgDlg) {
    m_pServerMsgDlg->Destroy();
    delete m_pServerMsgDlg;
    m_pServerMsgDlg = nullptr;
  }
  if (!m_pCommonRes) return 0;
  auto* dialog = new (std::nothrow) CDialog;
  if (!dialog || !dialog->Create(m_pCommonRes, TABLEDLG_SERVERMSG, ServerMsgCallback, 0, this)) {
    delete dialog;
    xprintf("CClientTableBase::ShowServerMsg: no dialog %d", TABLEDLG_SERVERMSG);
    return 0;
  }
  m_pServerMsgDlg = dialog;
  SetTextBuffer(dialog, TABLEDLG_SERVERMSG_TEXT, WithLineBreaks(text).c_str());
  SetTextBuffer(dialog, TABLEDLG_SERVERMSG_TITLE, title ? title : "");
  m_ServerMsgIconIndex = icon < TABLE_ICON_COUNT ? icon : 0;
  int32_t width = 0, height = 0;
  CBitmap* strip = m_pCommonRes->GetBm(TABLE_ICON_STRIP, &width, &height);
  CControlBase* iconControl = dialog->GetCtrl(TABLEDLG_SERVERMSG_ICON);
  if (strip && iconControl && width >= TABLE_ICON_SIZE * TABLE_ICON_COUNT && height >= TABLE_ICON_SIZE) {
    delete m_pServerMsgIcon;
    m_pServerMsgIcon = new (std::nothrow) CBitmap;
    if (m_pServerMsgIcon &&
        m_pServerMsgIcon->CreateRGB(TABLE_ICON_SIZE, TABLE_ICON_SIZE, strip->m_BitsPerPixel, strip->m_RedBits,
                                    strip->m_GreenBits, strip->m_BlueBits, strip->m_RedShift, strip->m_GreenShift,
                                    strip->m_BlueShift, 0) &&
        m_pServerMsgIcon->Blt(strip, m_ServerMsgIconIndex * TABLE_ICON_SIZE, 0, 0, 0, TABLE_ICON_SIZE, TABLE_ICON_SIZE,
                              0, 0, 0)) {
      iconControl->SetBitmap(m_pServerMsgIcon, m_pServerMsgIcon, m_pServerMsgIcon, m_pServerMsgIcon);
      iconControl->Invalidate();
    }
  }
  // The action button only where there is something to do.
  const char* shown = action ? action : "";
  const char* word = shown[0] && !StartsWith(shown, SERVERMSG_ACTION_WAITLIST) ? shown + 1 : shown;
  const bool none = !shown[0] || StartsWith(word, SERVERMSG_ACTION_NONE) || shown[0] == 'F';
  if (CControlBase* button = dialog->GetCtrl(TABLEDLG_SERVERMSG_ACTION)) {
    button->SetState(none ? XGUI_HIDDEN : XGUI_RELEASED);
    button->Invalidate();
  }
  return 1;
}

int32_t CClientTableBase::DestroyServerMsg() {
  m_WantDestroyServerMsg = 0;
  if (m_pServerMsgDlg) {
    m_pServerMsgDlg->Destroy();
    delete m_pServerMsgDlg;
    m_pServerMsgDlg = nullptr;
  }
  delete m_pServerMsgIcon;
  m_pServerMsgIcon = nullptr;
  m_ServerMsgIconIndex = -1;
  TServerMsg* msg = m_pServerMsg;
  if (!msg || msg->m_New != SERVERMSG_SHOWN) return 1;
  msg->m_New = 0;
  const char* action = ActionOf(*msg);
  if (StartsWith(action, SERVERMSG_ACTION_NONE)) {
    msg->m_State = 2;
  } else if (StartsWith(action, SERVERMSG_ACTION_QUIT)) {
    if (m_NumSeats > 0) ExitGame();
    msg->m_State = 3;
  } else if (StartsWith(action, SERVERMSG_ACTION_URL)) {
    const char* address = action + std::strlen(SERVERMSG_ACTION_URL);
    // Only web pages: a server's text must not start programs or open files.
    if (StartsWith(address, "http://") || StartsWith(address, "https://"))
      xShowURL(address);
    else
      xprintf("CClientTableBase::DestroyServerMsg: not a web address: %.100s", address);
    msg->m_State = 3;
  } else if (StartsWith(action, SERVERMSG_ACTION_POLL)) {
    msg->m_State = 3;
  } else if (StartsWith(action, SERVERMSG_ACTION_WAITLIST)) {
    ExitGame();
    m_WantTable = 1;
    msg->m_Kind = 0;
    msg->m_State = 2;
  }
  return 1;
}

// ---- maximum rounds and deposit ----

void CClientTableBase::MaxRoundCallback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  auto* table = static_cast<CClientTableBase*>(user);
  if (!table || event != 2) return;
  if (controlId == TABLEDLG_OK) {
    table->PlayClickSound();
    table->m_MsgResult = CLIENTMSG_RESULT_OK;
  } else if (controlId == TABLEDLG_CANCEL) {
    table->PlayClickSound();
    table->m_MsgResult = CLIENTMSG_RESULT_CANCEL;
  }
}

namespace {
CDialog* OpenMessage(CResData* res, int32_t section, void* user) {
  if (!res) return nullptr;
  auto* dialog = new (std::nothrow) CDialog;
  if (dialog && dialog->Create(res, section, CClientTableBase::MaxRoundCallback, 0, user)) return dialog;
  delete dialog;
  xprintf("CClientTableBase: no dialog %d", section);
  return nullptr;
}

void CloseMessage(CDialog*& dialog) {
  if (!dialog) return;
  dialog->Destroy();
  delete dialog;
  dialog = nullptr;
}
}  // namespace

int32_t CClientTableBase::ShowMaxRoundMsg() {
  if (!m_pMaxRoundDlg) m_pMaxRoundDlg = OpenMessage(m_pCommonRes, TABLEDLG_MAXROUND, this);
  return m_pMaxRoundDlg != nullptr;
}

int32_t CClientTableBase::DestroyMaxRoundMsg() {
  CloseMessage(m_pMaxRoundDlg);
  return 1;
}

int32_t CClientTableBase::ShowDepositMsg() {
  if (!m_pDepositDlg) m_pDepositDlg = OpenMessage(m_pCommonRes, TABLEDLG_DEPOSIT, this);
  return m_pDepositDlg != nullptr;
}

int32_t CClientTableBase::DestroyDepositMsg() {
  CloseMessage(m_pDepositDlg);
  return 1;
}

// ---- panel, requests, presentation, play history, options ----

void CClientTableBase::NewChatMsg(char* line) {
  if (m_pPanel) m_pPanel->UpdateChat(line);
}

int32_t CClientTableBase::ClientInitScroll() {
  CDialog* line = m_pPanel ? m_pPanel->GetMessageLineDialog() : nullptr;
  auto* control = line ? dynamic_cast<CScrollText*>(line->GetCtrl(PANEL_CTRL_MESSAGELINE)) : nullptr;
  if (!control) return 0;
  m_Scroll.Init(control);
  return 1;
}

void CClientTableBase::ClientExitScroll() { m_Scroll.Exit(); }

int32_t CClientTableBase::ShowRequestBox(int32_t requestId, const char* name, const char* reason) {
  m_RequestId = requestId;
  if (m_pPanel) m_pPanel->ShowRequestDialog(name, reason);
  return 1;
}

int32_t CClientTableBase::SendRequestAnswer(int32_t answer) {
  CCommNode* node = m_pSlotAllocNode;
  const int32_t sent = node && node->SendInit() &&
                       node->NewItem(TABLE_MSG_REQUESTANSWER, KLONG, m_RequestId, KLONG, answer, KEND) &&
                       node->SendKCBLPacket();
  m_RequestId = 0;
  return sent;
}

int32_t CClientTableBase::SendPresentationDone() {
  CCommNode* node = m_pTableNode;
  if (!node || !HaveSlot()) return 0;
  return node->SendInit() && node->NewItem(TABLE_MSG_PRESENTATIONDONE, KEND) &&
         node->NewItem(TABLE_ITEM_USERID, KLONG, m_PlayerId, KEND) && node->SendKCBLPacket();
}

int32_t CClientTableBase::CreatePlayerHistoryDialog() {
  if (!m_Joined || m_Animation || !m_TimeDiffDone || m_pPlayerHistory) return 0;
  auto* window = new (std::nothrow) CPlayerHistoryDll;
  if (!window || !window->Init(m_pPlayerHistoryRequestNode, m_PlayerId, static_cast<int32_t>(m_TableId))) {
    delete window;
    return 0;
  }
  m_pPlayerHistory = window;
  return 1;
}

int32_t CClientTableBase::OptionsChanged() {
  if (!m_pOptions) return 0;
  int32_t music = 0;
  if (m_pOptions->GetBool(OPTION_MUSIC, &music) && m_pMusic) {
    if (music && !m_pMusic->IsPlaying())
      m_pMusic->Start(1);
    else if (!music)
      m_pMusic->Stop();
  }
  return m_pOptions->Save();
}
