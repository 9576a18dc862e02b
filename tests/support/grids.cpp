#include "support/grids.h"

#include "core/grd98_header.h"
#include "support/capture.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

namespace {

std::string Encode(uint32_t bits, int bytes, bool big_endian) {
    std::string out(bytes, '\0');
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (big_endian ? bytes - 1 - i : i);
        out[i] = static_cast<char>((bits >> shift) & 0xff);
    }
    return out;
}

}  // namespace

void Sparse_Grid::Write(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot create " + path);
    int64_t end = length;
    auto put = [&](int64_t at, const std::string& bytes) {
        if (fseeko(file, at, SEEK_SET) != 0 || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            throw std::runtime_error("cannot write " + path);
        if (length == 0 && at + int64_t(bytes.size()) > end) end = at + bytes.size();
    };
    for (const auto& [where, value] : cells) {
        uint32_t bits;
        if (float_cells) {
            float f = static_cast<float>(value);
            std::memcpy(&bits, &f, 4);
        } else {
            bits = static_cast<uint32_t>(static_cast<int32_t>(value));
        }
        put(offset + (where.first * row_cells + where.second) * cell_bytes, Encode(bits, cell_bytes, big_endian));
    }
    for (const auto& [at, bytes] : raw) put(at, bytes);
    std::fclose(file);
    if (truncate(path.c_str(), end) != 0) throw std::runtime_error("cannot size " + path);
}

Sparse_Grid Raw_Grid(int64_t header, int64_t row_cells, int64_t rows, int cell_bytes, bool big_endian) {
    Sparse_Grid grid;
    grid.offset = header;
    grid.row_cells = row_cells;
    grid.cell_bytes = cell_bytes;
    grid.float_cells = cell_bytes == 4;
    grid.big_endian = big_endian;
    grid.length = header + rows * row_cells * cell_bytes;
    return grid;
}

std::string Big_Float(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return Encode(bits, 4, true);
}

std::string Little_Float(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return Encode(bits, 4, false);
}

std::string Big_Short(int16_t value) { return Encode(static_cast<uint16_t>(value), 2, true); }

Vtk_File Split_Vtk(const std::string& bytes) {
    Vtk_File vtk;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos) break;
        vtk.header.push_back(bytes.substr(at, end - at));
        at = end + 1;
        if (vtk.header.back().rfind("LOOKUP_TABLE", 0) == 0) break;
    }
    vtk.data = bytes.substr(at);
    return vtk;
}

std::vector<float> Vtk_Floats(const std::string& path) { return Big_Floats(Split_Vtk(Read_File(path)).data); }

std::vector<float> Big_Floats(const std::string& bytes) {
    std::vector<float> out;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t bits = 0;
        for (int b = 0; b < 4; ++b) bits = bits << 8 | static_cast<unsigned char>(bytes[i + b]);
        float f;
        std::memcpy(&f, &bits, 4);
        out.push_back(f);
    }
    return out;
}

std::vector<int16_t> Big_Shorts(const std::string& bytes) {
    std::vector<int16_t> out;
    for (size_t i = 0; i + 2 <= bytes.size(); i += 2)
        out.push_back(static_cast<int16_t>(static_cast<unsigned char>(bytes[i]) << 8 |
                                           static_cast<unsigned char>(bytes[i + 1])));
    return out;
}

int32_t Big_Word(const std::string& bytes, int index) {
    uint32_t word = 0;
    for (int b = 0; b < 4; ++b) word = word << 8 | static_cast<unsigned char>(bytes[4 * index + b]);
    return static_cast<int32_t>(word);
}

std::string Format(const char* format, ...) {
    char text[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Grd98_File(const GRD98_Header& header, const std::vector<double>& cells, bool big_endian) {
    std::string out;
    int32_t words[32];
    std::memcpy(words, &header, sizeof words);
    for (int32_t word : words) out += Encode(static_cast<uint32_t>(word), 4, big_endian);
    for (double value : cells) {
        if (header.Number_Type == -4) {
            float f = static_cast<float>(value);
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            out += Encode(bits, 4, big_endian);
        } else {
            out += Encode(static_cast<uint32_t>(static_cast<int32_t>(value)), header.Number_Type, big_endian);
        }
    }
    return out;
}
