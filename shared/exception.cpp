#include "shared/exception.h"

#include <cstdio>
#include <cstring>

#include "ostrel/system/debug.h"

namespace {
const char* OrDefault(const char* text, const char* fallback) { return text && *text ? text : fallback; }

// The file's own name: a build folder says nothing to whoever reads the report.
const char* FileName(const char* path) {
  if (!path) return nullptr;
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

constexpr char kRule[] = "-------------------------------------------------------------------------------";
static_assert(sizeof(kRule) - 1 == 79);
}  // namespace

CException::CException(const char* method, const char* message, const char* source, int32_t line)
    : m_Method(OrDefault(method, "Unknown")),
      m_Message(OrDefault(message, "N/A")),
      m_Source(OrDefault(FileName(source), "Unknown")),
      m_Line(line) {}

std::string CException::Text() const {
  char buffer[EXCEPTION_REPORT_SIZE];
  std::snprintf(buffer, sizeof buffer, "Exception in method: %s, message: '%s', source: %s, line: %d\n",
                m_Method.c_str(), m_Message.c_str(), m_Source.c_str(), static_cast<int>(m_Line));
  return buffer;
}

void CException::Report() const { xprintf("%s\n%s%s\n", kRule, Text().c_str(), kRule); }
