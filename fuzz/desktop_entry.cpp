// Shortcut files are read from the desktop's folders, where anything may have put them. Parses
// the input, reads its Exec words and main-group values, changes it and parses the result again.
#include <cstdint>
#include <string>

#include "platform/shell/desktopentry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > CDesktopEntry::MAX_FILE_SIZE) return 0;
  CDesktopEntry entry;
  if (!entry.Parse(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  std::string value;
  entry.Get("Name", value);
  std::vector<std::string> args = entry.ExecArgs();
  args.push_back(value);
  entry.SetExec(args);
  entry.Set("Path", value);
  entry.Remove("Icon");
  CDesktopEntry again;
  if (!again.Parse(entry.Text()) || again.ExecArgs() != args) __builtin_trap();
  return 0;
}
