// A game's resource script names the history lights' keys and the animation items; scripts come
// with downloaded modules. Imports the input as a script and builds the history lights and the
// animations "A", "B" and "C" from it on a table dialog, then runs and draws them.
#include <cstdint>
#include <cstdlib>

#include "common/widgets/animationcontrol.h"
#include "common/widgets/historyled.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrelcomm/commnode.h"
#include "widgetfuzz.h"

namespace {
struct STable {
  CResData m_Res;
  CDialog m_Dialog;
  CBitmap m_Felt;
  bool m_Ok = false;
  STable() {
    m_Ok = m_Res.Import(widgetfuzz::kTableScript) == 1 && m_Dialog.Create(&m_Res, 500, nullptr, 0, nullptr) == 1 &&
           m_Felt.CreateRGB(240, 180, 24, 8, 8, 8, 16, 8, 0, 0) == 1;
  }
};

void Ignore(void*, CAnimationControl*, ANIMSTATE) {}

void History(STable& table, CResData& res) {
  CClientHistoryLed led;
  if (!led.Create(&table.m_Dialog, &res, &table.m_Felt)) {
    if (led.IsCreated() || led.GetNumHistory() != 0 || led.GetDrawing()) abort();
    return;
  }
  CCommNode node;
  node.m_RecvKCBL.Import("WinHistoryArray = {0, 1, 2, 3, 4, 5, 4294967295}\n", -1);
  led.ProcessIncomingData(&node);
  led.ShowHistory();
  for (uint32_t p = 0; p < 4; ++p) led.SetShowPosition(p, &table.m_Felt);
  led.ShowHistory();
}

void Animations(STable& table, CResData& res) {
  const int32_t controls = table.m_Dialog.NumGuiCtrls();
  for (const char* name : {"A", "B", "C"}) {
    CAnimationControl anim;
    if (!anim.Create(&res, name, &table.m_Dialog, name[0] & 1, Ignore, nullptr)) continue;
    if (anim.GetNumFrames() <= 0 || table.m_Dialog.NumGuiCtrls() != controls + 1) abort();
    for (ANIMSTYLE style : {ANIMSTYLE_LOOP, ANIMSTYLE_FORWARDBACK, ANIMSTYLE_BACKWARD, ANIMSTYLE_PINGPONG}) {
      anim.Start(style, 1, 1);
      anim.StopAtFrame(3);
      for (int32_t tick = 0; tick < 12; ++tick) {
        anim.TimerHandler(anim.GetFrameDelay());
        if (anim.GetCurrentFrameNr() < 0 || anim.GetCurrentFrameNr() >= anim.GetNumFrames()) abort();
      }
    }
    anim.StopAndShowFrame(2);
    anim.Destroy();
    if (table.m_Dialog.NumGuiCtrls() != controls) abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!widgetfuzz::Ready() || size > (1u << 16)) return 0;
  widgetfuzz::CInFolder inFolder;
  if (!inFolder.Ok()) abort();
  static STable table;
  if (!table.m_Ok) return 0;
  CResData res;
  if (!res.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) return 0;
  History(table, res);
  Animations(table, res);
  return 0;
}
