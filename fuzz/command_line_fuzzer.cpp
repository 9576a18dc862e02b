// The command line: the input is split at NUL bytes into argv, the first
// word being the invocation name, and read by Read_Command_Line into a fresh
// run state. Beside what the sanitizers see: the reader opens no file, ends
// with status 0 (help) or 1 (usage) when it ends the run, and otherwise
// leaves an output name, exactly one input format and no GRD98 output
// together with ASCII output.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace {

FILE* Sink = nullptr;
int Free_Descriptor = -1;

int Lowest_Free_Descriptor() {
    const int fd = open("/dev/null", O_RDONLY);
    if (fd >= 0) close(fd);
    return fd;
}

[[noreturn]] void Breach(const char* what) {
    std::fprintf(stderr, "\n==== command_line_fuzzer: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Sink = std::fopen("/dev/null", "w");
    if (!Sink) std::abort();
    Free_Descriptor = Lowest_Free_Descriptor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    RunState run;
    run.StdIn = Sink;
    run.StdOut = Sink;
    run.StdErr = Sink;
    bool ended = false;
    try {
        Read_Command_Line(run, int(words.size()), argv.data());
    } catch (const RunEnded& end) {
        ended = true;
        if (end.Status != 0 && end.Status != 1) Breach("the command line ended with a status other than 0 or 1");
    }
    if (Lowest_Free_Descriptor() != Free_Descriptor) Breach("reading the command line opened a file");
    if (ended) return 0;

    if (run.OutName[0] == '\0' || run.InpName[0] == '\0') Breach("a command line accepted without both file names");
    const int inputs = run.Gebco + run.Blend + run.Gina + run.Etopo2 + (run.Srtm30 != 0) + run.GRD98in +
                       run.ESRIin + run.KMS2002;
    if (inputs > 1 || (inputs == 0 && !run.VTKin)) Breach("not exactly one input format chosen");
    if (run.GRD98out && run.Ascii) Breach("GRD98 output with ASCII output");
    if (run.Nundef < 0 || run.Nundef > 4) Breach("undefined value count out of range");
    return 0;
}
