#include <gtest/gtest.h>

#include <string>

#include "ostrel/files/bitfile.h"
#include "ostrel/files/xiff.h"
#include "support/tempdir.h"

namespace {
std::string LE(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string BE(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string Z(const char* name) { return std::string(name) + '\0'; }

class XiffTest : public ::testing::Test {
 protected:
  std::string Path() { return m_Dir.File("chunks.xiff"); }
  CTempDir m_Dir;
};
}  // namespace

TEST_F(XiffTest, WritesTheByteImage) {
  CXIFF x;
  ASSERT_EQ(x.Open(Path().c_str(), XFILE_WRITE | XFILE_LITTLE), 1);
  ASSERT_EQ(x.AddChunk("A", 0), 1);
  ASSERT_EQ(x.Write("12345", 5), 1);
  ASSERT_EQ(x.EndChunk(), 1);
  ASSERT_EQ(x.Close(), 1);
  EXPECT_EQ(ReadWholeFile(Path()), Z("XIFF") + LE(11) + Z("A") + LE(5) + "12345");
}

TEST_F(XiffTest, NestedBigEndianImageAndReadBack) {
  {
    CXIFF x;
    ASSERT_EQ(x.Open(Path().c_str(), XFILE_WRITE | XFILE_BIG), 1);
    x.AddChunk("A", 0);
    x.AddChunk("B", 0);
    x.Write("\xb1\xb2\xb3", 3);
    x.EndChunk();
    x.EndChunk();
    x.AddChunk("C", 0);
    x.Write("\xc1", 1);
    // Close ends C and the root.
  }
  const std::string image = Z("XIFF") + BE(22) + Z("A") + BE(9) + Z("B") + BE(3) + "\xb1\xb2\xb3" + Z("C") +
                            BE(1) + "\xc1";
  ASSERT_EQ(ReadWholeFile(Path()), image);

  CXIFF x;
  ASSERT_EQ(x.Open(Path().c_str(), XFILE_READ | XFILE_BIG), 1);
  uint32_t size = 0;
  ASSERT_EQ(x.FindChunk("C", &size, 0), 1);
  EXPECT_EQ(size, 1u);
  ASSERT_EQ(x.EnterChunk(), 1);
  uint32_t inner = 0, pos = 99;
  x.GetSize(&inner);
  x.GetPos(&pos, 0);
  EXPECT_EQ(inner, 1u);
  EXPECT_EQ(pos, 0u);
  signed char c = 0;
  ASSERT_EQ(x.ReadByte(&c), 1);
  EXPECT_EQ(static_cast<uint8_t>(c), 0xc1);
  ASSERT_EQ(x.ExitChunk(), 1);  // back at the beginning of the root's data
  ASSERT_EQ(x.FindChunk("A", nullptr, 1), 1);
  ASSERT_EQ(x.EnterChunk(), 1);
  ASSERT_EQ(x.FindChunk("B", &size, 0), 1);
  EXPECT_EQ(size, 3u);
  x.EnterChunk();
  char b[3];
  ASSERT_EQ(x.Read(b, 3), 1);
  EXPECT_EQ(std::string(b, 3), "\xb1\xb2\xb3");
  x.ExitChunk();
  x.ExitChunk();
  // FirstChunk and NextChunk walk the top level.
  ASSERT_EQ(x.FirstChunk(), 1);
  ASSERT_EQ(x.NextChunk(), 1);
  ASSERT_EQ(x.FindChunk("C", nullptr, 1), 1);
  EXPECT_EQ(x.FindChunk("D", nullptr, 0), 0);
  ASSERT_EQ(x.ExitChunk(), 1);  // to the file level
  EXPECT_EQ(x.ExitChunk(), 0);
}

TEST_F(XiffTest, FindChunkNeedsTheWholeName) {
  WriteWholeFile(Path(), Z("XIFF") + LE(24) + Z("BB") + LE(1) + "x" + Z("B") + LE(2) + "yz" + Z("BBB") + LE(0));
  CXIFF x;
  ASSERT_EQ(x.Open(Path().c_str(), XFILE_READ | XFILE_LITTLE), 1);
  uint32_t size = 0;
  ASSERT_EQ(x.FindChunk("B", &size, 0), 1);
  EXPECT_EQ(size, 2u);
  ASSERT_EQ(x.FindChunk("BBB", &size, 0), 1);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(x.FindChunk("BBBB", &size, 0), 0);
  EXPECT_EQ(x.FindChunk("", &size, 0), 0);
}

TEST_F(XiffTest, OpenForReadNeedsTheRoot) {
  WriteWholeFile(Path(), Z("NOPE") + LE(0));
  CXIFF x;
  EXPECT_EQ(x.Open(Path().c_str(), XFILE_READ), 0);
  EXPECT_EQ(x.IsOpen(), 1);  // the file stays open
  EXPECT_EQ(x.Open(m_Dir.File("missing").c_str(), XFILE_READ), 0);
  EXPECT_EQ(x.IsOpen(), 0);
}

TEST_F(XiffTest, SixteenthLevelIsRefused) {
  CXIFF x;
  ASSERT_EQ(x.Open(Path().c_str(), XFILE_WRITE), 1);  // the root is level 1
  for (int i = 2; i < XIFF_STACK_SIZE; ++i) ASSERT_EQ(x.AddChunk("n", 0), 1) << i;
  EXPECT_EQ(x.AddChunk("n", 0), 0);
  ASSERT_EQ(x.Close(), 1);
  CXIFF r;
  ASSERT_EQ(r.Open(Path().c_str(), XFILE_READ), 1);
  for (int i = 2; i < XIFF_STACK_SIZE; ++i) ASSERT_EQ(r.EnterChunk(), 1) << i;
  EXPECT_EQ(r.EnterChunk(), 0);
}

TEST_F(XiffTest, AppendPatchesSizesInPlace) {
  {
    CXIFF x;  // an empty file gets its root
    ASSERT_EQ(x.Open(Path().c_str(), XFILE_APPEND | XFILE_LITTLE), 1);
    x.AddChunk("A", 0);
    x.Write("ab", 2);
  }
  const std::string first = Z("XIFF") + LE(8) + Z("A") + LE(2) + "ab";
  ASSERT_EQ(ReadWholeFile(Path()), first);
  {
    CXIFF x;
    ASSERT_EQ(x.Open(Path().c_str(), XFILE_APPEND | XFILE_LITTLE), 1);
    ASSERT_EQ(x.AddChunk("N", 0), 1);
    x.Write("xyz", 3);
    ASSERT_EQ(x.Close(), 1);
  }
  EXPECT_EQ(ReadWholeFile(Path()), first + Z("N") + LE(3) + "xyz");
}

TEST_F(XiffTest, HugeChunkSizesNeverStepBackwards) {
  // 0xFFFFFFFA read as a signed step would land on the chunk's own name again, forever.
  WriteWholeFile(Path(), Z("XIFF") + LE(6) + Z("Q") + LE(0xFFFFFFFAu));
  CXIFF x;
  ASSERT_EQ(x.Open(Path().c_str(), XFILE_READ | XFILE_LITTLE), 1);
  EXPECT_EQ(x.FindChunk("Z", nullptr, 0), 0);
  ASSERT_EQ(x.FirstChunk(), 1);
  ASSERT_EQ(x.NextChunk(), 1);
  EXPECT_EQ(x.FindChunk("Z", nullptr, 1), 0);
}

TEST_F(XiffTest, BitFileOrderAndEnd) {
  {
    CBitFile b;
    ASSERT_EQ(b.Open(Path().c_str(), XFILE_WRITE), 1);
    b.WriteBit(1);
    b.WriteBit(0);
    b.WriteBit(1);
    ASSERT_EQ(b.FlushBits(), 1);
    ASSERT_EQ(b.WriteBits(0x1F3, 12), 1);  // 0001 1111 0011
    ASSERT_EQ(b.WriteBits(0x5, 4), 1);
    b.FlushBits();
  }
  ASSERT_EQ(ReadWholeFile(Path()), "\xA0\x1F\x35");
  CBitFile b;
  ASSERT_EQ(b.Open(Path().c_str(), XFILE_READ), 1);
  EXPECT_EQ(b.ReadBits(3), 5u);
  EXPECT_EQ(b.ReadBits(0), 0u);
  EXPECT_EQ(b.ReadBits(-2), 0u);
  b.FlushBitbuf();  // drop the padding
  EXPECT_EQ(b.ReadBits(17), 0x3E6Au);  // the last 16 of 0001 1111 0011 0101 and one bit past the end
  for (int i = 0; i < 20; ++i) EXPECT_EQ(b.ReadBit(), 0);  // past the end: zero bits
}
