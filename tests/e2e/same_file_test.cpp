// End to end: an output that would overwrite a file being read is refused
// before anything is created, whatever the input kind and however the file
// is named.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/capture.h"
#include "support/grids.h"

namespace {

namespace fs = std::filesystem;

// Every file of the folder with its bytes.
std::map<std::string, std::string> Contents(const Scratch_Dir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        files[entry.path().filename().string()] = fs::is_symlink(entry) ? "-> " + fs::read_symlink(entry).string()
                                                                          : Read_File(entry.path().string());
    return files;
}

TEST(SameFile, AnOutputThatIsAnInputOrItsCompanionIsRefused) {
    const std::string vtk =
        "# vtk DataFile Version 3.0\nt\nASCII\nDATASET STRUCTURED_POINTS\nDIMENSIONS 2 1 1\nSPACING 1 1 0\n"
        "ORIGIN 0 0 0\nPOINT_DATA 2\nSCALARS scalars float\nLOOKUP_TABLE default\n1 2\n";
    const std::string head = "ncols 2\nnrows 1\nxllcorner 10\nyllcorner 0\ncellsize 1\nnodata_value 7\n";
    const std::string floats = Big_Float(1) + Big_Float(2);
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string refused;  // the output file named in the report
    } cases[] = {
        {"ASCII VTK onto itself", {"depthgrid", "a.vtk", "a.vtk"}, "a.vtk"},
        {"ASCII VTK onto a hard link", {"depthgrid", "a.vtk", "hard.vtk"}, "hard.vtk"},
        {"ESRI ASCII onto a symbolic link", {"arc2ascii", "a.asc", "sym.asc"}, "sym.asc"},
        {"KMS2002 onto another spelling", {"kms2vtk", "a.kms", "./a.kms"}, "./a.kms"},
        {"ESRI Float header named, onto itself", {"esri2vtk", "-r", "h.hdr", "h.hdr"}, "h.hdr"},
        {"ESRI Float header named, onto its data file", {"esri2vtk", "h.hdr", "h.flt"}, "h.flt"},
        {"pair header onto the input's header", {"esri2flt", "-w", "10.5", "-e", "11", "p.flt", "p.x"}, "p.hdr"},
        {"pair data file onto the input's header", {"esri2flt", "p.flt", "p.hdr"}, "p.hdr"},
        {"pair header onto a VTK input", {"vtk2flt", "g.hdr", "g.flt"}, "g.hdr"},
    };
    for (const auto& c : cases) {
        Scratch_Dir dir;
        Write_File(dir / "a.vtk", vtk);
        Write_File(dir / "g.hdr", vtk);
        Write_File(dir / "a.asc", head + "1 2\n");
        Write_File(dir / "a.kms", "0 0 0 1 1 1\n1 2\n");
        Write_File(dir / "h.hdr", head);
        Write_File(dir / "h.flt", floats);
        Write_File(dir / "p.hdr", head + "byteorder msbfirst\n");
        Write_File(dir / "p.flt", floats);
        fs::create_hard_link(dir / "a.vtk", dir / "hard.vtk");
        fs::create_symlink("a.asc", dir / "sym.asc");
        const auto before = Contents(dir);

        Process_Result result = Run_Program(c.args[0], {c.args.begin() + 1, c.args.end()}, In(dir));
        EXPECT_EQ(result.status, 255) << c.what;
        EXPECT_EQ(result.err, c.refused + " could not be created (1874)\nError message: it is the input file\n") << c.what;
        EXPECT_EQ(Contents(dir), before) << c.what << ": nothing created or changed";
    }
}

}  // namespace
