// Small process services shared by the loop and the programs. The other system services have
// headers of their own beside this one: folders, shell, otherwindows, registry, processes,
// identifiers, versions.
#pragma once

#include <cstdint>

// The user-wants-to-quit flag of the globals (0 while there are none).
uint8_t xDoUserWantToQuit();
void xSetUserWantToQuit(uint8_t on);

// Today's local date as "%Y-%m-%d" in a new 128-byte text (free with xFree); null when out of
// memory.
char* xGetDateString();
// The nine fields of local time (month 0-11, year since 1900, weekday 0 = Sunday, day of the
// year from 0, daylight-saving flag); 0 when the time cannot be converted.
int32_t xGetDateInfo(int32_t& second, int32_t& minute, int32_t& hour, int32_t& day, int32_t& month, int32_t& year,
                     int32_t& weekday, int32_t& yearDay, int32_t& daylightSaving);

// A new text (free with xFree) "[" a "] " b; null counts as empty.
char* xErrorMerge(const char* a, const char* b);
