// Dialog sections come with the resource scripts of the install folder and of downloaded modules.
// Imports the input as a script and builds the dialog of every define it names, with the window
// manager present, then looks its controls up and destroys it.
#include <cstdint>

#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
bool MakeGlobals() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  return xCreateGlobals() == 1;
}

void Ignore(int32_t, int32_t, int32_t, int32_t, void*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = MakeGlobals();
  if (!ready || size > (1u << 18)) return 0;
  CResData res;
  if (!res.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) return 0;
  for (int32_t id = 0; id < 1100; ++id) {
    if (!res.GetResName(id)) continue;
    CDialog dialog;
    if (dialog.Create(&res, id, Ignore, id & 1, nullptr)) {
      for (int32_t more = dialog.First(); more; more = dialog.Next()) {
        TGuiCtrl* record = dialog.GetGuiCtrl(-1);
        dialog.GetCtrl(record->m_Id);
        dialog.SetValue(record->m_Id, 50);
        dialog.GetTextBuffer(record->m_Id, 0);
      }
    }
    dialog.Destroy();
  }
  return 0;
}
