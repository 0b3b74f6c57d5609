// The updater's download hook in a running program: dialog 460 shows the transfer and its cancel
// button stops it; the answer, the stop flag and the restart flag after success, cancel, failure
// and a refused site.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/updater/fversiondownloaditem.h"
#include "install/engine/downloadhook.h"
#include "install/engine/installerstate.h"
#include "installfixture.h"
#include "ostrel/base/xstring.h"
#include "ostrel/containers/llist.h"
#include "ostrel/files/crc.h"
#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/timers.h"
#include "support/ftppeers.h"

namespace fs = std::filesystem;

namespace {
// What the dialog showed, read each frame, and the player's cancel once it has shown a file.
class CDialogWatch : public CTimer {
 public:
  explicit CDialogWatch(bool cancel) : m_Cancel(cancel) { AddTimer(1); }
  ~CDialogWatch() override { RemoveAllTimers(); }
  void TimerHandler(uint32_t) override {
    auto* dialog = static_cast<CDialog*>(xWinCtrl()->FindWindow(BHOOK_DIALOG));
    if (!dialog) return;
    ++m_Frames;
    m_Text = Text(*dialog, BHOOK_TEXT);
    if (const std::string rate = Text(*dialog, BHOOK_RATE); !rate.empty()) m_Rates.push_back(rate);
    if (const std::string file = Text(*dialog, BHOOK_FILE); !file.empty()) m_File = file;
    if (const std::string site = Text(*dialog, BHOOK_SITE); !site.empty()) m_Site = site;
    auto* bar = static_cast<CProgress*>(dialog->GetCtrl(BHOOK_PROGRESS));
    bar->GetRange(m_First, m_Last);
    m_Value = bar->GetValue();
    if (m_Cancel && !m_File.empty()) xWinCtrl()->SendMessage(GUIMSG_COMMAND, BHOOK_DIALOG, BHOOK_CANCEL, 0, nullptr);
  }
  static std::string Text(CDialog& dialog, int32_t id) {
    const char* text = dialog.GetTextBuffer(id, 0);
    return text ? text : "";
  }

  bool m_Cancel;
  int m_Frames = 0;
  std::string m_Text, m_File, m_Site;
  std::vector<std::string> m_Rates;
  int32_t m_First = -1, m_Last = -1, m_Value = -1;
};

class InstallHookTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    m_pRuntime = std::make_unique<CProgramRuntime>();
    ASSERT_EQ(m_Resources.Load(VORRIN_TEST_DATA_DIR "/install/hook.xrs"), 1);
    BSetInstallerResources(&m_Resources);
    BSetRestartFlag(INSTALLER_RESTART_NONE);
    UseServerList();
    ASSERT_TRUE(m_Ftp.Start());
    Serve(m_Ftp.Root());
  }
  void TearDown() override {
    BSetInstallerResources(nullptr);
    m_Items.KillAll();
    for (SFVersionDownloadItem* item : m_Owned) delete item;
    m_Resources.Free();
    m_pRuntime.reset();
    InstallTest::TearDown();
  }
  // A packed file of the server as the updater lists it.
  void AddItem(const std::string& packed, const std::string& normal, const std::string& served) {
    auto* item = new SFVersionDownloadItem;
    item->SetPackedName(packed.c_str());
    item->SetNormName(normal.c_str());
    const std::string bytes = ReadWholeFile(ServerFile(served));
    item->m_PackedSize = static_cast<uint32_t>(bytes.size());
    item->m_PackedCRC = PackageCrcOf(bytes);
    m_Owned.push_back(item);
    m_Items.InsertLast(item);
  }
  static uint32_t PackageCrcOf(const std::string& bytes) {
    uint32_t crc = 0;
    xCalcCRC(bytes.data(), static_cast<uint32_t>(bytes.size()), &crc, XCRC_POLY);
    return crc;
  }
  CFVModuleHandler& Sites() {
    if (!m_Sites.GetFtpSiteList()->GetNumNodes())
      m_Sites.AddFtpSite(("ftp://127.0.0.1:" + std::to_string(m_Ftp.Port())).c_str(), "anonymous", "guest", "", -1, -1);
    return m_Sites;
  }

  std::unique_ptr<CProgramRuntime> m_pRuntime;
  CResData m_Resources;
  CVsftpdPeer m_Ftp;
  CFVModuleHandler m_Sites;
  CLList m_Items;
  std::vector<SFVersionDownloadItem*> m_Owned;
};
}  // namespace

TEST_F(InstallHookTest, EveryFileArrivesUnderTheDialog) {
  AddItem("kavo.so.bos", "kavo.so", "kavo.so.bos");
  AddItem(Package("Roulette"), "", Package("Roulette"));
  CDialogWatch watch(false);
  int32_t stop = 0;
  EXPECT_EQ(BInstallerDownloadHook(&m_Items, Sites().GetFtpSiteList(), &stop), 1);
  EXPECT_EQ(stop, 0);
  EXPECT_EQ(BGetRestartFlag(), INSTALLER_RESTART_NONE);
  EXPECT_EQ(ReadWholeFile(Local("kavo.so.bos")), ReadWholeFile(ServerFile("kavo.so.bos")));
  EXPECT_EQ(ReadWholeFile(Local(Package("Roulette"))), ReadWholeFile(ServerFile(Package("Roulette"))));
  EXPECT_EQ(xWinCtrl()->FindWindow(BHOOK_DIALOG), nullptr) << "the dialog is gone";
  ASSERT_GT(watch.m_Frames, 0);
  EXPECT_EQ(watch.m_Text, "Updating the installer...");
  EXPECT_EQ(watch.m_First, 0);
  EXPECT_EQ(static_cast<uint32_t>(watch.m_Last),
            fs::file_size(ServerFile("kavo.so.bos")) + fs::file_size(ServerFile(Package("Roulette"))));
  EXPECT_GE(watch.m_Value, 0);
  // A fast transfer may end between two frames; the stalled one below always shows its file.
  if (!watch.m_File.empty())
    EXPECT_TRUE(watch.m_File == "kavo.so.bos" || watch.m_File == Package("Roulette")) << watch.m_File;
  EXPECT_EQ(watch.m_Site, "ftp://127.0.0.1");
  ASSERT_FALSE(watch.m_Rates.empty());
  for (const std::string& rate : watch.m_Rates) EXPECT_NE(rate.find(" Kb/s"), std::string::npos) << "[" << rate << "]";
}

// The file stalls (pyftpdlib's fault file): only the player's cancel ends the transfer.
TEST_F(InstallHookTest, TheCancelButtonStopsIt) {
  CPyFtpPeer stalling;
  ASSERT_TRUE(stalling.Start());
  fs::create_directories(stalling.Root() + "/modules");
  WriteWholeFile(stalling.Root() + "/modules/stall-data-9-slow.bos", ReadWholeFile(ServerFile(Package("Roulette"))));
  CFVModuleHandler sites;
  sites.AddFtpSite(("ftp://127.0.0.1:" + std::to_string(stalling.Port())).c_str(), "anonymous", "guest", "", -1, -1);
  AddItem("modules/stall-data-9-slow.bos", "slow.so", Package("Roulette"));
  CDialogWatch watch(true);
  int32_t stop = 0;
  EXPECT_EQ(BInstallerDownloadHook(&m_Items, sites.GetFtpSiteList(), &stop), 0);
  EXPECT_EQ(stop, 1);
  EXPECT_EQ(BGetRestartFlag(), INSTALLER_RESTART_FAILED);
  EXPECT_EQ(watch.m_File, "modules/stall-data-9-slow.bos");
  EXPECT_EQ(xWinCtrl()->FindWindow(BHOOK_DIALOG), nullptr);
}

TEST_F(InstallHookTest, AFailedSetAndARefusedSite) {
  AddItem("kavo.so.bos", "kavo.so", "kavo.so.bos");
  static_cast<SFVersionDownloadItem*>(m_Items.HeadNode()->m_pData)->m_PackedCRC ^= 1;
  int32_t stop = 0;
  EXPECT_EQ(BInstallerDownloadHook(&m_Items, Sites().GetFtpSiteList(), &stop), 0);
  EXPECT_EQ(stop, 1);
  EXPECT_EQ(BGetRestartFlag(), INSTALLER_RESTART_FAILED);
  EXPECT_EQ(CountOf(m_Ftp.Commands(), "RETR kavo.so.bos"), 3) << "three rounds";

  // A site the module list refuses (no sub-folder) ends the hook before anything is fetched.
  BSetRestartFlag(INSTALLER_RESTART_NONE);
  CLList sites;
  SFVFtpSite refused;
  refused.m_pSiteName = xStrdup("ftp://127.0.0.1");
  sites.InsertLast(&refused);
  stop = 0;
  EXPECT_EQ(BInstallerDownloadHook(&m_Items, &sites, &stop), 0);
  EXPECT_EQ(stop, 0);
  EXPECT_EQ(BGetRestartFlag(), INSTALLER_RESTART_NONE);
  sites.KillAll();
  // Without the installer's resources the files come all the same, unseen.
  BSetInstallerResources(nullptr);
  static_cast<SFVersionDownloadItem*>(m_Items.HeadNode()->m_pData)->m_PackedCRC ^= 1;
  EXPECT_EQ(BInstallerDownloadHook(&m_Items, Sites().GetFtpSiteList(), &stop), 1);
  EXPECT_EQ(ReadWholeFile(Local("kavo.so.bos")), ReadWholeFile(ServerFile("kavo.so.bos")));
}
