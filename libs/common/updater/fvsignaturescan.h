// The scan of an unpacked program or library whose CRC did not match, for byte patterns of known
// harmful code. Patterns and their names are stored encoded (every byte one higher) and decoded
// only for the search. The built-in table is empty: the scan is reported, and never changes an
// outcome (an unpacked file with the wrong CRC fails either way).
#pragma once

#include <cstddef>
#include <cstdint>

// Room for the name handed back, terminating zero included; longer names are cut.
inline constexpr size_t FV_SIGNATURE_NAME_SIZE = 64;

// One pattern and the name it stands for, both encoded.
struct SFVSignature {
  const char* m_pPattern;
  const char* m_pName;
};

// In place, up to the terminating zero: every byte one higher / one lower.
void IsSpecificVirus_EncodeString(char* text);
void IsSpecificVirus_DecodeString(char* text);

// 1 when buffer holds the decoded pattern; the decoded name is then copied into found (which
// holds FV_SIGNATURE_NAME_SIZE bytes; may be null).
int32_t IsSpecificVirus_SearchMatch(const uint8_t* buffer, uint32_t size, const char* encodedPattern,
                                    const char* encodedName, char* found);

// The whole file searched for each pattern in turn until one matches; 1 with its name in found.
// 0 for no match, an empty table, or a file that cannot be read.
int32_t IsSpecificVirus_Scan(const char* fileName, const SFVSignature* table, size_t count, char* found);
// The scan with the built-in table.
int32_t IsSpecificVirus(const char* fileName, char* found);
