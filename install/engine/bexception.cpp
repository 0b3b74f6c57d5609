#include "install/engine/bexception.h"

#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"

BException::BException(const char* message) {
  if (message && *message) m_pMessage = xStrdup(message);
}

BException::~BException() { xFree(m_pMessage); }

void BThrow(const char* message) { throw new BException(message); }

void BThrow(const char* format, const char* text) {
  const std::string f = format ? format : "";
  const size_t at = f.find("%s");
  if (at == std::string::npos) BThrow(f.c_str());
  BThrow((f.substr(0, at) + (text ? text : "") + f.substr(at + 2)).c_str());
}
