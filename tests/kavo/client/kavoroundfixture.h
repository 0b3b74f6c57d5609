// Whole rounds in one process: a set-up client table of the test's class against the in-process
// server table of play for fun on the player database (members 1 to 7 with 1,000.00 each, the
// test's player "ann" the seventh), the test clock and rigged shoes. Each frame runs the server
// half, the test's hook, then the client half, as the module's loop runs them.
//
//   class MyRounds : public CKavoRoundFixture {};
//   TEST_F(MyRounds, Something) {
//     Open(std::make_unique<MyClient>(), std::make_unique<CBlackJackServerTable>(), KAVO_TEST_TABLE_ID, 2);
//     SetShoe({...});
//     ASSERT_TRUE(RunUntil([&] { return ...; }));
//   }
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/database/stovaconn.h"
#include "kavotablefixture.h"
#include "limitsscript.h"
#include "server/scripteddeck.h"
#include "server/servertable.h"
#include "tablevisit.h"

class CKavoRoundFixture : public CKavoTableFixture {
 protected:
  using TMoney = CBlackJackClientTable::TMoney;
  static constexpr int32_t kPlayerId = 7;

  void TearDown() override {
    EndTable();
    if (m_pServer) m_pServer->ExitTable();
    m_pServer.reset();
    m_pDb.reset();
    CKavoTableFixture::TearDown();
  }

  // The members and the table's record (reserved for the player, the first limit level and
  // decision time), then both halves up and the player seated at `seat`.
  void Open(std::unique_ptr<CBlackJackClientTable> client, std::unique_ptr<CBlackJackServerTable> server,
            int32_t tableId, int32_t seat) {
    m_pDb = std::make_unique<CStovaConn>();
    ASSERT_EQ(m_pDb->Init(), 1);
    for (int32_t n = 1; n <= kPlayerId; ++n) {
      const std::string name = n == kPlayerId ? "ann" : "player" + std::to_string(n);
      c2stovaUser user;
      std::snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name.c_str());
      user.m_IconValue = 3;
      user.m_IconFlags = 1;
      user.m_Cash = TStovaMoney("1000");
      uint32_t id = 0;
      int32_t ok = 0;
      ASSERT_EQ(m_pDb->CreateUser(&user, id, "", "", "", "", "", "EN", "", ok), 1);
      ASSERT_EQ(static_cast<int32_t>(id), n);
    }
    c2stovaTable record;
    record.m_TableId = tableId;
    record.m_TableType = STOVA_TABLE_RESERVED;
    record.m_PlayerSettings[1] = 1;
    record.m_PlayerSettings[2] = 1;
    uint32_t id = 0;
    int32_t ok = 0;
    ASSERT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);

    ASSERT_EQ(StartTable(std::move(client), tableId), 1);
    m_pServer = std::move(server);
    SKavoLimits limits;
    ASSERT_EQ(LoadLimitsScript(Table().GetLimitsScriptName(), limits), 1);
    ApplyLimits(limits, *m_pServer);
    m_pServer->SetStovaConnection(new CServerTableDatabase);
    m_pServer->SetReserveId(kPlayerId);
    m_pServer->SetBetTimeout(KAVO_FOR_FUN_BET_SECONDS);
    m_pServer->SetMaxTimeOuts(5);
    ASSERT_EQ(m_pServer->InitTable(tableId, 0, 0, 0, 0), 1);
    ASSERT_TRUE(RunUntil([&] { return Table().IsJoined() && Table().HavePlayerIds(); })) << "joined";
    Table().SetWantToAllocSlot(seat + 1);
    ASSERT_TRUE(RunUntil([&] { return Table().GetIndex() == seat; }))
        << "seated: request step " << Table().GetAllocStep() << ", answer " << Table().GetOwnAllocAnswer();
  }

  // The server's next cards, in the order given.
  void SetShoe(const std::vector<int32_t>& shoe) {
    // A card given back to the scripted shoe is dealt next: the script goes in from its end.
    auto* deck = new CKavoScriptedDeck({});
    for (auto card = shoe.rbegin(); card != shoe.rend(); ++card) deck->AddCard(*card);
    m_pServer->SetShoe(deck);
  }

  // Between the server half and the client half of each frame.
  virtual void BetweenHalves() {}

  bool Step() {
    m_Clock.Advance(KAVO_TIMER_MS);
    Frame();
    if (m_pServer && !m_pServer->ServerHandler()) {
      ADD_FAILURE() << "the server half stopped";
      return false;
    }
    BetweenHalves();
    if (Table().ClientHandler()) return true;
    ADD_FAILURE() << "the client half stopped in state " << Table().GetClientState() << ", game state "
                  << Table().GetGameState() << ", animation " << Table().GetAnimationNumber() << ", exit step "
                  << Table().GetExitStep();
    return false;
  }
  bool RunUntil(const std::function<bool()>& done, uint32_t maxMs = 120000) {
    for (uint32_t t = 0; t < maxMs && !done(); t += KAVO_TIMER_MS)
      if (!Step()) return done();
    return done();
  }

  // The player's balance as the database books it.
  TMoney Balance() {
    TStovaMoney cash;
    int32_t ok = 0;
    EXPECT_EQ(m_pDb->GetUserCash(kPlayerId, cash, ok), 1);
    return cash;
  }
  // The number in a cash text ("$ 1,012.50" and the like), -1 for none.
  static double CashOf(const char* text) {
    std::string digits;
    for (const char* c = text ? text : ""; *c; ++c)
      if ((*c >= '0' && *c <= '9') || *c == '.' || *c == '-') digits += *c;
    return digits.empty() ? -1 : std::atof(digits.c_str());
  }

  std::unique_ptr<CStovaConn> m_pDb;
  std::unique_ptr<CBlackJackServerTable> m_pServer;
};
