// The base resource pack: the fonts, pictures and colour sets of the window manager's default
// look, which every program loads before its own scripts.
#pragma once

#include <cstdint>

class CResData;

// Where the install folder holds it.
inline constexpr const char XRES_BASE_SCRIPT[] = "xrs/base.xrs";

// Loads the base pack of the install folder `folder` (null: the program's own folder). The pack's
// file names count from that folder, so it is the working folder while the pack loads and the
// old one afterwards. Loading sets the window manager's defaults; they last as long as `res`.
// 1 on success.
int32_t xLoadBaseResData(CResData* res, const char* folder = nullptr);
