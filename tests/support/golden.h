// Small golden pictures: a picture a test drew against the PNG file a person looked at.
#pragma once

#include <string>

#include "support/png.h"

// Pixel for pixel. With VORRIN_UPDATE_GOLDEN in the environment the picture is stored as the new
// golden file instead. A difference fails the test and leaves this run's picture beside the test
// programs, named after the golden file with "_actual".
void ExpectGolden(const std::string& golden, const TRgbImage& actual);
