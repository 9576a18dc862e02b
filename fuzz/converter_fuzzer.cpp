// The whole converter in process. The first byte of an input picks a command
// line (each reader into each output layout under a few option sets, windows
// across the date line, standard output, outputs that name an input); the
// rest becomes the input file, or for an ESRI Float pair a 2-byte
// little-endian header length, the header and the data file.
//
// Beside what the sanitizers see, every run is checked for what a crash
// would not show:
//   - a run that ends with status 0 leaves a complete output: the data block
//     holds exactly the cells its own header declares;
//   - a run that fails leaves no file named in "No utputfile (%s) generated";
//   - no input file is changed, whatever the output is named;
//   - every file the run opened is closed again, and no token-reader source
//     stays open for the next run.
// A breach aborts with a line saying which.
//
// Files live in a private scratch folder under $TMPDIR, named relative to the
// working folder: a word beginning with "/" is read as options.
//
// With DEPTHGRID_FUZZ_COMMANDS set in the environment, the program prints its
// command table (selector, reader, words) and exits: make_corpus.py builds
// the seed corpus from it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run_sequence.h"
#include "extract.h"

namespace fs = std::filesystem;

namespace {

// How the input is laid out in files.
enum class Reader { Vtk, EsriAscii, FloatByData, FloatByHeader, Kms, Grd98 };
const char* const Reader_Names[] = {"vtk", "esri_ascii", "float_by_data", "float_by_header", "kms", "grd98"};

enum class Layout { Vtk, EsriAscii, EsriFloat, Grd98 };

struct Command {
    Reader reader;
    std::vector<std::string> words;  // argv, the invocation word first
    Layout layout;
    std::string out;                 // "-": standard output
    bool short_cells = false;        // -i given
    std::string input;               // the word naming the input
};

struct Reader_Def {
    Reader reader;
    std::vector<std::string> options;
    std::string input;
};

struct Output_Def {
    Layout layout;
    std::vector<std::string> options;
    std::string out;
    bool short_cells;
};

std::vector<Command> Build_Commands() {
    const std::vector<Reader_Def> readers = {
        {Reader::Vtk, {}, "in.vtk"},          {Reader::EsriAscii, {"-j"}, "in.asc"},
        {Reader::FloatByData, {"-j"}, "in.flt"}, {Reader::FloatByHeader, {"-j"}, "in.hdr"},
        {Reader::Kms, {"-k"}, "in.kms"},      {Reader::Grd98, {"-d"}, "in.grd"},
    };
    const std::vector<Output_Def> outputs = {
        {Layout::Vtk, {}, "out.vtk", false},
        {Layout::Vtk, {"-i"}, "out.vtk", true},
        {Layout::Vtk, {"-a"}, "out.vtk", false},
        {Layout::EsriAscii, {"-oa"}, "out.asc", false},
        {Layout::EsriFloat, {"-oa"}, "out.flt", false},
        {Layout::EsriFloat, {"-i", "-oa"}, "out.FLT", true},
        {Layout::Grd98, {"-o"}, "out.grd", false},
        {Layout::Grd98, {"-oi"}, "out.grd", true},
    };
    const std::vector<std::vector<std::string>> option_sets = {
        {},
        {"-w", "170", "-e", "190", "-s", "-60", "-n", "60"},  // across the date line
        {"-w-25", "-e=35", "-s:", "-15", "-n", "45", "-u"},
        {"-zzm", "-y", "-5", "-x", "0", "-:", "2.5"},
        {"-#", "-lq", "-r", "-.", "10"},
    };

    std::vector<Command> table;
    for (const auto& options : option_sets)
        for (const auto& output : outputs)
            for (const auto& reader : readers) {
                Command c{reader.reader, {"depthgrid"}, output.layout, output.out, output.short_cells, reader.input};
                for (const auto* part : {&reader.options, &output.options, &options})
                    c.words.insert(c.words.end(), part->begin(), part->end());
                c.words.push_back(reader.input);
                c.words.push_back(output.out);
                table.push_back(c);
            }

    // Sixteen more: standard output, outputs that name an input (each must be
    // refused without harm to the input), and odd option mixes.
    auto add = [&](Reader reader, Layout layout, std::vector<std::string> words, bool short_cells = false) {
        const std::string out = words.back(), input = words[words.size() - 2];
        table.push_back(Command{reader, std::move(words), layout, out, short_cells, input});
    };
    add(Reader::Vtk, Layout::Vtk, {"depthgrid", "in.vtk", "-"});
    add(Reader::EsriAscii, Layout::EsriAscii, {"arc2ascii", "-#", "in.asc", "-"});
    add(Reader::Grd98, Layout::Vtk, {"depthgrid", "-d", "-a", "in.grd", "-"});
    add(Reader::Kms, Layout::EsriAscii, {"kms2esri", "-w", "-10", "-e", "10", "in.kms", "-"});
    add(Reader::Vtk, Layout::Vtk, {"depthgrid", "in.vtk", "in.vtk"});
    add(Reader::EsriAscii, Layout::EsriAscii, {"arc2ascii", "in.asc", "in.asc"});
    add(Reader::Kms, Layout::Vtk, {"kms2vtk", "in.kms", "in.kms"});
    add(Reader::FloatByHeader, Layout::Vtk, {"esri2vtk", "-r", "in.hdr", "in.hdr"});
    add(Reader::FloatByData, Layout::EsriFloat, {"esri2flt", "-w", "10.5", "-e", "11", "in.flt", "in.x"});
    add(Reader::Vtk, Layout::EsriFloat, {"vtk2flt", "in.hdr", "in.flt"});
    add(Reader::Grd98, Layout::Grd98, {"depthgrid", "-d", "-o", "in.grd", "in.grd"});
    add(Reader::Kms, Layout::Vtk, {"kms2vtk", "-w", "-200", "-e", "400", "-s", "-100", "-n", "100", "in.kms", "out.vtk"});
    add(Reader::Grd98, Layout::Grd98, {"depthgrid", "-d", "-mmz", "-i", "-o", "in.grd", "out.grd"}, true);
    add(Reader::EsriAscii, Layout::Vtk,
        {"esri2vtk", "-x", "-9999", "-x", "1", "-x", "2", "-x", "3", "-x", "4", "in.asc", "out.vtk"});
    add(Reader::Vtk, Layout::Vtk, {"depthgrid", "-v", "0.1", "-l", "-u", "-a", "in.vtk", "out.vtk"});
    add(Reader::FloatByData, Layout::EsriAscii, {"esri2ascii", "-.", "2.718", "in.flt", "out.asc"});
    if (table.size() != 256) std::abort();
    return table;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = Build_Commands();
    return table;
}

[[noreturn]] void Breach(const Command& c, const std::string& what, const std::string& err) {
    std::string line;
    for (const auto& w : c.words) line += " " + w;
    std::fprintf(stderr, "\n==== converter_fuzzer: %s\n==== command:%s\n==== its standard error:\n%s\n",
                 what.c_str(), line.c_str(), err.c_str());
    std::abort();
}

// ---- Files ------------------------------------------------------------------

std::string Scratch;  // relative to the working folder, ending in "/"

void Write(const std::string& name, const uint8_t* data, size_t size) {
    FILE* f = std::fopen((Scratch + name).c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(name.c_str());
        std::abort();
    }
}

bool Read(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    char block[1 << 15];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    std::fclose(f);
    return true;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void Clear_Scratch() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(Scratch, ec)) fs::remove_all(entry.path(), ec);
}

std::string Stream_Text(FILE* f) {
    std::fflush(f);
    std::string text;
    const long end = std::ftell(f);
    if (end > 0) {
        text.resize(static_cast<size_t>(end));
        std::rewind(f);
        if (std::fread(text.data(), 1, text.size(), f) != text.size()) text.clear();
    }
    return text;
}

void Reset_Stream(FILE* f) {
    std::fflush(f);
    if (ftruncate(fileno(f), 0) != 0) std::abort();
    std::rewind(f);
}

// The files open in the process: descriptor and target. Pipes are left
// out: the sanitizers talk to their symbolizer through them.
std::map<std::string, std::string> Open_Files() {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        const std::string target = fs::read_symlink(entry.path(), ec).string();
        // The listing's own descriptor points at /proc/<pid>/fd.
        if (ec || target.starts_with("pipe:") || target.ends_with("/fd")) continue;
        files[entry.path().filename().string()] = target;
    }
    return files;
}

// The other file of an ESRI Float pair, by the converter's naming rule.
std::string Pair_Name(const std::string& name, const char* upper, const char* lower) {
    const size_t dot = name.rfind('.');
    const size_t keep = dot == std::string::npos ? name.size() : dot;
    const char decides = dot != std::string::npos ? name[dot + 1] : keep ? name[keep - 1] : '\0';
    return name.substr(0, keep) + (decides >= 'A' && decides <= 'Z' ? upper : lower);
}

// ---- Output checks ----------------------------------------------------------

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool Count(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0' && value >= 0;
}

// A VTK output: the header lines of the converter's own writer, then exactly
// the cells DIMENSIONS declares, binary or as text values.
std::string Check_Vtk(const std::string& bytes) {
    size_t at = 0;
    auto line = [&](std::string& text) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos) return false;
        text = bytes.substr(at, end - at);
        at = end + 1;
        return true;
    };
    std::string version, title, encoding, dataset, text;
    if (!line(version) || !line(title) || !line(encoding) || !line(dataset)) return "VTK header cut short";
    if (version != "# vtk DataFile Version 3.0" || dataset != "DATASET STRUCTURED_POINTS" ||
        (encoding != "ASCII" && encoding != "BINARY"))
        return "VTK header lines wrong";
    int64_t nx = -1, ny = -1, nz = -1, points = -1;
    std::string type;
    for (int lines = 0;; ++lines) {
        if (lines > 6 || !line(text)) return "VTK header without LOOKUP_TABLE line";
        const auto w = Words(text);
        if (w.empty()) return "empty VTK header line";
        if (w[0] == "LOOKUP_TABLE") break;
        if (w[0] == "DIMENSIONS" && (w.size() != 4 || !Count(w[1], nx) || !Count(w[2], ny) || !Count(w[3], nz)))
            return "VTK DIMENSIONS line wrong";
        if (w[0] == "POINT_DATA" && (w.size() != 2 || !Count(w[1], points))) return "VTK POINT_DATA line wrong";
        if (w[0] == "SCALARS") type = w.size() == 3 ? w[2] : "";
    }
    if (nx < 1 || ny < 1 || nz != 1 || points != nx * ny) return "VTK DIMENSIONS and POINT_DATA disagree";
    const std::string data = bytes.substr(at);
    if (encoding == "BINARY") {
        if (type != "float" && type != "short") return "VTK SCALARS type wrong";
        const int64_t want = points * (type == "short" ? 2 : 4);
        if (int64_t(data.size()) != want)
            return "binary VTK data block holds " + std::to_string(data.size()) + " bytes, its header declares " +
                   std::to_string(want);
        return "";
    }
    const int64_t values = int64_t(Words(data).size());
    if (values != points)
        return "ASCII VTK holds " + std::to_string(values) + " values, its header declares " + std::to_string(points);
    if (data.empty() || data.back() != '\n') return "ASCII VTK does not end with a line end";
    return "";
}

// The header words of an ESRI output, in the writer's order; ncols and nrows
// are returned. `float_pair`: the header file of a Float pair.
std::string Esri_Header(const std::vector<std::string>& w, bool float_pair, int64_t& ncols, int64_t& nrows) {
    static const char* const keys[] = {"ncols", "nrows", "xllcenter", "yllcenter", "cellsize", "nodata_value",
                                       "byteorder"};
    const size_t lines = float_pair ? 7 : 6;
    if (w.size() < 2 * lines) return "ESRI header cut short";
    for (size_t i = 0; i < lines; ++i)
        if (w[2 * i] != keys[i]) return std::string("ESRI header lacks ") + keys[i];
    if (!Count(w[1], ncols) || !Count(w[3], nrows) || ncols < 1 || nrows < 1) return "ESRI ncols or nrows wrong";
    if (!float_pair) return "";
    // 2-byte cells are named after the byte order, and only they are.
    const bool short_cells = w.size() == 18 && w[14] == "NBITS" && w[15] == "16" && w[16] == "PIXELTYPE" &&
                             w[17] == "SIGNEDINT";
    if (w[13] != "msbfirst" || (w.size() != 14 && !short_cells)) return "ESRI Float header file wrong";
    return "";
}

std::string Check_Esri_Ascii(const std::string& bytes) {
    const auto w = Words(bytes);
    int64_t ncols, nrows;
    std::string fault = Esri_Header(w, false, ncols, nrows);
    if (!fault.empty()) return fault;
    const int64_t values = int64_t(w.size()) - 12;
    if (values != ncols * nrows)
        return "ESRI ASCII holds " + std::to_string(values) + " values, its header declares " +
               std::to_string(ncols * nrows);
    if (bytes.back() != '\n') return "ESRI ASCII does not end with a line end";
    return "";
}

std::string Check_Esri_Float(const std::string& header, const std::string& data, int cell) {
    int64_t ncols, nrows;
    const auto w = Words(header);
    std::string fault = Esri_Header(w, true, ncols, nrows);
    if (!fault.empty()) return fault;
    if ((w.size() == 18) != (cell == 2)) return "ESRI Float header names the wrong cell size";
    if (int64_t(data.size()) != ncols * nrows * cell)
        return "ESRI Float data file holds " + std::to_string(data.size()) + " bytes, its header declares " +
               std::to_string(ncols * nrows * cell);
    return "";
}

int32_t Big_Word(const std::string& bytes, int index) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + 4 * index;
    return static_cast<int32_t>(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
}

std::string Check_Grd98(const std::string& bytes) {
    if (bytes.size() < 128) return "GRD98 output shorter than its header";
    if (Big_Word(bytes, 0) != 1000000001 || Big_Word(bytes, 1) != 128) return "GRD98 output mark or length wrong";
    const int32_t type = Big_Word(bytes, 18), rows = Big_Word(bytes, 7), columns = Big_Word(bytes, 12);
    if (type != 2 && type != -4) return "GRD98 output number type wrong";
    if (rows < 1 || columns < 1) return "GRD98 output without cells";
    const int64_t want = 128 + int64_t{rows} * columns * (type == 2 ? 2 : 4);
    if (int64_t(bytes.size()) != want)
        return "GRD98 output holds " + std::to_string(bytes.size()) + " bytes, its header declares " +
               std::to_string(want);
    return "";
}

// The cell size of an ESRI Float output: 2-byte integers only when -i was
// given and the input is not read as floats (VTK input keeps -i; a GRD98
// input only with 2-byte cells at precision 1).
int Float_Pair_Cell(const Command& c, const std::string& grd98_input) {
    if (!c.short_cells) return 4;
    if (c.reader == Reader::Vtk) return 2;
    if (c.reader != Reader::Grd98 || grd98_input.size() < 128) return 4;
    for (bool big : {true, false}) {
        auto word = [&](int i) {
            int32_t w = Big_Word(grd98_input, i);
            if (!big) w = static_cast<int32_t>(__builtin_bswap32(static_cast<uint32_t>(w)));
            return w;
        };
        if (word(0) == 1000000001) return word(18) == 2 && word(16) != 10 ? 2 : 4;
    }
    return 4;
}

std::string Check_Output(const Command& c, const std::string& stdout_text, const std::string& grd98_input) {
    std::string bytes;
    if (c.out == "-") {
        bytes = stdout_text;
    } else if (!Read(Scratch + c.out, bytes)) {
        return "status 0 but no output file " + c.out;
    }
    switch (c.layout) {
    case Layout::Vtk: return Check_Vtk(bytes);
    case Layout::EsriAscii: return Check_Esri_Ascii(bytes);
    case Layout::Grd98: return Check_Grd98(bytes);
    case Layout::EsriFloat: {
        std::string header;
        const std::string header_name = Pair_Name(c.out, ".HDR", ".hdr");
        if (!Read(Scratch + header_name, header)) return "status 0 but no header file " + header_name;
        return Check_Esri_Float(header, bytes, Float_Pair_Cell(c, grd98_input));
    }
    }
    return "";
}

// ---- The run ----------------------------------------------------------------

FILE* Out_Stream = nullptr;
FILE* Err_Stream = nullptr;
FILE* In_Stream = nullptr;

void Remove_Scratch() {
    std::error_code ec;
    fs::remove_all(Scratch, ec);
}

void Print_Commands() {
    const auto& table = Commands();
    for (size_t i = 0; i < table.size(); ++i) {
        std::printf("%zu %s", i, Reader_Names[int(table[i].reader)]);
        for (const auto& w : table[i].words) std::printf(" %s", w.c_str());
        std::printf("\n");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (std::getenv("DEPTHGRID_FUZZ_COMMANDS")) {
        Print_Commands();
        std::exit(0);
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/depthgrid-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    Scratch = fs::relative(fs::path(pattern), fs::current_path()).string() + "/";
    if (Scratch.empty() || Scratch[0] == '/' || Scratch[0] == '-') Scratch = "./" + Scratch;
    std::atexit(Remove_Scratch);
    Out_Stream = std::tmpfile();
    Err_Stream = std::tmpfile();
    In_Stream = std::fopen("/dev/null", "rb");
    if (!Out_Stream || !Err_Stream || !In_Stream) std::abort();
    Commands();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const Command& c = Commands()[data[0]];
    const uint8_t* rest = data + 1;
    size_t rest_size = size - 1;

    // The input files, as written; none may change.
    std::vector<std::pair<std::string, std::string>> inputs;
    Clear_Scratch();
    if (c.reader == Reader::FloatByData || c.reader == Reader::FloatByHeader) {
        size_t header = rest_size >= 2 ? size_t(rest[0] | rest[1] << 8) : 0;
        const size_t skip = rest_size >= 2 ? 2 : rest_size;
        rest += skip, rest_size -= skip;
        if (header > rest_size) header = rest_size;
        inputs.emplace_back("in.hdr", std::string(reinterpret_cast<const char*>(rest), header));
        inputs.emplace_back("in.flt", std::string(reinterpret_cast<const char*>(rest) + header, rest_size - header));
    } else {
        inputs.emplace_back(c.input, std::string(reinterpret_cast<const char*>(rest), rest_size));
    }
    for (const auto& [name, bytes] : inputs)
        Write(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());

    // Every file word goes into the scratch folder.
    std::vector<std::string> words = c.words;
    std::set<std::string> file_words;
    for (size_t i = words.size() - 2; i < words.size(); ++i)
        if (words[i] != "-") {
            file_words.insert(words[i]);
            words[i] = Scratch + words[i];
        }
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    Reset_Stream(Out_Stream);
    Reset_Stream(Err_Stream);
    const auto files_before = Open_Files();
    RunState run;
    run.StdIn = In_Stream;
    run.StdOut = Out_Stream;
    run.StdErr = Err_Stream;
    const int status = Run_Converter(run, int(words.size()), argv.data());
    const std::string err = Stream_Text(Err_Stream);

    if (status != 0 && status != 1 && status != -1) Breach(c, "exit status " + std::to_string(status), err);
    if (Get_StackCount != 0 || Get_.File != nullptr || Get_.Buffer != nullptr)
        Breach(c, "a token-reader source is still open after the run", err);
    for (const auto& [fd, target] : Open_Files())
        if (!files_before.count(fd)) Breach(c, "the run left a file open: " + target, err);
    for (const auto& [name, bytes] : inputs) {
        std::string now;
        if (!Read(Scratch + name, now) || now != bytes) Breach(c, "input file " + name + " was changed", err);
    }

    if (status == 0) {
        // A grid beside the window is skipped before any output is made.
        const std::string stdout_text = Stream_Text(Out_Stream);
        const bool skipped = err.find("GRID file " + Scratch + c.input + " skipped\n") != std::string::npos;
        const bool nothing_out = c.out == "-" ? stdout_text.empty() : !Exists(Scratch + c.out);
        if (!(skipped && nothing_out)) {
            const std::string grd98_input = c.reader == Reader::Grd98 ? inputs[0].second : "";
            const std::string fault = Check_Output(c, stdout_text, grd98_input);
            if (!fault.empty()) Breach(c, "status 0 with an incomplete output: " + fault, err);
        }
    } else {
        // "No utputfile (name) generated": no such file may be there, unless it
        // is one of the inputs.
        const std::string mark = "No utputfile (";
        for (size_t at = err.find(mark); at != std::string::npos; at = err.find(mark, at + 1)) {
            const size_t from = at + mark.size(), end = err.find(") generated\n", from);
            if (end == std::string::npos) continue;
            const std::string name = err.substr(from, end - from);
            if (name == "-" || name.compare(0, Scratch.size(), Scratch) != 0) continue;
            const std::string inner = name.substr(Scratch.size());
            bool is_input = false;
            for (const auto& input : inputs) is_input |= input.first == inner;
            if (!is_input && Exists(name)) Breach(c, "failed run left the output " + inner + " behind", err);
        }
    }
    return 0;
}
