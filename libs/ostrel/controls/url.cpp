#include "ostrel/controls/url.h"

#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/shell.h"

CURL::~CURL() {
  xFree(m_pAddress);
  m_pAddress = nullptr;
}

int32_t CURL::Create(int32_t id, const char* text, const char* address, int32_t x, int32_t y, int32_t width,
                     int32_t height, int16_t hotKey, uint32_t flags) {
  if (!SetURL(address)) return 0;
  return CButton::Create(id, text, x, y, width, height, hotKey, flags);
}

int32_t CURL::SetURL(const char* address) {
  if (!address) return 0;
  char* copy = xStrdup(address);
  if (!copy) return 0;
  xFree(m_pAddress);
  m_pAddress = copy;
  return 1;
}

int32_t CURL::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  const int32_t result = CButton::GuiMsgHandler(msg, a, b, c, d);
  if (m_CommandSent) Open();
  return result;
}

void CURL::Open() {
  if (!m_pAddress) return;
  if (xStrchr(m_pAddress, '@')) {
    const std::string mail = std::string("mailto:") + m_pAddress;
    xExecuteFile(mail.c_str(), nullptr);
  } else {
    xShowURL(m_pAddress);
  }
}
