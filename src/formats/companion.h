// The other file of an ESRI Float pair, for the reader and the writer alike.
#pragma once

#include <string>

#include "extract.h"

// The name cut at its last "." and given `upper` when the extension began
// with a capital, `lower` otherwise; a name without a "." takes the case of
// its last character ("grid.FLT" and "GRID" pair with ".HDR").
std::string Companion_Name(const char* name, const char* upper, const char* lower);

// Names longer than this do not fit a String: such a companion is never
// opened, because cutting its name would name another file.
constexpr size_t Max_Companion_Name = sizeof(String) - 1;
