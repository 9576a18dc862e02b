// Number reader: cuts a number item from the line and converts it.
//
// The kinds are defined by the C formatted-input conversions ("%f%s",
// "%lf%s", "%ld%s", "%lx%s", "%lo%s"). A text grid holds millions of
// numbers and sscanf reads well under a million a second, so a plain number
// text (sign, digits, point, digits, exponent, and nothing else) is converted
// directly: for such a text the C conversion takes every character and its
// value is the correctly rounded one, as from_chars gives. Everything else —
// tails such as "1e" or "1e+" that the C conversion swallows, lone signs,
// values out of range, overlong digit strings — goes to sscanf itself, so the
// value, the success and the failure are the C conversion's in every case.
#include <charconv>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "extract.h"
#include "reader_internal.h"

using namespace getfile_internal;

namespace {

// Characters of a number text: a number reader takes them all and leaves
// the judgement to the conversion.
struct Number_Chars {
    bool in[256];
};

constexpr Number_Chars Make_Number_Chars() {
    Number_Chars t{};
    for (int x = 0; x < 256; ++x)
        t.in[x] = (x >= '0' && x <= '9') || (x >= 'a' && x <= 'f') || (x >= 'A' && x <= 'F') ||
                  x == '-' || x == '+' || x == '.';
    return t;
}

constexpr Number_Chars Num = Make_Number_Chars();

inline bool Digit(char c) { return c >= '0' && c <= '9'; }

constexpr bool Real_Kind(ObjectType t) { return t == Ftype || t == Dtype; }
template <ObjectType Type>
using Real_Of = std::conditional_t<Type == Ftype, float, double>;

template <class T>
void Store(void* Val, T v) {
    std::memcpy(Val, &v, sizeof v);
}

// Exact powers of ten of each type, and the largest mantissa it holds exactly.
template <class Real>
struct Exact;
template <>
struct Exact<float> {
    static constexpr std::uint64_t Mantissa = std::uint64_t{1} << 24;
    static constexpr int Powers = 11;
    static constexpr float Ten[Powers] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                          1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
};
template <>
struct Exact<double> {
    static constexpr std::uint64_t Mantissa = std::uint64_t{1} << 53;
    static constexpr int Powers = 23;
    static constexpr double Ten[Powers] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
};

// The usual grid value ("-1234.567"): sign, digits and a point only, with a
// mantissa and a power of ten that the type holds exactly, so that one
// division gives the correctly rounded value. The number reader gathers the
// parts while it cuts the text.
struct Plain_Decimal {
    std::uint64_t mantissa = 0;
    int digits = 0;    // all digits, before and after the point
    int fraction = 0;  // digits after the point
    bool negative = false;
};

template <class Real>
bool Exact_Real(const Plain_Decimal& d, Real& out) {
    if (d.digits == 0 || d.digits > 18 || d.mantissa > Exact<Real>::Mantissa ||
        d.fraction >= Exact<Real>::Powers)
        return false;
    const Real v = static_cast<Real>(d.mantissa) / Exact<Real>::Ten[d.fraction];
    out = d.negative ? -v : v;
    return true;
}

// Gathers a plain decimal from p on while `within(p)`; returns where the
// first character that is neither a digit nor the first point stands.
template <class Within>
inline const char* Scan_Plain_While(const char* p, Within within, Plain_Decimal& d) {
    if (within(p) && (*p == '-' || *p == '+')) d.negative = *p++ == '-';
    for (; within(p) && Digit(*p); ++p) {
        d.mantissa = d.mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++d.digits;
    }
    if (within(p) && *p == '.') {
        for (++p; within(p) && Digit(*p); ++p) {
            d.mantissa = d.mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++d.digits;
            ++d.fraction;
        }
    }
    return p;
}

// The same, up to e at most.
inline const char* Scan_Plain(const char* p, const char* e, Plain_Decimal& d) {
    return Scan_Plain_While(p, [e](const char* q) { return q < e; }, d);
}


// A plain decimal number text, converted when the C conversion would take
// all of it; false when the text is anything else. from_chars reads the same
// decimal numbers (and gives the same correctly rounded values) but takes no
// plus sign and stops before an exponent without digits, which the C
// conversion swallows; inf, nan and hexadecimal texts are left to sscanf.
template <class Real>
bool Fast_Real(const char* b, const char* e, bool d_exponent, Real& out) {
    const char* s = b;
    if (*s == '+') ++s;
    const char* m = s == b && *s == '-' ? s + 1 : s;
    if (m >= e || !(Digit(*m) || *m == '.')) return false;
    Real v;
    auto r = std::from_chars(s, e, v, std::chars_format::general);
    // Out of range: the C conversion's infinity or denormal comes from sscanf.
    if (r.ec != std::errc()) return false;
    if (r.ptr != e) {
        if (!d_exponent || (*r.ptr != 'D' && *r.ptr != 'd')) return false;
        // A Fortran "D" exponent reads as "E".
        char text[sizeof(String)];
        const std::size_t n = static_cast<std::size_t>(e - s);
        std::memcpy(text, s, n);
        text[r.ptr - s] = 'e';
        r = std::from_chars(text, text + n, v, std::chars_format::general);
        if (r.ec != std::errc() || r.ptr != text + n) return false;
    }
    out = v;
    return true;
}

// An optional sign and digits of the base, few enough not to overflow 64 bits.
bool Fast_Digits(const char* p, const char* e, int base, bool& negative, std::uint64_t& magnitude) {
    negative = false;
    if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const long count = e - p;
    const long most = base == 10 ? 18 : base == 16 ? 15 : 20;
    if (count < 1 || count > most) return false;
    std::uint64_t m = 0;
    for (; p < e; ++p) {
        unsigned d;
        const char c = *p;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (d >= static_cast<unsigned>(base)) return false;
        m = m * static_cast<unsigned>(base) + d;
    }
    magnitude = m;
    return true;
}

// Long values are kept in 32 bits as they wrap there.
inline std::int32_t Wrap32(std::uint64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

// The C conversion itself, for every text the direct path does not take.
unsigned char Scan_Convert(const char* b, int n, ObjectType type, PINT Val) {
    String text;
    String rest;
    std::memcpy(text, b, static_cast<std::size_t>(n));
    text[n] = '\0';
    rest[0] = '\0';
    switch (type) {
        case Ftype: {
            float f;
            if (std::sscanf(text, "%f%s", &f, rest) < 1) return 0;
            Store(Val, f);
            break;
        }
        case Dtype: {
            double d;
            if (std::sscanf(text, "%lf%s", &d, rest) < 1) return 0;
            Store(Val, d);
            if (rest[0] == 'D' || rest[0] == 'd') {
                // A Fortran "D" exponent: read again with "E" in its place.
                const char mark = rest[0];
                *std::strchr(text, mark) = mark == 'D' ? 'E' : 'e';
                rest[0] = '\0';
                if (std::sscanf(text, "%lf%s", &d, rest) < 1) return 0;
                Store(Val, d);
            }
            break;
        }
        case Itype:
        case Ltype:
        case Wtype: {
            long l;
            if (std::sscanf(text, "%ld%s", &l, rest) < 1) return 0;
            if (type == Wtype) {
                if (l < 0) return 0;
                Store(Val, static_cast<std::uint32_t>(l));
            } else {
                Store(Val, Wrap32(static_cast<std::uint64_t>(l)));
            }
            break;
        }
        case Xtype:
        case Otype: {
            unsigned long u;
            if (std::sscanf(text, type == Xtype ? "%lx%s" : "%lo%s", &u, rest) < 1) return 0;
            Store(Val, Wrap32(u));
            break;
        }
        default:
            return 0;
    }
    return rest[0] == '\0';
}

// The direct conversion: 1 converted, 0 refused (nothing stored), -1 a text
// only the C conversion judges.
template <ObjectType Type>
int Fast_Convert(const char* b, const char* e, PINT Val) {
    if constexpr (Real_Kind(Type)) {
        Real_Of<Type> v;
        Plain_Decimal plain;
        if ((Scan_Plain(b, e, plain) == e && Exact_Real(plain, v)) || Fast_Real(b, e, Type == Dtype, v)) {
            Store(Val, v);
            return 1;
        }
    } else if constexpr (Type == Itype || Type == Ltype || Type == Wtype || Type == Xtype ||
                         Type == Otype) {
        constexpr int base = Type == Xtype ? 16 : Type == Otype ? 8 : 10;
        bool negative;
        std::uint64_t m;
        if (Fast_Digits(b, e, base, negative, m)) {
            const std::uint64_t v = negative ? 0 - m : m;
            if constexpr (Type == Wtype) {
                if (negative && m != 0) return 0;
                Store(Val, static_cast<std::uint32_t>(m));
            } else {
                Store(Val, Wrap32(v));
            }
            return 1;
        }
    }
    return -1;
}

template <ObjectType Type>
unsigned char Convert(const char* b, int n, PINT Val) {
    const int fast = Fast_Convert<Type>(b, b + n, Val);
    if (fast >= 0) return static_cast<unsigned char>(fast);
    return Scan_Convert(b, n, Type, Val);
}

template <ObjectType Type>
void Store_Zero(PINT Val) {
    if constexpr (Type == Ftype)
        Store(Val, 0.0f);
    else if constexpr (Type == Dtype)
        Store(Val, 0.0);
    else if constexpr (Type == Wtype)
        Store(Val, std::uint32_t{0});
    else if constexpr (Type != Ctype && Type != Stype)
        Store(Val, std::int32_t{0});
}

// Converts the number text [b, e) cut from a line; `plain` holds its parts
// when the whole text was a plain decimal.
template <ObjectType Type>
bool Convert_Cut(const char* b, const char* e, const Plain_Decimal* plain, PINT Val) {
    if constexpr (Real_Kind(Type)) {
        Real_Of<Type> v;
        if (plain && Exact_Real(*plain, v)) {
            Store(Val, v);
            return true;
        }
    }
    const long length = e - b;
    return length <= Text_Max && Convert<Type>(b, static_cast<int>(length), Val) != 0;
}

// The position after a number read: past its closing quote and the delimiter
// behind it, and past the blanks that follow.
int Past_Number(const char* img, int pos, bool closing_quote, unsigned char delim) {
    if (closing_quote) {
        ++pos;
        const unsigned char c = static_cast<unsigned char>(img[pos]);
        if (c != 0 && (c == delim || c == ',')) ++pos;
    }
    while (img[pos] == ' ') ++pos;
    return pos;
}

template <ObjectType Type>
unsigned char Read_Number(PINT Val) {
    Get_File& g = Get_;
    const char* img = g.Image;
    int pos = g.Pos;
    unsigned char c = static_cast<unsigned char>(img[pos]);
    if (c == 0) return 0;

    int start = pos;
    const unsigned char delim = static_cast<unsigned char>(g.Delim);
    const bool quoted = c == '"' || c == '\'';
    const unsigned char term = quoted ? c : delim;
    if (quoted) ++pos;
    int text = pos;
    Plain_Decimal plain;
    int plain_end = -1;
    if constexpr (Real_Kind(Type))
        pos = plain_end = static_cast<int>(Scan_Plain(img + pos, img + Get_ImageSize, plain) - img);
    int text_end = pos;
    bool at_joint = false;
    bool consumed = false;
    unsigned char stop;
    for (;;) {
        c = static_cast<unsigned char>(img[pos]);
        if (Num.in[c]) {
            ++pos;
            continue;
        }
        text_end = pos;
        stop = c;
        // Blanks, control characters and the end of the line end the text;
        // a non-blank delimiter is taken (but never the line's NUL).
        if (c <= 0x20 && !(c == delim && c != ' ' && c != 0)) break;
        if (c == static_cast<unsigned char>(g.Joint)) {
            if (Piece_Joint(pos) && pos - text <= Text_Max) {
                // The number goes on in the rest of the overlong line.
                const int scanned = pos - start;
                g.Pos = pos;
                Get_Rest(&start);
                if (start == 0 && g.Pos == scanned) {
                    img = g.Image;
                    pos = g.Pos;
                    text = quoted ? 1 : 0;
                    plain_end = -1;
                    continue;
                }
            }
            at_joint = true;
            break;
        }
        if (c == ',' || c == delim) {
            ++pos;
            consumed = true;
            break;
        }
        if (c == '/' && img[pos + 1] == '*') {
            pos = g.Overflow ? g.Len + 2 : g.Len;  // the rest of the line is a comment
            break;
        }
        break;
    }

    bool ok = false;
    if (delim != ' ' && delim != 0 && !at_joint && !consumed && img[pos] != '\0') {
        // With a delimiter set, only the delimiter or the line end may follow.
    } else if (text_end == text) {
        ok = !quoted && (stop == ',' || stop == term);
        if (ok) Store_Zero<Type>(Val);
    } else if (!quoted || stop == term) {
        ok = Convert_Cut<Type>(img + text, img + text_end, text_end == plain_end ? &plain : nullptr, Val);
    }
    if (!ok) {
        g.Pos = start;
        return 0;
    }

    g.Pos = pos = Past_Number(img, pos, quoted && !consumed, delim);
    if (img[pos] == g.Joint || img[pos] == '/') Continue_Check();
    return 1;
}

}  // namespace

unsigned char Get_Convert(const char* Text, int Length, ObjectType Type, PINT Val) {
    if (Text == nullptr || Length < 1 || Length > Text_Max) return 0;
    switch (Type) {
        case Ftype: return Convert<Ftype>(Text, Length, Val);
        case Dtype: return Convert<Dtype>(Text, Length, Val);
        case Itype: return Convert<Itype>(Text, Length, Val);
        case Ltype: return Convert<Ltype>(Text, Length, Val);
        case Xtype: return Convert<Xtype>(Text, Length, Val);
        case Wtype: return Convert<Wtype>(Text, Length, Val);
        case Otype: return Convert<Otype>(Text, Length, Val);
        default: return 0;
    }
}

namespace {

// The direct path on a NUL-terminated text. A real is first gathered as a
// plain decimal in the one pass that also finds where the number text goes
// on; only a text that is no exact plain decimal is cut and converted whole.
template <ObjectType Type>
const char* Fast_Number(const char* Text, PINT Val) {
    const char* e = Text;
    if constexpr (Real_Kind(Type)) {
        Plain_Decimal plain;
        // The text's NUL stops the scan, so no bound is needed.
        e = Scan_Plain_While(Text, [](const char*) { return true; }, plain);
        Real_Of<Type> v;
        if (!Num.in[static_cast<unsigned char>(*e)] && Exact_Real(plain, v)) {
            Store(Val, v);
            return e;
        }
    }
    while (Num.in[static_cast<unsigned char>(*e)]) ++e;
    if (e == Text || e - Text > Text_Max) return nullptr;
    if constexpr (Real_Kind(Type)) {
        // The plain decimal was tried above.
        Real_Of<Type> v;
        if (!Fast_Real(Text, e, Type == Dtype, v)) return nullptr;
        Store(Val, v);
        return e;
    } else {
        return Fast_Convert<Type>(Text, e, Val) == 1 ? e : nullptr;
    }
}

}  // namespace

const char* Get_Fast_Number(const char* Text, ObjectType Type, PINT Val) {
    switch (Type) {
        case Ftype: return Fast_Number<Ftype>(Text, Val);
        case Dtype: return Fast_Number<Dtype>(Text, Val);
        case Itype: return Fast_Number<Itype>(Text, Val);
        case Ltype: return Fast_Number<Ltype>(Text, Val);
        default: return nullptr;
    }
}

unsigned char Get_Number(PINT Val, ObjectType Type) {
    switch (Type) {
        case Ftype: return Read_Number<Ftype>(Val);
        case Dtype: return Read_Number<Dtype>(Val);
        case Itype: return Read_Number<Itype>(Val);
        case Ltype: return Read_Number<Ltype>(Val);
        case Ctype: return Read_Number<Ctype>(Val);
        case Stype: return Read_Number<Stype>(Val);
        case Xtype: return Read_Number<Xtype>(Val);
        case Wtype: return Read_Number<Wtype>(Val);
        case Otype: return Read_Number<Otype>(Val);
    }
    return 0;
}

unsigned char Get_Int(PINT Ival) { return Read_Number<Itype>(Ival); }
unsigned char Get_Word(std::uint32_t* Wval) { return Read_Number<Wtype>(reinterpret_cast<PINT>(Wval)); }
unsigned char Get_Long(std::int32_t* Lval) { return Read_Number<Ltype>(Lval); }
unsigned char Get_Hex(std::int32_t* Lval) { return Read_Number<Xtype>(Lval); }
unsigned char Get_Octal(std::int32_t* Lval) { return Read_Number<Otype>(Lval); }
unsigned char Get_Float(float* Fval) { return Read_Number<Ftype>(reinterpret_cast<PINT>(Fval)); }
unsigned char Get_Double(double* Dval) { return Read_Number<Dtype>(reinterpret_cast<PINT>(Dval)); }
