// The seat record's pictures: its pockets in the card scene and its chips on the table.
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "fennic/pocket.h"

#include <algorithm>

namespace {
// The bet spot in the middle of the unsplit row.
constexpr int32_t kUnsplitBetSpot = 4;
constexpr int32_t kInsuranceSpot = 0;
}  // namespace

int32_t CBlackJackPlayerData::DrawPocket(int32_t p) {
  if (!m_pTable || !Pocket(p)) return 0;
  return m_pTable->GetCardTable().DrawPocket(p, nullptr);
}

int32_t CBlackJackPlayerData::StampAtSpot(const TMoney& amount, int32_t spot) {
  int32_t x = 0, y = 0;
  CChipStack* stack = m_pTable ? m_pTable->GetChipStack() : nullptr;
  if (!stack || !m_pTable->GetChipSpot(m_Seat, spot, x, y)) return 0;
  return stack->Stamp(amount, x, y);
}

int32_t CBlackJackPlayerData::StampAtInsuranceSpot(const TMoney& amount, int32_t spot) {
  int32_t x = 0, y = 0;
  CChipStack* stack = m_pTable ? m_pTable->GetChipStack() : nullptr;
  if (!stack || !m_pTable->GetInsuranceSpot(m_Seat, spot, x, y)) return 0;
  return stack->Stamp(amount, x, y);
}

int32_t CBlackJackPlayerData::DrawInsuranceChips() {
  if (!m_Insured || m_IsDealer) return 0;
  const TMoney half = m_Bet * TMoney("0.5");
  StampAtSpot(m_Bet, kUnsplitBetSpot);
  return StampAtInsuranceSpot(half, kInsuranceSpot);
}

int32_t CBlackJackPlayerData::DrawHand() {
  int32_t drawn = 0;
  if (m_Split) {
    drawn |= DrawPocket(m_PocketHand1);
    drawn |= DrawPocket(m_PocketHand2);
  } else {
    drawn |= DrawPocket(m_Seat);
  }
  if (m_IsDealer) return drawn;
  DrawInsuranceChips();
  if (m_Won) StampAtSpot(m_WinAmount1, kUnsplitBetSpot);
  return drawn;
}

int32_t CBlackJackPlayerData::DrawCurrentHand() {
  const int32_t drawn = DrawPocket(GetCurrentPocket());
  if (m_Insured && !m_IsDealer) StampAtInsuranceSpot(m_Bet * TMoney("0.5"), kInsuranceSpot);
  return drawn;
}

int32_t CBlackJackPlayerData::ShowCard(int32_t code) {
  CPocket* pocket = Pocket(m_Seat);
  if (!pocket || !KavoIsCard(code)) return 0;
  const int32_t most = m_pTable->GetMaxCardsInPocket();
  if (most > 0 && pocket->GetNumCards() >= most) return 0;
  if (!pocket->AddCard(code)) return 0;
  m_pTable->GetCardTable().DrawCard(m_Seat, pocket->GetNumCards() - 1, nullptr);
  return 1;
}

int32_t CBlackJackPlayerData::AnimateCard(int32_t special) {
  CPocket* pocket = Pocket(GetCurrentPocket());
  if (!pocket || pocket->GetNumCards() < 1) return 0;
  int32_t card = pocket->GetNumCards() - 1;
  if (m_IsDealer && special) card = std::min(m_pTable->GetDealerCardsShown(), card);
  C3DMoveList* list = pocket->GetMove(card);
  CObject* object = nullptr;
  pocket->GetCard(object, card);
  if (!list || !object) return 0;
  CCardTable& scene = m_pTable->GetCardTable();
  const int32_t started = m_pTable->IsReconnecting() ? scene.DrawLastFrame(list, object) : scene.StartAnim(list, object);
  if (!started) return 0;
  m_pTable->PlaySample(special ? KAVO_SAMPLE_SPECIALCARD : KAVO_SAMPLE_CARD);
  return 1;
}
