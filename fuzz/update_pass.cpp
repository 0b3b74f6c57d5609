// The server's module list drives the update driver: whatever it lists, a validation run over a
// small installation never writes outside it and never crashes. The input is the server's list,
// optionally followed by a line "====" and the installed list. The run downloads (a stub that
// "fetches" every package as the same bytes: raw for ".rpk", LZSS for ".zpk", block-compressed
// for ".bos"), unpacks what checks out, and runs the second, checking pass.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fversionvalidate.h"
#include "common/updater/fvnames.h"
#include "common/updater/modstatus.h"
#include "ostrel/base/types.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/compression/zzip.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/memhooks.h"

namespace fs = std::filesystem;

namespace {
const std::string kPayload = "the same bytes for every package\n";
std::string g_Root;  // holds only "tree" between runs
std::string g_Lzss, g_Block;

void Write(const fs::path& path, const std::string& bytes) {
  std::error_code ignored;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ignored);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Packed(const std::string& name) {
  const std::string ext = fs::path(name).extension().string();
  if (ext == ".zpk") return g_Lzss;
  if (ext == ".bos") return g_Block;
  return kPayload;
}

int32_t Fetch(CLList* items, CLList*, int32_t* stop) {
  *stop = 0;
  for (CNode* n = items->HeadNode(); n; n = n->m_pNext) {
    const char* packed = static_cast<SFVersionDownloadItem*>(n->m_pData)->m_pPackedName;
    // A host writes only names that stay in its folder.
    if (!FVersion_IsSafeListName(packed)) return 0;
    Write(packed, Packed(packed));
  }
  return 1;
}

void MakeTree() {
  const fs::path tree = fs::path(g_Root) / "tree";
  std::error_code ignored;
  fs::remove_all(tree, ignored);
  fs::create_directory(tree);
  Write(tree / MODSTATUS_FILE, "modstatus = Game, 1\nmodstatus = Client, 0\nmodstatus = Shared, 4\n");
  Write(tree / "game.dll", "game version 1\n");
  Write(tree / "xrs/game.xrs", "script version 1\n");
  Write(tree / "casino", "casino version 1\n");
}

bool Setup() {
  char folder[] = "/tmp/vorrin-fuzz-update-XXXXXX";
  if (!mkdtemp(folder)) return false;
  g_Root = folder;
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(g_Root, ignored);
  });
  uint32_t len = static_cast<uint32_t>(kPayload.size());
  CLzss lzss;
  uint8_t* coded = lzss.CompressBuffer(kPayload.data(), &len);
  if (!coded) return false;
  g_Lzss.assign(reinterpret_cast<char*>(coded), len);
  xFree(coded);
  CZZip zip;
  auto* block = static_cast<unsigned char*>(xSysAllocMemFunc(kPayload.size() + CZZip::ExtraBytesNeededForCompression()));
  if (!block) return false;
  kPayload.copy(reinterpret_cast<char*>(block), kPayload.size());
  len = static_cast<uint32_t>(kPayload.size());
  if (!zip.CompressBuffer(&block, len, 1, 1)) return false;
  g_Block.assign(reinterpret_cast<char*>(block), len);
  xSysFreeMemFunc(block);

  FVersion_SetQuietCallbacks();
  FVersion_SetCallBack_FileExists(Callback_FileExists);
  FVersion_SetCallBack_FileCalcCRC(Callback_FileCalcCRC);
  FVersion_SetCallBack_FileFileSize(Callback_FileFileSize);
  FVersion_SetCallBack_UnpackFile(Callback_UnpackFile);
  FVersion_SetCallBack_EraseFile(Callback_EraseFile);
  FVersion_SetCallBack_Download(Fetch);
  return true;
}

// Only "tree" may be left beside the tree.
void CheckNothingOutside() {
  for (const auto& entry : fs::directory_iterator(g_Root))
    if (entry.path().filename() != "tree") std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Setup();
  if (!ready || size > (1u << 16)) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t marker = input.find("\n====\n");
  MakeTree();
  const fs::path tree = fs::path(g_Root) / "tree";
  Write(tree / "srvmap.lst", input.substr(0, marker));
  if (marker != std::string::npos) Write(tree / "filemap.lst", input.substr(marker + 6));
  const fs::path old = fs::current_path();
  fs::current_path(tree);
  FVersion_ValidateFiles("srvmap.lst", "filemap.lst", 1, 0, size % 2, nullptr, 1);
  fs::current_path(old);
  CheckNothingOutside();
  return 0;
}
