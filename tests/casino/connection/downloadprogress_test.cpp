// The download dialog against real servers on 127.0.0.1 (nginx, the HTTP fault server, vsftpd).
// The servers answer in real time, so these tests run on the real clock; the CRCs the module list
// would give come from Python's zlib.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "casino/connection/downloadprogress.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvmodule.h"
#include "ostrel/base/xstring.h"
#include "ostrel/containers/llist.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/system/clock.h"
#include "platform/display/headless.h"
#include "support/casinotest.h"
#include "support/controlreaders.h"
#include "support/ftppeers.h"
#include "support/httppeers.h"
#include "support/pyoracle.h"
#include "support/screenshot.h"

namespace {

constexpr const char* kModule = "kavo.dll.zpk";
constexpr const char* kScript = "kavo_main.xrs.zpk";
constexpr int32_t kRealPasses = 1500;  // half a minute at 20 ms

std::string Loopback(const char* scheme, uint16_t port) { return scheme + std::string("127.0.0.1:") + std::to_string(port); }

// The module list's side of a download: its sites and the files of one request.
class CRequest {
 public:
  ~CRequest() {
    m_SiteList.KillAll();
    m_FileList.KillAll();
  }
  CRequest& Site(const std::string& url, const char* folder, const char* login = nullptr,
                 const char* password = nullptr) {
    auto site = std::make_unique<SFVFtpSite>();
    site->m_pSiteName = xStrdup(url.c_str());
    site->m_pSubDir = xStrdup(folder);
    if (login) site->m_pLoginName = xStrdup(login);
    if (password) site->m_pPassword = xStrdup(password);
    m_SiteList.InsertLast(site.get());
    m_Sites.push_back(std::move(site));
    return *this;
  }
  // A file with the size of the content it should have; its CRC comes with Prepare.
  CRequest& File(const char* name, const std::string& content) {
    auto item = std::make_unique<SFVersionDownloadItem>();
    item->SetPackedName(name);
    item->m_PackedSize = static_cast<uint32_t>(content.size());
    m_FileList.InsertLast(item.get());
    m_Files.push_back(std::move(item));
    m_Contents.push_back(content);
    return *this;
  }
  // The CRCs the module list gives, from Python's zlib: one run of the oracle for the contents
  // this test program has not met yet.
  void Prepare() {
    static std::map<std::string, uint32_t> known;
    CTempDir dir;
    std::vector<std::string> paths;
    for (const std::string& content : m_Contents) {
      if (known.count(content)) continue;
      paths.push_back(dir.File(std::to_string(paths.size())));
      WriteWholeFile(paths.back(), content);
    }
    if (!paths.empty()) {
      std::map<std::string, uint32_t> crcs = PythonFileCrcs(paths);
      for (const std::string& path : paths) known[ReadWholeFile(path)] = crcs[path];
    }
    for (size_t i = 0; i < m_Files.size(); ++i) m_Files[i]->m_PackedCRC = known[m_Contents[i]];
  }
  CLList* Sites() { return &m_SiteList; }
  CLList* Files() { return &m_FileList; }

 private:
  std::vector<std::unique_ptr<SFVFtpSite>> m_Sites;
  std::vector<std::unique_ptr<SFVersionDownloadItem>> m_Files;
  std::vector<std::string> m_Contents;
  CLList m_SiteList, m_FileList;
};

class Downloads : public CCasinoTest {
 protected:
  bool UsesRealClock() const override { return true; }
  void SetUp() override {
    CCasinoTest::SetUp();
    ASSERT_EQ(StartClient(), 1);
  }
  int32_t Run(CRequest& request, const char* target = nullptr) {
    Autopilot(kRealPasses);
    request.Prepare();
    return m_Dialog.Run(Click(), request.Sites(), request.Files(), target);
  }
  std::string Fetched(const char* name) const { return ReadWholeFile(m_Folder.File(name)); }
  void SetString(const std::string& from, const std::string& to) {
    EditMainScript(from, to);
    ASSERT_EQ(RestartClient(), 1);
  }

  const std::string m_Good = TestContent(300 * 1024, 1);
  const std::string m_Small = TestContent(20 * 1024, 2);
  DownloadProgressDialog m_Dialog;
};

TEST_F(Downloads, FilesArriveWithTheirCrcFromAnHttpSite) {
  CNginxPeer nginx;
  ASSERT_TRUE(nginx.Start());
  WriteWholeFile(nginx.Www() + "/" + kModule, m_Good);
  WriteWholeFile(nginx.Www() + "/" + kScript, m_Small);
  CRequest request;
  request.Site(Loopback("http://", nginx.Port()), "/").File(kModule, m_Good).File(kScript, m_Small);
  EXPECT_EQ(Run(request), 1);
  EXPECT_EQ(Fetched(kModule), m_Good);
  EXPECT_EQ(Fetched(kScript), m_Small);
  EXPECT_FALSE(IsSectionShown(DOWNLOADDIALOG));
}

TEST_F(Downloads, FilesArriveFromAnFtpSiteIntoTheTargetFolder) {
  CVsftpdPeer ftp;
  ASSERT_TRUE(ftp.Start());
  WriteWholeFile(ftp.Root() + "/" + kModule, m_Good);
  CRequest request;
  request.Site(Loopback("ftp://", ftp.Port()), "", "anonymous", "guest").File(kModule, m_Good);
  EXPECT_EQ(Run(request, "modules"), 1);
  EXPECT_EQ(Fetched((std::string("modules/") + kModule).c_str()), m_Good);
}

// Site 1 hands over something else than the list says; site 2 has the file.
TEST_F(Downloads, AFileThatFailsItsCrcIsFetchedFromTheNextSite) {
  CNginxPeer good;
  ASSERT_TRUE(good.Start());
  WriteWholeFile(good.Www() + "/" + kModule, m_Good);
  CFaultServer faulty;
  ASSERT_TRUE(faulty.Start());
  struct SRow {
    const char* m_What;
    const char* m_Folder;  // the fault server's mode
    std::string m_Content;
  };
  const SRow rows[] = {
      {"another file", "/plain/", TestContent(300 * 1024, 9)},
      {"a short one", "/closemid/", m_Good},
      {"more bytes than the list says", "/plain/", m_Good + "trailing bytes"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.m_What);
    WriteWholeFile(faulty.Files() + "/" + kModule, row.m_Content);
    m_Folder.Remove(kModule);
    CRequest request;
    request.Site(Loopback("http://", faulty.Port()), row.m_Folder)
        .Site(Loopback("http://", good.Port()), "/")
        .File(kModule, m_Good);
    EXPECT_EQ(Run(request), 1);
    EXPECT_EQ(Fetched(kModule), m_Good);
    ASSERT_FALSE(faulty.Requests().empty());
    EXPECT_NE(faulty.Requests().back().find(std::string(row.m_Folder) + kModule), std::string::npos);
  }
}

TEST_F(Downloads, WhenNoSiteHasTheFileTheDownloadFailsNamingIt) {
  CFaultServer faulty;
  ASSERT_TRUE(faulty.Start());
  WriteWholeFile(faulty.Files() + "/" + kModule, TestContent(1000, 9));
  CRequest request;
  request.Site(Loopback("http://", FreeLoopbackPort()), "/")
      .Site(Loopback("http://", faulty.Port()), "/plain/")
      .File(kModule, m_Good);
  EXPECT_EQ(Run(request), 0);
  EXPECT_EQ(m_Dialog.StatusText(), "Download of kavo.dll.zpk failed");
}

TEST_F(Downloads, WithoutASiteTheDownloadFailsAtOnce) {
  CRequest request;
  request.File(kModule, m_Good);
  EXPECT_EQ(Run(request), 0);
  EXPECT_EQ(m_Dialog.StatusText(), "Download of kavo.dll.zpk failed");
  EXPECT_EQ(Autopilot().Passes(), 0);
}

TEST_F(Downloads, ForeignConversionsInTheStringsGiveThePlainName) {
  SetString("\"Download of %s failed\"", "\"Failed: %s%s %n %x\"");
  CRequest request;
  request.File(kModule, m_Good);
  EXPECT_EQ(Run(request), 0);
  EXPECT_EQ(m_Dialog.StatusText(), kModule);
}

TEST_F(Downloads, NamesThatLeaveTheFolderWriteNothing) {
  CFaultServer server;
  ASSERT_TRUE(server.Start());
  WriteWholeFile(server.Files() + "/x", "x");
  for (const char* name : {"../x", "/x", "a/../../x", "C:\\x", ""}) {
    SCOPED_TRACE(name);
    CRequest request;
    request.Site(Loopback("http://", server.Port()), "/plain/").File(kScript, m_Small).File(name, "x");
    EXPECT_EQ(m_Dialog.Run(Click(), request.Sites(), request.Files(), "incoming"), 0);
    EXPECT_FALSE(std::filesystem::exists(m_Folder.File("x")));
    EXPECT_FALSE(std::filesystem::exists(m_Folder.File("incoming")));
  }
  EXPECT_TRUE(server.Requests().empty());
}

// A transfer of two and a half seconds at a steady pace: the status names the file, and the sizes
// (which grow between any two rewrites) and the speed are rewritten at most every 500 ms; the bar
// grows.
TEST_F(Downloads, WhileAFileComesTheDialogShowsItsNameSpeedAndShare) {
  CFaultServer paced;
  ASSERT_TRUE(paced.Start());
  const std::string content = TestContent(400 * 1024, 3);
  WriteWholeFile(paced.Files() + "/" + kModule, content);
  std::vector<std::string> statuses, speeds, files;
  std::vector<uint32_t> rewrites;
  std::vector<int32_t> bars;
  Autopilot(kRealPasses).EachPass([&](int32_t) {
    const std::string speed = ControlText(DOWNLOADDIALOG, DOWNLOADDIALOG_SPEED);
    const std::string file = ControlText(DOWNLOADDIALOG, DOWNLOADDIALOG_FILE);
    if (file.find("bytes") != std::string::npos && (files.empty() || files.back() != file)) {
      speeds.push_back(speed);
      files.push_back(file);
      rewrites.push_back(xGetTime());
      statuses.push_back(ControlText(DOWNLOADDIALOG, DOWNLOADDIALOG_STATUS));
      if (files.size() == 3) EXPECT_TRUE(SaveShot("downloaddialog.png"));
    }
    bars.push_back(BarValue(DOWNLOADDIALOG, DOWNLOADDIALOG_BAR));
  });
  CRequest request;
  request.Site(Loopback("http://", paced.Port()), "/paced/").File(kModule, content);
  EXPECT_EQ(Run(request), 1);
  ASSERT_GE(rewrites.size(), 4u);
  for (size_t i = 0; i < rewrites.size(); ++i) {
    SCOPED_TRACE(files[i] + " " + speeds[i]);
    EXPECT_TRUE(std::regex_match(files[i], std::regex("/paced/kavo\\.dll\\.zpk   \\([0-9]+/409600 bytes\\)")));
    EXPECT_EQ(statuses[i], "Downloading /paced/kavo.dll.zpk");
    EXPECT_TRUE(std::regex_match(speeds[i], std::regex("[0-9]+\\.[0-9]{2} Kb/s")));
    if (i > 0) EXPECT_GE(rewrites[i] - rewrites[i - 1], DOWNLOADDIALOG_UPDATE_MS);
  }
  for (size_t i = 1; i < bars.size(); ++i)
    if (bars[i] >= 0 && bars[i - 1] >= 0) EXPECT_GE(bars[i], bars[i - 1]);
  EXPECT_GT(*std::max_element(bars.begin(), bars.end()), 500);
  EXPECT_EQ(Fetched(kModule), content);
}

// A site that sends ten bytes and then nothing: two seconds later the speed and the status go;
// then the player cancels.
TEST_F(Downloads, AStalledTransferClearsSpeedAndStatusAndCancelEndsIt) {
  SetString("\"Downloading %s\"", "\"%x loading\"");
  CFaultServer drip;
  ASSERT_TRUE(drip.Start());
  WriteWholeFile(drip.Files() + "/" + kModule, m_Good);
  uint32_t shown = 0, cleared = 0;
  std::string status;
  Autopilot(kRealPasses)
      .EachPass([&](int32_t) {
        const std::string now = ControlText(DOWNLOADDIALOG, DOWNLOADDIALOG_STATUS);
        if (!shown && !now.empty()) {
          shown = xGetTime();
          status = now;
        }
        if (shown && !cleared && now.empty() && ControlText(DOWNLOADDIALOG, DOWNLOADDIALOG_SPEED).empty())
          cleared = xGetTime();
      })
      .When([&] { return cleared != 0; }, [] {}, "the status cleared")
      .Press(DOWNLOADDIALOG, DOWNLOADDIALOG_CANCEL);
  CRequest request;
  request.Site(Loopback("http://", drip.Port()), "/drip/").File(kModule, m_Good);
  EXPECT_EQ(Run(request), 0);
  EXPECT_EQ(status, "/drip/kavo.dll.zpk");  // the foreign format gave way to the name
  // The ten bytes may have come up to one display interval before they were shown.
  ASSERT_NE(cleared, 0u);
  EXPECT_GE(cleared - shown, DOWNLOADDIALOG_IDLE_MS - DOWNLOADDIALOG_UPDATE_MS);
  EXPECT_LE(cleared - shown, DOWNLOADDIALOG_IDLE_MS + 200);
  EXPECT_EQ(m_Sound.Starts(), 1);
}

TEST_F(Downloads, KeyF11HeldEndsTheWait) {
  CFaultServer drip;
  ASSERT_TRUE(drip.Start());
  WriteWholeFile(drip.Files() + "/" + kModule, m_Good);
  Autopilot(kRealPasses).EachPass([](int32_t pass) {
    if (pass == 10) Display().QueueKey(XVK_F1 + 10, true);
  });
  CRequest request;
  request.Site(Loopback("http://", drip.Port()), "/drip/").File(kModule, m_Good);
  EXPECT_EQ(Run(request), 0);
  EXPECT_GE(Autopilot().Passes(), 10);
  EXPECT_LT(Autopilot().Passes(), 20);
  EXPECT_EQ(m_Sound.Starts(), 0);
}

}  // namespace
