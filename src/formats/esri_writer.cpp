#include "formats/esri_writer.h"

#include "formats/keywords.h"

// Every value starts in column 14: the keywords are padded to 13 characters.
void Write_ESRI_Header(const RunState& run, FILE* out) {
    fprintf(out, "%s        %1d\n", ESRI_Keywords[ncols], run.Right - run.Left + 1);
    fprintf(out, "%s        %1d\n", ESRI_Keywords[nrows], run.Last - run.First + 1);
    // The origin of an ESRI output is always the centre of its lower-left
    // cell, although the rows are written from the top.
    fprintf(out, "%s    %1.10g\n", ESRI_Keywords[xllcenter], run.Origo_X);
    fprintf(out, "%s    %1.10g\n", ESRI_Keywords[yllcenter], run.Origo_Y);
    // ESRI cells are square, so the column spacing stands for both axes.
    fprintf(out, "%s     %1.10g\n", ESRI_Keywords[cellsize], 1 / run.Resolution_J);
    fprintf(out, "%s %s\n", ESRI_Keywords[nodata_value], run.NaN_str);
    // Only the header file of a Float pair describes raw data, which this
    // converter always writes big-endian.
    if (run.OutName2[0] != '\0') {
        fprintf(out, "%s    %s\n", ESRI_Keywords[byteorder], ESRI_Keywords[msbfirst]);
        // A reader assumes 4-byte floats unless told otherwise; 2-byte cells
        // read as anything else come out wrong, not refused.
        if (run.ShortOut) fprintf(out, "NBITS 16\nPIXELTYPE SIGNEDINT\n");
    }
}
