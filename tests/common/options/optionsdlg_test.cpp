#include "common/options/optionsdlg.h"

#include <gtest/gtest.h>

#include <string>

#include "common/options/optionids.h"
#include "common/options/options.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/groupbox.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/resources/resdata.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

namespace {
const std::string kScript = std::string(VORRIN_TEST_DATA_DIR) + "/options/options.xrs";

enum : int32_t {
  TEST_HINTS = 430006,
  DLG_OPTIONS = 900,
  IDC_OK = 901,
  IDC_CANCEL = 902,
  DLG_STOPS = 920,
};

const char kSaved[] =
    "OPT_MUSIC = FALSE\n"
    "OPT_SOUND = TRUE\n"
    "OPT_DISPLAYMODE = 420101\n"
    "OPT_MUSICSOURCE = 420014\n";

class OptionsDlg : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(640, 480);
    ASSERT_EQ(m_Res.Load(kScript.c_str()), 1);
    WriteWholeFile(m_Dir.File("options.cfg"), kSaved);
    ASSERT_EQ(m_Options.Load(nullptr, "bob"), 1);
  }
  void ClickOn(int32_t id) {
    CControlBase* control = m_Dlg.GetCtrl(id);
    ASSERT_NE(control, nullptr) << id;
    // Toggles take the mouse on their box and caption text only: aim at the box.
    const CRect r = control->ScreenRect();
    Click(r.left + 5, (r.top + r.bottom) / 2);
  }
  int32_t State(int32_t id) { return m_Dlg.GetCtrl(id)->GetState(); }
  int32_t Selected(int32_t id) { return m_Dlg.GetCtrl(id)->GetSelected(); }
  int32_t Bool(int32_t id) {
    int32_t v = -1;
    return m_Options.GetBool(id, &v) ? v : -1;
  }
  int32_t Long(int32_t id) {
    int32_t v = -1;
    return m_Options.GetLong(id, &v) ? v : -1;
  }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
  CResData m_Res;
  COptions m_Options{&m_Res};
  COptionsDlg m_Dlg{&m_Options};
};

TEST_F(OptionsDlg, ShowWinShowsTheOptionsInTheirControls) {
  const int32_t hintsBefore = [&] {
    CDialog plain;
    EXPECT_EQ(plain.Create(&m_Res, DLG_OPTIONS, nullptr, 0, nullptr), 1);
    return plain.GetCtrl(TEST_HINTS)->GetState();
  }();
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  EXPECT_EQ(WC().IsRegistered(&m_Dlg), 1);
  EXPECT_EQ(State(OPTION_MUSIC), XGUI_UNCHECKED);
  EXPECT_EQ(State(OPTION_SOUND), XGUI_CHECKED);
  EXPECT_EQ(Selected(OPTION_DISPLAYMODE), OPTION_FULLSCREEN);
  EXPECT_EQ(Selected(OPTION_MUSICSOURCE), OPTION_MUSIC_OWNFILE);
  // A box without its option keeps the look it was made with.
  EXPECT_EQ(State(TEST_HINTS), hintsBefore);
  EXPECT_EQ(m_Dlg.UpdateWin(), 1);
  // A dialog that is not in the script is no dialog.
  COptionsDlg other(&m_Options);
  EXPECT_EQ(other.ShowWin(12345, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 0);
}

TEST_F(OptionsDlg, OkWritesTheControlsBackAndClosesWithoutSaving) {
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  Frame();
  ClickOn(OPTION_MUSIC);
  ClickOn(OPTION_SOUND);
  ClickOn(OPTION_WINDOWMODE);
  ClickOn(OPTION_MUSIC_BUILTIN);
  EXPECT_EQ(State(OPTION_MUSIC), XGUI_CHECKED);
  EXPECT_EQ(Selected(OPTION_DISPLAYMODE), OPTION_WINDOWMODE);
  EXPECT_EQ(Bool(OPTION_MUSIC), 0);  // nothing written before OK
  ClickOn(IDC_OK);
  EXPECT_EQ(m_Dlg.UpdateWin(), 0);
  EXPECT_EQ(Bool(OPTION_MUSIC), 1);
  EXPECT_EQ(Bool(OPTION_SOUND), 0);
  EXPECT_EQ(Long(OPTION_DISPLAYMODE), OPTION_WINDOWMODE);
  EXPECT_EQ(Long(OPTION_MUSICSOURCE), OPTION_MUSIC_BUILTIN);
  EXPECT_EQ(ReadWholeFile(m_Dir.File("options.cfg")), kSaved);
}

TEST_F(OptionsDlg, CancelClosesWithoutWriting) {
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  Frame();
  ClickOn(OPTION_MUSIC);
  ClickOn(OPTION_WINDOWMODE);
  ClickOn(IDC_CANCEL);
  EXPECT_EQ(m_Dlg.UpdateWin(), 0);
  EXPECT_EQ(Bool(OPTION_MUSIC), 0);
  EXPECT_EQ(Long(OPTION_DISPLAYMODE), OPTION_FULLSCREEN);
}

TEST_F(OptionsDlg, AGroupBoxWithoutASelectionAndADisabledBoxLeaveTheirOptions) {
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  m_Dlg.GetCtrl(OPTION_DISPLAYMODE)->SetSelected(-1);
  ASSERT_EQ(Selected(OPTION_DISPLAYMODE), -1);
  // Checked, then disabled: the player cannot change it, so it must not turn the option off.
  ASSERT_EQ(m_Dlg.SetCntrlState(OPTION_MUSIC, XGUI_CHECKED), 1);
  ASSERT_EQ(m_Dlg.SetCntrlState(OPTION_MUSIC, XGUI_DISABLED), 1);
  ASSERT_EQ(m_Options.SetBool(OPTION_MUSIC, 1), 1);
  ASSERT_EQ(m_Dlg.SetCntrlState(OPTION_SOUND, XGUI_HIDDEN), 1);
  m_Dlg.GetCtrl(OPTION_MUSICSOURCE)->SetSelected(OPTION_MUSIC_BUILTIN);
  EXPECT_EQ(m_Dlg.GetDlgState(), 1);
  EXPECT_EQ(Long(OPTION_DISPLAYMODE), OPTION_FULLSCREEN);
  EXPECT_EQ(Bool(OPTION_MUSIC), 1);
  EXPECT_EQ(Bool(OPTION_SOUND), 1);
  EXPECT_EQ(Long(OPTION_MUSICSOURCE), OPTION_MUSIC_BUILTIN);
  EXPECT_EQ(m_Dlg.SetCntrlState(4711, XGUI_DISABLED), 0);
}

// A group box that stands for no option stops the walk: what comes before it is written,
// nothing after it.
TEST_F(OptionsDlg, TheFirstLongThatCannotBeWrittenStopsTheWalk) {
  ASSERT_EQ(m_Dlg.ShowWin(DLG_STOPS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  m_Dlg.SetCntrlState(OPTION_MUSIC, XGUI_CHECKED);
  m_Dlg.SetCntrlState(OPTION_SOUND, XGUI_UNCHECKED);
  m_Dlg.GetCtrl(OPTION_DISPLAYMODE)->SetSelected(OPTION_WINDOWMODE);
  EXPECT_EQ(m_Dlg.GetDlgState(), 0);
  EXPECT_EQ(Bool(OPTION_MUSIC), 1);
  EXPECT_EQ(Bool(OPTION_SOUND), 1);
  EXPECT_EQ(Long(OPTION_DISPLAYMODE), OPTION_FULLSCREEN);
}

// A caller's callback gets the events and its user value; the default one always gets the
// dialog, even when the caller gave a user value of its own.
TEST_F(OptionsDlg, CallbacksAndUserValues) {
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, Record, 0, this), 1);
  Frame();
  ClickOn(IDC_OK);
  ASSERT_FALSE(EventsOf(GUIMSG_COMMAND).empty());
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND).back(), std::make_pair(int32_t{DLG_OPTIONS}, int32_t{IDC_OK}));
  EXPECT_EQ(Events().back().m_pUser, this);
  EXPECT_EQ(m_Dlg.UpdateWin(), 1);  // the caller decides when it closes

  // Record with a null user: the dialog is the user value.
  Events().clear();
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, Record, 0, nullptr), 1);
  Frame();
  ClickOn(IDC_CANCEL);
  ASSERT_FALSE(Events().empty());
  EXPECT_EQ(Events().back().m_pUser, &m_Dlg);

  int32_t stranger = 0;
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, &stranger), 1);
  Frame();
  ClickOn(OPTION_MUSIC);
  ClickOn(IDC_OK);
  EXPECT_EQ(m_Dlg.UpdateWin(), 0);
  EXPECT_EQ(Bool(OPTION_MUSIC), 1);
  EXPECT_EQ(stranger, 0);
}

TEST_F(OptionsDlg, ResetReloadsTheFileIntoTheControlsAndExitWinDropsEverything) {
  ASSERT_EQ(m_Dlg.ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  ASSERT_EQ(m_Options.SetBool(OPTION_MUSIC, 1), 1);
  WriteWholeFile(m_Dir.File("options.cfg"), "OPT_SOUND = FALSE\nOPT_DISPLAYMODE = 420100\n");
  EXPECT_EQ(m_Dlg.Reset(), 1);
  EXPECT_EQ(State(OPTION_SOUND), XGUI_UNCHECKED);
  EXPECT_EQ(State(OPTION_MUSIC), XGUI_CHECKED);  // the file lacks it: the default, on
  EXPECT_EQ(Selected(OPTION_DISPLAYMODE), OPTION_WINDOWMODE);
  EXPECT_EQ(m_Dlg.ExitWin(), 1);
  EXPECT_EQ(WC().IsRegistered(&m_Dlg), 0);
  EXPECT_EQ(m_Dlg.GetCtrl(OPTION_MUSIC), nullptr);
  EXPECT_EQ(Long(OPTION_DISPLAYMODE), -1);
}

// Made from a script, the dialog owns its options; they are loaded through it.
TEST_F(OptionsDlg, AnOwningDialogMakesItsOptionsOnTheScript) {
  auto* dlg = new COptionsDlg(&m_Res);
  ASSERT_NE(dlg->GetOptions(), nullptr);
  EXPECT_EQ(dlg->GetOptions()->GetResData(), &m_Res);
  ASSERT_EQ(dlg->GetOptions()->Load("Blackjack", ""), 1);
  ASSERT_EQ(dlg->ShowWin(DLG_OPTIONS, IDC_OK, IDC_CANCEL, nullptr, 0, nullptr), 1);
  EXPECT_EQ(dlg->GetCtrl(OPTION_MUSIC)->GetState(), XGUI_UNCHECKED);
  delete dlg;
  EXPECT_EQ(WC().NumWindows(), 0);
}
}  // namespace
