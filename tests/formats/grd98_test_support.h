// Helpers shared by the GRD98 tests: a captured stream and header files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/grd98_header.h"
#include "formats/grd98_reader.h"

// A FILE* whose text can be read back.
class Captured {
public:
    Captured() : file_(open_memstream(&buf_, &len_)) {}
    ~Captured() {
        std::fclose(file_);
        std::free(buf_);
    }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;
    FILE* file() const { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(buf_, len_);
    }

private:
    char* buf_ = nullptr;
    size_t len_ = 0;
    FILE* file_;
};

// A plain square grid header with 1-minute cells, in host order.
inline GRD98_Header Plain_Header() {
    GRD98_Header h{};
    h.Version = GRD98_Version;
    h.Length = 128;
    h.Data_Type = 1;
    h.Latitude_Degrees = 60;
    h.Latitude_Cell_Size = 60;
    h.Latitude_Number_of_Cells = 3;
    h.Longitude_Degrees = 10;
    h.Longitude_Cell_Size = 60;
    h.Longitude_Number_of_Cells = 4;
    h.Precision = 1;
    h.Empty_Grid_Cell_Value = -32768;
    h.Number_Type = 2;
    return h;
}

// A temporary file holding `bytes` of the header (big-endian when asked),
// positioned at its start.
inline FILE* Header_File(GRD98_Header h, bool big_endian, size_t bytes = 128) {
    if (big_endian) Swap_GRD98_Header(&h);
    FILE* f = std::tmpfile();
    std::fwrite(&h, 1, bytes, f);
    std::rewind(f);
    return f;
}
