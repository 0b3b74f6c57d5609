#include <gtest/gtest.h>

#include <vector>

#include "ostrel/graphics/dib.h"
#include "ostrel/graphics/palette.h"

TEST(Dib, CreateMakesATopDownBufferWithItsColourTable) {
  struct {
    int32_t bits, colours, pitch;
  } cases[] = {{1, 2, 4}, {4, 16, 4}, {8, 256, 8}, {16, 65536, 12}, {24, 0, 16}, {32, 0, 20}};
  for (const auto& c : cases) {
    CDib d;
    ASSERT_EQ(d.Create(5, 3, c.bits), 1) << c.bits;
    const TDibHeader* h = d.GetInfo();
    EXPECT_EQ(h->Size, 40u);
    EXPECT_EQ(h->Width, 5);
    EXPECT_EQ(h->Height, -3);
    EXPECT_EQ(h->Planes, 1);
    EXPECT_EQ(h->BitCount, c.bits);
    EXPECT_EQ(h->Compression, DIB_RGB);
    EXPECT_EQ(d.GetWidth(), 5);
    EXPECT_EQ(d.GetHeight(), 3);
    EXPECT_EQ(d.GetNumColorEntries(), c.colours);
    EXPECT_EQ(d.GetPitch(), c.pitch);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(d.GetColTabAddress()), reinterpret_cast<uint8_t*>(d.GetInfo()) + 40);
    ASSERT_NE(d.GetBits(), nullptr);
    EXPECT_EQ(std::vector<uint8_t>(d.GetBits(), d.GetBits() + 3 * c.pitch),
              std::vector<uint8_t>(3 * c.pitch, 0));
  }
  CDib d;
  EXPECT_EQ(d.Create(5, 3, 12), 0);
  EXPECT_EQ(d.Create(0, 3, 8), 0);
  EXPECT_EQ(d.Create(70000, 70000, 32), 0);
}

TEST(Dib, CreateFromAHeaderCopiesItAndBorrowsTheBits) {
  struct {
    TDibHeader h;
    TDibColour table[16];
  } info = {};
  info.h.Size = 40;
  info.h.Width = 4;
  info.h.Height = 2;
  info.h.BitCount = 8;
  info.h.ClrUsed = 16;  // wins over the bit count
  info.table[15] = {1, 2, 3, 0};
  uint8_t bits[8] = {};
  CDib d;
  ASSERT_EQ(d.Create(&info.h, bits), 1);
  EXPECT_NE(d.GetInfo(), &info.h);
  EXPECT_EQ(d.GetBits(), bits);
  EXPECT_EQ(d.GetNumColorEntries(), 16);
  EXPECT_EQ(d.GetColTabAddress()[15].Red, 3);
  info.h.Size = 12;
  EXPECT_EQ(d.Create(&info.h, bits), 0);

  CDIBPal pal;
  info.h.Size = 40;
  ASSERT_EQ(d.Create(&info.h, bits), 1);
  ASSERT_EQ(pal.Create(&d), 1);
  EXPECT_EQ(pal.GetNumEntries(), 16);
  EXPECT_TRUE(pal.GetEntries()[15] == TRGBA(3, 2, 1, 0));
  EXPECT_EQ(pal.SetSysPalColors(nullptr), 0);  // no palette device anywhere
  CDib none;
  ASSERT_EQ(none.Create(2, 2, 24), 1);
  EXPECT_EQ(pal.Create(&none), 0);
  CPalette grey;
  ASSERT_EQ(pal.Create(&grey), 1);
  EXPECT_EQ(pal.GetNumEntries(), 256);
  EXPECT_TRUE(pal.GetEntries()[200] == TRGBA(200, 200, 200, 0));
}
