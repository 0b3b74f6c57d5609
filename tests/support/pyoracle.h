// Expected values from Python's standard library, through the committed scripts of tests/tools.
#pragma once

#include <string>
#include <vector>

// Runs tests/tools/<script> on a file holding input and returns its output lines; a script that
// fails is a test failure and gives no lines.
std::vector<std::string> RunPythonTool(const std::string& script, const std::string& input);
