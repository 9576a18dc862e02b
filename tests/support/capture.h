// Helpers shared by the tests: captured streams, a fresh run state with its
// standard streams in temporary files, and running the real executable.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/run_state.h"

// A temporary stream whose text can be read back.
class Captured {
public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() {
        if (file_) std::fclose(file_);
    }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;
    FILE* get() const { return file_; }
    std::string text() const {
        std::fflush(file_);
        std::string out;
        long end = std::ftell(file_);
        std::rewind(file_);
        out.resize(static_cast<size_t>(end));
        if (end > 0 && std::fread(out.data(), 1, out.size(), file_) != out.size()) out.clear();
        std::fseek(file_, 0, SEEK_END);
        return out;
    }

private:
    FILE* file_;
};

// A run state whose standard output and error go to captured streams.
struct Test_Run {
    RunState run;
    Captured out, err;
    Test_Run() {
        run.StdOut = out.get();
        run.StdErr = err.get();
    }
};

// A scratch directory removed at the end of the test.
class Scratch_Dir {
public:
    Scratch_Dir();
    ~Scratch_Dir();
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string Read_File(const std::string& path);
void Write_File(const std::string& path, const std::string& bytes);

// Result of running the real executable.
struct Process_Result {
    int status = 0;  // exit status as the shell sees it (255 for -1)
    std::string out;
    std::string err;
};

// How the executable is started: in which folder (file words are relative
// there, since a word beginning with "/" is read as options), and what its
// standard input is.
struct Process_Options {
    std::string cwd = ".";
    std::string input;
    bool input_through_pipe = false;  // a pipe cannot be positioned
};

// Started in `dir`.
inline Process_Options In(const Scratch_Dir& dir) {
    Process_Options options;
    options.cwd = dir.path().string();
    return options;
}

// Runs the built executable under the alias `name` (a link in the build
// folder) with `args`.
Process_Result Run_Program(const std::string& name, const std::vector<std::string>& args,
                           const Process_Options& options = {});
