// The plain texts between a table server and its manager process: a command word, the separator
// byte 0xA3, each data string followed by 0xA3, and a closing NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/tables/tableprotocol.h"

// Builds the bytes of one message, its NUL included, into text. A data string that is empty or
// holds 0xA3 is written as it is; the far side's split stops there. 0 (text emptied) for a null
// command or string, or a message longer than MANAGER_TEXT_MAX.
int32_t BuildManagerText(const char* command, const char* const* strings, size_t count, std::string& text);

// One received message.
struct SManagerText {
  int32_t m_Code = MANAGER_MSG_UNKNOWN;  // EManagerMessage of the command
  std::string m_Command;                 // the leading word
  std::vector<std::string> m_Strings;    // the data strings, in order
};

// Splits a received text: the command is the leading word (up to the first 0xA3 or the NUL), the
// data start one byte after it and are cut at every 0xA3; an empty piece ends the cutting. A text
// without 0xA3 is a bare command without data. 0, with the message cleared, when size exceeds
// MANAGER_TEXT_MAX or no NUL ends the text within size.
int32_t SplitManagerText(const void* data, uint32_t size, SManagerText& message);

// The code of a command word received from the manager (MANAGER_MSG_UNKNOWN when none).
int32_t ManagerMessageCode(const char* command, size_t length);
