// Text drawn with the generated 13-pixel font on the windowed screen in an 800x600 24-bit mode (on
// the headless display, persistent mode on, so every line leaves its clear area) and into a 24-bit
// bitmap: a paragraph laid out with wrapping, left-aligned and centred, and the layout alone. The
// alternative draws the same glyph cells of a coloured copy into the same screen buffer with SDL's
// colour-keyed blitter, at positions found by a plain greedy walk. Reports glyphs per millisecond
// (goal: at least 20,000 for 13-pixel text) and the ours/SDL time ratio.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/headless.h"
#include "ratioreporter.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
const TRGBA kColour(240, 240, 235);

std::string Paragraph() {
  std::string s;
  for (int i = 0; i < 6; ++i)
    s += "Place your chips on the felt and press Deal. Blackjack pays 3 to 2, insurance 2 to 1; "
         "the dealer stands on all 17s. Minimum \x80 5 \x97 maximum \x80 500. ";
  return s;
}

// The runtime with its windowed screen current in the 24-bit mode; the font is loaded after it,
// so its colour copies are in the screen's format.
struct SSetup {
  SSetup() {
    PlatformSetDisplay(PlatformHeadlessDisplay());
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    CDibScreen* s = xCreateGlobals() && xInit() ? sglb->m_pDibScreen : nullptr;
    ok = s && s->AddWindowVideoMode(kWidth, kHeight, 24, -1) &&
         s->InitModeRez(kWidth, kHeight, 24, VMODE_WINDOW) && s->SetScreenWindowProperties(0, -1, -1) &&
         s->SetPersistentMode(1);
    if (!ok) return;
    glb->m_pCurrentScreen = s;
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
    ok = font.Load(VORRIN_DIST_DIR "/fonts/sans13.xbf") == 1;
    const SVmode* mode = s->GetActiveMode();
    target.CreateRGB(kWidth, kHeight, 24, 8, 8, 8, mode->RedShift, mode->GreenShift, mode->BlueShift, 0);
    text = Paragraph();
    for (unsigned char c : text) glyphs += font.GetChar(c).type == FONT_CHAR;
    if (ok) MakeSdlCopy(s);
  }
  // The coloured copy as CFont makes it, for SDL: each channel times the picture's grey level.
  void MakeSdlCopy(CDibScreen* s) {
    CBitmap* p = font.GetPicture();
    copy.CreateRGB(p->m_Width, p->m_Height, 24, 8, 8, 8, 16, 8, 0, 0);
    for (int y = 0; y < p->m_Height; ++y)
      for (int x = 0; x < p->m_Width; ++x) {
        TRGBA g;
        p->GetPixel(x, y, &g);
        const TRGBA c(static_cast<uint8_t>(kColour.r * g.b / 255),
                      static_cast<uint8_t>(kColour.g * g.b / 255),
                      static_cast<uint8_t>(kColour.b * g.b / 255));
        copy.PutPixel(x, y, &c);
      }
    s->MakeScreenFormat(&copy, 0);
    sdlCopy = SDL_CreateRGBSurfaceWithFormatFrom(copy.m_pData, copy.m_Width, copy.m_Height, 24,
                                                 copy.m_Pitch, SDL_PIXELFORMAT_BGR24);
    sdlTarget = SDL_CreateRGBSurfaceWithFormatFrom(s->LockScreenBuffer(), kWidth, kHeight, 24,
                                                   s->GetActiveMode()->Pitch, SDL_PIXELFORMAT_BGR24);
    const uint8_t* k = copy.m_pData;
    SDL_SetColorKey(sdlCopy, SDL_TRUE, SDL_MapRGB(sdlCopy->format, k[2], k[1], k[0]));
  }

  CFont font;
  CBitmap target, copy;
  SDL_Surface* sdlCopy = nullptr;
  SDL_Surface* sdlTarget = nullptr;
  std::string text;
  int64_t glyphs = 0;
  bool ok = false;
};

SSetup& Setup() {
  static SSetup s;
  return s;
}

using TClock = std::chrono::steady_clock;

void Report(benchmark::State& state, int64_t glyphs, TClock::time_point start) {
  const double ms = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
  state.SetItemsProcessed(state.iterations() * glyphs);
  state.counters["glyphs_per_ms"] = static_cast<double>(state.iterations() * glyphs) / ms;
}

// Onto the screen without a bitmap, or into the 24-bit bitmap.
void Ours(benchmark::State& state, bool bitmap, int32_t flags) {
  SSetup& s = Setup();
  if (!s.ok) return state.SkipWithError("no screen or sans13.xbf does not load");
  const auto start = TClock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.font.Text(bitmap ? &s.target : nullptr, s.text.c_str(), 10, 10,
                                         kWidth - 20, kHeight - 20, &kColour, nullptr, flags));
    benchmark::ClobberMemory();
  }
  Report(state, s.glyphs, start);
}

void Measure(benchmark::State& state) {
  SSetup& s = Setup();
  if (!s.ok) return state.SkipWithError("no screen or sans13.xbf does not load");
  const auto start = TClock::now();
  for (auto _ : state)
    benchmark::DoNotOptimize(s.font.GetTextSize(s.text.c_str(), kWidth - 20, kHeight - 20, 0));
  Report(state, s.glyphs, start);
}

void Sdl(benchmark::State& state) {
  SSetup& s = Setup();
  if (!s.ok) return state.SkipWithError("no screen or sans13.xbf does not load");
  CFont& f = s.font;
  const auto start = TClock::now();
  for (auto _ : state) {
    int x = 10, y = 10;
    for (unsigned char c : s.text) {
      const TFontChar& r = f.GetChar(c);
      if (r.type == FONT_RIGHT) {
        x += r.amount;
        continue;
      }
      if (r.type != FONT_CHAR) continue;
      if (x + r.width > kWidth - 10) {
        x = 10;
        y += f.GetLineAdvance();
      }
      SDL_Rect from{r.x, r.y, r.width, f.GetHeight()}, to{x, y, 0, 0};
      SDL_BlitSurface(s.sdlCopy, &from, s.sdlTarget, &to);
      x += r.width + f.GetSpacing();
    }
    benchmark::ClobberMemory();
  }
  Report(state, s.glyphs, start);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("Paragraph/sdl", Sdl)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Paragraph/ostrel", Ours, false, 0)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Paragraph/ostrel_centred", Ours, false, TEXT_CENTER)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Paragraph/ostrel_bitmap", Ours, true, 0)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Paragraph/ostrel_measure", Measure)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("sdl", ">= 20,000 glyphs/ms for ours");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
