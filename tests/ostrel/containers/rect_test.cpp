#include "ostrel/containers/rect.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

void ExpectRect(const CRect& r, int32_t l, int32_t t, int32_t rr, int32_t b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rr);
  EXPECT_EQ(r.bottom, b);
}

TEST(Rect, EdgesAreInclusive) {
  CRect r;
  EXPECT_TRUE(r.IsNull());
  EXPECT_TRUE(r.IsEmpty());
  r.SetXYWH(10, 20, 10, 5);
  ExpectRect(r, 10, 20, 19, 24);
  EXPECT_EQ(r.Width(), 9);
  EXPECT_EQ(r.Height(), 4);
  EXPECT_FALSE(r.IsEmpty());
  EXPECT_FALSE(r.IsNull());

  r.SetXYWH(5, 5, 1, 1);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_TRUE(r.IsPntInRect(5, 5));
  EXPECT_FALSE(r.IsPntInRect(6, 5));
  EXPECT_FALSE(r.IsPntInRect(5, 4));

  r.Set(9, 8, 1, 2);  // reversed: the sizes stay positive, no point is inside
  EXPECT_EQ(r.Width(), 8);
  EXPECT_EQ(r.Height(), 6);
  EXPECT_FALSE(r.IsPntInRect(5, 5));
  r.Normalize();
  ExpectRect(r, 1, 2, 9, 8);
  EXPECT_TRUE(r.IsPntInRect(1, 8));
  r.SetEmpty();
  EXPECT_TRUE(r.IsNull());
}

TEST(Rect, MoveInflateCopyCompare) {
  CRect r(1, 2, 3, 4);
  r.Move(10, -2);
  ExpectRect(r, 11, 0, 13, 2);
  r.Inflate(1, 2);
  ExpectRect(r, 10, -2, 14, 4);
  r.Inflate(-1, -2);
  ExpectRect(r, 11, 0, 13, 2);
  CRect c;
  c.Copy(&r);
  EXPECT_TRUE(c.IsEqual(&r));
  c.right++;
  EXPECT_FALSE(c.IsEqual(&r));
  EXPECT_FALSE(c.IsEqual(nullptr));
  // Arithmetic wraps in 32 bits instead of overflowing.
  CRect big(INT32_MAX, INT32_MIN, INT32_MAX, 0);
  big.Move(1, -1);
  ExpectRect(big, INT32_MIN, INT32_MAX, INT32_MIN, -1);
}

struct SIntersectCase {
  CRect a, b;
  int32_t result;
  CRect expected;
};

TEST(Rect, IntersectCases) {
  const SIntersectCase cases[] = {
      {{0, 0, 9, 9}, {9, 9, 20, 20}, 1, {9, 9, 9, 9}},      // touching corners share a point
      {{0, 0, 9, 9}, {10, 0, 20, 9}, 0, {}},               // side by side
      {{0, 0, 9, 9}, {0, 10, 9, 20}, 0, {}},               // one above the other
      {{0, 0, 9, 9}, {2, 3, 4, 5}, 1, {2, 3, 4, 5}},       // inside
      {{9, 9, 0, 0}, {20, 5, 5, 20}, 1, {5, 5, 9, 9}},     // reversed arguments
      {{-5, -5, 5, 5}, {-10, 0, 0, 10}, 1, {-5, 0, 0, 5}},
  };
  for (const SIntersectCase& c : cases) {
    CRect a = c.a, b = c.b, out(100, 100, 100, 100);
    EXPECT_EQ(out.Intersect(&a, &b), c.result);
    if (c.result)
      EXPECT_TRUE(out.IsEqual(&c.expected));
    else
      ExpectRect(out, 100, 100, 100, 100);  // unchanged
  }
  CRect a(5, 5, 0, 0), b(3, 3, 1, 1);
  CRect out;
  out.Intersect(&a, &b);
  ExpectRect(a, 0, 0, 5, 5);  // arguments normalized in place
  ExpectRect(b, 1, 1, 3, 3);
  EXPECT_EQ(out.Intersect(&a, nullptr), 0);
  EXPECT_EQ(a.Intersect(&a, &b), 1);  // into one of its own arguments
  ExpectRect(a, 1, 1, 3, 3);
}

// Against the sets of integer points the rectangles cover.
TEST(Rect, IntersectAndUnionMatchPointSets) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int32_t> coord(-6, 6);
  auto random = [&] { return CRect(coord(rng), coord(rng), coord(rng), coord(rng)); };
  for (int i = 0; i < 2000; ++i) {
    CRect a = random(), b = random();
    CRect na = a, nb = b;
    na.Normalize();
    nb.Normalize();
    int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
    int32_t uMinX = INT32_MAX, uMinY = INT32_MAX, uMaxX = INT32_MIN, uMaxY = INT32_MIN;
    for (int32_t y = -6; y <= 6; ++y) {
      for (int32_t x = -6; x <= 6; ++x) {
        bool inA = na.IsPntInRect(x, y), inB = nb.IsPntInRect(x, y);
        if (inA && inB) {
          minX = std::min(minX, x), maxX = std::max(maxX, x);
          minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
        if (inA || inB) {
          uMinX = std::min(uMinX, x), uMaxX = std::max(uMaxX, x);
          uMinY = std::min(uMinY, y), uMaxY = std::max(uMaxY, y);
        }
      }
    }
    CRect inter, uni;
    CRect a1 = a, b1 = b;
    int32_t got = inter.Intersect(&a1, &b1);
    ASSERT_EQ(got, minX != INT32_MAX ? 1 : 0);
    if (got) ExpectRect(inter, minX, minY, maxX, maxY);
    uni.Union(&a, &b);
    ExpectRect(uni, uMinX, uMinY, uMaxX, uMaxY);
    EXPECT_TRUE(a.IsEqual(&na));
    EXPECT_TRUE(b.IsEqual(&nb));
  }
}

}  // namespace
