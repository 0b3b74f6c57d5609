// Own cursors are sprites, and sprites come with the graphics: the mouse reaches them only
// through this small interface, which the sprite side fills in (xSetCursorPictures). Until it
// does, own cursors cannot be made and AllocCursor returns 0.
#pragma once

#include <cstdint>

class CBitmap;
struct TPoint;

// The sprite of one own cursor, owned by the mouse's cursor record.
class CCursorSprite {
 public:
  CCursorSprite() = default;
  CCursorSprite(const CCursorSprite&) = delete;
  CCursorSprite& operator=(const CCursorSprite&) = delete;
  virtual ~CCursorSprite() = default;
  // Base flag 128 (visible) set or cleared.
  virtual void Show(int32_t on) = 0;
  virtual void SetFrame(int32_t frame) = 0;
  virtual void StopAnim() = 0;
  // A delay other than 0.0 becomes the frame delay, non-zero flags the base flags; then the
  // animation runs.
  virtual void StartAnim(int32_t flags, float delay) = 0;
  virtual void SetPosition(int32_t x, int32_t y) = 0;
};

struct TCursorPictures {
  // A sprite made with (bitmap, frames, frame width, frame height, x, y, 64, 20, 1); null on
  // failure. The sprite does not own the bitmap.
  CCursorSprite* (*m_pCreate)(CBitmap* bitmap, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int32_t x,
                              int32_t y);
  // The bitmap of a picture file converted to the current screen's format; null on failure.
  CBitmap* (*m_pLoad)(const char* file);
  void (*m_pDelete)(CBitmap* bitmap);
};

// The caller keeps the table alive; null removes it.
void xSetCursorPictures(const TCursorPictures* pictures);
const TCursorPictures* xGetCursorPictures();
