// VTK structured points input: the text header through the token reader;
// binary data stay in the input, text data go to a temporary binary file.
#pragma once

#include "core/run_state.h"

// Reads the VTK header of run.InpFile; ends the run with its report on a
// header it cannot accept.
void Read_VTK_Header(RunState& run);
