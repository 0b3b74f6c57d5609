#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/widgets/filedialog.h"
#include "ostrel/controls/button.h"
#include "ostrel/controls/combobox.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/input/keycodes.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/sysservices.h"
#include "ostrel/system/timers.h"
#include "platform/display/headless.h"
#include "platform/display/translator.h"
#include "platform/files/folders.h"
#include "support/tempdir.h"
#include "widgetfixture.h"

namespace {
const std::string kShippedScript = std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/filedialog.xrs";

// --- Filters ---

struct SFilterRow {
  const char* m_Text;
  std::vector<std::pair<std::string, std::vector<std::string>>> m_Filters;  // description, patterns
};

TEST(FileDialogFilters, TextsBecomeDescriptionsAndPatterns) {
  const std::vector<std::string> twelve = {"*.a", "*.b", "*.c", "*.d", "*.e", "*.f", "*.g", "*.h", "*.i", "*.j"};
  const SFilterRow rows[] = {
      {"Pictures (*.bmp; *.png)", {{"Pictures", {"*.bmp", "*.png"}}}},
      {"Music (*.mp3;*.ogg)|All files (*.*)|Text ( *.txt ; *.log )",
       {{"Music", {"*.mp3", "*.ogg"}}, {"All files", {"*.*"}}, {"Text", {"*.txt", "*.log"}}}},
      // At most ten patterns a filter.
      {"Many (*.a;*.b;*.c;*.d;*.e;*.f;*.g;*.h;*.i;*.j;*.k;*.l)", {{"Many", twelve}}},
      // Empty patterns are skipped; a filter left with none, or without parentheses, is dropped.
      {"Sounds (*.wav;; ;*.mid;)|Nothing ()|Everything|Blanks ( ; )", {{"Sounds", {"*.wav", "*.mid"}}}},
      // The last parenthesis opens the patterns; a missing ")" lets them run to the end.
      {"Music (MP3) (*.mp3)|Open (*.txt; *.log", {{"Music (MP3)", {"*.mp3"}}, {"Open", {"*.txt", "*.log"}}}},
      {"||  |Logs (*.log)|", {{"Logs", {"*.log"}}}},
      // Nothing usable: the default.
      {"", {{"All files", {"*.*"}}}},
      {"No patterns here", {{"All files", {"*.*"}}}},
  };
  for (const SFilterRow& r : rows) {
    SCOPED_TRACE(r.m_Text);
    const std::vector<SFileFilter> filters = FileDialogParseFilters(r.m_Text);
    ASSERT_EQ(filters.size(), r.m_Filters.size());
    for (size_t i = 0; i < filters.size(); ++i) {
      EXPECT_EQ(filters[i].m_Description, r.m_Filters[i].first);
      EXPECT_EQ(filters[i].m_Patterns, r.m_Filters[i].second);
    }
  }
  EXPECT_EQ(FileDialogParseFilters(nullptr).front().m_Text, "All files (*.*)");
  EXPECT_EQ(FileDialogParseFilters(" Music (*.mp3) |x").front().m_Text, "Music (*.mp3)");
}

TEST(FileDialogFilters, NamesMatchAnyPatternOfTheFilter) {
  const SFileFilter music = FileDialogParseFilters("Music (*.mp3; *.ogg)").front();
  EXPECT_TRUE(FileDialogFilterMatches(music, "song.mp3"));
  EXPECT_TRUE(FileDialogFilterMatches(music, "TUNE.OGG"));
  EXPECT_FALSE(FileDialogFilterMatches(music, "notes.txt"));
  EXPECT_FALSE(FileDialogFilterMatches(music, "mp3"));
  const SFileFilter all = FileDialogParseFilters(nullptr).front();
  EXPECT_TRUE(FileDialogFilterMatches(all, "README"));
}

// --- Paths taken apart ---

TEST(FileDialogPaths, TypedTextsAreTakenApart) {
  struct SRow {
    const char* m_Text;
    bool m_Ok;
    char m_Drive;
    bool m_Working, m_FromRoot;
    std::vector<std::string> m_Parts;
  } rows[] = {
      {"C:\\home\\player\\", true, 'C', false, false, {"home", "player"}},
      {"c:/home//player/./x.mp3 ", true, 'C', false, false, {"home", "player", "x.mp3"}},
      {"d:", true, 'D', false, false, {}},
      {".\\", true, 0, true, false, {}},
      {"./music", true, 0, true, false, {"music"}},
      {"..\\..", true, 0, false, false, {"..", ".."}},
      {"\\games", true, 0, false, true, {"games"}},
      {"song.mp3", true, 0, false, false, {"song.mp3"}},
      {"", false, 0, false, false, {}},
      {" ", false, 0, false, false, {}},
      {"\\\\//", false, 0, false, false, {}},
      {"C:\\a\\   \\b", false, 'C', false, false, {}},
      {"C:\\a\tb", false, 0, false, false, {}},
      {"C:\\a\x7f", false, 0, false, false, {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.m_Text);
    SFileDialogPath p;
    ASSERT_EQ(FileDialogSplitPath(r.m_Text, p), r.m_Ok);
    if (!r.m_Ok) continue;
    EXPECT_EQ(p.m_Drive, r.m_Drive);
    EXPECT_EQ(p.m_WorkingFolder, r.m_Working);
    EXPECT_EQ(p.m_FromRoot, r.m_FromRoot);
    EXPECT_EQ(p.m_Parts, r.m_Parts);
  }
  SFileDialogPath p;
  EXPECT_FALSE(FileDialogSplitPath(nullptr, p));
  // The path buffer holds XMAX_PATH bytes with the terminator.
  EXPECT_TRUE(FileDialogSplitPath(("C:\\" + std::string(XMAX_PATH - 4, 'a')).c_str(), p));
  EXPECT_FALSE(FileDialogSplitPath(("C:\\" + std::string(XMAX_PATH - 3, 'a')).c_str(), p));
}

TEST(FileDialogPaths, SystemFoldersLieUnderTheDeepestMount) {
  const std::vector<SFileDialogDrive> drives =
      FileDialogLetterDrives({{"/", XDRIVE_FIXED, ""}, {"/media/stick", XDRIVE_REMOVABLE, "STICK"}, {"/home", XDRIVE_FIXED, ""}});
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[2].m_Letter, 'E');
  struct SRow {
    const char* m_Folder;
    char m_Letter;
    std::vector<std::string> m_Parts;
  } rows[] = {
      {"/", 'C', {}},
      {"/usr/share", 'C', {"usr", "share"}},
      {"/media/stick", 'D', {}},
      {"/media/stick/music/", 'D', {"music"}},
      {"/media/sticky", 'C', {"media", "sticky"}},
      {"/home/player", 'E', {"player"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.m_Folder);
    size_t drive = 99;
    std::vector<std::string> parts;
    ASSERT_TRUE(FileDialogLocate(drives, r.m_Folder, drive, parts));
    EXPECT_EQ(drives[drive].m_Letter, r.m_Letter);
    EXPECT_EQ(parts, r.m_Parts);
  }
  size_t drive = 0;
  std::vector<std::string> parts;
  EXPECT_FALSE(FileDialogLocate(drives, "relative/folder", drive, parts));
  EXPECT_EQ(FileDialogFolderText('D', {"music", "old"}), "D:\\music\\old\\");
  EXPECT_EQ(FileDialogSystemFolder(drives[1], {"music"}), "/media/stick/music/");
  EXPECT_EQ(FileDialogSystemFolder(drives[0], {}), "/");
  // Twenty-four letters at most, C to Z.
  const std::vector<TDrive> many(30, TDrive{"/", XDRIVE_FIXED, ""});
  EXPECT_EQ(FileDialogLetterDrives(many).back().m_Letter, 'Z');
  EXPECT_EQ(FileDialogLetterDrives(many).size(), 24u);
}

TEST(FileDialogPaths, NewNamesFollowTheWindowsRules) {
  for (const char* good : {"song.mp3", "My tune", "a", "x.y.z"}) EXPECT_TRUE(FileDialogValidNewName(good)) << good;
  for (const char* bad : {"", " ", "..", ".", "a:b", "a*", "a?", "a\\b", "a/b", "a|b", "\"a\"", "<a>", "a\nb"})
    EXPECT_FALSE(FileDialogValidNewName(bad)) << bad;
}

// --- The dialog over a folder tree ---

// A folder tree standing for three drives: C: a disk, D: a stick with a medium, E: a disc drive
// without one (its mount point is missing), F: a disk whose root cannot be read.
class FileDialogTree : public CWidgetTest {
 protected:
  void SetUp() override {
    CWidgetTest::SetUp();
    for (const char* folder : {"c/home/player/music/old", "c/home/player/Games", "c/home/player/.cache", "c/etc",
                               "stick/music"})
      ASSERT_TRUE(PlatformMakeFolderPath(m_Dir.File(folder)));
    for (const char* file : {"c/home/player/notes.txt", "c/home/player/readme.TXT", "c/home/player/.profile",
                             "c/home/player/music/song.mp3", "c/home/player/music/Tune.OGG",
                             "c/home/player/music/cover.png", "stick/music/a.mp3"})
      WriteWholeFile(m_Dir.File(file), "x");
    WriteWholeFile(m_Dir.File("f"), "a file where a folder should be");
    m_Drives = {{m_Dir.File("c"), XDRIVE_FIXED, ""},
                {m_Dir.File("stick"), XDRIVE_REMOVABLE, "STICK"},
                {m_Dir.File("nodisc"), XDRIVE_CDROM, ""},
                {m_Dir.File("f"), XDRIVE_FIXED, ""}};
    m_Dialog.SetDriveSource([this] { return m_Drives; });
  }

  CTempDir m_Dir;
  std::vector<TDrive> m_Drives;
  CFileDialog m_Dialog;
};

struct SPathRow {
  const char* m_Typed;
  int32_t m_Result;
  const char* m_Path;  // after the call (the start folder when refused)
  const char* m_Name;
};

TEST_F(FileDialogTree, PathTable) {
  CWorkingDir here(m_Dir.File("c/home/player/music"));
  const char* start = "C:\\home\\player\\";
  const std::string tooLong = "C:\\home\\" + std::string(XMAX_PATH, 'x');
  const SPathRow rows[] = {
      // Slashes read as backslashes; names are found without regard to case.
      {"C:/home/player/music/", 1, "C:\\home\\player\\music\\", ""},
      {"c:\\HOME\\Player", 1, "C:\\home\\player\\", ""},
      // ".\" is the working folder.
      {".\\", 1, "C:\\home\\player\\music\\", ""},
      {"./old", 1, "C:\\home\\player\\music\\old\\", ""},
      // ".." goes up, and stays at a drive's root.
      {"..", 1, "C:\\home\\", ""},
      {"C:\\home\\..\\..\\..", 1, "C:\\", ""},
      {"\\etc", 1, "C:\\etc\\", ""},
      // A last part naming a file becomes the chosen name (one trailing blank is dropped).
      {"music\\song.mp3", 1, "C:\\home\\player\\music\\", "song.mp3"},
      {"C:\\home\\player\\music\\..\\notes.txt ", 1, "C:\\home\\player\\", "notes.txt"},
      {"README.txt", 1, "C:\\home\\player\\", "readme.TXT"},
      // A drive letter is listed at its mount point.
      {"d:\\Music\\A.mp3", 1, "D:\\music\\", "a.mp3"},
      // A last part naming nothing leaves the folder reached (no new names outside save mode).
      {"music\\gone.mp3", 1, "C:\\home\\player\\music\\", ""},
      // Refused, the start folder kept: an unknown drive, a disc drive without a disc, a folder
      // that cannot be read, a folder on the way that is not there, nothing, separators only, a
      // control character, more than the path buffer holds.
      {"Q:\\", -1, start, ""},
      {"E:\\", -1, start, ""},
      {"F:\\", -1, start, ""},
      {"C:\\nothere\\notes.txt", -1, start, ""},
      {"notes.txt\\x", -1, start, ""},
      {"", -1, start, ""},
      {"\\\\", -1, start, ""},
      {"C:\\home\\pla\x01yer", -1, start, ""},
      {tooLong.c_str(), -1, start, ""},
      {nullptr, -1, start, ""},
  };
  for (const SPathRow& r : rows) {
    SCOPED_TRACE(r.m_Typed ? r.m_Typed : "(null)");
    ASSERT_EQ(m_Dialog.SetPath(start), 1);
    EXPECT_EQ(m_Dialog.SetPath(r.m_Typed), r.m_Result);
    EXPECT_STREQ(m_Dialog.GetPath(), r.m_Path);
    EXPECT_STREQ(m_Dialog.GetFileName(), r.m_Name);
    EXPECT_EQ(std::string(m_Dialog.GetFullPath()), std::string(r.m_Path) + r.m_Name);
    EXPECT_EQ(m_Dialog.GetLastValidDrive(), r.m_Path[0]);
  }
  ASSERT_EQ(m_Dialog.SetPath("D:\\music\\a.mp3"), 1);
  EXPECT_EQ(m_Dialog.GetSystemPath(), m_Dir.File("stick/music/a.mp3"));
}

TEST_F(FileDialogTree, UnreadableFoldersAreRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every folder";
  ASSERT_EQ(chmod(m_Dir.File("c/home/player/Games").c_str(), 0), 0);
  ASSERT_EQ(m_Dialog.SetPath("C:\\home\\player"), 1);
  EXPECT_EQ(m_Dialog.SetPath("Games"), -1);
  EXPECT_STREQ(m_Dialog.GetPath(), "C:\\home\\player\\");
  chmod(m_Dir.File("c/home/player/Games").c_str(), 0755);
}

TEST_F(FileDialogTree, FoldersComeFirstWithTheWayUpAboveThem) {
  ASSERT_EQ(m_Dialog.SetPath("C:\\home\\player\\"), 1);
  EXPECT_EQ(m_Dialog.GetFolders(), (std::vector<std::string>{"..", "Games", "music"}));
  EXPECT_EQ(m_Dialog.GetFiles(), (std::vector<std::string>{"notes.txt", "readme.TXT"}));
  EXPECT_EQ(m_Dialog.GetDepth(), 2);
  // No way up at a drive's root.
  ASSERT_EQ(m_Dialog.SetPath("C:\\"), 1);
  EXPECT_EQ(m_Dialog.GetFolders(), (std::vector<std::string>{"etc", "home"}));
  EXPECT_EQ(m_Dialog.GetDepth(), 0);
}

TEST_F(FileDialogTree, SetFileNameTakesOnlyListedFiles) {
  ASSERT_EQ(m_Dialog.SetPath("C:\\home\\player\\"), 1);
  EXPECT_EQ(m_Dialog.SetFileName("notes.txt"), 1);
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\notes.txt");
  EXPECT_EQ(m_Dialog.SetFileName("README.TXT"), 1);
  EXPECT_STREQ(m_Dialog.GetFileName(), "readme.TXT");
  for (const char* other : {"music", "missing.txt", ".profile", ""}) EXPECT_EQ(m_Dialog.SetFileName(other), 0) << other;
  EXPECT_EQ(m_Dialog.SetFileName(nullptr), 0);
  EXPECT_STREQ(m_Dialog.GetFileName(), "readme.TXT");
}

TEST_F(FileDialogTree, ANewDriveListKeepsTheFolderOnlyWhileItsDriveKeepsItsLetter) {
  ASSERT_EQ(m_Dialog.SetPath("D:\\music\\a.mp3"), 1);
  m_Drives.push_back({m_Dir.File("c/etc"), XDRIVE_FIXED, ""});
  m_Dialog.SetDriveSource([this] { return m_Drives; });
  EXPECT_STREQ(m_Dialog.GetFullPath(), "D:\\music\\a.mp3");
  // The stick is pulled: D: is the disc drive now.
  m_Drives.erase(m_Drives.begin() + 1);
  m_Dialog.SetDriveSource([this] { return m_Drives; });
  EXPECT_STREQ(m_Dialog.GetFullPath(), "");
  EXPECT_TRUE(m_Dialog.GetFiles().empty());
  EXPECT_EQ(m_Dialog.SetPath("music"), -1);
  EXPECT_EQ(m_Dialog.GetSystemPath(), "");
}

TEST_F(FileDialogTree, RemovableMediaAreCheckedAtTheirMountPoints) {
  char stick[] = "d", disc[] = "E:\\", fixed[] = "C", unknown[] = "Q";
  EXPECT_EQ(m_Dialog.CheckRemovableMedia(stick), 1);
  EXPECT_EQ(m_Dialog.CheckRemovableMedia(fixed), 1);
  EXPECT_EQ(m_Dialog.CheckRemovableMedia(disc), 0);
  EXPECT_EQ(m_Dialog.CheckRemovableMedia(unknown), 0);
  EXPECT_EQ(m_Dialog.CheckRemovableMedia(nullptr), 0);
  // The disc goes in.
  ASSERT_TRUE(PlatformMakeFolderPath(m_Dir.File("nodisc")));
  EXPECT_EQ(m_Dialog.CheckRemovableMedia(disc), 1);
}

// --- Shown on the headless harness ---

// Counts the plays of the click sample; under SDL's dummy driver nothing is heard.
class CCountingSample : public CMilesSample {
 public:
  using CMilesSample::CMilesSample;
  int32_t Start(int32_t loop, int32_t wait) override {
    ++m_Starts;
    return CMilesSample::Start(loop, wait);
  }
  int32_t m_Starts = 0;
};

using TId = int32_t CFileDialog::SIds::*;

// Steps run one a timer tick from inside the dialog's loop. When they are done and the dialog is
// still open, it is cancelled so that a test fails instead of hanging.
class CSteps : public CTimer {
 public:
  explicit CSteps(CFileDialog& dialog) : m_Dialog(dialog) { AddTimer(5); }
  void TimerHandler(uint32_t) override {
    // One step a pass: the test clock stands still within a pass.
    if (!m_Dialog.GetID() || xGetTime() == m_LastTick) return;
    m_LastTick = xGetTime();
    if (!m_Steps.empty()) {
      auto step = std::move(m_Steps.front());
      m_Steps.pop_front();
      step();
    } else if (++m_Idle == 50) {
      m_TimedOut = true;
      xWinCtrl()->SendMessage(GUIMSG_COMMAND, m_Dialog.GetID(), m_Dialog.GetIds().m_Cancel, 0, nullptr);
    }
  }
  void Add(std::function<void()> step) { m_Steps.push_back(std::move(step)); }
  // A few ticks for what a step started.
  void Wait(int n = 2) {
    for (int i = 0; i < n; ++i) Add([] {});
  }
  // Moves, presses and releases over the point that where() gives when each step runs.
  void ClickAt(const std::function<std::pair<int32_t, int32_t>()>& where);
  void ClickControl(TId id);
  void ClickRow(int32_t row);
  void DoubleClickRow(int32_t row) {
    ClickRow(row);
    ClickRow(row);
  }
  // Focuses the name field, empties it and types the text.
  void Type(const std::string& text);
  // Picks an entry of a combo box, as a pick in its opened list reports it.
  void Select(TId id, int32_t entry);
  // The control of that id while the dialog is shown.
  CControlBase* Ctrl(TId id) { return m_Dialog.GetCtrl(m_Dialog.GetIds().*id); }

  bool m_TimedOut = false;

 private:
  CFileDialog& m_Dialog;
  std::deque<std::function<void()>> m_Steps;
  int m_Idle = 0;
  uint32_t m_LastTick = 0;
};

void CSteps::ClickAt(const std::function<std::pair<int32_t, int32_t>()>& where) {
  Add([where] {
    const auto [x, y] = where();
    PlatformHeadless()->QueueMouseMove(x, y);
  });
  for (bool down : {true, false}) {
    Add([where, down] {
      const auto [x, y] = where();
      PlatformHeadless()->QueueMouseButton(XMOUSE_LEFT, down, x, y);
    });
  }
  Wait();
}

void CSteps::ClickControl(TId id) {
  ClickAt([this, id] {
    const CRect r = Ctrl(id)->ScreenRect();
    return std::pair{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  });
}

void CSteps::ClickRow(int32_t row) {
  ClickAt([this, row] {
    auto* list = static_cast<CListbox*>(Ctrl(&CFileDialog::SIds::m_FileList));
    int32_t rowHeight = 0;
    list->GetFieldHeight(rowHeight);
    const CRect r = list->ScreenRect();
    return std::pair{r.left + 40, r.top + (row - list->GetIndex()) * rowHeight + rowHeight / 2};
  });
}

void CSteps::Type(const std::string& text) {
  Add([this, text] {
    CControlBase* field = Ctrl(&CFileDialog::SIds::m_FileName);
    field->GuiMsgHandler(GUIMSG_FOCUS, 1, field->GetID(), 1, nullptr);
    static_cast<CEdit*>(field)->SetText("");
    for (char ch : text) {
      TQueueChar key{static_cast<uint8_t>(ch), XKEYF_PRESSED};
      field->GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &key);
    }
  });
  Wait();
}

void CSteps::Select(TId id, int32_t entry) {
  Add([this, id, entry] { static_cast<CCombobox*>(Ctrl(id))->SetSelected(entry); });
  Wait();
}

using Ids = CFileDialog::SIds;

class FileDialogShown : public FileDialogTree {
 protected:
  void SetUp() override {
    FileDialogTree::SetUp();
    StartScreen(800, 600);
    // The loop's pacing sleeps on the test clock, so the steps' timer comes due.
    SetMinimumFrameTime(10);
    // The base look, as every program loads it first.
    m_Base = std::make_unique<CResData>();
    ASSERT_EQ(xLoadBaseResData(m_Base.get(), VORRIN_DIST_DIR), 1);
    {
      // The script's fonts and pictures are named from the install folder.
      CWorkingDir dist(VORRIN_DIST_DIR);
      ASSERT_EQ(m_Res.Import(ReadWholeFile(kShippedScript).c_str()), 1);
    }
    m_Click = std::make_unique<CCountingSample>((std::string(VORRIN_DIST_DIR) + "/sounds/click.wav").c_str());
    m_Steps = std::make_unique<CSteps>(m_Dialog);
  }
  void TearDown() override {
    m_Steps.reset();
    m_Click.reset();
    m_Res.Free();
    m_Base.reset();
    FileDialogTree::TearDown();
  }
  int32_t Show(const char* start, FileDialogType type) {
    const int32_t result = m_Dialog.Show(&m_Res, m_Click.get(), start, type, 0);
    EXPECT_FALSE(m_Steps->m_TimedOut) << "the dialog was still open when the steps ran out";
    return result;
  }
  CSteps& Steps() { return *m_Steps; }
  CCombobox* Combo(TId id) { return static_cast<CCombobox*>(Steps().Ctrl(id)); }
  CListbox* List() { return static_cast<CListbox*>(Steps().Ctrl(&Ids::m_FileList)); }
  static std::string TextOf(CControlBase* c) { return c && c->GetTextBuffer(0) ? c->GetTextBuffer(0) : ""; }
  std::string FieldText() { return TextOf(Steps().Ctrl(&Ids::m_FileName)); }
  // The rows of the file list, "|" after each.
  std::string Rows() {
    std::string rows;
    for (int32_t i = 1; i <= List()->GetNumRows(); ++i) rows += TextOf(List()->GetRow(i)) + "|";
    return rows;
  }
  std::string Entries(TId id) {
    std::string entries;
    for (int32_t i = 1; i <= Combo(id)->GetNumEntries(); ++i) entries += TextOf(Combo(id)->GetEntry(i)) + "|";
    return entries;
  }

  std::unique_ptr<CResData> m_Base;
  std::unique_ptr<CCountingSample> m_Click;
  std::unique_ptr<CSteps> m_Steps;
};

TEST_F(FileDialogShown, TheDialogShowsTheStartFolderAndItsLists) {
  int32_t drive = 0;
  std::string drives, paths, shownPath, title, ok, filter, rows;
  Steps().Add([&] {
    drive = Combo(&Ids::m_DriveList)->GetSelected();
    drives = Entries(&Ids::m_DriveList);
    paths = Entries(&Ids::m_PathList);
    shownPath = TextOf(Combo(&Ids::m_PathList)->GetSelectedControl());
    title = TextOf(Steps().Ctrl(&Ids::m_Title));
    ok = TextOf(Steps().Ctrl(&Ids::m_Ok));
    filter = TextOf(Combo(&Ids::m_FilterList)->GetSelectedControl());
    rows = Rows();
  });
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(drive, 1);
  EXPECT_EQ(drives, "C: Fixed Disk (" + m_Dir.File("c") + ")|D: STICK (" + m_Dir.File("stick") + ")|E: Compact Disc (" +
                        m_Dir.File("nodisc") + ")|F: Fixed Disk (" + m_Dir.File("f") + ")|");
  EXPECT_EQ(paths, "C:\\|C:\\home\\|C:\\home\\player\\|");
  EXPECT_EQ(shownPath, "C:\\home\\player\\");
  EXPECT_EQ(title, "Open");
  EXPECT_EQ(ok, "Open");
  EXPECT_EQ(filter, "All files (*.*)");
  EXPECT_EQ(rows, "..|Games|music|notes.txt|readme.TXT|");
  // Folders and files in the script's two colours.
  EXPECT_EQ(m_Dialog.GetListColor(0), TRGBA(250, 222, 130, 0));
  EXPECT_EQ(m_Dialog.GetListColor(1), TRGBA(250, 250, 245, 0));
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(FileDialogShown, ADiscDriveWithoutADiscKeepsThePreviousDrive) {
  int32_t drive = 0, rows = -1, paths = -1;
  Steps().Select(&Ids::m_DriveList, 3);
  Steps().Add([&] {
    drive = Combo(&Ids::m_DriveList)->GetSelected();
    rows = List()->GetNumRows();
    paths = Combo(&Ids::m_PathList)->GetNumEntries();
  });
  // The stick has a medium.
  std::string stick;
  Steps().Select(&Ids::m_DriveList, 2);
  Steps().Add([&] { stick = std::string(m_Dialog.GetPath()) + "|" + Rows(); });
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(drive, 1);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(paths, 0);
  EXPECT_EQ(stick, "D:\\|music|");
}

TEST_F(FileDialogShown, SelectFolderModeEndsWithNoFileName) {
  std::string ok, field;
  Steps().Add([&] { ok = TextOf(Steps().Ctrl(&Ids::m_Ok)); });
  // A file's row is no choice in this mode.
  Steps().ClickRow(5);
  Steps().Add([&] { field = FieldText(); });
  Steps().ClickControl(&Ids::m_Ok);
  EXPECT_EQ(Show("C:\\home\\player\\music\\song.mp3", FILEDIALOG_SELECTFOLDER), 1);
  EXPECT_EQ(ok, "Select");
  EXPECT_EQ(field, "");
  EXPECT_STREQ(m_Dialog.GetFileName(), "");
  EXPECT_STREQ(m_Dialog.GetPath(), "C:\\home\\player\\music\\");
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\music\\");
}

TEST_F(FileDialogShown, ADoubleClickEntersAFolderAndAcceptsAFile) {
  std::string inside;
  Steps().DoubleClickRow(3);  // music
  Steps().Add([&] { inside = std::string(m_Dialog.GetPath()) + "|" + Rows(); });
  Steps().DoubleClickRow(4);  // song.mp3
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_OPEN), 1);
  EXPECT_EQ(inside, "C:\\home\\player\\music\\|..|old|cover.png|song.mp3|Tune.OGG|");
  EXPECT_STREQ(m_Dialog.GetFileName(), "song.mp3");
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\music\\song.mp3");
  EXPECT_EQ(m_Dialog.GetSystemPath(), m_Dir.File("c/home/player/music/song.mp3"));
}

TEST_F(FileDialogShown, OnlyASecondClickOnTheSameRowCountsAsADoubleClick) {
  std::string afterFirst, afterBelow;
  // The dialog selected the chosen file's row itself: a first click on it only selects it.
  Steps().ClickRow(4);
  Steps().Add([&] { afterFirst = std::string(m_Dialog.GetPath()) + "|" + m_Dialog.GetFileName(); });
  // A click on the empty part of the list below the rows is none on the selected row.
  Steps().ClickRow(12);
  Steps().Add([&] { afterBelow = std::string(m_Dialog.GetPath()) + "|" + m_Dialog.GetFileName(); });
  // The way up was selected at the start as well.
  Steps().ClickRow(1);
  Steps().ClickRow(1);
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("C:\\home\\player\\music\\song.mp3", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(afterFirst, "C:\\home\\player\\music\\|song.mp3");
  EXPECT_EQ(afterBelow, "C:\\home\\player\\music\\|song.mp3");
  EXPECT_STREQ(m_Dialog.GetPath(), "C:\\home\\player\\");
}

TEST_F(FileDialogShown, ATypedFolderOpensAndTheDialogStays) {
  std::string afterFolder, field;
  Steps().Type("Music");
  Steps().ClickControl(&Ids::m_Ok);
  Steps().Add([&] {
    afterFolder = std::string(m_Dialog.GetPath()) + "|" + Rows();
    field = FieldText();
  });
  Steps().Type("tune.ogg");
  Steps().ClickControl(&Ids::m_Ok);
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_OPEN), 1);
  EXPECT_EQ(afterFolder, "C:\\home\\player\\music\\|..|old|cover.png|song.mp3|Tune.OGG|");
  EXPECT_EQ(field, "");
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\music\\Tune.OGG");
}

// Sets the name field's text as typing or pasting would leave it.
void TypeRaw(CSteps& steps, CFileDialog& dialog, const std::string& text) {
  steps.Add([&dialog, &steps, text] {
    CControlBase* field = steps.Ctrl(&Ids::m_FileName);
    field->SetText(text.c_str());
    xWinCtrl()->SendMessage(GUIMSG_TEXTCHANGED, dialog.GetID(), field->GetID(), 0, nullptr);
  });
  steps.Wait();
}

TEST_F(FileDialogShown, TypedPathsThatLeadNowhereAreRefused) {
  std::vector<std::string> seen;
  for (const std::string& typed : {std::string("Q:\\music"), std::string("C:\\home\\pla\x01yer"),
                                  std::string("missing.txt"), std::string("music\\nothere\\a.mp3"),
                                  std::string("notes.txt\\x"), "C:\\" + std::string(XMAX_PATH, 'x')}) {
    TypeRaw(Steps(), m_Dialog, typed);
    Steps().ClickControl(&Ids::m_Ok);
    Steps().Add([&, typed] { seen.push_back(std::string(m_Dialog.GetFullPath()) + "|" + (FieldText() == typed ? "kept" : "lost")); });
  }
  // A name that is there is taken after all that.
  Steps().Type("notes.txt");
  Steps().ClickControl(&Ids::m_Ok);
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_OPEN), 1);
  EXPECT_EQ(seen, std::vector<std::string>(6, "C:\\home\\player\\|kept"));
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\notes.txt");
}

TEST_F(FileDialogShown, SavingTakesANewNameAndKeepsItWhileMoving) {
  std::string field;
  Steps().Type("lucky hand.log");
  Steps().DoubleClickRow(3);  // music
  Steps().Add([&] { field = FieldText(); });
  Steps().ClickControl(&Ids::m_Ok);
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_SAVE), 1);
  EXPECT_EQ(field, "lucky hand.log");
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\music\\lucky hand.log");
  // A name the file system could not carry stays in the field.
  std::string refused;
  CSteps steps(m_Dialog);
  TypeRaw(steps, m_Dialog, "a*b?.log");
  steps.ClickControl(&Ids::m_Ok);
  steps.Add([&] { refused = std::string(m_Dialog.GetFullPath()) + "|" + FieldText(); });
  steps.ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(m_Dialog.Show(&m_Res, nullptr, "C:\\home\\player\\", FILEDIALOG_SAVE, 0), 0);
  EXPECT_EQ(refused, "C:\\home\\player\\|a*b?.log");
}

TEST_F(FileDialogShown, UpAndThePathListGoUp) {
  std::string afterEntry, afterUp, afterRootUp;
  Steps().Select(&Ids::m_PathList, 2);
  Steps().Add([&] { afterEntry = std::string(m_Dialog.GetPath()) + "|" + Entries(&Ids::m_PathList); });
  Steps().ClickControl(&Ids::m_Up);
  Steps().Add([&] { afterUp = std::string(m_Dialog.GetPath()) + "|" + Rows(); });
  // Up at a drive's root stays there.
  Steps().ClickControl(&Ids::m_Up);
  Steps().Add([&] { afterRootUp = std::string(m_Dialog.GetPath()) + "|" + Rows(); });
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("C:\\home\\player\\music\\old\\", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(afterEntry, "C:\\home\\|C:\\|C:\\home\\|");
  EXPECT_EQ(afterUp, "C:\\|etc|home|");
  EXPECT_EQ(afterRootUp, "C:\\|etc|home|");
}

TEST_F(FileDialogShown, AFilterChoosesTheFilesShown) {
  std::string music, pictures;
  Steps().Select(&Ids::m_FilterList, 2);
  Steps().Add([&] { music = Rows(); });
  Steps().Select(&Ids::m_FilterList, 3);
  Steps().Add([&] { pictures = Rows(); });
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("C:\\home\\player\\music\\", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(music, "..|old|song.mp3|Tune.OGG|");
  EXPECT_EQ(pictures, "..|old|cover.png|");
}

TEST_F(FileDialogShown, EachButtonPlaysTheClickAndTheCloseBoxAccepts) {
  ASSERT_NE(m_Click, nullptr);
  // Without a chosen name OK and the close box leave the dialog open.
  Steps().ClickControl(&Ids::m_Up);
  Steps().ClickControl(&Ids::m_Ok);
  auto closeBox = [this] {
    const CRect r = m_Dialog.GetTitlebar()->GetCloseBox()->ScreenRect();
    return std::pair{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  Steps().ClickAt(closeBox);
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("C:\\home\\player\\", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(m_Click->m_Starts, 4);
  EXPECT_STREQ(m_Dialog.GetPath(), "C:\\home\\");
  // With a name the close box accepts it.
  Steps().ClickAt(closeBox);
  EXPECT_EQ(Show("C:\\home\\player\\notes.txt", FILEDIALOG_OPEN), 1);
  EXPECT_EQ(m_Click->m_Starts, 5);
  EXPECT_STREQ(m_Dialog.GetFullPath(), "C:\\home\\player\\notes.txt");
  // The keys of OK and Cancel: Enter and Escape.
  for (const auto& [key, result] : {std::pair{XKEY_ENTER, 1}, std::pair{XKEY_ESC, 0}}) {
    const uint16_t code = static_cast<uint16_t>(key);
    Steps().Add([this, code] {
      for (uint32_t flags : {uint32_t{XKEYF_PRESSED}, uint32_t{0}}) {
        TQueueChar k{code, flags};
        m_Dialog.GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &k);
      }
    });
    Steps().Wait();
    EXPECT_EQ(Show("C:\\home\\player\\notes.txt", FILEDIALOG_OPEN), result) << key;
  }
  EXPECT_EQ(m_Click->m_Starts, 7);
}

TEST_F(FileDialogShown, AQuitRequestOrAClosedWindowEndsTheDialogUnanswered) {
  Steps().Add([] { Post(XMSG_QUIT, 3); });
  EXPECT_EQ(Show("C:\\home\\player\\notes.txt", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(WC().NumWindows(), 0);
  Steps().Add([] { Display().QueueClose(); });
  EXPECT_EQ(Show("C:\\home\\player\\notes.txt", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(xDoUserWantToQuit(), 1);
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(FileDialogShown, AStartPathThatLeadsNowhereOpensTheWorkingFolder) {
  CWorkingDir here(m_Dir.File("c/home/player/music"));
  std::string shown;
  Steps().Add([&] { shown = std::string(m_Dialog.GetPath()) + "|" + Rows(); });
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show("Q:\\nowhere\\", FILEDIALOG_OPEN), 0);
  EXPECT_EQ(shown, "C:\\home\\player\\music\\|..|old|cover.png|song.mp3|Tune.OGG|");
  // A working folder outside every drive: nothing is listed, and nothing of an earlier folder.
  m_Drives = {{m_Dir.File("stick"), XDRIVE_FIXED, ""}};
  m_Dialog.SetDriveSource([this] { return m_Drives; });
  int32_t rows = -1, paths = -1;
  Steps().Add([&] {
    rows = List()->GetNumRows();
    paths = Combo(&Ids::m_PathList)->GetNumEntries();
  });
  Steps().ClickControl(&Ids::m_Cancel);
  EXPECT_EQ(Show(nullptr, FILEDIALOG_OPEN), 0);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(paths, 0);
}

TEST_F(FileDialogShown, AScriptWithoutTheSectionMakesNoDialog) {
  CResData empty;
  ASSERT_EQ(empty.Import("{ = Defines\n    IDB_FD_OK = 5\n}\n"), 1);
  EXPECT_EQ(m_Dialog.Show(&empty, nullptr, "C:\\", FILEDIALOG_OPEN, 0), 0);
  EXPECT_EQ(m_Dialog.Show(nullptr, nullptr, "C:\\", FILEDIALOG_OPEN, 0), 0);
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(FileDialogShown, ABareScriptTakesTheDefaults) {
  CResData bare;
  ASSERT_EQ(bare.Import(ReadWholeFile(std::string(VORRIN_TEST_DATA_DIR) + "/widgets/filedialog-bare.xrs").c_str()), 1);
  const char* captions[] = {"Open", "Save", "Select"};
  for (FileDialogType type : {FILEDIALOG_OPEN, FILEDIALOG_SAVE, FILEDIALOG_SELECTFOLDER}) {
    std::string ok, title, filters, drive;
    CSteps steps(m_Dialog);
    steps.Add([&] {
      ok = TextOf(steps.Ctrl(&Ids::m_Ok));
      title = TextOf(steps.Ctrl(&Ids::m_Title));
      filters = Entries(&Ids::m_FilterList);
      drive = TextOf(Combo(&Ids::m_DriveList)->GetSelectedControl());
    });
    steps.ClickControl(&Ids::m_Cancel);
    m_Dialog.SetTitle(type == FILEDIALOG_SAVE ? "Save the hand history" : "Open");
    EXPECT_EQ(m_Dialog.Show(&bare, nullptr, "D:\\", type, 0), 0);
    EXPECT_EQ(ok, captions[type]);
    EXPECT_EQ(title, type == FILEDIALOG_SAVE ? "Save the hand history" : "Open");
    EXPECT_EQ(filters, "All files (*.*)|");
    EXPECT_EQ(drive, "D: STICK (" + m_Dir.File("stick") + ")");
    EXPECT_EQ(m_Dialog.GetListColor(0), TRGBA(128, 128, 128));
    EXPECT_EQ(m_Dialog.GetListColor(1), TRGBA(255, 255, 255));
  }
}

TEST_F(FileDialogTree, NoPathOutgrowsThePathBuffer) {
  // Three folders of 100 characters: the third would take the path past 259 characters.
  const std::string a(100, 'a'), b(100, 'b'), c(100, 'c');
  ASSERT_TRUE(PlatformMakeFolderPath(m_Dir.File("c/deep/" + a + "/" + b + "/" + c)));
  const std::string twoDeep = "C:\\deep\\" + a + "\\" + b + "\\";
  ASSERT_EQ(m_Dialog.SetPath(twoDeep.c_str()), 1);
  EXPECT_EQ(m_Dialog.SetPath(c.c_str()), -1);
  EXPECT_EQ(m_Dialog.GetPath(), twoDeep);
  EXPECT_EQ(m_Dialog.GetFolders(), (std::vector<std::string>{"..", c}));
}
}  // namespace
