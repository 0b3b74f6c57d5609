// Helpers of the module-list suites: the callback table, fixtures, diagnostics and a text form of
// a whole list to compare against.
#pragma once

#include <functional>
#include <string>

#include "common/updater/fvmodulehandler.h"

// The 22 required callbacks by name, each with a setter that clears it.
struct SCallbackClearer {
  const char* m_pName;
  void (*m_Clear)();
};
extern const SCallbackClearer kRequiredCallbacks[22];

// tests/data/updater/<name>.
std::string UpdaterData(const std::string& name);

// Runs f in a child process (a fresh copy of the process-wide state) and waits for it; true when
// it ended with 0.
bool InChild(const std::function<int()>& f);

// What f prints to the diagnostic sink.
std::string Diagnostics(const std::function<void()>& f);

// Every module (normal, then indirect), file, restart file and site, one per line, read through
// the handler's cursors:
//   N|I name|description|class|package|size|crc|mode|forced
//     F have:name have:crc have:size have:packed have:crc have:size
//     R indirect file
//   restart file|unpack name|full    site|login|password|subdir|connect|data
std::string DumpList(CFVModuleHandler& h);
