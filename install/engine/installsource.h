// The installation source: the folder of the setup program that "INSTALL.LOG" names on its line
// "Source: <path>". Packages found there with the right CRC are copied into the install folder
// instead of being downloaded. The log is the player's own file and is only read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr char INSTALL_LOG_FILE[] = "INSTALL.LOG";
inline constexpr char INSTALL_LOG_SOURCE[] = "Source: ";
// A "Source: " line longer than this names no source.
inline constexpr size_t BINSTALLSOURCE_MAX_LINE = 4096;
// Bytes of the log that are read at most.
inline constexpr uint32_t BINSTALLSOURCE_MAX_LOG = 4u << 20;

// The path of the first line that starts with "Source: ": the text from two places after the
// line's first ':', 'C' or '\' to the end of the line (a carriage return before the line feed is
// not part of it). false when there is no such line, it is too long, or the path is empty or
// holds a zero byte.
bool BParseInstallSource(const char* text, size_t size, std::string& path);

// The folder of the file that "INSTALL.LOG" names, when the log and the file exist ("" for a file
// named without a folder); false otherwise.
bool BFindInstallSource(std::string& folder);
