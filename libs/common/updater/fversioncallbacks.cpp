#include "common/updater/fversioncallbacks.h"

namespace {
SFVersionCallbacks s_Callbacks{};

int32_t NoFile(const char*) { return 0; }
int32_t NoNumber(const char*, uint32_t*) { return 0; }
int32_t NoPacking(const char*, const char*, const char*, char**) { return 0; }
int32_t NoDownload(CLList*, CLList*, int32_t* stop) {
  if (stop) *stop = 1;
  return 0;
}
int32_t NoCopy(const char*, const char*, const char*) { return 0; }
int32_t GoOnCheck(int32_t, int32_t, int32_t) { return 1; }
int32_t GoOn() { return 1; }
int32_t GoOnUnpack(int32_t) { return 1; }
int32_t GoOnWith(const char*) { return 1; }
void NoRestart(int32_t) {}
void Nothing() {}
}  // namespace

void FVersion_SetQuietCallbacks() {
  SFVersionCallbacks& c = s_Callbacks;
  c.m_FileExists = NoFile;
  c.m_FileCalcCRC = NoNumber;
  c.m_FileFileSize = NoNumber;
  c.m_UnpackFile = NoPacking;
  c.m_PackFile = NoPacking;
  c.m_EraseFile = NoFile;
  c.m_Download = NoDownload;
  c.m_CopyFile = NoCopy;
  c.m_FileShouldBeEncrypted = NoFile;
  c.m_CheckStart = GoOnCheck;
  c.m_CheckProgress = c.m_CheckEnd = c.m_LoadStart = c.m_LoadEnd = GoOn;
  c.m_SaveStart = c.m_SaveEnd = c.m_UnpackEnd = GoOn;
  c.m_UnpackStart = GoOnUnpack;
  c.m_UnpackProgress = GoOnWith;
  c.m_Restart = NoRestart;
  c.m_DownloadComplete = c.m_MissingCriticalFiles = Nothing;
}

const SFVersionCallbacks& FVersion_Callbacks() { return s_Callbacks; }

int32_t FVersion_RequiredCallbacksSet() {
  const SFVersionCallbacks& c = s_Callbacks;
  const bool files = c.m_FileExists && c.m_FileCalcCRC && c.m_FileFileSize && c.m_UnpackFile && c.m_PackFile &&
                     c.m_EraseFile && c.m_Download && c.m_CopyFile && c.m_FileShouldBeEncrypted;
  const bool steps = c.m_CheckStart && c.m_CheckProgress && c.m_CheckEnd && c.m_LoadStart && c.m_LoadEnd &&
                     c.m_SaveStart && c.m_SaveEnd && c.m_UnpackStart && c.m_UnpackProgress && c.m_UnpackEnd;
  const bool notices = c.m_Restart && c.m_DownloadComplete && c.m_MissingCriticalFiles;
  return files && steps && notices ? 1 : 0;
}

void FVersion_SetCallBack_FileExists(TFVCallback_FileExists f) { s_Callbacks.m_FileExists = f; }
void FVersion_SetCallBack_FileCalcCRC(TFVCallback_FileCalcCRC f) { s_Callbacks.m_FileCalcCRC = f; }
void FVersion_SetCallBack_FileFileSize(TFVCallback_FileFileSize f) { s_Callbacks.m_FileFileSize = f; }
void FVersion_SetCallBack_UnpackFile(TFVCallback_UnpackFile f) { s_Callbacks.m_UnpackFile = f; }
void FVersion_SetCallBack_PackFile(TFVCallback_PackFile f) { s_Callbacks.m_PackFile = f; }
void FVersion_SetCallBack_EraseFile(TFVCallback_EraseFile f) { s_Callbacks.m_EraseFile = f; }
void FVersion_SetCallBack_Download(TFVCallback_Download f) { s_Callbacks.m_Download = f; }
void FVersion_SetCallBack_CopyFile(TFVCallback_CopyFile f) { s_Callbacks.m_CopyFile = f; }
void FVersion_SetCallBack_FileShouldBeEncrypted(TFVCallback_FileShouldBeEncrypted f) {
  s_Callbacks.m_FileShouldBeEncrypted = f;
}
void FVersion_SetCallBack_CheckStart(TFVCallback_CheckStart f) { s_Callbacks.m_CheckStart = f; }
void FVersion_SetCallBack_CheckProgress(TFVCallback_Step f) { s_Callbacks.m_CheckProgress = f; }
void FVersion_SetCallBack_CheckEnd(TFVCallback_Step f) { s_Callbacks.m_CheckEnd = f; }
void FVersion_SetCallBack_LoadStart(TFVCallback_Step f) { s_Callbacks.m_LoadStart = f; }
void FVersion_SetCallBack_LoadEnd(TFVCallback_Step f) { s_Callbacks.m_LoadEnd = f; }
void FVersion_SetCallBack_SaveStart(TFVCallback_Step f) { s_Callbacks.m_SaveStart = f; }
void FVersion_SetCallBack_SaveEnd(TFVCallback_Step f) { s_Callbacks.m_SaveEnd = f; }
void FVersion_SetCallBack_UnpackStart(TFVCallback_UnpackStart f) { s_Callbacks.m_UnpackStart = f; }
void FVersion_SetCallBack_UnpackProgress(TFVCallback_UnpackProgress f) { s_Callbacks.m_UnpackProgress = f; }
void FVersion_SetCallBack_UnpackEnd(TFVCallback_Step f) { s_Callbacks.m_UnpackEnd = f; }
void FVersion_SetCallBack_Restart(TFVCallback_Restart f) { s_Callbacks.m_Restart = f; }
void FVersion_SetCallBack_DownloadComplete(TFVCallback_Notice f) { s_Callbacks.m_DownloadComplete = f; }
void FVersion_SetCallBack_MissingCriticalFiles(TFVCallback_Notice f) { s_Callbacks.m_MissingCriticalFiles = f; }
void FVersion_SetCallback_MessageBox(TFVCallback_MessageBox f) { s_Callbacks.m_MessageBox = f; }
