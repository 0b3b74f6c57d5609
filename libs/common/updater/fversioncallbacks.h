// The updater's callback table: everything the updater and the module lists do to files, the
// network and the screen goes through functions that the host program registers once at start.
// Every entry is null until set. The 22 entries other than the message box are required: a module
// list is neither read nor written while one of them is missing.
#pragma once

#include <cstdint>

class CLList;

// Texts handed back through a char** are new allocations (free with xFree).
using TFVCallback_FileExists = int32_t (*)(const char* fileName);
using TFVCallback_FileCalcCRC = int32_t (*)(const char* fileName, uint32_t* crc);
using TFVCallback_FileFileSize = int32_t (*)(const char* fileName, uint32_t* size);
// targetName: in, the wanted name or null (the packed name without its last extension); out, the
// name of the unpacked file.
using TFVCallback_UnpackFile = int32_t (*)(const char* sourceFolder, const char* targetFolder,
                                           const char* packedFile, char** targetName);
using TFVCallback_PackFile = int32_t (*)(const char* sourceFolder, const char* targetFolder,
                                         const char* fileName, char** packedName);
using TFVCallback_EraseFile = int32_t (*)(const char* fileName);
// items: SFVersionDownloadItem*; sites: the FTP sites (CFVFtpSite*) of the server's list. A
// non-zero *stop ends the attempts.
using TFVCallback_Download = int32_t (*)(CLList* items, CLList* sites, int32_t* stop);
using TFVCallback_CopyFile = int32_t (*)(const char* a, const char* b, const char* c);
using TFVCallback_FileShouldBeEncrypted = int32_t (*)(const char* fileName);
using TFVCallback_CheckStart = int32_t (*)(int32_t modules, int32_t normalFiles, int32_t indirectFiles);
using TFVCallback_Step = int32_t (*)();  // CheckProgress, CheckEnd, Load/Save Start/End, UnpackEnd
using TFVCallback_UnpackStart = int32_t (*)(int32_t items);
using TFVCallback_UnpackProgress = int32_t (*)(const char* packedFile);
using TFVCallback_Restart = void (*)(int32_t fullRestart);
using TFVCallback_Notice = void (*)();  // DownloadComplete, MissingCriticalFiles
using TFVCallback_MessageBox = void (*)(const char* caption, const char* text);

struct SFVersionCallbacks {
  TFVCallback_FileExists m_FileExists;
  TFVCallback_FileCalcCRC m_FileCalcCRC;
  TFVCallback_FileFileSize m_FileFileSize;
  TFVCallback_UnpackFile m_UnpackFile;
  TFVCallback_PackFile m_PackFile;
  TFVCallback_EraseFile m_EraseFile;
  TFVCallback_Download m_Download;
  TFVCallback_CopyFile m_CopyFile;
  TFVCallback_FileShouldBeEncrypted m_FileShouldBeEncrypted;
  TFVCallback_CheckStart m_CheckStart;
  TFVCallback_Step m_CheckProgress;
  TFVCallback_Step m_CheckEnd;
  TFVCallback_Step m_LoadStart;
  TFVCallback_Step m_LoadEnd;
  TFVCallback_Step m_SaveStart;
  TFVCallback_Step m_SaveEnd;
  TFVCallback_UnpackStart m_UnpackStart;
  TFVCallback_UnpackProgress m_UnpackProgress;
  TFVCallback_Step m_UnpackEnd;
  TFVCallback_Restart m_Restart;
  TFVCallback_Notice m_DownloadComplete;
  TFVCallback_Notice m_MissingCriticalFiles;
  // Optional.
  TFVCallback_MessageBox m_MessageBox;
};

// The process-wide table as registered so far.
const SFVersionCallbacks& FVersion_Callbacks();
// 1 when every required entry is set.
int32_t FVersion_RequiredCallbacksSet();

// Fills every required entry with a stand-in that touches nothing: file queries and file work
// fail (0), downloads fail and stop, every progress step goes on (1), notices do nothing. For
// tools and tests that need the table full; a host registers its own callbacks over them.
void FVersion_SetQuietCallbacks();

void FVersion_SetCallBack_FileExists(TFVCallback_FileExists f);
void FVersion_SetCallBack_FileCalcCRC(TFVCallback_FileCalcCRC f);
void FVersion_SetCallBack_FileFileSize(TFVCallback_FileFileSize f);
void FVersion_SetCallBack_UnpackFile(TFVCallback_UnpackFile f);
void FVersion_SetCallBack_PackFile(TFVCallback_PackFile f);
void FVersion_SetCallBack_EraseFile(TFVCallback_EraseFile f);
void FVersion_SetCallBack_Download(TFVCallback_Download f);
void FVersion_SetCallBack_CopyFile(TFVCallback_CopyFile f);
void FVersion_SetCallBack_FileShouldBeEncrypted(TFVCallback_FileShouldBeEncrypted f);
void FVersion_SetCallBack_CheckStart(TFVCallback_CheckStart f);
void FVersion_SetCallBack_CheckProgress(TFVCallback_Step f);
void FVersion_SetCallBack_CheckEnd(TFVCallback_Step f);
void FVersion_SetCallBack_LoadStart(TFVCallback_Step f);
void FVersion_SetCallBack_LoadEnd(TFVCallback_Step f);
void FVersion_SetCallBack_SaveStart(TFVCallback_Step f);
void FVersion_SetCallBack_SaveEnd(TFVCallback_Step f);
void FVersion_SetCallBack_UnpackStart(TFVCallback_UnpackStart f);
void FVersion_SetCallBack_UnpackProgress(TFVCallback_UnpackProgress f);
void FVersion_SetCallBack_UnpackEnd(TFVCallback_Step f);
void FVersion_SetCallBack_Restart(TFVCallback_Restart f);
void FVersion_SetCallBack_DownloadComplete(TFVCallback_Notice f);
void FVersion_SetCallBack_MissingCriticalFiles(TFVCallback_Notice f);
void FVersion_SetCallback_MessageBox(TFVCallback_MessageBox f);
