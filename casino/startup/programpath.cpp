#include "casino/startup/programpath.h"

#include <cstring>
#include <string>

#include "platform/modules/modules.h"

int32_t xGetOwnProgramPath(char* buffer, size_t size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = '\0';
  const std::string path = PlatformProgramPath();
  if (path.empty() || path.size() > OWN_PROGRAM_PATH_MAX || path.size() >= size) return 0;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 1;
}
