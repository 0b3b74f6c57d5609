#include "fennic/cardtable.h"

#include <algorithm>
#include <cmath>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

namespace {
CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }
}  // namespace

CCardTable::~CCardTable() { Exit(); }

int32_t CCardTable::Init(int32_t pockets, int32_t rows, int32_t columns, int32_t ranks) {
  if (pockets < 1 || pockets > FENNIC_MAX_POCKETS || rows < 1 || rows > FENNIC_MAX_SHEET_CELLS || columns < 1 ||
      columns > FENNIC_MAX_SHEET_CELLS || ranks < 1)
    return 0;
  Exit();
  m_Rows = rows;
  m_Columns = columns;
  m_Ranks = ranks;
  for (int32_t i = 0; i < pockets; ++i) m_Pockets.push_back(std::make_unique<CPocket>(this));
  return 1;
}

int32_t CCardTable::Exit() {
  // The lists' objects are told first: a pocket's cards die with their pocket.
  ForgetAllAnims();
  m_Pockets.clear();
  m_pFaces.reset();
  m_pBack.reset();
  m_Textures.Clear();
  m_pTablePicture = nullptr;
  m_Rows = m_Columns = m_Ranks = 0;
  return 1;
}

int32_t CCardTable::SetCardSize(int32_t width, int32_t height) {
  m_CellWidth = width;
  m_CellHeight = height;
  return width > 0 && height > 0;
}

int32_t CCardTable::SetCardDimension(double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height) || !(width > 0) || !(height > 0)) return 0;
  m_CardWidth = width;
  m_CardHeight = height;
  return 1;
}

int32_t CCardTable::SetTextureNames(const char* faceSheet, const char* back) {
  if (!faceSheet || !back) return 0;
  m_FaceName = faceSheet;
  m_BackName = back;
  return 1;
}

int32_t CCardTable::LoadTextures() {
  m_pFaces.reset();
  m_pBack.reset();
  m_Textures.Clear();
  if (m_CellWidth < 1 || m_CellHeight < 1 || m_CellWidth > FENNIC_MAX_CARD_PIXELS ||
      m_CellHeight > FENNIC_MAX_CARD_PIXELS || m_Rows < 1 || m_FaceName.empty() || m_BackName.empty())
    return 0;
  auto faces = std::make_unique<CBitmap>(), back = std::make_unique<CBitmap>();
  if (!faces->Load(m_FaceName.c_str(), 0) || !back->Load(m_BackName.c_str(), 0)) return 0;
  if (static_cast<int64_t>(faces->m_Width) < static_cast<int64_t>(m_Columns) * m_CellWidth ||
      static_cast<int64_t>(faces->m_Height) < static_cast<int64_t>(m_Rows) * m_CellHeight || back->m_Width < 1 ||
      back->m_Height < 1)
    return 0;
  m_pFaces = std::move(faces);
  m_pBack = std::move(back);
  return 1;
}

bool CCardTable::CodeLook(int32_t code, TCardLook* look) const {
  if (code == -1) {
    *look = TCardLook{};
    return true;
  }
  if (code < 0 || m_Ranks < 1) return false;
  const int32_t row = code / m_Ranks, column = code % m_Ranks;
  if (row >= m_Rows || column >= m_Columns) return false;
  *look = TCardLook{row, column};
  return true;
}

CObject* CCardTable::GetCardObj(int32_t row, int32_t column, double u0, double v0, double u1, double v1) {
  const bool back = row == -1 && column == 0;
  if (!back && (row < 0 || row >= m_Rows || column < 0 || column >= m_Columns)) return nullptr;
  for (double v : {u0, v0, u1, v1})
    if (!std::isfinite(v)) return nullptr;
  auto* object = new CObject;
  TCardLook look{row, column, std::clamp(u0, 0.0, 1.0), std::clamp(v0, 0.0, 1.0), std::clamp(u1, 0.0, 1.0),
                 std::clamp(v1, 0.0, 1.0)};
  object->SetLook(look);
  SizeCard(object);
  return object;
}

CPocket* CCardTable::GetPocket(int32_t i) {
  return i >= 0 && i < GetNumPockets() ? m_Pockets[static_cast<size_t>(i)].get() : nullptr;
}

int32_t CCardTable::Handler() {
  AdvanceAnims();
  DrawFlights();
  return 1;
}

void CCardTable::PlaceAtEnd(C3DMoveList* list, CObject* object) const {
  double pose[POSE_AXES];
  if (EndPose(CopyMoves(*list), *object, pose)) object->SetPose(pose);
}

int32_t CCardTable::SetPersistent(CBitmap* tablePicture) {
  m_pTablePicture = tablePicture;
  for (auto& pocket : m_Pockets)
    for (int32_t i = 0; i < pocket->GetNumCards(); ++i) pocket->SetStamp(i, nullptr);
  return 1;
}

int32_t CCardTable::DrawPocket(int32_t p, CRect* area) {
  CPocket* pocket = GetPocket(p);
  return pocket ? pocket->Draw(area) : 0;
}

int32_t CCardTable::DrawCard(int32_t p, int32_t i, CRect* area) {
  CPocket* pocket = GetPocket(p);
  return pocket ? pocket->DrawCard(i, area) : 0;
}

bool CCardTable::CardQuad(const CObject& object, TProjectedQuad* quad, TQuadTexture* texture) {
  TVec3 corners[4];
  for (int32_t k = 0; k < 4; ++k) corners[k] = object.GetCorner(k);
  *quad = xProjectQuad(*GetActiveCamera(), corners);
  if (!quad->Valid || !m_pFaces || !m_pBack ||
      !m_Textures.Prepare(Screen(), *m_pFaces, *m_pBack, m_Rows, m_Columns, m_CellWidth, m_CellHeight))
    return false;
  const TCardLook& look = object.GetLook();
  const bool front = quad->TwiceArea() > 0;
  if (front && look.Row >= 0) {
    const double u0 = look.U0 * m_CellWidth, u1 = look.U1 * m_CellWidth;
    const double v0 = look.V0 * m_CellHeight, v1 = look.V1 * m_CellHeight;
    *texture = {m_Textures.Cell(look.Row, look.Column), m_Textures.FaceKey(), {u0, u1, u1, u0}, {v0, v0, v1, v1}};
  } else {
    // Seen from behind the corners run the other way round: the back reads unmirrored.
    const CBitmap* back = m_Textures.Back();
    const double w = back->m_Width, h = back->m_Height;
    *texture = {m_Textures.Back(), m_Textures.BackKey(), {0, w, w, 0}, {0, 0, h, h}};
    if (!front) {
      std::swap(texture->U[0], texture->U[1]);
      std::swap(texture->U[2], texture->U[3]);
    }
  }
  return texture->Bitmap != nullptr;
}

int32_t CCardTable::DrawObject(const CObject& object, EQuadTarget target, CRect* area) {
  TProjectedQuad quad;
  TQuadTexture texture;
  return CardQuad(object, &quad, &texture) ? xDrawTexturedQuad(quad, texture, target, area) : 0;
}

int32_t CCardTable::DrawShadow(const CObject& object, CRect* area) {
  TVec3 corners[4], cast[4];
  for (int32_t k = 0; k < 4; ++k) corners[k] = object.GetCorner(k);
  if (!xCastShadow(*GetLight(), corners, cast)) return 0;
  return xDrawShadowQuad(xProjectQuad(*GetActiveCamera(), cast), QUAD_SCREEN, area);
}

void CCardTable::DrawFlights() {
  std::vector<std::pair<double, const CObject*>> flying;
  for (const TAnim& a : m_Anims) {
    if (a.Ended) continue;
    double x, y, z;
    a.Object->GetPosition(&x, &y, &z);
    flying.emplace_back(-GetActiveCamera()->ToCamera({x, y, z}).z, a.Object);
  }
  // Farthest first; the shadows lie on the table under every card.
  std::stable_sort(flying.begin(), flying.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& f : flying) DrawShadow(*f.second, nullptr);
  for (const auto& f : flying) DrawObject(*f.second, QUAD_SCREEN, nullptr);
}

void CCardTable::TakeAway(CObject* object) {
  for (auto& pocket : m_Pockets) {
    const int32_t i = pocket->FindCard(object);
    CRect r;
    if (i < 0 || !pocket->GetStamp(i, &r)) continue;
    pocket->SetStamp(i, nullptr);
    CScreenBase* s = Screen();
    if (!s || !m_pTablePicture || s->GetPersistentMode() != 1 || !s->PushClip()) return;
    s->SetSubClip(r.left, r.top, r.right, r.bottom);
    s->DrawBitmapPersistent(m_pTablePicture, r.left, r.top, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1,
                            BLT_MODE_COPY, 0);
    for (auto& other : m_Pockets) other->RedrawStamped(r);
    s->PopClip();
    return;
  }
}

void CCardTable::Stamp(CObject* object) {
  TakeAway(object);
  CRect r;
  const int32_t drawn = DrawObject(*object, QUAD_PERSISTENT, &r);
  DrawObject(*object, QUAD_SCREEN, nullptr);
  for (auto& pocket : m_Pockets) {
    const int32_t i = pocket->FindCard(object);
    if (i >= 0) pocket->SetStamp(i, drawn ? &r : nullptr);
  }
}

void CCardTable::OnAnimStarted(CObject* object) { TakeAway(object); }
void CCardTable::OnAnimEnded(CObject* object) { Stamp(object); }
void CCardTable::OnLastFrame(CObject* object) { Stamp(object); }
