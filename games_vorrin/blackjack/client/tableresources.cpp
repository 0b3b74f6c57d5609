// The table's resources: the main script with its dialogs, the layout keys, the sounds, the small
// chips, and the freeing of each.
#include <new>
#include <string>
#include <type_traits>

#include "client/clienttable.h"
#include "client/layoutkeys.h"
#include "client/setupfault.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/sound/samplecontainer.h"
#include "spothighlight.h"

namespace {
constexpr int32_t kMainDialog = 110;
constexpr int32_t kFirstInsuranceDialog = 203;
constexpr int32_t kFirstSampleString = 10000;
constexpr int32_t kSamplesWithMusic = 41;  // 0-40 only when the caller plays music
constexpr int32_t kSamplesAlways[] = {41, 42};
constexpr int32_t kPlayerIconsString = 10400;
constexpr const char* kSmallChipNames[] = {"smallChipBm1", "smallChipBm2", "smallChipBm3", "smallChipBm4",
                                           "smallChipBm5"};

// A picture held by a plain or an owning pointer.
template <class P>
void FreePicture(P& picture) {
  if constexpr (std::is_pointer_v<P>) delete picture;
  picture = nullptr;
}

template <size_t N>
void DeleteStatics(CStatic* (&statics)[N]) {
  for (CStatic*& s : statics) {
    delete s;
    s = nullptr;
  }
}

template <class T>
void DestroyDialog(T*& dialog) {
  if (dialog) dialog->Destroy();
  delete dialog;
  dialog = nullptr;
}
}  // namespace

int32_t CBlackJackClientTable::LoadMainScriptAndDialogs() {
  const char* name = GetMainScriptName();
  if (!m_MainScript.Load(name)) {
    xKavoSetupFault("could not load the main script %s", name);
    return 0;
  }
  if (!m_MainDialog.Create(&m_MainScript, kMainDialog, m_pControlCallback, 0, this)) {
    xKavoSetupFault("the main script %s lacks the dialog section %d", name, kMainDialog);
    return 0;
  }
  // The panel builds these two from the script.
  if (!m_pActionDialog) m_pActionDialog = new (std::nothrow) CDialog;
  if (!m_pSecondDialog) m_pSecondDialog = new (std::nothrow) CDialog;
  if (!m_pActionDialog || !m_pSecondDialog) {
    xKavoSetupFault("out of memory for the dialogs");
    return 0;
  }
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CDialog*& window = m_pInsuranceDlg[seat];
    if (!window) window = new (std::nothrow) CDialog;
    if (!window || !window->Create(&m_MainScript, kFirstInsuranceDialog + seat, m_pControlCallback, 0, this)) {
      xKavoSetupFault("the main script %s lacks the dialog section %d", name, kFirstInsuranceDialog + seat);
      return 0;
    }
    window->HideWindow();
  }
  return 1;
}

int32_t CBlackJackClientTable::FreeMainScriptAndDialogs() {
  // The dialogs go before the script whose fonts and pictures their controls show.
  m_MainDialog.Destroy();
  DestroyDialog(m_pActionDialog);
  DestroyDialog(m_pSecondDialog);
  for (CDialog*& window : m_pInsuranceDlg) DestroyDialog(window);
  DeleteStatics(m_pChipStatics);
  DeleteStatics(m_pSeatStatics);
  m_pTimeoutBar = nullptr;
  for (CBitmap*& chip : m_pSmallChips) chip = nullptr;
  m_MainScript.Free();
  return 1;
}

int32_t CBlackJackClientTable::ReadLayoutKeys() {
  if (!m_MainScript.EnterDataChunk()) {
    xKavoSetupFault("the main script %s lacks its data chunk", GetMainScriptName());
    return 0;
  }
  SKavoLayoutRead read;
  read.ChipSpotsPerSeat = GetNumChipPositions();
  read.HandoutSpotsPerSeat = GetNumHandoutPositions();
  std::string fault;
  const int32_t ok = xReadKavoLayout(m_MainScript, read, fault);
  if (!m_MainScript.ExitDataChunk() && ok) {
    xKavoSetupFault("the main script %s: its data chunk could not be left", GetMainScriptName());
    return 0;
  }
  if (!ok) {
    xKavoSetupFault("the main script %s %s", GetMainScriptName(), fault.c_str());
    return 0;
  }
  // The tags' own offset moves the name and the cash with them.
  for (int32_t i = 0; i < 2; ++i) {
    read.Layout.NameTagOffset[i] += read.Layout.TagOffset[i];
    read.Layout.CashTagOffset[i] += read.Layout.TagOffset[i];
  }
  m_Layout = read.Layout;
  for (int32_t i = 0; i < KAVO_CHIP_KINDS; ++i) m_ChipValues[i] = read.ChipValues[i];
  m_MaxNumHands = read.MaxNumHands;
  m_ClearCoords = std::move(read.ClearCoords);
  if (read.HasMaxRoundsBeforeMsg) SetMaxRoundMsgData(read.MaxRoundsBeforeMsg);
  if (read.HasCashierMsgTime) SetDepositMsgData(read.CashierMsgTime);
  if (m_pSpotHighlight) m_pSpotHighlight->SetSpotCoords(read.SpotCoords);
  return LoadPlayerIcons();
}

int32_t CBlackJackClientTable::LoadPlayerIcons() {
  const char* file = MainString(kPlayerIconsString);
  if (!file) {
    xKavoSetupFault("the main script %s lacks the string %d", GetMainScriptName(), kPlayerIconsString);
    return 0;
  }
  delete m_pPlayerIconBitmap;
  m_pPlayerIconBitmap = new (std::nothrow) CBitmap;
  if (!m_pPlayerIconBitmap || !m_pPlayerIconBitmap->Load(file, 0)) {
    xKavoSetupFault("could not load the picture %s", file);
    return 0;
  }
  const SKavoLayout& l = m_Layout;
  if (!CreatePlayerIcons(m_pPlayerIconBitmap, l.PlayerIconsWidth, l.PlayerIconsHeight, l.PlayerIconsMale,
                         l.PlayerIconsFemale, l.PlayerIconsOther, 1, l.ShowOtherUsersCash)) {
    xKavoSetupFault("the seat icons could not be made from %s", file);
    return 0;
  }
  return 1;
}

int32_t CBlackJackClientTable::LoadSounds() {
  if (!m_pSamples) return 1;
  if (m_SoundOn)
    for (int32_t i = 0; i < kSamplesWithMusic; ++i)
      m_pSamples->Load(static_cast<uint32_t>(i), MainString(kFirstSampleString + i));
  for (int32_t i : kSamplesAlways)
    if (const char* file = MainString(kFirstSampleString + i)) m_pSamples->Load(static_cast<uint32_t>(i), file);
  return 1;
}

int32_t CBlackJackClientTable::LoadSmallChips() {
  for (int32_t i = 0; i < KAVO_SMALL_CHIPS; ++i) {
    m_pSmallChips[i] = m_MainScript.GetBm(kSmallChipNames[i], nullptr, nullptr);
    if (!m_pSmallChips[i]) {
      xKavoSetupFault("the main script %s lacks the picture %s", GetMainScriptName(), kSmallChipNames[i]);
      return 0;
    }
  }
  return 1;
}

int32_t CBlackJackClientTable::FreeTablePictures() {
  FreePicture(m_pTablePicture);
  FreePicture(m_pSpotMap);
  return 1;
}
