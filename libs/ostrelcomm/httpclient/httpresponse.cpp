#include "ostrelcomm/httpclient/httpresponse.h"

#include <cstring>

#include "ostrel/base/xstring.h"
#include "ostrelcomm/download/downloadclient.h"

namespace {

constexpr const char* kStatusLineError = "Error while parsing HTTP Status-Line";
constexpr int32_t kMaxTrailerLines = HTTP_MAX_HEADER_LINES;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = xToLowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A text span without its own terminator.
struct SSpan {
  const char* m_p;
  uint32_t m_Size;

  void Trim() {
    while (m_Size && IsBlank(*m_p)) ++m_p, --m_Size;
    while (m_Size && IsBlank(m_p[m_Size - 1])) --m_Size;
  }
  bool Is(const char* word) const {
    const size_t n = std::strlen(word);
    return n == m_Size && xStrnicmp(m_p, word, n) == 0;
  }
};

// Decimal digits only, at most 2^32 - 1.
bool ReadNumber(SSpan s, uint32_t& out) {
  if (!s.m_Size) return false;
  uint64_t value = 0;
  for (uint32_t i = 0; i < s.m_Size; ++i) {
    if (!IsDigit(s.m_p[i])) return false;
    value = value * 10 + static_cast<uint64_t>(s.m_p[i] - '0');
    if (value > UINT32_MAX) return false;
  }
  out = static_cast<uint32_t>(value);
  return true;
}

// Calls take for each comma-separated, trimmed, non-empty token of the value.
template <typename F>
void ForEachToken(SSpan value, F take) {
  uint32_t start = 0;
  for (uint32_t i = 0; i <= value.m_Size; ++i) {
    if (i < value.m_Size && value.m_p[i] != ',') continue;
    SSpan token{value.m_p + start, i - start};
    token.Trim();
    if (token.m_Size) take(token);
    start = i + 1;
  }
}

// "bytes first-last/total" with "*" allowed for the total; false for anything else, such as the
// "bytes */total" of an unsatisfiable range.
bool ReadContentRange(SSpan value, uint32_t& first, uint32_t& last, uint32_t& total) {
  if (value.m_Size < 5 || xStrnicmp(value.m_p, "bytes", 5) != 0) return false;
  SSpan rest{value.m_p + 5, value.m_Size - 5};
  if (!rest.m_Size || !IsBlank(*rest.m_p)) return false;
  rest.Trim();
  const char* dash = static_cast<const char*>(std::memchr(rest.m_p, '-', rest.m_Size));
  const char* slash = static_cast<const char*>(std::memchr(rest.m_p, '/', rest.m_Size));
  if (!dash || !slash || slash < dash) return false;
  const SSpan firstText{rest.m_p, static_cast<uint32_t>(dash - rest.m_p)};
  const SSpan lastText{dash + 1, static_cast<uint32_t>(slash - dash - 1)};
  const SSpan totalText{slash + 1, static_cast<uint32_t>(rest.m_p + rest.m_Size - slash - 1)};
  if (!ReadNumber(firstText, first) || !ReadNumber(lastText, last) || last < first) return false;
  if (totalText.Is("*")) {
    total = 0;
    return true;
  }
  return ReadNumber(totalText, total) && total > last;
}

// Appends one byte to a line buffer of HTTP_MAX_LINE + 1 bytes; false when the line has grown
// too long even with a carriage return at its end.
bool AppendToLine(char* line, uint32_t& length, char c) {
  if (length >= HTTP_MAX_LINE) return false;
  line[length++] = c;
  return true;
}

// Cuts the carriage return before the line feed and ends the text; false for a line of
// HTTP_MAX_LINE bytes or more.
bool EndLine(char* line, uint32_t& length) {
  if (length && line[length - 1] == '\r') --length;
  line[length] = 0;
  return length < HTTP_MAX_LINE;
}

}  // namespace

void CHTTPHeaderReader::Reset() {
  m_Header = SHTTPResponseHeader{};
  m_LineLength = 0;
  m_Lines = 0;
  m_SawClose = 0;
  m_SawKeepAlive = 0;
  m_Done = 0;
  m_Failed = 0;
  m_pError = nullptr;
}

int32_t CHTTPHeaderReader::Fail(const char* text) {
  m_pError = text;
  m_Failed = 1;
  return DOWNLOAD_ERR_PARSE;
}

int32_t CHTTPHeaderReader::Feed(const uint8_t* data, uint32_t size, uint32_t& used) {
  used = 0;
  if (m_Failed) return DOWNLOAD_ERR_PARSE;
  if (m_Done) return 1;
  while (used < size) {
    const char c = static_cast<char>(data[used++]);
    if (c != '\n') {
      if (!AppendToLine(m_Line, m_LineLength, c)) return Fail(m_Lines ? nullptr : kStatusLineError);
      continue;
    }
    if (!EndLine(m_Line, m_LineLength)) return Fail(m_Lines ? nullptr : kStatusLineError);
    const int32_t r = TakeLine();
    m_LineLength = 0;
    if (r != 0) return r;
  }
  return 0;
}

int32_t CHTTPHeaderReader::TakeLine() {
  if (m_Lines++ == 0) return TakeStatusLine();
  if (m_LineLength == 0) {
    m_Header.m_KeepAlive = m_SawClose ? 0 : m_SawKeepAlive ? 1 : m_Header.m_KeepAlive;
    m_Done = 1;
    return 1;
  }
  if (m_Lines > HTTP_MAX_HEADER_LINES) return Fail(nullptr);
  return TakeField();
}

int32_t CHTTPHeaderReader::TakeStatusLine() {
  // "HTTP/" major "." minor " " three digits " " reason.
  const char* p = m_Line;
  if (m_LineLength < 13 || std::strncmp(p, "HTTP/", 5) != 0) return Fail(kStatusLineError);
  p += 5;
  auto readVersion = [&p](int32_t& out) {
    int digits = 0;
    out = 0;
    while (IsDigit(*p) && digits < 3) out = out * 10 + (*p++ - '0'), ++digits;
    return digits > 0 && !IsDigit(*p);
  };
  if (!readVersion(m_Header.m_Major) || *p++ != '.' || !readVersion(m_Header.m_Minor) || *p++ != ' ')
    return Fail(kStatusLineError);
  if (!IsDigit(p[0]) || !IsDigit(p[1]) || !IsDigit(p[2]) || p[3] != ' ') return Fail(kStatusLineError);
  m_Header.m_Status = (p[0] - '0') * 100 + (p[1] - '0') * 10 + (p[2] - '0');
  std::strcpy(m_Header.m_Reason, p + 4);
  // HTTP/1.1 and later keep the connection unless told otherwise; 1.0 closes it.
  m_Header.m_KeepAlive = m_Header.m_Major > 1 || (m_Header.m_Major == 1 && m_Header.m_Minor >= 1);
  return 0;
}

int32_t CHTTPHeaderReader::TakeField() {
  // Folded continuation lines carry nothing this client reads.
  if (IsBlank(m_Line[0])) return 0;
  const char* colon = static_cast<const char*>(std::memchr(m_Line, ':', m_LineLength));
  if (!colon) return 0;
  SSpan name{m_Line, static_cast<uint32_t>(colon - m_Line)};
  SSpan value{colon + 1, static_cast<uint32_t>(m_Line + m_LineLength - colon - 1)};
  value.Trim();
  SHTTPResponseHeader& h = m_Header;
  if (name.Is("Content-Length")) {
    uint32_t length = 0;
    if (!ReadNumber(value, length)) return Fail(nullptr);
    // Two different lengths leave the body's end unknown.
    if (h.m_HasLength && length != h.m_ContentLength) return Fail(nullptr);
    h.m_HasLength = 1;
    h.m_ContentLength = length;
  } else if (name.Is("Connection")) {
    ForEachToken(value, [this](SSpan token) {
      if (token.Is("close")) m_SawClose = 1;
      else if (token.Is("keep-alive")) m_SawKeepAlive = 1;
    });
  } else if (name.Is("Transfer-Encoding")) {
    ForEachToken(value, [&h](SSpan token) {
      if (token.Is("chunked")) h.m_Chunked = 1;
    });
  } else if (name.Is("Accept-Ranges")) {
    ForEachToken(value, [&h](SSpan token) {
      if (token.Is("bytes")) h.m_AcceptsRanges = 1;
    });
  } else if (name.Is("Content-Range")) {
    uint32_t first = 0, last = 0, total = 0;
    if (ReadContentRange(value, first, last, total)) {
      h.m_Partial = 1;
      h.m_FirstByte = first;
      h.m_LastByte = last;
      h.m_TotalLength = total;
    }
  }
  return 0;
}

void CHTTPBodyReader::Start(EHTTPBody kind, uint32_t length) {
  m_Kind = kind;
  m_Chunk = EChunk::Size;
  m_Remaining = kind == EHTTPBody::Length ? length : 0;
  m_DataBytes = 0;
  m_LineLength = 0;
  m_TrailerLines = 0;
  m_Done = kind == EHTTPBody::Length && length == 0;
  m_Failed = 0;
  m_pError = nullptr;
}

int32_t CHTTPBodyReader::Fail(const char* text) {
  m_pError = text;
  m_Failed = 1;
  return DOWNLOAD_ERR_PARSE;
}

int32_t CHTTPBodyReader::CountData(uint32_t n) {
  m_DataBytes += n;
  return m_DataBytes > UINT32_MAX ? Fail("Body too large") : 0;
}

int32_t CHTTPBodyReader::Closed() {
  if (m_Kind == EHTTPBody::UntilClose && !m_Failed) m_Done = 1;
  return m_Done;
}

int32_t CHTTPBodyReader::Take(const uint8_t* data, uint32_t size, uint32_t& used, uint32_t& dataOffset,
                              uint32_t& dataSize) {
  used = dataOffset = dataSize = 0;
  if (m_Failed) return DOWNLOAD_ERR_PARSE;
  if (m_Done) return 1;
  switch (m_Kind) {
    case EHTTPBody::Length: {
      const uint32_t n = m_Remaining < size ? static_cast<uint32_t>(m_Remaining) : size;
      used = dataSize = n;
      m_Remaining -= n;
      m_DataBytes += n;
      m_Done = m_Remaining == 0;
      return m_Done;
    }
    case EHTTPBody::UntilClose:
      used = dataSize = size;
      return CountData(size);
    case EHTTPBody::Chunked:
      return TakeChunked(data, size, used, dataOffset, dataSize);
  }
  return Fail(nullptr);
}

int32_t CHTTPBodyReader::TakeChunked(const uint8_t* data, uint32_t size, uint32_t& used, uint32_t& dataOffset,
                                     uint32_t& dataSize) {
  while (used < size) {
    if (m_Chunk == EChunk::Data) {
      // Hand out the chunk's bytes as one span; the framing after it comes with the next call.
      const uint32_t n = m_Remaining < size - used ? static_cast<uint32_t>(m_Remaining) : size - used;
      dataOffset = used;
      dataSize = n;
      used += n;
      m_Remaining -= n;
      if (m_Remaining == 0) m_Chunk = EChunk::DataEnd;
      return CountData(n);
    }
    const char c = static_cast<char>(data[used++]);
    if (c != '\n') {
      if (!AppendToLine(m_Line, m_LineLength, c)) return Fail("Chunk line too long");
      continue;
    }
    if (!EndLine(m_Line, m_LineLength)) return Fail("Chunk line too long");
    const uint32_t length = m_LineLength;
    m_LineLength = 0;
    switch (m_Chunk) {
      case EChunk::Size:
        if (const int32_t r = EndOfSizeLine(); r != 0) return r;
        break;
      case EChunk::DataEnd:
        if (length != 0) return Fail("Chunk data not followed by a line end");
        m_Chunk = EChunk::Size;
        break;
      case EChunk::Trailer:
        if (length == 0) {
          m_Done = 1;
          return 1;
        }
        if (++m_TrailerLines > kMaxTrailerLines) return Fail("Too many trailer lines");
        break;
      case EChunk::Data:
        break;
    }
  }
  return 0;
}

int32_t CHTTPBodyReader::EndOfSizeLine() {
  uint64_t chunk = 0;
  uint32_t i = 0;
  for (; i < HTTP_MAX_LINE && m_Line[i]; ++i) {
    const int v = HexValue(m_Line[i]);
    if (v < 0) break;
    chunk = chunk * 16 + static_cast<uint64_t>(v);
    if (chunk > UINT32_MAX) return Fail("Chunk size too large");
  }
  // Hex digits, then nothing, blanks or extensions after ";".
  if (i == 0 || (m_Line[i] && m_Line[i] != ';' && !IsBlank(m_Line[i]))) return Fail("Bad chunk size");
  if (chunk == 0) {
    m_Chunk = EChunk::Trailer;
    return 0;
  }
  if (m_DataBytes + chunk > UINT32_MAX) return Fail("Body too large");
  m_Remaining = chunk;
  m_Chunk = EChunk::Data;
  return 0;
}
