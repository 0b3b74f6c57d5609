#include "casino/connection/messagewindow.h"

#include <new>

#include "casino/mainclient/controltext.h"
#include "casino/startup/clientresources.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/sysservices.h"

MessageWindow::MessageWindow(CMilesSample* clickSound) : m_pClick(clickSound) {}

MessageWindow::~MessageWindow() { Close(); }

void MessageWindow::Close() {
  delete m_pDialog;
  m_pDialog = nullptr;
  m_Open = 0;
}

int32_t MessageWindow::MakeDialog(int32_t dialogId) {
  Close();
  m_pDialog = new (std::nothrow) CDialog;
  if (!m_pDialog) return 0;
  CResData* res = GetMainResources();
  if (m_pDialog->Create(res, dialogId, Callback, 0, this) ||
      (dialogId != MESSAGEWINDOW_PLAIN && m_pDialog->Create(res, MESSAGEWINDOW_PLAIN, Callback, 0, this)))
    return 1;
  Close();
  return 0;
}

int32_t MessageWindow::Show(const char* text, int32_t dialogId) {
  if (!MakeDialog(dialogId)) return 0;
  m_Open = 1;
  if (!text) return 0;
  xSetControlText(m_pDialog, MESSAGEWINDOW_TEXT, text);
  int32_t acknowledged = 1;
  while (m_Open) {
    // A program asked to quit takes the window down unanswered.
    if (xHandler() != 0 || xDoUserWantToQuit()) {
      acknowledged = 0;
      break;
    }
  }
  m_pDialog->HideWindow();
  Close();
  xHandler();
  xHandler();
  return acknowledged;
}

void MessageWindow::Callback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  auto* self = static_cast<MessageWindow*>(user);
  if (!self || event != GUIMSG_COMMAND || (controlId != MESSAGEWINDOW_OK && controlId != XCNTRL_CLOSE)) return;
  if (self->m_pClick) self->m_pClick->Start(0, 0);
  self->m_Open = 0;
}
