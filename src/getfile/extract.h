// Token reader: line-oriented text over a stream or a text in memory.
#pragma once

#include <cstdint>

typedef char String[513];
typedef char Num_String[25];

// Thrown when a line buffer cannot be allocated, after the message has been
// printed; the driver ends the run with status 1.
struct Get_OutOfMemory {};
