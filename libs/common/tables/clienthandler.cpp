// The client table's frame: the time difference and reconnect, the seat requests, the practice
// money, the round machine and leaving.
#include <new>

#include "common/chat/chatclient.h"
#include "common/playerhistory/playerhistorydll.h"
#include "common/tables/clienttablebase.h"
#include "common/widgets/forfundlg.h"
#include "ostrel/base/xstring.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/timediff.h"

int32_t CClientTableBase::ClientHandler() {
  try {
    // 1. The program is asked to quit.
    if (glb && glb->m_UserWantsToQuit) {
      if (m_Joined) ExitGame();
      glb->m_UserWantsToQuit = 0;
    }
    // 2. Server messages wait for the end of a round when the player plays.
    if (!HaveSlot() || IsNotRoundBased()) CheckServerMsg();
    if (m_WantDestroyServerMsg) DestroyServerMsg();
    // 3. The maximum-round and deposit dialogs.
    HandleMsgResult();
    // 4. The table is gone.
    if (!m_pTableNode) {
      delete m_pPlayerHistory;
      m_pPlayerHistory = nullptr;
      ExitTable();
      return 0;
    }
    // 5. State messages, chat.
    if (!m_Animation && !CheckChangeState()) return 0;
    if (m_pChat) {
      m_pChat->Ticker();
      if (char* line = m_pChat->GetNewLine()) NewChatMsg(line);
    }
    // 6. The other nodes and the way in and out.
    if (!CheckAllocationData() || !CheckAllocStatusData() || !CheckPlayerStatusData() || !InitExitHandler()) return 0;
    // 7. Practice money.
    if (!m_PracticeDone) {
      if (GetRestoreMode()) {
        m_PracticeDone = 1;
      } else if (!GetIsPlayingForPractice()) {
        if (GetTableType() != TABLE_TYPE_NEW) m_PracticeDone = 1;
      } else if (!HandlePlayForPracticeMoney()) {
        return 0;
      }
    }
    // 8. Seats, play history, session time.
    if (m_PlayerIdsReceived && !AllocRequestHandler()) return 0;
    if (m_pPlayerHistory && !m_pPlayerHistory->Handler()) {
      delete m_pPlayerHistory;
      m_pPlayerHistory = nullptr;
    }
    PlayerProtectionUpdateSessionTime();
    // 9. The round.
    const int32_t result = RoundMachine();
    // 10. Whatever the seat answers left unread.
    while (m_pSlotAllocNode && m_pSlotAllocNode->SnoopIsDataAvailable()) m_pSlotAllocNode->SnoopDeletePacket();
    return result;
  } catch (const char* text) {
    xprintf("CClientTableBase::ClientHandler: %s", text ? text : "");
    return 0;
  }
}

int32_t CClientTableBase::RoundMachine() {
  CCommNode* table = m_pTableNode;
  const bool runs = !m_Animation && (m_Joined || m_CreateMode) && m_TimeDiffDone && m_PracticeDone;
  if (!runs) return IdleHandler();
  // The server's state records may have moved the client past its first state before the round
  // could run: the table is shown once all the same.
  if (!m_RoundShown) {
    m_RoundShown = 1;
    m_CreateMode = 0;
    SetRoundActive(1);
  }
  switch (m_ClientState) {
    case TABLE_CLIENTSTATE_NONE:
      m_ClientState = TABLE_CLIENTSTATE_WAITING;
      return 1;
    case TABLE_CLIENTSTATE_WAITING: {
      if (m_BotMode) SetRoundActive(1);
      if (!table->IsDataAvailable()) return 1;
      if (!table->RecvKCBLPacket()) return 0;
      const int32_t started = StartRound(table->m_RecvKCBL);
      table->RecvKCBLFree();
      if (started <= 0) return 1;
      if (!PlayerProtectionCheckSessionTime() || !PlayerProtectionCheckSelfExclusion()) {
        if (HaveSlot()) ExitGame();
        return 1;
      }
      if (NextAutoplayRound() == 0 && (!CheckMaxRound() || !CheckServerMsg())) return 0;
      return 1;
    }
    case TABLE_CLIENTSTATE_BETTING: {
      if (!BettingHandler()) return 0;
      if (IsAllowedToBet() && !BetHandler()) return 0;
      const int32_t left = TimeLeft();
      if (left >= 0) ShowTimeLeft(left);
      if (left < 1 && !m_BetSent) {
        m_BetSent = 1;
        BetDone();
      }
      return 1;
    }
    case TABLE_CLIENTSTATE_PLAYING:
      return PlayHandler() ? 1 : 0;
    case TABLE_CLIENTSTATE_GAME:
      return GameStateHandler();
    default:
      return IdleHandler();
  }
}

int32_t CClientTableBase::StartRound(CKCBL& record) {
  record.MainChunk();
  record.FirstItem();
  char word[32] = {};
  if (!record.GetItem(TABLE_MSG_COMMAND, KSTRING, sizeof word - 1, word, KEND)) return 0;
  if (xStricmp(word, TABLE_COMMAND_NEWROUND) != 0) return 0;
  int32_t seconds = 0, serverTime = 0;
  record.MainChunk();
  record.FirstItem();
  if (!record.GetItem(TABLE_ITEM_TIMEOUT, KLONG, &seconds, KEND)) return -1;
  record.MainChunk();
  record.FirstItem();
  if (!record.GetItem(TABLE_ITEM_SERVERTIME, KLONG, &serverTime, KEND)) return -1;
  // Bet times beyond a day are nobody's; they would overflow the milliseconds.
  if (seconds < 0) seconds = 0;
  if (seconds > 24 * 60 * 60) seconds = 24 * 60 * 60;
  const int32_t length = seconds * 1000;
  const int32_t since = m_pTimeDiff ? m_pTimeDiff->GetTimeDiff(static_cast<uint32_t>(serverTime))
                                    : static_cast<int32_t>(xTimeDiff(static_cast<uint32_t>(serverTime), xGetTime()));
  int32_t left = length - since;
  if (left < 0) left = 0;
  if (left > length) left = length;
  SetTimeoutTime(left, length);
  SetRoundTimer(length, length - left);
  StartTimer();
  m_BetSent = 0;
  NewRoundStarted();
  return 1;
}

int32_t CClientTableBase::CheckMaxRound() {
  if (m_RealMoney) return 1;
  if (++m_MaxRoundCount > m_MaxRoundLimit) {
    m_MaxRoundCount = 0;
    ShowMaxRoundMsg();
  }
  return 1;
}

void CClientTableBase::HandleMsgResult() {
  if (m_MsgResult == CLIENTMSG_RESULT_OK) {
    m_MsgResult = CLIENTMSG_RESULT_NONE;
    if (!m_RealMoney) {
      m_WantRestart = 1;
      DestroyMaxRoundMsg();
    } else {
      m_WantCashier = 1;
      DestroyDepositMsg();
    }
    ExitGame();
  } else if (m_MsgResult == CLIENTMSG_RESULT_CANCEL) {
    m_MsgResult = CLIENTMSG_RESULT_NONE;
    DestroyMaxRoundMsg();
    DestroyDepositMsg();
    if (m_RealMoney) {
      // The deposit message does not come back.
      m_BalanceKnown = 0;
      m_RecordedBalance = TMoney(-1);
    }
  }
  if (m_RealMoney && m_BalanceKnown && m_RecordedBalance == 0 && GetTableType() != TABLE_TYPE_PRACTICE &&
      !m_pDepositDlg && m_ReadyTime != 0 && xTimeDiff(m_ReadyTime, xGetTime()) > static_cast<uint32_t>(m_DepositDelay))
    ShowDepositMsg();
}

// ---- way in and way out ----

int32_t CClientTableBase::StartTimeDiff() {
  auto* client = new (std::nothrow) CTimeDiffClient;
  if (!client || !NameTableNode(*client, TABLE_NODE_TIMEDIFF, static_cast<uint32_t>(m_PlayerId))) {
    delete client;
    return 0;
  }
  delete m_pTimeDiff;
  m_pTimeDiff = client;
  CCommNode* node = m_pSlotAllocNode;
  if (!(node->SendInit() && node->NewItem(TABLE_MSG_REQUESTTIMEDIFF, KEND) &&
        node->NewItem(TABLE_ITEM_ID, KLONG, m_PlayerId, KEND) && node->SendKCBLPacket()))
    return 0;
  m_TimeDiffRequested = 1;
  m_TimeDiffRequestTime = xGetTime();
  return 1;
}

int32_t CClientTableBase::StartReconnect() {
  m_Reconnecting = 1;
  DeleteReconnectNode();
  m_pReconnectNode = CreateTableNode(TABLE_NODE_TABLE, static_cast<uint32_t>(m_PlayerId));
  if (!m_pReconnectNode) return 0;
  m_pReconnectNode->SetPacketCallbackRecv(Dispatch);
  CCommNode* node = m_pSlotAllocNode;
  if (!(node->SendInit() && node->NewItem(TABLE_MSG_REQUESTRECONNECT, KEND) &&
        node->NewItem(TABLE_ITEM_ID, KLONG, m_PlayerId, KEND) && node->SendKCBLPacket()))
    return 0;
  m_ReconnectRequested = 1;
  return 1;
}

int32_t CClientTableBase::InitExitHandler() {
  switch (m_ExitStep) {
    case CLIENTEXIT_JOINING:
      if (m_Joined) return 1;
      if (!m_TimeDiffRequested) return StartTimeDiff();
      if (!m_TimeDiffAnswered) {
        if (xTimeDiff(m_TimeDiffRequestTime, xGetTime()) > static_cast<uint32_t>(CLIENTTABLE_TIMEDIFF_ANSWER_MS)) {
          xprintf("CClientTableBase::InitExitHandler: no time-difference answer within %d ms",
                  CLIENTTABLE_TIMEDIFF_ANSWER_MS);
          return 0;
        }
        return 1;
      }
      if (!m_TimeDiffDone) {
        if (!m_pTimeDiff || !m_pTimeDiff->Handler()) return 0;
        if (!m_pTimeDiff->IsClientDone()) return 1;
        m_TimeDiffDone = 1;
      }
      // A table being created has no game to reconnect to: its creator is in it.
      if (m_CreateMode) {
        m_Joined = 1;
        return 1;
      }
      if (!m_ReconnectRequested) return StartReconnect();
      return 1;
    case CLIENTEXIT_LEAVING:
      if (!m_ExitRoundInactive) {
        m_ExitRoundInactive = 1;
        SetRoundActive(0);
        return 1;
      }
      if (m_pLink && !m_pLink->IsFlushed()) return 1;
      m_ExitStep = GetIsPlayingForPractice() ? CLIENTEXIT_FORFUN : CLIENTEXIT_DONE;
      if (m_ExitStep == CLIENTEXIT_FORFUN) {
        delete m_pForFun;
        m_pForFun = nullptr;
        OpenForFun(TABLEDLG_FORFUN_ANSWER);
        // The dialog tells the balance the player leaves with, as the server has it after the
        // last round; a lost server leaves it empty and the dialog closes at its longest wait.
        AskPracticeMoney();
      }
      return 1;
    case CLIENTEXIT_FORFUN:
      if (m_pForFun && m_pForFun->IsWaiting()) return 1;
      delete m_pForFun;
      m_pForFun = nullptr;
      m_ExitStep = CLIENTEXIT_DONE;
      return 1;
    default:
      return 1;
  }
}

int32_t CClientTableBase::ExitGame() { return SendLeaveMsg(); }

int32_t CClientTableBase::SendLeaveMsg() {
  DestroyDepositMsg();
  delete m_pPlayerHistory;
  m_pPlayerHistory = nullptr;
  const int32_t sent = SendSlotRequest(TABLE_MSG_DEALLOCATESLOTREQ, TABLE_SLOT_LEAVE);
  m_Joined = 0;
  m_Leaving = 1;
  if (m_ExitStep == CLIENTEXIT_JOINING) m_ExitStep = CLIENTEXIT_LEAVING;
  return sent;
}

int32_t CClientTableBase::RestartToForReal() {
  m_WantRestart = 1;
  return ExitGame();
}

void CClientTableBase::ExitButtonPressed() {
  if (m_StartSlotPos == -1) ExitGame();
}

int32_t CClientTableBase::SendSlotRequest(const char* name, int32_t slot) {
  CCommNode* node = m_pSlotAllocNode;
  return node && node->SendInit() && SendEnterPrivatePlayerData(node, TABLE_CLIENT_CHUNK_SEAT, m_PlayerId, name) &&
         node->NewItem(TABLE_ITEM_SLOT, KLONG, slot, KEND) && SendExitPrivatePlayerData(node) &&
         node->SendKCBLPacket();
}

int32_t CClientTableBase::AllocRequestHandler() {
  if (!m_Joined || m_CreateMode) return 1;
  switch (m_AllocStep) {
    case 0:
      if (AllocStatusDataAvailable()) m_AllocStep = 1;
      return 1;
    case 1:
      if (SeatRequestDone() == 0) {
        if (!ChooseSeat()) return 0;
        m_AllocStep = 2;
      }
      if (m_WantReserveSeat) {
        UpdateSeats();
        m_AllocStep = 4;
      }
      return 1;
    case 2:
      if (m_WantAllocSeat) {
        UpdateSeats();
        m_AllocStep = 3;
      } else if (SeatRequestDone()) {
        UpdateSeats();
        m_AllocStep = 6;
      }
      return 1;
    case 3:
    case 4: {
      int32_t& wish = m_AllocStep == 3 ? m_WantAllocSeat : m_WantReserveSeat;
      const char* name = m_AllocStep == 3 ? TABLE_MSG_ALLOCATESLOT : TABLE_MSG_RESERVESLOT;
      const int32_t slot = wish - 1;
      wish = 0;
      if (!SendSlotRequest(name, slot)) return 0;
      m_AllocStep = 5;
      return 1;
    }
    case 5:
      if (m_OwnAllocAnswer == TABLE_ANSWER_GRANTED || m_OwnAllocAnswer == TABLE_ANSWER_OWN_REFUSED) {
        m_AllocStep = SeatRequestDone() ? 6 : 1;
        m_OwnAllocAnswer = 0;
      }
      return 1;
    case 6:
      if (AllocStatusDataAvailable()) m_AllocStep = 0;
      return 1;
    default:
      m_AllocStep = 0;
      return 1;
  }
}

// ---- practice money ----

namespace {
bool HasWindow(CResData* res, int32_t id) {
  const char* name = res ? res->GetResName(id) : nullptr;
  if (!name) return false;
  const int32_t restart = res->RestartMode(1);
  res->MainChunk();
  const bool found = res->FindItem("{", "Window", name) != 0;
  res->RestartMode(restart);
  res->MainChunk();
  return found;
}
}  // namespace

void CClientTableBase::OpenForFun(int32_t section) {
  static char kNoWindow[] = "Could not find for fun resource window";
  static char kNoDialog[] = "Could not create CForFunDlg";
  if (!HasWindow(m_pCommonRes, section)) throw kNoWindow;
  if (!m_pForFun) m_pForFun = new (std::nothrow) CForFunDlg(m_pCommonRes);
  if (!m_pForFun) throw kNoDialog;
  try {
    m_pForFun->CreateGui(section, 0);
  } catch (char*) {
    delete m_pForFun;
    m_pForFun = nullptr;
    throw kNoDialog;
  }
}

int32_t CClientTableBase::AskPracticeMoney() {
  CCommNode* node = m_pPlayerNode;
  return node && node->SendInit() &&
         SendEnterPrivatePlayerData(node, TABLE_CLIENT_CHUNK_SEAT, m_PlayerId, TABLE_CHUNK_GETFORPRACTICEMONEY) &&
         SendExitPrivatePlayerData(node) && node->SendKCBLPacket();
}

int32_t CClientTableBase::HandlePlayForPracticeMoney() {
  static char kNotCreated[] = "CForFunDlg was not created";
  static char kNotValid[] = "Forfundialog not valid";
  switch (m_PracticeStep) {
    case 0:
      OpenForFun(TABLEDLG_FORFUN_REQUEST);
      if (!AskPracticeMoney()) return 0;
      m_PracticeStep = 1;
      return 1;
    case 1:
      if (!m_pForFun) throw kNotCreated;
      if (m_PracticeAmountKnown) m_PracticeStep = 2;
      return 1;
    case 2: {
      if (!m_pForFun) throw kNotCreated;
      if (m_pForFun->GetID() != TABLEDLG_FORFUN_REQUEST) throw kNotValid;
      if (m_pForFun->IsWaiting()) return 1;
      TMoney amount;
      m_pForFun->GetMoney(amount);
      CCommNode* node = m_pPlayerNode;
      if (!(node->SendInit() &&
            SendEnterPrivatePlayerData(node, TABLE_CLIENT_CHUNK_SEAT, m_PlayerId, TABLE_CHUNK_SETFORPRACTICEMONEY) &&
            node->NewItem(TABLE_ITEM_PRACTICEMONEY, KMONEY, &amount, KEND) && SendExitPrivatePlayerData(node) &&
            node->SendKCBLPacket()))
        return 0;
      m_pForFun->Destroy();
      OpenForFun(TABLEDLG_FORFUN_CHOSEN);
      m_pForFun->SetMoney(amount);
      HideBtn(m_pForFun, FORFUN_PROGRESS);
      m_PracticeStep = 3;
      return 1;
    }
    default:
      if (m_pForFun && m_pForFun->IsWaiting()) return 1;
      delete m_pForFun;
      m_pForFun = nullptr;
      m_PracticeDone = 1;
      return 1;
  }
}
