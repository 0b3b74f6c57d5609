// Expected-value tables written by the scripts in tests/tools: one case a line, tab-separated.
#pragma once

#include <string>
#include <vector>

using TTableRow = std::vector<std::string>;

// Every line of the file split at tabs (an empty trailing field is kept); empty when unreadable.
std::vector<TTableRow> ReadTable(const std::string& path);
// Bytes from pairs of hex digits.
std::string FromHex(const std::string& hex);
// Lower-case hex digits of bytes (as the Python oracles print texts).
std::string Hex(const std::string& bytes);
