// fennic: our small software 3-D library of textured cards, polygons and their shadows, drawn
// through the current screen of ostrel.
//
// Conventions
// - World y is up; the scene is authored in metres (the shaping values of the table's moves,
//   such as -0.04 or 0.015, are then a few centimetres); angles are in degrees; every rotation is
//   counter-clockwise seen from the positive end of its axis.
// - A card (CObject) is a rectangle "CARDX" wide and "CARDY" high in its local x-y plane, centred
//   on its origin, its face toward local +z, the top of its picture toward local +y. Its pose
//   (x, y, z, rx, ry, rz) places it by translate · Rx · Rz · Ry (Ry innermost). So rx -90 lays a
//   card face up (its top away from a camera at +z) and rx +90 face down; ry from 0 to -180 turns
//   it over about its own long axis whatever its rz, staying where it lies; rz is its angle in
//   the table plane ("DECKROTZ").
// - The camera at rest stands at the origin looking along -z, x to the right and y up; its pose
//   is translate · Ry · Rx · Rz (yaw, then pitch, then roll), so a negative rx looks down. Points
//   are projected by a pinhole onto the 800 x 600 view in half pixels (twice the pixel
//   coordinates, the unit of the screen's polygon vertices): x = 800 + 800 xc / (d tan(hfov/2)),
//   y = 600 - 600 yc / (d tan(vfov/2)), with (xc, yc) the point across the camera and d its
//   depth in front of it. The fields of view are full angles (default 60 across).
// - The light is a point (x, y, z) with a horizontal plane y = h that shadows fall on ("LIGHTPOS":
//   x, y, z, h). A shadow corner is where the ray from the light through the corner meets it.
// - Moves: an axis at frame f of n, t = f / n, runs from start to end with the shaping (a, b):
//     value = start + (end - start) t + a t (1 - t)^2 + b t^2 (1 - t),
//   exactly start at f = 0 and exactly end at f = n; (S, S) is the arc S t (1 - t) over the
//   straight path. Each Handler call of the table plays one frame; a list's moves play back to
//   back, a move of 0 frames taking one call.
// - Ownership: the caller owns every list, move and object it makes (also those GetCardObj
//   returns); the table owns its pockets and their cards.
#pragma once

#include "fennic/camera.h"
#include "fennic/cardtable.h"
#include "fennic/move.h"
#include "fennic/object.h"
#include "fennic/pocket.h"
#include "fennic/polygon.h"
#include "fennic/scene.h"
