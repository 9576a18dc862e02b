#include "driver/run_sequence.h"

void End_Run(RunState& run, int status) {
    run.ExitStatus = status;
    throw RunEnded{status};
}

int Run_Converter(RunState& run, int argc, char** argv) {
    (void)argc;
    (void)argv;
    return run.ExitStatus;
}
