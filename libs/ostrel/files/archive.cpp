#include "ostrel/files/archive.h"

#include <cstring>

#include "ostrel/base/paths.h"
#include "ostrel/system/debug.h"
#include "ostrel/files/filehelpers.h"
#include "platform/files/resolver.h"

namespace {
constexpr uint32_t kMaxName = 32767;

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
}  // namespace

CArchive::CArchive() = default;

CArchive::~CArchive() { Close(); }

CArchiveCodecBase* CArchive::Codec(int32_t which) {
  auto& slot = m_pCodecs[which == ARCHIVE_CODEC_LZSS ? 0 : 1];
  if (!slot) {
    slot.reset(xNewArchiveCodec(which));
    if (slot) slot->SetCallback(m_pCallback, m_User);
  }
  return slot.get();
}

int32_t CArchive::SetCallback(TFileProgressFunc callback, int32_t user) {
  m_pCallback = callback;
  m_User = user;
  for (auto& codec : m_pCodecs)
    if (codec) codec->SetCallback(callback, user);
  return 1;
}

int32_t CArchive::OpenFile(const char* path, int32_t flags) {
  if (m_pFile || !path) return 0;
  auto file = std::make_unique<CFile>();
  uint32_t size = 0;
  if (!file->Open(path, flags) || !file->GetSize(&size) || !file->Seek(0, XSEEK_BOUNDEND)) return 0;
  m_pFile = std::move(file);
  m_Size = size;
  m_CodecSwitch = xArchiveCodecOf(path);
  m_Path = path;
  return 1;
}

int32_t CArchive::OpenNew(const char* path) { return OpenFile(path, XFILE_WRITE); }

int32_t CArchive::Open(const char* path) { return OpenFile(path, XFILE_UPDATE); }

int32_t CArchive::Close() {
  m_Size = 0;
  if (!m_pFile) return 0;
  int32_t ok = m_pFile->Close();
  m_pFile.reset();
  return ok;
}

// Cuts a partly written entry off: the archive ends with its last whole entry again.
void CArchive::Rollback() {
  m_pFile->Close();
  m_pFile.reset();
  if (PlatformTruncateFile(m_Path.c_str(), m_Size)) {
    auto file = std::make_unique<CFile>();
    if (file->Open(m_Path.c_str(), XFILE_UPDATE) && file->Seek(0, XSEEK_BOUNDEND)) {
      m_pFile = std::move(file);
      return;
    }
  }
  xprintf("CArchive::AddFile: cannot restore %s", m_Path.c_str());
  m_Size = 0;
}

int32_t CArchive::AddFile(const char* sourcePath, const char* nameInArchive, int32_t compress) {
  if (!m_pFile || !sourcePath) return 0;
  const char* name = nameInArchive ? nameInArchive : sourcePath;
  size_t nameLen = std::strlen(name);
  uint32_t size = 0;
  if (nameLen == 0 || nameLen > kMaxName || !xFileSize(sourcePath, &size) || size > ARCHIVE_MAX_ENTRY)
    return 0;
  m_In.resize(size);
  if (!xReadFile(sourcePath, m_In.data(), size)) return 0;

  int32_t coded = 2;
  if (compress) {
    CArchiveCodecBase* codec = Codec(m_CodecSwitch);
    if (!codec) {
      xprintf("CArchive::AddFile: no coder for %s", m_Path.c_str());
      return 0;
    }
    coded = codec->Pack(sourcePath, m_In.data(), size, m_Out);
    if (!coded) return 0;
  }
  const std::vector<uint8_t>& data = coded == 1 ? m_Out : m_In;
  uint64_t entry = uint64_t{ARCHIVE_HEAD_SIZE} + nameLen + data.size();
  if (data.size() > ARCHIVE_MAX_ENTRY || m_Size + entry > 0xFFFFFFFFu) return 0;

  uint8_t head[ARCHIVE_HEAD_SIZE];
  PutLE32(head, coded == 1 ? static_cast<uint32_t>(data.size()) : ARCHIVE_STORED);
  PutLE32(head + 4, size);
  head[8] = static_cast<uint8_t>(nameLen);
  head[9] = static_cast<uint8_t>(nameLen >> 8);
  if (!m_pFile->Write(head, sizeof head) || !m_pFile->Write(name, static_cast<uint32_t>(nameLen)) ||
      !m_pFile->Write(data.data(), static_cast<uint32_t>(data.size())) || !m_pFile->Flush()) {
    Rollback();
    return 0;
  }
  m_Size += static_cast<uint32_t>(entry);
  return 1;
}

namespace {
// Where one entry's data lie and what they become.
struct SArchiveEntry {
  std::string m_Name;
  uint32_t m_DataPos;
  uint32_t m_DataLen;
  uint32_t m_Unpacked;
  uint32_t m_RecordLen;  // head, name and data
  bool m_Stored;
};

// Every entry's head, name and sizes, read before anything is written: a package with one bad
// entry anywhere, or that does not end exactly behind its last entry, writes nothing.
bool ScanArchive(CFile& in, uint32_t size, const char* targetFolder, std::vector<SArchiveEntry>& entries) {
  for (uint32_t pos = 0; pos < size;) {
    uint8_t head[ARCHIVE_HEAD_SIZE];
    if (size - pos < ARCHIVE_HEAD_SIZE || !in.SeekRaw(pos) || !in.Read(head, sizeof head)) return false;
    const uint32_t packed = GetLE32(head);
    const uint32_t unpacked = GetLE32(head + 4);
    const int16_t nameLen = static_cast<int16_t>(head[8] | head[9] << 8);
    const bool stored = packed == ARCHIVE_STORED;
    const uint32_t dataLen = stored ? unpacked : packed;
    pos += ARCHIVE_HEAD_SIZE;
    if (nameLen <= 0 || static_cast<uint32_t>(nameLen) > size - pos) return false;
    std::string name(static_cast<size_t>(nameLen), '\0');
    if (!in.Read(name.data(), static_cast<uint32_t>(nameLen))) return false;
    pos += static_cast<uint32_t>(nameLen);
    if (name.find('\0') != std::string::npos || !xStaysInFolder(targetFolder, name.c_str())) {
      xprintf("CArchive::ExtractArchive: refused entry name %s", name.c_str());
      return false;
    }
    if (dataLen > size - pos || unpacked > ARCHIVE_MAX_ENTRY) return false;
    entries.push_back({std::move(name), pos, dataLen, unpacked,
                       ARCHIVE_HEAD_SIZE + static_cast<uint32_t>(nameLen) + dataLen, stored});
    pos += dataLen;
  }
  return true;
}
}  // namespace

int32_t CArchive::ExtractArchive(const char* archivePath, const char* targetFolder, int32_t deleteAfter) {
  CFile in;
  uint32_t size = 0;
  if (!archivePath || !in.Open(archivePath, XFILE_READ) || !in.GetSize(&size)) return 0;
  std::vector<SArchiveEntry> entries;
  if (!ScanArchive(in, size, targetFolder, entries)) return 0;
  CArchiveCodecBase* codec = nullptr;
  const int32_t codecSwitch = xArchiveCodecOf(archivePath);
  std::vector<uint8_t> data;
  bool everyEntry = true;

  for (const SArchiveEntry& entry : entries) {
    data.resize(entry.m_DataLen);
    if (!in.SeekRaw(entry.m_DataPos) || !in.Read(data.data(), entry.m_DataLen)) return 0;
    if (!entry.m_Stored) {
      if (!codec && !(codec = Codec(codecSwitch))) return 0;
      if (!codec->Unpack(data.data(), entry.m_DataLen, entry.m_Unpacked, m_Out)) {
        xprintf("CArchive::ExtractArchive: entry %s is damaged", entry.m_Name.c_str());
        return 0;
      }
      data.swap(m_Out);
    }

    char* merged = targetFolder ? String_MergeDirectoryAndFile(targetFolder, entry.m_Name.c_str()) : nullptr;
    std::string target = merged ? merged : entry.m_Name;
    String_Free(merged);
    xCreateDirsForFile(target.c_str());

    if (m_pCallback) {
      const int32_t n = static_cast<int32_t>(entry.m_RecordLen);
      m_pCallback(n, n, 1);
    }
    const bool existed = PlatformPathExists(target.c_str());
    if (existed && !PlatformFileWritable(target.c_str())) {
      everyEntry = false;  // read-only: skip it, go on with the rest
      continue;
    }
    if (!PlatformWriteFileReplacing(target.c_str(), data.data(), static_cast<uint32_t>(data.size()))) {
      if (!existed) return 0;
      everyEntry = false;
    }
  }
  in.Close();
  if (deleteAfter && everyEntry) xFileDelete(archivePath);
  return everyEntry ? 1 : 0;
}
