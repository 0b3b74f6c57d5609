// Chunk files (fonts and the like) are read from disk. Walks every chunk of the input, depth
// first, with a bound on the steps.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/files/xiff.h"

namespace {
int g_Steps;

void Walk(CXIFF& x, int depth) {
  if (depth > XIFF_STACK_SIZE || !x.FirstChunk()) return;
  while (++g_Steps < 2000) {
    uint32_t start = 0, size = 0;
    char name[8];
    if (!x.GetPos(&start, XSEEK_RAW) || !x.Read(name, 1)) return;
    x.SeekRaw(start);
    if (x.EnterChunk()) {
      x.GetSize(&size);
      Walk(x, depth + 1);
      x.ExitChunk();
    }
    x.SeekRaw(start);
    if (!x.NextChunk()) return;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("fuzz-xiff-" + std::to_string(getpid()))).string();
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CXIFF x;
  if (x.Open(path.c_str(), XFILE_READ | XFILE_LITTLE)) {
    g_Steps = 0;
    Walk(x, 1);
    uint32_t s = 0;
    x.FindChunk("A", &s, 0);
  }
  x.Close();
  return 0;
}
