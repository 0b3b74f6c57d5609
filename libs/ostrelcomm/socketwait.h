// The wait that the frame loop can use in place of sleeping: it ends early when a socket of the
// library has something to give, and then services the client links that are ready.
#pragma once

#include <cstdint>

struct CSockWait;

// Without globals it sleeps. Otherwise it waits up to ms on the sockets of the started client
// links that are connected, the started servers that run, the forwarding proxies and the sockets
// watched for others, and then runs the non-blocked handler of every client link whose socket was
// ready (or whose TLS or KVT layer holds bytes), four times over. The set of sockets is kept
// with the kernel between calls (epoll), so a call costs what changed and what is ready, not the
// number of idle links.
void xWaitTimeOrSockets(int32_t ms);

// Makes the wait end also when sock is readable (or writable, with writeInterest), for owner (one
// owner may watch several sockets; watching one again changes its interest). The owner calls
// xSockWaitForget, which drops all it watches, before its sockets close or it goes; an owner
// that refreshes what it watches at each of its steps forgets first, then watches anew.
void xSockWaitWatch(const void* owner, int sock, int32_t readInterest, int32_t writeInterest);
void xSockWaitForget(const void* owner);

// Wait entries come from a pool in the globals when pools are switched on, else from the heap.
CSockWait* xAllocSockWait();
void xFreeSockWait(CSockWait* entry);
// Closes the kept wait set, then frees the pool (at the library's close-down).
void xFreeSockWaitPool();
void xCloseSocketWait();
