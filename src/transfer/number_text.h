// Text of output values, byte for byte what printf gives with "%1.6g" (a
// float printed as double) and "%1d", without going through printf.
//
// Depths and heights are mostly moderate numbers, so those take a short
// integer path: a float is m * 2^e exactly, and for 2^-14 <= |v| < 1e6 the
// six significant digits come out of one 64-bit product and a shift, rounded
// half to even on the exact binary value as printf does. Everything else
// (zero, subnormals, tiny and huge values, infinities, NaN) goes through
// std::to_chars, which prints like printf in the C locale; the sign of a NaN
// shows as "-nan" in both.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace number_text {

// Longest "%1.6g" text of a float, e.g. "-1.17549e-38".
constexpr size_t Max_Float_Chars = 12;
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

// Text of a value whose sign is already written: `q` holds the six
// significant digits (100000..999999) and `x` the decimal exponent of the
// first one.
inline char* Put_Digits(char* p, uint32_t q, int x) {
    char d[6];
    for (int i = 5; i >= 0; --i) {
        d[i] = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    int n = 6;  // significant digits after dropping trailing zeros
    while (n > 1 && d[n - 1] == '0') --n;

    if (x >= -4 && x < 6) {
        if (x >= 0) {
            int whole = x + 1;
            std::memcpy(p, d, static_cast<size_t>(whole));
            p += whole;
            if (n > whole) {
                *p++ = '.';
                std::memcpy(p, d + whole, static_cast<size_t>(n - whole));
                p += n - whole;
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int i = -1; i > x; --i) *p++ = '0';
            std::memcpy(p, d, static_cast<size_t>(n));
            p += n;
        }
        return p;
    }
    // Only exponents of one digit reach here (-5 and 6).
    *p++ = d[0];
    if (n > 1) {
        *p++ = '.';
        std::memcpy(p, d + 1, static_cast<size_t>(n - 1));
        p += n - 1;
    }
    *p++ = 'e';
    *p++ = x < 0 ? '-' : '+';
    *p++ = '0';
    *p++ = static_cast<char>('0' + (x < 0 ? -x : x));
    return p;
}

}  // namespace detail

// Writes `value` (widened to double) as "%1.6g" would at `p`, which must have
// room for Max_Float_Chars; returns the end of the text.
inline char* Put_Float(char* p, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t biased = (bits >> 23) & 0xFF;
    // Binary exponents -14..19, and below one million.
    if (biased >= 113 && biased <= 146 && (bits & 0x7FFFFFFF) < 0x49742400) {
        if (bits >> 31) *p++ = '-';
        const uint64_t m = (bits & 0x7FFFFF) | 0x800000;  // |value| = m * 2^-s
        const int s = 150 - static_cast<int>(biased);     // 4..37
        const int e2 = static_cast<int>(biased) - 127;
        // floor(e2 * log10(2)): a lower bound of the decimal exponent that is
        // at most one too small.
        int x = (e2 * 78913) >> 18;
        uint64_t scaled = m * detail::Pow10[5 - x];
        uint64_t q = scaled >> s;
        if (q >= 1000000) {
            ++x;
            scaled = m * detail::Pow10[5 - x];
            q = scaled >> s;
        }
        const uint64_t rest = scaled & ((uint64_t{1} << s) - 1);
        const uint64_t half = uint64_t{1} << (s - 1);
        if (rest > half || (rest == half && (q & 1))) ++q;
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
