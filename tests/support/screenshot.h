// Pictures of what the player sees, for docs/: the client's picture as the program window shows
// it (the headless display's surface, cut to the screen's mode where the window is larger).
#pragma once

#include <string>

#include "support/png.h"

TRgbImage ShownPicture();
// Writes the picture as name (a PNG file) into the folder that VORRIN_CLIENT_SHOTS names; does
// nothing when it names none. False only when a picture was asked for and could not be written.
bool SaveShot(const std::string& name);
