// The installer's one exception: a message text. Every fatal error of the installer is created
// with new and thrown by pointer; whoever catches it shows the text and deletes it.
#pragma once

#include <cstdint>

class BException {
 public:
  // Keeps a copy of the text; none when it is null or empty.
  explicit BException(const char* message);
  ~BException();
  BException(const BException&) = delete;
  BException& operator=(const BException&) = delete;

  // "" when there is none.
  const char* GetMessage() const { return m_pMessage ? m_pMessage : ""; }

 private:
  char* m_pMessage = nullptr;
};

// Throws a new BException of the text.
[[noreturn]] void BThrow(const char* message);
// Throws a new BException of the format filled with one text ("Could not unpack %s").
[[noreturn]] void BThrow(const char* format, const char* text);
