#include "support/tempdir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

CTempDir::CTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorrin-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_Path = pattern;
}

CTempDir::~CTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_Path, ec);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

CWorkingDir::CWorkingDir(const std::string& path) : m_Old(std::filesystem::current_path().string()) {
  std::filesystem::current_path(path);
}

CWorkingDir::~CWorkingDir() {
  std::error_code ec;
  std::filesystem::current_path(m_Old, ec);
}
