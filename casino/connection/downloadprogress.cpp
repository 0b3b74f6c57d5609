#include "casino/connection/downloadprogress.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>

#include "casino/connection/clientdownloadmanager.h"
#include "casino/mainclient/checkedformat.h"
#include "casino/mainclient/controltext.h"
#include "casino/mainclient/progressbar.h"
#include "casino/startup/clientresources.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvmodule.h"
#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"

namespace {
constexpr uint32_t kCrcPolynomial = 0x04C11DB7;
// A remote name this long or longer is not shown.
constexpr size_t kLongestShownName = 511;

bool HoldsLetterOrDigit(const char* text) {
  for (const char* p = text; p && *p; ++p)
    if (std::isalnum(static_cast<unsigned char>(*p))) return true;
  return false;
}

bool AbortKeyHeld() {
  return glb && glb->m_pKeyboard && glb->m_pKeyboard->IsPressed(DOWNLOADDIALOG_ABORT_KEY);
}

std::string ResourceFormat(int32_t stringId, const std::string& name) {
  CResData* res = GetMainResources();
  char text[768];
  xCheckedFormatText(text, res ? res->GetResString(stringId) : nullptr, name.c_str());
  return text;
}

std::string SpeedText(int32_t bytesPerSecond) {
  char text[64];
  std::snprintf(text, sizeof text, "%ld.%02ld Kb/s", static_cast<long>(bytesPerSecond / 1024),
                static_cast<long>(bytesPerSecond % 1024 * 100 / 1024));
  return text;
}
}  // namespace

DownloadProgressDialog::DownloadProgressDialog() = default;

DownloadProgressDialog::~DownloadProgressDialog() { delete m_pDialog; }

int32_t DownloadProgressDialog::Run(CMilesSample* clickSound, CLList* sites, CLList* files, const char* target) {
  delete m_pDialog;
  m_pDialog = new (std::nothrow) CDialog;
  m_pClick = clickSound;
  m_pManager.reset();
  m_Phase = kPhaseStart;
  m_Cancelled = false;
  m_BytesDone = 0;
  m_ShownSpeed = 0;
  m_Idle = true;
  m_Status.clear();
  if (!m_pDialog || !m_pDialog->Create(GetMainResources(), DOWNLOADDIALOG, Callback, 0, this)) {
    xprintf("DownloadProgressDialog::Run: dialog %d could not be made", DOWNLOADDIALOG);
    delete m_pDialog;
    m_pDialog = nullptr;
    return 0;
  }
  if (CProgress* bar = xProgressBar(m_pDialog, DOWNLOADDIALOG_BAR)) bar->SetRange(0, DOWNLOADDIALOG_BAR_RANGE);
  int32_t result = TakeRequest(sites, files, target) ? kGoingOn : 0;
  while (result == kGoingOn) {
    if (xHandler() != 0 || xDoUserWantToQuit() || AbortKeyHeld()) {
      result = 0;
      break;
    }
    result = Update();
  }
  m_pManager.reset();
  delete m_pDialog;
  m_pDialog = nullptr;
  return result;
}

bool DownloadProgressDialog::TakeRequest(CLList* sites, CLList* files, const char* target) {
  m_Files.clear();
  m_pSites = sites;
  const std::string folder = target && *target ? std::string(target) + "/" : std::string();
  for (CNode* n = files ? files->HeadNode() : nullptr; n; n = n->m_pNext) {
    const auto* item = static_cast<const SFVersionDownloadItem*>(n->m_pData);
    const char* name = item ? item->m_pPackedName : nullptr;
    // Names come from the server's list: one that would land outside the folder writes nothing.
    if (!xIsSafeRelativePath(name)) {
      xprintf("DownloadProgressDialog::Run: refused file name '%.200s'", name ? name : "");
      Fail(name ? name : "");
      return false;
    }
    m_Files.push_back({folder + name, name, item->m_PackedCRC, item->m_PackedSize});
  }
  if (!m_Files.empty() && (!sites || !sites->HeadNode())) {
    Fail(m_Files.front().m_Remote);
    return false;
  }
  return true;
}

int32_t DownloadProgressDialog::Update() {
  if (m_Cancelled) {
    m_pManager.reset();
    return 0;
  }
  switch (m_Phase) {
    case kPhaseStart:
      return StartManager();
    case kPhaseFetch:
      return Fetch();
    case kPhaseCheck:
      return Check();
    default:
      return 1;
  }
}

int32_t DownloadProgressDialog::StartManager() {
  if (m_Files.empty()) return 1;
  m_pManager = std::make_unique<CClientDownloadManager>();
  for (CNode* n = m_pSites->HeadNode(); n; n = n->m_pNext) {
    const auto* s = static_cast<const SFVFtpSite*>(n->m_pData);
    if (s)
      m_pManager->AddSite(s->m_pSiteName, s->m_pLoginName, s->m_pPassword, s->m_pSubDir, s->m_ConnectTimeout,
                          s->m_DataTimeout);
  }
  for (const SWanted& file : m_Files) m_pManager->AddExpectedFile(file.m_Local.c_str(), file.m_Remote.c_str(), file.m_Size);
  const uint32_t now = xGetTime();
  m_LastTransfer = now;
  m_LastUpdate = now - DOWNLOADDIALOG_UPDATE_MS;
  m_LastBytes = 0;
  m_Phase = kPhaseFetch;
  return kGoingOn;
}

int32_t DownloadProgressDialog::Fetch() {
  if (!m_pManager->Update()) {
    const char* current = m_pManager->GetDownloadRemoteFileName();
    return NextSiteOrFail(*current ? current : m_Files.front().m_Remote);
  }
  SetText(DOWNLOADDIALOG_SITE, m_pManager->GetCurrentSite());
  Display();
  if (m_pManager->IsDone()) m_Phase = kPhaseCheck;
  return kGoingOn;
}

int32_t DownloadProgressDialog::Check() {
  Display();
  for (const SWanted& file : m_Files) {
    uint32_t crc = 0;
    if (!xFileExists(file.m_Local.c_str()) || !xCalcFileCrc(file.m_Local.c_str(), &crc, kCrcPolynomial) ||
        crc != file.m_Crc) {
      xprintf("DownloadProgressDialog::Run: %s is missing or damaged", file.m_Local.c_str());
      return NextSiteOrFail(file.m_Remote);
    }
  }
  m_Phase = kPhaseDone;
  return 1;
}

int32_t DownloadProgressDialog::NextSiteOrFail(const std::string& name) {
  if (!m_pManager->GotoNextSite()) return Fail(name);
  m_BytesDone = 0;
  m_LastBytes = 0;
  m_Phase = kPhaseFetch;
  return kGoingOn;
}

int32_t DownloadProgressDialog::Fail(const std::string& name) {
  SetText(DOWNLOADDIALOG_STATUS, ResourceFormat(STR_DOWNLOAD_FAILED, name));
  m_Phase = kPhaseDone;
  return 0;
}

void DownloadProgressDialog::Display() {
  const uint32_t now = xGetTime();
  TakeNotes(now);
  const uint32_t transferred = m_pManager->GetDownloadBytesTransfered();
  if (transferred != m_LastBytes) {
    m_LastBytes = transferred;
    m_LastTransfer = now;
    m_Idle = false;
  }
  if (m_pManager->IsDownloading() && xTimeDiff(m_LastUpdate, now) >= DOWNLOADDIALOG_UPDATE_MS) {
    m_LastUpdate = now;
    ShowTransfer();
  }
  if (!m_Idle && xTimeDiff(m_LastTransfer, now) > DOWNLOADDIALOG_IDLE_MS) {
    SetText(DOWNLOADDIALOG_SPEED, "");
    SetText(DOWNLOADDIALOG_STATUS, "");
    m_Idle = true;
  }
}

void DownloadProgressDialog::TakeNotes(uint32_t now) {
  while (m_pManager->IsDownloadedNote()) {
    uint32_t time = 0, size = 0;
    int32_t hasSize = 0;
    char* local = nullptr;
    char* remote = nullptr;
    if (!m_pManager->GetDownloadedNote(time, hasSize, size, local, remote)) break;
    SetText(DOWNLOADDIALOG_FETCHED, std::string("Downloaded file ") + (remote ? remote : ""));
    m_BytesDone += size;
    m_LastTransfer = now;
    xFree(local);
    xFree(remote);
  }
}

void DownloadProgressDialog::ShowTransfer() {
  // A speed that drops is eased down, so the figure does not jump with every slow read.
  int64_t speed = m_pManager->GetDownloadSpeed();
  if (speed <= m_ShownSpeed) speed = (speed + m_ShownSpeed) / 2;
  m_ShownSpeed = static_cast<int32_t>(speed);
  SetText(DOWNLOADDIALOG_SPEED, SpeedText(m_ShownSpeed));

  const uint32_t transferred = m_pManager->GetDownloadBytesTransfered();
  const char* name = m_pManager->GetDownloadRemoteFileName();
  if (std::string(name).size() < kLongestShownName) {
    std::string line = name;
    if (const uint32_t size = m_pManager->CurrentFileSize()) {
      char sizes[64];
      std::snprintf(sizes, sizeof sizes, "   (%lu/%lu bytes)", static_cast<unsigned long>(transferred),
                    static_cast<unsigned long>(size));
      line += sizes;
    }
    SetText(DOWNLOADDIALOG_FILE, line);
  }
  if (HoldsLetterOrDigit(name)) SetText(DOWNLOADDIALOG_STATUS, ResourceFormat(STR_DOWNLOADING, name));

  if (const uint32_t total = m_pManager->ExpectedTotal()) {
    const uint64_t share = (m_BytesDone + transferred) * DOWNLOADDIALOG_BAR_RANGE / total;
    m_pDialog->SetValue(DOWNLOADDIALOG_BAR, static_cast<int32_t>(std::min<uint64_t>(share, DOWNLOADDIALOG_BAR_RANGE)));
  }
}

void DownloadProgressDialog::SetText(int32_t control, const std::string& text) {
  if (control == DOWNLOADDIALOG_STATUS) m_Status = text;
  xSetControlText(m_pDialog, control, text.c_str());
}

void DownloadProgressDialog::Callback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  auto* self = static_cast<DownloadProgressDialog*>(user);
  if (!self || event != GUIMSG_COMMAND || (controlId != DOWNLOADDIALOG_CANCEL && controlId != XCNTRL_CLOSE)) return;
  if (self->m_pClick) self->m_pClick->Start(0, 0);
  self->m_Cancelled = true;
}
