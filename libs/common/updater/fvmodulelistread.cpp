// Reading a module list from its KCBL text: restart files, FTP sites, then the module chunks in
// two passes (the modules themselves, then their files, which name their module).
#include <string>

#include "common/updater/fvmodulehandler.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/kcbl/kcbltree.h"
#include "ostrel/system/debug.h"

namespace {
constexpr char kRead[] = "CFVModuleHandler::ReadModuleList";

// How a step of the read ended.
enum EReadResult : int32_t { READ_FAILED = 0, READ_OK = 1, READ_QUIT = -1 };

// text equal to word without regard to ASCII case; word is given in small letters.
bool Is(const char* text, const char* word) {
  if (!text) return false;
  for (; *word; ++text, ++word)
    if (xToLowerAscii(*text) != *word) return false;
  return !*text;
}

// TRUE or FALSE in any case: 1 or 0; anything else -1.
int32_t TrueFalse(const char* text) {
  if (!text) return -1;
  if (xToLowerAscii(*text) == 't') return Is(text, "true") ? 1 : -1;
  return Is(text, "false") ? 0 : -1;
}

// A decimal number of 32 bits without sign, blanks or anything behind it.
bool ParseU32(const char* text, uint32_t* value) {
  if (!text || !*text) return false;
  uint64_t v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint64_t>(*p - '0');
    if (v > 0xFFFFFFFFu) return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

// NORMAL 1, INDIRECT 2 (any case), else 0.
int32_t ParseMode(const char* text) { return Is(text, "normal") ? 1 : Is(text, "indirect") ? 2 : 0; }

// TRUE/1 1, FALSE/0 0, else -1.
int32_t ParseMustDownload(const char* text) {
  if (Is(text, "true") || (text && xStrcmp(text, "1") == 0)) return 1;
  if (Is(text, "false") || (text && xStrcmp(text, "0") == 0)) return 0;
  return -1;
}

// Value 0 of the first item of the current chunk with that keyword; null when there is none.
const char* FirstValue(CKCBL& k, const char* keyword) {
  k.FirstItem();
  return k.FindItem(keyword) ? k.GetString(0) : nullptr;
}

bool IsModuleChunk(CKCBL& k) { return k.ItemType() == 2 && Is(k.GetString(0), "module"); }

// One full-form File item: the twelve values with their checks.
struct SFileValues {
  int32_t m_Have[6];  // NormName, NormCRC, NormFileSize, PackedName, PackedCRC, PackedFileSize
  const char* m_pNormName;
  const char* m_pPackedName;
  uint32_t m_Numbers[4];  // NormCRC, NormFileSize, PackedCRC, PackedFileSize
};

constexpr const char* kHaveNames[6] = {"HaveNormName",   "HaveNormCRC",   "HaveNormFileSize",
                                       "HavePackedName", "HavePackedCRC", "HavePackedFileSize"};
constexpr const char* kValueNames[6] = {"NormName", "NormCRC", "NormFileSize", "PackedName", "PackedCRC",
                                        "PackedFileSize"};

// The name of the value that is invalid, or null when all twelve read. A value whose flag is FALSE
// must be there but is not read.
const char* ReadFullFile(const TKCBLKeyword& item, SFileValues* v) {
  int32_t number = 0;
  for (uint32_t i = 0; i < 6; ++i) {
    const int32_t have = TrueFalse(item.Value(2 * i));
    if (have < 0) return kHaveNames[i];
    v->m_Have[i] = have;
    const char* text = item.Value(2 * i + 1);
    if (!text) return kValueNames[i];
    if (i == 0 || i == 3) {
      (i == 0 ? v->m_pNormName : v->m_pPackedName) = have ? text : nullptr;
      continue;
    }
    uint32_t& out = v->m_Numbers[number++];
    out = 0;
    if (have && !ParseU32(text, &out)) return kValueNames[i];
  }
  return nullptr;
}
}  // namespace

int32_t CFVModuleHandler::ReadModuleList(const char* fileName, int32_t full, int32_t packageKind) {
  if (!ValidateCallbacks()) {
    xprintf("%s: the updater's file callbacks are not all registered (filename: %s)\n", kRead,
            fileName ? fileName : "");
    KillAll();
    return 0;
  }
  KillAll();
  CKCBL* k = Record();
  if (!k || !fileName || !k->Load(fileName)) {
    xprintf("%s: Unable to load from file to kcblPacket (filename: %s)\n", kRead, fileName ? fileName : "");
    KillAll();
    return 0;
  }
  const int32_t result = ReadAll(*k, full, packageKind);
  FreeRecord();
  if (result == READ_QUIT) return 0;
  if (result == READ_FAILED || !ValidateModuleList()) {
    KillAll();
    return 0;
  }
  return 1;
}

int32_t CFVModuleHandler::ReadAll(CKCBL& k, int32_t full, int32_t packageKind) {
  int32_t r = ReadRestartFiles(k);
  if (r == READ_OK) r = ReadFtpSites(k);
  if (r == READ_OK) r = ReadModules(k, full, packageKind);
  if (r == READ_OK) r = ReadModuleFiles(k, full);
  return r;
}

int32_t CFVModuleHandler::ReadRestartFiles(CKCBL& k) {
  k.MainChunk();
  for (int32_t more = k.FirstItem(); more; more = k.NextItem(0)) {
    if (QuitRequested()) return READ_QUIT;
    if (!Is(k.GetKeyword(), "restartfile")) continue;
    const char* file = k.GetString(0);
    const char* unpack = k.GetString(1);
    const char* flag = k.GetString(2);
    const char* fault = !file ? "Unable to read filename"
                        : !unpack ? "Unable to read unpackfilename"
                        : !flag ? "Unable to read fullrestartflag"
                        : TrueFalse(flag) < 0 ? "fullrestartflag is invalid (not TRUE or FALSE)"
                        : !AddRestartFile(file, unpack, TrueFalse(flag)) ? "AddRestartFile function returned error"
                                                                         : nullptr;
    if (fault) {
      xprintf("%s [restartfile]: %s\n", kRead, fault);
      return READ_FAILED;
    }
  }
  return READ_OK;
}

int32_t CFVModuleHandler::ReadFtpSites(CKCBL& k) {
  k.MainChunk();
  for (int32_t more = k.FirstItem(); more; more = k.NextItem(0)) {
    if (QuitRequested()) return READ_QUIT;
    if (k.ItemType() != 2 || !Is(k.GetString(0), "fileftps")) continue;
    k.EnterChunk();
    for (int32_t site = k.FirstItem(); site; site = k.NextItem(0)) {
      if (QuitRequested()) return READ_QUIT;
      if (!Is(k.GetKeyword(), "ftp")) continue;
      const char* texts[4] = {k.GetString(0), k.GetString(1), k.GetString(2), k.GetString(3)};
      int32_t connectTimeout = -1, dataTimeout = -1;
      if (!k.GetLong(4, &connectTimeout)) connectTimeout = -1;
      if (!k.GetLong(5, &dataTimeout)) dataTimeout = -1;
      const char* fault = !texts[0] ? "Unable to read ftpsitename"
                          : !texts[1] ? "Unable to read ftp loginname"
                          : !texts[2] ? "Unable to read ftp password"
                          : !texts[3] ? "Unable to read ftp subdir"
                          : !AddFtpSite(texts[0], texts[1], texts[2], texts[3], connectTimeout, dataTimeout)
                              ? "AddFtpSite function returned error"
                              : nullptr;
      if (fault) {
        xprintf("%s [FileFtps]: %s\n", kRead, fault);
        return READ_FAILED;
      }
    }
    k.ExitChunk();
  }
  return READ_OK;
}

int32_t CFVModuleHandler::ReadModules(CKCBL& k, int32_t full, int32_t packageKind) {
  k.MainChunk();
  for (int32_t more = k.FirstItem(); more; more = k.NextItem(0)) {
    if (QuitRequested()) return READ_QUIT;
    if (!IsModuleChunk(k)) continue;
    const char* name = k.GetString(1);
    if (!name) {
      xprintf("%s [module]: Unable to read modulename\n", kRead);
      return READ_FAILED;
    }
    k.EnterChunk();
    const int32_t ok = ReadOneModule(k, name, full, packageKind);
    k.ExitChunk();
    if (!ok) return READ_FAILED;
  }
  return READ_OK;
}

// Inside the module's chunk: its own items, then AddModule.
int32_t CFVModuleHandler::ReadOneModule(CKCBL& k, const char* name, int32_t full, int32_t packageKind) {
  const char* description = FirstValue(k, "Description");
  if (!description) {
    xprintf("%s [module]: Unable to find Description (module: %s)\n", kRead, name);
    return 0;
  }
  const char* className = FirstValue(k, "Classname");
  if (!className) {
    xprintf("%s [module]: Unable to find classname (module: %s)\n", kRead, name);
    return 0;
  }

  const char* packedName = nullptr;
  std::string derived;
  int32_t packedSize = FVMODULE_NO_PACKAGE;
  uint32_t packedCRC = 0;
  if (full) {
    k.FirstItem();
    if (k.FindItem("PackedFile")) {
      uint32_t size = 0;
      packedName = k.GetString(1);
      const char* fault = !packedName                             ? "NormName"
                          : !ParseU32(k.GetString(3), &packedCRC) ? "NormCRC"
                          : !ParseU32(k.GetString(5), &size) || size > 0x7FFFFFFFu ? "NormFileSize"
                                                                                   : nullptr;
      if (fault) {
        xprintf("%s [reading PackedFile]: %s string is invalid (module: %s)\n", kRead, fault, name);
        return 0;
      }
      packedSize = static_cast<int32_t>(size);
    }
  } else {
    packedName = FirstValue(k, "PackedFileName");
    if (!packedName) {
      derived = std::string("modules/") + name + (packageKind ? ".bos" : ".zpk");
      for (char& c : derived)
        if (c == ' ') c = '_';
      packedName = derived.c_str();
    }
  }

  const char* modeText = FirstValue(k, "Mode");
  if (!modeText) {
    xprintf("%s [module]: Unable to find Mode (module: %s)\n", kRead, name);
    return 0;
  }
  const char* mustText = FirstValue(k, "MustDownload");
  if (!mustText) {
    xprintf("%s [module]: Unable to find MustDownload (module: %s)\n", kRead, name);
    return 0;
  }
  const int32_t mode = ParseMode(modeText);
  if (!mode) {
    xprintf("%s [module]: Mode for this module is invalid (module: %s)\n", kRead, name);
    return 0;
  }
  const int32_t forced = ParseMustDownload(mustText);
  if (forced < 0) {
    xprintf("%s [module]: MustDownload for this module is invalid (module: %s)\n", kRead, name);
    return 0;
  }
  if (!AddModule(name, description, className, packedName, packedSize, packedCRC, mode, forced)) {
    xprintf("%s [module]: AddModule function returned error (module: %s)\n", kRead, name);
    return 0;
  }
  return 1;
}

int32_t CFVModuleHandler::ReadModuleFiles(CKCBL& k, int32_t full) {
  k.MainChunk();
  for (int32_t more = k.FirstItem(); more; more = k.NextItem(0)) {
    if (QuitRequested()) return READ_QUIT;
    if (!IsModuleChunk(k)) continue;
    const char* name = k.GetString(1);
    k.EnterChunk();
    const int32_t r = ReadFiles(k, name, full);
    k.ExitChunk();
    if (r != READ_OK) return r;
  }
  return READ_OK;
}

// Inside the module's chunk: every File and IndFile item.
int32_t CFVModuleHandler::ReadFiles(CKCBL& k, const char* name, int32_t full) {
  const int32_t mode = ParseMode(FirstValue(k, "Mode"));
  CFVModule* module = FindUniqueModule(name);
  if (!mode || !module) {
    xprintf("%s [adding files]: Type for this module is invalid (module: %s)\n", kRead, name);
    return READ_FAILED;
  }
  for (int32_t more = k.FirstItem(); more; more = k.NextItem(0)) {
    if (QuitRequested()) return READ_QUIT;
    if (k.IsComment()) continue;
    const TKCBLKeyword& item = *k.GetCurKeyword();
    const char* keyword = item.Keyword();
    if (Is(keyword, "file")) {
      if (full) {
        SFileValues v{};
        if (const char* bad = ReadFullFile(item, &v)) {
          xprintf("%s [adding files:File]: %s string is invalid (module: %s)\n", kRead, bad, name);
          return READ_FAILED;
        }
        if (!AddNormalFileTo(module, v.m_Have[0], v.m_pNormName, v.m_Have[1], v.m_Numbers[0], v.m_Have[2],
                             v.m_Numbers[1], v.m_Have[3], v.m_pPackedName, v.m_Have[4], v.m_Numbers[2],
                             v.m_Have[5], v.m_Numbers[3])) {
          xprintf("%s [adding files:File]: AddNormalFile function returned error (module: %s, file: %s)\n", kRead,
                  name, v.m_pNormName ? v.m_pNormName : v.m_pPackedName ? v.m_pPackedName : "");
          return READ_FAILED;
        }
        continue;
      }
      const char* file = item.Value(0);
      if (!file) {
        xprintf("%s [adding files:File]: FileName string is invalid (module: %s)\n", kRead, name);
        return READ_FAILED;
      }
      if (!AddNormalFileTo(module, 1, file, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0)) {
        xprintf("%s [adding files:File]: AddNormalFile function returned error (module: %s, file: %s)\n", kRead,
                name, file);
        return READ_FAILED;
      }
    } else if (Is(keyword, "indfile")) {
      if (mode == FVMODULE_INDIRECT) {
        xprintf("%s [adding files:IndFile]: A module marked as a indirect module contains indirect files, and this "
                "is not permitted (module: %s)\n",
                kRead, name);
        return READ_FAILED;
      }
      const char* file = item.Value(0);
      if (!AddIndirectFileTo(module, file)) {
        xprintf("%s [adding files:IndFile]: AddIndirectFile function returned error (module: %s, file: %s)\n", kRead,
                name, file ? file : "");
        return READ_FAILED;
      }
    }
  }
  return READ_OK;
}
