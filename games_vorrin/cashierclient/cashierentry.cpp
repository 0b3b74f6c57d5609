#include "cashierentry.h"

#include <new>

#include "cashierclientapp.h"
#include "shared/exception.h"

namespace {
constexpr const char kEntry[] = "xMain()";
constexpr const char kOutOfMemory[] = "Out of memory while creating the cashierclient application object.";

// Runs step; a CException, or running out of memory, is reported and gives 0.
template <class Step>
int32_t Guarded(Step step) {
  try {
    return step();
  } catch (const CException& e) {
    e.Report();
  } catch (const std::bad_alloc&) {
    CException(kEntry, "Out of memory.").Report();
  }
  return 0;
}
}  // namespace

int32_t CashierStart(int32_t logFlag, int argc, char** argv) {
  CCashierClientApp* app = nullptr;
  const int32_t started = Guarded([&] {
    app = new (std::nothrow) CCashierClientApp(logFlag, argc, argv);
    if (!app) throw CException(kEntry, kOutOfMemory);
    if (!app->Initialize()) throw CException(kEntry, "Failed to initialize the cashierclient application object.");
    return 1;
  });
  // Its destructor takes the timer and both module pointers with it.
  if (!started) delete app;
  return started;
}

int32_t CashierTick() {
  CCashierClientApp* app = CashierClientApp();
  return app ? Guarded([app] { return app->Ticker(); }) : 0;
}

int32_t CashierEnd() {
  CCashierClientApp* app = CashierClientApp();
  if (!app) return 1;
  Guarded([app] { return app->Exit(); });
  delete app;
  return 1;
}
