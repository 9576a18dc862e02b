#include "formats/esri_writer.h"

#include <cstring>
#include <string>

#include "formats/companion.h"
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

bool ESRI_Float_Name(const char* name) {
    const char* dot = strrchr(name, '.');
    return dot && (dot[1] == 'f' || dot[1] == 'F') && (dot[2] == 'l' || dot[2] == 'L');
}

namespace {

// The header file first, then the data file beside it.
void Make_Float_Pair(RunState& run) {
    // A Float pair needs a file name to put its header beside.
    if (strcmp(run.OutName, "-") == 0) Not_Opened(run, run.OutName);

    // A name with a non-Float extension was created as one file; the data
    // file is opened afresh after the header.
    if (run.OutFile) {
        fclose(run.OutFile);
        run.OutFile = nullptr;
    }

    const std::string header = Companion_Name(run.OutName, ".HDR", ".hdr");
    if (header.size() > Max_Companion_Name) Not_Opened(run, header.c_str());
    // Opening the data file would wipe the header just written.
    if (header == run.OutName) {
        fprintf(run.StdErr, "%s could not be opened: header and data file have the same name\n", run.OutName);
        End_Run(run, 1);
    }
    strcpy(run.OutName2, header.c_str());

    FILE* file = fopen(run.OutName2, "w");
    if (!file) Not_Opened(run, run.OutName2);
    Write_ESRI_Header(run, file);
    // A header lost on its way to the disk leaves data nobody can read.
    const bool lost = ferror(file) != 0;
    if (fclose(file) != 0 || lost) {
        fprintf(run.StdErr, "%s could not be written\n", run.OutName2);
        End_Run(run, 1);
    }

    run.OutFile = fopen(run.OutName, "wb");
    if (!run.OutFile) Not_Opened(run, run.OutName);
    if (run.Debug) fprintf(run.Debug, "%s output files %s / %s\n", "ESRI Float", run.OutName, run.OutName2);
}

}  // namespace

void Write_ESRI_Output_Header(RunState& run) {
    if (run.Ascii) {
        // Header and rows share the one output file.
        Write_ESRI_Header(run, run.OutFile);
        if (run.Debug) fprintf(run.Debug, "%s output file %s\n", "ESRI Ascii", run.OutName);
    } else {
        Make_Float_Pair(run);
    }
    if (run.Debug) Write_ESRI_Header(run, run.Debug);
}
