// Pixel workers against SDL's blitter on the same pixels: a 24-bit copy with and without colour
// key, and the 24-to-16 (5-6-5) conversion. SDL's surfaces wrap our bitmaps' own buffers. Prints
// each ours/SDL time ratio at the end.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>

#include "ostrel/graphics/bitmap.h"
#include "ratioreporter.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A sprite: shaded discs and bands on a magenta key background (about half the pixels).
void DrawSprite(CBitmap& b) {
  b.CreateRGB(kWidth, kHeight, 24, 8, 8, 8, 16, 8, 0, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int cx = x % 200 - 100, cy = y % 150 - 75;
      const bool inside = cx * cx + cy * cy < 70 * 70 || (y / 40) % 4 == 1;
      const TRGBA c = inside ? TRGBA(static_cast<uint8_t>(x * 255 / kWidth),
                                     static_cast<uint8_t>(y * 255 / kHeight),
                                     static_cast<uint8_t>((x ^ y) & 0xFF))
                             : TRGBA(255, 0, 255);
      b.PutPixel(x, y, &c);
    }
}

struct SSurfaces {
  SSurfaces() {
    DrawSprite(src);
    dst24.CreateRGB(kWidth, kHeight, 24, 8, 8, 8, 16, 8, 0, 0);
    dst16.CreateRGB(kWidth, kHeight, 16, 5, 6, 5, 11, 5, 0, 0);
    sdlSrc = Wrap(src, SDL_PIXELFORMAT_RGB24);
    sdlDst24 = Wrap(dst24, SDL_PIXELFORMAT_RGB24);
    sdlDst16 = Wrap(dst16, SDL_PIXELFORMAT_RGB565);
  }
  ~SSurfaces() {
    SDL_FreeSurface(sdlSrc);
    SDL_FreeSurface(sdlDst24);
    SDL_FreeSurface(sdlDst16);
  }
  static SDL_Surface* Wrap(CBitmap& b, uint32_t format) {
    return SDL_CreateRGBSurfaceWithFormatFrom(b.m_pData, b.m_Width, b.m_Height, b.m_BitsPerPixel,
                                              b.m_Pitch, format);
  }
  // The key as SDL reads it: the first pixel in the source's format.
  void SetSDLKey(bool on) {
    const uint8_t* p = src.m_pData;
    SDL_SetColorKey(sdlSrc, on ? SDL_TRUE : SDL_FALSE, SDL_MapRGB(sdlSrc->format, p[0], p[1], p[2]));
  }

  CBitmap src, dst24, dst16;
  SDL_Surface* sdlSrc;
  SDL_Surface* sdlDst24;
  SDL_Surface* sdlDst16;
};

SSurfaces& Surfaces() {
  static SSurfaces s;
  return s;
}

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void Ours(benchmark::State& state, bool to16, int32_t mode) {
  SSurfaces& s = Surfaces();
  CBitmap& dst = to16 ? s.dst16 : s.dst24;
  for (auto _ : state) {
    dst.Blt(&s.src, 0, 0, 0, 0, -1, -1, mode, 0, 0);
    benchmark::ClobberMemory();
  }
  Report(state);
}

void Sdl(benchmark::State& state, bool to16, bool key) {
  SSurfaces& s = Surfaces();
  s.SetSDLKey(key);
  SDL_Surface* dst = to16 ? s.sdlDst16 : s.sdlDst24;
  for (auto _ : state) {
    if (SDL_BlitSurface(s.sdlSrc, nullptr, dst, nullptr) != 0) state.SkipWithError(SDL_GetError());
    benchmark::ClobberMemory();
  }
  s.SetSDLKey(false);
  Report(state);
}

void Register() {
  struct SCase {
    const char* name;
    bool to16;
    bool key;
  };
  const SCase cases[] = {
      {"Blt24to24", false, false}, {"Blt24to24Key", false, true}, {"Convert24to16", true, false}};
  for (const SCase& c : cases) {
    const std::string name = c.name;
    benchmark::RegisterBenchmark((name + "/sdl").c_str(), Sdl, c.to16, c.key)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/ostrel").c_str(), Ours, c.to16, c.key ? 1 : 0)
        ->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("sdl", "<= 1.0");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
