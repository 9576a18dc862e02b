// Shared set-up of the token reader tests: every test starts and ends with
// no source open.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "extract.h"

inline void Close_All() {
    while (Get_StackCount > 0) Get_Close();
    Get_Close();
}

class Reader : public ::testing::Test {
protected:
    void SetUp() override { Close_All(); }
    void TearDown() override {
        Close_All();
        for (std::FILE* f : files_) std::fclose(f);
    }

    // A stream holding exactly these bytes, closed after the test.
    std::FILE* File_Of(const std::string& bytes) {
        std::FILE* f = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
        files_.push_back(f);
        return f;
    }

    // Opens the text as a stream or as a text in memory.
    void Open(const std::string& text, bool as_file) {
        if (as_file) {
            ASSERT_TRUE(Get_Open(File_Of(text)));
        } else {
            held_.push_back(text);
            ASSERT_TRUE(Get_Buffer(held_.back().c_str()));
        }
    }

    static std::vector<std::string> Rest_Of_Source() {
        std::vector<std::string> lines;
        while (PSTR line = Get_Line()) lines.emplace_back(line);
        return lines;
    }

    static std::string At_Pos() { return Get_LineImage() + Get_LinePos(); }

private:
    std::vector<std::FILE*> files_;
    std::deque<std::string> held_;  // texts stay in place while they are read
};
