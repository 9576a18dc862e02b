// Snapping of spacings and origins of grid-relative inputs to exact
// fractions of a degree, within the tolerance run.Snap.
#pragma once

#include "driver/run_state.h"

// Snaps *Spacing to 1/12, 1/20, 1/30, 1/60 or 1/120 (with its sign) and then
// *Origin; returns 1 when the spacing was snapped.
Flag Snap_Spacing(const RunState& run, double* Spacing, double* Origin, int Dimension);

// Moves *Origin onto a whole number of half steps of NewSpacing when it lies
// close enough to one.
void Snap_Origin(const RunState& run, double* Origin, int Dimension,
                 double OldSpacing, double NewSpacing);
