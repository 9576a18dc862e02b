#include "geometry/snapping.h"

Flag Snap_Spacing(const RunState&, double*, double*, int) { return 0; }
void Snap_Origin(const RunState&, double*, int, double, double) {}
