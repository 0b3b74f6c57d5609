#include "casino/startup/clientgraphics.h"

#include <cstdint>
#include <vector>

#include "casino/startup/clientresources.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/shade.h"
#include "ostrel/input/mouse.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "platform/display/display.h"

namespace {
// The colour layout of the active mode for the 16-bit tables; 5-6-5 for modes of other depths.
int32_t SetColourLayout() {
  const CScreenBase* screen = glb->m_pCurrentScreen;
  const SVmode* mode = screen ? screen->GetActiveMode() : nullptr;
  if (mode && mode->BitsPerPixel == 16)
    return Set16Bit(static_cast<uint16_t>(mode->RedShift), static_cast<uint16_t>(8 - mode->RedBits),
                    static_cast<uint16_t>(mode->GreenShift), static_cast<uint16_t>(8 - mode->GreenBits),
                    static_cast<uint16_t>(mode->BlueShift), static_cast<uint16_t>(8 - mode->BlueBits));
  return Set16Bit(11, 3, 5, 2, 0, 3);
}

void AllocPointers(CResData* res) {
  CMouse* mouse = glb->m_pMouse;
  if (!mouse) return;
  for (int32_t n = 0; n < RES_POINTER_COUNT; ++n) {
    CBitmap* picture = xResBitmapById(res, RES_POINTER_FIRST + n);
    if (!picture || !mouse->AllocCursor(picture, nullptr, picture->m_Width, picture->m_Height, 0, 0))
      xprintf("SetupClientGraphics: no mouse pointer from bitmap %d", RES_POINTER_FIRST + n);
  }
  // The finger picture stands in where the desktop has no hand cursor of its own.
  std::vector<uint32_t> finger;
  CBitmap* picture = xResBitmapById(res, RES_FINGER_POINTER);
  if (!PlatformDisplay()->HasSystemCursor(EDisplayCursor::Hand) && xBitmapToDisplayImage(picture, finger)) {
    const TDisplayImage image{finger.data(), picture->m_Width, picture->m_Height};
    // The fingertip, where tools/lobbypack draws it.
    PlatformDisplay()->SetCursorPicture(EDisplayCursor::Hand, &image, picture->m_Width * 13 / 32,
                                        picture->m_Height * 2 / 32);
  }
  mouse->SetFingerResourceId(RES_FINGER_POINTER);
}
}  // namespace

bool xBitmapToDisplayImage(CBitmap* picture, std::vector<uint32_t>& pixels) {
  if (!picture || picture->m_Width < 1 || picture->m_Height < 1) return false;
  TRGBA key{};
  picture->GetPixel(0, 0, &key);
  pixels.assign(static_cast<size_t>(picture->m_Width) * static_cast<size_t>(picture->m_Height), 0);
  for (int32_t y = 0; y < picture->m_Height; ++y) {
    for (int32_t x = 0; x < picture->m_Width; ++x) {
      TRGBA c{};
      picture->GetPixel(x, y, &c);
      if (c.r == key.r && c.g == key.g && c.b == key.b) continue;
      pixels[static_cast<size_t>(y) * static_cast<size_t>(picture->m_Width) + static_cast<size_t>(x)] =
          0xFF000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b;
    }
  }
  return true;
}

int32_t xSetWindowIconFromBitmap(CBitmap* picture) {
  std::vector<uint32_t> pixels;
  if (!xBitmapToDisplayImage(picture, pixels)) return 0;
  PlatformDisplay()->SetWindowIcon({pixels.data(), picture->m_Width, picture->m_Height});
  return 1;
}

int32_t SetupClientGraphics(CResData* mainResources) {
  if (!glb) return 0;
  const bool tables = SetColourLayout() && PreCalcShade();
  PreCalcShade24();
  xSetWindowIconFromBitmap(xResBitmapById(mainResources, RES_WINDOW_ICON));
  AllocPointers(mainResources);
  if (CWinCtrl* windows = glb->m_pWinCtrl) windows->Create();
  return tables ? 1 : 0;
}

void ReleaseClientGraphics() {
  if (!glb) return;
  if (CMouse* mouse = glb->m_pMouse) mouse->Exit();
  DeleteShade();
  if (CScreenBase* screen = glb->m_pCurrentScreen) {
    screen->ExitMode();
    glb->m_pCurrentScreen = nullptr;
  }
}
