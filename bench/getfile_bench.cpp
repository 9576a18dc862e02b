// Reading speed of a text grid through Get_Line and Get_Float.
//
// Writes a grid of at least 100 MB of float values (13 to a line, as the
// converter writes ASCII grids) into a temporary file, reads it several times
// and reports the best rate. For comparison, the first part of the same file
// is read the plain way: a bounded line read and sscanf("%f%s") per value.
//
// Usage: getfile_bench [megabytes] [runs]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>

#include "extract.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Temp_File {
    std::string path;
    ~Temp_File() {
        if (!path.empty()) std::remove(path.c_str());
    }
};

struct Totals {
    long values = 0;
    double sum = 0;
};

long Write_Grid(const std::string& path, long megabytes, Totals& expected) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return -1;
    std::mt19937_64 rng(20240607);
    std::uniform_int_distribution<long> milli(-11000000, 9000000);
    const long target = megabytes * 1000000;
    long bytes = 0;
    char line[512];
    char value[32];
    while (bytes < target) {
        int n = 0;
        for (int k = 0; k < 13; ++k) {
            const int w = std::snprintf(value, sizeof value, "%.3f", static_cast<double>(milli(rng)) / 1000.0);
            // What a reader must get back is the value of the printed text.
            expected.sum += std::strtof(value, nullptr);
            ++expected.values;
            if (k) line[n++] = ' ';
            std::memcpy(line + n, value, static_cast<std::size_t>(w));
            n += w;
        }
        line[n++] = '\n';
        std::fwrite(line, 1, static_cast<std::size_t>(n), f);
        bytes += n;
    }
    std::fclose(f);
    return bytes;
}

Totals Read_Getfile(const std::string& path) {
    Totals t;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr || !Get_Open(f)) std::exit(2);
    float v;
    while (Get_Line() != nullptr) {
        while (Get_Float(&v)) {
            t.sum += v;
            ++t.values;
        }
    }
    Get_Close();
    std::fclose(f);
    return t;
}

// The plain way, over the first `limit` bytes of the file.
Totals Read_Sscanf(const std::string& path, long limit, long& bytes) {
    Totals t;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) std::exit(2);
    char line[65536];
    char rest[513];
    bytes = 0;
    while (bytes < limit && std::fgets(line, sizeof line, f) != nullptr) {
        bytes += static_cast<long>(std::strlen(line));
        for (char* item = std::strtok(line, " \n"); item; item = std::strtok(nullptr, " \n")) {
            float v;
            rest[0] = '\0';
            if (std::sscanf(item, "%f%s", &v, rest) == 1) {
                t.sum += v;
                ++t.values;
            }
        }
    }
    std::fclose(f);
    return t;
}

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 100;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

    Temp_File grid;
    char name[] = "/tmp/getfile_bench_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        std::perror("mkstemp");
        return 1;
    }
    close(fd);
    grid.path = name;

    Totals expected;
    const long bytes = Write_Grid(grid.path, megabytes, expected);
    if (bytes < 0) {
        std::perror(grid.path.c_str());
        return 1;
    }
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("grid: %.1f MB, %ld values\n", mb, expected.values);

    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto a = Clock::now();
        const Totals got = Read_Getfile(grid.path);
        const double s = Seconds(a, Clock::now());
        if (got.values != expected.values || got.sum != expected.sum) {
            std::fprintf(stderr, "read back %ld values (sum %.17g), expected %ld (sum %.17g)\n",
                         got.values, got.sum, expected.values, expected.sum);
            return 1;
        }
        std::printf("run %d: %.3f s, %.1f MB/s, %.1f M values/s\n", r + 1, s, mb / s,
                    static_cast<double>(got.values) / s / 1e6);
        if (s < best) best = s;
    }

    long base_bytes = 0;
    const auto a = Clock::now();
    const Totals base = Read_Sscanf(grid.path, 16000000, base_bytes);
    const double base_s = Seconds(a, Clock::now());
    const double base_rate = static_cast<double>(base_bytes) / 1e6 / base_s;

    std::printf("Get_Line/Get_Float best of %d: %.1f MB/s (%.1f M values/s)\n", runs, mb / best,
                static_cast<double>(expected.values) / best / 1e6);
    std::printf("fgets/sscanf baseline (first %.0f MB): %.1f MB/s (%.2f M values/s)\n",
                static_cast<double>(base_bytes) / 1e6, base_rate,
                static_cast<double>(base.values) / base_s / 1e6);
    std::printf("ratio: %.1fx\n", mb / best / base_rate);
    return 0;
}
