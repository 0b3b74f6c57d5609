#include "common/widgets/arrow.h"

#include <cmath>

#include "common/widgets/polytexture.h"

namespace {
constexpr int32_t kHalfPath = CArrow::PATH_POINTS / 2;

bool AllFinite(const double* values, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (!std::isfinite(values[i])) return false;
  return true;
}
}  // namespace

CArrow::~CArrow() { Exit(); }

int32_t CArrow::Init(const char* textureName, CCamera* camera, CLight* light, double width, double height) {
  Exit();
  std::unique_ptr<CBitmap> texture = xLoadPolygonTexture(textureName);
  if (!texture) return 0;
  auto polygon = std::make_unique<CPolygon>();
  if (!polygon->Set3D(0, -height, 0, 0, -height, 0, width, height, 0, -width, height, 0) ||
      !polygon->SetTexture(texture.get(), 0, 0, 1, 1))
    return 0;
  m_pTexture = std::move(texture);
  m_pPolygon = std::move(polygon);
  m_pCamera = camera;
  m_pLight = light;
  return 1;
}

int32_t CArrow::CreateArrows(int32_t count, const double* x, const double* y, const double* z, const double* rx,
                             const double* ry, const double* rz) {
  if (!m_pPolygon || count < 1 || count > MAX_ARROWS || !x || !y || !z || !rx || !ry || !rz) return 0;
  for (const double* points : {x, y, z})
    if (!AllFinite(points, 2 * count)) return 0;
  for (const double* angles : {rx, ry, rz})
    if (!AllFinite(angles, count)) return 0;

  for (int32_t i = 0; i < count; ++i) {
    const SPoint a{x[2 * i], y[2 * i], z[2 * i]}, b{x[2 * i + 1], y[2 * i + 1], z[2 * i + 1]};
    SPoint* path = m_Path[i];
    for (int32_t p = 0; p < kHalfPath; ++p) {
      path[p] = {a.x + p * (b.x - a.x) / kHalfPath, a.y + p * (b.y - a.y) / kHalfPath,
                 a.z + p * (b.z - a.z) / kHalfPath};
      path[kHalfPath + p] = {b.x + p * (a.x - b.x) / kHalfPath, b.y + p * (a.y - b.y) / kHalfPath,
                             b.z + p * (a.z - b.z) / kHalfPath};
    }
    m_Rotation[i] = {rx[i], ry[i], rz[i]};
  }
  m_NumArrows = count;
  // An arrow that no longer exists is not shown.
  if (m_CurrentArrow >= m_NumArrows) StopArrow();
  return 1;
}

void CArrow::StartArrow(int32_t n) {
  if (n < 0 || n >= m_NumArrows) return;
  StopArrow();
  m_CurrentArrow = n;
  AddTimer(m_Period);
}

void CArrow::StopArrow() {
  // Every period: after a speed change the old one runs until the next step restarts the timer.
  RemoveAllTimers();
  m_CurrentArrow = -1;
}

void CArrow::SetUpdateSpeed(int64_t period) { m_Period = xClampTimerPeriod(period); }

void CArrow::TimerHandler(uint32_t period) {
  if (m_CurrentArrow < 0) return;
  if (period != m_Period) {
    RemoveTimer(period);
    AddTimer(m_Period);
  }
  m_Frame = (m_Frame + 1) % PATH_POINTS;
}

int32_t CArrow::Handler() {
  if (!m_pPolygon) return 0;
  if (m_CurrentArrow < 0) return 1;
  const SPoint& at = m_Path[m_CurrentArrow][m_Frame];
  const SPoint& turn = m_Rotation[m_CurrentArrow];
  m_pPolygon->ResetCoords();
  m_pPolygon->SetPosition(at.x, at.y, at.z);
  m_pPolygon->SetRotate(turn.x, turn.y, turn.z);
  m_pPolygon->RotatePolygon();
  m_pPolygon->Project(m_pCamera);
  xSetPolygonDrawMode(xPolygonScreen());
  // The shadow may show even where the arrow itself is out of sight.
  if (m_Shadow.Calc(m_pPolygon.get(), m_pLight, m_pCamera)) m_Shadow.DrawScreen();
  m_pPolygon->DrawScreen();
  return 1;
}

void CArrow::Exit() {
  StopArrow();
  m_pPolygon.reset();
  m_pTexture.reset();
  m_pCamera = nullptr;
  m_pLight = nullptr;
  m_NumArrows = 0;
  m_Frame = 0;
}

int32_t CArrow::GetPathPoint(int32_t arrow, int32_t p, double* x, double* y, double* z) const {
  if (arrow < 0 || arrow >= m_NumArrows || p < 0 || p >= PATH_POINTS) return 0;
  const SPoint& at = m_Path[arrow][p];
  if (x) *x = at.x;
  if (y) *y = at.y;
  if (z) *z = at.z;
  return 1;
}
