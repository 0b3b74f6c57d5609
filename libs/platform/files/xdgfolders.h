// The per-user and system folders of the freedesktop base-directory rules. An unset, empty or
// relative variable falls back to the rule's default.
#pragma once

#include <string>
#include <vector>

std::string PlatformHomeFolder();
std::string PlatformXdgConfigHome();               // $XDG_CONFIG_HOME, else ~/.config
std::string PlatformXdgDataHome();                 // $XDG_DATA_HOME, else ~/.local/share
std::vector<std::string> PlatformXdgDataDirs();    // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
