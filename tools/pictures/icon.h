// The release's application icon: the title "lirv" in the logotype on a night-blue tile.
#pragma once

#include "tools/pictures/canvas.h"

// Paints the icon as a square of `size` pixels (16 to 1024) with a transparent surround.
Canvas paintIcon(int size);

// "lirv-studio icon SIZE OUT.png": writes the icon as a 32-bit PNG. Returns the exit status.
int runIconCommand(int argc, char** argv);
