#include "ostrelcomm/packetcache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "commfixture.h"
#include "ostrel/base/types.h"

using PacketCacheTest = CCommTest;

TEST_F(PacketCacheTest, LargeBlocksAreKeptForTheNextPacketsOfTheirSize) {
  void* block = xCommAllocPacketBlock(1 << 20);
  ASSERT_NE(block, nullptr);
  xCommReleasePacketBlock(block, 1 << 20);
  EXPECT_EQ(xCommAllocPacketBlock((1 << 20) - 100), block) << "a kept block that fits";
  xCommReleasePacketBlock(block, 1 << 20);
  void* other = xCommAllocPacketBlock(300 << 10);
  EXPECT_NE(other, block) << "not one more than twice as large";
  xFree(other);
  void* bigger = xCommAllocPacketBlock((1 << 20) + 1);
  EXPECT_NE(bigger, block) << "not one too small";
  xFree(bigger);
  EXPECT_EQ(xCommAllocPacketBlock(1 << 20), block);
  xFree(block);  // a block from the cache may be freed plainly too
}

TEST_F(PacketCacheTest, SmallBlocksAndOverflowAreFreed) {
  void* small = xCommAllocPacketBlock(1000);
  xCommReleasePacketBlock(small, 1000);
  EXPECT_EQ(glb->m_pPacketBlockCache, nullptr) << "small blocks are left to the C library";
  // Sixteen blocks or 32 MiB at most are kept; the rest are freed at once.
  std::vector<void*> blocks;
  for (int i = 0; i < 20; ++i) blocks.push_back(xCommAllocPacketBlock(3 << 20));
  for (void* b : blocks) xCommReleasePacketBlock(b, 3 << 20);
  // The first ten released are kept, so the next ten blocks are those, and the eleventh is not.
  const std::vector<void*> kept(blocks.begin(), blocks.begin() + 10);
  std::vector<void*> again;
  for (int i = 0; i < 11; ++i) again.push_back(xCommAllocPacketBlock(3 << 20));
  for (int i = 0; i < 10; ++i) EXPECT_NE(std::find(kept.begin(), kept.end(), again[i]), kept.end()) << i;
  EXPECT_EQ(std::find(kept.begin(), kept.end(), again[10]), kept.end());
  for (void* b : again) xFree(b);
}

TEST(PacketCacheWithoutGlobals, FallsBackToPlainBlocks) {
  void* block = xCommAllocPacketBlock(1 << 20);
  ASSERT_NE(block, nullptr);
  xCommReleasePacketBlock(block, 1 << 20);
  xCommFreePacketBlocks();
}
