#include "casino/startup/leftovertables.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "ostrel/base/xstring.h"

namespace {
bool IsTableFileName(const std::string& name) {
  return name.size() > 4 && xStricmp(name.c_str() + name.size() - 4, ".tab") == 0;
}
}  // namespace

int32_t DeleteLeftoverTableFiles() {
  std::error_code error;
  int32_t deleted = 0;
  for (std::filesystem::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    std::error_code kind;
    if (!it->is_regular_file(kind) || it->is_symlink(kind) || !IsTableFileName(it->path().filename().string()))
      continue;
    std::error_code removed;
    if (std::filesystem::remove(it->path(), removed)) ++deleted;
  }
  return deleted;
}
