#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/checkbox.h"
#include "ostrel/controls/combobox.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/groupbox.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/controls/menu.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/radiobutton.h"
#include "ostrel/controls/scrolltext.h"
#include "ostrel/controls/slider.h"
#include "ostrel/controls/static.h"
#include "ostrel/controls/timeout.h"
#include "ostrel/controls/url.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/frame.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/input/keycodes.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"
#include "platform/display/keys.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

namespace {
const std::string kDataDir = std::string(VORRIN_TEST_DATA_DIR) + "/resources";

const char* const kHeader =
    "{ = Defines\n  DLG = 500\n  IDC_OK = 101\n  IDC_TEXT = 102\n  IDC_BAR = 103\n  IDC_BOX = 104\n"
    "  IDC_INNER = 105\n  IDC_LINK = 107\n  IDC_LABEL = 108\n  IDC_NOWINDOW = 501\n}\n"
    "{ = Colors\n  Felt = \"80 80 80 0\", \"250 250 250 0\", \"190 190 190 0\", \"32 32 32 0\", \"255 255 255 0\","
    " \"125 125 125 0\", \"0 0 0 0\", \"1 1 1 0\"\n}\n";

std::string Script(const std::string& body, const std::string& create =
                                                 "Create = \"Title\", 10, 20, 200, 120, XWIN_TITLEBAR|XWIN_FRAME|XWIN_CLOSE") {
  return std::string(kHeader) + "{ = Window, DLG\n  " + create + "\n" + body + "}\n";
}

class Dialog : public CGuiTest {
 protected:
  // Builds from the script; the diagnostics it printed go to m_Printed.
  int32_t Build(const std::string& script, int32_t flags = 0, int32_t id = 500) {
    EXPECT_EQ(m_Res.Import(script.c_str()), 1);
    xSetDiagnostics(1);
    testing::internal::CaptureStderr();
    const int32_t r = m_Dialog.Create(&m_Res, id, Record, flags, this);
    m_Printed = testing::internal::GetCapturedStderr();
    xSetDiagnostics(0);
    return r;
  }
  CResData m_Res;
  CDialog m_Dialog;
  std::string m_Printed;
};

struct SFailRow {
  const char* m_Body;
  const char* m_Create;  // null: the usual one
  const char* m_Text;
};

const char* const kNoFrame = "Create = \"T\", 0, 0, 100, 100, XWIN_TITLEBAR";

// One row per diagnostic the reader prints for the kinds there are, and the failures without one.
const SFailRow kFailures[] = {
    {"", "Create = \"T\", 0, 0, 100, 100", "Unable to get the create data for \"DLG\""},
    {"", "Create = \"T\", 0, 0, 100, 100, XWIN_NOPE", "Unable to get the create data for \"DLG\""},
    {"", "Caption = \"T\"", "Unable to get the create data for \"DLG\""},
    {"  FrameFlags = CNTRL_EXTRUDED\n  Colors = Felt, Felt, Nope, Felt\n", nullptr, "Unable to get color nr 2 in the frame"},
    {"  FrameFlags = CNTRL_HASBITMAP\n", nullptr, ""},
    {"  TitlebarFlags = CNTRL_HASBITMAP\n", nullptr, ""},
    {"  TitlebarFlags = CNTRL_NOPE\n", nullptr, ""},
    {"  CreateStatic = IDC_UNKNOWN, \"x\", 0, 0, 10, 10, 0\n", nullptr, "Unable to get the create data for \"IDC_UNKNOWN\""},
    {"  CreateStatic = IDC_LABEL, \"x\", 0, 0, 10\n", nullptr, "Unable to get the create data for \"IDC_LABEL\""},
    {"  { = Button, IDC_UNKNOWN\n    Create = \"OK\", 0, 0, 10, 10, NULL, 0\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_UNKNOWN\""},
    {"  { = Gadget, IDC_OK\n    Create = \"OK\", 0, 0, 10, 10, NULL, 0\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_OK\""},
    {"  { = Button, IDC_OK\n    Text = \"OK\"\n  }\n", nullptr, "Unable to get the cntrl create data for \"IDC_OK\""},
    {"  { = Button, IDC_OK\n    Create = \"OK\", 0, 0, 10, 10, XKEY_NOPE, 0\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_OK\""},
    {"  { = Progress, IDC_BAR\n  }\n", nullptr, "\"Create\" keyword missing for progress cntrl (\"IDC_BAR\")"},
    {"  { = Button, IDC_OK\n    Create = \"OK\", 0, 0, 10, 10, NULL, 0\n    Bitmap = A, B, C, D\n  }\n", nullptr,
     "Unable to get the Bitmap's in the \"IDC_OK\" button ctrl"},
    {"  { = Static, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 0\n    AnimBitmap = Nope, XGUI_RELEASED, ANIM_LOOP\n  }\n",
     nullptr, "Unable to get the AnimBitmap's in the \"IDC_TEXT\" static ctrl"},
    {"  { = Static, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 0\n    AnimLine = XGUI_RELEASED, L1, 0, 0, Nope, 0, 0, L1\n  }\n",
     nullptr, "animation is invalid in the \"IDC_TEXT\" button"},
    {"  { = Static, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 0\n    AnimLine = XGUI_RELEASED, L1, 0, 0, None, 0, 0\n  }\n",
     nullptr, "Unable to get the AnimLines in the \"IDC_TEXT\" static ctrl"},
    {"  { = Static, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 0\n    AnimLine = XGUI_NOPE, L1, 0, 0, None, 0, 0, L1\n  }\n",
     nullptr, "Unable to get the bitmap type from animLine in the \"IDC_TEXT\" button"},
    {"  { = Static, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 0\n    TextBufferSize = -5\n  }\n", nullptr,
     "Unable to get the buffer size in the \"IDC_TEXT\" static ctrl"},
    {"  { = Static, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 0\n    Font = Nope\n  }\n", nullptr,
     "Unable to get the font in the \"IDC_TEXT\" static ctrl"},
    {"  { = URL, IDC_LINK\n    Create = \"x\", \"http://a\", 0, 0, 10, 10, NULL, 0\n    TextColor = Nope\n  }\n", nullptr,
     "Unable to get the text color in the \"IDC_LINK\" URL ctrl"},
    {"  { = Progress, IDC_BAR\n    Create = 0, 0, 10, 10, 0\n    Colors = Felt, Nope, Felt, Felt\n  }\n", nullptr,
     "Unable to get color nr 1 in the \"IDC_BAR\" progress ctrl"},
    {"  { = ControlContainer, IDC_BOX\n    Create = \"x\", 0, 0, 10, 10, NULL, 0\n    Alpha = many\n  }\n", nullptr,
     "Unable to get the alpha value for \"IDC_BOX\" controlcontainer ctrl"},
    {"  { = Button, IDC_OK\n    Create = \"OK\", 0, 0, 10, 10, NULL, 0\n    State = XGUI_NOPE\n  }\n", nullptr,
     "Unable to get the state value for \"IDC_OK\" button ctrl"},
    {"  { = Listbox, IDC_BOX\n    Create = 0, 0, 50, 50, 0, 0, 0\n  }\n", nullptr, "Unable to get the cntrl create data for \"IDC_BOX\""},
    {"  { = Listbox, IDC_BOX\n    Create = 0, 0, 50, 50, 10, 0, 0\n    Font = Nope\n  }\n", nullptr,
     "Unable to get the font in the \"IDC_BOX\" listbox ctrl"},
    {"  { = Combobox, IDC_BOX\n    Create = 0, 0, 50, 20, 90, XKEY_NOPE, 0\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_BOX\""},
    {"  { = Combobox, IDC_BOX\n    Create = 0, 0, 50, 20, 90, NULL, 0, XGUI_NOPE\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_BOX\""},
    {"  { = Combobox, IDC_BOX\n    Create = 0, 0, 50, 20, 90, NULL, 0\n    Text = \"a\"\n    { = Button, IDC_INNER\n    }\n  }\n",
     nullptr, "Unable to get the cntrl create data for \"IDC_INNER\""},
    {"  { = Groupbox, IDC_BOX\n    Create = \"G\", 0, 0, 90, 90, 0\n"
     "    { = Button, IDC_OK\n      Create = \"OK\", 0, 0, 10, 10, NULL, 0\n    }\n  }\n",
     nullptr, "Unable to get the cntrl create data for \"IDC_OK\""},
    {"  { = Groupbox, IDC_BOX\n    Create = \"G\", 0, 0, 90, 90, 0\n    Font = Main\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"Font\""},
    {"  { = Menu, IDC_BOX\n    Create = \"M\", 0, 0, 60, 20, 300, 500, DOWN, CLICK, NULL, 0\n    BaseLine = low\n  }\n",
     nullptr, "Unable to get the baseline value for \"IDC_BOX\" Menu ctrl"},
    {"  { = Menu, IDC_BOX\n    Create = \"M\", 0, 0, 60, 20, 300, 500, DOWN\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_BOX\""},
    {"  { = Checkbox, IDC_TEXT\n    Create = \"C\", 0, 0, 60, 20, 12, NULL\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_TEXT\""},
    {"  { = Radio, IDC_TEXT\n    Create = \"R\", 0, 0, 60, 20, 12, NULL, 0\n    { = Caption\n      Flags = CNTRL_NOPE\n"
     "    }\n  }\n", nullptr, "Unable to get the flags for \"IDC_TEXT\" textfield"},
    {"  { = Checkbox, IDC_TEXT\n    Create = \"C\", 0, 0, 60, 20, 12, NULL, 0\n    { = Caption\n      Font = Nope\n"
     "    }\n  }\n", nullptr, "Unable to get the font in the \"IDC_TEXT\" static ctrl"},
    {"  { = Timeout, IDC_BOX\n    Font = Nope\n  }\n", nullptr, "\"Create\" keyword missing for timeout cntrl (\"IDC_BOX\")"},
    {"  { = Timeout, IDC_BOX\n    Create = 0, 0, 40, 40, 20, 20\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_BOX\""},
    {"  { = Slider, IDC_BAR\n    Create = 0, 0, 10, 100, 0, 10, 0\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_BAR\""},
    {"  { = Slider, IDC_BAR\n    Create = 0, 0, 10, 100, 0, 10, 0, 1, 0\n    { = Up\n      Flags = CNTRL_NOPE\n    }\n  }\n",
     nullptr, "Unable to get the flags for \"IDC_BAR\" up button"},
    {"  { = Slider, IDC_BAR\n    Create = 0, 0, 10, 100, 0, 10, 0, 1, 0\n    { = Down\n      Flags = 7x\n    }\n  }\n",
     nullptr, "Unable to get the flags for \"IDC_BAR\" down button"},
    {"  { = Slider, IDC_BAR\n    Create = 0, 0, 10, 100, 0, 10, 0, 1, 0\n    { = Drag\n      Flags = CNTRL_NOPE\n    }\n  }\n",
     nullptr, "Unable to get the flags for \"IDC_BAR\" drag button"},
    {"  { = Slider, IDC_BAR\n    Create = 0, 0, 10, 100, 0, 10, 0, 1, 0\n    { = Drag\n      Colors = Felt, Nope\n    }\n  }\n",
     nullptr, "Unable to get color nr 1 in the \"IDC_BAR\" button ctrl"},
    {"  { = Slider, IDC_BAR\n    Create = 0, 0, 10, 100, 0, 10, 0, 1, 0\n    Font = Nope\n  }\n", nullptr,
     "Unable to get the font in the \"IDC_BAR\" slider ctrl"},
    {"  { = Scrolltext, IDC_TEXT\n    Create = \"x\", 0, 0, 50, 10, 1\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_TEXT\""},
    {"  { = Scrolltext, IDC_TEXT\n    Create = \"x\", 0, 0, 50, 10, 1, 0\n    Delay = soon\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_TEXT\""},
    {"  { = Scrolltext, IDC_TEXT\n    Create = \"x\", 0, 0, 50, 10, 1, 0\n    TextColor = Nope\n  }\n", nullptr,
     "Unable to get the text color in the \"IDC_TEXT\" scrolltext ctrl"},
    // Edits.
    {"  { = Edit, IDC_TEXT\n  }\n", nullptr, "\"Create\" keyword missing for edit cntrl (\"IDC_TEXT\")"},
    {"  { = Edit, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 5\n  }\n", nullptr,
     "\"Create\" keyword missing for edit cntrl (\"IDC_TEXT\")"},
    {"  { = Edit, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 5, 0\n    ValidCharacters = NOPE\n  }\n", nullptr,
     "Unable to get the ValidCharacters string in the \"IDC_TEXT\"  ctrl"},
    {"  { = Edit, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 5, 0\n    TextBufferSize = 0\n  }\n", nullptr,
     "Unable to get the buffer size in the \"IDC_TEXT\" edit ctrl"},
    {"  { = MultiEdit, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 64\n  }\n", nullptr,
     "Unable to get the cntrl create data for \"IDC_TEXT\""},
    {"  { = MultiEdit, IDC_TEXT\n    Create = \"x\", 0, 0, 10, 10, 64, 0\n    Font = Nope\n  }\n", nullptr,
     "Unable to get the font in the \"IDC_TEXT\" multiedit ctrl"},
};

TEST_F(Dialog, EachBrokenScriptFailsWithItsDiagnosticAndLeavesNoWindow) {
  for (const SFailRow& row : kFailures) {
    SCOPED_TRACE(row.m_Body);
    CResData res;
    ASSERT_EQ(res.Import(Script(row.m_Body, row.m_Create ? row.m_Create : "Create = \"Title\", 10, 20, 200, 120, "
                                                                          "XWIN_TITLEBAR|XWIN_FRAME|XWIN_CLOSE")
                             .c_str()),
              1);
    CDialog dialog;
    xSetDiagnostics(1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dialog.Create(&res, 500, Record, 0, nullptr), 0);
    const std::string printed = testing::internal::GetCapturedStderr();
    xSetDiagnostics(0);
    EXPECT_NE(printed.find(row.m_Text), std::string::npos) << printed;
    EXPECT_EQ(WC().IsRegistered(&dialog), 0);
    EXPECT_EQ(dialog.GetTitlebar(), nullptr);
    EXPECT_EQ(dialog.NumCntrls(), 0);
  }
}

TEST_F(Dialog, UnknownIdsAndSectionsFail) {
  EXPECT_EQ(Build(Script(""), 0, 999), 0);
  EXPECT_NE(m_Printed.find("CDialog::Create: Unknown id: 999."), std::string::npos);
  EXPECT_EQ(m_Dialog.Create(&m_Res, 501, Record, 0, nullptr), 0);
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(m_Dialog.Create(&m_Res, 501, Record, 0, nullptr), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Unable to find specified window in the resource data IDC_NOWINDOW"),
            std::string::npos);
  xSetDiagnostics(0);
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(Dialog, ControlsAreBuiltWithTheirValuesAndFoundByTheirIds) {
  ASSERT_EQ(Build(Script("  ; a comment\n"
                         "  CreateStatic = IDC_LABEL, \"Label\", 5, 6, 50, 12, CNTRL_CENTERH\n"
                         "  { = Static, IDC_TEXT\n    Create = \"Text\", 1, 2, 30, 10, CNTRL_TRANSPARENT\n  }\n"
                         "  { = Button, IDC_OK\n    Create = \"OK\", 20, 60, 40, 20, XKEY_ENTER, 0\n  }\n"
                         "  { = Progress, IDC_BAR\n    Create = 3, 4, 100, 8, 0\n  }\n"
                         "  { = URL, IDC_LINK\n    Create = \"site\", \"http://x.example\", 70, 60, 40, 12, NULL, 0\n  }\n"
                         "  { = ControlContainer, IDC_BOX\n    Create = \"\", 100, 10, 60, 40, NULL, 0\n"
                         "    { = Button, IDC_INNER\n      Create = \"In\", 5, 5, 20, 10, NULL, 0\n    }\n  }\n")),
            1)
      << m_Printed;
  EXPECT_EQ(WC().IsRegistered(&m_Dialog), 1);
  EXPECT_FALSE(m_Dialog.IsHidden());
  ASSERT_NE(m_Dialog.GetTitlebar(), nullptr);
  ASSERT_NE(m_Dialog.GetFrame(), nullptr);

  // Records in script order; the container before its child.
  std::vector<int32_t> order;
  for (m_Dialog.First(); m_Dialog.Exists(); m_Dialog.Next()) order.push_back(m_Dialog.GetGuiCtrl(-1)->m_Id);
  EXPECT_EQ(order, (std::vector<int32_t>{108, 102, 101, 103, 107, 104, 105}));
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {108, GUICTRL_STATIC}, {102, GUICTRL_STATIC}, {101, GUICTRL_BUTTON}, {103, GUICTRL_PROGRESS},
      {107, GUICTRL_URL},    {104, GUICTRL_CONTAINER}, {105, GUICTRL_BUTTON}};
  for (const auto& [id, type] : expected) {
    TGuiCtrl* r = m_Dialog.GetGuiCtrl(id);
    ASSERT_NE(r, nullptr) << id;
    EXPECT_EQ(r->m_Type, type) << id;
  }
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 7);
  // A one-line static keeps its own id; a chunk's static takes the define's.
  EXPECT_EQ(m_Dialog.GetCtrl(108)->GetID(), 1004);
  EXPECT_EQ(m_Dialog.GetCtrl(102)->GetID(), 102);
  EXPECT_EQ(m_Dialog.GetCtrl(101)->GetID(), 101);
  EXPECT_EQ(m_Dialog.GetCtrl(101)->GetHotkey(), XKEY_ENTER);
  EXPECT_EQ(m_Dialog.GetCtrl(108)->GetFlags() & CNTRL_CENTERH, CNTRL_CENTERH);
  EXPECT_STREQ(m_Dialog.GetTextBuffer(102, 0), "Text");
  EXPECT_STREQ(static_cast<CURL*>(m_Dialog.GetCtrl(107))->GetURL(), "http://x.example");
  auto* box = static_cast<CControlContainer*>(m_Dialog.GetCtrl(104));
  ASSERT_EQ(box->GetChildIterator().size(), 1u);
  EXPECT_EQ(box->GetChildIterator()[0], m_Dialog.GetCtrl(105));
  EXPECT_EQ(m_Dialog.NumCntrls(), 7);
  EXPECT_EQ(m_Dialog.GetCtrl(9999), nullptr);

  // The progress bar's value, clamped; other kinds and unknown ids refuse.
  EXPECT_EQ(m_Dialog.SetValue(103, 250), 1);
  EXPECT_EQ(static_cast<CProgress*>(m_Dialog.GetCtrl(103))->GetValue(), 100);
  EXPECT_EQ(m_Dialog.SetValue(103, -3), 1);
  EXPECT_EQ(static_cast<CProgress*>(m_Dialog.GetCtrl(103))->GetValue(), 0);
  EXPECT_EQ(m_Dialog.SetValue(101, 5), 0);
  EXPECT_EQ(m_Dialog.SetValue(9999, 5), 0);
  EXPECT_EQ(m_Dialog.SetText(9999, "x"), 0);
  EXPECT_EQ(m_Dialog.GetTextBuffer(9999, 0), nullptr);
  EXPECT_EQ(m_Dialog.GetTextBufferSize(9999), 0);

  EXPECT_EQ(m_Dialog.Destroy(), 1);
  EXPECT_EQ(WC().IsRegistered(&m_Dialog), 0);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 0);
  EXPECT_EQ(m_Dialog.GetCtrl(101), nullptr);
  // And again after Destroy.
  EXPECT_EQ(m_Dialog.Create(&m_Res, 500, Record, 0, nullptr), 1);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 7);
}

TEST_F(Dialog, ItemsInAnyOrderGiveTheSameControl) {
  const char* const kOrders[] = {
      "    Create = \"x\", 1, 2, 30, 10, 0\n    Alpha = 40\n    TextBufferSize = 64\n    Colors = Felt, Felt, Felt, Felt\n",
      "    Colors = Felt, Felt, Felt, Felt\n    TextBufferSize = 64\n    Alpha = 40\n    Create = \"x\", 1, 2, 30, 10, 0\n",
  };
  for (const char* items : kOrders) {
    CResData res;
    ASSERT_EQ(res.Import(Script(std::string("  { = Static, IDC_TEXT\n") + items + "  }\n").c_str()), 1);
    CDialog d;
    ASSERT_EQ(d.Create(&res, 500, Record, 0, nullptr), 1) << items;
    CControlBase* c = d.GetCtrl(102);
    EXPECT_EQ(c->GetTextBufferSize(), 64);
    EXPECT_EQ(c->GetFlags() & CNTRL_ALPHA, CNTRL_ALPHA);
    EXPECT_EQ(c->GetLook().m_Alpha, 40);
    EXPECT_EQ(c->GetLook().m_pColors[0], res.GetCntrlColorByName("Felt"));
  }
}

TEST_F(Dialog, HiddenCreationRegistersTheDialogHidden) {
  ASSERT_EQ(Build(Script(""), DIALOG_HIDDEN), 1);
  EXPECT_EQ(WC().IsRegistered(&m_Dialog), 1);
  EXPECT_TRUE(m_Dialog.IsHidden());
  m_Dialog.ShowWindow();
  EXPECT_FALSE(m_Dialog.IsHidden());
}

TEST_F(Dialog, TitlebarAndFrameFlagsNeedBitmapsOnlyWithHasBitmap) {
  ASSERT_EQ(Build(Script("  TitlebarFlags = CNTRL_TRANSPARENT\n  FrameFlags = CNTRL_EXTRUDED\n"
                         "  Colors = Felt, Felt, Felt, Felt\n")),
            1);
  EXPECT_EQ(m_Dialog.GetTitlebar()->GetFlags() & CNTRL_TRANSPARENT, CNTRL_TRANSPARENT);
  EXPECT_EQ(m_Dialog.GetFrame()->GetFlags() & CNTRL_EXTRUDED, CNTRL_EXTRUDED);
  EXPECT_EQ(m_Dialog.GetFrame()->GetLook().m_pColors[3], m_Res.GetCntrlColorByName("Felt"));
}

// Fonts and bitmaps come from the shared test script's files.
class DialogWithFiles : public Dialog {
 protected:
  CWorkingDir m_Here{kDataDir};
};

TEST_F(DialogWithFiles, BitmapsAndTheFirstOfRepeatedKeysCount) {
  std::string script = ReadWholeFile("test.xrs");
  const std::string mainDefine = "    IDD_MAIN = 100\n";
  script.insert(script.find(mainDefine) + mainDefine.size(), "    DLG2 = 600\n    IDC_B = 601\n");
  script +=
      "{ = Window, DLG2\n  Create = \"Files\", 0, 0, 200, 100, XWIN_TITLEBAR|XWIN_FRAME\n"
      "  TitlebarFlags = CNTRL_HASBITMAP\n  TitlebarBitmap = SheetA, SheetB, SheetA, SheetB\n"
      "  FrameFlags = CNTRL_HASBITMAP\n  FrameBitmap = SheetB, SheetB, SheetB, SheetA\n"
      "  { = Button, IDC_B\n    Font = Second\n    Create = \"B\", 0, 0, 40, 20, NULL, 0\n    Font = Main\n"
      "    Bitmap = SheetA, SheetB, Corner, Whole\n  }\n}\n";
  ASSERT_EQ(Build(script, 0, 600), 1) << m_Printed;
  CControlBase* b = m_Dialog.GetCtrl(601);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetLook().m_pFont, m_Res.GetFont("Second"));
  EXPECT_EQ(b->GetFlags() & CNTRL_HASBITMAP, CNTRL_HASBITMAP);
  EXPECT_EQ(b->GetLook().m_pBitmaps[2], m_Res.GetBm("Corner", nullptr, nullptr));
  EXPECT_EQ(m_Dialog.GetTitlebar()->GetLook().m_pBitmaps[1], m_Res.GetBm("SheetB", nullptr, nullptr));
  EXPECT_EQ(m_Dialog.GetFrame()->GetLook().m_pBitmaps[3], m_Res.GetBm("SheetA", nullptr, nullptr));
}

TEST_F(Dialog, EnterFiresOkAndTheCloseBoxReportsThroughTheCallback) {
  StartScreen(640, 480);
  ASSERT_EQ(Build(Script("  { = Button, IDC_OK\n    Create = \"OK\", 20, 60, 40, 20, XKEY_ENTER, 0\n  }\n")), 1);
  Frame();
  Events().clear();
  Key(XVK_RETURN);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{500, 101}}));
  for (const SGuiEvent& e : Events()) EXPECT_EQ(e.m_pUser, this);
  // The close box sits at the title bar's right end.
  CControlBase* close = m_Dialog.GetTitlebar()->GetCloseBox();
  ASSERT_NE(close, nullptr);
  const CRect r = close->ScreenRect();
  Events().clear();
  Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{500, XCNTRL_CLOSE}}));
}
}  // namespace

namespace {
TEST_F(Dialog, AFailedBuildKeepsItsEarlierRecordsUntilTheNextBuild) {
  ASSERT_EQ(Build(Script("  { = Button, IDC_OK\n    Create = \"OK\", 0, 0, 10, 10, NULL, 0\n  }\n"
                         "  { = Progress, IDC_BAR\n  }\n")),
            0);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 1);
  EXPECT_NE(m_Dialog.GetCtrl(101), nullptr);
  EXPECT_EQ(WC().IsRegistered(&m_Dialog), 0);
  CResData good;
  ASSERT_EQ(good.Import(Script("  { = ControlContainer, IDC_BOX\n    Create = \"\", 10, 10, 60, 40, NULL, 0\n"
                               "    CreateStatic = IDC_LABEL, \"In\", 1, 1, 20, 10, 0\n  }\n")
                            .c_str()),
            1);
  ASSERT_EQ(m_Dialog.Create(&good, 500, Record, 0, nullptr), 1);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 2);
  EXPECT_EQ(m_Dialog.GetCtrl(101), nullptr);
  auto* box = static_cast<CControlContainer*>(m_Dialog.GetCtrl(104));
  ASSERT_EQ(box->GetChildIterator().size(), 1u);
  EXPECT_EQ(box->GetChildIterator()[0], m_Dialog.GetCtrl(108));
}
}  // namespace

namespace {
TEST_F(Dialog, RecordsAddedByTheCallerAndTheCursorLookups) {
  ASSERT_EQ(Build(Script("  { = Button, IDC_OK\n    Create = \"OK\", 0, 0, 10, 10, NULL, 0\n  }\n")), 1);
  auto* extra = new CStatic;
  extra->Create("extra", 0, 0, 10, 10, 0);
  auto* record = new TGuiCtrl{GUICTRL_STATIC, -1, extra};
  EXPECT_EQ(m_Dialog.AddGuiCtrl(record, ADDCNTRL_FIRST), 1);
  EXPECT_EQ(m_Dialog.NumCntrls(), 2);
  // -1 takes the record at the cursor when its id is -1, else searches as any id.
  m_Dialog.First();
  EXPECT_EQ(m_Dialog.GetGuiCtrl(-1), record);
  EXPECT_EQ(m_Dialog.GetCtrl(-1), extra);
  m_Dialog.Next();
  EXPECT_EQ(m_Dialog.GetGuiCtrl(-1)->m_Id, 101);
  EXPECT_EQ(m_Dialog.GetCtrl(-1), extra);
  EXPECT_EQ(m_Dialog.SetText(101, "Go"), 1);
  EXPECT_STREQ(m_Dialog.GetTextBuffer(101, 0), "Go");
  // Taken out, not deleted.
  EXPECT_EQ(m_Dialog.RemoveGuiCntrl(record), 1);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 1);
  EXPECT_EQ(m_Dialog.NumCntrls(), 1);
  EXPECT_EQ(m_Dialog.GetCtrl(-1), nullptr);
  delete extra;
  delete record;
}
}  // namespace

namespace {
TEST_F(Dialog, ListsAndComboBoxesTakeTheirTextsAndChildChunksAsEntries) {
  ASSERT_EQ(Build(Script("  { = Listbox, IDC_BOX\n    Create = 5, 6, 100, 60, 20, 0, CNTRL_EXTRUDED\n    Text = \"One\"\n"
                         "    { = Static, IDC_INNER\n      Create = \"Two\", 0, 0, 100, 20, 0\n    }\n"
                         "    Text = \"Three\"\n    Alpha = 30\n  }\n"
                         "  { = Combobox, IDC_LINK\n    Text = \"Red\"\n    Create = 5, 80, 100, 20, 90, XKEY_F1, CNTRL_TABSTOP, "
                         "XGUI_DISABLED\n    { = Button, IDC_OK\n      Create = \"Go\", 0, 0, 90, 18, NULL, 0\n    }\n"
                         "    Text = \"Blue\"\n  }\n")),
            1)
      << m_Printed;
  auto* list = dynamic_cast<CListbox*>(m_Dialog.GetCtrl(104));
  auto* combo = dynamic_cast<CCombobox*>(m_Dialog.GetCtrl(107));
  ASSERT_NE(list, nullptr);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(m_Dialog.GetGuiCtrl(104)->m_Type, GUICTRL_LISTBOX);
  EXPECT_EQ(m_Dialog.GetGuiCtrl(107)->m_Type, GUICTRL_COMBOBOX);
  // Entries in chunk order; the child chunks are records too, but not controls of the window.
  ASSERT_EQ(list->GetNumRows(), 3);
  EXPECT_STREQ(list->GetRow(1)->GetTextBuffer(0), "One");
  EXPECT_EQ(list->GetRow(2), m_Dialog.GetCtrl(105));
  EXPECT_STREQ(list->GetRow(3)->GetTextBuffer(0), "Three");
  ASSERT_EQ(combo->GetNumEntries(), 3);
  EXPECT_EQ(combo->GetEntry(2), m_Dialog.GetCtrl(101));
  EXPECT_STREQ(combo->GetEntry(3)->GetTextBuffer(0), "Blue");
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 4);
  EXPECT_EQ(m_Dialog.NumCntrls(), 2);
  // Create's values, the list's id in its parts, the common keys and the optional state.
  int32_t x = 0, y = 0, rowHeight = 0;
  list->GetPos(x, y);
  list->GetFieldHeight(rowHeight);
  EXPECT_EQ((std::vector<int32_t>{x, y, rowHeight}), (std::vector<int32_t>{5, 6 + TITLEBAR_HEIGHT, 20}));
  EXPECT_EQ(list->GetFlags(), uint32_t{CNTRL_EXTRUDED | CNTRL_ALPHA});
  EXPECT_EQ(list->GetID(), 104);
  EXPECT_EQ(combo->GetHotkey(), XKEY_F1);
  EXPECT_EQ(combo->GetFlags(), uint32_t{CNTRL_TABSTOP});
  EXPECT_EQ(combo->GetState(), XGUI_DISABLED);
  EXPECT_EQ(combo->GetButton()->GetID(), 107 + 10003);
  EXPECT_EQ(combo->GetListArea().top, 80 + TITLEBAR_HEIGHT + 20);
  // The lists own their entries: emptying one first, then destroying the dialog, frees each once.
  list->RemoveAll();
  EXPECT_EQ(m_Dialog.Destroy(), 1);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), 0);
}

TEST_F(Dialog, TogglesGroupsAndMenusAreBuiltFromTheirChunks) {
  ASSERT_EQ(Build(Script("  { = Checkbox, IDC_TEXT\n    Create = \"Sound\", 5, 5, 80, 16, 12, XKEY_SPACE, CNTRL_EXTRUDED\n"
                         "    { = Caption\n      Flags = CNTRL_CENTERV\n      Alpha = 30\n    }\n"
                         "    TextColor = \"1 2 3 0\"\n  }\n"
                         "  { = Groupbox, IDC_BOX\n    Create = \"Bet\", 10, 30, 90, 60, CNTRL_EXTRUDED\n    ; only radios\n"
                         "    { = Radio, IDC_OK\n      Create = \"Low\", 4, 4, 60, 16, 0, NULL, 0\n    }\n"
                         "    { = Radio, IDC_LINK\n      Create = \"High\", 4, 24, 60, 16, 12, NULL, 0\n"
                         "      { = Caption\n      }\n    }\n  }\n"
                         "  { = Menu, IDC_BAR\n    BaseLine = 90\n"
                         "    Create = \"Game\", 110, 5, 60, 16, 250, 250, right, ClickAndHighlight, NULL, 0\n"
                         "    { = Button, IDC_INNER\n      Create = \"New\", 0, 0, 60, 16, NULL, 0\n    }\n"
                         "    CreateStatic = IDC_LABEL, \"Quit\", 0, 0, 60, 16, 0\n  }\n")),
            1)
      << m_Printed;
  std::vector<std::pair<int32_t, int32_t>> records;
  for (m_Dialog.First(); m_Dialog.Exists(); m_Dialog.Next())
    records.push_back({m_Dialog.GetGuiCtrl(-1)->m_Id, m_Dialog.GetGuiCtrl(-1)->m_Type});
  EXPECT_EQ(records, (std::vector<std::pair<int32_t, int32_t>>{{102, GUICTRL_CHECKBOX},
                                                               {104, GUICTRL_GROUPBOX},
                                                               {101, GUICTRL_RADIO},
                                                               {107, GUICTRL_RADIO},
                                                               {103, GUICTRL_MENU},
                                                               {105, GUICTRL_BUTTON},
                                                               {108, GUICTRL_STATIC}}));
  // The caption's sixteen low flag bits are the chunk's alone; its common keys are its own.
  auto* box = static_cast<CCheckbox*>(m_Dialog.GetCtrl(102));
  EXPECT_EQ(box->GetID(), 102);
  EXPECT_EQ(box->GetHotkey(), XKEY_SPACE);
  EXPECT_EQ(box->GetCaptionOffset(), 12);
  ASSERT_NE(box->GetCaption(), nullptr);
  EXPECT_EQ(box->GetCaption()->GetFlags() & 0xFFFF, static_cast<uint32_t>(CNTRL_CENTERV | CNTRL_ALPHA));
  EXPECT_EQ(box->GetCaption()->GetLook().m_Alpha, 30);
  EXPECT_EQ(box->GetLook().m_TextColor.r, 1);
  // Radio positions count from the group; the first is checked; the buttons are the group's.
  auto* group = static_cast<CGroupbox*>(m_Dialog.GetCtrl(104));
  auto* low = static_cast<CRadiobutton*>(m_Dialog.GetCtrl(101));
  auto* high = static_cast<CRadiobutton*>(m_Dialog.GetCtrl(107));
  ASSERT_EQ(group->GetButtons().size(), 2u);
  EXPECT_EQ(group->GetButtons()[1], high);
  EXPECT_EQ(high->GetGroup(), group);
  int32_t gx = 0, gy = 0, x = 0, y = 0;
  group->GetPos(gx, gy);
  high->GetPos(x, y);
  EXPECT_EQ(x - gx, 4);
  EXPECT_EQ(y - gy, 24);
  EXPECT_EQ(group->GetSelected(), 101);
  EXPECT_EQ(low->GetCaption(), nullptr);
  EXPECT_EQ(m_Dialog.FindCntrl(101), nullptr);  // the group passes them the input
  // The menu: base line, delays, words; its items are in the window after it, hidden.
  auto* menu = static_cast<CMenu*>(m_Dialog.GetCtrl(103));
  EXPECT_EQ(menu->GetBaseLine(), 90);
  EXPECT_EQ(menu->GetCloseDelay(), 250);
  EXPECT_EQ(menu->GetOpenDelay(), 251);
  EXPECT_EQ(menu->GetDirection(), MENU_RIGHT);
  EXPECT_EQ(menu->GetOpenMode(), MENU_CLICKANDHIGHLIGHT);
  EXPECT_EQ(menu->GetNumberOfChilds(), 2);
  EXPECT_EQ(m_Dialog.GetCtrl(105)->GetState(), XGUI_HIDDEN);
  EXPECT_NE(m_Dialog.FindCntrl(105), nullptr);
  menu->OpenMenu();
  EXPECT_EQ(m_Dialog.GetCtrl(105)->GetState(), XGUI_RELEASED);
  EXPECT_EQ(EventsOf(GUIMSG_MENUOPEN), (std::vector<std::pair<int32_t, int32_t>>{{500, 103}}));
}
}  // namespace

namespace {
TEST_F(Dialog, SlidersScrollTextsAndTimeoutsAreBuiltFromTheirChunks) {
  ASSERT_EQ(Build(Script("  { = Slider, IDC_BAR\n    Create = 5, 6, 10, 100, 1, 10, 20, 3, CNTRL_EXTRUDED\n"
                         "    Colors = Felt, Felt, Felt, Felt\n"
                         "    { = Up\n      Flags = CNTRL_CENTERV\n    }\n"
                         "    { = Drag\n      Colors = Felt, Felt, Felt, Felt\n    }\n  }\n"
                         "  { = Scrolltext, IDC_TEXT\n    Text = \"First\"\n    Create = \"Zero\", 1, 2, 60, 12, 2, 0\n"
                         "    Delay = 40\n    Text = \"Second\"\n  }\n"
                         "  { = Timeout, IDC_BOX\n    Create = 70, 10, 40, 40, 20, 20, 19, CNTRL_TRANSPARENT\n  }\n")),
            1)
      << m_Printed;
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {103, GUICTRL_SLIDER}, {102, GUICTRL_SCROLLTEXT}, {104, GUICTRL_TIMEOUT}};
  for (const auto& [id, type] : expected) {
    TGuiCtrl* r = m_Dialog.GetGuiCtrl(id);
    ASSERT_NE(r, nullptr) << id;
    EXPECT_EQ(r->m_Type, type) << id;
  }
  auto* slider = static_cast<CSlider*>(m_Dialog.GetCtrl(103));
  EXPECT_EQ(slider->GetID(), 103);
  int32_t lo = 0, hi = 0, page = 0;
  slider->GetRange(lo, hi, page);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 10);
  EXPECT_EQ(page, 3);
  EXPECT_EQ(slider->GetValue(), 8);
  EXPECT_EQ(slider->GetFlags(), CNTRL_EXTRUDED);
  EXPECT_EQ(slider->GetLook().m_pColors[0], m_Res.GetCntrlColorByName("Felt"));
  // The parts take their ids from the slider's; "Flags" replaces the sixteen low bits.
  EXPECT_EQ(slider->GetUpButton()->GetID(), 10103);
  EXPECT_EQ(slider->GetThumb()->GetID(), 10105);
  EXPECT_EQ(slider->GetUpButton()->GetFlags(), CNTRL_CENTERV);
  EXPECT_EQ(slider->GetDownButton()->GetFlags(), 0x105u);
  EXPECT_EQ(slider->GetThumb()->GetLook().m_pColors[2], m_Res.GetCntrlColorByName("Felt"));
  EXPECT_NE(slider->GetUpButton()->GetLook().m_pColors[2], m_Res.GetCntrlColorByName("Felt"));

  // The scrolling text keeps the static's id; the last "Text" stays, and "Delay" started it.
  auto* marquee = static_cast<CScrollText*>(m_Dialog.GetCtrl(102));
  EXPECT_EQ(marquee->GetID(), 1004);
  EXPECT_STREQ(m_Dialog.GetTextBuffer(102, 0), "Second");
  EXPECT_EQ(marquee->IsScrolling(), 1);

  auto* timeout = static_cast<CTimeout*>(m_Dialog.GetCtrl(104));
  EXPECT_EQ(timeout->GetID(), 104);
  EXPECT_EQ(timeout->GetFlags(), CNTRL_TRANSPARENT);
  ASSERT_NE(timeout->GetWorkBitmap(), nullptr);
  EXPECT_EQ(timeout->GetWorkBitmap()->m_Width, 44);
  // Client coordinates: below the title bar.
  int32_t x = 0, y = 0, dx = 0, dy = 0;
  m_Dialog.ClientOffset(dx, dy);
  slider->GetThumb()->GetPos(x, y);
  EXPECT_EQ(x, 5 + dx);
  EXPECT_EQ(y, 6 + dy + 10 + (80 - 24) * 7 / 7);
}

TEST_F(Dialog, EditsAreBuiltWithTheirLimitsFiltersAndScrollBars) {
  const std::string strings = "{ = Strings\n  Amount = 1, \"0123456789.\"\n}\n";
  ASSERT_EQ(Build(strings + Script("  { = Edit, IDC_TEXT\n    Create = \"12\", 5, 5, 80, 14, 6, CNTRL_EXTRUDED\n"
                                   "    ValidCharacters = Amount\n    TextBufferSize = 3\n  }\n"
                                   "  { = Edit, IDC_BAR\n    Create = \"\", 5, 25, 80, 40, 100, CNTRL_MULTILINE, XGUI_DISABLED\n  }\n"
                                   "  { = MultiEdit, IDC_BOX\n    Create = \"one\\ntwo\", 5, 70, 120, 40, 32, CNTRL_EDITVSLIDER\n  }\n")),
            1)
      << m_Printed;
  ASSERT_EQ(m_Dialog.GetGuiCtrl(102)->m_Type, GUICTRL_EDIT);
  auto* amount = static_cast<CEdit*>(m_Dialog.GetCtrl(102));
  EXPECT_EQ(amount->GetID(), 102);
  EXPECT_EQ(amount->GetMaxLength(), 6);
  EXPECT_EQ(amount->GetFlags(), uint32_t{CNTRL_EXTRUDED | CNTRL_TABSTOP});
  EXPECT_STREQ(amount->GetValidCharacters(), "0123456789.");
  // The buffer asked for is too small for the maximum length: it gets the length plus one.
  EXPECT_EQ(amount->GetTextBufferSize(), 7);
  auto* memo = static_cast<CEdit*>(m_Dialog.GetCtrl(103));
  EXPECT_EQ(memo->GetState(), XGUI_DISABLED);
  ASSERT_NE(memo->GetScrollBar(), nullptr);
  EXPECT_EQ(memo->GetScrollBar()->GetID(), 103);
  ASSERT_EQ(m_Dialog.GetGuiCtrl(104)->m_Type, GUICTRL_MULTIEDIT);
  auto* pane = static_cast<CMultiEdit*>(m_Dialog.GetCtrl(104));
  EXPECT_EQ(pane->GetNumRows(), 2);
  EXPECT_EQ(pane->GetLineSize(), 32);
  ASSERT_NE(pane->GetVerticalBar(), nullptr);
  EXPECT_EQ(pane->GetHorizontalBar(), nullptr);
  // Keys reach the focused edit through the window and its filter.
  m_Dialog.SetFocus(amount);
  for (uint16_t code : {uint16_t{'3'}, uint16_t{'x'}, uint16_t{'.'}, uint16_t{'5'}, uint16_t{'9'}}) {
    TQueueChar key{code, XKEYF_PRESSED};
    m_Dialog.GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &key);
  }
  EXPECT_STREQ(amount->GetTextBuffer(0), "3.59");
}
}  // namespace
