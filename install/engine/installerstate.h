// What the installer keeps for the life of its process beside the work engine: the restart flag
// that the updater's hooks set and the program reads at shutdown, and the installer's resources
// ("xrs/install.xrs"), which the program loads and every installer dialog is made from.
#pragma once

#include <cstdint>

class CResData;

inline constexpr int32_t INSTALLER_RESTART_NONE = 0;
// The updater replaced the installer's own files: restart through the updater program.
inline constexpr int32_t INSTALLER_RESTART_UPDATED = 1;
// Updating the installer itself failed.
inline constexpr int32_t INSTALLER_RESTART_FAILED = 2;

int32_t BGetRestartFlag();
void BSetRestartFlag(int32_t flag);

// Not owned; null until the program has loaded them.
CResData* BGetInstallerResources();
void BSetInstallerResources(CResData* resources);
