// Reading HTTP replies: the header fields the client acts on, and bodies framed by length, chunks
// or the end of the connection, fed whole and in every split.
#include "ostrelcomm/httpclient/httpresponse.h"

#include <gtest/gtest.h>

#include <string>

#include "ostrelcomm/download/downloadclient.h"

namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Feeds the reply in pieces of the given size; the result of the last Feed and the bytes taken.
int32_t FeedHeader(CHTTPHeaderReader& reader, const std::string& reply, size_t piece, size_t& taken) {
  taken = 0;
  int32_t r = 0;
  while (taken < reply.size() && r == 0) {
    const size_t n = std::min(piece, reply.size() - taken);
    uint32_t used = 0;
    r = reader.Feed(Bytes(reply) + taken, static_cast<uint32_t>(n), used);
    taken += used;
  }
  return r;
}

// Runs a body through the reader in pieces; the body's bytes, and the last result.
std::string ReadBody(CHTTPBodyReader& reader, const std::string& wire, size_t piece, int32_t& result,
                     size_t* taken = nullptr) {
  std::string body;
  size_t at = 0;
  result = 0;
  while (at < wire.size() && result == 0) {
    const auto n = static_cast<uint32_t>(std::min(piece, wire.size() - at));
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t used = 0;
    for (uint32_t done = 0; done < n && result == 0; done += used) {
      result = reader.Take(Bytes(wire) + at + done, n - done, used, offset, size);
      body.append(wire, at + done + offset, size);
      if (used == 0) break;
    }
    at += n;
  }
  if (taken) *taken = at;
  return body;
}

std::string Chunked(const std::vector<std::string>& chunks, const std::string& trailer = "") {
  std::string wire;
  char size[32];
  for (const auto& c : chunks) {
    std::snprintf(size, sizeof size, "%zx", c.size());
    wire += size + std::string("\r\n") + c + "\r\n";
  }
  return wire + "0\r\n" + trailer + "\r\n";
}

}  // namespace

TEST(HTTPHeader, FieldsTheClientActsOn) {
  struct {
    const char* fields;
    const char* version;
    int32_t keepAlive, hasLength;
    uint32_t length;
    int32_t chunked, ranges, partial;
    uint32_t first, last, total;
  } cases[] = {
      {"", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"", "1.0", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Connection: Keep-Alive\r\n", "1.0", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"connection: CLOSE\r\n", "1.1", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Connection: Upgrade, close\r\n", "1.1", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Connection: keep-alive, Upgrade\r\n", "1.0", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Connection: TE\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Connection: keep-alive\r\nConnection: close\r\n", "1.1", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Content-Length: 0\r\n", "1.1", 1, 1, 0, 0, 0, 0, 0, 0, 0},
      {"content-length:   4294967295  \r\n", "1.1", 1, 1, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0},
      {"Content-Length: 5\r\nContent-Length: 5\r\n", "1.1", 1, 1, 5, 0, 0, 0, 0, 0, 0},
      {"Transfer-Encoding: chunked\r\n", "1.1", 1, 0, 0, 1, 0, 0, 0, 0, 0},
      {"Transfer-Encoding: gzip, Chunked\r\n", "1.1", 1, 0, 0, 1, 0, 0, 0, 0, 0},
      {"Accept-Ranges: bytes\r\n", "1.1", 1, 0, 0, 0, 1, 0, 0, 0, 0},
      {"Accept-Ranges: none\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Content-Range: bytes 8192-9999/10000\r\n", "1.1", 1, 0, 0, 0, 0, 1, 8192, 9999, 10000},
      {"Content-Range: bytes 0-0/*\r\n", "1.1", 1, 0, 0, 0, 0, 1, 0, 0, 0},
      {"Content-Range: bytes */10000\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Content-Range: bytes 9-3/10\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Content-Range: bytes 0-9/9\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Content-Range: items 0-9/10\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
      {"Keep-Alive: timeout=5\r\nX-Other: 1\r\nNoColonHere\r\n folded\r\n", "1.1", 1, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const std::string reply = std::string("HTTP/") + c.version + " 200 OK\r\n" + c.fields + "\r\nBODY";
    CHTTPHeaderReader reader;
    size_t taken = 0;
    ASSERT_EQ(FeedHeader(reader, reply, reply.size(), taken), 1) << c.fields;
    EXPECT_EQ(reply.substr(taken), "BODY") << c.fields;
    const SHTTPResponseHeader& h = reader.Header();
    EXPECT_EQ(h.m_Status, 200);
    EXPECT_STREQ(h.m_Reason, "OK");
    EXPECT_EQ(h.m_KeepAlive, c.keepAlive) << c.fields;
    EXPECT_EQ(h.m_HasLength, c.hasLength) << c.fields;
    EXPECT_EQ(h.m_ContentLength, c.length) << c.fields;
    EXPECT_EQ(h.m_Chunked, c.chunked) << c.fields;
    EXPECT_EQ(h.m_AcceptsRanges, c.ranges) << c.fields;
    EXPECT_EQ(h.m_Partial, c.partial) << c.fields;
    EXPECT_EQ(h.m_FirstByte, c.first) << c.fields;
    EXPECT_EQ(h.m_LastByte, c.last) << c.fields;
    EXPECT_EQ(h.m_TotalLength, c.total) << c.fields;
  }
}

TEST(HTTPHeader, StatusLinesAndLineEnds) {
  struct {
    const char* reply;
    int32_t result, major, minor, status;
    const char* reason;
  } cases[] = {
      {"HTTP/1.1 404 Not Found\r\n\r\n", 1, 1, 1, 404, "Not Found"},
      {"HTTP/1.0 206 \r\n\r\n", 1, 1, 0, 206, ""},
      {"HTTP/2.0 200 OK\n\n", 1, 2, 0, 200, "OK"},
      {"HTTP/1.1 200 OK\r\nA: b\n\r\n", 1, 1, 1, 200, "OK"},
      {"HTTP/10.12 999 Odd reason text\r\n\r\n", 1, 10, 12, 999, "Odd reason text"},
      {"HTTP/1.1 200\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},  // shorter than 13
      {"HTTP/1.1 20 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"HTTP/1.1 2000 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"HTTP/1.1  200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"http/1.1 200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"HTTP/x.1 200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"HTTP/1.1x200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"HTTP/1111.1 200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"\r\nHTTP/1.1 200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
      {"ICY 200 OK\r\n\r\n", DOWNLOAD_ERR_PARSE, 0, 0, -1, ""},
  };
  for (const auto& c : cases) {
    CHTTPHeaderReader reader;
    size_t taken = 0;
    const int32_t r = FeedHeader(reader, c.reply, 3, taken);
    EXPECT_EQ(r, c.result) << c.reply;
    if (r == 1) {
      EXPECT_EQ(reader.Header().m_Major, c.major) << c.reply;
      EXPECT_EQ(reader.Header().m_Minor, c.minor) << c.reply;
      EXPECT_EQ(reader.Header().m_Status, c.status) << c.reply;
      EXPECT_STREQ(reader.Header().m_Reason, c.reason) << c.reply;
    } else {
      EXPECT_STREQ(reader.ErrorText(), "Error while parsing HTTP Status-Line") << c.reply;
    }
  }
}

TEST(HTTPHeader, BadFieldsAndBoundsAreRefused) {
  const std::string line1023 = "X-Long: " + std::string(1023 - 8, 'a');
  const std::string line1024 = line1023 + "a";
  std::string manyLines;
  for (int i = 0; i < HTTP_MAX_HEADER_LINES; ++i) manyLines += "X-N: 1\r\n";
  struct {
    std::string fields;
    int32_t result;
  } cases[] = {
      {"Content-Length: 12a\r\n", DOWNLOAD_ERR_PARSE},
      {"Content-Length:\r\n", DOWNLOAD_ERR_PARSE},
      {"Content-Length: -1\r\n", DOWNLOAD_ERR_PARSE},
      {"Content-Length: 4294967296\r\n", DOWNLOAD_ERR_PARSE},
      {"Content-Length: 99999999999999999999999\r\n", DOWNLOAD_ERR_PARSE},
      {"Content-Length: 5\r\nContent-Length: 6\r\n", DOWNLOAD_ERR_PARSE},
      {line1023 + "\r\n", 1},
      {line1023 + "\n", 1},
      {line1024 + "\r\n", DOWNLOAD_ERR_PARSE},
      {std::string(100000, 'b'), DOWNLOAD_ERR_PARSE},
      {manyLines.substr(8), 1},
      {manyLines, DOWNLOAD_ERR_PARSE},
  };
  for (const auto& c : cases) {
    const std::string reply = "HTTP/1.1 200 OK\r\n" + c.fields + "\r\n";
    for (size_t piece : {reply.size(), size_t{1}, size_t{1000}}) {
      CHTTPHeaderReader reader;
      size_t taken = 0;
      EXPECT_EQ(FeedHeader(reader, reply, piece, taken), c.result) << c.fields.substr(0, 40) << " piece " << piece;
      if (c.result < 0) {
        EXPECT_EQ(reader.ErrorText(), nullptr);  // the table's own text
        uint32_t used = 9;
        EXPECT_EQ(reader.Feed(Bytes(reply), 1, used), DOWNLOAD_ERR_PARSE);  // stays refused
        EXPECT_EQ(used, 0u);
      }
    }
  }
  CHTTPHeaderReader longStatus;
  size_t taken = 0;
  const std::string status = "HTTP/1.1 200 " + std::string(2000, 'r') + "\r\n\r\n";
  EXPECT_EQ(FeedHeader(longStatus, status, 64, taken), DOWNLOAD_ERR_PARSE);
  EXPECT_STREQ(longStatus.ErrorText(), "Error while parsing HTTP Status-Line");
}

TEST(HTTPHeader, ResetReadsTheNextReply) {
  const std::string two = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 404 Gone\r\nContent-Length: 3\r\n\r\nabc";
  CHTTPHeaderReader reader;
  EXPECT_EQ(reader.IsEmpty(), 1);
  size_t taken = 0;
  ASSERT_EQ(FeedHeader(reader, two, 5, taken), 1);
  EXPECT_EQ(reader.Header().m_Status, 100);
  reader.Reset();
  size_t more = 0;
  ASSERT_EQ(FeedHeader(reader, two.substr(taken), 7, more), 1);
  EXPECT_EQ(reader.Header().m_Status, 404);
  EXPECT_EQ(reader.Header().m_ContentLength, 3u);
  EXPECT_EQ(reader.Header().m_KeepAlive, 0);
  EXPECT_EQ(two.substr(taken + more), "abc");
}

TEST(HTTPBody, LengthStopsAtTheEndAndLeavesTheRest) {
  const std::string wire = "0123456789NEXT";
  for (size_t piece : {size_t{1}, size_t{3}, size_t{14}}) {
    CHTTPBodyReader reader;
    reader.Start(EHTTPBody::Length, 10);
    int32_t result = 0;
    size_t at = 0;
    EXPECT_EQ(ReadBody(reader, wire, piece, result, &at), "0123456789");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(reader.GetDataBytes(), 10u);
    uint32_t used = 5, offset = 5, size = 5;
    EXPECT_EQ(reader.Take(Bytes(wire) + 10, 4, used, offset, size), 1);  // done: takes nothing
    EXPECT_EQ(used + size, 0u);
  }
  CHTTPBodyReader empty;
  empty.Start(EHTTPBody::Length, 0);
  EXPECT_EQ(empty.IsDone(), 1);
  CHTTPBodyReader cut;
  cut.Start(EHTTPBody::Length, 10);
  int32_t result = 0;
  ReadBody(cut, "01234", 5, result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(cut.Closed(), 0);  // a close before the length is no end
}

TEST(HTTPBody, UntilCloseEndsOnlyWithTheClose) {
  CHTTPBodyReader reader;
  reader.Start(EHTTPBody::UntilClose, 0);
  int32_t result = 0;
  EXPECT_EQ(ReadBody(reader, "all of it", 4, result), "all of it");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(reader.IsDone(), 0);
  EXPECT_EQ(reader.Closed(), 1);
  EXPECT_EQ(reader.GetDataBytes(), 9u);
}

TEST(HTTPBody, ChunksAreDecodedInEverySplit) {
  const std::string big(70000, 'q');
  struct {
    std::string wire;
    std::string body;
  } cases[] = {
      {Chunked({"hello", " ", "world"}), "hello world"},
      {Chunked({}), ""},
      {Chunked({big, "tail"}), big + "tail"},
      {Chunked({"abc"}, "X-Trailer: 1\r\nX-More: 2\r\n"), "abc"},
      {"5;name=value\r\nhello\r\n0\r\n\r\n", "hello"},
      {"A \r\n0123456789\r\n0\n\n", "0123456789"},
      {"00003\r\nxyz\r\n000\r\n\r\n", "xyz"},
  };
  for (const auto& c : cases) {
    for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, size_t{4096}, c.wire.size()}) {
      CHTTPBodyReader reader;
      reader.Start(EHTTPBody::Chunked, 0);
      int32_t result = 0;
      size_t at = 0;
      const std::string body = ReadBody(reader, c.wire + "NEXT", piece, result, &at);
      EXPECT_EQ(result, 1) << c.wire.substr(0, 20) << " piece " << piece;
      EXPECT_TRUE(body == c.body) << c.wire.substr(0, 20) << " piece " << piece;
      EXPECT_EQ(reader.GetDataBytes(), c.body.size());
      EXPECT_EQ(reader.Closed(), 1);  // done before the close
    }
  }
}

TEST(HTTPBody, BadChunkFramingIsRefused) {
  const char* cases[] = {
      "zz\r\nhello\r\n0\r\n\r\n",          // not hex
      "\r\nhello\r\n0\r\n\r\n",            // no size
      "5x\r\nhello\r\n0\r\n\r\n",          // junk after the size
      "5\r\nhelloX\r\n0\r\n\r\n",          // data longer than its size
      "100000000\r\n",                      // past 32 bits
      "FFFFFFFF\r\n",                       // fits, but then the next chunk overflows:
  };
  for (const char* wire : cases) {
    CHTTPBodyReader reader;
    reader.Start(EHTTPBody::Chunked, 0);
    int32_t result = 0;
    std::string w = wire;
    if (w == "FFFFFFFF\r\n") {
      // Skip the data of the first chunk by hand, then ask for one more byte.
      uint32_t used = 0, offset = 0, size = 0;
      ASSERT_EQ(reader.Take(Bytes(w), static_cast<uint32_t>(w.size()), used, offset, size), 0);
      std::string filler(1 << 20, 'f');
      for (uint32_t left = 0xFFFFFFFFu; left;) {
        const uint32_t n = std::min<uint32_t>(left, static_cast<uint32_t>(filler.size()));
        ASSERT_EQ(reader.Take(Bytes(filler), n, used, offset, size), 0);
        left -= used;
      }
      w = "\r\n1\r\n";
    }
    ReadBody(reader, w, 3, result);
    EXPECT_EQ(result, DOWNLOAD_ERR_PARSE) << wire;
    EXPECT_NE(reader.ErrorText(), nullptr) << wire;
    EXPECT_EQ(reader.Closed(), 0) << wire;
  }
  CHTTPBodyReader longLine;
  longLine.Start(EHTTPBody::Chunked, 0);
  int32_t result = 0;
  ReadBody(longLine, "5;" + std::string(5000, 'e') + "\r\nhello\r\n", 100, result);
  EXPECT_EQ(result, DOWNLOAD_ERR_PARSE);
}
