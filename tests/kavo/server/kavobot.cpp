#include "kavobot.h"

#include <gtest/gtest.h>

#include "common/tables/tableprotocol.h"
#include "kavoprotocol.h"
#include "kavoserverkit.h"
#include "ostrel/containers/objpool.h"
#include "ostrelcomm/commnode.h"
#include "support/testclock.h"

std::string KavoItem(const std::string& text, const std::string& name) {
  const std::string key = name + " = ";
  size_t at = 0;
  for (;;) {
    at = text.find(key, at);
    if (at == std::string::npos) return "";
    if (at == 0 || text[at - 1] == ' ' || text[at - 1] == ';') break;
    ++at;
  }
  const size_t start = at + key.size();
  const size_t end = text.find(';', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

CKavoBot::CKavoBot(CCommNode& table, int32_t playerId, std::vector<int32_t> seats, uint32_t seed)
    : m_Table(table), m_Random(seed) {
  for (int32_t seat : seats) {
    SSeat s;
    s.m_Seat = seat;
    s.m_PlayerId = playerId;
    m_Seats.push_back(s);
  }
}

CKavoBot::CKavoBot(CCommNode& table, const std::vector<std::pair<int32_t, int32_t>>& seatPlayers, uint32_t seed)
    : m_Table(table), m_Random(seed) {
  for (const auto& [seat, playerId] : seatPlayers) {
    SSeat s;
    s.m_Seat = seat;
    s.m_PlayerId = playerId;
    m_Seats.push_back(s);
  }
}

CKavoBot::SSeat* CKavoBot::Find(int32_t seat) {
  for (SSeat& s : m_Seats)
    if (s.m_Seat == seat) return &s;
  return nullptr;
}

void CKavoBot::Send(int32_t playerId, int32_t seat, const char* name, const std::string& items) {
  const std::string text = "{ = PrivatePlayerData, " + std::string(name) + ", " + std::to_string(playerId) + ", " +
                           std::to_string(seat) + "\n" + items + "}\n";
  if (m_Table.SendInit()) m_Table.SendPacket(text.c_str(), static_cast<uint32_t>(text.size()));
}

void CKavoBot::Poll() {
  while (m_Table.IsDataAvailable()) {
    void* data = nullptr;
    uint32_t size = 0;
    if (!m_Table.RecvPacket(data, size)) break;
    const std::string record = Flat(std::string(static_cast<const char*>(data), size));
    xFree(data);
    m_Table.RecvFree();
    Handle(record);
  }
  if (m_PresentationDue) {
    m_PresentationDue = false;
    // One answer per player, from his first seat.
    for (size_t i = 0; i < m_Seats.size(); ++i) {
      bool first = true;
      for (size_t j = 0; j < i; ++j) first = first && m_Seats[j].m_PlayerId != m_Seats[i].m_PlayerId;
      if (first && m_Table.SendInit() && m_Table.NewItem(TABLE_MSG_PRESENTATIONDONE, KEND) &&
          m_Table.NewItem(TABLE_ITEM_USERID, KLONG, m_Seats[i].m_PlayerId, KEND))
        m_Table.SendKCBLPacket();
    }
  }
}

std::string CKavoBot::SideBetItem(bool side) const {
  // A scripted side-bet table says no as its client does; otherwise only a wish is written.
  if (side) return "SuperSeven = 1\n";
  return m_SideBetRounds.empty() ? "" : "SuperSeven = 0\n";
}

void CKavoBot::Handle(const std::string& record) {
  if (KavoItem(record, "Command") == "NewRound") {
    ++m_Rounds;
    const bool side = m_SideBetRounds.empty()
                          ? m_SideBet
                          : m_SideBetRounds[static_cast<size_t>(m_Rounds - 1) % m_SideBetRounds.size()];
    for (SSeat& s : m_Seats) {
      s.m_Insured = false;
      s.m_Insurance = TMoney();
      const int32_t bet = m_FixedBet > 0 ? m_FixedBet : 5 + static_cast<int32_t>(m_Random() % 46);
      Send(s.m_PlayerId, s.m_Seat, KAVO_MSG_PLAYERBET,
           "Bet = " + std::to_string(bet) + "\n" + SideBetItem(side) + "finalFlag = 1\n");
    }
    return;
  }
  const std::string state = KavoItem(record, "ChangeGameState");
  if (state == "11") {
    for (const SSeat& s : m_Seats) {
      bool wanted = !m_StandOnly && Chance(50);
      if (!m_ScriptedInsurance.empty()) {
        wanted = m_ScriptedInsurance.front() != 0;
        m_ScriptedInsurance.pop_front();
      }
      Send(s.m_PlayerId, s.m_Seat, KAVO_MSG_INSURANCE, "Insurance = " + std::string(wanted ? "1" : "0") + "\n");
    }
    return;
  }
  if (state == "5" && m_TurnSeat >= 0) {
    if (const SSeat* s = Find(m_TurnSeat)) Decide(*s);
    m_TurnSeat = -1;
    return;
  }
  if (state == "6") m_PresentationDue = true;
  const std::string slot = KavoItem(record, "Slot");
  if (!slot.empty() && record.find("{ =") == std::string::npos) {
    if (SSeat* s = Find(std::stoi(slot))) s->m_Insured = KavoItem(record, "Insurance") != "0";
    return;
  }
  // The chunks of the record, each "{ = PlayerData, Name, player, seat; items; }".
  const std::string pays = KavoItem(record, "Pays");
  size_t at = 0;
  while ((at = record.find("{ = PlayerData, ", at)) != std::string::npos) {
    const size_t end = record.find("; }", at);
    HandleChunk(record.substr(at, end == std::string::npos ? std::string::npos : end + 3 - at),
                pays.empty() ? -1 : std::stoi(pays));
    at = end == std::string::npos ? record.size() : end;
  }
}

void CKavoBot::HandleChunk(const std::string& chunk, int32_t pays) {
  // "{ = PlayerData, Name, player, seat; ..."
  const size_t nameAt = 16, comma = chunk.find(',', nameAt);
  const std::string name = chunk.substr(nameAt, comma - nameAt);
  const size_t comma2 = chunk.find(',', comma + 1), semi = chunk.find(';', comma2);
  const int32_t player = std::stoi(chunk.substr(comma + 2, comma2 - comma - 2));
  const int32_t seatNo = std::stoi(chunk.substr(comma2 + 2, semi - comma2 - 2));
  SSeat* seat = Find(seatNo);
  if (!seat || seat->m_PlayerId != player) return;
  if (name == KAVO_MSG_TABLEINFO) {
    seat->m_Bet = TMoney(KavoItem(chunk, "Bet").c_str());
    seat->m_Side = KavoItem(chunk, "SuperSeven") == "TRUE";
  } else if (name == KAVO_MSG_TURN) {
    m_TurnSeat = seatNo;
  } else if (name == KAVO_MSG_INSURANCEWIN) {
    // The insurance's money moves with the seat's first settled hand: a seat whose user is
    // crashed before then never pays or gets it.
    if (pays == 1) seat->m_Insurance = TMoney(KavoItem(chunk, "WinAmount").c_str());
    else if (seat->m_Insured) seat->m_Insurance = -(seat->m_Bet * TMoney("0.5"));
  } else if (name == KAVO_MSG_PLAYERWIN) {
    const TMoney win(KavoItem(chunk, "WinAmount").c_str());
    const std::string condition = KavoItem(chunk, "WinCondition");
    if (condition.empty()) {  // the triple-seven bonus
      m_Ledger += win;
      return;
    }
    ++m_Settlements;
    m_Ledger += seat->m_Insurance;
    seat->m_Insurance = TMoney();
    const bool sideHere = seat->m_Side && KavoItem(chunk, "Split") != "2";
    const TMoney unit(sideHere ? 1 : 0);
    const TMoney bet = TMoney(KavoItem(chunk, "Bet").c_str()) - unit;
    m_Ledger += std::stoi(condition) == KAVO_WIN_LOST ? -bet : win;
    if (sideHere) {
      const TMoney side(KavoItem(chunk, "SSWin").c_str());
      m_Ledger += side > 0 ? side : -unit;
    }
  }
}

void CKavoBot::Decide(const SSeat& seat) {
  static const int32_t kActions[] = {KAVO_ACTION_HIT, KAVO_ACTION_STAND, KAVO_ACTION_DOUBLE, KAVO_ACTION_SPLIT};
  int32_t action = m_StandOnly ? KAVO_ACTION_STAND : kActions[m_Random() % 4];
  if (!m_ScriptedActions.empty()) {
    action = m_ScriptedActions.front();
    m_ScriptedActions.pop_front();
  }
  if (m_Mischief && Chance(m_Mischief)) Stray(seat);
  if (m_Mischief && Chance(m_Mischief / 10)) {
    Send(seat.m_PlayerId, seat.m_Seat, KAVO_MSG_PLAYERACTION, "Acton = 1\n");
    return;
  }
  Send(seat.m_PlayerId, seat.m_Seat, KAVO_MSG_PLAYERACTION, "Action = " + std::to_string(action) + "\n");
  if (m_Mischief && Chance(m_Mischief)) Stray(seat);
}

void CKavoBot::Stray(const SSeat& seat) {
  const int32_t player = seat.m_PlayerId, at = seat.m_Seat;
  switch (m_Random() % 5) {
    case 0: Send(player, (at + 1) % KAVO_NUM_SEATS, KAVO_MSG_PLAYERACTION, "Action = 1\n"); break;
    case 1: Send(player + 1000, at, KAVO_MSG_PLAYERACTION, "Action = 1\n"); break;
    case 2: Send(player, at, KAVO_MSG_PLAYERACTION, "Action = 3\n"); break;
    case 3: Send(player, at, KAVO_MSG_PLAYERACTION, "Action = 77\n"); break;
    default: Send(player, at, KAVO_MSG_INSURANCE, "Insurance = 1\n"); break;
  }
}

void KavoPlayRounds(CServerTableBase& table, CKavoBot& bot, CTestClock& clock, int64_t rounds,
                    const std::function<void(int64_t)>& newRound) {
  for (int64_t ticks = 1; bot.Rounds() <= rounds && ticks <= (rounds + 1) * 400; ++ticks) {
    ASSERT_EQ(table.ServerHandler(), 1) << "tick " << ticks << ", round " << bot.Rounds();
    const int64_t before = bot.Rounds();
    bot.Poll();
    if (bot.Rounds() != before && newRound) newRound(bot.Rounds());
    if (::testing::Test::HasFatalFailure()) return;
    clock.Advance(500);
  }
  ASSERT_EQ(bot.Rounds(), rounds + 1) << "every round ends";
}
