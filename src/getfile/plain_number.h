// The grid value of text grids ("-1234.56"), converted eight characters at
// a time: the number reader's direct path for the commonest text, inline for
// scanners of long runs of numbers.
//
// A text of an optional sign, at most seven digits, and optionally a point
// and at most seven more digits, whose digits make a mantissa of at most
// 2^24, is m / 10^k with both parts exact in a float: the one division gives
// the correctly rounded value, the value the C conversion gives. Every other
// text is left to the caller (Get_Fast_Number, then Get_Number).
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace plain_number {

// Readable bytes a caller must have from the start of the text on, line end
// and NUL included: whole words are loaded, and what stands behind the end of
// the text never changes the result.
constexpr int Lookahead = 17;

inline std::uint64_t Load8(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w;  // the first character in the low byte
}

// The high bit of every byte of w that is no decimal digit. Bytes above
// 0x89 carry into the next byte, so bytes behind the first marked one may
// be marked wrongly: only the first mark counts.
inline std::uint64_t Non_Digits(std::uint64_t w) {
    const std::uint64_t x = w ^ 0x3030303030303030u;  // digits become 0..9
    return (x | (x + 0x7676767676767676u)) & 0x8080808080808080u;
}

// The value of the first n (0..7) characters of w, all digits.
inline std::uint32_t Digits_Value(std::uint64_t w, int n) {
    // The digits move to the top, behind leading zeros: eight digits then.
    std::uint64_t v = ((w - 0x3030303030303030u) << (56 - 8 * n)) << 8;
    v = v * 10 + (v >> 8);  // pairs
    v = ((v & 0x000000FF000000FFu) * 0x000F424000000064u +
         ((v >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u) >> 32;
    return static_cast<std::uint32_t>(v);
}

inline constexpr std::uint32_t Pow10[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
inline constexpr float Ten[8] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};

// m / 10^k, correctly rounded, for m <= 2^24 and k <= 7.
inline float Scaled(std::uint64_t mantissa, int k, bool negative) {
    const float v = static_cast<float>(mantissa) / Ten[k];
    // The sign goes in as a bit: grid values change sign at random, and a
    // mispredicted branch costs more than the whole conversion.
    return std::bit_cast<float>(std::bit_cast<std::uint32_t>(v) | std::uint32_t{negative} << 31);
}

// Digits, a point and digits within the eight characters at p (the usual
// "1234.56"): the point is taken out and all digits are read at once.
// Null when the characters are anything else.
inline const char* Short_Decimal(const char* p, bool negative, float* value) {
    const std::uint64_t w = Load8(p);
    const std::uint64_t marks = Non_Digits(w);
    const int point = std::countr_zero(marks) >> 3;  // 8: no mark
    if (point == 8 || ((w >> (8 * point)) & 0xFF) != '.') return nullptr;
    // A point carries into no other byte, so the next mark is the true end.
    const std::uint64_t behind = marks & (marks - 1);
    const int end = std::countr_zero(behind) >> 3;
    if (behind == 0 || end < 2) return nullptr;
    const std::uint64_t below = (std::uint64_t{1} << (8 * point)) - 1;
    const std::uint64_t digits = (w & below) | ((w >> 8) & ~below);
    *value = Scaled(Digits_Value(digits, end - 1), end - point - 1, negative);
    return p + end;
}

// Converts the plain decimal at `text` and returns the character behind it,
// or null (nothing stored) when the text is no such number. The caller
// judges the character behind: "1.5e3" gives 1.5 and leaves "e3".
inline const char* Get_Plain_Float(const char* text, float* value) {
    const bool negative = *text == '-';
    const char* p = text + (negative || *text == '+');
    if (const char* end = Short_Decimal(p, negative, value)) return end;
    const std::uint64_t w1 = Load8(p);
    const std::uint64_t m1 = Non_Digits(w1);
    if (m1 == 0) return nullptr;  // eight digits or more before the point
    const int n1 = std::countr_zero(m1) >> 3;
    std::uint64_t mantissa = Digits_Value(w1, n1);
    p += n1;
    int n2 = 0;
    if (*p == '.') {
        const std::uint64_t w2 = Load8(p + 1);
        const std::uint64_t m2 = Non_Digits(w2);
        if (m2 == 0) return nullptr;
        n2 = std::countr_zero(m2) >> 3;
        mantissa = mantissa * Pow10[n2] + Digits_Value(w2, n2);
        p += 1 + n2;
    }
    if (n1 + n2 == 0 || mantissa > (std::uint64_t{1} << 24)) return nullptr;
    *value = Scaled(mantissa, n2, negative);
    return p;
}

}  // namespace plain_number
