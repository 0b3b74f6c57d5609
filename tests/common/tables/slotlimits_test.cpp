// Coin values and jackpot indexes: the limits file, the record between the halves, and the
// bounds of every lookup.
#include <gtest/gtest.h>

#include <string>

#include "common/tables/slotlimits.h"
#include "ostrel/kcbl/kcbl.h"
#include "support/tempdir.h"

namespace {

using TMoney = CSlotLimits::TMoney;

const std::string kLimitsFile = std::string(VORRIN_TEST_DATA_DIR) + "/tables/limits.xrs";

void ExpectFileLimits(const CSlotLimits& limits) {
  ASSERT_EQ(limits.GetNumCoinValues(), 5u);
  const char* const values[] = {"0.05", "0.10", "0.25", "1", "5"};
  const int32_t jackpots[] = {-1, -1, 0, 1, 2};
  for (int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(limits.GetCoinValue(i), TMoney(values[i])) << i;
    EXPECT_EQ(limits.GetJackpotIndex(i), jackpots[i]) << i;
  }
}

// A record holding the text.
void Load(CKCBL& record, const std::string& text) {
  record.Free();
  ASSERT_EQ(record.Import(text.c_str(), static_cast<int32_t>(text.size())), 1);
  record.MainChunk();
  record.FirstItem();
}

TEST(SlotLimits, ReadTakesTheLimitsFileDataChunk) {
  CSlotLimits limits(kLimitsFile.c_str());
  EXPECT_EQ(limits.GetFileName(), kLimitsFile.c_str());
  EXPECT_EQ(limits.GetNumCoinValues(), 0u);
  ASSERT_EQ(limits.Read(), 1);
  ExpectFileLimits(limits);
  EXPECT_EQ(limits.GetDefaultCoinValueIndex(), 0u);

  CSlotLimits missing("no such limits.xrs");
  EXPECT_EQ(missing.Read(), 0);
  CSlotLimits unnamed(nullptr);
  EXPECT_EQ(unnamed.Read(), 0);
  // A script without a Data chunk.
  CTempDir dir;
  WriteWholeFile(dir.File("nodata.xrs"), "{ = Defines\n    A = 1\n}\n");
  const std::string noData = dir.File("nodata.xrs");
  CSlotLimits withoutData(noData.c_str());
  EXPECT_EQ(withoutData.Read(), 0);
}

TEST(SlotLimits, SendAndRecieveRoundTripThroughTheRecordText) {
  CSlotLimits server(kLimitsFile.c_str());
  ASSERT_EQ(server.Read(), 1);
  server.SetDefaultCoinValueIndex(3);
  CKCBL out;
  ASSERT_EQ(out.NewItem("Before", KLONG, 1, KEND), 1);
  ASSERT_EQ(server.Send(&out), 1);
  int32_t length = 0;
  ASSERT_EQ(out.ExportSize(&length), 1);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  ASSERT_NE(out.Export(text.data(), length + 1, &length, 0), -1);
  text.resize(static_cast<size_t>(length));

  CKCBL in;
  in.RestartMode(0);
  Load(in, text);
  CSlotLimits client(nullptr);
  ASSERT_EQ(client.Recieve(&in), 1) << text;
  ExpectFileLimits(client);
  EXPECT_EQ(client.GetDefaultCoinValueIndex(), 3u);

  // No values at all travel too.
  CSlotLimits empty(nullptr);
  CKCBL none;
  ASSERT_EQ(empty.Send(&none), 1);
  CSlotLimits received(nullptr);
  ASSERT_EQ(received.Recieve(&none), 1);
  EXPECT_EQ(received.GetNumCoinValues(), 0u);
  EXPECT_EQ(received.GetCoinValue(0), TMoney());
}

TEST(SlotLimits, LookupsOutsideTheValuesGiveZeroAndMinusOne) {
  CSlotLimits limits(kLimitsFile.c_str());
  for (int32_t index : {-1, 0, 5}) {
    EXPECT_EQ(limits.GetCoinValue(index), TMoney()) << "before reading " << index;
    EXPECT_EQ(limits.GetJackpotIndex(index), -1) << "before reading " << index;
  }
  ASSERT_EQ(limits.Read(), 1);
  const struct {
    int32_t m_Index;
    const char* m_Value;
    int32_t m_Jackpot;
  } kBounds[] = {{INT32_MIN, "0", -1}, {-1, "0", -1}, {0, "0.05", -1}, {4, "5", 2}, {5, "0", -1}, {INT32_MAX, "0", -1}};
  for (const auto& b : kBounds) {
    EXPECT_EQ(limits.GetCoinValue(b.m_Index), TMoney(b.m_Value)) << b.m_Index;
    EXPECT_EQ(limits.GetJackpotIndex(b.m_Index), b.m_Jackpot) << b.m_Index;
  }
}

TEST(SlotLimits, TheDefaultIndexStaysBelowTheCount) {
  CSlotLimits limits(kLimitsFile.c_str());
  ASSERT_EQ(limits.Read(), 1);
  const struct {
    int32_t m_Set;
    uint32_t m_Stored;
  } kIndexes[] = {{0, 0}, {4, 4}, {5, 4}, {6, 4}, {-1, 4}, {INT32_MIN, 4}};
  for (const auto& c : kIndexes) {
    limits.SetDefaultCoinValueIndex(c.m_Set);
    EXPECT_EQ(limits.GetDefaultCoinValueIndex(), c.m_Stored) << c.m_Set;
  }
}

// Counts that disagree with their arrays, counts above the cap and mistyped entries are refused,
// and the limits held before stay whole.
TEST(SlotLimits, RecordsWhoseCountsDisagreeAreRefusedWhole) {
  const char* const kBad[] = {
      "NUM_COIN_VALUES = 3\nCOIN_VALUES = {1, 2}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0, 0, 0}\n",
      "NUM_COIN_VALUES = 2\nCOIN_VALUES = {1, 2, 3}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0, 0}\n",
      "NUM_COIN_VALUES = 2\nCOIN_VALUES = {1, 2}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0}\n",
      "NUM_COIN_VALUES = 2\nCOIN_VALUES = {1, 2}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0, 0, 0}\n",
      "NUM_COIN_VALUES = 2\nCOIN_VALUES = 1, 2\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0, 0}\n",
      "NUM_COIN_VALUES = 2\nCOIN_VALUES = {1, many}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0, 0}\n",
      "NUM_COIN_VALUES = 2\nCOIN_VALUES = {1, 2}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0, x}\n",
      "NUM_COIN_VALUES = -1\nCOIN_VALUES = {}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {}\n",
      "NUM_COIN_VALUES = 1025\nCOIN_VALUES = {}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {}\n",
      "NUM_COIN_VALUES = many\nCOIN_VALUES = {}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {}\n",
      "COIN_VALUES = {1}\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0}\n",
      "NUM_COIN_VALUES = 1\nCOIN_VALUE_INDEX = 0\nJACKPOT_INDEXES = {0}\n",
      "NUM_COIN_VALUES = 1\nCOIN_VALUES = {1}\nCOIN_VALUE_INDEX = 0\n",
  };
  for (const char* text : kBad) {
    SCOPED_TRACE(text);
    CSlotLimits limits(kLimitsFile.c_str());
    ASSERT_EQ(limits.Read(), 1);
    limits.SetDefaultCoinValueIndex(2);
    CKCBL record;
    Load(record, text);
    EXPECT_EQ(limits.Recieve(&record), 0);
    ExpectFileLimits(limits);
    EXPECT_EQ(limits.GetDefaultCoinValueIndex(), 2u);
    Load(record, text);
    EXPECT_EQ(limits.ReadLimits(&record), 0);
    ExpectFileLimits(limits);
  }
  // The default index travels only in records.
  const char* noIndex = "NUM_COIN_VALUES = 2\nCOIN_VALUES = {1, 2}\nJACKPOT_INDEXES = {0, 0}\n";
  CSlotLimits limits(nullptr);
  CKCBL record;
  Load(record, noIndex);
  EXPECT_EQ(limits.Recieve(&record), 0);
  EXPECT_EQ(limits.GetNumCoinValues(), 0u);
  EXPECT_EQ(limits.ReadLimits(&record), 1);
  EXPECT_EQ(limits.GetNumCoinValues(), 2u);
  EXPECT_EQ(limits.Recieve(nullptr), 0);
  EXPECT_EQ(limits.ReadLimits(nullptr), 0);
  EXPECT_EQ(limits.Send(nullptr), 0);
}

TEST(SlotLimits, TheCapItselfIsTaken) {
  std::string values = "{", jackpots = "{";
  for (uint32_t i = 0; i < SLOTLIMITS_MAX_COIN_VALUES; ++i) {
    values += (i ? ", " : "") + std::to_string(i + 1);
    jackpots += (i ? ", " : "") + std::to_string(static_cast<int32_t>(i) - 1);
  }
  const std::string text = "NUM_COIN_VALUES = 1024\nCOIN_VALUES = " + values + "}\nJACKPOT_INDEXES = " + jackpots +
                           "}\nCOIN_VALUE_INDEX = 2000\n";
  CKCBL record;
  Load(record, text);
  CSlotLimits limits(nullptr);
  ASSERT_EQ(limits.Recieve(&record), 1);
  EXPECT_EQ(limits.GetNumCoinValues(), 1024u);
  EXPECT_EQ(limits.GetCoinValue(1023), TMoney(1024));
  EXPECT_EQ(limits.GetJackpotIndex(1023), 1022);
  EXPECT_EQ(limits.GetDefaultCoinValueIndex(), 1023u);
}

}  // namespace
