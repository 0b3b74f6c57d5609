// The entry points of the modules the client loads at run time, as the client calls them and as
// the modules export them (extern "C"). One declaration for both sides: a module's definitions must
// match the prototypes below or it does not compile, and the client calls through the types.
// Every module also exports DynamicInheritOstrel (ostrel/system/dynlib.h) for the loader.
#pragma once

#include <cstdint>

// ---- the cashier (cashier.so) ----
// CashierInit(ignored, log flag, word count, words): the first argument is the client's own pair
// (music player, node), which the cashier does not read; the words are those of the client's
// argument string. 1 when the cashier stands; after 0 the client neither ticks nor exits it.
// CashierTicker() once per frame: 1 while the cashier runs, 0 once it has ended.
// CashierExit(): ends and deletes the cashier; 1.
using TCashierInit = int32_t (*)(void* clientPair, int32_t logFlag, int argc, char** argv);
using TCashierTicker = int32_t (*)();
using TCashierExit = int32_t (*)();

inline constexpr const char* CASHIER_INIT_ENTRY = "CashierInit";
inline constexpr const char* CASHIER_TICKER_ENTRY = "CashierTicker";
inline constexpr const char* CASHIER_EXIT_ENTRY = "CashierExit";

extern "C" {
int32_t CashierInit(void* clientPair, int32_t logFlag, int argc, char** argv);
int32_t CashierTicker();
int32_t CashierExit();
}
