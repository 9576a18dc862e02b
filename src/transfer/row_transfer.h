// The row transfer: the cells of the window from the input stream to the
// output stream, row by row, through the value rules.
#pragma once

#include "core/run_state.h"

// Inputs stored north first (and every input under -q) have the window
// renumbered from the south-counted rows to the stored order.
void Renumber_Rows(RunState& run);

// One pass over the window; with Check set a pass that writes nothing and
// only collects the value range. Stops at the first read or write failure,
// leaving its code in run.Error.
void Transfer_Rows(RunState& run);
