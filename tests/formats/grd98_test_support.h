// A plain header for the GRD98 tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/grd98_header.h"
#include "support/capture.h"


// 3 rows by 4 columns of 1-minute cells at 60 N 10 E, 2-byte integers.
inline GRD98_Header Plain_Header() {
    GRD98_Header h{};
    h.Version = GRD98_Version, h.Length = 128, h.Data_Type = 1;
    h.Latitude_Degrees = 60, h.Latitude_Cell_Size = 60, h.Latitude_Number_of_Cells = 3;
    h.Longitude_Degrees = 10, h.Longitude_Cell_Size = 60, h.Longitude_Number_of_Cells = 4;
    h.Precision = 1, h.Empty_Grid_Cell_Value = -32768, h.Number_Type = 2;
    return h;
}
