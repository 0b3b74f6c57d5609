// What the table benchmarks draw on and measure against: the runtime's windowed screen at
// 800 x 600 in 24 bits on the headless backend with a felt table picture in its persistent layer,
// and one SDL_BlitSurface of a whole 800 x 600 picture between two surfaces of the screen's format.
#pragma once

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/headless.h"

class CFeltScreen {
 public:
  static constexpr int32_t kW = 800, kH = 600;

  CFeltScreen() {
    PlatformSetDisplay(PlatformHeadlessDisplay());
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    CDibScreen* s = nullptr;
    m_Ok = xCreateGlobals() && xInit() && (s = sglb->m_pDibScreen) && s->InitModeRez(kW, kH, 24, VMODE_WINDOW) &&
           s->SetScreenWindowProperties(0, -1, -1) && s->SetPersistentMode(1);
    if (!m_Ok) return;
    glb->m_pCurrentScreen = s;
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
    m_Felt.CreateRGB(kW, kH, 24, 8, 8, 8, 16, 8, 0, 0);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const TRGBA c(10, static_cast<uint8_t>(90 + (x + y) % 40), 40);
        m_Felt.PutPixel(x, y, &c);
      }
    m_Ok = s->MakeScreenFormat(&m_Felt, 0) && s->DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0);
    s->FlipPage();
    s->ClearBuffer();
  }
  ~CFeltScreen() {
    xExit();
    xFreeGlobals();
    delete sglb;
    delete glb;
    sglb = nullptr;
    glb = nullptr;
    PlatformSetDisplay(nullptr);
  }
  CFeltScreen(const CFeltScreen&) = delete;
  CFeltScreen& operator=(const CFeltScreen&) = delete;

  bool Ok() const { return m_Ok; }
  CDibScreen& Screen() { return *sglb->m_pDibScreen; }
  CBitmap& Felt() { return m_Felt; }

 protected:
  bool m_Ok = false;
  CBitmap m_Felt;
};

inline void xBlitSdlFullScreen(benchmark::State& state) {
  constexpr int32_t w = CFeltScreen::kW, h = CFeltScreen::kH;
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_BGR24);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_BGR24);
  if (!from || !to) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  SDL_memset(from->pixels, 0x5a, static_cast<size_t>(from->pitch) * h);
  for (auto _ : state) {
    SDL_BlitSurface(from, nullptr, to, nullptr);
    benchmark::DoNotOptimize(to->pixels);
  }
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
}
