// Whole lines of grid values, converted at once: the fast path of text
// grids. A line of numbers separated by blanks is split into its items
// first, so that the items are converted independently of one another
// rather than each waiting for the end of the one before. Anything else a
// line may hold (commas, comments, continuation characters, bad items) is
// left to the token reader, line by line, which gives the values, messages
// and line numbers of the general path.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/cell_type.h"
#include "core/swap.h"
#include "plain_number.h"

// Bytes that must be readable behind the end of a text given to
// Convert_Lines: items are found 64 characters at a time.
constexpr int Line_Lookahead = 65 + plain_number::Lookahead;

// What Convert_Lines took: the cells and line ends of the lines it
// converted, and where the first line it refused begins (the end of the
// text when it refused none).
struct Lines_Taken {
    long cells;
    long lines;
    const char* stop;
};

// Converts the items of the lines of [begin, end) to little-endian cells at
// `out`, up to the first line that holds anything else. Lines end at a LF
// (a CR directly before it belongs to the line end), the last one also at
// `end`. Items are separated by blanks and tabs: numbers as the token reader
// reads them (Get_Float or Get_Int, whole numbers keeping their low 16 bits
// in 2-byte cells), and the texts for no value ("nan", "-nan", "+nan",
// "null" in any case) as NaN or -32768. Anything else (commas, comments,
// continuation characters, bad items) makes the line one for the token
// reader; so, with `letters_end`, does a first item that begins with a
// letter (it may be a keyword that ends the values). `out` must hold one
// cell for every two characters of the text, and one more.
Lines_Taken Convert_Lines(const char* begin, const char* end, CellType kind, bool letters_end, char* out);

// The bytes of `out` that Convert_Lines needs for a text of `chars`
// characters: a cell takes two characters at least, its separator included.
inline size_t Cells_Room(size_t chars, CellType kind) {
    return (chars / 2 + 1) * static_cast<size_t>(Cell_Bytes(kind));
}

// Stores a 2- or 4-byte cell at `out` in little-endian byte order, the
// order of the temporary values file.
template <class T>
inline void Store_LE(char* out, T value) {
    if constexpr (std::endian::native == std::endian::big) {
        if constexpr (sizeof value == 4) Swap4(&value);
        else Swap2(&value);
    }
    std::memcpy(out, &value, sizeof value);
}

// Characters of the text for no value ("nan", "-nan", "+nan" or "null" in
// any letter case) at p; 0 when there is none. The caller judges what
// follows it.
int No_Value_Text(const char* p);

// Collects cells and writes them to a file in large blocks.
class Value_Writer {
public:
    explicit Value_Writer(std::FILE* file) : file_(file) {}

    template <class T>
    void Put(T value) {
        Store_LE(Reserve(sizeof value), value);
        Commit(sizeof value, 1);
    }

    // Room for `bytes` (at most Block_Bytes) at the end of the block.
    char* Reserve(size_t bytes) {
        if (used_ + bytes > Block_Bytes) Flush();
        return block_.data() + used_;
    }
    void Commit(size_t bytes, int64_t cells) {
        used_ += bytes;
        count_ += cells;
    }

    // Writes cells made elsewhere, after those collected so far.
    void Write(const char* bytes, size_t n, int64_t cells) {
        Flush();
        if (n > 0 && std::fwrite(bytes, 1, n, file_) != n) failed_ = true;
        count_ += cells;
    }

    void Flush() {
        if (used_ > 0 && std::fwrite(block_.data(), 1, used_, file_) != used_) failed_ = true;
        used_ = 0;
    }

    int64_t Count() const { return count_; }
    bool Failed() const { return failed_; }

    static constexpr size_t Block_Bytes = size_t{1} << 18;

private:
    std::FILE* file_;
    size_t used_ = 0;
    int64_t count_ = 0;
    bool failed_ = false;
    std::vector<char> block_ = std::vector<char>(Block_Bytes);
};

// Reads whole lines of values straight from a stream that can be
// repositioned (a regular file), in blocks of up to a megabyte, and converts
// them with Convert_Lines; with a second core, the second half of each block
// is converted on a second thread while this one converts the first and
// reads the next block. It
// stops before the first line Convert_Lines refuses, a line longer than a
// block, a last line without a line end, and at the end of the stream,
// leaving the stream positioned at the start of the first line not taken:
// the token reader reads on from there.
class Value_Blocks {
public:
    Value_Blocks(CellType kind, bool letters_end);
    ~Value_Blocks();
    Value_Blocks(const Value_Blocks&) = delete;
    Value_Blocks& operator=(const Value_Blocks&) = delete;

    // False when `file` cannot be read this way.
    static bool Usable(std::FILE* file);

    // Converts whole lines from the stream's position on into `out`.
    // Returns the number of lines taken; 0 when the first line is not taken.
    long Take_Lines(std::FILE* file, Value_Writer& out);

    struct Half;  // the lines of one half of a block and their cells
    struct Worker;

private:
    // Started with the first block worth splitting; false without one.
    bool Second_Thread();
    const char* Split(const char* begin, const char* end);
    void Await_Second();
    char* Text(int which);
    size_t Next_Block(std::FILE* file, const char* rest, size_t rest_bytes, int which);

    static constexpr int Share_Steps = 64;

    CellType kind_;
    bool letters_end_;
    size_t read_size_;  // grows while whole blocks are taken
    int share_ = Share_Steps / 2;  // of a block converted on this thread
    std::vector<char> text_[2];  // a block, and the next one read ahead
    std::unique_ptr<Half> halves_[2];
    std::unique_ptr<Worker> worker_;
    bool no_worker_ = false;
};
