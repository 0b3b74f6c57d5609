// The program's own modal file chooser, built from the "IDW_FILEDIALOG" section of a resource
// script: a drive list, the folders above the current one, a list of folders and files, a filter
// list, a file-name field, and up, OK and cancel buttons. It opens a file, saves one or selects a
// folder, and runs the frame loop until the player accepts or cancels.
//
// Paths keep the Windows form, "C:\home\player\" (a folder ends in a backslash); "/" is C: and
// each further mounted file system the next letter (see filedialogpaths.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/widgets/filedialogfilters.h"
#include "common/widgets/filedialogpaths.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/rgba.h"

class CMilesSample;
class CResData;

enum FileDialogType : int32_t {
  FILEDIALOG_OPEN = 0,
  FILEDIALOG_SAVE = 1,
  FILEDIALOG_SELECTFOLDER = 2,
};

class CFileDialog : public CDialog {
 public:
  // Where the drives come from: the system's mounts unless a caller (a test) gives its own.
  using TDriveSource = std::function<std::vector<TDrive>()>;

  CFileDialog();
  ~CFileDialog() override;

  // Runs the dialog at startPath (a folder, or a file whose name is then chosen; the working
  // folder when null or unusable). flags are the dialog's create flags. 1 when the player
  // accepted, 0 when cancelled, when the program was asked to quit or its window was closed, or
  // when the dialog could not be made from the script. Each button plays the click sample (may be null).
  int32_t Show(CResData* res, CMilesSample* click, const char* startPath, FileDialogType type, int32_t flags);

  // The results: the chosen name (empty in select-folder mode), the folder, and both together.
  const char* GetFileName() const { return m_FileName.c_str(); }
  const char* GetPath() const { return m_Path.c_str(); }
  const char* GetFullPath() const { return m_FullPath.c_str(); }
  // The full path as the system names it ("/media/stick/song.mp3" for "D:\song.mp3").
  std::string GetSystemPath() const;

  // Moves to the folder the path names: absolute ("D:\music"), from the current drive's root
  // ("\music"), the working folder (".\"), or below the current folder; ".." goes up and stays
  // at a drive's root. A last part naming a file chooses it (in save mode a name that is not
  // there yet too). 1 on success; -1, with everything as it was, for a null or unusable path (see
  // FileDialogSplitPath), an unknown drive, a removable drive without a medium, a folder on the
  // way that does not exist or cannot be read, or a result longer than the path buffer.
  int32_t SetPath(const char* path);
  // Takes the name when a file of that name is listed in the current folder: 1, else 0.
  int32_t SetFileName(const char* name);
  // 1 when the drive (its letter first) is not removable or has a medium (its mount point can be
  // listed). Without one the lists and their controls are emptied, the drive list shows the last
  // valid drive again, and the answer is 0. 0 for an unknown drive.
  int32_t CheckRemovableMedia(char* drive);

  // The heading of the dialog, "Open" until set.
  void SetTitle(const char* title) { m_Title = title ? title : ""; }
  const char* GetTitle() const { return m_Title.c_str(); }
  // Reads the drives anew from source (null: the system's mounts).
  void SetDriveSource(TDriveSource source);

  const std::vector<SFileDialogDrive>& GetDrives() const { return m_Drives; }
  const std::vector<SFileFilter>& GetFilters() const { return m_Filters; }
  // The current folder's lists as shown: folders (".." first below a root) then files.
  const std::vector<std::string>& GetFolders() const { return m_Folders; }
  const std::vector<std::string>& GetFiles() const { return m_Files; }
  int32_t GetDepth() const { return static_cast<int32_t>(m_Parts.size()); }
  char GetLastValidDrive() const { return m_LastDrive; }
  FileDialogType GetType() const { return m_Type; }
  const char* GetOkCaption() const { return m_OkCaption.c_str(); }
  // The two list colours: folders, files.
  const TRGBA& GetListColor(int32_t i) const { return m_ListColors[i == 0 ? 0 : 1]; }
  int32_t IsTyped() const { return m_Typed ? 1 : 0; }

  // The ids of the named controls (0 when the script has no such define).
  struct SIds {
    int32_t m_Window = 0, m_Up = 0, m_Ok = 0, m_Cancel = 0, m_DriveList = 0, m_PathList = 0, m_FileList = 0,
            m_FilterList = 0, m_FileName = 0, m_Title = 0;
  };
  const SIds& GetIds() const { return m_Ids; }

 private:
  enum class EAction { Edit, DoubleClick, SelectFile, Drive, PathEntry, Filter, Up, Accept, Cancel };

  // Where a path leads: the drive, the folders below its root, and what its last part named.
  struct STarget {
    size_t m_Drive = 0;
    std::vector<std::string> m_Parts;
    std::string m_Name;     // a file chosen (or, in save mode, a new name)
    bool m_Missing = false;  // the last part named nothing that could be taken
  };

  static void Callback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  void OnEvent(int32_t event, int32_t controlId);
  // Whether the mouse stands on the file list's selected row.
  bool ClickedOnSelectedRow();
  void Click();
  bool ReadScript(CResData* res);

  // 1 with the target, -1 when the path leads nowhere (nothing changes).
  int32_t Follow(const char* path, STarget& target);
  bool ResolveStart(const SFileDialogPath& split, STarget& target);
  // Whether the target's folder can be listed and its path fits the path buffer.
  bool Reachable(const STarget& target) const;
  void Apply(const STarget& target);
  // Enters a folder of the list, or goes up for ".."; false when the path would grow too long.
  bool EnterFolder(const std::string& name);
  void GoUp(size_t levels);
  void UpdateFullPath();
  int32_t DriveIndex(char letter) const;
  bool HasMedium(const SFileDialogDrive& drive) const;

  // Lists the current folder through the current filter; false when it cannot be read.
  bool ReadFolder();
  void ClearLists();
  void FillDriveList();
  void FillFilterList();
  void RefreshDriveList();
  void RefreshPathList();
  void RefreshFileList();
  void RefreshAll();
  void ShowFileName(const std::string& name);

  void RunPending();
  void DoAction(EAction action);
  void OnDoubleClick();
  void OnSelectFile(int32_t row);
  void OnDrive();
  void OnPathEntry();
  void OnFilter();
  void OnAccept();
  // The lists of the folder moved to; the name field keeps only a name the player typed.
  void ShowMove();
  void Finish(int32_t result) { m_Result = result; }

  CResData* m_pRes = nullptr;  // while shown
  TDriveSource m_DriveSource;
  std::vector<SFileDialogDrive> m_Drives;
  std::vector<SFileFilter> m_Filters;
  size_t m_Filter = 0;
  std::vector<std::string> m_Folders;
  std::vector<std::string> m_Files;

  std::string m_FileName;
  std::string m_Path;
  std::string m_FullPath;
  size_t m_Drive = 0;
  bool m_HasFolder = false;
  std::vector<std::string> m_Parts;
  char m_LastDrive = 0;

  std::string m_Title = "Open";
  std::string m_OkCaption;
  TRGBA m_ListColors[2] = {{128, 128, 128}, {255, 255, 255}};
  SIds m_Ids;
  CMilesSample* m_pClick = nullptr;
  FileDialogType m_Type = FILEDIALOG_OPEN;
  bool m_Typed = false;
  // Selections the dialog makes itself are no player's choice.
  bool m_Updating = false;
  // The file-list row the player selected last: a second click on it is a double-click.
  int32_t m_PickedRow = 0;
  std::vector<EAction> m_Pending;
  int32_t m_Result = -1;
};
