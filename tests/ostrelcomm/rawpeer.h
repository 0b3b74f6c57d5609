// Plain POSIX peers on 127.0.0.1 for the socket and link tests.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint32_t kLoopbackIp = 0x7F000001u;

// A listening socket on 127.0.0.1 at a port the system picks; -1 (test failure) when it cannot.
int RawListen(uint16_t& port);
// Accepts one connection, waiting up to 10 s; -1 when none came.
int RawAccept(int listener);
// A blocking connection to 127.0.0.1:port with TCP_NODELAY, so every write goes out by itself;
// -1 when refused.
int RawConnect(uint16_t port);
// Reads exactly size bytes, waiting up to 10 s for each part; fewer when the peer stops.
std::string RawRead(int fd, size_t size);
// Writes all of it; false when the peer is gone.
bool RawWrite(int fd, const std::string& bytes);
// A port nobody listens on (bound once and given back).
uint16_t ClosedPort();
// Bytes waiting to be read on the socket.
int Pending(int fd);
