// The value texts must be byte for byte those of printf "%1.6g" (float as
// double) and "%1d".
#include "transfer/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Ours(float v) {
    char buf[number_text::Max_Float_Chars + 1];
    char* end = number_text::Put_Float(buf, v);
    EXPECT_LE(static_cast<size_t>(end - buf), number_text::Max_Float_Chars);
    return std::string(buf, end);
}

std::string Printf(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%1.6g", static_cast<double>(v));
    return buf;
}

// Compares a value and its float neighbours, both signs.
int Mismatches(float v) {
    int bad = 0;
    for (float w : {v, std::nextafter(v, INFINITY), std::nextafter(v, -INFINITY)}) {
        for (float x : {w, -w}) {
            if (Ours(x) != Printf(x)) {
                if (++bad < 10)
                    ADD_FAILURE() << std::hex << std::bit_cast<uint32_t>(x) << ": "
                                  << Ours(x) << " vs " << Printf(x);
            }
        }
    }
    return bad;
}

TEST(NumberText, SpecialValuesAsPrintf) {
    const uint32_t patterns[] = {
        0x00000000, 0x80000000,  // zeros
        0x7F800000, 0xFF800000,  // infinities
        0x7FC00000, 0xFFC00000, 0x7F800001, 0xFFFFFFFF, 0x7FBFFFFF,  // NaNs
        0x00000001, 0x807FFFFF, 0x00400000,  // subnormals
        0x00800000, 0x7F7FFFFF, 0xFF7FFFFF,  // smallest normal, largest
        0x56BFBCE4,                          // the undefined marker
    };
    for (uint32_t p : patterns) {
        const float v = std::bit_cast<float>(p);
        EXPECT_EQ(Ours(v), Printf(v)) << std::hex << p;
    }
    EXPECT_EQ(Ours(-0.0f), "-0");
    EXPECT_EQ(Ours(std::bit_cast<float>(0xFFC00000u)), "-nan");
}

TEST(NumberText, RoundingBoundariesAsPrintf) {
    int bad = 0;
    // Exact halves at the sixth digit round to even, as printf does.
    for (float v : {999999.5f, 100000.5f, 100001.5f, 12345.25f, 0.5f, 2.5f, 1.0009765625f,
                    9.999995e-5f, 9.9999e-5f, 1e-4f, 99999.95f, 999999.4f, 1e6f, 1e-5f,
                    6.1035156e-05f, 1048575.9f, 123456.5f, 8.5f})
        bad += Mismatches(v);
    // Powers of ten and values a hair beside each six-digit rounding point.
    for (int e = -45; e <= 38; ++e) {
        bad += Mismatches(static_cast<float>(std::pow(10.0, e)));
        for (double d : {1.000005, 9.999995, 4.444445, 5.555555, 1.234565})
            bad += Mismatches(static_cast<float>(d * std::pow(10.0, e)));
    }
    // Whole numbers and tenths, the usual depths and heights.
    for (int i = -12000; i <= 12000; ++i) {
        bad += Mismatches(static_cast<float>(i));
        bad += Mismatches(static_cast<float>(i) * 0.1f);
        bad += Mismatches(static_cast<float>(i) + 0.5f);
    }
    EXPECT_EQ(bad, 0);
}

TEST(NumberText, RandomBitPatternsAsPrintf) {
    std::mt19937 gen(20240607);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_int_distribution<uint32_t> mantissa(0, 0x7FFFFF);
    int bad = 0;
    for (int i = 0; i < 400000; ++i) {
        const float any = std::bit_cast<float>(bits(gen));
        // Also every exponent near the fixed-notation range, evenly.
        const uint32_t biased = 100 + static_cast<uint32_t>(i % 60);
        const float near = std::bit_cast<float>(biased << 23 | mantissa(gen) |
                                                (i & 1 ? 0x80000000u : 0));
        for (float v : {any, near}) {
            if (Ours(v) != Printf(v) && ++bad < 10)
                ADD_FAILURE() << std::hex << std::bit_cast<uint32_t>(v) << ": " << Ours(v)
                              << " vs " << Printf(v);
        }
    }
    EXPECT_EQ(bad, 0);
}

TEST(NumberText, IntegersAsPrintf) {
    char ours[16], theirs[16];
    std::vector<int32_t> values = {INT32_MIN, INT32_MAX, -1000000, 1000000};
    for (int32_t i = -32768; i <= 32767; ++i) values.push_back(i);
    for (int32_t v : values) {
        *number_text::Put_Int(ours, v) = '\0';
        std::snprintf(theirs, sizeof theirs, "%1d", v);
        ASSERT_STREQ(ours, theirs);
    }
}

}  // namespace
