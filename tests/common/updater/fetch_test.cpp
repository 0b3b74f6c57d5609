// The update driver's downloads and unpacking: three attempts with the two retry texts, a host
// that stops them, packages already there, restart files, and packages that must never damage
// the installed file (wrong CRCs, unknown kinds, names that leave the tree).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversionvalidate.h"
#include "updatertest.h"
#include "updatetree.h"

namespace {
const std::string kRetry = std::string("MessageBox ") + FVERSION_RETRY_CAPTION + "|" + FVERSION_RETRY_TEXT;
const std::string kLastRetry = std::string("MessageBox ") + FVERSION_RETRY_CAPTION + "|" + FVERSION_LAST_RETRY_TEXT;
const std::string kInfo = std::string("MessageBox ") + FVERSION_INFO_CAPTION + "|" + FVERSION_INFO_TEXT;

// A forced client with one changed library and one missing script, an installed game whose file
// is up to date.
class Fetch : public CUpdateTree {
 protected:
  void MakeInstallation(const std::string& libraryExt = ".zpk") {
    m_Server.Module("Client", FVMODULE_NORMAL, 1);
    m_Server.Module("Game", FVMODULE_NORMAL, 0);
    Serve("Client", "client.dll", "client version 2", libraryExt);
    Serve("Client", "xrs/client.xrs", "script version 2");
    Serve("Game", "game.dll", "game version 1");
    m_Installed.Module("Client", FVMODULE_NORMAL, 1);
    m_Installed.Module("Game", FVMODULE_NORMAL, 0);
    Record("Client", "client.dll", "client version 1");
    Record("Game", "game.dll", "game version 1");
    Put("client.dll", "client version 1");
    Put("game.dll", "game version 1");
    Statuses({{"Client", 1}, {"Game", 1}});
    WriteLists();
  }
  // The client as the server has it, both files recorded.
  void ExpectUpdated() {
    EXPECT_EQ(Get("client.dll"), "client version 2");
    EXPECT_EQ(Get("xrs/client.xrs"), "script version 2");
    EXPECT_EQ(InstalledCRC("Client", "client.dll"), Crc("client version 2"));
    EXPECT_EQ(InstalledCRC("Client", "xrs/client.xrs"), Crc("script version 2"));
    EXPECT_EQ(StatusOf("Client"), 1);
    EXPECT_FALSE(Exists("client.dll.zpk")) << "a checked package is erased";
  }
};
}  // namespace

TEST_F(Fetch, TwoFailedAttemptsThenASuccessShowTheTwoRetryTextsInOrder) {
  MakeInstallation();
  Host().m_Answers = {{0, 0}, {0, 0}};
  EXPECT_EQ(Validate(), 1);
  const std::string download = "Download client.dll.zpk xrs/client.xrs.zpk";
  EXPECT_EQ(Host().Calls("Download "), (std::vector<std::string>{download, download, download}));
  EXPECT_EQ(Host().Calls("MessageBox"), (std::vector<std::string>{kRetry, kLastRetry}));
  EXPECT_EQ(Host().Calls("UnpackStart"), std::vector<std::string>{"UnpackStart 2"});
  EXPECT_EQ(Host().Calls("EraseFile"),
            (std::vector<std::string>{"EraseFile client.dll.zpk", "EraseFile xrs/client.xrs.zpk"}));
  EXPECT_TRUE(Host().Calls("Restart").empty());
  ExpectUpdated();
  EXPECT_EQ(StatusOf("Game"), 1);
}

TEST_F(Fetch, WithoutAMessageBoxTheRetriesRunSilently) {
  MakeInstallation();
  FVersion_SetCallback_MessageBox(nullptr);
  Host().m_Answers = {{0, 0}, {0, 0}};
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Host().Calls("Download ").size(), 3u);
  EXPECT_TRUE(Host().Calls("MessageBox").empty());
  ExpectUpdated();
}

TEST_F(Fetch, AStopValueEndsTheAttempts) {
  MakeInstallation();
  Host().m_Answers = {{0, 1}};
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Host().Calls("Download ").size(), 1u);
  EXPECT_TRUE(Host().Calls("MessageBox").empty());
}

TEST_F(Fetch, WhenEveryAttemptFailsNothingIsUnpackedAndThePassStillSucceeds) {
  MakeInstallation();
  Host().m_Answers = {{0, 0}, {0, 0}, {0, 0}};
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Host().Calls("Download ").size(), 3u);
  EXPECT_TRUE(Host().Calls("DownloadComplete").empty());
  EXPECT_TRUE(Host().Calls("Unpack").empty());
  EXPECT_EQ(Get("client.dll"), "client version 1");
  EXPECT_FALSE(Exists("xrs/client.xrs"));
  // The downloading pass changes no status; the second pass records what is missing.
  EXPECT_EQ(StatusOf("Client"), 2);
  EXPECT_EQ(Host().Calls("MissingCriticalFiles").size(), 1u);
  EXPECT_EQ(InstalledCRC("Client", "client.dll"), Crc("client version 1"));
}

TEST_F(Fetch, WithNothingMissingDownloadIsNeverCalled) {
  MakeInstallation();
  Put("client.dll", "client version 2");
  Put("xrs/client.xrs", "script version 2");
  EXPECT_EQ(Validate(), 1);
  EXPECT_TRUE(Host().Calls("Download ").empty());
  EXPECT_TRUE(Host().Calls("Unpack").empty());
  EXPECT_EQ(StatusOf("Client"), 1);
}

TEST_F(Fetch, PackagesAlreadyThereAreNotFetchedAgainUnlessDamaged) {
  MakeInstallation();
  Put("client.dll.zpk", Host().m_Served["client.dll.zpk"]);
  Put("xrs/client.xrs.zpk", "a package cut short");
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Host().Calls("Download "), std::vector<std::string>{"Download xrs/client.xrs.zpk"});
  ExpectUpdated();

  InstallRecordingCallbacks();
  Put("client.dll", "client version 1");
  Put("client.dll.zpk", Host().m_Served["client.dll.zpk"] = Pack("client.dll.zpk", "client version 2"));
  EXPECT_EQ(Validate(), 1);
  EXPECT_TRUE(Host().Calls("Download ").empty()) << "every package is there: no attempt";
  EXPECT_EQ(Get("client.dll"), "client version 2");
}

TEST_F(Fetch, APackageListedTwiceIsFetchedOnce) {
  m_Server.Module("Client", FVMODULE_NORMAL, 1);
  m_Server.Module("Tools", FVMODULE_NORMAL, 1);
  Serve("Client", "client.dll", "client");
  const std::string packed = Host().m_Served["client.dll.zpk"];
  m_Server.File("Tools", "tools/client.dll", Crc("client"), 6, "CLIENT.dll.zpk", Crc(packed),
                static_cast<uint32_t>(packed.size()));
  Statuses({{"Client", 1}, {"Tools", 1}});
  WriteLists();
  Host().m_Answers = {{0, 1}};
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Host().Calls("Download "), std::vector<std::string>{"Download client.dll.zpk"});
}

TEST_F(Fetch, DownloadAllFetchesTheFilesOfGamesThatAreNotForced) {
  MakeInstallation();
  Put("game.dll", "game version 0");
  EXPECT_EQ(Validate(1, 0, 1), 1);
  EXPECT_EQ(Host().Calls("Download "),
            std::vector<std::string>{"Download client.dll.zpk xrs/client.xrs.zpk game.dll.zpk"});
  EXPECT_EQ(Get("game.dll"), "game version 1");
  EXPECT_EQ(StatusOf("Game"), 1);
  ExpectUpdated();
}

TEST_F(Fetch, PackagesOfEveryKindUnpack) {
  for (const char* ext : {".zpk", ".ZPK", ".bos", ".rpk"}) {
    InstallRecordingCallbacks();
    ResetLists();
    SCOPED_TRACE(ext);
    m_Server.Module("Client", FVMODULE_NORMAL, 1);
    Serve("Client", "client.dll", std::string(3000, 'x') + ext, ext);
    Statuses({{"Client", 1}});
    WriteLists();
    EXPECT_EQ(Validate(), 1);
    EXPECT_EQ(Get("client.dll"), std::string(3000, 'x') + ext);
    EXPECT_EQ(StatusOf("Client"), 1);
  }
}

TEST_F(Fetch, AnUnknownPackageKindFailsAndLeavesTheInstalledFile) {
  MakeInstallation(".zip");
  EXPECT_EQ(Validate(), 0);
  EXPECT_EQ(Get("client.dll"), "client version 1");
  EXPECT_EQ(Host().Calls("UnpackEnd").size(), 1u);
  EXPECT_TRUE(Exists("client.dll.zip")) << "the package stays";
  EXPECT_EQ(StatusOf("Client"), 2) << "the second pass records the update as needed";
}

TEST_F(Fetch, AWrongUnpackedCRCLeavesTheOldFileByteIdentical) {
  m_Server.Module("Client", FVMODULE_NORMAL, 1);
  const std::string packed = Pack("client.dll.zpk", "what the package really holds");
  Host().m_Served["client.dll.zpk"] = packed;
  m_Server.File("Client", "client.dll", Crc("what the list says"), 18, "client.dll.zpk", Crc(packed),
                static_cast<uint32_t>(packed.size()));
  m_Installed.Module("Client", FVMODULE_NORMAL, 1);
  Record("Client", "client.dll", "client version 1");
  Put("client.dll", "client version 1");
  Statuses({{"Client", 1}});
  WriteLists();

  EXPECT_EQ(Validate(), 0);
  EXPECT_EQ(Get("client.dll"), "client version 1");
  EXPECT_EQ(Get("client.dll.zpk"), packed) << "the package stays";
  EXPECT_EQ(Host().Calls("UnpackEnd").size(), 1u);
  EXPECT_TRUE(Host().Calls("EraseFile").empty());
  for (const auto& [name, bytes] : Everything())
    EXPECT_EQ(name.find("unpack"), std::string::npos) << name << ": nothing is left of the unpacking";
}

TEST_F(Fetch, ADamagedPackageIsNeverUnpacked) {
  MakeInstallation();
  const std::string good = Host().m_Served["client.dll.zpk"];
  Host().m_Served["client.dll.zpk"] = good.substr(0, good.size() / 2);
  EXPECT_EQ(Validate(), 0);
  EXPECT_TRUE(Host().Calls("UnpackFile client.dll.zpk").empty());
  EXPECT_EQ(Get("client.dll"), "client version 1");
}

TEST_F(Fetch, AnUnpackedFileOfAnotherNameOrOutsideTheTreeFails) {
  for (const char* name : {"../escaped.dll", "other.dll", "/tmp/escaped.dll", "sub/../../escaped.dll"}) {
    SCOPED_TRACE(name);
    InstallRecordingCallbacks();
    ResetLists();
    MakeInstallation();
    Host().m_UnpackedNameOverride = name;
    const auto before = Everything();
    EXPECT_EQ(Validate(), 0);
    EXPECT_EQ(Get("client.dll"), "client version 1");
    for (const auto& [file, bytes] : Everything())
      if (!before.count(file)) {
        EXPECT_NE(file.rfind("tree/", 0), std::string::npos) << file << " outside the tree";
      }
  }
}

TEST_F(Fetch, ARestartFileTakesItsUnpackNameAndAsksForTheRestart) {
  for (const int32_t full : {1, 0}) {
    SCOPED_TRACE(full);
    InstallRecordingCallbacks();
    ResetLists();
    m_Server.Module("Client", FVMODULE_NORMAL, 1);
    Serve("Client", "casino", "casino version 2");
    m_Server.Restart("casino", "casino.new", full);
    Put("casino", "casino version 1");
    Put("casino.new", "left from before");
    Statuses({{"Client", 2}});
    WriteLists();
    // The second pass records the statuses anew; what the first left shows at its start.
    std::vector<int32_t> atCheck;
    Host().m_OnCheckStart = [&] { atCheck.push_back(StatusOf("Client")); };

    EXPECT_EQ(Validate(), 1);
    EXPECT_EQ(Get("casino"), "casino version 1") << "the running program is not touched";
    EXPECT_EQ(Get("casino.new"), "casino version 2");
    EXPECT_EQ(Host().Calls("Restart"), std::vector<std::string>{"Restart " + std::to_string(full)});
    const auto calls = Host().m_Calls;
    const auto end = std::find(calls.begin(), calls.end(), "UnpackEnd");
    EXPECT_NE(std::find(end, calls.end(), "Restart " + std::to_string(full)), calls.end()) << "after UnpackEnd";
    EXPECT_EQ(atCheck, (std::vector<int32_t>{2, full ? 2 : 1})) << "a pending full restart flags nothing installed";
  }
}

TEST_F(Fetch, AFailedUnpackStepEndsThePass) {
  for (const char* step : {"UnpackStart", "UnpackProgress", "UnpackEnd"}) {
    SCOPED_TRACE(step);
    InstallRecordingCallbacks();
    ResetLists();
    MakeInstallation();
    Host().m_Refuse = {step};
    EXPECT_EQ(Validate(), 0);
    EXPECT_EQ(Host().Calls("UnpackEnd").size(), std::string(step) == "UnpackStart" ? 0u : 1u);
    // Unpacking that has ended keeps what it replaced.
    EXPECT_EQ(Get("client.dll"), std::string(step) == "UnpackEnd" ? "client version 2" : "client version 1");
  }
}

TEST_F(Fetch, TheInfoMessageForAMissingPackageComesOncePerProcess) {
  MakeInstallation();
  const bool ok = InChild([this] {
    Host().m_Served.clear();  // Download "succeeds" and leaves nothing
    int failures = 0;
    for (int run = 0; run < 2; ++run) {
      Host().m_Calls.clear();
      if (Validate() != 1) ++failures;
      if (Host().Calls("MessageBox") != std::vector<std::string>(run == 0 ? 1 : 0, kInfo)) ++failures;
      if (!Host().Calls("UnpackFile").empty() || Host().Calls("UnpackEnd").size() != 1) ++failures;
      if (Get("client.dll") != "client version 1" || StatusOf("Client") != 2) ++failures;
    }
    return failures;
  });
  EXPECT_TRUE(ok);
}

TEST_F(Fetch, AServerListWithNamesOutsideTheTreeWritesNothing) {
  const char* lists[] = {
      "File = TRUE, ../escaped.dll, TRUE, 1, TRUE, 1, TRUE, escaped.dll.zpk, TRUE, 1, TRUE, 1",
      "File = TRUE, escaped.dll, TRUE, 1, TRUE, 1, TRUE, ../../escaped.dll.zpk, TRUE, 1, TRUE, 1",
      "File = TRUE, /tmp/escaped.dll, TRUE, 1, TRUE, 1, TRUE, escaped.dll.zpk, TRUE, 1, TRUE, 1",
  };
  const char* restarts[] = {"", "restartfile = casino, ../casino.new, TRUE\n", "restartfile = ..\\casino, x, FALSE\n"};
  Statuses({{"Client", 1}});
  auto list = [](const std::string& file, const std::string& restart) {
    return "{ = module, Client\n  Description = x\n  Classname = x\n  Mode = Normal\n  MustDownload = TRUE\n  \n  " +
           file + "\n}\n" + restart;
  };
  // The same list with names that stay in the tree is read and checked.
  Put("srvmap.lst", list("File = TRUE, fine.dll, TRUE, 1, TRUE, 1, TRUE, fine.dll.zpk, TRUE, 1, TRUE, 1",
                         "restartfile = casino, casino.new, TRUE\n"));
  Host().m_Answers = {{0, 1}};
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Host().Calls("Download "), std::vector<std::string>{"Download fine.dll.zpk"});
  InstallRecordingCallbacks();
  for (const char* file : lists) {
    for (const char* restart : restarts) {
      SCOPED_TRACE(std::string(file) + " " + restart);
      Put("srvmap.lst", list(file, restart));
      const auto before = Everything();
      EXPECT_EQ(Validate(), 0);
      EXPECT_EQ(Everything(), before);
      EXPECT_TRUE(Host().Calls("Download ").empty());
    }
  }
  EXPECT_FALSE(std::filesystem::exists("/tmp/escaped.dll"));
}

TEST_F(Fetch, APackageMissingAfterTheDownloadFlagsNothingInstalled) {
  MakeInstallation();
  Statuses({{"Client", 2}, {"Game", 1}});
  FVersion_SetCallback_MessageBox(nullptr);  // the once-per-process message stays unshown
  Host().m_Served.erase("xrs/client.xrs.zpk");
  std::vector<int32_t> atCheck;
  Host().m_OnCheckStart = [&] { atCheck.push_back(StatusOf("Client")); };
  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(Get("client.dll"), "client version 2") << "the package that came is unpacked";
  EXPECT_FALSE(Exists("xrs/client.xrs"));
  EXPECT_EQ(atCheck, (std::vector<int32_t>{2, 2})) << "the client is not flagged installed after the first pass";
  EXPECT_EQ(StatusOf("Client"), 2);
}
