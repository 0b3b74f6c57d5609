#include "casino/connection/unpackprogress.h"

#include <new>

#include "casino/mainclient/controltext.h"
#include "casino/mainclient/progressbar.h"
#include "casino/startup/clientresources.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/system/frameloop.h"

UnpackProgressWindow::~UnpackProgressWindow() { Close(); }

void UnpackProgressWindow::Close() {
  delete m_pDialog;
  m_pDialog = nullptr;
  m_Open = 0;
}

int32_t UnpackProgressWindow::Open(int32_t count, CMilesSample* clickSound) {
  Close();
  m_pClick = clickSound;
  m_Steps = 0;
  m_pDialog = new (std::nothrow) CDialog;
  if (!m_pDialog || !m_pDialog->Create(GetMainResources(), UNPACKWINDOW_DIALOG, Callback, 0, this) ||
      !xProgressBar(m_pDialog, UNPACKWINDOW_BAR) || !m_pDialog->GetCtrl(UNPACKWINDOW_TEXT)) {
    Close();
    return 0;
  }
  xProgressBar(m_pDialog, UNPACKWINDOW_BAR)->SetRange(0, count);
  m_pDialog->SetValue(UNPACKWINDOW_BAR, 0);
  m_Open = 1;
  return 1;
}

int32_t UnpackProgressWindow::Step(const char* text) {
  if (!m_Open) return 0;
  m_pDialog->SetValue(UNPACKWINDOW_BAR, ++m_Steps);
  if (text) xSetControlText(m_pDialog, UNPACKWINDOW_TEXT, text);
  xHandler();
  return m_Open;
}

void UnpackProgressWindow::Callback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  auto* self = static_cast<UnpackProgressWindow*>(user);
  if (!self || event != GUIMSG_COMMAND || controlId != UNPACKWINDOW_CANCEL) return;
  if (self->m_pClick) self->m_pClick->Start(0, 0);
  self->m_Open = 0;
}
