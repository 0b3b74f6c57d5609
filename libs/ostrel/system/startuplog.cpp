#include "ostrel/system/startuplog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

#include "ostrel/system/appname.h"
#include "ostrel/system/globals.h"

namespace {
constexpr const char* kLogName = "startup.log";
constexpr size_t kMessageLimit = 10 * 1024;

bool g_StartupDone = false;
bool g_ErrorSeen = false;

void AppendField(std::string& line, const char* prefix, const char* text) {
  line += prefix;
  line += text ? text : "NULL";
  line += '|';
}

std::string LocalTimeText() {
  const time_t now = time(nullptr);
  char buf[32] = {};
  if (!ctime_r(&now, buf)) return "NULL";
  std::string text(buf);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// The whole line goes out in one append, so lines of processes writing at once never mix.
void WriteLine(const char* tag, const char* message) {
  std::string line;
  if (glb) {
    const char* name = GetApplicationName();
    AppendField(line, "", (name && *name) ? name : "NONAME");
  }
  AppendField(line, "", tag);
  AppendField(line, "", LocalTimeText().c_str());
  AppendField(line, "file=", GetFileName());
  line += "pid=" + std::to_string(getpid()) + "|";
  line += message ? message : "NULL";
  line += '\n';
  const int fd = open(kLogName, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t ignored = write(fd, line.data(), line.size());
  (void)ignored;
  close(fd);
}

std::string Format(const char* format, va_list args) {
  char buf[kMessageLimit];
  std::vsnprintf(buf, sizeof(buf), format ? format : "", args);
  return buf;
}
}  // namespace

void xLogStartupDelete() { unlink(kLogName); }
void xLogStartupProcessStarted() { WriteLine("STARTED", "Process started."); }
void xLogStartupProcessInit() { WriteLine("INIT", "Process init."); }

void xLogStartupSuccess() {
  WriteLine("STARTUP DONE", "Process has initiated and is now running.");
  g_StartupDone = true;
}

void xLogStartupInfo(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  WriteLine("INFO", text.c_str());
}

int32_t xLogStartupError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  WriteLine("ERROR", text.c_str());
  g_ErrorSeen = true;
  return 0;
}

void xLogStartupProcessExit() {
  const char* text;
  if (g_StartupDone) {
    text = g_ErrorSeen ? "Process exit, there was atleast one error." : "Process exit.";
  } else {
    text = g_ErrorSeen ? "Process exit. StartupSuccess was not called and there was atleast one error."
                       : "Process exit. StartupSuccess was not called.";
  }
  WriteLine("EXIT", text);
}

void xLogStartupClearMarks() {
  g_StartupDone = false;
  g_ErrorSeen = false;
}
