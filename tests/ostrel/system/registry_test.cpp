#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ostrel/system/registry.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"

namespace {
// Each test has a registry of its own in a temporary configuration folder; the peer programs it
// starts inherit it.
class Registry : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", m_Config.Path().c_str(), 1); }
  std::string StoreFile(ERegistryRoot root) const { return PlatformRegistryFolder(root) + "/registry.txt"; }

  std::string Peer(const std::vector<std::string>& args) {
    CSpawnedChild p;
    if (!p.StartProgram("sysservices_child", args)) return "(not started)";
    const std::string line = p.ReadLine();
    EXPECT_EQ(p.Wait(), 0);
    return line;
  }

  CTempDir m_Config;
};

std::string Get(const CRegKey& key, const char* name) {
  char text[300];
  return key.GetString(name, text, sizeof text) ? text : "(missing)";
}
}  // namespace

TEST_F(Registry, StoreLivesInTheConfigurationFolder) {
  EXPECT_EQ(PlatformRegistryFolder(XREG_CURRENT_USER), m_Config.Path() + "/vorrin/registry/user");
  EXPECT_EQ(PlatformRegistryFolder(XREG_LOCAL_MACHINE), m_Config.Path() + "/vorrin/registry/machine");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(PlatformRegistryFolder(XREG_CURRENT_USER), "/home/player/.config/vorrin/registry/user");
}

TEST_F(Registry, ValuesSurviveTheProgramThatWroteThem) {
  EXPECT_EQ(Peer({"regset", "Software\\Casino\\Vorrin", "Save Password", "written by a peer"}), "done");
  CRegKey key;
  ASSERT_EQ(key.Open(XREG_CURRENT_USER, "Software\\Casino\\Vorrin\\"), 1);
  EXPECT_EQ(Get(key, "Save Password"), "written by a peer");

  ASSERT_EQ(key.SetString("Answer", "written here"), 1);
  EXPECT_EQ(Peer({"regget", "Software\\Casino\\Vorrin", "answer"}), "written here");
  EXPECT_EQ(Peer({"regget", "Software\\Casino\\Vorrin", "nothing"}), "missing");
}

TEST_F(Registry, NamesMatchWithoutRegardToCaseAndKeepTheirOwn) {
  CRegKey key;
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Vorrin\\Poker\\Client One"), 1);
  ASSERT_EQ(key.SetString("Path", "C:\\poker"), 1);
  ASSERT_EQ(key.SetString("PATH", "D:\\poker"), 1);  // the same value
  CRegKey again;
  ASSERT_EQ(again.Open(XREG_CURRENT_USER, "SOFTWARE\\vorrin\\POKER\\client one"), 1);
  EXPECT_EQ(Get(again, "path"), "D:\\poker");
  uint32_t count = 0;
  ASSERT_EQ(again.CountValues(count), 1);
  EXPECT_EQ(count, 1u);
  char name[64];
  uint32_t type = 0;
  ASSERT_EQ(again.EnumValue(0, name, sizeof name, &type), 1);
  EXPECT_STREQ(name, "Path");
  EXPECT_EQ(type, XREG_STRING);

  CRegKey parent;
  ASSERT_EQ(parent.Open(XREG_CURRENT_USER, "software\\VORRIN\\poker"), 1);
  ASSERT_EQ(parent.EnumSubKey(0, name, sizeof name), 1);
  EXPECT_STREQ(name, "Client One");
}

TEST_F(Registry, UserAndMachineAreSeparateTrees) {
  CRegKey user, machine;
  ASSERT_EQ(user.Create(XREG_CURRENT_USER, "Software\\Cin"), 1);
  ASSERT_EQ(user.SetString("Cin", "1"), 1);
  EXPECT_EQ(machine.Open(XREG_LOCAL_MACHINE, "Software\\Cin"), 0);
  ASSERT_EQ(machine.Create(XREG_LOCAL_MACHINE, "Software\\Cin"), 1);
  EXPECT_EQ(Get(machine, "Cin"), "(missing)");
  ASSERT_EQ(machine.SetString("Cin", "2"), 1);
  EXPECT_EQ(Get(user, "Cin"), "1");
  EXPECT_EQ(Get(machine, "Cin"), "2");
}

TEST_F(Registry, QueryTellsTypeAndSizeAndRefusesSmallRoom) {
  CRegKey key;
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Casino\\x\\licenschecksum"), 1);
  // Written without its ending zero, as the table settings do.
  ASSERT_EQ(key.SetValue("Software\\Casino\\x\\licenschecksum", XREG_STRING, "1234", 4), 1);
  ASSERT_EQ(key.SetNumber("Save Password", 0x01020304), 1);
  ASSERT_EQ(key.SetString("Password", "abc"), 1);

  uint32_t type = 0, size = 0;
  ASSERT_EQ(key.QueryValue("password", &type, nullptr, &size), 1);
  EXPECT_EQ(type, XREG_STRING);
  EXPECT_EQ(size, 4u) << "the size counts the ending zero";
  char small[3];
  size = sizeof small;
  EXPECT_EQ(key.QueryValue("password", nullptr, small, &size), 0);
  EXPECT_EQ(size, 4u) << "the room it needs";

  char data[16] = {};
  size = sizeof data;
  ASSERT_EQ(key.QueryValue("Software\\Casino\\x\\licenschecksum", &type, data, &size), 1);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::string(data, 4), "1234");
  EXPECT_EQ(Get(key, "Software\\Casino\\x\\licenschecksum"), "1234");
  char five[5];
  EXPECT_EQ(key.GetString("Software\\Casino\\x\\licenschecksum", five, sizeof five), 1);
  EXPECT_EQ(key.GetString("Software\\Casino\\x\\licenschecksum", five, 4), 0) << "no room for the zero";

  uint32_t number = 0;
  ASSERT_EQ(key.GetNumber("save password", number), 1);
  EXPECT_EQ(number, 0x01020304u);
  size = sizeof data;
  ASSERT_EQ(key.QueryValue("Save Password", &type, data, &size), 1);
  EXPECT_EQ(type, XREG_NUMBER);
  EXPECT_EQ(std::vector<uint8_t>(data, data + 4), (std::vector<uint8_t>{4, 3, 2, 1}));
  EXPECT_EQ(key.GetNumber("Password", number), 0) << "a string is no number";
  EXPECT_EQ(Get(key, "Save Password"), "(missing)") << "a number is no string";
  EXPECT_EQ(key.SetValue("Odd", XREG_NUMBER, "12345", 5), 0);
  EXPECT_EQ(key.SetValue("Odd", 7, "1", 1), 0);
}

TEST_F(Registry, DefaultValueAndEveryByteSurviveTheFile) {
  CRegKey key;
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Bytes"), 1);
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  ASSERT_EQ(key.SetValue(nullptr, XREG_BINARY, all.data(), static_cast<uint32_t>(all.size())), 1);
  ASSERT_EQ(key.SetString("Quote\"And%Percent\xE9", "\xE9t\xE9"), 1);
  CRegKey again;
  ASSERT_EQ(again.Open(XREG_CURRENT_USER, "Software\\Bytes"), 1);
  char data[300];
  uint32_t size = sizeof data, type = 0;
  ASSERT_EQ(again.QueryValue("", &type, data, &size), 1);
  EXPECT_EQ(type, XREG_BINARY);
  EXPECT_EQ(std::string(data, size), all);
  EXPECT_EQ(Get(again, "quote\"and%percent\xE9"), "\xE9t\xE9");
}

TEST_F(Registry, DeletingValuesAndKeys) {
  CRegKey root;
  ASSERT_EQ(root.Create(XREG_LOCAL_MACHINE, "Software\\Vorrin Casino\\Deep"), 1);
  ASSERT_EQ(root.Open(XREG_LOCAL_MACHINE, "Software\\Vorrin Casino"), 1);
  ASSERT_EQ(root.SetString("Code", "ABCDE"), 1);
  ASSERT_EQ(root.DeleteValue("code"), 1);
  EXPECT_EQ(root.DeleteValue("code"), 0);
  EXPECT_EQ(Get(root, "Code"), "(missing)");

  CRegKey software;
  ASSERT_EQ(software.Open(XREG_LOCAL_MACHINE, "Software"), 1);
  EXPECT_EQ(software.DeleteSubKey("Vorrin Casino"), 0) << "it has a subkey";
  EXPECT_EQ(software.DeleteSubKey("vorrin casino\\deep"), 1);
  EXPECT_EQ(software.DeleteSubKey("Vorrin Casino"), 1);
  EXPECT_EQ(root.SetString("Code", "ABCDE"), 0) << "the open key is gone";
  uint32_t count = 9;
  ASSERT_EQ(software.CountSubKeys(count), 1);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(software.EnumSubKey(0, nullptr, 0), 0);
}

TEST_F(Registry, SubKeysEnumerateInNameOrder) {
  CRegKey key;
  for (const char* name : {"b", "C", "a", "B2"}) {
    ASSERT_EQ(key.Create(XREG_CURRENT_USER, (std::string("Software\\Vorrin\\Poker\\") + name).c_str()), 1);
  }
  ASSERT_EQ(key.Open(XREG_CURRENT_USER, "Software\\Vorrin\\Poker"), 1);
  uint32_t count = 0;
  ASSERT_EQ(key.CountSubKeys(count), 1);
  ASSERT_EQ(count, 4u);
  std::vector<std::string> names;
  char name[256];
  for (uint32_t i = 0; key.EnumSubKey(i, name, sizeof name); ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "B2", "C"}));
  EXPECT_EQ(key.EnumSubKey(0, name, 1), 0) << "no room for the name";
}

TEST_F(Registry, OpeningAMissingKeyFailsAndCreatingItTwiceOpensIt) {
  CRegKey key;
  EXPECT_EQ(key.Open(XREG_CURRENT_USER, "Software\\Nothing"), 0);
  EXPECT_EQ(key.IsOpen(), 0);
  EXPECT_EQ(key.SetString("x", "y"), 0);
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Nothing"), 1);
  ASSERT_EQ(key.SetString("x", "y"), 1);
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "software\\nothing"), 1);
  EXPECT_EQ(Get(key, "X"), "y");
  EXPECT_EQ(key.Flush(), 1);
  key.Close();
  EXPECT_EQ(key.Flush(), 0);
  EXPECT_EQ(key.Create(XREG_CURRENT_USER, (std::string(256, 'k')).c_str()), 0) << "key names end at 255";
}

TEST_F(Registry, AProcessKilledInTheMiddleOfAWriteLeavesThePreviousContents) {
  CRegKey key;
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Casino"), 1);
  ASSERT_EQ(key.SetString("Kept", "before"), 1);
  const std::string before = ReadWholeFile(StoreFile(XREG_CURRENT_USER));

  // The peer may write files of at most 64 KiB; its 200 KB value kills it with SIGXFSZ while it
  // writes the registry, lock held.
  CSpawnedChild p;
  ASSERT_TRUE(p.StartProgram("sysservices_child", {"regbig", "Software\\Casino", "Big", "200000", "65536"}));
  EXPECT_TRUE(p.WaitFor("writing"));
  EXPECT_EQ(p.ReadLine(), "<eof>");
  ASSERT_EQ(p.Wait(), 128 + SIGXFSZ);

  EXPECT_EQ(ReadWholeFile(StoreFile(XREG_CURRENT_USER)), before);
  EXPECT_EQ(Get(key, "Kept"), "before");
  EXPECT_EQ(Get(key, "Big"), "(missing)");
  // The lock died with the peer, and its half-written file is cleared away by the next writer.
  ASSERT_EQ(key.SetString("After", "fine"), 1);
  EXPECT_EQ(Get(key, "After"), "fine");
  std::vector<std::string> leftovers;
  for (const auto& e : std::filesystem::directory_iterator(PlatformRegistryFolder(XREG_CURRENT_USER)))
    leftovers.push_back(e.path().filename().string());
  std::sort(leftovers.begin(), leftovers.end());
  EXPECT_EQ(leftovers, (std::vector<std::string>{"registry.lock", "registry.txt"}));
}

TEST_F(Registry, TwoProgramsWritingAtOnceLoseNothing) {
  CRegKey key;
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Busy"), 1);
  CSpawnedChild p;
  ASSERT_TRUE(p.StartProgram("sysservices_child", {"regmany", "Software\\Busy", "peer", "150"}));
  for (uint32_t i = 0; i < 150; ++i) ASSERT_EQ(key.SetNumber(("here" + std::to_string(i)).c_str(), i), 1);
  EXPECT_TRUE(p.WaitFor("done"));
  EXPECT_EQ(p.Wait(), 0);
  uint32_t count = 0;
  ASSERT_EQ(key.CountValues(count), 1);
  EXPECT_EQ(count, 300u);
  uint32_t v = 0;
  ASSERT_EQ(key.GetNumber("PEER149", v), 1);
  EXPECT_EQ(v, 149u);
}

TEST_F(Registry, ADamagedStoreIsSetAsideAndStartedAfresh) {
  CRegKey key;
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Casino"), 1);
  WriteWholeFile(StoreFile(XREG_CURRENT_USER), "vorrin-registry 1\nkey \"Software\\Casino\"\nstring \"x\" \"unterminated\n");
  EXPECT_EQ(key.Open(XREG_CURRENT_USER, "Software\\Casino"), 0);
  ASSERT_EQ(key.Create(XREG_CURRENT_USER, "Software\\Casino"), 1);
  ASSERT_EQ(key.SetString("x", "fresh"), 1);
  EXPECT_EQ(Get(key, "x"), "fresh");
  EXPECT_NE(ReadWholeFile(PlatformRegistryFolder(XREG_CURRENT_USER) + "/registry.damaged").find("unterminated"),
            std::string::npos);
}

TEST(RegistryText, MalformedTextIsRefused) {
  const char* bad[] = {
      "",  // accepted: an empty store (checked below)
      "vorrin-registry 2\n",
      "vorrin-registry 1\nstring \"no key yet\" \"x\"\n",
      "vorrin-registry 1\nkey \"a\"\nnumber \"n\" 4294967296\n",
      "vorrin-registry 1\nkey \"a\"\nnumber \"n\" -1\n",
      "vorrin-registry 1\nkey \"a\"\nstring \"n\" \"%G0\"\n",
      "vorrin-registry 1\nkey \"a\"\nstring \"n\" \"x\" trailing\n",
      "vorrin-registry 1\nkey \"a\"\ndword \"n\" 1\n",
      "vorrin-registry 1\nkey \"a\tb\"\n",
  };
  CRegistryTree tree;
  EXPECT_TRUE(tree.Parse(bad[0]));
  for (size_t i = 1; i < std::size(bad); ++i) EXPECT_FALSE(tree.Parse(bad[i])) << bad[i];
  const std::string good =
      "vorrin-registry 1\nkey \"Software\"\nkey \"Software\\x\"\nnumber \"n\" 4294967295\nstring \"s\" "
      "\"a%22b%00\"\n";
  ASSERT_TRUE(tree.Parse(good));
  EXPECT_EQ(tree.Text(), good);
}

TEST(RegistryText, BoundsHoldForHostileFiles) {
  TRegistryKey key;
  for (size_t i = 0; i < XREG_MAX_CHILDREN; ++i) {
    ASSERT_NE(key.AddSubKey("k" + std::to_string(i)), nullptr);
    ASSERT_TRUE(key.SetValue("v" + std::to_string(i), XREG_STRING, ""));
  }
  EXPECT_EQ(key.AddSubKey("one more"), nullptr);
  EXPECT_NE(key.AddSubKey("K7"), nullptr) << "an existing one is still found";
  EXPECT_FALSE(key.SetValue("one more", XREG_STRING, ""));
  EXPECT_TRUE(key.SetValue("V7", XREG_NUMBER, "1234")) << "and may still change";

  std::string many = "vorrin-registry 1\nkey \"a\"\n";
  for (size_t i = 0; i <= XREG_MAX_CHILDREN; ++i) many += "string \"v" + std::to_string(i) + "\" \"\"\n";
  CRegistryTree tree;
  EXPECT_FALSE(tree.Parse(many));
  std::string deep = "vorrin-registry 1\nkey \"";
  for (size_t i = 0; i <= XREG_MAX_DEPTH; ++i) deep += "k\\";
  EXPECT_FALSE(tree.Parse(deep + "\"\n"));
  std::string wide = "vorrin-registry 1\n";
  for (size_t i = 0; i <= XREG_MAX_ENTRIES / 400; ++i) {
    wide += "key \"" + std::to_string(i) + "\\";
    for (int j = 0; j < 400; ++j) wide += "k\\";
    wide += "\"\n";
  }
  EXPECT_FALSE(tree.Parse(wide)) << "more keys than a tree may hold";
}
