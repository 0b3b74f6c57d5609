// Shared set-up of the table-widget fuzz targets: the process globals with the BMP picture type,
// and a folder that holds the pictures the seeds' scripts name ("lamps.bmp", 51 by 10, and
// "strip.bmp", 48 by 32), the working folder while an input runs and removed when the run ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ostrel/graphics/bmppic.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace widgetfuzz {

// The table dialog the widgets draw into: the history lights' static 501 and a control 502 that
// an animation may keep above itself.
inline constexpr char kTableScript[] =
    "{ = Defines\n    IDD_TABLE = 500\n    IDS_HISTORY = 501\n    IDS_SHIELD = 502\n}\n"
    "{ = Window, IDD_TABLE\n    Create = \"\", 0, 0, 240, 180, 0\n"
    "    CreateStatic = IDS_SHIELD, \"\", 64, 64, 8, 8, 0\n"
    "    CreateStatic = IDS_HISTORY, \"\", 20, 30, 70, 65, 0\n}\n";

inline void PutLE(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// A 24-bit bottom-up BMP whose pixels step through the colours.
inline std::string Bmp24(int32_t width, int32_t height) {
  const int32_t row = (width * 3 + 3) & ~3;
  std::string out = "BM";
  PutLE(out, uint32_t(54 + row * height), 4);
  PutLE(out, 0, 4);
  PutLE(out, 54, 4);
  for (uint32_t v : {40u, uint32_t(width), uint32_t(height)}) PutLE(out, v, 4);
  PutLE(out, 1, 2);
  PutLE(out, 24, 2);
  for (uint32_t v : {0u, uint32_t(row * height), 2835u, 2835u, 0u, 0u}) PutLE(out, v, 4);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) out.push_back(static_cast<char>((x * 5 + y * 3 + c * 70) & 0xFF));
    out.append(size_t(row - width * 3), '\0');
  }
  return out;
}

inline std::string& Folder() {
  static std::string folder;
  return folder;
}

inline void RemoveFolder() {
  for (const char* name : {"lamps.bmp", "strip.bmp"}) std::remove((Folder() + "/" + name).c_str());
  rmdir(Folder().c_str());
}

inline bool WriteFile(const std::string& name, const std::string& bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// Once per process: 1 when the globals and the pictures are there.
inline bool Ready() {
  static const bool ready = [] {
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    if (xCreateGlobals() != 1) return false;
    // Registers itself with the picture types of the globals.
    static CBMPPic bmp;
    char folder[] = "/tmp/vorrin-widgetfuzz-XXXXXX";
    if (!mkdtemp(folder)) return false;
    Folder() = folder;
    std::atexit(RemoveFolder);
    return WriteFile(Folder() + "/lamps.bmp", Bmp24(51, 10)) && WriteFile(Folder() + "/strip.bmp", Bmp24(48, 32));
  }();
  return ready;
}

// The pictures' folder as the working folder for the life of the object; libFuzzer's own files
// stay relative to the folder it was started in.
class CInFolder {
 public:
  CInFolder() : m_Ok(getcwd(m_Old, sizeof m_Old) && chdir(Folder().c_str()) == 0) {}
  ~CInFolder() {
    if (m_Ok && chdir(m_Old) != 0) std::abort();
  }
  CInFolder(const CInFolder&) = delete;
  CInFolder& operator=(const CInFolder&) = delete;
  bool Ok() const { return m_Ok; }

 private:
  char m_Old[4096];
  bool m_Ok;
};

}  // namespace widgetfuzz
