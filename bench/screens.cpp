// The windowed screen presenting an 800x600 24-bit picture: a full present, and a typical frame
// (10 sprites over the persistent picture, 50 small transient bitmaps), on the headless backend
// and on SDL's dummy video driver. Each is measured beside SDL doing the same work with its own
// surfaces and blitter. Prints each ours/SDL time ratio at the end.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/sprite.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/headless.h"
#include "platform/display/sdl/sdldisplay.h"
#include "ratioreporter.h"

namespace {
constexpr int32_t kW = 800, kH = 600;
constexpr int32_t kSprites = 10, kSpriteSize = 32;
constexpr int32_t kRects = 50, kRectSize = 24;

CDisplayBackend* SdlDummy() {
  static CDisplayBackend* display = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return PlatformCreateSdlDisplay();
  }();
  return display;
}

TRGBA Background(int32_t x, int32_t y) {
  return TRGBA(static_cast<uint8_t>(x * 255 / kW), static_cast<uint8_t>(y * 255 / kH),
               static_cast<uint8_t>((x ^ y) & 0xFF));
}

void Fill(CBitmap& b, int32_t w, int32_t h, TRGBA (*colour)(int32_t, int32_t)) {
  b.CreateRGB(w, h, 24, 8, 8, 8, 0, 8, 16, 0);  // the screen's own layout
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const TRGBA c = colour(x, y);
      b.PutPixel(x, y, &c);
    }
}

TRGBA SpriteColour(int32_t x, int32_t y) {
  const int32_t dx = x % kSpriteSize - kSpriteSize / 2, dy = y - kSpriteSize / 2;
  if ((x == 0 && y == 0) || dx * dx + dy * dy > 15 * 15) return TRGBA(255, 0, 255);  // key
  return TRGBA(255, static_cast<uint8_t>(200 - x), 40);
}
TRGBA SpotColour(int32_t x, int32_t y) { return TRGBA(static_cast<uint8_t>(x * 10), 30, static_cast<uint8_t>(y * 10)); }

// Where the 50 transient bitmaps go, and the sprites' paths: the same for both sides.
struct SScene {
  SScene() {
    uint32_t seed = 12345;
    auto next = [&](int32_t range) {
      seed = seed * 1103515245u + 12345u;
      return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(range));
    };
    for (int32_t i = 0; i < kRects; ++i) rects.push_back({next(kW - kRectSize), next(kH - kRectSize)});
    for (int32_t i = 0; i < kSprites; ++i) start.push_back({next(kW - kSpriteSize), next(kH - kSpriteSize)});
  }
  static TPoint SpriteAt(const TPoint& s, int64_t frame) {
    return {static_cast<int32_t>((s.x + frame * 3) % (kW - kSpriteSize)),
            static_cast<int32_t>((s.y + frame * 2) % (kH - kSpriteSize))};
  }
  std::vector<TPoint> rects, start;
};

// The runtime with its windowed screen in the 800x600 24-bit window mode on a backend.
class CRig {
 public:
  explicit CRig(CDisplayBackend* display) {
    PlatformSetDisplay(display);
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    m_Ok = xCreateGlobals() && xInit();
    CDibScreen* s = sglb->m_pDibScreen;
    m_Ok = m_Ok && s && s->InitModeRez(kW, kH, 24, VMODE_WINDOW) && s->SetScreenWindowProperties(0, -1, -1) &&
           s->SetPersistentMode(1);
    if (!m_Ok) return;
    glb->m_pCurrentScreen = s;
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
    Fill(m_Back, kW, kH, Background);
    Fill(m_Strip, kSpriteSize, kSpriteSize, SpriteColour);
    Fill(m_Spot, kRectSize, kRectSize, SpotColour);
    s->DrawBitmapPersistent(&m_Back, 0, 0, 0, 0, -1, -1, 0, 0);
    s->FlipPage();
    s->ClearBuffer();
  }
  ~CRig() {
    m_Sprites.clear();
    xExit();
    xFreeGlobals();
    delete sglb;
    delete glb;
    sglb = nullptr;
    glb = nullptr;
    PlatformSetDisplay(nullptr);
  }
  bool Ok() const { return m_Ok; }
  CDibScreen& Screen() const { return *sglb->m_pDibScreen; }
  void AddSprites(const SScene& scene) {
    for (const TPoint& p : scene.start) {
      m_Sprites.push_back(std::make_unique<CSprite>());
      m_Sprites.back()->Create(&m_Strip, nullptr, kSpriteSize, kSpriteSize, p.x, p.y, 0, 0, BLT_MODE_KEY);
    }
  }
  void Frame(const SScene& scene, int64_t frame) {
    CDibScreen& s = Screen();
    for (const TPoint& r : scene.rects) s.DrawBitmapScreen(&m_Spot, 0, 0, r.x, r.y, -1, -1, 0, 0);
    for (int32_t i = 0; i < kSprites; ++i) {
      const TPoint p = SScene::SpriteAt(scene.start[static_cast<size_t>(i)], frame);
      m_Sprites[static_cast<size_t>(i)]->SetPosition(p.x, p.y);
    }
    s.FlipPage();
    s.ClearBuffer();
  }

 private:
  bool m_Ok = false;
  CBitmap m_Back, m_Strip, m_Spot;
  std::vector<std::unique_ptr<CSprite>> m_Sprites;
};

void FullPresentOurs(benchmark::State& state, bool sdl) {
  CRig rig(sdl ? SdlDummy() : PlatformHeadlessDisplay());
  if (!rig.Ok()) {
    state.SkipWithError("no screen");
    return;
  }
  CDibScreen& s = rig.Screen();
  // A persistent area over the whole screen stays until the next clear: every flip presents it.
  s.AddClearAreaPersistent(0, 0, kW - 1, kH - 1);
  for (auto _ : state) {
    if (!s.FlipPage()) state.SkipWithError("present refused");
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void FrameOurs(benchmark::State& state, bool sdl) {
  CRig rig(sdl ? SdlDummy() : PlatformHeadlessDisplay());
  if (!rig.Ok()) {
    state.SkipWithError("no screen");
    return;
  }
  const SScene scene;
  rig.AddSprites(scene);
  int64_t frame = 0;
  for (auto _ : state) rig.Frame(scene, frame++);
}

// SDL's side: the same buffers as SDL surfaces, the window's surface (SDL) or a memory surface of
// the window's pixels (headless) as the target.
struct SSdlSide {
  explicit SSdlSide(bool sdl) : window(nullptr) {
    if (sdl) {
      SdlDummy();
      window = SDL_CreateWindow("bench", 0, 0, kW, kH, SDL_WINDOW_HIDDEN);
      target = window ? SDL_GetWindowSurface(window) : nullptr;
    } else {
      target = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_RGB888);
      ownTarget = true;
    }
    Fill(back, kW, kH, Background);
    Fill(strip, kSpriteSize, kSpriteSize, SpriteColour);
    Fill(spot, kRectSize, kRectSize, SpotColour);
    screen = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 24, SDL_PIXELFORMAT_BGR24);
    persistent = Wrap(back);
    sprite = Wrap(strip);
    spots = Wrap(spot);
    SDL_SetColorKey(sprite, SDL_TRUE, SDL_MapRGB(sprite->format, 255, 0, 255));
    for (int32_t i = 0; i < kSprites; ++i)
      saved.push_back(SDL_CreateRGBSurfaceWithFormat(0, kSpriteSize, kSpriteSize, 24, SDL_PIXELFORMAT_BGR24));
    SDL_BlitSurface(persistent, nullptr, screen, nullptr);
  }
  ~SSdlSide() {
    for (SDL_Surface* s : saved) SDL_FreeSurface(s);
    for (SDL_Surface* s : {screen, persistent, sprite, spots}) SDL_FreeSurface(s);
    if (ownTarget) SDL_FreeSurface(target);
    if (window) SDL_DestroyWindow(window);
  }
  static SDL_Surface* Wrap(CBitmap& b) {
    return SDL_CreateRGBSurfaceWithFormatFrom(b.m_pData, b.m_Width, b.m_Height, 24, b.m_Pitch, SDL_PIXELFORMAT_BGR24);
  }
  bool Ok() const { return target && screen && persistent && sprite && spots; }
  void Present(const std::vector<SDL_Rect>& rects) {
    for (SDL_Rect r : rects) {
      SDL_Rect d = r;
      SDL_BlitSurface(screen, &r, target, &d);
    }
    if (window) SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
  }
  // Transient bitmaps, sprites saved and drawn, the changes shown (with what the last frame put
  // back), then everything put back.
  void Frame(const SScene& scene, int64_t frame) {
    // What the last frame put back is shown with this frame's changes.
    rects.swap(restored);
    restored.clear();
    for (const TPoint& p : scene.rects) {
      SDL_Rect r{p.x, p.y, kRectSize, kRectSize};
      SDL_BlitSurface(spots, nullptr, screen, &r);
      rects.push_back({p.x, p.y, kRectSize, kRectSize});
    }
    for (int32_t i = 0; i < kSprites; ++i) {
      const TPoint p = SScene::SpriteAt(scene.start[static_cast<size_t>(i)], frame);
      SDL_Rect r{p.x, p.y, kSpriteSize, kSpriteSize}, d = r;
      SDL_BlitSurface(screen, &r, saved[static_cast<size_t>(i)], nullptr);
      SDL_BlitSurface(sprite, nullptr, screen, &d);
      rects.push_back(r);
      drawnAt.push_back(r);
    }
    Present(rects);
    for (int32_t i = 0; i < kSprites; ++i) {
      SDL_Rect d = drawnAt[static_cast<size_t>(i)];
      SDL_BlitSurface(saved[static_cast<size_t>(i)], nullptr, screen, &d);
      restored.push_back(drawnAt[static_cast<size_t>(i)]);
    }
    drawnAt.clear();
    for (const TPoint& p : scene.rects) {
      SDL_Rect r{p.x, p.y, kRectSize, kRectSize}, d = r;
      SDL_BlitSurface(persistent, &r, screen, &d);
      restored.push_back(r);
    }
  }

  SDL_Window* window;
  SDL_Surface* target = nullptr;
  bool ownTarget = false;
  CBitmap back, strip, spot;
  SDL_Surface *screen, *persistent, *sprite, *spots;
  std::vector<SDL_Surface*> saved;
  std::vector<SDL_Rect> rects, drawnAt, restored;
};

void FullPresentSdl(benchmark::State& state, bool sdl) {
  SSdlSide side(sdl);
  if (!side.Ok()) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  const std::vector<SDL_Rect> all{{0, 0, kW, kH}};
  for (auto _ : state) side.Present(all);
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void FrameSdl(benchmark::State& state, bool sdl) {
  SSdlSide side(sdl);
  if (!side.Ok()) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  const SScene scene;
  int64_t frame = 0;
  for (auto _ : state) side.Frame(scene, frame++);
}

void Register() {
  for (const bool sdl : {false, true}) {
    const std::string backend = sdl ? "_sdldummy" : "_headless";
    benchmark::RegisterBenchmark(("FullPresent800x600x24" + backend + "/sdl").c_str(), FullPresentSdl, sdl)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("FullPresent800x600x24" + backend + "/ostrel").c_str(), FullPresentOurs, sdl)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Frame10Sprites50Rects" + backend + "/sdl").c_str(), FrameSdl, sdl)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Frame10Sprites50Rects" + backend + "/ostrel").c_str(), FrameOurs, sdl)
        ->Unit(benchmark::kMicrosecond);
  }
}
}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("sdl", "full present under 2 ms");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
