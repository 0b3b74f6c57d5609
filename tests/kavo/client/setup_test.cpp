// The table's set-up and tear-down headless with the authored scripts: both tables come up, and
// going leaves nothing behind.
#include <gtest/gtest.h>

#include "kavotablefixture.h"
#include "ostrel/sound/samplecontainer.h"

namespace {

class KavoSetup : public CKavoTableFixture {};

TEST_F(KavoSetup, TheRegularAndTheOneDeckTableComeUpAndLeaveNothing) {
  for (int32_t oneDeck = 0; oneDeck < 2; ++oneDeck) {
    SCOPED_TRACE(oneDeck ? "one deck" : "regular");
    std::unique_ptr<CBlackJackClientTable> table;
    if (oneDeck) table = std::make_unique<COneDeckClientTable>();
    ASSERT_EQ(StartTable(std::move(table), oneDeck ? KAVO_TEST_ONEDECK_TABLE_ID : KAVO_TEST_TABLE_ID), 1);
    Frames(5);
    EXPECT_EQ(Table().GetMaxCardsInPocket(), 20);
    EXPECT_NE(Table().GetChipStack(), nullptr);
    EXPECT_EQ(EndTable(), 1);
    EXPECT_EQ(Leftovers(), Before());
    for (uint32_t id = 0; id < KAVO_SAMPLES; ++id) ASSERT_EQ(Table().GetSamples()->FindSample(id), nullptr) << id;
  }
}

}  // namespace
