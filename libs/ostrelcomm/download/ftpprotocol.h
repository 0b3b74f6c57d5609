// The FTP wire pieces the download client needs: the reader that groups the server's reply lines
// into replies, the command lines, the addresses of PASV and PORT, the file size in a reply and
// the start position of a resumed download.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

// Longest reply line, end of line not counted.
inline constexpr uint32_t FTP_MAX_LINE = 1024;
// What one reply keeps of its lines; further lines of a long reply are counted but dropped.
inline constexpr uint32_t FTP_MAX_REPLY_TEXT = 8192;
// Resumed downloads start on a multiple of this.
inline constexpr uint32_t FTP_RESUME_BLOCK = 4096;

// One whole reply: the code of its first line, its lines joined with "\n" (each with its code).
struct SFtpReply {
  int32_t m_Code = 0;
  std::string m_Text;
  uint32_t m_Lines = 0;
  // The first line, which names the reply in messages.
  std::string FirstLine() const { return m_Text.substr(0, m_Text.find('\n')); }
};

// Reads the command connection's bytes as they come. A line ends at a carriage return or a line
// feed; empty lines are skipped. A line "ddd-..." opens a reply that runs to the line that starts
// with the same three digits and a blank (or nothing); any other line is a reply of its own,
// whose code is the number at its start.
class CFtpReplyReader {
 public:
  // Takes all of data, appending each reply completed to out. 0 when a line is longer than
  // FTP_MAX_LINE; the reader is then spoilt until Reset.
  int32_t Feed(const char* data, uint32_t size, std::deque<SFtpReply>& out);
  void Reset();
  // 1 while a reply has begun and not ended.
  int32_t IsInReply() const { return m_InMulti || m_Line.size() > 0; }

 private:
  void TakeLine(std::deque<SFtpReply>& out);
  void AddLine(const std::string& line);

  std::string m_Line;
  SFtpReply m_Reply;
  char m_MultiCode[3] = {};
  bool m_InMulti = false;
  bool m_Spoilt = false;
};

// The number at the start of a text ("" or no digit: 0), kept below 10^9.
int32_t xFtpReplyCode(const char* text);

// 1 when the text may stand in a command line: no carriage return or line feed.
int32_t xFtpIsSafeArgument(const char* text);
// "WORD" or "WORD argument", then "\r\n". 0 when the argument is not safe.
int32_t xFtpCommandLine(const char* word, const char* argument, std::string& out);

// The six numbers of a 227 reply, after its opening parenthesis (or its first digit past the code
// when it has none): address bytes and port bytes, each 0 to 255, the port not 0. Address in host
// order (a.b.c.d is a << 24 | ... | d). 0 when the reply holds no such address.
int32_t xFtpParsePassiveReply(const char* text, uint32_t& ip, uint16_t& port);
// "a,b,c,d,hi,lo" for PORT.
std::string xFtpPortArgument(uint32_t ip, uint16_t port);
// "a.b.c.d".
std::string xFtpDottedAddress(uint32_t ip);

// The size a reply announces: the first parenthesised group of 1 to 62 characters that holds
// "bytes" or "Bytes" and starts with a number, as in "150 Opening ... (1234 bytes)". 0 when there
// is none or the number does not fit 32 bits.
int32_t xFtpFindReplySize(const char* text, uint32_t& size);

// A start position rounded down to a whole block.
inline constexpr uint32_t xFtpRoundStartPosition(uint32_t position) { return position & ~(FTP_RESUME_BLOCK - 1); }
