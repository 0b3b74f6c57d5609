// "options.cfg" is a file the player may edit by hand or a crash may cut short. Loads the input
// as that file for a user and a section, reads every option with every getter, and checks that
// Load never writes the file and that what Save writes loads back to the same text.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/options/options.h"
#include "ostrel/resources/resdata.h"

namespace fs = std::filesystem;

namespace {
const char kNames[] =
    "{ = Defines\n"
    "  OPT_DISPLAYMODE = 420000\n  OPT_WINDOWMODE = 420100\n  OPT_FULLSCREEN = 420101\n"
    "  OPT_MUSIC = 420010\n  OPT_SOUND = 420011\n  OPT_MUSICSOURCE = 420012\n"
    "  OPT_MUSIC_BUILTIN = 420013\n  OPT_MUSIC_OWNFILE = 420014\n  OPT_MUSICFILE = 420015\n"
    "  OPT_LASTUSER = 420016\n  OPT_JACKPOTLIST_OPEN = 420017\n  OPT_JACKPOTLIST_OFFSET = 420018\n"
    "  TEST_FLAG = 430001\n  TEST_COUNT = 430002\n  TEST_RATE = 430003\n  TEST_TEXT = 430004\n"
    "}\n";
const int32_t kIds[] = {420000, 420010, 420011, 420012, 420015, 420016, 420017, 420018,
                        430001, 430002, 430003, 430004, 439999};

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void ReadEverything(COptions& options) {
  for (int32_t id : kIds) {
    int32_t v = 0;
    float f = 0;
    options.GetBool(id, &v);
    options.GetLong(id, &v);
    options.GetFloat(id, &f);
    options.GetResId(id, &v);
    if (const char* text = options.GetString(id)) (void)std::string(text);
  }
}

std::string SaveAndRead(COptions& options) {
  if (!options.Save()) abort();  // a loaded record always writes
  return ReadAll("options.cfg");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path root = [] {
    const fs::path dir = fs::temp_directory_path() / ("fuzz-options-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    return dir;
  }();
  static CResData* names = [] {
    auto* res = new CResData;
    return res->Import(kNames) ? res : nullptr;
  }();
  if (!names || size > (1u << 20)) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream f(root / "options.cfg", std::ios::binary | std::ios::trunc);
    f.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  COptions options(names);
  if (!options.Load("Blackjack", "bob")) return 0;
  if (ReadAll(root / "options.cfg") != input) abort();  // Load wrote the file
  ReadEverything(options);
  options.SetDefaultLong(430002, 5, 1);
  options.SetDefaultBool(430001, 1, 0);
  options.SetString(430004, "x");
  const std::string saved = SaveAndRead(options);

  COptions again(names);
  if (!again.Load("Blackjack", "bob")) abort();
  ReadEverything(again);
  if (SaveAndRead(again) != saved) abort();  // the saved text is what it loads as
  return 0;
}
