#include "ostrel/containers/rect.h"

#include <algorithm>
#include <utility>

namespace {
int32_t Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t Sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
int32_t Distance(int32_t a, int32_t b) { return a < b ? Sub(b, a) : Sub(a, b); }
}  // namespace

void CRect::SetXYWH(int32_t x, int32_t y, int32_t w, int32_t h) {
  Set(x, y, Sub(Add(x, w), 1), Sub(Add(y, h), 1));
}

int32_t CRect::Width() const { return Distance(left, right); }
int32_t CRect::Height() const { return Distance(top, bottom); }

void CRect::Copy(const CRect* other) {
  if (other) Set(other->left, other->top, other->right, other->bottom);
}

int32_t CRect::IsEqual(const CRect* other) const {
  return other && left == other->left && top == other->top && right == other->right &&
         bottom == other->bottom;
}

void CRect::Inflate(int32_t dx, int32_t dy) {
  Set(Sub(left, dx), Sub(top, dy), Add(right, dx), Add(bottom, dy));
}

void CRect::Move(int32_t dx, int32_t dy) {
  Set(Add(left, dx), Add(top, dy), Add(right, dx), Add(bottom, dy));
}

void CRect::Normalize() {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
}

// For overlapping normalized spans the middle two of the four edges are the larger start and
// the smaller end.
int32_t CRect::Intersect(CRect* a, CRect* b) {
  if (!a || !b) return 0;
  a->Normalize();
  b->Normalize();
  if (a->right < b->left || b->right < a->left || a->bottom < b->top || b->bottom < a->top)
    return 0;
  Set(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
      std::min(a->bottom, b->bottom));
  return 1;
}

void CRect::Union(CRect* a, CRect* b) {
  if (!a || !b) return;
  a->Normalize();
  b->Normalize();
  Set(std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
      std::max(a->bottom, b->bottom));
}
