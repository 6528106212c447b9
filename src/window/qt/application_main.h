#pragma once

#include "app/locations.h"

// Creates the application, then runs the program in it (runCacheSorter).
// Returns the exit status.
int applicationMain(int argc, char **argv, const Locations &locations);

// Within an existing QApplication: creates the window and the controller on
// `locations`, starts the controller, shows the window and runs the event
// loop. Returns the exit status: non-zero when start-up ended the program.
int runCacheSorter(const Locations &locations);
