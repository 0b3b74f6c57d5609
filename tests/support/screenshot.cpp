#include "support/screenshot.h"

#include <cstdlib>

#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/globals.h"
#include "platform/display/headless.h"

TRgbImage ShownPicture() {
  const CHeadlessDisplay& display = *PlatformHeadless();
  int32_t x0 = 0, y0 = 0, width = display.SurfaceWidth(), height = display.SurfaceHeight();
  const CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  const SVmode* mode = screen ? screen->GetActiveMode() : nullptr;
  if (const auto* dib = dynamic_cast<const CDibScreen*>(screen); dib && mode) {
    x0 = dib->GetOffsetX();
    y0 = dib->GetOffsetY();
    width = mode->Width;
    height = mode->Height;
  }
  TRgbImage image;
  image.width = width;
  image.height = height;
  image.rgb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = display.Pixel(x0 + x, y0 + y);
      image.rgb.push_back(static_cast<uint8_t>(p >> 16));
      image.rgb.push_back(static_cast<uint8_t>(p >> 8));
      image.rgb.push_back(static_cast<uint8_t>(p));
    }
  }
  return image;
}

bool SaveShot(const std::string& name) {
  const char* folder = std::getenv("VORRIN_CLIENT_SHOTS");
  return !folder || WritePng(std::string(folder) + "/" + name, ShownPicture());
}
