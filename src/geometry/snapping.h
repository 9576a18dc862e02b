// Snapping of spacings and origins of grid-relative inputs to exact
// fractions of a degree, within the tolerance run.Snap.
#pragma once

#include "core/run_state.h"

// Snaps *Spacing to 1/12, 1/20, 1/30, 1/60 or 1/120 (with its sign) and then
// *Origin; returns 1 when the spacing was snapped.
Flag Snap_Spacing(const RunState& run, double* Spacing, double* Origin, int Dimension);

// Snaps the spacing and origin of both axes of a grid-relative input,
// setting Snap_X and Snap_Y.
void Snap_Grid(RunState& run);

// Cells per unit of both axes, rounded to whole cells per degree where the
// spacing snapped (Snap_X, Snap_Y).
void Set_Resolutions(RunState& run, double x, double y);

// Moves *Origin onto a whole number of half steps of NewSpacing when it lies
// close enough to one.
void Snap_Origin(const RunState& run, double* Origin, int Dimension,
                 double OldSpacing, double NewSpacing);
