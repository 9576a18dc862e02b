// What each input is called in the title of a VTK output and in the help
// text: one table for both.
#pragma once

#include "core/run_state.h"

enum class Input_Name : unsigned char { Blend, Gina, Srtm30, Etopo2, Gebco, VTK, ESRI, KMS2002, GRD98 };

struct Input_Names {
    const char* title;  // VTK output title
    const char* help;   // help text: the same words, but ETOPO2 has always read "Etopo2" there
};

// Indexed by Input_Name.
extern const Input_Names Input_Name_Table[];

// The input named: the first flag set in the order of Input_Name, GRD98
// when none is.
Input_Name Named_Input(const RunState& run);
