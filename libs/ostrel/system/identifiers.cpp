#include "ostrel/system/identifiers.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ostrel/crypto/random.h"
#include "ostrel/system/globals.h"
#include "platform/net/interfaces.h"

namespace {
constexpr uint32_t kRandRange = 32768;
char g_MachineIP[20];

bool FlagInRange(int32_t n) { return glb && n >= 1 && n < GLOBAL_FLAG_COUNT; }
}  // namespace

void xGetUID(uint32_t& a, uint32_t& b, uint32_t& c) {
  if (glb) {
    if (++glb->m_UidCounter == 0) ++glb->m_UidCounter;
    a = glb->m_UidCounter;
  } else {
    do a = xRand(kRandRange);
    while (a == 0);
  }
  b = static_cast<uint32_t>(getpid());
  const uint32_t r1 = xRand(kRandRange), r2 = xRand(kRandRange), r3 = xRand(kRandRange);
  c = ((r1 + r2) << 10) + r3;
}

int32_t xCreatePUID(char* buffer) {
  if (!buffer) return 0;
  std::memset(buffer, 0, XPUID_SIZE);
  int len = std::snprintf(buffer, XPUID_SIZE, "%s_%lu_", xGetMachineIP(), static_cast<unsigned long>(getpid()));
  uint32_t r = CLGCRand();
  while (len < XPUID_SIZE - 1) {
    if (r == 0) {  // used up: the next number
      r = CLGCRand();
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
