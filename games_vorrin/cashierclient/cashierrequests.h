// The request items the cashier sends on its node. Items without values are added with
// AddCashierRequest; those with values have builders of their own. The items of the transfer, card,
// bank and reversal screens are named where those screens build them.
#pragma once

#include <cstdint>

class CKCBL;

// Plain items at the record's top level.
inline constexpr const char* CASHIER_REQ_LOGIN = "Login";
inline constexpr const char* CASHIER_REQ_QUIT = "CashierQuit";
// Inside a cashier packet.
inline constexpr const char* CASHIER_REQ_TEXTCODES = "ReqTextCodes";
inline constexpr const char* CASHIER_REQ_CARDTYPES = "ReqCardTypes";
inline constexpr const char* CASHIER_REQ_REGGEDCARDS = "ReqReggedCreditcards";
inline constexpr const char* CASHIER_REQ_REGGEDWIREBANKS = "ReqReggedWirebanks";
inline constexpr const char* CASHIER_REQ_TRANSFERINFO = "ReqTransferInfo";
inline constexpr const char* CASHIER_REQ_OVERRIDES = "ReqOverrides";
inline constexpr const char* CASHIER_REQ_WIREBANKCOUNTRIES = "ReqWireBankCountries";
inline constexpr const char* CASHIER_REQ_COLLECTACCOUNTS = "ReqGlobalCollectAccounts";
inline constexpr const char* CASHIER_REQ_TEXTDATA = "ReqTextData";
inline constexpr const char* CASHIER_REQ_LOG = "ReqLog";

// An item without values after the current one; 1/0.
int32_t AddCashierRequest(CKCBL& record, const char* name);
// "Login": user name, password, this machine's address.
int32_t AddLoginRequest(CKCBL& record, const char* userName, const char* password, const char* machineAddress);
// "ReqWireBankCountries" with its one empty text.
int32_t AddWireBankCountriesRequest(CKCBL& record);
// The eight start-up requests in the order the server answers them.
int32_t AddStartupRequests(CKCBL& record);
// "ReqTextData": the resource name of the window whose help texts are wanted.
int32_t AddTextDataRequest(CKCBL& record, const char* windowName);
// "ReqLog": the two numbers of the chosen log time frame.
int32_t AddLogRequest(CKCBL& record, int32_t first, int32_t second);
