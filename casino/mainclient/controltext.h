// Texts the client writes into dialog controls. A control only borrows the text it is given, so
// the client hands it a copy of its own: the caller's buffer may go at once.
#pragma once

#include <cstdint>

class CDialog;
class CControlBase;

// 1 when the control exists and took the copy (null counts as empty); 0 otherwise.
int32_t xSetControlText(CControlBase* control, const char* text);
int32_t xSetControlText(CDialog* dialog, int32_t controlId, const char* text);
