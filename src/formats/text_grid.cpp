#include "formats/text_grid.h"

#include <cctype>
#include <limits>
#include <optional>

#include "extract.h"
#include "formats/value_lines.h"

namespace {

bool Source_Open() { return Get_.File != nullptr || Get_.Buffer != nullptr; }

// Whole lines go to Convert_Lines while items are delimited by blanks and
// the continuation character cannot stand inside a number item.
bool Lines_Convertible() {
    const char joint = Get_.Joint;
    return Get_.Delim == ' ' && !std::isalnum(static_cast<unsigned char>(joint)) && joint != '.' &&
           joint != '+' && joint != '-' && joint != ' ' && joint != '\t';
}

// One item through the number reader itself, or a text for no value, at
// the scan position.
bool Read_Item(CellType kind, Value_Writer& out) {
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

// A plain number followed by a blank or the line end, converted by the
// number reader's direct path. Returns the end of the number, or -1 for
// anything else.
inline int Plain_Number(const char* image, int p, CellType kind, Value_Writer& out) {
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
void Scan_Line(CellType kind, Value_Writer& out) {
    if (!Get_Overflow() && Lines_Convertible()) {
        // A whole line of nothing but numbers is converted at once.
        const int pos = Get_LinePos();
        const int len = Get_LineLen();
        const size_t room = Cells_Room(static_cast<size_t>(len - pos), kind);
        const char* image = Get_LineImage();
        const Lines_Taken taken = Convert_Lines(image + pos, image + len, kind, false, out.Reserve(room));
        if (taken.stop == image + len) {
            out.Commit(static_cast<size_t>(taken.cells) * Cell_Bytes(kind), taken.cells);
            Get_SetPos(len);
            return;
        }
    }
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
    const int length = No_Value_Text(image + start);
    const char end = image[start + length];
    if (length == 0 || (end != '\0' && end != ' ' && end != ',')) return false;
    String item;  // consumed as the item it is, blanks and a comma behind it included
    Get_String(item);
    return true;
}

int64_t Convert_Text_Values(RunState& run, CellType kind, int bad_code, bool (*ends_values)()) {
    FILE* temp = std::tmpfile();
    if (!temp) Temporary_Failure(run, "created");
    run.Values = temp;  // closed by the driver should the run end early
    Value_Writer out(temp);

    // Rows are often longer than a line image: the pieces of a line join.
    Get_.Free_Form = 1;
    bool more = Source_Open() && Get_.Image != nullptr;
    // Whole lines of a file are read in blocks; the token reader takes the
    // lines they refuse, one at a time, and after a refused first line a
    // growing number of lines before blocks are tried again.
    std::optional<Value_Blocks> blocks;
    if (more && Lines_Convertible() && Value_Blocks::Usable(Get_.File)) blocks.emplace(kind, ends_values != nullptr);
    long backoff = 0;
    long wait = 0;
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
        if (more && blocks && !Get_Overflow() && !Get_.Repeat && Get_.File && wait-- <= 0) {
            const long lines = blocks->Take_Lines(Get_.File, out);
            if (lines < 0) break;  // the file could not be repositioned
            Get_.Count = static_cast<int32_t>(static_cast<uint32_t>(Get_.Count) + static_cast<uint32_t>(lines));
            backoff = lines > 0 ? 0 : std::min(2 * backoff + 1, 4096L);
            wait = backoff;
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
