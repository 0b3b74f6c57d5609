#include "support/pyoracle.h"

#include <gtest/gtest.h>

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
