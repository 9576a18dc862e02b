// GRD98 output header, filled from the value range of the check pass.
//
// GRD98 output takes two passes of the row transfer: a check pass (Check
// set) that writes nothing and collects Fmin/Fmax/Imin/Imax, then the write
// pass. The run sequence calls, in this order:
//   check pass; End_GRD98_Pass(run); Write_GRD98_Header(run);
//   run.Check = 0; write pass; End_GRD98_Pass(run);
#pragma once

#include "core/run_state.h"

// Fills GRD98_Out_Header from the window, the origin and the range collected
// by the check pass, lists it on Debug and writes it big-endian at the start
// of run.OutFile. May set ShortOut again and change Oundef to the empty-cell
// marker. Does not touch Check.
void Write_GRD98_Header(RunState& run);

// To be called after each pass of GRD98 output (no
// effect for other outputs): Pixel becomes the opposite of Ascii. GRD98
// output is never text, so the header and the write pass see pixel
// registration.
void End_GRD98_Pass(RunState& run);
