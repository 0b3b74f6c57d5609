// Cashier packets on the cashier's node: one chunk item "{" with the values "PrivatePlayerData",
// "Cashier", the login value and 0, holding the request or reply items. Plain items at a record's
// top level (the login, the country list, "CashierQuit") go without it.
#pragma once

#include <cstdint>

class CCommNode;

inline constexpr const char* CASHIER_CHUNK_NAME = "PrivatePlayerData";
inline constexpr const char* CASHIER_CHUNK_KIND = "Cashier";

// Starts a send on the node and opens the cashier chunk in it; 0 when the node cannot send now.
int32_t BeginCashierPacket(CCommNode* node, int32_t loginValue);
// Closes the chunk and sends the record; the send's result (0 also when no chunk was open).
int32_t SendCashierPacket(CCommNode* node);
// With receive 1 first takes the next received record (0 when there is none). Then enters its
// cashier chunk; a record without one is read at its top level (first item), still 1.
int32_t OpenCashierPacket(CCommNode* node, int32_t receive);
// Back to the record's top level and, with receive 1, the record freed; 1.
int32_t CloseCashierPacket(CCommNode* node, int32_t receive);
