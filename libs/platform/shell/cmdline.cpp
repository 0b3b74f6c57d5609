#include "platform/shell/cmdline.h"

std::vector<std::string> PlatformSplitCommandLine(const char* text) {
  std::vector<std::string> args;
  if (!text) return args;
  const char* p = text;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    while (*p) {
      if (*p == '\\') {
        size_t n = 0;
        while (p[n] == '\\') ++n;
        if (p[n] != '"') {
          arg.append(n, '\\');
          p += n;
          continue;
        }
        arg.append(n / 2, '\\');
        p += n;
        if (n % 2) {
          arg += '"';
          ++p;
          continue;
        }
      }
      if (*p == '"') {
        if (quoted && p[1] == '"') {
          arg += '"';
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
        continue;
      }
      if ((*p == ' ' || *p == '\t') && !quoted) break;
      arg += *p++;
    }
    args.push_back(arg);
  }
  return args;
}
