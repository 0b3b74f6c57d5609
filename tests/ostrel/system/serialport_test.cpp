#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "ostrel/system/serialport.h"
#include "platform/os/serial.h"
#include "support/testclock.h"

namespace {

// A pseudo-terminal stands in for the port: the test holds the master side.
class SerialPort : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(m_Master, 0);
    ASSERT_EQ(grantpt(m_Master), 0);
    ASSERT_EQ(unlockpt(m_Master), 0);
    m_Device = ptsname(m_Master);
  }
  void TearDown() override { close(m_Master); }

  int OpenPort(CSerialPort& port, uint32_t timeout) {
    return port.Open(m_Device.c_str(), 1, 1, 19200, 1, 0, 0, 0, 1, 0, 1, 8, 0, 1.0, timeout);
  }

  int m_Master = -1;
  std::string m_Device;
  CTestClock m_Clock;
};

TEST_F(SerialPort, BytesGoBothWays) {
  CSerialPort port;
  ASSERT_EQ(OpenPort(port, 5), 1);
  EXPECT_EQ(m_Clock.Slept(), 200u);  // the line settles once

  char out[] = "ATZ\r";
  EXPECT_EQ(port.Write(out, 4), 1);
  EXPECT_EQ(port.Flush(0, 1), 1);
  char seen[8] = {};
  ASSERT_EQ(read(m_Master, seen, sizeof seen), 4);
  EXPECT_EQ(std::string(seen, 4), "ATZ\r");

  ASSERT_EQ(write(m_Master, "OK\r\n", 4), 4);
  char in[4] = {};
  EXPECT_EQ(port.Read(in, 4), 1);
  EXPECT_EQ(std::string(in, 4), "OK\r\n");
  // Raw: nothing was echoed back to the other side.
  EXPECT_EQ(fcntl(m_Master, F_SETFL, O_NONBLOCK), 0);
  EXPECT_EQ(read(m_Master, seen, sizeof seen), -1);

  // Fewer bytes than asked for within the time-out is a failure.
  ASSERT_EQ(write(m_Master, "ab", 2), 2);
  EXPECT_EQ(port.Read(in, 4), 0);
  EXPECT_EQ(port.Read(in, 0), 1);
  EXPECT_EQ(port.Read(nullptr, 4), 0);
  EXPECT_EQ(port.Write(nullptr, 4), 0);
  EXPECT_EQ(port.Flush(0, 0), 1);
  EXPECT_EQ(port.Close(), 1);
  EXPECT_EQ(port.Close(), 1);
}

TEST_F(SerialPort, SettingsReachThePort) {
  struct SCase {
    double stopBits;
    uint32_t parity;
    tcflag_t flags;
  } cases[] = {{1.5, 2, CSTOPB}, {2.0, 0, CSTOPB}, {1.0, 1, 0}, {0.0, 9, 0}};
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.stopBits);
    CSerialPort port;
    ASSERT_EQ(port.Open(m_Device.c_str(), 1, 0, 4800, 1, 1, 0, 0, 0, 0, 0, 8, c.parity, c.stopBits, 0), 1);
    // A pseudo-terminal's master reports the settings of its port. It keeps eight bits and no
    // parity whatever it is told (and may refuse other sizes); the settings table covers those.
    termios t{};
    ASSERT_EQ(tcgetattr(m_Master, &t), 0);
    EXPECT_EQ(t.c_cflag & CSTOPB, c.flags);
    EXPECT_EQ(cfgetospeed(&t), B4800);
  }
}

TEST_F(SerialPort, NothingWorksWithoutAPort) {
  CSerialPort port;
  char buf[4];
  EXPECT_EQ(port.Read(buf, 0), 0);
  EXPECT_EQ(port.Write(buf, 4), 0);
  EXPECT_EQ(port.Flush(0, 0), 0);
  EXPECT_EQ(port.Close(), 1);
  EXPECT_EQ(port.Open("/nonexistent/ttyS9", 1, 1, 9600, 1, 0, 0, 0, 0, 0, 0, 8, 0, 1.0, 0), 0);
  EXPECT_EQ(port.Open(nullptr, 1, 1, 9600, 1, 0, 0, 0, 0, 0, 0, 8, 0, 1.0, 0), 0);
  // Not a terminal.
  EXPECT_EQ(port.Open("/dev/null", 1, 1, 9600, 1, 0, 0, 0, 0, 0, 0, 8, 0, 1.0, 0), 0);
}

TEST_F(SerialPort, ThePortIsNotShared) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens exclusive terminals all the same";
  CSerialPort a, b;
  ASSERT_EQ(OpenPort(a, 0), 1);
  EXPECT_EQ(OpenPort(b, 0), 0);
  EXPECT_EQ(a.Close(), 1);
  EXPECT_EQ(OpenPort(b, 0), 1);
}

TEST(SerialSettings, MapOntoTheNearestTerminalSettings) {
  struct SCase {
    SSerialSettings s;
    tcflag_t set;
    tcflag_t clear;
    tcflag_t iset;
    speed_t speed;
  } cases[] = {
      {{9600, 0, 0, 0, 0, 8, 0, 0}, CS8, PARENB | CSTOPB | CRTSCTS, 0, B9600},
      {{9700, 1, 0, 0, 0, 7, 1, 0}, CS7 | PARENB | PARODD, CMSPAR, INPCK, B9600},
      {{110, 0, 1, 0, 0, 6, 2, 1}, CS6 | PARENB | CSTOPB | CRTSCTS, PARODD | CMSPAR, 0, B110},
      {{115000, 0, 0, 0, 0, 5, 3, 0}, CS5 | PARENB | PARODD | CMSPAR, 0, 0, B115200},
      {{3000000, 0, 0, 0, 0, 9, 4, 0}, CS8 | PARENB | CMSPAR, PARODD, 0, B1000000},
      {{0, 0, 0, 0, 0, 0, 5, 0}, CS8, PARENB, 0, B50},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.s.baudRate);
    termios t{};
    t.c_lflag = ECHO | ICANON;
    t.c_iflag = ICRNL;
    PlatformSerialApply(t, c.s);
    EXPECT_EQ(t.c_cflag & CSIZE, c.set & CSIZE);
    EXPECT_EQ(t.c_cflag & (c.set & ~CSIZE), c.set & ~CSIZE);
    EXPECT_EQ(t.c_cflag & c.clear, 0u);
    EXPECT_EQ(t.c_iflag & INPCK, c.iset);
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON), 0u);
    EXPECT_EQ(t.c_iflag & ICRNL, 0u);
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
  }
}

TEST(SerialSettings, ComPortsNameTheSerialDevices) {
  struct SCase {
    const char* port;
    const char* device;
  } cases[] = {
      {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"},   {"COM0", "COM0"},     {"COM1x", "COM1x"},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"}, {"", ""},
  };
  for (const SCase& c : cases) {
    char out[64];
    PlatformSerialDeviceName(c.port, out, sizeof out);
    EXPECT_STREQ(out, c.device) << c.port;
  }
}

}  // namespace
