#include "geometry/snapping.h"

#include <gtest/gtest.h>

namespace {

TEST(SnapSpacing, SnapsOnlyWithinTheRelativeTolerance) {
    struct Case {
        double spacing;
        double snap;
        Flag snapped;
        double result;
    } cases[] = {
        {0.0083333, 0.00001, 1, 1.0 / 120},  // |120 s - 1| = 4e-6
        {0.00833, 0.00001, 0, 0.00833},      // |120 s - 1| = 4e-4
        {-0.0166666, 0.00001, 1, -1.0 / 60},
        {0.0833333, 0.00001, 1, 1.0 / 12},
        {0.125, 0.5, 0, 0.125},  // |12 s - 1| = 0.5 exactly: not below
        {0.125, 0.5000001, 1, 1.0 / 12},
        {0.0083333, 0, 0, 0.0083333},                          // -v 0
        {0.0083333, -1, 0, 0.0083333},
        {0, 0.00001, 0, 0},
    };
    for (const Case& c : cases) {
        RunState run;
        run.Snap = c.snap;
        double spacing = c.spacing, origin = 10.0041666;
        EXPECT_EQ(Snap_Spacing(run, &spacing, &origin, 1000), c.snapped) << c.spacing;
        EXPECT_EQ(spacing, c.result) << c.spacing;
        if (!c.snapped) {
            EXPECT_EQ(origin, 10.0041666) << c.spacing;
        }
    }
}

TEST(SnapSpacing, ExactSpacingStillHasItsOriginExamined) {
    RunState run;
    double spacing = 1.0 / 60, origin = 5.0083333;  // 601 half steps of 1/120
    EXPECT_EQ(Snap_Spacing(run, &spacing, &origin, 100), 1);
    EXPECT_EQ(spacing, 1.0 / 60);
    EXPECT_NEAR(origin, 601.0 / 120, 1e-15);
}

TEST(SnapOrigin, Cases) {
    struct Case {
        const char* name;
        double snap;
        int dimension;
        double old_spacing, origin, result;
    } cases[] = {
        // 600.249996 arc-minutes lie 4e-6 from 2401 quarter minutes; T = 0.01.
        {"near a half step", 0.00001, 1000, 1.0 / 120, 10.0041666, 2401.0 / 240},
        // 0.007 arc-minutes off: inside T, outside T/2.
        {"between T/2 and T", 0.00001, 1000, 1.0 / 120, 600.257 / 60, 600.257 / 60},
        {"beyond T", 0.00001, 1000, 1.0 / 120, 600.27 / 60, 600.27 / 60},
        // The old spacing's half steps put the count two short (23999); the
        // passes walk it back to 24001.
        {"count walked back", 0.0001, 1000, 0.008334, 100.0041666, 24001.0 / 240},
        // Neither count fits within T = 0.001: counted afresh on the new step.
        {"counted afresh", 0.0001, 10, 0.008334, 100.0041666, 24001.0 / 240},
        // The new step with the old count: 39841 quarter minutes.
        {"old count on new step", 0.00001, 1000, 0.0083333, 166.0041666, 39841.0 / 240},
        {"negative origin", 0.00001, 1000, 1.0 / 120, -10.0041666, -2401.0 / 240},
    };
    for (const Case& c : cases) {
        RunState run;
        run.Snap = c.snap;
        double origin = c.origin;
        Snap_Origin(run, &origin, c.dimension, c.old_spacing, 1.0 / 120);
        EXPECT_EQ(origin, c.result) << c.name;
    }
}

}  // namespace
