// The tables of a "c2user.stova" file and the version number that names them.
#pragma once

#include <cstdint>

// Kept in PRAGMA user_version; a file with a higher number is left alone.
inline constexpr int32_t STOVA_SCHEMA_VERSION = 1;

// The statements that create every table and index of the current version.
const char* StovaSchemaText();
