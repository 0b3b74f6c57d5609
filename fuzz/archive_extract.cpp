// Archives arrive from download servers. Extracts each input as a ".zpk" archive into a fresh
// folder and checks that nothing was written beside it.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/files/archive.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path root = fs::temp_directory_path() / ("fuzz-archive-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "target");
  const fs::path archive = root / "in.zpk";
  {
    std::ofstream f(archive, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CArchive a;
  a.ExtractArchive(archive.c_str(), (root / "target").c_str(), 0);
  for (const auto& e : fs::directory_iterator(root))
    if (e.path() != archive && e.path() != root / "target") abort();  // escaped the target
  fs::remove_all(root);
  return 0;
}
