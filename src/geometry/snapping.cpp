#include "geometry/snapping.h"

#include <cmath>

#include "geometry/ftoi.h"

namespace {

// 5, 3, 2 and 1 arc-minutes and 30 arc-seconds, coarsest first.
constexpr int Cells_Per_Degree[] = {12, 20, 30, 60, 120};

}  // namespace

Flag Snap_Spacing(const RunState& run, double* Spacing, double* Origin, int Dimension) {
    const double old_spacing = *Spacing;
    if (!(run.Snap > 0)) return 0;

    // The sign of the spacing is kept; zero and NaN take the negative branch
    // and match nothing.
    const double sign = old_spacing > 0 ? 1 : -1;
    bool snapped = false;
    for (int n : Cells_Per_Degree) {
        if (std::fabs(n * old_spacing - sign) < run.Snap) {
            *Spacing = sign / n;
            snapped = true;
            break;
        }
    }
    if (!snapped) return 0;

    Snap_Origin(run, Origin, Dimension, old_spacing, *Spacing);
    return 1;
}

void Snap_Grid(RunState& run) {
    run.Snap_X = Snap_Spacing(run, &run.Spacing_X, &run.Origin_X, run.Dimensions_X);
    run.Snap_Y = Snap_Spacing(run, &run.Spacing_Y, &run.Origin_Y, run.Dimensions_Y);
}

void Set_Resolutions(RunState& run, double x, double y) {
    run.Resolution_X = x;
    run.Resolution_Y = y;
    run.Resolution_J = run.Snap_X ? ftoi(x) : x;
    run.Resolution_I = run.Snap_Y ? ftoi(y) : y;
}

// Distances are compared in arc-minutes, against a tolerance that grows with
// the number of points: a spacing error accumulates along the axis.
void Snap_Origin(const RunState& run, double* Origin, int Dimension, double OldSpacing,
                 double NewSpacing) {
    const double T = Dimension * run.Snap;
    const double O = *Origin;
    const double minutes = 60 * O;

    // The origin is looked for on the half steps of the old spacing, then
    // with the same count on those of the new one, then counted afresh on
    // the new one.
    double h = 30 * std::fabs(OldSpacing);
    int I = ftoi(minutes / h);
    if (!(std::fabs(minutes - I * h) < T)) {
        h = 30 * std::fabs(NewSpacing);
        if (!(std::fabs(minutes - I * h) < T)) {
            I = ftoi(minutes / h);
            if (!(std::fabs(minutes - I * h) < T)) return;
        }
    }
    double P = I * NewSpacing * 0.5;

    // A count taken from the old spacing can be a few half steps off far from
    // zero; walk back towards the origin, one half step a pass at most.
    const double half = NewSpacing / 2;
    for (int pass = 0; pass < 5; ++pass) {
        const double step = P < O ? P + half : P - half;
        if (std::fabs(step - O) < std::fabs(P - O)) P = step;
    }

    if (60 * std::fabs(P - O) < T / 2) *Origin = P;
}
