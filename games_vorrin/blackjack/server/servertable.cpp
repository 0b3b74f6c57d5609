#include "server/servertable.h"

#include "server/supersevenplayer.h"

#include <new>

#include "common/cards/deck.h"
#include "common/tables/createtable.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

CBlackJackServerTable::CBlackJackServerTable() = default;

CBlackJackServerTable::~CBlackJackServerTable() {
  for (CBlackJackServerPlayer*& record : m_pPlayers) {
    delete record;
    record = nullptr;
  }
  delete m_pShoe;
}

const char* CBlackJackServerTable::GetGameName() {
  switch (GetGameId()) {
    case KAVO_GAMEID_REGULAR: return KAVO_GAME_REGULAR;
    case KAVO_GAMEID_SUPERSEVEN: return KAVO_GAME_SUPERSEVEN;
    case KAVO_GAMEID_ONEDECK: return KAVO_GAME_ONEDECK;
    // Nodes are named before the game's set-up refuses the id.
    default: return "";
  }
}

CBlackJackServerPlayer* CBlackJackServerTable::GetPlayer(int32_t seat) const {
  return seat >= 0 && seat <= KAVO_DEALER ? m_pPlayers[seat] : nullptr;
}

CBlackJackServerPlayer* CBlackJackServerTable::NewPlayerRecord() {
  if (GetGameId() == KAVO_GAMEID_SUPERSEVEN) return new (std::nothrow) CSuperSevenServerPlayer;
  return new (std::nothrow) CBlackJackServerPlayer;
}

// ---- settings ----

void CBlackJackServerTable::SetBetLimits(const int32_t (&limits)[KAVO_BETLIMITS]) {
  for (int32_t i = 0; i < KAVO_BETLIMITS; ++i) m_BetLimits[i] = limits[i];
}

void CBlackJackServerTable::SetTimeLimits(const int32_t (&limits)[KAVO_TIMELIMITS]) {
  for (int32_t i = 0; i < KAVO_TIMELIMITS; ++i) m_TimeLimits[i] = limits[i];
}

void CBlackJackServerTable::SetValidDoubleSums(int32_t count, const uint32_t* sums) {
  m_ValidDoubleSums.clear();
  for (int32_t i = 0; sums && i < count; ++i) m_ValidDoubleSums.push_back(sums[i]);
}

int32_t CBlackJackServerTable::GetBetLimit(int32_t index) const {
  return index >= 0 && index < KAVO_BETLIMITS ? m_BetLimits[index] : 0;
}

int32_t CBlackJackServerTable::GetTimeLimit(int32_t index) const {
  return index >= 0 && index < KAVO_TIMELIMITS ? m_TimeLimits[index] : 0;
}

void CBlackJackServerTable::SetShoe(CDeck* shoe) {
  if (shoe == m_pShoe) return;
  delete m_pShoe;
  m_pShoe = shoe;
}

// ---- game init and exit ----

int32_t CBlackJackServerTable::InitServerGame() {
  if (!*GetGameName()) {
    xprintf("CBlackJackServerTable::InitServerGame: unknown game id %d", GetGameId());
    return 0;
  }
  for (int32_t seat = 0; seat <= KAVO_DEALER; ++seat) {
    delete m_pPlayers[seat];
    m_pPlayers[seat] = NewPlayerRecord();
    if (!m_pPlayers[seat]) return 0;
    m_pPlayers[seat]->Attach(this, seat);
  }
  if (CServerCreateTable* creator = GetTableCreator()) creator->SetParseFunction(this, ParseTableRecord);
  if (!m_pShoe) {
    m_pShoe = new (std::nothrow) CDeck;
    if (!m_pShoe || !m_pShoe->Init(KAVO_SHOE_DECKS, KAVO_CARDS_PER_DECK)) return 0;
  }
  return 1;
}

int32_t CBlackJackServerTable::ExitServerGame() {
  for (CBlackJackServerPlayer*& record : m_pPlayers) {
    if (record) record->Reset();
    delete record;
    record = nullptr;
  }
  if (m_pShoe) m_pShoe->Exit();
  delete m_pShoe;
  m_pShoe = nullptr;
  m_ValidDoubleSums.clear();
  return 1;
}

int32_t CBlackJackServerTable::ParseTableRecord(void* context, c2stovaTable* record) {
  if (!context || !record) return 0;
  return static_cast<CBlackJackServerTable*>(context)->ParseRecord(*record);
}

int32_t CBlackJackServerTable::ParseRecord(const c2stovaTable& record) {
  const int32_t* longs = record.Longs();
  const int32_t limitLevel = longs[6], timeLevel = longs[7];
  if (limitLevel < 1 || limitLevel > KAVO_BETLIMITS / 2 || timeLevel < 1 || timeLevel > KAVO_TIMELIMITS) {
    xprintf("CBlackJackServerTable::ParseRecord: limit level %d or time level %d out of range", limitLevel,
            timeLevel);
    return 0;
  }
  if (GetGameId() == KAVO_GAMEID_ONEDECK && longs[3] != 2 && longs[3] != 4) return 0;
  SetTableOwner(longs[1]);
  m_DecisionTime = m_TimeLimits[timeLevel - 1];
  m_MinTable = TMoney(m_BetLimits[2 * limitLevel - 2]);
  m_MaxTable = TMoney(m_BetLimits[2 * limitLevel - 1]);
  m_LimitLevel = limitLevel - 1;
  if (GetGameId() == KAVO_GAMEID_ONEDECK) {
    if (!m_pShoe || !m_pShoe->Init(1, KAVO_CARDS_PER_DECK)) return 0;
    m_OneDeck = 1;
  }
  return 1;
}

// ---- seats ----

int32_t CBlackJackServerTable::CreateGamePlayer(int32_t seat, int32_t) {
  if (CBlackJackServerPlayer* record = GetPlayer(seat)) record->Reset();
  return 1;
}

int32_t CBlackJackServerTable::DeleteGamePlayer(int32_t seat) {
  if (CBlackJackServerPlayer* record = GetPlayer(seat)) record->Reset();
  return 1;
}

int32_t CBlackJackServerTable::SlotChanged(int32_t seat) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection || !connection->IsHeld()) return 1;
  if (CBlackJackServerPlayer* record = GetPlayer(seat)) record->Reset();
  connection->m_Joined = 1;
  SetThinking(seat);
  return 1;
}

int32_t CBlackJackServerTable::NewRoundStarted() {
  m_PeekDone = 0;
  m_InsuranceDone = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) SlotChanged(seat);
  if (CBlackJackServerPlayer* dealer = GetDealer()) dealer->Reset();
  return 1;
}

int32_t CBlackJackServerTable::IsBetInSlot(int32_t seat) {
  const CBlackJackServerPlayer* record = seat < KAVO_NUM_SEATS ? GetPlayer(seat) : nullptr;
  return record && record->GetBet() > 0;
}

int32_t CBlackJackServerTable::IsBettingSeat(int32_t seat) {
  const CPlayerConnection* connection = seat < KAVO_NUM_SEATS ? GetPlayerConnection(seat) : nullptr;
  return connection && connection->IsHeld() && connection->m_Joined && HasPlayerBet(seat);
}

int32_t CBlackJackServerTable::OccupiedSeats() const {
  int32_t occupied = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    if (connection && connection->IsHeld()) ++occupied;
  }
  return occupied;
}

// ---- the round ----

int32_t CBlackJackServerTable::StartPlay() {
  m_RoundState = KAVO_RS_DEAL;
  CCommNode* node = GetTableNode();
  if (!node->SendInit()) return 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    if (connection && connection->IsHeld() && !GetPlayer(seat)->SendTableInfo(0, 1)) return 0;
  }
  return node->SendKCBLPacket();
}

// ---- money ----

int32_t CBlackJackServerTable::GetPendingCash(TMoney& amount, int32_t playerId) {
  amount = TMoney();
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    if (connection && connection->m_PlayerId == playerId && GetPlayer(seat)) amount += GetPlayer(seat)->GetTotalStake();
  }
  return 1;
}

int32_t CBlackJackServerTable::IsPlayerInGame(int32_t playerId) {
  if (m_RoundState == KAVO_RS_ENDOFROUND) return 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    CBlackJackServerPlayer* record = GetPlayer(seat);
    if (!connection || !record || connection->m_PlayerId != playerId || record->IsAllBust()) continue;
    if (record->GetTotalStake() > 0) return 1;
  }
  return 0;
}

int32_t CBlackJackServerTable::AddGameSpecData() {
  CCommNode* node = GetPlayerNode();
  const uint32_t count = static_cast<uint32_t>(m_ValidDoubleSums.size());
  if (!node->NewItem(KAVO_ITEM_MINTABLE, KMONEY, &m_MinTable, KEND) ||
      !node->NewItem(KAVO_ITEM_MAXTABLE, KMONEY, &m_MaxTable, KEND) ||
      !node->NewItem(KAVO_ITEM_BETSIGN, KLONG, m_LimitLevel, KEND) ||
      !node->NewItem(KAVO_ITEM_VALIDDOUBLESUMSCOUNT, KULONG, count, KEND))
    return 0;
  if (count == 0) return 1;
  return node->NewItem(KAVO_ITEM_VALIDDOUBLESUMS, KULONGARRAY, static_cast<int32_t>(count), m_ValidDoubleSums.data(),
                       KEND);
}
