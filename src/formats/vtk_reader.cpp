#include "formats/vtk_reader.h"

char* Get_Ascii_Line(RunState&, int) { return nullptr; }
void Read_VTK_Header(RunState&) {}
