// The driver's sequence from the command line to the exit status.
#pragma once

#include "core/run_state.h"

// Runs one conversion and returns the process exit status (0, 1 or -1 shown
// by the shell as 255). Closes every file it opened.
int Run_Converter(RunState& run, int argc, char** argv);
