// HTTP replies from outside, as the HTTP client reads them: the header, then the body framed the
// way the header says. Read whole and in small pieces, a reply must give the same result and the
// same body, and a body with a length never yields more than that length.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ostrelcomm/httpclient/httpresponse.h"

namespace {

struct SResult {
  int32_t m_Header = 0;
  int32_t m_Body = 0;
  int32_t m_Closed = 0;
  std::string m_Data;
};

SResult Read(const uint8_t* data, size_t size, size_t piece) {
  SResult result;
  CHTTPHeaderReader header;
  size_t at = 0;
  while (at < size && result.m_Header == 0) {
    const size_t n = size - at < piece ? size - at : piece;
    uint32_t used = 0;
    result.m_Header = header.Feed(data + at, static_cast<uint32_t>(n), used);
    if (used > n) abort();
    at += used;
    if (result.m_Header == 0 && used != n) abort();
  }
  if (result.m_Header != 1) return result;
  const SHTTPResponseHeader& h = header.Header();
  if (h.m_Status < 0 || h.m_Status > 999) abort();
  CHTTPBodyReader body;
  if (h.m_Chunked) body.Start(EHTTPBody::Chunked, 0);
  else if (h.m_HasLength) body.Start(EHTTPBody::Length, h.m_ContentLength);
  else body.Start(EHTTPBody::UntilClose, 0);
  while (at < size && result.m_Body == 0) {
    const size_t n = size - at < piece ? size - at : piece;
    uint32_t used = 0, offset = 0, got = 0;
    result.m_Body = body.Take(data + at, static_cast<uint32_t>(n), used, offset, got);
    if (used > n || uint64_t{offset} + got > used) abort();
    result.m_Data.append(reinterpret_cast<const char*>(data + at + offset), got);
    at += used;
    if (result.m_Body == 0 && used == 0) abort();
  }
  if (h.m_HasLength && !h.m_Chunked && result.m_Data.size() > h.m_ContentLength) abort();
  if (body.GetDataBytes() != result.m_Data.size()) abort();
  result.m_Closed = body.Closed();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 20) return 0;
  const size_t piece = data[0] % 16 + 1;
  const SResult whole = Read(data + 1, size - 1, size);
  const SResult pieces = Read(data + 1, size - 1, piece);
  if (whole.m_Header != pieces.m_Header || whole.m_Body != pieces.m_Body || whole.m_Closed != pieces.m_Closed ||
      whole.m_Data != pieces.m_Data)
    abort();
  return 0;
}
