// ESRI ASCII, ESRI Float and KMS2002 input.
#pragma once

#include "driver/run_state.h"

// Reads the ESRI or KMS2002 header and prepares the data stream; ends the
// run with its report on a header it cannot accept.
void Read_ESRI_Header(RunState& run);
