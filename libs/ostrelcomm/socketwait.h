// The wait that the frame loop can use in place of sleeping: it ends early when a link's socket
// has data, and then services the client links.
#pragma once

#include <cstdint>

struct CSockWait;

// Without globals it sleeps. Otherwise it waits up to ms on the sockets of the started client
// links that are connected and the started servers that run, then runs the non-blocked handler
// of every client link still connected, four times over.
void xWaitTimeOrSockets(int32_t ms);

// Wait entries come from a pool in the globals when pools are switched on, else from the heap.
CSockWait* xAllocSockWait();
void xFreeSockWait(CSockWait* entry);
void xFreeSockWaitPool();
