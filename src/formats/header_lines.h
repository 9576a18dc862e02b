// Small helpers of the text header readers (VTK, ESRI, KMS2002).
#pragma once

#include <cstdio>

#include "core/run_state.h"
#include "extract.h"

// The next line of the token reader's current source, echoed on Debug; with
// AllowEmpty, empty and comment lines are skipped. Null at the end.
inline char* Get_Ascii_Line(RunState& run, int AllowEmpty) {
    char* line = AllowEmpty ? Get_Entry() : Get_Line();
    if (line && run.Debug) fprintf(run.Debug, "%s\n", line);
    return line;
}

// Nothing more on the line: it is used up, blank from here, or a comment.
inline bool Line_Done() { return Get_More() == '\0'; }

// The next identifier is the entry `wanted` of `table`.
inline bool Symbol_Is(const char* const* table, int wanted) {
    int symbol;
    return Get_Symbol(&symbol, table) && symbol == wanted;
}

// A stream as the token reader's current source, with the blank as item
// delimiter; the source is closed again however the reader is left.
class Token_Source {
public:
    explicit Token_Source(FILE* file) { Open(file); }
    ~Token_Source() { Close(); }
    Token_Source(const Token_Source&) = delete;
    Token_Source& operator=(const Token_Source&) = delete;

    void Open(FILE* file) {
        Close();
        Get_Open(file);
        Get_Delimiter(' ');
        open_ = true;
    }
    void Close() {
        if (open_) Get_Close();
        open_ = false;
    }

private:
    bool open_ = false;
};
