// The table seen from each seat: the camera at the view's keys, every seat control where the
// view's keys put it, the chip places where fennic projects them, the view's picture in the
// persistent layer, and switching back and forth costing nothing.
#include <malloc.h>

#include <filesystem>

#include "kavoviewtable.h"

namespace {

// The controls of the table dialog that the view places, and where: (key, index) of the view.
struct SPlaced {
  int32_t Id, X, Y;
};

class Views : public CKavoViews {
 protected:
  // Where the view's keys put each seat control, read from the script.
  std::vector<SPlaced> Expected(int32_t v) {
    const std::vector<double> icons = Keys("PLAYERICON_COORDS"), bubbles = Keys("THINKBUBBLE_COORDS"),
                              tag = Keys("TAG_OFFSET"), name = Keys("NAMETAG_OFFSET"), cash = Keys("CASHTAG_OFFSET"),
                              values = Keys("CARDVALUE_COORDS"), meter = Keys("TIMEOUTMETER_POS");
    std::vector<SPlaced> out;
    auto at = [](double a, double b) { return static_cast<int32_t>(a + b); };
    for (int32_t s = 0; s < 5; ++s) {
      const double x = icons[static_cast<size_t>((v * 5 + s) * 2)], y = icons[static_cast<size_t>((v * 5 + s) * 2 + 1)];
      out.push_back({140 + s, at(x, 0), at(y, 0)});
      out.push_back({145 + s, at(bubbles[static_cast<size_t>((v * 5 + s) * 2)], 0), at(bubbles[static_cast<size_t>((v * 5 + s) * 2 + 1)], 0)});
      out.push_back({180 + s, at(x, tag[0]), at(y, tag[1])});
      out.push_back({122 + s, at(x, tag[0]), at(y, tag[1])});
      out.push_back({127 + s, at(x, tag[0] + name[0]), at(y, tag[1] + name[1])});
      out.push_back({175 + s, at(x, tag[0] + cash[0]), at(y, tag[1] + cash[1])});
    }
    const int32_t ids[16] = {159, 165, 170, 160, 166, 171, 161, 167, 172, 162, 168, 173, 163, 169, 174, 164};
    for (int32_t i = 0; i < 16; ++i)
      out.push_back({ids[i], at(values[static_cast<size_t>((v * 16 + i) * 2)], 0), at(values[static_cast<size_t>((v * 16 + i) * 2 + 1)], 0)});
    out.push_back({132, at(meter[static_cast<size_t>(2 * v)], 0), at(meter[static_cast<size_t>(2 * v + 1)], 0)});
    return out;
  }
  bool InDialog(CControlBase* control) {
    CWindowBase& d = m_Table->MainDialog();
    for (d.CntrlFirst(); d.CntrlExists(); d.CntrlNext())
      if (d.GetCntrl() == control) return true;
    return false;
  }
  // fennic's own projection of a felt point from the view's keys, halved.
  void Oracle(int32_t v, double x, double z, int32_t* px, int32_t* py) {
    CSceneHandler scene;
    const std::string n = std::to_string(v);
    scene.SetCameraFOV(Key("HFOV"), Key("VFOV"));
    scene.GetActiveCamera()->SetPosition(Key("CAMERAX" + n), Key("CAMERAY" + n), Key("CAMERAZ" + n));
    scene.GetActiveCamera()->SetRotate(Key("CAMERAROTX" + n), Key("CAMERAROTY" + n), Key("CAMERAROTZ" + n));
    int32_t sx = 0, sy = 0;
    ASSERT_EQ(scene.ProjectPoint2Screen(x, Key("TABLEY"), z, sx, sy), 1);
    *px = sx / 2;
    *py = sy / 2;
  }
};

TEST_F(Views, EachViewSetsTheCameraPlacesTheSeatControlsAndProjectsTheChipPlaces) {
  const std::vector<double> chips = Keys("CHIP3DCOORDS"), handout = Keys("HANDOUT3DCOORDS"),
                            insurance = Keys("INSURANCECOORDS"), windows = Keys("INSURANCEWINDOWS_COORDS"),
                            info = Keys("TableInfoBtn");
  for (int32_t v = 0; v < 5; ++v) {
    SCOPED_TRACE("view " + std::to_string(v));
    ASSERT_EQ(m_Table->SetCameraView(v), 1);
    const std::string n = std::to_string(v);
    double pose[6];
    m_Table->GetCardTable().GetActiveCamera()->GetPosition(&pose[0], &pose[1], &pose[2]);
    m_Table->GetCardTable().GetActiveCamera()->GetRotate(&pose[3], &pose[4], &pose[5]);
    const double keys[6] = {Key("CAMERAX" + n), Key("CAMERAY" + n), Key("CAMERAZ" + n),
                            Key("CAMERAROTX" + n), Key("CAMERAROTY" + n), Key("CAMERAROTZ" + n)};
    for (int32_t a = 0; a < 6; ++a) EXPECT_EQ(pose[a], keys[a]) << "axis " << a;

    for (const SPlaced& c : Expected(v)) {
      CControlBase* control = m_Table->MainDialog().GetCtrl(c.Id);
      ASSERT_NE(control, nullptr) << c.Id;
      int32_t x = -1, y = -1;
      control->GetPos(x, y);
      EXPECT_EQ(x, c.X) << "control " << c.Id;
      EXPECT_EQ(y, c.Y) << "control " << c.Id;
    }
    for (int32_t s = 0; s < 5; ++s) {
      int32_t x = -1, y = -1;
      m_Table->InsuranceWindow(s)->GetPos(x, y);
      EXPECT_EQ(x, static_cast<int32_t>(windows[static_cast<size_t>((v * 5 + s) * 2)])) << "insurance window " << s;
      EXPECT_EQ(y, static_cast<int32_t>(windows[static_cast<size_t>((v * 5 + s) * 2 + 1)])) << "insurance window " << s;
    }
    int32_t box[4] = {};
    CControlBase* button = m_Table->MainDialog().GetCtrl(301);
    ASSERT_NE(button, nullptr);
    button->GetPos(box[0], box[1]);
    button->GetSize(box[2], box[3]);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(box[i], static_cast<int32_t>(info[static_cast<size_t>(v * 4 + i)])) << "table information " << i;
    int32_t dealerValue[2];
    m_Table->MainDialog().GetCtrl(164)->GetPos(dealerValue[0], dealerValue[1]);
    EXPECT_EQ(m_Table->GetDealerValueX(), dealerValue[0]);
    EXPECT_EQ(m_Table->GetDealerValueY(), dealerValue[1]);

    // 45 bet spots, 15 hand-out points, 10 insurance spots.
    int32_t projected = 0;
    for (int32_t s = 0; s < 5; ++s) {
      for (int32_t k = 0; k < 9; ++k, ++projected) {
        int32_t ex = 0, ey = 0, x = 0, y = 0;
        Oracle(v, chips[static_cast<size_t>((s * 9 + k) * 2)], chips[static_cast<size_t>((s * 9 + k) * 2 + 1)], &ex, &ey);
        ASSERT_TRUE(m_Table->GetChipSpot(s, k, x, y));
        EXPECT_EQ(x, ex) << "bet spot " << s << "," << k;
        EXPECT_EQ(y, ey) << "bet spot " << s << "," << k;
        // Its chip control stands on it as a stack does: bottom chip centred on the spot.
        int32_t cx = 0, cy = 0, cw = 0, ch = 0;
        CControlBase* chip = m_Table->ChipControl(s, k);
        chip->GetPos(cx, cy);
        chip->GetSize(cw, ch);
        EXPECT_EQ(cx, ex - m_Table->GetLayout().ChipXSize / 2);
        EXPECT_EQ(cy, ey + m_Table->GetLayout().ChipYSize / 2 - ch);
        EXPECT_TRUE(InDialog(chip)) << "chip control in the table dialog";
      }
      for (int32_t k = 0; k < 3; ++k, ++projected) {
        int32_t ex = 0, ey = 0, x = 0, y = 0;
        Oracle(v, handout[static_cast<size_t>((s * 3 + k) * 2)], handout[static_cast<size_t>((s * 3 + k) * 2 + 1)], &ex, &ey);
        ASSERT_TRUE(m_Table->GetHandoutSpot(s, k, x, y));
        EXPECT_EQ(x, ex) << "hand-out " << s << "," << k;
        EXPECT_EQ(y, ey) << "hand-out " << s << "," << k;
      }
      for (int32_t k = 0; k < 2; ++k, ++projected) {
        int32_t ex = 0, ey = 0, x = 0, y = 0;
        Oracle(v, insurance[static_cast<size_t>((s * 2 + k) * 2)], insurance[static_cast<size_t>((s * 2 + k) * 2 + 1)], &ex, &ey);
        ASSERT_TRUE(m_Table->GetInsuranceSpot(s, k, x, y));
        EXPECT_EQ(x, ex) << "insurance " << s << "," << k;
        EXPECT_EQ(y, ey) << "insurance " << s << "," << k;
      }
    }
    EXPECT_EQ(projected, 45 + 15 + 10);

    // The persistent layer holds the view's picture, as the script names it, pixel for pixel.
    CBitmap picture;
    ASSERT_EQ(picture.Load(m_Table->GetMainScript().GetResString(10300 + 2 * v), 0), 1);
    S()->MakeScreenFormat(&picture, 0);
    int32_t off = 0;
    for (int32_t y = 0; y < 600; y += 3)
      for (int32_t x = 0; x < 800; x += 3) off += PersistentPixel(x, y) != Pixel(picture, x, y);
    EXPECT_EQ(off, 0);
    // The spot map is the view's: the seat under each bet spot.
    const CBitmap* map = m_Table->GetSpotMap();
    ASSERT_NE(map, nullptr);
    for (int32_t s = 0; s < 5; ++s) {
      int32_t x = 0, y = 0;
      m_Table->GetChipSpot(s, 4, x, y);
      EXPECT_EQ(map->m_pData[static_cast<int64_t>(y / 2) * map->m_Pitch + x / 2], s + 1) << "seat " << s;
    }
    // The light and the arrows follow the view.
    EXPECT_EQ(m_Table->Highlight()->GetView(), v);
    EXPECT_NE(m_Table->Highlight()->GetLit(0), nullptr);
    EXPECT_EQ(m_Table->Arrow()->GetNumArrows(), 15);
    EXPECT_NE(m_Table->Arrow()->GetPolygon(), nullptr);
  }
}

TEST_F(Views, ArrowsRunBetweenTheirTwoPointsOnTheFeltRaisedByTheShadowOffset) {
  ASSERT_EQ(m_Table->SetCameraView(2), 1);
  const std::vector<double> points = Keys("ARROWCOORDS");
  const double y = Key("TABLEY") + Key("SHADOWOFFSET");
  for (int32_t arrow = 0; arrow < 15; ++arrow) {
    double ax = 0, ay = 0, az = 0, bx = 0, by = 0, bz = 0;
    ASSERT_EQ(m_Table->Arrow()->GetPathPoint(arrow, 0, &ax, &ay, &az), 1);
    ASSERT_EQ(m_Table->Arrow()->GetPathPoint(arrow, CArrow::PATH_POINTS / 2, &bx, &by, &bz), 1);
    EXPECT_DOUBLE_EQ(ax, points[static_cast<size_t>(4 * arrow)]) << arrow;
    EXPECT_DOUBLE_EQ(az, points[static_cast<size_t>(4 * arrow + 1)]) << arrow;
    EXPECT_DOUBLE_EQ(bx, points[static_cast<size_t>(4 * arrow + 2)]) << arrow;
    EXPECT_DOUBLE_EQ(bz, points[static_cast<size_t>(4 * arrow + 3)]) << arrow;
    EXPECT_DOUBLE_EQ(ay, y);
    EXPECT_DOUBLE_EQ(by, y);
  }
}

TEST_F(Views, SwitchingBackAndForthAHundredTimesKeepsNothingBehind) {
  // One round first, so that every lazily made buffer exists.
  for (int32_t v : {0, 4, 2}) ASSERT_EQ(m_Table->SetCameraView(v), 1);
  const size_t before = mallinfo2().uordblks;
  for (int32_t i = 0; i < 100; ++i)
    for (int32_t v : {0, 4, 2}) ASSERT_EQ(m_Table->SetCameraView(v), 1);
  const size_t after = mallinfo2().uordblks;
  // A leaked arrow texture alone is over 1 KB a switch.
  EXPECT_LT(after > before ? after - before : 0, 4096u) << "bytes kept after 300 switches";
  EXPECT_EQ(m_Table->GetViewIndex(), 2);
  EXPECT_EQ(m_Table->Arrow()->GetNumArrows(), 15);
}

TEST_F(Views, APracticeTableMovesItsPracticeDialogToTheViewsPlaceWhereTheViewHasOne) {
  const std::vector<double> places = Keys("PracticeDlgPosXY");
  ASSERT_EQ(places.size(), 10u);
  CForFunDlg practice(nullptr);
  m_Table->SetPracticeDialog(&practice);
  for (int32_t v = 0; v < 5; ++v) {
    ASSERT_EQ(practice.SetPos(-7, -7), 1);
    ASSERT_EQ(m_Table->SetCameraView(v), 1);
    int32_t x = 0, y = 0;
    practice.GetPos(x, y);
    EXPECT_EQ(x, static_cast<int32_t>(places[static_cast<size_t>(2 * v)])) << "view " << v;
    EXPECT_EQ(y, static_cast<int32_t>(places[static_cast<size_t>(2 * v + 1)])) << "view " << v;
    EXPECT_EQ(m_Table->GetViewIndex(), v);
  }
  // A view without a place, and a real-money table, leave it where it is.
  m_Table->Layout().PracticeDlgPosXY[2] = -1;
  ASSERT_EQ(practice.SetPos(-7, -7), 1);
  ASSERT_EQ(m_Table->SetCameraView(1), 1);
  m_Table->SetRealMoney(1);
  ASSERT_EQ(m_Table->SetCameraView(3), 1);
  int32_t x = 0, y = 0;
  practice.GetPos(x, y);
  EXPECT_EQ(x, -7);
  EXPECT_EQ(y, -7);
  m_Table->SetPracticeDialog(nullptr);
}

TEST_F(Views, AViewClosesTheTableInformationPopup) {
  auto* popup = new CDialog;
  ASSERT_EQ(popup->Create(&m_Table->GetMainScript(), 300, CBlackJackClientTable::MainDialogCallback, 0, nullptr), 1);
  m_Table->SetPopup(popup);
  ASSERT_EQ(m_Table->SetCameraView(1), 1);
  EXPECT_EQ(m_Table->Popup(), nullptr);
  m_Table->CloseTableInfoPopup();  // again: nothing to close
  EXPECT_EQ(m_Table->Popup(), nullptr);
}

TEST_F(Views, AViewOutsideTheFiveOrWithoutItsPicturesFailsAndDrawsNothing) {
  ASSERT_EQ(m_Table->SetCameraView(3), 1);
  EXPECT_EQ(m_Table->SetCameraView(5), 0);
  EXPECT_EQ(m_Table->SetCameraView(-1), 0);
  // A folder without the table's pictures: the view fails rather than draw a picture it lacks.
  // The view it had stays, pictures, camera and all.
  const CBitmap* picture = m_Table->GetTablePicture();
  double x = 0, y = 0, z = 0;
  m_Table->GetCardTable().GetActiveCamera()->GetPosition(&x, &y, &z);
  CTempDir empty;
  {
    CWorkingDir there(empty.Path());
    EXPECT_EQ(m_Table->SetCameraView(1), 0);
    EXPECT_EQ(m_Table->GetTablePicture(), picture);
    ASSERT_NE(m_Table->GetSpotMap(), nullptr);
    double x1 = 0, y1 = 0, z1 = 0;
    m_Table->GetCardTable().GetActiveCamera()->GetPosition(&x1, &y1, &z1);
    EXPECT_EQ(x1, x);
    EXPECT_EQ(z1, z);
    EXPECT_EQ(m_Table->Highlight()->GetView(), 3);
  }
  // Pictures but no arrow texture.
  CTempDir pictures;
  std::filesystem::create_directories(pictures.File("pictures/kavo"));
  for (const char* name : {"kavo_table1.bmp", "kavo_spots1.bmp"})
    std::filesystem::copy_file(std::string(VORRIN_DIST_DIR) + "/pictures/kavo/" + name, pictures.File(std::string("pictures/kavo/") + name));
  {
    CWorkingDir there(pictures.Path());
    EXPECT_EQ(m_Table->SetCameraView(1), 0);
  }
  // And back in the install folder the view stands again.
  EXPECT_EQ(m_Table->SetCameraView(1), 1);
  EXPECT_NE(m_Table->GetTablePicture(), nullptr);
}

}  // namespace
