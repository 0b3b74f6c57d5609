// The blackjack table's main script comes with the module from the download server: each input is
// a main script, loaded with its dialogs and read for its layout keys as the table's set-up does,
// then freed. A layout the reader accepts must hold together as the table's code relies on it.
#include <cstdint>
#include <cstdio>
#include <string>

#include "client/clienttable.h"
#include "client/layoutkeys.h"
#include "fuzzfolder.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"

namespace {
constexpr const char* kScript = "main.xrs";

class CFuzzTable : public CBlackJackClientTable {
 public:
  const char* GetMainScriptName() override { return kScript; }
  // The set-up's two script steps, then what frees them.
  void Read() {
    LoadMainScriptAndDialogs();
    ReadLayoutKeys();
    CheckLayout();
    FreeMainScriptAndDialogs();
  }

 private:
  void CheckLayout() {
    if (!m_MainScript.EnterDataChunk()) return;
    SKavoLayoutRead read;
    std::string fault;
    if (xReadKavoLayout(m_MainScript, read, fault)) {
      const SKavoLayout& l = read.Layout;
      FuzzCheck(l.MaxCardsInPocket == KAVO_MAX_CARDS_IN_POCKET && l.NumPockets == KAVO_HAND_POSITIONS);
      FuzzCheck(l.CardWidth > 0 && l.CardHeight > 0 && l.CardX > 0 && l.CardY > 0 && l.ChipXSize > 0 &&
                l.ChipYSize > 0 && l.PanelAnimFrames > 0);
      FuzzCheck(l.NumClearAreas >= 0 && 4 * static_cast<size_t>(l.NumClearAreas) <= read.ClearCoords.size());
    } else {
      FuzzCheck(!fault.empty());
    }
    m_MainScript.ExitDataChunk();
  }
};

bool MakeWorld() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  if (xCreateGlobals() != 1 || xCommStartup(glb, sglb) != 1) return false;
  FuzzEnterTempFolder("/tmp/fuzz_kavo_main_script_XXXXXX");
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = MakeWorld();
  static CFuzzTable table;
  if (!ready || size > (1u << 18)) return 0;
  FILE* file = std::fopen(kScript, "wb");
  FuzzCheck(file != nullptr);
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  table.Read();
  return 0;
}
