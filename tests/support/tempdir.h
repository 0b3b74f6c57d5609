// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <string>
#include <vector>

class CTempDir {
 public:
  CTempDir();
  ~CTempDir();
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;

  const std::string& Path() const { return m_Path; }
  std::string File(const std::string& name) const { return m_Path + "/" + name; }

 private:
  std::string m_Path;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
// The lines of a text, without their line feeds.
std::vector<std::string> SplitLines(const std::string& text);

// Makes a folder the working folder for the life of the object.
class CWorkingDir {
 public:
  explicit CWorkingDir(const std::string& path);
  ~CWorkingDir();
  CWorkingDir(const CWorkingDir&) = delete;
  CWorkingDir& operator=(const CWorkingDir&) = delete;

 private:
  std::string m_Old;
};
