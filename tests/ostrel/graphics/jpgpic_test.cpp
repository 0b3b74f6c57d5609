// The JPEG loader against djpeg: a corpus made at test time by tests/tools/make_jpeg_corpus.py
// with cjpeg and ImageMagick, decoded here and by `djpeg -dct int -nosmooth`; the files the
// loader must refuse are made by the same script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/jpgkernels.h"
#include "ostrel/graphics/jpgpic.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {

class JpegPictures : public CRuntimeTest {};

struct SPnm {
  int width = 0, height = 0, channels = 0;
  std::string pixels;
};

SPnm ReadPnm(const std::string& path) {
  SPnm p;
  const std::string data = ReadWholeFile(path);
  std::istringstream in(data);
  std::string magic;
  int maxval = 0;
  in >> magic >> p.width >> p.height >> maxval;
  in.get();
  p.channels = magic == "P6" ? 3 : 1;
  p.pixels = data.substr(static_cast<size_t>(in.tellg()));
  return p;
}

// Differences between a 24-bit bitmap (blue, green, red) and the reference, with the first one.
std::string Compare(const CBitmap& b, const SPnm& ref) {
  if (b.m_Width != ref.width || b.m_Height != ref.height || b.m_BitsPerPixel != 24)
    return "size or depth differs";
  int diffs = 0;
  std::string first;
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const uint8_t* p = b.m_pData + y * b.m_Pitch + 3 * x;
      for (int c = 0; c < 3; ++c) {
        const auto want = static_cast<uint8_t>(
            ref.pixels[static_cast<size_t>(y * ref.width + x) * ref.channels +
                       (ref.channels == 3 ? c : 0)]);
        if (p[2 - c] != want && diffs++ == 0)
          first = "at " + std::to_string(x) + "," + std::to_string(y) + " channel " +
                  std::to_string(c) + ": " + std::to_string(p[2 - c]) + " not " +
                  std::to_string(want);
      }
    }
  return diffs ? std::to_string(diffs) + " differences, first " + first : "";
}

int g_Calls = 0;
void CountCall() { ++g_Calls; }

// A grey baseline JFIF file whose tables make every block two bits (DC difference 0, end of
// block) and whose scan holds dataBytes zero bytes: a flat mid-grey picture while the data lasts.
std::string FlatJpeg(uint32_t width, uint32_t height, size_t dataBytes) {
  auto word = [](uint32_t v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 255)}; };
  std::string f = "\xFF\xD8";
  f += "\xFF\xE0" + word(16) + std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
  f += "\xFF\xDB" + word(67) + std::string(1, '\0') + std::string(64, '\x01');
  const std::string oneCode = std::string(1, '\x01') + std::string(15, '\0') + std::string(1, '\0');
  f += "\xFF\xC4" + word(2 + 2 * 18) + std::string(1, '\x00') + oneCode + std::string(1, '\x10') + oneCode;
  f += "\xFF\xC0" + word(11) + "\x08" + word(height) + word(width) + std::string("\x01\x01\x11\x00", 4);
  f += "\xFF\xDA" + word(8) + std::string("\x01\x01\x00\x00\x3F\x00", 6);
  return f + std::string(dataBytes, '\0') + "\xFF\xD9";
}

}  // namespace

// A JPEG header may declare any size, and past its data the decoder paints zeros: pictures beyond
// the pixel limit, and pictures whose scan cannot fill them, are refused before any allocation.
TEST_F(JpegPictures, DecompressionBombsAreRefused) {
  CJPGPic type;
  auto load = [&](const std::string& file, CBitmap& b) {
    return type.LoadMemory(reinterpret_cast<const uint8_t*>(file.data()), static_cast<uint32_t>(file.size()), &b,
                           nullptr);
  };
  // 64 x 32 pixels are 32 blocks of two bits: 8 bytes fill them.
  CBitmap b;
  ASSERT_EQ(load(FlatJpeg(64, 32, 8), b), 1);
  EXPECT_EQ(b.m_Width, 64);
  EXPECT_EQ(b.m_Height, 32);
  EXPECT_EQ(b.m_pData[b.m_Pitch * 31 + 3 * 63], 128);
  EXPECT_EQ(load(FlatJpeg(64, 32, 7), b), 0);
  // Restart markers cost bytes but hold no bits; the marker that ends the scan stops the count.
  std::string restarts = FlatJpeg(64, 32, 8);
  restarts.insert(restarts.size() - 2, "\xFF\xD0\xFF\xD1");
  EXPECT_EQ(load(restarts, b), 1);
  std::string trailer = FlatJpeg(64, 32, 7) + std::string(100, '\0');
  EXPECT_EQ(load(trailer, b), 0);

  // About 700 bytes declaring 20000 x 20000 (1.2 GB as a picture): beyond the limit, and beyond
  // what the data could fill under any limit.
  const std::string bomb = FlatJpeg(20000, 20000, 540);
  EXPECT_LT(bomb.size(), 720u);
  EXPECT_EQ(type.GetMaxPixels(), PIC_DEFAULT_MAX_PIXELS);
  EXPECT_EQ(load(bomb, b), 0);
  type.SetMaxPixels(uint64_t{1} << 32);
  EXPECT_EQ(load(bomb, b), 0);
  // Within the limit (64 million pixels) the data still cannot fill it.
  CBitmap untouched;
  EXPECT_EQ(load(FlatJpeg(8000, 8000, 540), untouched), 0);
  EXPECT_EQ(untouched.m_pData, nullptr);

  // The limit is the caller's: the same small picture is refused under a lower one.
  type.SetMaxPixels(64 * 32 - 1);
  EXPECT_EQ(load(FlatJpeg(64, 32, 8), b), 0);
  type.SetMaxPixels(64 * 32);
  EXPECT_EQ(load(FlatJpeg(64, 32, 8), b), 1);
}

TEST_F(JpegPictures, CorpusDecodesLikeDjpegAndRefusesTheRest) {
  CTempDir dir;
  const std::string cmd =
      "python3 " VORRIN_TEST_TOOLS_DIR "/make_jpeg_corpus.py '" + dir.Path() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << "needs cjpeg, djpeg and ImageMagick (setup-deps)";
  std::ifstream cases(dir.File("cases.txt"));
  std::string name, expect;
  int decoded = 0, refused = 0;
  while (cases >> name >> expect) {
    CBitmap b;
    const int32_t ok = b.Load(dir.File(name + ".jpg").c_str(), 0);
    if (expect == "refuse") {
      EXPECT_EQ(ok, 0) << name;
      ++refused;
      continue;
    }
    ASSERT_EQ(ok, 1) << name;
    EXPECT_EQ(b.m_Pitch % 4, 0) << name;
    EXPECT_EQ(b.m_RedShift, 0);
    EXPECT_EQ(b.m_BlueShift, 16);
    EXPECT_EQ(Compare(b, ReadPnm(dir.File(name + ".pnm"))), "") << name;
    ++decoded;
  }
  EXPECT_GT(decoded, 60);
  EXPECT_GT(refused, 20);

  // Restart markers only reset the prediction: the same coefficients give the same pixels.
  CBitmap plain, restarts;
  ASSERT_EQ(plain.Load(dir.File("420_800x600_q75.jpg").c_str(), 0), 1);
  ASSERT_EQ(restarts.Load(dir.File("420_800x600_restart1.jpg").c_str(), 0), 1);
  EXPECT_EQ(std::memcmp(plain.m_pData, restarts.m_pData,
                        static_cast<size_t>(plain.m_Pitch) * plain.m_Height),
            0);

  // The load-data callback: once at the start, then after every band past 32 rows.
  SetLoadDataCallback(CountCall);
  g_Calls = 0;
  ASSERT_EQ(plain.Load(dir.File("444_800x600_q75.jpg").c_str(), 0), 1);
  EXPECT_EQ(g_Calls, 1 + 600 / 40);  // bands of 8 rows: a call after each fifth
  g_Calls = 0;
  ASSERT_EQ(plain.Load(dir.File("420_17x33_q75.jpg").c_str(), 0), 1);
  EXPECT_EQ(g_Calls, 2);  // bands of 16, 16 and 1 rows pass 32 once
  SetLoadDataCallback(nullptr);
}

TEST(JpegKernels, VectorIdctMatchesThePlainOne) {
  std::mt19937 rng(2104);
  // Typical blocks, sparse blocks and the extremes that wrap and saturate.
  for (int round = 0; round < 20000; ++round) {
    alignas(16) int16_t coef[64] = {};
    const int kind = round % 4;
    for (int i = 0; i < 64; ++i) {
      if (kind == 0) coef[i] = static_cast<int16_t>(static_cast<int>(rng() % 2048) - 1024);
      else if (kind == 1 && rng() % 8 == 0) coef[i] = static_cast<int16_t>(static_cast<int>(rng() % 512) - 256);
      else if (kind == 2) coef[i] = static_cast<int16_t>(rng());
      else if (kind == 3 && rng() % 3 == 0) coef[i] = rng() % 2 ? 32767 : -32768;
    }
    uint8_t a[8 * 10], b[8 * 10];
    xJpegIdct(coef, a, 10);
    xJpegIdctPlain(coef, b, 10);
    for (int r = 0; r < 8; ++r)
      ASSERT_EQ(std::memcmp(a + 10 * r, b + 10 * r, 8), 0) << "round " << round << " row " << r;
  }
  for (int dc = -32768; dc < 32768; dc += 7) {
    alignas(16) int16_t coef[64] = {static_cast<int16_t>(dc)};
    uint8_t a[64];
    xJpegIdctPlain(coef, a, 8);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(a[i], xJpegIdctDC(static_cast<int16_t>(dc))) << dc;
  }
}

TEST(JpegKernels, VectorColourMatchesTheTables) {
  SJpegColourTables t;
  xJpegBuildColourTables(&t);
  // Every Cb, Cr pair with a few Y values, as rows of 47 pixels (vector body and plain tail).
  std::vector<uint8_t> y(65536), cb(65536), cr(65536);
  for (int luma : {0, 1, 77, 128, 200, 254, 255}) {
    for (int i = 0; i < 65536; ++i) {
      y[i] = static_cast<uint8_t>((luma + i % 3) & 255);
      cb[i] = static_cast<uint8_t>(i >> 8);
      cr[i] = static_cast<uint8_t>(i);
    }
    std::vector<uint8_t> a(3 * 65536 + 8, 0), b(3 * 65536 + 8, 0);
    for (int i = 0; i < 65536; i += 47) {
      const int n = std::min(47, 65536 - i);
      xJpegYCbCrToBGR(&y[i], &cb[i], &cr[i], &a[3 * i], n, t);
      xJpegYCbCrToBGRPlain(&y[i], &cb[i], &cr[i], &b[3 * i], n, t);
    }
    ASSERT_EQ(a, b) << luma;
  }
  // Spot values of the JFIF formulas.
  uint8_t px[3];
  const uint8_t l = 100, u = 200, v = 50;
  xJpegYCbCrToBGRPlain(&l, &u, &v, px, 1, t);
  EXPECT_EQ(px[2], 0);    // 100 + 1.402 x -78 = -9.4
  EXPECT_EQ(px[1], 131);  // 100 - 0.34414 x 72 - 0.71414 x -78 = 130.9
  EXPECT_EQ(px[0], 228);  // 100 + 1.772 x 72 = 227.6
}

TEST(JpegKernels, ReplicationRepeatsEachSample) {
  std::vector<uint8_t> in(64), out(150);
  for (int i = 0; i < 64; ++i) in[i] = static_cast<uint8_t>(i * 3);
  for (int factor : {2, 3, 4}) {
    const int count = std::min(150, 64 * factor) - 1;
    xJpegReplicate(in.data(), out.data(), count, factor);
    for (int x = 0; x < count; ++x) ASSERT_EQ(out[x], in[x / factor]) << factor << " " << x;
  }
}
