// Generated test grids: global datasets as sparse files with a few known
// cells, and readers of the converter's outputs.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A raw grid file: `offset` header bytes, then rows of `row_cells` cells of
// `cell_bytes` bytes. Only the cells set are written; the rest is a hole
// that reads as zero.
struct Sparse_Grid {
    int64_t offset = 0;
    int64_t row_cells = 0;
    int cell_bytes = 2;
    bool big_endian = true;
    int64_t length = 0;  // file length; 0: up to the last cell set
    std::map<std::pair<int64_t, int64_t>, double> cells;  // (stored row, stored column)
    std::vector<std::pair<int64_t, std::string>> raw;     // extra bytes at a position
    bool float_cells = false;

    void Set(int64_t row, int64_t column, double value) { cells[{row, column}] = value; }
    void Write(const std::string& path) const;
};

// The stored layout of a raw global grid: `header` bytes, then `rows` rows
// of `row_cells` cells of `cell_bytes` bytes (4: floats); the file ends with
// the last row.
Sparse_Grid Raw_Grid(int64_t header, int64_t row_cells, int64_t rows, int cell_bytes, bool big_endian);
inline Sparse_Grid Etopo2_Grid() { return Raw_Grid(0, 10800, 5400, 2, false); }
inline Sparse_Grid Blend_Grid() { return Raw_Grid(0, 21600, 10800, 2, true); }

// The float marker of undefined cells in float output.
constexpr float kFloatNaN = 1.05409E+14f;

// Encodings of cells in either byte order.
std::string Big_Float(float value);
std::string Little_Float(float value);
std::string Big_Short(int16_t value);

// A VTK output split into its header lines and its data block.
struct Vtk_File {
    std::vector<std::string> header;
    std::string data;
};
Vtk_File Split_Vtk(const std::string& bytes);
// The cells of a binary VTK file of floats.
std::vector<float> Vtk_Floats(const std::string& path);

// Decodes a big-endian float or 2-byte block.
std::vector<float> Big_Floats(const std::string& bytes);
std::vector<int16_t> Big_Shorts(const std::string& bytes);
// Word `index` of a block of big-endian 32-bit words, such as a GRD98 header.
int32_t Big_Word(const std::string& bytes, int index);

// printf-style text, for expected lines built from the rules.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

struct GRD98_Header;
// A GRD98 file: the header and the cells (rows north first) in the byte
// order asked for, each cell in the header's number type.
std::string Grd98_File(const GRD98_Header& header, const std::vector<double>& cells, bool big_endian);
