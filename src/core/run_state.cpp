#include "core/run_state.h"

#include <algorithm>
#include <cstdarg>

void End_Run(RunState& run, int status) {
    run.ExitStatus = status;
    throw RunEnded{status};
}

void Not_Opened(RunState& run, const char* name) {
    fprintf(run.StdErr, "%s could not be opened\n", name);
    End_Run(run, 1);
}

void Free_Undefined_Slot0(RunState& run) {
    const int filled = std::clamp(run.Nundef, 0, 4);
    if (filled == 0) return;
    const int to = std::min(filled, 3);
    run.Fundef[to] = run.Fundef[0];
    run.Iundef[to] = run.Iundef[0];
    run.Nundef = std::min(filled + 1, 4);
}

void No_Output(RunState& run, const char* what, ...) {
    va_list args;
    va_start(args, what);
    vfprintf(run.StdErr, what, args);
    va_end(args);
    fprintf(run.StdErr, "No utputfile (%s) generated\n", run.OutName);
    End_Run(run, 1);
}

void Not_Treated(RunState& run, const char* grid, const char* detail) {
    No_Output(run, "%s could not be properly treated\n%s\n", grid, detail);
}
