// The client half of DummyGame: a client table that asks for one seat, bets a fixed amount when
// betting opens (or leaves it to the framework's time-out), tells the server its presentation is
// done, and records every game hook. With the server half in the same process, both run on the
// test clock over in-process node delivery.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/database/stovaconn.h"
#include "common/tables/clienttablebase.h"
#include "common/widgets/panel.h"
#include "dummygame.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

class CDummyClientGame : public CClientTableBase {
 public:
  int32_t GetNumSlots() override { return DUMMY_SEATS; }
  const char* GetGameName() override { return DUMMY_GAME; }
  int32_t CreateGamePlayer(int32_t seat, int32_t playerId) override;
  int32_t DeleteGamePlayer(int32_t seat) override;
  int32_t NewRoundStarted() override;
  int32_t InitClientGame() override { return m_InitResult; }
  int32_t ExitClientGame() override { return 1; }
  int32_t SetRoundTimer(int32_t lengthMs, int32_t elapsedMs) override;
  int32_t PlayerDataReceived() override;
  int32_t GameStateHandler() override {
    m_Calls.push_back("GameState " + std::to_string(GetGameState()));
    return 1;
  }
  int32_t IdleHandler() override { return 1; }
  int32_t PlayHandler() override;
  int32_t BetDone() override;
  int32_t GameSpecReceived() override;
  int32_t PlayerLeftSlot(int32_t seat, int32_t playerId) override;
  int32_t SlotAllocated(int32_t seat, int32_t playerId, int32_t answer) override;
  int32_t ReconnectFinished() override;
  int32_t BetHandler() override;
  int32_t BettingHandler() override { return 1; }
  int32_t ShowTimeLeft(int32_t ms) override {
    m_LastTimeLeft = ms;
    return 1;
  }
  int32_t SeatRequestDone() override { return m_WantSeat < 0 || HaveSlot() || m_Asked; }
  int32_t ChooseSeat() override;
  int32_t UpdateSeats() override { return 1; }
  int32_t SetRoundActive(int32_t on) override {
    m_RoundActive = on;
    return 1;
  }
  void PlayClickSound() override { ++m_Clicks; }

  // Puts a panel in place of the one Init made; the table owns it from then on.
  void UsePanel(CPanel* panel) {
    delete m_pPanel;
    m_pPanel = panel;
  }
  // The game's bet on its seat ("DummyBet" with "Bet").
  bool SendBet(int32_t amount);
  std::vector<std::string> Calls(const std::string& prefix) const;

  std::vector<std::string> m_Calls;
  int32_t m_WantSeat = 1;       // the seat to ask for; -1 none
  int32_t m_AutoBet = 0;        // bet this much as soon as betting is allowed; 0 leaves it to BetDone
  int32_t m_BetDoneAmount = 5;  // what BetDone sends
  int32_t m_InitResult = 1;
  int32_t m_Asked = 0;
  int32_t m_RoundActive = -1;
  int32_t m_LastTimeLeft = -1;
  int32_t m_RoundLength = -1, m_RoundElapsed = -1;
  int32_t m_Clicks = 0;
  int32_t m_Presented = 0;
  int32_t m_GameSpecLimit = 0;
  int32_t m_GameSpecResult = 1;
};

// A process on the headless display with the communication library, a working folder holding
// the scripts and the database, DummyGame's server half and its client half.
class CClientTableTest : public CGuiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  uint32_t CreateMember(const char* name, const char* cash = "100");
  void CreateTableRecord(int32_t type);
  // The server half, made for the creating player.
  void StartServer(int32_t reserveId, int32_t tableType = 1);
  // The client half for the player; real money or for fun.
  void StartClient(int32_t playerId, int32_t realMoney = 0);
  // One frame: the server's handler, then the client's; false once the client ended.
  bool Frame(uint32_t ms = 20);
  // Frames until done() or the time is up; done()'s last answer.
  template <class Done>
  bool RunUntil(Done done, uint32_t maxMs = 60000, uint32_t step = 20) {
    for (uint32_t t = 0; t < maxMs && !done(); t += step)
      if (!Frame(step)) return done();
    return done();
  }
  // The road of a seated player: joined, seat given, the slot statuses known.
  void SitDown(int32_t playerId, int32_t seat, int32_t realMoney = 0);

  CTempDir m_Dir;
  std::unique_ptr<CWorkingDir> m_pCwd;
  std::unique_ptr<CStovaConn> m_pDb;
  std::unique_ptr<CDummyGame> m_pServer;
  CScriptedStova* m_pServerDb = nullptr;
  std::unique_ptr<CDummyClientGame> m_pClient;
  bool m_ServerEnded = false;
  bool m_ClientEnded = false;
  bool m_CommStarted = false;
};
