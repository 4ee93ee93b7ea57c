#pragma once
#include "platform/Geometry.h"

// Every skinned window is drawn at a percentage of its skin size. Two rounding
// rules are in use, and each place keeps the one it has always used, because
// they round some halves differently (29 at 50 %: 14 by the first, 15 by the
// second) and a pixel's difference moves controls against their art.

// The controls' rule (main window controls, equalizer controls, list rows): a
// base number v given for 100 % becomes the integer part of
// scale * (v / 100) + 0.5, with v / 100 held as a double first. That order
// decides the rounding of halves, so it must not be simplified.
int ScaleControl(int scale, int base);

// A place given at 100 % (x, y, width, height), each number scaled on its own
// by the controls' rule.
Rect ScaleControlRect(int scale, int x, int y, int width, int height);

// The panels' rule (the playlist editor's layout and painting, the equalizer's
// painting): the integer part of v * scale * 0.01 + 0.5, the product taken in
// integers first.
int ScalePanel(int scale, int v);

// A place given at 100 %, each number scaled on its own by the panels' rule.
Rect ScalePanelRect(int scale, int x, int y, int width, int height);

// A size or offset already drawn at fromScale, as it would be at toScale:
// value * toScale / fromScale in 64 bits, the fraction cut off (towards zero).
// For what is not a skin number (a window the user sized, a stored place).
int Rescale(int value, int fromScale, int toScale);
