// Resource scripts come from the install folder and from downloaded modules. Loads the input as
// a whole script file (plain or scrambled) with the window manager present, then reads back
// what the sections made.
#include <cstdint>

#include "ostrel/resources/resdata.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
bool MakeGlobals() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  return xCreateGlobals() == 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = MakeGlobals();
  if (!ready || size > (1u << 20)) return 0;
  CResData res;
  if (!res.LoadImage(data, static_cast<uint32_t>(size))) return 0;
  for (int32_t id = -2; id < 400; ++id) {
    res.GetResName(id);
    res.GetResString(id);
    res.GetResValue(id);
  }
  TRGBA c;
  for (const char* name : {"Panel", "black", "Colors", "Button"}) {
    for (int32_t i = -1; i < 9; ++i) res.GetCol(name, &c, i);
    res.GetCntrlColorByName(name);
  }
  if (res.EnterDataChunk()) {
    for (int32_t more = res.FirstItem(); more; more = res.NextItem(0)) {
      uint32_t flags = 0;
      int16_t key = 0;
      for (int32_t n = 0; n < res.GetNumStrings() && n < 8; ++n) {
        res.GetResFlags(n, &flags);
        res.GetHotkey(n, &key);
        res.GetColor(n, &c, 0);
        res.GetCntrlColor(n);
        res.GetBitmap(n, nullptr, nullptr);
      }
    }
  }
  return 0;
}
