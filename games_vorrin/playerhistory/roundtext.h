// Readers of round texts: runs of key=value pairs, each ended by ";", the key written with its
// "=" ("BET=10;WIN=20;"). A key matches only at the start of the text or right after a ";", so
// "BET=" never reads the value of "S7BET=" and the order in which a server writes its keys does
// not matter; a key that begins with ";" (";REELS=") is matched as given, wherever it stands.
#pragma once

#include <cstddef>
#include <cstdint>

class CTranslate;

// The buffer a value is read into: 1023 characters and the NUL.
inline constexpr size_t HISTORY_VALUE_SIZE = 1024;

// Where the value of key begins in text (the character after the key); null when key is absent,
// empty or null.
const char* FindKeyValue(const char* text, const char* key);

// The value up to the next ";" or the end, cut to size - 1 characters; empty when key is absent.
void GetKeyString(const char* text, const char* key, char* out, size_t size);
template <size_t N>
void GetKeyString(const char* text, const char* key, char (&out)[N]) {
  GetKeyString(text, key, out, N);
}

// The value read as a decimal number (blanks and a sign may lead, the rest is ignored); -1 when
// key is absent or the value is no number of 32 bits.
int32_t GetKeyLong(const char* text, const char* key);

// The value split at any of the delimiter characters (empty pieces skipped), read as decimal
// numbers into out; at most max numbers, and reading stops at a piece that is no number. How many
// were read; 0 when the value is empty or key absent.
int32_t GetKeyLongs(const char* text, const char* key, int32_t* out, int32_t max, const char* delimiters);

// The value read as a money amount and written in the translator's currency, "%.0f" for a whole
// amount and "%.2f" else, into out (emptied first). 1 when written; 0 with out empty when key is
// absent, the value does not read as an amount or the text does not fit.
int32_t GetKeyMoney(const CTranslate& translate, const char* text, const char* key, char* out, size_t size);
