// The rectangle of the graphics and GUI toolkit. Edges are inclusive: a rectangle made from x, y,
// width w and height h ends at x + w - 1, y + h - 1. Arithmetic wraps in 32 bits.
#pragma once

#include <cstdint>

class CRect {
 public:
  CRect() = default;
  CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
  CRect(const CRect&) = default;
  CRect& operator=(const CRect&) = default;
  virtual ~CRect() = default;

  void Set(int32_t l, int32_t t, int32_t r, int32_t b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  void SetXYWH(int32_t x, int32_t y, int32_t w, int32_t h);
  // |right - left| and |bottom - top|: 9 for a rectangle made with width 10.
  int32_t Width() const;
  int32_t Height() const;
  void SetEmpty() { Set(0, 0, 0, 0); }
  int32_t IsEmpty() const { return right == left && bottom == top; }
  int32_t IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  int32_t IsPntInRect(int32_t x, int32_t y) const {
    return left <= x && x <= right && top <= y && y <= bottom;
  }
  void Copy(const CRect* other);
  int32_t IsEqual(const CRect* other) const;
  void Inflate(int32_t dx, int32_t dy);
  void Move(int32_t dx, int32_t dy);
  void Normalize();
  // Both arguments are normalized in place. 0 (this unchanged) when they do not overlap;
  // rectangles that only touch share the edge line.
  int32_t Intersect(CRect* a, CRect* b);
  // Both arguments are normalized in place; this becomes the smallest rectangle holding both.
  void Union(CRect* a, CRect* b);

  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
