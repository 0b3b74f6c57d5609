#include "ostrel/system/serialport.h"

#include "ostrel/system/clock.h"
#include "platform/os/serial.h"

CSerialPort::~CSerialPort() { Close(); }

int CSerialPort::Open(const char* port, int read, int write, uint32_t baudRate, int /*binary*/,
                      int parityCheck, int ctsFlow, int /*dsrFlow*/, uint32_t dtrControl,
                      int /*dsrSensitivity*/, int rtsControl, uint32_t byteSize,
                      uint32_t parityMode, double stopBits, uint32_t timeout) {
  Close();
  m_hPort = PlatformSerialOpen(port, read, write);
  if (m_hPort < 0) return 0;
  SSerialSettings s{};
  s.baudRate = baudRate;
  s.parityCheck = parityCheck != 0;
  s.ctsFlow = ctsFlow != 0;
  s.dtrOn = dtrControl != 0;
  s.rtsOn = rtsControl != 0;
  s.byteSize = byteSize;
  s.parityMode = parityMode;
  s.twoStopBits = stopBits == 2.0 || stopBits == 1.5;
  if (!PlatformSerialConfigure(m_hPort, s)) {
    Close();
    return 0;
  }
  // The line settles before the first transfer.
  xSleep(200);
  m_Timeout = timeout;
  return 1;
}

int CSerialPort::Close() {
  if (m_hPort < 0) return 1;
  int fd = m_hPort;
  m_hPort = -1;
  return PlatformSerialClose(fd);
}

int32_t CSerialPort::TotalTimeout(uint32_t n) const {
  if (m_Timeout == 0) return -1;
  uint64_t total = uint64_t(m_Timeout) * n;
  return total > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(total);
}

int CSerialPort::Read(void* buffer, uint32_t n) {
  if (m_hPort < 0 || !buffer) return 0;
  if (n == 0) return 1;
  return PlatformSerialRead(m_hPort, buffer, n, TotalTimeout(n)) == n ? 1 : 0;
}

int CSerialPort::Write(void* buffer, uint32_t n) {
  if (m_hPort < 0 || !buffer) return 0;
  if (n == 0) return 1;
  return PlatformSerialWrite(m_hPort, buffer, n, TotalTimeout(n)) == n ? 1 : 0;
}

int CSerialPort::Flush(int, int flush) {
  if (m_hPort < 0) return 0;
  if (flush == 0) return 1;
  return PlatformSerialDrain(m_hPort);
}
