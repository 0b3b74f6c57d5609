#include "casino/startup/screenmode.h"

#include <algorithm>

#include "ostrel/screens/screenbase.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/screens/vmode.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kMaxDepth = 24;
constexpr int32_t kDepthWithoutAnswer = 16;

int32_t WindowKindOf(int32_t type) { return type == SCREENTYPE_FULLSCREEN ? VMODE_FULLSCREEN : VMODE_WINDOW; }

bool OffersMode(CScreenBase& screen, int32_t kind, int32_t bits) {
  for (screen.ModeFirst(); screen.ModeExists(); screen.ModeNext()) {
    const SVmode* mode = screen.ModeGet();
    if (mode && mode->WindowKind == kind && mode->BitsPerPixel == bits) return true;
  }
  return false;
}

CScreenBase* FindScreen(int32_t kind, int32_t bits) {
  CScreenBaseList* list = glb ? glb->m_pScreenList : nullptr;
  if (!list) return nullptr;
  for (list->First(); list->Exists(); list->Next()) {
    CScreenBase* screen = list->Get();
    if (screen && screen->ScreenAvailable() && OffersMode(*screen, kind, bits)) return screen;
  }
  return nullptr;
}
}  // namespace

int32_t FindScreenMode(int32_t type) {
  const int32_t kind = WindowKindOf(type);
  CScreenBase* screen = FindScreen(kind, 24);
  if (!screen) screen = FindScreen(kind, 16);
  if (!screen) return 0;
  glb->m_pCurrentScreen = screen;
  return 1;
}

int32_t ClientScreenDepth() {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  const int32_t depth = screen ? screen->GetDepth() : 0;
  return depth > 0 ? std::min(depth, kMaxDepth) : kDepthWithoutAnswer;
}

int32_t OpenClientScreen(int32_t type) {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  if (!screen) return 0;
  return screen->InitModeRez(CLIENT_SCREEN_WIDTH, CLIENT_SCREEN_HEIGHT, ClientScreenDepth(), WindowKindOf(type));
}
