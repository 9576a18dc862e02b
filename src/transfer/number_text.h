// Text of output values, byte for byte what printf gives with "%1.6g" (a
// float printed as double) and "%1d", without going through printf.
//
// Depths and heights are mostly moderate numbers, so those take a short
// integer path: a float is m * 2^e exactly, and for 2^-14 <= |v| < 1e6 the
// six significant digits come out of one 128-bit product of the mantissa and
// a factor from a table, rounded half to even on the exact binary value as
// printf does, and go to characters three at a time from a table, stored a
// whole word at a time. Everything else (zero, subnormals, tiny and huge
// values, infinities, NaN) goes through std::to_chars, which prints like
// printf in the C locale; the sign of a NaN shows as "-nan" in both.
#pragma once

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace number_text {

// Longest "%1.6g" text of a float, e.g. "-1.17549e-38".
constexpr size_t Max_Float_Chars = 12;
// Bytes Put_Float may write at its position: the short path stores whole
// 8-byte words and leaves scratch behind the text it returns.
constexpr size_t Float_Room = 16;
// Longest "%1d" text of a 32-bit int, "-2147483648".
constexpr size_t Max_Int_Chars = 11;

// Writes `value` as "%1d" would at `p`; returns the end of the text.
inline char* Put_Int(char* p, int32_t value) {
    return std::to_chars(p, p + Max_Int_Chars, value).ptr;
}

namespace detail {

constexpr uint64_t Pow10[11] = {1,          10,          100,         1000,
                                10000,      100000,      1000000,     10000000,
                                100000000,  1000000000,  10000000000};

// Short path range: biased binary exponents 113..146 (2^-14 <= |v| < 2^20).
constexpr uint32_t First_Biased = 113;
constexpr uint32_t Last_Biased = 146;

// What the short path needs per binary exponent. The decimal exponent of
// m * 2^(b - 150) (m a full 24-bit mantissa, b a biased exponent) is one of
// two: the lower one, or one more from a mantissa threshold on. `word` holds
// the threshold in its low 40 bits and the lower exponent + 8 above them, so
// one load and one compare settle it without a product. `scale` holds, for
// either exponent x, 10^(5 - x) * 2^(64 - s) with s = 150 - b: the upper half
// of its 128-bit product with m is the value times 10^(5 - x) cut to an
// integer, the lower half the exact rest, so the shift is always 64.
struct Short_Path {
    uint64_t word[Last_Biased - First_Biased + 1] = {};
    uint64_t scale[Last_Biased - First_Biased + 1][2] = {};
    constexpr Short_Path() {
        for (uint32_t b = First_Biased; b <= Last_Biased; ++b) {
            const int e2 = static_cast<int>(b) - 127;  // 2^e2 <= v < 2^(e2 + 1)
            int x = 0;  // floor(log10(2^e2))
            while (e2 >= 0 ? Pow10[x + 1] <= (uint64_t{1} << e2) : false) ++x;
            if (e2 < 0)
                while (Pow10[-x] < (uint64_t{1} << -e2)) --x;  // 10^x <= 2^e2 < 10^(x+1)
            // Smallest m with m * 2^(e2 - 23) >= 10^(x + 1).
            const int shift = 23 - e2;  // 4..37
            uint64_t threshold;
            if (x + 1 >= 0) {
                threshold = Pow10[x + 1] << shift;
            } else {
                const uint64_t d = Pow10[-(x + 1)];
                threshold = ((uint64_t{1} << shift) + d - 1) / d;
            }
            if (threshold > (uint64_t{1} << 24)) threshold = uint64_t{1} << 24;  // never reached
            const uint32_t i = b - First_Biased;
            word[i] = threshold | static_cast<uint64_t>(x + 8) << 40;
            // 5 - x is 0..10 for the values that reach each exponent; one
            // million and more (5 - x = -1) leave the short path before.
            const int left = 64 - (150 - static_cast<int>(b));
            for (int up = 0; up < 2; ++up) {
                if (5 - x - up < 0) continue;
                scale[i][up] = Pow10[5 - x - up] << left;
                // Stops the build should a factor not fit its word.
                if (scale[i][up] >> left != Pow10[5 - x - up]) throw "short path factor overflows";
            }
        }
    }
};
inline constexpr Short_Path Short_Table;

// "000" to "999": the three characters in the low bytes, the first lowest;
// in the top byte how many are left once trailing zeros are dropped, as the
// first three of six digits (low half) and as the last three (high half:
// 3 more, or 0 for "000"), so that the count of six is the larger of two.
struct Digit_Triples {
    uint32_t triple[1000] = {};
    constexpr Digit_Triples() {
        for (uint32_t i = 0; i < 1000; ++i) {
            uint32_t kept = i == 0 ? 0 : 3;
            for (uint32_t k = i; kept > 0 && k % 10 == 0; k /= 10) --kept;
            const uint32_t as_last = kept == 0 ? 0 : kept + 3;
            triple[i] = ('0' + i / 100) | ('0' + i / 10 % 10) << 8 | ('0' + i % 10) << 16 | kept << 24 |
                        as_last << 28;
        }
    }
};
inline constexpr Digit_Triples Triples;

// Text of a value whose sign is already written: `q` holds the six
// significant digits (100000..999999) and `x` the decimal exponent of the
// first one (-5..6). Writes whole words: `p` needs Float_Room - 1 bytes.
inline char* Put_Digits(char* p, uint32_t q, int x) {
    // The digits as characters in one word, the first in the low byte,
    // padded with '0' to eight, from two table entries of three: few steps
    // from the value to the text, so that the work of neighbouring values
    // overlaps.
    const uint32_t high = q / 1000;
    const uint32_t first = Triples.triple[high], last = Triples.triple[q - high * 1000];
    const uint64_t word = (first & 0xFFFFFF) | uint64_t{last & 0xFFFFFF} << 24 | uint64_t{0x3030} << 48;
    // Significant digits after dropping trailing zeros: the first is never 0.
    const int n = static_cast<int>(std::max(first >> 24 & 0xF, last >> 28));
    // Stores the characters of a word in that order.
    auto put = [](char* at, uint64_t w) {
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        std::memcpy(at, &w, 8);
    };

    if (x >= 0 && x < 6) {
        // The whole part, then the point and the rest; without a fraction
        // the point falls behind the end, which saves a branch that grids of
        // whole and broken values would mispredict.
        const int whole = x + 1;
        put(p, word);
        p[whole] = '.';
        put(p + whole + 1, word >> (8 * whole));
        return n <= whole ? p + whole : p + n + 1;
    }
    if (x >= -4 && x < 0) {
        // "0.", the zeros after the point, then the digits.
        put(p, 0x3030303030302E30u);
        put(p + 1 - x, word);
        return p + 1 - x + n;
    }
    // Only exponents of one digit reach here (-5 and 6).
    *p++ = static_cast<char>(word & 0xFF);
    if (n > 1) {
        *p = '.';
        put(p + 1, word >> 8);
        p += n;
    }
    p[0] = 'e';
    p[1] = x < 0 ? '-' : '+';
    p[2] = '0';
    p[3] = static_cast<char>('0' + (x < 0 ? -x : x));
    return p + 4;
}

}  // namespace detail

// Writes `value` (widened to double) as "%1.6g" would at `p`, which must have
// room for Float_Room bytes; returns the end of the text.
inline char* Put_Float(char* p, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t magnitude = bits & 0x7FFFFFFF;
    constexpr uint32_t lowest = detail::First_Biased << 23, million = 0x49742400;
    // 2^-14 <= |value| < 1e6: binary exponents -14..19, one compare for both
    // ends.
    if (magnitude - lowest < million - lowest) {
        const uint32_t biased = magnitude >> 23;
        *p = '-';
        p += bits >> 31;
        const uint64_t m = (bits & 0x7FFFFF) | 0x800000;  // |value| = m * 2^(biased - 150)
        const uint32_t i = biased - detail::First_Biased;
        const uint64_t e = detail::Short_Table.word[i];
        const bool up = m >= (e & 0xFFFFFFFFFFu);
        int x = static_cast<int>(e >> 40) - 8 + up;
        __extension__ using U128 = unsigned __int128;
        const U128 scaled = U128{m} * detail::Short_Table.scale[i][up];
        uint64_t q = static_cast<uint64_t>(scaled >> 64);
        const uint64_t rest = static_cast<uint64_t>(scaled);
        // Rounded half to even on the exact rest: up above half, or at
        // exactly half when q is odd.
        q += (rest | (q & 1)) > uint64_t{1} << 63;
        if (q == 1000000) {
            q = 100000;
            ++x;
        }
        return detail::Put_Digits(p, static_cast<uint32_t>(q), x);
    }
    return std::to_chars(p, p + Max_Float_Chars, static_cast<double>(value),
                         std::chars_format::general, 6)
        .ptr;
}

}  // namespace number_text
