// The token reader's line and number scanning. The first byte picks a mode:
//
//   0  lines: a text (with run-length expansion, so that a few bytes make
//      lines far longer than the line image) is read with Get_Line from a
//      stream and from a text in memory; the pieces of each line joined
//      again must give the line as written, with CR LF read as LF, and the
//      line numbers must count the physical lines;
//   1  numbers: a number text of the characters the number reader cuts is
//      converted by Get_Convert for every kind and compared with the C
//      conversion ("%f%s", "%lf%s" with D exponents, "%ld%s", "%lx%s",
//      "%lo%s") that defines it;
//   2  operations: a sequence of the reader's operations (lines, entries,
//      items, strings, lookups, numbers, settings, nested sources) on a
//      stream or a text; the scan position must stay within the line;
//   3  grid values: a text (0xFF n doubles the text so far, up to 4 MB,
//      so that blocks, their halves and overlong lines are reached) is
//      converted to cells from a regular file, read in blocks on two
//      threads, and from a stream read line by line: the cells, the failure
//      code and the message must be the same.
//
// In modes 0 and 2 the bytes after the first are the text; mode 2 takes its
// operations from the bytes up to the first NUL.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "extract.h"
#include "formats/text_grid.h"

namespace {

[[noreturn]] void Breach(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "\n==== token_reader_fuzzer: %s\n%s\n", what, detail.c_str());
    std::abort();
}

void Close_All() {
    while (Get_StackCount > 0) Get_Close();
    Get_Close();
}

// ---- Mode 0: lines ------------------------------------------------------------

// Builds the text from the input: 0xFE is a CR LF line end, 0xFF hi lo
// repeats the previous character (hi * 256 + lo) times. NUL, a lone CR and
// the end-of-file character 0x1A, which end or cut a line by design, are
// replaced by letters. Returns the text; `lines` receives the physical lines
// as a reader must deliver them (tabs read as blanks).
std::string Build_Text(const uint8_t* data, size_t size, std::vector<std::string>& lines) {
    std::string text, line;
    bool ends_with_line_end = true;
    char last = 'x';
    auto put = [&](char c, size_t count = 1) {
        if (count == 0) return;  // a repeat of nothing starts no line
        text.append(count, c);
        line.append(count, c == '\t' ? ' ' : c);
        last = c;
        ends_with_line_end = false;
    };
    auto end_line = [&](bool crlf) {
        text += crlf ? "\r\n" : "\n";
        lines.push_back(line);
        line.clear();
        ends_with_line_end = true;
    };
    for (size_t i = 0; i < size && text.size() < (1u << 18); ++i) {
        const uint8_t b = data[i];
        if (b == '\n') {
            end_line(false);
        } else if (b == 0xFE) {
            end_line(true);
        } else if (b == 0xFF && i + 2 < size) {
            const size_t count = size_t(data[i + 1]) << 8 | data[i + 2];
            i += 2;
            put(last, count);
        } else if (b == 0 || b == '\r' || b == 0x1A) {
            put(char('0' + b % 10));
        } else {
            put(static_cast<char>(b));
        }
    }
    if (!ends_with_line_end) lines.push_back(line);
    return text;
}

// Reads the current source with Get_Line, joining the pieces of long lines.
std::vector<std::string> Read_Lines(std::vector<long>& numbers) {
    std::vector<std::string> lines;
    std::string pending;
    bool in_piece = false;
    while (Get_Line() != nullptr) {
        const char* image = Get_LineImage();
        const int len = Get_LineLen();
        if (Get_Overflow()) {
            // A piece: its characters up to Len, then the Joint character.
            if (len < 0 || len + 1 > Get_ImageSize || int(std::strlen(image)) != len + 2)
                Breach("a piece is not its characters and the Joint character");
            pending.append(image, size_t(len) + 1);
            in_piece = true;
            continue;
        }
        if (int(std::strlen(image)) != len) Breach("Len is not the length of a complete line");
        pending.append(image, size_t(len));
        lines.push_back(pending);
        numbers.push_back(Get_LineNo());
        pending.clear();
        in_piece = false;
    }
    if (in_piece) {
        lines.push_back(pending);
        numbers.push_back(Get_LineNo());
    }
    return lines;
}

std::string Show(const std::vector<std::string>& want, const std::vector<std::string>& got) {
    std::string out = "lines written " + std::to_string(want.size()) + ", read " + std::to_string(got.size());
    for (size_t i = 0; i < want.size() && i < got.size(); ++i)
        if (want[i] != got[i]) {
            out += "\nfirst difference in line " + std::to_string(i + 1) + ": written " +
                   std::to_string(want[i].size()) + " characters, read " + std::to_string(got[i].size());
            break;
        }
    return out;
}

void Check_Lines(const std::vector<std::string>& want, const std::vector<std::string>& got,
                 const std::vector<long>& numbers, const char* source) {
    if (got != want) Breach(source, Show(want, got));
    for (size_t i = 0; i < numbers.size(); ++i)
        if (numbers[i] != long(i + 1)) Breach("line numbers do not count the physical lines", source);
}

void Lines_Mode(const uint8_t* data, size_t size) {
    std::vector<std::string> want;
    std::string text = Build_Text(data, size, want);

    // As a stream.
    FILE* f = fmemopen(text.data(), text.size() ? text.size() : 1, "rb");
    if (!f) std::abort();
    if (text.empty()) std::fgetc(f);  // an empty stream: at its end already
    Close_All();
    Get_Open(f);
    std::vector<long> numbers;
    const auto from_stream = Read_Lines(numbers);
    Close_All();
    std::fclose(f);
    Check_Lines(want, from_stream, numbers, "lines read from a stream differ from the lines written");

    // As a text: every control character, the CR of a CR LF too, reads as a
    // blank there.
    for (auto& line : want)
        for (auto& c : line)
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    for (size_t i = 0, l = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            if (i > 0 && text[i - 1] == '\r') want[l] += ' ';
            ++l;
        }
    }
    for (auto& c : text)
        if (c == '\r') c = ' ';
    Get_Buffer(text.c_str());
    numbers.clear();
    const auto from_text = Read_Lines(numbers);
    Close_All();
    Check_Lines(want, from_text, numbers, "lines read from a text differ from the lines written");
}

// ---- Mode 1: numbers ------------------------------------------------------------

// The characters the number reader takes into a number text.
const char Number_Alphabet[] = "0123456789abcdefABCDEF+-.";

bool C_Conversion(const std::string& text, ObjectType type, ObjectTableField& out) {
    if (text.empty() || text.size() > 512) return false;
    std::vector<char> rest(text.size() + 1);
    switch (type) {
    case Ftype: return std::sscanf(text.c_str(), "%f%s", &out.Fval, rest.data()) == 1;
    case Dtype: {
        const int n = std::sscanf(text.c_str(), "%lf%s", &out.Dval, rest.data());
        if (n == 2 && (rest[0] == 'D' || rest[0] == 'd')) {
            std::string again = text;
            again[again.find(rest[0])] = rest[0] == 'D' ? 'E' : 'e';
            return std::sscanf(again.c_str(), "%lf%s", &out.Dval, rest.data()) == 1;
        }
        return n == 1;
    }
    case Itype:
    case Ltype:
    case Wtype: {
        long value;
        if (std::sscanf(text.c_str(), "%ld%s", &value, rest.data()) != 1) return false;
        if (type == Wtype && value < 0) return false;
        out.Lval = static_cast<int32_t>(static_cast<uint32_t>(value));
        return true;
    }
    case Xtype:
    case Otype: {
        unsigned long value;
        if (std::sscanf(text.c_str(), type == Xtype ? "%lx%s" : "%lo%s", &value, rest.data()) != 1) return false;
        out.Lval = static_cast<int32_t>(static_cast<uint32_t>(value));
        return true;
    }
    default: return false;
    }
}

void Numbers_Mode(const uint8_t* data, size_t size) {
    std::string text;
    for (size_t i = 0; i < size && i < 600; ++i) text += Number_Alphabet[data[i] % (sizeof Number_Alphabet - 1)];
    static const ObjectType kinds[] = {Ftype, Dtype, Itype, Ltype, Xtype, Wtype, Otype};
    static const char* const names[] = {"float", "double", "int", "long", "hex", "word", "octal"};
    for (int k = 0; k < 7; ++k) {
        ObjectTableField got{}, want{};
        const bool read = Get_Convert(text.data(), int(text.size()), kinds[k], &got.Ival) != 0;
        const bool wanted = C_Conversion(text, kinds[k], want);
        bool same = read == wanted;
        if (same && read) {
            same = kinds[k] == Ftype   ? std::memcmp(&got.Fval, &want.Fval, sizeof(float)) == 0
                   : kinds[k] == Dtype ? std::memcmp(&got.Dval, &want.Dval, sizeof(double)) == 0
                                       : got.Lval == want.Lval;
        }
        if (!same)
            Breach("Get_Convert differs from the C conversion",
                   std::string(names[k]) + " of \"" + text + "\": read " + (read ? "yes" : "no") + ", C " +
                       (wanted ? "yes" : "no"));
    }
}

// ---- Mode 2: operations --------------------------------------------------------

const char* const Table[] = {"DIMENSIONS", "SPACING", "ORIGIN", "POINT_DATA", "ncols",    "nrows",
                             "cellsize",   "nodata_value", "byteorder", "msbfirst", "LOOKUP_TABLE", nullptr};

void Check_Position(const char* after) {
    if (Get_.Image == nullptr) return;
    const size_t length = strnlen(Get_.Image, Get_ImageSize + 1);
    if (length > size_t(Get_ImageSize)) Breach("the line image is not terminated", after);
    if (Get_.Pos < 0 || size_t(Get_.Pos) > length)
        Breach("the scan position left the line", std::string(after) + ": Pos " + std::to_string(Get_.Pos) +
                                                     ", line length " + std::to_string(length));
}

void Operations_Mode(const uint8_t* data, size_t size) {
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t op_count = nul ? size_t(nul - data) : std::min<size_t>(size, 16);
    const uint8_t* ops = data;
    std::string text(reinterpret_cast<const char*>(data) + op_count + (nul ? 1 : 0),
                     size - op_count - (nul ? 1 : 0));
    std::deque<std::string> nested;  // texts of nested sources stay in place while read

    Close_All();
    FILE* f = nullptr;
    if (!text.empty() && (text[0] & 1)) {
        f = fmemopen(text.data(), text.size(), "rb");
        if (!f) std::abort();
        Get_Open(f);
    } else {
        // A text source ends at its first NUL.
        Get_Buffer(text.c_str());
    }
    Get_Line();

    for (size_t i = 0; i < op_count && i < 256; ++i) {
        const uint8_t op = ops[i];
        const char* names[] = {"Get_Line",   "Get_Entry",  "Get_Item",  "Get_Char",   "Get_Level",  "Get_String",
                               "Get_Symbol", "Get_Almost", "Get_Lookup", "Get_Int",   "Get_Float",  "Get_Double",
                               "Get_Word",   "Get_Long",   "Get_Hex",   "Get_Octal",  "Get_Rest",   "Get_Reset",
                               "Get_Delimiter", "Get_Comma", "Get_JointChar", "Get_Buffer", "Get_Close", "Get_Swap",
                               "Get_Number(C)", "Get_Number(S)"};
        const int which = op % 26;
        String s;
        int iv;
        uint32_t wv;
        int32_t lv;
        float fv;
        double dv;
        switch (which) {
        case 0: Get_Line(); break;
        case 1: Get_Entry(); break;
        case 2: Get_Item(); break;
        case 3: Get_Char(); break;
        case 4: Get_Level(op & 0x20 ? '-' : '='); break;
        case 5: Get_String(s); break;
        case 6: Get_Symbol(&iv, Table); break;
        case 7: Get_Almost(&iv, Table); break;
        case 8: Get_Lookup(reinterpret_cast<PINT>(s), nullptr, 0); break;
        case 9: Get_Int(&iv); break;
        case 10: Get_Float(&fv); break;
        case 11: Get_Double(&dv); break;
        case 12: Get_Word(&wv); break;
        case 13: Get_Long(&lv); break;
        case 14: Get_Hex(&lv); break;
        case 15: Get_Octal(&lv); break;
        case 16: {
            int start = Get_LinePos() - (op >> 5);
            Get_Rest(&start);
            break;
        }
        case 17: Get_Reset(); break;
        case 18: Get_Delimiter(" ,\t;"[op >> 6]); break;
        case 19: Get_Comma(op >> 7); break;
        case 20: Get_JointChar("~&\0~"[op >> 6]); break;
        case 21:
            if (Get_StackCount < 3) {
                const size_t from = text.empty() ? 0 : (op * 131u) % text.size();
                Get_Buffer(nested.emplace_back(text.substr(from, 300)).c_str());
                Get_Line();
            }
            break;
        case 22:
            if (Get_StackCount > 0) Get_Close();
            break;
        case 23: Get_Swap(); break;
        case 24: {
            ObjectTableField v{};
            Get_Number(&v.Ival, Ctype);
            break;
        }
        case 25: {
            ObjectTableField v{};
            Get_Number(&v.Ival, Stype);
            break;
        }
        }
        Check_Position(names[which]);
    }
    Close_All();
    if (Get_StackCount != 0 || Get_.File != nullptr || Get_.Buffer != nullptr)
        Breach("a source stays open after Get_Close");
    if (f) std::fclose(f);
}

// ---- Mode 3: grid values ----------------------------------------------------------

struct Converted {
    std::string cells, messages;
    int error;
};

std::string Contents(FILE* f) {
    std::string text;
    std::rewind(f);
    char block[65536];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) text.append(block, n);
    return text;
}

bool Section_Line() {
    const char* at = Get_LineImage() + Get_LinePos();
    return *at == 'S' || std::strncmp(at, "null", 4) == 0;
}

Converted Convert_Values(FILE* in, CellType kind, bool sections) {
    RunState run;
    run.StdErr = std::tmpfile();
    Close_All();
    Get_Open(in);
    Get_Line();
    Convert_Text_Values(run, kind, 99, sections ? Section_Line : nullptr);
    Close_All();
    Converted c{Contents(run.Values), Contents(run.StdErr), run.Error};
    std::fclose(run.Values);
    std::fclose(run.StdErr);
    return c;
}

void Values_Mode(const uint8_t* data, size_t size) {
    if (size < 1) return;
    const CellType kind = data[0] & 1 ? CellType::Short : CellType::Float;
    const bool sections = data[0] & 2;
    std::string text;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] != 0xFF || i + 1 == size) {
            text += static_cast<char>(data[i]);
            continue;
        }
        for (int n = data[++i] % 8; n > 0 && text.size() < (size_t{1} << 22); --n) text += text;
    }
    FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    const Converted blocks = Convert_Values(file, kind, sections);
    std::fclose(file);
    FILE* stream = fmemopen(text.data(), text.size() ? text.size() : 1, "rb");
    if (text.empty()) std::fgetc(stream);
    const Converted lines = Convert_Values(stream, kind, sections);
    std::fclose(stream);
    if (blocks.cells != lines.cells || blocks.error != lines.error || blocks.messages != lines.messages)
        Breach("grid values read in blocks differ from those read line by line",
               std::to_string(blocks.cells.size()) + " / " + std::to_string(lines.cells.size()) + " bytes, codes " +
                   std::to_string(blocks.error) + " / " + std::to_string(lines.error) + "\n" + blocks.messages +
                   lines.messages);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    switch (data[0] % 4) {
    case 0: Lines_Mode(data + 1, size - 1); break;
    case 1: Numbers_Mode(data + 1, size - 1); break;
    case 2: Operations_Mode(data + 1, size - 1); break;
    case 3: Values_Mode(data + 1, size - 1); break;
    }
    return 0;
}
