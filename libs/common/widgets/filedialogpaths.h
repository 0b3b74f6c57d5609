// Paths of the file dialog. The dialog speaks the Windows form ("C:\home\player\", a folder always
// ending in a backslash) over the drives of the system: "/" is C:, each further mounted file
// system the next letter. A folder is listed at the drive's mount point.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/drives.h"

struct SFileDialogDrive {
  char m_Letter = 'C';
  std::string m_Mount;  // where the drive's root lies in the system ("/", "/media/stick")
  EDriveKind m_Kind = XDRIVE_FIXED;
  std::string m_Label;
};

// The drives lettered as the drive list letters them: C, D, ... as far as Z.
std::vector<SFileDialogDrive> FileDialogLetterDrives(const std::vector<TDrive>& drives);

// A path taken apart.
struct SFileDialogPath {
  char m_Drive = 0;              // the drive letter in capitals, when the path names one
  bool m_WorkingFolder = false;  // ".\": the working folder
  bool m_FromRoot = false;       // "\": the root of the current drive
  std::vector<std::string> m_Parts;  // names and ".."; "." and empty parts are dropped
};

// "/" reads as "\" and one trailing blank is dropped. false for null, a text that fills the path
// buffer (XMAX_PATH bytes with its terminator) or more, a control character, a text that names
// no place (empty, separators only) and a part of blanks only.
bool FileDialogSplitPath(const char* path, SFileDialogPath& out);

// "X:\a\b\" of a drive letter and the folders below its root.
std::string FileDialogFolderText(char letter, const std::vector<std::string>& parts);
// The system's folder of the folders below the drive's root, ending in "/".
std::string FileDialogSystemFolder(const SFileDialogDrive& drive, const std::vector<std::string>& parts);
// The drive whose mount point holds an absolute system folder deepest, and the folders below that
// point. false when no drive holds it.
bool FileDialogLocate(const std::vector<SFileDialogDrive>& drives, std::string_view folder, size_t& drive,
                      std::vector<std::string>& parts);

// A name of a folder's entry that the Windows form can carry: no backslash, no control character.
bool FileDialogListableName(std::string_view name);
// A name the player may give a new file: listable, none of / : * ? " < > |, not blanks or dots
// only.
bool FileDialogValidNewName(std::string_view name);
