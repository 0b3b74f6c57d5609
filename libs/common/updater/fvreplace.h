// Installed files are replaced whole: the new content is written to a temporary file in the
// target's folder and renamed over the target only once it is complete. A program or library that
// is running keeps the file it has open; a failure leaves the target exactly as it was.
#pragma once

#include <cstdint>
#include <string>

class CFVReplacement {
 public:
  CFVReplacement() = default;
  CFVReplacement(const CFVReplacement&) = delete;
  CFVReplacement& operator=(const CFVReplacement&) = delete;
  // The temporary file goes unless it was committed.
  ~CFVReplacement();

  // Makes the target's missing folders and an empty temporary file beside it. 1/0.
  int32_t Begin(const char* target);
  // Where the new content is to be written.
  const char* TempPath() const { return m_Temp.c_str(); }
  // Renames the temporary file over the target (see FVFinishFile for its mode). 1/0; on failure
  // the temporary file goes and the target stays.
  int32_t Commit();

 private:
  std::string m_Target;  // resolved
  std::string m_Temp;
  bool m_Pending = false;
};

// Gives a finished file the mode that its target has (made writable for its owner), or for a new
// file the default mode, executable for a name without an extension (a program), and flushes it.
// Both names resolved. 1/0.
int32_t FVFinishFile(const std::string& file, const std::string& target);

// Moves a finished file over target: one rename, or across file systems a copy through a
// replacement. The target's missing folders are made. 1/0; on failure the target stays.
int32_t FVMoveOver(const char* finished, const char* target);

// The text after the last dot of the last component; null when it has none.
const char* FVExtension(const char* name);
// A file that the updater checks on disk by content: code ("dll", "exe", "so", or no extension:
// a program) and scripts ("xrs"). Other files are trusted to the installed list.
bool FVIsCheckedOnDisk(const char* name);
// Code only: "dll", "exe", "so" or no extension.
bool FVIsCode(const char* name);
// Folder and name joined; an empty or null folder gives the name.
std::string FVJoin(const char* folder, const char* name);
