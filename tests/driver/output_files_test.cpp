#include "driver/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// A stream whose text the test reads back after closing it.
struct Capture {
    char* text = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&text, &size);
    std::string Text() {
        fflush(file);
        return std::string(text, size);
    }
    ~Capture() {
        fclose(file);
        free(text);
    }
};

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const char* const Esri_Header =
    "ncols        2\n"
    "nrows        3\n"
    "xllcenter    1.5\n"
    "yllcenter    -2.25\n"
    "cellsize     0.5\n"
    "nodata_value -9999\n";
const std::string Float_Header = std::string(Esri_Header) + "byteorder    msbfirst\n";

// Every case runs in a directory of its own, so names are given as typed.
class OutputFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/depthgrid-output-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        old = fs::current_path();
        fs::current_path(dir);
        run.StdErr = err.file;
        run.StdOut = out.file;
        run.Left = 4, run.Right = 5, run.First = 0, run.Last = 2;
        run.Origo_X = 1.5, run.Origo_Y = -2.25, run.Resolution_J = 2;
        run.NaN_str = "-9999";
    }
    void TearDown() override {
        if (run.OutFile && run.OutFile != run.StdOut) fclose(run.OutFile);
        fs::current_path(old);
        fs::remove_all(dir);
    }
    // Runs a stage that must end the run; returns its exit status.
    template <class Stage>
    int Ends(Stage stage) {
        try {
            stage();
        } catch (const RunEnded& ended) {
            return ended.Status;
        }
        ADD_FAILURE() << "the run went on";
        return 0;
    }
    std::set<std::string> Files() {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            names.insert(entry.path().lexically_relative(dir).string());
        return names;
    }
    void Esri_Output(const char* name, Flag ascii) {
        run.ESRIout = 1, run.Ascii = ascii, run.OutName = name;
        run.OutFile = nullptr;
        Open_Output(run);
        Write_ESRI_Output_Header(run);
    }

    fs::path dir, old;
    Capture err, out;
    RunState run;
};

TEST_F(OutputFiles, NewFileCreatesTheMissingDirectories) {
    FILE* file = New_File(run, "out/sub/grid.vtk", "wb", 1874);
    ASSERT_NE(file, nullptr);
    fclose(file);
    EXPECT_EQ(Files(), (std::set<std::string>{"out", "out/sub", "out/sub/grid.vtk"}));

    New_Directory("a/b/c");
    EXPECT_TRUE(fs::is_directory("a/b/c"));
}

TEST_F(OutputFiles, UncreatableFilesEndTheRunWithMinusOne) {
    std::ofstream("plain") << "not a directory";
    EXPECT_EQ(Ends([&] { New_File(run, "plain/grid.vtk", "wb", 1874); }), -1);
    const std::string too_long(600, 'x');
    EXPECT_EQ(Ends([&] { New_File(run, too_long.c_str(), "w", 77); }), -1);
    EXPECT_EQ(err.Text(), "plain/grid.vtk could not be created (1874)\nError message: " +
                              std::string(strerror(ENOTDIR)) + "\n" + too_long +
                              " could not be created (77)\nError message: " +
                              strerror(ENAMETOOLONG) + "\n");
    EXPECT_EQ(Files(), std::set<std::string>{"plain"});
}

TEST_F(OutputFiles, DashIsStandardOutputAndCreatesNothing) {
    run.OutName = "-";
    Open_Output(run);
    EXPECT_EQ(run.OutFile, run.StdOut);
    EXPECT_TRUE(Files().empty());
}

TEST_F(OutputFiles, VtkHeaderGoesToDebugFirstThenToTheFile) {
    Capture debug;
    run.Debug = debug.file;
    run.OutName = "grid.vtk";
    Open_Output(run);
    Write_VTK_Output_Header(run);
    fclose(run.OutFile);
    run.OutFile = nullptr;
    const std::string header = Read("grid.vtk");
    EXPECT_EQ(header.substr(0, 27), "# vtk DataFile Version 3.0\n");
    EXPECT_EQ(debug.Text(), "VTK output file grid.vtk:\n" + header);
}

TEST_F(OutputFiles, EsriAsciiIsOneFile) {
    Capture debug;
    run.Debug = debug.file;
    Esri_Output("grid.asc", 1);
    fputs("rows", run.OutFile);
    fclose(run.OutFile);
    run.OutFile = nullptr;
    EXPECT_EQ(Files(), std::set<std::string>{"grid.asc"});
    EXPECT_EQ(Read("grid.asc"), std::string(Esri_Header) + "rows");
    EXPECT_EQ(debug.Text(), "ESRI Ascii output file grid.asc\n" + std::string(Esri_Header));
}

TEST_F(OutputFiles, EsriFloatPairs) {
    Capture debug;
    run.Debug = debug.file;
    struct Case {
        const char* name;
        Flag ascii;
        const char* header;
    } cases[] = {
        {"grid.flt", 0, "grid.hdr"}, {"GRID.FLT", 0, "GRID.HDR"},
        {"grid.Flt", 0, "grid.HDR"}, {"grid.fLT", 0, "grid.hdr"},
        {"grid.flt", 1, "grid.hdr"},  // the extension overrules -a
        {"grid.asc", 0, "grid.hdr"},  {"old.dir/grid", 0, "old.hdr"},
        {"GRID", 0, "GRID.HDR"},      {"grid", 0, "grid.hdr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t echoed = debug.Text().size();
        Esri_Output(c.name, c.ascii);
        EXPECT_EQ(run.Ascii, 0);
        EXPECT_STREQ(run.OutName2, c.header);
        EXPECT_EQ(Read(c.header), Float_Header);
        EXPECT_EQ(debug.Text().substr(echoed), "ESRI Float output files " + std::string(c.name) +
                                                   " / " + c.header + "\n" + Float_Header);
        fputs("data", run.OutFile);
        fclose(run.OutFile);
        run.OutFile = nullptr;
        EXPECT_EQ(Read(c.name), "data");  // the data file starts with the first value
        fs::remove(c.name);
        fs::remove(c.header);
    }
    EXPECT_EQ(err.Text(), "");
}

TEST_F(OutputFiles, EsriFloatFailuresEndTheRunWithOne) {
    fs::create_directory("taken.flt");
    fs::create_symlink("/dev/full", "full.hdr");
    // A name that fits the 512-character path buffer, whose header name does
    // not, in directories that exist.
    std::string deep;
    for (int level = 0; level < 254; ++level) deep += "a/";
    fs::create_directories(deep);
    const std::string long_name = deep + "g.fl", long_message = deep + "g.hdr could not be opened\n";
    struct Case {
        const char* name;
        const char* message;
    } cases[] = {
        {long_name.c_str(), long_message.c_str()},
        {"-", "- could not be opened\n"},
        {"missing/grid.flt", "missing/grid.hdr could not be opened\n"},
        {"taken.flt", "taken.flt could not be opened\n"},
        {"full.flt", "full.hdr could not be written\n"},
        {"grid.hdr", "grid.hdr could not be opened: header and data file have the same name\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = err.Text().size();
        EXPECT_EQ(Ends([&] { Esri_Output(c.name, 0); }), 1);
        EXPECT_EQ(err.Text().substr(before), c.message);
    }
    fs::remove_all("a");
    // No data file is left behind a header that was lost; grid.hdr is the
    // empty file made before its name was known to be the header's too.
    EXPECT_EQ(Files(),
              (std::set<std::string>{"taken.flt", "taken.hdr", "full.hdr", "grid.hdr"}));
}

}  // namespace
