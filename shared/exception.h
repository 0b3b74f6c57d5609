// The exception of a module's own set-up: which method failed, why, and where it was thrown. It is
// thrown by value, caught by reference at the module's entry points and reported to the runtime's
// diagnostic output; it never leaves the module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The report's text, cut to fit: at most this many bytes with its terminating zero.
inline constexpr size_t EXCEPTION_REPORT_SIZE = 1024;

class CException {
 public:
  // A missing method or source becomes "Unknown", a missing message "N/A". By default the source
  // file and the line are where the exception is made; of a path only the file's name is kept.
  CException(const char* method, const char* message, const char* source = __builtin_FILE(),
             int32_t line = __builtin_LINE());
  virtual ~CException() = default;
  CException(const CException&) = default;
  CException& operator=(const CException&) = default;

  // Writes the text between two lines of 79 "-" to the diagnostic output.
  virtual void Report() const;
  // "Exception in method: ..., message: '...', source: ..., line: ...\n", cut to the report size.
  std::string Text() const;

  const char* GetMethod() const { return m_Method.c_str(); }
  const char* GetMessage() const { return m_Message.c_str(); }
  const char* GetSource() const { return m_Source.c_str(); }
  int32_t GetLine() const { return m_Line; }

 private:
  std::string m_Method;
  std::string m_Message;
  std::string m_Source;
  int32_t m_Line;
};
