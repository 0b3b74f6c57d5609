#include "casino/startup/clientresources.h"

#include <memory>

#include "ostrel/resources/basepack.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

namespace {
std::unique_ptr<CResData> g_pBase;
std::unique_ptr<CResData> g_pMain;
SClientSettings g_Settings;

// The value of an item of the current chunk, or the default when it is missing or unreadable.
uint32_t ULongOr(CResData& res, const char* name, uint32_t fallback) {
  uint32_t value = 0;
  return res.GetItem(name, KULONG, &value, KEND) ? value : fallback;
}

SClientSettings ReadSettings(CResData& res) {
  SClientSettings s;
  if (!res.EnterDataChunk()) return s;
  s.m_NetworkMaxTimeout = ULongOr(res, "NETWORKMAXTIMEOUT", DEFAULT_NETWORKMAXTIMEOUT);
  s.m_MaxCreateTicks = ULongOr(res, "MAXCREATETICKS", DEFAULT_MAXCREATETICKS);
  int32_t offline = 0;
  s.m_OfflineLog = res.GetItem("OFFLINE_LOG", KBOOL, &offline, KEND) && offline ? 1 : 0;
  if (res.FindItem("WINDOW_TITLEBAR")) s.m_WindowStyle |= 1;
  if (res.FindItem("WINDOW_FRAME")) s.m_WindowStyle |= 2;
  res.ExitDataChunk();
  return s;
}
}  // namespace

CResData* GetMainResources() { return g_pMain.get(); }
const SClientSettings& GetClientSettings() { return g_Settings; }

int32_t LoadClientResources() {
  FreeClientResources();
  auto base = std::make_unique<CResData>();
  if (!xLoadBaseResData(base.get(), ".")) {
    xprintf("LoadClientResources: the base pack %s could not be loaded", XRES_BASE_SCRIPT);
    return 0;
  }
  auto main = std::make_unique<CResData>();
  if (!main->Load(MAIN_RESOURCES_FILE)) {
    xprintf("LoadClientResources: %s could not be loaded", MAIN_RESOURCES_FILE);
    base->Free();
    return 0;
  }
  g_Settings = ReadSettings(*main);
  g_pBase = std::move(base);
  g_pMain = std::move(main);
  return 1;
}

void FreeClientResources() {
  // The main resources go first: their looks may stand on the base pack's.
  if (g_pMain) g_pMain->Free();
  g_pMain.reset();
  if (g_pBase) g_pBase->Free();
  g_pBase.reset();
  g_Settings = SClientSettings{};
}

CBitmap* xResBitmapById(CResData* res, int32_t id) {
  if (!res) return nullptr;
  for (int32_t i = 0; i < res->NumBitmaps(); ++i) {
    const TBitmapRes* bitmap = res->GetBitmapRes(i);
    int32_t defined = 0;
    if (bitmap && bitmap->m_pBitmap && res->GetResId(bitmap->m_Name, &defined) && defined == id)
      return bitmap->m_pBitmap;
  }
  return nullptr;
}
