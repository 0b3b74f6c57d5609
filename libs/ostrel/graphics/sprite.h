// An animated picture that floats over the screen without disturbing it. On the bus it saves
// what lies under it and draws its frame when the page flips (message 2), and puts the saved
// picture back when the buffer is cleared (message 3). The mouse's own cursors are sprites.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"
#include "ostrel/graphics/point.h"
#include "ostrel/screens/arealist.h"
#include "ostrel/system/msgsys.h"

class CBitmap;
class CScreenBase;
struct TCursorPictures;

// Base flags: bits 0 to 5 the animation mode, then the switches.
inline constexpr int32_t SPRITE_ANIM_LOOP = 1;
inline constexpr int32_t SPRITE_ANIM_ONCE = 2;
inline constexpr int32_t SPRITE_ANIM_ONCE_RESET = 4;      // once, then back to the first frame
inline constexpr int32_t SPRITE_ANIM_PINGPONG = 8;        // back and forth for ever
inline constexpr int32_t SPRITE_ANIM_PINGPONG_ONCE = 16;  // back and forth once
inline constexpr int32_t SPRITE_ANIM_MASK = 0x3F;
inline constexpr int32_t SPRITE_LATE = 64;  // drawn after the grey copy: never part of the grey
inline constexpr int32_t SPRITE_VISIBLE = 128;
inline constexpr int32_t SPRITE_CLIP = 256;  // drawn inside its own clip rectangle

// Animation status.
inline constexpr int32_t SPRITE_STOPPED = 0;
inline constexpr int32_t SPRITE_FORWARD = 1;
inline constexpr int32_t SPRITE_BACKWARD = 2;

class CSprite : public CMsgSys {
 public:
  CSprite() = default;
  ~CSprite() override;

  // Frames are corners in the bitmap (not owned): the given list up to its first x or y of -1,
  // or, with none, one row of frames across the bitmap. A frame size below 1 takes the bitmap's.
  // Visible and running; delay is in drawn frames. 0 without a bitmap or memory.
  int32_t Create(CBitmap* bitmap, const TPoint* frames, int32_t frameWidth, int32_t frameHeight, int32_t x, int32_t y,
                 int32_t flags, int32_t delay, int32_t mode);
  // Leaves the bus and frees the frames and saved pictures; a frame still on the screen is put
  // back first.
  void Free();

  void SetPosition(int32_t x, int32_t y) {
    m_X = x;
    m_Y = y;
  }
  void SetRelativePosition(int32_t dx, int32_t dy) {
    m_X += dx;
    m_Y += dy;
  }
  // The part of each frame that is drawn (at most the frame).
  void SetSize(int32_t width, int32_t height) {
    m_Width = width;
    m_Height = height;
  }
  int32_t GetPositionX() const { return m_X; }
  int32_t GetPositionY() const { return m_Y; }
  int32_t GetWidth() const { return m_Width; }
  int32_t GetHeight() const { return m_Height; }
  void SetSpriteClipArea(const CRect& clip) {
    m_Flags |= SPRITE_CLIP;
    m_Clip = clip;
  }
  // Out-of-range values are ignored.
  void SetCurrentFrame(int32_t frame);
  void SetFrameDelay(int32_t delay);
  void SetAnimationStatus(int32_t status);
  int32_t GetCurrentFrame() const { return m_Frame; }
  int32_t GetNumFrames() const { return m_NumFrames; }
  int32_t GetAnimationStatus() const { return m_Status; }
  int32_t GetFrameDelay() const { return m_Delay; }
  void SetBaseFlag(int32_t bits) { m_Flags |= bits; }
  void ClearBaseFlag(int32_t bits) { m_Flags &= ~bits; }
  int32_t CheckBaseFlag(int32_t bits) const { return (m_Flags & bits) != 0; }
  int32_t GetBaseFlags() const { return m_Flags; }

  // Draws the current frame and steps the animation.
  void Draw();
  int32_t MsgHandler(uint32_t message, TMsgParam a, TMsgParam b) override;

 private:
  struct SPage {
    CBitmap* m_pSaved = nullptr;  // owned
    int32_t m_Saved = 0;
    int32_t m_Drawn = 0;
    CRect m_DrawnRect;  // left, top and the size in right, bottom
  };
  static CScreenBase* Screen();
  SPage& CurrentPage();
  void Restore(SPage& page);
  void Animate();
  // The drawn size, never beyond the frame (nor the saved picture).
  int32_t DrawWidth() const;
  int32_t DrawHeight() const;

  CBitmap* m_pBitmap = nullptr;
  TPoint* m_pFrames = nullptr;  // new[]
  int32_t m_NumFrames = 0;
  int32_t m_Frame = 0;
  int32_t m_FrameWidth = 0, m_FrameHeight = 0;
  int32_t m_Width = 0, m_Height = 0;
  int32_t m_X = 0, m_Y = 0;
  int32_t m_Flags = 0;
  int32_t m_Mode = 0;
  int32_t m_Delay = 0;
  int32_t m_Countdown = 0;
  int32_t m_Status = SPRITE_STOPPED;
  SPage m_Pages[SCREEN_PAGES];
  CRect m_Clip;
  bool m_OnBus = false;
};

// The mouse's own cursors made as sprites (see input/cursorsprite.h).
const TCursorPictures* xSpriteCursorPictures();
