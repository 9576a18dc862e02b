// Item scanner: characters, runs of one character, and strings.
#include "extract.h"
#include "reader_internal.h"

using namespace getfile_internal;

namespace {

// Characters a caller's String holds besides its NUL.
constexpr int String_Max = static_cast<int>(sizeof(String)) - 1;

// After a Joint character or "/*" that ends a run or an item.
bool Joint_Or_Comment() {
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

}  // namespace

void getfile_internal::Continue_Check() { Joint_Or_Comment(); }

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
        if (Joint_Or_Comment()) break;
    }
    return level;
}

int Get_String(LPSTR Sval) {
    Get_File& g = Get_;
    char first = g.Image[g.Pos];
    if (first == '\0') return 0;

    bool quoted = first == '"' || first == '\'';
    char term = g.Delim;
    if (quoted) {
        term = first;
        ++g.Pos;
    }

    // I counts the characters of the string; only the first String_Max of
    // them are kept, the rest is consumed all the same.
    int i = 0;
    char prev = '\0';  // the character stored just before
    auto keep = [&](char c) {
        if (i < String_Max) Sval[i] = c;
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
            quoted = false;
            term = g.Delim;
            at_joint = true;
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
    Sval[i < String_Max ? i : String_Max] = '\0';

    if (at_joint || g.Image[g.Pos] != '\0') {
        if (!at_joint) {
            const char next = g.Image[g.Pos + 1];
            if (quoted && next != '\0' && (next == g.Delim || (next == ',' && !g.Comma))) ++g.Pos;
            ++g.Pos;
        }
        g.Pos = Skip_Blanks(g.Pos);
        Continue_Check();
    }
    return i < String_Max ? i : String_Max;
}
