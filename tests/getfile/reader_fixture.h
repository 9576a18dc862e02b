// Shared set-up of the token reader tests: every test starts and ends with no source open.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "extract.h"

inline void Close_All() {
    while (Get_StackCount > 0) Get_Close();
    Get_Close();
}

// The value an item reader read, or none when it failed; the next string.
template <class T>
std::optional<T> Read(unsigned char (*read)(T*)) {
    T v{};
    return read(&v) ? std::optional<T>(v) : std::nullopt;
}
inline std::string Next_String() {
    String s;
    return std::string(s, Get_String(s));
}

class Reader : public ::testing::Test {
protected:
    void SetUp() override { Close_All(); }
    void TearDown() override {
        Close_All();
        for (std::FILE* f : files_) std::fclose(f);
    }

    // The text, as a stream or a text in memory, becomes the only source; Open_Line also reads its first line.
    void Open(const std::string& text, bool as_file = false) {
        Close_All();
        std::FILE* f = as_file ? files_.emplace_back(std::tmpfile()) : nullptr;
        if (f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size()) std::rewind(f);
        ASSERT_TRUE(f != nullptr ? Get_Open(f) : Get_Buffer(held_.emplace_back(text).c_str()));
    }
    void Open_Line(const std::string& text, bool as_file = false, char delim = ' ') {
        Open(text, as_file);
        Get_Delimiter(delim);
        Get_Line();
    }

    static std::string At_Pos() { return Get_LineImage() + Get_LinePos(); }

private:
    std::vector<std::FILE*> files_;
    std::deque<std::string> held_;  // texts stay in place while they are read
};
