// The progress bars of the client's dialogs.
#pragma once

#include <cstdint>

class CDialog;
class CProgress;

// The dialog's control of that id when it is a progress bar; else null.
CProgress* xProgressBar(CDialog* dialog, int32_t controlId);
