// Output file rules beyond the end-to-end runs (directories made on the way,
// uncreatable files, "-", VTK headers): over-long names and ESRI outputs.
#include "driver/output_files.h"
#include "formats/esri_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "support/capture.h"

namespace fs = std::filesystem;

namespace {

const std::string Esri_Header =
    "ncols        2\nnrows        3\nxllcenter    1.5\nyllcenter    -2.25\ncellsize     0.5\nnodata_value -9999\n";
const std::string Float_Header = Esri_Header + "byteorder    msbfirst\n";

// Every test runs in a directory of its own, so names are given as typed.
class OutputFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::current_path(dir.path());
        run.Left = 4, run.Right = 5, run.First = 0, run.Last = 2, run.Debug = debug.get();
        run.Origo_X = 1.5, run.Origo_Y = -2.25, run.Resolution_J = 2, run.NaN_str = "-9999";
    }
    void TearDown() override { fs::current_path(old); }
    // Opens an ESRI output and writes its header; returns the exit status
    // when that ended the run, or 0.
    int Esri_Output(const char* name, Flag ascii) {
        run.ESRIout = 1, run.Ascii = ascii, run.OutName = name, run.OutFile = nullptr;
        try {
            Open_Output(run);
            Write_ESRI_Output_Header(run);
        } catch (const RunEnded& ended) {
            return ended.Status;
        }
        return 0;
    }
    std::set<std::string> Files() {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            names.insert(entry.path().lexically_relative(dir.path()).string());
        return names;
    }

    fs::path old = fs::current_path();
    Scratch_Dir dir;
    Test_Run t;
    RunState& run = t.run;
    Captured debug;
};

TEST_F(OutputFiles, EsriAsciiIsOneFile) {
    ASSERT_EQ(Esri_Output("grid.asc", 1), 0);
    fclose(run.OutFile);
    EXPECT_EQ(Files(), std::set<std::string>{"grid.asc"});
    EXPECT_EQ(Read_File("grid.asc"), Esri_Header);
    EXPECT_EQ(debug.text(), "ESRI Ascii output file grid.asc\n" + Esri_Header);
}

TEST_F(OutputFiles, EsriFloatPairsAreNamedByTheExtension) {
    struct Case {
        const char* name;
        Flag ascii;
        const char* header;
    } cases[] = {
        {"grid.flt", 0, "grid.hdr"}, {"GRID.FLT", 0, "GRID.HDR"}, {"grid.Flt", 0, "grid.HDR"},
        {"grid.fLT", 0, "grid.hdr"}, {"grid.flt", 1, "grid.hdr"},  // the extension overrules -a
        {"grid.asc", 0, "grid.hdr"}, {"old.dir/grid", 0, "old.hdr"}, {"gRID", 0, "gRID.HDR"}, {"Grid", 0, "Grid.hdr"},
        // Folders still missing are made for both files.
        {"new/sub/grid.flt", 0, "new/sub/grid.hdr"}, {"cut.fl/grid", 0, "cut.hdr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t echoed = debug.text().size();
        ASSERT_EQ(Esri_Output(c.name, c.ascii), 0) << t.err.text();
        fputs("data", run.OutFile);
        fclose(run.OutFile);
        EXPECT_EQ(run.Ascii, 0);
        EXPECT_STREQ(run.OutName2, c.header);
        EXPECT_EQ(Read_File(c.header), Float_Header);
        EXPECT_EQ(Read_File(c.name), "data");  // the data file starts with the first value
        EXPECT_EQ(debug.text().substr(echoed),
                  "ESRI Float output files " + std::string(c.name) + " / " + c.header + "\n" + Float_Header);
        fs::remove(c.name), fs::remove(c.header);
    }
}

TEST_F(OutputFiles, NamesTooLongAndFloatPairsThatCannotBeMadeEndTheRun) {
    fs::create_directory("taken.flt");
    fs::create_symlink("/dev/full", "full.hdr");
    Write_File("plain", "");  // a file where a folder should be
    // A name that fits the 512-character path buffer, whose header name does
    // not, in directories that exist.
    std::string deep;
    for (int level = 0; level < 254; ++level) deep += "a/";
    fs::create_directories(deep);
    const std::string long_name = deep + "g.fl", too_long(600, 'x');
    struct Case {
        std::string name;
        int status;
        std::string message;
    } cases[] = {
        {too_long, -1, too_long + " could not be created (1874)\nError message: " + strerror(ENAMETOOLONG) + "\n"},
        {long_name, 1, deep + "g.hdr could not be opened\n"},
        {"-", 1, "- could not be opened\n"},
        {"plain/grid.flt", 1, "plain/grid.hdr could not be opened\n"},
        {"taken.flt", 1, "taken.flt could not be opened\n"},
        {"full.flt", 1, "full.hdr could not be written\n"},
        {"grid.hdr", 1, "grid.hdr could not be opened: header and data file have the same name\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = t.err.text().size();
        EXPECT_EQ(Esri_Output(c.name.c_str(), 0), c.status);
        EXPECT_EQ(t.err.text().substr(before), c.message);
    }
    fs::remove_all("a");
    // No data file is left behind a header that was lost; grid.hdr is the
    // empty file made before its name was known to be the header's too.
    EXPECT_EQ(Files(), (std::set<std::string>{"taken.flt", "taken.hdr", "full.hdr", "grid.hdr", "plain"}));
}

}  // namespace
