#include "common/widgets/dlgmove.h"

#include "ostrel/dialogs/dialog.h"

CDlgMove::~CDlgMove() { Exit(); }

CDlgMove::SMove* CDlgMove::Find(const CDialog* dialog) const {
  for (CNode* n = m_Moves.HeadNode(); n; n = n->m_pNext) {
    auto* move = static_cast<SMove*>(n->m_pData);
    if (move->m_pDialog == dialog) return move;
  }
  return nullptr;
}

void CDlgMove::Drop(SMove* move) {
  m_Moves.DeleteItem(move);
  delete move;
}

void CDlgMove::StopWhenIdle() {
  if (!m_Moves.GetNumNodes()) RemoveTimer(DLGMOVE_PERIOD);
}

int32_t CDlgMove::MoveWindow(CDialog* dialog, int32_t x, int32_t y, int32_t frames) {
  if (!dialog) return 0;
  // The timer runs on through a replaced move, so the new one keeps the beat of the old.
  if (SMove* running = Find(dialog)) Drop(running);
  int32_t fromX = 0, fromY = 0;
  dialog->GetPos(fromX, fromY);
  if (fromX == x && fromY == y) {
    StopWhenIdle();
    return 0;
  }
  // No step count below one: a zero would divide by zero and never land.
  const double steps = frames > 1 ? frames : 1;
  auto* move = new SMove{dialog, (double(x) - fromX) / steps, (double(y) - fromY) / steps, double(fromX),
                         double(fromY), x, y};
  if (!m_Moves.InsertLast(move)) {
    delete move;
    StopWhenIdle();
    return 0;
  }
  if (m_Moves.GetNumNodes() == 1) AddTimer(DLGMOVE_PERIOD);
  return 1;
}

void CDlgMove::Exit() {
  for (CNode* n = m_Moves.HeadNode(); n; n = n->m_pNext) delete static_cast<SMove*>(n->m_pData);
  m_Moves.KillAll();
  RemoveAllTimers();
}

bool CDlgMove::Arrived(double next, double step, int32_t target) {
  if (step > 0) return next >= target;
  if (step < 0) return next <= target;
  return false;
}

void CDlgMove::TimerHandler(uint32_t period) {
  if (period != DLGMOVE_PERIOD) return;
  for (CNode* n = m_Moves.HeadNode(); n;) {
    auto* move = static_cast<SMove*>(n->m_pData);
    n = n->m_pNext;
    const double nextX = move->m_X + move->m_StepX;
    const double nextY = move->m_Y + move->m_StepY;
    if (Arrived(nextX, move->m_StepX, move->m_TargetX) || Arrived(nextY, move->m_StepY, move->m_TargetY)) {
      move->m_pDialog->SetPos(move->m_TargetX, move->m_TargetY);
      Drop(move);
      StopWhenIdle();
      continue;
    }
    move->m_X = nextX;
    move->m_Y = nextY;
    move->m_pDialog->SetPos(static_cast<int32_t>(nextX), static_cast<int32_t>(nextY));
  }
}
