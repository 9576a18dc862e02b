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

// "00" to "99" as 16-bit numbers holding the two characters, the first in
// the low byte.
struct Digit_Pairs {
    uint16_t pair[100] = {};
    constexpr Digit_Pairs() {
        for (int i = 0; i < 100; ++i) pair[i] = static_cast<uint16_t>(('0' + i / 10) | ('0' + i % 10) << 8);
    }
};
inline constexpr Digit_Pairs Pairs;

// Text of a value whose sign is already written: `q` holds the six
// significant digits (100000..999999) and `x` the decimal exponent of the
// first one (-5..6). Writes whole words: `p` needs Float_Room - 1 bytes.
inline char* Put_Digits(char* p, uint32_t q, int x) {
    // The digits as characters in one word, the first in the low byte,
    // padded with '0' to eight. Built in a register: bytes stored one way
    // and loaded another would stall the store forwarding.
    // The three pairs come from q independently of one another.
    const uint64_t word = uint64_t{Pairs.pair[q / 10000]} | uint64_t{Pairs.pair[q / 100 % 100]} << 16 |
                          uint64_t{Pairs.pair[q % 100]} << 32 | uint64_t{0x3030} << 48;
    // Significant digits after dropping trailing zeros: the first is never 0.
    const int n = 8 - (std::countl_zero(word - 0x3030303030303030u) >> 3);
    // Stores the characters of a word in that order.
    auto put = [](char* at, uint64_t w) {
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        std::memcpy(at, &w, 8);
    };

    if (x >= 0 && x < 6) {
        const int whole = x + 1;
        put(p, word);
        if (n <= whole) return p + whole;
        p[whole] = '.';
        put(p + whole + 1, word >> (8 * whole));
        return p + n + 1;
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
    const uint32_t biased = (bits >> 23) & 0xFF;
    // Binary exponents -14..19, and below one million.
    if (biased >= 113 && biased <= 146 && (bits & 0x7FFFFFFF) < 0x49742400) {
        *p = '-';
        p += bits >> 31;
        const uint64_t m = (bits & 0x7FFFFF) | 0x800000;  // |value| = m * 2^-s
        const int s = 150 - static_cast<int>(biased);     // 4..37
        const int e2 = static_cast<int>(biased) - 127;
        // floor(e2 * log10(2)): a lower bound of the decimal exponent that is
        // at most one too small.
        // Settled without branches: on grid data either way is common, and
        // a mispredicted branch costs more than the second product.
        int x = (e2 * 78913) >> 18;
        x += (m * detail::Pow10[5 - x]) >> s >= 1000000;
        const uint64_t scaled = m * detail::Pow10[5 - x];
        uint64_t q = scaled >> s;
        const uint64_t rest = scaled & ((uint64_t{1} << s) - 1);
        const uint64_t half = uint64_t{1} << (s - 1);
        // Up above half, or exactly half with q odd.
        q += rest + (q & 1) > half;
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
