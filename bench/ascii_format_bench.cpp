// Text output speed: the converter's value text against snprintf, alone and
// through a whole row conversion with separators. Prints values per second,
// best of several runs.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "transfer/number_text.h"
#include "transfer/value_rules.h"

namespace {

constexpr int Runs = 7;

// Values as they come from bathymetry grids: whole metres, tenths, floats
// of any kind, small fractions (logarithms, scaled values) and some
// undefined cells.
std::vector<float> Realistic_Floats(size_t n) {
    std::mt19937 gen(42);
    std::uniform_int_distribution<int> pick(0, 99), metres(-11000, 8000);
    std::uniform_real_distribution<float> any(-6000, 6000), small(0, 1);
    std::vector<float> v(n);
    for (float& x : v) {
        const int p = pick(gen);
        if (p < 40) x = static_cast<float>(metres(gen));
        else if (p < 70) x = static_cast<float>(metres(gen)) * 0.1f;
        else if (p < 90) x = any(gen);
        else if (p < 95) x = small(gen);
        else x = 3.4028235e38f;  // undefined
    }
    return v;
}

template <typename F>
double Best_Rate(size_t n, F&& body) {
    double best = 0;
    for (int r = 0; r < Runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        body();
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        best = std::max(best, static_cast<double>(n) / s);
    }
    return best;
}

volatile size_t Sink;

}  // namespace

int main() {
    const size_t n = size_t{1} << 21;
    const std::vector<float> floats = Realistic_Floats(n);
    std::vector<int16_t> shorts(n);
    for (size_t i = 0; i < n; ++i) shorts[i] = static_cast<int16_t>(floats[i] < 32767 ? floats[i] : -32768);
    std::vector<char> out(n * 40);

    const double ours = Best_Rate(n, [&] {
        char* p = out.data();
        for (float v : floats) p = number_text::Put_Float(p, v);
        Sink = static_cast<size_t>(p - out.data());
    });
    const double theirs = Best_Rate(n, [&] {
        size_t len = 0;
        for (float v : floats) len += std::snprintf(out.data() + len, 32, "%1.6g", static_cast<double>(v));
        Sink = len;
    });

    // A whole ESRI ASCII row conversion of float cells, separators included.
    RunState run;  // a float global dataset: FLT_MAX cells are undefined
    run.Srtm30 = 1;
    run.FloatInp = 1;
    run.Ascii = 1;
    run.ESRIout = 1;
    Settle_Output_Defaults(run);
    const size_t row = 43200;
    size_t text_bytes = 0;
    const double rows = Best_Rate(n, [&] {
        Cell_Converter conv(run);
        size_t len = 0;
        for (size_t i = 0; i + row <= n; i += row) {
            len = conv.Convert(floats.data() + i, row, out.data());
            conv.End_Row();
        }
        Sink = len;
        text_bytes = len;
    });
    const double rows_printf = Best_Rate(n, [&] {
        int k = 0;
        size_t len = 0;
        for (size_t i = 0; i + row <= n; i += row) {
            len = 0;
            for (size_t j = i; j < i + row; ++j) {
                out[len++] = ++k == 13 ? (k = 0, '\n') : ' ';
                const float v = floats[j];
                if (v == 3.4028235e38f) {
                    std::memcpy(out.data() + len, "-32768", 6);
                    len += 6;
                } else {
                    len += std::snprintf(out.data() + len, 32, "%1.6g", static_cast<double>(v));
                }
            }
            k = 12;
        }
        Sink = len;
    });

    // 2-byte cells as "%1d".
    RunState ints;
    ints.VTKin = 1;
    ints.Ascii = 1;
    ints.ShortOut = 1;
    Settle_Output_Defaults(ints);
    const double int_rows = Best_Rate(n, [&] {
        Cell_Converter conv(ints);
        size_t len = 0;
        for (size_t i = 0; i + row <= n; i += row) {
            len = conv.Convert(shorts.data() + i, row, out.data());
            conv.End_Row();
        }
        Sink = len;
    });
    const double int_printf = Best_Rate(n, [&] {
        size_t len = 0;
        for (size_t i = 0; i + row <= n; i += row) {
            len = 0;
            for (size_t j = i; j < i + row; ++j) {
                out[len++] = ' ';
                len += std::snprintf(out.data() + len, 16, "%1d", shorts[j]);
            }
        }
        Sink = len;
    });

    std::printf("values per second, best of %d runs over %zu values\n", Runs, n);
    std::printf("  float text alone:      %7.1f M/s   snprintf %%1.6g: %6.1f M/s  (x%.1f)\n",
                ours / 1e6, theirs / 1e6, ours / theirs);
    std::printf("  float rows to ASCII:   %7.1f M/s   snprintf loop:  %6.1f M/s  (x%.1f)\n",
                rows / 1e6, rows_printf / 1e6, rows / rows_printf);
    std::printf("  2-byte rows to ASCII:  %7.1f M/s   snprintf %%1d:   %6.1f M/s  (x%.1f)\n",
                int_rows / 1e6, int_printf / 1e6, int_rows / int_printf);
    std::printf("  (last row: %zu bytes of text)\n", text_bytes);
    return 0;
}
