// Reading an HTTP/1.x response as it arrives in pieces: the header, then the body framed by a
// length, by chunks or by the end of the connection. Both readers take bytes straight from the
// receive buffer and copy nothing of the body. Replies are hostile until read: every line, count
// and number is bounded here.
#pragma once

#include <cstdint>

// A header line (without its line end) of this many bytes or more is refused.
inline constexpr uint32_t HTTP_MAX_LINE = 1024;
// More header lines than this are refused.
inline constexpr int32_t HTTP_MAX_HEADER_LINES = 200;

struct SHTTPResponseHeader {
  int32_t m_Major = 0;
  int32_t m_Minor = 0;
  int32_t m_Status = -1;
  char m_Reason[HTTP_MAX_LINE + 1] = {};
  int32_t m_HasLength = 0;
  uint32_t m_ContentLength = 0;
  int32_t m_KeepAlive = 0;
  int32_t m_Chunked = 0;
  int32_t m_AcceptsRanges = 0;
  uint32_t m_TotalLength = 0;  // from a content range; 0 when the range gives none ("*")
  int32_t m_Partial = 0;
  uint32_t m_FirstByte = 0;
  uint32_t m_LastByte = 0;
};

class CHTTPHeaderReader {
 public:
  CHTTPHeaderReader() { Reset(); }
  void Reset();
  // Takes bytes of the reply up to the end of the header; used says how many. 1 once the header
  // is complete, 0 while more is needed, DOWNLOAD_ERR_PARSE (with ErrorText) when it is bad.
  int32_t Feed(const uint8_t* data, uint32_t size, uint32_t& used);
  const SHTTPResponseHeader& Header() const { return m_Header; }
  // Why the header was refused.
  const char* ErrorText() const { return m_pError; }
  // 1 while no byte of the reply has come.
  int32_t IsEmpty() const { return m_LineLength == 0 && m_Lines == 0; }

 private:
  int32_t TakeLine();
  int32_t TakeStatusLine();
  int32_t TakeField();
  int32_t Fail(const char* text);

  SHTTPResponseHeader m_Header;
  char m_Line[HTTP_MAX_LINE + 1];  // with room for a CR and the end
  uint32_t m_LineLength = 0;
  int32_t m_Lines = 0;
  int32_t m_SawClose = 0;
  int32_t m_SawKeepAlive = 0;
  int32_t m_Done = 0;
  int32_t m_Failed = 0;
  const char* m_pError = nullptr;
};

enum class EHTTPBody : uint8_t {
  Length,      // exactly the content length
  Chunked,     // chunks up to the last one and its trailer
  UntilClose,  // everything until the server closes
};

class CHTTPBodyReader {
 public:
  void Start(EHTTPBody kind, uint32_t length);
  // Takes body bytes from data; used says how many, and the body's own bytes among them are
  // data[dataOffset .. dataOffset + dataSize). Call again with the rest while used < size.
  // 1 once the body is complete, 0 while more is needed, DOWNLOAD_ERR_PARSE on bad framing or a
  // body past 4 GiB - 1.
  int32_t Take(const uint8_t* data, uint32_t size, uint32_t& used, uint32_t& dataOffset, uint32_t& dataSize);
  // The server closed the connection: 1 when that ends the body (EHTTPBody::UntilClose).
  int32_t Closed();
  int32_t IsDone() const { return m_Done; }
  EHTTPBody GetKind() const { return m_Kind; }
  // Body bytes so far.
  uint32_t GetDataBytes() const { return static_cast<uint32_t>(m_DataBytes); }
  const char* ErrorText() const { return m_pError; }

 private:
  enum class EChunk : uint8_t { Size, Data, DataEnd, Trailer };
  int32_t TakeChunked(const uint8_t* data, uint32_t size, uint32_t& used, uint32_t& dataOffset,
                      uint32_t& dataSize);
  int32_t EndOfSizeLine();
  int32_t CountData(uint32_t n);
  int32_t Fail(const char* text);

  EHTTPBody m_Kind = EHTTPBody::Length;
  EChunk m_Chunk = EChunk::Size;
  uint64_t m_Remaining = 0;  // of the length, or of the current chunk
  uint64_t m_DataBytes = 0;
  char m_Line[HTTP_MAX_LINE + 1];  // with room for a CR and the end
  uint32_t m_LineLength = 0;
  int32_t m_TrailerLines = 0;
  int32_t m_Done = 0;
  int32_t m_Failed = 0;
  const char* m_pError = nullptr;
};
