// The invocation name and the command-line words.
#pragma once

#include "core/run_state.h"

extern const char* const Usage;
extern const char* const FullUsage;

// Prints the short usage on standard error and ends the run with status 1.
[[noreturn]] void Bad_Command_Line(RunState& run);

// Lower-case base name of the invocation word: the part after the last
// "\\", "/", "~" or ":", up to its first ".".
void Base_Name(const char* invocation, String base);

// Fills the run state from argv. Ends the run with the short usage on
// standard error and status 1 for a bad command line, and with the help on
// standard output and status 0 for "-h". Opens no file.
void Read_Command_Line(RunState& run, int argc, char** argv);
