#include "common/widgets/polytexture.h"

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

CScreenBase* xPolygonScreen() {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  return screen && screen->GetActiveMode() ? screen : nullptr;
}

std::unique_ptr<CBitmap> xLoadPolygonTexture(const char* fileName) {
  CScreenBase* screen = xPolygonScreen();
  if (!fileName || !screen) return nullptr;
  auto texture = std::make_unique<CBitmap>();
  // Not dithered: the drawer samples single texels, and the see-through colour must stay exact.
  if (!texture->Load(fileName, 0) || texture->m_Width < 1 || texture->m_Height < 1 || !texture->m_pData ||
      !screen->MakeScreenFormat(texture.get(), 0) ||
      texture->m_BytesPerPixel != screen->GetActiveMode()->BytesPerPixel)
    return nullptr;
  return texture;
}

void xSetPolygonDrawMode(CScreenBase* screen) {
  // Plain perspective texturing, as the cards of the 3-D table are drawn: the mode stays with the
  // screen, and supersampling would slow down every card drawn after it.
  if (screen) screen->SetPolygonMode(0, 0);
}
