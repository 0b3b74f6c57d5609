#include "common/updater/fvnames.h"

#include <array>

namespace {
// Bytes that end a plain run of a name: its end, the separators and the control characters.
constexpr std::array<bool, 256> MakeStops() {
  std::array<bool, 256> t{};
  for (int c = 0; c < 32; ++c) t[c] = true;
  t[127] = t['/'] = t['\\'] = true;
  return t;
}
constexpr std::array<bool, 256> kStop = MakeStops();
}  // namespace

// One pass over the name: the rule of xIsSafeRelativePath, and no control character.
int32_t FVersion_IsSafeListName(const char* name) {
  if (!name || !*name || name[0] == '/' || name[0] == '\\') return 0;
  const char first = static_cast<char>(name[0] | 0x20);
  if (first >= 'a' && first <= 'z' && name[1] == ':') return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(name);
  for (const unsigned char* component = p;; component = ++p) {
    while (!kStop[*p]) ++p;
    if (p - component == 2 && component[0] == '.' && component[1] == '.') return 0;
    if (*p != '/' && *p != '\\') return *p ? 0 : 1;
  }
}
