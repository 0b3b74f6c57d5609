// Local message sockets (AF_UNIX, SOCK_SEQPACKET): every send arrives whole as one message, so a
// reader sees where each message ends and how long it really was.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest socket path the system takes.
size_t PlatformLocalPathMax();

// Listens on path. A socket file that nobody listens on any more is replaced; a live one, or
// anything that is not a socket, is left alone and the call fails. -1 on failure.
int PlatformLocalListen(const char* path);
// Removes the socket file when it is still the one this listener made; closes the listener.
void PlatformLocalUnlisten(int fd, const char* path);
// A waiting connection, or -1 when none waits.
int PlatformLocalAccept(int listenFd);
// Connects to a listener that runs as this user or as root; -1 otherwise.
int PlatformLocalConnect(const char* path);
void PlatformLocalClose(int fd);

// Sends one message without blocking: 1 when it went whole.
int32_t PlatformLocalSend(int fd, const void* data, size_t n);
// Receives one message without blocking into buf: its real length (more than cap when it was
// cut), -1 when the peer hung up or the socket failed, -2 when no message waits.
int64_t PlatformLocalReceive(int fd, void* buf, size_t cap);

// Waits until one of the descriptors can be read (or was hung up): its index, -1 on time-out,
// -2 on failure. timeoutMs < 0 waits without limit.
int PlatformWaitReadable(const int* fds, int count, int32_t timeoutMs);
// The same for one descriptor and any of poll's event bits: 1 ready, 0 time-out, -1 failure.
int PlatformWaitFd(int fd, short events, int32_t timeoutMs);
