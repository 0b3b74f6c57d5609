// Scripted moves of an object and the lists that play them back to back.
#pragma once

#include <cstdint>
#include <vector>

#include "fennic/object.h"

// The value of one axis at frame f of n (t = f / n): exactly start at f = 0 and exactly end at
// f = n; in between the straight path plus the shaping (a, b), in the axis's own units:
//   start + (end - start) t + a t (1 - t)^2 + b t^2 (1 - t).
// Shaping (S, S) is the arc S t (1 - t), above the straight path for S > 0. n <= 0 gives end.
double xMoveValue(double start, double a, double end, double b, int32_t frame, int32_t frames);

// One move of an object over a number of frames; each axis it sets runs from its start to its
// end, the axes it does not set stay as they are.
class C3DMove {
 public:
  // frames below 0 are refused (0); a move of 0 frames reaches its end in one step.
  int32_t Init(CObject* object, int32_t frames);
  // start, shaping, end, shaping; non-finite values are refused (0) and leave the axis as it was.
  int32_t SetX(double start, double a, double end, double b) { return SetAxis(POSE_X, start, a, end, b); }
  int32_t SetY(double start, double a, double end, double b) { return SetAxis(POSE_Y, start, a, end, b); }
  int32_t SetZ(double start, double a, double end, double b) { return SetAxis(POSE_Z, start, a, end, b); }
  int32_t SetRotX(double start, double a, double end, double b) { return SetAxis(POSE_RX, start, a, end, b); }
  int32_t SetRotY(double start, double a, double end, double b) { return SetAxis(POSE_RY, start, a, end, b); }
  int32_t SetRotZ(double start, double a, double end, double b) { return SetAxis(POSE_RZ, start, a, end, b); }
  int32_t SetAxis(int32_t axis, double start, double a, double end, double b);

  CObject* GetObject() const { return m_pObject; }
  int32_t GetFrames() const { return m_Frames; }
  // The Handler calls the move takes: its frames, and one for a move of 0 frames.
  int32_t GetSteps() const { return m_Frames > 0 ? m_Frames : 1; }
  bool HasAxis(int32_t axis) const { return m_Axes[axis].Set; }
  // Writes the axes this move sets, at frame (0 .. steps), into pose.
  void Apply(int32_t frame, double (&pose)[POSE_AXES]) const;

 private:
  struct TAxis {
    bool Set = false;
    double Start = 0, A = 0, End = 0, B = 0;
  };
  CObject* m_pObject = nullptr;
  int32_t m_Frames = 0;
  TAxis m_Axes[POSE_AXES];
};

// Moves in the order added, with a cursor. The list points to its moves; it owns none.
class C3DMoveList {
 public:
  // The two values are kept; any values are accepted.
  int32_t Init(int32_t a, int32_t b);
  // Appends; 0 for a null move.
  int32_t AddMove(C3DMove* move);
  // The cursor onto the first move; 0 when the list is empty.
  int32_t First();
  int32_t Next();
  int32_t Exists() const { return m_Cursor < m_Moves.size(); }
  C3DMove* Get() const { return Exists() ? m_Moves[m_Cursor] : nullptr; }
  // Removes the move under the cursor (not deleting it); the cursor then stands on the one that
  // followed. 0 without a cursor.
  int32_t Delete();
  int32_t GetNumMoves() const { return static_cast<int32_t>(m_Moves.size()); }
  C3DMove* GetMove(int32_t k) const {
    return k >= 0 && k < GetNumMoves() ? m_Moves[static_cast<size_t>(k)] : nullptr;
  }

 private:
  std::vector<C3DMove*> m_Moves;
  size_t m_Cursor = 0;
  int32_t m_InitA = 0, m_InitB = 0;
};
