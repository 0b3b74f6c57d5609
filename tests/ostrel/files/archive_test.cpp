#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/files/archive.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace {
std::string LE32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string Entry(uint32_t packed, uint32_t unpacked, const std::string& name, const std::string& data,
                  int nameLen = -1) {
  int16_t n = static_cast<int16_t>(nameLen < 0 ? name.size() : nameLen);
  return LE32(packed) + LE32(unpacked) + std::string{char(n), char(n >> 8)} + name + data;
}

std::string Stored(const std::string& name, const std::string& data) {
  return Entry(ARCHIVE_STORED, static_cast<uint32_t>(data.size()), name, data);
}

std::string Text(size_t n, unsigned seed = 1) {
  std::mt19937 rng(seed);
  const char* words[] = {"dealer ", "hits ", "soft ", "seventeen ", "player ", "stands\n"};
  std::string s;
  while (s.size() < n) s += words[rng() % 6];
  s.resize(n);
  return s;
}

std::string LzssCoded(const std::string& in) {
  CLzss lz;
  uint32_t len = static_cast<uint32_t>(in.size());
  uint8_t* p = lz.CompressBuffer(in.data(), &len);
  std::string s(reinterpret_cast<char*>(p), len);
  xFree(p);
  return s;
}

std::vector<int32_t> g_Calls;
void OnEntry(int32_t a, int32_t b, int32_t c) {
  g_Calls.push_back(a);
  g_Calls.push_back(b);
  g_Calls.push_back(c);
}

class ArchiveTest : public ::testing::Test {
 protected:
  std::string P(const std::string& name) { return m_Dir.File(name); }
  void Put(const std::string& name, const std::string& content) {
    fs::create_directories(fs::path(P(name)).parent_path());
    WriteWholeFile(P(name), content);
  }
  // Every file below the temporary folder, relative to it.
  std::vector<std::string> Tree() {
    std::vector<std::string> all;
    for (auto& e : fs::recursive_directory_iterator(m_Dir.Path()))
      all.push_back(fs::relative(e.path(), m_Dir.Path()).string());
    std::sort(all.begin(), all.end());
    return all;
  }
  CTempDir m_Dir;
};
}  // namespace

TEST_F(ArchiveTest, CodingRulesOfZpkArchives) {
  const std::string small = Text(100), big = Text(5000);
  WriteWholeFile(P("small.txt"), small);
  WriteWholeFile(P("big.txt"), big);
  WriteWholeFile(P("big.XRS"), big);
  CArchive a;
  ASSERT_EQ(a.OpenNew(P("out.ZPK").c_str()), 1);
  EXPECT_EQ(a.IsOpen(), 1);
  EXPECT_EQ(a.OpenNew(P("other.zpk").c_str()), 0);  // one at a time
  ASSERT_EQ(a.AddFile(P("small.txt").c_str(), "small.txt", 1), 1);  // at most 2048 bytes: stored
  ASSERT_EQ(a.AddFile(P("big.XRS").c_str(), "big.XRS", 1), 1);      // resource scripts: stored
  ASSERT_EQ(a.AddFile(P("big.txt").c_str(), "big.txt", 1), 1);      // coded
  ASSERT_EQ(a.AddFile(P("big.txt").c_str(), "plain", 0), 1);        // compress 0: stored
  ASSERT_EQ(a.AddFile(P("small.txt").c_str(), nullptr, 0), 1);      // named by its source path
  EXPECT_EQ(a.AddFile(P("none.txt").c_str(), "x", 0), 0);
  ASSERT_EQ(a.Close(), 1);
  EXPECT_EQ(a.IsOpen(), 0);
  EXPECT_EQ(a.AddFile(P("small.txt").c_str(), "x", 0), 0);

  const std::string want = Stored("small.txt", small) + Stored("big.XRS", big) +
                           Entry(static_cast<uint32_t>(LzssCoded(big).size()), 5000, "big.txt", LzssCoded(big)) +
                           Stored("plain", big) + Stored(P("small.txt"), small);
  EXPECT_EQ(ReadWholeFile(P("out.ZPK")), want);
}

TEST_F(ArchiveTest, BlockArchivesNeedTheBlockCoderForPackedEntries) {
  WriteWholeFile(P("a.txt"), Text(3000));
  CArchive a;
  ASSERT_EQ(a.OpenNew(P("pack.bos").c_str()), 1);
  if (!std::unique_ptr<CArchiveCodecBase>(xNewBlockArchiveCodec())) {
    EXPECT_EQ(a.AddFile(P("a.txt").c_str(), "a.txt", 1), 0);
  }
  ASSERT_EQ(a.AddFile(P("a.txt").c_str(), "stored.txt", 0), 1);
  a.Close();
  EXPECT_EQ(ReadWholeFile(P("pack.bos")), Stored("stored.txt", Text(3000)));
  ASSERT_EQ(a.ExtractArchive(P("pack.bos").c_str(), P("out").c_str(), 0), 1);
  EXPECT_EQ(ReadWholeFile(P("out/stored.txt")), Text(3000));
}

TEST_F(ArchiveTest, ExtractsIntoFoldersAndReportsEachEntry) {
  const std::string big = Text(9000, 3);
  Put("src/big.txt", big);
  Put("src/a", std::string(20, 'a'));
  Put("src/empty", "");
  CArchive a;
  ASSERT_EQ(a.OpenNew(P("m.zpk").c_str()), 1);
  ASSERT_EQ(a.AddFile(P("src/a").c_str(), "a", 1), 1);
  ASSERT_EQ(a.AddFile(P("src/big.txt").c_str(), "games\\kavo/big.txt", 1), 1);
  ASSERT_EQ(a.AddFile(P("src/empty").c_str(), "games/empty", 1), 1);
  a.Close();

  CArchive x;
  g_Calls.clear();
  x.SetCallback(OnEntry);
  ASSERT_EQ(x.ExtractArchive(P("m.zpk").c_str(), P("target").c_str(), 1), 1);
  EXPECT_EQ(ReadWholeFile(P("target/a")), std::string(20, 'a'));
  EXPECT_EQ(ReadWholeFile(P("target/games/kavo/big.txt")), big);
  EXPECT_TRUE(fs::is_regular_file(P("target/games/empty")));
  EXPECT_FALSE(fs::exists(P("m.zpk")));  // deleted after a full extraction
  ASSERT_EQ(g_Calls.size(), 9u);
  EXPECT_EQ(std::vector<int32_t>(g_Calls.begin(), g_Calls.begin() + 3), (std::vector<int32_t>{31, 31, 1}));
  const int32_t second = static_cast<int32_t>(10 + 18 + LzssCoded(big).size());
  EXPECT_EQ(g_Calls[3], second);
  EXPECT_EQ(g_Calls[5], 1);
}

TEST_F(ArchiveTest, EmptyArchiveExtractsNothing) {
  WriteWholeFile(P("e.zpk"), "");
  CArchive a;
  EXPECT_EQ(a.ExtractArchive(P("e.zpk").c_str(), P("t").c_str(), 0), 1);
  EXPECT_TRUE(fs::exists(P("e.zpk")));
  EXPECT_EQ(a.ExtractArchive(P("e.zpk").c_str(), P("t").c_str(), 1), 1);
  EXPECT_FALSE(fs::exists(P("e.zpk")));
  EXPECT_EQ(a.ExtractArchive(P("none.zpk").c_str(), P("t").c_str(), 0), 0);
}

TEST_F(ArchiveTest, ExtractFindsExistingFilesWithoutCaseAndReplacesThem) {
  Put("t/xrs/common.xrs", "old");
  WriteWholeFile(P("u.zpk"), Stored("XRS\\Common.XRS", "new"));
  CArchive a;
  ASSERT_EQ(a.ExtractArchive(P("u.zpk").c_str(), P("t").c_str(), 0), 1);
  EXPECT_EQ(ReadWholeFile(P("t/xrs/common.xrs")), "new");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"t", "t/xrs", "t/xrs/common.xrs", "u.zpk"}));
}

TEST_F(ArchiveTest, ReadOnlyFileIsSkippedAndTheRestExtracted) {
  Put("t/ro", "keep");
  chmod(P("t/ro").c_str(), 0444);
  WriteWholeFile(P("r.zpk"), Stored("ro", "new") + Stored("next", "n"));
  CArchive a;
  EXPECT_EQ(a.ExtractArchive(P("r.zpk").c_str(), P("t").c_str(), 1), 0);
  EXPECT_EQ(ReadWholeFile(P("t/ro")), "keep");
  EXPECT_EQ(ReadWholeFile(P("t/next")), "n");
  EXPECT_TRUE(fs::exists(P("r.zpk")));  // not every entry was written: kept
}

TEST_F(ArchiveTest, HostileArchivesFailCleanly) {
  const std::string text = Text(3000, 9);
  const std::string coded = LzssCoded(text);
  const std::string good = Stored("ok.txt", "fine");
  struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"parent", Stored("../evil", "x")},
      {"deep parent", Stored("a/../../evil", "x")},
      {"backslash parent", Stored("a\\..\\..\\evil", "x")},
      {"absolute", Stored("/tmp/evil", "x")},
      {"backslash absolute", Stored("\\evil", "x")},
      {"drive", Stored("C:\\evil", "x")},
      {"drive relative", Stored("c:evil", "x")},
      {"zero byte in name", Stored(std::string("ok\0/../../evil", 14), "x")},
      {"empty name", Entry(ARCHIVE_STORED, 1, "", "x")},
      {"negative name length", Entry(ARCHIVE_STORED, 1, "abc", "x", 0xFFFF)},
      {"name past the end", Entry(ARCHIVE_STORED, 1, "abc", "", 500)},
      {"huge stored size", Entry(ARCHIVE_STORED, 0xFFFFFFF0u, "big", "xyz")},
      {"stored size past the end", Entry(ARCHIVE_STORED, 10, "big", "xyz")},
      {"huge packed size", Entry(0xFFFFFFF0u, 10, "big", coded)},
      {"huge unpacked size", Entry(static_cast<uint32_t>(coded.size()), 0x7FFFFFFFu, "big", coded)},
      {"unpacked beyond what the data can give", Entry(static_cast<uint32_t>(coded.size()),
                                                       static_cast<uint32_t>(coded.size() * 8 + 1), "big", coded)},
      {"expands shorter", Entry(static_cast<uint32_t>(coded.size()), 3001, "big", coded)},
      {"expands longer", Entry(static_cast<uint32_t>(coded.size()), 2999, "big", coded)},
      {"no end mark", Entry(static_cast<uint32_t>(coded.size() - 2), 3000, "big", coded.substr(0, coded.size() - 2))},
      {"truncated head", std::string("\x05\x00\x00", 3)},
      {"truncated data", Stored("big", text).substr(0, 200)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(P("t"));
    fs::create_directories(P("t/in"));
    WriteWholeFile(P("h.zpk"), good + c.bytes);
    CArchive a;
    EXPECT_EQ(a.ExtractArchive(P("h.zpk").c_str(), P("t/in").c_str(), 1), 0);
    EXPECT_TRUE(fs::exists(P("h.zpk")));
    // A bad head, name or size is found before anything is written; data that do not expand as
    // recorded show only when their entry is unpacked, after the entries before it. Nothing lands
    // outside the target folder.
    const std::string what = c.what;
    const bool dataLevel = what == "unpacked beyond what the data can give" || what == "expands shorter" ||
                           what == "expands longer" || what == "no end mark";
    if (dataLevel)
      EXPECT_EQ(Tree(), (std::vector<std::string>{"h.zpk", "t", "t/in", "t/in/ok.txt"}));
    else
      EXPECT_EQ(Tree(), (std::vector<std::string>{"h.zpk", "t", "t/in"}));
    EXPECT_FALSE(fs::exists("/tmp/evil"));
  }
}

TEST_F(ArchiveTest, OpenAddsBehindTheOldEntries) {
  WriteWholeFile(P("f1"), "one");
  WriteWholeFile(P("f2"), "two");
  CArchive a;
  ASSERT_EQ(a.OpenNew(P("x.zpk").c_str()), 1);
  ASSERT_EQ(a.AddFile(P("f1").c_str(), "f1", 1), 1);
  a.Close();
  EXPECT_EQ(a.Open(P("missing.zpk").c_str()), 0);
  ASSERT_EQ(a.Open(P("X.ZPK").c_str()), 1);
  ASSERT_EQ(a.AddFile(P("f2").c_str(), "f2", 1), 1);
  a.Close();
  EXPECT_EQ(ReadWholeFile(P("x.zpk")), Stored("f1", "one") + Stored("f2", "two"));
}

TEST_F(ArchiveTest, FailedAddCutsThePartialEntryOff) {
  WriteWholeFile(P("small"), std::string(1000, 's'));
  WriteWholeFile(P("large"), std::string(20000, 'l'));
  CArchive a;
  ASSERT_EQ(a.OpenNew(P("cut.zpk").c_str()), 1);
  ASSERT_EQ(a.AddFile(P("small").c_str(), "small", 0), 1);
  const std::string first = Stored("small", std::string(1000, 's'));
  // Let the file system refuse everything past 8000 bytes of any file.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit low = old;
  low.rlim_cur = 8000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
  int32_t r = a.AddFile(P("large").c_str(), "large", 0);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(ReadWholeFile(P("cut.zpk")), first);
  // The archive stays usable and goes on from its last whole entry.
  EXPECT_EQ(a.IsOpen(), 1);
  ASSERT_EQ(a.AddFile(P("small").c_str(), "again", 0), 1);
  a.Close();
  EXPECT_EQ(ReadWholeFile(P("cut.zpk")), first + Stored("again", std::string(1000, 's')));
}

// A link in the target folder that leads out of it refuses the whole package, even behind good
// entries; one that leads inside is written through.
TEST_F(ArchiveTest, EntriesThroughLinksOutOfTheFolderWriteNothing) {
  fs::create_directories(P("t/in/games"));
  fs::create_directories(P("outside"));
  WriteWholeFile(P("outside/canary"), "canary");
  fs::create_directory_symlink(P("outside"), P("t/in/out"));
  fs::create_directory_symlink(P("t/in/games"), P("t/in/inner"));
  fs::create_symlink(P("outside/canary"), P("t/in/leaf"));
  const std::string good = Stored("ok.txt", "fine") + Stored("inner/a.txt", "through");
  for (const std::string& bad : {std::string("out/canary"), std::string("leaf"), std::string("OUT/new")}) {
    SCOPED_TRACE(bad);
    WriteWholeFile(P("l.zpk"), good + Stored(bad, "evil"));
    CArchive a;
    EXPECT_EQ(a.ExtractArchive(P("l.zpk").c_str(), P("t/in").c_str(), 1), 0);
    EXPECT_FALSE(fs::exists(P("t/in/ok.txt")));
    EXPECT_FALSE(fs::exists(P("t/in/games/a.txt")));
    EXPECT_EQ(ReadWholeFile(P("outside/canary")), "canary");
    EXPECT_FALSE(fs::exists(P("outside/new")));
  }
  WriteWholeFile(P("l.zpk"), good);
  CArchive a;
  EXPECT_EQ(a.ExtractArchive(P("l.zpk").c_str(), P("t/in").c_str(), 1), 1);
  EXPECT_EQ(ReadWholeFile(P("t/in/games/a.txt")), "through");
  EXPECT_EQ(ReadWholeFile(P("t/in/ok.txt")), "fine");
}
