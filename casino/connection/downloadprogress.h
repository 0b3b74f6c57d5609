// The dialog in which the updater's files are fetched: the files of a request from a list of
// sites, one site after the other until every file has come with the CRC-32 the module list
// gives it. Run blocks, running the frame loop, and shows the site, the file in transfer, the
// speed and the share of the whole on a bar. Controls of dialog 4020: bar 105 (0 to 1000),
// status 104, site 4021, file in transfer 4022, speed 4023, last file fetched 4024; 106 and the
// close box cancel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDialog;
class CLList;
class CMilesSample;
class CClientDownloadManager;

inline constexpr int32_t DOWNLOADDIALOG = 4020;
inline constexpr int32_t DOWNLOADDIALOG_BAR = 105;
inline constexpr int32_t DOWNLOADDIALOG_STATUS = 104;
inline constexpr int32_t DOWNLOADDIALOG_SITE = 4021;
inline constexpr int32_t DOWNLOADDIALOG_FILE = 4022;
inline constexpr int32_t DOWNLOADDIALOG_SPEED = 4023;
inline constexpr int32_t DOWNLOADDIALOG_FETCHED = 4024;
inline constexpr int32_t DOWNLOADDIALOG_CANCEL = 106;
inline constexpr int32_t DOWNLOADDIALOG_BAR_RANGE = 1000;
// Resource strings: the status while a file comes ("Downloading %s") and when none could be had.
inline constexpr int32_t STR_DOWNLOADING = 12033;
inline constexpr int32_t STR_DOWNLOAD_FAILED = 12034;
// The display is rewritten at most this often; a transfer this long without a byte clears it.
inline constexpr uint32_t DOWNLOADDIALOG_UPDATE_MS = 500;
inline constexpr uint32_t DOWNLOADDIALOG_IDLE_MS = 2000;
// The key that ends the wait unanswered, as in the other waits of the client (F11).
inline constexpr uint16_t DOWNLOADDIALOG_ABORT_KEY = 309;

class DownloadProgressDialog {
 public:
  DownloadProgressDialog();
  ~DownloadProgressDialog();
  DownloadProgressDialog(const DownloadProgressDialog&) = delete;
  DownloadProgressDialog& operator=(const DownloadProgressDialog&) = delete;

  // sites: the module list's sites (SFVFtpSite*); files: the files to fetch (SFVersionDownloadItem*),
  // by their packed names, which must be plain relative names; target: the folder that receives
  // them (null or empty: the working folder). 1 when every file arrived intact; 0 when no site
  // gave them, a name was refused, the player cancelled or pressed F11, or the program was asked
  // to quit.
  int32_t Run(CMilesSample* clickSound, CLList* sites, CLList* files, const char* target);
  // The status line as last written (after Run, the reason a download failed).
  const std::string& StatusText() const { return m_Status; }

 private:
  struct SWanted {
    std::string m_Local;
    std::string m_Remote;
    uint32_t m_Crc;
    uint32_t m_Size;
  };
  enum EPhase : int32_t { kPhaseStart = 1, kPhaseFetch = 4, kPhaseCheck = 5, kPhaseDone = 6 };
  static constexpr int32_t kGoingOn = -1;

  static void Callback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  bool TakeRequest(CLList* sites, CLList* files, const char* target);
  // One pass of work: kGoingOn, or the result.
  int32_t Update();
  int32_t StartManager();
  int32_t Fetch();
  int32_t Check();
  // The next site after a failure, or the end with the failure shown for name.
  int32_t NextSiteOrFail(const std::string& name);
  int32_t Fail(const std::string& name);
  void Display();
  void TakeNotes(uint32_t now);
  void ShowTransfer();
  void SetText(int32_t control, const std::string& text);

  CDialog* m_pDialog = nullptr;
  CMilesSample* m_pClick = nullptr;
  std::unique_ptr<CClientDownloadManager> m_pManager;
  CLList* m_pSites = nullptr;
  std::vector<SWanted> m_Files;
  int32_t m_Phase = kPhaseStart;
  bool m_Cancelled = false;
  uint64_t m_BytesDone = 0;
  uint32_t m_LastUpdate = 0;
  uint32_t m_LastTransfer = 0;
  uint32_t m_LastBytes = 0;
  int32_t m_ShownSpeed = 0;
  bool m_Idle = true;
  std::string m_Status;
};
