// The keyword tables of the VTK and ESRI vocabularies, shared by readers and
// writers. Each table ends in a null entry whose index is the last enumerator,
// which is also the not-found result of a keyword lookup.
#pragma once

enum Symbols {
    ASCII, ASPECT_RATIO, BINARY, CELLS, CELL_DATA, CELL_TYPES, COLOR_SCALARS,
    DATASET, DIMENSIONS, FIELD, LINES, LOOKUP_TABLE, NORMALS, ORIGIN, POINTS,
    POINT_DATA, POLYDATA, POLYGONS, RECTILINEAR_GRID, SCALARS, SPACING,
    STRUCTURED_GRID, STRUCTURED_POINTS, TENSORS, TEXTURE_COORDINATES,
    TRIANGLE_STRIPS, UNSTRUCTURED_GRID, VECTORS, VERTICES, X_COORDINATES,
    Y_COORDINATES, Z_COORDINATES, no_symbol
};
extern const char* const Keywords[];

enum DataSymbols {
    bit_data, unsigned_char_data, char_data, unsigned_short_data, short_data,
    unsigned_int_data, int_data, unsigned_long_data, long_data, float_data,
    double_data, no_data
};
extern const char* const Data_Keywords[];

enum VersionSymbols { vtk, DataFile, Version, no_version };
extern const char* const Version_Keywords[];

// "scalars", "default"
extern const char* const Misc_Keywords[];

enum ESRISymbols {
    ncols, nrows, xllcenter, xllcorner, yllcenter, yllcorner, cellsize,
    nodata_value, byteorder, msbfirst, lsbfirst, vms_ffloat, noesri
};
extern const char* const ESRI_Keywords[];
