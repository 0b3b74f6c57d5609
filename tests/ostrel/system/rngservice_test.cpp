#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/crypto/random.h"
#include "ostrel/system/namedpipe.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"

namespace {

// The service's public channel is moved into the test's folder; everything else is the real
// channel between two processes.
std::string g_PublicPath;

class CMovedPublicChannel : public CNamedPipe {
 public:
  int Open(const char* name, uint32_t timeout) override {
    if (name && std::strcmp(name, "/tmp/PipeChoise") == 0) name = g_PublicPath.c_str();
    return CNamedPipe::Open(name, timeout);
  }
};
CNamedPipeBase* MakeChannel() { return new CMovedPublicChannel; }

const uint32_t kSeeds[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0xDEADBEEF, 0x0BADF00D};

class RandomService : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_RUNTIME_DIR", m_Dir.Path().c_str(), 1);
    g_PublicPath = m_Dir.File("PipeChoise");
    xSetRNGChannelFactory(MakeChannel);
    xResetRand();
    ASSERT_EQ(xSeedLGCRand(kSeeds, 16), 1);
  }
  void TearDown() override {
    xSetRNGChannelFactory(nullptr);
    xResetRand();
    unsetenv("XDG_RUNTIME_DIR");
  }
  // A service whose private channel (in the runtime folder) counts up from first.
  void StartService(uint32_t first) {
    ASSERT_TRUE(m_Service.Start({"rng-service", g_PublicPath, "rng-private", std::to_string(first)}));
    ASSERT_EQ(m_Service.ReadLine(), "ready");
  }

  CTempDir m_Dir;
  CSpawnedChild m_Service;
};

TEST_F(RandomService, DrawsComeFromTheServiceUntilItIsGone) {
  StartService(1000);
  uint32_t v = 0;
  EXPECT_EQ(xSysRand(v), 1);
  EXPECT_EQ(v, 1000u);
  EXPECT_EQ(xSysRand(v), 1);
  EXPECT_EQ(v, 1001u);
  int fromService = -1;
  EXPECT_EQ(xRand(10, &fromService), 2u);
  EXPECT_EQ(fromService, 1);
  EXPECT_EQ(xRand(1000, &fromService), 3u);

  m_Service.Kill(SIGKILL);
  // The draw that finds the service gone is answered by the fallback, and so are later ones.
  EXPECT_EQ(xRand(1000, &fromService), 0xDEADBEEFu % 1000);
  EXPECT_EQ(fromService, 0);
  EXPECT_EQ(xSysRand(v), 1);
  EXPECT_EQ(v, 0x0BADF00Du);
}

TEST_F(RandomService, WithoutAServiceTheFallbackAnswersFromTheStart) {
  int fromService = -1;
  EXPECT_EQ(xRand(1000, &fromService), 0xDEADBEEFu % 1000);
  EXPECT_EQ(fromService, 1);  // no service ever stood, so none failed
}

}  // namespace
