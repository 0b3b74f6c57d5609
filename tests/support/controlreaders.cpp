#include "support/controlreaders.h"

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/globals.h"

namespace {
CProgress* Bar(int32_t section, int32_t control) {
  CDialog* dialog = ShownSection(section);
  TGuiCtrl* record = dialog ? dialog->GetGuiCtrl(control) : nullptr;
  return record && record->m_Type == GUICTRL_PROGRESS ? static_cast<CProgress*>(record->m_pCntrl) : nullptr;
}
}  // namespace

CDialog* ShownSection(int32_t section) {
  CWinCtrl* windows = glb ? glb->m_pWinCtrl : nullptr;
  for (int32_t n = 0; windows && n < windows->NumWindows(); ++n) {
    CWindowBase* window = windows->GetWindowAt(n);
    if (window && window->GetID() == section && !window->IsHidden()) return dynamic_cast<CDialog*>(window);
  }
  return nullptr;
}

bool IsSectionShown(int32_t section) { return ShownSection(section) != nullptr; }

std::vector<int32_t> ShownSections() {
  std::vector<int32_t> ids;
  CWinCtrl* windows = glb ? glb->m_pWinCtrl : nullptr;
  for (int32_t n = 0; windows && n < windows->NumWindows(); ++n) {
    CWindowBase* window = windows->GetWindowAt(n);
    if (window && !window->IsHidden()) ids.push_back(window->GetID());
  }
  return ids;
}

CControlBase* SectionControl(int32_t section, int32_t control) {
  CDialog* dialog = ShownSection(section);
  return dialog ? dialog->GetCtrl(control) : nullptr;
}

std::string ControlText(int32_t section, int32_t control) {
  CControlBase* c = SectionControl(section, control);
  const char* text = c ? c->GetUnHashedBuffer(0) : nullptr;
  return text ? text : "";
}

int32_t ControlState(int32_t section, int32_t control) {
  CControlBase* c = SectionControl(section, control);
  return c ? c->GetState() : -1;
}

int32_t BarValue(int32_t section, int32_t control) {
  CProgress* bar = Bar(section, control);
  return bar ? bar->GetValue() : -1;
}

bool BarRange(int32_t section, int32_t control, int32_t& first, int32_t& second) {
  CProgress* bar = Bar(section, control);
  if (bar) bar->GetRange(first, second);
  return bar != nullptr;
}

bool ControlCentre(int32_t section, int32_t control, int32_t& x, int32_t& y) {
  CControlBase* c = SectionControl(section, control);
  if (!c) return false;
  const CRect r = c->ScreenRect();
  x = (r.left + r.right) / 2;
  y = (r.top + r.bottom) / 2;
  // The windowed screen centres its picture in a window larger than it.
  if (auto* screen = dynamic_cast<CDibScreen*>(glb ? glb->m_pCurrentScreen : nullptr)) {
    x += screen->GetOffsetX();
    y += screen->GetOffsetY();
  }
  return true;
}
