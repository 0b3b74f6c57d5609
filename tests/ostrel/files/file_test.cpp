#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "ostrel/files/byteswap.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "support/tempdir.h"

namespace {
std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

class FileTest : public ::testing::Test {
 protected:
  std::string Path(const char* name = "f.bin") { return m_Dir.File(name); }
  CTempDir m_Dir;
};
}  // namespace

TEST_F(FileTest, DeclaredByteOrderDecidesTheBytes) {
  struct {
    int32_t flags;
    std::string longBytes;
  } cases[] = {
      {XFILE_BIG, Bytes({0, 0, 0, 1})},
      {XFILE_LITTLE, Bytes({1, 0, 0, 0})},
      {0, Bytes({1, 0, 0, 0})},  // host order (little-endian machines)
  };
  for (const auto& c : cases) {
    CFile f;
    ASSERT_EQ(f.Open(Path().c_str(), XFILE_WRITE | c.flags), 1);
    ASSERT_EQ(f.WriteLong(1), 1);
    ASSERT_EQ(f.WriteWord(0x0102), 1);
    ASSERT_EQ(f.WriteFloat(1.5f), 1);
    ASSERT_EQ(f.WriteDouble(-2.25), 1);
    ASSERT_EQ(f.WriteByte(-3), 1);
    ASSERT_EQ(f.Close(), 1);
    std::string all = ReadWholeFile(Path());
    ASSERT_EQ(all.size(), 4u + 2 + 4 + 8 + 1);
    EXPECT_EQ(all.substr(0, 4), c.longBytes);
    EXPECT_EQ(all[4] == 1, c.flags == XFILE_BIG);

    ASSERT_EQ(f.Open(Path().c_str(), XFILE_READ | c.flags), 1);
    int32_t l = 0;
    int16_t w = 0;
    float fl = 0;
    double d = 0;
    signed char b = 0;
    EXPECT_EQ(f.ReadLong(&l), 1);
    EXPECT_EQ(f.ReadWord(&w), 1);
    EXPECT_EQ(f.ReadFloat(&fl), 1);
    EXPECT_EQ(f.ReadDouble(&d), 1);
    EXPECT_EQ(f.ReadByte(&b), 1);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(w, 0x0102);
    EXPECT_EQ(fl, 1.5f);
    EXPECT_EQ(d, -2.25);
    EXPECT_EQ(b, -3);
    EXPECT_EQ(f.ReadByte(&b), 0);  // end of file
    EXPECT_EQ(f.ReadLong(&l), 0);
  }
}

TEST_F(FileTest, BoundsAndSeekModes) {
  WriteWholeFile(Path(), std::string(300, 'x'));
  CFile f;
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_READ), 1);
  ASSERT_EQ(f.SetFileBounds(100, 50), 1);
  struct {
    int32_t offset;
    int16_t mode;
    uint32_t raw;      // file position afterwards
    uint32_t bounded;  // GetPos through the bounds
  } cases[] = {
      {0, XSEEK_BOUNDEND, 150, 50},
      {-10, XSEEK_BOUNDEND, 140, 40},
      {5, XSEEK_BOUNDSTART, 105, 5},
      {10, XSEEK_BOUNDSTART | XSEEK_RAW, 10, 10u - 100u},
      {-20, XSEEK_BOUNDEND | XSEEK_RAW, 280, 180},
      {7, 0, 7, 7u - 100u},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(f.Seek(c.offset, c.mode), 1) << c.offset << " " << c.mode;
    uint32_t raw = 0, pos = 0, size = 0;
    EXPECT_EQ(f.GetPos(&raw, XSEEK_RAW), 1);
    EXPECT_EQ(f.GetPos(&pos, 0), 1);
    EXPECT_EQ(raw, c.raw) << c.offset << " " << c.mode;
    EXPECT_EQ(pos, c.bounded) << c.offset << " " << c.mode;
    EXPECT_EQ(f.GetSize(&size), 1);
    EXPECT_EQ(size, 50u);
    uint32_t again = 0;
    f.GetPos(&again, XSEEK_RAW);
    EXPECT_EQ(again, c.raw) << "GetSize keeps the position";
  }
  ASSERT_EQ(f.Seek(3, XSEEK_BOUNDSTART), 1);
  ASSERT_EQ(f.Seek(4, XSEEK_CURRENT), 1);
  uint32_t pos = 0;
  f.GetPos(&pos, 0);
  EXPECT_EQ(pos, 7u);
  EXPECT_EQ(f.Seek(-101, XSEEK_BOUNDSTART), 0);  // before the file
  EXPECT_EQ(f.Seek(0, 3), 0);                      // no such origin
  // Without a bound size the bound end is the end of the file.
  f.SetFileBounds(100, 0);
  uint32_t size = 0;
  f.GetSize(&size);
  EXPECT_EQ(size, 200u);
  f.SetFileBounds(0, 0);
  f.GetSize(&size);
  EXPECT_EQ(size, 300u);
}

TEST_F(FileTest, ClosedFileFailsEverything) {
  CFile f;
  char buf[8];
  int32_t l;
  uint32_t u;
  EXPECT_EQ(f.Read(buf, 1), 0);
  EXPECT_EQ(f.Write(buf, 0), 0);
  EXPECT_EQ(f.ReadLong(&l), 0);
  EXPECT_EQ(f.WriteLong(1), 0);
  EXPECT_EQ(f.Seek(0, XSEEK_BOUNDSTART), 0);
  EXPECT_EQ(f.GetPos(&u, 0), 0);
  EXPECT_EQ(f.GetSize(&u), 0);
  EXPECT_EQ(f.ReadString(buf, 8), 0);
  EXPECT_EQ(f.Print("x"), 0);
  EXPECT_EQ(f.Close(), 0);
  EXPECT_EQ(f.Open(Path("missing").c_str(), XFILE_READ), 0);
  EXPECT_EQ(f.IsOpen(), 0);
  EXPECT_EQ(f.Open(Path().c_str(), 0), 0);  // no access flag
}

TEST_F(FileTest, ReadStringReadsLines) {
  WriteWholeFile(Path(), "first line\nsecond\nlast");
  CFile f;
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_READ), 1);
  char buf[64];
  EXPECT_EQ(f.ReadString(buf, 1), 0);  // no room for a character
  EXPECT_EQ(f.ReadString(buf, 0), 0);
  EXPECT_EQ(f.ReadString(buf, -5), 0);
  EXPECT_EQ(f.ReadString(buf, 6), 5);  // n - 1 bytes
  EXPECT_STREQ(buf, "first");
  EXPECT_EQ(f.ReadString(buf, sizeof buf), 6);
  EXPECT_STREQ(buf, " line\n");
  EXPECT_EQ(f.ReadString(buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "second\n");
  EXPECT_EQ(f.ReadString(buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "last");
  EXPECT_EQ(f.ReadString(buf, sizeof buf), 0);
}

TEST_F(FileTest, PrintWritesFormattedTextOrTheTooLongLine) {
  CFile f;
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_WRITE), 1);
  EXPECT_EQ(f.Print("%s=%d;", "a", 5), 1);
  EXPECT_EQ(f.Print("%s", ""), 1);
  EXPECT_EQ(f.Print("%s", std::string(1023, 'y').c_str()), 1);
  EXPECT_EQ(f.Print("%s", std::string(1024, 'z').c_str()), 1);
  f.Close();
  EXPECT_EQ(ReadWholeFile(Path()), "a=5;" + std::string(1023, 'y') + "**** STRING TO LONG ****\n");
}

TEST_F(FileTest, OpenModes) {
  CFile f;
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_WRITE), 1);
  f.Write("abcdef", 6);
  f.Close();
  // Update: read and write in place, switching directions freely.
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_UPDATE), 1);
  char c[3] = {};
  ASSERT_EQ(f.Read(c, 2), 1);
  ASSERT_EQ(f.Write("XY", 2), 1);
  ASSERT_EQ(f.Read(c, 2), 1);
  EXPECT_EQ(std::string(c, 2), "ef");
  f.Close();
  EXPECT_EQ(ReadWholeFile(Path()), "abXYef");
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_APPEND), 1);
  f.Write("!", 1);
  f.Close();
  EXPECT_EQ(ReadWholeFile(Path()), "abXYef!");
  // The first access flag wins: read before write, so nothing is emptied.
  ASSERT_EQ(f.Open(Path().c_str(), XFILE_READ | XFILE_WRITE), 1);
  EXPECT_EQ(f.Write("z", 1), 0);
  f.Close();
  EXPECT_EQ(ReadWholeFile(Path()), "abXYef!");
  // Missing folders: created only when asked for.
  EXPECT_EQ(f.Open(Path("a/b/c.bin").c_str(), XFILE_WRITE), 0);
  EXPECT_EQ(f.Open(Path("a/b/c.bin").c_str(), XFILE_WRITE | XFILE_MAKEDIRS), 1);
  f.Close();
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("a/b/c.bin")));
}

TEST_F(FileTest, WholeFileHelpers) {
  std::string content(70000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + 7);
  ASSERT_EQ(xWriteFile(Path("src").c_str(), content.data(), static_cast<uint32_t>(content.size())), 1);
  EXPECT_EQ(xWriteFile(Path("no/such/folder").c_str(), "x", 1), 0);
  uint32_t size = 0;
  EXPECT_EQ(xFileSize(Path("src").c_str(), &size), 1);
  EXPECT_EQ(size, content.size());
  EXPECT_EQ(xFileSize(Path("none").c_str(), &size), 0);

  ASSERT_EQ(xCopyFile(Path("deep/er/copy").c_str(), Path("src").c_str()), 1);
  EXPECT_EQ(ReadWholeFile(Path("deep/er/copy")), content);
  EXPECT_EQ(xCopyFile(Path("x").c_str(), Path("none").c_str()), 0);
  // A copy onto itself would empty the file before reading it.
  EXPECT_EQ(xCopyFile(Path("SRC").c_str(), Path("src").c_str()), 0);
  EXPECT_EQ(ReadWholeFile(Path("src")), content);

  std::string head(10, '\0');
  EXPECT_EQ(xReadFile(Path("src").c_str(), head.data(), 10), 1);
  EXPECT_EQ(head, content.substr(0, 10));
  std::string tooMuch(content.size() + 1, '\0');
  EXPECT_EQ(xReadFile(Path("src").c_str(), tooMuch.data(), static_cast<uint32_t>(tooMuch.size())), 0);
}

TEST(ByteSwap, ReversesInPlace) {
  uint16_t w = 0x1122;
  uint32_t l = 0x11223344;
  float f = 1.0f;  // 3F 80 00 00
  double d = 2.0;  // 40 00 ... 00
  XUWORD_SwapBytes(&w);
  XULONG_SwapBytes(&l);
  XFLOAT_SwapBytes(&f);
  XDOUBLE_SwapBytes(&d);
  EXPECT_EQ(w, 0x2211);
  EXPECT_EQ(l, 0x44332211u);
  uint32_t fb;
  uint64_t db;
  std::memcpy(&fb, &f, 4);
  std::memcpy(&db, &d, 8);
  EXPECT_EQ(fb, 0x0000803Fu);
  EXPECT_EQ(db, 0x40ull);
  XFLOAT_SwapBytes(&f);
  XDOUBLE_SwapBytes(&d);
  EXPECT_EQ(f, 1.0f);
  EXPECT_EQ(d, 2.0);
}
