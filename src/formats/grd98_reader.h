// GRD98 input: the header in either byte order, its check, its listing and
// the geometry it brings into the run state.
#pragma once

#include "core/run_state.h"
#include "core/grd98_header.h"

// Reverses the byte order of all 32 words in place; twice restores it.
void Swap_GRD98_Header(GRD98_Header* header);

// Lists the header field by field on run.Debug.
void Print_GRD98_Header(const RunState& run, const GRD98_Header* header);

// Reads and checks the header of run.InpFile (positioned at its start) and
// fills the geometry; ends the run with its message on a bad header.
void Read_GRD98_Header(RunState& run);
