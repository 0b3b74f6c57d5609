// A small game's two halves in one process, for the client table's fuzz target and benchmark:
// five seats, a bet of one long per seat sent when the bet time runs out, a presentation that is
// done at once, then the next round.
#pragma once

#include "common/tables/clienttablebase.h"
#include "fuzzgame.h"
#include "ostrelcomm/commnode.h"

namespace dummyhalves {
constexpr uint32_t kTable = 5001;
constexpr int32_t kSeats = 5;
constexpr const char* kGame = "Dummy";
constexpr const char* kBet = "DummyBet";

// The server half: a bet of one long per seat, a presentation, the next round.
class CServerHalf : public CFuzzTableGame {
 public:
  const char* GetGameName() override { return kGame; }
  int32_t NewRoundStarted() override {
    m_Step = 0;
    return 1;
  }
  int32_t GameHandler() override {
    if (m_Step++ == 0) {
      SetTablePresentationStart();
      return 1;
    }
    return BeginNewRound();
  }
  int32_t HandleBetPacket() override {
    int32_t seat = -1, player = 0;
    CCommNode* node = GetTableNode();
    for (int guard = 0; guard < 64 && RecvEnterPrivatePlayerData(node, seat, player, kBet) && seat != -1; ++guard) {
      const CPlayerConnection* connection = GetPlayerConnection(seat);
      RecvExitPrivatePlayerData(node);
      if (connection && connection->m_PlayerId == player && connection->m_Joined) SetBetFlag(seat, 1);
    }
    return 1;
  }
  int32_t SlotChanged(int32_t seat) override {
    if (CPlayerConnection* c = GetPlayerConnection(seat); c && c->IsHeld()) c->m_Joined = 1;
    return 1;
  }
  int32_t AddGameSpecData() override { return GetPlayerNode()->NewItem("DummyLimit", KLONG, 500, KEND); }

 private:
  int32_t m_Step = 0;
};

// The client half: asks for its seat, bets when the bet time runs out, presents at once.
class CClientHalf : public CClientTableBase {
 public:
  int32_t GetNumSlots() override { return kSeats; }
  const char* GetGameName() override { return kGame; }
  int32_t CreateGamePlayer(int32_t, int32_t) override { return 1; }
  int32_t DeleteGamePlayer(int32_t) override { return 1; }
  int32_t NewRoundStarted() override {
    m_Presented = 0;
    return 1;
  }
  int32_t InitClientGame() override { return 1; }
  int32_t ExitClientGame() override { return 1; }
  int32_t SetRoundTimer(int32_t, int32_t) override { return 1; }
  int32_t PlayerDataReceived() override { return 1; }
  int32_t GameStateHandler() override { return 1; }
  int32_t IdleHandler() override { return 1; }
  int32_t PlayHandler() override {
    if (!m_Presented) m_Presented = SendPresentationDone() ? 1 : 0;
    return 1;
  }
  int32_t BetDone() override {
    const int32_t seat = GetIndex();
    CCommNode* node = GetTableNode();
    if (seat < 0 || !node) return 1;
    if (node->SendInit() && SendEnterPrivatePlayerData(node, seat, GetPlayerId(), kBet) &&
        node->NewItem("Bet", KLONG, 5, KEND) && SendExitPrivatePlayerData(node) && node->SendKCBLPacket())
      SetBetSent(1);
    return 1;
  }
  int32_t GameSpecReceived() override { return 1; }
  int32_t PlayerLeftSlot(int32_t, int32_t) override { return 1; }
  int32_t SlotAllocated(int32_t, int32_t, int32_t) override { return 1; }
  int32_t ReconnectFinished() override { return 1; }
  int32_t BetHandler() override { return 1; }
  int32_t BettingHandler() override { return 1; }
  int32_t ShowTimeLeft(int32_t) override { return 1; }
  int32_t SeatRequestDone() override { return HaveSlot() || m_Asked; }
  int32_t ChooseSeat() override {
    m_Asked = 1;
    return SetWantToAllocSlot(m_Seat + 1);
  }
  int32_t UpdateSeats() override { return 1; }
  int32_t SetRoundActive(int32_t) override { return 1; }
  void PlayClickSound() override {}

  int32_t m_Seat = 2;  // the seat it asks for

 private:
  int32_t m_Presented = 0;
  int32_t m_Asked = 0;
};

}  // namespace dummyhalves
