// A module list as the info server sends it ("srvmap.lst" comes from the network), read in the full
// and in the short form with every updater callback registered. A list that reads holds only names
// that stay below the installation folder and validates; in the full form it also writes and reads
// back to the same list.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvnames.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// A folder of this process on a memory file system where there is one, removed at exit.
struct SFolder {
  SFolder() {
    m_Path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz-modulelist-XXXXXX" : "/tmp/fuzz-modulelist-XXXXXX";
    Check(mkdtemp(m_Path.data()) != nullptr);
  }
  ~SFolder() {
    std::remove((m_Path + "/in.lst").c_str());
    std::remove((m_Path + "/out.lst").c_str());
    rmdir(m_Path.c_str());
  }
  std::string m_Path;
};

const std::string& Folder() {
  static const SFolder folder;
  return folder.m_Path;
}

std::string Number(uint32_t v) { return std::to_string(v) + ","; }
std::string Text(const char* s) { return s ? std::string(s) + "," : std::string("-,"); }

// Every record in cursor order, checking the names on the way.
std::string Walk(CFVModuleHandler& h) {
  std::string out;
  auto module = [&] {
    Check(FVersion_IsSafeListName(h.CurrModule_GetName()));
    const char* packed = h.CurrModule_GetPackedFileName();
    Check(!packed || FVersion_IsSafeListName(packed));
    out += Text(h.CurrModule_GetName()) + Text(h.CurrModule_GetDesc()) + Text(h.CurrModule_GetClassName()) +
           Text(packed) + Number(h.CurrModule_GetPackedFileSize()) + Number(h.CurrModule_GetPackedFileCRC()) +
           Number(h.CurrModule_GetMode()) + Number(h.CurrModule_GetForceDownload()) + "\n";
    for (h.NormalFile_First(); h.NormalFile_Exists(); h.NormalFile_Next()) {
      h.NormalFile_Fetch();
      const char* norm = h.NormalFile_HaveNormalName() == 1 ? h.NormalFile_GetNormalName() : nullptr;
      const char* pack = h.NormalFile_HavePackedName() == 1 ? h.NormalFile_GetPackedName() : nullptr;
      Check(norm || pack);
      Check(!norm || FVersion_IsSafeListName(norm));
      Check(!pack || FVersion_IsSafeListName(pack));
      out += Text(norm) + Number(h.NormalFile_GetNormalCRC()) + Number(h.NormalFile_GetNormalFileSize()) +
             Text(pack) + Number(h.NormalFile_GetPackedCRC()) + Number(h.NormalFile_GetPackedFileSize()) + "\n";
    }
    for (h.IndirectFile_First(); h.IndirectFile_Exists(); h.IndirectFile_Next()) {
      h.IndirectFile_Fetch();
      Check(FVersion_IsSafeListName(h.IndirectFile_GetName()));
      out += Text(h.IndirectFile_GetName()) + "\n";
    }
  };
  for (h.FirstNormalModule(); h.ExistsNormalModule(); h.NextNormalModule()) {
    h.FetchNormalModule();
    module();
  }
  for (h.FirstIndirectModule(); h.ExistsIndirectModule(); h.NextIndirectModule()) {
    h.FetchIndirectModule();
    module();
  }
  for (h.FirstRestartFile(); h.ExistsRestartFile(); h.NextRestartFile()) {
    h.FetchRestartFile();
    Check(FVersion_IsSafeListName(h.RestartFile_GetFileName()) && FVersion_IsSafeListName(h.RestartFile_GetUnpackName()));
    out += Text(h.RestartFile_GetFileName()) + Text(h.RestartFile_GetUnpackName()) +
           Number(h.RestartFile_GetFullRestartFlag()) + "\n";
  }
  for (h.FirstFtpSite(); h.ExistsFtpSite(); h.NextFtpSite()) {
    h.FetchFtpSite();
    out += Text(h.FtpSite_GetSiteName()) + Text(h.FtpSite_GetLoginName()) + Text(h.FtpSite_GetPassword()) +
           Text(h.FtpSite_GetSubDir()) + Number(h.FtpSite_GetConnectTimeout()) + Number(h.FtpSite_GetDataTimeout()) +
           "\n";
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  FVersion_SetQuietCallbacks();
  const std::string in = Folder() + "/in.lst", out = Folder() + "/out.lst";
  FILE* f = std::fopen(in.c_str(), "wb");
  Check(f != nullptr);
  Check(std::fwrite(data, 1, size, f) == size);
  Check(std::fclose(f) == 0);
  for (int32_t full : {1, 0}) {
    CFVModuleHandler h;
    if (!h.ReadModuleList(in.c_str(), full, size & 1)) {
      Check(h.GetNumModules() == 0 && !h.FirstRestartFile() && !h.FirstFtpSite());
      continue;
    }
    Check(h.ValidateModuleList() == 1);
    const std::string read = Walk(h);
    Check(h.WriteModuleList(out.c_str(), full) == 1);
    CFVModuleHandler again;
    Check(again.ReadModuleList(out.c_str(), full, size & 1) == 1);
    if (full) Check(Walk(again) == read);
    else Check(again.GetNumModules() == h.GetNumModules() && again.GetNumNormalFiles() == h.GetNumNormalFiles());
  }
  return 0;
}
