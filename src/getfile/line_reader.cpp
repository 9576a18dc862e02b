// Line reader: sources, nesting, and the delivery of lines into the image.
#include <cstdlib>
#include <cstring>

#include "extract.h"
#include "reader_internal.h"

using namespace getfile_internal;

Get_File Get_{};
Get_File Get_Stack[3]{};
int Get_StackCount = 0;
char* Image_Stack[4]{};

namespace {

// A piece of an overlong line holds this many characters; the Joint character
// and the NUL behind it fill the image.
constexpr int Piece = Get_ImageSize - 1;

#if defined(__GLIBC__)
// The stream belongs to this thread while it is read: the locking variants
// cost more than the copy itself on short lines.
inline char* Read_Bounded(char* dst, int size, std::FILE* f) {
    return fgets_unlocked(dst, size, f);
}
inline int Read_Char(std::FILE* f) { return getc_unlocked(f); }
#else
inline char* Read_Bounded(char* dst, int size, std::FILE* f) {
    return std::fgets(dst, size, f);
}
inline int Read_Char(std::FILE* f) { return std::getc(f); }
#endif

bool Is_Open(const Get_File& g) { return g.File != nullptr || g.Buffer != nullptr; }

// Line images belong to nesting levels. After Get_Swap the level's own image
// may still hold a suspended source's line; then a free one serves instead.
int Level_For(int level, bool pushing) {
    auto used = [pushing](const char* img) {
        if (img == nullptr) return false;
        for (int i = 0; i < Get_StackCount; ++i)
            if (Get_Stack[i].Image == img) return true;
        return pushing && Get_.Image == img;
    };
    if (!used(Image_Stack[level])) return level;
    for (int i = 0; i < 4; ++i)
        if (!used(Image_Stack[i])) return i;
    return level;  // four images serve at most three suspended sources
}

// The source has nothing more. A piece still waiting for its rest is the
// whole remainder of its line: it becomes a complete line, so that no item
// waits for a continuation that never comes.
PSTR End_Source(bool image_spoilt) {
    Get_File& g = Get_;
    g.File = nullptr;
    g.Buffer = nullptr;
    if (image_spoilt) {
        // The end-of-file line (or a failed read) went into the image: what
        // stands there is no text of the source.
        g.Image[0] = '\0';
        g.Pos = g.Len = 0;
        g.Overflow = 0;
    } else if (g.Overflow) {
        g.Overflow = 0;
        g.Len += 1;
        g.Image[g.Len] = '\0';
        if (g.Pos > g.Len) g.Pos = g.Len;
    }
    return nullptr;
}

void Blank_Tabs(char* p, char* end) {
    while ((p = static_cast<char*>(std::memchr(p, '\t', end - p))) != nullptr) *p++ = ' ';
}

// Reads the rest of a file line behind the `have` characters already at the
// front of the image (0 for a new line). Sets Len; false at the end.
bool Read_File_Text(int have) {
    Get_File& g = Get_;
    char* img = g.Image;
    int n;
    if (Read_Bounded(img + have, Get_ImageSize - have, g.File) == nullptr) {
        if (have == 0) {
            End_Source(std::ferror(g.File) != 0);
            return false;
        }
        img[have] = '\0';
        n = have;
    } else {
        // A NUL byte ends the line: what follows it up to the line end is lost.
        n = have + static_cast<int>(std::strlen(img + have));
        if (have == 0 && g.Eof != '\0' && img[0] == g.Eof) {
            End_Source(true);
            return false;
        }
    }
    int len = n - 1;
    // Short of a full piece the line has ended, with or without its LF; a
    // line that begins with a NUL byte has nothing before its line end.
    if (len <= Piece - 2 && (len < 0 || img[len] != '\n')) img[++len] = '\n';
    // A CR before the LF belongs to the line end, also when the two fill the
    // image to its last character.
    if (len > 0 && img[len] == '\n' && img[len - 1] == '\r') {
        img[len - 1] = '\n';
        --len;
    }
    if (g.Delim != '\t') Blank_Tabs(img, img + len + 1);
    g.Len = len;
    return true;
}

// Copies the next line of the caller's text behind the `have` characters
// already at the front of the image. Sets Len; false at the end.
bool Read_Buffer_Text(int have) {
    Get_File& g = Get_;
    const char* b = g.Buffer;
    if (have == 0 && *b == '\0') {
        End_Source(false);
        return false;
    }
    char* img = g.Image;
    int len = have;
    for (;; ++len) {
        unsigned char c = static_cast<unsigned char>(*b++);
        if (c == '\0') {
            --b;  // the text's end is met again by the next line
            img[len] = '\n';
            break;
        }
        if (c == '\n') {
            img[len] = '\n';
            break;
        }
        img[len] = c < 0x20 ? ' ' : static_cast<char>(c);
        if (len == Piece - 1) break;
    }
    g.Buffer = b;
    img[len + 1] = '\0';
    g.Len = len;
    return true;
}

// Whether the image holds an item at the scan position: the Joint character
// closing a piece is none.
bool Has_Content() {
    const Get_File& g = Get_;
    return At(g.Pos) != 0 && (!g.Overflow || g.Pos <= g.Len);
}

PSTR Deliver() {
    Get_File& g = Get_;
    g.Pos = Skip_Blanks(0);
    if (Comment_At(g.Pos)) Used_Up();
    return g.Image;
}

PSTR Read_Line(int have) {
    Get_File& g = Get_;
    if (g.File != nullptr) {
        if (!Read_File_Text(have)) return nullptr;
    } else if (g.Buffer != nullptr) {
        if (!Read_Buffer_Text(have)) return nullptr;
    } else {
        return nullptr;
    }

    char* img = g.Image;
    const int len = g.Len;
    if (g.Overflow)
        g.Overflow = 0;  // a continuation piece keeps the line number
    else
        g.Count = static_cast<std::int32_t>(static_cast<std::uint32_t>(g.Count) + 1);

    if (img[len] == '\n') {
        img[len] = '\0';
    } else if (img[len] == '\r' && g.File != nullptr) {
        // The piece ends on a CR: it was the line end if a LF follows.
        img[len] = '\0';
        int c = Read_Char(g.File);
        if (c != '\n' && c != EOF) {
            if (c == '\t' && g.Delim != '\t') c = ' ';
            g.Overflow = 1;
            img[len] = static_cast<char>(c);
            img[len + 1] = g.Joint;
            img[len + 2] = '\0';
        }
    } else {
        g.Overflow = 1;
        img[len + 1] = g.Joint;
        img[len + 2] = '\0';
    }
    return Deliver();
}

}  // namespace

void getfile_internal::Skip_Pieces() {
    while (Get_.Overflow && Get_Line() != nullptr) {
    }
}

char* New_Image(int Size) {
    const long bytes = static_cast<long>(Size) + 1;
    void* p = Size >= 0 ? std::calloc(static_cast<std::size_t>(bytes + Get_ImageSpare), 1) : nullptr;
    if (p == nullptr) {
        std::fprintf(stderr, "malloc - could not allocate %1ld bytes\n", bytes);
        throw Get_OutOfMemory{bytes};
    }
    return static_cast<char*>(p);
}

unsigned char Get_Open(std::FILE* InpFile) {
    const bool push = Is_Open(Get_);
    if (push && Get_StackCount == 3) return 0;
    // The image is found (and allocated) first: running out of memory leaves
    // the sources as they were.
    const int level = Level_For(push ? Get_StackCount + 1 : Get_StackCount, push);
    if (Image_Stack[level] == nullptr) Image_Stack[level] = New_Image(Get_ImageSize);

    if (push) Get_Stack[Get_StackCount++] = Get_;
    Get_ = Get_File{};
    Get_.File = InpFile;
    Get_.Image = Image_Stack[level];
    Get_.Image[0] = '\0';
    Get_.Delim = ' ';
    Get_.Joint = '~';
    Get_.Eof = 0x1A;
    return 1;
}

unsigned char Get_Buffer(const char* Buffer) {
    if (!Get_Open(nullptr)) return 0;
    Get_.Buffer = Buffer;
    return 1;
}

unsigned char Get_Close() {
    if (Get_StackCount > 0) {
        Get_ = Get_Stack[--Get_StackCount];
        return 1;
    }
    Get_.File = nullptr;
    Get_.Buffer = nullptr;
    if (Get_.Image != nullptr) Get_.Image[0] = '\0';
    Get_.Pos = Get_.Len = 0;
    // A closed source has no line to repeat and no piece to continue.
    Get_.Overflow = 0;
    Get_.Repeat = 0;
    return 1;
}

unsigned char Get_Swap() {
    if (Get_StackCount == 0) return 0;
    Get_File t = Get_;
    Get_ = Get_Stack[Get_StackCount - 1];
    Get_Stack[Get_StackCount - 1] = t;
    return 1;
}

PSTR Get_Line() {
    if (Get_.Repeat) {
        Get_.Repeat = 0;
        return Deliver();
    }
    return Read_Line(0);
}

PSTR Get_Entry() {
    Get_File& g = Get_;
    Skip_Pieces();
    PSTR line = Get_Line();
    while (line != nullptr && !Has_Content()) {
        // The rest of an overlong comment line is comment too.
        if (g.Overflow && Comment_At(Skip_Blanks(0))) Skip_Pieces();
        line = Get_Line();
    }
    g.Free_Form = 1;
    return line;
}

namespace {

// Moves the piece from index s on to the front of the image and reads the
// rest of the physical line behind it; the stream is never repositioned, so
// pipes serve as well as files. The image must be a piece of an open source
// with s inside it. False only when nothing was scanned yet.
bool Move_To_Front(int s) {
    Get_File& g = Get_;
    const int size = g.Len + 1 - s;
    std::memmove(g.Image, g.Image + s, static_cast<std::size_t>(size));
    return Read_Line(size) != nullptr;
}

// The scan position stands on the Joint character that closes a piece.
bool At_Piece_End() {
    const Get_File& g = Get_;
    return g.Overflow && g.Pos == g.Len + 1 && g.Image[g.Pos] == g.Joint;
}

}  // namespace

void Get_Rest(PINT Start) {
    Get_File& g = Get_;
    if (Start == nullptr || !g.Overflow || !Is_Open(g)) return;
    const int s = *Start;
    if (s < 0 || s > g.Len + 1) return;
    const int size = g.Len + 1 - s;
    // An item as long as the whole piece could not be moved forward.
    if (size >= Piece) return;
    // The characters scanned so far move to the front.
    if (!Move_To_Front(s)) return;
    g.Pos = size;
    *Start = 0;
}

void Get_Front() {
    Get_File& g = Get_;
    // Pieces of nothing but blanks stand before the first item.
    while (At_Piece_End())
        if (Get_Line() == nullptr) return;
    // Deliver puts the scan position on the first item again.
    if (g.Overflow && Is_Open(g) && g.Pos > 0 && At(g.Pos) != 0) Move_To_Front(g.Pos);
}

unsigned char Get_Done() {
    Get_File& g = Get_;
    for (;;) {
        if (!g.Overflow) return At(g.Pos) == 0;
        if (At(g.Pos) == 0) {
            // A comment took the rest of the piece, and so of the line; the
            // last piece read for it counts as used up as well.
            Skip_Pieces();
            Used_Up();
            return 1;
        }
        if (!At_Piece_End()) return 0;
        // Blanks up to the end of the piece: the line goes on in the next one.
        if (Get_Line() == nullptr) return 1;
    }
}

long Get_LineNo() { return Get_.Count; }
int Get_LinePos() { return Get_.Pos; }
void Get_SetPos(int Pos) { Get_.Pos = Pos; }
int Get_LineLen() { return Get_.Len; }
PSTR Get_LineImage() { return Get_.Image; }

void Get_Reset() {
    Used_Up();
    Get_.Repeat = 1;
}

void Get_Delimiter(int Delim) { Get_.Delim = static_cast<char>(Delim); }
void Get_Comma(int YesNo) { Get_.Comma = static_cast<std::uint8_t>(YesNo); }
void Get_JointChar(int Joint) { Get_.Joint = static_cast<char>(Joint); }
void Get_EofChar(int Eof) { Get_.Eof = static_cast<char>(Eof); }
unsigned char Get_Overflow() { return Get_.Overflow; }
char Get_More() { return Get_.Image[Get_.Pos]; }
