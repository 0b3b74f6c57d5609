// Filled pies in the manner of the platform's GDI Pie: the ellipse inscribed in a box, cut along
// the radials through two points. Coincident start and end points (or radials that coincide)
// fill the whole ellipse, which callers rely on for a full circle.
#pragma once

#include <cstdint>

#include "ostrel/graphics/rgba.h"

class CBitmap;

// Fills into bitmap the part of the ellipse inscribed in [left, right) x [top, bottom) that lies
// from the radial through (x1, y1) to the radial through (x2, y2), clockwise as seen on the
// screen (y down) when clockwise is set, else counter-clockwise. Pixels count by their centres;
// the bitmap's pixels bound the drawing. 0 for no bitmap or an empty box.
int32_t xFillPie(CBitmap* bitmap, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x1, int32_t y1,
                 int32_t x2, int32_t y2, const TRGBA& colour, bool clockwise = true);

// A pie of the circle of the given centre and radius (pixel edges at whole numbers), from the
// angle start (radians, 0 to the right) clockwise on the screen by sweep; a sweep of 2 pi or more
// is the whole disc. Its edges are smoothed: a pixel is blended with the colour by the share of it
// that lies inside (16 samples), so neither the arc nor the radials show steps. 0 for no bitmap or
// a radius that is not positive.
int32_t xFillPieSmooth(CBitmap* bitmap, double cx, double cy, double radius, double start, double sweep,
                       const TRGBA& colour);
