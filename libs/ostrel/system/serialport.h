// A serial port. How the settings map onto the system's ports is in platform/os/serial.h.
#pragma once

#include <cstdint>

class CSerialPortBase {
 public:
  virtual ~CSerialPortBase() = default;
  virtual int Open(const char* port, int read, int write, uint32_t baudRate, int binary,
                   int parityCheck, int ctsFlow, int dsrFlow, uint32_t dtrControl,
                   int dsrSensitivity, int rtsControl, uint32_t byteSize, uint32_t parityMode,
                   double stopBits, uint32_t timeout) = 0;
  virtual int Close() = 0;
  virtual int Read(void* buffer, uint32_t n) = 0;
  virtual int Write(void* buffer, uint32_t n) = 0;
  virtual int Flush(int unused, int flush) = 0;
};

class CSerialPort : public CSerialPortBase {
 public:
  CSerialPort() = default;
  ~CSerialPort() override;
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Closes what was held, opens the port exclusively and sets it up. parityMode 1 odd, 2 even,
  // 3 mark, 4 space, else none; stopBits 2.0 two, 1.5 one and a half, else one. timeout is the
  // allowance per byte of each Read and Write (total time-out n * timeout ms; 0: no limit).
  int Open(const char* port, int read, int write, uint32_t baudRate, int binary, int parityCheck,
           int ctsFlow, int dsrFlow, uint32_t dtrControl, int dsrSensitivity, int rtsControl,
           uint32_t byteSize, uint32_t parityMode, double stopBits, uint32_t timeout) override;
  int Close() override;
  // 1 only when exactly n bytes moved (at once for n = 0); 0 without a port or buffer.
  int Read(void* buffer, uint32_t n) override;
  int Write(void* buffer, uint32_t n) override;
  // Waits until everything written has gone out; 1 at once when flush is 0.
  int Flush(int unused, int flush) override;

 private:
  int32_t TotalTimeout(uint32_t n) const;

  int m_hPort = -1;
  uint32_t m_Timeout = 0;
};
