#include "updatertest.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/updater/fversioncallbacks.h"
#include "ostrel/system/debug.h"

namespace {
std::string Or(const char* s) { return s ? s : "(null)"; }
}  // namespace

const SCallbackClearer kRequiredCallbacks[22] = {
    {"FileExists", [] { FVersion_SetCallBack_FileExists(nullptr); }},
    {"FileCalcCRC", [] { FVersion_SetCallBack_FileCalcCRC(nullptr); }},
    {"FileFileSize", [] { FVersion_SetCallBack_FileFileSize(nullptr); }},
    {"UnpackFile", [] { FVersion_SetCallBack_UnpackFile(nullptr); }},
    {"PackFile", [] { FVersion_SetCallBack_PackFile(nullptr); }},
    {"EraseFile", [] { FVersion_SetCallBack_EraseFile(nullptr); }},
    {"Download", [] { FVersion_SetCallBack_Download(nullptr); }},
    {"CopyFile", [] { FVersion_SetCallBack_CopyFile(nullptr); }},
    {"FileShouldBeEncrypted", [] { FVersion_SetCallBack_FileShouldBeEncrypted(nullptr); }},
    {"CheckStart", [] { FVersion_SetCallBack_CheckStart(nullptr); }},
    {"CheckProgress", [] { FVersion_SetCallBack_CheckProgress(nullptr); }},
    {"CheckEnd", [] { FVersion_SetCallBack_CheckEnd(nullptr); }},
    {"LoadStart", [] { FVersion_SetCallBack_LoadStart(nullptr); }},
    {"LoadEnd", [] { FVersion_SetCallBack_LoadEnd(nullptr); }},
    {"SaveStart", [] { FVersion_SetCallBack_SaveStart(nullptr); }},
    {"SaveEnd", [] { FVersion_SetCallBack_SaveEnd(nullptr); }},
    {"UnpackStart", [] { FVersion_SetCallBack_UnpackStart(nullptr); }},
    {"UnpackProgress", [] { FVersion_SetCallBack_UnpackProgress(nullptr); }},
    {"UnpackEnd", [] { FVersion_SetCallBack_UnpackEnd(nullptr); }},
    {"Restart", [] { FVersion_SetCallBack_Restart(nullptr); }},
    {"DownloadComplete", [] { FVersion_SetCallBack_DownloadComplete(nullptr); }},
    {"MissingCriticalFiles", [] { FVersion_SetCallBack_MissingCriticalFiles(nullptr); }},
};

std::string UpdaterData(const std::string& name) { return std::string(VORRIN_TEST_DATA_DIR) + "/updater/" + name; }

bool InChild(const std::function<int()>& f) {
  const pid_t pid = fork();
  if (pid == 0) _exit(f());
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Diagnostics(const std::function<void()>& f) {
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  f();
  std::string text = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  return text;
}

namespace {
void DumpModule(CFVModuleHandler& h, const char* kind, std::string& out) {
  out += std::string(kind) + " " + Or(h.CurrModule_GetName()) + "|" + Or(h.CurrModule_GetDesc()) + "|" +
         Or(h.CurrModule_GetClassName()) + "|" + Or(h.CurrModule_GetPackedFileName()) + "|" +
         std::to_string(h.CurrModule_GetPackedFileSize()) + "|" + std::to_string(h.CurrModule_GetPackedFileCRC()) +
         "|" + std::to_string(h.CurrModule_GetMode()) + "|" + std::to_string(h.CurrModule_GetForceDownload()) + "\n";
  for (h.NormalFile_First(); h.NormalFile_Exists(); h.NormalFile_Next()) {
    h.NormalFile_Fetch();
    out += "  F " + std::to_string(h.NormalFile_HaveNormalName()) + ":" + Or(h.NormalFile_GetNormalName()) + " " +
           std::to_string(h.NormalFile_HaveNormalCRC()) + ":" + std::to_string(h.NormalFile_GetNormalCRC()) + " " +
           std::to_string(h.NormalFile_HaveNormalFileSize()) + ":" +
           std::to_string(h.NormalFile_GetNormalFileSize()) + " " + std::to_string(h.NormalFile_HavePackedName()) +
           ":" + Or(h.NormalFile_GetPackedName()) + " " + std::to_string(h.NormalFile_HavePackedCRC()) + ":" +
           std::to_string(h.NormalFile_GetPackedCRC()) + " " + std::to_string(h.NormalFile_HavePackedFileSize()) +
           ":" + std::to_string(h.NormalFile_GetPackedFileSize()) + "\n";
  }
  for (h.IndirectFile_First(); h.IndirectFile_Exists(); h.IndirectFile_Next()) {
    h.IndirectFile_Fetch();
    out += "  R " + Or(h.IndirectFile_GetName()) + "\n";
  }
}
}  // namespace

std::string DumpList(CFVModuleHandler& h) {
  std::string out;
  for (h.FirstNormalModule(); h.ExistsNormalModule(); h.NextNormalModule()) {
    h.FetchNormalModule();
    DumpModule(h, "N", out);
  }
  for (h.FirstIndirectModule(); h.ExistsIndirectModule(); h.NextIndirectModule()) {
    h.FetchIndirectModule();
    DumpModule(h, "I", out);
  }
  for (h.FirstRestartFile(); h.ExistsRestartFile(); h.NextRestartFile()) {
    h.FetchRestartFile();
    out += Or(h.RestartFile_GetFileName()) + "|" + Or(h.RestartFile_GetUnpackName()) + "|" +
           std::to_string(h.RestartFile_GetFullRestartFlag()) + "\n";
  }
  for (h.FirstFtpSite(); h.ExistsFtpSite(); h.NextFtpSite()) {
    h.FetchFtpSite();
    out += Or(h.FtpSite_GetSiteName()) + "|" + Or(h.FtpSite_GetLoginName()) + "|" + Or(h.FtpSite_GetPassword()) +
           "|" + Or(h.FtpSite_GetSubDir()) + "|" + std::to_string(h.FtpSite_GetConnectTimeout()) + "|" +
           std::to_string(h.FtpSite_GetDataTimeout()) + "\n";
  }
  return out;
}
