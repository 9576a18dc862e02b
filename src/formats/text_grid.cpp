#include "formats/text_grid.h"

#include <strings.h>

#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "extract.h"
#include "core/swap.h"

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
        std::memcpy(block_.data() + used_, &value, sizeof value);
        used_ += sizeof value;
        ++count_;
    }

    void Flush() {
        if (used_ > 0 && std::fwrite(block_.data(), 1, used_, file_) != used_) failed_ = true;
        used_ = 0;
    }

    int64_t Count() const { return count_; }
    bool Failed() const { return failed_; }

private:
    FILE* file_;
    size_t used_ = 0;
    int64_t count_ = 0;
    bool failed_ = false;
    std::vector<char> block_ = std::vector<char>(Block_Bytes);
};

bool Source_Open() { return Get_.File != nullptr || Get_.Buffer != nullptr; }

// One item through the number reader itself, or a text for no value, at
// the scan position.
bool Read_Item(CellType kind, Block_Writer& out) {
    if (kind == CellType::Float) {
        float value;
        if (!Get_Float(&value)) {
            if (!Get_No_Value()) return false;
            value = std::numeric_limits<float>::quiet_NaN();
        }
        out.Put(value);
    } else {
        int value;
        if (!Get_Int(&value)) {
            if (!Get_No_Value()) return false;
            value = -32768;
        }
        out.Put(static_cast<int16_t>(value));
    }
    return true;
}

// Characters of the text for no value at `p`, which must end there: 0 when
// there is none.
int No_Value_Length(const char* p) {
    const int sign = *p == '-' || *p == '+';
    int length = 0;
    if (strncasecmp(p + sign, "nan", 3) == 0) length = sign + 3;
    else if (!sign && strncasecmp(p, "null", 4) == 0) length = 4;
    const char end = p[length];
    return length > 0 && (end == '\0' || end == ' ' || end == ',') ? length : 0;
}

// A plain number followed by a blank or the line end, converted by the
// number reader's direct path. Returns the end of the number, or -1 for
// anything else.
inline int Plain_Number(const char* image, int p, CellType kind, Block_Writer& out) {
    const char* end;
    if (kind == CellType::Float) {
        float value;
        end = Get_Fast_Number(image + p, Ftype, reinterpret_cast<PINT>(&value));
        if (!end || (*end != ' ' && *end != '\0')) return -1;
        out.Put(value);
    } else {
        int value;
        end = Get_Fast_Number(image + p, Itype, &value);
        if (!end || (*end != ' ' && *end != '\0')) return -1;
        out.Put(static_cast<int16_t>(value));  // the low 16 bits
    }
    return static_cast<int>(end - image);
}

// Reads the numbers of the current line from the scan position on. Plain
// numbers are converted here; anything else goes through the number reader,
// which also joins a number that runs on from one piece of an overlong line
// into the next. Returns with the scan position on the first item that is no
// number, or at the line end.
void Scan_Line(CellType kind, Block_Writer& out) {
    const unsigned char joint = static_cast<unsigned char>(Get_.Joint);
    for (;;) {
        const char* image = Get_LineImage();
        int p = Get_LinePos();
        // Where the joint of a piece of an overlong line stands; none in a
        // whole line. Fixed until the next image is read.
        const int piece_end = Get_Overflow() ? Get_LineLen() + 1 : -1;
        for (;;) {
            if (image[p] == '\0') {
                Get_SetPos(p);
                return;
            }
            if (p == piece_end) {
                // A piece of nothing but blanks: the line goes on in the next.
                if (!Get_Line()) return;
                break;
            }
            const int end = Plain_Number(image, p, kind, out);
            if (end < 0) {
                Get_SetPos(p);
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
                Get_SetPos(Get_LineLen());
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

}  // namespace

void Temporary_Failure(RunState& run, const char* what) {
    No_Output(run, "Temporary file could not be %s\n", what);
}

bool Get_No_Value() {
    int start = Get_LinePos();
    const char* image = Get_LineImage();
    // An item cut at the end of a piece of an overlong line is joined first.
    if (Get_Overflow() && start + 4 > Get_LineLen()) {
        Get_Rest(&start);
        Get_SetPos(start);
        image = Get_LineImage();
    }
    if (No_Value_Length(image + start) == 0) return false;
    String item;  // consumed as the item it is, blanks and a comma behind it included
    Get_String(item);
    return true;
}

int64_t Convert_Text_Values(RunState& run, CellType kind, int bad_code, bool (*ends_values)()) {
    FILE* temp = std::tmpfile();
    if (!temp) Temporary_Failure(run, "created");
    run.Values = temp;  // closed by the driver should the run end early
    Block_Writer out(temp);

    // Rows are often longer than a line image: the pieces of a line join.
    Get_.Free_Form = 1;
    bool more = Source_Open() && Get_.Image != nullptr;
    while (more) {
        if (ends_values && ends_values()) break;
        Scan_Line(kind, out);
        if (!Source_Open()) break;
        if (Get_More() != '\0') {
            if (run.Error == 0) {
                Set_Error(run, bad_code);
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
    FILE* temp = run.Values;
    run.Values = nullptr;
    Close_Input(run);
    run.InpFile = temp;
    run.Location = 0;
    run.Raw = 0;
}
