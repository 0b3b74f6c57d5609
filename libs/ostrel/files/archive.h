// Archives: a plain sequence of entries with no header and no directory. Each entry, integers
// little-endian:
//   packed size   4  bytes of data stored; 0xFFFFFFFF = stored as is, the unpacked size applies
//   unpacked size 4  the file's size
//   name length   2  signed
//   name             the path the entry was added under, no terminator; may hold folders
//   data
// The extension picks the coder of all entries: "zpk" LZSS, any other the block compressor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/files/archivecodec.h"
#include "ostrel/files/file.h"

inline constexpr uint32_t ARCHIVE_STORED = 0xFFFFFFFFu;
inline constexpr uint32_t ARCHIVE_HEAD_SIZE = 10;
// The largest entry either side accepts; a size above it is taken for damage.
inline constexpr uint32_t ARCHIVE_MAX_ENTRY = 1u << 30;

class CArchive {
 public:
  CArchive();
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  // Creates (or empties) an archive for writing; fails when one is open.
  int32_t OpenNew(const char* path);
  // Opens an existing archive to add to; new entries go behind the old ones.
  int32_t Open(const char* path);
  int32_t IsOpen() const { return m_pFile != nullptr; }
  // compress 0 stores; otherwise the archive's coder decides. The entry is named nameInArchive,
  // or sourcePath when that is null. A failed add leaves the archive as it was.
  int32_t AddFile(const char* sourcePath, const char* nameInArchive, int32_t compress);
  int32_t Close();
  // The callback also goes to the coder, with user as its report interval.
  int32_t SetCallback(TFileProgressFunc callback, int32_t user = 0);
  // Unpacks every entry below targetFolder (or the working folder when null). Every head, name
  // and size is checked before the first file is written: a name that would leave the folder
  // (also through a symbolic link), a size the archive cannot hold or an archive that does not
  // end exactly behind its last entry fails with 0 and nothing written. Data that do not expand
  // to the recorded size stop the extraction with 0; each file is replaced whole, so it is old or
  // new, never cut. An existing file that may not be written is skipped (the
  // result is then 0, but the rest is extracted). With deleteAfter the archive is deleted when
  // every entry was written. Works whether or not an archive is open.
  int32_t ExtractArchive(const char* archivePath, const char* targetFolder, int32_t deleteAfter);

 private:
  int32_t OpenFile(const char* path, int32_t flags);
  CArchiveCodecBase* Codec(int32_t which);
  void Rollback();

  std::unique_ptr<CFile> m_pFile;
  uint32_t m_Size = 0;
  TFileProgressFunc m_pCallback = nullptr;
  int32_t m_User = 0;
  std::vector<uint8_t> m_In;
  std::vector<uint8_t> m_Out;
  int32_t m_CodecSwitch = ARCHIVE_CODEC_LZSS;
  std::unique_ptr<CArchiveCodecBase> m_pCodecs[2];
  std::string m_Path;
};
