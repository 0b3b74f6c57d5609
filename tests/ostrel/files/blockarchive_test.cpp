// Archives whose name does not end in "zpk" pack their entries with the block compressor.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ostrel/compression/zzip.h"
#include "ostrel/files/archive.h"
#include "ostrel/system/memhooks.h"
#include "support/tempdir.h"

namespace {
std::string LE32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string Entry(const std::string& packed, uint32_t unpacked, const std::string& name) {
  const auto n = static_cast<int16_t>(name.size());
  return LE32(static_cast<uint32_t>(packed.size())) + LE32(unpacked) + std::string{char(n), char(n >> 8)} + name + packed;
}

std::string Text(size_t n) {
  std::mt19937 rng(4);
  const char* words[] = {"chips ", "table ", "split ", "double ", "down ", "shoe\n"};
  std::string s;
  while (s.size() < n) s += words[rng() % 6];
  s.resize(n);
  return s;
}

std::string Random(size_t n) {
  std::mt19937 rng(5);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

std::string BlockPacked(const std::string& in) {
  CZZip z;
  auto* p = static_cast<unsigned char*>(xSysAllocMemFunc(in.size() + 1));
  std::memcpy(p, in.data(), in.size());
  uint32_t len = static_cast<uint32_t>(in.size());
  EXPECT_EQ(z.CompressBuffer(&p, len, 0, 0), 1);
  std::string s(reinterpret_cast<char*>(p), len);
  xSysFreeMemFunc(p);
  return s;
}

class BlockArchiveTest : public ::testing::Test {
 protected:
  std::string P(const std::string& name) { return m_Dir.File(name); }
  CTempDir m_Dir;
};
}  // namespace

TEST_F(BlockArchiveTest, EntriesArePackedWithTheBlockCompressorAndComeBack) {
  const std::string files[][2] = {{"text.txt", Text(20000)}, {"small", "tiny"}, {"empty", ""}, {"noise.bin", Random(5000)}};
  CArchive a;
  ASSERT_EQ(a.OpenNew(P("pack.bos").c_str()), 1);
  std::string want;
  for (const auto& f : files) {
    WriteWholeFile(P(f[0]), f[1]);
    ASSERT_EQ(a.AddFile(P(f[0]).c_str(), ("mod/" + f[0]).c_str(), 1), 1) << f[0];
    want += Entry(f[1].empty() ? "" : BlockPacked(f[1]), static_cast<uint32_t>(f[1].size()), "mod/" + f[0]);
  }
  ASSERT_EQ(a.Close(), 1);
  EXPECT_TRUE(ReadWholeFile(P("pack.bos")) == want);
  EXPECT_LT(want.size(), 20000u);

  CArchive x;
  ASSERT_EQ(x.ExtractArchive(P("pack.bos").c_str(), P("out").c_str(), 0), 1);
  for (const auto& f : files) EXPECT_TRUE(ReadWholeFile(P("out/mod/" + f[0])) == f[1]) << f[0];
}

TEST_F(BlockArchiveTest, DamagedOrMislabelledEntriesStopTheExtraction) {
  const std::string text = Text(8000);
  const std::string packed = BlockPacked(text);
  std::string damaged = packed;
  damaged[packed.size() / 2] ^= 0x55;
  std::string otherLength = packed;  // announces one byte less than the entry records
  otherLength[0] = static_cast<char>(otherLength[0] - 1);
  // The entry's packed size must be the block's length, and its unpacked size the block's.
  const std::string cases[] = {Entry(damaged, 8000, "a.txt"),     Entry(packed, 7999, "a.txt"),
                               Entry(packed, 8001, "a.txt"),      Entry(otherLength, 8000, "a.txt"),
                               Entry("", 5, "a.txt"),             Entry(packed + "x", 8000, "a.txt"),
                               Entry(packed.substr(0, packed.size() - 1), 8000, "a.txt")};
  for (const std::string& archive : cases) {
    WriteWholeFile(P("bad.bos"), archive);
    CArchive x;
    EXPECT_EQ(x.ExtractArchive(P("bad.bos").c_str(), P("bad").c_str(), 0), 0);
  }
  WriteWholeFile(P("good.bos"), Entry(packed, 8000, "a.txt"));
  CArchive x;
  EXPECT_EQ(x.ExtractArchive(P("good.bos").c_str(), P("good").c_str(), 0), 1);
  EXPECT_TRUE(ReadWholeFile(P("good/a.txt")) == text);
}

TEST_F(BlockArchiveTest, TheCoderIsThereForEveryNameButZpk) {
  std::unique_ptr<CArchiveCodecBase> codec(xNewBlockArchiveCodec());
  ASSERT_TRUE(codec);
  EXPECT_EQ(xArchiveCodecOf("m.bos"), ARCHIVE_CODEC_BLOCK);
  EXPECT_EQ(xArchiveCodecOf("m.rpk"), ARCHIVE_CODEC_BLOCK);
  std::unique_ptr<CArchiveCodecBase> any(xNewArchiveCodec(ARCHIVE_CODEC_BLOCK));
  EXPECT_TRUE(any);
}
