// Token reader: line-oriented text over a stream or a text in memory.
#pragma once

#include <cstdint>

typedef char String[513];
typedef char Num_String[25];
