// The 128-byte GRD98 header: 32 signed 32-bit words without gaps.
#pragma once

#include <cstdint>

struct GRD98_Header {
    int32_t Version;
    int32_t Length;
    int32_t Data_Type;
    int32_t Latitude_Degrees;
    int32_t Latitude_Minutes;
    int32_t Latitude_Seconds;
    int32_t Latitude_Cell_Size;
    int32_t Latitude_Number_of_Cells;
    int32_t Longitude_Degrees;
    int32_t Longitude_Minutes;
    int32_t Longitude_Seconds;
    int32_t Longitude_Cell_Size;
    int32_t Longitude_Number_of_Cells;
    int32_t Minimum_Value;
    int32_t Maximum_Value;
    int32_t Grid_Radius;
    int32_t Precision;
    int32_t Empty_Grid_Cell_Value;
    int32_t Number_Type;
    int32_t Water_Datum;
    int32_t Data_Value_Limit;
    int32_t Cell_Registration;
    int32_t Unused[10];
};
static_assert(sizeof(GRD98_Header) == 128, "a GRD98 header is 128 bytes");

constexpr int32_t GRD98_Version = 1000000001;
