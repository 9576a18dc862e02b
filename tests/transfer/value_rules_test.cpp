// Value rule combinations the end-to-end tests cannot tell apart: the order of
// the rules, rounding at halves, 16-bit wraps, undefined slots and defaults.
#include "transfer/value_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/ftoi.h"
#include "support/grids.h"

namespace {

// Converts one row given as plain numbers in the run's input cell type;
// binary output comes back as numbers separated by blanks.
std::string Row(RunState& run, const std::vector<double>& values) {
    const CellType type = Input_Cell_Type(run);
    std::string cells;
    auto put = [&](auto cell) { cells.append(reinterpret_cast<const char*>(&cell), sizeof cell); };
    for (double v : values)
        type == CellType::Float ? put(float(v)) : type == CellType::Grd98Long ? put(int32_t(v)) : put(int16_t(v));
    Cell_Converter conv(run);
    std::string out(values.size() * conv.Max_Cell_Bytes(), '\0');
    out.resize(conv.Convert(cells.data(), values.size(), out.data()));
    conv.Finish();
    if (run.Ascii || run.Check) return out;
    std::string text;
    if (run.ShortOut) for (int16_t i : Big_Shorts(out)) text += Format(" %d", i);
    else for (float f : Big_Floats(out)) text += Format(" %.9g", static_cast<double>(f));
    return text.substr(text.empty() ? 0 : 1);
}

#define SET(...) [](RunState& r) { __VA_ARGS__; }
void Global(RunState& r) { r.VTKin = 0, r.Gebco = 1; }
void Grd98(RunState& r, int32_t type, int32_t empty) {
    r.VTKin = 0, r.GRD98in = 1;
    r.GRD98_Inp_Header.Number_Type = type, r.GRD98_Inp_Header.Empty_Grid_Cell_Value = empty;
}
void Esri(RunState& r) { r.VTKin = 0, r.ESRIin = 1, r.Fundef[0] = -9999; }  // nodata -9999
void X(RunState& r, float v) {  // one -x value, stored as the command line does
    r.Fundef[r.Nundef] = v, r.Iundef[r.Nundef] = static_cast<int16_t>(static_cast<int>(v));
    r.Nundef = std::min(r.Nundef + 1, 3);
}

TEST(ValueRules, FtoiRoundsHalvesUpAboveZeroAndTowardZeroBelow) {
    const double in[] = {2.5, -2.5, -2.5000000002, -2.50000000005, 0.49999, -0.6, 0.5, -0.5, 0, NAN};
    const int32_t out[] = {3, -2, -3, -2, 0, -1, 1, 0, 0, 0};
    for (size_t i = 0; i < std::size(in); ++i) EXPECT_EQ(ftoi(in[i]), out[i]) << in[i];
}

TEST(ValueRules, CellChains) {
    // Each run is settled as from run step 7 on, VTK input unless changed.
    struct Case {
        const char* what;
        void (*prepare)(RunState&);
        std::vector<double> in;
        const char* out;
    } cases[] = {
        // -m inverts VTK input; a float zero keeps its sign.
        {"vtk -m", SET(r.Minus = 1), {-4000, 1200}, "4000 -1200"},
        {"vtk -m float", SET(r.Minus = r.FloatInp = 1), {-2.5, 0}, "2.5 0"},
        // A value the sign change makes undefined is written as undefined.
        {"-m onto -x text", SET(X(r, -9999), r.Minus = r.FloatInp = r.Ascii = 1), {9999, -9999, 3},
         " 1.05409E+14 1.05409E+14 -3"},
        // Zero rule after the sign; -zz makes the cell undefined.
        {"-z", SET(r.Zero = 1), {-5, 0, 7}, "-5 0 0"},
        {"-z -m", SET(r.Zero = r.Minus = 1), {-5, 7}, "5 0"},
        {"-mmz", SET(r.Zero = r.Altitudes = 1), {-5, 7}, "0 7"},
        {"-zz", SET(r.Zero = r.Zero2 = 1), {-5, 7}, "-5 1.05409e+14"},
        {"global -z", SET(Global(r), r.Zero = 1), {-40, 12}, "0 -12"},
        // Undefined input comes before every rule; a zero hit skips the scale.
        {"-x before -z", SET(X(r, 7), r.Zero = r.Ascii = 1), {7, 8}, " 1.05409E+14 0"},
        {"-zz skips scale", SET(r.Zero = r.Zero2 = r.Ascii = r.ShortOut = 1, r.Scale = 2), {5, -5}, " -32768 -10"},
        // Scale, and logarithms of zero and of negatives.
        {"scale short", SET(r.Scale = 0.5f, r.ShortOut = 1), {3, -3}, "2 -1"},
        {"scale float", SET(r.Scale = 0.5f), {3}, "1.5"},
        {"log10 text", SET(r.LogBase = 10, r.Ascii = r.ShortOut = 1), {999, -50, 0, 1, 5000}, " 2 -1 -32768 0 3"},
        {"log10 float", SET(r.LogBase = 10, r.FloatInp = r.Ascii = 1), {999, -100, 0}, " 2.99957 -2 1.05409E+14"},
        {"log2 float", SET(r.LogBase = 2, r.FloatInp = 1), {8, -0.25}, "3 2"},
        // Float input to integers: ftoi (text or binary), or halves toward
        // zero with the sign change of a global dataset; 16 bits kept.
        {"-i text", SET(r.FloatInp = r.Ascii = r.Ioption = r.ShortOut = 1), {-100.0, 2.5, -2.5}, " -100 3 -2"},
        {"float to short", SET(r.FloatInp = r.ShortOut = 1), {-2.5, 2.5, 40000}, "-2 3 -25536"},
        {"global float -i -m", SET(Global(r), r.FloatInp = r.ShortOut = r.Minus = 1), {-100.5, 100.7}, "-100 101"},
        {"wrap scale", SET(r.Scale = 2, r.ShortOut = r.Ascii = 1), {20000}, " -25536"},
        {"-x 40000", SET(Global(r), X(r, 40000), r.Ascii = r.ShortOut = 1), {-25536, -32768, 0}, " -32768 -32768 0"},
        {"-x 40000 float", SET(Global(r), X(r, 40000), r.FloatInp = r.ShortOut = 1), {40000, -4}, "-32768 4"},
        // Float input to GRD98 or ESRI output stays float, except from VTK.
        {"esri float -i", SET(r.VTKin = 0, r.ESRIin = r.ESRIout = r.FloatInp = r.ShortOut = 1), {2.5}, "2.5"},
        {"vtk float -i to grd98", SET(r.GRD98out = r.FloatInp = r.ShortOut = 1), {2.5}, "3"},
        // A 4-byte GRD98 empty value is undefined whatever the output.
        {"grd98 4-byte to vtk", SET(Grd98(r, 4, 100000), r.FloatInp = 1), {100000, 99999}, "1.05409e+14 99999"},
        // -x values beside the format's own undefined value.
        {"vtk two -x", SET(X(r, -9999), X(r, 5), r.ShortOut = 1, r.Oundef = -1), {-9999, 5, -32768, 6}, "-1 -1 -1 6"},
        {"vtk two -x float", SET(X(r, -9999), X(r, 5), r.FloatInp = 1), {-9999, 5, 1.05409E+14, 3.4028235e+38, 6},
         "1.05409e+14 1.05409e+14 1.05409e+14 3.40282347e+38 6"},
        // Only 2-byte input to 2-byte output keeps Iundef[0] from the zero rule.
        {"guard", SET(Global(r), X(r, 9999), r.Zero = r.ShortOut = 1, r.Oundef = -1), {-9999, -5}, "-1 0"},
        {"no guard", SET(Global(r), X(r, 9999), r.Zero = r.Ascii = r.ShortOut = 1), {-9999, -5}, " 0 0"},
    };
    for (const Case& c : cases) {
        RunState run;
        run.VTKin = 1;
        c.prepare(run);
        Settle_ShortOut(run);
        Settle_Output_Defaults(run);
        EXPECT_EQ(Row(run, c.in), c.out) << c.what;
    }
}

TEST(ValueRules, TextRowsSpanCallsAndLongUndefinedTextsFit) {
    RunState run;
    run.VTKin = run.Ascii = run.ShortOut = 1;
    run.NaN_str = "no-data-here-and-it-is-rather-long";
    Cell_Converter conv(run);
    std::vector<int16_t> row(30);
    std::iota(row.begin(), row.end(), 1), row[29] = -32768;
    std::string buf(32 * conv.Max_Cell_Bytes(), '\0');
    size_t n = conv.Convert(row.data(), 20, buf.data());
    n += conv.Convert(row.data() + 20, 10, buf.data() + n);
    EXPECT_EQ(buf.substr(0, n), " 1 2 3 4 5 6 7 8 9 10 11 12\n13 14 15 16 17 18 19 20 21 22 23 24 25\n"
                                "26 27 28 29 no-data-here-and-it-is-rather-long");
}

TEST(ValueRules, RangesLeaveOutDefinedValuesEqualToTheUndefinedOne) {
    for (Flag floats : {0, 1}) {
        RunState run;
        run.VTKin = 1, run.FloatInp = floats, run.ShortOut = !floats, run.Oundef = -7;
        EXPECT_EQ(Row(run, {-7, 3, 12}), "-7 3 12");
        EXPECT_EQ(std::pair(run.Min_value, run.Max_value), std::pair(3.0f, 12.0f));
    }
}

TEST(ValueRules, Grd98TenthsAreDecodedForTheCheckPass) {
    RunState run;
    Grd98(run, 2, -999);
    run.GRD98out = run.FloatInp = run.Ioption = 1, run.GRD98_Inp_Header.Precision = 10;
    run.GRD98_Out_Header = run.GRD98_Inp_Header;
    Settle_Output_Defaults(run);
    run.Check = 1;  // stored tenths -12.3 and 45.6, and an empty cell
    EXPECT_EQ(Row(run, {-123, 456, -999}), "");
    EXPECT_FLOAT_EQ(run.Fmin, -12.3f);
    EXPECT_FLOAT_EQ(run.Fmax, 45.6f);
}

TEST(ValueRules, OutputDefaults) {
    struct Case {
        const char* what;
        void (*prepare)(RunState&);
        float oundef;
        const char* nan_str;
        int16_t iundef0;
        float fundef0;
        Flag upper_out;
    } cases[] = {
        {"vtk short", SET(r.ShortOut = 1), -32768, "-32768", -32768, Float_NaN, 0},
        {"vtk -y", SET(r.Oundef = 5, r.NaN_par = "5.0"), 5, "5.0", -32768, Float_NaN, 0},
        // A 2-byte GRD98 empty value counts only for GRD98 and ESRI output.
        {"grd98 short to vtk", SET(Grd98(r, 2, -999)), Float_NaN, "1.05409E+14", -32768, FLT_MAX, 0},
        {"grd98 short", SET(Grd98(r, 2, -999), r.GRD98out = 1), -999, "-999", -999, FLT_MAX, 1},
        {"grd98 float to esri", SET(Grd98(r, -4, int32_t(0xC61C3E00)), r.ESRIout = 1), -9999.5f, "-9999.5", 0x3E00,
         -9999.5f, 1},
        {"esri to esri", SET(Esri(r), r.ESRIout = 1), -9999, "-9999", -32768, -9999, 1},
        {"esri to grd98", SET(Esri(r), r.GRD98out = 1), -32768, "-32768", -32768, -9999, 1},
        {"kms to esri", SET(r.VTKin = 0, r.KMS2002 = r.ESRIout = 1), -32768, "-32768", -32768, Float_NaN, 1},
        // ESRI Float names the value its undefined cells hold.
        {"global esri float", SET(Global(r), r.ESRIout = 1), -32768, "-32768", -32768, FLT_MAX, 1},
        {"global grd98", SET(Global(r), r.GRD98out = 1), -32768, "NaN", -32768, FLT_MAX, 1},
        // An ESRI nodata text names the held value exactly, read as a double too.
        {"esri lowest float", SET(Esri(r), r.Fundef[0] = -FLT_MAX, r.ESRIout = 1), -FLT_MAX,
         "-3.4028234663852886e+38", -32768, -FLT_MAX, 1},
        {"grd98 float off its 8 digits", SET(Grd98(r, -4, std::bit_cast<int32_t>(-1000000064.0f)), r.ESRIout = 1),
         -1000000064.0f, "-1000000064", int16_t(std::bit_cast<int32_t>(-1000000064.0f)), -1000000064.0f, 1},
        {"-y beyond the float range", SET(Global(r), r.ESRIout = 1, r.Oundef = -FLT_MAX, r.NaN_par = "-3.4028235e+38"),
         -FLT_MAX, "-3.4028234663852886e+38", -32768, FLT_MAX, 1},
        {"-y kept as typed", SET(Global(r), r.ESRIout = 1, r.Oundef = 1e6f, r.NaN_par = "1e+06 "), 1e6f, "1e+06 ",
         -32768, FLT_MAX, 1},
        {"2-byte cells hold the truncated -y", SET(r.ESRIout = r.ShortOut = 1, r.Oundef = -9999.5f, r.NaN_par = "-9999.5"),
         -9999.5f, "-9999", -32768, Float_NaN, 1},
        {"text cells hold -y as typed", SET(r.ESRIout = r.ShortOut = r.Ascii = 1, r.Oundef = -9999.5f,
                                            r.NaN_par = "-9999.5"), -9999.5f, "-9999.5", -32768, Float_NaN, 1},
    };
    for (const Case& c : cases) {
        RunState run;
        run.VTKin = 1;
        c.prepare(run);
        Settle_Output_Defaults(run);
        EXPECT_EQ(std::tuple(run.Oundef, std::string(run.NaN_str), run.Iundef[0], run.Fundef[0], run.UpperOut),
                  std::tuple(c.oundef, std::string(c.nan_str), c.iundef0, c.fundef0, c.upper_out)) << c.what;
    }
}

}  // namespace

// The plain paths (no rule but the sign: float to float, 2-byte to float and
// to 2-byte) give the bytes and ranges of the general chain, in the write
// pass and in the check pass; a scale of 1 selects the general chain without
// changing a value. Over NaN, both zeros, denormals, infinities, the 16-bit
// ends, undefined slots, an output undefined value that is also a data value
// or lies beyond 16 bits, and counts that are no multiple of the vector
// width, in calls that carry a range over.
TEST(ValueRules, PlainPathsMatchTheGeneralChain) {
    const float floats[] = {NAN, -0.0f, 0.0f, 1e-42f, -1e-42f, INFINITY, -INFINITY, -9999, 7, -7, Float_NaN,
                            3.5f, -0.0f, 0.0f, 12, -12, 1e30f, -1e30f, 5, 0.0f, -0.0f};
    // -31072: the low 16 bits of the output undefined value 100000.
    const int16_t shorts[] = {-31072, 32767, 0, -1, 1, 5, -9999, 7, -7, 12, -32767,
                              0, 2, 3, -4, -32768, 5, -5, 32767, -32768, 9};
    const size_t total = std::size(floats);
    auto run_with = [&](float scale, Flag float_in, Flag short_out, Flag check, Flag minus, float oundef,
                        size_t first, size_t count, Flag second_slot) {
        RunState run;
        run.VTKin = 0, run.ESRIin = 1, run.FloatInp = float_in, run.ShortOut = short_out;
        run.Minus = minus, run.Scale = scale, run.Check = check;
        run.Fundef[0] = -9999, run.Iundef[0] = -9999, run.Nundef = 1;
        if (second_slot) X(run, 5);
        run.Oundef = oundef;
        const char* cells = float_in ? reinterpret_cast<const char*>(floats) : reinterpret_cast<const char*>(shorts);
        const size_t cell = float_in ? 4 : 2;
        Cell_Converter conv(run);
        std::string out(total * 4, 0);
        // Two calls: a range carried in from the first must stay as it would.
        size_t n = conv.Convert(cells, first, out.data());
        n += conv.Convert(cells + cell * first, count - first, out.data() + n);
        conv.Finish();
        out.resize(n);
        return std::tuple(out, std::bit_cast<uint32_t>(run.Min_value), std::bit_cast<uint32_t>(run.Max_value),
                          std::bit_cast<uint32_t>(run.Fmin), std::bit_cast<uint32_t>(run.Fmax), run.Imin, run.Imax);
    };
    const Flag paths[][2] = {{1, 0}, {0, 0}, {0, 1}};  // float input, 2-byte output
    for (auto [float_in, short_out] : paths)
        for (Flag check : {0, 1})
            for (Flag minus : {0, 1})
                for (float oundef : {NAN, 7.0f, 0.0f, -0.0f, 100000.0f})
                    for (size_t count = 1; count <= total; ++count)
                        for (size_t first : {size_t{0}, count / 2, count})
                            for (Flag slot : {0, 1}) {
                                SCOPED_TRACE(Format("float in %d short out %d check %d minus %d oundef %g count %zu "
                                                    "first %zu slot %d", float_in, short_out, check, minus,
                                                    double(oundef), count, first, slot));
                                EXPECT_EQ(run_with(0, float_in, short_out, check, minus, oundef, first, count, slot),
                                          run_with(1, float_in, short_out, check, minus, oundef, first, count, slot));
                            }
}
