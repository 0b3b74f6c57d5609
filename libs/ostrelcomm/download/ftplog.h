// The FTP client's own logs, written only while the client's switch is on: its lines in
// "ftpfull.log", and the raw bytes of the command connection as sent ("ftpsendlow.log") and as
// received ("ftprecvlow.log"). Each write opens the file to append and closes it again, so a
// crash loses nothing that was logged.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* FTP_LOG_FULL = "ftpfull.log";
inline constexpr const char* FTP_LOG_SEND = "ftpsendlow.log";
inline constexpr const char* FTP_LOG_RECV = "ftprecvlow.log";

class CFtpLog {
 public:
  void Enable() { m_On = 1; }
  void Disable() { m_On = 0; }
  int32_t IsOn() const { return m_On; }
  // The text and a line feed, to the full log.
  void Line(const std::string& text) const;
  void Sent(const void* data, uint32_t size) const;
  // The bytes [from, to) of a command line as sent; a password goes to the log as "****", once,
  // with the first bytes of its line.
  void SentLine(const std::string& line, uint32_t from, uint32_t to) const;
  void Received(const void* data, uint32_t size) const;
  // Deletes all three files.
  static void Delete();

 private:
  int32_t m_On = 0;
};
