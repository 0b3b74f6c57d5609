// A picture control that shows one frame of a strip at a time and can be moved: a sprite that
// lives in a dialog's control list, so the dialog draws it in its place among the controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ostrel/containers/point.h"
#include "ostrel/controls/static.h"

class CBitmap;

// Bit 7 of the base flags: the sprite shows.
inline constexpr int32_t CONTROLSPRITE_VISIBLE = 128;
// A frame table is read up to its first x or y of -1, and never beyond this many pairs.
inline constexpr int32_t CONTROLSPRITE_MAX_FRAMES = 4096;

class CControlSprite : public CStatic {
 public:
  using CStatic::Create;
  // A see-through static (flags 262, empty text) at (x, y) of width by height with the strip
  // (not owned) as its four looks, showing frame 0. The frames are the table's (x, y) pairs up
  // to the first pair holding -1, or without a table one row of width-wide frames across the
  // strip. flags, delay and mode are kept as a sprite's. 0 without a strip, for a size below 1,
  // or when there is no frame.
  int32_t Create(CBitmap* strip, const TPoint* frames, int32_t width, int32_t height, int32_t x, int32_t y,
                 int32_t flags, int32_t delay, int32_t mode);
  // Shows frame k, clipped to it; a frame beyond the table does nothing.
  void SetCurrentFrame(int32_t k);
  // Moves the sprite: its old area is given back to what lies below, and it is redrawn.
  void SetPosition(int32_t x, int32_t y);
  int32_t GetPositionX() const { return m_X; }
  int32_t GetPositionY() const { return m_Y; }
  // With CONTROLSPRITE_VISIBLE in the low byte of bits the sprite shows (Set) or hides (Clear)
  // and is redrawn; other bits do nothing.
  void SetBaseFlag(int32_t bits);
  void ClearBaseFlag(int32_t bits);

  int32_t GetNumFrames() const { return static_cast<int32_t>(m_Frames.size()); }
  int32_t GetCurrentFrame() const { return m_CurrentFrame; }
  const TPoint& GetFrame(int32_t k) const { return m_Frames[static_cast<size_t>(k)]; }

 private:
  std::vector<TPoint> m_Frames;
  int32_t m_CurrentFrame = 0;
  int32_t m_SpriteFlags = 0, m_Delay = 0, m_Mode = 0;
};
