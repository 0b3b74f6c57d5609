// Expected values from Python's standard library, through the committed scripts of tests/tools.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Runs tests/tools/<script> on a file holding input and returns its output lines; a script that
// fails is a test failure and gives no lines.
std::vector<std::string> RunPythonTool(const std::string& script, const std::string& input);

// The system's CRC-32 (polynomial 0x04C11DB7) of each file, by path, from tests/tools/crc32_bzip2.py
// (zlib underneath); a file the script did not answer for is missing from the result.
std::map<std::string, uint32_t> PythonFileCrcs(const std::vector<std::string>& paths);
