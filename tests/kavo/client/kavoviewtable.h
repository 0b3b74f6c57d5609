// A blackjack client table standing as far as its views, deals and clearing need: the authored
// main script loaded from the install folder, its layout keys read into the table, the table
// dialog and the insurance windows, the chip controls, the spot highlight and the arrow, the card
// table with its textures, the seat records and the deal table. The keys are read here by name,
// so the tests compare the table against the script and not against itself.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../kavotest.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/arrow.h"
#include "common/widgets/forfundlg.h"
#include "fennic/fennic.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "spothighlight.h"

class CViewTable : public CBlackJackClientTable {
 public:
  ~CViewTable() override {
    FreeMoveTable();
    m_MainDialog.Destroy();
    for (CDialog*& d : m_pInsuranceDlg) {
      if (d) d->Destroy();
      delete d;
      d = nullptr;
    }
    if (m_pArrow) m_pArrow->Exit();
    if (m_pSpotHighlight) m_pSpotHighlight->Free();
    m_CardTable.Exit();
  }
  int32_t Exit() override { return 1; }

  // 1 when everything stood up; the failing step is reported.
  void Stand(CResData& keys) {
    ASSERT_EQ(m_MainScript.Load(KAVO_SCRIPT_MAIN), 1);
    ReadLayout(keys);
    ASSERT_EQ(m_MainDialog.Create(&m_MainScript, 110, MainDialogCallback, 0, this), 1);
    for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) {
      m_pInsuranceDlg[s] = new CDialog;
      ASSERT_EQ(m_pInsuranceDlg[s]->Create(&m_MainScript, 203 + s, MainDialogCallback, 0, this), 1);
      m_pInsuranceDlg[s]->HideWindow();
    }
    for (CStatic*& chip : m_pChipStatics) {
      chip = new CStatic;
      ASSERT_EQ(chip->Create("", 0, 0, 0, 0, 0x102), 1);
    }
    m_pSpotHighlight = new CSpotHighlight;
    m_pSpotHighlight->Init();
    m_pSpotHighlight->SetSpotCoords(m_SpotCoords.data());
    ASSERT_EQ(m_pSpotHighlight->LoadLight(MainString(10312)), 1);
    m_pArrow = new CArrow;
    ASSERT_EQ(m_CardTable.Init(m_Layout.NumPockets, 4, 13, 13), 1);
    ASSERT_EQ(m_CardTable.SetTextureNames(MainString(10310), MainString(10311)), 1);
    ASSERT_EQ(m_CardTable.SetCardSize(m_Layout.CardWidth, m_Layout.CardHeight), 1);
    ASSERT_EQ(m_CardTable.SetCardDimension(m_Layout.CardX, m_Layout.CardY), 1);
    ASSERT_EQ(m_CardTable.LoadTextures(), 1);
    const double* light = m_Layout.LightPos;
    ASSERT_EQ(m_CardTable.GetLight()->SetPosition(light[0], light[1], light[2], light[3]), 1);
    ASSERT_EQ(m_CardTable.SetCameraFOV(m_Layout.HFov, m_Layout.VFov), 1);
    ASSERT_EQ(CreatePlayerRecords(), 1);
    ASSERT_EQ(BuildMoveTable(), 1);
    for (int32_t i = 0; i < m_Layout.NumClearAreas; ++i) {
      CRect area;
      area.SetXYWH(m_ClearCoords[4 * i], m_ClearCoords[4 * i + 1], m_ClearCoords[4 * i + 2], m_ClearCoords[4 * i + 3]);
      m_ClearAreas.push_back(area);
    }
  }

  CDialog& MainDialog() { return m_MainDialog; }
  CDialog* InsuranceWindow(int32_t seat) { return m_pInsuranceDlg[seat]; }
  CStatic* ChipControl(int32_t seat, int32_t spot) { return m_pChipStatics[seat * KAVO_CHIP_SPOTS + spot]; }
  CArrow* Arrow() { return m_pArrow; }
  CSpotHighlight* Highlight() { return m_pSpotHighlight; }
  SKavoLayout& Layout() { return m_Layout; }
  const std::vector<CRect>& ClearAreas() const { return m_ClearAreas; }
  void SetPopup(CDialog* popup) { m_pTableInfoPopup = popup; }
  // The practice-money dialog of the framework (owned by the test) and the table's money kind.
  void SetPracticeDialog(CForFunDlg* dialog) { m_pForFun = dialog; }
  void SetRealMoney(int32_t on) { m_RealMoney = on; }
  CDialog* Popup() const { return m_pTableInfoPopup; }
  int32_t AnimationNumber() const { return m_Animation; }
  void SetAnimationNumber(int32_t n) { m_Animation = n; }
  // The pose where the last card of the clearing went.
  const CObject* LastClearedCard() const { return m_ClearClones.empty() ? nullptr : m_ClearClones.back().get(); }
  int32_t ClearedCards() const { return static_cast<int32_t>(m_ClearClones.size()); }

 private:
  template <class T>
  static void Fill(CResData& r, const char* key, T* into, size_t n) {
    int32_t count = 0;
    if (!r.FindItem(key)) {
      ADD_FAILURE() << "no " << key;
      return;
    }
    std::vector<double> v(1);
    if (r.GetDataType(0) == 3) {
      r.GetNumArrayItems(0, &count);
      v.resize(static_cast<size_t>(count));
      r.GetDoubleArray(0, v.data(), count);
    } else {
      r.GetDouble(0, &v[0]);
    }
    ASSERT_GE(v.size(), n) << key;
    for (size_t i = 0; i < n; ++i) into[i] = static_cast<T>(v[i]);
  }
  void ReadLayout(CResData& r) {
    SKavoLayout& l = m_Layout;
    Fill(r, "PracticeDlgPosXY", l.PracticeDlgPosXY, 10);
    Fill(r, "TableInfoBtn", l.TableInfoBtn, 20);
    Fill(r, "TableInfoPopup", l.TableInfoPopup, 10);
    Fill(r, "MAXCARDSINPOCKET", &l.MaxCardsInPocket, 1);
    Fill(r, "NUMPOCKETS", &l.NumPockets, 1);
    Fill(r, "TABLEY", &l.TableY, 1);
    Fill(r, "CARDWIDTH", &l.CardWidth, 1);
    Fill(r, "CARDHEIGHT", &l.CardHeight, 1);
    Fill(r, "CARDX", &l.CardX, 1);
    Fill(r, "CARDY", &l.CardY, 1);
    Fill(r, "CARDROTANGLE", &l.CardRotAngle, 1);
    const char* const house[] = {"CARDHOUSEX", "CARDHOUSEY", "CARDHOUSEZ", "CARDHOUSEROTX", "CARDHOUSEROTY", "CARDHOUSEROTZ"};
    const char* const org[] = {"DEALORGX", "DEALORGY", "DEALORGZ", "DEALORGROTX", "DEALORGROTY", "DEALORGROTZ"};
    const char* const discard[] = {"DISCARDXPOS", "DISCARDYPOS", "DISCARDZPOS", "DISCARDROTX", "DISCARDROTY", "DISCARDROTZ"};
    for (int32_t a = 0; a < 6; ++a) {
      Fill(r, house[a], &l.CardHouse[a], 1);
      Fill(r, org[a], &l.DealOrg[a], 1);
      Fill(r, discard[a], &l.Discard[a], 1);
    }
    Fill(r, "DECKPOS", l.DeckPos, 32);
    Fill(r, "DECKROTZ", l.DeckRotZ, 16);
    Fill(r, "DECKOFFSET", l.DeckOffset, 32);
    Fill(r, "DECKSPEED", l.DeckSpeed, 6);
    Fill(r, "CLEARSPEEDSMALL", &l.ClearSpeedSmall, 1);
    Fill(r, "CLEARSPEEDBIG", &l.ClearSpeedBig, 1);
    Fill(r, "TABLEYSTRENGTH", &l.TableYStrength, 1);
    Fill(r, "SPLITSPEED", &l.SplitSpeed, 1);
    Fill(r, "DECK5TURNSPEED", &l.Deck5TurnSpeed, 1);
    Fill(r, "SCANSPEED", &l.ScanSpeed, 1);
    for (int32_t v = 0; v < KAVO_VIEWS; ++v) {
      const std::string n = std::to_string(v);
      for (int32_t a = 0; a < 3; ++a) {
        Fill(r, (std::string("CAMERA") + "XYZ"[a] + n).c_str(), &l.Camera[v][a], 1);
        Fill(r, (std::string("CAMERAROT") + "XYZ"[a] + n).c_str(), &l.CameraRot[v][a], 1);
      }
    }
    Fill(r, "LIGHTPOS", l.LightPos, 4);
    Fill(r, "SCANXOFFSET", &l.ScanXOffset, 1);
    Fill(r, "SCANYOFFSET", &l.ScanYOffset, 1);
    Fill(r, "SCANXROT", &l.ScanXRot, 1);
    Fill(r, "HFOV", &l.HFov, 1);
    Fill(r, "VFOV", &l.VFov, 1);
    Fill(r, "CHIP3DCOORDS", l.Chip3DCoords, 90);
    Fill(r, "HANDOUT3DCOORDS", l.Handout3DCoords, 30);
    Fill(r, "NUM_CLEARAREAS", &l.NumClearAreas, 1);
    m_ClearCoords.assign(static_cast<size_t>(4 * l.NumClearAreas), 0);
    Fill(r, "CLEAR_COORDS", m_ClearCoords.data(), m_ClearCoords.size());
    Fill(r, "CHIPXSIZE", &l.ChipXSize, 1);
    Fill(r, "CHIPYSIZE", &l.ChipYSize, 1);
    Fill(r, "INSURANCECOORDS", l.InsuranceCoords, 20);
    Fill(r, "ARROWCOORDS", l.ArrowCoords, 60);
    Fill(r, "ARROWROT", l.ArrowRot, 45);
    Fill(r, "ARROWXSIZE", &l.ArrowXSize, 1);
    Fill(r, "ARROWYSIZE", &l.ArrowYSize, 1);
    Fill(r, "SHADOWOFFSET", &l.ShadowOffset, 1);
    m_SpotCoords.assign(SPOT_COORDS, 0);
    Fill(r, "SPOTCOORDS", m_SpotCoords.data(), m_SpotCoords.size());
    Fill(r, "PLAYERICON_COORDS", l.PlayerIconCoords, 50);
    Fill(r, "THINKBUBBLE_COORDS", l.ThinkBubbleCoords, 50);
    Fill(r, "TAG_OFFSET", l.TagOffset, 2);
    Fill(r, "NAMETAG_OFFSET", l.NameTagOffset, 2);
    Fill(r, "CASHTAG_OFFSET", l.CashTagOffset, 2);
    // As the set-up reads them: the tag offset added to the name and cash offsets.
    for (int32_t i = 0; i < 2; ++i) {
      l.NameTagOffset[i] += l.TagOffset[i];
      l.CashTagOffset[i] += l.TagOffset[i];
    }
    Fill(r, "CARDVALUE_COORDS", l.CardValueCoords, 160);
    Fill(r, "INSURANCEWINDOWS_COORDS", l.InsuranceWindowsCoords, 50);
    Fill(r, "TIMEOUTMETER_POS", l.TimeoutMeterPos, 10);
  }

  std::vector<int32_t> m_ClearCoords, m_SpotCoords;
};

// The regular table standing on the headless screen, with the script's keys at hand.
class CKavoViews : public CKavoTest {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    ASSERT_EQ(S()->SetPersistentMode(1), 1);
    ASSERT_EQ(m_Keys.Load(KAVO_SCRIPT_MAIN), 1);
    ASSERT_EQ(m_Keys.EnterDataChunk(), 1);
    m_Table = std::make_unique<CViewTable>();
    m_Table->Stand(m_Keys);
  }
  void TearDown() override {
    m_Table.reset();
    m_Keys.Free();
    CKavoTest::TearDown();
  }
  static CScreenBase* S() { return glb->m_pCurrentScreen; }
  double Key(const std::string& name) { return Double(m_Keys, name.c_str()); }
  std::vector<double> Keys(const char* name) {
    int32_t n = 0;
    return Values(m_Keys, name, &n);
  }
  // The persistent layer's pixel and a picture's, as 0x00RRGGBB.
  static uint32_t Pixel(const CBitmap& b, int32_t x, int32_t y) {
    const uint8_t* p = b.m_pData + static_cast<int64_t>(y) * b.m_Pitch + 3 * x;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
  }
  static uint32_t PersistentPixel(int32_t x, int32_t y) { return Pixel(*S()->GetPersistentBitmap(), x, y); }
  // Pixels of the rectangle where the persistent layer is not the table picture.
  int32_t PixelsOffPicture(const CRect& r) {
    const CBitmap* picture = m_Table->GetTablePicture();
    int32_t off = 0;
    for (int32_t y = std::max(r.top, 0); y <= std::min(r.bottom, 599); ++y)
      for (int32_t x = std::max(r.left, 0); x <= std::min(r.right, 799); ++x) off += PersistentPixel(x, y) != Pixel(*picture, x, y);
    return off;
  }

  CResData m_Keys;
  std::unique_ptr<CViewTable> m_Table;
};
