#include "platform/display/keyhook.h"

#include <cstddef>
#include <vector>

namespace {
struct SHook {
  TKeyboardHook handle;
  TKeyboardHookProc proc;
};

// Oldest first.
std::vector<SHook>& Hooks() {
  static std::vector<SHook> hooks;
  return hooks;
}

TKeyboardHook g_NextHandle = 1;

intptr_t CallFrom(size_t count, int32_t code, const TPlatformKey& key) {
  if (count == 0) return 0;
  const SHook hook = Hooks()[count - 1];
  return hook.proc(code, key);
}
}  // namespace

TKeyboardHook PlatformSetKeyboardHook(TKeyboardHookProc proc) {
  if (!proc) return 0;
  TKeyboardHook handle = g_NextHandle++;
  if (handle == 0) handle = g_NextHandle++;
  Hooks().push_back({handle, proc});
  return handle;
}

bool PlatformUnhookKeyboard(TKeyboardHook hook) {
  auto& hooks = Hooks();
  for (auto it = hooks.begin(); it != hooks.end(); ++it) {
    if (it->handle == hook) {
      hooks.erase(it);
      return true;
    }
  }
  return false;
}

intptr_t PlatformCallNextKeyboardHook(TKeyboardHook current, int32_t code, const TPlatformKey& key) {
  const auto& hooks = Hooks();
  for (size_t i = 0; i < hooks.size(); ++i) {
    if (hooks[i].handle == current) return CallFrom(i, code, key);
  }
  return 0;
}

intptr_t PlatformRunKeyboardHooks(int32_t code, const TPlatformKey& key) {
  return CallFrom(Hooks().size(), code, key);
}
