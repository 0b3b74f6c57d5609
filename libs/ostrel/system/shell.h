// Starting programs, opening files and web addresses, and Start-menu shortcuts. Nothing runs
// through a shell: file names and addresses always reach the program as single arguments.
#pragma once

#include <cstdint>

// Opens a file or starts a program. A program ("install.exe" is the program "install", found in
// the working folder and then in the program's own folder when no folder is given) runs with
// parameters split by the Windows command-line rules; anything else, addresses included, opens
// with the desktop's opener. 0 on success, -1 on failure.
int32_t xExecuteFile(const char* file, const char* parameters);

// Opens an address (or a file; ".\" stands for the working folder) in the browser: the desktop's
// opener first, then each command of $BROWSER. 1 when one of them started.
int32_t xShowURL(const char* address);

enum eShortCutFlags : int32_t {
  SHORTCUT_CHECK = 0,             // only tell whether the shortcut points at the file
  SHORTCUT_UPDATE = 1,            // point an existing shortcut at the file
  SHORTCUT_CREATE_OR_UPDATE = 2,  // as 1, and make the shortcut when it cannot be loaded
};
enum eShortReturnFlags : int32_t {
  SHORTCUT_FAILED = 0,
  SHORTCUT_DONE = 1,
  SHORTCUT_ALREADY_POINTS = 2,  // flags 0 only
};

// A shortcut ("...\Casino.lnk") is the desktop entry of the same name ending in ".desktop". It
// points at file when the path of the program it starts (or of the document it opens) ends in
// file's name ("casino.exe": .../casino), whole names only and without regard to case. When it
// does, flags 0 gives 2 and other flags 1 with nothing changed; when it does not, flags 0 gives
// 1 and other flags point it at folder's file, starting in folder, and give 1. A shortcut that
// cannot be loaded is made anew with flags 2 and gives 0 otherwise. 0 when it cannot be saved.
eShortReturnFlags xCreteOrUpdate_ShortCut(const char* shortcut, const char* folder, const char* file,
                                          eShortCutFlags flags);
