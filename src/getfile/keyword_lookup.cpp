// Keyword lookup: identifiers found in keyword tables, exactly or by the
// unique nearest entry, with case and national letters folded.
#include <climits>
#include <cstring>

#include "extract.h"
#include "reader_internal.h"

using namespace getfile_internal;

// Code page 865 at 0x80..0xA5, ISO 8859-1 at 0xC0..0xFF. Æ/Ä, Ø/Ö and Å fold
// to "[", "\" and "]", their places in the 7-bit Danish/Norwegian ASCII.
#define GETFILE_EIGHT2SEVEN                                                                    \
    0x43, 0x59, 0x45, 0x41, 0x5B, 0x41, 0x5D, 0x43, 0x45, 0x45, 0x45, 0x49, 0x49, 0x49, 0x5B, 0x5D, \
    0x45, 0x5B, 0x5B, 0x4F, 0x5C, 0x4F, 0x55, 0x55, 0x59, 0x5C, 0x59, 0x5C, 0x24, 0x5C, 0x3F, 0x3F, \
    0x41, 0x49, 0x4F, 0x55, 0x4E, 0x4E, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, \
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, \
    0x41, 0x41, 0x41, 0x41, 0x5B, 0x5D, 0x5B, 0x43, 0x45, 0x45, 0x45, 0x45, 0x49, 0x49, 0x49, 0x49, \
    0x44, 0x4E, 0x4F, 0x4F, 0x4F, 0x4F, 0x5C, 0x3F, 0x5C, 0x55, 0x55, 0x55, 0x59, 0x59, 0x3F, 0x3F, \
    0x41, 0x41, 0x41, 0x41, 0x5B, 0x5D, 0x5B, 0x43, 0x45, 0x45, 0x45, 0x45, 0x49, 0x49, 0x49, 0x49, \
    0x44, 0x4E, 0x4F, 0x4F, 0x4F, 0x4F, 0x5C, 0x3F, 0x5C, 0x55, 0x55, 0x55, 0x59, 0x59, 0x3F, 0x59

const char Eight2Seven[128] = {GETFILE_EIGHT2SEVEN};

namespace {

constexpr unsigned char Eight[128] = {GETFILE_EIGHT2SEVEN};

struct Tables {
    unsigned char fold[256];  // 0: an 8-bit code that is no letter
    bool start[256];          // may begin an identifier
    bool part[256];           // may go on in an identifier
};

constexpr Tables Make_Tables() {
    Tables t{};
    for (int x = 0; x < 256; ++x) {
        unsigned char f = static_cast<unsigned char>(x);
        if (x >= 0x61 && x <= 0x7D) f = static_cast<unsigned char>(x - 0x20);
        if (x >= 0x80) f = Eight[x - 0x80] == '?' ? 0 : Eight[x - 0x80];
        t.fold[x] = f;
        const bool letter = (x >= 'A' && x <= ']') ||
                            (x >= 'a' && x <= '}') || (x >= 0x80 && f != 0);
        t.start[x] = letter || x == '$' || x == '#';
        bool punct = false;
        for (const char* p = "_.-/+%()$#&"; *p; ++p) punct = punct || x == *p;
        t.part[x] = letter || (x >= '0' && x <= '9') || punct;
    }
    return t;
}

constexpr Tables T = Make_Tables();

inline bool Agree(unsigned char a, unsigned char b) {
    return a == b || (T.fold[a] != 0 && T.fold[a] == T.fold[b]);
}

int Last_Visible(const unsigned char* s) {
    int last = 0;
    for (int i = 0; s[i]; ++i)
        if (s[i] > 0x20) last = i;
    return last;
}

// How near the identifier L is to the entry R that first differs at I: 2 for
// one letter changed, two neighbours exchanged, or letters missing or added at
// either end or as one block; larger for weaker likenesses; 0 for none.
int Distance(const unsigned char* L, const unsigned char* R, int I) {
    int J = Last_Visible(L);
    int K = Last_Visible(R);
    while (J > I) {
        if (!Agree(L[J], R[K]) || J == 0 || K == 0) break;
        --J;
        --K;
    }
    if (J == K) {
        if (J == I) return 2;
        if (J == I + 1 && Agree(L[I], R[J]) && Agree(L[J], R[I])) return 2;
        return 0;
    }
    if (J > K) {
        if (K == 0) return I + 2;
        if (K < I) return I - K + 1;
        if (K == I && J == I + 1) return 8;
        return 0;
    }
    if (J == 0) return I + 2;
    if (J < I) return I - J + 1;
    if (J == I && K == I + 1) return 8;
    return 0;
}

// Without a table the result is the identifier's length, which must fit in
// eight bits to tell success from failure.
constexpr int Id_Max_Untabled = 255;
// Indexes above this could not be told from failure in the 8-bit result.
constexpr int Table_Max = 255;

}  // namespace

int Item_Compare(const char* lpStr, const char* rpStr, int nearest) {
    if (lpStr == nullptr || rpStr == nullptr) return 0;
    auto L = reinterpret_cast<const unsigned char*>(lpStr);
    auto R = reinterpret_cast<const unsigned char*>(rpStr);
    while (*L != 0 && *L <= 0x20) ++L;
    while (*R != 0 && *R <= 0x20) ++R;
    if (*L == 0 || *R == 0) return 0;

    int i = 0;
    for (; L[i] != 0; ++i) {
        if (Agree(L[i], R[i])) continue;
        if (R[i] == 0 && L[i] <= 0x20) {
            // Trailing blanks and control characters of the identifier.
            int j = i + 1;
            while (L[j] != 0 && L[j] <= 0x20) ++j;
            if (L[j] == 0) return 1;
            i = j;
        }
        return nearest ? Distance(L, R, i) : 0;
    }
    while (R[i] != 0 && R[i] <= 0x20) ++i;
    if (R[i] == 0) return 1;
    return nearest ? Distance(L, R, i) : 0;
}

unsigned char Get_Lookup(PINT Sval, const char* const* Table, int Nearest) {
    Get_File& g = Get_;
    int start = g.Pos;
    if (!T.start[At(start)]) return 0;

    int pos = start + 1;
    for (;;) {
        while (T.part[At(pos)]) ++pos;
        if (pos - start > Text_Max || !Piece_Joint(pos)) break;
        // The identifier goes on in the rest of the overlong line.
        const int scanned = pos - start;
        g.Pos = pos;
        Get_Rest(&start);
        if (start != 0 || g.Pos != scanned) break;
        pos = g.Pos;
    }
    if (g.Image[pos - 1] == '.') --pos;  // a period after a word ends a sentence

    const int length = pos - start;
    // Identifiers longer than a String are refused.
    if (length > (Table != nullptr ? Text_Max : Id_Max_Untabled)) {
        g.Pos = start;
        return 0;
    }
    String id;
    std::memcpy(id, g.Image + start, static_cast<std::size_t>(length));
    id[length] = '\0';

    unsigned char result;
    if (Table == nullptr) {
        std::memcpy(reinterpret_cast<char*>(Sval), id, static_cast<std::size_t>(length) + 1);
        result = static_cast<unsigned char>(length);
    } else {
        int chosen = -1;
        int nearest = INT_MAX;
        for (int k = 0; k < Table_Max && Table[k] != nullptr && Table[k][0] != '\0'; ++k) {
            const int d = Item_Compare(id, Table[k], Nearest);
            if (d == 0) continue;
            if (!Nearest || d == 1) {
                chosen = k;
                break;
            }
            if (d > nearest) continue;
            chosen = d == nearest ? -1 : k;  // a tie accepts nothing
            nearest = d;
        }
        if (chosen < 0) {
            g.Pos = start;
            return 0;
        }
        *Sval = chosen;
        result = static_cast<unsigned char>(chosen + 1);
    }

    pos = Skip_Blanks(pos);
    const char c = g.Image[pos];
    if (c != '\0' && (c == g.Delim || c == ',')) ++pos;
    g.Pos = pos;
    Continue_Check();
    return result;
}

unsigned char Get_Symbol(PINT Sval, const char* const* Table) { return Get_Lookup(Sval, Table, 0); }

unsigned char Get_Almost(PINT Sval, const char* const* Table) { return Get_Lookup(Sval, Table, 1); }
