// Hostile packages, servers and log switches: every bad package ends with "Could not unpack" and
// writes nothing, installed files stay whole, nothing outside the install folder is touched; a
// server that sends more, fewer or other bytes ends with a clear message; the logs hold no
// password; a process killed while it extracts leaves each file old or new.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvmodule.h"
#include "common/updater/gamestxtmodule.h"
#include "install/engine/bexception.h"
#include "installfixture.h"
#include "ostrel/files/archive.h"
#include "ostrel/files/crc.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/download/downloadclient.h"
#include "ostrelcomm/download/ftplog.h"
#include "support/ftppeers.h"
#include "support/httppeers.h"

namespace fs = std::filesystem;

namespace {
std::string LE32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string Entry(uint32_t packed, uint32_t unpacked, const std::string& name, const std::string& data) {
  const auto n = static_cast<uint16_t>(name.size());
  return LE32(packed) + LE32(unpacked) + std::string{char(n), char(n >> 8)} + name + data;
}

std::string Stored(const std::string& name, const std::string& data) {
  return Entry(ARCHIVE_STORED, static_cast<uint32_t>(data.size()), name, data);
}

uint32_t Crc(const std::string& bytes) {
  uint32_t crc = 0;
  xCalcCRC(bytes.data(), static_cast<uint32_t>(bytes.size()), &crc, XCRC_POLY);
  return crc;
}

class InstallHostileTest : public InstallTest {
 protected:
  // A module whose package lies in the install folder already, with the CRC and size the list
  // gives for it: no site is asked, the engine goes straight to unpacking.
  std::string InstallPackage(const std::string& package, const std::string& bytes) {
    fs::create_directories(Local("modules"));
    WriteWholeFile(Local(package), bytes);
    m_Handler.KillAll();
    m_Handler.AddModule("Evil", "evil", "game", package.c_str(), static_cast<int32_t>(bytes.size()), Crc(bytes),
                        FVMODULE_NORMAL, 0);
    BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
    GamestxtCFVModule module;
    module.SetModName("Evil");
    module.SetModPackedFileName(package.c_str());
    EXPECT_EQ(installer.AddDownloadModule(&module), 1);
    return RunInstaller(installer);
  }
};
}  // namespace

TEST_F(InstallHostileTest, BadPackagesWriteNothing) {
  CTempDir outside;
  fs::create_directory_symlink(outside.Path(), Local("out"));
  const std::string absolute = "/tmp/vorrin-evil-" + std::to_string(getpid());
  const std::string good = Stored("kavo.so", "the new kavo.so") + Stored("pictures/new.bmp", "BMnew");
  const struct {
    const char* m_pLabel;
    std::string m_Bytes;
  } cases[] = {
      {"parent", good + Stored("../x", "evil")},
      {"absolute", good + Stored(absolute, "evil")},
      {"deep parent", good + Stored("a/../../b", "evil")},
      {"drive", good + Stored("C:\\x", "evil")},
      {"zero byte in a name", good + Stored(std::string("ok\0../../x", 10), "evil")},
      {"empty name", good + Stored("", "evil")},
      {"size of 2^31", good + Entry(ARCHIVE_STORED, 0x80000000u, "big", "evil")},
      {"packed size of 2^31", good + Entry(0x80000000u, 16, "big", "evil")},
      {"cut entry", good + Stored("cut.txt", std::string(5000, 'c')).substr(0, 3000)},
      {"cut head", good + std::string("\x05\x00\x00\x00", 4)},
      {"through a link out", good + Stored("out/x", "evil")},
      {"bad entry first", Stored("../x", "evil") + good},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pLabel);
    WriteWholeFile(Local("kavo.so"), "the installed kavo.so");
    EXPECT_EQ(InstallPackage("modules/Evil.bos", c.m_Bytes), "Could not unpack modules/Evil.bos");
    EXPECT_EQ(ReadWholeFile(Local("kavo.so")), "the installed kavo.so");
    EXPECT_FALSE(fs::exists(Local("pictures/new.bmp")));
    EXPECT_TRUE(fs::is_empty(outside.Path()));
    EXPECT_FALSE(fs::exists(absolute));
    EXPECT_FALSE(fs::exists(m_Dir.File("x")));
  }
  // Data that do not expand come out only as their entry is unpacked: what came before is
  // replaced whole, nothing is cut.
  WriteWholeFile(Local("kavo.so"), "the installed kavo.so");
  EXPECT_EQ(InstallPackage("modules/Evil.bos", good + Entry(40, 5000, "damaged", std::string(40, 'd'))),
            "Could not unpack modules/Evil.bos");
  EXPECT_EQ(ReadWholeFile(Local("kavo.so")), "the new kavo.so");
  EXPECT_FALSE(fs::exists(Local("damaged")));
  // The same package whole installs.
  EXPECT_EQ(InstallPackage("modules/Evil.bos", good), "");
  EXPECT_EQ(ReadWholeFile(Local("pictures/new.bmp")), "BMnew");
  fs::remove(Local("out"));
}

// Items whose installed name would leave the folder, straight or through a link: the packed file
// arrives and is checked, then the unpacking refuses it and writes nothing.
TEST_F(InstallHostileTest, ItemsNamedOutOfTheFolderAreNotUnpacked) {
  UseServerList();
  CTempDir outside;
  fs::create_directory_symlink(outside.Path(), Local("out"));
  const std::string packed = ReadWholeFile(ServerFile("kavo.so.bos"));
  for (const char* normal : {"../escape.so", "out/escape.so", "/tmp/escape.so", "a/../../escape.so"}) {
    SCOPED_TRACE(normal);
    WriteWholeFile(Local("kavo.so.bos"), packed);
    SFVersionDownloadItem item;
    item.SetPackedName("kavo.so.bos");
    item.SetNormName(normal);
    item.m_PackedCRC = Crc(packed);
    item.m_PackedSize = static_cast<uint32_t>(packed.size());
    BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
    ASSERT_EQ(installer.AddDownloadItem(&item), 1);
    EXPECT_EQ(RunInstaller(installer), "Could not unpack kavo.so.bos");
    EXPECT_TRUE(fs::is_empty(outside.Path()));
    EXPECT_FALSE(fs::exists(m_Dir.File("escape.so")));
    EXPECT_FALSE(fs::exists("/tmp/escape.so"));
  }
  fs::remove(Local("out"));
}

// Servers that send more bytes than the package has, fewer (the data connection closed halfway),
// or another file: the set ends with a clear message after its rounds, nothing is unpacked.
TEST_F(InstallHostileTest, ServersThatSendTheWrongBytes) {
  UseServerList();
  const std::string package = ReadWholeFile(ServerFile(Package("Roulette")));
  CPyFtpPeer ftp;
  ASSERT_TRUE(ftp.Start());
  fs::create_directories(ftp.Root() + "/modules");
  WriteWholeFile(ftp.Root() + "/modules/drop-data-9-roulette.bos", package);
  WriteWholeFile(ftp.Root() + "/modules/longer.bos", package + "more");
  WriteWholeFile(ftp.Root() + "/modules/other.bos", ReadWholeFile(ServerFile(Package("Black Jack"))));
  m_Handler.AddFtpSite(("ftp://127.0.0.1:" + std::to_string(ftp.Port())).c_str(), "anonymous", "guest", "", -1, -1);
  const struct {
    const char* m_pName;
    const char* m_pText;
  } cases[] = {
      {"modules/drop-data-9-roulette.bos", "Incorrect checksum when downloading"},
      {"modules/longer.bos", "Incorrect checksum when downloading"},
      {"modules/other.bos", "Incorrect checksum when downloading"},
      {"modules/absent.bos", "Error when downloading"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pName);
    WriteWholeFile(Local("roulette.so"), "installed");
    SFVersionDownloadItem item;
    item.SetPackedName(c.m_pName);
    item.SetNormName("roulette.so");
    item.m_PackedCRC = Crc(package);
    item.m_PackedSize = static_cast<uint32_t>(package.size());
    BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
    ASSERT_EQ(installer.AddDownloadItem(&item), 1);
    EXPECT_EQ(RunInstaller(installer), c.m_pText);
    EXPECT_EQ(ReadWholeFile(Local("roulette.so")), "installed");
  }
  EXPECT_EQ(CountOf(ftp.Commands(), "RETR modules/drop-data-9-roulette.bos"), 3);
}

// With the download log and the FTP client's logs on, no log holds the password.
TEST_F(InstallHostileTest, TheLogsHoldNoPassword) {
  UseServerList();
  CPyFtpPeer ftp;
  ASSERT_TRUE(ftp.Start());
  Serve(ftp.Root());
  m_Handler.AddFtpSite(("ftp://127.0.0.1:" + std::to_string(ftp.Port())).c_str(), CPyFtpPeer::kLogin,
                       CPyFtpPeer::kPassword, "", -1, -1);
  // The logs as a program switches them on: the manager takes the switch from the debug level.
  CProgramRuntime runtime;
  xSetDebugLevel(DBGL_MEMORY);
  BDownLoadPackedModule set(&m_Handler);
  ASSERT_EQ(set.AddModule("Black Jack"), 1);
  ASSERT_TRUE(RunSet(set));
  CDownloadClient::SetLogSwitch(0);
  EXPECT_EQ(set.GetState(), BDOWNLOAD_FINISHED) << set.GetError();
  EXPECT_EQ(CountOf(ftp.Commands(), std::string("PASS ") + CPyFtpPeer::kPassword), 1) << "the password was sent";
  const std::string sent = ReadWholeFile(Local(FTP_LOG_SEND)), log = ReadWholeFile(Local(DOWNLOAD_LOG_NAME));
  ASSERT_NE(sent.find("PASS ****\r\n"), std::string::npos) << sent;
  ASSERT_NE(log.find("[player:****]"), std::string::npos) << log;
  for (const std::string& file : {std::string(FTP_LOG_SEND), std::string(FTP_LOG_FULL), std::string(DOWNLOAD_LOG_NAME)})
    EXPECT_EQ(ReadWholeFile(Local(file)).find(CPyFtpPeer::kPassword), std::string::npos) << file;
}

// The engine extracting a large package in a process of its own, killed with SIGKILL halfway:
// every file is the old one or the new one, never cut.
TEST_F(InstallHostileTest, AKilledExtractionLeavesEachFileOldOrNew) {
  constexpr int kFiles = 300;
  auto name = [](int i) { return "data/file" + std::to_string(i) + ".bin"; };
  auto fresh = [](int i) { return TestContent(48 * 1024, static_cast<uint32_t>(1000 + i)); };
  auto old = [](int i) { return "old " + std::to_string(i); };
  std::string package;
  for (int i = 0; i < kFiles; ++i) package += Stored(name(i), fresh(i));
  fs::create_directories(Local("data"));
  for (int i = 0; i < kFiles; ++i) WriteWholeFile(Local(name(i)), old(i));
  fs::create_directories(Local("modules"));
  WriteWholeFile(Local("modules/Big.bos"), package);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string text = InstallPackage("modules/Big.bos", package);
    _exit(text.empty() ? 0 : 1);
  }
  // Killed once a tenth of the files are new.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool killed = false;
  while (std::chrono::steady_clock::now() < deadline) {
    int renewed = 0;
    for (int i = 0; i < kFiles; i += 10) renewed += ReadWholeFile(Local(name(i))) != old(i);
    if (renewed >= 3) {
      killed = kill(child, SIGKILL) == 0;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(killed && WIFSIGNALED(status)) << "the extraction ended before it could be killed";
  int newer = 0;
  for (int i = 0; i < kFiles; ++i) {
    const std::string now = ReadWholeFile(Local(name(i)));
    EXPECT_TRUE(now == old(i) || now == fresh(i)) << name(i) << " holds " << now.size() << " bytes";
    newer += now == fresh(i);
  }
  EXPECT_GT(newer, 0);
  EXPECT_LT(newer, kFiles);
  // Temporary files of the write that was cut off may stay behind; they are never the files.
  for (const auto& entry : fs::directory_iterator(Local("data")))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) fs::remove(entry.path());
}
