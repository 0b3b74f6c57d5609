// The suffix sort, the block sort and its inverse, against plain sorting.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ostrel/compression/zzipbwt.h"
#include "ostrel/compression/zzipsais.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::vector<int32_t> NaiveSuffixArray(const Bytes& s) {
  std::vector<int32_t> sa(s.size());
  std::iota(sa.begin(), sa.end(), 0);
  std::sort(sa.begin(), sa.end(), [&](int32_t a, int32_t b) {
    return std::lexicographical_compare(s.begin() + a, s.end(), s.begin() + b, s.end());
  });
  return sa;
}

// Inputs that stress the recursion: repeats, runs, periodic and Fibonacci words, small alphabets.
std::vector<Bytes> Samples() {
  std::vector<Bytes> all = {B(""), B("a"), B("ab"), B("ba"), B("aaaa"), B("banana"), B("mississippi"),
                            B("abracadabra"), B("abababababab"), B("zyxwvutsrqponm")};
  std::string fib = "a", prev = "b";
  for (int i = 0; i < 12; ++i) {
    std::string next = fib + prev;
    prev = fib;
    fib = next;
  }
  all.push_back(B(fib));
  all.push_back(Bytes(1000, 0));
  all.push_back(Bytes(1000, 255));
  std::mt19937 rng(7);
  for (int alphabet : {1, 2, 3, 4, 26, 256}) {
    for (int len : {5, 17, 64, 300, 2000}) {
      Bytes s(static_cast<size_t>(len));
      for (auto& c : s) c = static_cast<uint8_t>(rng() % static_cast<unsigned>(alphabet));
      all.push_back(s);
    }
  }
  for (int period : {2, 3, 7, 100}) {
    Bytes s(3000);
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>("abcdefg"[i % 7] + i % static_cast<size_t>(period));
    all.push_back(s);
  }
  return all;
}

Bytes NaiveBlockSort(const Bytes& s, uint32_t* primary) {
  // Rows are the suffixes of s plus the end mark; the last column is the byte before each.
  const std::vector<int32_t> sa = NaiveSuffixArray(s);
  Bytes out;
  if (!s.empty()) out.push_back(s.back());
  for (size_t i = 0; i < sa.size(); ++i) {
    if (sa[i] == 0)
      *primary = static_cast<uint32_t>(i + 1);
    else
      out.push_back(s[static_cast<size_t>(sa[i] - 1)]);
  }
  return out;
}

// Rows as the stream decoder makes them: the count of equal bytes before each, above the byte,
// with the primary row left out.
std::vector<uint32_t> RowsOf(const Bytes& l, uint32_t primary, const uint32_t counts[256]) {
  std::vector<uint32_t> rows;
  uint32_t seen[256] = {};
  for (size_t i = 0; i < l.size(); ++i) {
    if (i == primary) rows.push_back(0xDEADBEEF);  // never read
    rows.push_back(seen[l[i]]++ << 8 | l[i]);
  }
  if (primary == l.size()) rows.push_back(0xDEADBEEF);
  for (int c = 0; c < 256; ++c) EXPECT_EQ(seen[c], counts[c]);
  return rows;
}

// The text the walk leaves in the rows' memory.
Bytes TextOf(const std::vector<uint32_t>& rows, size_t n) {
  const auto* p = reinterpret_cast<const uint8_t*>(rows.data());
  return Bytes(p, p + n);
}

Bytes Unsort(const Bytes& l, uint32_t primary) {
  uint32_t counts[256] = {};
  for (uint8_t c : l) ++counts[c];
  Bytes out(l.size());
  EXPECT_EQ(ZZipBlockUnsort(l.data(), static_cast<uint32_t>(l.size()), primary, counts, out.data()), 1);
  return out;
}
}  // namespace

TEST(ZZipSortTest, SuffixArrayMatchesPlainSorting) {
  for (const Bytes& s : Samples()) {
    std::vector<int32_t> sa(s.size());
    ASSERT_TRUE(ZZipSuffixArray(s.data(), sa.data(), static_cast<int32_t>(s.size())));
    EXPECT_EQ(sa, NaiveSuffixArray(s)) << std::string(s.begin(), s.end()).substr(0, 40);
  }
}

TEST(ZZipSortTest, BlockSortOfBanana) {
  // Rotations of "banana$" sorted: $banana a$banan ana$ban anana$b banana$ na$bana nana$ba.
  const Bytes s = B("banana");
  Bytes out(s.size());
  uint32_t primary = 0;
  ASSERT_TRUE(ZZipBlockSort(s.data(), 6, out.data(), &primary));
  EXPECT_EQ(std::string(out.begin(), out.end()), "annbaa");
  EXPECT_EQ(primary, 4u);
  EXPECT_EQ(Unsort(out, primary), s);
}

TEST(ZZipSortTest, BlockSortRoundTrips) {
  for (const Bytes& s : Samples()) {
    if (s.empty()) continue;
    Bytes out(s.size());
    uint32_t primary = 0, want = 0;
    ASSERT_TRUE(ZZipBlockSort(s.data(), static_cast<uint32_t>(s.size()), out.data(), &primary));
    EXPECT_EQ(out, NaiveBlockSort(s, &want));
    EXPECT_EQ(primary, want);
    EXPECT_EQ(Unsort(out, primary), s);
  }
}

TEST(ZZipSortTest, UnsortRefusesBadIndexAndCounts) {
  const Bytes l = B("annbaa");
  uint32_t counts[256] = {};
  for (uint8_t c : l) ++counts[c];
  Bytes out(l.size());
  EXPECT_EQ(ZZipBlockUnsort(l.data(), 6, 0, counts, out.data()), 0);
  EXPECT_EQ(ZZipBlockUnsort(l.data(), 6, 7, counts, out.data()), 0);
  ++counts['x'];
  EXPECT_EQ(ZZipBlockUnsort(l.data(), 6, 4, counts, out.data()), 0);
}

// Every arrangement of a few bytes, as text and as sorted block with every index: the inverse
// takes exactly the pairs that sorting some text gives, and gives that text back.
TEST(ZZipSortTest, UnsortTakesExactlyWhatSomeTextSortsTo) {
  for (const std::string letters : {"aaabnn", "abcdeff", "aabbbcc"}) {
    Bytes s = B(letters);
    std::map<std::pair<Bytes, uint32_t>, Bytes> sortsTo;
    std::vector<Bytes> arrangements;
    do {
      uint32_t primary = 0;
      sortsTo[{NaiveBlockSort(s, &primary), primary}] = s;
      arrangements.push_back(s);
    } while (std::next_permutation(s.begin(), s.end()));

    const uint32_t n = static_cast<uint32_t>(s.size());
    uint32_t counts[256] = {};
    for (uint8_t c : s) ++counts[c];
    for (const Bytes& l : arrangements) {
      for (uint32_t p = 1; p <= n; ++p) {
        const auto text = sortsTo.find({l, p});
        Bytes out(n);
        const int32_t got = ZZipBlockUnsort(l.data(), n, p, counts, out.data());
        std::vector<uint32_t> rows = RowsOf(l, p, counts);
        EXPECT_EQ(ZZipBlockUnsortRows(rows.data(), n, p, counts, nullptr, 0), got);
        EXPECT_EQ(got, text != sortsTo.end() ? 1 : 0) << letters << " " << p;
        if (got == 1 && text != sortsTo.end()) {
          EXPECT_EQ(out, text->second);
          EXPECT_EQ(TextOf(rows, n), text->second);
        }
      }
    }
  }
}

TEST(ZZipSortTest, UnsortOfLargeBlocksAndOfBlocksThatAreNoSortedBlock) {
  // Large enough that the inverse walks many pieces spanning several chunks of its scratch area.
  std::mt19937 rng(11);
  Bytes s(300000);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>("abcabd"[rng() % 6] + (i / 5000) % 3);
  Bytes l(s.size());
  uint32_t primary = 0;
  ASSERT_TRUE(ZZipBlockSort(s.data(), static_cast<uint32_t>(s.size()), l.data(), &primary));
  EXPECT_TRUE(Unsort(l, primary) == s);

  // Random bytes make rows that fall apart into many cycles: refused, and nothing is touched
  // outside the blocks.
  for (uint32_t p : {1u, 2u, 4096u, 150000u, 300000u}) {
    uint32_t counts[256] = {};
    for (auto& c : l) ++counts[c = static_cast<uint8_t>(1 + rng() % 3)];
    Bytes out(l.size());
    EXPECT_EQ(ZZipBlockUnsort(l.data(), static_cast<uint32_t>(l.size()), p, counts, out.data()), 0) << p;
  }
}

TEST(ZZipSortTest, SuffixArrayWithSortedBlockMatchesBoth) {
  for (const Bytes& s : Samples()) {
    if (s.empty()) continue;
    const int32_t n = static_cast<int32_t>(s.size());
    std::vector<int32_t> sa(s.size());
    Bytes bwt(s.size());
    int32_t zero = -1;
    ASSERT_TRUE(ZZipSuffixArrayBwt(s.data(), sa.data(), n, bwt.data(), &zero));
    const std::vector<int32_t> want = NaiveSuffixArray(s);
    EXPECT_EQ(sa, want);
    ASSERT_TRUE(zero >= 0 && zero < n);
    EXPECT_EQ(sa[static_cast<size_t>(zero)], 0);
    for (int32_t i = 0; i < n; ++i) {
      if (i == zero) continue;
      EXPECT_EQ(bwt[static_cast<size_t>(i)], s[static_cast<size_t>(want[static_cast<size_t>(i)] - 1)]);
    }
  }
}

TEST(ZZipSortTest, UnsortFromRowsMatchesUnsortForBlocksAndDamagedIndexes) {
  std::vector<Bytes> inputs = Samples();
  std::mt19937 rng(5);
  Bytes large(200000);
  for (auto& c : large) c = static_cast<uint8_t>("xyzzy"[rng() % 5]);
  inputs.push_back(large);
  for (const Bytes& s : inputs) {
    if (s.empty()) continue;
    const uint32_t n = static_cast<uint32_t>(s.size());
    Bytes l(s.size());
    uint32_t primary = 0, counts[256] = {};
    ASSERT_TRUE(ZZipBlockSort(s.data(), n, l.data(), &primary));
    for (uint8_t c : l) ++counts[c];
    // Scratch areas of every size: none, smaller than the block, and with room to spare.
    for (size_t room : {size_t{0}, size_t{n / 3}, size_t{n + 1000}}) {
      std::vector<uint32_t> rows = RowsOf(l, primary, counts);
      Bytes scratch(room);
      ASSERT_EQ(ZZipBlockUnsortRows(rows.data(), n, primary, counts, scratch.data(), room), 1);
      EXPECT_EQ(TextOf(rows, n), s);
    }
    // Any other index gives the same as the inverse from the bytes.
    for (uint32_t p : {1u, n / 2 + 1, n}) {
      Bytes fromBytes(s.size());
      const int32_t got = ZZipBlockUnsort(l.data(), n, p, counts, fromBytes.data());
      std::vector<uint32_t> rows = RowsOf(l, p, counts);
      ASSERT_EQ(ZZipBlockUnsortRows(rows.data(), n, p, counts, nullptr, 0), got) << p;
      if (got == 1) {
        EXPECT_EQ(TextOf(rows, n), fromBytes) << p;
      }
    }
  }
  uint32_t counts[256] = {};
  for (uint8_t c : B("annbaa")) ++counts[c];
  std::vector<uint32_t> rows = RowsOf(B("annbaa"), 4, counts);
  EXPECT_EQ(ZZipBlockUnsortRows(rows.data(), 6, 0, counts, nullptr, 0), 0);
  EXPECT_EQ(ZZipBlockUnsortRows(rows.data(), 6, 7, counts, nullptr, 0), 0);
}
