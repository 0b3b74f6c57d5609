// Writing a module list as KCBL text: normal modules, indirect modules, restart files, FTP sites.
#include "common/updater/fvmodulehandler.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/kcbl/kcbltree.h"
#include "ostrel/system/debug.h"

namespace {
constexpr char kWrite[] = "CFVModuleHandler::WriteModuleList";

const char* Text(const char* text) { return text ? text : ""; }

// The typed items store a text that starts with ";" as a comment, which the reader drops: a
// description or name of that kind would not read back, and the list with it. The writer's values
// are texts, always.
int32_t AsTexts(CKCBL& k, int32_t made) {
  if (TKCBLKeyword* item = made ? k.GetCurKeyword() : nullptr)
    for (uint32_t i = 0; i < item->m_NumStrings; ++i)
      if (item->m_pValues[i].m_Kind == KCBLV_COMMENT) item->m_pValues[i].m_Kind = KCBLV_TEXT;
  return made;
}

// The blank separator line before modules and before their file groups.
int32_t Separator(CKCBL& k) { return k.NewItem("", KEND); }

// The chunk of one module, entered.
int32_t NewModuleChunk(CKCBL& k, const char* name) {
  if (!k.NewChunk(KSTRING, "module", KSTRING, name, KEND)) return 0;
  k.ExitChunk();
  AsTexts(k, 1);
  return k.EnterChunk();
}

// Puts the cursor of the top chunk behind its last item, so that what follows is appended.
void ToEnd(CKCBL& k) {
  k.MainChunk();
  while (k.NextItem(0)) {
  }
}

int32_t WriteFullFile(CKCBL& k, const CFVNormFile& f) {
  const bool hn = f.HaveNormName() == 1, hc = f.HaveNormCRC() == 1, hs = f.HaveNormFileSize() == 1;
  const bool pn = f.HavePackedName() == 1, pc = f.HavePackedCRC() == 1, ps = f.HavePackedFileSize() == 1;
  return AsTexts(k, k.NewItem("File", KBOOL, hn, KSTRING, hn ? Text(f.GetNormName()) : "", KBOOL, hc, KULONG,
                   hc ? f.GetNormCRC() : 0u, KBOOL, hs, KULONG, hs ? f.GetNormFileSize() : 0u, KBOOL, pn, KSTRING,
                   pn ? Text(f.GetPackedName()) : "", KBOOL, pc, KULONG, pc ? f.GetPackedCRC() : 0u, KBOOL, ps,
                   KULONG, ps ? f.GetPackedFileSize() : 0u, KEND));
}
}  // namespace

int32_t CFVModuleHandler::WriteModuleList(const char* fileName, int32_t full) {
  if (!fileName || !ValidateCallbacks() || !ValidateModuleList()) {
    xprintf("%s (writing to %s): the updater's callbacks or the list are not valid\n", kWrite, Text(fileName));
    return 0;
  }
  CKCBL* k = Record();
  if (!k) return 0;
  k->Free();
  CFVModule* const current = m_pCurrModule;
  int32_t ok = WriteModules(m_NormalModules, fileName, full) && WriteModules(m_IndirectModules, fileName, full) &&
               WriteRestartFiles(*k, fileName) && WriteFtpSites(*k, fileName);
  m_pCurrModule = current;
  if (ok && !k->Save(fileName)) {
    xprintf("%s: Unable to save kcblPacket to file (filename: %s)\n", kWrite, fileName);
    ok = 0;
  }
  // A failed write leaves the list as it was; only the buffer goes.
  FreeRecord();
  return ok;
}

int32_t CFVModuleHandler::WriteModules(CLList& list, const char* fileName, int32_t full) {
  for (CNode* n = list.HeadNode(); n; n = n->m_pNext) {
    m_pCurrModule = static_cast<CFVModule*>(n->m_pData);
    if (!WriteModuleList_ModuleInternal(fileName, full)) return 0;
  }
  return 1;
}

int32_t CFVModuleHandler::WriteModuleList_ModuleInternal(const char* fileName, int32_t full) {
  const CFVModule* m = m_pCurrModule;
  CKCBL* record = Record();
  if (!m || !record) return 0;
  CKCBL& k = *record;
  ToEnd(k);
  const char* name = Text(m->GetModName());
  const char* packed = Text(m->GetModPackedFileName());
  const uint32_t crc = m->GetModPackedFileCRC(), size = static_cast<uint32_t>(m->GetModPackedFileSize());
  bool ok = Separator(k) && NewModuleChunk(k, name) &&
            AsTexts(k, k.NewItem("Description", KSTRING, Text(m->GetModDesc()), KEND)) &&
            AsTexts(k, k.NewItem("Classname", KSTRING, Text(m->GetModClassName()), KEND));
  // The package in the layout of a full File item, whatever the form.
  if (ok && m->HasPackage())
    ok = AsTexts(k, k.NewItem("PackedFile", KBOOL, 1, KSTRING, packed, KBOOL, 1, KULONG, crc, KBOOL, 1, KULONG, size,
                              KBOOL, 0, KSTRING, packed, KBOOL, 0, KULONG, crc, KBOOL, 0, KULONG, size, KEND));
  ok = ok && k.NewItem("Mode", KSTRING, m->GetModMode() == FVMODULE_INDIRECT ? "Indirect" : "Normal", KEND) &&
       k.NewItem("MustDownload", KSTRING, m->GetModForcedDownload() ? "TRUE" : "FALSE", KEND);

  if (ok && m->GetNumNormFiles()) ok = Separator(k);
  for (CNode* n = m->m_NormFiles.HeadNode(); ok && n; n = n->m_pNext) {
    const auto* f = static_cast<const CFVNormFile*>(n->m_pData);
    if (full == 1) {
      ok = WriteFullFile(k, *f);
    } else {
      // The short form names a file by its normal name only; a file without one cannot be written.
      ok = f->IndexedNormName() && AsTexts(k, k.NewItem("File", KSTRING, f->GetNormName(), KEND));
    }
  }
  if (ok && m->GetNumIndFiles()) ok = Separator(k);
  for (CNode* n = m->m_IndFiles.HeadNode(); ok && n; n = n->m_pNext)
    ok = AsTexts(k, k.NewItem("IndFile", KSTRING, Text(static_cast<const CFVIndFile*>(n->m_pData)->GetName()), KEND));
  k.MainChunk();
  if (!ok) xprintf("%s (writing to %s): Unable to create module %s\n", kWrite, Text(fileName), name);
  return ok ? 1 : 0;
}

int32_t CFVModuleHandler::WriteRestartFiles(CKCBL& k, const char* fileName) {
  ToEnd(k);
  for (CNode* n = m_RestartFiles.HeadNode(); n; n = n->m_pNext) {
    const auto* r = static_cast<const SFVRestartFile*>(n->m_pData);
    if (!AsTexts(k, k.NewItem("restartfile", KSTRING, Text(r->m_pFileName), KSTRING, Text(r->m_pUnpackName), KBOOL,
                              r->m_FullRestart, KEND))) {
      xprintf("%s (writing to %s): Unable to create restartfile %s\n", kWrite, fileName, Text(r->m_pFileName));
      return 0;
    }
  }
  return 1;
}

int32_t CFVModuleHandler::WriteFtpSites(CKCBL& k, const char* fileName) {
  ToEnd(k);
  if (!k.NewChunk(KSTRING, "FileFtps", KEND)) return 0;
  for (CNode* n = m_FtpSites.HeadNode(); n; n = n->m_pNext) {
    const auto* s = static_cast<const SFVFtpSite*>(n->m_pData);
    if (!AsTexts(k, k.NewItem("ftp", KSTRING, Text(s->m_pSiteName), KSTRING, Text(s->m_pLoginName), KSTRING,
                              Text(s->m_pPassword), KSTRING, Text(s->m_pSubDir), KLONG, s->m_ConnectTimeout, KLONG,
                              s->m_DataTimeout, KEND))) {
      xprintf("%s (writing to %s): Unable to create ftp %s\n", kWrite, fileName, Text(s->m_pSiteName));
      k.MainChunk();
      return 0;
    }
  }
  k.MainChunk();
  return 1;
}
