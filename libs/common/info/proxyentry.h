// Proxy descriptions, as the launcher hands them to the client and the client to the cashier:
//   "([ServerProxy=1,0,proxy.example,8080;CashierProxy=1,1,proxy.example,8443;])"
// Between "([" and "])" the body lists entries, each a name, "=", values separated by "," and a
// closing ";" (the last entry may end at the body's end). An entry is found when the text from its
// start up to its "=" is exactly the name; value n is the text after its n-th comma up to the next
// ",", ";" or the body's end. The first entry of a name counts.
#pragma once

#include <cstdint>

// Value `index` (from 0) of entry `name` as a new text (free it with xFree), possibly empty. 0, with
// *text null, when the description or its brackets, the name, the entry or the value is missing.
int32_t GetProxyEntryText(const char* description, const char* name, int32_t index, char** text);
// The same value read as scanf's "%ld" reads a 32-bit long ("12ab" is 12); 1 only when a number was
// read, else 0 with *value unchanged.
int32_t GetProxyEntryLong(const char* description, const char* name, int32_t index, int32_t* value);
