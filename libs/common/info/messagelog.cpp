#include "common/info/messagelog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/files/resolver.h"

namespace {
constexpr const char* kLogName = "messages.log";
constexpr const char* kUnknownModule = "Unknown Module";

// The stamp "YYYYMMDD HHMMSS" of the local time.
std::string LocalStamp() {
  const time_t now = time(nullptr);
  struct tm local {};
  char stamp[32] = "00000000 000000";
  if (localtime_r(&now, &local)) strftime(stamp, sizeof stamp, "%Y%m%d %H%M%S", &local);
  return stamp;
}

// One write of the whole line: appends of several processes to one file never interleave
// within a write. A short write (a signal, a full disk) goes on with the rest.
void AppendLine(const std::string& line) {
  const std::string path = PlatformResolvePath(kLogName);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
}
}  // namespace

void WriteMessageLog(const char* module, const char* text) {
  const char* name = module && *module ? module : kUnknownModule;
  const size_t nameLength = strlen(name);
  // The module may take the whole room; the message then gets none of it.
  const size_t room = nameLength < MESSAGELOG_TEXT_ROOM ? MESSAGELOG_TEXT_ROOM - nameLength : 0;
  const size_t textLength = text ? strnlen(text, room) : 0;

  std::string line = LocalStamp();
  line.reserve(line.size() + nameLength + textLength + 4);
  line += ' ';
  line.append(name, nameLength);
  line += ": ";
  if (textLength) line.append(text, textLength);
  line += '\n';
  AppendLine(line);
}

void LogMessage(int32_t, const char* module, const char* format, ...) {
  // On the heap: game modules log from deep call chains.
  std::string message(MESSAGELOG_FORMAT_SIZE, '\0');
  va_list args;
  va_start(args, format);
  const int n = vsnprintf(message.data(), message.size(), format ? format : "", args);
  va_end(args);
  if (n < 0) message[0] = '\0';
  WriteMessageLog(module, message.c_str());
}
