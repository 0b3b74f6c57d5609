#include "ostrel/system/appname.h"

#include <cstring>

#include "ostrel/system/globals.h"
#include "ostrel/system/startuplog.h"

namespace {
constexpr size_t kFileNameSize = 80;
char g_FileName[kFileNameSize] = "NoName";
}  // namespace

const char* GetApplicationName() { return glb ? glb->m_ApplicationName : "Noname"; }

void SetApplicationName(const char* name) {
  if (glb && name && std::strlen(name) < APPLICATION_NAME_SIZE) std::strcpy(glb->m_ApplicationName, name);
  xLogStartupProcessInit();
}

const char* GetFileName() { return g_FileName; }

void SetFileName(const char* name) {
  if (name && std::strlen(name) < kFileNameSize) std::strcpy(g_FileName, name);
}
