#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/crypto/random.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/identifiers.h"
#include "ostrel/system/processes.h"
#include "ostrel/system/sysservices.h"
#include "platform/net/interfaces.h"
#include "platform/process/scheduling.h"

namespace {
// Records what would be set; refuses what an ordinary user may not do (any raise).
class CFakeScheduler : public CSchedulerBase {
 public:
  CFakeScheduler() { PlatformSetScheduler(this); }
  ~CFakeScheduler() override { PlatformSetScheduler(nullptr); }
  bool Get(TSchedule& out) override {
    out = m_Now;
    return true;
  }
  bool Set(const TSchedule& s) override {
    m_Asked.push_back(s);
    const bool raise = (s.m_RealTime && !m_Now.m_RealTime) || (!s.m_RealTime && !m_Now.m_RealTime && s.m_Nice < m_Now.m_Nice);
    if (m_Ordinary && raise) return false;
    m_Now = s;
    return true;
  }
  TSchedule m_Now;
  bool m_Ordinary = false;
  std::vector<TSchedule> m_Asked;
};

std::string RunPython(const std::string& code) {
  const std::string command = "python3 -c '" + code + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buf[256];
  while (pipe && std::fgets(buf, sizeof buf, pipe.get())) out += buf;
  return out;
}

// Raw values for xRand, one after the other.
std::vector<uint32_t> g_Raw;
size_t g_RawAt = 0;
int RawSource(uint32_t& out) {
  out = g_Raw[g_RawAt++ % g_Raw.size()];
  return 1;
}

class WithGlobals : public ::testing::Test {
 protected:
  void SetUp() override { glb = new SGlobals(1); }
  void TearDown() override {
    delete glb;
    glb = nullptr;
  }
};
}  // namespace

TEST(Priority, TheScaleMapsOntoNiceValuesAndRealTime) {
  CFakeScheduler sched;
  const struct {
    int32_t p;
    TSchedule set;
    int32_t back;
  } cases[] = {
      {0, {false, 19}, 25},  {25, {false, 19}, 25}, {26, {false, 0}, 50},  {50, {false, 0}, 50},
      {64, {false, 0}, 50},  {65, {false, -10}, 65}, {89, {false, -10}, 65}, {90, {true, 0}, 90},
      {100, {true, 0}, 90},  {-5, {false, 19}, 25},  {400, {true, 0}, 90},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(xSetPriority(c.p), 1) << c.p;
    EXPECT_EQ(sched.m_Now, c.set) << c.p;
    int32_t p = -1;
    ASSERT_EQ(xGetPriority(p), 1);
    EXPECT_EQ(p, c.back) << c.p;
  }
  // Nice values of no class of the scale read as normal.
  for (int32_t nice : {5, -5, 18, -20}) {
    sched.m_Now = {false, nice};
    int32_t p = -1;
    ASSERT_EQ(xGetPriority(p), 1);
    EXPECT_EQ(p, 50) << nice;
  }
}

TEST(Priority, StepsAreClampedToTheScale) {
  CFakeScheduler sched;
  ASSERT_EQ(xSetPriority(50), 1);
  ASSERT_EQ(xIncPriority(100), 1);
  EXPECT_TRUE(sched.m_Now.m_RealTime);
  ASSERT_EQ(xDecPriority(30), 1);  // 90 - 30 = 60: normal
  EXPECT_EQ(sched.m_Now, (TSchedule{false, 0}));
  ASSERT_EQ(xIncPriority(5), 1);  // 55: still normal
  EXPECT_EQ(sched.m_Now, (TSchedule{false, 0}));
  ASSERT_EQ(xDecPriority(1000), 1);
  EXPECT_EQ(sched.m_Now, (TSchedule{false, 19}));
}

TEST(Priority, ARefusedRaiseFailsAndChangesNothing) {
  CFakeScheduler sched;
  sched.m_Ordinary = true;
  EXPECT_EQ(xSetPriority(25), 1);
  EXPECT_EQ(xSetPriority(50), 0);
  EXPECT_EQ(xIncPriority(100), 0);
  int32_t p = 0;
  ASSERT_EQ(xGetPriority(p), 1);
  EXPECT_EQ(p, 25);
}

TEST(Priority, IdleReallyLowersThisProcess) {
  ASSERT_EQ(xSetPriority(25), 1);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 19);
  int32_t p = 0;
  ASSERT_EQ(xGetPriority(p), 1);
  EXPECT_EQ(p, 25);
}

TEST(Process, IdsAndTheNewProcessCheck) {
  EXPECT_EQ(xGetProcessId(), getpid());
  EXPECT_EQ(xGetThreadID(), gettid());
  int32_t may = 7, reason = 7;
  EXPECT_EQ(TryCreateNewProcess(may, reason), 1);
  EXPECT_EQ(may, 1);
  EXPECT_EQ(reason, 0);
}

TEST_F(WithGlobals, UidCountsFromOneAndSkipsZero) {
  g_Raw = {5, 7, 32768 + 9};
  g_RawAt = 0;
  xSetRandSource(RawSource);
  uint32_t a = 0, b = 0, c = 0;
  xGetUID(a, b, c);
  xSetRandSource(nullptr);
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(b, static_cast<uint32_t>(getpid()));
  EXPECT_EQ(c, ((5u + 7u) << 10) + 9u);
  xGetUID(a, b, c);
  EXPECT_EQ(a, 2u);
  glb->m_UidCounter = 0xFFFFFFFFu;
  xGetUID(a, b, c);
  EXPECT_EQ(a, 1u);
}

TEST(Uid, WithoutGlobalsTheCounterIsRandomAndNeverZero) {
  g_Raw = {0, 32768, 3 * 32768 + 17, 1, 2, 3};
  g_RawAt = 0;
  xSetRandSource(RawSource);
  uint32_t a = 0, b = 0, c = 0;
  xGetUID(a, b, c);
  xSetRandSource(nullptr);
  EXPECT_EQ(a, 17u) << "zeros are drawn again";
  EXPECT_EQ(c, ((1u + 2u) << 10) + 3u);
  std::set<uint32_t> seen;
  for (int i = 0; i < 200; ++i) {
    uint32_t a = 0, b = 0, c = 0;
    xGetUID(a, b, c);
    EXPECT_GE(a, 1u);
    EXPECT_LT(a, 32768u);
    seen.insert(a);
  }
  EXPECT_GT(seen.size(), 100u);
}

TEST(Puid, AddressProcessAndDigitsFillTheBuffer) {
  char buf[XPUID_SIZE + 8];
  std::memset(buf, 'Z', sizeof buf);
  ASSERT_EQ(xCreatePUID(buf), 1);
  const std::string prefix = std::string(xGetMachineIP()) + "_" + std::to_string(getpid()) + "_";
  const std::string text = buf;
  ASSERT_EQ(text.size(), 127u);
  EXPECT_EQ(text.substr(0, prefix.size()), prefix);
  EXPECT_EQ(text.find_first_not_of("0123456789", prefix.size()), std::string::npos);
  // Digits come lowest first, number after number of the fallback generator.
  uint32_t seeds[16] = {};
  seeds[14] = 1234;
  seeds[15] = 560;
  ASSERT_EQ(xSeedLGCRand(seeds, 16), 1);
  ASSERT_EQ(xCreatePUID(buf), 1);
  EXPECT_EQ(std::string(buf).substr(prefix.size(), 7), "4321065");
  EXPECT_EQ(buf[XPUID_SIZE], 'Z') << "no byte past the 128";
  char other[XPUID_SIZE];
  xCreatePUID(other);
  EXPECT_STRNE(buf, other);
}

TEST(MachineAddress, FirstUsableInterfaceAddress) {
  TInterfaceAddress lo{"lo", true, true, {127, 0, 0, 1}}, down{"eth0", false, false, {10, 0, 0, 1}},
      up{"eth1", true, false, {192, 168, 1, 20}}, later{"wlan0", true, false, {172, 16, 0, 5}},
      none{"eth2", true, false, {0, 0, 0, 0}};
  EXPECT_EQ(PlatformPickMachineAddress({lo, down, none, up, later}), "192.168.1.20");
  EXPECT_EQ(PlatformPickMachineAddress({lo, down}), "127.0.0.1");
  EXPECT_EQ(PlatformPickMachineAddress({}), "127.0.0.1");
}

// Python's view of this machine's interfaces: the up, non-loopback IPv4 addresses.
TEST(MachineAddress, AgreesWithPython) {
  const std::string listed = RunPython(
      "import socket,fcntl,struct\n"
      "s=socket.socket(socket.AF_INET,socket.SOCK_DGRAM)\n"
      "for i,n in socket.if_nameindex():\n"
      "  r=struct.pack(\"256s\",n.encode())\n"
      "  try:\n"
      "    f=struct.unpack(\"H\",fcntl.ioctl(s,0x8913,r)[16:18])[0]\n"
      "    a=socket.inet_ntoa(fcntl.ioctl(s,0x8915,r)[20:24])\n"
      "  except OSError: continue\n"
      "  if f&1 and not f&8 and not a.startswith(\"127.\"): print(a)\n");
  const std::string ip = xGetMachineIP();
  if (listed.empty()) {
    EXPECT_EQ(ip, "127.0.0.1");
  } else {
    EXPECT_NE(("\n" + listed).find("\n" + ip + "\n"), std::string::npos) << ip << " not in\n" << listed;
  }
}

TEST_F(WithGlobals, GlobalFlagsOneTo4095) {
  for (int32_t n : {1, 2, 4095}) {
    EXPECT_EQ(GlobalVar_IsFalse(n), 1);
    GlobalVar_SetTrue(n);
    EXPECT_EQ(GlobalVar_IsTrue(n), 1);
    EXPECT_EQ(GlobalVar_IsFalse(n), 0);
    GlobalVar_SetFalse(n);
    EXPECT_EQ(GlobalVar_IsTrue(n), 0);
  }
  for (int32_t n : {0, 4096, -1, 100000}) {
    GlobalVar_SetTrue(n);
    EXPECT_EQ(GlobalVar_IsTrue(n), 0) << n;
    EXPECT_EQ(GlobalVar_IsFalse(n), 0) << n;
  }
  EXPECT_EQ(glb->m_GlobalFlags[0], 0);
}

TEST(GlobalFlags, NothingWithoutGlobals) {
  GlobalVar_SetTrue(5);
  EXPECT_EQ(GlobalVar_IsTrue(5), 0);
  EXPECT_EQ(GlobalVar_IsFalse(5), 0);
}

TEST(Texts, ErrorMergeBracketsTheFirstText) {
  const struct {
    const char *a, *b, *want;
  } cases[] = {{"CFile", "cannot open", "[CFile] cannot open"},
               {nullptr, "text", "[] text"},
               {"a", nullptr, "[a] "},
               {nullptr, nullptr, "[] "}};
  for (const auto& c : cases) {
    char* merged = xErrorMerge(c.a, c.b);
    ASSERT_NE(merged, nullptr);
    EXPECT_STREQ(merged, c.want);
    xFree(merged);
  }
}

TEST(Texts, DateStringAndFieldsAreToday) {
  const std::string python = RunPython("import datetime; print(datetime.date.today())");
  char* date = xGetDateString();
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(std::string(date) + "\n", python);
  xFree(date);

  int32_t sec, min, hour, day, month, year, weekday, yday, dst;
  ASSERT_EQ(xGetDateInfo(sec, min, hour, day, month, year, weekday, yday, dst), 1);
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(day, local.tm_mday);
  EXPECT_EQ(month, local.tm_mon);
  EXPECT_EQ(year, local.tm_year);
  EXPECT_EQ(weekday, local.tm_wday);
  EXPECT_EQ(yday, local.tm_yday);
  EXPECT_GE(sec, 0);
  EXPECT_LE(sec, 60);
}
