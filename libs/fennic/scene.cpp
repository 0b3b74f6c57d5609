#include "fennic/scene.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

CSceneHandler::~CSceneHandler() { ForgetAllAnims(); }

int32_t CSceneHandler::ProjectPoint2Screen(double x, double y, double z, int32_t& sx, int32_t& sy) const {
  double px, py;
  if (!m_Camera.Project({x, y, z}, &px, &py, nullptr)) return 0;
  px = std::round(px);
  py = std::round(py);
  constexpr double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  if (px < lo || px > hi || py < lo || py > hi) return 0;
  sx = static_cast<int32_t>(px);
  sy = static_cast<int32_t>(py);
  return 1;
}

std::vector<C3DMove> CSceneHandler::CopyMoves(const C3DMoveList& list) {
  std::vector<C3DMove> moves;
  moves.reserve(static_cast<size_t>(list.GetNumMoves()));
  for (int32_t k = 0; k < list.GetNumMoves(); ++k)
    if (const C3DMove* m = list.GetMove(k)) moves.push_back(*m);
  return moves;
}

bool CSceneHandler::EndPose(const std::vector<C3DMove>& moves, const CObject& object, double (&pose)[POSE_AXES]) {
  std::copy(std::begin(object.GetPose()), std::end(object.GetPose()), pose);
  for (const C3DMove& m : moves) m.Apply(m.GetSteps(), pose);
  return std::all_of(std::begin(pose), std::end(pose), [](double v) { return std::isfinite(v); });
}

void CSceneHandler::ApplyFrame(const TAnim& anim) {
  double pose[POSE_AXES];
  std::copy(std::begin(anim.Object->GetPose()), std::end(anim.Object->GetPose()), pose);
  anim.Moves[anim.Move].Apply(anim.Frame, pose);
  anim.Object->SetPose(pose);  // a pose that is not finite is refused and the object stays
}

int32_t CSceneHandler::StartAnim(C3DMoveList* list, CObject* object) {
  if (!list) return 0;
  std::vector<C3DMove> moves = CopyMoves(*list);
  if (!object && !moves.empty()) object = moves.front().GetObject();
  if (!object) return 0;
  if (moves.empty()) return DrawLastFrame(list, object);
  if (object->m_pPlayer && object->m_pPlayer != this) object->m_pPlayer->ForgetObject(object);
  DropAnimsOf(object);
  object->m_pPlayer = this;
  m_Anims.push_back({object, std::move(moves), 0, 0, false});
  ApplyFrame(m_Anims.back());
  OnAnimStarted(object);
  return 1;
}

int32_t CSceneHandler::DrawLastFrame(C3DMoveList* list, CObject* object) {
  if (!list) return 0;
  const std::vector<C3DMove> moves = CopyMoves(*list);
  if (!object && !moves.empty()) object = moves.front().GetObject();
  if (!object) return 0;
  if (object->m_pPlayer) object->m_pPlayer->ForgetObject(object);
  double pose[POSE_AXES];
  if (!EndPose(moves, *object, pose)) return 0;
  object->SetPose(pose);
  OnLastFrame(object);
  return 1;
}

void CSceneHandler::AdvanceAnims() {
  // Indexes, not iterators: what the hooks draw never adds lists, but stays safe if it did.
  for (size_t i = 0; i < m_Anims.size(); ++i) {
    TAnim& a = m_Anims[i];
    if (a.Ended) continue;
    if (a.Frame >= a.Moves[a.Move].GetSteps()) {
      ++a.Move;
      a.Frame = 0;
    }
    ++a.Frame;
    ApplyFrame(a);
    if (a.Move + 1 == a.Moves.size() && a.Frame >= a.Moves[a.Move].GetSteps()) {
      a.Ended = true;
      OnAnimEnded(a.Object);
    }
  }
}

int32_t CSceneHandler::IsAnyPolyAnim() const {
  return static_cast<int32_t>(std::count_if(m_Anims.begin(), m_Anims.end(), [](const TAnim& a) { return !a.Ended; }));
}

bool CSceneHandler::IsMoving(const CObject* object) const {
  return std::any_of(m_Anims.begin(), m_Anims.end(),
                     [object](const TAnim& a) { return a.Object == object && !a.Ended; });
}

void CSceneHandler::RemoveAllPolygons() {
  std::vector<CObject*> done;
  for (const TAnim& a : m_Anims)
    if (a.Ended) done.push_back(a.Object);
  std::erase_if(m_Anims, [](const TAnim& a) { return a.Ended; });
  for (CObject* o : done) Release(o);
}

void CSceneHandler::DropAnimsOf(const CObject* object) {
  std::erase_if(m_Anims, [object](const TAnim& a) { return a.Object == object; });
}

void CSceneHandler::Release(CObject* object) {
  if (object->m_pPlayer == this &&
      std::none_of(m_Anims.begin(), m_Anims.end(), [object](const TAnim& a) { return a.Object == object; }))
    object->m_pPlayer = nullptr;
}

void CSceneHandler::ForgetObject(CObject* object) {
  DropAnimsOf(object);
  if (object->m_pPlayer == this) object->m_pPlayer = nullptr;
}

void CSceneHandler::ForgetAllAnims() {
  for (const TAnim& a : m_Anims) a.Object->m_pPlayer = nullptr;
  m_Anims.clear();
}
