// Value texts must be byte for byte those of printf "%1.6g" (a float printed
// as double) and "%1d".
#include "transfer/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

// Compares a value, its float neighbours and their negatives with printf.
int Mismatches(float v) {
    int bad = 0;
    for (float w : {v, std::nextafter(v, INFINITY), std::nextafter(v, -INFINITY)})
        for (float x : {w, -w}) {
            // The text and its scratch stay within Float_Room.
            char buf[number_text::Float_Room + 1], theirs[64];
            buf[number_text::Float_Room] = '#';
            const std::string ours(buf, number_text::Put_Float(buf, x));
            EXPECT_EQ(buf[number_text::Float_Room], '#');
            std::snprintf(theirs, sizeof theirs, "%1.6g", static_cast<double>(x));
            if (ours != theirs && ++bad < 10)
                ADD_FAILURE() << std::hex << std::bit_cast<uint32_t>(x) << ": " << ours << " vs " << theirs;
        }
    return bad;
}

TEST(NumberText, FloatsAsPrintf) {
    int bad = 0;
    // Zeros, subnormals, smallest and largest, infinities, NaNs of both
    // signs ("-nan"), and the undefined marker.
    for (uint32_t p : {0x0u, 0x1u, 0x400000u, 0x7FFFFFu, 0x800000u, 0x7F7FFFFFu, 0x7F800000u,
                       0x7FC00000u, 0x7F800001u, 0x7FBFFFFFu, 0x56BFBCE4u})
        bad += Mismatches(std::bit_cast<float>(p));
    // Exact halves at the sixth digit round to even, as printf does.
    for (float v : {999999.5f, 100000.5f, 100001.5f, 12345.25f, 123456.5f, 0.5f, 2.5f, 8.5f,
                    9.999995e-5f, 9.9999e-5f, 99999.95f, 1048575.9f, 6.1035156e-05f})
        bad += Mismatches(v);
    // Powers of ten and values a hair beside six-digit rounding points.
    for (int e = -45; e <= 38; ++e)
        for (double d : {1.0, 1.000005, 9.999995, 4.444445, 5.555555, 1.234565})
            bad += Mismatches(static_cast<float>(d * std::pow(10.0, e)));
    // Whole metres, tenths and halves; centimetres as most grids hold them.
    for (float f = 0; f <= 12000; ++f) bad += Mismatches(f) + Mismatches(f * 0.1f) + Mismatches(f + 0.5f);
    for (int c = 0; c < 1000000; c += 7) bad += Mismatches(static_cast<float>(c / 100.0));
    // Six digits are put together from two groups of three: every group in
    // either place, with every count of trailing zeros, at several places of
    // the point.
    for (int high = 100; high < 1000; ++high)
        for (int low = 0; low < 1000; ++low) {
            if (low % 111 != 0 && high % 111 != 1) continue;
            for (double scale : {1e-5, 1e-2, 1.0})
                bad += Mismatches(static_cast<float>((high * 1000 + low) * scale));
        }
    // Every binary exponent of the short path, each with the shortest and
    // longest mantissa and random ones between.
    std::mt19937 spread(7);
    for (uint32_t e = 112; e <= 147; ++e)
        for (int i = 0; i < 3000; ++i)
            bad += Mismatches(std::bit_cast<float>(e << 23 | (i < 2 ? i * 0x7FFFFFu : uint32_t(spread()) & 0x7FFFFF)));
    // Random bit patterns, over all floats and evenly over the exponents
    // around the fixed-notation range.
    std::mt19937 gen(20240607);
    std::uniform_int_distribution<uint32_t> bits, mantissa(0, 0x7FFFFF);
    for (int i = 0; i < 200000; ++i) {
        bad += Mismatches(std::bit_cast<float>(bits(gen)));
        bad += Mismatches(std::bit_cast<float>((100u + i % 60) << 23 | mantissa(gen)));
    }
    EXPECT_EQ(bad, 0);
}

TEST(NumberText, IntegersAsPrintf) {
    char ours[16], theirs[16];
    for (int64_t v = -32768; v <= 32767 + 4; ++v) {
        const auto i = v <= 32767 ? static_cast<int32_t>(v) : (v & 1 ? INT32_MIN : INT32_MAX);
        *number_text::Put_Int(ours, i) = '\0';
        std::snprintf(theirs, sizeof theirs, "%1d", i);
        ASSERT_STREQ(ours, theirs);
    }
}

}  // namespace
