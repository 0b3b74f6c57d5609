// Light sequences on the test clock: the lamps of dialog 4090 of the test script.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "casino/connection/lightsequence.h"
#include "casino/startup/clientresources.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/crypto/random.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "support/casinotest.h"

namespace {

constexpr int32_t kLamps = 4090;
constexpr int32_t kLamp[] = {4091, 4092, 4093};
constexpr int32_t kOn = LIGHTSEQUENCE_STATE_ON, kOff = LIGHTSEQUENCE_STATE_OFF;

std::mt19937 g_Random;
int SeededRandom(uint32_t& out) {
  out = g_Random();
  return 1;
}

class Lights : public CCasinoTest {
 protected:
  void SetUp() override {
    CCasinoTest::SetUp();
    ASSERT_EQ(StartClient(), 1);
    ASSERT_EQ(m_Dialog.Create(GetMainResources(), kLamps, nullptr, 0, nullptr), 1);
  }
  void TearDown() override {
    m_Sequence.Stop();
    m_Dialog.Destroy();
    xSetRandSource(nullptr);
    CCasinoTest::TearDown();
  }
  // The three lamps' states.
  std::vector<int32_t> States() {
    std::vector<int32_t> s;
    for (int32_t id : kLamp) s.push_back(m_Dialog.GetCtrl(id)->GetState());
    return s;
  }
  void Start(const char* list, uint32_t minimum = 0, uint32_t maximum = 0) {
    ASSERT_EQ(m_Sequence.Set(&m_Dialog, GetMainResources(), list, minimum, maximum), 1);
    ASSERT_EQ(m_Sequence.Start(), 1);
  }
  // Passes of the loop until the lamps change (or a second went by); the time it took.
  uint32_t UntilChange() {
    const std::vector<int32_t> before = States();
    const uint32_t start = xGetTime();
    while (States() == before && xGetTime() - start < 1000) xHandler();
    return xGetTime() - start;
  }

  CDialog m_Dialog;
  LightSequence m_Sequence;
};

TEST_F(Lights, EntriesWithoutAWaitFollowAtOnceAndTheListRepeats) {
  EXPECT_EQ(States(), (std::vector<int32_t>{kOff, kOff, kOff}));
  Start("LAMPS_CHAIN");
  EXPECT_EQ(m_Sequence.IsRunning(), 1);
  EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOn, kOn}));
  EXPECT_EQ(m_Sequence.GetDelay(), 300u);
  for (int round = 0; round < 3; ++round) {
    const uint32_t off = UntilChange();
    EXPECT_EQ(States(), (std::vector<int32_t>{kOff, kOff, kOff}));
    EXPECT_GE(off, 300u);
    EXPECT_LE(off, 340u);
    UntilChange();
    EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOn, kOn}));
  }
}

TEST_F(Lights, RandomWaitsLieBetweenTheMinimumAndTheMaximum) {
  g_Random.seed(129);
  xSetRandSource(SeededRandom);
  Start("LAMPS_RANDOM", 40, 400);
  std::vector<uint32_t> delays;
  for (int n = 0; n < 40; ++n) {
    delays.push_back(m_Sequence.GetDelay());
    UntilChange();
  }
  uint32_t lowest = UINT32_MAX, highest = 0;
  for (uint32_t d : delays) {
    EXPECT_GE(d, 40u);
    EXPECT_LT(d, 400u);
    lowest = std::min(lowest, d);
    highest = std::max(highest, d);
  }
  EXPECT_LT(lowest, 120u) << "the waits spread over the range";
  EXPECT_GT(highest, 320u);
}

TEST_F(Lights, AMinimumAboveTheMaximumWaitsTheMinimum) {
  Start("LAMPS_RANDOM", 500, 100);
  EXPECT_EQ(m_Sequence.GetDelay(), 500u);
  Start("LAMPS_RANDOM", 250, 250);
  EXPECT_EQ(m_Sequence.GetDelay(), 250u);
}

TEST_F(Lights, AnUnknownControlOnlyMovesThePositionOn) {
  Start("LAMPS_UNKNOWN");
  EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOff, kOff}));
  EXPECT_EQ(m_Sequence.GetPosition(), 1);
  // The unknown lamp's entry waits its own time and changes nothing.
  const uint32_t start = xGetTime();
  while (m_Sequence.GetPosition() == 1) xHandler();
  EXPECT_EQ(m_Sequence.GetPosition(), 2);
  EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOff, kOff}));
  UntilChange();
  EXPECT_EQ(States(), (std::vector<int32_t>{kOff, kOff, kOff}));
  EXPECT_GE(xGetTime() - start, 200u);
}

TEST_F(Lights, EntriesWithAMissingOrMistypedFieldAreSkipped) {
  Start("LAMPS_DAMAGED");
  EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOff, kOff}));
  UntilChange();
  // The three damaged entries passed at once; lamp 2 never moved.
  EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOff, kOn}));
  EXPECT_EQ(m_Sequence.GetPosition(), 0);
}

TEST_F(Lights, AListThatNeverWaitsOrIsMissingIsRefused) {
  for (const char* list : {"LAMPS_NEVER_WAIT", "NO_SUCH_LIST"}) {
    SCOPED_TRACE(list);
    ASSERT_EQ(m_Sequence.Set(&m_Dialog, GetMainResources(), list, 0, 0), 1);
    EXPECT_EQ(m_Sequence.Start(), 0);
    EXPECT_EQ(m_Sequence.IsRunning(), 0);
    EXPECT_EQ(States(), (std::vector<int32_t>{kOff, kOff, kOff}));
  }
  EXPECT_EQ(m_Sequence.Set(&m_Dialog, nullptr, "LAMPS_CHAIN", 0, 0), 0);
  EXPECT_EQ(m_Sequence.Set(&m_Dialog, GetMainResources(), "", 0, 0), 0);
}

TEST_F(Lights, OnlyItsOwnTimerMovesItAndStopRemovesTheTimer) {
  Start("LAMPS_CHAIN");
  m_Sequence.TimerHandler(123);
  EXPECT_EQ(States(), (std::vector<int32_t>{kOn, kOn, kOn}));
  m_Sequence.TimerHandler(300);
  EXPECT_EQ(States(), (std::vector<int32_t>{kOff, kOff, kOff}));
  m_Sequence.Stop();
  EXPECT_EQ(m_Sequence.IsRunning(), 0);
  const uint32_t start = xGetTime();
  while (xGetTime() - start < 2000) xHandler();
  EXPECT_EQ(States(), (std::vector<int32_t>{kOff, kOff, kOff}));
}

}  // namespace
