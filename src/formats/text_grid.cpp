#include "formats/text_grid.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <system_error>

#include "extract.h"
#include "formats/swap.h"

namespace {

// Values go to the temporary file in blocks of many values per write.
constexpr size_t Block_Bytes = size_t{1} << 18;

class Block_Writer {
public:
    explicit Block_Writer(FILE* file) : file_(file) {}

    template <class T>
    void Put(T value) {
        if constexpr (std::endian::native == std::endian::big) {
            if constexpr (sizeof value == 4) Swap4(&value);
            else Swap2(&value);
        }
        if (used_ + sizeof value > Block_Bytes) Flush();
        std::memcpy(block_ + used_, &value, sizeof value);
        used_ += sizeof value;
        ++count_;
    }

    void Flush() {
        if (used_ > 0 && std::fwrite(block_, 1, used_, file_) != used_) failed_ = true;
        used_ = 0;
    }

    int64_t Count() const { return count_; }
    bool Failed() const { return failed_; }

private:
    FILE* file_;
    size_t used_ = 0;
    int64_t count_ = 0;
    bool failed_ = false;
    static char block_[Block_Bytes];
};

char Block_Writer::block_[Block_Bytes];

// The characters the number reader takes into a number text.
struct Number_Chars {
    bool in[256] = {};
    constexpr Number_Chars() {
        for (int c = '0'; c <= '9'; ++c) in[c] = true;
        for (int c = 'a'; c <= 'f'; ++c) in[c] = in[c - 'a' + 'A'] = true;
        in[int('+')] = in[int('-')] = in[int('.')] = true;
    }
};
constexpr Number_Chars Number_Char;

// Powers of ten that a float holds exactly.
constexpr float Power10[10] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f};

// The usual grid value: a decimal number of at most nine digits, without
// exponent, whose digits fit a float exactly, followed by a blank or the
// line end. Its float is the quotient of two exact floats, which the one
// rounding of the division makes the correctly rounded value. Returns the
// end of the number, or null for any other text.
inline const char* Quick_Float(const char* s, float& value) {
    const bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    uint32_t m = 0;
    int digits = 0, fraction = 0;
    unsigned d;
    while ((d = static_cast<unsigned char>(*s) - unsigned('0')) <= 9) {
        m = m * 10 + d;
        ++s, ++digits;
    }
    if (*s == '.') {
        ++s;
        while ((d = static_cast<unsigned char>(*s) - unsigned('0')) <= 9) {
            m = m * 10 + d;
            ++s, ++digits, ++fraction;
        }
    }
    if (digits == 0 || digits > 9 || m > (uint32_t{1} << 24) || (*s != ' ' && *s != '\0')) return nullptr;
    float f = static_cast<float>(m);
    if (fraction > 0) f /= Power10[fraction];
    value = negative ? -f : f;
    return s;
}

// A plain decimal number text, converted as the number reader converts it
// (correctly rounded). False for anything unusual, which the number reader
// itself then judges.
bool Plain_Float(const char* s, const char* e, float& value) {
    if (*s == '+') {
        ++s;
        if (s == e || *s == '+' || *s == '-') return false;
    }
    const std::from_chars_result r = std::from_chars(s, e, value);
    return r.ec == std::errc() && r.ptr == e;
}

bool Plain_Short(const char* s, const char* e, int16_t& value) {
    const bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    if (s == e || e - s > 9) return false;  // longer ones may overflow
    int32_t v = 0;
    for (; s < e; ++s) {
        const unsigned d = static_cast<unsigned char>(*s) - '0';
        if (d > 9) return false;
        v = v * 10 + static_cast<int32_t>(d);
    }
    value = static_cast<int16_t>(negative ? -v : v);  // the low 16 bits
    return true;
}

bool Source_Open() { return Get_.File != nullptr || Get_.Buffer != nullptr; }

// One item through the number reader itself, at the scan position.
bool Read_Item(Text_Cell kind, Block_Writer& out) {
    if (kind == Text_Cell::Float) {
        float value;
        if (!Get_Float(&value)) return false;
        out.Put(value);
    } else {
        int value;
        if (!Get_Int(&value)) return false;
        out.Put(static_cast<int16_t>(value));
    }
    return true;
}

// A plain number followed by a blank or the line end, converted here.
// Returns the end of the number, or -1 for anything else.
inline int Plain_Number(const char* image, int p, Text_Cell kind, Block_Writer& out) {
    if (kind == Text_Cell::Float) {
        float value;
        if (const char* end = Quick_Float(image + p, value)) {
            out.Put(value);
            return static_cast<int>(end - image);
        }
    }
    const int start = p;
    while (Number_Char.in[static_cast<unsigned char>(image[p])]) ++p;
    if (p == start || (image[p] != ' ' && image[p] != '\0')) return -1;
    if (kind == Text_Cell::Float) {
        float value;
        if (!Plain_Float(image + start, image + p, value)) return -1;
        out.Put(value);
    } else {
        int16_t value;
        if (!Plain_Short(image + start, image + p, value)) return -1;
        out.Put(value);
    }
    return p;
}

// Reads the numbers of the current line from the scan position on. Plain
// numbers are converted here; anything else goes through the number reader,
// which also joins a number that runs on from one piece of an overlong line
// into the next. Returns with the scan position on the first item that is no
// number, or at the line end.
void Scan_Line(Text_Cell kind, Block_Writer& out) {
    const unsigned char joint = static_cast<unsigned char>(Get_.Joint);
    for (;;) {
        const char* image = Get_.Image;
        int p = Get_.Pos;
        for (;;) {
            if (image[p] == '\0') {
                Get_.Pos = p;
                return;
            }
            if (Get_Overflow() && p == Get_LineLen() + 1) {
                // A piece of nothing but blanks: the line goes on in the next.
                if (!Get_Line()) return;
                break;
            }
            const int end = Plain_Number(image, p, kind, out);
            if (end < 0) {
                Get_.Pos = p;
                if (!Read_Item(kind, out)) return;
                break;  // the reader may have moved on to another image
            }
            p = end;
            while (image[p] == ' ') ++p;
            const unsigned char next = static_cast<unsigned char>(image[p]);
            if (next == joint && joint != '\0') {
                // The line goes on in the next line, or in the next piece.
                if (!Get_Line()) return;
                break;
            }
            if (next == '/' && image[p + 1] == '*') {
                // A comment runs to the end of the physical line.
                while (Get_Overflow())
                    if (!Get_Line()) return;
                Get_.Pos = Get_.Len;
                return;
            }
        }
    }
}

void Show_Bad_Line(RunState& run) {
    const char* image = Get_LineImage();
    const int pos = Get_LinePos();
    fprintf(run.StdErr, "Line %1ld:\n%.78s\n", Get_LineNo(), image + (pos > 10 ? pos - 10 : 0));
}

[[noreturn]] void Temporary_Failure(RunState& run, const char* what) {
    fprintf(run.StdErr, "Temporary file could not be %s\n", what);
    fprintf(run.StdErr, "No utputfile (%s) generated\n", run.OutName);
    End_Run(run, 1);
}

}  // namespace

int64_t Convert_Text_Values(RunState& run, Text_Cell kind, int bad_code) {
    FILE* temp = std::tmpfile();
    if (!temp) Temporary_Failure(run, "created");
    run.OutFile = temp;  // closed by the driver should the run end early
    Block_Writer out(temp);

    // Rows are often longer than a line image: the pieces of a line join.
    Get_.Free_Form = 1;
    bool more = Source_Open() && Get_.Image != nullptr;
    while (more) {
        Scan_Line(kind, out);
        if (!Source_Open()) break;
        if (Get_More() != '\0') {
            if (run.Error == 0) {
                run.Error = bad_code;
                Show_Bad_Line(run);
            }
            while (more && Get_Overflow()) more = Get_Line() != nullptr;
        }
        more = more && Get_Line() != nullptr;
    }

    out.Flush();
    if (out.Failed() || std::fflush(temp) != 0) Temporary_Failure(run, "written");
    if (fseeko(temp, 0, SEEK_SET) != 0) Temporary_Failure(run, "read");
    return out.Count();
}

void Close_Input(RunState& run) {
    FILE* file = run.InpFile;
    run.InpFile = nullptr;
    if (file && file != run.StdIn && file != stdin) std::fclose(file);
}

void Use_Temporary_Input(RunState& run) {
    FILE* temp = run.OutFile;
    run.OutFile = nullptr;
    Close_Input(run);
    run.InpFile = temp;
    run.Location = 0;
    run.Raw = 0;
}
