#include "common/updater/fvnames.h"

// One pass over the name: the rule of xIsSafeRelativePath, and no control character.
int32_t FVersion_IsSafeListName(const char* name) {
  if (!name || !*name || name[0] == '/' || name[0] == '\\') return 0;
  const char first = static_cast<char>(name[0] | 0x20);
  if (first >= 'a' && first <= 'z' && name[1] == ':') return 0;
  const char* component = name;
  for (const char* p = name;; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == 0 || c == '/' || c == '\\') {
      if (p - component == 2 && component[0] == '.' && component[1] == '.') return 0;
      if (!c) return 1;
      component = p + 1;
    } else if (c < 32 || c == 127) {
      return 0;
    }
  }
}
