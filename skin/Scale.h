#pragma once
#include "platform/Geometry.h"

// Every skinned window is drawn at a percentage of its skin size. A base number
// v (given for 100 %) becomes the integer part of scale * (v / 100) + 0.5, with
// v / 100 held as a double first: that order decides the rounding of halves
// (29 at 50 % gives 14, not 15), so it must not be simplified.
int ScaleValue(int scale, int base);

// A place given at 100 % (x, y, width, height), each number scaled on its own.
Rect ScaleRect(int scale, int x, int y, int width, int height);
