#include "formats/value_lines.h"

#include <strings.h>
#include <sys/stat.h>

#include <limits>
#include <semaphore>
#include <system_error>
#include <thread>

#include "extract.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

static_assert(Line_Lookahead <= Get_ImageSpare, "the line image must let Convert_Line look ahead");

namespace {

// Bit i set when character i of the 64 at p is a blank or a tab.
inline uint64_t Blank_Bits(const char* p) {
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    uint64_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(c, blank), _mm_cmpeq_epi8(c, tab));
        bits |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(hit))} << (16 * i);
    }
    return bits;
#else
    uint64_t bits = 0;
    for (int i = 0; i < 64; ++i) bits |= uint64_t{p[i] == ' ' || p[i] == '\t'} << i;
    return bits;
#endif
}

template <class T>
inline void Store_LE(char* out, T value) {
    if constexpr (std::endian::native == std::endian::big) {
        if constexpr (sizeof value == 4) Swap4(&value);
        else Swap2(&value);
    }
    std::memcpy(out, &value, sizeof value);
}

// The item at t ends at `end` when a blank, a tab or the line end follows.
inline bool Item_Ends(const char* end, const char* line_end) {
    return end && (end == line_end || *end == ' ' || *end == '\t');
}

// Converts the item at t into one cell at out; false when it is no number
// and no text for no value.
template <CellType Kind>
inline bool Convert_Item(const char* t, const char* line_end, char* out) {
    if constexpr (Kind == CellType::Float) {
        float plain;  // kept apart so that it stays in a register
        if (Item_Ends(plain_number::Get_Plain_Float(t, &plain), line_end)) {
            Store_LE(out, plain);
            return true;
        }
        float value;
        if (!Item_Ends(Get_Fast_Number(t, Ftype, reinterpret_cast<PINT>(&value)), line_end)) {
            const int n = No_Value_Text(t);
            if (n == 0 || !Item_Ends(t + n, line_end)) return false;
            value = std::numeric_limits<float>::quiet_NaN();
        }
        Store_LE(out, value);
    } else {
        int value;
        const char* end = Get_Fast_Number(t, Itype, &value);
        if (!Item_Ends(end, line_end)) {
            const int n = No_Value_Text(t);
            if (n == 0 || !Item_Ends(t + n, line_end)) return false;
            value = -32768;
        }
        Store_LE(out, static_cast<int16_t>(value));  // the low 16 bits
    }
    return true;
}

inline bool Letter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

template <CellType Kind>
long Convert_Items(const char* begin, const char* end, bool letters_end, char* out) {
    constexpr int cell = Kind == CellType::Float ? 4 : 2;
    long count = 0;
    uint64_t behind_blank = 1;  // the line start counts as a blank
    for (const char* w = begin; w < end; w += 64) {
        uint64_t blanks = Blank_Bits(w);
        if (end - w < 64) blanks |= ~uint64_t{0} << (end - w);  // past the line end
        // An item starts at each character that is no blank but follows one.
        uint64_t starts = ~blanks & (blanks << 1 | behind_blank);
        behind_blank = blanks >> 63;
        while (starts != 0) {
            const char* t = w + std::countr_zero(starts);
            starts &= starts - 1;
            if (letters_end && count == 0 && Letter(*t)) return -1;
            if (!Convert_Item<Kind>(t, end, out + count * cell)) return -1;
            ++count;
        }
    }
    return count;
}

}  // namespace

int No_Value_Text(const char* p) {
    const int sign = *p == '-' || *p == '+';
    if (strncasecmp(p + sign, "nan", 3) == 0) return sign + 3;
    if (!sign && strncasecmp(p, "null", 4) == 0) return 4;
    return 0;
}

long Convert_Line(const char* begin, const char* end, CellType kind, bool letters_end, char* out) {
    return kind == CellType::Float ? Convert_Items<CellType::Float>(begin, end, letters_end, out)
                                   : Convert_Items<CellType::Short>(begin, end, letters_end, out);
}

// ---- Blocks ----------------------------------------------------------------

namespace {

constexpr size_t Max_Read = size_t{1} << 20;
constexpr size_t Min_Read = size_t{1} << 16;
// Blocks shorter than this are not worth a second thread.
constexpr size_t Split_Min = size_t{1} << 16;

}  // namespace

struct Value_Blocks::Half {
    const char* begin = nullptr;  // whole lines, each ended by a LF
    const char* end = nullptr;
    std::vector<char> cells;
    size_t bytes = 0;  // of cells
    int64_t count = 0;
    long lines = 0;
    const char* stop = nullptr;  // the first line not taken

    explicit Half(CellType kind) : cells((Max_Read / 2 + 1) * Cell_Bytes(kind)) {}

    void Convert(CellType kind, bool letters_end) {
        const size_t cell = static_cast<size_t>(Cell_Bytes(kind));
        bytes = 0;
        count = 0;
        lines = 0;
        const char* p = begin;
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            // A CR before the LF belongs to the line end.
            const char* content_end = lf > p && lf[-1] == '\r' ? lf - 1 : lf;
            const long n = Convert_Line(p, content_end, kind, letters_end, cells.data() + bytes);
            if (n < 0) break;
            bytes += static_cast<size_t>(n) * cell;
            count += n;
            ++lines;
            p = lf + 1;
        }
        stop = p;
    }

    bool Whole() const { return stop == end; }
};

struct Value_Blocks::Worker {
    std::binary_semaphore start{0};
    std::binary_semaphore done{0};
    Half* job = nullptr;
    bool quit = false;
    CellType kind;
    bool letters_end;
    std::thread thread;

    Worker(CellType k, bool l) : kind(k), letters_end(l), thread([this] { Run(); }) {}
    ~Worker() {
        quit = true;
        start.release();
        thread.join();
    }

    void Run() {
        for (;;) {
            start.acquire();
            if (quit) return;
            job->Convert(kind, letters_end);
            done.release();
        }
    }
};

Value_Blocks::Value_Blocks(CellType kind, bool letters_end)
    : kind_(kind), letters_end_(letters_end), read_size_(Min_Read) {
    for (std::vector<char>& text : text_) text.resize(Max_Read + Line_Lookahead);
    halves_[0] = std::make_unique<Half>(kind);
    halves_[1] = std::make_unique<Half>(kind);
}

Value_Blocks::~Value_Blocks() = default;

bool Value_Blocks::Usable(std::FILE* file) {
    struct stat st;
    return file && fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode) && ftello(file) >= 0;
}

bool Value_Blocks::Second_Thread() {
    if (!worker_ && !no_worker_) {
        no_worker_ = std::thread::hardware_concurrency() < 2;
        try {
            if (!no_worker_) worker_ = std::make_unique<Worker>(kind_, letters_end_);
        } catch (const std::system_error&) {
            no_worker_ = true;  // the blocks are converted on this thread alone
        }
    }
    return worker_ != nullptr;
}

size_t Value_Blocks::Next_Block(std::FILE* file, const char* rest, size_t rest_bytes, std::vector<char>& into) {
    // The unfinished last line of a block begins the next one.
    std::memmove(into.data(), rest, rest_bytes);
    return rest_bytes + std::fread(into.data() + rest_bytes, 1, read_size_ - rest_bytes, file);
}

// The first half is this thread's share of a block. It also reads the next
// block and writes the cells, so it is the smaller one; the share follows
// whichever thread waited for the other.
const char* Value_Blocks::Split(const char* begin, const char* end) {
    const char* at = begin + static_cast<size_t>(end - begin) * share_ / Share_Steps;
    return static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at))) + 1;
}

void Value_Blocks::Await_Second() {
    if (worker_->done.try_acquire()) {
        share_ = std::min(share_ + 1, Share_Steps - 8);  // the second thread waited
        return;
    }
    worker_->done.acquire();
    share_ = std::max(share_ - 1, 8);
}

long Value_Blocks::Take_Lines(std::FILE* file, Value_Writer& out) {
    off_t position = ftello(file);  // of the first line not taken yet
    if (position < 0) return 0;
    long taken = 0;
    int current = 0;
    size_t got = std::fread(text_[current].data(), 1, read_size_, file);
    for (;;) {
        char* begin = text_[current].data();
        const void* last = got > 0 ? memrchr(begin, '\n', got) : nullptr;
        // Lines longer than the block read so far: read more, up to a megabyte.
        while (last == nullptr && got == read_size_ && read_size_ < Max_Read) {
            read_size_ = std::min(read_size_ * 2, Max_Read);
            got += std::fread(begin + got, 1, read_size_ - got, file);
            last = memrchr(begin, '\n', got);
        }
        if (last == nullptr) break;
        const char* end = static_cast<const char*>(last) + 1;
        const size_t rest = static_cast<size_t>(begin + got - end);

        Half& first = *halves_[0];
        Half& second = *halves_[1];
        first.begin = begin;
        first.end = second.begin = second.end = end;
        const bool split = static_cast<size_t>(end - begin) >= Split_Min && Second_Thread();
        if (split) {
            first.end = second.begin = Split(begin, end);
            worker_->job = &second;
            worker_->start.release();
        }
        first.Convert(kind_, letters_end_);
        // While the second half is converted, the next block is read.
        const bool ahead = split && first.Whole();
        size_t next = ahead ? Next_Block(file, end, rest, text_[1 - current]) : 0;
        if (split) Await_Second();
        else second.Convert(kind_, letters_end_);

        bool whole = true;
        for (Half* half : {&first, &second}) {
            out.Write(half->cells.data(), half->bytes, half->count);
            taken += half->lines;
            position += half->stop - half->begin;
            if (!half->Whole()) {
                whole = false;
                break;
            }
        }
        if (!whole) {
            read_size_ = Min_Read;  // odd lines may come often: read less
            break;
        }
        if (!ahead) next = Next_Block(file, end, rest, text_[1 - current]);
        read_size_ = std::min(read_size_ * 2, Max_Read);
        current = 1 - current;
        got = next;
    }
    // Blocks are read ahead of the lines taken.
    return fseeko(file, position, SEEK_SET) == 0 ? taken : -1;
}
