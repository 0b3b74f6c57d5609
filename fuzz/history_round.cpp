// A round's data from the server carries "WinHistoryArray": whatever the record holds, the client
// keeps its five entries, takes at most five, changes nothing when it refuses the item, and
// draws only symbols it has.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/widgets/historyled.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrelcomm/commnode.h"
#include "widgetfuzz.h"

namespace {
constexpr char kLights[] =
    "{ = Bitmaps\n    Lamps = lamps.bmp, 0, 0, -1, -1\n}\n"
    "{ = Data\n    { = HistoryLed\n        Layout = 1\n        SymbolsBitmap = Lamps\n        StaticId = 501\n"
    "        NumHistory = 5\n        NumSymbolPositions = 2\n        NumSymbols = 4\n        NumPlayerPositions = 1\n"
    "        SymbolSpaces = {2, 3}\n"
    "        { = SymbolPositions\n            A = {0, 0, 26, 0}\n            B = {26, 0, 13, 0}\n"
    "            C = {39, 0, 39, 0}\n            D = {26, 0, -1, 0}\n        }\n"
    "        { = SymbolSizes\n            A = {10, 12}\n            B = {10, 12}\n            C = {10, 12}\n"
    "            D = {10, 12}\n        }\n"
    "        { = PlayerPositions\n            Seat = {110, 40}\n        }\n    }\n}\n";

struct SClient {
  CResData m_Table, m_Lights;
  CDialog m_Dialog;
  CBitmap m_Felt;
  CClientHistoryLed m_Led;
  bool m_Ok = false;
  SClient() {
    m_Ok = m_Table.Import(widgetfuzz::kTableScript) == 1 && m_Lights.Import(kLights) == 1 &&
           m_Dialog.Create(&m_Table, 500, nullptr, 0, nullptr) == 1 &&
           m_Felt.CreateRGB(240, 180, 24, 8, 8, 8, 16, 8, 0, 0) == 1 &&
           m_Led.Create(&m_Dialog, &m_Lights, &m_Felt) == 1;
  }
};

std::vector<uint32_t> Entries(const CHistoryLed& led) {
  std::vector<uint32_t> out;
  for (uint32_t i = 0; i < led.GetNumHistory(); ++i) out.push_back(led.GetEntry(i));
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!widgetfuzz::Ready() || size > (1u << 16)) return 0;
  widgetfuzz::CInFolder inFolder;
  if (!inFolder.Ok()) abort();
  static SClient client;
  if (!client.m_Ok) abort();
  static CCommNode node;
  node.m_RecvKCBL.Free();
  if (!node.m_RecvKCBL.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) return 0;
  node.m_RecvKCBL.MainChunk();
  node.m_RecvKCBL.FirstItem();
  const std::vector<uint32_t> before = Entries(client.m_Led);
  const int32_t read = client.m_Led.ProcessIncomingData(&node);
  if (client.m_Led.GetNumHistory() != 5 || (!read && Entries(client.m_Led) != before)) abort();
  client.m_Led.ShowHistory();
  return 0;
}
