// The records of a module list: a module with its files, a normal and an indirect file, a restart
// file and an FTP site. Every text is an owned copy (xStrdup) or null.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

class CFVModule;
class CFVModuleHandler;
struct SFVModuleIndex;

inline constexpr int32_t FVMODULE_NORMAL = 1;
inline constexpr int32_t FVMODULE_INDIRECT = 2;
// Packed file size of a module that has no package.
inline constexpr int32_t FVMODULE_NO_PACKAGE = -1;

// One file of a module: six values, each with its own presence flag (1 = present).
class CFVNormFile {
 public:
  CFVNormFile() = default;
  CFVNormFile(const CFVNormFile&) = delete;
  CFVNormFile& operator=(const CFVNormFile&) = delete;
  virtual ~CFVNormFile();
  // A file whose names (either may be null) share its own allocation: a list of thousands of
  // files is read with a third of the allocations. Null when memory runs out.
  static CFVNormFile* Make(const char* normName, const char* packedName);
  static void operator delete(void* p) { ::operator delete(p); }

  int32_t HaveNormName() const { return m_HaveNormName; }
  void SetNormNameState(int32_t state);
  const char* GetNormName() const { return m_pNormName; }
  // 0 while the flag is not 1, for a null name, or out of memory.
  int32_t SetNormName(const char* name);

  int32_t HaveNormCRC() const { return m_HaveNormCRC; }
  void SetNormCRCState(int32_t state) { m_HaveNormCRC = state; }
  uint32_t GetNormCRC() const { return m_NormCRC; }
  void SetNormCRC(uint32_t crc) { m_NormCRC = crc; }

  int32_t HaveNormFileSize() const { return m_HaveNormFileSize; }
  void SetNormFileSizeState(int32_t state) { m_HaveNormFileSize = state; }
  uint32_t GetNormFileSize() const { return m_NormFileSize; }
  void SetNormFileSize(uint32_t size) { m_NormFileSize = size; }

  int32_t HavePackedName() const { return m_HavePackedName; }
  void SetPackedNameState(int32_t state);
  const char* GetPackedName() const { return m_pPackedName; }
  int32_t SetPackedName(const char* name);

  int32_t HavePackedCRC() const { return m_HavePackedCRC; }
  void SetPackedCRCState(int32_t state) { m_HavePackedCRC = state; }
  uint32_t GetPackedCRC() const { return m_PackedCRC; }
  void SetPackedCRC(uint32_t crc) { m_PackedCRC = crc; }

  int32_t HavePackedFileSize() const { return m_HavePackedFileSize; }
  void SetPackedFileSizeState(int32_t state) { m_HavePackedFileSize = state; }
  uint32_t GetPackedFileSize() const { return m_PackedFileSize; }
  void SetPackedFileSize(uint32_t size) { m_PackedFileSize = size; }

  // The file on disk, through the registered callbacks; 0 when the name is not present or the
  // callback is not registered.
  int32_t RealFile_ExistsNormName() const;
  int32_t RealFile_GetNormCRC(uint32_t* crc) const;
  int32_t RealFile_GetNormFileSize(uint32_t* size) const;
  int32_t RealFile_ExistsPackedName() const;
  int32_t RealFile_GetPackedCRC(uint32_t* crc) const;
  int32_t RealFile_GetPackedFileSize(uint32_t* size) const;

  // The name under which the module indexes the file: the text when its flag is 1, else null.
  const char* IndexedNormName() const { return m_HaveNormName == 1 ? m_pNormName : nullptr; }
  const char* IndexedPackedName() const { return m_HavePackedName == 1 ? m_pPackedName : nullptr; }

 private:
  friend class CFVModule;
  friend class CFVModuleHandler;
  void NamesChanging();
  // Replaces a name; a text in the file's own allocation is left there, any other freed.
  int32_t ReplaceName(char*& field, uint8_t inlineBit, const char* name);

  int32_t m_HaveNormName = 0;
  char* m_pNormName = nullptr;
  int32_t m_HaveNormCRC = 0;
  uint32_t m_NormCRC = 0;
  int32_t m_HaveNormFileSize = 0;
  uint32_t m_NormFileSize = 0;
  int32_t m_HavePackedName = 0;
  char* m_pPackedName = nullptr;
  int32_t m_HavePackedCRC = 0;
  uint32_t m_PackedCRC = 0;
  int32_t m_HavePackedFileSize = 0;
  uint32_t m_PackedFileSize = 0;
  // The module whose list holds the file, and the file's place in it.
  CFVModule* m_pModule = nullptr;
  uint64_t m_Seq = 0;
  // Which names live behind the record in its allocation (Make).
  uint8_t m_InlineNames = 0;
};

// A file that a NORMAL module uses from an INDIRECT module (shared files).
class CFVIndFile {
 public:
  CFVIndFile() = default;
  CFVIndFile(const CFVIndFile&) = delete;
  CFVIndFile& operator=(const CFVIndFile&) = delete;
  virtual ~CFVIndFile();

  const char* GetName() const { return m_pName; }
  // 0 for a null name or out of memory.
  int32_t SetName(const char* name);

 private:
  friend class CFVModule;
  friend class CFVModuleHandler;

  char* m_pName = nullptr;
  CFVModule* m_pModule = nullptr;
};

class CFVModule {
 public:
  CFVModule() = default;
  // Names, package data, mode, forced flag and valid state; the copy has no files.
  CFVModule(const CFVModule& other);
  CFVModule& operator=(const CFVModule&) = delete;
  virtual ~CFVModule();

  // Both names set and equal (case-sensitive).
  bool operator==(const CFVModule& other) const;

  const char* GetModName() const { return m_pName; }
  int32_t SetModName(const char* name);  // 0 for null or out of memory
  const char* GetModDesc() const { return m_pDescription; }
  int32_t SetModDesc(const char* text);
  const char* GetModClassName() const { return m_pClassName; }
  int32_t SetModClassName(const char* text);
  const char* GetModPackedFileName() const { return m_pPackedFileName; }
  int32_t SetModPackedFileName(const char* name);  // null: none
  int32_t GetModMode() const { return m_Mode; }
  void SetModMode(int32_t mode) { m_Mode = mode; }
  int32_t GetModForcedDownload() const { return m_ForcedDownload; }
  void SetModForcedDownload(int32_t forced) { m_ForcedDownload = forced; }
  int32_t GetModValidState() const { return m_ValidState; }
  void SetModValidState(int32_t state) { m_ValidState = state; }
  int32_t GetModPackedFileSize() const { return m_PackedFileSize; }
  // Only sizes above 0 are stored.
  void SetModPackedFileSize(int32_t size) {
    if (size > 0) m_PackedFileSize = size;
  }
  uint32_t GetModPackedFileCRC() const { return m_PackedFileCRC; }
  void SetModPackedFileCRC(uint32_t crc) { m_PackedFileCRC = crc; }
  bool HasPackage() const { return m_PackedFileSize != FVMODULE_NO_PACKAGE; }

  int32_t GetNumNormFiles() const { return m_NormFiles.GetNumNodes(); }
  int32_t GetNumIndFiles() const { return m_IndFiles.GetNumNodes(); }
  // First file (in list order) of that name, without regard to ASCII case; null when none.
  CFVNormFile* FindNormFile(const char* normName);
  CFVNormFile* FindPackedFile(const char* packedName);
  CFVIndFile* FindIndFile(const char* name);

  // Appends, taking the record over; 0 (the caller keeps it) when the module already has a file
  // of its normal or of its packed name (without regard to case), or memory runs out.
  int32_t AddNormFile(CFVNormFile* file);
  // The same for a name the module lists already.
  int32_t AddIndFile(CFVIndFile* file);
  // Deletes a record of this module. A list cursor standing on it moves on as a deletion at the
  // cursor does; one standing elsewhere stays.
  int32_t DeleteNormFile(CFVNormFile* file);
  int32_t DeleteIndFile(CFVIndFile* file);

 private:
  friend class CFVModuleHandler;
  friend class CFVNormFile;
  friend class CFVIndFile;

  void FileNamesChanging();
  // The index brought up to date, made on first need; null when memory runs out.
  SFVModuleIndex* Index();
  void DeleteAllFiles();

  char* m_pName = nullptr;
  char* m_pDescription = nullptr;
  char* m_pClassName = nullptr;
  char* m_pPackedFileName = nullptr;
  int32_t m_Mode = 0;
  int32_t m_ForcedDownload = 0;
  int32_t m_ValidState = 0;
  int32_t m_PackedFileSize = FVMODULE_NO_PACKAGE;
  uint32_t m_PackedFileCRC = 0;
  CLList m_NormFiles;  // CFVNormFile*
  CLList m_IndFiles;   // CFVIndFile*

  SFVModuleIndex* m_pIndex = nullptr;
  uint64_t m_NextSeq = 0;
  // The handler that holds the module, told when its name changes, and which of its lists.
  CFVModuleHandler* m_pHandler = nullptr;
  CLList* m_pList = nullptr;
};

struct SFVRestartFile {
  SFVRestartFile() = default;
  SFVRestartFile(const SFVRestartFile&) = delete;
  SFVRestartFile& operator=(const SFVRestartFile&) = delete;
  ~SFVRestartFile();

  char* m_pFileName = nullptr;
  char* m_pUnpackName = nullptr;
  int32_t m_FullRestart = 0;
};

struct SFVFtpSite {
  SFVFtpSite() = default;
  SFVFtpSite(const SFVFtpSite&) = delete;
  SFVFtpSite& operator=(const SFVFtpSite&) = delete;
  ~SFVFtpSite();

  char* m_pSiteName = nullptr;
  char* m_pLoginName = nullptr;
  char* m_pPassword = nullptr;
  char* m_pSubDir = nullptr;
  int32_t m_ConnectTimeout = -1;  // -1: the list gives none
  int32_t m_DataTimeout = -1;
};
