#include "fennic/move.h"

#include <cmath>

double xMoveValue(double start, double a, double end, double b, int32_t frame, int32_t frames) {
  if (frames <= 0 || frame >= frames) return end;
  if (frame <= 0) return start;
  const double t = static_cast<double>(frame) / frames, u = 1 - t;
  return start + (end - start) * t + a * t * u * u + b * t * t * u;
}

int32_t C3DMove::Init(CObject* object, int32_t frames) {
  if (frames < 0) return 0;
  m_pObject = object;
  m_Frames = frames;
  return 1;
}

int32_t C3DMove::SetAxis(int32_t axis, double start, double a, double end, double b) {
  if (axis < 0 || axis >= POSE_AXES) return 0;
  if (!std::isfinite(start) || !std::isfinite(a) || !std::isfinite(end) || !std::isfinite(b)) return 0;
  m_Axes[axis] = {true, start, a, end, b};
  return 1;
}

void C3DMove::Apply(int32_t frame, double (&pose)[POSE_AXES]) const {
  for (int32_t i = 0; i < POSE_AXES; ++i) {
    const TAxis& x = m_Axes[i];
    if (x.Set) pose[i] = xMoveValue(x.Start, x.A, x.End, x.B, frame, GetSteps());
  }
}

int32_t C3DMoveList::Init(int32_t a, int32_t b) {
  m_InitA = a;
  m_InitB = b;
  return 1;
}

int32_t C3DMoveList::AddMove(C3DMove* move) {
  if (!move) return 0;
  m_Moves.push_back(move);
  return 1;
}

int32_t C3DMoveList::First() {
  m_Cursor = 0;
  return Exists();
}

int32_t C3DMoveList::Next() {
  if (m_Cursor < m_Moves.size()) ++m_Cursor;
  return Exists();
}

int32_t C3DMoveList::Delete() {
  if (!Exists()) return 0;
  m_Moves.erase(m_Moves.begin() + static_cast<std::ptrdiff_t>(m_Cursor));
  return 1;
}
