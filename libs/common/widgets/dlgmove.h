// Slides dialogs (the panel's sub-panels, the lobby's windows) from where they stand to a new
// place in a number of 20 ms steps, several at once.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"
#include "ostrel/system/timers.h"

class CDialog;

inline constexpr uint32_t DLGMOVE_PERIOD = 20;

class CDlgMove : public CTimer {
 public:
  CDlgMove() = default;
  ~CDlgMove() override;

  // Replaces a running move of the dialog (which then stays where it is now). 0 when the dialog
  // already stands at (x, y); else 1, and the move runs over frames steps (at least one). The
  // dialog is not owned: its owner ends its moves (Exit) before destroying it.
  int32_t MoveWindow(CDialog* dialog, int32_t x, int32_t y, int32_t frames);
  // Drops every move and stops the timer.
  void Exit();
  int32_t NumMoves() const { return m_Moves.GetNumNodes(); }

  // One step of every move. A move ends when a coordinate with a non-zero step reaches or passes
  // its target; the dialog then stands exactly on the target.
  void TimerHandler(uint32_t period) override;

 private:
  struct SMove {
    CDialog* m_pDialog;
    double m_StepX, m_StepY;
    double m_X, m_Y;
    int32_t m_TargetX, m_TargetY;
  };

  // The move of the dialog, or null.
  SMove* Find(const CDialog* dialog) const;
  void Drop(SMove* move);
  void StopWhenIdle();
  static bool Arrived(double next, double step, int32_t target);

  CLList m_Moves;  // of SMove, owned
};
