// Serial ports through termios. What the Windows port settings have and termios has not is
// mapped to the nearest setting:
//   - the port is always raw (binary); a non-binary request reads raw all the same;
//   - CTS output flow turns on RTS/CTS hardware flow (CRTSCTS), which covers both lines;
//   - DSR output flow and DSR sensitivity have no equivalent and are ignored;
//   - 1.5 stop bits become two;
//   - mark and space parity use CMSPAR;
//   - a baud rate between the standard ones takes the nearest standard one;
//   - "COMn" names the device /dev/ttyS(n-1); other names are device paths.
#pragma once

#include <termios.h>

#include <cstdint>

struct SSerialSettings {
  uint32_t baudRate;
  int32_t parityCheck;
  int32_t ctsFlow;
  int32_t dtrOn;
  int32_t rtsOn;
  uint32_t byteSize;    // 5 to 8; anything else gives 8
  uint32_t parityMode;  // 1 odd, 2 even, 3 mark, 4 space, else none
  int32_t twoStopBits;
};

// The device for a port name, or an empty name for none.
void PlatformSerialDeviceName(const char* port, char* out, unsigned outSize);
// Opens an existing device for reading and/or writing, exclusively (no other opener may share
// it); -1 on failure.
int PlatformSerialOpen(const char* port, int32_t read, int32_t write);
// Puts the settings into t: raw, receiver on, modem control lines ignored, reads never waiting
// in the driver.
void PlatformSerialApply(termios& t, const SSerialSettings& settings);
// Applies the settings to the port and sets its DTR and RTS lines (where it has them).
int32_t PlatformSerialConfigure(int fd, const SSerialSettings& settings);
// Moves exactly n bytes, waiting at most timeoutMs in all (< 0: without limit): the number
// moved, -1 on failure.
int64_t PlatformSerialRead(int fd, void* buf, uint32_t n, int32_t timeoutMs);
int64_t PlatformSerialWrite(int fd, const void* buf, uint32_t n, int32_t timeoutMs);
// Waits until everything written has gone out.
int32_t PlatformSerialDrain(int fd);
int32_t PlatformSerialClose(int fd);
