#include "updatetree.h"

#include <filesystem>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fversionvalidate.h"
#include "common/updater/modstatus.h"
#include "ostrel/base/xstring.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/compression/zzip.h"
#include "ostrel/files/crc.h"

namespace fs = std::filesystem;

namespace {
SUpdateHost g_Host;

void Note(const std::string& call) { g_Host.m_Calls.push_back(call); }
int32_t Answer(const std::string& step) { return g_Host.m_Refuse.count(step) ? 0 : 1; }

int32_t RecordUnpack(const char* sourceFolder, const char* targetFolder, const char* packedFile, char** targetName) {
  Note(std::string("UnpackFile ") + packedFile);
  const std::string& other = g_Host.m_UnpackedNameOverride;
  if (!other.empty()) {
    // A host that unpacks the right bytes under a name of its own choosing.
    char* real = nullptr;
    if (!Callback_UnpackFile(sourceFolder, targetFolder, packedFile, &real)) return 0;
    const fs::path from = fs::path(targetFolder) / real, to = std::string(targetFolder) + "/" + other;
    xFree(real);
    fs::create_directories(to.parent_path());
    fs::rename(from, to);
    *targetName = xStrdup(other.c_str());
    return 1;
  }
  return Callback_UnpackFile(sourceFolder, targetFolder, packedFile, targetName);
}

int32_t RecordErase(const char* name) {
  Note(std::string("EraseFile ") + name);
  return Callback_EraseFile(name);
}

int32_t RecordDownload(CLList* items, CLList*, int32_t* stop) {
  std::string call = "Download";
  for (CNode* n = items->HeadNode(); n; n = n->m_pNext)
    call += std::string(" ") + static_cast<SFVersionDownloadItem*>(n->m_pData)->m_pPackedName;
  Note(call);
  SUpdateHost::SAnswer answer{1, 0};
  if (!g_Host.m_Answers.empty()) {
    answer = g_Host.m_Answers.front();
    g_Host.m_Answers.pop_front();
  }
  *stop = answer.m_Stop;
  if (!answer.m_Result) return 0;
  for (CNode* n = items->HeadNode(); n; n = n->m_pNext) {
    const std::string packed = static_cast<SFVersionDownloadItem*>(n->m_pData)->m_pPackedName;
    const auto served = g_Host.m_Served.find(packed);
    if (served == g_Host.m_Served.end()) continue;
    if (fs::path(packed).has_parent_path()) fs::create_directories(fs::path(packed).parent_path());
    WriteWholeFile(packed, served->second);
  }
  return answer.m_Result;
}

int32_t RecordCheckStart(int32_t modules, int32_t files, int32_t indirect) {
  Note("CheckStart " + std::to_string(modules) + " " + std::to_string(files) + " " + std::to_string(indirect));
  if (g_Host.m_OnCheckStart) g_Host.m_OnCheckStart();
  return Answer("CheckStart");
}
int32_t RecordCheckProgress() { return Answer("CheckProgress"); }
int32_t RecordCheckEnd() {
  Note("CheckEnd");
  return Answer("CheckEnd");
}
int32_t RecordUnpackStart(int32_t items) {
  Note("UnpackStart " + std::to_string(items));
  return Answer("UnpackStart");
}
int32_t RecordUnpackProgress(const char* packed) {
  Note(std::string("UnpackProgress ") + packed);
  return Answer("UnpackProgress");
}
int32_t RecordUnpackEnd() {
  Note("UnpackEnd");
  return Answer("UnpackEnd");
}
void RecordRestart(int32_t full) { Note("Restart " + std::to_string(full)); }
void RecordDownloadComplete() { Note("DownloadComplete"); }
void RecordMissing() { Note("MissingCriticalFiles"); }
void RecordMessage(const char* caption, const char* text) { Note(std::string("MessageBox ") + caption + "|" + text); }
}  // namespace

std::vector<std::string> SUpdateHost::Calls(const std::string& prefix) const {
  std::vector<std::string> calls;
  for (const std::string& c : m_Calls)
    if (c.rfind(prefix, 0) == 0) calls.push_back(c);
  return calls;
}

SUpdateHost& Host() { return g_Host; }

void InstallRecordingCallbacks() {
  g_Host = SUpdateHost{};
  FVersion_SetCallBack_FileExists(Callback_FileExists);
  FVersion_SetCallBack_FileCalcCRC(Callback_FileCalcCRC);
  FVersion_SetCallBack_FileFileSize(Callback_FileFileSize);
  FVersion_SetCallBack_UnpackFile(RecordUnpack);
  FVersion_SetCallBack_PackFile(Callback_PackFile);
  FVersion_SetCallBack_EraseFile(RecordErase);
  FVersion_SetCallBack_Download(RecordDownload);
  FVersion_SetCallBack_CopyFile(Callback_CopyFile);
  FVersion_SetCallBack_FileShouldBeEncrypted(Callback_FileShouldBeEncrypted);
  FVersion_SetCallBack_CheckStart(RecordCheckStart);
  FVersion_SetCallBack_CheckProgress(RecordCheckProgress);
  FVersion_SetCallBack_CheckEnd(RecordCheckEnd);
  FVersion_SetCallBack_LoadStart(Callback_LoadStart);
  FVersion_SetCallBack_LoadEnd(Callback_LoadEnd);
  FVersion_SetCallBack_SaveStart(Callback_SaveStart);
  FVersion_SetCallBack_SaveEnd(Callback_SaveEnd);
  FVersion_SetCallBack_UnpackStart(RecordUnpackStart);
  FVersion_SetCallBack_UnpackProgress(RecordUnpackProgress);
  FVersion_SetCallBack_UnpackEnd(RecordUnpackEnd);
  FVersion_SetCallBack_Restart(RecordRestart);
  FVersion_SetCallBack_DownloadComplete(RecordDownloadComplete);
  FVersion_SetCallBack_MissingCriticalFiles(RecordMissing);
  FVersion_SetCallback_MessageBox(RecordMessage);
}

uint32_t Crc(const std::string& bytes) {
  uint32_t crc = 0;
  xCalcCRC(bytes.data(), static_cast<uint32_t>(bytes.size()), &crc, XCRC_POLY);
  return crc;
}

void CListBuilder::Module(const std::string& name, int32_t mode, int32_t forced, bool package) {
  const bool packed = package && mode == FVMODULE_NORMAL;
  const std::string packageName = "modules/" + name + ".bos";
  ASSERT_EQ(m_List.AddModule(name.c_str(), ("The module " + name).c_str(), "game", packed ? packageName.c_str() : nullptr,
                             packed ? 1000 : -1, packed ? 0x1234 : 0, mode, forced),
            1)
      << name;
}

void CListBuilder::File(const std::string& module, const std::string& name, uint32_t crc, uint32_t size,
                        const std::string& packed, uint32_t packedCRC, uint32_t packedSize) {
  ASSERT_EQ(m_List.AddNormalFile(module.c_str(), 1, name.c_str(), 1, crc, 1, size, 1, packed.c_str(), 1, packedCRC, 1,
                                 packedSize),
            1)
      << name;
}

void CListBuilder::IndFile(const std::string& module, const std::string& name) {
  ASSERT_EQ(m_List.AddIndirectFile(module.c_str(), name.c_str()), 1) << name;
}

void CListBuilder::Restart(const std::string& file, const std::string& unpackName, int32_t full) {
  ASSERT_EQ(m_List.AddRestartFile(file.c_str(), unpackName.c_str(), full), 1);
}

void CListBuilder::Write(const std::string& path) { ASSERT_EQ(m_List.WriteModuleList(path.c_str(), 1), 1) << path; }

CUpdateTree::CUpdateTree() : m_Tree(m_Dir.File("tree")) {
  fs::create_directory(m_Tree);
  m_Work = std::make_unique<CWorkingDir>(m_Tree);
  InstallRecordingCallbacks();
}

CUpdateTree::~CUpdateTree() { m_Work.reset(); }

void CUpdateTree::Put(const std::string& name, const std::string& bytes) {
  const fs::path path = fs::path(m_Tree) / name;
  fs::create_directories(path.parent_path());
  WriteWholeFile(path.string(), bytes);
}

std::string CUpdateTree::Get(const std::string& name) const { return ReadWholeFile(m_Tree + "/" + name); }

bool CUpdateTree::Exists(const std::string& name) const { return fs::exists(fs::path(m_Tree) / name); }

std::string CUpdateTree::Pack(const std::string& packedName, const std::string& bytes) {
  const std::string in = m_Dir.File("pack.in"), out = m_Dir.File("pack.out");
  WriteWholeFile(in, bytes);
  const std::string ext = fs::path(packedName).extension().string();
  std::string packed = bytes;
  if (ext == ".bos" || ext == ".BOS") {
    CZZip zip;
    EXPECT_EQ(zip.CompressFile(in.c_str(), out.c_str()), 1);
    packed = ReadWholeFile(out);
  } else if (ext == ".zpk" || ext == ".ZPK") {
    CLzss lzss;
    EXPECT_EQ(lzss.Compress(in.c_str(), out.c_str()), 1);
    packed = ReadWholeFile(out);
  }
  fs::remove(in);
  fs::remove(out);
  return packed;
}

void CUpdateTree::Serve(const std::string& module, const std::string& name, const std::string& bytes,
                        const std::string& ext) {
  const std::string packedName = name + ext;
  const std::string packed = Pack(packedName, bytes);
  Host().m_Served[packedName] = packed;
  m_Server.File(module, name, Crc(bytes), static_cast<uint32_t>(bytes.size()), packedName, Crc(packed),
                static_cast<uint32_t>(packed.size()));
}

void CUpdateTree::Record(const std::string& module, const std::string& name, const std::string& bytes) {
  m_Installed.File(module, name, Crc(bytes), static_cast<uint32_t>(bytes.size()), name + ".zpk", 1, 1);
  m_HaveInstalled = true;
}

void CUpdateTree::Statuses(const std::vector<std::pair<std::string, int32_t>>& statuses) {
  std::string text;
  for (const auto& [name, status] : statuses) text += "modstatus = \"" + name + "\", " + std::to_string(status) + "\n";
  Put(MODSTATUS_FILE, text);
}

int32_t CUpdateTree::StatusOf(const std::string& module) const {
  CKCBLModStatus status;
  if (!status.LoadFile()) return -99;
  return status.GetFlagForThisModule(module.c_str());
}

void CUpdateTree::ResetLists() {
  m_Server.Reset();
  m_Installed.Reset();
  m_HaveInstalled = false;
}

void CUpdateTree::WriteLists() {
  m_Server.Write("srvmap.lst");
  if (m_HaveInstalled) m_Installed.Write("filemap.lst");
}

int32_t CUpdateTree::Validate(int32_t twoPasses, int32_t listedOnly, int32_t downloadAll) {
  return FVersion_ValidateFiles("srvmap.lst", "filemap.lst", twoPasses, listedOnly, downloadAll, nullptr, 1);
}

int64_t CUpdateTree::InstalledCRC(const std::string& module, const std::string& name) const {
  CFVModuleHandler installed;
  if (!installed.ReadModuleList("filemap.lst", 1, 1)) return -2;
  if (!installed.FindModule(module.c_str()) || !installed.FindFile(name.c_str())) return -1;
  return installed.NormalFile_GetNormalCRC();
}

std::map<std::string, std::string> CUpdateTree::Everything() const {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(m_Dir.Path()))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), m_Dir.Path()).string()] = ReadWholeFile(entry.path().string());
  return files;
}
