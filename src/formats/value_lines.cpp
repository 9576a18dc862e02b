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

static_assert(Line_Lookahead <= Get_ImageSpare, "the line image must let Convert_Lines look ahead");

namespace {

// The characters that end items among the 64 at p: blanks, tabs, line
// ends (a CR directly before a LF belongs to the line end), and the LFs alone.
struct Ends {
    uint64_t any;
    uint64_t lf;
};

inline Ends Item_Ends_At(const char* p) {
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    Ends ends{0, 0};
    for (int i = 0; i < 4; ++i) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i + 1));
        const __m128i line_end = _mm_cmpeq_epi8(c, lf);
        const __m128i crlf = _mm_and_si128(_mm_cmpeq_epi8(c, cr), _mm_cmpeq_epi8(next, lf));
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, blank), _mm_cmpeq_epi8(c, tab)),
                                         _mm_or_si128(line_end, crlf));
        ends.any |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(any))} << (16 * i);
        ends.lf |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(line_end))} << (16 * i);
    }
    return ends;
#else
    Ends ends{0, 0};
    for (int i = 0; i < 64; ++i) {
        const char c = p[i];
        const bool line_end = c == '\n' || (c == '\r' && p[i + 1] == '\n');
        ends.any |= uint64_t{c == ' ' || c == '\t' || line_end} << i;
        ends.lf |= uint64_t{c == '\n'} << i;
    }
    return ends;
#endif
}

// An item read up to `end` was the whole item: a blank, a tab, a line end
// or the end of the text follows.
inline bool Item_Ends(const char* end, const char* text_end) {
    if (end == nullptr) return false;
    const char c = *end;
    return end == text_end || c == ' ' || c == '\t' || c == '\n' || (c == '\r' && end[1] == '\n');
}

// Converts the item at t into one cell at out; false when it is no number
// and no text for no value.
template <CellType Kind>
inline bool Convert_Item(const char* t, const char* text_end, char* out) {
    if constexpr (Kind == CellType::Float) {
        float plain;  // kept apart so that it stays in a register
        if (Item_Ends(plain_number::Get_Plain_Float(t, &plain), text_end)) {
            Store_LE(out, plain);
            return true;
        }
        float value;
        if (!Item_Ends(Get_Fast_Number(t, Ftype, reinterpret_cast<PINT>(&value)), text_end)) {
            const int n = No_Value_Text(t);
            if (n == 0 || !Item_Ends(t + n, text_end)) return false;
            value = std::numeric_limits<float>::quiet_NaN();
        }
        Store_LE(out, value);
    } else {
        int value;
        const char* end = Get_Fast_Number(t, Itype, &value);
        if (!Item_Ends(end, text_end)) {
            const int n = No_Value_Text(t);
            if (n == 0 || !Item_Ends(t + n, text_end)) return false;
            value = -32768;
        }
        Store_LE(out, static_cast<int16_t>(value));  // the low 16 bits
    }
    return true;
}

inline bool Letter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// The items and line ends of the text are found 64 characters at a time and
// taken in their order; the cells of a line count once its end is reached.
template <CellType Kind>
Lines_Taken Convert_Items(const char* begin, const char* end, bool letters_end, char* out) {
    constexpr long cell = Kind == CellType::Float ? 4 : 2;
    Lines_Taken taken{0, 0, begin};
    long count = 0;
    uint64_t behind_end = 1;  // the text begins as behind an item end
    for (const char* w = begin; w < end; w += 64) {
        Ends ends = Item_Ends_At(w);
        if (end - w < 64) {
            const uint64_t past = ~uint64_t{0} << (end - w);
            ends.any |= past;
            ends.lf &= ~past;
        }
        // An item starts at each character that ends none but follows one.
        const uint64_t starts = ~ends.any & (ends.any << 1 | behind_end);
        behind_end = ends.any >> 63;
        for (uint64_t events = starts | ends.lf; events != 0; events &= events - 1) {
            const int i = std::countr_zero(events);
            const char* t = w + i;
            if (ends.lf >> i & 1) {
                taken = {count, taken.lines + 1, t + 1};
                continue;
            }
            if (letters_end && count == taken.cells && Letter(*t)) return taken;
            if (!Convert_Item<Kind>(t, end, out + count * cell)) return taken;
            ++count;
        }
    }
    // The last line needs no line end.
    return {count, taken.lines, end};
}

}  // namespace

int No_Value_Text(const char* p) {
    const int sign = *p == '-' || *p == '+';
    if (strncasecmp(p + sign, "nan", 3) == 0) return sign + 3;
    if (!sign && strncasecmp(p, "null", 4) == 0) return 4;
    return 0;
}

Lines_Taken Convert_Lines(const char* begin, const char* end, CellType kind, bool letters_end, char* out) {
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
    Lines_Taken taken{0, 0, nullptr};

    // Made ready on the reading thread, which alone may fail to allocate.
    void Make_Room(CellType kind) {
        const size_t most = Cells_Room(static_cast<size_t>(end - begin), kind);
        if (cells.size() < most) cells.resize(most);
    }

    void Convert(CellType kind, bool letters_end) { taken = Convert_Lines(begin, end, kind, letters_end, cells.data()); }

    bool Whole() const { return taken.stop == end; }
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
    halves_[0] = std::make_unique<Half>();
    halves_[1] = std::make_unique<Half>();
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

// Buffers grow with the blocks read, so that small grids stay small.
char* Value_Blocks::Text(int which) {
    std::vector<char>& text = text_[which];
    if (text.size() < read_size_ + Line_Lookahead) text.resize(read_size_ + Line_Lookahead);
    return text.data();
}

size_t Value_Blocks::Next_Block(std::FILE* file, const char* rest, size_t rest_bytes, int which) {
    // The unfinished last line of a block begins the next one.
    char* into = Text(which);
    std::memmove(into, rest, rest_bytes);
    return rest_bytes + std::fread(into + rest_bytes, 1, read_size_ - rest_bytes, file);
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
        share_ = std::max(share_ - 1, 4);  // the second thread waited: it takes more
        return;
    }
    worker_->done.acquire();
    share_ = std::min(share_ + 1, Share_Steps - 4);
}

long Value_Blocks::Take_Lines(std::FILE* file, Value_Writer& out) {
    off_t position = ftello(file);  // of the first line not taken yet
    if (position < 0) return 0;
    long taken = 0;
    int current = 0;
    size_t got = std::fread(Text(current), 1, read_size_, file);
    for (;;) {
        char* begin = text_[current].data();
        const void* last = got > 0 ? memrchr(begin, '\n', got) : nullptr;
        // Lines longer than the block read so far: read more, up to a megabyte.
        while (last == nullptr && got == read_size_ && read_size_ < Max_Read) {
            read_size_ = std::min(read_size_ * 2, Max_Read);
            begin = Text(current);
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
        if (split) first.end = second.begin = Split(begin, end);
        first.Make_Room(kind_);
        second.Make_Room(kind_);
        if (split) {
            worker_->job = &second;
            worker_->start.release();
        }
        first.Convert(kind_, letters_end_);
        // While the second half is converted, the next block is read.
        const bool ahead = split && first.Whole();
        size_t next = ahead ? Next_Block(file, end, rest, 1 - current) : 0;
        if (split) Await_Second();
        else second.Convert(kind_, letters_end_);

        bool whole = true;
        for (Half* half : {&first, &second}) {
            const Lines_Taken& part = half->taken;
            out.Write(half->cells.data(), static_cast<size_t>(part.cells) * Cell_Bytes(kind_), part.cells);
            taken += part.lines;
            position += part.stop - half->begin;
            if (!half->Whole()) {
                whole = false;
                break;
            }
        }
        if (!whole) {
            read_size_ = Min_Read;  // odd lines may come often: read less
            break;
        }
        if (!ahead) next = Next_Block(file, end, rest, 1 - current);
        read_size_ = std::min(read_size_ * 2, Max_Read);
        current = 1 - current;
        got = next;
    }
    // Blocks are read ahead of the lines taken.
    return fseeko(file, position, SEEK_SET) == 0 ? taken : -1;
}
