// The mouse's own cursors as sprites: the table the mouse makes them through.
#include <new>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/sprite.h"
#include "ostrel/input/cursorsprite.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

namespace {
class CSpriteCursor : public CCursorSprite {
 public:
  int32_t Create(CBitmap* bitmap, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int32_t x, int32_t y) {
    return m_Sprite.Create(bitmap, frames, frameWidth, frameHeight, x, y, SPRITE_LATE, kCursorDelay, kCursorMode);
  }
  void Show(int32_t on) override {
    if (on) {
      m_Sprite.SetBaseFlag(SPRITE_VISIBLE);
    } else {
      m_Sprite.ClearBaseFlag(SPRITE_VISIBLE);
    }
  }
  void SetFrame(int32_t frame) override { m_Sprite.SetCurrentFrame(frame); }
  void StopAnim() override { m_Sprite.SetAnimationStatus(SPRITE_STOPPED); }
  void StartAnim(int32_t flags, float delay) override {
    // The delay counts drawn frames.
    if (delay != 0.0f) m_Sprite.SetFrameDelay(static_cast<int32_t>(delay));
    if (flags) m_Sprite.SetBaseFlag(flags);
    m_Sprite.SetAnimationStatus(SPRITE_FORWARD);
  }
  void SetPosition(int32_t x, int32_t y) override { m_Sprite.SetPosition(x, y); }

 private:
  static constexpr int32_t kCursorDelay = 20;
  static constexpr int32_t kCursorMode = 1;  // keyed
  CSprite m_Sprite;
};

CCursorSprite* CreateCursor(CBitmap* bitmap, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int32_t x,
                            int32_t y) {
  auto* cursor = new (std::nothrow) CSpriteCursor;
  if (cursor && !cursor->Create(bitmap, frames, frameWidth, frameHeight, x, y)) {
    delete cursor;
    cursor = nullptr;
  }
  return cursor;
}

CBitmap* LoadCursorPicture(const char* file) {
  auto* bitmap = new (std::nothrow) CBitmap;
  if (!bitmap) return nullptr;
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  if (!bitmap->Load(file, 0) || (screen && screen->GetActiveMode() && !screen->MakeScreenFormat(bitmap, 1))) {
    delete bitmap;
    return nullptr;
  }
  return bitmap;
}

void DeleteCursorPicture(CBitmap* bitmap) { delete bitmap; }

const TCursorPictures kSpriteCursors{&CreateCursor, &LoadCursorPicture, &DeleteCursorPicture};
}  // namespace

const TCursorPictures* xSpriteCursorPictures() { return &kSpriteCursors; }
