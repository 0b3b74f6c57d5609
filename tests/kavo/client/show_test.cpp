// The set-up table shown, greyed and heard: the panel sliding home, the welcome line, the view's
// picture in the persistent layer, the table-info popup by bet sign, and which samples load.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/widgets/panel.h"
#include "kavosetupkit.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/sound/milesmusic.h"

namespace {

class KavoShow : public CKavoTableFixture {
 protected:
  CProbeTable& Start(const std::string& edited = "", int32_t seat = -1, CMilesMusic* music = nullptr) {
    std::string name;
    if (!edited.empty()) {
      name = m_Dir.File("edited_main.xrs");
      WriteWholeFile(name, edited);
    }
    EXPECT_EQ(StartTable(std::make_unique<CProbeTable>(name), KAVO_TEST_TABLE_ID, seat, music), 1);
    return TableAs<CProbeTable>();
  }
  int32_t PanelWindowY() {
    int32_t x = 0, y = 0;
    CDialog* window = Table().GetPanel()->GetDialog(PANEL_SECTION_CHIPS);
    EXPECT_TRUE(window && window->GetPos(x, y));
    return y;
  }
};

TEST_F(KavoShow, ThePanelSlidesHomeInThePanelFramesAndTheWelcomeScrolls) {
  CProbeTable& table = Start();
  const int32_t frames = table.GetLayout().PanelAnimFrames;
  ASSERT_GT(frames, 1);
  // Built and greyed by the framework: the panel's window waits below the screen.
  EXPECT_TRUE(table.IsGreyed());
  EXPECT_EQ(PanelWindowY(), 600);
  EXPECT_EQ(table.PanelWindowHomeY(), 548);
  const int32_t queued = table.GetScrollHandler().NumQueued();
  ASSERT_EQ(table.SetRoundActive(1), 1);
  EXPECT_FALSE(table.IsGreyed());
  EXPECT_FALSE(table.GetMainDialog().IsHidden());
  EXPECT_EQ(table.GetScrollHandler().NumQueued(), queued + 1);
  // The slide's timer starts with the next pass; from then on each frame is one step.
  Frames(1);
  int32_t last = PanelWindowY();
  EXPECT_EQ(last, 600);
  for (int32_t f = 1; f < frames; ++f) {
    Frames(1);
    const int32_t y = PanelWindowY();
    EXPECT_LT(y, last) << "frame " << f;
    EXPECT_GT(y, 548) << "frame " << f;
    last = y;
  }
  Frames(1);
  EXPECT_EQ(PanelWindowY(), 548);
  Frames(3);
  EXPECT_EQ(PanelWindowY(), 548);
  // Greyed again: the main dialog and the panel hide.
  ASSERT_EQ(table.SetRoundActive(0), 1);
  EXPECT_TRUE(table.IsGreyed());
  EXPECT_TRUE(table.GetMainDialog().IsHidden());
  EXPECT_TRUE(table.GetPanel()->GetDialog(PANEL_SECTION_CHIPS)->IsHidden());
}

TEST_F(KavoShow, ARestoredTableSaysNoWelcome) {
  CProbeTable& table = Start();
  table.SetRestoreMode(1);
  const int32_t queued = table.GetScrollHandler().NumQueued();
  ASSERT_EQ(table.SetRoundActive(1), 1);
  EXPECT_EQ(table.GetScrollHandler().NumQueued(), queued);
}

TEST_F(KavoShow, ShownTheTableDrawsItsViewPictureIntoThePersistentLayer) {
  CProbeTable& table = Start();
  auto* picture = new CBitmap;
  ASSERT_EQ(picture->CreateRGB(800, 600, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  for (int32_t y = 0; y < 600; ++y)
    for (int32_t x = 0; x < 800; ++x) {
      uint8_t* p = picture->m_pData + y * picture->m_Pitch + 3 * x;
      p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 77;
    }
  ASSERT_EQ(Screen()->MakeScreenFormat(picture, 0), 1);
  table.SetTablePicture(picture);  // the table's from now on
  ASSERT_EQ(table.SetRoundActive(1), 1);
  const CBitmap* layer = Screen()->GetPersistentBitmap();
  ASSERT_NE(layer, nullptr);
  for (auto [x, y] : {std::pair{0, 0}, {799, 599}, {400, 300}, {123, 456}})
    EXPECT_EQ(std::memcmp(layer->m_pData + y * layer->m_Pitch + 3 * x, picture->m_pData + y * picture->m_Pitch + 3 * x, 3), 0)
        << x << "," << y;
}

TEST_F(KavoShow, BetSignsPickThePopupPicturesAndSignThreePlacesItWithout) {
  // A popup place of its own for each view; the table opened for seat 3 is seen from view 3.
  CProbeTable& table = Start(WithItem(DistScript("kavo_main.xrs"), "TableInfoPopup", "{ 10, 20, 30, 40, 50, 60, 70, 80, 90, 100 }"), 3);
  ASSERT_EQ(table.GetViewIndex(), 3);
  const char* pictures[] = {"tableInfoPopup1Bm", "tableInfoPopup2Bm", "tableInfoPopup3Bm"};
  for (int32_t sign = 0; sign <= 3; ++sign) {
    SCOPED_TRACE(sign);
    table.SetBetSign(sign);
    table.RequestTableInfoPopup(1);
    EXPECT_EQ(table.GetTableInfoRequest(), 1);
    Frames(1);  // the table's timer carries the request out
    EXPECT_EQ(table.GetTableInfoRequest(), 0);
    CDialog* popup = table.GetTableInfoPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetID(), 300);
    int32_t x = 0, y = 0;
    popup->GetPos(x, y);
    EXPECT_EQ(x, 70);
    EXPECT_EQ(y, 80);
    CControlBase* control = popup->GetCtrl(302);
    ASSERT_NE(control, nullptr);
    CBitmap* const* looks = control->GetLook().m_pBitmaps;
    if (sign < 3) {
      CBitmap* expected = table.GetMainScript().GetBm(pictures[sign], nullptr, nullptr);
      ASSERT_NE(expected, nullptr);
      for (int32_t look = 0; look < 4; ++look) EXPECT_EQ(looks[look], expected) << look;
    } else {
      for (const char* name : pictures)
        for (int32_t look = 0; look < 4; ++look)
          EXPECT_NE(looks[look], table.GetMainScript().GetBm(name, nullptr, nullptr)) << name;
    }
  }
  // Opened again and again it stays one window.
  const int32_t windows = Leftovers().Windows;
  table.RequestTableInfoPopup(1);
  Frames(1);
  EXPECT_EQ(Leftovers().Windows, windows);
}

// The sound files the main script names, made in the working folder (the staged ones may not be
// there yet): short silent waves.
class KavoSounds : public KavoShow {
 protected:
  void SetUp() override {
    KavoShow::SetUp();
    const std::string sounds = m_Dir.File("sounds");
    std::filesystem::remove(sounds);
    std::filesystem::create_directories(sounds + "/kavo");
    const std::filesystem::path staged = std::string(VORRIN_DIST_DIR) + "/sounds";
    if (std::filesystem::is_directory(staged))
      for (const auto& entry : std::filesystem::directory_iterator(staged))
        if (entry.path().filename() != "kavo")
          std::filesystem::create_symlink(entry.path(), sounds + "/" + entry.path().filename().string());
    CResData script;
    ASSERT_EQ(script.Load("xrs/kavo_main.xrs"), 1);
    for (int32_t i = 0; i <= 42; ++i) {
      const char* name = script.GetResString(10000 + i);
      ASSERT_NE(name, nullptr) << i;
      WriteWholeFile(m_Dir.File(name), Wave());
    }
  }
  // A 16-bit mono PCM wave of 100 silent samples at 8000 Hz.
  static std::string Wave() {
    const uint32_t samples = 100, bytes = 2 * samples;
    std::string w;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) w += static_cast<char>(v >> (8 * i)); };
    auto u16 = [&](uint16_t v) { for (int i = 0; i < 2; ++i) w += static_cast<char>(v >> (8 * i)); };
    w += "RIFF";
    u32(36 + bytes);
    w += "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(8000), u32(16000), u16(2), u16(16);
    w += "data";
    u32(bytes);
    w += std::string(bytes, '\0');
    return w;
  }
  static std::vector<uint32_t> Loaded(CBlackJackClientTable& table) {
    std::vector<uint32_t> ids;
    for (uint32_t id = 0; id < KAVO_SAMPLES; ++id)
      if (table.GetSamples()->FindSample(id)) ids.push_back(id);
    return ids;
  }
};

TEST_F(KavoSounds, WithoutMusicOnlyTheWinAndTheGoodbyeLoad) {
  CProbeTable& table = Start();
  EXPECT_EQ(table.GetSoundOn(), 0);
  EXPECT_EQ(Loaded(table), (std::vector<uint32_t>{41, 42}));
}

TEST_F(KavoSounds, WithMusicAllFortyThreeLoad) {
  CMilesMusic music;
  CProbeTable& table = Start("", -1, &music);
  EXPECT_EQ(table.GetSoundOn(), 1);
  std::vector<uint32_t> all;
  for (uint32_t id = 0; id <= 42; ++id) all.push_back(id);
  EXPECT_EQ(Loaded(table), all);
  ASSERT_EQ(EndTable(), 1);
  EXPECT_EQ(Loaded(table), std::vector<uint32_t>{});
}

}  // namespace
