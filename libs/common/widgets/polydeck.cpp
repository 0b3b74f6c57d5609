#include "common/widgets/polydeck.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/widgets/polytexture.h"
#include "ostrel/screens/screenbase.h"

namespace {
constexpr int32_t kSides = CPolyDeck::TOP_QUAD;

// An empty bitmap of the model's pixel format.
bool CreateLike(CBitmap& b, const CBitmap& model, int32_t width, int32_t height) {
  if (model.m_RGBFlag == 0) return b.CreateIndex(width, height, model.m_BitsPerPixel, model.m_pPalette, 0) != 0;
  return b.CreateRGB(width, height, model.m_BitsPerPixel, model.m_RedBits, model.m_GreenBits, model.m_BlueBits,
                     model.m_RedShift, model.m_GreenShift, model.m_BlueShift, 0) != 0;
}

bool HasPixels(const CBitmap* b) { return b && b->m_pData && b->m_Width > 0 && b->m_Height > 0 && b->m_Pitch > 0; }

// The persistent layer, while the screen draws into it.
CBitmap* PersistentLayer(CScreenBase* screen) {
  if (!screen || screen->GetPersistentMode() != 1) return nullptr;
  CBitmap* layer = screen->GetPersistentBitmap();
  return HasPixels(layer) ? layer : nullptr;
}

size_t RowBytes(const CBitmap& b, int32_t width) { return static_cast<size_t>(width) * b.m_BytesPerPixel; }
size_t Offset(const CBitmap& b, int32_t x, int32_t y) {
  return static_cast<size_t>(y) * static_cast<size_t>(b.m_Pitch) + static_cast<size_t>(x) * b.m_BytesPerPixel;
}
}  // namespace

CPolyDeck::~CPolyDeck() { Exit(); }

int32_t CPolyDeck::Init(const char* textureName, CBitmap* top, CCamera* camera, const TQuad quads[NUM_QUADS]) {
  Exit();
  if (!top || !quads) return 0;
  for (int32_t q = 0; q < NUM_QUADS; ++q)
    for (const auto& corner : quads[q])
      for (double v : corner)
        if (!std::isfinite(v)) return 0;
  std::unique_ptr<CBitmap> texture = xLoadPolygonTexture(textureName);
  if (!texture) return 0;

  std::memcpy(m_Quads, quads, sizeof m_Quads);
  m_Depth = m_Quads[TOP_QUAD][0][1];
  for (auto& polygon : m_pPolygons) polygon = std::make_unique<CPolygon>();
  m_pPolygons[TOP_QUAD]->SetTexture(top, 0, 0, 1, 1);
  m_pTexture = std::move(texture);
  m_pTop = top;
  m_pCamera = camera;
  m_Scale = 1.0;
  SetPosition(0, 0, 0, 0, 0, 0);
  m_NumCards = -1;
  SetNumCardsLeft(NUM_CARDS);
  m_HasDrawn = false;
  if (m_NumCards != NUM_CARDS) {  // out of memory for the sides' texture
    Exit();
    return 0;
  }
  return 1;
}

void CPolyDeck::SetNumCardsLeft(int32_t cards) {
  if (!m_pTexture || cards < 0 || cards > NUM_CARDS) return;
  const int32_t before = m_NumCards;
  m_NumCards = cards;
  m_Fraction = static_cast<double>(cards) / NUM_CARDS;
  if (!CutSideTexture() || !ShapeQuads()) {
    m_NumCards = before;
    m_Fraction = static_cast<double>(std::max(before, 0)) / NUM_CARDS;
  }
}

bool CPolyDeck::CutSideTexture() {
  const CBitmap& whole = *m_pTexture;
  const int64_t share = (static_cast<int64_t>(whole.m_Height) * m_NumCards + NUM_CARDS / 2) / NUM_CARDS;
  const auto lines = static_cast<int32_t>(std::clamp<int64_t>(share, 1, whole.m_Height));
  auto cut = std::make_unique<CBitmap>();
  if (!CreateLike(*cut, whole, whole.m_Width, lines) || !HasPixels(cut.get())) return false;
  // The top lines, as they are: the picture's first pixel stays the see-through colour.
  for (int32_t y = 0; y < lines; ++y)
    std::memcpy(cut->m_pData + Offset(*cut, 0, y), whole.m_pData + Offset(whole, 0, y), RowBytes(whole, whole.m_Width));
  for (int32_t k = 0; k < kSides; ++k) m_pPolygons[k]->SetTexture(cut.get(), 0, 0, 1, 1);
  m_pCutTexture = std::move(cut);
  return true;
}

bool CPolyDeck::ShapeQuads() {
  // Only heights move: a side's top corners (y = 0) come down to the top face, which comes down
  // from 0 (full) to the depth (empty).
  const double drop = (1.0 - m_Fraction) * m_Depth;
  for (int32_t k = 0; k < NUM_QUADS; ++k) {
    double c[4][3];
    for (int32_t i = 0; i < 4; ++i) {
      const double* given = m_Quads[k][i];
      const double y = k == TOP_QUAD ? given[1] * (1.0 - m_Fraction) : given[1] == 0 ? drop : given[1];
      c[i][0] = given[0] * m_Scale;
      c[i][1] = y * m_Scale;
      c[i][2] = given[2] * m_Scale;
    }
    if (!m_pPolygons[k]->Set3D(c[0][0], c[0][1], c[0][2], c[1][0], c[1][1], c[1][2], c[2][0], c[2][1], c[2][2],
                               c[3][0], c[3][1], c[3][2]))
      return false;
  }
  return true;
}

void CPolyDeck::SetPosition(double x, double y, double z, double rx, double ry, double rz) {
  m_X = x;
  m_Y = y;
  m_Z = z;
  m_Rx = rx;
  m_Ry = ry;
  m_Rz = rz;
}

void CPolyDeck::GetTopCardPos(double* x, double* y, double* z, double* rx, double* ry, double* rz) const {
  if (x) *x = m_X;
  if (y) *y = m_Y + (1.0 - m_Fraction) * m_Depth;
  if (z) *z = m_Z;
  if (rx) *rx = m_Rx;
  if (ry) *ry = m_Ry;
  if (rz) *rz = m_Rz;
}

void CPolyDeck::PlacePolygon(CPolygon& polygon) {
  polygon.ResetCoords();
  polygon.SetPosition(m_X, m_Y, m_Z);
  polygon.SetRotate(m_Rx, m_Ry, m_Rz);
  polygon.RotatePolygon();
  polygon.Project(m_pCamera);
}

int32_t CPolyDeck::DrawDeck() {
  if (!m_pTexture) return 0;
  CScreenBase* screen = xPolygonScreen();
  PutBackArea(screen);
  CBitmap* layer = PersistentLayer(screen);
  if (!layer) return 0;
  // The layer as it is, so that what the box covers can be put back; only the drawer knows
  // beforehand which pixels that will be.
  const std::vector<uint8_t> before(layer->m_pData, layer->m_pData + Offset(*layer, 0, layer->m_Height));
  xSetPolygonDrawMode(screen);
  CRect area;
  bool any = false;
  for (auto& polygon : m_pPolygons) {
    PlacePolygon(*polygon);
    CRect drawn;
    if (!polygon->DrawPersistent(&drawn)) continue;
    if (any) {
      CRect joined;
      joined.Union(&area, &drawn);
      area = joined;
    } else {
      area = drawn;
    }
    any = true;
  }
  if (!any) return 0;
  m_Under.Keep(before, *layer, area);
  m_Drawn = area;
  m_HasDrawn = true;
  return 1;
}

void CPolyDeck::ClearDeck() {
  if (m_pTexture) PutBackArea(xPolygonScreen());
}

void CPolyDeck::PutBackArea(CScreenBase* screen) {
  if (!m_HasDrawn) return;
  m_HasDrawn = false;
  CBitmap* layer = PersistentLayer(screen);
  CRect area;
  if (layer && m_Under.PutBack(*layer, &area)) screen->AddClearAreaPersistent(area.left, area.top, area.right, area.bottom);
  m_Under.Forget();
}

bool CPolyDeck::GetDrawnRect(CRect* rect) const {
  if (m_HasDrawn && rect) *rect = m_Drawn;
  return m_HasDrawn;
}

void CPolyDeck::Exit() {
  for (auto& polygon : m_pPolygons) polygon.reset();
  m_pCutTexture.reset();
  m_pTexture.reset();
  m_pTop = nullptr;
  m_pCamera = nullptr;
  m_HasDrawn = false;
  m_Under.Forget();
}

// ---- the area under the box ---------------------------------------------------------------------

void CPolyDeck::CSavedArea::Keep(const std::vector<uint8_t>& before, const CBitmap& buffer, const CRect& area) {
  m_Pixels.clear();
  CRect inside(0, 0, buffer.m_Width - 1, buffer.m_Height - 1), wanted(area);
  if (!m_Area.Intersect(&wanted, &inside)) return;
  const int32_t width = m_Area.right - m_Area.left + 1;
  const size_t row = RowBytes(buffer, width);
  m_Pixels.resize(row * static_cast<size_t>(m_Area.bottom - m_Area.top + 1));
  for (int32_t y = m_Area.top; y <= m_Area.bottom; ++y)
    std::memcpy(m_Pixels.data() + row * static_cast<size_t>(y - m_Area.top),
                before.data() + Offset(buffer, m_Area.left, y), row);
  m_pBuffer = buffer.m_pData;
  m_Width = buffer.m_Width;
  m_Height = buffer.m_Height;
  m_Pitch = buffer.m_Pitch;
  m_BytesPerPixel = buffer.m_BytesPerPixel;
}

bool CPolyDeck::CSavedArea::PutBack(CBitmap& buffer, CRect* area) {
  // A buffer made again (a new mode) holds another picture: nothing of this one belongs there.
  if (m_Pixels.empty() || buffer.m_pData != m_pBuffer || buffer.m_Width != m_Width || buffer.m_Height != m_Height ||
      buffer.m_Pitch != m_Pitch || buffer.m_BytesPerPixel != m_BytesPerPixel)
    return false;
  const size_t row = RowBytes(buffer, m_Area.right - m_Area.left + 1);
  for (int32_t y = m_Area.top; y <= m_Area.bottom; ++y)
    std::memcpy(buffer.m_pData + Offset(buffer, m_Area.left, y),
                m_Pixels.data() + row * static_cast<size_t>(y - m_Area.top), row);
  buffer.m_Changed = 1;
  *area = m_Area;
  return true;
}
