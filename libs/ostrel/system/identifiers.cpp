#include "ostrel/system/identifiers.h"

#include <sys/random.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ostrel/system/globals.h"
#include "platform/net/interfaces.h"

// The generators belong to the random-number component. Until it is linked into the library the
// identifiers draw from the system's random source instead.
uint32_t xRand(uint32_t n, int* fromService, int) __attribute__((weak));
uint32_t CLGCRand() __attribute__((weak));

namespace {
constexpr uint32_t kRandRange = 32768;
char g_MachineIP[20];

uint32_t SystemRandom() {
  uint32_t r = 0;
  while (getrandom(&r, sizeof r, 0) != static_cast<ssize_t>(sizeof r)) {
  }
  return r;
}

uint32_t Draw(uint32_t n) { return xRand ? xRand(n, nullptr, 0) : SystemRandom() % n; }
uint32_t Fallback() { return CLGCRand ? CLGCRand() : SystemRandom(); }

bool FlagInRange(int32_t n) { return glb && n >= 1 && n < GLOBAL_FLAG_COUNT; }
}  // namespace

void xGetUID(uint32_t& a, uint32_t& b, uint32_t& c) {
  if (glb) {
    if (++glb->m_UidCounter == 0) ++glb->m_UidCounter;
    a = glb->m_UidCounter;
  } else {
    do a = Draw(kRandRange);
    while (a == 0);
  }
  b = static_cast<uint32_t>(getpid());
  const uint32_t r1 = Draw(kRandRange), r2 = Draw(kRandRange), r3 = Draw(kRandRange);
  c = ((r1 + r2) << 10) + r3;
}

int32_t xCreatePUID(char* buffer) {
  if (!buffer) return 0;
  std::memset(buffer, 0, XPUID_SIZE);
  int len = std::snprintf(buffer, XPUID_SIZE, "%s_%lu_", xGetMachineIP(), static_cast<unsigned long>(getpid()));
  uint32_t r = Fallback();
  while (len < XPUID_SIZE - 1) {
    if (r == 0) {  // used up: the next number
      r = Fallback();
      continue;
    }
    buffer[len++] = static_cast<char>('0' + r % 10);
    r /= 10;
  }
  return 1;
}

const char* xGetMachineIP() {
  const std::string ip = PlatformPickMachineAddress(PlatformInterfaceAddresses());
  std::snprintf(g_MachineIP, sizeof g_MachineIP, "%s", ip.c_str());
  return g_MachineIP;
}

void GlobalVar_SetTrue(int32_t n) {
  if (FlagInRange(n)) glb->m_GlobalFlags[n] = 1;
}

void GlobalVar_SetFalse(int32_t n) {
  if (FlagInRange(n)) glb->m_GlobalFlags[n] = 0;
}

int32_t GlobalVar_IsTrue(int32_t n) { return FlagInRange(n) && glb->m_GlobalFlags[n] ? 1 : 0; }
int32_t GlobalVar_IsFalse(int32_t n) { return FlagInRange(n) && !glb->m_GlobalFlags[n] ? 1 : 0; }
