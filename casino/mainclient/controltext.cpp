#include "casino/mainclient/controltext.h"

#include <cstring>

#include "ostrel/controls/controlbase.h"
#include "ostrel/dialogs/dialog.h"

int32_t xSetControlText(CControlBase* control, const char* text) {
  if (!control) return 0;
  if (!text) text = "";
  const size_t length = strlen(text);
  // A buffer the control owns already and that fits is written in place; else a new one.
  char* buffer = control->IsBufferOwned() && static_cast<size_t>(control->GetTextBufferSize()) > length
                     ? control->GetUnHashedBuffer(0)
                     : control->AllocBuffer(static_cast<int32_t>(length + 1));
  if (!buffer) return 0;
  std::memcpy(buffer, text, length + 1);
  control->FormatText();
  control->Validate();
  return 1;
}

int32_t xSetControlText(CDialog* dialog, int32_t controlId, const char* text) {
  return dialog ? xSetControlText(dialog->GetCtrl(controlId), text) : 0;
}
