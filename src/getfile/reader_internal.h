// Helpers shared by the parts of the token reader; not for callers.
#pragma once

#include "extract.h"

namespace getfile_internal {

// Characters of a String besides its NUL: the longest identifier, number
// text and string kept.
constexpr int Text_Max = static_cast<int>(sizeof(String)) - 1;

inline unsigned char At(int pos) {
    return static_cast<unsigned char>(Get_.Image[pos]);
}

inline int Skip_Blanks(int pos) {
    while (Get_.Image[pos] == ' ') ++pos;
    return pos;
}

inline bool Comment_At(int pos) {
    return Get_.Image[pos] == '/' && Get_.Image[pos + 1] == '*';
}

// The Joint character that closes an overlong piece read in free form: the
// item at pos goes on in the rest of the physical line.
inline bool Piece_Joint(int pos) {
    return Get_.Overflow && Get_.Free_Form && pos == Get_.Len + 1 &&
           Get_.Image[pos] == Get_.Joint;
}

// The rest of the line counts as used up. On a piece the scan position goes
// to the terminating NUL: Len is the piece's last character there, which
// would otherwise still be read as text.
inline void Used_Up() {
    Get_.Pos = Get_.Overflow ? Get_.Len + 2 : Get_.Len;
}

// Applied after an item: a Joint character in free form continues the entry
// on the next line; "/*" turns the rest of the line, all of its pieces in
// free form, into a comment. True when either was found.
bool Continue_Check();

// Skips the pieces that are left of an overlong line.
void Skip_Pieces();

}  // namespace getfile_internal
