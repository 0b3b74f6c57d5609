// "INSTALL.LOG" is the player's own file, written by earlier installers: its "Source: " line names
// the folder packages are copied from. Reads each input as the log and checks what it names.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "install/engine/installsource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path;
  if (!BParseInstallSource(reinterpret_cast<const char*>(data), size, path)) return 0;
  if (path.empty() || path.size() > BINSTALLSOURCE_MAX_LINE || path.find('\0') != std::string::npos ||
      path.find('\n') != std::string::npos)
    abort();
  return 0;
}
