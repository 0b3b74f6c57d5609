// The graphics the client sets up once its screen runs and its main resources are loaded, and
// takes down again at exit: colour tables, mouse pointers, the window icon, the window manager.
#pragma once

#include <cstdint>
#include <vector>

class CResData;
class CBitmap;

// Ids in the main resources.
inline constexpr int32_t RES_WINDOW_ICON = 101;
inline constexpr int32_t RES_FINGER_POINTER = 102;
inline constexpr int32_t RES_POINTER_FIRST = 10055;  // 10055, 10056, 10057: the own pointers
inline constexpr int32_t RES_POINTER_COUNT = 3;

// A picture whose top-left pixel is its transparent colour, as the desktop takes pictures
// (0xAARRGGBB rows); false without a picture.
bool xBitmapToDisplayImage(CBitmap* picture, std::vector<uint32_t>& pixels);
// The window's icon from such a picture; 0 without a picture.
int32_t xSetWindowIconFromBitmap(CBitmap* picture);

// 1 when the colour tables could be made; a missing picture only goes without.
int32_t SetupClientGraphics(CResData* mainResources);
// Mouse pointers, colour tables and the current screen's mode, in that order.
void ReleaseClientGraphics();
