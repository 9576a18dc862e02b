#include "formats/esri_writer.h"

void Write_ESRI_Header(const RunState&, FILE*) {}
