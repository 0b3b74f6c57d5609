// A program folder of its own for one test: the install folder's data as build/dist stages it,
// in a fresh temporary folder that the test works in, so tests that write files, options, the
// registry or lock files run side by side. The scripts of xrs/ are copied (tests replace them);
// pictures/, sounds/ and fonts/ are linked file by file, the libraries and modules too. Nothing
// is ever written into build/dist: Write and Put replace a link, never write through it.
//
// The folder also holds the stand-in of the updater: a "#!" script named "update" that does
// nothing, because xExecuteFile starts "update.exe" only when such a program file exists.
#pragma once

#include <string>

#include "support/tempdir.h"

class CProgramFolder {
 public:
  CProgramFolder();
  CProgramFolder(const CProgramFolder&) = delete;
  CProgramFolder& operator=(const CProgramFolder&) = delete;

  const std::string& Path() const { return m_Dir.Path(); }
  std::string File(const std::string& name) const { return m_Dir.File(name); }
  // Where the registry store (XDG_CONFIG_HOME), the desktop entries (XDG_DATA_HOME) and the lock
  // files of named mutexes and the window links (XDG_RUNTIME_DIR) live for this test.
  std::string ConfigHome() const { return File(".config"); }
  std::string DataHome() const { return File(".local/share"); }
  std::string RuntimeDir() const { return File(".runtime"); }

  // A file of the folder with that content (folders made as needed).
  void Write(const std::string& name, const std::string& content) const;
  // A file of tests/data copied into the folder under name.
  void Put(const std::string& testDataFile, const std::string& name) const;
  void Remove(const std::string& name) const;
  // A program of build/dist or of the tests' helpers (beside the test program) copied (not linked: a program finds its
  // folder through the executable link, which resolves links) into the folder; its path.
  std::string CopyProgram(const std::string& builtProgram) const;

 private:
  void Stage();

  CTempDir m_Dir;
};
