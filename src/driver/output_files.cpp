#include "driver/output_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "formats/companion.h"
#include "formats/esri_writer.h"
#include "formats/vtk_writer.h"

namespace {

constexpr size_t Max_Path = sizeof(String) - 1;

// Both separators are recognised; the one found is put back, because on this
// platform "\" is an ordinary file name character.
char* Last_Separator(char* path) {
    char* separator = strrchr(path, '/');
    return separator ? separator : strrchr(path, '\\');
}

bool Is_Dash(const char* name) { return strcmp(name, "-") == 0; }

// The number the creation failure of the output file reports.
constexpr int Output_Creation = 1874;

[[noreturn]] void Not_Created(RunState& run, const char* name, int line, const char* why) {
    fprintf(run.StdErr, "%s could not be created (%1d)\n", name, line);
    fprintf(run.StdErr, "Error message: %s\n", why);
    End_Run(run, -1);
}

// An ESRI output whose name makes it a Float pair whatever the options said.
bool Float_Pair_By_Name(const RunState& run) {
    return run.ESRIout && !Is_Dash(run.OutName) && ESRI_Float_Name(run.OutName);
}

// Creates the directories that lead to the file `name`.
void New_Directories_Of(const char* name) {
    // Too long to be a path here; opening the file reports it.
    if (strlen(name) > Max_Path) return;
    String path;
    strcpy(path, name);
    if (char* separator = Last_Separator(path)) {
        *separator = '\0';
        New_Directory(path);
    }
}

}  // namespace

void New_Directory(const char* Name) {
    String path;
    // Too long to be a path here; opening the file reports it.
    if (strlen(Name) > Max_Path) return;
    strcpy(path, Name);

    char* scan = path;
    for (;;) {
        char* separator = strchr(scan, '/');
        if (!separator) separator = strchr(scan, '\\');
        const char found = separator ? *separator : '\0';
        if (separator) {
            *separator = '\0';
            scan = separator + 1;
        }
        // Existing directories and ones that cannot be made are both fine.
        mkdir(path, 0777);
        if (!separator) return;
        *separator = found;
    }
}

FILE* New_File(RunState& run, const char* Name, const char* Mode, int Line) {
    FILE* file = nullptr;
    int failure = ENAMETOOLONG;
    // A longer name would not fit the path buffer; it is refused like any
    // file that cannot be created.
    if (strlen(Name) <= Max_Path) {
        New_Directories_Of(Name);
        file = fopen(Name, Mode);
        if (file) return file;
        failure = errno;
    }
    Not_Created(run, Name, Line, strerror(failure));
}

namespace {

bool Same_File(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Opening `name` for output would empty a file that is being read: the input
// the user named (standard input for "-"), or the other file of an ESRI Float
// pair read as input. Files are compared by device and inode, so links and
// other spellings of a name are found too; the input stream itself may
// already be a temporary copy of a text input.
bool Is_Input_File(const RunState& run, const char* name) {
    struct stat output, input;
    if (stat(name, &output) != 0) return false;
    if (Is_Dash(run.InpName) ? fstat(fileno(run.StdIn), &input) == 0 : stat(run.InpName, &input) == 0)
        if (Same_File(input, output)) return true;
    if (run.InpName2[0] == '\0') return false;
    // A pair read as input: InpName2 is its data file; the header lies beside
    // the name given (which is the header itself when that was named).
    const std::string header = Companion_Name(run.InpName, ".HDR", ".hdr");
    return (stat(run.InpName2, &input) == 0 && Same_File(input, output)) ||
           (stat(header.c_str(), &input) == 0 && Same_File(input, output));
}

[[noreturn]] void Refuse_Input_As_Output(RunState& run, const char* name) {
    Not_Created(run, name, Output_Creation, "it is the input file");
}

}  // namespace

bool Text_Output(const RunState& run) {
    return run.Ascii && !Float_Pair_By_Name(run);
}

void Open_Output(RunState& run) {
    if (Is_Dash(run.OutName)) {
        run.OutFile = run.StdOut;
        return;
    }
    if (Is_Input_File(run, run.OutName)) Refuse_Input_As_Output(run, run.OutName);
    // Both files of a Float pair are checked before either is created.
    if (run.ESRIout && !Text_Output(run)) {
        const std::string header = Companion_Name(run.OutName, ".HDR", ".hdr");
        if (Is_Input_File(run, header.c_str())) Refuse_Input_As_Output(run, header.c_str());
    }
    if (Float_Pair_By_Name(run)) {
        // The pair is created when its header is written. Its header lies in
        // the data file's folder or in one that leads to it.
        New_Directories_Of(run.OutName);
        run.Ascii = 0;
        return;
    }
    run.OutFile = New_File(run, run.OutName, run.Ascii ? "w" : "wb", Output_Creation);
}

void Write_VTK_Output_Header(RunState& run) {
    if (run.Debug) {
        fprintf(run.Debug, "VTK output file %s:\n", run.OutName);
        Write_VTK_Header(run, run.Debug);
    }
    Write_VTK_Header(run, run.OutFile);
}
