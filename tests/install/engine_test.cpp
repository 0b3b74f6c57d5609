// The engine without a peer: the rate and its text, the "Source: " reader, the one instance, the
// lists that refuse what they hold, incomplete and unsafe module list entries, and the cancel of a
// set that has not yet been stepped.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/gamestxtmodule.h"
#include "install/engine/bexception.h"
#include "install/engine/downloadrate.h"
#include "install/engine/installsource.h"
#include "installfixture.h"
#include "support/testclock.h"

namespace fs = std::filesystem;

namespace {
std::string Rate(int32_t rate) {
  char text[64];
  BFormatRate(rate, text, sizeof text);
  return text;
}

SFVersionDownloadItem Item(const char* packed, uint32_t crc, uint32_t size, const char* normal = nullptr) {
  SFVersionDownloadItem item;
  item.SetPackedName(packed);
  item.SetNormName(normal);
  item.m_PackedCRC = crc;
  item.m_PackedSize = size;
  return item;
}
}  // namespace

TEST(InstallRate, TextInKilobytesWithHundredths) {
  const struct {
    int32_t m_Rate;
    const char* m_pText;
  } cases[] = {
      {1536, "1.50 Kb/s"}, {0, "0.00 Kb/s"},       {1023, "0.99 Kb/s"},           {1024, "1.00 Kb/s"},
      {-5, "0.00 Kb/s"},   {INT32_MIN, "0.00 Kb/s"}, {INT32_MAX, "2097151.99 Kb/s"}, {10 * 1024 + 10, "10.00 Kb/s"},
  };
  for (const auto& c : cases) EXPECT_EQ(Rate(c.m_Rate), c.m_pText) << c.m_Rate;
}

TEST(InstallRate, SamplesAreHalfASecondApartThirtyAtMostAndComputedIn64Bits) {
  CTestClock clock(4000);
  BDownloadRate rate;
  EXPECT_EQ(rate.Rate(), 0);
  rate.Clear(1000, clock.Now());
  clock.Advance(500);
  rate.Sample(2000, clock.Now());
  EXPECT_EQ(rate.GetSampleCount(), 1) << "not more than 500 ms after the last";
  clock.Advance(1);
  rate.Sample(2000, clock.Now());
  EXPECT_EQ(rate.GetSampleCount(), 2);
  EXPECT_EQ(rate.Rate(), 1996) << "1000 bytes in 501 ms";
  clock.Advance(600);
  rate.Sample(2000, clock.Now());
  EXPECT_EQ(rate.GetSampleCount(), 2) << "the count did not move";
  // 100 MB between the oldest and the newest sample: past 32 bits once multiplied by 1000.
  for (int i = 0; i < 40; ++i) {
    clock.Advance(1000);
    rate.Sample(2000 + uint64_t{i + 1} * 2500000, clock.Now());
  }
  EXPECT_EQ(rate.GetSampleCount(), BRATE_MAX_SAMPLES);
  EXPECT_EQ(rate.Rate(), 2500000) << "the oldest of thirty, not the first";
  // Bytes taken off (a failed check): the rate may fall below 0; a zero rate keeps the last.
  clock.Advance(1000);
  rate.Clear(5000000, clock.Now());
  EXPECT_EQ(rate.Rate(), 2500000);
  clock.Advance(1000);
  rate.Sample(4000000, clock.Now());
  EXPECT_EQ(rate.Rate(), -1000000);
  EXPECT_EQ(Rate(rate.Rate()), "0.00 Kb/s");
  // Across the wrap of the 32-bit clock.
  clock.Set(0xFFFFFF00u);
  rate.Clear(0, clock.Now());
  clock.Advance(1024);
  rate.Sample(1024, clock.Now());
  EXPECT_EQ(rate.Rate(), 1000);
}

TEST(InstallSource, ReaderTable) {
  const struct {
    const char* m_pLabel;
    std::string m_Text;
    bool m_Found;
    const char* m_pPath;
  } cases[] = {
      {"plain", "Title: Vorrin\r\nSource: D:\\setup\\install.exe\r\nOther: x\r\n", true, "D:\\setup\\install.exe"},
      {"first of several", "Source: /a/one.exe\nSource: /b/two.exe\n", true, "/a/one.exe"},
      {"last line without a feed", "x\nSource: /cd/setup", true, "/cd/setup"},
      {"not at the start", " Source: /cd/setup\n", false, ""},
      {"no blank", "Source:/cd/setup\n", false, ""},
      {"empty path", "Source: \n", false, ""},
      {"only the word", "Source: ", false, ""},
      {"none", "Installed: kavo.so\n", false, ""},
      {"empty", "", false, ""},
      {"zero byte", std::string("Source: /cd/\0setup\n", 19), false, ""},
      {"10 KB", "Source: /" + std::string(10240, 'a') + "\n", false, ""},
      {"long other lines", std::string(20000, 'z') + "\nSource: /cd/s.exe\n", true, "/cd/s.exe"},
  };
  for (const auto& c : cases) {
    std::string path;
    EXPECT_EQ(BParseInstallSource(c.m_Text.data(), c.m_Text.size(), path), c.m_Found) << c.m_pLabel;
    if (c.m_Found) EXPECT_EQ(path, c.m_pPath) << c.m_pLabel;
  }
}

TEST_F(InstallTest, OneInstanceOnly) {
  BInstaller first(&m_Handler, 0);
  try {
    BInstaller second(&m_Handler, 0);
    ADD_FAILURE() << "a second engine was made";
  } catch (BException* e) {
    EXPECT_STREQ(e->GetMessage(), "BInstaller::BInstaller Only one instance of this class is allowed!");
    delete e;
  }
}

TEST_F(InstallTest, ListsRefuseWhatAnyListHolds) {
  UseServerList();
  BInstaller installer(&m_Handler, 0);
  const GamestxtCFVModule blackjack = Module("Black Jack"), roulette = Module("Roulette");
  EXPECT_EQ(installer.AddDownloadModule(&blackjack), 1);
  EXPECT_EQ(installer.AddDownloadModule(&blackjack), 0);
  EXPECT_EQ(installer.AddDeleteModule(&blackjack), 0);
  EXPECT_EQ(installer.AddDeleteModule(&roulette), 1);
  EXPECT_EQ(installer.AddDownloadModule(&roulette), 0) << "in the delete list";
  EXPECT_EQ(installer.AddDownloadModule(nullptr), 0);
  const SFVersionDownloadItem a = Item("kavo.so.bos", 1, 2, "kavo.so"), b = Item("KAVO.SO.BOS", 3, 4, "other");
  EXPECT_EQ(installer.AddDownloadItem(&a), 1);
  EXPECT_EQ(installer.AddDownloadItem(&a), 0);
  EXPECT_EQ(installer.AddDownloadItem(&b), 0) << "the same packed file";
  EXPECT_EQ(installer.AddDownloadItem(nullptr), 0);
  installer.Cancel();
  EXPECT_EQ(installer.GetState(), BINSTALLER_SORT);
  EXPECT_EQ(installer.AddDownloadModule(&blackjack), 1) << "the lists were cleared";

  BDownLoadPackedModule set(&m_Handler);
  EXPECT_EQ(set.AddModule("Black Jack"), 1);
  EXPECT_EQ(set.AddModule("Black Jack"), 0);
  EXPECT_EQ(set.AddModule("Nothing"), 0);
  EXPECT_EQ(set.AddModule("Shared"), 0) << "no package";
  EXPECT_EQ(set.AddItem(nullptr), 0);
  EXPECT_EQ(set.GetTotalBytes(), PackageSize("Black Jack"));
  // Queued but never stepped: the cancel empties it all the same, and answers as without a manager.
  EXPECT_EQ(set.Cancel(), 0);
  EXPECT_EQ(set.GetItemCount(), 0);
  EXPECT_EQ(set.GetState(), BDOWNLOAD_IDLE);
  EXPECT_EQ(set.AddModule("Roulette"), 1);
  EXPECT_EQ(set.GetTotalBytes(), PackageSize("Roulette")) << "nothing old came back";
}

// Module list entries that cannot be fetched end the set at once with a message naming them.
TEST_F(InstallTest, IncompleteAndUnsafeEntriesEndTheSetAtOnce) {
  fs::create_directories(m_Dir.File("outside"));
  fs::create_directory_symlink(m_Dir.File("outside"), Local("out"));
  const struct {
    const char* m_pLabel;
    SFVersionDownloadItem m_Item;
    int32_t m_Error;
    const char* m_pText;
  } cases[] = {
      {"no packed name", Item(nullptr, 1, 100), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry "},
      {"empty packed name", Item("", 1, 100), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry "},
      {"size unknown", Item("a.bos", 1, 0xFFFFFFFFu), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry a.bos"},
      {"size 0", Item("a.bos", 0, 0), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry a.bos"},
      {"parent", Item("../evil.bos", 1, 10), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry ../evil.bos"},
      {"deep parent", Item("a/../../evil.bos", 1, 10), BDOWNLOAD_ERR_ENTRY,
       "Incomplete module list entry a/../../evil.bos"},
      {"absolute", Item("/tmp/evil.bos", 1, 10), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry /tmp/evil.bos"},
      {"drive", Item("C:\\evil.bos", 1, 10), BDOWNLOAD_ERR_ENTRY, "Incomplete module list entry C:\\evil.bos"},
      {"through a link out", Item("out/evil.bos", 1, 10), BDOWNLOAD_ERR_LOCAL_FILE,
       "Could not open local file out/evil.bos"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pLabel);
    BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
    ASSERT_EQ(installer.AddDownloadItem(&c.m_Item), 1);
    EXPECT_EQ(RunInstaller(installer), c.m_pText);
    EXPECT_EQ(installer.GetDownload().GetRetryCount(), 0) << "no second round";
  }
  EXPECT_TRUE(fs::is_empty(m_Dir.File("outside")));
  fs::remove(Local("out"));
  fs::remove_all(m_Dir.File("outside"));
  // Not checked and of unknown size: allowed, fetched whole (here from no site at all, so the
  // round fails for want of the file, not of its entry).
  BDownLoadPackedModule set(&m_Handler);
  const SFVersionDownloadItem parameters = Item("install.par", BDOWNLOAD_UNCHECKED, 0xFFFFFFFFu);
  ASSERT_EQ(set.AddItem(&parameters), 1);
  set.Step();
  EXPECT_EQ(set.GetState(), BDOWNLOAD_FAILED);
  EXPECT_EQ(set.GetError(), BDOWNLOAD_ERR_TRANSFER);
  EXPECT_STREQ(set.GetErrorName(), "install.par");
}

// A local file that cannot be opened for writing (a folder in its place) ends the set with its name.
TEST_F(InstallTest, ALocalFileThatCannotBeOpenedEndsTheSet) {
  fs::create_directories(Local("locked.bos"));  // a folder in the file's place
  WriteWholeFile(Local("locked.bos/x"), "x");
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  const SFVersionDownloadItem item = Item("locked.bos", 1, 10);
  ASSERT_EQ(installer.AddDownloadItem(&item), 1);
  EXPECT_EQ(RunInstaller(installer), "Could not open local file locked.bos");
  EXPECT_EQ(ReadWholeFile(Local("locked.bos/x")), "x");
}
