#include "driver/command_line.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/input_names.h"
#include "geometry/ftoi.h"

const char* const Usage =
    "Usage: %s {-h} {-cbgpptrjdkoazzmmqfilu} {-: scale} {-. base} \n"
    "               {-v snap} {-w west} {-s south} {-e east} {-n north}  \n"
    "               {-x undef}... {-y undef} -# <infile> <outfile> \n";

const char* const FullUsage =
    "  -h                 Help (this) \n"
    "  -c                 GEBCO gridone input format (default: VTK binary) \n"
    "  -b                 S2004 Gebco_SandS_blend input format (default: VTK bin.) \n"
    "  -g                 GINA input format (default: VTK bin.) \n"
    "  -p[p]              SRTM30+ input format, pp: -180:180 (default: VTK bin.) \n"
    "  -t                 Etopo2 input format (default: VTK bin.) \n"
    "  -r                 Raw (Big-endian) input format (default: Dos) \n"
    "  -j                 ESRI ASCII/FLOAT GRID input format (default: VTK bin.) \n"
    "  -d                 GRD98 input format (default: VTK bin.) \n"
    "  -k                 KMS2002 ASCII GRID input format (default: VTK bin.) \n"
    "  -o                 GRD98 output format (default: VTK) \n"
    "  -a                 Ascii output format, -oa: ESRI ASCII/FLOAT GRID \n"
    "  -z[z]              Set altitudes (heights) to zero, zz: to NaN \n"
    "  -m[m]              Positive depth values, mmz: keep altitudes only \n"
    "  -q                 Treat input as (by mistake) being turned upside/down \n"
    "  -f                 Float input format (default: Short Integer) \n"
    "  -i                 Short Integer output format (default: Float) \n"
    "  -l                 Force Grid Line to Pixel Node registration \n"
    "  -u                 Upper left corner first (default: Lower first) \n"
    "  -v <snap>          Grid half minute snap tolerance (default: %1.5lf) \n"
    "  -: <scale          Scale pixel values \n"
    "  -. <base>          Output base logarithm as pixel value \n"
    "  -w <west>          West area limit (default: -180) \n"
    "  -s <south>         South area limit (default: -90) \n"
    "  -e <east>          East area limit (default: +180) \n"
    "  -n <north>         North area limit (default: +90) \n"
    "  -x <undef>         Undefined (NaN) input value(s) \n"
    "  -y <undef>         Undefined (NaN) output value \n"
    "  -#                 Print header information \n"
    "  infile             Input %s grid file \n"
    "  outfile            Output %s grid file \n"
    " \n";

void Bad_Command_Line(RunState& run) {
    std::fprintf(run.StdErr, Usage, run.Invocation);
    End_Run(run, 1);
}

namespace {

// GRD98 output is never text: GRD98 and ASCII together ask for ESRI ASCII.
// Settled as soon as a letter asks for either (no name asks for both), so
// the pair never stands together afterwards.
void Settle_Text_Output(RunState& run) {
    if (run.GRD98out && run.Ascii) {
        run.ESRIout = 1;
        run.GRD98out = 0;
    }
}

bool Contains(const char* text, const char* key) { return std::strstr(text, key) != nullptr; }

// The name table: one chain for the input, an independent one for the output.
void Formats_From_Name(RunState& run, const char* base) {
    if (Contains(base, "etopo")) run.Etopo2 = 1;
    else if (Contains(base, "gina")) run.Gina = 1;
    else if (Contains(base, "srtm")) run.Srtm30 = 1;
    else if (Contains(base, "blend")) run.Blend = 1;
    else if (Contains(base, "gebco")) run.Gebco = 1;
    else if (Contains(base, "vtk2") || Contains(base, "vemlor2")) run.VTKin = 1;
    else if (Contains(base, "esri2") || Contains(base, "arc2")) run.ESRIin = 1;
    else if (Contains(base, "kms2")) run.KMS2002 = 1;

    if (Contains(base, "2grd98") || Contains(base, "2grid")) {
        run.GRD98out = 1;
    } else if (Contains(base, "2flt") || Contains(base, "2float")) {
        run.ESRIout = 1;
    } else if (Contains(base, "2ascii") || Contains(base, "2esri") || Contains(base, "2arc")) {
        run.Ascii = 1;
        run.ESRIout = 1;
    }
}

// An input letter selects its format and clears every other one (VTKin
// excepted: a name that chose VTK input keeps it).
void Select_Input(RunState& run, Flag RunState::*format) {
    run.Gebco = run.Blend = run.Gina = run.Etopo2 = 0;
    run.GRD98in = run.ESRIin = run.KMS2002 = 0;
    run.Srtm30 = 0;
    if (format) run.*format = 1;
}

bool No_Input_Chosen(const RunState& run) {
    return !(run.Blend || run.Etopo2 || run.Gina || run.Srtm30 || run.Gebco ||
             run.GRD98in || run.ESRIin || run.KMS2002);
}

const char* Output_Title(const RunState& run) {
    if (run.GRD98out) return "GRD98";
    if (run.ESRIout && run.Ascii) return "ESRI Ascii";
    if (run.ESRIout) return "ESRI Float";
    return "VTK";
}

[[noreturn]] void Print_Help(RunState& run) {
    if (No_Input_Chosen(run)) run.VTKin = 1;
    std::fprintf(run.StdOut, Usage, run.Invocation);
    std::fprintf(run.StdOut, FullUsage, run.Snap, Input_Name_Table[int(Named_Input(run))].help, Output_Title(run));
    End_Run(run, 0);
}

// A value is one decimal number with nothing but blanks after it, as the C
// scan "%f%s" reads it; the first character must be a digit, ".", "+" or "-".
bool Read_Value(const char* text, float& value) {
    char first = text[0];
    if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '.' || first == '+' ||
          first == '-'))
        return false;
    String rest;
    // "-nan" passes the scan but is no number: no limit or value can use it.
    return std::sscanf(text, "%f%512s", &value, rest) == 1 && value == value;
}

// Takes the value of a value option from the rest of its word or the next
// word; `index` moves past a word used up. Returns the value text.
const char* Value_Text(const char* rest, int argc, char** argv, int& index) {
    const char* value = rest;
    if (*value == '\0' && index + 1 < argc) value = argv[++index];
    if (*value == '=' || *value == ':') {
        ++value;
        if (*value == '\0' && index + 1 < argc) value = argv[++index];
    }
    return value;
}

void Assign_Value(RunState& run, char letter, float value) {
    switch (letter) {
    case 'W': run.W = value; run.W_given = 1; break;
    case 'E': run.E = value; run.E_given = 1; break;
    case 'S': run.S = value; break;
    case 'N': run.N = value; break;
    case 'X': {
        // Four slots; a fifth and later value overwrites the last. Every
        // value stored counts, the one in the last slot included.
        const int slot = std::min(run.Nundef, 3);
        run.Fundef[slot] = value;
        run.Iundef[slot] = static_cast<int16_t>(ftoi(value));
        if (run.Nundef < 4) ++run.Nundef;
        break;
    }
    case 'Y': run.Oundef = value; break;
    case 'V': run.Snap = value; break;
    case ':': run.Scale = value; break;
    case '.': run.LogBase = value; break;
    }
}

[[noreturn]] void Print_Version(RunState& run) {
    std::fprintf(run.StdOut, "depthgrid %s\n", DEPTHGRID_VERSION);
    End_Run(run, 0);
}

// "/" starts an option word as "-" does, but a word that holds a second "/"
// is an absolute path: no option word can hold "/" (it is no letter, and no
// value reads as a number with it), so such a word never worked as options.
// "/o" and a file in the root folder, "/grid.asc", stay option words.
bool Is_Option_Word(const char* word) {
    if ((word[0] != '-' && word[0] != '/') || word[1] == '\0') return false;
    return word[0] == '-' || !std::strchr(word + 1, '/');
}

// Handles the letters of one option word; returns the index of the last word
// used (a value option may take the next words).
int Option_Word(RunState& run, int argc, char** argv, int index) {
    const char* word = argv[index];
    for (const char* p = word + 1; *p; ++p) {
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
        switch (letter) {
        case '#': run.Debug = run.StdOut; break;
        case 'H': Print_Help(run);
        case 'C': Select_Input(run, &RunState::Gebco); break;
        case 'B': Select_Input(run, &RunState::Blend); break;
        case 'G': Select_Input(run, &RunState::Gina); break;
        case 'T': Select_Input(run, &RunState::Etopo2); break;
        case 'J': Select_Input(run, &RunState::ESRIin); break;
        case 'K': Select_Input(run, &RunState::KMS2002); break;
        case 'D': Select_Input(run, &RunState::GRD98in); break;
        case 'P': {
            int srtm = run.Srtm30 + 1;
            Select_Input(run, nullptr);
            run.Srtm30 = srtm;
            break;
        }
        case 'O':
        case 'A':
            if (letter == 'O') run.GRD98out = 1, run.ESRIout = 0;
            else run.Ascii = 1;
            Settle_Text_Output(run);
            break;
        case 'Z':
            if (run.Zero) run.Zero2 = 1;
            run.Zero = 1;
            break;
        case 'M':
            // A second -m keeps the signs and picks the heights.
            if (run.Minus) run.Altitudes = 1;
            run.Minus = !run.Minus;
            break;
        case 'L': run.Pixel = 1; break;
        case 'Q': run.UpsideDown = 1; break;
        case 'R': run.Raw = 1; break;
        case 'U': run.UpperOut = 1; break;
        case 'I': run.ShortOut = run.Ioption = 1; break;
        case 'F': run.FloatInp = 1; break;
        case 'W': case 'E': case 'S': case 'N': case 'X': case 'Y': case 'V': case ':': case '.': {
            const char* value_text = Value_Text(p + 1, argc, argv, index);
            // "nan" is the one word an undefined output value may be: float
            // grids mark their empty cells with it. It is written as "nan".
            if (letter == 'Y' && strcasecmp(value_text, "nan") == 0) {
                run.NaN_par = "nan";
                run.Oundef = std::numeric_limits<float>::quiet_NaN();
                return index;
            }
            if (letter == 'Y') run.NaN_par = value_text;
            float value = 0;
            if (!Read_Value(value_text, value)) Bad_Command_Line(run);
            Assign_Value(run, letter, value);
            return index;  // the value used up the rest of the word
        }
        default: Bad_Command_Line(run);
        }
    }
    return index;
}

}  // namespace

void Base_Name(const char* invocation, String base) {
    const char* start = invocation + std::strlen(invocation);
    while (start > invocation && !std::strchr("\\/~:", start[-1])) --start;
    size_t n = 0;
    for (; start[n] && start[n] != '.' && n < sizeof(String) - 1; ++n)
        base[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(start[n])));
    base[n] = '\0';
}

void Read_Command_Line(RunState& run, int argc, char** argv) {
    run.Invocation = argc > 0 ? argv[0] : "";
    String base;
    Base_Name(run.Invocation, base);
    Formats_From_Name(run, base);

    for (int index = 1; index < argc; ++index) {
        const char* word = argv[index];
        // The two long words every Unix tool answers; any other word that
        // begins with "--" stays a bad option letter "-".
        if (std::strcmp(word, "--help") == 0) Print_Help(run);
        if (std::strcmp(word, "--version") == 0) Print_Version(run);
        if (Is_Option_Word(word)) {
            index = Option_Word(run, argc, argv, index);
        } else if (run.InpName[0] == '\0') {
            run.InpName = word;
        } else if (run.OutName[0] == '\0') {
            run.OutName = word;
        } else {
            Bad_Command_Line(run);
        }
    }

    if (run.OutName[0] == '\0') Bad_Command_Line(run);
    if (No_Input_Chosen(run)) run.VTKin = 1;
    if (run.Debug && std::strcmp(run.OutName, "-") == 0) run.Debug = run.StdErr;
}
