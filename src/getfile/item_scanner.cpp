// Item scanner: characters, runs of one character, and strings.
#include "extract.h"
#include "reader_internal.h"

using namespace getfile_internal;

bool getfile_internal::Continue_Check() {
    Get_File& g = Get_;
    if (g.Image[g.Pos] == g.Joint && g.Free_Form) {
        Get_Line();
        return true;
    }
    if (Comment_At(g.Pos)) {
        if (g.Free_Form) Skip_Pieces();
        Used_Up();
        return true;
    }
    return false;
}

char Get_Item() {
    if (Get_.Image[Get_.Pos] == '\0' && Get_Entry() == nullptr) return '\0';
    return Get_.Image[Get_.Pos];
}

char Get_Char() {
    Get_File& g = Get_;
    char c = g.Image[g.Pos];
    if (c == '\0') return '\0';
    if (Comment_At(g.Pos))
        c = '\0';
    else
        g.Pos = Skip_Blanks(g.Pos + 1);
    Continue_Check();
    return c;
}

int Get_Level(int Cval) {
    Get_File& g = Get_;
    const char want = static_cast<char>(Cval);
    int level = 0;
    while (g.Image[g.Pos] != '\0' && g.Image[g.Pos] == want) {
        ++level;
        g.Pos = Skip_Blanks(g.Pos + 1);
        // A run never goes on in the next line.
        if (Continue_Check()) break;
    }
    return level;
}

int Get_String(char* Sval) {
    Get_File& g = Get_;
    char first = g.Image[g.Pos];
    if (first == '\0') return 0;

    bool quoted = first == '"' || first == '\'';
    char term = g.Delim;
    if (quoted) {
        term = first;
        ++g.Pos;
    }

    // I counts the characters of the string; only the first Text_Max of
    // them are kept, the rest is consumed all the same.
    int i = 0;
    char prev = '\0';  // the character stored just before
    auto keep = [&](char c) {
        if (i < Text_Max) Sval[i] = c;
        ++i;
        prev = c;
    };
    bool at_joint = false;
    for (;;) {
        const char x = g.Image[g.Pos];
        if (x == '\0') break;
        if (x == g.Joint) {
            if (Piece_Joint(g.Pos)) {
                // The physical line goes on: blanks at the start of the next
                // piece belong to the string.
                if (Get_Line() == nullptr) break;
                g.Pos = 0;
                continue;
            }
            at_joint = true;  // the string ends before it, quoted or not
            break;
        }
        if (x == '*' && i > 0 && prev == '/' && !quoted) {
            --i;  // the "/" opened a comment, which ends the line
            Used_Up();
            continue;
        }
        if (x == ',' && !g.Comma && term == ' ') break;
        if (x == term) {
            if (!quoted || g.Image[g.Pos + 1] != term) break;
            if (i > 0 && prev == '\\') {
                // A backslash before a doubled quote: the second quote closes.
                ++g.Pos;
                break;
            }
            keep(x);
            g.Pos += 2;
            continue;
        }
        keep(x);
        ++g.Pos;
    }
    Sval[i < Text_Max ? i : Text_Max] = '\0';

    if (at_joint || g.Image[g.Pos] != '\0') {
        if (!at_joint) {
            const char next = g.Image[g.Pos + 1];
            if (quoted && next != '\0' && (next == g.Delim || (next == ',' && !g.Comma))) ++g.Pos;
            ++g.Pos;
        }
        g.Pos = Skip_Blanks(g.Pos);
        Continue_Check();
    }
    return i < Text_Max ? i : Text_Max;
}
