// A button that opens an address: with an at sign as a mail address, else in the browser.
#pragma once

#include "ostrel/controls/button.h"

class CURL : public CButton {
 public:
  using CButton::Create;
  CURL() = default;
  ~CURL() override;

  // 0 when the address is null or cannot be copied.
  int32_t Create(int32_t id, const char* text, const char* address, int32_t x, int32_t y, int32_t width,
                 int32_t height, int16_t hotKey, uint32_t flags);
  int32_t SetURL(const char* address);
  const char* GetURL() const { return m_pAddress; }
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;

 private:
  void Open();
  char* m_pAddress = nullptr;
};
