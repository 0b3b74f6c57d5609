#include "support/installrelease.h"

#include <filesystem>

#include "support/httppeers.h"
#include "support/tempdir.h"

const char* InstallReleaseList() {
  return R"(
{ = module, Client
    Description = "The casino client and its libraries"
    Classname = client
    Mode = Normal
    MustDownload = TRUE
    File = casino
    File = libostrel.so
    File = xrs/mc_main.xrs
    IndFile = fonts/sans10.xbf
    IndFile = xrs/common.xrs
}
{ = module, "Black Jack"
    Description = "Blackjack"
    Classname = game
    Mode = Normal
    MustDownload = FALSE
    File = kavo.so
    File = pictures/kavo/table.bmp
    IndFile = xrs/common.xrs
}
{ = module, Shared
    Description = "Fonts and scripts that every module reads"
    Classname = shared
    Mode = Indirect
    MustDownload = FALSE
    File = fonts/sans10.xbf
    File = xrs/common.xrs
}
)";
}

const char* InstallReleaseSecondGame() {
  return R"(
{ = module, Roulette
    Description = "Roulette"
    Classname = game
    Mode = Normal
    MustDownload = FALSE
    File = roulette.so
    File = pictures/roulette/wheel.bmp
    IndFile = xrs/common.xrs
}
)";
}

const std::map<std::string, std::string>& InstallReleaseFiles() {
  static const std::map<std::string, std::string> files = [] {
    std::map<std::string, std::string> f;
    std::string program, library, picture;
    for (int i = 0; i < 5000; ++i) program += static_cast<char>((i * 7919) >> 3);
    for (int i = 0; i < 20000; ++i) library += "symbol_" + std::to_string(i % 97) + ";";
    for (int i = 0; i < 3000; ++i) picture += static_cast<char>(i % 251);
    f["casino"] = program;
    f["libostrel.so"] = library;
    f["xrs/mc_main.xrs"] = "{ = Strings\n    MSG_WELCOME = 1, \"Welcome\"\n}\n";
    f["fonts/sans10.xbf"] = std::string("XBF\0\x01", 5) + picture.substr(0, 700);
    f["xrs/common.xrs"] = "{ = Strings\n    MSG_SHARED = 2, \"Shared\"\n}\n";
    f["kavo.so"] = library.substr(0, 9000) + program;
    f["pictures/kavo/table.bmp"] = "BM" + picture;
    return f;
  }();
  return files;
}

const std::map<std::string, std::string>& InstallReleaseSecondGameFiles() {
  static const std::map<std::string, std::string> files = {
      {"roulette.so", TestContent(150000, 7)},
      {"pictures/roulette/wheel.bmp", "BM" + TestContent(30000, 8)},
  };
  return files;
}

void WriteInstallRelease(const std::string& folder, bool secondGame) {
  auto put = [&](const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    std::filesystem::create_directories(path.parent_path());
    WriteWholeFile(path.string(), bytes);
  };
  for (const auto& [name, bytes] : InstallReleaseFiles()) put(name, bytes);
  std::string list = InstallReleaseList();
  if (secondGame) {
    for (const auto& [name, bytes] : InstallReleaseSecondGameFiles()) put(name, bytes);
    list += InstallReleaseSecondGame();
  }
  put("modules.lst", list);
}
