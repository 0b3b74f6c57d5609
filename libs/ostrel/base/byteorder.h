// Conversions between the host's byte order and the standard (big-endian) order of files and
// packets. Both directions are the same operation.
#pragma once

#include <cstdint>

uint32_t XULONG_FromProcToStd(uint32_t v);
uint16_t XUWORD_FromProcToStd(uint16_t v);
float XFLOAT_FromProcToStd(float v);
double XDOUBLE_FromProcToStd(double v);
uint32_t XULONG_FromStdToProc(uint32_t v);
uint16_t XUWORD_FromStdToProc(uint16_t v);
float XFLOAT_FromStdToProc(float v);
double XDOUBLE_FromStdToProc(double v);

// 1 on a big-endian host, 2 on a little-endian one; kept in the globals once known.
uint8_t xHostByteOrder();
