// Byte reversal of 2- and 4-byte values in place. The bytes are moved through
// a copy, never through a cast pointer, so any alignment is fine.
#pragma once

#include <cstdint>
#include <cstring>

inline void Swap2(void* value) {
    uint16_t v;
    std::memcpy(&v, value, 2);
    v = __builtin_bswap16(v);
    std::memcpy(value, &v, 2);
}

inline void Swap4(void* value) {
    uint32_t v;
    std::memcpy(&v, value, 4);
    v = __builtin_bswap32(v);
    std::memcpy(value, &v, 4);
}
