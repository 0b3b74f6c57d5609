// The other program of the message-log tests: appends lines to "messages.log" in its working
// folder through the common library, as a second game module or client would.
//   messagelog_child <module> <count> <length>
// says "ready", waits for a line on its input (so two of them start together), then logs count
// messages of the form "<module> <n> <filler of length characters>" and says "done".
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "common/info/messagelog.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string module = argv[1];
  const int count = std::atoi(argv[2]);
  const std::string filler(static_cast<size_t>(std::atoi(argv[3])), module.empty() ? 'x' : module[0]);
  std::printf("ready\n");
  std::fflush(stdout);
  std::string go;
  std::getline(std::cin, go);
  for (int n = 0; n < count; ++n) LogMessage(0, module.c_str(), "%s %d %s", module.c_str(), n, filler.c_str());
  std::printf("done\n");
  std::fflush(stdout);
  return 0;
}
