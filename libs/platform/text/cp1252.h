// Text crosses into the desktop (file entries, labels, names) as UTF-8 and stays Windows-1252
// inside the system. These two convert at that edge.
#pragma once

#include <string>

std::string PlatformCp1252ToUtf8(const std::string& text);
// Characters without a Windows-1252 form, and malformed bytes, become '?'.
std::string PlatformUtf8ToCp1252(const std::string& text);
