// The cashier module cashier.so: the client loads it, hands it the runtime's process blocks, starts
// the cashier with its argument words, ticks it once per frame until it ends, and exits it.
#include <cstdint>
#include <type_traits>

#include "cashierentry.h"
#include "common/tables/moduleentries.h"
#include "ostrel/system/dynlib.h"

extern "C" {

int DynamicInheritOstrel(SGlobals* g, SSysGlobals* s) { return xInheritOstrel(g, s); }

int32_t CashierInit(void*, int32_t logFlag, int argc, char** argv) { return CashierStart(logFlag, argc, argv); }

int32_t CashierTicker() { return CashierTick(); }

int32_t CashierExit() { return CashierEnd(); }

}  // extern "C"

static_assert(std::is_same_v<decltype(&CashierInit), TCashierInit>);
static_assert(std::is_same_v<decltype(&CashierTicker), TCashierTicker>);
static_assert(std::is_same_v<decltype(&CashierExit), TCashierExit>);
static_assert(std::is_same_v<decltype(&DynamicInheritOstrel), TDynamicInheritOstrel>);
