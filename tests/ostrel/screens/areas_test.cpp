// Area lists and the clip: merging, equality, overflow, killed entries, pages; the clip stack.
#include <gtest/gtest.h>

#include <vector>

#include "ostrel/screens/arealist.h"
#include "screentest.h"

namespace {
const CRect kWhole(0, 0, 99, 79);
const CRect kKilled(AREA_KILLED_LEFT, AREA_KILLED_TOP, AREA_KILLED_RIGHT, AREA_KILLED_BOTTOM);

std::vector<CRect> Entries(const CAreaList& list, int32_t page) {
  std::vector<CRect> out;
  for (int32_t i = 0; i < list.Count(page); ++i) out.push_back(list.Get(page, i));
  return out;
}

void ExpectRects(const std::vector<CRect>& got, const std::vector<CRect>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_TRUE(got[i].IsEqual(&want[i])) << "entry " << i << ": " << got[i].left << "," << got[i].top << ","
                                          << got[i].right << "," << got[i].bottom;
  }
}

struct SAddCase {
  const char* name;
  std::vector<CRect> added;
  std::vector<CRect> stored;
};

TEST(AreaList, MergeRules) {
  const SAddCase cases[] = {
      {"one", {{1, 2, 3, 4}}, {{1, 2, 3, 4}}},
      {"normalised", {{3, 4, 1, 2}}, {{1, 2, 3, 4}}},
      {"same twice stored once", {{1, 2, 3, 4}, {1, 2, 3, 4}}, {{1, 2, 3, 4}}},
      // The union (0..10 x 0..10: 100) costs less than 10*10 + 6*10.
      {"overlap merged, old entry killed", {{0, 0, 10, 10}, {4, 0, 10, 10}}, {kKilled, {0, 0, 10, 10}}},
      {"apart kept apart", {{0, 0, 5, 5}, {50, 50, 55, 55}}, {{0, 0, 5, 5}, {50, 50, 55, 55}}},
      // Touching areas: union 0..20 x 0..10 = 200 against 100 + 100: not cheaper, both kept.
      {"side by side kept", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 10, 10}, {10, 0, 20, 10}}},
      {"inside swallowed", {{0, 0, 20, 20}, {5, 5, 6, 6}}, {kKilled, {0, 0, 20, 20}}},
      // The merged rectangle goes on with the walk and swallows the later entry too.
      {"merge chains", {{0, 0, 10, 10}, {30, 0, 40, 10}, {5, 0, 35, 10}}, {kKilled, kKilled, {0, 0, 40, 10}}},
  };
  for (const SAddCase& c : cases) {
    SCOPED_TRACE(c.name);
    CAreaList list;
    for (const CRect& r : c.added) list.Add(0, r, kWhole, true);
    ExpectRects(Entries(list, 0), c.stored);
    EXPECT_EQ(list.Count(1), 0);
  }
}

TEST(AreaList, MergedRectangleEqualToALaterEntryIsNotStored) {
  CAreaList list;
  list.Store(0, {0, 0, 4, 10}, kWhole);
  list.Store(0, {0, 0, 10, 10}, kWhole);
  list.Add(0, {2, 0, 10, 10}, kWhole, true);  // swallows the first, then meets its equal
  ExpectRects(Entries(list, 0), {kKilled, {0, 0, 10, 10}});
}

TEST(AreaList, WithoutEqualityTestSameAreaTwiceMergesIntoKilledAndNew) {
  CAreaList list;
  list.Add(0, {1, 1, 3, 3}, kWhole, false);
  list.Add(0, {1, 1, 3, 3}, kWhole, false);
  // 4 - 4 - 4 < 0: the old one is swallowed.
  ExpectRects(Entries(list, 0), {kKilled, {1, 1, 3, 3}});
}

TEST(AreaList, The129thAreaTurnsThePageIntoTheWholeScreen) {
  CAreaList list;
  for (int32_t i = 0; i < SCREEN_AREAS_PER_PAGE; ++i) list.Add(1, {i * 3, 0, i * 3 + 1, 1}, kWhole, true);
  EXPECT_EQ(list.Count(1), SCREEN_AREAS_PER_PAGE);
  list.Add(1, {0, 70, 1, 71}, kWhole, true);
  ExpectRects(Entries(list, 1), {kWhole});
  list.Add(1, {5, 5, 6, 6}, kWhole, true);  // a new one is swallowed by the whole screen
  ExpectRects(Entries(list, 1), {kKilled, {0, 0, 99, 79}});
}

TEST(AreaList, ForEachSkipsKilledEntries) {
  CAreaList list;
  list.Add(0, {0, 0, 10, 10}, kWhole, true);
  list.Add(0, {2, 2, 10, 10}, kWhole, true);
  list.Add(0, {40, 40, 41, 41}, kWhole, true);
  std::vector<CRect> seen;
  list.ForEach(0, [&](const CRect& r) { seen.push_back(r); });
  ExpectRects(seen, {{0, 0, 10, 10}, {40, 40, 41, 41}});
  EXPECT_EQ(list.Count(0), 3);
}

TEST(AreaList, BadPagesAreIgnored) {
  CAreaList list;
  list.Add(3, {0, 0, 1, 1}, kWhole, true);
  list.Add(-1, {0, 0, 1, 1}, kWhole, true);
  for (int32_t p = 0; p < SCREEN_PAGES; ++p) EXPECT_EQ(list.Count(p), 0);
  EXPECT_EQ(list.Count(3), 0);
}

class ScreenAreas : public CScreenTest {
 protected:
  void SetUp() override {
    CScreenTest::SetUp();
    Start(100, 80, 24);
  }
};

TEST_F(ScreenAreas, ClearAreasOnlyWithPersistentMode) {
  S().AddClearArea(1, 1, 5, 5);
  EXPECT_EQ(S().ClearAreas().Count(0), 0);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  S().AddClearArea(5, 5, 1, 1);
  ExpectRects(Entries(S().ClearAreas(), 0), {{1, 1, 5, 5}});
  // The windowed screen keeps gui areas on the current page only, in a list of their own.
  S().AddClearAreaGui(20, 20, 30, 30);
  S().AddClearAreaGui(20, 20, 30, 30);
  ExpectRects(Entries(S().ClearAreas(), 0), {{1, 1, 5, 5}});
  ExpectRects(Entries(S().GuiClearAreas(), 0), {{20, 20, 30, 30}});
  EXPECT_EQ(S().GuiClearAreas().Count(1), 0);
  ASSERT_EQ(S().SetPersistentMode(0), 1);
  S().AddClearAreaGui(40, 40, 50, 50);
  EXPECT_EQ(S().GuiClearAreas().Count(0), 1);
}

TEST_F(ScreenAreas, PersistentAreasGoOnEveryPageWithoutPersistentMode) {
  EXPECT_EQ(S().GetNumPages(), 2);
  S().AddClearAreaPersistent(0, 0, 10, 10);
  S().AddClearAreaPersistent(3, 0, 10, 10);  // merged on the current page, not equality-tested
  ExpectRects(Entries(S().PersistentClearAreas(), 0), {kKilled, {0, 0, 10, 10}});
  // The other page got both stored rectangles as they came.
  ExpectRects(Entries(S().PersistentClearAreas(), 1), {{0, 0, 10, 10}, {0, 0, 10, 10}});
  EXPECT_EQ(S().PersistentClearAreas().Count(2), 0);
}

TEST_F(ScreenAreas, PersistentAreasOverflowPerPage) {
  for (int32_t i = 0; i <= SCREEN_AREAS_PER_PAGE; ++i) S().AddClearAreaPersistent(i % 30 * 3, i / 30 * 3, i % 30 * 3, i / 30 * 3);
  for (int32_t page = 0; page < 2; ++page) ExpectRects(Entries(S().PersistentClearAreas(), page), {{0, 0, 99, 79}});
}

TEST_F(ScreenAreas, ShadowAreasAreCutToTheClipOnEveryPage) {
  S().SetClip(10, 10, 50, 50);
  S().AddShadowArea(0, 0, 20, 20);
  for (int32_t page = 0; page < SCREEN_PAGES; ++page) ExpectRects(Entries(S().ShadowAreas(), page), {{10, 10, 20, 20}});
  S().AddShadowArea(60, 60, 70, 70);  // beside the clip: nothing
  EXPECT_EQ(S().ShadowAreas().Count(0), 1);
  S().ASA(70, 70, 60, 60);  // only the current page, not cut
  ExpectRects(Entries(S().ShadowAreas(), 0), {{10, 10, 20, 20}, {60, 60, 70, 70}});
  EXPECT_EQ(S().ShadowAreas().Count(1), 1);
}

TEST_F(ScreenAreas, ClipIsCutNeverWidened) {
  S().SetClip(-10, -10, 40, 30);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(0, 0, 40, 30))));
  S().SetSubClip(20, 20, 200, 200);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(20, 20, 40, 30))));
  S().SetSubClip(0, 0, 99, 79);  // wider: unchanged
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(20, 20, 40, 30))));
  EXPECT_EQ(S().IsClipEmpty(), 0);
  S().SetSubClip(50, 50, 60, 60);
  EXPECT_TRUE(S().GetClip().IsNull());
  EXPECT_EQ(S().IsClipEmpty(), 1);
  S().SetSubClip(0, 0, 5, 5);  // an empty clip stays empty even where (0, 0) lies
  EXPECT_EQ(S().IsClipEmpty(), 1);
  S().SetClip(200, 200, 300, 300);  // wholly off the screen
  EXPECT_TRUE(S().GetClip().IsNull());
  EXPECT_EQ(S().IsClipEmpty(), 1);
  S().SetClip(0, 0, 99, 79);
  EXPECT_EQ(S().IsClipEmpty(), 0);
}

TEST_F(ScreenAreas, ClipStackHolds32) {
  for (int32_t i = 0; i < SCREEN_CLIP_STACK_SIZE; ++i) {
    S().SetClip(i, i, 99 - i, 79 - i);
    EXPECT_EQ(S().PushClip(), 1) << i;
  }
  S().SetClip(60, 60, 60, 60);
  EXPECT_EQ(S().PushClip(), 0);  // the 33rd
  EXPECT_EQ(S().GetClipDepth(), SCREEN_CLIP_STACK_SIZE);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(60, 60, 60, 60))));
  for (int32_t i = SCREEN_CLIP_STACK_SIZE - 1; i >= 0; --i) {
    ASSERT_EQ(S().PopClip(), 1);
    EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(i, i, 99 - i, 79 - i)))) << i;
  }
  EXPECT_EQ(S().PopClip(), 0);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(0, 0, 99, 79))));
}

TEST_F(ScreenAreas, ClipStackKeepsEmptiness) {
  S().SetClip(500, 500, 600, 600);
  S().PushClip();
  S().SetClip(0, 0, 10, 10);
  S().PopClip();
  EXPECT_EQ(S().IsClipEmpty(), 1);
}

TEST_F(ScreenAreas, ExitModeEmptiesListsAndModes) {
  S().SetPersistentMode(1);
  S().AddClearArea(1, 1, 2, 2);
  S().AddClearAreaPersistent(1, 1, 2, 2);
  S().PushClip();
  S().ExitMode();
  EXPECT_EQ(S().GetActiveMode(), nullptr);
  EXPECT_EQ(S().ModeFirst(), 0);
  EXPECT_EQ(S().ClearAreas().Count(0), 0);
  EXPECT_EQ(S().PersistentClearAreas().Count(1), 0);
  EXPECT_EQ(S().GetClipDepth(), 0);
  EXPECT_EQ(S().GetPersistentBitmap(), nullptr);
  EXPECT_EQ(S().GetPersistentMode(), 0);
}
}  // namespace
