#include "ostrel/system/dispatchlist.h"

namespace {
uint64_t g_DispatchSeq = 0;
}

uint64_t xNextDispatchSeq() { return ++g_DispatchSeq; }
uint64_t xCurrentDispatchSeq() { return g_DispatchSeq; }
