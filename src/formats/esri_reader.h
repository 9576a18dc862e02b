// ESRI ASCII, ESRI Float and KMS2002 input.
#pragma once

#include "driver/run_state.h"

// Reads the ESRI or KMS2002 header and prepares the data stream; ends the
// run with its report on a header it cannot accept.
void Read_ESRI_Header(RunState& run);

// The KMS2002 header line of six numbers (kms_reader.cpp), read from the
// token reader's current source: sets the dimensions, origin, spacings,
// Shift and the snapping flags. Returns the first line of values, which must
// follow; stores failure code 1430 on a header it cannot accept.
char* Read_KMS2002_Header(RunState& run);

// Failure codes of the ESRI and KMS2002 readers.
enum Esri_Failure : int {
    Bad_KMS2002_Header = 1430,
    Bad_Ncols = 1480,  // the header of an ESRI Float pair lacks a sound ncols line
    Bad_Nrows = 1487,
    Bad_Xll = 1495,
    Bad_Yll = 1503,
    Bad_Cellsize = 1510,
    No_Line_After_Cellsize = 1515,
    Bad_Nodata = 1524,
    Bad_Byte_Order = 1541,
    Bad_Value_Line = 1640,
};
