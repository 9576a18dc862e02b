#include "formats/grd98_reader.h"

void Swap_GRD98_Header(GRD98_Header*) {}
void Print_GRD98_Header(const RunState&, const GRD98_Header*) {}
void Read_GRD98_Header(RunState&) {}
