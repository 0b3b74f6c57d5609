// Large packet blocks that a link has finished with, kept for the next packets of about their
// size. Streaming big records would otherwise have the C library hand the memory back and fault
// fresh pages in for every packet. The blocks come from ::operator new, so any of them may still
// be freed with xFree instead.
#pragma once

#include <cstdint>

// A block of at least size bytes: a kept one when one fits, else a new one; null without memory.
void* xCommAllocPacketBlock(uint64_t size);
// Takes back a block known to hold size bytes; it is kept while there is room, else freed.
void xCommReleasePacketBlock(void* block, uint64_t size);
// Frees every kept block (at the library's close-down).
void xCommFreePacketBlocks();

// Asks the C library to keep memory that records of up to tens of MiB free in bursts, instead of
// handing it back to the system after each burst and faulting it in again page by page for the
// next one (a page fault costs far more than copying the page). Done once, at the library's start.
void xCommKeepFreedMemory();
