#include "common/updater/fvnames.h"

#include "ostrel/files/filehelpers.h"

int32_t FVersion_IsSafeListName(const char* name) {
  if (!xIsSafeRelativePath(name)) return 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p)
    if (*p < 32 || *p == 127) return 0;
  return 1;
}
