// The download set and the engine end to end against vsftpd and nginx on 127.0.0.1: packages
// fetched, checked and unpacked, local files kept, resumed or fetched again, the change of site on
// a wrong CRC, three rounds against a site that is always wrong, and work added while a round runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/gamestxtmodule.h"
#include "installfixture.h"
#include "support/ftppeers.h"
#include "support/httppeers.h"

namespace fs = std::filesystem;

namespace {
// The requests nginx served: "status request-line".
std::vector<std::string> Served(const CNginxPeer& nginx) {
  std::vector<std::string> lines;
  for (const std::string& line : nginx.AccessLog()) {
    const size_t status = line.find(' ', line.find(' ') + 1);
    lines.push_back(line.substr(status + 1));
  }
  return lines;
}

struct SSiteKind {
  bool m_Ftp;
  int m_Kind;
};
void PrintTo(const SSiteKind& s, std::ostream* os) { *os << (s.m_Ftp ? "Ftp" : "Http") << (s.m_Kind ? "Bos" : "Zpk"); }

class InstallPeersTest : public InstallTest {
 protected:
  void StartFtp() {
    ASSERT_TRUE(m_Ftp.Start());
    Serve(m_Ftp.Root());
    AddFtpSite(m_Ftp);
  }
  void StartHttp() {
    ASSERT_TRUE(m_Nginx.Start());
    Serve(m_Nginx.Www());
    AddHttpSite(m_Nginx);
  }
  std::string PackageBytes(const std::string& module) const { return ReadWholeFile(ServerFile(Package(module))); }

  CVsftpdPeer m_Ftp;
  CNginxPeer m_Nginx;
};

class InstallFromSite : public InstallPeersTest, public ::testing::WithParamInterface<SSiteKind> {};
}  // namespace

TEST_P(InstallFromSite, PackagesAreFetchedCheckedAndUnpacked) {
  UseServerList(GetParam().m_Kind);
  GetParam().m_Ftp ? StartFtp() : StartHttp();
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  for (const char* game : {"Black Jack", "Roulette"}) {
    const GamestxtCFVModule module = Module(game);
    ASSERT_EQ(installer.AddDownloadModule(&module), 1);
  }
  EXPECT_EQ(RunInstaller(installer), "");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_TRUE(Installed("Roulette"));
  EXPECT_EQ(ReadWholeFile(Local("xrs/common.xrs")), ReleaseFiles().at("xrs/common.xrs")) << "shared files come along";
  // Each package was fetched once, and is gone once unpacked.
  for (const char* game : {"Black Jack", "Roulette"}) {
    EXPECT_FALSE(fs::exists(Local(Package(game)))) << game;
    if (GetParam().m_Ftp)
      EXPECT_EQ(CountOf(m_Ftp.Commands(), "RETR " + Package(game)), 1) << game;
    else
      EXPECT_EQ(CountOf(Served(m_Nginx), "200 \"GET /" + Package(game)), 1) << game;
  }
  EXPECT_EQ(installer.GetTotalBytes(), uint64_t{PackageSize("Black Jack")} + PackageSize("Roulette"));
  EXPECT_EQ(installer.GetState(), BINSTALLER_IDLE);
}

INSTANTIATE_TEST_SUITE_P(Sites, InstallFromSite,
                         ::testing::Values(SSiteKind{true, kBos}, SSiteKind{false, kBos}, SSiteKind{true, kZpk},
                                           SSiteKind{false, kZpk}),
                         [](const auto& info) {
                           return std::string(info.param.m_Ftp ? "Ftp" : "Http") + (info.param.m_Kind ? "Bos" : "Zpk");
                         });

// A local package of the right size and CRC is not fetched and counts as done from the start;
// with CRC -1 it is not fetched either, and not counted.
TEST_F(InstallPeersTest, AGoodLocalPackageIsKept) {
  UseServerList();
  StartFtp();
  fs::create_directories(Local("modules"));
  WriteWholeFile(Local(Package("Black Jack")), PackageBytes("Black Jack"));
  BDownLoadPackedModule set(&m_Handler);
  ASSERT_EQ(set.AddModule("Black Jack"), 1);
  set.Step();
  EXPECT_EQ(set.GetState(), BDOWNLOAD_FINISHED) << "nothing to fetch: done in the first frame";
  EXPECT_EQ(set.GetBytesDone(), PackageSize("Black Jack"));
  EXPECT_EQ(CountOf(m_Ftp.Commands(), "RETR"), 0);
  EXPECT_EQ(CountOf(m_Ftp.Commands(), "USER"), 0) << "nothing to fetch: no site is even asked";

  BDownLoadPackedModule unchecked(&m_Handler);
  SFVersionDownloadItem item;
  item.SetPackedName(Package("Black Jack").c_str());
  item.m_PackedCRC = BDOWNLOAD_UNCHECKED;
  item.m_PackedSize = PackageSize("Black Jack");
  ASSERT_EQ(unchecked.AddItem(&item), 1);
  unchecked.Step();
  EXPECT_EQ(unchecked.GetBytesDone(), 0u);
  ASSERT_TRUE(RunSet(unchecked));
  EXPECT_EQ(unchecked.GetState(), BDOWNLOAD_FINISHED);
  EXPECT_EQ(CountOf(m_Ftp.Commands(), "RETR"), 0);
}

// A shorter file resumes at its length: over FTP from the 4096-byte block it lies in (REST), over
// HTTP with a range (206); a longer one is fetched again from 0.
TEST_F(InstallPeersTest, AShorterFileResumesAndALongerOneStartsAgain) {
  UseServerList();
  StartFtp();
  StartHttp();
  const std::string roulette = PackageBytes("Roulette"), blackjack = PackageBytes("Black Jack");
  ASSERT_GT(roulette.size(), 20000u);
  fs::create_directories(Local("modules"));
  WriteWholeFile(Local(Package("Roulette")), roulette.substr(0, 10000));
  WriteWholeFile(Local(Package("Black Jack")), blackjack + "stale bytes behind the end");
  BDownLoadPackedModule set(&m_Handler);
  ASSERT_EQ(set.AddModule("Roulette"), 1);
  ASSERT_EQ(set.AddModule("Black Jack"), 0) << "added, waiting for the round";
  set.Step();
  EXPECT_EQ(set.GetBytesDone(), 10000u) << "the bytes present count";
  ASSERT_TRUE(RunSet(set));
  ASSERT_EQ(set.GetState(), BDOWNLOAD_FINISHED) << set.GetError();
  EXPECT_EQ(ReadWholeFile(Local(Package("Roulette"))), roulette);
  EXPECT_EQ(ReadWholeFile(Local(Package("Black Jack"))), blackjack);
  const std::vector<std::string> commands = m_Ftp.Commands();
  EXPECT_EQ(CountOf(commands, "REST 8192"), 1);
  EXPECT_EQ(CountOf(commands, "REST"), 1) << "the longer file starts again from 0";
  EXPECT_TRUE(Served(m_Nginx).empty()) << "the first site delivered";

  // The same over HTTP alone.
  fs::remove_all(Local("modules"));
  fs::create_directories(Local("modules"));
  WriteWholeFile(Local(Package("Roulette")), roulette.substr(0, 10000));
  m_Handler.RemoveFtpSites();
  AddHttpSite(m_Nginx);
  BDownLoadPackedModule http(&m_Handler);
  ASSERT_EQ(http.AddModule("Roulette"), 1);
  ASSERT_TRUE(RunSet(http));
  ASSERT_EQ(http.GetState(), BDOWNLOAD_FINISHED) << http.GetError();
  EXPECT_EQ(ReadWholeFile(Local(Package("Roulette"))), roulette);
  EXPECT_EQ(Served(m_Nginx), std::vector<std::string>{"206 \"GET /" + Package("Roulette") + " HTTP/1.1\""});
}

// A local package of the right size with the wrong bytes is deleted and fetched whole.
TEST_F(InstallPeersTest, ALocalPackageWithAWrongCrcIsFetchedWhole) {
  UseServerList();
  StartHttp();
  const std::string roulette = PackageBytes("Roulette");
  fs::create_directories(Local("modules"));
  WriteWholeFile(Local(Package("Roulette")), std::string(roulette.size(), 'w'));
  BDownLoadPackedModule set(&m_Handler);
  ASSERT_EQ(set.AddModule("Roulette"), 1);
  set.Step();
  EXPECT_EQ(set.GetBytesDone(), 0u);
  ASSERT_TRUE(RunSet(set));
  ASSERT_EQ(set.GetState(), BDOWNLOAD_FINISHED) << set.GetError();
  EXPECT_EQ(ReadWholeFile(Local(Package("Roulette"))), roulette);
  EXPECT_EQ(Served(m_Nginx), std::vector<std::string>{"200 \"GET /" + Package("Roulette") + " HTTP/1.1\""});
}

// Site 1 serves a package of the right size with other bytes, also behind a resumed start: the
// set takes site 2, which delivers it whole from offset 0.
TEST_F(InstallPeersTest, AWrongCrcFallsOverToTheNextSiteFromOffsetZero) {
  UseServerList();
  StartFtp();
  StartHttp();
  const std::string roulette = PackageBytes("Roulette");
  std::string spoiled = roulette;
  for (size_t i = 12000; i < spoiled.size(); i += 997) spoiled[i] = static_cast<char>(spoiled[i] ^ 0x5A);
  WriteWholeFile(m_Ftp.Root() + "/" + Package("Roulette"), spoiled);
  fs::create_directories(Local("modules"));
  WriteWholeFile(Local(Package("Roulette")), roulette.substr(0, 9000));
  BDownLoadPackedModule set(&m_Handler);
  ASSERT_EQ(set.AddModule("Roulette"), 1);
  ASSERT_TRUE(RunSet(set));
  ASSERT_EQ(set.GetState(), BDOWNLOAD_FINISHED) << set.GetError();
  EXPECT_EQ(ReadWholeFile(Local(Package("Roulette"))), roulette);
  EXPECT_EQ(CountOf(m_Ftp.Commands(), "REST 8192"), 1) << "site 1 was asked to resume";
  EXPECT_EQ(Served(m_Nginx), std::vector<std::string>{"200 \"GET /" + Package("Roulette") + " HTTP/1.1\""})
      << "site 2 delivered the whole file";
  EXPECT_EQ(set.GetRetryCount(), 0);
}

// A site that is always wrong: three rounds, then "Incorrect checksum when downloading"; nothing
// is unpacked and the installed files stay.
TEST_F(InstallPeersTest, AWrongCrcOnTheLastSiteEndsAfterThreeRounds) {
  UseServerList();
  StartFtp();
  WriteWholeFile(m_Ftp.Root() + "/" + Package("Black Jack"), std::string(PackageSize("Black Jack"), 'x'));
  WriteWholeFile(Local("kavo.so"), "the installed one");
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  const GamestxtCFVModule module = Module("Black Jack");
  ASSERT_EQ(installer.AddDownloadModule(&module), 1);
  EXPECT_EQ(RunInstaller(installer), "Incorrect checksum when downloading");
  EXPECT_EQ(CountOf(m_Ftp.Commands(), "RETR " + Package("Black Jack")), 3);
  EXPECT_EQ(ReadWholeFile(Local("kavo.so")), "the installed one");
  EXPECT_FALSE(fs::exists(Local(Package("Black Jack"))));
  EXPECT_EQ(installer.GetState(), BINSTALLER_SORT);
  EXPECT_EQ(installer.GetDownload().GetItemCount(), 0) << "the set was cancelled";
}

// Work added while a round runs waits and is merged into the next round.
TEST_F(InstallPeersTest, WorkAddedWhileARoundRunsIsMergedIntoTheNext) {
  UseServerList();
  StartHttp();
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  const GamestxtCFVModule blackjack = Module("Black Jack"), roulette = Module("Roulette");
  ASSERT_EQ(installer.AddDownloadModule(&blackjack), 1);
  for (int i = 0; i < 10 && installer.GetState() != BINSTALLER_DOWNLOAD; ++i) installer.Handler();
  ASSERT_EQ(installer.GetState(), BINSTALLER_DOWNLOAD);
  ASSERT_EQ(installer.AddDownloadModule(&roulette), 1);
  EXPECT_EQ(installer.AddDownloadModule(&roulette), 0);
  EXPECT_EQ(RunInstaller(installer), "");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_TRUE(Installed("Roulette"));
  EXPECT_EQ(Served(m_Nginx), (std::vector<std::string>{"200 \"GET /" + Package("Black Jack") + " HTTP/1.1\"",
                                                        "200 \"GET /" + Package("Roulette") + " HTTP/1.1\""}));
}

// A file that is not checked and of unknown size (the parameter file) is fetched whole even when
// a copy is there; one of known size must have that size when the round ends.
TEST_F(InstallPeersTest, UncheckedFilesAreFetchedWholeAndMustHaveTheirSize) {
  UseServerList();
  StartHttp();
  WriteWholeFile(m_Nginx.Www() + "/install.par", "fresh parameters");
  WriteWholeFile(Local("install.par"), "stale parameters, and longer than the fresh ones");
  SFVersionDownloadItem parameters;
  parameters.SetPackedName("install.par");
  parameters.m_PackedCRC = BDOWNLOAD_UNCHECKED;
  parameters.m_PackedSize = 0xFFFFFFFFu;
  BDownLoadPackedModule set(&m_Handler);
  ASSERT_EQ(set.AddItem(&parameters), 1);
  ASSERT_TRUE(RunSet(set));
  ASSERT_EQ(set.GetState(), BDOWNLOAD_FINISHED) << set.GetError();
  EXPECT_EQ(ReadWholeFile(Local("install.par")), "fresh parameters");
  EXPECT_EQ(Served(m_Nginx), std::vector<std::string>{"200 \"GET /install.par HTTP/1.1\""});

  // Not checked, but its size is known: a server's longer file fails every round.
  WriteWholeFile(m_Nginx.Www() + "/sized.par", "twenty-two bytes long!");
  SFVersionDownloadItem sized;
  sized.SetPackedName("sized.par");
  sized.m_PackedCRC = BDOWNLOAD_UNCHECKED;
  sized.m_PackedSize = 10;
  BDownLoadPackedModule second(&m_Handler);
  ASSERT_EQ(second.AddItem(&sized), 1);
  ASSERT_TRUE(RunSet(second));
  EXPECT_EQ(second.GetState(), BDOWNLOAD_IDLE);
  EXPECT_EQ(second.GetError(), BDOWNLOAD_ERR_TRANSFER);
  EXPECT_EQ(second.GetRetryCount(), BDOWNLOAD_ROUNDS);
  EXPECT_FALSE(fs::exists(Local("sized.par")));
}

// A package that is gone when unpacking begins ends the round with a message, not in silence.
TEST_F(InstallPeersTest, APackageMissingAfterTheDownloadIsReported) {
  UseServerList();
  fs::create_directories(Local("modules"));
  fs::copy_file(ServerFile(Package("Black Jack")), Local(Package("Black Jack")));
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  const GamestxtCFVModule module = Module("Black Jack");
  ASSERT_EQ(installer.AddDownloadModule(&module), 1);
  for (int i = 0; i < 10 && installer.GetState() != BINSTALLER_UNPACK; ++i) installer.Handler();
  ASSERT_EQ(installer.GetState(), BINSTALLER_UNPACK);
  fs::remove(Local(Package("Black Jack")));
  EXPECT_EQ(RunInstaller(installer), "Could not unpack " + Package("Black Jack"));
}

// A folder of the install folder that leads out of it is neither copied nor downloaded into.
TEST_F(InstallPeersTest, NoCopyOrDownloadThroughALinkOut) {
  UseServerList();
  StartHttp();
  CTempDir outside, cd;
  fs::create_directory_symlink(outside.Path(), Local("modules"));
  WriteWholeFile(cd.File("setup.exe"), "setup");
  fs::create_directories(cd.File("modules"));
  fs::copy_file(ServerFile(Package("Black Jack")), cd.File(Package("Black Jack")));
  WriteWholeFile(Local("INSTALL.LOG"), "Source: " + cd.File("setup.exe") + "\n");
  BInstaller installer(&m_Handler, 0);
  const GamestxtCFVModule module = Module("Black Jack");
  ASSERT_EQ(installer.AddDownloadModule(&module), 1);
  EXPECT_EQ(RunInstaller(installer), "Could not open local file " + Package("Black Jack"));
  EXPECT_TRUE(fs::is_empty(outside.Path()));
  EXPECT_TRUE(Served(m_Nginx).empty());
  fs::remove(Local("modules"));
}
