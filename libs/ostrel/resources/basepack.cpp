#include "ostrel/resources/basepack.h"

#include <string>

#include "ostrel/base/types.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/folders.h"
#include "platform/modules/modules.h"

int32_t xLoadBaseResData(CResData* res, const char* folder) {
  if (!res) return 0;
  const std::string where = folder ? folder : PlatformProgramFolder();
  if (where.empty()) return 0;
  char* old = xGetWorkingDirectory();
  if (!old) return 0;
  int32_t ok = 0;
  if (xSetWorkingDirectory(where.c_str())) {
    ok = res->Load(XRES_BASE_SCRIPT);
    xSetWorkingDirectory(old);
  }
  xFree(old);
  return ok;
}
