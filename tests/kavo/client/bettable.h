// A blackjack client table for the betting tests without the table's set-up: seats the test fills,
// seat money, records whose split, doubled and done flags the test sets, a player node whose
// received record the test writes, and the bets it would send recorded instead of sent.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/tables/playerconnection.h"
#include "common/tables/tableprotocol.h"
#include "common/widgets/panel.h"
#include "common/info/translate.h"
#include "ostrelcomm/commnode.h"

using TBetMoney = CBlackJackClientTable::TMoney;

// A record whose hand flags the test sets.
class CFlagRecord : public CBlackJackPlayerData {
 public:
  void SetSplit(int32_t on) { m_Split = on; }
  void SetDoubled(int32_t hand1, int32_t hand2) {
    m_Doubled1 = hand1;
    m_Doubled2 = hand2;
  }
  void SetDone(int32_t unsplit, int32_t hand1, int32_t hand2) {
    m_DoneUnsplit = unsplit;
    m_DoneHand1 = hand1;
    m_DoneHand2 = hand2;
  }
  void SetInsuredFlag(int32_t on) { m_Insured = on; }
  void SetWinAmount(int32_t hand, const TMoney& amount) { SetWin(hand, amount); }
};

struct SSentBet {
  int32_t Seat, Final;
  TBetMoney Bet;
  bool operator==(const SSentBet& o) const { return Seat == o.Seat && Final == o.Final && Bet == o.Bet; }
};
inline std::ostream& operator<<(std::ostream& o, const SSentBet& b) {
  return o << "{seat " << b.Seat << ", final " << b.Final << ", bet " << static_cast<const char*>(b.Bet.GetString(-1, 2)) << "}";
}

class CBetTable : public CBlackJackClientTable {
 public:
  static constexpr int32_t kMe = 7;

  CBetTable() {
    m_NumSeats = KAVO_NUM_SEATS;
    m_ppPlayerConnections = new CPlayerConnection*[KAVO_NUM_SEATS];
    for (int32_t i = 0; i < KAVO_NUM_SEATS; ++i) m_ppPlayerConnections[i] = new CPlayerConnection(i);
    m_Money.assign(KAVO_NUM_SEATS, TMoney());
    m_pPlayerNode = new CCommNode;
    m_ClientState = TABLE_CLIENTSTATE_BETTING;
    SetPlayerId(kMe);
    CreatePlayerRecords();
    m_BetLimitCheck.SetTexts("Minimum bet is ", " per seat", "Maximum bet is ", " per seat", "Not enough money");
  }
  void Sit(int32_t seat, int32_t playerId, const char* cash) {
    AllocateSlot(seat, playerId);
    m_Money[static_cast<size_t>(seat)] = TMoney(cash);
  }
  void Leave(int32_t seat) { DeallocateSlot(seat); }
  CFlagRecord& Rec(int32_t seat) { return *static_cast<CFlagRecord*>(GetPlayerRecord(seat)); }
  void SetLimits(const char* min, const char* max) {
    m_MinTable = TMoney(min);
    m_MaxTable = TMoney(max);
  }
  void SetTableId(uint32_t id) { m_TableId = id; }
  void SetRealMoney(int32_t on) { m_RealMoney = on; }
  void SetClientState(int32_t state) { m_ClientState = state; }
  void SetMaxHands(int32_t n) { m_MaxNumHands = n; }
  void SetView(int32_t view) { m_ViewIndex = view; }
  void SetOneDeck(int32_t on) { m_OneDeck = on; }
  void SetCash(int32_t seat, const char* cash) { m_Money[static_cast<size_t>(seat)] = TMoney(cash); }
  // A chip change behind player protection, as a click makes it.
  int32_t ChangeBetProtected(int32_t seat, int32_t amount) { return ProtectedChange(seat, amount); }
  // A click's bet on a free seat.
  void RequestSeat(int32_t seat, int32_t chip) { RequestSeatWithBet(seat, chip); }
  // The framework took the wish.
  void ClearWish() { m_WantAllocSeat = 0; }
  CCommNode& PlayerNode() { return *m_pPlayerNode; }
  // The received record of the player node with its "GameSpec" chunk entered.
  bool ReceiveGameSpec(const std::string& items) {
    CKCBL& record = m_pPlayerNode->m_RecvKCBL;
    record.Free();
    const std::string text = "{ = PrivatePlayerData, GameSpec, " + std::to_string(kMe) + ", 0\n" + items + "}\n";
    if (!record.Import(text.c_str(), -1)) return false;
    int32_t seat = -1, player = 0;
    return RecvEnterPrivatePlayerData(m_pPlayerNode, seat, player, TABLE_CHUNK_GAMESPEC) && seat == 0;
  }

  int32_t SendPlayerBet(int32_t seat, int32_t final) override {
    if (FailSends) return 0;
    Sent.push_back({seat, final, GetPlayerRecord(seat)->GetBet(1)});
    return 1;
  }
  int32_t SetCameraView(int32_t view) override {
    Views.push_back(view);
    return 1;
  }

  std::vector<SSentBet> Sent;
  std::vector<int32_t> Views;
  bool FailSends = false;

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new CFlagRecord; }
};

// The betting table on the main script's dialog 110 and the shipped panel.
class CPanelBetTable : public CBetTable {
 public:
  bool Build() {
    if (!m_MainScript.Load(KAVO_SCRIPT_MAIN)) return false;
    if (!m_MainDialog.Create(&m_MainScript, 110, nullptr, 0, this)) return false;
    m_pCurrency = std::make_unique<CTranslate>();
    m_pCurrency->SetCurrency(m_MainScript.GetResString(10800));
    auto* panel = new CPanel;
    m_pPanel = panel;
    return panel->Init(&m_MainScript, this, 4, nullptr, nullptr) == 1;
  }
  CDialog& MainDialog() { return m_MainDialog; }
  void SetCurrencyPattern(const char* pattern) { m_pCurrency->SetCurrency(pattern); }
};
