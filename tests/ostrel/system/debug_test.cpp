#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "support/tempdir.h"

#include <unistd.h>

namespace {
std::map<std::string, std::string> g_Seen;
void Collect(const char* key, const char* value) { g_Seen[key] = value; }

class DebugOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    glb = new SGlobals(1);
    g_Seen.clear();
  }
  void TearDown() override {
    delete glb;
    glb = nullptr;
  }
  void Read(const std::string& content) {
    WriteWholeFile(m_Dir.File("opts.cfg"), content);
    xGetDebugOptions(m_Dir.File("opts.cfg").c_str(), Collect);
  }
  CTempDir m_Dir;
};
}  // namespace

TEST_F(DebugOptions, KnownKeysSetTheSwitches) {
  Read("debuglevel = DBGL_KCBL\r\nvalidate = off\ndebugscreen=ON\ndebugflag = \"on\"\n");
  EXPECT_EQ(glb->m_DebugLevel, 4);
  EXPECT_EQ(xGetDebugLevel(4), 1);
  EXPECT_EQ(xGetDebugLevel(2), 0);
  EXPECT_EQ(glb->m_NoValidation, 1);
  EXPECT_EQ(glb->m_DebugScreen, 1);
  EXPECT_EQ(glb->m_StdDebugMode, 1);
  EXPECT_TRUE(g_Seen.empty());
  Read("VALIDATE = ON\ndebugscreen = no\ndebugflag=off\ndebuglevel = dbgl_all\n");
  EXPECT_EQ(glb->m_NoValidation, 0);
  EXPECT_EQ(glb->m_DebugScreen, 0);
  EXPECT_EQ(glb->m_StdDebugMode, 0);
  EXPECT_EQ(glb->m_DebugLevel, DBGL_ALL);
  Read("debuglevel = DBGL_NOTALEVEL\n");
  EXPECT_EQ(glb->m_DebugLevel, DBGL_ALL);
}

TEST_F(DebugOptions, OtherKeysReachTheCallbackTrimmed) {
  Read("  \"server.host\" = \t'casino-1.example'; \n"
       "x=1\n"          // key of one character: ignored
       "ab=\n"          // nothing after the '='
       "==\n"           // too short
       "ab\n"           // no '='
       "a=b=c\n"        // split at the last '=': key "a=b"
       "-- = --\n"      // both sides trim to nothing
       "port = 6001");  // no line end
  EXPECT_EQ(g_Seen.size(), 3u);
  EXPECT_EQ(g_Seen["server.host"], "casino-1.example");
  EXPECT_EQ(g_Seen["a=b"], "c");
  EXPECT_EQ(g_Seen["port"], "6001");
}

TEST_F(DebugOptions, TheRestOfAnOverlongLineIsNotReadAsALine) {
  const std::string tail = "debuglevel = DBGL_KCBL";
  Read("comment = " + std::string(120, 'x') + tail + "\nlast = one\n");
  EXPECT_EQ(glb->m_DebugLevel, 0);
  EXPECT_EQ(g_Seen.count("last"), 1u);
  EXPECT_EQ(g_Seen["comment"].size(), 99u - 10u);
}

TEST_F(DebugOptions, MissingFileChangesNothing) {
  xGetDebugOptions(m_Dir.File("absent.cfg").c_str(), Collect);
  xGetDebugOptions(nullptr, nullptr);
  EXPECT_EQ(glb->m_DebugLevel, 0);
}

TEST(DebugSwitches, DoNothingWithoutGlobals) {
  xSetDebugLevel(4);
  xStartStdDebug(1);
  EXPECT_EQ(xGetDebugLevel(4), 0);
}

TEST(DebugSinks, DefaultSinkAppendsToItsFile) {
  CTempDir dir;
  CWorkingDir inDir(dir.Path());
  xDefaultDbgStdOut("one\n");
  xDefaultDbgStdOut("");
  xDefaultDbgStdOut("two\n");
  xDefaultDbgLvlOut("level\n");
  EXPECT_EQ(ReadWholeFile(dir.File("DbgStd.txt")), "one\ntwo\n");
  EXPECT_EQ(ReadWholeFile(dir.File("DbgLevel.txt")), "level\n");
  xDeleteDbgFiles();
  EXPECT_EQ(access(dir.File("DbgStd.txt").c_str(), F_OK), -1);
}
