#include "formats/grd98_writer.h"

void Write_GRD98_Header(RunState&) {}
