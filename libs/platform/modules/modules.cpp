#include "platform/modules/modules.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/files/resolver.h"

namespace {

bool EndsWithDll(const std::string& name) {
  if (name.size() < 4) return false;
  const char* ext = name.c_str() + name.size() - 4;
  return ext[0] == '.' && (ext[1] | 0x20) == 'd' && (ext[2] | 0x20) == 'l' && (ext[3] | 0x20) == 'l';
}

}  // namespace

std::string PlatformProgramPath() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return {};
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string PlatformProgramFolder() {
  const std::string exe = PlatformProgramPath();
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return {};
  return exe.substr(0, slash == 0 ? 1 : slash);
}

std::string PlatformModulePath(const char* name) {
  std::string path = PlatformNormalizePath(name);
  if (path.empty()) return path;
  if (EndsWithDll(path)) path.replace(path.size() - 4, 4, ".so");
  if (path.find('/') == std::string::npos) {
    std::string folder = PlatformProgramFolder();
    if (!folder.empty()) path = (folder == "/" ? folder : folder + "/") + path;
  }
  return PlatformResolvePath(path.c_str());
}

void* PlatformModuleOpen(const char* name) {
  std::string path = PlatformModulePath(name);
  if (path.empty()) return nullptr;
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* PlatformModuleSymbol(void* module, const char* name) {
  if (!module || !name || !name[0]) return nullptr;
  return dlsym(module, name);
}

int32_t PlatformModuleClose(void* module) { return module && dlclose(module) == 0 ? 1 : 0; }
