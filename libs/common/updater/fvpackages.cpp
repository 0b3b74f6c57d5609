// The package callbacks: one file packed or unpacked by the extension of its packed name.
#include <memory>
#include <new>
#include <string>

#include "common/updater/fversiondefaults.h"
#include "common/updater/fvnames.h"
#include "common/updater/fvreplace.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/compression/zzip.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/folders.h"

namespace {
enum class EPackage { None, Block, Lzss, Raw };

EPackage KindOf(const char* name) {
  const char* ext = FVExtension(name);
  if (!ext) return EPackage::None;
  if (xStricmp(ext, "bos") == 0) return EPackage::Block;
  if (xStricmp(ext, "zpk") == 0) return EPackage::Lzss;
  if (xStricmp(ext, "rpk") == 0) return EPackage::Raw;
  return EPackage::None;
}

// Packs (or unpacks) source into target by kind.
bool Convert(EPackage kind, bool pack, const char* source, const char* target) {
  switch (kind) {
    case EPackage::Block: {
      CZZip zip;
      return pack ? zip.CompressFile(source, target) : zip.ExpandFile(source, target);
    }
    case EPackage::Lzss: {
      auto lzss = std::make_unique<CLzss>();
      return pack ? lzss->Compress(source, target) : lzss->Expand(source, target);
    }
    case EPackage::Raw:
      return xCopyFile(target, source);
    case EPackage::None:
      break;
  }
  return false;
}

// Writes targetFolder + name through a replacement with write(temp); on success hands a copy of
// name back through out.
template <class FWrite>
int32_t Replace(const char* targetFolder, const std::string& name, char** out, FWrite write) {
  if (!FVersion_IsSafeListName(name.c_str())) return 0;
  const std::string target = FVJoin(targetFolder, name.c_str());
  if (xFileExists(target.c_str())) xRemoveReadOnly(target.c_str());
  char* copy = out ? xStrdup(name.c_str()) : nullptr;
  if (out && !copy) return 0;
  CFVReplacement replacement;
  if (!replacement.Begin(target.c_str()) || !write(replacement.TempPath()) || !replacement.Commit()) {
    xFree(copy);
    return 0;
  }
  if (out) *out = copy;
  return 1;
}

bool Given(char** name) { return name && *name && **name; }
}  // namespace

int32_t Callback_UnpackFile(const char* sourceFolder, const char* targetFolder, const char* packedFile,
                            char** targetName) {
  if (!targetName || !FVersion_IsSafeListName(packedFile)) return 0;
  const EPackage kind = KindOf(packedFile);
  if (kind == EPackage::None) return 0;
  const char* ext = FVExtension(packedFile);
  const std::string name = Given(targetName) ? std::string(*targetName) : std::string(packedFile, ext - 1);
  const std::string source = FVJoin(sourceFolder, packedFile);
  return Replace(targetFolder, name, targetName,
                 [&](const char* temp) { return Convert(kind, false, source.c_str(), temp); });
}

int32_t Callback_PackFile(const char* sourceFolder, const char* targetFolder, const char* fileName,
                          char** packedName) {
  if (!packedName || !FVersion_IsSafeListName(fileName)) return 0;
  const std::string name = Given(packedName) ? std::string(*packedName) : std::string(fileName) + ".zpk";
  const EPackage kind = KindOf(name.c_str());
  if (kind == EPackage::None) return 0;
  const std::string source = FVJoin(sourceFolder, fileName);
  return Replace(targetFolder, name, packedName, [&](const char* temp) { return Convert(kind, true, source.c_str(), temp); });
}

int32_t Callback_CopyFile(const char* sourceFolder, const char* targetFolder, const char* fileName) {
  if (!FVersion_IsSafeListName(fileName)) return 0;
  const std::string source = FVJoin(sourceFolder, fileName);
  return Replace(targetFolder, fileName, nullptr,
                 [&](const char* temp) { return xCopyFile(temp, source.c_str()) != 0; });
}
