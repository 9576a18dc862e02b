// The kinds of stored cell: what the readers leave in the input and the row
// transfer hands to the value rules, in host byte order.
#pragma once

#include <cstdint>

enum class CellType : uint8_t {
    Short,       // 2-byte integer
    Float,       // 4-byte float
    Grd98Short,  // 2-byte GRD98 integer decoded on the float path
    Grd98Long,   // 4-byte GRD98 integer decoded on the float path
};

// Bytes of one stored cell of that type.
inline int Cell_Bytes(CellType type) {
    return type == CellType::Short || type == CellType::Grd98Short ? 2 : 4;
}
