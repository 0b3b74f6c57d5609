#include "fennic/cardtable.h"

#include <algorithm>
#include <cmath>

#include "ostrel/graphics/bitmap.h"

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
  return 1;
}

void CCardTable::PlaceAtEnd(C3DMoveList* list, CObject* object) const {
  double pose[POSE_AXES];
  if (EndPose(CopyMoves(*list), *object, pose)) object->SetPose(pose);
}
