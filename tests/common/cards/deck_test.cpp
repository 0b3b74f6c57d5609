// The shoe: counts, draws walked in list order, the random source's failures, the state store's
// bytes and hostile stores, and the first card's spread over many seeded shoes.
#include "common/cards/deck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>
#include <vector>

#include "ostrel/crypto/random.h"

namespace {

// Raw values for xRand: scripted ones first, then a seeded generator; failing() makes every draw
// report the machine's source as failed.
struct SRawSource {
  std::deque<uint32_t> script;
  std::mt19937 generator{20240611};
  bool failing = false;
};
SRawSource g_Source;

int RawSource(uint32_t& out) {
  if (g_Source.failing) return 0;
  if (!g_Source.script.empty()) {
    out = g_Source.script.front();
    g_Source.script.pop_front();
  } else {
    out = g_Source.generator();
  }
  return 1;
}

class DeckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Source = SRawSource{};
    xSetRandSource(RawSource);
  }
  void TearDown() override {
    xSetRandSource(nullptr);
    xResetRand();
  }
  // The (value, copies left) pairs as the store lists them.
  static std::vector<int32_t> Entries(const CDeck& deck) {
    std::vector<uint8_t> bytes;
    deck.StoreState(bytes);
    std::vector<int32_t> out;
    for (size_t at = 8; at + 4 <= bytes.size(); at += 4) {
      int32_t v;
      std::memcpy(&v, &bytes[at], 4);
      out.push_back(v);
    }
    return out;
  }
};

std::vector<uint8_t> Longs(std::initializer_list<int64_t> values) {
  std::vector<uint8_t> out;
  for (int64_t v : values)
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(uint64_t(v) >> shift));
  return out;
}

TEST_F(DeckTest, SixDecksDealEveryValueSixTimesThenRunDry) {
  CDeck deck;
  ASSERT_EQ(deck.Init(6, 52), 1);
  EXPECT_EQ(deck.GetNumCardsLeft(), 312);
  EXPECT_EQ(deck.GetNumEntries(), 52);
  std::vector<int> seen(52);
  for (int i = 0; i < 312; ++i) {
    const int32_t card = deck.GetCard();
    ASSERT_GE(card, 0);
    ASSERT_LT(card, 52);
    ++seen[card];
    EXPECT_EQ(deck.GetNumCardsLeft(), 311 - i);
  }
  for (int v = 0; v < 52; ++v) EXPECT_EQ(seen[v], 6) << v;
  EXPECT_EQ(deck.GetNumEntries(), 0);
  EXPECT_EQ(deck.GetCard(), -1);
  ASSERT_EQ(deck.Shuffle(), 1);  // a new round refills the shoe
  EXPECT_EQ(deck.GetNumCardsLeft(), 312);
}

TEST_F(DeckTest, DrawWalksTheEntriesInListOrder) {
  CDeck deck;
  ASSERT_EQ(deck.Init(2, 4), 1);  // entries 0:2 1:2 2:2 3:2
  // A raw value r draws r modulo the cards left; the draw counts the copies off the entries in
  // list order.
  g_Source.script = {0, 6, 3};
  EXPECT_EQ(deck.GetCard(), 0);  // 0 of 8: the first entry
  EXPECT_EQ(deck.GetCard(), 3);  // 6 of 7: past 0:1 1:2 2:2
  EXPECT_EQ(deck.GetCard(), 2);  // 3 of 6: past 0:1 1:2
  EXPECT_EQ(Entries(deck), (std::vector<int32_t>{0, 1, 1, 2, 2, 1, 3, 1}));
  g_Source.script = {0};
  EXPECT_EQ(deck.GetCard(), 0);  // the entry goes with its last copy
  EXPECT_EQ(Entries(deck), (std::vector<int32_t>{1, 2, 2, 1, 3, 1}));
  EXPECT_EQ(deck.GetNumEntries(), 3);
}

TEST_F(DeckTest, AFailingRandomSourceDrawsNothing) {
  CDeck deck;
  ASSERT_EQ(deck.Init(1, 52), 1);
  g_Source.failing = true;
  EXPECT_EQ(deck.GetCard(), -1);
  EXPECT_EQ(deck.GetNumCardsLeft(), 52);
  g_Source.failing = false;
  EXPECT_GE(deck.GetCard(), 0);
}

TEST_F(DeckTest, RemoveAndAddCards) {
  CDeck deck;
  ASSERT_EQ(deck.Init(2, 5), 1);
  EXPECT_EQ(deck.RemoveCard(3), 1);
  EXPECT_EQ(deck.RemoveCard(3), 1);
  EXPECT_EQ(deck.GetNumEntries(), 4);
  EXPECT_EQ(deck.RemoveCard(3), 0);  // used up
  EXPECT_EQ(deck.RemoveCard(5), 0);  // not a value of the shoe
  EXPECT_EQ(deck.RemoveCard(0xFFFFFFFFu), 0);
  EXPECT_EQ(deck.GetNumCardsLeft(), 8);

  EXPECT_EQ(deck.AddCard(3), 1);  // a new entry, at the end of the list
  EXPECT_EQ(deck.AddCard(0), 1);  // one more of an existing entry
  EXPECT_EQ(deck.AddCard(5), 0);
  EXPECT_EQ(deck.AddCard(-1), 0);
  EXPECT_EQ(Entries(deck), (std::vector<int32_t>{0, 3, 1, 2, 2, 2, 4, 2, 3, 1}));
  g_Source.script = {9};  // the last of ten cards
  EXPECT_EQ(deck.GetCard(), 3);
}

TEST_F(DeckTest, InitRefusesShoesThatCannotBe) {
  struct SCase {
    int32_t copies, values, result, cards;
  } cases[] = {
      {0, 52, 1, 0},  {1, 0, 1, 0}, {-1, 52, 0, 0}, {6, -52, 0, 0},
      {0x7FFFFFFF, 1, 1, 0x7FFFFFFF}, {0x40000000, 2, 0, 0}, {65536, 32768, 0, 0},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.copies << " x " << c.values);
    CDeck deck;
    EXPECT_EQ(deck.Init(c.copies, c.values), c.result);
    EXPECT_EQ(deck.GetNumCardsLeft(), c.cards);
    if (c.cards) {
      EXPECT_EQ(deck.AddCard(0), 0);  // full: no 2^31st card
    }
  }
}

TEST_F(DeckTest, StoreWritesCopiesEntriesAndPairs) {
  CDeck deck;
  ASSERT_EQ(deck.Init(3, 4), 1);
  deck.RemoveCard(1);
  deck.RemoveCard(1);
  deck.RemoveCard(1);
  deck.RemoveCard(2);
  std::vector<uint8_t> bytes = {0xAA};  // appended behind what the store holds
  deck.StoreState(bytes);
  std::vector<uint8_t> expected = {0xAA};
  const std::vector<uint8_t> longs = Longs({3, 3, 0, 3, 2, 2, 3, 3});
  expected.insert(expected.end(), longs.begin(), longs.end());
  EXPECT_EQ(bytes, expected);
}

TEST_F(DeckTest, RestoreRebuildsTheStoredShoe) {
  CDeck deck;
  ASSERT_EQ(deck.Init(6, 52), 1);
  for (int i = 0; i < 100; ++i) deck.GetCard();
  deck.AddCard(7);
  std::vector<uint8_t> bytes;
  deck.StoreState(bytes);
  const std::vector<uint8_t> tail = Longs({12345});  // the next item of the store
  bytes.insert(bytes.end(), tail.begin(), tail.end());

  CDeck restored;
  ASSERT_EQ(restored.Init(1, 52), 1);  // the number of values comes from Init
  size_t used = 0;
  ASSERT_EQ(restored.RestoreState(bytes.data(), bytes.size(), used), 1);
  EXPECT_EQ(used, bytes.size() - 4);
  EXPECT_EQ(restored.GetCopies(), 6);
  EXPECT_EQ(restored.GetNumCardsLeft(), 213);
  EXPECT_EQ(restored.GetNumEntries(), deck.GetNumEntries());
  EXPECT_EQ(Entries(restored), Entries(deck));
  // Both now deal alike from the same raw values.
  g_Source.generator.seed(99);
  std::vector<int32_t> a, b;
  for (int i = 0; i < 213; ++i) a.push_back(deck.GetCard());
  g_Source.generator.seed(99);
  for (int i = 0; i < 213; ++i) b.push_back(restored.GetCard());
  EXPECT_EQ(a, b);
  EXPECT_EQ(restored.Shuffle(), 1);
  EXPECT_EQ(restored.GetNumCardsLeft(), 312);
}

TEST_F(DeckTest, RestoreOfAnEmptyEntryCountGivesAnEmptyShoe) {
  for (int32_t entries : {0, -1, -7}) {
    CDeck deck;
    ASSERT_EQ(deck.Init(6, 52), 1);
    const std::vector<uint8_t> bytes = Longs({6, entries, 1, 1});
    size_t used = 99;
    EXPECT_EQ(deck.RestoreState(bytes.data(), bytes.size(), used), 1);
    EXPECT_EQ(used, 8u);
    EXPECT_EQ(deck.GetNumCardsLeft(), 0);
    EXPECT_EQ(deck.GetCard(), -1);
  }
}

TEST_F(DeckTest, HostileStoresAreRefusedWithoutReadingPastThem) {
  struct SCase {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"copies only", Longs({6})},
      {"count without its pairs", Longs({6, 1})},
      {"half a pair", Longs({6, 2, 0, 1, 5})},
      {"a pair cut short", [] { auto b = Longs({6, 1, 0, 1}); b.pop_back(); return b; }()},
      {"more entries than values", Longs({6, 53})},
      {"a huge entry count", Longs({6, 0x7FFFFFFF, 0, 1})},
      {"a value past the shoe", Longs({6, 1, 52, 1})},
      {"a negative value", Longs({6, 1, -1, 1})},
      {"a negative count", Longs({6, 2, 0, 3, 1, -1})},
      {"a value twice", Longs({6, 2, 4, 1, 4, 1})},
      {"more than 2^31 - 1 cards", Longs({6, 2, 0, 0x7FFFFFFF, 1, 1})},
      {"negative copies", Longs({-6, 0})},
      {"copies past the limit", Longs({0x7FFFFFFF, 0})},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    CDeck deck;
    ASSERT_EQ(deck.Init(6, 52), 1);
    // An exact-size copy, so that any read past the store is a read past the allocation.
    std::vector<uint8_t> exact(c.bytes);
    size_t used = 99;
    EXPECT_EQ(deck.RestoreState(exact.empty() ? nullptr : exact.data(), exact.size(), used), 0);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(deck.GetNumCardsLeft(), 0);
    EXPECT_EQ(deck.GetNumEntries(), 0);
    EXPECT_EQ(deck.GetCopies(), 6);
  }
}

TEST_F(DeckTest, RandomStoresNeverBreakTheShoe) {
  std::mt19937 rng(5);
  int restored = 0;
  for (int round = 0; round < 2000; ++round) {
    // Mostly small longs, so that many stores get past the counts, cut at any byte.
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 10; ++i) {
      const uint32_t pick = rng() % 16;
      const int64_t v = pick < 12 ? int64_t(pick % 10) : pick == 12 ? -1 : int64_t(rng());
      const std::vector<uint8_t> l = Longs({v});
      bytes.insert(bytes.end(), l.begin(), l.end());
    }
    bytes.resize(rng() % (bytes.size() + 1));
    CDeck deck;
    ASSERT_EQ(deck.Init(2, 8), 1);
    size_t used = 0;
    if (deck.RestoreState(bytes.data(), bytes.size(), used)) {
      ASSERT_LE(used, bytes.size());
      int32_t left = deck.GetNumCardsLeft();
      ASSERT_GE(left, 0);
      if (left > 1000) continue;  // a legal shoe of a billion cards: no need to deal it out
      for (int32_t card; (card = deck.GetCard()) >= 0; --left) ASSERT_LT(card, 8);
      ASSERT_EQ(left, 0);
      ++restored;
    } else {
      ASSERT_EQ(deck.GetNumCardsLeft(), 0);
    }
  }
  EXPECT_GT(restored, 200);  // the walk saw real shoes, not only refusals
}

// The count of cards left is kept, not summed: after every kind of change it must equal the sum of
// the copies the store lists, and each value's copies must match its listed entry, both for a
// shoe of card values and for one of more values than are looked up directly.
TEST_F(DeckTest, TheCardCountFollowsEveryChange) {
  struct SCase {
    const char* what;
    int32_t copies, values;
  } const cases[] = {{"six decks", 6, 52}, {"one deck", 1, 52}, {"many values", 1, 5000}, {"no copies", 0, 9000}};
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    CDeck deck;
    ASSERT_EQ(deck.Init(c.copies, c.values), 1);
    const auto check = [&](const char* step) {
      SCOPED_TRACE(step);
      const std::vector<int32_t> pairs = Entries(deck);
      int64_t sum = 0;
      std::vector<int32_t> listed(static_cast<size_t>(c.values));
      for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        sum += pairs[i + 1];
        listed[static_cast<size_t>(pairs[i])] = pairs[i + 1];
      }
      ASSERT_EQ(deck.GetNumCardsLeft(), sum);
      for (int32_t v = 0; v < c.values; ++v) ASSERT_EQ(deck.GetCopiesLeft(v), listed[static_cast<size_t>(v)]) << v;
      ASSERT_EQ(deck.GetCopiesLeft(-1), 0);
      ASSERT_EQ(deck.GetCopiesLeft(c.values), 0);
    };
    check("init");
    std::vector<int32_t> drawn;
    for (int32_t i = 0; i < 400; ++i) {
      const int32_t card = deck.GetCard();
      if (card >= 0) drawn.push_back(card);
    }
    check("draws");
    for (int32_t v : {0, 7, c.values - 1}) deck.RemoveCard(static_cast<uint32_t>(v));
    deck.RemoveCard(static_cast<uint32_t>(c.values));
    check("removals");
    for (size_t i = 0; i < drawn.size(); i += 2) ASSERT_EQ(deck.AddCard(drawn[i]), 1);
    EXPECT_EQ(deck.AddCard(c.values), 0);
    check("cards given back");
    g_Source.failing = true;
    EXPECT_EQ(deck.GetCard(), -1);
    g_Source.failing = false;
    check("a failed draw");

    std::vector<uint8_t> bytes;
    deck.StoreState(bytes);
    CDeck restored;
    ASSERT_EQ(restored.Init(c.copies, c.values), 1);
    size_t used = 0;
    ASSERT_EQ(restored.RestoreState(bytes.data(), bytes.size(), used), 1);
    EXPECT_EQ(restored.GetNumCardsLeft(), deck.GetNumCardsLeft());
    for (int32_t i = 0; i < 50 && deck.GetNumCardsLeft() > 0; ++i) {
      g_Source.generator.seed(static_cast<uint32_t>(i));
      const int32_t a = deck.GetCard();
      g_Source.generator.seed(static_cast<uint32_t>(i));
      ASSERT_EQ(restored.GetCard(), a) << "the index and the list agree after a restore";
    }
    check("draws after the store");
    // A refused store empties the shoe and its count.
    const std::vector<uint8_t> hostile = Longs({c.copies, 2, 0, 1, 0, 1});
    ASSERT_EQ(restored.RestoreState(hostile.data(), hostile.size(), used), 0);
    EXPECT_EQ(restored.GetNumCardsLeft(), 0);
    EXPECT_EQ(restored.GetCard(), -1);
    ASSERT_EQ(restored.Shuffle(), 1);
    EXPECT_EQ(restored.GetNumCardsLeft(), c.copies * c.values);
    while (deck.GetCard() >= 0) {
    }
    check("run dry");
    ASSERT_EQ(deck.AddCard(c.values / 2), 1);
    check("a card into an empty shoe");
    ASSERT_EQ(deck.Shuffle(), 1);
    check("shuffle");
    ASSERT_EQ(deck.Exit(), 1);
    check("exit");
    EXPECT_EQ(deck.Init(-1, c.values), 0);
    EXPECT_EQ(deck.GetNumCardsLeft(), 0);
    EXPECT_EQ(deck.AddCard(0), 0) << "a refused shoe has no values";
  }
}

// Pearson's chi-square of the draws at one place of the deal over many seeded one-deck shoes,
// against the 0.999 quantile of the distribution with 51 degrees of freedom.
TEST_F(DeckTest, DrawsAreUniformOverSeededShoes) {
  constexpr int kShoes = 52 * 400;
  constexpr double kQuantile999Df51 = 87.97;
  for (int place : {1, 30, 52}) {
    SCOPED_TRACE(place);
    std::vector<int> counts(52);
    CDeck deck;
    for (int shoe = 0; shoe < kShoes; ++shoe) {
      ASSERT_EQ(deck.Init(1, 52), 1);
      int32_t card = -1;
      for (int i = 0; i < place; ++i) card = deck.GetCard();
      ASSERT_GE(card, 0);
      ++counts[card];
    }
    const double expected = kShoes / 52.0;
    double chi2 = 0;
    for (int c : counts) chi2 += (c - expected) * (c - expected) / expected;
    EXPECT_LT(chi2, kQuantile999Df51);
  }
}

}  // namespace
