// What the whole client shares from InitApplication to ExitApplication: the base pack (the
// window manager's default look), the main resources "xrs/mc_main.xrs", and the values read
// from the main resources' data chunk.
#pragma once

#include <cstdint>

class CResData;
class CBitmap;

inline constexpr const char MAIN_RESOURCES_FILE[] = "xrs/mc_main.xrs";

// Defaults of the data chunk's items, kept when an item is missing or of another type.
inline constexpr uint32_t DEFAULT_NETWORKMAXTIMEOUT = 2000;
inline constexpr uint32_t DEFAULT_MAXCREATETICKS = 6000;

struct SClientSettings {
  // Passes every wait for an answer counts (NETWORKMAXTIMEOUT).
  uint32_t m_NetworkMaxTimeout = DEFAULT_NETWORKMAXTIMEOUT;
  // Passes the table window waits for a granted table (MAXCREATETICKS).
  uint32_t m_MaxCreateTicks = DEFAULT_MAXCREATETICKS;
  // OFFLINE_LOG, for the main client's offline logging.
  int32_t m_OfflineLog = 0;
  // Window style flags of a windowed start: 1 with WINDOW_TITLEBAR, 2 with WINDOW_FRAME.
  uint32_t m_WindowStyle = 0;
};

// Null while not loaded.
CResData* GetMainResources();
const SClientSettings& GetClientSettings();

// The base pack of the working folder, then the main resources and their settings; 1, or 0 with
// nothing kept when either cannot be loaded.
int32_t LoadClientResources();
void FreeClientResources();

// The bitmap of the resources whose name is a define of that id (ids of controls and pictures
// may share a number, so the define is looked for among the bitmaps' names); null when none.
CBitmap* xResBitmapById(CResData* res, int32_t id);
