// The table seen from one seat: the camera, the view's table picture and spot map, where every
// seat control stands, the projected chip places and the seat arrows.
#include "client/clienttable.h"

#include "common/widgets/arrow.h"
#include "common/widgets/forfundlg.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "spothighlight.h"

namespace {
enum : int32_t {
  KAVOSTR_TABLE_PICTURE = 10300,  // + 2 v
  KAVOSTR_SPOT_MAP = 10301,       // + 2 v
  KAVOSTR_ARROW_TEXTURE = 10313,
};
enum : int32_t {
  KAVOCTRL_ICON = 140,
  KAVOCTRL_BUBBLE = 145,
  KAVOCTRL_TAG = 180,
  KAVOCTRL_SIT = 122,
  KAVOCTRL_NAME = 127,
  KAVOCTRL_CASH = 175,
  KAVOCTRL_TIMEOUT = 132,
  KAVOCTRL_DEALER_VALUE = 164,
  KAVOCTRL_TABLEINFO = 301,
};
// The hand-value texts in the order of "CARDVALUE_COORDS": each seat's hand, first and second
// split hand, then the dealer.
constexpr int32_t kValueTexts[KAVO_HAND_POSITIONS] = {159, 165, 170, 160, 166, 171, 161, 167,
                                                      172, 162, 168, 173, 163, 169, 174, 164};
constexpr int32_t kArrows = 3 * KAVO_NUM_SEATS;

CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }

void Place(CControlBase* control, int32_t x, int32_t y) {
  if (control) control->SetPos(x, y);
}
}  // namespace

void CBlackJackClientTable::FreeViewPictures() {
  // Nothing keeps drawing from the pictures that go.
  m_CardTable.SetPersistent(nullptr);
  if (m_pSpotHighlight) m_pSpotHighlight->Build(m_ViewIndex, nullptr);
  FreeTablePictures();
}

int32_t CBlackJackClientTable::SetCameraView(int32_t view) {
  if (view < 0 || view >= KAVO_VIEWS) return 0;
  // A view without its pictures would draw nothing and click nowhere: the old view stays.
  const char* pictureName = MainString(KAVOSTR_TABLE_PICTURE + 2 * view);
  const char* mapName = MainString(KAVOSTR_SPOT_MAP + 2 * view);
  auto picture = std::make_unique<CBitmap>();
  auto map = std::make_unique<CBitmap>();
  if (!pictureName || !mapName || !picture->Load(pictureName, 0) || !map->Load(mapName, 0)) return 0;
  FreeViewPictures();
  m_pTablePicture = picture.release();
  m_pSpotMap = map.release();
  m_ViewIndex = view;

  CCamera* camera = m_CardTable.GetActiveCamera();
  camera->SetPosition(m_Layout.Camera[view][0], m_Layout.Camera[view][1], m_Layout.Camera[view][2]);
  camera->SetRotate(m_Layout.CameraRot[view][0], m_Layout.CameraRot[view][1], m_Layout.CameraRot[view][2]);
  const int32_t* practice = &m_Layout.PracticeDlgPosXY[2 * view];
  if (!IsRealMoney() && m_pForFun && practice[0] != -1 && practice[1] != -1) m_pForFun->SetPos(practice[0], practice[1]);

  PlaceSeatControls(view);
  if (m_pSpotHighlight) m_pSpotHighlight->Build(view, m_pTablePicture);
  if (!InitArrows()) return 0;
  ProjectSpots();

  if (CScreenBase* screen = Screen()) {
    screen->MakeScreenFormat(m_pTablePicture, 0);
    if (screen->SetPersistent(1) && screen->SetPersistentMode(1)) {
      screen->DrawBitmapPersistent(m_pTablePicture, 0, 0, 0, 0, 800, 600, BLT_MODE_COPY, 0);
      screen->CachePersistentBitmap();
    }
  }
  PlaceChipControls();

  m_CardTable.SetPersistent(m_pTablePicture);
  RedrawAllHands(nullptr);
  UpdatePlayerIcons();
  UpdateChipStacks(-1, 0);
  if (CControlBase* info = m_MainDialog.GetCtrl(KAVOCTRL_TABLEINFO)) {
    const int32_t* box = &m_Layout.TableInfoBtn[4 * view];
    info->SetPos(box[0], box[1]);
    info->SetSize(box[2], box[3]);
  }
  CloseTableInfoPopup();
  return 1;
}

void CBlackJackClientTable::PlaceSeatControls(int32_t view) {
  const SKavoLayout& l = m_Layout;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const int32_t at = 2 * (view * KAVO_NUM_SEATS + seat);
    const int32_t x = l.PlayerIconCoords[at], y = l.PlayerIconCoords[at + 1];
    Place(m_MainDialog.GetCtrl(KAVOCTRL_ICON + seat), x, y);
    Place(m_MainDialog.GetCtrl(KAVOCTRL_BUBBLE + seat), l.ThinkBubbleCoords[at], l.ThinkBubbleCoords[at + 1]);
    Place(m_MainDialog.GetCtrl(KAVOCTRL_TAG + seat), x + l.TagOffset[0], y + l.TagOffset[1]);
    Place(m_MainDialog.GetCtrl(KAVOCTRL_SIT + seat), x + l.TagOffset[0], y + l.TagOffset[1]);
    Place(m_MainDialog.GetCtrl(KAVOCTRL_NAME + seat), x + l.NameTagOffset[0], y + l.NameTagOffset[1]);
    Place(m_MainDialog.GetCtrl(KAVOCTRL_CASH + seat), x + l.CashTagOffset[0], y + l.CashTagOffset[1]);
  }
  for (int32_t i = 0; i < KAVO_HAND_POSITIONS; ++i) {
    const int32_t at = 2 * (view * KAVO_HAND_POSITIONS + i);
    Place(m_MainDialog.GetCtrl(kValueTexts[i]), l.CardValueCoords[at], l.CardValueCoords[at + 1]);
  }
  Place(m_MainDialog.GetCtrl(KAVOCTRL_TIMEOUT), l.TimeoutMeterPos[2 * view], l.TimeoutMeterPos[2 * view + 1]);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const int32_t at = 2 * (view * KAVO_NUM_SEATS + seat);
    if (m_pInsuranceDlg[seat]) m_pInsuranceDlg[seat]->SetPos(l.InsuranceWindowsCoords[at], l.InsuranceWindowsCoords[at + 1]);
  }
  if (CControlBase* dealer = m_MainDialog.GetCtrl(KAVOCTRL_DEALER_VALUE))
    dealer->GetPos(m_DealerValuePos[0], m_DealerValuePos[1]);
}

int32_t CBlackJackClientTable::InitArrows() {
  if (!m_pArrow) return 1;
  // Initialised again on every switch: its texture and triangle go first.
  m_pArrow->Exit();
  const char* texture = MainString(KAVOSTR_ARROW_TEXTURE);
  if (!texture || !m_pArrow->Init(texture, m_CardTable.GetActiveCamera(), m_CardTable.GetLight(), m_Layout.ArrowXSize,
                                   m_Layout.ArrowYSize))
    return 0;
  // Two points an arrow, (x, z) each, on the felt raised by the shadow's offset.
  double x[2 * kArrows], y[2 * kArrows], z[2 * kArrows], rx[kArrows], ry[kArrows], rz[kArrows];
  for (int32_t i = 0; i < 2 * kArrows; ++i) {
    x[i] = m_Layout.ArrowCoords[2 * i];
    z[i] = m_Layout.ArrowCoords[2 * i + 1];
    y[i] = m_Layout.TableY + m_Layout.ShadowOffset;
  }
  for (int32_t i = 0; i < kArrows; ++i) {
    rx[i] = m_Layout.ArrowRot[3 * i];
    ry[i] = m_Layout.ArrowRot[3 * i + 1];
    rz[i] = m_Layout.ArrowRot[3 * i + 2];
  }
  return m_pArrow->CreateArrows(kArrows, x, y, z, rx, ry, rz);
}

void CBlackJackClientTable::ProjectSpots() {
  const SKavoLayout& l = m_Layout;
  auto project = [&](const double* xz, int32_t& px, int32_t& py) {
    int32_t sx = 0, sy = 0;
    m_CardTable.ProjectPoint2Screen(xz[0], l.TableY, xz[1], sx, sy);
    px = sx / 2;
    py = sy / 2;
  };
  int32_t x = 0, y = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    for (int32_t k = 0; k < KAVO_CHIP_SPOTS; ++k) {
      project(&l.Chip3DCoords[2 * (seat * KAVO_CHIP_SPOTS + k)], x, y);
      SetChipSpot(seat, k, x, y);
    }
    for (int32_t k = 0; k < KAVO_HANDOUT_SPOTS; ++k) {
      project(&l.Handout3DCoords[2 * (seat * KAVO_HANDOUT_SPOTS + k)], x, y);
      m_HandoutSpots[seat][k][0] = x;
      m_HandoutSpots[seat][k][1] = y;
    }
    for (int32_t k = 0; k < KAVO_INSURANCE_SPOTS; ++k) {
      project(&l.InsuranceCoords[2 * (seat * KAVO_INSURANCE_SPOTS + k)], x, y);
      SetInsuranceSpot(seat, k, x, y);
    }
    project(&l.SideBetChip3DCoords[2 * seat], m_SideBetSpots[seat][0], m_SideBetSpots[seat][1]);
    project(&l.SideBetHandout3DCoords[2 * seat], m_SideBetHandouts[seat][0], m_SideBetHandouts[seat][1]);
  }
}

bool CBlackJackClientTable::GetHandoutSpot(int32_t seat, int32_t spot, int32_t& x, int32_t& y) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_HANDOUT_SPOTS) return false;
  x = m_HandoutSpots[seat][spot][0];
  y = m_HandoutSpots[seat][spot][1];
  return true;
}

void CBlackJackClientTable::PlaceChipControls() {
  // As the stacks stand: the bottom chip centred on the spot.
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    for (int32_t k = 0; k < KAVO_CHIP_SPOTS; ++k) {
      CControlBase* control = m_pChipStatics[seat * KAVO_CHIP_SPOTS + k];
      if (!control) continue;
      int32_t w = 0, h = 0;
      control->GetSize(w, h);
      control->SetPos(m_ChipSpots[seat][k][0] - m_Layout.ChipXSize / 2, m_ChipSpots[seat][k][1] + m_Layout.ChipYSize / 2 - h);
      m_MainDialog.RemoveCntrl(control);
      m_MainDialog.AddCntrl(control, ADDCNTRL_LAST);
    }
}
