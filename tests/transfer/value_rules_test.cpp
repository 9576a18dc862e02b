#include "transfer/value_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/ftoi.h"

namespace {

using Prepare = void (*)(RunState&);

// Converts one row given as plain numbers in the run's input cell type;
// binary output comes back as numbers separated by blanks.
std::string Row(RunState& run, const std::vector<double>& values) {
    std::vector<unsigned char> cells;
    for (double v : values) {
        const CellType type = Input_Cell_Type(run);
        const float f = static_cast<float>(v);
        const int32_t l = static_cast<int32_t>(v);
        const int16_t s = static_cast<int16_t>(v);
        const void* cell = type == CellType::Float ? static_cast<const void*>(&f)
                           : type == CellType::Grd98Long ? static_cast<const void*>(&l) : &s;
        const auto* b = static_cast<const unsigned char*>(cell);
        cells.insert(cells.end(), b, b + Cell_Bytes(type));
    }
    Cell_Converter conv(run);
    std::vector<char> out(values.size() * conv.Max_Cell_Bytes());
    const size_t n = conv.Convert(cells.data(), values.size(), out.data());
    conv.Finish();
    if (run.Ascii || run.Check) return std::string(out.data(), n);
    std::string text;
    for (size_t i = 0; i < n; i += run.ShortOut ? 2 : 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(out.data() + i);
        char buf[32];
        if (run.ShortOut)
            std::snprintf(buf, sizeof buf, "%d", static_cast<int16_t>(p[0] << 8 | p[1]));
        else
            std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(std::bit_cast<float>(
                              uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3])));
        text += i ? " " : "";
        text += buf;
    }
    return text;
}

void Global(RunState& r) { r.VTKin = 0, r.Gebco = 1; }
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
        Prepare prepare;
        std::vector<double> in;
        const char* out;
    } cases[] = {
        // Sign: global datasets hold depths negative; -m keeps or inverts.
        {"global", [](RunState& r) { Global(r); }, {-4000, 1200, 0}, "4000 -1200 0"},
        {"global -m", [](RunState& r) { Global(r), r.Minus = 1; }, {-4000, 1200}, "-4000 1200"},
        {"vtk -m", [](RunState& r) { r.Minus = 1; }, {-4000, 1200}, "4000 -1200"},
        {"vtk -m float", [](RunState& r) { r.Minus = r.FloatInp = 1; }, {-2.5, 0}, "2.5 0"},
        {"global -i", [](RunState& r) { Global(r), r.ShortOut = 1; }, {-32767, 5}, "32767 -5"},
        // Zero rule after the sign; -zz makes the cell undefined.
        {"-z", [](RunState& r) { r.Zero = 1; }, {-5, 0, 7}, "-5 0 0"},
        {"-z -m", [](RunState& r) { r.Zero = r.Minus = 1; }, {-5, 7}, "5 0"},
        {"-mmz", [](RunState& r) { r.Zero = r.Altitudes = 1; }, {-5, 7}, "0 7"},
        {"-zz", [](RunState& r) { r.Zero = r.Zero2 = 1; }, {-5, 7}, "-5 1.05409e+14"},
        {"global -z", [](RunState& r) { Global(r), r.Zero = 1; }, {-40, 12}, "0 -12"},
        // Undefined input comes before every rule; a zero hit skips the scale.
        {"-x before -z", [](RunState& r) { X(r, 7), r.Zero = r.Ascii = 1; }, {7, 8}, " 1.05409E+14 0"},
        {"-zz skips scale", [](RunState& r) { r.Zero = r.Zero2 = r.Ascii = r.ShortOut = 1, r.Scale = 2; },
         {5, -5}, " -32768 -10"},
        // Scale and logarithm.
        {"scale short", [](RunState& r) { r.Scale = 0.5f, r.ShortOut = 1; }, {3, -3}, "2 -1"},
        {"scale float", [](RunState& r) { r.Scale = 0.5f; }, {3}, "1.5"},
        {"log10 text", [](RunState& r) { r.LogBase = 10, r.Ascii = r.ShortOut = 1; },
         {999, -50, 0, 1, 5000}, " 2 -1 -32768 0 3"},
        {"log10 short", [](RunState& r) { r.LogBase = 10, r.ShortOut = 1; }, {999, 0}, "2 -32768"},
        {"log10 float", [](RunState& r) { r.LogBase = 10, r.FloatInp = r.Ascii = 1; },
         {999, -100, 0}, " 2.99957 -2 1.05409E+14"},
        {"log2 float", [](RunState& r) { r.LogBase = 2, r.FloatInp = 1; }, {8, -0.25}, "3 2"},
        // Float input to integers: ftoi, or halves toward zero with the sign
        // change of a global dataset.
        {"-i text", [](RunState& r) { r.FloatInp = r.Ascii = r.Ioption = r.ShortOut = 1; },
         {-100.0, 2.5, -2.5}, " -100 3 -2"},
        {"srtm float -i", [](RunState& r) { r.VTKin = 0, r.Srtm30 = 1, r.FloatInp = r.ShortOut = 1; },
         {-100.5, 100.0, -100.2, 0.4999999}, "100 -100 100 0"},
        {"global float -i -m", [](RunState& r) { Global(r), r.FloatInp = r.ShortOut = r.Minus = 1; },
         {-100.5, 100.7}, "-100 101"},
        {"float to short", [](RunState& r) { r.FloatInp = r.ShortOut = 1; }, {-2.5, 2.5}, "-2 3"},
        // Integer results keep 16 bits.
        {"wrap float", [](RunState& r) { r.FloatInp = r.ShortOut = 1; }, {40000}, "-25536"},
        {"wrap scale", [](RunState& r) { r.Scale = 2, r.ShortOut = r.Ascii = 1; }, {20000}, " -25536"},
        {"-x 40000", [](RunState& r) { Global(r), X(r, 40000), r.Ascii = r.ShortOut = 1; },
         {-25536, -32768, 0}, " -32768 -32768 0"},
        {"-x 40000 float", [](RunState& r) { Global(r), X(r, 40000), r.FloatInp = r.ShortOut = 1; },
         {40000, -4}, "-32768 4"},
        // Undefined values in and out.
        {"global -x", [](RunState& r) { Global(r), X(r, -9999), r.ESRIout = r.Ascii = 1; },
         {-9999, 0}, " -32768 0"},
        {"vtk two -x", [](RunState& r) { X(r, -9999), X(r, 5), r.ShortOut = 1, r.Oundef = -1; },
         {-9999, 5, -32768, 6}, "-1 -1 -1 6"},
        {"vtk two -x float", [](RunState& r) { X(r, -9999), X(r, 5), r.FloatInp = 1; },
         {-9999, 5, 1.05409E+14, 3.4028235e+38, 6}, "1.05409e+14 1.05409e+14 1.05409e+14 3.40282347e+38 6"},
        {"esri global", [](RunState& r) { Global(r), r.ESRIout = r.Ascii = 1; }, {-32768, 1}, " -32768 -1"},
        {"esri global -y",
         [](RunState& r) { Global(r), r.ESRIout = r.Ascii = 1, r.Oundef = -9999, r.NaN_par = "-9999.0"; },
         {-32768, 1}, " -9999.0 -1"},
        {"esri float global", [](RunState& r) { Global(r), r.ESRIout = 1; }, {-32768, 1}, "-32768 -1"},
        // Only 2-byte input to 2-byte output keeps Iundef[0] from the zero rule.
        {"guard", [](RunState& r) { Global(r), X(r, 9999), r.Zero = r.ShortOut = 1, r.Oundef = -1; },
         {-9999, -5}, "-1 0"},
        {"no guard", [](RunState& r) { Global(r), X(r, 9999), r.Zero = r.Ascii = r.ShortOut = 1; },
         {-9999, -5}, " 0 0"},
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

TEST(ValueRules, BinaryFloatsAndTextLayout) {
    // -0.0 keeps its sign through the sign rule; undefined is 1.05409E+14.
    RunState run;
    run.Gebco = run.FloatInp = 1;
    Settle_Output_Defaults(run);
    Cell_Converter conv(run);
    const float cells[] = {0.0f, -0.0f, 3.4028235e38f};
    char out[12];
    ASSERT_EQ(conv.Convert(cells, 3, out), 12u);
    const unsigned char expected[] = {0, 0, 0, 0, 0x80, 0, 0, 0, 0x56, 0xBF, 0xBC, 0xE4};
    EXPECT_EQ(std::memcmp(out, expected, 12), 0);

    // One row of 30 values in two calls, then the next row; a long
    // undefined text fits the bound.
    RunState text;
    text.VTKin = text.Ascii = text.ShortOut = 1;
    text.NaN_str = "no-data-here-and-it-is-rather-long";
    Cell_Converter lines(text);
    std::vector<int16_t> row;
    for (int16_t i = 1; i <= 30; ++i) row.push_back(i);
    row[29] = -32768;
    std::vector<char> buf(32 * lines.Max_Cell_Bytes());
    size_t n = lines.Convert(row.data(), 20, buf.data());
    n += lines.Convert(row.data() + 20, 10, buf.data() + n);
    lines.End_Row();
    n += lines.Convert(row.data(), 2, buf.data() + n);
    EXPECT_EQ(std::string(buf.data(), n),
              " 1 2 3 4 5 6 7 8 9 10 11 12\n13 14 15 16 17 18 19 20 21 22 23 24 25\n"
              "26 27 28 29 no-data-here-and-it-is-rather-long\n1 2");
}

TEST(ValueRules, RangesLeaveOutTheUndefinedValue) {
    RunState run;
    run.VTKin = run.ShortOut = 1, run.Oundef = -7;
    EXPECT_EQ(Row(run, {-7, 3, -32768, 12}), "-7 3 -7 12");
    EXPECT_EQ(run.Min_value, 3);
    EXPECT_EQ(run.Max_value, 12);

    RunState floats;  // a defined value equal to Oundef is left out too
    floats.VTKin = floats.FloatInp = 1, floats.Oundef = -7;
    EXPECT_EQ(Row(floats, {-7, 2.5, 4}), "-7 2.5 4");
    EXPECT_EQ(floats.Min_value, 2.5);

    RunState none;  // only undefined cells: the range stays empty
    none.FloatInp = 1;
    Row(none, {3.4028235e38});
    EXPECT_EQ(none.Min_value, FLT_MAX);
    EXPECT_EQ(none.Max_value, -FLT_MAX);
}

TEST(ValueRules, Grd98PassesCollectThenScaleToTenths) {
    RunState run;
    run.GRD98in = run.GRD98out = run.FloatInp = run.Ioption = 1;
    GRD98_Header& h = run.GRD98_Inp_Header;
    h.Number_Type = 2, h.Precision = 10, h.Empty_Grid_Cell_Value = -999;
    run.GRD98_Out_Header = h;
    Settle_Output_Defaults(run);
    EXPECT_EQ(run.Oundef, -999);
    EXPECT_EQ(Input_Cell_Type(run), CellType::Grd98Short);

    run.Check = 1;  // stored tenths -12.3 and 45.6, and an empty cell
    EXPECT_EQ(Row(run, {-123, 456, -999}), "");
    EXPECT_FLOAT_EQ(run.Fmin, -12.3f);
    EXPECT_FLOAT_EQ(run.Fmax, 45.6f);
    EXPECT_EQ(run.Min_value, FLT_MAX);

    run.Check = 0;  // the header chose 2-byte tenths; marker -999 became -9999
    run.ShortOut = 1, run.Oundef = -9999;
    EXPECT_EQ(Row(run, {-123, 456, -999, 5}), "-123 456 -9999 5");
    EXPECT_EQ(run.Min_value, -123);
    EXPECT_EQ(run.Max_value, 456);
}

TEST(ValueRules, Grd98EmptyValueCountsOnlyForGrd98AndEsriOutput) {
    for (Flag grd98_out : {0, 1}) {
        RunState run;
        run.GRD98in = run.ShortOut = run.Ioption = 1, run.GRD98out = grd98_out;
        run.GRD98_Inp_Header.Number_Type = 2, run.GRD98_Inp_Header.Precision = 1;
        run.GRD98_Inp_Header.Empty_Grid_Cell_Value = -999;
        Settle_ShortOut(run);
        Settle_Output_Defaults(run);
        EXPECT_EQ(Row(run, {-999, -32768, 4}), "-999 -32768 4");
        EXPECT_EQ(run.Min_value, grd98_out ? -32768 : -999);
    }
    RunState run;  // 4-byte integers
    run.GRD98in = run.FloatInp = 1;
    run.GRD98_Inp_Header.Number_Type = 4, run.GRD98_Inp_Header.Empty_Grid_Cell_Value = 100000;
    Settle_Output_Defaults(run);
    EXPECT_EQ(Row(run, {100000, 99999}), "1.05409e+14 99999");
}

TEST(ValueRules, FloatInputToGrd98OrEsriGivesFloatOutput) {
    const Flag shorts[][5] = {  // FloatInp, VTKin, GRD98out, ESRIout, ShortOut after
        {1, 0, 1, 0, 0}, {1, 0, 0, 1, 0}, {1, 1, 1, 0, 1}, {0, 0, 1, 0, 1}, {1, 0, 0, 0, 1}};
    for (const auto& c : shorts) {
        RunState run;
        run.FloatInp = c[0], run.VTKin = c[1], run.GRD98out = c[2], run.ESRIout = c[3], run.ShortOut = 1;
        Settle_ShortOut(run);
        EXPECT_EQ(run.ShortOut, c[4]);
    }
}

TEST(ValueRules, OutputDefaults) {
    struct Case {
        const char* what;
        Prepare prepare;
        float oundef;
        const char* nan_str;
        int16_t iundef0;
        float fundef0;
        Flag upper_out;
    } cases[] = {
        {"vtk float", [](RunState&) {}, Float_NaN, "1.05409E+14", -32768, Float_NaN, 0},
        {"vtk short", [](RunState& r) { r.ShortOut = 1; }, -32768, "-32768", -32768, Float_NaN, 0},
        {"vtk -y", [](RunState& r) { r.Oundef = 5, r.NaN_par = "5.0"; }, 5, "5.0", -32768, Float_NaN, 0},
        {"global vtk", [](RunState& r) { Global(r); }, Float_NaN, "1.05409E+14", -32768, FLT_MAX, 0},
        {"grd98 short",
         [](RunState& r) { r.VTKin = 0, r.GRD98in = r.GRD98out = 1, r.GRD98_Inp_Header.Number_Type = 2,
                           r.GRD98_Inp_Header.Empty_Grid_Cell_Value = -999; },
         -999, "-999", -999, FLT_MAX, 1},
        {"grd98 float to esri",  // -9999.5f is C61C3E00
         [](RunState& r) { r.VTKin = 0, r.GRD98in = r.ESRIout = 1, r.GRD98_Inp_Header.Number_Type = -4,
                           r.GRD98_Inp_Header.Empty_Grid_Cell_Value = static_cast<int32_t>(0xC61C3E00); },
         -9999.5f, "-9999.5", 0x3E00, -9999.5f, 1},
        {"esri to esri", [](RunState& r) { r.VTKin = 0, r.ESRIin = r.ESRIout = 1, r.Fundef[0] = -9999; },
         -9999, "-9999", -32768, -9999, 1},
        {"esri to grd98", [](RunState& r) { r.VTKin = 0, r.ESRIin = r.GRD98out = 1, r.Fundef[0] = -9999; },
         -32768, "-32768", -32768, -9999, 1},
        {"kms to esri", [](RunState& r) { r.VTKin = 0, r.KMS2002 = r.ESRIout = 1; },
         -32768, "-32768", -32768, Float_NaN, 1},
        {"global esri ascii", [](RunState& r) { Global(r), r.ESRIout = r.Ascii = 1; },
         -32768, "-32768", -32768, FLT_MAX, 1},
        // ESRI Float names the value its undefined cells hold.
        {"global esri float", [](RunState& r) { Global(r), r.ESRIout = 1; }, -32768, "-32768", -32768, FLT_MAX, 1},
        {"global esri float -y",
         [](RunState& r) { Global(r), r.ESRIout = 1, r.Oundef = -9999, r.NaN_par = "-9999.0"; },
         -9999, "-9999.0", -32768, FLT_MAX, 1},
        {"global grd98", [](RunState& r) { Global(r), r.GRD98out = 1; }, -32768, "NaN", -32768, FLT_MAX, 1},
    };
    for (const Case& c : cases) {
        RunState run;
        run.VTKin = 1;
        c.prepare(run);
        Settle_Output_Defaults(run);
        EXPECT_EQ(run.Oundef, c.oundef) << c.what;
        EXPECT_STREQ(run.NaN_str, c.nan_str) << c.what;
        EXPECT_EQ(run.Iundef[0], c.iundef0) << c.what;
        EXPECT_EQ(run.Fundef[0], c.fundef0) << c.what;
        EXPECT_EQ(run.UpperOut, c.upper_out) << c.what;
    }
}

}  // namespace
