#include "driver/run_sequence.h"

#include <sys/stat.h>

#include <cfloat>
#include <cstring>
#include <exception>
#include <vector>

#include "driver/command_line.h"
#include "driver/output_files.h"
#include "extract.h"
#include "formats/esri_reader.h"
#include "formats/esri_writer.h"
#include "formats/grd98_reader.h"
#include "formats/grd98_writer.h"
#include "formats/kms_reader.h"
#include "core/swap.h"
#include "formats/vtk_reader.h"
#include "geometry/datasets.h"
#include "geometry/window.h"
#include "transfer/row_transfer.h"
#include "transfer/value_rules.h"

namespace {

bool Is_Standard(const RunState& run, FILE* file) {
    return file == run.StdIn || file == run.StdOut || file == run.StdErr || file == stdin ||
           file == stdout || file == stderr;
}

// A pipe cannot be positioned, but rows are read in the order the output
// needs and GRD98 output reads the input twice: such an input is first
// copied into an anonymous temporary file.
FILE* Seekable_Input(FILE* in) {
    if (fseeko(in, 0, SEEK_CUR) == 0) return in;
    FILE* spool = tmpfile();
    if (!spool) return nullptr;
    std::vector<char> block(size_t{1} << 16);
    size_t n;
    while ((n = fread(block.data(), 1, block.size(), in)) > 0) {
        if (fwrite(block.data(), 1, n, spool) != n) {
            fclose(spool);
            return nullptr;
        }
    }
    if (ferror(in) || fflush(spool) != 0) {
        fclose(spool);
        return nullptr;
    }
    rewind(spool);
    return spool;
}

void Open_Input(RunState& run) {
    if (std::strcmp(run.InpName, "-") == 0) {
        run.InpFile = Seekable_Input(run.StdIn);
    } else {
        struct stat info;
        // A directory opens like a file here but never reads.
        if (stat(run.InpName, &info) == 0 && !S_ISDIR(info.st_mode)) run.InpFile = fopen(run.InpName, "rb");
    }
    if (!run.InpFile) Not_Opened(run, run.InpName);
}

void Read_Input_Header(RunState& run) {
    switch (run.Input()) {
    case RunState::InputKind::VTK: Read_VTK_Header(run); break;
    case RunState::InputKind::ESRI: Read_ESRI_Header(run); break;
    case RunState::InputKind::KMS2002: Read_KMS2002_Header(run); break;
    case RunState::InputKind::GRD98: Read_GRD98_Header(run); break;
    case RunState::InputKind::Global: break;  // fixed layout, no header
    }
}

// Reads one 16-bit value at the current position of the input.
bool Read_Short(RunState& run, int16_t& value) { return fread(&value, 2, 1, run.InpFile) == 1; }

// The input must end where its geometry says.
void End_Check(RunState& run) {
    run.Location = run.Offset + int64_t{run.Rows} * run.RowSize;
    // Text grids and VTK files may carry more after their data; a GRD98
    // grid, like a raw dataset, is exactly as long as its header says.
    const RunState::InputKind input = run.Input();
    if (input != RunState::InputKind::Global && input != RunState::InputKind::GRD98) return;
    fseeko(run.InpFile, run.Location, SEEK_SET);
    int16_t value;
    const bool more = Read_Short(run, value);
    if (input == RunState::InputKind::GRD98 || !run.Gebco) {
        if (more) Set_Error(run, Data_Beyond_Grid);
        return;
    }
    // A GEBCO file ends with exactly one value -32767 after its last row.
    if (!more) {
        Set_Error(run, Gebco_Marker_Missing);
        return;
    }
    if (run.Raw) Swap2(&value);
    if (-int(value) != 32767) {
        Set_Error(run, Gebco_Marker_Wrong);
    } else if (Read_Short(run, value)) {
        Set_Error(run, Data_Beyond_Gebco_Marker);
    }
}

void Error_Report(RunState& run) {
    run.Offset = ftello(run.InpFile);
    const char* name = run.InpName2[0] ? run.InpName2 : run.InpName;
    fprintf(run.StdErr, "File read/write error, Source line %1d, File %s, Location %1ld -> %1ld\n", run.Error,
            name, long(run.Location), long(run.Offset));
    fprintf(run.StdErr, "First %1d, Left %1d, Last %1d, Right %1d, Shift %1d\n", run.First, run.Left, run.Last,
            run.Right, run.Shift);
    End_Run(run, 1);
}

// A buffered write may fail only when it is flushed: the output is not done
// before its last byte has left.
void Flush_Output(RunState& run) {
    // A write that failed earlier leaves its mark on the stream even when
    // nothing is left to flush.
    if (run.OutFile && (fflush(run.OutFile) != 0 || ferror(run.OutFile)))
        Set_Error(run, Lost_Output(run));
}

// The row transfer; GRD98 output takes two passes, because its header needs
// the value range of a check pass that writes nothing.
void Transfer_Stage(RunState& run) {
    const auto pass = [&run] {
        Transfer_Rows(run);
        End_GRD98_Pass(run);
    };
    pass();
    if (!run.Check || run.Error) return;
    Write_GRD98_Header(run);
    run.Check = 0;
    pass();
}

void Run_Stages(RunState& run, int argc, char** argv) {
    run.Error = 0;
    run.Check = 0;
    run.Fmin = FLT_MAX;
    run.Fmax = -FLT_MAX;
    run.Imin = 32767;
    run.Imax = -32768;

    Read_Command_Line(run, argc, argv);

    Set_Dataset_Constants(run);
    Order_Limits(run);
    if (run.Global()) Global_Window(run);

    Open_Input(run);
    Read_Input_Header(run);
    if (!run.Global()) Grid_Window(run);

    Settle_ShortOut(run);
    // A 16-bit cell has no NaN: "-y nan" asks for float or text output.
    if (run.Oundef != run.Oundef && run.ShortOut && !Text_Output(run)) Bad_Command_Line(run);
    Open_Output(run);
    Settle_Output_Defaults(run);
    Pixel_Dataset_Correction(run);
    Output_Origin(run);
    if (run.VtkOut()) Write_VTK_Output_Header(run);

    Set_Data_Start(run);
    if (run.GRD98out) run.Check = 1;
    if (run.ESRIout) Write_ESRI_Output_Header(run);

    Renumber_Rows(run);
    Transfer_Stage(run);

    if (run.Ascii && fputc('\n', run.OutFile) == EOF) Set_Error(run, Lost_Text_Output);
    Flush_Output(run);
    if (run.Error == 0) End_Check(run);
    if (run.Error != 0) Error_Report(run);

    if (run.Debug && (run.Min_value != FLT_MAX || run.Max_value != -FLT_MAX))
        fprintf(run.Debug, "\nValue Range %1.7g : %1.7g\n", run.Min_value, run.Max_value);
}

// Closes a stream the run opened; the standard streams are only flushed.
// Returns false when data could not be written, now or by an earlier write.
bool Close(RunState& run, FILE*& file) {
    if (!file) return true;
    const bool failed_before = ferror(file) != 0;
    bool ok = Is_Standard(run, file) ? fflush(file) == 0 : fclose(file) == 0;
    file = nullptr;
    return ok && !failed_before;
}

}  // namespace

int Run_Converter(RunState& run, int argc, char** argv) {
    try {
        Run_Stages(run, argc, argv);
        run.ExitStatus = 0;
    } catch (const RunEnded&) {
        // The status is set; the files are closed below.
    } catch (const Get_OutOfMemory&) {
        run.ExitStatus = 1;  // the token reader has said what it could not allocate
    } catch (const std::exception& failure) {
        // Only memory can run out here; say so rather than abort.
        fprintf(run.StdErr, "%s: %s\n", run.Invocation, failure.what());
        run.ExitStatus = 1;
    }
    // A listing asked for with -# is output as well: losing it is a failure.
    const bool listed = Close(run, run.Debug);
    Close(run, run.Values);
    const bool written = Close(run, run.OutFile);
    Close(run, run.InpFile);
    if (run.ExitStatus == 0) {
        if (!written) fprintf(run.StdErr, "%s could not be written\n", run.OutName);
        if (!listed) fprintf(run.StdErr, "Listing (-#) could not be written\n");
        if (!written || !listed) run.ExitStatus = 1;
    }
    return run.ExitStatus;
}
