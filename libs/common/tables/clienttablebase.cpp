// The client table's life, set-up, seat queries and the player's protection checks.
#include "common/tables/clienttablebase.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "common/info/translatemessage.h"
#include "common/playerhistory/playerhistorydll.h"
#include "common/tables/createtable.h"
#include "common/widgets/forfundlg.h"
#include "common/widgets/panel.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/messagebox.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/clock.h"
#include "common/chat/chatclient.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/timediff.h"

namespace {
CClientTableBase* g_CurrentClientTable = nullptr;
TClientMsgBoxFunc g_MsgBox = nullptr;

int32_t DefaultMsgBox(const char* caption, const char* text) { return xMessageBox(caption, text, 0); }
}  // namespace

CClientTableBase::SProtection& CClientTableBase::Protection() {
  static SProtection protection;
  return protection;
}

CClientTableBase* CClientTableBase::GetCurrentClientTable() { return g_CurrentClientTable; }

void CClientTableBase::SetMessageBoxFunc(TClientMsgBoxFunc box) { g_MsgBox = box; }

CClientTableBase::CClientTableBase() {
  g_CurrentClientTable = this;
  m_LastSessionUpdate = xGetTime();
}

CClientTableBase::~CClientTableBase() {
  if (g_CurrentClientTable == this) g_CurrentClientTable = nullptr;
  // What Exit did not free: a table that never ran Init or ended without Exit.
  DeleteReconnectNode();
  delete m_pTimeDiff;
  m_pTimeDiff = nullptr;
  delete m_pForFun;
  delete m_pServerMsgDlg;
  delete m_pMaxRoundDlg;
  delete m_pDepositDlg;
  delete m_pPlayerHistory;
  delete m_pCreator;
  delete m_pMessages;
  delete m_pCommonRes;
  delete m_pPanel;
}

uint32_t CClientTableBase::GetNodeType() { return CNODE_CLIENT; }

int32_t CClientTableBase::CreatePlayer(int32_t seat, int32_t playerId) { return CreateGamePlayer(seat, playerId); }

int32_t CClientTableBase::DeletePlayer(int32_t seat) { return DeleteGamePlayer(seat); }

int32_t CClientTableBase::HandleReserve(int32_t, int32_t, int32_t) { return 1; }

int32_t CClientTableBase::Init(int32_t realMoney, int32_t, int32_t) {
  const auto seats = static_cast<size_t>(std::max(GetNumSlots(), 0));
  m_pTableNode->SetPacketCallbackRecv(Dispatch);
  m_SlotStatus.assign(seats, TABLE_SLOTSTATUS_UNKNOWN);
  m_Think.assign(seats, 0);
  m_IconValue.assign(seats, 0);
  m_IconFlags.assign(seats, 0);
  m_Money.assign(seats, TMoney());
  m_SeatNames.assign(seats, std::string());

  m_pPanel = new (std::nothrow) CPanel;
  if (!m_pPanel) return 0;
  m_pPanel->SetClientTable(this);
  m_RealMoney = realMoney;
  m_pTableNode->SetDebugSessionIndex(0);
  m_pTableNode->SnoopSetSnooping(1);
  m_pSlotAllocNode->SnoopSetSnooping(1);
  m_pCreator = new (std::nothrow) CClientCreateTable;
  if (!m_pCreator) return 0;
  m_pCreator->Init(m_PlayerId, m_pSlotAllocNode, this);

  if (InitClientGame() != 1) {
    m_SlotStatus.clear();
    m_Think.clear();
    m_IconValue.clear();
    m_IconFlags.clear();
    m_Money.clear();
    m_SeatNames.clear();
    return 0;
  }
  if (!m_BotMode) {
    m_pMessages = new (std::nothrow) CTranslateMessage;
    if (!m_pMessages || !m_pMessages->Load()) {
      xprintf("CClientTableBase::Init: Could not load %s", TRANSLATEMESSAGE_FILE);
      return 0;
    }
    // The framework's own dialogs and texts; a table can run without them, but its dialogs then
    // cannot open.
    m_pCommonRes = new (std::nothrow) CResData;
    if (m_pCommonRes && !m_pCommonRes->Load(TABLECOMMON_SCRIPT)) {
      xprintf("CClientTableBase::Init: Could not load %s", TABLECOMMON_SCRIPT);
      delete m_pCommonRes;
      m_pCommonRes = nullptr;
    }
  }
  UpdateSeats();
  m_RoundShown = 0;
  SetRoundActive(0);
  return 1;
}

int32_t CClientTableBase::Exit() {
  DestroyDepositMsg();
  DestroyMaxRoundMsg();
  if (m_pServerMsgDlg) {
    m_pServerMsgDlg->Destroy();
    delete m_pServerMsgDlg;
    m_pServerMsgDlg = nullptr;
  }
  delete m_pServerMsgIcon;
  m_pServerMsgIcon = nullptr;
  delete m_pForFun;
  m_pForFun = nullptr;
  delete m_pMessages;
  m_pMessages = nullptr;
  if (m_pCreator) m_pCreator->Exit();
  delete m_pCreator;
  m_pCreator = nullptr;
  m_SlotStatus.clear();
  m_Think.clear();
  m_IconValue.clear();
  m_IconFlags.clear();
  m_Money.clear();
  m_SeatNames.clear();
  delete m_pTimeDiff;
  m_pTimeDiff = nullptr;
  DeleteReconnectNode();
  FreeHeldBack();
  ClientExitScroll();
  const int32_t result = ExitClientGame();
  if (m_pPanel) m_pPanel->Exit();
  delete m_pPanel;
  m_pPanel = nullptr;
  delete m_pCommonRes;
  m_pCommonRes = nullptr;
  if (m_pChat) m_pChat->ClearAllData();
  m_LogFileName.clear();
  return result;
}

int32_t CClientTableBase::SetLogFileName(const char* name) {
  m_LogFileName = name ? name : "";
  return 1;
}

void CClientTableBase::SetLogStatus(int32_t on) {
  m_LogStatus = on;
  for (CCommNode* node : {m_pPlayerNode, m_pTableNode, m_pSlotStatusNode, m_pSlotAllocNode}) {
    if (!node) continue;
    node->SetLog(on);
    if (!m_LogFileName.empty()) node->SetLogFileName(m_LogFileName.c_str());
  }
}

void CClientTableBase::SetBotParams(int32_t a, int32_t b, int32_t c, int32_t d) {
  m_BotParams[0] = a;
  m_BotParams[1] = b;
  m_BotParams[2] = c;
  m_BotParams[3] = d;
}

// ---- seats ----

int32_t CClientTableBase::SetWantToAllocSlot(int32_t n) {
  if (m_WantAllocSeat || m_WantReserveSeat) return 0;
  m_WantAllocSeat = n;
  return 1;
}

int32_t CClientTableBase::SetWantToReserveSlot(int32_t n) {
  if (m_WantAllocSeat || m_WantReserveSeat) return 0;
  m_WantReserveSeat = n;
  return 1;
}

int32_t CClientTableBase::HaveSlot() const { return GetIndex() != -1; }

int32_t CClientTableBase::GetIndex(int32_t* seats) const {
  int32_t own = -1;
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const bool mine = m_PlayerId != 0 && Seat(i).m_PlayerId == m_PlayerId;
    if (seats) seats[i] = mine ? 1 : 0;
    if (mine && own == -1) own = i;
  }
  return own;
}

CClientTableBase::TMoney CClientTableBase::GetCash() {
  const int32_t seat = GetIndex();
  if (seat < 0 || static_cast<size_t>(seat) >= m_Money.size()) return TMoney();
  return m_Money[static_cast<size_t>(seat)] - GetClientPlayerTotalBet();
}

int32_t CClientTableBase::CheckCash(const TMoney& amount) { return GetCash() >= amount ? 1 : 0; }

int32_t CClientTableBase::IsAllowedToBet() const {
  if (m_pMaxRoundDlg || m_pDepositDlg || m_Reconnecting) return 0;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (m_PlayerId != 0 && Seat(i).m_PlayerId == m_PlayerId && Seat(i).m_Joined) return 1;
  return 0;
}

int32_t CClientTableBase::AllocStatusDataAvailable() const {
  if (m_SlotStatus.empty()) return 0;
  return std::none_of(m_SlotStatus.begin(), m_SlotStatus.end(),
                      [](int32_t s) { return s == TABLE_SLOTSTATUS_UNKNOWN; });
}

namespace {
template <class T>
T At(const std::vector<T>& values, int32_t seat, T fallback) {
  return seat >= 0 && static_cast<size_t>(seat) < values.size() ? values[static_cast<size_t>(seat)] : fallback;
}
}  // namespace

int32_t CClientTableBase::GetSlotStatus(int32_t seat) const { return At(m_SlotStatus, seat, TABLE_SLOTSTATUS_UNKNOWN); }
int32_t CClientTableBase::GetThinkBubble(int32_t seat) const { return At(m_Think, seat, 0); }
CClientTableBase::TMoney CClientTableBase::GetSeatMoney(int32_t seat) const { return At(m_Money, seat, TMoney()); }
int32_t CClientTableBase::GetIconValue(int32_t seat) const { return At(m_IconValue, seat, 0); }
int32_t CClientTableBase::GetIconFlags(int32_t seat) const { return At(m_IconFlags, seat, 0); }
const char* CClientTableBase::GetSeatUserName(int32_t seat) const {
  return seat >= 0 && static_cast<size_t>(seat) < m_SeatNames.size() ? m_SeatNames[static_cast<size_t>(seat)].c_str()
                                                                        : "";
}

// ---- dialog helpers ----

int32_t CClientTableBase::DisableBtn(CDialog* dialog, int32_t id) {
  CControlBase* control = dialog ? dialog->GetCtrl(id) : nullptr;
  return control ? (control->SetState(XGUI_DISABLED), 1) : 0;
}

int32_t CClientTableBase::EnableBtn(CDialog* dialog, int32_t id) {
  CControlBase* control = dialog ? dialog->GetCtrl(id) : nullptr;
  return control ? (control->SetState(XGUI_RELEASED), 1) : 0;
}

int32_t CClientTableBase::HideBtn(CDialog* dialog, int32_t id) {
  CControlBase* control = dialog ? dialog->GetCtrl(id) : nullptr;
  if (!control) return 0;
  control->SetState(XGUI_HIDDEN);
  control->Invalidate();
  return 1;
}

int32_t CClientTableBase::SetTextBuffer(CDialog* dialog, int32_t id, const char* text) {
  char* buffer = dialog ? dialog->GetTextBuffer(id, 0) : nullptr;
  const int32_t size = dialog ? dialog->GetTextBufferSize(id) : 0;
  if (!buffer || size <= 0) return 0;
  snprintf(buffer, static_cast<size_t>(size), "%s", text ? text : "");
  return 1;
}

// ---- player protection ----

bool CClientTableBase::PlaysAgainstLimits() const { return m_RealMoney && !GetIsPlayingForPractice(); }

// The day's losses are the process's: play money must not use up the real-money limit.
void CClientTableBase::PlayerProtectionCommitBet() {
  if (PlaysAgainstLimits()) Protection().LossThisDay += m_StagedBet;
  m_StagedBet = TMoney();
}

void CClientTableBase::PlayerProtectionCommitWin() {
  if (PlaysAgainstLimits()) Protection().LossThisDay -= m_StagedWin;
  m_StagedWin = TMoney();
}

void CClientTableBase::ShowLimitBox(int32_t textId, const char* argument) {
  const char* caption = m_pCommonRes ? m_pCommonRes->GetResString(TABLESTR_LIMIT_TITLE, "") : "";
  const char* format = m_pCommonRes ? m_pCommonRes->GetResString(textId, "") : "";
  if (argument) {
    // The script's text takes one %s; anything else in it is shown as it stands.
    std::string text;
    for (const char* p = format; *p; ++p) {
      if (p[0] == '%' && p[1] == 's' && argument) {
        text += argument;
        argument = nullptr;
        ++p;
      } else if (p[0] == '%' && p[1] == '%') {
        text += '%';
        ++p;
      } else {
        text += *p;
      }
    }
    snprintf(m_LimitMessage, sizeof m_LimitMessage, "%s", text.c_str());
  } else {
    snprintf(m_LimitMessage, sizeof m_LimitMessage, "%s", format);
  }
  (g_MsgBox ? g_MsgBox : DefaultMsgBox)(caption, m_LimitMessage);
}

int32_t CClientTableBase::PlayerProtectionValidateBet(char*& message) {
  // Practice play never counts against the limits.
  if (!PlaysAgainstLimits()) return 1;
  const SProtection& p = Protection();
  const TMoney zero;
  struct SLimit {
    const TMoney& limit;
    TMoney losses;
  };
  const SLimit limits[] = {{p.LossPerDay, p.LossThisDay},
                           {p.LossPerWeek, p.LossThisWeek + p.LossThisDay},
                           {p.LossPerMonth, p.LossThisMonth + p.LossThisDay}};
  for (const SLimit& limit : limits) {
    if (!(limit.limit > zero)) continue;
    const TMoney before = limit.limit - limit.losses;
    if (!(before - m_StagedBet < zero)) continue;
    const TMoney shown = before < zero ? zero : before;
    char amount[64];
    TMoney::Print(shown, amount, -1, 2);
    ShowLimitBox(TABLESTR_LIMIT_LOSS, amount);
    message = m_LimitMessage;
    return 0;
  }
  return 1;
}

void CClientTableBase::PlayerProtectionUpdateSessionTime() {
  const uint32_t now = xGetTime();
  SProtection& p = Protection();
  if (p.MaxSessionTime >= 0 && m_RealMoney && !GetIsPlayingForPractice() && HaveSlot())
    p.SessionTime += xTimeDiff(m_LastSessionUpdate, now);
  m_LastSessionUpdate = now;
}

int32_t CClientTableBase::PlayerProtectionCheckSessionTime() {
  const SProtection& p = Protection();
  if (!m_SessionTimeOn || p.MaxSessionTime < 0 || !m_RealMoney) return 1;
  if (p.SessionTime < static_cast<uint32_t>(p.MaxSessionTime)) return 1;
  ShowLimitBox(TABLESTR_LIMIT_SESSION, nullptr);
  return 0;
}

int32_t CClientTableBase::PlayerProtectionCheckSelfExclusion() {
  if (!Protection().SelfExclusion || !m_RealMoney) return 1;
  ShowLimitBox(TABLESTR_LIMIT_EXCLUDED, nullptr);
  return 0;
}
