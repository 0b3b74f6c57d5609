// The client table's animations on the 800 x 600 headless screen: the chains from each starting
// animation to the end of the round's presentation, cards landing at once and spoken lines cut
// short while a round is replayed, numbers the table does not know, and the runs of chip flights
// over the seats, which start at seat 0 at every table and end with the chip speed back at 20.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "../../fennic/tablescreen.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "fennic/cardtable.h"
#include "ostrel/controls/static.h"
#include "ostrel/resources/resflags.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

constexpr int32_t kMaxCards = 4;
constexpr int32_t kChipW = 20, kChipH = 12;
constexpr int32_t kTurnSeat = 2;
constexpr int32_t kDealerX = 400, kDealerY = 120;
const TRGBA kGreen(0, 255, 0);

// A seat record whose settlement result a test sets, as the round's packets would.
class CResultRecord : public CBlackJackPlayerData {
 public:
  void SetResult(int32_t hand, int32_t condition, const TMoney& bet, const TMoney& win) {
    (hand == KAVO_HAND_2 ? m_WinCondition2 : m_WinCondition1) = condition;
    SetBet(hand, bet);
    SetReportedBet(hand, bet);
    SetWin(hand, win);
  }
  void Insure() { m_Insured = 1; }
};

// The table with its layout's places set by hand: the dealer's chip place, the seats' icons
// along the bottom, their bet spots above them and their hand-out points on the felt.
class CAnimTable : public CBlackJackClientTable {
 public:
  CAnimTable() {
    m_Layout.MaxCardsInPocket = kMaxCards;
    m_Layout.ChipXSize = kChipW;
    m_Layout.ChipYSize = kChipH;
    m_Layout.BetRemoveOffset[0] = 10;
    m_Layout.BetRemoveOffset[1] = -20;
    for (int32_t v = 0; v < KAVO_VIEWS; ++v) {
      m_Layout.DealerCoords[2 * v] = kDealerX;
      m_Layout.DealerCoords[2 * v + 1] = kDealerY;
      for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
        m_Layout.PlayerIconCoords[2 * (v * KAVO_NUM_SEATS + seat)] = Column(seat);
        m_Layout.PlayerIconCoords[2 * (v * KAVO_NUM_SEATS + seat) + 1] = 540;
      }
    }
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
      for (int32_t k = 0; k < KAVO_HANDOUT_SPOTS; ++k) {
        m_Layout.Handout3DCoords[2 * (seat * KAVO_HANDOUT_SPOTS + k)] = -0.24 + 0.12 * seat + 0.03 * (k - 1);
        m_Layout.Handout3DCoords[2 * (seat * KAVO_HANDOUT_SPOTS + k) + 1] = 0.12;
      }
      for (int32_t spot = 0; spot < KAVO_CHIP_SPOTS; ++spot)
        SetChipSpot(seat, spot, Column(seat) + 12 * (spot % 3 - 1), 420 + 10 * (spot / 3));
      SetInsuranceSpot(seat, 0, Column(seat) - 20, 380);
      SetInsuranceSpot(seat, 1, Column(seat) + 20, 380);
    }
  }
  static int32_t Column(int32_t seat) { return 100 + 150 * seat; }

  int32_t Exit() override { return 1; }
  int32_t FinishPresentation() override {
    ++m_Presented;
    return 1;
  }

  // What the game states do: an animation started by its number, the clearing that follows.
  void Begin(int32_t number) { m_Animation = number; }
  void SetClear(int32_t mode) { m_ClearMode = mode; }
  int32_t ClearMode() const { return m_ClearMode; }
  CResultRecord& Record(int32_t seat) { return static_cast<CResultRecord&>(*GetPlayerRecord(seat)); }
  void SetInsurance(int32_t pays, int32_t card) {
    m_InsurancePays = pays;
    m_InsuranceDealerCard = card;
  }
  void SetScannedCard(int32_t card) { m_ScannedCard = card; }
  void SetTurnSeat(int32_t seat) { m_TurnSeat = seat; }
  void SetSound(int32_t on) { m_SoundOn = on; }
  void SetShoeCard(CObject* card) { m_pShoeCard = card; }  // the table owns it
  CObject* ShoeCard() const { return m_pShoeCard; }
  void Say(int32_t first, int32_t second = -1) { SetSampleSequence(first, second); }
  int32_t SequenceHead() const { return m_SampleSequence[0]; }
  bool IconPlaceOf(int32_t seat, int32_t& x, int32_t& y) const { return IconPlace(seat, x, y); }
  bool HandoutPlaceOf(int32_t seat, int32_t& x, int32_t& y) { return HandoutPlace(seat, KAVO_HAND_UNSPLIT, x, y); }

  // The player sits at every seat.
  void HoldEverySeat() {
    m_NumSeats = KAVO_NUM_SEATS;
    m_ppPlayerConnections = new CPlayerConnection*[KAVO_NUM_SEATS];
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) m_ppPlayerConnections[seat] = new CPlayerConnection(seat);
    SetPlayerId(kMe);
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) AllocateSlot(seat, kMe);
  }
  static constexpr int32_t kMe = 7;

  int32_t m_Presented = 0;

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new CResultRecord; }
};

class CKavoAnimations : public CTableScreen {
 protected:
  void SetUp() override {
    CTableScreen::SetUp();
    ASSERT_EQ(m_Strip.CreateRGB(6 * (kChipW + 1), kChipH, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    m_Strip.Fill(&kGreen);
    // Six red chips, each with its corners left green: the strip's first pixel is its key.
    const TRGBA chip(200, 30, 30);
    for (int32_t y = 0; y < kChipH; ++y)
      for (int32_t x = 0; x < 6 * (kChipW + 1); ++x) {
        const int32_t cx = x % (kChipW + 1);
        const bool corner = (cx < 2 || cx >= kChipW - 2) && (y < 2 || y >= kChipH - 2);
        if (cx < kChipW && !corner) m_Strip.PutPixel(x, y, &chip);
      }
    m_Client = NewTable();
  }
  void TearDown() override {
    m_Client.reset();
    CTableScreen::TearDown();
  }

  // A table set up as the table's own set-up leaves it: the card scene seen from the middle seat
  // over the felt, the records made, a chip stack that jumps to its target.
  std::unique_ptr<CAnimTable> NewTable() {
    auto table = std::make_unique<CAnimTable>();
    CCardTable& scene = table->GetCardTable();
    EXPECT_EQ(scene.Init(KAVO_HAND_POSITIONS, 4, 13, 13), 1);
    EXPECT_EQ(scene.SetCardSize(40, 56), 1);
    EXPECT_EQ(scene.SetCardDimension(0.063, 0.088), 1);
    EXPECT_EQ(scene.SetTextureNames(Data("faces.bmp").c_str(), Data("back.bmp").c_str()), 1);
    EXPECT_EQ(scene.LoadTextures(), 1);
    double x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
    m_Table.GetActiveCamera()->GetPosition(&x, &y, &z);
    m_Table.GetActiveCamera()->GetRotate(&rx, &ry, &rz);
    scene.GetActiveCamera()->SetPosition(x, y, z);
    scene.GetActiveCamera()->SetRotate(rx, ry, rz);
    scene.SetCameraFOV(50, 38.5);
    scene.GetLight()->SetPosition(-0.4, 1.4, 0.3, 0.0);
    scene.SetPersistent(&m_Felt);
    EXPECT_EQ(table->CreatePlayerRecords(), 1);
    auto* stack = new CChipStack;
    stack->Init();
    stack->SetChipBitmap(&m_Strip);
    stack->SetDimension(kChipW, kChipH);
    stack->SetAnimation(0);
    table->SetChipStack(stack);
    table->SetTurnSeat(kTurnSeat);
    return table;
  }

  // Steps the running animation until it ends: the numbers in the order they ran.
  static std::vector<int32_t> RunChain(CAnimTable& table, int32_t* steps = nullptr) {
    std::vector<int32_t> seen{table.GetAnimationNumber()};
    int32_t n = 0;
    for (; n < 1000 && table.GetAnimationNumber() != 0; ++n) {
      EXPECT_EQ(table.IdleHandler(), 1) << "in animation " << table.GetAnimationNumber();
      const int32_t now = table.GetAnimationNumber();
      if (now != 0 && now != seen.back()) seen.push_back(now);
      Frame();
    }
    EXPECT_EQ(table.GetAnimationNumber(), 0) << "the chain ends";
    if (steps) *steps = n;
    return seen;
  }

  // The number of frames a move of the table's chip stack now takes: its speed.
  static int32_t ChipSpeed(CAnimTable& table) {
    CChipStack* stack = table.GetChipStack();
    stack->SetAnimation(1);
    stack->InitMove(0, 5.0, 0, 0, 400, 0);
    int32_t finished = 0, frames = 0;
    while (!finished && frames < 1000) {
      stack->Move(finished);
      ++frames;
    }
    stack->SetAnimation(0);
    Frame();
    return frames;
  }

  // Whether chips show on the screen layer (or the persistent one) at the point.
  static bool ChipsAt(int32_t x, int32_t y) { return IsChip(At(ScreenBytes(), x, y)); }
  static bool StampedAt(int32_t x, int32_t y) { return IsChip(At(PersistentBytes(), x, y)); }
  static bool IsChip(const TRGBA& c) { return c.r == 200 && c.g == 30 && c.b == 30; }

  // The dealer pocket's lists, the last four of which lift the hidden card, each `frames` long:
  // slide out to the right, lift, lay back face down, lay back turned over.
  void DealerMoves(CAnimTable& table, int32_t frames) {
    CPocket* dealer = table.GetCardTable().GetPocket(KAVO_DEALER);
    const double rest[POSE_AXES] = {0.02, 0, -0.2, 90, 0, 0}, out[POSE_AXES] = {0.12, 0, -0.2, 90, 0, 0},
                 up[POSE_AXES] = {0.12, 0.05, -0.2, 60, 0, 0}, turned[POSE_AXES] = {0.02, 0, -0.2, 90, -180, 0};
    for (int32_t i = 0; i < kMaxCards + 2; ++i) dealer->AddMove(List(rest, rest, 1));
    dealer->AddMove(List(rest, out, frames));
    dealer->AddMove(List(out, up, frames));
    dealer->AddMove(List(up, rest, frames));
    dealer->AddMove(List(up, turned, frames));
    std::copy(std::begin(rest), std::end(rest), m_BackDown);
    CObject* shoe = table.GetCardTable().GetCardObj(-1, 0, 0, 0, 1, 1);
    ASSERT_NE(shoe, nullptr);
    table.SetShoeCard(shoe);
  }

  CBitmap m_Strip;
  std::unique_ptr<CAnimTable> m_Client;
  double m_BackDown[POSE_AXES] = {};
};

// ---- chains ----

struct SChainCase {
  const char* What;
  int32_t Start;
  int32_t ClearMode;
  int32_t Pays;         // the insurance result pays
  int32_t Scanned;      // the dealer's peeked card, -1 none
  bool Bust;            // the turn seat's hand is marked done
  std::vector<int32_t> Chain;
  int32_t Presented;    // the server half told that the presentation is over
  bool DealerSpeaks;    // the dealer's new value may add its spoken line at the end
};

const SChainCase kChains[] = {
    {"a card, nothing to clear", 1, 0, 0, -1, false, {1}, 0, false},
    {"a card, then the players' hands", 1, 1, 0, -1, false, {1, 13, 14, 20}, 1, false},
    {"a card, then the dealer's", 1, 2, 0, -1, false, {1, 14, 20}, 1, false},
    {"a card, then the turn seat's", 1, 3, 0, -1, false, {1, 15}, 0, false},
    {"the end of the round", 13, 0, 0, -1, false, {13, 14, 20}, 1, false},
    {"the lost hands collected", 2, 0, 0, -1, false, {2, 13, 14, 20}, 1, false},
    {"a natural paid", 3, 0, 0, -1, false, {3, 15}, 0, false},
    {"a bust", 15, 3, 0, -1, true, {15, 17}, 0, false},
    {"insurance lost, spoken", 4, 0, 0, -1, false, {4, 5}, 0, false},
    {"insurance paid, spoken", 4, 0, 1, -1, false, {4, 5}, 0, false},
    {"the reveal, insurance lost", 6, 0, 0, -1, false, {6, 18, 8, 4, 5}, 0, false},
    {"the reveal, insurance paid", 6, 0, 1, -1, false, {6, 18, 9, 4, 5}, 0, false},
    {"the peek, nothing under", 7, 0, 0, -1, false, {7, 19, 11, 12}, 0, false},
    {"the peek, an ace under", 7, 0, 0, 0, false, {7, 19, 10}, 0, true},
    {"refused bets handed back", 16, 0, 0, -1, false, {16}, 0, false},
    {"a bonus win", 21, 0, 0, -1, false, {21}, 0, false},
};

TEST_F(CKavoAnimations, EveryStartingAnimationRunsItsChainToTheEnd) {
  for (const SChainCase& c : kChains) {
    SCOPED_TRACE(c.What);
    std::unique_ptr<CAnimTable> table = NewTable();
    table->SetClear(c.ClearMode);
    table->SetInsurance(c.Pays, 22);
    table->SetScannedCard(c.Scanned);
    if (c.Bust) table->Record(kTurnSeat).MarkDone();
    table->Begin(c.Start);
    std::vector<int32_t> chain = RunChain(*table);
    if (c.DealerSpeaks && chain.back() == CBlackJackClientTable::KAVO_ANIM_SAY) chain.pop_back();
    EXPECT_EQ(chain, c.Chain);
    EXPECT_EQ(table->m_Presented, c.Presented);
    EXPECT_EQ(table->ClearMode(), 0) << "every clearing is used up";
    for (int32_t run = 0; run < 5; ++run) {
      EXPECT_EQ(table->GetChipRunSeat(run), 0) << run;
      EXPECT_EQ(table->IsChipRunStarted(run), 0) << run;
    }
  }
}

TEST_F(CKavoAnimations, NumbersOutsideTheTableDoNothing) {
  CAnimTable& table = *m_Client;
  table.SetClear(2);
  table.Say(38, 7);
  const std::vector<uint8_t> before = PersistentBytes();
  for (int32_t number : {0, -1, 22, 1000}) {
    SCOPED_TRACE(number);
    table.Begin(number);
    EXPECT_EQ(table.IdleHandler(), 1);
    EXPECT_EQ(table.GetAnimationNumber(), number);
    EXPECT_EQ(table.ClearMode(), 2);
    EXPECT_EQ(table.SequenceHead(), 38);
    EXPECT_EQ(table.m_Presented, 0);
    EXPECT_EQ(table.GetCardTable().GetNumAnims(), 0);
  }
  EXPECT_EQ(PersistentBytes(), before);
}

// ---- replaying a round ----

TEST_F(CKavoAnimations, ThePeekPlaysItsFramesOrLandsAtOnceWhileReconnecting) {
  constexpr int32_t kFrames = 6;
  for (const int32_t reconnecting : {0, 1}) {
    SCOPED_TRACE(reconnecting);
    std::unique_ptr<CAnimTable> table = NewTable();
    DealerMoves(*table, kFrames);
    table->SetSound(1);
    table->SetReconnecting(reconnecting);
    table->Begin(CBlackJackClientTable::KAVO_ANIM_PEEK);
    int32_t steps = 0;
    EXPECT_EQ(RunChain(*table, &steps), (std::vector<int32_t>{7, 19, 11, 12}));
    if (reconnecting) {
      // One step each: the card at the end of every list, the line not spoken.
      EXPECT_EQ(steps, 4);
    } else {
      // Three lists of six frames, then [39] started and ended.
      EXPECT_GE(steps, 3 * kFrames + 2);
    }
    // Either way the hidden card lies back face down.
    const double(&pose)[POSE_AXES] = table->ShoeCard()->GetPose();
    for (int32_t axis = 0; axis < POSE_AXES; ++axis) EXPECT_DOUBLE_EQ(pose[axis], m_BackDown[axis]) << axis;
  }
}

TEST_F(CKavoAnimations, TheLiftedCardLeavesNoPictureWhereItRestedOnTheWay) {
  for (const int32_t reconnecting : {0, 1}) {
    SCOPED_TRACE(reconnecting);
    std::unique_ptr<CAnimTable> table = NewTable();
    DealerMoves(*table, 4);
    table->SetReconnecting(reconnecting);
    const std::vector<uint8_t> felt = PersistentBytes();
    table->Begin(CBlackJackClientTable::KAVO_ANIM_PEEK);
    // Slid out, lifted and laid back: it rests in the table's picture on its way...
    bool rested = false;
    for (int32_t n = 0; n < 100 && table->GetAnimationNumber() != 0; ++n) {
      ASSERT_EQ(table->IdleHandler(), 1);
      rested = rested || !Changed(felt, PersistentBytes()).empty();
      Frame();
    }
    EXPECT_TRUE(rested);
    // ...but never where it rested before: only where it lies now may the felt not show.
    CRect rest;
    ASSERT_EQ(table->GetCardTable().DrawObject(*table->ShoeCard(), QUAD_MEASURE, &rest), 1);
    rest.Inflate(2, 2);
    int32_t elsewhere = 0;
    for (const auto& [x, y] : Changed(felt, PersistentBytes()))
      elsewhere += x < rest.left || x > rest.right || y < rest.top || y > rest.bottom;
    EXPECT_EQ(elsewhere, 0);
  }
}

TEST_F(CKavoAnimations, SpokenLinesPlayInTurnOrEndAtOnceWhileReconnecting) {
  for (const int32_t reconnecting : {0, 1}) {
    SCOPED_TRACE(reconnecting);
    CAnimTable& table = *m_Client;
    table.SetSound(1);
    table.SetReconnecting(reconnecting);
    table.Say(38, 7);
    table.Begin(CBlackJackClientTable::KAVO_ANIM_SAY);
    int32_t steps = 0;
    RunChain(table, &steps);
    // Started, on to the second sample, ended.
    EXPECT_EQ(steps, reconnecting ? 1 : 3);
    EXPECT_EQ(table.SequenceHead(), -1) << "a line is spoken once";
  }
}

// ---- runs of chip flights ----

TEST_F(CKavoAnimations, TheCollectionFliesEachLostHandToTheDealerAndEndsAtSpeedTwenty) {
  CAnimTable& table = *m_Client;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    table.Record(seat).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(10 * (seat + 1)), TMoney());
  table.GetChipStack()->SetAnimation(1);
  table.GetChipStack()->SetSpeed(7);
  std::vector<int32_t> seats;
  int32_t done = 0, steps = 0;
  while (!done && steps < 500) {
    table.ChipCollectionStep(done);
    ++steps;
    const int32_t seat = table.GetChipRunSeat(1);
    if (table.IsChipRunStarted(1) && (seats.empty() || seats.back() != seat)) seats.push_back(seat);
    Frame();
  }
  ASSERT_EQ(done, 1);
  EXPECT_EQ(seats, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_GE(steps, 5 * 7) << "seven frames a seat at speed 7";
  EXPECT_LE(steps, 5 * 8);
  EXPECT_EQ(table.GetChipRunSeat(1), 0);
  EXPECT_EQ(table.IsChipRunStarted(1), 0);
  EXPECT_EQ(ChipSpeed(table), 20);
  // The next run starts at seat 0 again; without animation each flight shows once, at the
  // dealer's place.
  seats.clear();
  int32_t landed = 0;
  done = 0;
  for (steps = 0; !done && steps < 50; ++steps) {
    table.ChipCollectionStep(done);
    if (table.GetChipRunSeat(1) != (seats.empty() ? -1 : seats.back())) seats.push_back(table.GetChipRunSeat(1));
    if (ChipsAt(kDealerX, kDealerY)) ++landed;
    Frame();
  }
  EXPECT_EQ(seats, (std::vector<int32_t>{1, 2, 3, 4, 0}));
  EXPECT_EQ(landed, 5);
}

TEST_F(CKavoAnimations, TheSettlementPaysTheSeatsThatKeepChipsAndResetsEveryRecord) {
  CAnimTable& table = *m_Client;
  table.Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_WON, TMoney(10), TMoney(10));
  table.Record(3).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_PUSH, TMoney(20), TMoney());
  table.Record(4).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(5), TMoney());
  table.GetChipStack()->SetSpeed(3);
  bool paid[KAVO_NUM_SEATS] = {};
  int32_t done = 0, steps = 0;
  while (!done && steps < 100) {
    ASSERT_EQ(table.ChipSettlementStep(done), 1);
    ++steps;
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
      int32_t x = 0, y = 0;
      ASSERT_TRUE(table.IconPlaceOf(seat, x, y));
      if (ChipsAt(x, y)) paid[seat] = true;
    }
    Frame();
  }
  ASSERT_EQ(done, 1);
  // The won and the pushed hand reach their players' icons; the lost hand is the dealer's.
  EXPECT_FALSE(paid[0] || paid[2] || paid[4]);
  EXPECT_TRUE(paid[1] && paid[3]);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    EXPECT_EQ(table.Record(seat).GetBet(KAVO_HAND_1), TMoney()) << seat;
    EXPECT_EQ(table.Record(seat).GetReportedBet(KAVO_HAND_1), TMoney()) << seat;
    EXPECT_EQ(table.Record(seat).GetWin(KAVO_HAND_1), TMoney()) << seat;
  }
  EXPECT_EQ(table.GetChipRunSeat(0), 0);
  EXPECT_EQ(table.IsChipRunStarted(0), 0);
  EXPECT_EQ(ChipSpeed(table), 20);
}

TEST_F(CKavoAnimations, RefusedBetsGoBackSeatBySeatToTheirPlayerAndTheRunEndsAtSpeedTwenty) {
  CAnimTable& table = *m_Client;
  table.HoldEverySeat();
  ASSERT_EQ(table.GetIndex(), 0);
  // Bets the server never took: none was reported back.
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) table.Record(seat).SetBet(KAVO_HAND_1, TMoney(5 * (seat + 1)));
  table.GetChipStack()->SetSpeed(4);
  table.Begin(CBlackJackClientTable::KAVO_ANIM_BETRETURN);
  // Without animation each flight shows once, at the player's icon, and the run moves on.
  std::vector<int32_t> seats;
  bool back[KAVO_NUM_SEATS] = {};
  for (int32_t n = 0; n < 200 && table.GetAnimationNumber() != 0; ++n) {
    ASSERT_EQ(table.IdleHandler(), 1);
    seats.push_back(table.GetChipRunSeat(2));
    for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) {
      int32_t x = 0, y = 0;
      ASSERT_TRUE(table.IconPlaceOf(s, x, y));
      back[s] = back[s] || ChipsAt(x, y);
    }
    Frame();
  }
  EXPECT_EQ(table.GetAnimationNumber(), 0);
  EXPECT_EQ(seats, (std::vector<int32_t>{1, 2, 3, 4, 0}));
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    EXPECT_TRUE(back[seat]) << seat;
    EXPECT_EQ(table.Record(seat).GetBet(KAVO_HAND_1), TMoney()) << seat;
  }
  EXPECT_EQ(table.GetChipRunSeat(2), 0);
  EXPECT_EQ(table.IsChipRunStarted(2), 0);
  EXPECT_EQ(ChipSpeed(table), 20);
}

TEST_F(CKavoAnimations, ARunCutShortAtOneTableDoesNotShiftTheNextTablesRun) {
  const auto lose = [](CAnimTable& table) {
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      table.Record(seat).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(25), TMoney());
    table.GetChipStack()->SetAnimation(1);
    table.GetChipStack()->SetSpeed(10);
  };
  lose(*m_Client);
  int32_t done = 0;
  for (int32_t n = 0; n < 25; ++n) m_Client->ChipCollectionStep(done);
  ASSERT_EQ(m_Client->GetChipRunSeat(1), 2);
  ASSERT_EQ(m_Client->IsChipRunStarted(1), 1);
  // The player leaves in the middle of the run and opens another table.
  m_Client.reset();
  std::unique_ptr<CAnimTable> next = NewTable();
  lose(*next);
  next->ChipCollectionStep(done);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(next->GetChipRunSeat(1), 0);
  EXPECT_EQ(next->IsChipRunStarted(1), 1);
}

TEST_F(CKavoAnimations, AFlightThatCannotBeSetUpFailsTheStepAndLeavesTheRunReset) {
  CAnimTable& table = *m_Client;
  table.Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_WON, TMoney(10), TMoney(10));
  table.Record(3).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(10), TMoney());
  struct SFailCase {
    const char* What;
    int32_t Animation;
    int32_t Run;
  };
  for (const SFailCase& c : {SFailCase{"settlement", 20, 0}, SFailCase{"collection", 2, 1}}) {
    SCOPED_TRACE(c.What);
    table.SetChipStack(nullptr);
    table.Begin(c.Animation);
    EXPECT_EQ(table.IdleHandler(), 0);
    EXPECT_EQ(table.GetChipRunSeat(c.Run), 0);
    EXPECT_EQ(table.IsChipRunStarted(c.Run), 0);
    EXPECT_EQ(table.m_Presented, 0);
  }
  // With a chip stack again the round's end plays from seat 0 to the end.
  auto* stack = new CChipStack;
  stack->Init();
  stack->SetChipBitmap(&m_Strip);
  stack->SetDimension(kChipW, kChipH);
  table.SetChipStack(stack);
  table.Begin(CBlackJackClientTable::KAVO_ANIM_COLLECT);
  EXPECT_EQ(RunChain(table), (std::vector<int32_t>{2, 13, 14, 20}));
  EXPECT_EQ(table.m_Presented, 1);
}

// ---- single flights ----

struct SPoint {
  int32_t X = -1, Y = -1;
};

struct SFlightCase {
  const char* What;
  int32_t Animation;
  std::function<void(CAnimTable&)> Prepare;
  std::function<SPoint(CAnimTable&)> Target;
  bool Stamped;  // kept on the table once landed, until the round's chips are settled
};

const SFlightCase kFlights[] = {
    {"a natural's win to the seat's hand-out point", 3,
     [](CAnimTable& t) { t.Record(kTurnSeat).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_NATURAL, TMoney(10), TMoney(15)); },
     [](CAnimTable& t) {
       SPoint p;
       t.HandoutPlaceOf(kTurnSeat, p.X, p.Y);
       return p;
     },
     true},
    {"a bust's bet to the dealer", 15,
     [](CAnimTable& t) {
       t.Record(kTurnSeat).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(10), TMoney());
       t.Record(kTurnSeat).MarkDone();
     },
     [](CAnimTable&) { return SPoint{kDealerX, kDealerY}; }, false},
    {"a lost insurance to the dealer", 5,
     [](CAnimTable& t) {
       t.Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(20), TMoney());
       t.Record(1).Insure();
       t.SetInsurance(0, -1);
     },
     [](CAnimTable&) { return SPoint{kDealerX, kDealerY}; }, false},
    {"a paid insurance beside its stake", 5,
     [](CAnimTable& t) {
       t.Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(20), TMoney());
       t.Record(1).Insure();
       t.Record(1).SetInsuranceStake(TMoney(20));
       t.SetInsurance(1, 22);
     },
     [](CAnimTable& t) {
       SPoint p;
       t.GetInsuranceSpot(1, 1, p.X, p.Y);
       return p;
     },
     true},
    {"a bonus win to the player", 21,
     [](CAnimTable& t) { t.Record(kTurnSeat).SetWin(KAVO_HAND_1, TMoney(7)); },
     [](CAnimTable& t) {
       SPoint p;
       t.IconPlaceOf(kTurnSeat, p.X, p.Y);
       return p;
     },
     false},
};

TEST_F(CKavoAnimations, EachFlightLandsAtItsPlaceAndStampsLeaveWithTheRound) {
  for (const SFlightCase& c : kFlights) {
    SCOPED_TRACE(c.What);
    std::unique_ptr<CAnimTable> table = NewTable();
    c.Prepare(*table);
    const SPoint at = c.Target(*table);
    ASSERT_FALSE(StampedAt(at.X, at.Y));
    table->Begin(c.Animation);
    bool landed = false;
    for (int32_t n = 0; n < 100 && table->GetAnimationNumber() != 0; ++n) {
      ASSERT_EQ(table->IdleHandler(), 1);
      landed = landed || ChipsAt(at.X, at.Y);
      Frame();
    }
    EXPECT_TRUE(landed);
    EXPECT_EQ(StampedAt(at.X, at.Y), c.Stamped);
    // The round's end takes every chip off the table.
    table->Begin(CBlackJackClientTable::KAVO_ANIM_SETTLE);
    RunChain(*table);
    EXPECT_FALSE(StampedAt(at.X, at.Y));
  }
}

// ---- the insurance and the records' own stamps ----

TEST_F(CKavoAnimations, APaidInsuranceStampsItsStakeAndItsControlStopsDrawingItUntilTheSettlement) {
  CAnimTable& table = *m_Client;
  table.Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(20), TMoney());
  table.Record(1).Insure();
  table.Record(1).SetInsuranceStake(TMoney(20));
  table.DrawInsuranceChips(1);
  CStatic* stake = table.GetInsuranceChipStatic(1, 0);
  ASSERT_NE(stake, nullptr);
  ASSERT_TRUE(stake->GetFlags() & CNTRL_HASBITMAP);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(table.GetInsuranceSpot(1, 0, x, y));
  table.SetInsurance(1, 22);
  table.Begin(CBlackJackClientTable::KAVO_ANIM_INSURANCE);
  RunChain(table);
  EXPECT_TRUE(StampedAt(x, y)) << "the stake lies in the table's picture";
  EXPECT_FALSE(stake->GetFlags() & CNTRL_HASBITMAP) << "and its control no longer draws it";
  // A lost insurance keeps its control as it was.
  std::unique_ptr<CAnimTable> lost = NewTable();
  lost->Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(20), TMoney());
  lost->Record(1).Insure();
  lost->DrawInsuranceChips(1);
  lost->SetInsurance(0, -1);
  lost->Begin(CBlackJackClientTable::KAVO_ANIM_INSURANCE);
  RunChain(*lost);
  ASSERT_NE(lost->GetInsuranceChipStatic(1, 0), nullptr);
  EXPECT_TRUE(lost->GetInsuranceChipStatic(1, 0)->GetFlags() & CNTRL_HASBITMAP);
  // The round's end takes the stamp away and gives the control its picture back.
  table.Begin(CBlackJackClientTable::KAVO_ANIM_SETTLE);
  RunChain(table);
  EXPECT_FALSE(StampedAt(x, y));
  EXPECT_TRUE(stake->GetFlags() & CNTRL_HASBITMAP);
}

TEST_F(CKavoAnimations, TheChipsARecordStampsWithItsHandLeaveWithTheSettlement) {
  CAnimTable& table = *m_Client;
  // An insured seat and a seat paid for its natural, as their hands are drawn over and over.
  table.Record(1).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_LOST, TMoney(20), TMoney());
  table.Record(1).Insure();
  table.Record(3).SetResult(KAVO_HAND_UNSPLIT, KAVO_WIN_NATURAL, TMoney(10), TMoney(15));
  table.Record(3).SetWon(1);
  const std::vector<uint8_t> felt = PersistentBytes();
  table.RedrawAllHands(nullptr);
  SPoint bet1, insurance1, bet3;
  ASSERT_TRUE(table.GetChipSpot(1, 4, bet1.X, bet1.Y));
  ASSERT_TRUE(table.GetInsuranceSpot(1, 0, insurance1.X, insurance1.Y));
  ASSERT_TRUE(table.GetChipSpot(3, 4, bet3.X, bet3.Y));
  for (const SPoint& p : {bet1, insurance1, bet3}) ASSERT_TRUE(StampedAt(p.X, p.Y)) << p.X << "," << p.Y;
  table.Begin(CBlackJackClientTable::KAVO_ANIM_SETTLE);
  RunChain(table);
  EXPECT_TRUE(Changed(felt, PersistentBytes()).empty());
}

}  // namespace
