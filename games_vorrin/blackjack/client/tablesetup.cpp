// The table's set-up when the framework initialises the game, and its tear-down. A set-up that
// fails part way takes down what it made, so that nothing (timer, window, control, sample) is
// left for the framework's exit to miss.
#include <memory>
#include <new>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "client/setupfault.h"
#include "common/info/translate.h"
#include "common/options/options.h"
#include "common/options/optionsdlg.h"
#include "common/widgets/arrow.h"
#include "common/widgets/chipstack.h"
#include "common/widgets/panel.h"
#include "fennic/move.h"
#include "fennic/object.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "spothighlight.h"
#include "tablevisit.h"

namespace {
constexpr int32_t kActionDialog = 138;
constexpr int32_t kSecondDialog = 200;
constexpr int32_t kTimeoutBar = 132;
constexpr int32_t kActionButtons[] = {155, 156, 157, 158};  // hit, stand, split, double
constexpr int32_t kParkedY = 600;                             // just below the screen
constexpr uint32_t kSampleGoodbye = 42;
// The framework's option that the table switches on unless the player chose.
constexpr int32_t kTableOption = 421000;
constexpr uint32_t kStaticFlags = CNTRL_TRANSPARENT | CNTRL_BMTRANS;
enum : int32_t {
  kStrMinSuffix = 10201,
  kStrMaxSuffix = 10202,
  kStrMinPrefix = 10205,
  kStrMaxPrefix = 10206,
  kStrNoMoney = 10207,
  kStrCardFaces = 10310,
  kStrCardBack = 10311,
  kStrSpotLight = 10312,
  kStrCurrency = 10800,
};
constexpr int32_t kFaceRows = 4, kFaceColumns = 13, kRanks = 13;

CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }

template <class T>
T* Make() {
  return new (std::nothrow) T;
}

// The loading goes on only while a remote table's link stands: a link whose server stopped
// answering fails its read here, and the rest of the set-up would load for nothing.
bool RemoteLinkStands(const CBlackJackClientTable& table) {
  CCommRemoteClient* link = table.GetCommObj();
  if (!link || LinkStillStands(*link)) return true;
  xKavoSetupFault("the link to the table's server was lost");
  return false;
}

template <size_t N>
void FreeBitmaps(CBitmap* (&bitmaps)[N]) {
  for (CBitmap*& b : bitmaps) {
    if (b) b->Free();
    delete b;
    b = nullptr;
  }
}
}  // namespace

int32_t CBlackJackClientTable::InitClientGame() {
  if (SetUpTable()) return 1;
  TearDownTable();
  return 0;
}

int32_t CBlackJackClientTable::SetUpTable() {
  // 1.
  m_InsuranceOffered = m_InsuranceRoundDone = 0;
  m_ActionSent = 0;
  m_StartSeatAsked = 0;
  m_PendingAction = KAVO_ACTION_PENDING_NONE;
  m_SoundOn = m_pMusic ? 1 : 0;
  m_ViewIndex = KAVO_VIEW_DEFAULT;
  if (!m_pPanel) {
    xKavoSetupFault("the framework made no panel");
    return 0;
  }
  // 2, 3.
  if (!CreateTableObjects() || !LoadMainScriptAndDialogs() || !ReadLayoutKeys() || !LoadSounds() ||
      !LoadSmallChips() || !RemoteLinkStands(*this))
    return 0;
  // 4 to 9.
  if (!SetUpChipStack() || !SetUpPanel() || !SetUpOptionsAndTexts() || !RemoteLinkStands(*this)) return 0;
  ParkDialogs();
  m_BetLimitCheck.SetTexts(MainString(kStrMinPrefix), MainString(kStrMinSuffix), MainString(kStrMaxPrefix),
                           MainString(kStrMaxSuffix), MainString(kStrNoMoney));
  // 10 to 13.
  if (!CreateChipStatics() || !LoadSpotLight() || !SetUpCardTable() || !RemoteLinkStands(*this)) return 0;
  // 14.
  if (!CreatePlayerRecords()) {
    xKavoSetupFault("out of memory for the hand records");
    return 0;
  }
  if (!BuildMoveTable()) {
    xKavoSetupFault("no card object to build the moves on");
    return 0;
  }
  // 15.
  const int32_t start = GetStartSlotPos();
  if (start >= 0 && start < KAVO_VIEWS) m_ViewIndex = start;
  if (!SetCameraView(m_ViewIndex)) {
    xKavoSetupFault("the view %d could not be set up", m_ViewIndex);
    return 0;
  }
  // 16 to 18.
  if (!CreateShoeAndMoveList()) return 0;
  BuildClearAreas();
  UpdatePlayerIcons();
  m_pPanelHandler = m_pControlCallback;
  m_TableInfoRequest = 0;
  if (!AddTimer(KAVO_TIMER_MS)) {
    xKavoSetupFault("the table's timer could not be added");
    return 0;
  }
  xHandler();
  return 1;
}

int32_t CBlackJackClientTable::CreateTableObjects() {
  for (CBitmap*& b : m_pChipBitmaps)
    if (!b && !(b = Make<CBitmap>())) break;
  for (CBitmap*& b : m_pSeatBitmaps)
    if (!b && !(b = Make<CBitmap>())) break;
  if (!m_pChipDrawBitmap) m_pChipDrawBitmap = Make<CBitmap>();
  if (!m_pSpotHighlight && (m_pSpotHighlight = Make<CSpotHighlight>())) m_pSpotHighlight->Init();
  if (!m_pArrow) m_pArrow = Make<CArrow>();
  bool made = m_pChipDrawBitmap && m_pSpotHighlight && m_pArrow && m_pChipBitmaps[KAVO_NUM_SEATS * KAVO_CHIP_SPOTS - 1] &&
              m_pSeatBitmaps[KAVO_NUM_SEATS - 1];
  if (!made) xKavoSetupFault("out of memory for the table's pictures");
  return made ? 1 : 0;
}

int32_t CBlackJackClientTable::SetUpChipStack() {
  m_pSamples->Enable(0);
  if (!m_pChipStack) m_pChipStack = Make<CChipStack>();
  if (!m_pChipStack || !m_pChipStack->Init()) {
    xKavoSetupFault("the chip stack could not be made");
    return 0;
  }
  m_pChipStack->SetChipBitmap(m_pSmallChips[0]);
  m_pChipStack->SetDimension(m_Layout.ChipXSize, m_Layout.ChipYSize);
  m_pChipStack->SetAnimation(0);
  return 1;
}

int32_t CBlackJackClientTable::SetUpPanel() {
  // The panel makes the second and the action dialog from the main script.
  CLList dialogs;
  dialogs.InsertLast(reinterpret_cast<void*>(intptr_t{kSecondDialog}));
  dialogs.InsertLast(m_pSecondDialog);
  dialogs.InsertLast(reinterpret_cast<void*>(intptr_t{kActionDialog}));
  dialogs.InsertLast(m_pActionDialog);
  if (!m_pPanel->Init(&m_MainScript, this, m_Layout.PanelAnimFrames, m_pControlCallback, &dialogs)) {
    xKavoSetupFault("the panel could not be built from the main script %s", GetMainScriptName());
    return 0;
  }
  return 1;
}

int32_t CBlackJackClientTable::SetUpOptionsAndTexts() {
  COptionsDlg* optionsDlg = m_pPanel->GetOptionsDlg();
  COptions* options = optionsDlg ? optionsDlg->GetOptions() : nullptr;
  const int32_t added = options ? options->SetDefaultBool(kTableOption, 1, OPTSCOPE_SECTION) : 0;
  OptionsChanged();
  if (added) optionsDlg->Reset();
  if (m_pMusic) m_pMusic->Stop();
  m_pSamples->Enable(0);
  m_pCurrency.reset(Make<CTranslate>());
  if (!m_pCurrency) {
    xKavoSetupFault("out of memory for the currency text");
    return 0;
  }
  m_pCurrency->SetCurrency(MainString(kStrCurrency));
  if (!ClientInitScroll()) {
    xKavoSetupFault("the panel has no scrolling message line");
    return 0;
  }
  return 1;
}

void CBlackJackClientTable::ParkDialogs() {
  auto park = [](CDialog* dialog, int32_t& homeY) {
    int32_t x = 0;
    if (!dialog || !dialog->GetPos(x, homeY)) return;
    dialog->SetPos(x, kParkedY);
  };
  park(m_pActionDialog, m_ActionDialogHomeY);
  park(m_pSecondDialog, m_SecondDialogHomeY);
  park(m_pPanel->GetDialog(PANEL_SECTION_CHIPS), m_PanelWindowHomeY);
  for (int32_t button : kActionButtons) DisableBtn(m_pActionDialog, button);
}

int32_t CBlackJackClientTable::CreateChipStatics() {
  auto make = [](CStatic*& s, CBitmap* picture) {
    if (!s) s = Make<CStatic>();
    if (!s || !s->Create("", 0, 0, 0, 0, kStaticFlags)) return false;
    s->SetFlag(CNTRL_HASBITMAP);
    s->SetBitmap(picture, picture, picture, picture);
    return true;
  };
  bool made = true;
  for (int32_t i = 0; made && i < KAVO_NUM_SEATS * KAVO_CHIP_SPOTS; ++i) made = make(m_pChipStatics[i], m_pChipBitmaps[i]);
  for (int32_t i = 0; made && i < KAVO_NUM_SEATS; ++i) made = make(m_pSeatStatics[i], m_pSeatBitmaps[i]);
  if (!made) xKavoSetupFault("out of memory for the chip controls");
  return made ? 1 : 0;
}

int32_t CBlackJackClientTable::LoadSpotLight() {
  const char* light = MainString(kStrSpotLight);
  if (!light) {
    xKavoSetupFault("the main script %s lacks the string %d", GetMainScriptName(), kStrSpotLight);
    return 0;
  }
  if (!m_pSpotHighlight->LoadLight(light)) {
    xKavoSetupFault("could not load the picture %s", light);
    return 0;
  }
  return 1;
}

int32_t CBlackJackClientTable::SetUpCardTable() {
  if (!m_CardTable.SetCameraFOV(m_Layout.HFov, m_Layout.VFov)) {
    xKavoSetupFault("the main script %s has fields of view HFOV %g, VFOV %g the camera refuses", GetMainScriptName(),
                    m_Layout.HFov, m_Layout.VFov);
    return 0;
  }
  if (!m_CardTable.Init(m_Layout.NumPockets, kFaceRows, kFaceColumns, kRanks)) {
    xKavoSetupFault("the card table could not be made with %d pockets", m_Layout.NumPockets);
    return 0;
  }
  const char* faces = MainString(kStrCardFaces);
  const char* back = MainString(kStrCardBack);
  if (!faces || !back) {
    xKavoSetupFault("the main script %s lacks the string %d", GetMainScriptName(), faces ? kStrCardBack : kStrCardFaces);
    return 0;
  }
  const double* light = m_Layout.LightPos;
  if (!m_CardTable.SetTextureNames(faces, back) || !m_CardTable.SetCardSize(m_Layout.CardWidth, m_Layout.CardHeight) ||
      !m_CardTable.SetCardDimension(m_Layout.CardX, m_Layout.CardY) || !m_CardTable.LoadTextures()) {
    xKavoSetupFault("could not load the card pictures %s and %s", faces, back);
    return 0;
  }
  m_CardTable.GetLight()->SetPosition(light[0], light[1], light[2], light[3]);
  return 1;
}

int32_t CBlackJackClientTable::CreateShoeAndMoveList() {
  delete m_pShoeCard;
  m_pShoeCard = m_CardTable.GetCardObj(-1, 0, 0.0, 0.0, 1.0, 1.0);
  if (!m_pMoveList) m_pMoveList.reset(Make<C3DMoveList>());
  if (!m_pShoeCard || !m_pMoveList) {
    xKavoSetupFault("out of memory for the shoe's card");
    return 0;
  }
  m_pMoveList->Init(1, 1);
  m_pTimeoutBar = dynamic_cast<CProgress*>(m_MainDialog.GetCtrl(kTimeoutBar));
  return 1;
}

void CBlackJackClientTable::BuildClearAreas() {
  m_ClearAreas.clear();
  for (int32_t a = 0; a < m_Layout.NumClearAreas && 4 * (a + 1) <= static_cast<int32_t>(m_ClearCoords.size()); ++a) {
    CRect area;
    area.SetXYWH(m_ClearCoords[4 * a], m_ClearCoords[4 * a + 1], m_ClearCoords[4 * a + 2], m_ClearCoords[4 * a + 3]);
    m_ClearAreas.push_back(area);
  }
  FreeClearCoords();
}

void CBlackJackClientTable::FreeClearCoords() { std::vector<int32_t>().swap(m_ClearCoords); }

// ---- tear-down ----

int32_t CBlackJackClientTable::ExitClientGame() {
  if (!m_Greyed) {
    if (CScreenBase* screen = Screen()) screen->SetScreenToPersistentGrey();
    xHandler();
  }
  if (m_pMusic) m_pMusic->Stop();
  if (m_pSamples) m_pSamples->Play(kSampleGoodbye, 0, 1);
  return TearDownTable();
}

int32_t CBlackJackClientTable::TearDownTable() {
  RemoveAllTimers();
  m_TableInfoRequest = 0;
  CloseTableInfoPopup();
  if (m_pTableInfoPopup) {
    m_pTableInfoPopup->Destroy();
    delete m_pTableInfoPopup;
    m_pTableInfoPopup = nullptr;
  }
  FreeMoveTable();
  m_pMoveList.reset();
  delete m_pChipDrawBitmap;
  m_pChipDrawBitmap = nullptr;
  m_CardTable.Exit();
  DeletePlayerIcons();
  delete m_pPlayerIconBitmap;
  m_pPlayerIconBitmap = nullptr;
  delete m_pShoeCard;
  m_pShoeCard = nullptr;
  FreeBitmaps(m_pChipBitmaps);
  FreeBitmaps(m_pSeatBitmaps);
  FreeClearCoords();
  m_ClearAreas.clear();
  if (m_pChipStack) m_pChipStack->Exit();
  SetChipStack(nullptr);
  FreePlayerRecords();
  if (m_pArrow) m_pArrow->Exit();
  delete m_pArrow;
  m_pArrow = nullptr;
  if (m_pSpotHighlight) m_pSpotHighlight->Free();
  delete m_pSpotHighlight;
  m_pSpotHighlight = nullptr;
  int32_t result = FreeTablePictures();
  result &= FreeMainScriptAndDialogs();
  ClientExitScroll();
  if (m_pPanel) m_pPanel->Exit();
  m_ValidDoubleSums.clear();
  // The samples go with the table; a new set-up loads them again.
  m_pSamples = std::make_unique<CSampleContainer>();
  m_pCurrency.reset();
  m_pPanelHandler = nullptr;
  return result;
}
