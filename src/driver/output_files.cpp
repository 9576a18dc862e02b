#include "driver/output_files.h"

void New_Directory(const char*) {}
FILE* New_File(RunState&, const char*, const char*, int) { return nullptr; }
void Open_Output(RunState&) {}
void Write_VTK_Output_Header(RunState&) {}
void Write_ESRI_Output_Header(RunState&) {}
