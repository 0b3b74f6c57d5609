#include "common/info/registrypath.h"

#include <cstring>
#include <string>

#include "ostrel/resources/resdata.h"

namespace {
// Empty until it is built.
std::string& KeptPath() {
  static std::string path;
  return path;
}

bool BuildPath(std::string& path) {
  CResData script;
  if (!script.Load(COMMON_SCRIPT_FILE)) return false;
  const char* name = script.GetResString(COMMON_STRING_APPLICATION_NAME);
  if (!name) return false;
  path = std::string(CASINO_REGISTRY_BASE) + name;
  return true;
}
}  // namespace

int32_t xGetCasinoRegistryPath(char* buffer, uint32_t size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = '\0';
  std::string& path = KeptPath();
  if (path.empty() && !BuildPath(path)) return 0;
  if (path.size() >= size) return 0;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 1;
}

void xForgetCasinoRegistryPath() { KeptPath().clear(); }
