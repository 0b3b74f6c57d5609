// Sites, files and server lists as the manager reads them, and a manager that has no usable site.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "managerfixture.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/base/types.h"

using namespace DownloadManager;

namespace {

const char* Text(const char* p) { return p ? p : "(none)"; }

struct SUrlCase {
  const char* m_pInput;
  int32_t m_Result;
  const char* m_pUrl;
  const char* m_pLogin;
  const char* m_pPassword;
  uint16_t m_Port;
  const char* m_pConnectHost;
};

TEST(SiteTest, ParseUrl) {
  const SUrlCase cases[] = {
      {"ftp://u:p@h:2121", DOWNLOAD_OK, "ftp://h", "u", "p", 2121, "h"},
      {"h", DOWNLOAD_OK, "h", nullptr, nullptr, 0, "h"},
      {"HTTP://files.example.com", DOWNLOAD_OK, "HTTP://files.example.com", nullptr, nullptr, 0, "files.example.com"},
      {"http://host/path/list", DOWNLOAD_OK, "http://host/path/list", nullptr, nullptr, 0, "host"},
      // A path after a port is kept as it is without one.
      {"httplist://127.0.0.1:8080/lists/serverlist.lst", DOWNLOAD_OK, "httplist://127.0.0.1/lists/serverlist.lst",
       nullptr, nullptr, 8080, "127.0.0.1"},
      {"ftp://:@h", DOWNLOAD_OK, "ftp://h", "", "", 0, "h"},
      {"ftp://h:65535", DOWNLOAD_OK, "ftp://h", nullptr, nullptr, 65535, "h"},
      {"ftp://u@h:21", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"ftp://", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"ftp://u:p@", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"ftp://h:x", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"ftp://h:65536", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"ftp://u:p@h@x", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"ftp://:21", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
      {"", DOWNLOAD_ERR_PARAMETERS, nullptr, nullptr, nullptr, 0, ""},
  };
  for (const SUrlCase& c : cases) {
    SCOPED_TRACE(c.m_pInput);
    SSite site;
    EXPECT_EQ(site.ParseURL(c.m_pInput), c.m_Result);
    EXPECT_STREQ(Text(site.m_pUrl), Text(c.m_pUrl));
    EXPECT_STREQ(Text(site.m_pLoginName), Text(c.m_pLogin));
    EXPECT_STREQ(Text(site.m_pPassword), Text(c.m_pPassword));
    EXPECT_EQ(site.m_Port, c.m_Port);
    EXPECT_EQ(site.ConnectHost(), c.m_pConnectHost);
  }
  SSite site;
  EXPECT_EQ(site.ParseURL(nullptr), DOWNLOAD_ERR_PARAMETERS);
}

TEST(SiteTest, CopiesOwnTheirTexts) {
  auto site = std::make_unique<SSite>();
  ASSERT_EQ(site->ParseURL("ftp://u:p@h:21"), DOWNLOAD_OK);
  site->m_pDirectory = xStrdup("pub/");
  site->m_ConnectTimeout = 5;
  const SSite copy(*site);
  site.reset();
  EXPECT_STREQ(copy.m_pUrl, "ftp://h");
  EXPECT_STREQ(copy.m_pLoginName, "u");
  EXPECT_STREQ(copy.m_pDirectory, "pub/");
  EXPECT_EQ(copy.m_Port, 21);
  EXPECT_EQ(copy.m_ConnectTimeout, 5);
  EXPECT_EQ(copy.m_DataTimeout, -1);

  SFile file("a.bin", "pub/a.bin", 4096, 9000);
  file.m_HasSize = 1;
  file.m_FileSize = 9000;
  const SFile fileCopy(file);
  EXPECT_STREQ(fileCopy.m_pLocalFileName, "a.bin");
  EXPECT_NE(fileCopy.m_pLocalFileName, file.m_pLocalFileName);
  EXPECT_EQ(fileCopy.m_StartPosition, 4096u);
  EXPECT_EQ(fileCopy.m_DownloadSize, 9000u);
  EXPECT_EQ(fileCopy.m_HasSize, 0);
  EXPECT_EQ(fileCopy.m_FileSize, 0u);
}

std::vector<std::string> ListSites(const std::string& text, int32_t* skipped = nullptr) {
  SSite list;
  list.m_pDirectory = xStrdup("games/");
  std::vector<std::unique_ptr<SSite>> sites;
  const int32_t bad = ParseServerList(text.data(), text.size(), list, sites);
  if (skipped) *skipped = bad;
  std::vector<std::string> names;
  for (const auto& site : sites) {
    EXPECT_STREQ(site->m_pDirectory, "games/");
    EXPECT_EQ(site->m_ConnectTimeout, -1);
    names.push_back(SiteName(site->m_pUrl, site->m_Port) + (site->m_pLoginName ? " " + std::string(site->m_pLoginName) : ""));
  }
  return names;
}

TEST(ServerListTest, Lines) {
  int32_t skipped = -1;
  EXPECT_EQ(ListSites("ftp://h1\n\nhttp://h2\n", &skipped), (std::vector<std::string>{"ftp://h1:0", "http://h2:0"}));
  EXPECT_EQ(skipped, 0);
  // Windows line ends, a last line without one, and what follows a lone carriage return.
  EXPECT_EQ(ListSites("ftp://u:p@h1:2121\r\nhttp://h2:81\rjunk\nh3"),
            (std::vector<std::string>{"ftp://h1:2121 u", "http://h2:81", "h3:0"}));
  EXPECT_EQ(ListSites("\r\n\n\r\n", &skipped), std::vector<std::string>{});
  EXPECT_EQ(skipped, 0);
  // Lines that are no site are skipped, each on its own; the rest stays in order.
  EXPECT_EQ(ListSites("ftp://\nftp://a@b:1\nftp://h1\nftp://h:99999\n" + std::string(300, 'x') + "\nhttp://h2",
                      &skipped),
            (std::vector<std::string>{"ftp://h1:0", "http://h2:0"}));
  EXPECT_EQ(skipped, 4);
  // A line of 255 characters is still read whole.
  const std::string longest = "ftp://" + std::string(249, 'h');
  EXPECT_EQ(ListSites(longest + "\n"), std::vector<std::string>{longest + ":0"});
  // A zero byte ends the url of its line.
  EXPECT_EQ(ListSites(std::string("ftp://h1\0rest\nftp://h2", 22)), (std::vector<std::string>{"ftp://h1:0", "ftp://h2:0"}));
}

TEST(ServerListTest, TakesABoundedNumberOfSites) {
  std::string text;
  for (size_t i = 0; i < SERVERLIST_MAX_SITES + 10; ++i) text += "ftp://h" + std::to_string(i) + "\n";
  EXPECT_EQ(ListSites(text).size(), SERVERLIST_MAX_SITES);
}

// ---- a manager without a usable site ----

TEST_F(DownloadManagerTest, NoSiteIsDoneAtOnce) {
  m_pManager->AddFile(Local("a.bin").c_str(), "a.bin", 0, 0);
  m_pManager->AddFile(nullptr, "b.bin", 0, 0);
  m_pManager->AddFile("b.bin", nullptr, 0, 0);
  EXPECT_EQ(m_pManager->GetFileCount(), 1);
  EXPECT_EQ(m_pManager->GotoNextSite(), 0);
  for (int32_t state : {DM_INITSITES, DM_BUILDSITES, DM_CONNECT, DM_DONE}) {
    EXPECT_EQ(m_pManager->Update(), 1);
    EXPECT_EQ(m_pManager->GetState(), state);
  }
  EXPECT_EQ(m_pManager->IsDone(), 1);
  EXPECT_EQ(m_pManager->IsDownloadedNote(), 0);
  EXPECT_EQ(m_pManager->GotoNextSite(), 0);
  EXPECT_EQ(m_pManager->GetFileCount(), 1);
  m_pManager.reset();
  const std::string log = Log();
  const size_t missing = log.find("Files not downloaded:");
  ASSERT_NE(missing, std::string::npos);
  EXPECT_NE(log.find("SFile: " + Local("a.bin") + "  <-  a.bin, 0:0", missing), std::string::npos);
  EXPECT_NE(log.find("CDownloadManager deleted"), std::string::npos);
}

TEST_F(DownloadManagerTest, GettersWithoutClientGiveEmptyTexts) {
  DownloadManager::CDownloadManager& m = *m_pManager;
  ASSERT_NE(m.GetDownloadLocalFileName(), nullptr);
  EXPECT_STREQ(m.GetDownloadLocalFileName(), "");
  ASSERT_NE(m.GetDownloadRemoteFileName(), nullptr);
  EXPECT_STREQ(m.GetDownloadRemoteFileName(), "");
  ASSERT_NE(m.GetCurrentSite(), nullptr);
  EXPECT_STREQ(m.GetCurrentSite(), "");
  EXPECT_EQ(m.IsDownloading(), 0);
  EXPECT_EQ(m.GetDownloadHasFileSize(), 0);
  EXPECT_EQ(m.GetDownloadFileSize(), 0u);
  EXPECT_EQ(m.GetDownloadBytesTransfered(), 0u);
  EXPECT_EQ(m.GetDownloadSpeed(), 0);
  uint32_t time = 1, size = 1;
  int32_t hasSize = 1;
  char* local = nullptr;
  char* remote = nullptr;
  EXPECT_EQ(m.GetDownloadedNote(time, hasSize, size, local, remote), 0);
  EXPECT_EQ(local, nullptr);
}

TEST_F(DownloadManagerTest, UnparsableSitesAreSkippedWithOneErrorEach) {
  m_pManager->AddSite("ftp://", "", -1, -1);
  m_pManager->AddSite("ftp://u@h:21", "u", "p", "", -1, -1);
  m_pManager->AddSite("gopher://h:70", "", -1, -1);
  m_pManager->AddFile("a.bin", "a.bin", 0, 0);
  EXPECT_EQ(m_pManager->GetSiteList(), (std::vector<std::string>{":0", ":0", "gopher://h:70"}));
  const SManagerRun run = Run();
  EXPECT_TRUE(run.m_Done);
  EXPECT_EQ(run.m_Failed, 3);
  EXPECT_EQ(LogCount("[ftp://] --- Site skipped"), 1);
  EXPECT_EQ(LogCount("[ftp://u@h:21] --- Site skipped"), 1);
  EXPECT_EQ(LogCount("[gopher://h] --- Out of memory"), 1);
  EXPECT_EQ(m_pManager->GetFileCount(), 1);
}

TEST_F(DownloadManagerTest, NotesAreTakenAndRemoved) {
  // Without any site: a file that is removed before it came ends the manager's work.
  m_pManager->AddFile("a.bin", "a.bin", 0, 0);
  m_pManager->AddFile("b.bin", "b.bin", 0, 0);
  m_pManager->RemoveFinishedFile("c.bin");
  m_pManager->RemoveFinishedFile(nullptr);
  EXPECT_EQ(m_pManager->GetState(), DM_NEW);
  m_pManager->RemoveFinishedFile("a.bin");
  EXPECT_EQ(m_pManager->GetState(), DM_NEW);
  m_pManager->RemoveFinishedFile("b.bin");
  EXPECT_EQ(m_pManager->IsDone(), 1);
}

}  // namespace
