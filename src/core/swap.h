// Byte reversal of 2- and 4-byte values in place. The bytes are moved through
// a copy, never through a cast pointer, so any alignment is fine.
#pragma once

#include <cstddef>
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

// Four 4-byte values in one vector register, and their byte reversal,
// written out with shifts, which vector code has on every x86-64.
typedef uint32_t Word_Lanes __attribute__((vector_size(16)));

inline Word_Lanes Swap_Lanes(Word_Lanes x) {
    x = ((x & 0x00FF00FFu) << 8) | ((x >> 8) & 0x00FF00FFu);
    return (x << 16) | (x >> 16);
}

// Byte reversal of `cells` cells of 2 or 4 bytes from `from` to `to`, which
// may be the same place; 4-byte cells four at a time.
inline void Swap_Cells(void* to, const void* from, size_t cells, int cell_bytes) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    if (cell_bytes == 2) {
        for (size_t c = 0; c < cells; ++c) {
            uint16_t v;
            std::memcpy(&v, in + 2 * c, 2);
            v = __builtin_bswap16(v);
            std::memcpy(out + 2 * c, &v, 2);
        }
        return;
    }
    size_t c = 0;
    for (; c + 4 <= cells; c += 4) {
        Word_Lanes x;
        std::memcpy(&x, in + 4 * c, sizeof x);
        x = Swap_Lanes(x);
        std::memcpy(out + 4 * c, &x, sizeof x);
    }
    for (; c < cells; ++c) {
        uint32_t v;
        std::memcpy(&v, in + 4 * c, 4);
        v = __builtin_bswap32(v);
        std::memcpy(out + 4 * c, &v, 4);
    }
}
