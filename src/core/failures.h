// Every failure code of a run, named by what went wrong. The number is what
// the reports print after "Source line" or "source line"; a failing check
// stores its code through Set_Error, so the first failure found is the one
// reported.
#pragma once

enum Failure : int {
    // A metric grid whose cells the output cannot take; these two replace
    // any code stored before them and are reported as "Only square cells
    // accepted".
    Metric_Grid_To_GRD98 = 1,
    Metric_Cells_Not_Square = 2,

    // VTK header and values.
    Missing_Version_Line = 1178,
    Bad_Version_Line = 1188,
    Missing_Title_Line = 1193,
    Missing_Encoding_Line = 1200,
    Bad_Encoding_Line = 1206,
    Missing_Dataset_Line = 1215,
    Bad_Dataset_Line = 1221,
    Unknown_Keyword = 1232,
    Bad_Dimensions = 1241,
    Bad_Spacing = 1248,
    Bad_Origin = 1267,
    Bad_Cell_Data = 1276,
    Bad_Point_Data = 1280,
    Bad_Scalars_Type = 1289,
    Bad_Scalars_Count = 1297,
    Bad_Lookup_Table = 1302,
    Refused_Keyword = 1305,
    Refused_Dataset = 1312,
    Cells_Not_Square = 1326,
    Bad_Scalar_Line = 1348,

    // KMS2002 and ESRI header and values.
    Bad_KMS2002_Header = 1430,
    Bad_Ncols = 1480,  // also: the header of a Float pair lacks a sound ncols line
    Bad_Nrows = 1487,
    Bad_Xll = 1495,
    Bad_Yll = 1503,
    Bad_Cellsize = 1510,
    Header_Ends_After_Cellsize = 1515,
    Bad_Nodata = 1524,
    Bad_Byte_Order = 1541,
    Bad_Value_Line = 1640,

    // The input ended inside the window, by the kind of cell read.
    Short_Grd98_Short = 2187,
    Short_Grd98_Long = 2212,
    Short_Float_Input = 2230,
    Short_Short_Input = 2248,

    // The output could not take its data, by the kind of cell written.
    Lost_Short_Output = 2523,
    Lost_Float_Output = 2639,
    Lost_Text_Output = 2782,

    // The input does not end where its geometry says.
    Gebco_Marker_Missing = 2794,
    Data_Beyond_Grid = 2802,
    Gebco_Marker_Wrong = 2815,
    Data_Beyond_Gebco_Marker = 2819,
};

// The codes that replace one stored before them.
constexpr bool Replaces_Earlier(int code) {
    return code == Metric_Grid_To_GRD98 || code == Metric_Cells_Not_Square;
}
