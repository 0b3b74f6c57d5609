// A small release of the casino as the install builder (FVersion_BuildInstall) takes it: a client
// with a program, a library and a script, the game "Black Jack", fonts and scripts shared through
// an INDIRECT module and, when asked, a second game "Roulette" whose files do not compress. Shared
// by the suites of the builder and of the installer.
#pragma once

#include <map>
#include <string>

// The short-form module list of the client, "Black Jack" and "Shared".
const char* InstallReleaseList();
// The module chunk of "Roulette", to append to that list.
const char* InstallReleaseSecondGame();
// Relative name -> content.
const std::map<std::string, std::string>& InstallReleaseFiles();
const std::map<std::string, std::string>& InstallReleaseSecondGameFiles();
// Writes the files and the list, as "modules.lst", below folder.
void WriteInstallRelease(const std::string& folder, bool secondGame);
