// A source list drives the install builder: whatever it names, a build over a small release
// folder never writes outside its list-output and target folders, never changes the release and
// never crashes. The input is the source list, optionally followed by a line "====" and the light
// list ("filemapinstall.lst"). The input's size chooses the package kind.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include "common/updater/fversionbuild.h"
#include "common/updater/fversiondefaults.h"

namespace fs = std::filesystem;

namespace {
std::string g_Root;  // holds "release", "server" and "install" between runs
const std::map<std::string, std::string> kRelease = {
    {"casino", "casino version 1\n"},
    {"game.dll", "game version 1\n"},
    {"xrs/game.xrs", "{ = Strings\n}\n"},
    {"fonts/sans.xbf", "font\n"},
};

void Write(const fs::path& path, const std::string& bytes) {
  std::error_code ignored;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ignored);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Setup() {
  char folder[] = "/tmp/vorrin-fuzz-install-XXXXXX";
  if (!mkdtemp(folder)) return false;
  g_Root = folder;
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(g_Root, ignored);
  });
  FVersion_SetDefaultCallbacks();
  return true;
}

void MakeRelease(const std::string& list, const std::string* light) {
  std::error_code ignored;
  for (const char* folder : {"release", "server", "install"}) fs::remove_all(fs::path(g_Root) / folder, ignored);
  const fs::path release = fs::path(g_Root) / "release";
  for (const auto& [name, bytes] : kRelease) Write(release / name, bytes);
  Write(release / "modules.lst", list);
  if (light) Write(release / FVERSION_LIGHT_LIST, *light);
}

// Only the three folders beside each other, and the release as it was.
void CheckNothingOutside(bool light) {
  for (const auto& entry : fs::directory_iterator(g_Root)) {
    const std::string name = entry.path().filename().string();
    if (name != "release" && name != "server" && name != "install") std::abort();
  }
  const fs::path release = fs::path(g_Root) / "release";
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(release)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const std::string name = entry.path().lexically_relative(release).generic_string();
    const auto known = kRelease.find(name);
    if (known != kRelease.end() && Read(entry.path()) != known->second) std::abort();
  }
  if (files != kRelease.size() + (light ? 2 : 1)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Setup();
  if (!ready || size > (1u << 14)) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t marker = input.find("\n====\n");
  const std::string light = marker == std::string::npos ? std::string() : input.substr(marker + 6);
  MakeRelease(input.substr(0, marker), marker == std::string::npos ? nullptr : &light);
  const std::string root = g_Root + "/";
  FVersion_BuildInstall((root + "release/").c_str(), (root + "server/").c_str(), (root + "install/").c_str(),
                        "modules.lst", "filemap.lst", "srvmap.lst", "modstatus.lst", static_cast<int32_t>(size % 2));
  CheckNothingOutside(marker != std::string::npos);
  return 0;
}
