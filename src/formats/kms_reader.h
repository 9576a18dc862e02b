// KMS2002 ASCII input.
#pragma once

#include "core/run_state.h"

// Reads the KMS2002 header line and converts the text values behind it to
// the temporary input; ends the run with its report on a header it cannot
// accept.
void Read_KMS2002_Header(RunState& run);
