#include "install/engine/installerstate.h"

namespace {
int32_t g_RestartFlag = INSTALLER_RESTART_NONE;
CResData* g_pResources = nullptr;
}  // namespace

int32_t BGetRestartFlag() { return g_RestartFlag; }
void BSetRestartFlag(int32_t flag) { g_RestartFlag = flag; }

CResData* BGetInstallerResources() { return g_pResources; }
void BSetInstallerResources(CResData* resources) { g_pResources = resources; }
