#include "common/options/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/options/optionitem.h"
#include "common/options/settingsgroup.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/checkbox.h"
#include "ostrel/controls/static.h"
#include "ostrel/resources/resdata.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

namespace {
const std::string kDataDir = std::string(VORRIN_TEST_DATA_DIR) + "/options";
const std::string kLayout = kDataDir + "/settings.xrs";

enum : int32_t {
  DLG_TABLE = 910,
  IDC_TABLE_OK = 911,
  IDC_TEMPLATE_CHECKBOX = 70900,
  IDS_TEMPLATE_DESC = 70901,
  IDS_TEMPLATE_LABEL = 70902,
  IDS_GROUP_SOUND = 70000,
  IDC_SOUND_ON = 70001,
  IDC_SOUND_OFF = 70002,
  IDS_GROUP_TABLE = 70100,
  IDC_TABLE_FAST = 70101,
  IDC_TABLE_SLOW = 70102,
};

std::vector<SGuiEvent> g_SettingsHeard;

// A settings screen's own callback: records, then passes everything on as a subclass would.
void SettingsHeard(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  g_SettingsHeard.push_back({event, windowId, controlId, value, user});
  static_cast<CSettings*>(user)->PassOn(event, windowId, controlId, value);
}

class Settings : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    g_SettingsHeard.clear();
    StartScreen(640, 480);
    ASSERT_EQ(m_Res.Load((kDataDir + "/options.xrs").c_str()), 1);
    ASSERT_EQ(m_Dialog.Create(&m_Res, DLG_TABLE, Record, 0, this), 1);
    Frame();
  }
  void ClickOn(CControlBase* control) {
    ASSERT_NE(control, nullptr);
    const CRect r = control->ScreenRect();
    Click(r.left + 5, (r.top + r.bottom) / 2);
  }
  // A click on the table's button reaches the dialog's own callback and user value alone.
  void ExpectTheDialogsOwnCallback() {
    g_SettingsHeard.clear();
    Events().clear();
    ClickOn(m_Dialog.GetCtrl(IDC_TABLE_OK));
    EXPECT_TRUE(g_SettingsHeard.empty());
    ASSERT_FALSE(Events().empty());
    EXPECT_EQ(Events().back().m_ControlId, IDC_TABLE_OK);
    EXPECT_EQ(Events().back().m_pUser, this);
  }
  // A layout written for one test.
  std::string Layout(const std::string& text) {
    const std::string path = m_Dir.File("layout" + std::to_string(++m_Layouts) + ".xrs");
    WriteWholeFile(path, text);
    return path;
  }
  // An option as the client makes one: a copy of the template box with its own id and caption,
  // added to the dialog's window in front.
  COptionItem* MakeOption(CControlBase* templ, int32_t id, const char* caption, const char* description,
                          int32_t x = 0, int32_t y = 0) {
    auto* box = new CCheckbox;
    box->Copy(templ);
    box->SetID(id);
    box->SetPos(x, y);
    CControlBase* text = box->GetCaption() ? static_cast<CControlBase*>(box->GetCaption()) : box;
    text->SetText(caption);
    m_Dialog.AddCntrl(box, 0x4000);
    box->SetState(XGUI_UNCHECKED);
    auto* item = new COptionItem;
    EXPECT_EQ(item->Create(new TGuiCtrl{GUICTRL_CHECKBOX, id, box}, description), 1);
    return item;
  }

  CTempDir m_Dir;
  int32_t m_Layouts = 0;
  CResData m_Res;
  CDialog m_Dialog;
};

TEST_F(Settings, AnAttachedDialogsEventsReachTheSettingsUntilDestroySettings) {
  CSettings settings;
  ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
  EXPECT_EQ(settings.IsAttached(), 1);
  ClickOn(m_Dialog.GetCtrl(IDC_TABLE_OK));
  ASSERT_FALSE(g_SettingsHeard.empty());
  EXPECT_EQ(g_SettingsHeard.back().m_Event, GUIMSG_COMMAND);
  EXPECT_EQ(g_SettingsHeard.back().m_ControlId, IDC_TABLE_OK);
  EXPECT_EQ(g_SettingsHeard.back().m_pUser, &settings);
  // Passed on to the dialog's own callback with its own user value.
  ASSERT_FALSE(Events().empty());
  EXPECT_EQ(Events().back().m_ControlId, IDC_TABLE_OK);
  EXPECT_EQ(Events().back().m_pUser, this);

  EXPECT_EQ(settings.DestroySettings(), 1);
  EXPECT_EQ(settings.IsAttached(), 0);
  EXPECT_EQ(settings.GetLayout(), nullptr);
  ExpectTheDialogsOwnCallback();
}

TEST_F(Settings, AttachingFailsWithoutChangingAnything) {
  CSettings settings;
  CDialog unregistered;
  EXPECT_EQ(settings.CreateSettings(&unregistered, kLayout.c_str(), SettingsHeard), 0);
  EXPECT_EQ(settings.CreateSettings(nullptr, kLayout.c_str(), SettingsHeard), 0);
  EXPECT_EQ(settings.CreateSettings(&m_Dialog, m_Dir.File("missing.xrs").c_str(), SettingsHeard), 0);
  EXPECT_EQ(settings.IsAttached(), 0);
  ClickOn(m_Dialog.GetCtrl(IDC_TABLE_OK));
  EXPECT_TRUE(g_SettingsHeard.empty());

  // Attached once; the same callback again, from this object or another, is refused.
  ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
  EXPECT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 0);
  {
    CSettings second;
    EXPECT_EQ(second.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 0);
  }
  // The refused second object gave nothing back on its way out: still attached.
  ClickOn(m_Dialog.GetCtrl(IDC_TABLE_OK));
  ASSERT_FALSE(g_SettingsHeard.empty());
  EXPECT_EQ(g_SettingsHeard.back().m_pUser, &settings);
}

TEST_F(Settings, TheDestructorAndTheDefaultCallbackPassEverythingOn) {
  {
    CSettings settings;
    ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), nullptr), 1);
    ClickOn(m_Dialog.GetCtrl(IDC_TABLE_OK));
    ASSERT_FALSE(Events().empty());
    EXPECT_EQ(Events().back().m_ControlId, IDC_TABLE_OK);
    EXPECT_EQ(Events().back().m_pUser, this);
    // Attaching a second time with another callback gives the first back before.
    ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
    Events().clear();
    ClickOn(m_Dialog.GetCtrl(IDC_TABLE_OK));
    ASSERT_FALSE(g_SettingsHeard.empty());
    ASSERT_FALSE(Events().empty());
    EXPECT_EQ(Events().back().m_pUser, this);
  }
  ExpectTheDialogsOwnCallback();
}

TEST_F(Settings, PositionsComeFromTheLayoutWithMissingKeysAtZero) {
  CSettings settings;
  CSettings::TSettingsCoords coords;
  coords.m_SettingsPos = {5, 5};
  EXPECT_EQ(settings.GetSettingsPosition(coords), 0);  // no layout yet
  EXPECT_EQ(coords.m_SettingsPos.m_X, 0);

  ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
  ASSERT_EQ(settings.GetSettingsPosition(coords), 1);
  const std::vector<std::pair<int32_t, int32_t>> got = {
      {coords.m_SettingsPos.m_X, coords.m_SettingsPos.m_Y},     {coords.m_GroupOffset.m_X, coords.m_GroupOffset.m_Y},
      {coords.m_OptionsOffset.m_X, coords.m_OptionsOffset.m_Y}, {coords.m_DescOffset.m_X, coords.m_DescOffset.m_Y},
      {coords.m_LabelOffset.m_X, coords.m_LabelOffset.m_Y}};
  EXPECT_EQ(got, (std::vector<std::pair<int32_t, int32_t>>{{12, 30}, {0, 60}, {90, 0}, {12, 220}, {-4, -18}}));

  // Missing and malformed keys read as 0, 0; the good ones are still read.
  ASSERT_EQ(settings.DestroySettings(), 1);
  CSettings partial;
  ASSERT_EQ(partial.CreateSettings(&m_Dialog,
                                   Layout("{ = Data\n  GROUPOFFSET = {3, 4}\n  SETTINGSPOS = {7}\n"
                                          "  OPTIONSOFFSET = 8, 9\n  DESCOFFSET = {a, b}\n}\n")
                                       .c_str(),
                                   nullptr),
            1);
  ASSERT_EQ(partial.GetSettingsPosition(coords), 1);
  EXPECT_EQ(coords.m_GroupOffset.m_X, 3);
  EXPECT_EQ(coords.m_GroupOffset.m_Y, 4);
  for (const CSettings::TCoordPair& pair :
       {coords.m_SettingsPos, coords.m_OptionsOffset, coords.m_DescOffset, coords.m_LabelOffset}) {
    EXPECT_EQ(pair.m_X, 0);
    EXPECT_EQ(pair.m_Y, 0);
  }
  // Without a "Data" chunk: 0, all zero, and no control to find.
  CSettings empty;
  ASSERT_EQ(partial.DestroySettings(), 1);
  ASSERT_EQ(empty.CreateSettings(&m_Dialog, Layout("{ = Other\n  SETTINGSPOS = {1, 2}\n}\n").c_str(), nullptr), 1);
  EXPECT_EQ(empty.GetSettingsPosition(coords), 0);
  EXPECT_EQ(coords.m_GroupOffset.m_X, 0);
  EXPECT_EQ(empty.GetControl("Checkbox", "IDC_TEMPLATE_CHECKBOX"), nullptr);
}

TEST_F(Settings, ControlsAreFoundWithoutRegardToCaseMadeOnTheDialogAndTakenOffAgain) {
  CSettings settings;
  EXPECT_EQ(settings.GetControl("Checkbox", "IDC_TEMPLATE_CHECKBOX"), nullptr);  // not attached
  const int32_t before = m_Dialog.NumGuiCtrls();
  ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
  TGuiCtrl* templ = settings.GetControl("checkbox", "idc_template_checkbox");
  ASSERT_NE(templ, nullptr);
  EXPECT_EQ(templ->m_Type, GUICTRL_CHECKBOX);
  EXPECT_EQ(templ->m_Id, IDC_TEMPLATE_CHECKBOX);
  EXPECT_EQ(m_Dialog.GetCtrl(IDC_TEMPLATE_CHECKBOX), templ->m_pCntrl);
  EXPECT_EQ(templ->m_pCntrl->GetState(), XGUI_HIDDEN);
  TGuiCtrl* label = settings.GetControl("STATIC", "ids_group_table");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->m_Type, GUICTRL_STATIC);
  EXPECT_STREQ(label->m_pCntrl->GetTextBuffer(0), "Table");
  EXPECT_EQ(settings.GetControl("Static", "IDC_TEMPLATE_CHECKBOX"), nullptr);  // both values count
  EXPECT_EQ(settings.GetControl("Checkbox", "NOPE"), nullptr);
  EXPECT_EQ(settings.GetControl(nullptr, "IDC_TEMPLATE_CHECKBOX"), nullptr);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), before + 2);
  // A control a layout describes badly is no control, and leaves nothing behind.
  CSettings broken;
  settings.DestroySettings();
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), before);
  EXPECT_EQ(m_Dialog.GetCtrl(IDC_TEMPLATE_CHECKBOX), nullptr);
  ASSERT_EQ(broken.CreateSettings(&m_Dialog,
                                  Layout("{ = Defines\n  IDC_X = 5\n}\n{ = Data\n  { = Checkbox, IDC_X\n"
                                         "    Create = \"x\", 0, 0\n  }\n  { = Checkbox, IDC_Y\n"
                                         "    Create = \"y\", 0, 0, 10, 10, 0, NULL, 0\n  }\n}\n")
                                      .c_str(),
                                  nullptr),
            1);
  EXPECT_EQ(broken.GetControl("Checkbox", "IDC_X"), nullptr);
  EXPECT_EQ(broken.GetControl("Checkbox", "IDC_Y"), nullptr);  // no define for its name
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), before);
}

// A control with children (a group box with its radio buttons, a list with an entry made from a
// chunk) comes onto the dialog whole and leaves it whole; the list's entry goes with the list.
TEST_F(Settings, ControlsWithChildrenComeAndGoWhole) {
  const int32_t records = m_Dialog.NumGuiCtrls();
  const int32_t controls = m_Dialog.NumCntrls();
  CSettings settings;
  ASSERT_EQ(settings.CreateSettings(
                &m_Dialog,
                Layout("{ = Defines\n  IDC_GROUP = 1\n  IDC_A = 2\n  IDC_B = 3\n  IDC_LIST = 4\n  IDC_ROW = 5\n}\n"
                       "{ = Data\n  { = Groupbox, IDC_GROUP\n    Create = \"G\", 10, 10, 100, 50, 0\n"
                       "    { = Radio, IDC_A\n      Create = \"A\", 4, 4, 60, 16, 14, NULL, 0\n    }\n"
                       "    { = Radio, IDC_B\n      Create = \"B\", 4, 24, 60, 16, 14, NULL, 0\n    }\n  }\n"
                       "  { = Listbox, IDC_LIST\n    Create = 10, 70, 100, 60, 20, 0, 0\n    Text = \"One\"\n"
                       "    { = Static, IDC_ROW\n      Create = \"Two\", 0, 0, 100, 20, 0\n    }\n  }\n}\n")
                    .c_str(),
                nullptr),
            1);
  TGuiCtrl* group = settings.GetControl("Groupbox", "IDC_GROUP");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->m_Type, GUICTRL_GROUPBOX);
  EXPECT_EQ(group->m_pCntrl->GetSelected(), 2);
  ASSERT_NE(settings.GetControl("Listbox", "IDC_LIST"), nullptr);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), records + 5);
  EXPECT_NE(m_Dialog.GetCtrl(3), nullptr);
  Frame();
  ASSERT_EQ(settings.DestroySettings(), 1);
  EXPECT_EQ(m_Dialog.NumGuiCtrls(), records);
  EXPECT_EQ(m_Dialog.NumCntrls(), controls);
  EXPECT_EQ(m_Dialog.GetCtrl(3), nullptr);
  EXPECT_EQ(m_Dialog.GetCtrl(5), nullptr);
  Frame();
}

// Two groups of choices built from the layout's templates, as the client's settings window
// builds them: selection, state changes, lookups and the description text.
TEST_F(Settings, GroupsOfOptionsAndTheirDescription) {
  CSettings settings;
  ASSERT_EQ(settings.CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
  TGuiCtrl* templ = settings.GetControl("Checkbox", "IDC_TEMPLATE_CHECKBOX");
  TGuiCtrl* desc = settings.GetControl("Static", "IDS_TEMPLATE_DESC");
  ASSERT_NE(templ, nullptr);
  ASSERT_NE(desc, nullptr);
  settings.SetDescCtrl(desc);
  struct SGroupRow {
    int32_t m_Id;
    const char* m_Name;
    std::vector<std::pair<int32_t, const char*>> m_Options;
  };
  const SGroupRow rows[] = {
      {IDS_GROUP_SOUND, "Sound", {{IDC_SOUND_ON, "Music and effects play"}, {IDC_SOUND_OFF, "All quiet"}}},
      {IDS_GROUP_TABLE, "Table", {{IDC_TABLE_FAST, "Cards are dealt quickly"}, {IDC_TABLE_SLOW, "Slow"}}},
  };
  // Laid out as the client lays them out: groups one below the other, options side by side.
  CSettings::TSettingsCoords at;
  ASSERT_EQ(settings.GetSettingsPosition(at), 1);
  int32_t groupX = at.m_SettingsPos.m_X, groupY = at.m_SettingsPos.m_Y;
  for (const SGroupRow& row : rows) {
    auto* group = new CSettingsGroup(row.m_Id);
    EXPECT_EQ(group->IsActive(), 1);
    group->SetTexts(row.m_Name, "");
    auto* caption = new CStatic;
    caption->Create(row.m_Name, 0, 0, 100, 16, 0);
    caption->SetID(row.m_Id);
    m_Dialog.AddCntrl(caption, 0x4000);
    group->SetGroupCtrl(new TGuiCtrl{GUICTRL_STATIC, row.m_Id, caption});
    caption->SetPos(groupX + at.m_LabelOffset.m_X, groupY + at.m_LabelOffset.m_Y);
    int32_t x = groupX;
    for (const auto& [id, text] : row.m_Options) {
      EXPECT_EQ(group->AddOptionItem(MakeOption(templ->m_pCntrl, id, "x", text, x, groupY)), 1);
      x += at.m_OptionsOffset.m_X;
    }
    EXPECT_EQ(settings.AddOptionsGroup(group), 1);
    groupX += at.m_GroupOffset.m_X;
    groupY += at.m_GroupOffset.m_Y;
  }
  EXPECT_EQ(settings.AddOptionsGroup(nullptr), 0);
  ASSERT_EQ(settings.NumOptionsGroups(), 2);
  CSettingsGroup* sound = settings.GetOptionsGroup(IDS_GROUP_SOUND);
  CSettingsGroup* table = settings.GetOptionsGroup(IDS_GROUP_TABLE);
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(settings.GetOptionsGroup(12345), nullptr);
  EXPECT_EQ(sound->GetOptionItem(IDC_TABLE_FAST), nullptr);
  COptionItem* fast = table->GetOptionItem(IDC_TABLE_FAST);
  ASSERT_NE(fast, nullptr);
  EXPECT_EQ(fast->GetCtrl()->m_pCntrl->GetID(), IDC_TABLE_FAST);

  // A click on an option reaches the settings' callback.
  Frame();
  ClickOn(fast->GetCtrl()->m_pCntrl);
  ASSERT_FALSE(g_SettingsHeard.empty());
  EXPECT_EQ(g_SettingsHeard.back().m_Event, GUIMSG_CHECKED);
  EXPECT_EQ(g_SettingsHeard.back().m_ControlId, IDC_TABLE_FAST);
  EXPECT_EQ(fast->IsSelected(), 1);
  EXPECT_EQ(table->ChangeOptionState(IDC_TABLE_SLOW, XGUI_CHECKED), 1);
  EXPECT_EQ(table->ChangeOptionState(IDC_SOUND_ON, XGUI_CHECKED), 0);
  CLList selected;
  EXPECT_EQ(table->GetSelected(&selected, XGUI_CHECKED), 2);
  EXPECT_EQ(sound->GetSelected(&selected, XGUI_CHECKED), 0);
  EXPECT_EQ(sound->GetSelected(&selected, XGUI_UNCHECKED), 2);
  ASSERT_EQ(selected.GetNumNodes(), 4);
  EXPECT_EQ(selected.Get(0), fast);
  EXPECT_EQ(selected.Get(2), sound->GetOptionItemAt(0));

  // The description: copied, shown, hidden; it outlives the item it came from.
  CControlBase* descCtrl = desc->m_pCntrl;
  EXPECT_EQ(settings.GetDescId(), -1);
  EXPECT_EQ(settings.ShowDescText(nullptr), 0);
  ASSERT_EQ(settings.ShowDescText(fast), 1);
  EXPECT_STREQ(descCtrl->GetTextBuffer(0), "Cards are dealt quickly");
  EXPECT_EQ(descCtrl->GetState(), XGUI_RELEASED);
  EXPECT_EQ(settings.GetDescId(), IDC_TABLE_FAST);
  fast->Destroy();
  EXPECT_EQ(fast->GetCtrl(), nullptr);
  EXPECT_STREQ(static_cast<const char*>(fast->GetText()), "");
  EXPECT_EQ(m_Dialog.FindCntrl(IDC_TABLE_FAST), nullptr);
  Frame();
  EXPECT_STREQ(descCtrl->GetTextBuffer(0), "Cards are dealt quickly");
  ASSERT_EQ(settings.HideDescText(), 1);
  EXPECT_EQ(descCtrl->GetState(), XGUI_HIDDEN);
  EXPECT_EQ(settings.GetDescId(), -1);

  // Deleting the groups takes their controls off the dialog.
  settings.DeleteOptionsGroups();
  EXPECT_EQ(m_Dialog.FindCntrl(IDC_SOUND_ON), nullptr);
  EXPECT_EQ(m_Dialog.FindCntrl(IDS_GROUP_SOUND), nullptr);
  settings.DestroySettings();
  EXPECT_EQ(settings.GetDescCtrl(), nullptr);  // it went with the layout's controls
  EXPECT_EQ(settings.HideDescText(), 0);
}

// A dialog destroyed while attached: the settings neither give an entry back nor free the
// controls the dialog freed.
TEST_F(Settings, ADialogDestroyedWhileAttachedIsLeftAlone) {
  auto* settings = new CSettings;
  ASSERT_EQ(settings->CreateSettings(&m_Dialog, kLayout.c_str(), SettingsHeard), 1);
  ASSERT_NE(settings->GetControl("Checkbox", "IDC_TEMPLATE_CHECKBOX"), nullptr);
  auto* group = new CSettingsGroup(IDS_GROUP_SOUND);
  group->AddOptionItem(MakeOption(m_Dialog.GetCtrl(IDC_TEMPLATE_CHECKBOX), IDC_SOUND_ON, "On", "d"));
  settings->AddOptionsGroup(group);
  m_Dialog.Destroy();
  EXPECT_EQ(WC().IsRegistered(&m_Dialog), 0);
  delete settings;
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(Settings, AnOptionItemOwnsItsControl) {
  COptionItem item;
  EXPECT_EQ(item.Create(nullptr, "x"), 0);
  EXPECT_EQ(item.IsSelected(), 0);
  auto* box = new CCheckbox;
  box->Create(IDC_SOUND_ON, "On", 10, 10, 60, 16, 14, 0, 0);
  m_Dialog.AddCntrl(box, 0x4000);
  box->SetState(XGUI_CHECKED);
  ASSERT_EQ(item.Create(new TGuiCtrl{GUICTRL_CHECKBOX, IDC_SOUND_ON, box}, "desc"), 1);
  EXPECT_EQ(item.IsSelected(), 1);
  EXPECT_STREQ(static_cast<const char*>(item.GetText()), "desc");
  // A second record replaces the first, which goes.
  auto* other = new CCheckbox;
  other->Create(IDC_SOUND_OFF, "Off", 10, 30, 60, 16, 14, 0, 0);
  m_Dialog.AddCntrl(other, 0x4000);
  ASSERT_EQ(item.Create(new TGuiCtrl{GUICTRL_CHECKBOX, IDC_SOUND_OFF, other}, "other"), 1);
  EXPECT_EQ(m_Dialog.FindCntrl(IDC_SOUND_ON), nullptr);
  EXPECT_NE(m_Dialog.FindCntrl(IDC_SOUND_OFF), nullptr);
  EXPECT_EQ(item.IsSelected(), 0);
  EXPECT_EQ(item.Destroy(), 1);
  EXPECT_EQ(m_Dialog.FindCntrl(IDC_SOUND_OFF), nullptr);
  EXPECT_EQ(item.Destroy(), 1);
}
}  // namespace
