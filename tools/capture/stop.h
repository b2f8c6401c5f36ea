// Ctrl-C (SIGINT) and SIGTERM during a capture: the first asks the capture to stop after the
// frame being rendered and to finish what it has written; a second ends the process at once.
#pragma once

// Installs the handlers, once, before the long work starts.
void catchStopSignals();

// The signal that asked the capture to stop, or 0 while none has. Any thread may ask.
int stopSignal();

// The name of a stop signal for messages: "SIGINT" or "SIGTERM".
const char* stopSignalName(int signal);
