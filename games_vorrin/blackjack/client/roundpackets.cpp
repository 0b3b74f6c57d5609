// The readers of the round's records the server table sends: cards, doubles, splits, busts,
// turns, wins and the seats' bets. A remote server's records are hostile: every seat, hand,
// card and amount is checked against the table before anything is indexed with it, and a record
// that does not fit the seat's state is a read failure that ends the table cleanly.
#include <algorithm>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "fennic/pocket.h"
#include "ostrelcomm/commnode.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

// A settlement packet holds at most two chunks per seat; more is not a blackjack record.
constexpr int32_t kMaxChunks = 2 * KAVO_NUM_SEATS;
constexpr int32_t kNoMoneyText = 10207;
constexpr int32_t kBetSample = 10;

bool TopLong(CKCBL& record, const char* keyword, int32_t& value) {
  record.MainChunk();
  record.FirstItem();
  return record.GetItem(keyword, KLONG, &value, KEND) != 0;
}

bool HasTop(CKCBL& record, const char* keyword) {
  record.MainChunk();
  record.FirstItem();
  return record.FindItem(keyword) != 0;
}

// An item of the entered chunk.
bool ChunkLong(CKCBL& record, const char* keyword, int32_t& value) {
  return record.FirstItem() && record.GetItem(keyword, KLONG, &value, KEND);
}

bool ChunkMoney(CKCBL& record, const char* keyword, TMoney& value) {
  TMoney read;
  if (!record.FirstItem() || !record.GetItem(keyword, KMONEY, &read, KEND)) return false;
  if (read.GetError() || read.IsNegative()) return false;
  value = read;
  return true;
}

bool RecordIsBlank(CKCBL& record) {
  record.MainChunk();
  for (int32_t more = record.FirstItem(); more; more = record.NextItem(0)) {
    const char* keyword = record.GetKeyword();
    if (record.ItemType() != 1 || (keyword && *keyword) || record.GetNumStrings() > 0) return false;
  }
  return true;
}

bool IsHandNumber(int32_t hand) { return hand >= KAVO_HAND_UNSPLIT && hand <= KAVO_HAND_2; }

// Frees the table node's received record when the reader is done with it.
class CRecordHold {
 public:
  explicit CRecordHold(CCommNode* node) : m_pNode(node) {}
  ~CRecordHold() {
    if (m_pNode) m_pNode->RecvKCBLFree();
  }
  CRecordHold(const CRecordHold&) = delete;
  CRecordHold& operator=(const CRecordHold&) = delete;

 private:
  CCommNode* m_pNode;
};

template <class Read>
int32_t ReadOne(CCommNode* node, int32_t& received, Read read) {
  CRecordHold hold(node);
  if (read()) return 1;
  received = 0;
  return 0;
}
}  // namespace

// ---- the record and its chunks ----

int32_t CBlackJackClientTable::TakeRecord(int32_t& received) {
  received = 0;
  CCommNode* node = GetTableNode();
  if (!node) return 0;
  if (!node->IsDataAvailable()) return 1;
  if (!node->RecvKCBLPacket()) return 0;
  received = 1;
  return 1;
}

int32_t CBlackJackClientTable::EnterSeatChunk(const char* name, int32_t& seat, int32_t& playerId) {
  seat = -1;
  if (!CTableBase::RecvEnterPlayerData(GetTableNode(), seat, playerId, name) || seat == -1) return 0;
  if (seat < 0 || seat >= KAVO_NUM_SEATS || !GetPlayerRecord(seat)) {
    seat = -1;
    return 0;
  }
  return 1;
}

int32_t CBlackJackClientTable::FitsHand(int32_t seat, int32_t hand) const {
  const CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || !IsHandNumber(hand)) return 0;
  return (hand == KAVO_HAND_UNSPLIT) == (record->IsSplit() == 0);
}

int32_t CBlackJackClientTable::PocketHasRoom(int32_t pocket) {
  const CPocket* p = m_CardTable.GetPocket(pocket);
  if (!p) return 0;
  int32_t most = std::min(FENNIC_POCKET_CARDS, KAVO_MAX_CARDS);
  if (GetMaxCardsInPocket() > 0) most = std::min(most, GetMaxCardsInPocket());
  return p->GetNumCards() < most;
}

namespace {
// The seat holds cards in any of its pockets: it is in the round.
bool SeatInPlay(CBlackJackClientTable& table, const CBlackJackPlayerData& record) {
  for (int32_t p : {record.GetSeat(), record.GetPocketHand1(), record.GetPocketHand2()})
    if (const CPocket* pocket = table.GetCardTable().GetPocket(p); pocket && pocket->GetNumCards() > 0) return true;
  return false;
}
}  // namespace

// ---- cards, doubles, splits, busts, turns ----

int32_t CBlackJackClientTable::ReadCard(int32_t& card, int32_t& seat, int32_t& hand) {
  CKCBL& record = GetTableNode()->m_RecvKCBL;
  int32_t code = -1;
  if (TopLong(record, KAVO_MSG_DEALERCARD, code)) {
    if (!KavoIsCard(code) || !GetPlayerRecord(KAVO_DEALER) || !PocketHasRoom(KAVO_DEALER)) return 0;
    card = code;
    seat = KAVO_DEALER;
    hand = KAVO_HAND_UNSPLIT;
    return 1;
  }
  if (HasTop(record, KAVO_MSG_DEALERCARD)) return 0;  // there, but not a number
  record.MainChunk();
  record.FirstItem();
  int32_t at = -1, playerId = 0, split = -1;
  if (!EnterSeatChunk(KAVO_MSG_CARD, at, playerId)) return 0;
  if (!ChunkLong(record, KAVO_ITEM_CARD, code) || !ChunkLong(record, KAVO_ITEM_SPLIT, split)) return 0;
  if (!KavoIsCard(code) || !FitsHand(at, split)) return 0;
  const CBlackJackPlayerData* player = GetPlayerRecord(at);
  const int32_t pocket = split == KAVO_HAND_1   ? player->GetPocketHand1()
                         : split == KAVO_HAND_2 ? player->GetPocketHand2()
                                                : at;
  if (!PocketHasRoom(pocket)) return 0;
  card = code;
  seat = at;
  hand = split;
  return 1;
}

int32_t CBlackJackClientTable::RecvCard(int32_t& card, int32_t& seat, int32_t& hand, int32_t& received) {
  if (!TakeRecord(received)) return 0;
  if (!received) return 1;
  return ReadOne(GetTableNode(), received, [&] { return ReadCard(card, seat, hand); });
}

int32_t CBlackJackClientTable::ReadSeatOnly(int32_t kind, int32_t& seat) {
  const char* name = kind == KAVO_GS_DOUBLE ? KAVO_MSG_DOUBLE : kind == KAVO_GS_SPLIT ? KAVO_MSG_SPLIT : KAVO_MSG_BUST;
  CKCBL& record = GetTableNode()->m_RecvKCBL;
  record.MainChunk();
  record.FirstItem();
  int32_t at = -1, playerId = 0;
  if (!EnterSeatChunk(name, at, playerId)) return 0;
  CBlackJackPlayerData& player = *GetPlayerRecord(at);
  if (kind == KAVO_GS_DOUBLE && player.GetNumCards() != 2) return 0;
  if (kind == KAVO_GS_SPLIT) {
    const CPocket* pocket = m_CardTable.GetPocket(at);
    if (player.IsSplit() || !pocket || pocket->GetNumCards() != 2) return 0;
  }
  if (kind == KAVO_GS_BUST && (!SeatInPlay(*this, player) || !player.ReadBust(GetTableNode()))) return 0;
  seat = at;
  return 1;
}

int32_t CBlackJackClientTable::RecvDouble(int32_t& seat, int32_t& received) {
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadSeatOnly(KAVO_GS_DOUBLE, seat); });
}

int32_t CBlackJackClientTable::RecvSplit(int32_t& seat, int32_t& received) {
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadSeatOnly(KAVO_GS_SPLIT, seat); });
}

int32_t CBlackJackClientTable::RecvBust(int32_t& seat, int32_t& received) {
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadSeatOnly(KAVO_GS_BUST, seat); });
}

int32_t CBlackJackClientTable::ReadTurn(int32_t& seat, int32_t& hand) {
  CKCBL& record = GetTableNode()->m_RecvKCBL;
  int32_t value = 0;
  if (TopLong(record, KAVO_MSG_DEALERTURN, value)) {
    seat = KAVO_DEALER;
    hand = KAVO_HAND_UNSPLIT;
    return 1;
  }
  if (HasTop(record, KAVO_MSG_DEALERTURN)) return 0;
  record.MainChunk();
  record.FirstItem();
  int32_t at = -1, playerId = 0, split = -1;
  if (!EnterSeatChunk(KAVO_MSG_TURN, at, playerId) || !ChunkLong(record, KAVO_ITEM_SPLIT, split) ||
      !FitsHand(at, split))
    return 0;
  seat = at;
  hand = split;
  return 1;
}

int32_t CBlackJackClientTable::RecvTurn(int32_t& seat, int32_t& hand, int32_t& received) {
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadTurn(seat, hand); });
}

// ---- wins ----

CBlackJackClientTable::TMoney CBlackJackClientTable::ChunkGross(CBlackJackPlayerData& record, int32_t hand) const {
  const TMoney win = record.GetWin(hand);
  // The chunk's "Bet" was just stored as the reported bet; on the side-bet table the chunk that
  // settles the side bet (never hand 2's) carries its one-unit stake in it.
  TMoney stake = record.GetReportedBet(KAVO_HAND_1);
  TMoney gross;
  auto* side = dynamic_cast<CSuperSevenPlayerData*>(&record);
  if (side && hand != KAVO_HAND_2 &&
      (side->GetSSWin() > TMoney() || side->GetSideBet() || side->GetPreviousSideBet())) {
    stake = stake - CSuperSevenPlayerData::Unit();
    if (stake.IsNegative()) stake = TMoney();
    if (side->GetSSWin() > TMoney()) gross = side->GetSSWin() + CSuperSevenPlayerData::Unit();
  }
  if (win > TMoney())
    gross = gross + stake + win;
  else if (record.GetWinCondition(hand) == KAVO_WIN_PUSH)
    gross = gross + stake;
  return gross;
}

int32_t CBlackJackClientTable::ReadWinChunk(int32_t seat, int32_t playerId, int32_t protection) {
  CCommNode* node = GetTableNode();
  CKCBL& items = node->m_RecvKCBL;
  CBlackJackPlayerData& record = *GetPlayerRecord(seat);
  int32_t split = -1;
  if (!ChunkLong(items, KAVO_ITEM_SPLIT, split) || !FitsHand(seat, split)) return 0;
  const bool own = playerId == GetPlayerId();
  if (!protection) {
    // The triple-seven bonus, or a hand's win: into the record and the seat's cash.
    TMoney win;
    if (!ChunkMoney(items, KAVO_ITEM_WINAMOUNT, win)) return 0;
    record.SetWin(split, win);
    if (static_cast<size_t>(seat) < m_Money.size()) m_Money[static_cast<size_t>(seat)] += win;
    if (own && win > TMoney()) {
      PlayerProtectionSetWin(win);
      PlayerProtectionCommitWin();
    }
    return 1;
  }
  int32_t hand = 0;
  if (!record.ReadWin(node, hand)) return 0;
  if (own) {
    const TMoney gross = ChunkGross(record, hand);
    if (gross > TMoney()) {
      PlayerProtectionSetWin(gross);
      PlayerProtectionCommitWin();
    }
  }
  return 1;
}

int32_t CBlackJackClientTable::ReadSeatChunks(const char* name,
                                              const std::function<int32_t(int32_t, int32_t)>& read) {
  CCommNode* node = GetTableNode();
  node->m_RecvKCBL.MainChunk();
  node->m_RecvKCBL.FirstItem();
  int32_t chunks = 0;
  for (;;) {
    int32_t seat = -1, playerId = 0;
    if (!CTableBase::RecvEnterPlayerData(node, seat, playerId, name)) return 0;
    if (seat == -1) break;
    if (++chunks > kMaxChunks || seat < 0 || seat >= KAVO_NUM_SEATS || !GetPlayerRecord(seat)) return 0;
    if (!read(seat, playerId) || !CTableBase::RecvExitPlayerData(node)) return 0;
  }
  // A record without one chunk of its kind is not the record the reader waits for.
  return chunks > 0;
}

int32_t CBlackJackClientTable::ReadWins(int32_t protection) {
  return ReadSeatChunks(KAVO_MSG_PLAYERWIN,
                        [&](int32_t seat, int32_t playerId) { return ReadWinChunk(seat, playerId, protection); });
}

int32_t CBlackJackClientTable::RecvPlayerWin(int32_t& received) {
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadWins(0); });
}

int32_t CBlackJackClientTable::RecvPlayerWinProtection(int32_t& received) {
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadWins(1); });
}

// ---- the seats' bets ----

void CBlackJackClientTable::TakeBackRefusedBet(int32_t seat, const TMoney& stakeBefore) {
  CBlackJackPlayerData& record = *GetPlayerRecord(seat);
  const TMoney back = stakeBefore - record.GetTotalStake(0);
  if (back > TMoney()) {
    PlayerProtectionSetWin(back);
    PlayerProtectionCommitWin();
  }
  record.SetBetPlaced(0);
  UpdateChipStacks(-1, 0);
  UpdateBetTexts();
  if (CPanel* panel = GetPanel()) panel->ShowTotalBet(GetClientPlayerTotalBet());
  // The reason as the limits see it; the funds when they pass.
  const char* reason = nullptr;
  if (m_BetLimitCheck.Check(stakeBefore, GetSeatMoney(seat), m_MinTable, m_MaxTable, 0, reason) || !reason)
    reason = MainString(kNoMoneyText);
  SayDealer(reason ? reason : "");
}

int32_t CBlackJackClientTable::ReadTableInfoChunk(int32_t seat, int32_t playerId) {
  CCommNode* node = GetTableNode();
  int32_t success = 0;
  if (!ChunkLong(node->m_RecvKCBL, KAVO_ITEM_SUCCESSFLAG, success)) return 0;
  CBlackJackPlayerData& record = *GetPlayerRecord(seat);
  const bool own = playerId == GetPlayerId();
  if (own && !success) {
    const TMoney before = record.GetTotalStake(0);
    int32_t changed = 0;
    if (!record.ReadTableInfo(node, changed)) return 0;
    TakeBackRefusedBet(seat, before);
    return 1;
  }
  // The own accepted bets are the player's own doing, except when a reconnect replays them.
  if (own && !(IsReconnecting() && IsRemoteTable())) return 1;
  int32_t changed = 0;
  if (!record.ReadTableInfo(node, changed)) return 0;
  if (changed) {
    UpdateChipStacks(-1, 0);
    UpdateBetTexts();
    PlaySample(kBetSample);
  }
  return 1;
}

int32_t CBlackJackClientTable::ReadTableInfos() {
  // The round-start record holds a section for every occupied seat: none when every player left
  // before the round began. It then holds nothing (an empty text reads back as one blank item);
  // a record with other items is not ours.
  if (RecordIsBlank(GetTableNode()->m_RecvKCBL)) return 1;
  return ReadSeatChunks(KAVO_MSG_TABLEINFO,
                        [&](int32_t seat, int32_t playerId) { return ReadTableInfoChunk(seat, playerId); });
}

// One record a call: the records behind it are not yet sorted from the framework's.
int32_t CBlackJackClientTable::RecvPlayerTableInfo() {
  int32_t received = 0;
  if (!TakeRecord(received)) return 0;
  return !received || ReadOne(GetTableNode(), received, [&] { return ReadTableInfos(); });
}
