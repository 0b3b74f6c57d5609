// "messages.log" in the working folder: one time-stamped line per message of the tables, the
// panel and the chat, written by the client and by every game module of the process.
#pragma once

#include <cstdint>

// The longest message a line carries, module name included.
inline constexpr int32_t MESSAGELOG_TEXT_ROOM = 16384;
// LogMessage's formatting buffer: the room and the line's own characters.
inline constexpr int32_t MESSAGELOG_FORMAT_SIZE = 16403;

// Formats the message (printf rules) and appends its line; the level is not written. A message
// longer than the formatting buffer is cut.
void LogMessage(int32_t level, const char* module, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Appends "YYYYMMDD HHMMSS module: text\n" in local time; an empty or missing module reads
// "Unknown Module", the text is cut to the room the module leaves. The line goes out in one
// append, so the lines of processes logging at once never mix. Nothing is written when the file
// cannot be opened.
void WriteMessageLog(const char* module, const char* text);
