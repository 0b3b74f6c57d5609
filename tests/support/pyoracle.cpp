#include "support/pyoracle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "support/tempdir.h"

std::vector<std::string> RunPythonTool(const std::string& script, const std::string& input) {
  CTempDir dir;
  WriteWholeFile(dir.File("in.txt"), input);
  std::string command = "python3 '" + std::string(VORRIN_TEST_TOOLS_DIR) + "/" + script + "' '" +
                        dir.File("in.txt") + "' > '" + dir.File("out.txt") + "'";
  int status = std::system(command.c_str());
  if (status != 0) {
    ADD_FAILURE() << "python3 " << script << " failed with status " << status;
    return {};
  }
  std::vector<std::string> lines;
  std::istringstream text(ReadWholeFile(dir.File("out.txt")));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::map<std::string, uint32_t> PythonFileCrcs(const std::vector<std::string>& paths) {
  std::string command = "python3 '" + std::string(VORRIN_TEST_TOOLS_DIR) + "/crc32_bzip2.py' 0x04C11DB7";
  for (const std::string& p : paths) command += " '" + p + "'";
  std::map<std::string, uint32_t> crcs;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return crcs;
  unsigned value = 0;
  for (size_t i = 0; i < paths.size() && std::fscanf(pipe, "%x", &value) == 1; ++i) crcs[paths[i]] = value;
  pclose(pipe);
  return crcs;
}
