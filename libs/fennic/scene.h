// The scene: one camera, one light, and the move lists playing on objects.
#pragma once

#include <cstdint>
#include <vector>

#include "fennic/camera.h"
#include "fennic/move.h"

// The scene points to the objects that move and copies each list's moves when it starts playing
// them: lists, moves and objects stay their makers', and a list may be changed or deleted while
// it plays. An object deleted while it moves leaves the scene.
class CSceneHandler {
 public:
  CSceneHandler() = default;
  virtual ~CSceneHandler();
  CSceneHandler(const CSceneHandler&) = delete;
  CSceneHandler& operator=(const CSceneHandler&) = delete;

  CCamera* GetActiveCamera() { return &m_Camera; }
  CLight* GetLight() { return &m_Light; }
  // The camera's fields of view in degrees, used from the next projection on; 0 (nothing
  // changed) unless both lie above 0 and below 180.
  int32_t SetCameraFOV(double hfov, double vfov) { return m_Camera.SetFOV(hfov, vfov); }
  // The point in half pixels of the 800 x 600 view, rounded to the nearest. 0, leaving sx and sy
  // as they were, for a point on or behind the camera plane, not finite, or beyond 32 bits.
  int32_t ProjectPoint2Screen(double x, double y, double z, int32_t& sx, int32_t& sy) const;

  // Plays the list on the object, one frame per Handler call of the table: at once the object
  // takes the first move's start, and after as many calls as the moves have steps it stands at
  // the list's end. A list of no moves ends at once, as DrawLastFrame. A null object takes the
  // first move's object. An object plays one list at a time: a new one replaces the old. 0 for a
  // null list or when there is no object.
  int32_t StartAnim(C3DMoveList* list, CObject* object);
  // Puts the object at the list's end at once (ending a list that played on it). 0 as StartAnim.
  int32_t DrawLastFrame(C3DMoveList* list, CObject* object);
  // The number of lists still playing.
  int32_t IsAnyPolyAnim() const;
  // Forgets the lists that have ended.
  void RemoveAllPolygons();
  // Whether a list still plays on the object (it is in flight).
  bool IsMoving(const CObject* object) const;
  // The number of lists known, playing or ended and not yet removed.
  int32_t GetNumAnims() const { return static_cast<int32_t>(m_Anims.size()); }

  // The object is going away: every list on it is forgotten.
  void ForgetObject(CObject* object);

 protected:
  // One list playing on one object.
  struct TAnim {
    CObject* Object = nullptr;
    std::vector<C3DMove> Moves;  // copies, taken at the start
    size_t Move = 0;             // the move playing
    int32_t Frame = 0;           // its frame, 0 .. steps
    bool Ended = false;
  };

  // Every playing list one frame on; the lists that reach their end are marked ended.
  void AdvanceAnims();
  // Every list forgotten, the objects told so.
  void ForgetAllAnims();
  // A list was started on an object standing where it rests (the scene may have to take its
  // picture away), a list reached its end, a list's end was put in place at once.
  virtual void OnAnimStarted(CObject*) {}
  virtual void OnAnimEnded(CObject*) {}
  virtual void OnLastFrame(CObject*) {}
  // The end of the list over the object's pose (axes no move sets stay as they are).
  static bool EndPose(const std::vector<C3DMove>& moves, const CObject& object, double (&pose)[POSE_AXES]);
  static std::vector<C3DMove> CopyMoves(const C3DMoveList& list);

  std::vector<TAnim> m_Anims;

 private:
  // The lists on the object forgotten without telling it.
  void DropAnimsOf(const CObject* object);
  // The object forgets the scene when no list is left on it.
  void Release(CObject* object);
  static void ApplyFrame(const TAnim& anim);

  CCamera m_Camera;
  CLight m_Light;
};
