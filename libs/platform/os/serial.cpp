#include "platform/os/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock/clock.h"

namespace {

struct SSpeed {
  uint32_t rate;
  speed_t code;
};
constexpr SSpeed kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}};

speed_t NearestSpeed(uint32_t rate) {
  const SSpeed* best = &kSpeeds[0];
  for (const SSpeed& s : kSpeeds) {
    uint32_t d = s.rate > rate ? s.rate - rate : rate - s.rate;
    uint32_t bd = best->rate > rate ? best->rate - rate : rate - best->rate;
    if (d < bd) best = &s;
  }
  return best->code;
}

tcflag_t ByteSizeFlag(uint32_t size) {
  switch (size) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

// One wait-and-move loop for both directions; the deadline reads the platform clock, and a
// poll that runs out is a time-out whatever that clock says.
template <class TMove>
int64_t Transfer(int fd, uint32_t n, int32_t timeoutMs, short events, TMove move) {
  if (fd < 0) return -1;
  const uint32_t start = PlatformClockNow();
  uint32_t done = 0;
  while (done < n) {
    int32_t wait = -1;
    if (timeoutMs >= 0) {
      uint32_t spent = PlatformClockNow() - start;
      wait = spent >= static_cast<uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int32_t>(spent);
    }
    pollfd p{fd, events, 0};
    int r = poll(&p, 1, wait);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;
    ssize_t m = move(done);
    if (m < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (m <= 0) break;
    done += static_cast<uint32_t>(m);
  }
  return done;
}

}  // namespace

void PlatformSerialDeviceName(const char* port, char* out, unsigned outSize) {
  if (!out || outSize == 0) return;
  out[0] = 0;
  if (!port || !port[0]) return;
  if ((port[0] == 'C' || port[0] == 'c') && (port[1] == 'O' || port[1] == 'o') &&
      (port[2] == 'M' || port[2] == 'm') && port[3] >= '1' && port[3] <= '9') {
    char* end = nullptr;
    long n = std::strtol(port + 3, &end, 10);
    if (*end == 0 && n >= 1 && n <= 256) {
      std::snprintf(out, outSize, "/dev/ttyS%ld", n - 1);
      return;
    }
  }
  if (std::strlen(port) < outSize) std::strcpy(out, port);
}

int PlatformSerialOpen(const char* port, int32_t read, int32_t write) {
  char device[256];
  PlatformSerialDeviceName(port, device, sizeof device);
  if (!device[0] || (!read && !write)) return -1;
  int mode = read && write ? O_RDWR : (read ? O_RDONLY : O_WRONLY);
  int fd;
  do {
    fd = open(device, mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void PlatformSerialApply(termios& t, const SSerialSettings& s) {
  cfmakeraw(&t);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= ByteSizeFlag(s.byteSize);
  switch (s.parityMode) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (s.parityCheck) t.c_iflag |= INPCK;
  if (s.twoStopBits) t.c_cflag |= CSTOPB;
  if (s.ctsFlow) t.c_cflag |= CRTSCTS;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  const speed_t speed = NearestSpeed(s.baudRate);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
}

int32_t PlatformSerialConfigure(int fd, const SSerialSettings& s) {
  termios t;
  if (fd < 0 || tcgetattr(fd, &t) != 0) return 0;
  PlatformSerialApply(t, s);
  if (tcsetattr(fd, TCSANOW, &t) != 0) return 0;
  // Modem lines exist on real ports only; a pseudo-terminal has none to set.
  int lines = 0;
  if (ioctl(fd, TIOCMGET, &lines) == 0) {
    lines = s.dtrOn ? (lines | TIOCM_DTR) : (lines & ~TIOCM_DTR);
    if (!s.ctsFlow) lines = s.rtsOn ? (lines | TIOCM_RTS) : (lines & ~TIOCM_RTS);
    ioctl(fd, TIOCMSET, &lines);
  }
  return 1;
}

int64_t PlatformSerialRead(int fd, void* buf, uint32_t n, int32_t timeoutMs) {
  auto* p = static_cast<uint8_t*>(buf);
  return Transfer(fd, n, timeoutMs, POLLIN, [&](uint32_t done) { return ::read(fd, p + done, n - done); });
}

int64_t PlatformSerialWrite(int fd, const void* buf, uint32_t n, int32_t timeoutMs) {
  auto* p = static_cast<const uint8_t*>(buf);
  return Transfer(fd, n, timeoutMs, POLLOUT, [&](uint32_t done) { return ::write(fd, p + done, n - done); });
}

int32_t PlatformSerialDrain(int fd) {
  if (fd < 0) return 0;
  int r;
  do {
    r = tcdrain(fd);
  } while (r != 0 && errno == EINTR);
  return r == 0 ? 1 : 0;
}

int32_t PlatformSerialClose(int fd) {
  if (fd < 0) return 0;
  // The exclusive mark belongs to the device, not to this descriptor: left set, it would keep
  // the port shut for the next opener while the other side holds it open.
  ioctl(fd, TIOCNXCL);
  return close(fd) == 0 ? 1 : 0;
}
