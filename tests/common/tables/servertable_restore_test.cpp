// Crash recovery of the server table: the state store's encoding, the packet filters, the
// records a crashed player's game leaves in the database (read with Python's sqlite3), and the
// restore of that game on a new table, with damaged records and failures on the way.
#include <functional>

#include "common/cards/deck.h"
#include "common/tables/pendingcash.h"
#include "common/widgets/historyled.h"
#include "dummygame.h"

namespace {

using TMoney = CTableBase::TMoney;

// ---- the state store ----

class StateStore : public CDummyTableTest {
 protected:
  CDummyGame m_Game;
  std::string Bytes() const {
    return std::string(reinterpret_cast<const char*>(m_Game.SSReadPointer()), m_Game.SSBytesLeft());
  }
};

TEST_F(StateStore, EachValueHasItsBytesAndReadsBack) {
  struct SCase {
    const char* m_Name;
    std::function<int32_t(CDummyGame&)> m_Add;
    std::string m_Bytes;
    std::function<void(CDummyGame&)> m_Check;
  } const cases[] = {
      {"long", [](CDummyGame& g) { return g.SSAddLong(0x12345678u); }, std::string("\x78\x56\x34\x12", 4),
       [](CDummyGame& g) { EXPECT_EQ(g.SSGetLong(), 0x12345678); }},
      {"negative long", [](CDummyGame& g) { return g.SSAddLong(static_cast<uint32_t>(-2)); },
       std::string("\xfe\xff\xff\xff", 4), [](CDummyGame& g) { EXPECT_EQ(g.SSGetLong(), -2); }},
      {"double", [](CDummyGame& g) { return g.SSAddDouble(1.5); }, std::string("\0\0\0\0\0\0\xf8\x3f", 8),
       [](CDummyGame& g) { EXPECT_EQ(g.SSGetDouble(), 1.5); }},
      {"string", [](CDummyGame& g) { return g.SSAddString("anna"); }, std::string("anna\0", 5),
       [](CDummyGame& g) { EXPECT_STREQ(g.SSGetString(), "anna"); }},
      {"null string", [](CDummyGame& g) { return g.SSAddString(nullptr); }, std::string("\0", 1),
       [](CDummyGame& g) { EXPECT_STREQ(g.SSGetString(), ""); }},
      {"money", [](CDummyGame& g) { return g.SSAddMoney(TMoney("-12.5")); }, std::string("-12.5000000000\0", 15),
       [](CDummyGame& g) {
         const TMoney m = g.SSGetMoney();
         EXPECT_EQ(m.GetError(), 0);
         EXPECT_EQ(std::string(m.GetString()), "-12.5000000000");
       }},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    ASSERT_EQ(m_Game.InitVarStore(2), 1);
    ASSERT_EQ(c.m_Add(m_Game), 1);
    EXPECT_EQ(m_Game.GetVarStoreSize(), c.m_Bytes.size());
    EXPECT_EQ(Bytes(), c.m_Bytes);
    c.m_Check(m_Game);
    EXPECT_EQ(m_Game.SSBytesLeft(), 0u);
    EXPECT_EQ(m_Game.SSIsShort(), 0);
  }
}

TEST_F(StateStore, ReadsPastTheEndGiveNothingAndMarkTheStoreShort) {
  ASSERT_EQ(m_Game.InitVarStore(16), 1);
  ASSERT_EQ(m_Game.SSAddBytes("abc", 3), 1);  // no NUL, fewer than 4 bytes
  EXPECT_EQ(m_Game.SSGetLong(), 0);
  EXPECT_EQ(m_Game.SSGetDouble(), 0.0);
  EXPECT_EQ(m_Game.SSGetString(), nullptr);
  const TMoney money = m_Game.SSGetMoney();
  EXPECT_EQ(money.GetError(), 1);
  EXPECT_TRUE(money.IsZero());
  EXPECT_EQ(m_Game.SSBytesLeft(), 3u) << "nothing was consumed";
  EXPECT_EQ(m_Game.SSIsShort(), 1);
  EXPECT_EQ(m_Game.SSSkip(4), 0);

  ASSERT_EQ(m_Game.InitVarStore(16), 1);
  EXPECT_EQ(m_Game.SSIsShort(), 0) << "a fresh store";
  ASSERT_EQ(m_Game.SSAddString("12x"), 1);
  EXPECT_EQ(m_Game.SSGetMoney().GetError(), 1) << "a text that is no amount";
}

TEST_F(StateStore, GrowsFarBeyondItsFirstSize) {
  ASSERT_EQ(m_Game.InitVarStore(8), 1);
  const std::string big(50000, 'q');
  for (int i = 0; i < 3; ++i) ASSERT_EQ(m_Game.SSAddString(big.c_str()), 1);
  ASSERT_EQ(m_Game.SSAddLong(7), 1);
  EXPECT_EQ(m_Game.GetVarStoreSize(), 3 * 50001u + 4);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(std::string(m_Game.SSGetString()), big);
  EXPECT_EQ(m_Game.SSGetLong(), 7);
}

TEST(PendingCash, TwentyDigitsASignThreeZerosAndTheFlag) {
  struct SCase {
    const char* m_Amount;
    std::string m_Hex;
  } const cases[] = {
      {"25", "0000000000000000020500000000000000000000" "00" "000000" "00000000"},
      {"-0.5", "0000000000000000000005000000000000000000" "9c" "000000" "00000000"},
      {"9999999999.9999999999", "0909090909090909090909090909090909090909" "00" "000000" "00000000"},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Amount);
    uint8_t bytes[PENDINGCASH_SIZE];
    xPendingCashToBytes(TMoney(c.m_Amount), bytes);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(bytes), sizeof bytes)), c.m_Hex);
    TMoney back;
    ASSERT_EQ(xPendingCashFromBytes(bytes, sizeof bytes, back), 1);
    EXPECT_EQ(back, TMoney(c.m_Amount));
    EXPECT_EQ(back.GetError(), 0);
  }
  TMoney flagged("1");
  flagged.SetError(1);
  uint8_t bytes[PENDINGCASH_SIZE];
  xPendingCashToBytes(flagged, bytes);
  EXPECT_EQ(bytes[24], 1);
  TMoney back;
  ASSERT_EQ(xPendingCashFromBytes(bytes, sizeof bytes, back), 1);
  EXPECT_EQ(back.GetError(), 1);

  // Damaged records are refused.
  xPendingCashToBytes(TMoney("3"), bytes);
  EXPECT_EQ(xPendingCashFromBytes(bytes, 27, back), 0) << "short";
  EXPECT_EQ(xPendingCashFromBytes(nullptr, 28, back), 0);
  for (int at : {3, 20, 21, 24}) {
    uint8_t bad[PENDINGCASH_SIZE];
    std::copy(bytes, bytes + PENDINGCASH_SIZE, bad);
    bad[at] = 10;
    EXPECT_EQ(xPendingCashFromBytes(bad, sizeof bad, back), 0) << "byte " << at;
    EXPECT_TRUE(back.IsZero());
  }
}

// ---- the packet filters ----

TEST_F(StateStore, TheFiltersDropHelloAndThePlayerChunksAsFlagged) {
  // Player 1 is the one filtered for.
  const std::vector<std::string> packets = {
      "Hello = 7\n",
      "ChangeClientState = 1\nHello = 7\n",
      "{ = PlayerData, Win, 1, 0\n    Sum = 5\n}\n",
      "{ = PlayerData, Win, 2, 1\n    Sum = 6\n}\n",
      "{ = PrivatePlayerData, Cards, 1, 0\n    Card = 3\n}\n",
      "{ = PrivatePlayerData, Cards, 2, 1\n    Card = 4\n}\n",
      "{ = PlayerData, Win, x, 0\n}\n",
      "{ = Round, 1\n    { = PlayerData, Win, 2, 1\n    }\n    Step = 1\n}\n",
      "Text = \"never closed\n",
      "}\n",  // parses, and holds nothing
  };
  {
    CKCBL probe;
    ASSERT_EQ(probe.Import(packets[8].data(), static_cast<int32_t>(packets[8].size())), 0) << "does not parse";
  }
  const std::string round = "{ = Round, 1\n    Step = 1\n}\n";
  struct SCase {
    bool m_Except;
    int32_t m_PlayerData, m_PrivateData;
    std::vector<std::string> m_Kept;
  } const cases[] = {
      {false, 1, 1, {"ChangeClientState = 1\n", packets[3], packets[5], packets[7]}},
      {false, 1, 0, {"ChangeClientState = 1\n", packets[3], packets[4], packets[5], packets[7]}},
      {false, 0, 1, {"ChangeClientState = 1\n", packets[2], packets[3], packets[5], packets[6], packets[7]}},
      {false, 0, 0, {"ChangeClientState = 1\n", packets[2], packets[3], packets[4], packets[5], packets[6], packets[7]}},
      {true, 1, 1, {"ChangeClientState = 1\n", packets[2], packets[4], round}},
      {true, 1, 0, {"ChangeClientState = 1\n", packets[2], packets[4], packets[5], round}},
      {true, 0, 1, {"ChangeClientState = 1\n", packets[2], packets[3], packets[4], packets[6], packets[7]}},
      {true, 0, 0, {"ChangeClientState = 1\n", packets[2], packets[3], packets[4], packets[5], packets[6], packets[7]}},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(std::string(c.m_Except ? "except " : "for ") + std::to_string(c.m_PlayerData) + "," +
                 std::to_string(c.m_PrivateData));
    m_Game.ErasePackets();
    for (const std::string& p : packets) ASSERT_EQ(m_Game.AddStoredPacket(p.data(), static_cast<uint32_t>(p.size())), 1);
    const int32_t kept = c.m_Except ? m_Game.ErasePacketsExceptForPlayer(1, c.m_PlayerData, c.m_PrivateData)
                                    : m_Game.ErasePacketsForPlayer(1, c.m_PlayerData, c.m_PrivateData);
    std::vector<std::string> got;
    for (int32_t i = 0; i < m_Game.NumStoredPackets(); ++i) got.push_back(m_Game.GetStoredPacket(i));
    EXPECT_EQ(got, c.m_Kept);
    EXPECT_EQ(kept, static_cast<int32_t>(c.m_Kept.size()));
  }
}

// ---- a crashed player's game: saved, restored ----

class ServerTableRestore : public CDummyTableTest {
 protected:
  void SetUp() override {
    CDummyTableTest::SetUp();
    m_A = static_cast<int32_t>(CreateMember("anna", 3, 1));
    m_B = static_cast<int32_t>(CreateMember("bert", 7, 0));
  }

  // A table of the type with A on seat 0 and B on seat 1, betting, A's bet of 25 in; the game
  // sends per-player chunks on the table node and B reconnects, so the store holds them and
  // a "Hello".
  void MidRound(int32_t type = STOVA_TABLE_PUBLIC) {
    CreateTableRecord(type);
    ASSERT_EQ(StartTable(m_A), 1);
    m_pClientA = std::make_unique<CDummyClient>(m_A);
    m_pClientB = std::make_unique<CDummyClient>(m_B);
    JoinAsCreator(*m_pClientA, 0);
    Join(*m_pClientB, 1);
    for (int i = 0; i < 3 && m_pTable->GetState() != SERVERSTATE_BETTING; ++i) ASSERT_TRUE(Tick());
    ASSERT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
    ASSERT_TRUE(m_pClientA->Bet(0, 25));
    ASSERT_TRUE(Tick());
    ASSERT_EQ(m_pTable->m_Bets[0], 25);
    CCommNode& table = *m_pTable->GetTableNode();
    const std::string a = std::to_string(m_A), b = std::to_string(m_B);
    ASSERT_TRUE(CDummyClient::Send(table, "{ = PlayerData, Shown, " + a + ", 0\n    Card = 3\n}\n"));
    ASSERT_TRUE(CDummyClient::Send(table, "{ = PlayerData, Shown, " + b + ", 1\n    Card = 4\n}\n"));
    ASSERT_TRUE(CDummyClient::Send(table, "{ = PrivatePlayerData, Hole, " + a + ", 0\n    Card = 5\n}\n"));
    ASSERT_TRUE(CDummyClient::Send(table, "{ = PrivatePlayerData, Hole, " + b + ", 1\n    Card = 6\n}\n"));
    ASSERT_TRUE(m_pClientB->RequestReconnect());
    ASSERT_TRUE(Tick());
    m_pClientA->Clear();
    m_pClientB->Clear();
    m_pTable->m_Pot = TMoney("12.5");
    m_pTable->m_Odds = 2.25;
  }

  // The user's raw records through Python's sqlite3: name (hex), index, table id, data (hex).
  std::vector<std::string> Records(int32_t user) {
    return Rows("SELECT name, idx, table_id, data FROM raw_records WHERE user_id = " + std::to_string(user) +
                " ORDER BY name, idx");
  }
  static std::string Row(const char* name, int32_t index, const std::string& data) {
    return Hex(name) + "\t" + std::to_string(index) + "\t" + std::to_string(DUMMY_TABLE) + "\t" + Hex(data);
  }
  // The records a save of A leaves, built from what the table held at the crash.
  std::vector<std::string> ExpectedRecords(const std::vector<std::string>& packets, const std::string& varStore) {
    std::vector<std::string> rows;
    uint8_t cash[PENDINGCASH_SIZE];
    xPendingCashToBytes(TMoney("25"), cash);
    rows.push_back(Row("pendingCash", 1, std::string(reinterpret_cast<char*>(cash), sizeof cash)));
    for (size_t i = 0; i < packets.size(); ++i) rows.push_back(Row("reconnectLog", static_cast<int32_t>(i) + 3, packets[i]));
    rows.push_back(Row("tableId", 2, std::string("\x89\x13\0\0", 4)));
    rows.push_back(Row("varStore", 0, varStore));
    return rows;
  }
  std::vector<std::string> StoredPackets() {
    std::vector<std::string> out;
    for (int32_t i = 0; i < m_pTable->NumStoredPackets(); ++i) out.push_back(m_pTable->GetStoredPacket(i));
    return out;
  }
  // The first table goes; a new one in restore mode for A starts (its result).
  int32_t StartRestoreTable(const std::function<void(CDummyGame&, CScriptedStova&)>& configure = nullptr) {
    m_pClientA.reset();
    m_pClientB.reset();
    if (m_pTable && !m_Ended) m_pTable->ExitTable();
    m_pTable.reset();
    CreateTableRecord(STOVA_TABLE_RESTORED);
    return StartTable(m_A, 0, false, [&](CDummyGame& game, CScriptedStova& db) {
      game.SetRestoreMode(1);
      if (configure) configure(game, db);
    });
  }
  // A's client comes back: time difference, then "RequestReconnect", read on a replay node.
  void Reconnect(std::vector<std::string>& playerRecords, std::vector<std::string>& replayed) {
    m_pClientA = std::make_unique<CDummyClient>(m_A);
    CCommNode replay;
    replay.m_RecvKCBL.RestartMode(0);
    ASSERT_EQ(replay.SetId(static_cast<uint32_t>(m_A)), 1);
    ASSERT_EQ(replay.SetName(DUMMY_GAME, TABLE_NODE_TABLE, DUMMY_TABLE, 0, 0), 1);
    ASSERT_EQ(replay.InitCommNode(CNODE_CLIENT), 1);
    ASSERT_TRUE(m_pClientA->RequestTimeDiff());
    ASSERT_TRUE(Tick());
    ASSERT_TRUE(m_pClientA->MeasureTimeDiff([this] { Tick(); }));
    m_pClientA->Clear();
    ASSERT_TRUE(m_pClientA->RequestReconnect());
    Tick();
    playerRecords = CDummyClient::All(m_pClientA->Player());
    replayed = CDummyClient::All(replay);
    replay.ExitCommNode();
  }

  // A's record through the test's connection.
  std::string Read(const char* name, int32_t index) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    int32_t ok = 0;
    EXPECT_EQ(m_pDb->ReadRaw(static_cast<uint32_t>(m_A), name, index, data, size, ok), 1);
    EXPECT_EQ(ok, 1);
    std::string out(reinterpret_cast<char*>(data), size);
    delete[] data;
    return out;
  }
  void Write(const char* name, int32_t index, const std::string& data) {
    int32_t ok = 0;
    EXPECT_EQ(m_pDb->WriteRaw(static_cast<uint32_t>(m_A), DUMMY_TABLE, name, index, data.data(),
                              static_cast<uint32_t>(data.size()), ok),
              1);
  }
  void Delete(const char* name, int32_t index) {
    int32_t ok = 0;
    EXPECT_EQ(m_pDb->DeleteRaw(static_cast<uint32_t>(m_A), name, index, ok), 1);
    EXPECT_EQ(ok, 1);
  }
  // A's records through the test's connection (quicker than the Python oracle, for the cases
  // that compare before and after): "name index hex", the packets up to a few past the count.
  std::vector<std::string> Snapshot() {
    std::vector<std::string> out;
    int32_t count = 0, ok = 0;
    EXPECT_EQ(m_pDb->CountUserRaw(static_cast<uint32_t>(m_A), "reconnectLog", count, ok), 1);
    struct SKey {
      const char* m_Name;
      int32_t m_Index;
    };
    std::vector<SKey> keys = {{"varStore", 0}, {"pendingCash", 1}, {"tableId", 2}};
    for (int32_t i = 0; i < count + 4; ++i) keys.push_back({"reconnectLog", 3 + i});
    for (const SKey& key : keys) {
      uint8_t* data = nullptr;
      uint32_t size = 0;
      EXPECT_EQ(m_pDb->ReadRaw(static_cast<uint32_t>(m_A), key.m_Name, key.m_Index, data, size, ok), 1);
      if (ok) out.push_back(std::string(key.m_Name) + " " + std::to_string(key.m_Index) + " " +
                            Hex(std::string(reinterpret_cast<char*>(data), size)));
      delete[] data;
    }
    return out;
  }
  // The saved game and the tables go, for the next case.
  void Wipe() {
    for (const std::string& row : Snapshot()) {
      const size_t space = row.find(' ');
      int32_t ok = 0;
      m_pDb->DeleteRaw(static_cast<uint32_t>(m_A), row.substr(0, space).c_str(), std::stoi(row.substr(space + 1)), ok);
    }
    int32_t ok = 0;
    m_pDb->DeleteTable(DUMMY_TABLE, ok);
  }

  int32_t m_A = 0, m_B = 0;
  std::unique_ptr<CDummyClient> m_pClientA, m_pClientB;
};

TEST_F(ServerTableRestore, ACrashedPlayersGameIsSavedAndRestoredOnANewTable) {
  MidRound();
  const std::vector<std::string> packets = StoredPackets();
  ASSERT_EQ(WithItem(packets, TABLE_MSG_HELLO).size(), 2u) << "B's joining and his reconnect are in the store";
  const uint32_t timerStart = m_pTable->GetTimerStart();
  // The table's part of the store as it must be: seat 0 (A), seat 1 (B), three free seats.
  std::string seats;
  auto put = [&seats](int32_t v) {
    for (int i = 0; i < 4; ++i) seats += static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
  };
  put(1), put(1), put(0), put(0), put(m_A), seats += std::string("anna\0", 5);
  put(1), put(0), put(0), put(0), put(m_B), seats += std::string("bert\0", 5);
  for (int i = 2; i < DUMMY_SEATS; ++i) put(0), put(0), put(0), put(0), put(0), seats += '\0';
  put(0), put(3), put(1);  // A: thinking cleared by his bet, icon 3, flags 1
  put(1), put(7), put(0);

  ASSERT_EQ(m_pTable->CrashUser(m_A), 1);
  const auto rows = Records(m_A);
  ASSERT_EQ(rows.size(), packets.size() + 3);
  const std::string varStoreHex = rows.back().substr(rows.back().rfind('\t') + 1);
  EXPECT_EQ(varStoreHex.substr(0, Hex(seats).size()), Hex(seats)) << "the seats lead the store";
  std::string tail;
  std::swap(seats, tail);
  put(m_pTable->GetTimeoutTime()), put(static_cast<int32_t>(timerStart)), put(SERVERSTATE_BETTING), put(0);
  std::swap(seats, tail);
  EXPECT_EQ(varStoreHex.substr(varStoreHex.size() - Hex(tail).size()), Hex(tail)) << "the round ends it";
  std::string varStore;
  for (size_t i = 0; i + 1 < varStoreHex.size(); i += 2)
    varStore += static_cast<char>(std::stoi(varStoreHex.substr(i, 2), nullptr, 16));
  EXPECT_EQ(rows, ExpectedRecords(packets, varStore));
  EXPECT_TRUE(Records(m_B).empty());

  // The new table reads the round's packets back, filtered for A.
  ASSERT_EQ(StartRestoreTable(), 1);
  const auto restoredPackets = StoredPackets();
  EXPECT_TRUE(WithItem(restoredPackets, TABLE_MSG_HELLO).empty());
  const std::string a = std::to_string(m_A), b = std::to_string(m_B);
  EXPECT_EQ(WithItem(restoredPackets, "Shown"), std::vector<std::string>{"{ = PlayerData, Shown, " + a + ", 0\n    Card = 3\n}\n"});
  EXPECT_EQ(WithItem(restoredPackets, "Hole"),
            std::vector<std::string>{"{ = PrivatePlayerData, Hole, " + a + ", 0\n    Card = 5\n}\n"});
  EXPECT_EQ(restoredPackets.size(), packets.size() - 4) << "two with \"Hello\" alone, two of B's";
  EXPECT_EQ(m_pTable->IsReady(), 0);
  EXPECT_TRUE(m_pTable->Calls("RestoreGame").empty());

  std::vector<std::string> playerRecords, replayed;
  Reconnect(playerRecords, replayed);
  ASSERT_FALSE(m_Ended);
  EXPECT_EQ(m_pTable->Calls("RestoreGame"), std::vector<std::string>{"RestoreGame 25 0 0 0 0"});
  EXPECT_EQ(m_pTable->m_Pot, TMoney("12.5"));
  EXPECT_EQ(m_pTable->m_Odds, 2.25);
  EXPECT_EQ(m_pTable->m_Note, "dummy");
  // Seats: his own back as they were, B's emptied here.
  const CPlayerConnection& seat0 = *m_pTable->GetPlayerConnection(0);
  EXPECT_EQ(seat0.m_PlayerId, m_A);
  EXPECT_EQ(seat0.m_Joined, 1);
  EXPECT_EQ(seat0.m_BetFlag, 1);
  EXPECT_STREQ(seat0.GetUserName(), "anna");
  EXPECT_EQ(m_pTable->GetIconValue(0), 3);
  EXPECT_EQ(m_pTable->GetIconFlags(0), 1);
  EXPECT_FALSE(m_pTable->GetPlayerConnection(1)->IsHeld());
  EXPECT_EQ(m_pTable->GetIconValue(1), 0);
  EXPECT_EQ(m_pTable->GetBetTimeout(), 20);
  EXPECT_EQ(m_pTable->IsPacketStoreOn(), 1);
  // His client: player-node data and "GameSpec"; on the replay node "PlayerSeats", the round,
  // "ReconnectEnd"; "Hello" on the table node.
  EXPECT_EQ(WithItem(playerRecords, TABLE_CHUNK_GAMESPEC).size(), 1u);
  EXPECT_EQ(WithItem(playerRecords, TABLE_PL_MONEY).size(), 1u);
  ASSERT_EQ(replayed.size(), restoredPackets.size() + 2);
  EXPECT_EQ(replayed.front().rfind("PlayerSeats\nS = 1, 1, 0, " + a + "\nS = 0, 0, 0, 0\n", 0), 0u);
  for (size_t i = 0; i < restoredPackets.size(); ++i) EXPECT_EQ(replayed[i + 1], restoredPackets[i]);
  EXPECT_EQ(replayed.back(), "ReconnectEnd\n");
  EXPECT_EQ(WithItem(CDummyClient::All(m_pClientA->Table()), TABLE_MSG_HELLO),
            std::vector<std::string>{"Hello = " + a + "\n"});
  EXPECT_EQ(m_pTable->GetRestoreStep(), TABLE_RESTORE_WAIT_RECONNECTEND);

  // Nothing moves until his client echoes "ReconnectEnd".
  m_Clock.Advance(500);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetRestoreStep(), TABLE_RESTORE_WAIT_RECONNECTEND);
  EXPECT_EQ(Snapshot().size(), rows.size());
  ASSERT_TRUE(CDummyClient::Send(m_pClientA->Table(), "ReconnectEnd\n"));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetRestoreStep(), TABLE_RESTORE_NOW);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->Calls("RestoreGameAlterationCallback").size(), 1u);
  EXPECT_EQ(m_pTable->GetRestoreMode(), 0);
  EXPECT_EQ(m_pTable->GetReserveId(), 0);
  EXPECT_EQ(m_pTable->IsReady(), 1);
  EXPECT_EQ(m_pTable->GetTimerStart(), timerStart);
  // Betting resumes in the same tick; A's bet is the only one, so it closes at once.
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_BETSCLOSED);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM raw_records"), std::vector<std::string>{"0"}) << "every record is deleted";
}

TEST_F(ServerTableRestore, AGameStateOfFiftyThousandBytesSavesAndRestores) {
  MidRound();
  m_pTable->m_Note = std::string(50000, 'n');
  ASSERT_EQ(m_pTable->CrashUser(m_A), 1);
  ASSERT_EQ(StartRestoreTable(), 1);
  std::vector<std::string> playerRecords, replayed;
  Reconnect(playerRecords, replayed);
  ASSERT_FALSE(m_Ended);
  EXPECT_EQ(m_pTable->m_Note, std::string(50000, 'n'));
  EXPECT_EQ(m_pTable->m_Bets[0], 25);
}

TEST_F(ServerTableRestore, APracticeTableSavesNothing) {
  MidRound(STOVA_TABLE_PRACTICE);
  ASSERT_EQ(m_pTable->CrashUser(m_A), 1);
  m_pTable->SetTestRemove(1);
  ASSERT_EQ(m_pTable->SendExitSignal(m_B), 1);
  EXPECT_FALSE(m_pTable->GetPlayerConnection(1)->IsHeld()) << "his seat went all the same";
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM raw_records"), std::vector<std::string>{"0"});
}

TEST_F(ServerTableRestore, ASecondSaveReplacesTheFirstWholeOrNotAtAll) {
  MidRound();
  ASSERT_EQ(m_pTable->SaveForReconnect(m_A), 1);
  const auto first = Snapshot();
  ASSERT_GT(first.size(), 5u);

  // A save that fails part-way leaves the first set as it was.
  for (int32_t failAt : {0, 1, 3, static_cast<int32_t>(first.size()) - 1}) {
    SCOPED_TRACE(failAt);
    m_pTableDb->m_WriteRaws = 0;
    m_pTableDb->m_FailWriteRawAt = failAt;
    m_pTable->m_Bets[0] = 40 + failAt;
    EXPECT_EQ(m_pTable->SaveForReconnect(m_A), 0);
    EXPECT_EQ(Snapshot(), first);
    c2stovaError error;
    EXPECT_EQ(m_pTableDb->GetLastStovaError(error), 0) << "the error records were read";
  }
  m_pTableDb->m_FailWriteRawAt = -1;

  // The next round holds fewer packets: the second save leaves exactly its own records.
  m_pTable->m_Bets[0] = 25;
  m_pTable->StopPacketStore();
  m_pTable->ErasePackets();
  m_pTable->StartPacketStore();
  ASSERT_TRUE(CDummyClient::Send(*m_pTable->GetTableNode(), "ChangeClientState = 1\n"));
  ASSERT_EQ(m_pTable->CrashUser(m_A), 1);
  const auto second = Records(m_A);
  ASSERT_EQ(second.size(), 4u);
  EXPECT_EQ(second[1], Row("reconnectLog", 3, "ChangeClientState = 1\n"));
}

TEST_F(ServerTableRestore, TestRemoveSavesThenReleasesEverySeatOfThePlayerWithReasonZero) {
  MidRound();
  ASSERT_TRUE(m_pClientA->AllocateSlot(3));
  ASSERT_TRUE(Tick());
  ASSERT_EQ(m_pTable->GetPlayerConnection(3)->m_PlayerId, m_A);
  m_pClientA->Clear();
  m_pTable->SetTestRemove(1);
  ASSERT_EQ(m_pTable->SendExitSignal(m_A), 1);
  const auto released = WithItem(CDummyClient::All(m_pClientA->SlotAlloc()), TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(released.size(), 2u);
  for (const std::string& r : released) EXPECT_EQ(ItemLong(r, TABLE_ITEM_REASON), TABLE_REASON_NORMAL);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_SLOT), 0);
  EXPECT_EQ(ItemLong(released[1], TABLE_ITEM_SLOT), 3);
  const auto rows = Records(m_A);
  ASSERT_EQ(rows.size(), static_cast<size_t>(m_pTable->NumStoredPackets()) + 3);
  EXPECT_EQ(rows.back().find(Hex("varStore")), 0u);
  // The saved seats are those he held before he left.
  EXPECT_NE(rows.back().find(Hex("anna")), std::string::npos);
}

TEST_F(ServerTableRestore, ADeckAndHistoryLightsSurviveTheSaveAndTheRestore) {
  CDeck deck;
  ASSERT_EQ(deck.Init(2, 13), 1);
  for (int i = 0; i < 9; ++i) ASSERT_GE(deck.GetCard(), 0);
  CServerHistoryLed lights;
  ASSERT_EQ(lights.Create(6, 4), 1);
  for (uint32_t symbol : {0u, 2u, 1u}) lights.AddSymbolToHistory(symbol, nullptr);
  MidRound();
  m_pTable->m_StoreMore = [&] { return deck.Store(m_pTable.get()) && lights.StoreHistory(m_pTable.get()); };
  ASSERT_EQ(m_pTable->CrashUser(m_A), 1);

  CDeck restoredDeck;
  ASSERT_EQ(restoredDeck.Init(2, 13), 1);
  CServerHistoryLed restoredLights;
  ASSERT_EQ(restoredLights.Create(6, 4), 1);
  ASSERT_EQ(StartRestoreTable([&](CDummyGame& game, CScriptedStova&) {
              game.m_RestoreMore = [&] { return restoredDeck.ReStore(&game) && restoredLights.RestoreHistory(&game); };
            }),
            1);
  std::vector<std::string> playerRecords, replayed;
  Reconnect(playerRecords, replayed);
  ASSERT_FALSE(m_Ended);
  EXPECT_EQ(restoredDeck.GetNumCardsLeft(), 2 * 13 - 9);
  EXPECT_EQ(restoredDeck.GetNumEntries(), deck.GetNumEntries());
  for (int32_t value = 0; value < 13; ++value) EXPECT_EQ(restoredDeck.GetCopiesLeft(value), deck.GetCopiesLeft(value));
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(restoredLights.GetEntry(i), lights.GetEntry(i)) << i;
  EXPECT_EQ(restoredLights.GetEntry(0), 1u);

  // The round behind them reads back as it was stored.
  ASSERT_TRUE(CDummyClient::Send(m_pClientA->Table(), "ReconnectEnd\n"));
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetRestoreMode(), 0);
  EXPECT_EQ(m_pTable->Calls("RestoreGameAlterationCallback").size(), 1u);

  // Without a table, or with a store too short for them, they refuse.
  EXPECT_EQ(deck.Store(nullptr), 0);
  EXPECT_EQ(restoredLights.RestoreHistory(nullptr), 0);
  CDummyGame empty;
  ASSERT_EQ(empty.InitVarStore(4), 1);
  ASSERT_EQ(empty.SSAddLong(2), 1);
  EXPECT_EQ(restoredLights.RestoreHistory(&empty), 0);
  EXPECT_EQ(restoredLights.GetEntry(0), 1u) << "the history stays as it was";
  EXPECT_EQ(restoredDeck.ReStore(&empty), 0);
  EXPECT_EQ(restoredDeck.GetNumCardsLeft(), 0);
  EXPECT_EQ(empty.SSBytesLeft(), 4u) << "nothing was read";
}

// Damaged records: the new table refuses to start, or the restore fails cleanly, ends the table
// and leaves the records for whoever settles the stake.
TEST_F(ServerTableRestore, DamagedRecordsFailTheRestoreCleanly) {
  enum EOutcome { kInitFails, kEndsAtReconnect, kEndsAtRound, kRestored };
  // Each damage gets the saved "varStore" and changes the records through the test's connection.
  struct SCase {
    const char* m_Name;
    std::function<void(std::string& varStore)> m_Damage;
    EOutcome m_Outcome;
  } const cases[] = {
      {"a packet index missing", [this](std::string&) { Delete("reconnectLog", 4); }, kInitFails},
      {"a stored packet that does not parse", [this](std::string&) { Write("reconnectLog", 3, "Text = \"never closed\n"); }, kRestored},
      {"no stored game", [this](std::string&) { Delete("varStore", 0); }, kEndsAtReconnect},
      {"a short store", [](std::string& v) { v.resize(10); }, kEndsAtReconnect},
      {"a seat's holder below 0", [](std::string& v) { v.replace(16, 4, "\xff\xff\xff\xff"); }, kEndsAtReconnect},
      {"a flag that is no flag", [](std::string& v) { v[0] = 2; }, kEndsAtReconnect},
      {"the game's state cut", [](std::string& v) { v.resize(v.size() - 18); }, kEndsAtReconnect},
      {"the round cut", [](std::string& v) { v.resize(v.size() - 6); }, kEndsAtRound},
      {"a table state out of range", [](std::string& v) { v[v.size() - 8] = 9; }, kEndsAtRound},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    MidRound();
    ASSERT_EQ(m_pTable->CrashUser(m_A), 1);
    std::string varStore = Read("varStore", 0);
    const std::string saved = varStore;
    c.m_Damage(varStore);
    if (varStore != saved) Write("varStore", 0, varStore);
    const auto records = Snapshot();

    const int32_t started = StartRestoreTable();
    if (c.m_Outcome == kInitFails) {
      EXPECT_EQ(started, 0);
    } else {
      ASSERT_EQ(started, 1);
      for (const std::string& packet : StoredPackets()) EXPECT_EQ(packet.find("never closed"), std::string::npos);
      std::vector<std::string> playerRecords, replayed;
      Reconnect(playerRecords, replayed);
      EXPECT_EQ(m_Ended, c.m_Outcome == kEndsAtReconnect);
      if (!m_Ended) {
        ASSERT_TRUE(CDummyClient::Send(m_pClientA->Table(), "ReconnectEnd\n"));
        ASSERT_TRUE(Tick());
        Tick();
        EXPECT_EQ(m_Ended, c.m_Outcome == kEndsAtRound);
      }
    }
    if (c.m_Outcome == kRestored) {
      EXPECT_TRUE(Snapshot().empty());
    } else {
      EXPECT_EQ(Snapshot(), records) << "the records stay as they were";
    }
    if (m_pTable && !m_Ended) m_pTable->ExitTable();
    m_pTable.reset();
    m_Ended = true;
    Wipe();
  }
}

}  // namespace
