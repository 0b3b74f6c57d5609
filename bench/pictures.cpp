// The JPEG loader against libjpeg-turbo (integer "islow" IDCT, no fancy upsampling: the same
// work and the same pixels as ours) and stb_image (its own defaults) on the same 800 x 600
// files, 4:2:0 and 4:4:4 at quality 75, made by libjpeg at start-up. Prints ours/theirs ratios.
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/jpgpic.h"
#include "ostrel/system/globals.h"
#include "ratioreporter.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Photograph-like content: ramps, a disc, fine texture and noise, so that the entropy decoder
// has realistic work.
std::vector<uint8_t> Picture() {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  uint32_t seed = 2104;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>(seed >> 27);
      const int cx = x - 400, cy = y - 250;
      const bool disc = cx * cx + cy * cy < 180 * 180;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
      p[0] = static_cast<uint8_t>((disc ? 200 : x * 255 / kWidth) + noise);
      p[1] = static_cast<uint8_t>(y * 255 / kHeight + ((x / 3 + y / 5) % 7) * 4 + noise);
      p[2] = static_cast<uint8_t>(disc ? 40 + noise : ((x ^ y) & 63) + 100);
    }
  return rgb;
}

std::vector<uint8_t> Encode(int chromaFactor) {
  static const std::vector<uint8_t> rgb = Picture();
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = kWidth;
  c.image_height = kHeight;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 75, TRUE);
  c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = chromaFactor;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&rgb[static_cast<size_t>(c.next_scanline) * kWidth * 3]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> file(out, out + size);
  std::free(out);
  return file;
}

const std::vector<uint8_t>& File(int chromaFactor) {
  static const std::vector<uint8_t> f420 = Encode(2), f444 = Encode(1);
  return chromaFactor == 2 ? f420 : f444;
}

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void Ours(benchmark::State& state, int chromaFactor) {
  const std::vector<uint8_t>& file = File(chromaFactor);
  if (!glb) glb = new SGlobals(1);
  CJPGPic type;
  CBitmap b;
  for (auto _ : state) {
    if (!type.LoadMemory(file.data(), static_cast<uint32_t>(file.size()), &b, nullptr))
      state.SkipWithError("refused");
    benchmark::DoNotOptimize(b.m_pData);
  }
  Report(state);
}

void LibjpegTurbo(benchmark::State& state, int chromaFactor) {
  const std::vector<uint8_t>& file = File(chromaFactor);
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto _ : state) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), file.size());
    jpeg_read_header(&d, TRUE);
    d.dct_method = JDCT_ISLOW;
    d.do_fancy_upsampling = FALSE;
    d.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d);
    while (d.output_scanline < d.output_height) {
      JSAMPROW row = &pixels[static_cast<size_t>(d.output_scanline) * kWidth * 3];
      jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    benchmark::DoNotOptimize(pixels.data());
  }
  Report(state);
}

void StbImage(benchmark::State& state, int chromaFactor) {
  const std::vector<uint8_t>& file = File(chromaFactor);
  for (auto _ : state) {
    int w = 0, h = 0, n = 0;
    unsigned char* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, 3);
    if (!p) state.SkipWithError("stb_image refused");
    benchmark::DoNotOptimize(p);
    stbi_image_free(p);
  }
  Report(state);
}

void Register() {
  for (int factor : {2, 1}) {
    const std::string name = factor == 2 ? "Jpeg800x600_420" : "Jpeg800x600_444";
    benchmark::RegisterBenchmark((name + "/libjpeg-turbo").c_str(), LibjpegTurbo, factor)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/stb_image").c_str(), StbImage, factor)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/ostrel").c_str(), Ours, factor)
        ->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("libjpeg-turbo", "<= 2.0");
  reporter.AddBaseline("stb_image", "< 1.0");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
