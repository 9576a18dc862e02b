#include "formats/keywords.h"

const char* const Keywords[] = {
    "ASCII", "ASPECT_RATIO", "BINARY", "CELLS", "CELL_DATA", "CELL_TYPES",
    "COLOR_SCALARS", "DATASET", "DIMENSIONS", "FIELD", "LINES", "LOOKUP_TABLE",
    "NORMALS", "ORIGIN", "POINTS", "POINT_DATA", "POLYDATA", "POLYGONS",
    "RECTILINEAR_GRID", "SCALARS", "SPACING", "STRUCTURED_GRID",
    "STRUCTURED_POINTS", "TENSORS", "TEXTURE_COORDINATES", "TRIANGLE_STRIPS",
    "UNSTRUCTURED_GRID", "VECTORS", "VERTICES", "X_COORDINATES",
    "Y_COORDINATES", "Z_COORDINATES", nullptr};
static_assert(sizeof(Keywords) / sizeof(Keywords[0]) == no_symbol + 1);

const char* const Data_Keywords[] = {
    "bit", "unsigned_char", "char", "unsigned_short", "short", "unsigned_int",
    "int", "unsigned_long", "long", "float", "double", nullptr};
static_assert(sizeof(Data_Keywords) / sizeof(Data_Keywords[0]) == no_data + 1);

const char* const Version_Keywords[] = {"vtk", "DataFile", "Version", nullptr};
static_assert(sizeof(Version_Keywords) / sizeof(Version_Keywords[0]) == no_version + 1);

const char* const Misc_Keywords[] = {"scalars", "default", nullptr};

const char* const ESRI_Keywords[] = {
    "ncols", "nrows", "xllcenter", "xllcorner", "yllcenter", "yllcorner",
    "cellsize", "nodata_value", "byteorder", "msbfirst", "lsbfirst",
    "vms_ffloat", nullptr};
static_assert(sizeof(ESRI_Keywords) / sizeof(ESRI_Keywords[0]) == noesri + 1);
