// The user record's fields in the order the user statements bind and read them.
#pragma once

#include "stova/sqlitedb.h"

// Binds the 24 detail fields (name .. icon flags), each text cut to its field.
void StovaBindUserFields(CStovaQuery& query, const c2stovaUser& user);
// Reads them back from column first on, then the reserved table and the cash text; false when
// the cash does not read as money.
bool StovaReadUserFields(const CStovaQuery& query, int first, c2stovaUser& user);
