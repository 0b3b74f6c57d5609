// What the casino client's table creation leaves in the player database before a for-fun table
// opens: the player, with his practice money on first start, and the table's record.
#pragma once

#include <cstdint>

class CStovaConn;

inline constexpr const char* KAVOHOST_PLAYER = "vorrin";
inline constexpr const char* KAVOHOST_START_CASH = "5000.00";

// The player's id, made with the start cash when the database does not know him; 0 on failure.
uint32_t EnsureForFunPlayer(CStovaConn& db, const char* name, const char* startCash);
// The record of table `tableId` (the one-deck game's as a private table, the others as practice
// tables); 1 when it stands.
int32_t EnsureTableRecord(CStovaConn& db, uint32_t tableId, uint32_t owner);
