#include "driver/output_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

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

// Creates the directories that lead to the file named by `path`.
void New_Directories_Of(char* path) {
    if (char* separator = Last_Separator(path)) {
        const char found = *separator;
        *separator = '\0';
        New_Directory(path);
        *separator = found;
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
    String path;
    // A longer name would not fit the path buffer; it is refused like any
    // file that cannot be created.
    if (strlen(Name) <= Max_Path) {
        strcpy(path, Name);
        New_Directories_Of(path);
        file = fopen(path, Mode);
        if (file) return file;
        failure = errno;
    }
    fprintf(run.StdErr, "%s could not be created (%1d)\n", Name, Line);
    fprintf(run.StdErr, "Error message: %s\n", strerror(failure));
    End_Run(run, -1);
}

namespace {

// Opening the output would empty the input before it is read.
bool Output_Is_Input(const RunState& run) {
    struct stat output, input;
    return run.InpFile && stat(run.OutName, &output) == 0 && fstat(fileno(run.InpFile), &input) == 0 &&
           output.st_dev == input.st_dev && output.st_ino == input.st_ino;
}

}  // namespace

bool Text_Output(const RunState& run) {
    return run.Ascii && !(run.ESRIout && !Is_Dash(run.OutName) && ESRI_Float_Name(run.OutName));
}

void Open_Output(RunState& run) {
    if (Is_Dash(run.OutName)) {
        run.OutFile = run.StdOut;
        return;
    }
    if (Output_Is_Input(run)) {
        fprintf(run.StdErr, "%s could not be created (%1d)\n", run.OutName, 1874);
        fprintf(run.StdErr, "Error message: %s\n", "it is the input file");
        End_Run(run, -1);
    }
    if (run.ESRIout && ESRI_Float_Name(run.OutName)) {
        // The pair is created when its header is written. Its header lies in
        // the data file's folder or in one that leads to it.
        if (strlen(run.OutName) <= Max_Path) {
            String path;
            strcpy(path, run.OutName);
            New_Directories_Of(path);
        }
        run.Ascii = 0;
        return;
    }
    run.OutFile = New_File(run, run.OutName, run.Ascii ? "w" : "wb", 1874);
}

void Write_VTK_Output_Header(RunState& run) {
    if (run.Debug) {
        fprintf(run.Debug, "VTK output file %s:\n", run.OutName);
        Write_VTK_Header(run, run.Debug);
    }
    Write_VTK_Header(run, run.OutFile);
}
