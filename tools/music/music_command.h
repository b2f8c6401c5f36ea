// The studio's "music" command: renders the track into data/ and measures Ogg files.
#pragma once

#include "tools/studio.h"

// "music render OUT.ogg" writes the track; "music report FILE.ogg" prints its peak, loudness
// and the spectrum figures the demo will see. Returns the exit status.
int runMusicCommand(int argc, char** argv);

// Writes the track to the music file of data/.
int generateMusic(const StudioPaths& paths);
