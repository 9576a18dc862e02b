// Writes a small demonstration input: an ETOPO2-shaped global grid (10800 x
// 5400 little-endian 2-byte cells) as a sparse file, with a seamount rising
// from a 4000 m deep basin between 0°E..20°E and 45°N..65°N. Everything else
// reads as 0.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <etopo2-file>\n", argv[0]);
        return 1;
    }
    constexpr int columns = 10800, rows = 5400, per_degree = 30;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const int west = (0 + 180) * per_degree, east = (20 + 180) * per_degree;
    const int north = (90 - 65) * per_degree, south = (90 - 45) * per_degree;
    std::vector<int16_t> cells(east - west);
    for (int row = north; row < south; ++row) {
        for (int column = west; column < east; ++column) {
            const double x = (column - west) / double(per_degree) - 10;
            const double y = (row - north) / double(per_degree) - 10;
            const double r2 = x * x + y * y;
            cells[column - west] = static_cast<int16_t>(std::lround(-4000 + 4300 * std::exp(-r2 / 8)));
        }
        const long offset = (long(row) * columns + west) * 2;
        if (std::fseek(out, offset, SEEK_SET) != 0 ||
            std::fwrite(cells.data(), 2, cells.size(), out) != cells.size()) {
            std::perror(argv[1]);
            return 1;
        }
    }
    // The file is as long as the grid; the rest stays a hole.
    if (std::fseek(out, long(columns) * rows * 2 - 2, SEEK_SET) != 0 || std::fputc(0, out) == EOF ||
        std::fputc(0, out) == EOF || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
