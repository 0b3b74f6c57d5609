#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ostrel/files/crc.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/files/scramble.h"
#include "support/tempdir.h"

namespace {
uint32_t Crc(const std::string& s, uint32_t poly = XCRC_POLY) {
  uint32_t crc = 0xDEADBEEF;
  EXPECT_EQ(xCalcCRC(s.data(), static_cast<uint32_t>(s.size()), &crc, poly), 1);
  return crc;
}

// The oracle's answers for the given files, one per file.
std::vector<uint32_t> PythonCrcs(uint32_t poly, const std::vector<std::string>& files) {
  std::string cmd = "python3 " VORRIN_TEST_TOOLS_DIR "/crc32_bzip2.py " + std::to_string(poly);
  for (const auto& f : files) cmd += " " + f;
  std::vector<uint32_t> out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  unsigned v;
  while (fscanf(p, "%x", &v) == 1) out.push_back(v);
  pclose(p);
  return out;
}
}  // namespace

TEST(Crc32, PublishedCheckValueAndEdges) {
  EXPECT_EQ(Crc("123456789"), 0xFC891918u);  // CRC-32/BZIP2 check
  EXPECT_EQ(Crc(""), 0u);
  EXPECT_EQ(Crc("a"), 0x19939B6Bu);
  uint32_t crc;
  EXPECT_EQ(xCalcCRC("x", 1, nullptr, XCRC_POLY), 0);
  EXPECT_EQ(xCalcCRC(nullptr, 1, &crc, XCRC_POLY), 0);
  EXPECT_EQ(xCalcCRC(nullptr, 0, &crc, XCRC_POLY), 1);
}

TEST(Crc32, AgreesWithPythonOverRandomDataAndPolynomials) {
  CTempDir dir;
  std::mt19937 rng(7);
  std::vector<std::string> files, contents;
  // Sizes around the eight-byte steps, and a few larger ones.
  for (uint32_t size : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 1000u, 4097u, 65536u, 100003u}) {
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    files.push_back(dir.File("r" + std::to_string(size)));
    WriteWholeFile(files.back(), s);
    contents.push_back(s);
  }
  // A second polynomial makes the tables rebuild; switching back must give the first answers.
  for (uint32_t poly : {XCRC_POLY, 0x1EDC6F41u, XCRC_POLY}) {
    std::vector<uint32_t> want = PythonCrcs(poly, files);
    ASSERT_EQ(want.size(), files.size()) << "python3 oracle did not answer";
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(Crc(contents[i], poly), want[i]) << contents[i].size() << " " << std::hex << poly;
      uint32_t fileCrc = 0;
      EXPECT_EQ(xCalcFileCrc(files[i].c_str(), &fileCrc, poly), 1);
      EXPECT_EQ(fileCrc, want[i]);
    }
  }
}

TEST(Crc32, FileCrcFailures) {
  CTempDir dir;
  uint32_t crc = 5;
  WriteWholeFile(dir.File("empty"), "");
  EXPECT_EQ(xCalcFileCrc(dir.File("empty").c_str(), &crc, XCRC_POLY), 1);
  EXPECT_EQ(crc, 0u);
  EXPECT_EQ(xCalcFileCrc(dir.File("none").c_str(), &crc, XCRC_POLY), 0);
  EXPECT_EQ(xCalcFileCrc(nullptr, &crc, XCRC_POLY), 0);
  EXPECT_EQ(xCalcFileCrc(dir.File("empty").c_str(), nullptr, XCRC_POLY), 0);
}

TEST(Scramble, MarkerTestAndRoundTrip) {
  std::string plain = "KCBL text of a resource script\n";
  std::string whole = plain + "XICRYPTEDFILE";
  xDecrypt(whole.data(), static_cast<uint32_t>(whole.size()));  // scrambles
  EXPECT_EQ(static_cast<uint8_t>(whole[0]), 'K' ^ 0x6B);
  EXPECT_EQ(xIsCrypt(whole.data(), static_cast<uint32_t>(whole.size())), 1);
  EXPECT_EQ(xIsCrypt(whole.data() + whole.size() - 13, 13), 1);
  EXPECT_EQ(xIsCrypt(whole.data() + whole.size() - 12, 12), 0);
  EXPECT_EQ(xIsCrypt(plain.data(), static_cast<uint32_t>(plain.size())), 0);
  EXPECT_EQ(xIsCrypt(nullptr, 20), 0);
  std::string copy = whole;
  xDecrypt(copy.data(), static_cast<uint32_t>(copy.size()));
  EXPECT_EQ(copy, plain + "XICRYPTEDFILE");
  EXPECT_EQ(xIsCrypt(copy.data(), static_cast<uint32_t>(copy.size())), 0);

  CTempDir dir;
  // A scrambled stretch inside a larger file, seen through the bounds.
  WriteWholeFile(dir.File("f"), "head" + whole + "tail");
  CFile f;
  ASSERT_EQ(f.Open(dir.File("f").c_str(), XFILE_READ), 1);
  EXPECT_EQ(xIsFileCrypt(&f), 0);
  f.SetFileBounds(4, static_cast<uint32_t>(whole.size()));
  EXPECT_EQ(xIsFileCrypt(&f), 1);
  uint32_t pos = 1;
  f.GetPos(&pos, 0);
  EXPECT_EQ(pos, 0u);  // left at the bound start
  f.SetFileBounds(4 + static_cast<uint32_t>(whole.size()) - 12, 12);
  EXPECT_EQ(xIsFileCrypt(&f), 0);  // too short a stretch: never reads in front of it
  EXPECT_EQ(xIsFileCrypt(nullptr), 0);
  CFile closed;
  EXPECT_EQ(xIsFileCrypt(&closed), 0);
}
