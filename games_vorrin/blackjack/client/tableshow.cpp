// Showing and greying the table as the framework asks, and the table-info popup that the table's
// timer opens and closes for the table-info button.
#include <new>

#include "client/clienttable.h"
#include "common/widgets/arrow.h"
#include "common/widgets/panel.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kScreenWidth = 800, kScreenHeight = 600;
constexpr int32_t kStrTableActive = 10200;
constexpr int32_t kTableInfoDialog = 300;
constexpr int32_t kTableInfoPicture = 302;
constexpr const char* kPopupPictures[] = {"tableInfoPopup1Bm", "tableInfoPopup2Bm", "tableInfoPopup3Bm"};
constexpr int32_t kRequestShow = 1, kRequestHide = 2;

CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }
}  // namespace

int32_t CBlackJackClientTable::SetRoundActive(int32_t on) {
  CScreenBase* screen = Screen();
  if (on) {
    if (m_pSamples) m_pSamples->Enable(0);
    if (CBitmap* picture = GetTablePicture(); screen && picture) {
      screen->DrawBitmapPersistent(picture, 0, 0, 0, 0, kScreenWidth, kScreenHeight, 0, 0);
      screen->CachePersistentBitmap();
    }
    xHandler();
    if (m_pPanel) m_pPanel->Show();
    m_MainDialog.ShowWindow();
    if (CDialog* panelWindow = m_pPanel ? m_pPanel->GetDialog(PANEL_SECTION_CHIPS) : nullptr) {
      int32_t x = 0, y = 0;
      panelWindow->GetPos(x, y);
      m_pPanel->MoveWindow(panelWindow, x, m_PanelWindowHomeY, m_Layout.PanelAnimFrames);
    }
    m_Greyed = 0;
    if (!GetRestoreMode())
      if (const char* welcome = MainString(kStrTableActive)) GetScrollHandler().AddMessage(welcome);
    return 1;
  }
  if (screen) screen->SetScreenToPersistentGrey();
  xHandler();
  if (m_pPanel) m_pPanel->Hide();
  m_MainDialog.HideWindow();
  m_Greyed = 1;
  return 1;
}

void CBlackJackClientTable::TimerHandler(uint32_t) {
  // The arrow lives on the screen layer, which every frame gives back to the felt: it is drawn
  // again each frame (it draws nothing while stopped).
  if (m_pArrow) m_pArrow->Handler();
  SeatlessBetClick();
  const int32_t request = m_TableInfoRequest;
  m_TableInfoRequest = 0;
  if (request == kRequestShow) ShowTableInfoPopup();
  else if (request == kRequestHide) CloseTableInfoPopup();
}

int32_t CBlackJackClientTable::ShowTableInfoPopup() {
  // A popup still open is replaced, not lost.
  if (m_pTableInfoPopup) {
    m_pTableInfoPopup->Destroy();
    delete m_pTableInfoPopup;
  }
  m_pTableInfoPopup = new (std::nothrow) CDialog;
  if (!m_pTableInfoPopup || !m_pTableInfoPopup->Create(&m_MainScript, kTableInfoDialog, m_pControlCallback, 0, this)) {
    delete m_pTableInfoPopup;
    m_pTableInfoPopup = nullptr;
    return 0;
  }
  const int32_t view = m_ViewIndex >= 0 && m_ViewIndex < KAVO_VIEWS ? m_ViewIndex : KAVO_VIEW_DEFAULT;
  m_pTableInfoPopup->SetPos(m_Layout.TableInfoPopup[2 * view], m_Layout.TableInfoPopup[2 * view + 1]);
  if (m_BetSign < 0 || m_BetSign > 2) return 1;
  CBitmap* picture = m_MainScript.GetBm(kPopupPictures[m_BetSign], nullptr, nullptr);
  CControlBase* control = m_pTableInfoPopup->GetCtrl(kTableInfoPicture);
  if (!picture || !control) return 1;
  control->SetFlag(CNTRL_HASBITMAP);
  control->SetBitmap(picture, picture, picture, picture);
  m_pTableInfoPopup->Validate();
  return 1;
}
