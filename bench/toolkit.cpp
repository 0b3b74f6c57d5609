// The toolkit's frame costs on SDL's dummy video driver (the gallery on the headless backend): an
// idle frame of the control gallery (all its windows open, nothing changing), a frame in which one of its windows is dragged, and a
// full-screen present of an 800x600 24-bit mode through the full-screen screen. Beside each, SDL
// doing the nearest plain work with SDL_BlitSurface: the gallery's windows copied to the window
// surface and shown (what a toolkit that repaints everything would pay), the dragged window moved
// over its background, the whole picture shown. Then the toolkit's own blits (the felt tiles of a
// frame, keyed glyphs) against SDL_BlitSurface on the same pixels. Goal: an idle gallery frame
// under 1 ms of CPU. Prints each ours/SDL ratio at the end.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialogstage.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/dxscreen.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/sdl/sdldisplay.h"
#include "ratioreporter.h"
#include "support/png.h"

namespace {
constexpr int32_t kGalleryW = 1280, kGalleryH = 860;
constexpr int32_t kFullW = 800, kFullH = 600;
const char* const kGallery = VORRIN_SOURCE_DIR "/tools/gallery/gallery.xrs";

CDisplayBackend* SdlDummy() {
  static CDisplayBackend* display = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return PlatformCreateSdlDisplay();
  }();
  return display;
}

// The gallery on the windowed screen, drawn once and settled; no pacing. SDL's dummy driver has a
// 1024x768 desktop, too small for the gallery's window mode, so the gallery stands on the headless
// backend, whose present is a plain copy into memory as the dummy's is.
struct SGallery {
  SGallery() {
    ok = stage.Start(kGalleryW, kGalleryH, true) && stage.Load(VORRIN_DIST_DIR, kGallery) && stage.Open({}) &&
         stage.ApplyDataValues();
    SetMinimumFrameTime(0);
    for (int i = 0; ok && i < 3; ++i) stage.Frame();
  }
  bool ok = false;
  CDialogStage stage;
};

void GalleryIdleOurs(benchmark::State& state) {
  SGallery g;
  if (!g.ok) {
    state.SkipWithError(g.stage.Error().c_str());
    return;
  }
  for (auto _ : state) g.stage.Frame();
}

void GalleryDragOurs(benchmark::State& state) {
  SGallery g;
  if (!g.ok) {
    state.SkipWithError(g.stage.Error().c_str());
    return;
  }
  // The buttons window goes to and fro by a few pixels a frame, as under a dragging mouse.
  CDialog& d = *g.stage.Dialogs().front();
  int32_t x0 = 0, y0 = 0;
  d.GetPos(x0, y0);
  int64_t frame = 0;
  for (auto _ : state) {
    const int32_t step = static_cast<int32_t>(frame++ % 40);
    const int32_t dx = step < 20 ? step * 3 : (40 - step) * 3;
    d.SetPos(x0 + dx, y0 + dx / 2);
    g.stage.Frame();
  }
}

// SDL's side of the gallery: the pictures of its windows as the toolkit drew them, and a window
// surface to show them on.
struct SSdlGallery {
  SSdlGallery() {
    {
      SGallery g;
      if (!g.ok || !g.stage.Capture(&image, -1)) return;
      for (const auto& d : g.stage.Dialogs()) {
        const CRect& r = d->GetRect();
        rects.push_back({r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1});
      }
    }
    SdlDummy();
    window = SDL_CreateWindow("bench", 0, 0, kGalleryW, kGalleryH, SDL_WINDOW_HIDDEN);
    target = window ? SDL_GetWindowSurface(window) : nullptr;
    picture = SDL_CreateRGBSurfaceWithFormatFrom(image.rgb.data(), image.width, image.height, 24, image.width * 3,
                                                 SDL_PIXELFORMAT_RGB24);
    back = SDL_CreateRGBSurfaceWithFormat(0, kGalleryW, kGalleryH, 24, SDL_PIXELFORMAT_RGB24);
  }
  ~SSdlGallery() {
    SDL_FreeSurface(picture);
    SDL_FreeSurface(back);
    if (window) SDL_DestroyWindow(window);
  }
  bool Ok() const { return target && picture && back && !rects.empty(); }
  void Show(std::vector<SDL_Rect>& shown) {
    SDL_UpdateWindowSurfaceRects(window, shown.data(), static_cast<int>(shown.size()));
  }

  TRgbImage image;
  std::vector<SDL_Rect> rects;
  SDL_Window* window = nullptr;
  SDL_Surface* target = nullptr;
  SDL_Surface* picture = nullptr;
  SDL_Surface* back = nullptr;
};

void GalleryIdleSdl(benchmark::State& state) {
  SSdlGallery s;
  if (!s.Ok()) {
    state.SkipWithError("no gallery picture");
    return;
  }
  for (auto _ : state) {
    for (SDL_Rect r : s.rects) {
      SDL_Rect d = r;
      SDL_BlitSurface(s.picture, &r, s.target, &d);
    }
    s.Show(s.rects);
  }
}

void GalleryDragSdl(benchmark::State& state) {
  SSdlGallery s;
  if (!s.Ok()) {
    state.SkipWithError("no gallery picture");
    return;
  }
  const SDL_Rect from = s.rects.front();
  SDL_Rect last = from;
  int64_t frame = 0;
  std::vector<SDL_Rect> shown(2);
  for (auto _ : state) {
    const int32_t step = static_cast<int32_t>(frame++ % 40);
    const int32_t dx = step < 20 ? step * 3 : (40 - step) * 3;
    SDL_Rect now{from.x + dx, from.y + dx / 2, from.w, from.h}, src = from, old = last;
    SDL_BlitSurface(s.back, &old, s.target, &old);  // the background where it stood
    SDL_BlitSurface(s.picture, &src, s.target, &now);
    shown[0] = last;
    shown[1] = now;
    s.Show(shown);
    last = now;
  }
}

// The full-screen screen in 800x600 24 bits with a picture over the whole mode; every flip
// presents all of it.
void FullScreenOurs(benchmark::State& state) {
  PlatformSetDisplay(SdlDummy());
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  CDxScreen* s = xCreateGlobals() && xInit() ? sglb->m_pDxScreen : nullptr;
  bool ok = s != nullptr;
  if (ok) {
    glb->m_pCurrentScreen = s;
    s->GetVideoModes();
    ok = s->InitModeRez(kFullW, kFullH, 24, VMODE_FULLSCREEN) && s->SetPersistentMode(1);
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  }
  if (!ok) {
    state.SkipWithError("no full-screen mode");
  } else {
    s->AddClearAreaPersistent(0, 0, kFullW - 1, kFullH - 1);
    for (auto _ : state) {
      s->AddClearAreaPersistent(0, 0, kFullW - 1, kFullH - 1);
      if (!s->FlipPage()) state.SkipWithError("present refused");
    }
    state.SetItemsProcessed(state.iterations() * kFullW * kFullH);
  }
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
  PlatformSetDisplay(nullptr);
}

void FullScreenSdl(benchmark::State& state) {
  SdlDummy();
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, kFullW, kFullH, SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN);
  SDL_Surface* target = window ? SDL_GetWindowSurface(window) : nullptr;
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, kFullW, kFullH, 24, SDL_PIXELFORMAT_BGR24);
  if (!target || !picture) {
    state.SkipWithError(SDL_GetError());
  } else {
    for (auto _ : state) {
      SDL_BlitSurface(picture, nullptr, target, nullptr);
      SDL_UpdateWindowSurface(window);
    }
    state.SetItemsProcessed(state.iterations() * kFullW * kFullH);
  }
  SDL_FreeSurface(picture);
  if (window) SDL_DestroyWindow(window);
}

// The blits the gallery's windows are made of: felt tiles over a 320x192 frame (15 blits of
// 64x64) and 100 colour-keyed 12x12 glyphs, into a 24-bit picture of the screen's layout.
struct SBlits {
  SBlits() {
    felt.CreateRGB(64, 64, 24, 8, 8, 8, 0, 8, 16, 0);
    glyph.CreateRGB(12, 12, 24, 8, 8, 8, 0, 8, 16, 0);
    target.CreateRGB(kGalleryW, kGalleryH, 24, 8, 8, 8, 0, 8, 16, 0);
    for (int32_t y = 0; y < 64; ++y)
      for (int32_t x = 0; x < 64; ++x) {
        const TRGBA c(static_cast<uint8_t>(18 + (x * 7 + y * 3) % 9), static_cast<uint8_t>(56 + (x ^ y) % 9), 42);
        felt.PutPixel(x, y, &c);
      }
    for (int32_t y = 0; y < 12; ++y)
      for (int32_t x = 0; x < 12; ++x) {
        const bool ink = (x - y >= -1 && x - y <= 1) || (x + y >= 10 && x + y <= 12);
        const TRGBA c = ink && x > 0 ? TRGBA(250, 250, 245) : TRGBA(255, 0, 255);
        glyph.PutPixel(x, y, &c);
      }
    sdlFelt = Wrap(felt);
    sdlGlyph = Wrap(glyph);
    sdlTarget = Wrap(target);
    const uint8_t* k = glyph.m_pData;
    SDL_SetColorKey(sdlGlyph, SDL_TRUE, SDL_MapRGB(sdlGlyph->format, k[2], k[1], k[0]));
  }
  ~SBlits() {
    for (SDL_Surface* s : {sdlFelt, sdlGlyph, sdlTarget}) SDL_FreeSurface(s);
  }
  static SDL_Surface* Wrap(CBitmap& b) {
    return SDL_CreateRGBSurfaceWithFormatFrom(b.m_pData, b.m_Width, b.m_Height, 24, b.m_Pitch, SDL_PIXELFORMAT_BGR24);
  }
  CBitmap felt, glyph, target;
  SDL_Surface *sdlFelt, *sdlGlyph, *sdlTarget;
};

SBlits& Blits() {
  static SBlits b;
  return b;
}

void FeltOurs(benchmark::State& state) {
  SBlits& b = Blits();
  for (auto _ : state) {
    for (int32_t y = 0; y < 192; y += 64)
      for (int32_t x = 0; x < 320; x += 64) b.target.Blt(&b.felt, 0, 0, 40 + x, 40 + y, -1, -1, 0, 0, 0);
    benchmark::ClobberMemory();
  }
}

void FeltSdl(benchmark::State& state) {
  SBlits& b = Blits();
  for (auto _ : state) {
    for (int32_t y = 0; y < 192; y += 64)
      for (int32_t x = 0; x < 320; x += 64) {
        SDL_Rect d{40 + x, 40 + y, 64, 64};
        SDL_BlitSurface(b.sdlFelt, nullptr, b.sdlTarget, &d);
      }
    benchmark::ClobberMemory();
  }
}

void GlyphsOurs(benchmark::State& state) {
  SBlits& b = Blits();
  for (auto _ : state) {
    for (int32_t i = 0; i < 100; ++i) b.target.Blt(&b.glyph, 0, 0, 20 + (i % 10) * 20, 400 + (i / 10) * 20, -1, -1, 1, 0, 0);
    benchmark::ClobberMemory();
  }
}

void GlyphsSdl(benchmark::State& state) {
  SBlits& b = Blits();
  for (auto _ : state) {
    for (int32_t i = 0; i < 100; ++i) {
      SDL_Rect d{20 + (i % 10) * 20, 400 + (i / 10) * 20, 12, 12};
      SDL_BlitSurface(b.sdlGlyph, nullptr, b.sdlTarget, &d);
    }
    benchmark::ClobberMemory();
  }
}

void Register() {
  struct SCase {
    const char* m_Name;
    void (*m_Ours)(benchmark::State&);
    void (*m_Sdl)(benchmark::State&);
  };
  const SCase cases[] = {
      {"GalleryIdleFrame", GalleryIdleOurs, GalleryIdleSdl},
      {"GalleryDragFrame", GalleryDragOurs, GalleryDragSdl},
      {"FullScreenPresent800x600x24", FullScreenOurs, FullScreenSdl},
      {"BlitFeltTiles320x192", FeltOurs, FeltSdl},
      {"BlitKeyedGlyphs100", GlyphsOurs, GlyphsSdl},
  };
  for (const SCase& c : cases) {
    const std::string name = c.m_Name;
    benchmark::RegisterBenchmark((name + "/sdl").c_str(), c.m_Sdl)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/ostrel").c_str(), c.m_Ours)->Unit(benchmark::kMicrosecond);
  }
}
}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("sdl", "idle gallery frame under 1 ms of CPU");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
