// A second process that books money in the database of the folder it is given, for the tests
// that kill it in the middle. Orders on stdin, one per line:
//   inc <member> <amount> <times>  books the amount that many times, printing "booked <n>" after
//                                  each commit
//   hold <member> <amount>         opens a transaction, books the amount inside it, prints
//                                  "inside" and waits for the next line without committing
// It prints "ready" once the database is open and "error <text>" when a call fails.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "stova/stova.h"

namespace {
void Report(CStovaConn& db) {
  c2stovaError e;
  while (db.GetLastStovaError(e)) std::printf("error %s\n", e.GetText());
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || chdir(argv[1]) != 0) return 2;
  CStovaConn db;
  if (!db.Init()) {
    Report(db);
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string order, amountText;
    uint32_t member = 0;
    int times = 1;
    in >> order >> member >> amountText >> times;
    TStovaMoney amount(amountText.c_str());
    int32_t ok = 0;
    if (order == "inc") {
      for (int i = 1; i <= times; ++i) {
        if (!db.IncUserCash(member, amount, 7, ok, static_cast<uint32_t>(i)) || !ok) break;
        std::printf("booked %d\n", i);
        std::fflush(stdout);
      }
    } else if (order == "hold") {
      if (db.BeginTransaction() && db.IncUserCash(member, amount, 7, ok, 0) && ok) {
        std::printf("inside\n");
        std::fflush(stdout);
      }
    }
    Report(db);
  }
  return 0;
}
