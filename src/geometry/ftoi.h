// The converter's rounding of a double to a 32-bit int: halves of positive
// values round up, halves of negative values toward zero.
#pragma once

#include <cstdint>

// Truncation toward zero of a double to 32 bits. Values out of range give
// INT32_MIN, as the processor's own conversion does, instead of undefined
// behaviour.
inline int32_t trunc32(double value) {
    if (!(value < 2147483648.0) || !(value > -2147483649.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

inline int32_t ftoi(double value) {
    if (value > 0) return trunc32(value + 0.5);
    if (value < 0) {
        int32_t magnitude = trunc32(0.4999999999 - value);
        return magnitude == INT32_MIN ? INT32_MIN : -magnitude;
    }
    return 0;  // zero, and not a number
}
