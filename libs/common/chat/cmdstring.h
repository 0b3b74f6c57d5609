// One chat command string: the records that go to the chat server in one raw packet, or came
// from it in one. Each record opens with a code byte; what follows depends on the code:
//
//   0    end         nothing; closes the string (received strings end at their first one)
//   16   value       4 bytes, most significant first
//   17   text        NUL-ended text
//   128  chat line   a style byte, then NUL-ended text
//   129  (skipped)   one byte
//   130  user list   names separated by byte 2, NUL-ended (a new list)
//   131  more users  names separated by byte 2, NUL-ended
//   132  user joined NUL-ended name
//   133  user left   NUL-ended name
//   any other code   nothing
#pragma once

#include <cstdint>

inline constexpr uint32_t CMDSTRING_SIZE = 1024;

enum : uint8_t {
  CHATCMD_END = 0,
  CHATCMD_VALUE = 16,
  CHATCMD_TEXT = 17,
  CHATCMD_LINE = 128,
  CHATCMD_SKIPBYTE = 129,
  CHATCMD_USERLIST = 130,
  CHATCMD_USERLISTMORE = 131,
  CHATCMD_USERJOINED = 132,
  CHATCMD_USERLEFT = 133,
};

// The separators inside chat texts: between user-list names, before a name's extra text, and
// around a sender's name at the start of a chat line (byte 3 ... byte 4).
inline constexpr char CHAT_NAME_SEPARATOR = 2;
inline constexpr char CHAT_NAME_EXTRA = 3;
inline constexpr char CHAT_NAME_START = 3;
inline constexpr char CHAT_NAME_END = 4;

class CCmdString {
 public:
  CCmdString() = default;

  // 1 while the used length plus n stays below the buffer size, so the end record always fits.
  int32_t haveSpace(uint32_t n) const { return m_Used + n < CMDSTRING_SIZE; }

  // Every writer refuses (0) a record that does not fit whole, and writes nothing of it; so does
  // a string already closed by GetCmdString.
  // A chat line: code 128, the style byte and the text.
  int32_t AddTextCmd(uint8_t style, const char* text);
  // The code alone; a chat line's code with its style byte.
  int32_t AddCommand(uint8_t code, uint8_t style = 0);
  // A value record with the value in the standard byte order.
  int32_t AddValueCmd(uint32_t value);
  // A code followed by NUL-ended text (text, and the four user-list records).
  int32_t AddTextRecord(uint8_t code, const char* text);
  // Formatted text with its NUL, without a code (the payload of a record opened by AddCommand).
  int32_t AddString(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Appends received bytes. Sizes above the buffer, and sizes that would run past it, are refused
  // (0); a size below 1 empties the string (1).
  int32_t SetCmdString(const void* data, int32_t size);
  // The buffer, closed with the end record the first time (when there is room for it). The length
  // taken before this call is what goes on the wire: the end record itself does not.
  const uint8_t* GetCmdString();

  uint32_t GetLength() const { return m_Used; }
  int32_t IsTerminated() const { return m_Terminated; }
  const uint8_t* GetData() const { return m_Buffer; }

 private:
  int32_t Append(const void* data, uint32_t size);
  // The head of a record (its code, and a style byte) and NUL-ended text behind it.
  int32_t AppendWithText(const uint8_t* head, uint32_t headSize, const char* text);

  uint8_t m_Buffer[CMDSTRING_SIZE];
  uint32_t m_Used = 0;
  int32_t m_Terminated = 0;
};

// One record as read from a command string. Texts point into the string and are not NUL-ended
// when the data ends before their NUL.
struct SCmdRecord {
  uint8_t m_Code = 0;
  uint8_t m_Style = 0;       // 128: the style byte; 129: its byte
  uint32_t m_Value = 0;      // 16
  const char* m_pText = nullptr;
  uint32_t m_TextLength = 0;
};

// Reads the records of a command string within its length, never beyond: a text without its NUL
// ends where the data ends; a record whose fixed payload (value, style, skipped byte) runs past
// the end ends the reading with the rest of the string.
class CCmdReader {
 public:
  CCmdReader(const uint8_t* data, uint32_t size) : m_pData(data), m_Size(size) {}
  explicit CCmdReader(const CCmdString& cmd) : CCmdReader(cmd.GetData(), cmd.GetLength()) {}

  // 1 with the next record; 0 at the end record, at the end of the data or at a cut record.
  int32_t Next(SCmdRecord& record);

 private:
  void ReadText(SCmdRecord& record);

  const uint8_t* m_pData;
  uint32_t m_Size;
  uint32_t m_Pos = 0;
  bool m_Done = false;
};
