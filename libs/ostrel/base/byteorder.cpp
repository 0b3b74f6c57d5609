#include "ostrel/base/byteorder.h"

#include <cstring>

#include "ostrel/system/globals.h"

namespace {
constexpr uint8_t kBigEndian = 1;
constexpr uint8_t kLittleEndian = 2;

uint8_t ProbeByteOrder() {
  const uint16_t one = 1;
  uint8_t first;
  std::memcpy(&first, &one, 1);
  return first ? kLittleEndian : kBigEndian;
}

template <typename T>
T ToStandard(T v) {
  if (xHostByteOrder() == kBigEndian) return v;
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, &v, sizeof(T));
  for (size_t i = 0; i < sizeof(T) / 2; ++i) {
    const unsigned char t = bytes[i];
    bytes[i] = bytes[sizeof(T) - 1 - i];
    bytes[sizeof(T) - 1 - i] = t;
  }
  std::memcpy(&v, bytes, sizeof(T));
  return v;
}
}  // namespace

uint8_t xHostByteOrder() {
  if (!glb) return ProbeByteOrder();
  if (!glb->m_ByteOrder) glb->m_ByteOrder = ProbeByteOrder();
  return glb->m_ByteOrder;
}

uint32_t XULONG_FromProcToStd(uint32_t v) { return ToStandard(v); }
uint16_t XUWORD_FromProcToStd(uint16_t v) { return ToStandard(v); }
float XFLOAT_FromProcToStd(float v) { return ToStandard(v); }
double XDOUBLE_FromProcToStd(double v) { return ToStandard(v); }
uint32_t XULONG_FromStdToProc(uint32_t v) { return ToStandard(v); }
uint16_t XUWORD_FromStdToProc(uint16_t v) { return ToStandard(v); }
float XFLOAT_FromStdToProc(float v) { return ToStandard(v); }
double XDOUBLE_FromStdToProc(double v) { return ToStandard(v); }
