#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/compression/lzss.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {
const char* const kVectors[] = {"empty", "one", "equal40", "text", "random", "records", "runs", "mixed"};

std::string Vector(const std::string& name, const char* ext) {
  return ReadWholeFile(std::string(VORRIN_TEST_DATA_DIR) + "/lzss/" + name + ext);
}

// Coded bytes through the buffer variant (the empty input too, which CompressBuffer declines).
std::string Code(CLzss& lz, const std::string& in) {
  uint32_t len = static_cast<uint32_t>(in.size());
  lz.CompressBuf(in.data(), &len, 0);
  uint32_t cap = len;
  len = static_cast<uint32_t>(in.size());
  uint8_t* out = lz.CompressBuf(in.data(), &len, cap);
  std::string s(reinterpret_cast<char*>(out), len);
  xFree(out);
  return s;
}

// Expands from an exact-size heap copy, so a read past the input shows under the sanitizers.
int32_t Expand(CLzss& lz, const std::string& coded, std::string& out, uint32_t room) {
  std::vector<uint8_t> in(coded.begin(), coded.end());
  out.assign(room, '\0');
  uint32_t len = room;
  int32_t r = lz.ExpandBuffer(in.empty() ? nullptr : in.data(), static_cast<uint32_t>(in.size()),
                              room ? out.data() : nullptr, &len);
  out.resize(room ? std::min(len, room) : 0);
  return r ? static_cast<int32_t>(len) : -1 - static_cast<int32_t>(len);
}

std::string Structured(std::mt19937& rng, size_t size) {
  std::string s;
  const char* words[] = {"chip ", "stack ", "ace ", "ten ", "bust ", "\x00\x00\x00\x01", "\xff\xfe"};
  while (s.size() < size) {
    switch (rng() % 4) {
      case 0: s += words[rng() % 7]; break;
      case 1: s.append(rng() % 40, static_cast<char>(rng())); break;
      case 2: if (s.size() > 10) s += s.substr(rng() % s.size(), rng() % 30); break;
      default: s += static_cast<char>(rng());
    }
  }
  s.resize(size);
  return s;
}

struct SToken {
  bool literal;
  uint32_t a, b;
};

// Splits a coded stream into its tokens, the end mark included.
std::vector<SToken> Tokens(const std::string& coded) {
  std::vector<SToken> out;
  size_t bit = 0;
  auto take = [&](int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++bit) v = v << 1 | ((static_cast<uint8_t>(coded[bit / 8]) >> (7 - bit % 8)) & 1);
    return v;
  };
  for (;;) {
    if (take(1)) {
      out.push_back({true, take(8), 0});
      continue;
    }
    uint32_t pos = take(12);
    out.push_back({false, pos, pos ? take(4) + 2 : 0});
    if (!pos) return out;
  }
}
}  // namespace

TEST(Lzss, MatchesTheReferenceModelByteForByte) {
  CTempDir dir;
  for (const char* name : kVectors) {
    const std::string in = Vector(name, ".bin");
    const std::string want = Vector(name, ".lzss");
    ASSERT_FALSE(want.empty()) << name;
    CLzss lz;
    EXPECT_EQ(Code(lz, in), want) << name;
    std::string out;
    EXPECT_EQ(Expand(lz, want, out, static_cast<uint32_t>(in.size()) + 17), static_cast<int32_t>(in.size())) << name;
    EXPECT_EQ(out, in) << name;
    // The file variants give the same stream.
    WriteWholeFile(dir.File("in"), in);
    ASSERT_EQ(lz.Compress(dir.File("in").c_str(), dir.File("sub/coded").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(dir.File("sub/coded")), want) << name;
    ASSERT_EQ(lz.Expand(dir.File("sub/coded").c_str(), dir.File("back").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(dir.File("back")), in) << name;
  }
}

TEST(Lzss, MatchesTheModelOnFreshData) {
  CTempDir dir;
  std::mt19937 rng(12345);
  std::string in = Structured(rng, 30000);
  WriteWholeFile(dir.File("in"), in);
  std::string cmd = "python3 " VORRIN_TEST_TOOLS_DIR "/lzss_model.py compress " + dir.File("in") + " " + dir.File("model");
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  CLzss lz;
  EXPECT_EQ(Code(lz, in), ReadWholeFile(dir.File("model")));
}

TEST(Lzss, SmallStreamsHaveTheirExactBits) {
  CLzss lz;
  EXPECT_EQ(Code(lz, ""), std::string("\x00\x00", 2));  // the end mark, padded
  EXPECT_EQ(Code(lz, "A"), std::string("\xA0\x80\x00", 3));
  std::vector<SToken> t = Tokens(Code(lz, std::string(40, 'a')));
  ASSERT_EQ(t.size(), 5u);
  EXPECT_TRUE(t[0].literal);
  EXPECT_EQ(t[0].a, uint32_t{'a'});
  // Matches of at most 17 bytes, each starting one position behind the current one.
  uint32_t cur = 2;
  for (int i = 1; i <= 3; ++i) {
    EXPECT_FALSE(t[i].literal);
    EXPECT_EQ(t[i].a, cur - 1);
    cur += t[i].b;
  }
  EXPECT_EQ(t[1].b, 17u);
  EXPECT_EQ(t[2].b, 17u);
  EXPECT_EQ(t[3].b, 5u);
  EXPECT_EQ(t[4].a, 0u);
}

TEST(Lzss, RoundTripsManySizes) {
  std::mt19937 rng(99);
  CLzss lz;
  for (size_t size : {0u, 1u, 2u, 3u, 16u, 17u, 18u, 100u, 4095u, 4096u, 4097u, 4113u, 9000u, 70000u, 200000u}) {
    for (int kind = 0; kind < 3; ++kind) {
      std::string in = kind == 0 ? Structured(rng, size) : std::string(size, kind == 1 ? '\0' : 'q');
      if (kind == 0 && size % 2)
        for (auto& c : in) c = static_cast<char>(rng());
      uint32_t len = static_cast<uint32_t>(in.size());
      uint8_t* coded = lz.CompressBuffer(in.data(), &len);
      if (size == 0) {
        EXPECT_EQ(coded, nullptr);
        EXPECT_EQ(len, 0u);
        continue;
      }
      ASSERT_NE(coded, nullptr);
      std::string c(reinterpret_cast<char*>(coded), len);
      xFree(coded);
      std::string out;
      ASSERT_EQ(Expand(lz, c, out, static_cast<uint32_t>(size)), static_cast<int32_t>(size)) << size << " " << kind;
      EXPECT_TRUE(out == in) << size << " " << kind;
    }
  }
}

TEST(Lzss, ExpandBufferRoomAndCounting) {
  CLzss lz;
  const std::string in = Vector("text", ".bin");
  const std::string coded = Vector("text", ".lzss");
  const uint32_t n = static_cast<uint32_t>(in.size());
  std::string out;
  // Counting runs: no output, or no room.
  EXPECT_EQ(Expand(lz, coded, out, 0), static_cast<int32_t>(n));
  std::vector<uint8_t> in2(coded.begin(), coded.end());
  uint8_t one = 0x55;
  uint32_t len = 0;
  EXPECT_EQ(lz.ExpandBuffer(in2.data(), static_cast<uint32_t>(in2.size()), &one, &len), 1);
  EXPECT_EQ(len, n);
  EXPECT_EQ(one, 0x55);
  // One byte too little room: 0, the full length counted, the room filled and nothing past it.
  for (uint32_t room : {n - 1, n - 17, 1u, 20u}) {
    std::vector<uint8_t> buf(room + 1, 0xEE);
    len = room;
    EXPECT_EQ(lz.ExpandBuffer(in2.data(), static_cast<uint32_t>(in2.size()), buf.data(), &len), 0) << room;
    EXPECT_EQ(len, n) << room;
    EXPECT_EQ(std::string(buf.begin(), buf.end() - 1), in.substr(0, room)) << room;
    EXPECT_EQ(buf.back(), 0xEE) << room;
  }
  EXPECT_EQ(Expand(lz, coded, out, n), static_cast<int32_t>(n));
  EXPECT_EQ(lz.ExpandBuffer(nullptr, 5, &one, &len), 0);
  EXPECT_EQ(lz.ExpandBuffer(in2.data(), 1, &one, nullptr), 0);
}

TEST(Lzss, ExpandBufferNeverReadsPastItsInput) {
  CLzss lz;
  for (const char* name : {"one", "text", "runs"}) {
    const std::string coded = Vector(name, ".lzss");
    const uint32_t full = static_cast<uint32_t>(Vector(name, ".bin").size());
    std::string out;
    // Every cut that loses part of the end mark fails, with room or counting.
    for (size_t cut = 0; cut < std::min<size_t>(coded.size(), 40); ++cut) {
      std::string shorter = coded.substr(0, coded.size() - 1 - cut);
      EXPECT_LT(Expand(lz, shorter, out, full + 17), 0) << name << " " << cut;
      EXPECT_LT(Expand(lz, shorter, out, 0), 0) << name << " " << cut;
    }
  }
  std::string out;
  EXPECT_LT(Expand(lz, "", out, 10), 0);
  EXPECT_LT(Expand(lz, "\x80", out, 10), 0);  // a literal without its byte
  // Matches reaching into the initial window read zeros.
  EXPECT_EQ(Expand(lz, std::string("\x00\x08\x00\x00", 4), out, 20), 2);  // match at 1, length 2
  EXPECT_EQ(out, std::string(2, '\0'));
}

TEST(Lzss, CompressBufWithTooLittleRoom) {
  CLzss lz;
  const std::string in = Vector("text", ".bin");
  const uint32_t want = static_cast<uint32_t>(Vector("text", ".lzss").size());
  uint32_t len = static_cast<uint32_t>(in.size());
  EXPECT_EQ(lz.CompressBuf(in.data(), &len, 0), nullptr);
  EXPECT_EQ(len, want);
  len = static_cast<uint32_t>(in.size());
  EXPECT_EQ(lz.CompressBuf(in.data(), &len, want - 1), nullptr);
  EXPECT_EQ(len, want);
}

namespace {
struct SReport {
  int32_t done, total, first;
};
std::vector<SReport> g_Reports;
CTestClock* g_Clock = nullptr;
void OnProgress(int32_t done, int32_t total, int32_t first) {
  g_Reports.push_back({done, total, first});
  g_Clock->Advance(100);
}
}  // namespace

TEST(Lzss, ProgressReports) {
  CTestClock clock;
  g_Clock = &clock;
  const std::string in = Vector("mixed", ".bin");
  const int32_t n = static_cast<int32_t>(in.size());
  CLzss lz;
  for (int32_t interval : {150, 50}) {
    g_Reports.clear();
    lz.SetCallback(OnProgress, interval);
    uint32_t len = static_cast<uint32_t>(in.size());
    xFree(lz.CompressBuffer(in.data(), &len));
    ASSERT_GE(g_Reports.size(), 2u);
    EXPECT_EQ(g_Reports.front().done, 0);
    EXPECT_EQ(g_Reports.front().first, 1);
    EXPECT_EQ(g_Reports.back().done, n);
    EXPECT_EQ(g_Reports.back().first, 0);
    for (const auto& r : g_Reports) EXPECT_EQ(r.total, n);
    for (size_t i = 1; i < g_Reports.size(); ++i) EXPECT_GE(g_Reports[i].done, g_Reports[i - 1].done);
    // The clock only moves inside the callback: 100 ms never exceeds 150, always exceeds 50.
    if (interval == 150) EXPECT_EQ(g_Reports.size(), 2u);
    else EXPECT_GT(g_Reports.size(), 1000u);
  }
  // File expansion reports by the coded bytes read.
  CTempDir dir;
  WriteWholeFile(dir.File("c"), Vector("mixed", ".lzss"));
  g_Reports.clear();
  lz.SetCallback(OnProgress, 50);
  ASSERT_EQ(lz.Expand(dir.File("c").c_str(), dir.File("d").c_str()), 1);
  const int32_t coded = static_cast<int32_t>(Vector("mixed", ".lzss").size());
  ASSERT_GE(g_Reports.size(), 3u);
  EXPECT_EQ(g_Reports.front().first, 1);
  EXPECT_EQ(g_Reports.back().done, coded);
  for (const auto& r : g_Reports) EXPECT_LE(r.done, coded);
  lz.SetCallback(nullptr, 0);
  g_Clock = nullptr;
}

TEST(Lzss, FileVariantsFailOnlyOnOpen) {
  CTempDir dir;
  CLzss lz;
  EXPECT_EQ(lz.Compress(dir.File("none").c_str(), dir.File("out").c_str()), 0);
  EXPECT_EQ(lz.Expand(dir.File("none").c_str(), dir.File("out").c_str()), 0);
  WriteWholeFile(dir.File("in"), "x");
  EXPECT_EQ(lz.Expand(dir.File("in").c_str(), dir.File("no/folder/out").c_str()), 0);
  // A short coded file simply ends.
  std::string coded = Vector("text", ".lzss");
  WriteWholeFile(dir.File("short"), coded.substr(0, coded.size() / 2));
  EXPECT_EQ(lz.Expand(dir.File("short").c_str(), dir.File("out").c_str()), 1);
  // Only the token cut in two (at most 17 bytes) can come out wrong.
  std::string out = ReadWholeFile(dir.File("out"));
  ASSERT_GT(out.size(), 17u);
  EXPECT_EQ(out.substr(0, out.size() - 17), Vector("text", ".bin").substr(0, out.size() - 17));
}
