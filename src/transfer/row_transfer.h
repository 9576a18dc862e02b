// The row transfer: the cells of the window from the input stream to the
// output stream, row by row, through the value rules.
#pragma once

#include "driver/run_state.h"

// Inputs stored north first (and every input under -q) have the window
// renumbered from the south-counted rows to the stored order.
void Renumber_Rows(RunState& run);

// One pass, or for GRD98 output the check pass, the header and the write
// pass. Stops at the first read or write failure, leaving its code in
// run.Error.
void Transfer_Rows(RunState& run);
