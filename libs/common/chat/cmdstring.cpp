#include "common/chat/cmdstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "ostrel/base/byteorder.h"

int32_t CCmdString::Append(const void* data, uint32_t size) {
  if (m_Terminated || !haveSpace(size)) return 0;
  std::memcpy(m_Buffer + m_Used, data, size);
  m_Used += size;
  return 1;
}

int32_t CCmdString::AppendWithText(const uint8_t* head, uint32_t headSize, const char* text) {
  if (!text) text = "";
  const size_t length = std::strlen(text);
  if (m_Terminated || length >= CMDSTRING_SIZE || !haveSpace(headSize + static_cast<uint32_t>(length) + 1)) return 0;
  std::memcpy(m_Buffer + m_Used, head, headSize);
  std::memcpy(m_Buffer + m_Used + headSize, text, length + 1);
  m_Used += headSize + static_cast<uint32_t>(length) + 1;
  return 1;
}

int32_t CCmdString::AddTextCmd(uint8_t style, const char* text) {
  const uint8_t head[2] = {CHATCMD_LINE, style};
  return AppendWithText(head, sizeof head, text);
}

int32_t CCmdString::AddCommand(uint8_t code, uint8_t style) {
  const uint8_t record[2] = {code, style};
  return Append(record, code == CHATCMD_LINE ? 2 : 1);
}

int32_t CCmdString::AddValueCmd(uint32_t value) {
  uint8_t record[5] = {CHATCMD_VALUE};
  const uint32_t wire = XULONG_FromProcToStd(value);
  std::memcpy(record + 1, &wire, 4);
  return Append(record, sizeof record);
}

int32_t CCmdString::AddTextRecord(uint8_t code, const char* text) { return AppendWithText(&code, 1, text); }

int32_t CCmdString::AddString(const char* format, ...) {
  if (!format) return 0;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  int32_t result = 0;
  if (length >= 0 && static_cast<uint32_t>(length) < CMDSTRING_SIZE) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    result = Append(text.data(), static_cast<uint32_t>(text.size()));
  }
  va_end(again);
  return result;
}

int32_t CCmdString::SetCmdString(const void* data, int32_t size) {
  if (size < 1) {
    m_Used = 0;
    m_Terminated = 0;
    return 1;
  }
  if (!data || static_cast<uint32_t>(size) > CMDSTRING_SIZE - m_Used || m_Terminated) return 0;
  std::memcpy(m_Buffer + m_Used, data, static_cast<size_t>(size));
  m_Used += static_cast<uint32_t>(size);
  return 1;
}

const uint8_t* CCmdString::GetCmdString() {
  if (!m_Terminated && m_Used < CMDSTRING_SIZE) {
    m_Buffer[m_Used++] = CHATCMD_END;
    m_Terminated = 1;
  }
  return m_Buffer;
}

void CCmdReader::ReadText(SCmdRecord& record) {
  const char* start = reinterpret_cast<const char*>(m_pData + m_Pos);
  const uint32_t left = m_Size - m_Pos;
  const void* nul = std::memchr(start, 0, left);
  record.m_pText = start;
  record.m_TextLength = nul ? static_cast<uint32_t>(static_cast<const char*>(nul) - start) : left;
  m_Pos += nul ? record.m_TextLength + 1 : left;
}

int32_t CCmdReader::Next(SCmdRecord& record) {
  if (m_Done || m_Pos >= m_Size) return 0;
  record = SCmdRecord{};
  record.m_Code = m_pData[m_Pos++];
  const uint32_t left = m_Size - m_Pos;
  switch (record.m_Code) {
    case CHATCMD_END:
      m_Done = true;
      return 0;
    case CHATCMD_VALUE: {
      if (left < 4) break;
      uint32_t wire;
      std::memcpy(&wire, m_pData + m_Pos, 4);
      record.m_Value = XULONG_FromStdToProc(wire);
      m_Pos += 4;
      return 1;
    }
    case CHATCMD_LINE:
      if (left < 1) break;
      record.m_Style = m_pData[m_Pos++];
      ReadText(record);
      return 1;
    case CHATCMD_SKIPBYTE:
      if (left < 1) break;
      record.m_Style = m_pData[m_Pos++];
      return 1;
    case CHATCMD_TEXT:
    case CHATCMD_USERLIST:
    case CHATCMD_USERLISTMORE:
    case CHATCMD_USERJOINED:
    case CHATCMD_USERLEFT:
      ReadText(record);
      return 1;
    default:
      return 1;
  }
  // A fixed payload cut by the end of the data: the record and the rest are dropped.
  m_Done = true;
  return 0;
}
