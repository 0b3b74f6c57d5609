// The default callbacks: the file CRC against the published check value and across read blocks,
// packages by extension (unpacked through the block compressor, LZSS or as they are), targets
// replaced whole or not at all, names that would leave their folder, and the signature scan.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "common/updater/fversiondefaults.h"
#include "common/updater/fvsignaturescan.h"
#include "ostrel/base/types.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/compression/zzip.h"
#include "ostrel/files/crc.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace {
class Defaults : public ::testing::Test {
 protected:
  Defaults() : m_Tree(m_Dir.File("tree")) {
    fs::create_directory(m_Tree);
    m_Work = std::make_unique<CWorkingDir>(m_Tree);
  }
  ~Defaults() override { m_Work.reset(); }

  void Put(const std::string& name, const std::string& bytes) {
    const fs::path path = fs::path(m_Tree) / name;
    fs::create_directories(path.parent_path());
    WriteWholeFile(path.string(), bytes);
  }
  std::string Get(const std::string& name) const { return ReadWholeFile(m_Tree + "/" + name); }
  // Every file below the temporary folder with its bytes.
  std::map<std::string, std::string> Everything() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(m_Dir.Path()))
      if (e.is_regular_file()) files[fs::relative(e.path(), m_Dir.Path()).string()] = ReadWholeFile(e.path().string());
    return files;
  }
  // Packs a file of the tree into another with the runtime's packers.
  void PackWith(const std::string& kind, const std::string& from, const std::string& to) {
    if (kind == "lzss") {
      CLzss lzss;
      ASSERT_EQ(lzss.Compress(from.c_str(), to.c_str()), 1);
    } else if (kind == "block") {
      CZZip zip;
      ASSERT_EQ(zip.CompressFile(from.c_str(), to.c_str()), 1);
    } else {
      fs::copy_file(from, to);
    }
  }
  // Unpacks and gives the name handed back ("" on failure).
  std::string Unpack(const char* source, const char* target, const char* packed, const char* given = nullptr) {
    char* name = const_cast<char*>(given);
    if (!Callback_UnpackFile(source, target, packed, &name)) {
      EXPECT_EQ(name, given) << "the name is left alone on failure";
      return "";
    }
    EXPECT_NE(name, given) << "a new text";
    std::string out = name;
    xFree(name);
    return out;
  }

  CTempDir m_Dir;
  std::string m_Tree;
  std::unique_ptr<CWorkingDir> m_Work;
};

std::string Noise(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() % 7 ? 'a' + rng() % 4 : rng());
  return s;
}
}  // namespace

TEST_F(Defaults, FileCRCMatchesTheCheckValueAndTheWholeBufferAcrossBlocks) {
  uint32_t crc = 1;
  Put("check", "123456789");
  ASSERT_EQ(Callback_FileCalcCRC("check", &crc), 1);
  EXPECT_EQ(crc, 0xFC891918u) << "CRC-32/BZIP2 check value";
  Put("empty", "");
  ASSERT_EQ(Callback_FileCalcCRC("empty", &crc), 1);
  EXPECT_EQ(crc, 0u);
  for (const size_t size : {size_t{65535}, size_t{65536}, size_t{65537}, size_t{1} << 20 | 17}) {
    const std::string bytes = Noise(size, static_cast<uint32_t>(size));
    Put("big", bytes);
    uint32_t whole = 0;
    xCalcCRC(bytes.data(), static_cast<uint32_t>(size), &whole, XCRC_POLY);
    ASSERT_EQ(Callback_FileCalcCRC("big", &crc), 1);
    EXPECT_EQ(crc, whole) << size;
  }
  EXPECT_EQ(Callback_FileCalcCRC("missing", &crc), 0);
  EXPECT_EQ(Callback_FileCalcCRC("big", nullptr), 0);
}

TEST_F(Defaults, FileQueriesAndTheStepsThatOnlyAnswer) {
  Put("a.dll", "12345");
  uint32_t size = 0;
  EXPECT_EQ(Callback_FileExists("a.dll"), 1);
  EXPECT_EQ(Callback_FileExists("A.DLL"), 1) << "names match without regard to case";
  EXPECT_EQ(Callback_FileExists("b.dll"), 0);
  EXPECT_EQ(Callback_FileFileSize("a.dll", &size), 1);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(Callback_FileFileSize("b.dll", &size), 0);
  EXPECT_EQ(Callback_FileShouldBeEncrypted("a.dll"), 0);
  EXPECT_EQ(Callback_EraseFile("a.dll"), 1);
  EXPECT_FALSE(fs::exists(m_Tree + "/a.dll"));
  EXPECT_EQ(Callback_EraseFile("a.dll"), 0);
  for (auto step : {Callback_LoadStart, Callback_LoadEnd, Callback_SaveStart, Callback_SaveEnd, Callback_CheckEnd})
    EXPECT_EQ(step(), 1);
  EXPECT_EQ(Callback_CheckStart(3, 4, 5), 1);
  CallBack_MissingCriticalFiles();
}

TEST_F(Defaults, PackagesUnpackByTheirExtension) {
  const struct {
    const char* m_pPacked;
    const char* m_pKind;  // how the package was made
    const char* m_pGiven;
    const char* m_pResult;  // null: fails
  } cases[] = {
      {"x.dll.zpk", "lzss", nullptr, "x.dll"},
      {"X.DLL.ZPK", "lzss", nullptr, "X.DLL"},
      {"xrs/game.xrs.Zpk", "lzss", nullptr, "xrs/game.xrs"},
      {"game.so.bos", "block", nullptr, "game.so"},
      {"casino.BOS", "block", nullptr, "casino"},
      {"pic.bmp.rpk", "raw", nullptr, "pic.bmp"},
      {"casino.zpk", "lzss", "casino.new", "casino.new"},
      {"casino.zpk", "lzss", "", "casino"},
      {"x.dll.zip", "raw", nullptr, nullptr},
      {"nodot", "raw", nullptr, nullptr},
      {"folder.d/nodot", "raw", nullptr, nullptr},
      {".zpk", "lzss", nullptr, nullptr},
      {"x.dll.zpk.", "raw", nullptr, nullptr},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pPacked);
    const std::string content = Noise(5000, static_cast<uint32_t>(++n)) + c.m_pPacked;
    const std::string source = "src" + std::to_string(n);
    Put("plain", content);
    fs::create_directories(m_Tree + "/" + source + "/" + fs::path(c.m_pPacked).parent_path().string());
    PackWith(c.m_pKind, "plain", source + "/" + c.m_pPacked);
    const std::string target = "out" + std::to_string(n);
    const std::string name = Unpack(source.c_str(), target.c_str(), c.m_pPacked, c.m_pGiven);
    if (!c.m_pResult) {
      EXPECT_EQ(name, "");
      EXPECT_FALSE(fs::exists(m_Tree + "/" + target));
      continue;
    }
    EXPECT_EQ(name, c.m_pResult);
    EXPECT_EQ(Get(target + "/" + c.m_pResult), content);
  }
}

TEST_F(Defaults, TheWorkingFolderIsTheDefaultFolder) {
  Put("plain", "hello");
  PackWith("lzss", "plain", "hello.txt.zpk");
  EXPECT_EQ(Unpack("", nullptr, "hello.txt.zpk"), "hello.txt");
  EXPECT_EQ(Get("hello.txt"), "hello");
}

TEST_F(Defaults, ADamagedPackageLeavesTheTargetAsItWasAndNothingBehind) {
  Put("plain", Noise(40000, 5));
  PackWith("block", "plain", "good.bos");
  PackWith("lzss", "plain", "good.zpk");
  const std::string bos = Get("good.bos"), zpk = Get("good.zpk");
  const struct {
    const char* m_pPacked;
    std::string m_Bytes;
  } damaged[] = {
      {"lib.so.bos", bos.substr(0, bos.size() / 2)},
      {"lib.so.bos", std::string(bos.size(), '\x5a')},
      {"lib.so.bos", bos.substr(0, 3)},
      {"lib.so.zpk", ""},  // missing
      {"lib.so.rpk", ""},  // missing
  };
  Put("lib.so", "installed library");
  ASSERT_EQ(chmod((m_Tree + "/lib.so").c_str(), 0555), 0);
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.m_pPacked);
    fs::remove(m_Tree + "/lib.so.bos");
    if (!d.m_Bytes.empty()) Put(d.m_pPacked, d.m_Bytes);
    const auto before = Everything();
    EXPECT_EQ(Unpack("", "", d.m_pPacked), "");
    EXPECT_EQ(Get("lib.so"), "installed library");
    EXPECT_EQ(Everything(), before) << "no temporary file is left";
  }
}

TEST_F(Defaults, AnUnpackedFileReplacesTheTargetWholeKeepingItsMode) {
  Put("plain", "new program");
  PackWith("lzss", "plain", "casino.zpk");
  PackWith("lzss", "plain", "tool.zpk");
  Put("casino", "old program");
  ASSERT_EQ(chmod((m_Tree + "/casino").c_str(), 0555), 0);
  struct stat before {};
  ASSERT_EQ(stat((m_Tree + "/casino").c_str(), &before), 0);
  EXPECT_EQ(Unpack("", "", "casino.zpk"), "casino");
  EXPECT_EQ(Get("casino"), "new program");
  struct stat after {};
  ASSERT_EQ(stat((m_Tree + "/casino").c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a new file: a running program keeps its own";
  EXPECT_EQ(after.st_mode & 0777, 0755u) << "executable as before, writable for its owner again";
  EXPECT_EQ(Unpack("", "", "tool.zpk"), "tool");
  ASSERT_EQ(stat((m_Tree + "/tool").c_str(), &after), 0);
  EXPECT_NE(after.st_mode & 0100, 0u) << "a new program is executable";
}

TEST_F(Defaults, NamesThatLeaveTheirFolderWriteNothing) {
  Put("plain", "payload");
  PackWith("lzss", "plain", "ok.dll.zpk");
  const struct {
    const char* m_pPacked;
    const char* m_pGiven;
  } cases[] = {
      {"../ok.dll.zpk", nullptr},      {"ok.dll.zpk", "../escaped.dll"}, {"ok.dll.zpk", "/tmp/escaped.dll"},
      {"ok.dll.zpk", "a/../../x.dll"}, {"ok.dll.zpk", "C:\\x.dll"},      {"..\\ok.dll.zpk", nullptr},
      {"ok.dll.zpk", "sub\\..\\..\\x"},
  };
  const auto before = Everything();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pGiven ? c.m_pGiven : c.m_pPacked);
    EXPECT_EQ(Unpack("", "", c.m_pPacked, c.m_pGiven), "");
    char* packed = const_cast<char*>(c.m_pGiven);
    if (packed) {
      EXPECT_EQ(Callback_PackFile("", "", "plain", &packed), 0);
    }
    char* none = nullptr;
    if (!c.m_pGiven) {
      EXPECT_EQ(Callback_PackFile("", "", c.m_pPacked, &none), 0);
    }
    EXPECT_EQ(Callback_CopyFile("", "out", c.m_pGiven ? c.m_pGiven : c.m_pPacked), 0);
  }
  EXPECT_EQ(Everything(), before);
  EXPECT_FALSE(fs::exists("/tmp/escaped.dll"));
}

TEST_F(Defaults, PackFileAndCopyFileRoundTrip) {
  const std::string content = Noise(70000, 9);
  Put("src/data/file.bin", content);
  for (const char* wanted : {"", "file.bin.bos", "file.bin.ZPK", "file.bin.rpk"}) {
    SCOPED_TRACE(wanted);
    char* packed = const_cast<char*>(wanted);
    ASSERT_EQ(Callback_PackFile("src/data", "packed", "file.bin", &packed), 1);
    const std::string name = packed;
    xFree(packed);
    EXPECT_EQ(name, *wanted ? wanted : "file.bin.zpk");
    char* target = nullptr;
    ASSERT_EQ(Callback_UnpackFile("packed", "back", name.c_str(), &target), 1);
    EXPECT_STREQ(target, "file.bin");
    xFree(target);
    EXPECT_EQ(Get("back/file.bin"), content);
    fs::remove(m_Tree + "/back/file.bin");
  }
  char* packed = const_cast<char*>("file.bin.zip");
  EXPECT_EQ(Callback_PackFile("src/data", "packed", "file.bin", &packed), 0);
  EXPECT_EQ(Callback_CopyFile("src", "copy", "data/file.bin"), 1);
  EXPECT_EQ(Get("copy/data/file.bin"), content);
  EXPECT_EQ(Callback_CopyFile("src", "copy", "data/none.bin"), 0);
}

TEST(SignatureScan, EncodedPatternsAreFoundAndTheBuiltInTableIsEmpty) {
  char pattern[] = "\x10harmful\xfe";
  char name[] = "Test.Signature";
  IsSpecificVirus_EncodeString(pattern);
  IsSpecificVirus_EncodeString(name);
  EXPECT_STREQ(pattern, "\x11ibsngvm\xff");
  char decoded[] = "\x11ibsngvm\xff";
  IsSpecificVirus_DecodeString(decoded);
  EXPECT_STREQ(decoded, "\x10harmful\xfe");

  const std::string file = std::string(1000, '\0') + "\x10harmful\xfe" + std::string(10, 'x');
  char found[FV_SIGNATURE_NAME_SIZE] = "";
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  EXPECT_EQ(IsSpecificVirus_SearchMatch(bytes, static_cast<uint32_t>(file.size()), pattern, name, found), 1);
  EXPECT_STREQ(found, "Test.Signature");
  EXPECT_EQ(IsSpecificVirus_SearchMatch(bytes, 1005, pattern, name, found), 0) << "cut before the pattern ends";

  CTempDir dir;
  WriteWholeFile(dir.File("lib.so"), file);
  const SFVSignature table[] = {{"\x01\x02", "\x01"}, {pattern, name}};
  found[0] = '\0';
  EXPECT_EQ(IsSpecificVirus_Scan(dir.File("lib.so").c_str(), table, 2, found), 1);
  EXPECT_STREQ(found, "Test.Signature");
  EXPECT_EQ(IsSpecificVirus_Scan(dir.File("none.so").c_str(), table, 2, found), 0);
  EXPECT_EQ(IsSpecificVirus(dir.File("lib.so").c_str(), found), 0) << "nothing is known to look for";
}
