// Framebuffers shown stretched onto a rectangle of the window, and filled client rectangles, on the
// headless backend.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display/headless.h"
#include "platform/display/pixels.h"

namespace {
constexpr uint32_t kUntouched = 0x010203;

// A 24-bit framebuffer whose pixel (x, y) is red x, green y, blue 0x5A.
struct SCoordinates {
  SCoordinates(int32_t width, int32_t height) {
    pitch = width * 3 + 1;
    bytes.assign(static_cast<size_t>(pitch) * height, 0);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        uint8_t* p = bytes.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * 3;
        p[0] = 0x5A;
        p[1] = static_cast<uint8_t>(y);
        p[2] = static_cast<uint8_t>(x);
      }
    fb = {bytes.data(), pitch, width, height, EPixelFormat::Bgr24};
  }
  std::vector<uint8_t> bytes;
  int32_t pitch;
  TDisplayFramebuffer fb;
};

uint32_t Expected(int32_t x, int32_t y) { return (static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) << 8) | 0x5A; }

class Stretch : public ::testing::Test {
 protected:
  void Open(int32_t width, int32_t height) {
    d.OpenWindow("t", 0, 0, width, height);
    d.ShowWindow(true);
    ASSERT_TRUE(d.FillClient({0, 0, width, height}, {1, 2, 3}));
    d.ClearPresented();
  }
  CHeadlessDisplay d;
};
}  // namespace

TEST_F(Stretch, EveryPixelShowsItsNearestSourcePixelOnceWhateverTheRectangles) {
  struct SCase {
    int32_t fbWidth, fbHeight;
    TDisplayRect target;
  } const cases[] = {
      {8, 6, {3, 2, 16, 12}},    // twice as large
      {8, 6, {0, 0, 20, 9}},     // uneven factors, wider than high
      {10, 7, {5, 4, 6, 4}},     // smaller than the picture
      {9, 5, {-4, -3, 30, 20}},  // partly outside the window
      {4, 4, {30, 1, 40, 10}},   // mostly outside
  };
  const int32_t clientWidth = 40, clientHeight = 24;
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.fbWidth * 1000 + c.target.width);
    Open(clientWidth, clientHeight);
    SCoordinates pic(c.fbWidth, c.fbHeight);
    // Strips of three columns and two rows that tile the framebuffer, with one reaching past it.
    std::vector<TDisplayRect> rects;
    for (int32_t y = 0; y < c.fbHeight; y += 2)
      for (int32_t x = 0; x < c.fbWidth; x += 3) rects.push_back({x, y, 3, 2});
    ASSERT_TRUE(d.PresentScaled(pic.fb, rects.data(), static_cast<int32_t>(rects.size()), c.target));

    std::vector<int32_t> covered(static_cast<size_t>(clientWidth) * clientHeight, 0);
    for (const TDisplayRect& r : d.Presented())
      for (int32_t y = r.y; y < r.y + r.height; ++y)
        for (int32_t x = r.x; x < r.x + r.width; ++x) ++covered[static_cast<size_t>(y) * clientWidth + x];
    for (int32_t y = 0; y < clientHeight; ++y)
      for (int32_t x = 0; x < clientWidth; ++x) {
        const bool inside = x >= c.target.x && x < c.target.x + c.target.width && y >= c.target.y &&
                            y < c.target.y + c.target.height;
        const int32_t sx = inside ? (x - c.target.x) * c.fbWidth / c.target.width : 0;
        const int32_t sy = inside ? (y - c.target.y) * c.fbHeight / c.target.height : 0;
        ASSERT_EQ(covered[static_cast<size_t>(y) * clientWidth + x], inside ? 1 : 0) << x << "," << y;
        ASSERT_EQ(d.Pixel(x, y), inside ? Expected(sx, sy) : kUntouched) << x << "," << y;
      }
  }
}

TEST_F(Stretch, OnlyTheChangedPartIsShownAndTheOwnSizeIsAPlainPresent) {
  Open(40, 24);
  SCoordinates pic(8, 6);
  const TDisplayRect one{2, 1, 1, 1};
  ASSERT_TRUE(d.PresentScaled(pic.fb, &one, 1, {4, 0, 32, 24}));  // four by four per pixel
  ASSERT_EQ(d.Presented().size(), 1u);
  EXPECT_EQ(d.Presented()[0].x, 12);
  EXPECT_EQ(d.Presented()[0].y, 4);
  EXPECT_EQ(d.Presented()[0].width, 4);
  EXPECT_EQ(d.Presented()[0].height, 4);
  EXPECT_EQ(d.Pixel(15, 7), Expected(2, 1));
  EXPECT_EQ(d.Pixel(16, 7), kUntouched);

  d.ClearPresented();
  const TDisplayRect whole{0, 0, 8, 6};
  ASSERT_TRUE(d.PresentScaled(pic.fb, &whole, 1, {5, 3, 8, 6}));
  ASSERT_EQ(d.Presented().size(), 1u);
  EXPECT_EQ(d.Presented()[0].x, 5);
  EXPECT_EQ(d.Presented()[0].width, 8);
  EXPECT_EQ(d.Pixel(12, 8), Expected(7, 5));
}

TEST_F(Stretch, RefusedPresentsAndFills) {
  Open(16, 16);
  SCoordinates pic(4, 4);
  const TDisplayRect whole{0, 0, 4, 4};
  const TDisplayRect target{0, 0, 8, 8};
  TDisplayFramebuffer bad = pic.fb;
  bad.pitch = 11;
  EXPECT_FALSE(d.PresentScaled(bad, &whole, 1, target));
  EXPECT_FALSE(d.PresentScaled(pic.fb, nullptr, 1, target));
  EXPECT_TRUE(d.PresentScaled(pic.fb, &whole, 1, {0, 0, 0, 8}));  // an empty target shows nothing
  EXPECT_TRUE(d.Presented().empty());
  d.SetPresentFails(true);
  EXPECT_FALSE(d.PresentScaled(pic.fb, &whole, 1, target));
  d.SetPresentFails(false);
  EXPECT_EQ(d.Pixel(0, 0), kUntouched);

  // Fills are cut to the client area; one wholly outside shows nothing.
  ASSERT_TRUE(d.FillClient({-5, 14, 8, 10}, {0, 0, 0xFF}));
  ASSERT_EQ(d.Presented().size(), 1u);
  EXPECT_EQ(d.Presented()[0].x, 0);
  EXPECT_EQ(d.Presented()[0].y, 14);
  EXPECT_EQ(d.Presented()[0].width, 3);
  EXPECT_EQ(d.Presented()[0].height, 2);
  EXPECT_EQ(d.Pixel(2, 15), 0xFFu);
  EXPECT_EQ(d.Pixel(3, 15), kUntouched);
  EXPECT_TRUE(d.FillClient({20, 20, 4, 4}, {0, 0, 0xFF}));
  EXPECT_EQ(d.Presented().size(), 1u);
  d.CloseWindow();
  EXPECT_FALSE(d.FillClient({0, 0, 4, 4}, {0, 0, 0}));
  EXPECT_FALSE(d.PresentScaled(pic.fb, &whole, 1, target));
}

namespace {
// Each pixel format's word for the pixel at p, by the formats' own rules.
uint32_t ReferenceXrgb(EPixelFormat format, const uint8_t* p, const TDisplayColour* palette) {
  auto expand5 = [](uint32_t v) { return (v << 3) | (v >> 2); };
  const uint32_t w = p[0] | (format == EPixelFormat::Indexed8 ? 0u : static_cast<uint32_t>(p[1]) << 8);
  switch (format) {
    case EPixelFormat::Indexed8: {
      const TDisplayColour& c = palette[p[0]];
      return static_cast<uint32_t>(c.red) << 16 | c.green << 8 | c.blue;
    }
    case EPixelFormat::Rgb555: return expand5((w >> 10) & 31) << 16 | expand5((w >> 5) & 31) << 8 | expand5(w & 31);
    case EPixelFormat::Rgb565:
      return expand5(w >> 11) << 16 | (((w >> 5) & 63) << 2 | ((w >> 5) & 63) >> 4) << 8 | expand5(w & 31);
    case EPixelFormat::Bgr24: return static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
  }
  return 0;
}
}  // namespace

TEST(PixelRows, EveryFormatAndRowLengthConvertsEachPixelAlone) {
  TDisplayColour palette[256];
  for (int32_t i = 0; i < 256; ++i)
    palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)};
  for (EPixelFormat format : {EPixelFormat::Indexed8, EPixelFormat::Rgb555, EPixelFormat::Rgb565, EPixelFormat::Bgr24}) {
    const int32_t bpp = PlatformBytesPerPixel(format);
    for (int32_t count = 0; count < 40; ++count) {
      SCOPED_TRACE(::testing::Message() << bpp << " bytes, " << count << " pixels");
      // Exactly the row's bytes, so that a read past its end is seen by the sanitizers.
      std::vector<uint8_t> row(static_cast<size_t>(count * bpp));
      for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 37 + 11);
      std::vector<uint32_t> words(static_cast<size_t>(count) + 1, 0xDEADBEEF);
      PlatformPixelsToXrgb(row.data(), format, palette, count, words.data());
      for (int32_t i = 0; i < count; ++i)
        ASSERT_EQ(words[static_cast<size_t>(i)], ReferenceXrgb(format, row.data() + i * bpp, palette)) << i;
      EXPECT_EQ(words.back(), 0xDEADBEEFu);
    }
  }
}

TEST_F(Stretch, EveryFormatShowsItsNearestSourcePixel) {
  TDisplayColour palette[256];
  for (int32_t i = 0; i < 256; ++i)
    palette[i] = {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i)};
  const int32_t fbWidth = 7, fbHeight = 5, clientWidth = 20, clientHeight = 14;
  for (EPixelFormat format : {EPixelFormat::Indexed8, EPixelFormat::Rgb555, EPixelFormat::Rgb565, EPixelFormat::Bgr24}) {
    const int32_t bpp = PlatformBytesPerPixel(format);
    // Rows without padding in a buffer of exactly their size: the last pixel ends the buffer.
    std::vector<uint8_t> bytes(static_cast<size_t>(fbWidth * bpp * fbHeight));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 53 + 5);
    const TDisplayFramebuffer fb{bytes.data(), fbWidth * bpp, fbWidth, fbHeight, format};
    for (const TDisplayRect target : {TDisplayRect{1, 2, 17, 11}, TDisplayRect{3, 1, 5, 3}, TDisplayRect{0, 0, 7, 14}}) {
      SCOPED_TRACE(::testing::Message() << bpp << " bytes, target " << target.width << "x" << target.height);
      Open(clientWidth, clientHeight);
      d.SetPalette(0, 256, palette);
      const TDisplayRect whole{0, 0, fbWidth, fbHeight};
      ASSERT_TRUE(d.PresentScaled(fb, &whole, 1, target));
      for (int32_t y = target.y; y < target.y + target.height; ++y)
        for (int32_t x = target.x; x < target.x + target.width; ++x) {
          const int32_t sx = (x - target.x) * fbWidth / target.width, sy = (y - target.y) * fbHeight / target.height;
          const uint8_t* p = bytes.data() + static_cast<size_t>(sy * fbWidth * bpp + sx * bpp);
          ASSERT_EQ(d.Pixel(x, y), ReferenceXrgb(format, p, palette)) << x << "," << y;
        }
    }
  }
}
