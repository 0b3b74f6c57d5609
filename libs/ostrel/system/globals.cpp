#include "ostrel/system/globals.h"

#include <cstring>

#include "ostrel/system/debug.h"

SGlobals* glb = nullptr;
SSysGlobals* sglb = nullptr;
void* ThisInstance = nullptr;

namespace {
// JPEG zig-zag order of the 64 coefficients; the 16 entries behind it let a corrupt stream's
// run-length overshoot land on the last coefficient instead of outside the block.
constexpr uint16_t kZigZag[ZIGZAG_TABLE_SIZE] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33,
    40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36,
    29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54,
    47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};
}  // namespace

SGlobals::SGlobals(int32_t poolFlag) {
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
  std::strcpy(m_ApplicationName, "Noname");
  std::memcpy(m_ZigZag, kZigZag, sizeof(kZigZag));
  m_PoolFlag = poolFlag;
  m_pStdDebugOut = xDefaultDbgStdOut;
  m_pLevelDebugOut = xDefaultDbgLvlOut;
}
