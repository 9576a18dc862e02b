#include "formats/esri_reader.h"

void Read_ESRI_Header(RunState&) {}
