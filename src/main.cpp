#include "driver/run_sequence.h"

int main(int argc, char** argv) {
    RunState run;
    return Run_Converter(run, argc, argv);
}
