#include "ostrelcomm/download/ftplog.h"

#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"

namespace {

void Append(const char* name, const void* data, uint32_t size) {
  if (!size) return;
  CFile file;
  if (!file.Open(name, XFILE_APPEND)) {
    if (!xCreateDirsForFile(name) || !file.Open(name, XFILE_APPEND)) return;
  }
  file.Write(data, size);
}

}  // namespace

void CFtpLog::Line(const std::string& text) const {
  if (!m_On) return;
  const std::string line = text + '\n';
  Append(FTP_LOG_FULL, line.data(), static_cast<uint32_t>(line.size()));
}

void CFtpLog::Sent(const void* data, uint32_t size) const {
  if (m_On) Append(FTP_LOG_SEND, data, size);
}

void CFtpLog::SentLine(const std::string& line, uint32_t from, uint32_t to) const {
  if (!m_On || from >= to) return;
  if (line.compare(0, 5, "PASS ") != 0) return Sent(line.data() + from, to - from);
  if (from == 0) {
    static constexpr char kMasked[] = "PASS ****\r\n";
    Sent(kMasked, sizeof kMasked - 1);
  }
}

void CFtpLog::Received(const void* data, uint32_t size) const {
  if (m_On) Append(FTP_LOG_RECV, data, size);
}

void CFtpLog::Delete() {
  for (const char* name : {FTP_LOG_FULL, FTP_LOG_SEND, FTP_LOG_RECV}) xFileDelete(name);
}
