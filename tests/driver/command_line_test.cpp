#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/capture.h"

namespace {

const std::string kUsage =
    "Usage: %s {-h} {-cbgpptrjdkoazzmmqfilu} {-: scale} {-. base} \n"
    "               {-v snap} {-w west} {-s south} {-e east} {-n north}  \n"
    "               {-x undef}... {-y undef} -# <infile> <outfile> \n";

std::string Usage_For(const std::string& invocation) {
    std::string text = kUsage;
    return text.replace(text.find("%s"), 2, invocation);
}

// Parses a command line; returns the status it ended with, or -2 when it
// went through to the end.
struct Parsed : Test_Run {
    int status = -2;
    explicit Parsed(std::vector<std::string> words) : words_(std::move(words)) {
        std::vector<char*> argv;
        for (auto& w : words_) argv.push_back(w.data());
        try {
            Read_Command_Line(run, static_cast<int>(argv.size()), argv.data());
        } catch (const RunEnded& end) {
            status = end.Status;
        }
    }

private:
    std::vector<std::string> words_;
};

TEST(CommandLine, UsageAndHelpTextsByteForByte) {
    Parsed none({"/opt/bin/gebco2vtk"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err.text(), Usage_For("/opt/bin/gebco2vtk"));
    EXPECT_EQ(none.out.text(), "");

    Parsed help({"gebco2vtk", "-h"});
    EXPECT_EQ(help.status, 0);
    const std::string text = help.out.text();
    ASSERT_EQ(text.substr(0, Usage_For("gebco2vtk").size()), Usage_For("gebco2vtk"));
    const std::string full = text.substr(Usage_For("gebco2vtk").size());
    EXPECT_NE(full.find("  -v <snap>          Grid half minute snap tolerance (default: 0.00001) \n"),
              std::string::npos);
    EXPECT_NE(full.find("  infile             Input GEBCO One minute grid file \n"
                        "  outfile            Output VTK grid file \n \n"),
              std::string::npos);
    EXPECT_EQ(full.size() - full.rfind("\n \n"), 3u) << "help ends with a line holding one blank";
    // 31 lines and the blank one, each ending with a blank.
    int lines = 0;
    for (size_t at = 0; (at = full.find(" \n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 32);
    EXPECT_EQ(help.err.text(), "");
}

TEST(CommandLine, HelpShowsWhatStandsToItsLeft) {
    EXPECT_NE(Parsed({"depthgrid", "-v", "0.25", "-h"}).out.text().find("(default: 0.25000)"), std::string::npos);
    const struct {
        std::vector<std::string> words;
        const char *input, *output;
    } cases[] = {
        {{"depthgrid", "-v", "0.25", "-oa", "-h", "-Z9"}, "VTK format", "ESRI Ascii"},
        {{"vtk2grd98", "-c", "-h"}, "GEBCO One minute", "GRD98"},
        {{"srtm2flt", "-h"}, "SRTM30+ Half minute", "ESRI Float"},
        {{"x", "-d", "-h"}, "GRD98 format", "VTK"},
        {{"x", "-k", "-h"}, "KMS2002 Ascii", "VTK"},
        {{"x", "-bj", "-h"}, "ESRI Ascii/Float", "VTK"},
        {{"arc2ascii", "-h"}, "ESRI Ascii/Float", "ESRI Ascii"},
        {{"x", "in", "out", "-h"}, "VTK format", "VTK"},
    };
    for (const auto& c : cases) {
        Parsed p(c.words);
        const std::string text = p.out.text();
        EXPECT_EQ(p.status, 0) << c.input;
        EXPECT_NE(text.find(std::string("Input ") + c.input + " grid file \n"), std::string::npos) << c.input;
        EXPECT_NE(text.find(std::string("Output ") + c.output + " grid file \n"), std::string::npos) << c.output;
    }
    // Whichever of -h and a bad letter comes first wins.
    EXPECT_EQ(Parsed({"x", "-h", "-9"}).status, 0);
    EXPECT_EQ(Parsed({"x", "-9", "-h"}).status, 1);
}

TEST(CommandLine, BadCommandLinesPrintTheShortUsageOnly) {
    const std::vector<std::vector<std::string>> bad = {
        // Files missing or one too many; a value missing.
        {"x"}, {"x", "in"}, {"x", "in", "out", "third"}, {"x", "-w"}, {"x", "in", "out", "-w"},
        // Values that are no numbers.
        {"x", "-w", "10km", "in", "out"}, {"x", "-w", "ten", "in", "out"}, {"x", "-w", "-nan", "in", "out"},
        {"x", "-y", "abc", "in", "out"}, {"x", "-y", "-nan", "in", "out"}, {"x", "-x", "nan", "in", "out"},
        {"x", "-e", "NaN", "in", "out"}, {"x", "-wn", "in", "out"}, {"x", "-v", "", "in", "out"},
        // Unknown letters, also after known ones; a file in the root folder
        // is still option letters ("." takes the value "asc").
        {"x", "-9", "in", "out"}, {"x", "/tmp!", "in"}, {"x", "-c!", "in", "out"}, {"x", "/grid.asc", "in", "out"},
        // Only --help and --version are words of their own.
        {"x", "--", "in", "out"}, {"x", "--helpx", "in", "out"}, {"x", "--HELP", "in", "out"},
        {"x", "--version=1", "in", "out"},
    };
    for (const auto& words : bad) {
        Parsed p(words);
        EXPECT_EQ(p.status, 1) << words.back();
        EXPECT_EQ(p.err.text(), Usage_For("x")) << words.back();
        EXPECT_EQ(p.out.text(), "");
    }
    // Letters before the bad character have already taken effect.
    Parsed slash({"x", "/tmp!", "in"});
    EXPECT_EQ((std::vector<int>{slash.run.Etopo2, slash.run.Minus, slash.run.Srtm30}), (std::vector<int>{0, 1, 1}));
}

TEST(CommandLine, LongHelpAndVersionWords) {
    Parsed help({"x", "-d", "--help", "-9"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.text(), Parsed({"x", "-d", "-h"}).out.text());
    Parsed version({"x", "-w", "1", "--version", "-9"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.text(), "depthgrid " DEPTHGRID_VERSION "\n");
    EXPECT_EQ(version.err.text(), "");
}

TEST(CommandLine, AWordWithASecondSlashIsAPath) {
    // "/o" and "-th" are letters; "/tmp/x" would read as T, M, P and then
    // fail on its "/".
    Parsed help({"x", "/o", "/tmp/x", "-th"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.text().find("Input Etopo2 Two minute grid file \n  outfile            Output GRD98"),
              std::string::npos);

    Parsed paths({"x", "/o", "/data/in.grd", "//out.vtk"});
    ASSERT_EQ(paths.status, -2);
    EXPECT_STREQ(paths.run.InpName, "/data/in.grd");
    EXPECT_STREQ(paths.run.OutName, "//out.vtk");
    EXPECT_EQ(paths.run.GRD98out, 1);

    Parsed letters({"x", "/tmp", "/", "out"});
    ASSERT_EQ(letters.status, -2);
    EXPECT_EQ(letters.run.Srtm30, 1);
    EXPECT_EQ(letters.run.Minus, 1);
    EXPECT_STREQ(letters.run.InpName, "/") << "a lone slash is a file word";
}

TEST(CommandLine, ValueFormsAllReadTheSameNumber) {
    const std::vector<std::vector<std::string>> forms = {
        {"-w", "-20"}, {"-w-20"}, {"-w=-20"}, {"-w:-20"}, {"-w", "=", "-20"}, {"-w:", "-20"}, {"-W", "-2e1 "},
    };
    for (auto words : forms) {
        words.insert(words.begin(), "x");
        words.insert(words.end(), {"in", "out"});
        Parsed p(words);
        EXPECT_EQ(p.status, -2) << words[1];
        EXPECT_EQ(p.run.W, -20.0f) << words[1];
        EXPECT_STREQ(p.run.InpName, "in");
        EXPECT_STREQ(p.run.OutName, "out");
    }
}

TEST(CommandLine, UndefinedValuesFillTheirSlots) {
    Parsed p({"x", "-x", "1", "-x40000", "-x=-3.5", "-x", "4", "-x", "5", "-y", "-9999.0", "in", "out"});
    ASSERT_EQ(p.status, -2);
    EXPECT_EQ(p.run.Nundef, 4) << "the fourth slot is filled too";
    // The fifth value overwrites slot 3.
    EXPECT_EQ(std::vector<float>(p.run.Fundef, p.run.Fundef + 4), (std::vector<float>{1, 40000, -3.5f, 5}));
    EXPECT_EQ(p.run.Iundef[1], -25536) << "40000 cut to 16 bits";
    EXPECT_EQ(p.run.Iundef[2], -3) << "halves of negative values round toward zero";
    EXPECT_EQ(p.run.Oundef, -9999.0f);
    EXPECT_STREQ(p.run.NaN_par, "-9999.0");

    // nan, in any letter case, is a value of -y only; it is written "nan".
    Parsed nan({"x", "-yNaN", "in", "out"});
    ASSERT_EQ(nan.status, -2);
    EXPECT_TRUE(std::isnan(nan.run.Oundef));
    EXPECT_STREQ(nan.run.NaN_par, "nan");

    Parsed snap({"x", "-v", "0.00001", "in", "out"});
    EXPECT_EQ(snap.run.Snap, static_cast<double>(0.00001f)) << "values are read in single precision";
}

TEST(CommandLine, LettersActOnTheStateOfTheirMoment) {
    // GRD98out, ESRIout, Ascii, Minus, Altitudes, Zero, Zero2, Srtm30.
    auto flags = [](const RunState& r) {
        return std::vector<int>{r.GRD98out, r.ESRIout, r.Ascii, r.Minus, r.Altitudes, r.Zero, r.Zero2, r.Srtm30};
    };
    const struct {
        std::vector<std::string> words;
        std::vector<int> flags;
    } cases[] = {
        {{"x", "-oa"}, {0, 1, 1, 0, 0, 0, 0, 0}}, {{"x", "-ao"}, {0, 1, 1, 0, 0, 0, 0, 0}},
        {{"x", "-o"}, {1, 0, 0, 0, 0, 0, 0, 0}}, {{"x", "-o", "-a"}, {0, 1, 1, 0, 0, 0, 0, 0}},
        {{"x", "-mm"}, {0, 0, 0, 0, 1, 0, 0, 0}}, {{"x", "-mmm"}, {0, 0, 0, 1, 1, 0, 0, 0}},
        {{"x", "-mmz"}, {0, 0, 0, 0, 1, 1, 0, 0}}, {{"x", "-z", "-Z"}, {0, 0, 0, 0, 0, 1, 1, 0}},
        {{"x", "-pp"}, {0, 0, 0, 0, 0, 0, 0, 2}}, {{"srtm2vtk", "-p"}, {0, 0, 0, 0, 0, 0, 0, 2}},
        {{"srtm2vtk", "-pc"}, {0, 0, 0, 0, 0, 0, 0, 0}}, {{"vtk2flt", "-o"}, {1, 0, 0, 0, 0, 0, 0, 0}},
        {{"gebco2esri"}, {0, 1, 1, 0, 0, 0, 0, 0}}, {{"srtm2flt"}, {0, 1, 0, 0, 0, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        auto words = c.words;
        words.insert(words.end(), {"in", "out"});
        Parsed p(words);
        const std::string what = c.words[0] + " " + (c.words.size() > 1 ? c.words[1] : "");
        ASSERT_EQ(p.status, -2) << what;
        EXPECT_EQ(flags(p.run), c.flags) << what;
    }
}

TEST(CommandLine, InvocationNameChoosesTheFormats) {
    String base;
    Base_Name("C:\\Tools\\Durur2Izo98.exe", base);
    EXPECT_STREQ(base, "durur2izo98");
    Base_Name("~etopo2grd98", base);
    EXPECT_STREQ(base, "etopo2grd98");

    Parsed vtk({"/usr/bin/vtk2esri", "-c", "in", "out"});
    EXPECT_EQ(vtk.run.VTKin, 1) << "an input letter never clears VTK input chosen by the name";
    EXPECT_EQ(vtk.run.Gebco, 1);
    EXPECT_EQ(vtk.run.Input(), RunState::InputKind::VTK);

    Parsed none({"converter", "in", "out"});
    EXPECT_EQ(none.run.VTKin, 1);

    Parsed etopo_gina({"EtopoGina2Grid.exe", "in", "out"});
    EXPECT_EQ(etopo_gina.run.Etopo2, 1) << "the first key of the input chain wins";
    EXPECT_EQ(etopo_gina.run.Gina, 0);
    EXPECT_EQ(etopo_gina.run.GRD98out, 1);

    Parsed debug({"x", "-#", "in", "-"});
    EXPECT_EQ(debug.run.Debug, debug.run.StdErr) << "header information never mixes with a grid on stdout";
    Parsed debug_file({"x", "-#", "in", "out"});
    EXPECT_EQ(debug_file.run.Debug, debug_file.run.StdOut);
}

}  // namespace
