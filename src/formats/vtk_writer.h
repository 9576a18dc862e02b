// VTK legacy structured points output header.
#pragma once

#include <cstdio>

#include "core/run_state.h"

// Writes the whole VTK header to `out` from the run state; write results are
// not examined here (the data writes are).
void Write_VTK_Header(const RunState& run, FILE* out);
