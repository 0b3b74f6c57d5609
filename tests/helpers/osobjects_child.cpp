// The other process of the operating-system object tests. It reports on stdout, one line per
// step, and takes its orders from stdin; it dies with the test that started it.
//   mutex-hold NAME     create and own the mutex, print "held <status>", wait for stdin's end
//   mutex-hold-write NAME FILE
//                       own the mutex, print "held <status>", then write stdin (to its end) to
//                       FILE, replacing it whole, and release the mutex: a program's change of a
//                       file under its lock
//   mutex-probe NAME    print "open=<Open> status=<Create status> wait=<Wait(0)>"
//   pipe-serve NAME     serve a channel: "wait" -> ClientReading, "write TEXT", "writen N"
//   pipe-ask NAME N     open a channel as a client and print "got=<answer>" N times
//   rng-service PUBLIC PRIVATE FIRST
//                       a random-number service: PUBLIC answers with PRIVATE, which answers
//                       FIRST, FIRST + 1, ... as 4-byte values
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "ostrel/system/mutex.h"
#include "ostrel/system/namedpipe.h"
#include "ostrel/system/waitdeadline.h"
#include "platform/files/resolver.h"

namespace {

void Say(const std::string& line) {
  std::cout << line << std::endl;
}

int MutexHold(const char* name) {
  CMutex m;
  uint32_t status = 0;
  if (!m.Create(name, status) || !m.Wait(XINFINITE)) return 1;
  Say("held " + std::to_string(status));
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  return 0;
}

int MutexHoldWrite(const char* name, const char* file) {
  CMutex m;
  uint32_t status = 0;
  if (!m.Create(name, status) || !m.Wait(XINFINITE)) return 1;
  Say("held " + std::to_string(status));
  std::string text, line;
  while (std::getline(std::cin, line)) text += line + "\n";
  const int written = PlatformWriteFileReplacing(file, text.data(), static_cast<uint32_t>(text.size()));
  m.Release();
  Say("written " + std::to_string(written));
  return 0;
}

int MutexProbe(const char* name) {
  CMutex m;
  int open = m.Open(name);
  uint32_t status = 0;
  m.Create(name, status);
  int wait = m.Wait(0);
  Say("open=" + std::to_string(open) + " status=" + std::to_string(status) + " wait=" + std::to_string(wait));
  return 0;
}

int PipeServe(const char* name) {
  CNamedPipe pipe;
  if (!pipe.Create(name, XINFINITE)) return 1;
  Say("ready");
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "wait") {
      Say("asked=" + std::to_string(pipe.ClientReading()));
    } else if (line.rfind("write ", 0) == 0) {
      std::string text = line.substr(6);
      Say("write=" + std::to_string(pipe.Write(text.data(), static_cast<uint32_t>(text.size()))));
    } else if (line.rfind("writen ", 0) == 0) {
      std::string text(std::strtoul(line.c_str() + 7, nullptr, 10), 'x');
      for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
      Say("write=" + std::to_string(pipe.Write(text.data(), static_cast<uint32_t>(text.size()))));
    }
  }
  return 0;
}

int PipeAsk(const char* name, int count) {
  CNamedPipe pipe;
  if (!pipe.Open(name, 60000)) {
    Say("open=0");
    return 1;
  }
  for (int i = 0; i < count; ++i) {
    char buf[NAMEDPIPE_MAX_DATA];
    uint32_t got = 0;
    if (!pipe.Read(buf, sizeof buf, got)) {
      Say("read=0");
      return 1;
    }
    Say("got=" + std::string(buf, got));
  }
  return 0;
}

int RngService(const char* publicName, const char* privateName, uint32_t first) {
  CNamedPipe pub, priv;
  if (!pub.Create(publicName, 20) || !priv.Create(privateName, 20)) return 1;
  Say("ready");
  for (uint32_t next = first;;) {
    if (pub.ClientReading()) pub.Write(privateName, static_cast<uint32_t>(std::strlen(privateName)));
    if (priv.ClientReading() && priv.Write(&next, sizeof next)) ++next;
  }
}

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) return 1;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "mutex-hold" && argc == 3) return MutexHold(argv[2]);
  if (mode == "mutex-hold-write" && argc == 4) return MutexHoldWrite(argv[2], argv[3]);
  if (mode == "mutex-probe" && argc == 3) return MutexProbe(argv[2]);
  if (mode == "pipe-serve" && argc == 3) return PipeServe(argv[2]);
  if (mode == "pipe-ask" && argc == 4) return PipeAsk(argv[2], std::atoi(argv[3]));
  if (mode == "rng-service" && argc == 5)
    return RngService(argv[2], argv[3], static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 0)));
  std::fprintf(stderr, "osobjects_child: unknown orders\n");
  return 2;
}
