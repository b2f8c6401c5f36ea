// Reading rendered frames back from the window.
#pragma once

#include "tools/pictures/picture_io.h"

// Reads the lower-left width x height pixels of the back buffer into an RGB picture, top row
// first.
void readBackBuffer(int width, int height, Picture& frame);
