// A module list in memory: which modules make up an installation, their files with plain and
// packed sizes and CRCs, the files replaced on restart and the FTP sites to fetch from. Read from
// and written to the KCBL text of "filemap.lst", "srvmap.lst" and "filemapinstall.lst".
//
// The handler owns every record and text. Results are 1 for success and 0 for failure. Reading and
// writing need every required updater callback registered (fversioncallbacks.h). Module, file and
// restart-file names are compared without regard to ASCII case wherever a look-up or a duplicate
// check is made; each module and the list keep a folded index, so that stays constant-time.
#pragma once

#include <cstdint>

#include "common/updater/fvmodule.h"
#include "ostrel/containers/llist.h"

class CKCBL;
struct SFVHandlerIndex;

class CFVModuleHandler {
 public:
  CFVModuleHandler() = default;
  CFVModuleHandler(const CFVModuleHandler&) = delete;
  CFVModuleHandler& operator=(const CFVModuleHandler&) = delete;
  virtual ~CFVModuleHandler();

  // Reading and writing. full != 0 reads the full form (sizes and CRCs); in the short form a
  // non-zero packageKind derives package names ending in ".bos", zero in ".zpk". A list is read
  // whole or left empty, except that a quit request stops the read with what was read so far.
  int32_t ReadModuleList(const char* fileName, int32_t full, int32_t packageKind);
  // full == 1 writes full File items, anything else the short form. The file is replaced
  // atomically; a failed write leaves both the file and the list in memory as they were.
  int32_t WriteModuleList(const char* fileName, int32_t full);
  // Appends the current module's chunk to the list being written.
  int32_t WriteModuleList_ModuleInternal(const char* fileName, int32_t full);
  int32_t ValidateModuleList();
  // 0 when one file name (without regard to case) belongs to more than one module.
  int32_t CheckConsistency();
  // 1 when the 22 required updater callbacks are all registered.
  int32_t ValidateCallbacks();
  void KillAll();

  // Building.
  int32_t AddModule(const char* name, const char* description, const char* className, const char* packedName,
                    int32_t packedSize, uint32_t packedCRC, int32_t mode, int32_t forced);
  int32_t AddNormalFile(const char* module, int32_t haveNormName, const char* normName, int32_t haveNormCRC,
                        uint32_t normCRC, int32_t haveNormFileSize, uint32_t normFileSize, int32_t havePackedName,
                        const char* packedName, int32_t havePackedCRC, uint32_t packedCRC,
                        int32_t havePackedFileSize, uint32_t packedFileSize);
  int32_t AddIndirectFile(const char* module, const char* file);
  int32_t RemoveModule(const char* name, int32_t mode, int32_t forced);
  int32_t RemoveNormalFile(const char* module, int32_t haveNormName, const char* normName, int32_t havePackedName,
                           const char* packedName);
  int32_t RemoveIndirectFile(const char* module, const char* file);
  int32_t AddRestartFile(const char* file, const char* unpackName, int32_t fullRestart);
  int32_t RemoveRestartFiles();
  // unpackName points into the record (valid while it lives); either output may be null.
  int32_t DoRestartFileExists(const char* file, const char** unpackName, int32_t* fullRestart);
  int32_t AddFtpSite(const char* site, const char* login, const char* password, const char* subDir,
                     int32_t connectTimeout, int32_t dataTimeout);
  int32_t RemoveFtpSites();

  // Search.
  int32_t FindModule(const char* name);
  int32_t FindFile(const char* name);

  // Counts; the list cursors stay where they are.
  int32_t GetNumModules();
  int32_t GetNumNormalFiles();
  int32_t GetNumIndirectFiles();

  // Normal and indirect modules.
  int32_t FirstNormalModule() { return m_NormalModules.First(); }
  int32_t ExistsNormalModule() { return m_NormalModules.Exists(); }
  int32_t NextNormalModule() { return m_NormalModules.Next(); }
  int32_t FetchNormalModule();
  int32_t FirstIndirectModule() { return m_IndirectModules.First(); }
  int32_t ExistsIndirectModule() { return m_IndirectModules.Exists(); }
  int32_t NextIndirectModule() { return m_IndirectModules.Next(); }
  int32_t FetchIndirectModule();

  // The current module; getters give null (or 0, -1 for the package size) without one, setters 0.
  // The name setters refuse names that are unsafe as paths.
  CFVModule* CurrModule() const { return m_pCurrModule; }
  const char* CurrModule_GetName();
  int32_t CurrModule_SetName(const char* name);
  const char* CurrModule_GetDesc();
  int32_t CurrModule_SetDesc(const char* text);
  const char* CurrModule_GetClassName();
  int32_t CurrModule_SetClassName(const char* text);
  const char* CurrModule_GetPackedFileName();
  int32_t CurrModule_SetPackedFileName(const char* name);
  int32_t CurrModule_GetPackedFileSize();
  int32_t CurrModule_SetPackedFileSize(int32_t size);
  uint32_t CurrModule_GetPackedFileCRC();
  int32_t CurrModule_SetPackedFileCRC(uint32_t crc);
  int32_t CurrModule_GetMode();
  int32_t CurrModule_SetMode(int32_t mode);
  int32_t CurrModule_GetForceDownload();
  int32_t CurrModule_SetForceDownload(int32_t forced);
  int32_t CurrModule_GetValidState();
  int32_t CurrModule_SetValidState(int32_t state);

  // Normal files of the current module, and the current normal file.
  int32_t NormalFile_First();
  int32_t NormalFile_Exists();
  int32_t NormalFile_Next();
  int32_t NormalFile_Fetch();
  CFVNormFile* CurrNormalFile() const { return m_pCurrNormFile; }

  int32_t NormalFile_HaveNormalName();
  int32_t NormalFile_SetNormalNameState(int32_t state);
  const char* NormalFile_GetNormalName();
  int32_t NormalFile_SetNormalName(const char* name);
  int32_t NormalFile_HaveNormalCRC();
  int32_t NormalFile_SetNormalCRCState(int32_t state);
  uint32_t NormalFile_GetNormalCRC();
  int32_t NormalFile_SetNormalCRC(uint32_t crc);
  int32_t NormalFile_HaveNormalFileSize();
  int32_t NormalFile_SetNormalFileSizeState(int32_t state);
  uint32_t NormalFile_GetNormalFileSize();
  int32_t NormalFile_SetNormalFileSize(uint32_t size);
  int32_t NormalFile_HavePackedName();
  int32_t NormalFile_SetPackedNameState(int32_t state);
  const char* NormalFile_GetPackedName();
  int32_t NormalFile_SetPackedName(const char* name);
  int32_t NormalFile_HavePackedCRC();
  int32_t NormalFile_SetPackedCRCState(int32_t state);
  uint32_t NormalFile_GetPackedCRC();
  int32_t NormalFile_SetPackedCRC(uint32_t crc);
  int32_t NormalFile_HavePackedFileSize();
  int32_t NormalFile_SetPackedFileSizeState(int32_t state);
  uint32_t NormalFile_GetPackedFileSize();
  int32_t NormalFile_SetPackedFileSize(uint32_t size);

  // The current normal file on disk; 0 without a current file, a present name or the callback.
  int32_t NormalFile_RealFile_ExistsNormName();
  int32_t NormalFile_RealFile_GetNormCRC(uint32_t* crc);
  int32_t NormalFile_RealFile_GetNormFileSize(uint32_t* size);
  int32_t NormalFile_Realfile_ExistsPackedName();
  int32_t NormalFile_Realfile_GetPackedCRC(uint32_t* crc);
  int32_t NormalFile_Realfile_GetPackedFileSize(uint32_t* size);

  // Indirect files of the current module.
  int32_t IndirectFile_First();
  int32_t IndirectFile_Exists();
  int32_t IndirectFile_Next();
  int32_t IndirectFile_Fetch();
  // Frees the current indirect file.
  int32_t IndirectFile_Delete();
  const char* IndirectFile_GetName();
  int32_t IndirectFile_SetName(const char* name);

  // Restart files.
  int32_t FirstRestartFile() { return m_RestartFiles.First(); }
  int32_t ExistsRestartFile() { return m_RestartFiles.Exists(); }
  int32_t NextRestartFile() { return m_RestartFiles.Next(); }
  int32_t FetchRestartFile();
  const char* RestartFile_GetFileName();
  const char* RestartFile_GetUnpackName();
  int32_t RestartFile_GetFullRestartFlag();

  // FTP sites.
  int32_t FirstFtpSite() { return m_FtpSites.First(); }
  int32_t ExistsFtpSite() { return m_FtpSites.Exists(); }
  int32_t NextFtpSite() { return m_FtpSites.Next(); }
  int32_t FetchFtpSite();
  const char* FtpSite_GetSiteName();
  const char* FtpSite_GetLoginName();
  const char* FtpSite_GetPassword();
  const char* FtpSite_GetSubDir();
  int32_t FtpSite_GetConnectTimeout();
  int32_t FtpSite_GetDataTimeout();
  // The sites (SFVFtpSite*), as the Download callback takes them.
  CLList* GetFtpSiteList() { return &m_FtpSites; }

 protected:
  // Asked before each item of a read; a request stops the read at once.
  virtual int32_t QuitRequested();

 private:
  friend class CFVModule;

  void ModuleNamesChanging();
  // The index brought up to date, made on first need; null when memory runs out.
  SFVHandlerIndex* Index();
  // The module of that name when exactly one carries it.
  CFVModule* FindUniqueModule(const char* name);
  CFVModule* NewModule(const char* name, const char* description, const char* className,
                       const char* packedName, int32_t packedSize, uint32_t packedCRC, int32_t mode,
                       int32_t forced);
  int32_t AddNormalFileTo(CFVModule* module, int32_t haveNormName, const char* normName, int32_t haveNormCRC,
                          uint32_t normCRC, int32_t haveNormFileSize, uint32_t normFileSize,
                          int32_t havePackedName, const char* packedName, int32_t havePackedCRC,
                          uint32_t packedCRC, int32_t havePackedFileSize, uint32_t packedFileSize);
  int32_t AddIndirectFileTo(CFVModule* module, const char* file);
  void ForgetModule(CFVModule* module);
  void DeleteModules(CLList& list);
  CKCBL* Record();
  void FreeRecord();

  // Reading.
  int32_t ReadRestartFiles(CKCBL& k);
  int32_t ReadFtpSites(CKCBL& k);
  int32_t ReadModules(CKCBL& k, int32_t full, int32_t packageKind);
  int32_t ReadModuleFiles(CKCBL& k, int32_t full);
  int32_t ReadOneModule(CKCBL& k, const char* name, int32_t full, int32_t packageKind);
  int32_t ReadFiles(CKCBL& k, const char* name, int32_t full);
  // 1 read on, 0 failed (the list emptied), -1 a quit request stopped it.
  int32_t ReadAll(CKCBL& k, int32_t full, int32_t packageKind);

  // Writing.
  int32_t WriteModules(CLList& list, const char* fileName, int32_t full);
  int32_t WriteRestartFiles(CKCBL& k, const char* fileName);
  int32_t WriteFtpSites(CKCBL& k, const char* fileName);

  CLList m_NormalModules;    // CFVModule*, mode NORMAL
  CLList m_IndirectModules;  // CFVModule*, mode INDIRECT
  CLList m_RestartFiles;     // SFVRestartFile*
  CLList m_FtpSites;         // SFVFtpSite*
  CFVModule* m_pCurrModule = nullptr;
  CFVNormFile* m_pCurrNormFile = nullptr;
  CFVIndFile* m_pCurrIndFile = nullptr;
  SFVRestartFile* m_pCurrRestartFile = nullptr;
  SFVFtpSite* m_pCurrFtpSite = nullptr;
  // The load and save buffer of the file; made on first need.
  CKCBL* m_pRecord = nullptr;
  SFVHandlerIndex* m_pIndex = nullptr;
};
