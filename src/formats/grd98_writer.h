// GRD98 output header, filled from the value range of the check pass.
#pragma once

#include "driver/run_state.h"

// Fills GRD98_Out_Header from the window, the origin and the range collected
// by the check pass, lists it on Debug and writes it big-endian at the start
// of run.OutFile. May set ShortOut again and change Oundef to the empty-cell
// marker. Does not touch Check.
void Write_GRD98_Header(RunState& run);
