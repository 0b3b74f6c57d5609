// The raw texts of the cashier's links, before and beside its node: what the cashier sends (each
// with its zero byte) and the readers of what the entry server and the cashier process send.
// Readers look at the packet's bytes only, never past its size.
#pragma once

#include <cstdint>
#include <string>

class CCommBase;
struct TPendingMessage;

// Sent.
inline constexpr const char* CASHIER_RAW_MAYENTER = "MayEnter";
inline constexpr const char* CASHIER_RAW_REQUESTSERVER = "RequestCashierServer";
inline constexpr const char* CASHIER_RAW_PINGPONG = "PingPong";
inline constexpr const char* CASHIER_RAW_REQUESTNODE = "RequestNode";
inline constexpr const char* CASHIER_RAW_PING = "Ping";  // also the answer to the process's "Ping"
// Received: the beginnings that tell the replies apart.
inline constexpr const char* CASHIER_RAW_YES = "Yes";
inline constexpr const char* CASHIER_RAW_SERVER = "CashierServer";
inline constexpr const char* CASHIER_RAW_MSG = "Msg";

// The longest process host a "CashierServer" reply may name (no host name is longer).
inline constexpr size_t CASHIER_PROCESS_HOST_MAX = 255;
// The text a "Msg" packet shows when it ends before its text.
inline constexpr const char* CASHIER_MSG_UNREADABLE = "Unable to extract server msg";

// Sends the text and its zero byte as a raw packet; the link's result (1 queued).
int32_t SendRawText(CCommBase* link, const char* text);
// 1 when the packet's bytes begin with the text (its zero not included).
int32_t RawBegins(const void* data, uint32_t size, const char* text);
// 1 for exactly the five bytes "Ping" and zero: the keep-alive the cashier answers and drops.
int32_t IsRawPing(const void* data, uint32_t size);

// "CashierServer ... =host:port": the host is the text after the last "=" up to the last ":"
// (blanks around it dropped), the port the number after that ":". The text from the "=" must be at
// least 3 characters and from the ":" at least 2. 1 for a usable reply: a port in 1..65535 and a
// host of at most CASHIER_PROCESS_HOST_MAX characters (it may be empty); else 0, nothing set.
int32_t ParseCashierServerReply(const void* data, uint32_t size, std::string& host, int32_t& port);

// "Msg": byte 3 a code (kept), byte 4 the icon index plus 1 (an index outside 0..9 gives 0), from
// byte 5 the title ended by a byte 1, one byte skipped, then the text. Title and text are cut to
// their fields; a packet that ends before its text gets CASHIER_MSG_UNREADABLE. 1 when the packet
// begins "Msg" and the message was filled (not flagged); 0 otherwise, the message untouched.
int32_t ParseServerMsg(const void* data, uint32_t size, TPendingMessage& message);
