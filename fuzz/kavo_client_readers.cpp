// What a blackjack server sends during a round, as the client table's readers take it: the first
// byte picks the reader, the rest is the record, sent by a server-side node to the table node of a
// client table whose seats hold cards (seat 1 two cards, seat 2 a split pair, the dealer one).
// Whatever the record, a reader answers 0 or 1, reads nothing out of range, and what it hands back
// or stores is a card, seat, hand and sound money.
#include <cstdint>
#include <memory>
#include <string>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "fuzzfolder.h"
#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;
constexpr uint32_t kTableId = 1020001;
constexpr int32_t kPlayer = 7;

int32_t NoBox(const char*, const char*) { return 1; }

std::unique_ptr<CCommNode> Node(const char* subType, uint32_t type) {
  auto node = std::make_unique<CCommNode>();
  node->SetLog(0);
  node->m_RecvKCBL.RestartMode(0);
  FuzzCheck(node->SetId(0) && node->SetName(KAVO_GAME_REGULAR, TABLE_NODE_TABLE, kTableId, 0, 0) &&
            node->SetObjName(KAVO_GAME_REGULAR, subType) && node->InitCommNode(type));
  return node;
}

template <class Record>
class CFuzzTable : public CBlackJackClientTable {
 public:
  explicit CFuzzTable(CCommNode* node) {
    m_pTableNode = node;
    m_RealMoney = 1;
    m_Money.assign(KAVO_NUM_SEATS, TMoney("1000"));
    m_CardTable.Init(KAVO_HAND_POSITIONS, 4, 13, 13);
    m_Layout.MaxCardsInPocket = 12;
    SetPlayerId(kPlayer);
  }
  ~CFuzzTable() override { m_pTableNode = nullptr; }
  int32_t Exit() override { return 1; }

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new Record; }
};

bool Sound(const TMoney& m) { return !m.GetError() && !m.IsNegative(); }

struct SWorld {
  std::unique_ptr<CCommNode> m_pServer, m_pClient;
  std::unique_ptr<CBlackJackClientTable> m_pRegular, m_pSideBet;

  SWorld() {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    CClientTableBase::SetMessageBoxFunc(NoBox);
    m_pClient = Node(TABLE_SUBTYPE_CLIENT, CNODE_CLIENT);
    m_pServer = Node(TABLE_SUBTYPE_SERVER, CNODE_SERVER);
    m_pRegular = std::make_unique<CFuzzTable<CBlackJackPlayerData>>(m_pClient.get());
    m_pSideBet = std::make_unique<CFuzzTable<CSuperSevenPlayerData>>(m_pClient.get());
    FuzzCheck(m_pRegular->CreatePlayerRecords() == 1 && m_pSideBet->CreatePlayerRecords() == 1);
  }

  static void Prepare(CBlackJackClientTable& table) {
    for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat) table.GetPlayerRecord(seat)->Reset();
    CBlackJackPlayerData& one = *table.GetPlayerRecord(1);
    CBlackJackPlayerData& two = *table.GetPlayerRecord(2);
    FuzzCheck(one.AddCard(9) && one.AddCard(4) && two.AddCard(7) && two.AddCard(20));
    two.DoSplit();
    FuzzCheck(table.GetPlayerRecord(KAVO_DEALER)->AddCard(12));
  }

  void Check(CBlackJackClientTable& table) {
    for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat) {
      CBlackJackPlayerData& r = *table.GetPlayerRecord(seat);
      for (int32_t hand : {1, 2}) FuzzCheck(Sound(r.GetWin(hand)) && Sound(r.GetBet(hand)));
      if (seat < KAVO_NUM_SEATS) FuzzCheck(!table.GetSeatMoney(seat).IsNegative());
    }
  }

  void Run(CBlackJackClientTable& table, uint8_t which, const std::string& text) {
    Prepare(table);
    CClientTableBase::Protection() = {};
    if (!m_pServer->SendInit() || !m_pServer->SendPacket(text.data(), static_cast<uint32_t>(text.size()))) return;
    int32_t card = -7, seat = -7, hand = -7, received = 0, result = 0;
    switch (which % 8) {
      case 0:
        result = table.RecvCard(card, seat, hand, received);
        if (result && received) FuzzCheck(KavoIsCard(card) && seat >= 0 && seat <= KAVO_DEALER && hand >= 0 && hand <= 2);
        break;
      case 1:
        result = table.RecvDouble(seat, received);
        break;
      case 2:
        result = table.RecvSplit(seat, received);
        break;
      case 3:
        result = table.RecvBust(seat, received);
        break;
      case 4:
        result = table.RecvTurn(seat, hand, received);
        if (result && received) FuzzCheck(seat >= 0 && seat <= KAVO_DEALER && hand >= 0 && hand <= 2);
        break;
      case 5:
        result = table.RecvPlayerWin(received);
        break;
      case 6:
        result = table.RecvPlayerWinProtection(received);
        break;
      default:
        result = table.RecvPlayerTableInfo();
        break;
    }
    FuzzCheck(result == 0 || result == 1);
    if ((which % 8) >= 1 && (which % 8) <= 3 && result && received) FuzzCheck(seat >= 0 && seat < KAVO_NUM_SEATS);
    Check(table);
    // Whatever was not taken goes, so the next input starts on an empty node.
    while (m_pClient->IsDataAvailable()) {
      void* data = nullptr;
      uint32_t size = 0;
      if (!m_pClient->RecvPacket(data, size)) break;
      xFree(data);
      m_pClient->RecvFree();
    }
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld world;
  if (size < 1 || size > 1 << 16) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  world.Run(*world.m_pRegular, data[0], text);
  world.Run(*world.m_pSideBet, data[0], text);
  return 0;
}
